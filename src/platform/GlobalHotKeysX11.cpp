// Global hot keys as passive key grabs on the X root window. The X headers stay in this file:
// they define macros (None, KeyPress, Bool) that collide with names elsewhere.
#include "GlobalHotKeys.h"

#include <QObject>

namespace {

class NoHotKeys final : public IGlobalHotKeys
{
public:
    bool Register(int, const THotKey &) override { return false; }
    void Unregister(int) override {}
};

} // namespace

#ifdef ORV_HAVE_XCB

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// A grab only fires for the exact modifier state, so each key is also grabbed with Caps Lock and
// Num Lock (Mod2 on every common layout) held.
constexpr std::uint16_t LockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                          XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t CountedModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

class X11HotKeys final : public IGlobalHotKeys, public QAbstractNativeEventFilter
{
public:
    X11HotKeys(xcb_connection_t *connection, xcb_window_t root) : connection_(connection), root_(root)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11HotKeys() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        while (!grabs_.empty())
            Unregister(grabs_.begin()->first);
    }

    bool Register(int id, const THotKey &key) override
    {
        Unregister(id);
        const std::vector<xcb_keycode_t> codes = KeycodesFor(key.Key);
        if (codes.empty())
            return false;
        Grab grab;
        if (key.Modifiers & THotKey::MOD_CONTROL)
            grab.modifiers |= XCB_MOD_MASK_CONTROL;
        if (key.Modifiers & THotKey::MOD_ALT)
            grab.modifiers |= XCB_MOD_MASK_1;
        for (xcb_keycode_t code : codes) {
            for (std::uint16_t lock : LockVariants) {
                const xcb_void_cookie_t cookie =
                    xcb_grab_key_checked(connection_, 1, root_, grab.modifiers | lock, code,
                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
                if (xcb_generic_error_t *error = xcb_request_check(connection_, cookie)) {
                    // Another client holds the key: give back what was taken so far.
                    std::free(error);
                    grab.codes.push_back(code);
                    Ungrab(grab);
                    return false;
                }
            }
            grab.codes.push_back(code);
        }
        grabs_[id] = grab;
        return true;
    }

    void Unregister(int id) override
    {
        const auto it = grabs_.find(id);
        if (it == grabs_.end())
            return;
        Ungrab(it->second);
        grabs_.erase(it);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
            return false;
        const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
        for (const auto &[id, grab] : grabs_) {
            if ((press->state & CountedModifiers) != grab.modifiers)
                continue;
            for (xcb_keycode_t code : grab.codes) {
                if (code != press->detail)
                    continue;
                // Handlers open modal prompts; running them inside the native filter would nest
                // an event loop in the middle of Qt's event dispatch.
                const int hit = id;
                QMetaObject::invokeMethod(&context_, [this, hit] {
                    if (OnHotKey)
                        OnHotKey(hit);
                }, Qt::QueuedConnection);
                return true;
            }
        }
        return false;
    }

private:
    struct Grab {
        std::uint16_t modifiers = 0;
        std::vector<xcb_keycode_t> codes;
    };

    void Ungrab(const Grab &grab)
    {
        for (xcb_keycode_t code : grab.codes) {
            for (std::uint16_t lock : LockVariants)
                xcb_ungrab_key(connection_, code, root_, grab.modifiers | lock);
        }
        // Wait until the server has done it: a program that asks for the key right after we
        // gave it back must get it.
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    std::vector<xcb_keycode_t> KeycodesFor(char letter) const
    {
        std::vector<xcb_keycode_t> codes;
        const xcb_setup_t *setup = xcb_get_setup(connection_);
        const int first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, xcb_keycode_t(first), std::uint8_t(count)), nullptr);
        if (!reply)
            return codes;
        const std::span<const std::uint32_t> syms(xcb_get_keyboard_mapping_keysyms(reply),
                                                  std::size_t(xcb_get_keyboard_mapping_keysyms_length(reply)));
        for (int code : KeycodesForLetter(syms, reply->keysyms_per_keycode, first, letter))
            codes.push_back(xcb_keycode_t(code));
        std::free(reply);
        return codes;
    }

    xcb_connection_t *connection_;
    xcb_window_t root_;
    std::map<int, Grab> grabs_;
    QObject context_;  // queued hot-key calls die with this object
};

} // namespace

std::unique_ptr<IGlobalHotKeys> CreateSystemHotKeys()
{
    auto *app = qGuiApp;
    auto *x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return std::make_unique<NoHotKeys>();
    xcb_connection_t *connection = x11->connection();
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::make_unique<NoHotKeys>();
    return std::make_unique<X11HotKeys>(connection, screen->root);
}

#else

std::unique_ptr<IGlobalHotKeys> CreateSystemHotKeys()
{
    return std::make_unique<NoHotKeys>();
}

#endif
