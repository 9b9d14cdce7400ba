// Themed items in a popup menu under a real X server (xvfb-run), chosen with real pointer events.
#include "../../toolbar/TB2TestSupport.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"
#include "themed/SpTBXItem.h"
#include "themed/TBX.h"
#include "themed/TBXNexus.h"
#include "platform/Forms.h"
#include "platform/SysParams.h"
#include <QTest>
#include <gtest/gtest.h>

TEST(TBXX11, AThemedSubmenuOpensAThemedPopupAndARealClickChoosesOnce)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    ResetSysParams();
    TTBPopupMenu menu(nullptr);
    auto *more = new TSpTBXSubmenuItem(nullptr);
    more->SetCaptionW(QStringLiteral("更多"));
    menu.Items()->Add(more);
    int clicks[2] = {};
    for (int i = 0; i < 2; ++i) {
        auto *item = new TSpTBXItem(nullptr);
        item->SetCaptionW(QStringLiteral("项目 %1").arg(i));
        item->OnClick = [&clicks, i](TComponent *) { ++clicks[i]; };
        more->Add(item);
    }
    bool themed = false, framed = false;
    const auto pointAt = [&](const TTBItemViewer *v) { pointer.MoveTo(Center(v).x(), Center(v).y()); };
    const auto sub = [] { return RootView() ? RootView()->OpenViewerView() : nullptr; };
    ScriptSteps s([] {
        if (TTBView *root = RootView())
            root->EndModal();
    });
    s.Then([&] { return RootView() && RootView()->ViewerCount() == 1 && RootView()->Window()->isVisible(); });
    s.Do([&] { pointAt(RootView()->Viewers(0)); });
    s.Then([&] { return sub() && sub()->ViewerCount() == 2 && sub()->Window()->isVisible(); });
    s.Do([&] {
        auto *popup = dynamic_cast<TTBXPopupWindow *>(sub()->Window());
        themed = popup != nullptr;
        TPoint border;
        CurrentTheme()->GetViewBorder(VT_POPUPMENU, border);
        framed = popup && popup->ClientOrigin().X - popup->Left() == border.X;
        pointAt(sub()->Viewers(1));
    });
    s.Then([&] { return sub() && sub()->Selected() == sub()->Viewers(1); });
    s.Do([&] { pointer.Click(); });
    s.Start();
    pointer.MoveTo(10, 10);
    menu.Popup(200, 150);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks[1] > 0; }, 5000));
    QApplication::processEvents();
    EXPECT_TRUE(themed) << "a themed item opens a themed popup";
    EXPECT_TRUE(framed) << "its frame is as wide as the theme's border";
    EXPECT_EQ(std::tuple(clicks[0], clicks[1], RootView()), std::tuple(0, 1, nullptr)) << "chosen once, menu closed";
}

TEST(TBXX11, TheDockedCloseButtonLightsUpUnderTheRealPointerAndGoesOutWhenItLeaves)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    SetCurrentTheme("Default");
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 200);
    auto *dock = new TTBXDock(&form);
    dock->SetParent(&form);
    auto *bar = new TTBXToolbar(&form);
    bar->SetHideWhenInactive(false);
    bar->SetCloseButtonWhenDocked(true);
    auto *item = new TTBXItem(bar);
    item->SetCaption(QStringLiteral("保存"));
    bar->Items()->Add(item);
    bar->SetCurrentDock(dock);
    form.Show();
    ASSERT_TRUE(WaitPlacedAndActive(&form));
    TTBXFrameInfo info;
    bar->GetFrameInfo(info);
    TRect button;
    GetCloseButtonRect(info, button);
    const QPoint over = bar->mapToGlobal(QPoint((button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2));
    pointer.MoveTo(over.x(), over.y() + 60);
    pointer.MoveTo(over.x(), over.y());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->CloseButtonHot(); }, 5000)) << "over the close button";
    bar->GetFrameInfo(info);
    EXPECT_EQ(info.CloseButtonState, CLOSE_VISIBLE | CLOSE_HOT);
    pointer.MoveTo(over.x(), over.y() + 60);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bar->CloseButtonHot(); }, 5000)) << "the pointer left the toolbar";
}
