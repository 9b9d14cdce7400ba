// A popup menu under a real X server (run under xvfb-run), used with real pointer events.
#include "../TB2TestSupport.h"
#include "XTestPointer.h"
#include "platform/Forms.h"
#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

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
    ScriptSteps s([&] { QTest::keyClick(&form, Qt::Key_Escape); });
    s.Then([&] {
         TTBView *v = RootView();
         return v && v->ViewerCount() == 2 && v->Window()->isVisible();
     })
        .Do([&] {
            const QPoint p = Center(RootView()->Viewers(1));
            pointer.MoveTo(p.x(), p.y());
        })
        .Then([&] {
            TTBView *v = RootView();
            return v && v->Selected() == v->Viewers(1);
        })
        .Do([&] { pointer.Click(); });
    s.Start();

    const TPoint onButton = button->ClientToScreen({50, 15});
    pointer.MoveTo(onButton.X, onButton.Y);
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondClicks > 0; }, 10000));
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(secondClicks, 1);
    EXPECT_EQ(firstClicks, 0);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(RootView(), nullptr);
}
