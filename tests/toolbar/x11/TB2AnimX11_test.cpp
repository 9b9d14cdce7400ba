// A menu dropped from a bar under a real X server (run under xvfb-run): with the desktop's
// settings as a new desktop has them it animates; Xvfb runs no compositor, so instead of fading
// it slides down, and the screen shows one more part of it at each frame.
#include "../TB2TestSupport.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"
#include "platform/SysColors.h"
#include "toolbar/TB2Anim.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

// The popup's top rows lie over the bar it dropped from; below them, the form is behind it.
constexpr int OverBar = 3;

// The rows of the popup's rectangle below OverBar that show the popup rather than the form
// behind it, counted down a column inside its frame.
int ShownRows(const QRect &popup, QRgb behind)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, popup.x(), popup.y(), popup.width(), popup.height()).toImage();
    int rows = 0;
    for (int y = OverBar; y < shot.height(); ++y)
        rows += (shot.pixel(1, y) & 0xFFFFFF) != (behind & 0xFFFFFF);
    return rows;
}

} // namespace

TEST(TB2AnimX11, AMenuDroppedFromABarSlidesDownFrameByFrameWithoutACompositor)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    ResetSysParams();
    ASSERT_TRUE(GetMenuAnimation() && GetMenuFade()) << "a new desktop animates menus by fading them";
    ASSERT_FALSE(LayeredWindowsAvailable()) << "Xvfb runs no compositor";
    qint64 now = 0;
    SetMenuAnimationClock([&] { return now; });
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 360);
    const TColor green = RGB(0, 160, 0);
    form.SetColor(green);
    auto *dock = new TTBDock(&form);
    dock->SetParent(&form);
    auto *bar = new TTBToolbar(&form);
    bar->SetHideWhenInactive(false);
    ClickLog log;
    TTBCustomItem *menu = log.Add(bar->Items(), QStringLiteral("文件"), new TSubmenuItem(nullptr));
    for (int i = 0; i < 8; ++i)
        log.Add(menu, QStringLiteral("命令%1").arg(i));
    bar->SetCurrentDock(dock);
    form.Show();
    ASSERT_TRUE(WaitPlacedAndActive(&form));

    TTBPopupWindow *popup = nullptr;
    QRect rect;
    std::vector<std::pair<int, int>> frames;  // (rows expected, rows on the screen)
    ScriptSteps s([&] { pointer.Keys({"Escape"}), pointer.Keys({"Escape"}); });
    s.Then([&] {
        TTBView *open = bar->View()->OpenViewerView();
        popup = open ? static_cast<TTBPopupWindow *>(open->Window()) : nullptr;
        return popup && popup->isVisible() && MenuAnimationWindow() == popup;
    });
    s.Do([&] { rect = QRect(popup->mapToGlobal(QPoint(0, 0)), popup->size()); });
    // Each frame: the time moves on, the pacing loop reports the step, and the screen follows.
    for (qint64 t : {0, 40, 80, 120}) {
        s.Do([&, t] {
            now = t;
            MenuAnimationTick();
        });
        s.Then([&, t] {
            const int step = int(t * 255 / 150);
            const int expected = std::max(0, MulDiv(rect.height(), step, 255) - OverBar);
            const int shown = ShownRows(rect, ColorToQRgb(green));
            if (std::abs(shown - expected) > 1)
                return false;
            frames.emplace_back(expected, shown);
            return true;
        });
    }
    s.Do([&] { now = 200, MenuAnimationTick(); });
    s.Then([&] { return MenuAnimationWindow() == nullptr && ShownRows(rect, ColorToQRgb(green)) == rect.height() - OverBar; });
    s.Do([&] { pointer.Keys({"Escape"}), pointer.Keys({"Escape"}); });
    s.Start();
    const TPoint title = bar->ClientToScreen({10, bar->ClientHeight() / 2});
    pointer.MoveTo(title.X, title.Y);
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.Done() && !bar->View()->State().Contains(TTBViewStateItem::vsModal); }, 15000));
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames.front().second, 0) << "the first frame shows nothing yet";
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_GT(frames[i].second, frames[i - 1].second) << "each frame shows more of the menu, top part first";
    EXPECT_TRUE(log.clicks.empty());
    SetMenuAnimationClock(nullptr);
}
