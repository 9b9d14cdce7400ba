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

namespace {

// Each test grabs its own letter: the test programs share one X server and may run at once.

// A second client on the same display, as another program competing for the key would be.
class OtherClient
{
public:
    OtherClient()
        : connection_(xcb_connect(nullptr, nullptr)),
          root_(xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root)
    {
    }
    ~OtherClient() { xcb_disconnect(connection_); }

    bool Grab(xcb_keycode_t code, std::uint16_t modifiers)
    {
        xcb_generic_error_t *error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, modifiers, code, XCB_GRAB_MODE_ASYNC,
                                              XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }
    void Ungrab(xcb_keycode_t code, std::uint16_t modifiers)
    {
        xcb_ungrab_key(connection_, code, root_, modifiers);
        xcb_flush(connection_);
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
    xcb_connection_t *connection_;
    xcb_window_t root_;
};

constexpr std::uint16_t Alt = XCB_MOD_MASK_1;
constexpr std::uint16_t Ctrl = XCB_MOD_MASK_CONTROL;
constexpr std::uint16_t NumLock = XCB_MOD_MASK_2;
constexpr std::uint16_t CapsLock = XCB_MOD_MASK_LOCK;

} // namespace

TEST(GlobalHotKeysX11, GrabsTheKeyWithEveryLockStateAndGivesItBack)
{
    ASSERT_NE(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), nullptr);
    OtherClient other;
    const xcb_keycode_t z = other.KeycodeOf('z');
    ASSERT_NE(z, 0);

    std::unique_ptr<IGlobalHotKeys> keys = CreateSystemHotKeys();
    ASSERT_TRUE(keys->Register(1, {THotKey::MOD_ALT, 'Z'}));
    for (std::uint16_t locks : {0, int(NumLock), int(CapsLock), NumLock | CapsLock})
        EXPECT_FALSE(other.Grab(z, Alt | locks)) << "lock state " << locks;
    // Other combinations stay free for other programs.
    EXPECT_TRUE(other.Grab(z, Ctrl));
    other.Ungrab(z, Ctrl);

    keys->Unregister(1);
    EXPECT_TRUE(other.Grab(z, Alt));
    other.Ungrab(z, Alt);
    // Ctrl+Alt takes both modifiers together, not either alone.
    const xcb_keycode_t x = other.KeycodeOf('x');
    ASSERT_TRUE(keys->Register(2, {THotKey::MOD_CONTROL | THotKey::MOD_ALT, 'X'}));
    EXPECT_FALSE(other.Grab(x, Ctrl | Alt));
    EXPECT_TRUE(other.Grab(x, Ctrl));
    other.Ungrab(x, Ctrl);
}

TEST(GlobalHotKeysX11, AKeyHeldElsewhereIsRefusedWithoutLeftovers)
{
    OtherClient other;
    const xcb_keycode_t q = other.KeycodeOf('q');
    ASSERT_TRUE(other.Grab(q, Alt | NumLock));

    std::unique_ptr<IGlobalHotKeys> keys = CreateSystemHotKeys();
    EXPECT_FALSE(keys->Register(1, {THotKey::MOD_ALT, 'Q'}));
    other.Ungrab(q, Alt | NumLock);
    // The variants that had been taken before the refusal were given back.
    EXPECT_TRUE(other.Grab(q, Alt));
    other.Ungrab(q, Alt);
}

TEST(GlobalHotKeysX11, KeyPressReachesTheHandlerWhateverTheLocks)
{
    OtherClient other;
    const xcb_keycode_t z = other.KeycodeOf('j');
    std::unique_ptr<IGlobalHotKeys> keys = CreateSystemHotKeys();
    QList<int> hits;
    keys->OnHotKey = [&hits](int id) { hits << id; };
    ASSERT_TRUE(keys->Register(7, {THotKey::MOD_ALT, 'J'}));
    // A key press as the X server hands it to the application; true when the service ate it.
    const auto send = [](xcb_keycode_t code, std::uint16_t state) {
        xcb_key_press_event_t press{};
        press.response_type = XCB_KEY_PRESS;
        press.detail = code;
        press.state = state;
        qintptr result = 0;
        return QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &press, &result);
    };

    struct Case { std::uint16_t state; xcb_keycode_t code; bool hit; };
    const Case cases[] = {
        {Alt, z, true}, {std::uint16_t(Alt | NumLock | CapsLock), z, true}, {std::uint16_t(Alt | Ctrl), z, false},
        {0, z, false},  {Alt, xcb_keycode_t(z + 1), false},
    };
    for (const Case &c : cases) {
        hits.clear();
        EXPECT_EQ(send(c.code, c.state), c.hit) << "state " << c.state;
        QCoreApplication::processEvents();
        EXPECT_EQ(hits.size(), int(c.hit)) << "state " << c.state;
        EXPECT_EQ(hits.count(7), int(c.hit)) << "state " << c.state;
    }
    // A pending call must not reach a service that is gone.
    send(z, Alt);
    hits.clear();
    keys.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(hits.isEmpty());
}

