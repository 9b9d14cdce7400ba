// How popups are typed for the window manager under a real X server (run under xvfb-run): a
// menu as a drop-down or popup menu, any other popup (a hint) as a tip, shown once or again;
// popups kept out of the window manager's hands, other windows of the program left to it.
#include "../ControlTestSupport.h"
#include "WindowPlacement.h"
#include "platform/Forms.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <functional>
#include <xcb/xcb.h>

namespace {

// The _NET_WM_WINDOW_TYPE atoms of a window, by name, in the order of preference.
QStringList WindowTypes(QWidget *w)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c || !w->windowHandle())
        return {"no window"};
    static const char name[] = "_NET_WM_WINDOW_TYPE";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr);
    const xcb_atom_t property = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(w->windowHandle()->winId()), property, XCB_ATOM_ATOM, 0, 32), nullptr);
    QStringList names;
    if (!reply)
        return {"unreadable"};
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
    for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i) {
        xcb_get_atom_name_reply_t *n = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr);
        if (n)
            names << QString::fromLatin1(xcb_get_atom_name_name(n), xcb_get_atom_name_name_length(n));
        std::free(n);
    }
    std::free(reply);
    return names;
}

// Whether the X server lets the window manager manage the window (override-redirect unset).
// -1: no window or no reply.
int OverrideRedirect(QWidget *w)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c || !w->windowHandle())
        return -1;
    xcb_get_window_attributes_reply_t *reply = xcb_get_window_attributes_reply(
        c, xcb_get_window_attributes(c, xcb_window_t(w->windowHandle()->winId())), nullptr);
    const int result = reply ? int(reply->override_redirect) : -1;
    std::free(reply);
    return result;
}

// The input field of the window's WM_HINTS: whether the window manager may give it the focus.
// -1: no window or no such hint.
int InputHint(QWidget *w)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c || !w->windowHandle())
        return -1;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(w->windowHandle()->winId()), XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 2),
        nullptr);
    const auto *hints = reply && xcb_get_property_value_length(reply) >= 8
                            ? static_cast<const uint32_t *>(xcb_get_property_value(reply)) : nullptr;
    const int result = hints && (hints[0] & 1) ? int(hints[1]) : -1;
    std::free(reply);
    return result;
}

} // namespace

// A window manager focuses or activates the windows it manages when they map or are clicked;
// a menu it managed would take the activation from the form, which ends the menu at once. A
// floating tool window needs the window manager for its keyboard focus (an edit in it).
TEST(PopupTypeX11, PopupsBypassTheWindowManagerAndLeaveTheFormActive)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    ASSERT_TRUE(WaitPlacedAndActive(&form));
    struct Case { const char *name; TWindowKinds kinds; int overrideRedirect; };
    const Case cases[] = {{"hint", {wkPopup, wkNoActivate}, 1},
                          {"drop-down menu", {wkPopup, wkDropDownMenu}, 1},
                          {"popup menu", {wkPopup, wkPopupMenu}, 1},
                          {"floating tool window", {wkToolWindow}, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        THost window;
        window.SetBounds(500, 150, 120, 90);
        // Kinds set before the window exists and again on one Qt has already created.
        for (int again = 0; again < 2; ++again) {
            window.SetWindowKinds(again ? TWindowKinds{} : c.kinds);
            window.SetWindowKinds(c.kinds);
            window.Show();
            ASSERT_TRUE(WaitPlaced(&window));
            EXPECT_EQ(OverrideRedirect(&window), c.overrideRedirect);
            if (c.overrideRedirect) {
                EXPECT_TRUE(form.isActiveWindow());
                EXPECT_EQ(QGuiApplication::focusWindow(), form.windowHandle());
            }
            window.Hide();
            QApplication::processEvents();
        }
    }
}

TEST(PopupTypeX11, MenusAreTypedAsMenusAndOtherPopupsAsTips)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    ASSERT_TRUE(WaitPlaced(&form));
    struct Case { TWindowKinds kinds; const char *type; };
    const Case cases[] = {{{wkPopup, wkNoActivate}, "_NET_WM_WINDOW_TYPE_TOOLTIP"},
                          {{wkPopup, wkDropDownMenu}, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU"},
                          {{wkPopup, wkPopupMenu}, "_NET_WM_WINDOW_TYPE_POPUP_MENU"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        THost popup;
        popup.SetWindowKinds(c.kinds);
        popup.SetBounds(500, 150, 120, 90);
        // Shown, hidden and shown again: Qt types the window anew each time it shows it.
        for (int shown = 0; shown < 2; ++shown) {
            popup.Show();
            ASSERT_TRUE(WaitPlaced(&popup));
            const QStringList types = WindowTypes(&popup);
            EXPECT_EQ(types.value(0), QString::fromLatin1(c.type)) << types.join(' ').toStdString();
            EXPECT_TRUE(QString(c.type).endsWith("TOOLTIP") || !types.contains("_NET_WM_WINDOW_TYPE_TOOLTIP"))
                << "a menu is no tip";
            EXPECT_FALSE(popup.isActiveWindow());
            popup.Hide();
            QApplication::processEvents();
        }
    }
}

// Whether a click may activate a window is the window manager's to know before the click: a
// window that clicks do not activate says so, and keeps saying so whenever Qt writes the
// window's hints afresh (shown, its kinds changed).
TEST(PopupTypeX11, AWindowThatClicksDoNotActivateTellsTheWindowManager)
{
    THost window;
    window.SetWindowKinds({wkToolWindow});
    window.SetBounds(500, 150, 120, 90);
    window.SetClickActivates(false);
    const struct { const char *name; std::function<void()> change; int input; } steps[] = {
        {"shown", [&] { window.Show(); }, 0},
        {"kinds changed", [&] { window.SetWindowKinds({wkToolWindow, wkTopMost}); }, 0},
        {"clicks activate", [&] { window.SetClickActivates(true); }, 1},
    };
    for (const auto &step : steps) {
        step.change();
        ASSERT_TRUE(WaitPlaced(&window)) << step.name;
        EXPECT_EQ(InputHint(&window), step.input) << step.name;
    }
}
