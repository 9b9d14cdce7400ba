// The frames around docks and floating toolbars: the dock's bound lines, and which part of a
// floating toolbar's frame a point is on (what the pointer would size or drag there).
#include "TestSupport.h"
#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Dock.h"
#include "toolbar/TB2Toolbar.h"

#include <gtest/gtest.h>

namespace {

TEST(TBDockFrame, BoundLinesFrameADockInUse)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto *dock = new TTBDock(&form);
    dock->SetParent(&form);
    dock->SetBoundLines({TTBDockBoundLinesValue::blTop, TTBDockBoundLinesValue::blBottom});
    const auto print = [dock] {
        QImage image = BlankImage(dock->Width(), std::max(dock->Height(), 4), 0x00FF00FF);
        TCanvas canvas(image);
        dock->PaintTo(canvas, 0, 0);
        return image;
    };
    auto *bar = new TTBToolbar(&form);
    bar->Items()->Add(new TTBItem(nullptr));
    bar->SetCurrentDock(dock);
    form.Show();
    const QImage lined = print();
    EXPECT_EQ(PixelAt(lined, 10, 0), ColorToRGB(clBtnShadow));
    EXPECT_NE(PixelAt(lined, 10, dock->Height() - 1), ColorToRGB(clBtnShadow));
    EXPECT_NE(PixelAt(lined, 10, dock->Height() - 1), 0x00FF00FF);
}

TEST(TBDockFrame, FloatingHitTestNamesEveryPartOfTheFrame)
{
    TForm form(nullptr);
    auto *bar = new TTBToolbar(&form);
    bar->Items()->Add(new TTBItem(nullptr));
    bar->SetCloseButton(true);
    bar->SetResizable(true);
    const TRect w{100, 100, 300, 200};
    const TRect nc = bar->GetFloatingNCArea();
    const int cap = GetSystemMetrics(SM_CYSMCAPTION);
    const TRect close = bar->FloatingCloseButtonRect(w);
    const struct { TPoint p; int hit; } rows[] = {
        {{50, 50}, HTNOWHERE}, {{200, 190 - nc.Bottom}, HTCLIENT},
        {{150, 100 + nc.Bottom + cap / 2}, int(tbHTCaption)},
        {{(close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2}, int(tbHTCloseButton)},
        {{100, 100}, HTTOPLEFT}, {{299, 100}, HTTOPRIGHT}, {{100, 199}, HTBOTTOMLEFT}, {{299, 199}, HTBOTTOMRIGHT},
        {{200, 199}, HTBOTTOM},  {{100, 150}, HTLEFT},     {{299, 150}, HTRIGHT},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(testing::Message() << r.p.X << "," << r.p.Y);
        EXPECT_EQ(bar->FloatingHitTest(r.p, w), r.hit);
    }
    bar->SetResizable(false);
    EXPECT_EQ(bar->FloatingHitTest({100, 150}, w), HTBORDER) << "a fixed frame only borders";
}

} // namespace
