// Popup windows against a real X server (run under xvfb-run): real pointer input by XTest.
#include "../ControlTestSupport.h"
#include "PointerBarrier.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"
#include "platform/Forms.h"

#include <QMouseEvent>

TEST(PopupX11, PopupNeverTakesActivationAndStaysUntilItsOwnerHidesIt)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    ASSERT_TRUE(WaitPlacedAndActive(&form));
    THost popup;
    int presses = 0, releases = 0;
    popup.onMessage = [&](TMessage &m) {
        presses += m.Msg == WM_LBUTTONDOWN;
        releases += m.Msg == WM_LBUTTONUP;
    };
    popup.SetWindowKinds({wkPopup, wkTopMost});
    popup.SetBounds(500, 150, 120, 90);
    popup.Show();
    ASSERT_TRUE(WaitPlaced(&popup));
    // Clicked, the popup gets the press but the form stays the active window.
    const QPoint inPopup = popup.mapToGlobal(QPoint(30, 30));
    pointer.MoveTo(inPopup.x(), inPopup.y());
    pointer.Click();
    ASSERT_TRUE(sim::WaitFor([&] { return presses == 1 && releases == 1; }));
    PointerBarrier barrier;
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
