// Popup windows against a real X server (run under xvfb-run): real pointer input by XTest.
#include "../ControlTestSupport.h"
#include "XTestPointer.h"
#include "platform/Forms.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// Moves the pointer to `screen` and runs the event loop until Qt has handled that move. The X
// server delivers its events in order, so whatever an earlier click brought about (a change of
// the active window among it) has been handled by then; nothing waits on the clock.
struct Barrier : QObject {
    QPoint target;
    bool seen = false;

    bool Pass(XTestPointer &pointer, QPoint screen)
    {
        target = screen;
        seen = false;
        qApp->installEventFilter(this);
        pointer.MoveTo(screen.x(), screen.y());
        const bool passed = sim::WaitFor([&] { return seen; }, 10000);
        qApp->removeEventFilter(this);
        QApplication::processEvents();
        return passed;
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        seen |= e->type() == QEvent::MouseMove && static_cast<QMouseEvent *>(e)->globalPosition().toPoint() == target;
        return false;
    }
};

// The _NET_WM_WINDOW_TYPE atoms of a window, by name, in the order of preference.
QStringList WindowTypes(QWidget *w)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {"no connection"};
    static const char name[] = "_NET_WM_WINDOW_TYPE";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr);
    const xcb_atom_t property = atom ? atom->atom : XCB_ATOM_NONE;
    std::free(atom);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(w->windowHandle()->winId()), property, XCB_ATOM_ATOM, 0, 32), nullptr);
    QStringList names;
    if (!reply)
        return names;
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

} // namespace

// A popup never takes activation, not even when clicked, and only its owner hides it; the
// window manager learns whether it is a menu (dropped from a bar, or opened elsewhere) or a tip.
TEST(PopupX11, PopupNeverTakesActivationAndStaysUntilItsOwnerHidesIt)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    struct Case { TWindowKinds kinds; const char *type; };
    const Case cases[] = {{{wkPopup, wkTopMost}, "_NET_WM_WINDOW_TYPE_TOOLTIP"},
                          {{wkPopup, wkDropDownMenu}, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU"},
                          {{wkPopup, wkPopupMenu}, "_NET_WM_WINDOW_TYPE_POPUP_MENU"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        THost popup;
        int presses = 0, releases = 0;
        popup.onMessage = [&](TMessage &m) {
            presses += m.Msg == WM_LBUTTONDOWN;
            releases += m.Msg == WM_LBUTTONUP;
        };
        popup.SetWindowKinds(c.kinds);
        popup.SetBounds(500, 150, 120, 90);
        popup.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
        const QStringList types = WindowTypes(&popup);
        EXPECT_EQ(types.value(0), c.type) << types.join(' ').toStdString();
        EXPECT_TRUE(QString(c.type).endsWith("TOOLTIP") || !types.contains("_NET_WM_WINDOW_TYPE_TOOLTIP"))
            << "a menu is no tip";
        // Clicked, the popup gets the press but the form stays the active window.
        const QPoint inPopup = popup.mapToGlobal(QPoint(30, 30));
        pointer.MoveTo(inPopup.x(), inPopup.y());
        pointer.Click();
        ASSERT_TRUE(sim::WaitFor([&] { return presses == 1 && releases == 1; }));
        Barrier barrier;
        ASSERT_TRUE(barrier.Pass(pointer, inPopup + QPoint(5, 5)));
        EXPECT_EQ(QApplication::activeWindow(), &form);
        EXPECT_FALSE(popup.isActiveWindow());
        // A click elsewhere does not close it: only its owner does.
        const QPoint inForm = form.mapToGlobal(QPoint(20, 20));
        pointer.MoveTo(inForm.x(), inForm.y());
        pointer.Click();
        ASSERT_TRUE(barrier.Pass(pointer, inForm + QPoint(5, 5)));
        EXPECT_TRUE(popup.isVisible());
        EXPECT_EQ(QApplication::activeWindow(), &form);
        // Hidden, the focus stays with the form.
        popup.Hide();
        ASSERT_TRUE(barrier.Pass(pointer, inForm + QPoint(8, 8)));
        EXPECT_EQ(QApplication::activeWindow(), &form);
    }
}
