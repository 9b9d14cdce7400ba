// A plain Qt widget inside a control that holds it, clicked by the real pointer (XTest).
#include "HoverX11.h"
#include "WindowPlacement.h"
#include "platform/Forms.h"

#include <QProgressBar>
#include <gtest/gtest.h>

// The bar leaves the press unused, so it reaches the holding control, which takes the capture;
// the release is the bar's all the same, and what the bar leaves of it still makes the
// control's click.
TEST(WidgetControlX11, APlainWidgetThatPassedItsPressUpGetsTheRelease)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    TForm form(nullptr);
    form.SetBounds(120, 120, 320, 200);
    struct TBar : QProgressBar {
        int releases = 0;
        void mouseReleaseEvent(QMouseEvent *e) override { ++releases, QProgressBar::mouseReleaseEvent(e); }
    } *bar = new TBar;
    auto *holder = new TWidgetControl(&form, bar);
    holder->SetParent(&form);
    holder->SetAlign(TAlign::alClient);
    int clicks = 0;
    holder->OnClick = [&](TComponent *) { ++clicks; };
    form.Show();
    ASSERT_TRUE(WaitPlacedAndActive(&form));
    ASSERT_TRUE(HoverX11(pointer, bar));
    pointer.Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 5000)) << "the holder's click";
    EXPECT_EQ(bar->releases, 1) << "the bar saw its release";
}
