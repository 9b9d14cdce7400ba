// Global hot keys against a real X server (run under xvfb-run).
#include "platform/GlobalHotKeys.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// A second client on the same display, as another program competing for the key would be.
class OtherClient
{
public:
    ~OtherClient() { xcb_disconnect(connection_); }
    bool Grab(xcb_keycode_t code, std::uint16_t mods)
    {
        auto grab = xcb_grab_key_checked(connection_, 1, root_, mods, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t *error = xcb_request_check(connection_, grab);
        std::free(error);
        return error == nullptr;
    }
    void Ungrab(xcb_keycode_t code, std::uint16_t modifiers)
    {
        xcb_ungrab_key(connection_, code, root_, modifiers);
        xcb_flush(connection_);
    }
    // Whether the combination is free: grabbed and given back at once.
    bool Free(xcb_keycode_t code, std::uint16_t modifiers)
    {
        const bool grabbed = Grab(code, modifiers);
        Ungrab(code, modifiers);
        return grabbed;
    }
    xcb_keycode_t KeycodeOf(xcb_keysym_t sym) const
    {
        const xcb_setup_t *setup = xcb_get_setup(connection_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto *reply = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr);
        xcb_keycode_t found = 0;  // the lowest key code with the symbol
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply);
        for (int i = count * reply->keysyms_per_keycode - 1; i >= 0; --i)
            found = syms[i] == sym ? xcb_keycode_t(setup->min_keycode + i / reply->keysyms_per_keycode) : found;
        std::free(reply);
        return found;
    }
private:
    xcb_connection_t *connection_ = xcb_connect(nullptr, nullptr);
    xcb_window_t root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
};

constexpr std::uint16_t Alt = XCB_MOD_MASK_1, Ctrl = XCB_MOD_MASK_CONTROL, NumLock = XCB_MOD_MASK_2,
                        CapsLock = XCB_MOD_MASK_LOCK;

// A key press as the X server hands it to the application; true when the service ate it.
bool SendPress(xcb_keycode_t code, std::uint16_t state)
{
    xcb_key_press_event_t press{};
    press.response_type = XCB_KEY_PRESS;
    press.detail = code;
    press.state = state;
    qintptr result = 0;
    return QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &press, &result);
}

} // namespace

TEST(GlobalHotKeysX11, GrabsEveryLockStateReportsPressesAndGivesKeysBack)
{
    ASSERT_NE(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), nullptr);
    OtherClient other;
    const xcb_keycode_t z = other.KeycodeOf('z'), x = other.KeycodeOf('x'), q = other.KeycodeOf('q');
    ASSERT_TRUE(z && x && q);
    std::unique_ptr<IGlobalHotKeys> keys = CreateSystemHotKeys();
    std::vector<int> hits;
    keys->OnHotKey = [&hits](int id) { hits.push_back(id); };
    ASSERT_TRUE(keys->Register(7, {THotKey::MOD_ALT, 'Z'}));
    for (std::uint16_t locks : {0, int(NumLock), int(CapsLock), NumLock | CapsLock})
        EXPECT_FALSE(other.Free(z, Alt | locks)) << "lock state " << locks;
    EXPECT_TRUE(other.Free(z, Ctrl)) << "other combinations stay free for other programs";
    const struct { std::uint16_t state; xcb_keycode_t code; bool hit; } cases[] = {
        {Alt, z, true}, {std::uint16_t(Alt | NumLock | CapsLock), z, true}, {std::uint16_t(Alt | Ctrl), z, false},
        {0, z, false},  {Alt, q, false},
    };
    for (const auto &c : cases) {
        hits.clear();
        EXPECT_EQ(SendPress(c.code, c.state), c.hit) << "state " << c.state;
        QCoreApplication::processEvents();
        EXPECT_EQ(hits, c.hit ? std::vector<int>{7} : std::vector<int>{}) << "state " << c.state;
    }
    keys->Unregister(7);
    EXPECT_TRUE(other.Free(z, Alt));
    // Ctrl+Alt takes both modifiers together, not either alone.
    ASSERT_TRUE(keys->Register(2, {THotKey::MOD_CONTROL | THotKey::MOD_ALT, 'X'}));
    EXPECT_FALSE(other.Free(x, Ctrl | Alt));
    EXPECT_TRUE(other.Free(x, Ctrl));
    // A key held elsewhere is refused; the variants taken before the refusal are given back.
    ASSERT_TRUE(other.Grab(q, Alt | NumLock));
    EXPECT_FALSE(keys->Register(1, {THotKey::MOD_ALT, 'Q'}));
    other.Ungrab(q, Alt | NumLock);
    EXPECT_TRUE(other.Free(q, Alt));
    // A pending call must not reach a service that is gone.
    EXPECT_TRUE(SendPress(x, Ctrl | Alt));
    hits.clear();
    keys.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(hits.empty());
}
