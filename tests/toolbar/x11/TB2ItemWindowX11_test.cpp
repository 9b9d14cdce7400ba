// A popup menu under a real X server (run under xvfb-run), used with real pointer events.
#include "../TB2TestSupport.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"

#include <QLineEdit>
#include <QTest>

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
    ClickLog log;
    log.Add(menu.Items(), QStringLiteral("打开"));
    log.Add(menu.Items(), QStringLiteral("删除"));
    button->OnClick = [&](TComponent *) {
        const TPoint at = button->ClientToScreen({0, button->Height()});
        menu.Popup(at.X, at.Y);
    };
    form.Show();
    ASSERT_TRUE(WaitPlacedAndActive(&form));
    // Inside the menu loop: once the menu is on screen, point at the second item and click.
    ScriptSteps s([&] { QTest::keyClick(&form, Qt::Key_Escape); });
    s.Then([&] { return RootView() && RootView()->ViewerCount() == 2 && RootView()->Window()->isVisible(); });
    s.Do([&] { pointer.MoveTo(Center(RootView()->Viewers(1)).x(), Center(RootView()->Viewers(1)).y()); });
    s.Then([&] { return RootView() && RootView()->Selected() == RootView()->Viewers(1); });
    s.Do([&] { pointer.Click(); });
    s.Start();
    const TPoint onButton = button->ClientToScreen({50, 15});
    pointer.MoveTo(onButton.X, onButton.Y);
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !log.clicks.empty(); }, 10000));
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(log.clicks, std::vector<QString>{QStringLiteral("删除")});
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(RootView(), nullptr);
}

// A menu opened while no window of the program is active (the tray menu) takes the keyboard
// by a grab. A window of the program that becomes active later (a reminder from its timer)
// closes it and gets the keys typed next.
TEST(TB2ItemWindowX11, AWindowActivatedUnderAMenuOpenedWithNoActiveWindowGetsTheKeyboard)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    ResetSysParams();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }, 5000));
    TTBPopupMenu menu(nullptr);
    menu.Items()->Add(new TTBItem(nullptr));
    TForm reminder(nullptr);
    reminder.SetBounds(300, 200, 240, 120);
    auto *edit = new QLineEdit;
    (new TWidgetControl(&reminder, edit))->SetParent(&reminder);
    ScriptSteps s([&] { pointer.Keys({"Escape"}); });
    s.Then([&] { return RootView() && RootView()->Window()->isVisible(); });
    s.Do([&] { reminder.Show(), reminder.activateWindow(); });
    s.Then([&] { return reminder.isActiveWindow() && RootView() == nullptr; });
    s.Start();
    EXPECT_EQ(menu.PopupEx(40, 40, false), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done() && edit->hasFocus(); }, 10000));
    pointer.Keys({"x"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit->text() == QLatin1String("x"); }, 5000));
}
