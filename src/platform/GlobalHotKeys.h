#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

// A global key: one letter with modifiers, numbered as RegisterHotKey numbers them.
struct THotKey {
    static constexpr unsigned MOD_ALT = 0x0001;
    static constexpr unsigned MOD_CONTROL = 0x0002;

    unsigned Modifiers = 0;
    char Key = 0;  // 'A'..'Z'
    friend bool operator==(const THotKey &, const THotKey &) = default;
};

// The key codes that give `letter` ('A'..'Z') in the keyboard's first group, from a keyboard
// mapping as X reports it: `perCode` symbols for each code from `firstCode` on.
std::vector<int> KeycodesForLetter(std::span<const std::uint32_t> keysyms, int perCode, int firstCode, char letter);

// System-wide key grabs. OnHotKey receives the id of a registered key when it is pressed
// anywhere on the desktop.
class IGlobalHotKeys
{
public:
    virtual ~IGlobalHotKeys() = default;
    virtual bool Register(int id, const THotKey &key) = 0;
    virtual void Unregister(int id) = 0;

    std::function<void(int)> OnHotKey;
};

// The X11 implementation when the program runs on an X server, otherwise one that registers
// nothing (Wayland and the offscreen platform have no global grabs).
std::unique_ptr<IGlobalHotKeys> CreateSystemHotKeys();
