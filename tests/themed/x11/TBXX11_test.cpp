// Themed items in a popup menu under a real X server (run under xvfb-run), chosen with real
// pointer events.
#include "themed/SpTBXItem.h"
#include "themed/TBX.h"


#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Pointer input through the X server's test extension (PointerInput.cpp, the one file that
// includes the X11 headers).
bool PointerAvailable();
void PointerMoveTo(int x, int y);
void PointerClick();

namespace {

TTBView *OpenRootView()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = dynamic_cast<TTBPopupWindow *>(w); p && p->isVisible() && !p->View()->ParentView())
            return p->View();
    return nullptr;
}

} // namespace

TEST(TBXX11, RealClickChoosesAThemedMenuItemOnce)
{
    ASSERT_TRUE(PointerAvailable());
    ResetSysParams();
    TTBPopupMenu menu(nullptr);
    int clicks[3] = {};
    for (int i = 0; i < 3; ++i) {
        auto *item = new TTBXItem(nullptr);
        item->SetCaption(QStringLiteral("项目 %1").arg(i));
        item->OnClick = [&clicks, i](TComponent *) { ++clicks[i]; };
        menu.Items()->Add(item);
    }

    enum { WaitMenu, WaitSelected, Done } step = WaitMenu;
    QElapsedTimer patience;
    patience.start();
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        TTBView *view = OpenRootView();
        if (step == WaitMenu && view && view->ViewerCount() == 3 && view->Window()->isVisible()) {
            const TRect r = view->Viewers(2)->ScreenRect();
            PointerMoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            step = WaitSelected;
        } else if (step == WaitSelected && view && view->Selected() == view->Viewers(2)) {
            PointerClick();
            step = Done;
        } else if (patience.elapsed() > 10000 && view) {
            ADD_FAILURE() << "the menu did not follow the pointer";
            view->EndModal();
        }
    });
    script.start(10);
    PointerMoveTo(10, 10);
    menu.Popup(200, 150);
    script.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks[2] > 0; }, 5000));
    QApplication::processEvents();
    EXPECT_EQ(clicks[0], 0);
    EXPECT_EQ(clicks[1], 0);
    EXPECT_EQ(clicks[2], 1);
    EXPECT_EQ(OpenRootView(), nullptr);
}

TEST(TBXX11, AThemedSubmenuOpensAThemedPopupAndARealClickChoosesOnce)
{
    ASSERT_TRUE(PointerAvailable());
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

    bool themed = false;
    bool framed = false;
    enum { WaitMenu, WaitSubmenu, WaitSelected, Done } step = WaitMenu;
    QElapsedTimer patience;
    patience.start();
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        TTBView *root = OpenRootView();
        TTBView *sub = root ? root->OpenViewerView() : nullptr;
        if (step == WaitMenu && root && root->ViewerCount() == 1 && root->Window()->isVisible()) {
            const TRect r = root->Viewers(0)->ScreenRect();
            PointerMoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            step = WaitSubmenu;
        } else if (step == WaitSubmenu && sub && sub->ViewerCount() == 2 && sub->Window()->isVisible()) {
            auto *popup = dynamic_cast<TTBXPopupWindow *>(sub->Window());
            themed = popup != nullptr;
            TPoint border;
            CurrentTheme()->GetViewBorder(VT_POPUPMENU, border);
            framed = popup && popup->ClientOrigin().X - popup->Left() == border.X;
            const TRect r = sub->Viewers(1)->ScreenRect();
            PointerMoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            step = WaitSelected;
        } else if (step == WaitSelected && sub && sub->Selected() == sub->Viewers(1)) {
            PointerClick();
            step = Done;
        } else if (patience.elapsed() > 10000 && root) {
            ADD_FAILURE() << "the menu did not follow the pointer";
            root->EndModal();
        }
    });
    script.start(10);
    PointerMoveTo(10, 10);
    menu.Popup(200, 150);
    script.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks[1] > 0; }, 5000));
    QApplication::processEvents();
    EXPECT_TRUE(themed) << "a themed item opens a themed popup";
    EXPECT_TRUE(framed) << "its frame is as wide as the theme's border";
    EXPECT_EQ(clicks[0], 0);
    EXPECT_EQ(clicks[1], 1);
}
