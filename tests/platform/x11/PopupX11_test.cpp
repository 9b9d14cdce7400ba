// Popup windows against a real X server (run under xvfb-run): real pointer input by XTest.
#include "../ControlTestSupport.h"
#include "XTestPointer.h"
#include "platform/Forms.h"

#include <QMouseEvent>
#include <QTest>

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

} // namespace

TEST(PopupX11, PopupNeverTakesActivationAndStaysUntilItsOwnerHidesIt)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    THost popup;
    int presses = 0, releases = 0;
    popup.onMessage = [&](TMessage &m) {
        presses += m.Msg == WM_LBUTTONDOWN;
        releases += m.Msg == WM_LBUTTONUP;
    };
    popup.SetWindowKinds({wkPopup, wkTopMost});
    popup.SetBounds(500, 150, 120, 90);
    popup.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
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
}
