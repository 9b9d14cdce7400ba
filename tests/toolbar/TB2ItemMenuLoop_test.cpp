// What the menu loop gives besides choosing: item hints while the menu is open, help for the
// selected item on F1, and the start and end of a popup menu told to accessibility clients.
#include "TB2TestSupport.h"
#include "toolbar/TB2Acc.h"
#include "toolbar/TB2Common.h"

#include <QAccessible>
#include <QToolTip>

namespace {

class MenuLoopTest : public PopupMenuFixture
{
protected:
    void SetUp() override
    {
        PopupMenuFixture::SetUp();
        form->Show();
        // Activation arriving later would take a hint down.
        ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form.get(); }));
    }
    void TearDown() override
    {
        PopupMenuFixture::TearDown();
        Application()->OnHelp = nullptr;
        SetNotifyWinEventProc(&TBAccNotifyWinEvent);
        CancelHint();
    }
    // Runs the menu with the steps inside it; Escape ends it when a step never comes true.
    void Run(ScriptSteps &s)
    {
        s.SetOpen([] { return RootView() != nullptr; });
        s.Start();
        menu->PopupEx(100, 100, false);
        EXPECT_TRUE(s.Done());
    }
};

TEST_F(MenuLoopTest, TheHintOfTheItemUnderThePointerShowsWhenItsOptionsAsk)
{
    TTBCustomItem *a = Add(menu->Items(), QStringLiteral("A"));
    a->SetHint(QStringLiteral("打开联系人|Opens the contact"));
    Add(menu->Items(), QStringLiteral("&Save..."));
    for (bool showHint : {true, false}) {
        SCOPED_TRACE(showHint);
        menu->SetOptions(showHint ? TTBItemOptions{TTBItemOption::tboShowHint} : TTBItemOptions{});
        QString first, second;
        ScriptSteps s(form.get(), 5);
        s.Do([&] { sim::MoveAt(Center(RootView()->Viewers(0))); })
            .Then([&] { return !showHint || QToolTip::isVisible(); })
            .Do([&] {
                first = QToolTip::isVisible() ? QToolTip::text() : QString();
                sim::MoveAt(Center(RootView()->Viewers(1)) + QPoint(1, 0));
            })
            .Then([&] { return !showHint || QToolTip::text() != first; })
            .Do([&] {
                second = QToolTip::isVisible() ? QToolTip::text() : QString();
                sim::Key(form.get(), Qt::Key_Escape);
            });
        Run(s);
        // The short hint, or the caption without its accelerator and trailing dots.
        EXPECT_EQ(first, showHint ? QStringLiteral("打开联系人") : QString());
        EXPECT_EQ(second, showHint ? QStringLiteral("Save") : QString());
        CancelHint();
    }
}

// F1 on an item without a help context leaves the menu open; on one with it, the application's
// help is asked once the menu is gone. The menu's start and end name its window.
TEST_F(MenuLoopTest, F1AsksForTheItemsHelpAndTheMenuAnnouncesItsStartAndEnd)
{
    Add(menu->Items(), QStringLiteral("Plain"));
    Add(menu->Items(), QStringLiteral("Helped"))->SetHelpContext(77);
    std::vector<std::intptr_t> asked;
    Application()->OnHelp = [&](WORD command, std::intptr_t data, bool &) {
        asked.push_back(command == 0x0001 /* HELP_CONTEXT */ ? data : -1);
        return true;
    };
    std::vector<int> events;
    SetNotifyWinEventProc([&](unsigned Event, QWidget *Wnd, int, int) {
        if (Event == 4 || Event == 5)  // menu start, menu end
            events.push_back(Wnd ? int(TBAccEventTarget(Event, Wnd, 0)->role()) : -1);
    });
    ScriptSteps s(form.get(), 5);
    s.Key(form.get(), Qt::Key_Down).Key(form.get(), Qt::Key_F1).Do([&] { EXPECT_NE(RootView(), nullptr); });
    s.Key(form.get(), Qt::Key_Down).Key(form.get(), Qt::Key_F1);
    Run(s);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(asked, std::vector<std::intptr_t>{77});
    EXPECT_EQ(events, (std::vector<int>{QAccessible::PopupMenu, QAccessible::PopupMenu}));
}

// A menu opened while no window of the program is active (the tray menu) belongs to the form
// it was opened from, whose activation may arrive only after the menu is up: that one keeps the
// menu open, any other window of the program becoming active (a reminder) closes it.
TEST_F(PopupMenuFixture, AMenuOpenedWithNoActiveWindowClosesWhenAnotherWindowActivates)
{
    Add(menu->Items(), QStringLiteral("A"));
    menu->SetPopupComponent(form.get());
    TForm reminder(nullptr);
    reminder.SetBounds(20, 20, 100, 80);
    ASSERT_TRUE(sim::WaitFor([] { return QApplication::activeWindow() == nullptr; }));
    std::vector<bool> openAfter;
    ScriptSteps s(form.get(), 5);
    s.SetOpen([] { return RootView() != nullptr; });
    for (TForm *w : {form.get(), &reminder}) {
        s.Do([w] { w->Show(), w->activateWindow(); }).Then([&, w] {
            return QApplication::activeWindow() == w && (openAfter.push_back(RootView() != nullptr), true);
        });
    }
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(sim::WaitFor([&] { return s.Done(); }));
    EXPECT_EQ(openAfter, (std::vector<bool>{true, false}));
}

} // namespace
