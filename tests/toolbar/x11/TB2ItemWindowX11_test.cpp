// A popup menu under a real X server (run under xvfb-run), used with real pointer events.
#include "XTestPointer.h"
#include "platform/Forms.h"
#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TPoint Centre(const TRect &r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

TTBView *OpenRootView()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = dynamic_cast<TTBPopupWindow *>(w); p && p->isVisible() && !p->View()->ParentView())
            return p->View();
    return nullptr;
}

} // namespace

TEST(TB2ItemWindowX11, RealClicksOpenAMenuFromAButtonAndChooseAnItem)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    ResetSysParams();

    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *button = new TCustomControl(&form);
    button->SetParent(&form);
    button->SetBounds(20, 20, 100, 30);
    TTBPopupMenu menu(nullptr);
    int firstClicks = 0, secondClicks = 0;
    auto *first = new TTBItem(nullptr);
    first->SetCaption(QStringLiteral("打开"));
    first->OnClick = [&](TComponent *) { ++firstClicks; };
    auto *second = new TTBItem(nullptr);
    second->SetCaption(QStringLiteral("删除"));
    second->OnClick = [&](TComponent *) { ++secondClicks; };
    menu.Items()->Add(first);
    menu.Items()->Add(second);
    button->OnClick = [&](TComponent *) {
        const TPoint at = button->ClientToScreen({0, button->Height()});
        menu.Popup(at.X, at.Y);
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // Inside the menu loop: once the menu is on screen, point at the second item and click.
    enum { WaitMenu, WaitSelected, Done } step = WaitMenu;
    QElapsedTimer patience;
    patience.start();
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        TTBView *view = OpenRootView();
        if (step == WaitMenu && view && view->ViewerCount() == 2 && view->Window()->isVisible()) {
            const TPoint p = Centre(view->Viewers(1)->ScreenRect());
            pointer.MoveTo(p.X, p.Y);
            step = WaitSelected;
        } else if (step == WaitSelected && view && view->Selected() == view->Viewers(1)) {
            pointer.Click();
            step = Done;
        } else if (patience.elapsed() > 10000 && view) {
            ADD_FAILURE() << "the menu did not follow the pointer";
            QTest::keyClick(&form, Qt::Key_Escape);
        }
    });
    script.start(10);

    const TPoint onButton = button->ClientToScreen({50, 15});
    pointer.MoveTo(onButton.X, onButton.Y);
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondClicks > 0; }, 10000));
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(secondClicks, 1);
    EXPECT_EQ(firstClicks, 0);
    EXPECT_EQ(OpenRootView(), nullptr);
    script.stop();
}
