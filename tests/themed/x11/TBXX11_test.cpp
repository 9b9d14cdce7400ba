// Themed items in a popup menu under a real X server (run under xvfb-run), chosen with real
// pointer events.
#include "themed/TBX.h"

#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Pointer input through the X server's test extension; defined below the X11 headers.
bool PointerAvailable();
void PointerMoveTo(int x, int y);
void PointerClick();

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

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

Display *PointerDisplay()
{
    static Display *display = XOpenDisplay(nullptr);
    return display;
}

bool PointerAvailable() { return PointerDisplay() != nullptr; }

void PointerMoveTo(int x, int y)
{
    XTestFakeMotionEvent(PointerDisplay(), -1, x, y, CurrentTime);
    XSync(PointerDisplay(), False);
}

void PointerClick()
{
    XTestFakeButtonEvent(PointerDisplay(), 1, True, CurrentTime);
    XTestFakeButtonEvent(PointerDisplay(), 1, False, CurrentTime);
    XSync(PointerDisplay(), False);
}

} // namespace
