#include "contacts/main/HotKeys.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(HotKeys, SettingsTextToKey)
{
    constexpr unsigned Alt = THotKey::MOD_ALT;
    constexpr unsigned Ctrl = THotKey::MOD_CONTROL;
    struct Case {
        const char *text;
        bool registers;
        unsigned modifiers;
        char key;
    };
    const Case cases[] = {
        {"Alt + Q", true, Alt, 'Q'},
        {"Ctrl + W", true, Ctrl, 'W'},
        {"alt + z", true, Alt, 'Z'},
        {"  Alt + Z  ", true, Alt, 'Z'},
        {"Alt+Z", true, Alt, 'Z'},
        // The settings dialog writes this form itself; both modifiers are meant.
        {"Ctrl + Alt + X", true, Ctrl | Alt, 'X'},
        {"Alt + 5", false, 0, 0},
        {"Z", false, 0, 0},
        {"Shift + A", false, 0, 0},
        {"Ctrl + ", false, 0, 0},
        {"", false, 0, 0},
        {"Alt + é", false, 0, 0},
    };
    for (const Case &c : cases) {
        const std::optional<THotKey> key = ParseHotKeyText(QString::fromUtf8(c.text));
        ASSERT_EQ(key.has_value(), c.registers) << c.text;
        if (key) {
            EXPECT_EQ(key->Modifiers, c.modifiers) << c.text;
            EXPECT_EQ(key->Key, c.key) << c.text;
        }
    }
}

TEST(HotKeys, KeycodesOfTheFirstGroupOnly)
{
    constexpr std::uint32_t NoSymbol = 0;
    constexpr std::uint32_t CyrillicEl = 0x6cc, CyrillicEL = 0x6ec, CyrillicKa = 0x6cb, CyrillicKA = 0x6eb;
    // Four symbols per code from code 8 on: first group unshifted and shifted, then the second group.
    const std::vector<std::uint32_t> usAndRussian = {
        'k', 'K', CyrillicEl, CyrillicEL,       // 8: K, Л in the second group
        'r', 'R', CyrillicKa, CyrillicKA,       // 9
        CyrillicKa, CyrillicKA, 'k', 'K',       // 10: K only in the second group
        NoSymbol, NoSymbol, NoSymbol, NoSymbol, // 11
        'K', NoSymbol, NoSymbol, NoSymbol,      // 12: upper case alone
    };
    const struct {
        std::vector<std::uint32_t> keysyms;
        int perCode;
        char letter;
        std::vector<int> codes;
    } cases[] = {
        {usAndRussian, 4, 'K', {8, 12}},
        {usAndRussian, 4, 'R', {9}},
        {usAndRussian, 4, 'Z', {}},
        {{'z', 'Z'}, 2, 'Z', {8}},
        {{'a', 'A', 'z', 'Z'}, 1, 'Z', {10, 11}},  // one symbol a code
        {{'z', 'Z', 'x'}, 2, 'X', {}},           // a short list ends with the last whole code
        {usAndRussian, 0, 'K', {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(1, c.letter) + " per code " + std::to_string(c.perCode));
        EXPECT_EQ(KeycodesForLetter(c.keysyms, c.perCode, 8, c.letter), c.codes);
    }
}
