// The calendar page's month tool bar under a real X server (run under xvfb-run): a real click on
// 下月 moves the page to the next month, as a user's hand gives it; the menu key on the planner
// opens its menu at the planner.
#include "MenuScriptX11.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"
#include "main/MainTestSupport.h"

#include "contacts/calendar/tasktable.h"
#include "controls/SPMonth.h"
#include "themed/SpTBXItem.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"

#include <QLabel>
#include <QTest>

namespace {

class CalendarToolbarX11 : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pointer.Valid());
        ResetAppData();
        InstallCalendarPage();
        MakeWindow();
        main->SetBounds(80, 80, 900, 560);
        main->show();
        ASSERT_TRUE(WaitPlaced(main.get()));
        main->ShowCalendarPage();
        page = dynamic_cast<Tfrmtasktable *>(main->CalendarPage());
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(WaitPlacedAndActive(main.get()));
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        CalendarPageFactory = nullptr;
    }

    // The viewer of the bar's item with this hint, once the bar is laid out on screen.
    TTBItemViewer *ViewerHinted(const QString &hint) const
    {
        TTBView *view = page->SpTBXToolbar1->View();
        for (int i = 0; i < view->ViewerCount(); ++i)
            if (view->Viewers(i)->Item->Hint() == hint && view->Viewers(i)->Show &&
                !view->Viewers(i)->BoundsRect.IsEmpty())
                return view->Viewers(i);
        return nullptr;
    }

    XTestPointer pointer;
    Tfrmtasktable *page = nullptr;
};

} // namespace

TEST_F(CalendarToolbarX11, ARealClickOnNextMonthMovesTheMonth)
{
    page->GoToDate(QDate(2025, 1, 31));
    // 下月 moves once the bar has fitted its date: the row then ends as far from its end as it begins.
    TTBItemViewer *next = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const TTBItemViewer *first = ViewerHinted("上年"), *last = ViewerHinted("下年");
        next = ViewerHinted("下月");
        return first && next && last && last->BoundsRect.Right + first->BoundsRect.Left == page->SpTBXToolbar1->ClientWidth();
    }, 5000));
    const TRect r = next->ScreenRect();
    pointer.MoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([this] { return page->ShownDate() == QDate(2025, 2, 28); }, 5000))
        << "the day is kept within the shorter month; shown " << page->ShownDate().toString().toStdString();
    EXPECT_EQ(page->dateLabel->text(), QStringLiteral("2025-02-28"));
    EXPECT_EQ(page->SPMonthPlanner1->Month(), 2);
    // One click, one month.
    QCoreApplication::processEvents();
    EXPECT_EQ(page->ShownDate(), QDate(2025, 2, 28));
}

// The menu key on the focused planner opens the themed menu at the planner's corner, wherever the
// mouse rests, with its accelerators underlined; Escape closes it.
TEST_F(CalendarToolbarX11, TheMenuKeyOpensThePlannersMenuAtThePlanner)
{
    TSPMonthPlanner *planner = page->SPMonthPlanner1;
    planner->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([planner] { return planner->hasFocus(); }, 5000));
    const QPoint corner = planner->ClientToScreen({0, 0}).ToQPoint();
    pointer.MoveTo(corner.x() + planner->width() - 20, corner.y() + planner->height() - 20);
    QPoint openedAt(-1, -1);
    bool accelsShown = false;
    TScript script(pointer, {[&] {
                       TTBPopupWindow *open = OpenRootPopup();
                       if (!open || !ViewerCaptioned(QStringLiteral("日期转到")))
                           return false;
                       openedAt = QPoint(open->BoundsRect().Left, open->BoundsRect().Top);
                       accelsShown = open->View()->State().Contains(TTBViewStateItem::vsShowAccels);
                       pointer.Keys({"Escape"});
                       return true;
                   }});
    pointer.Keys({"Menu"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done() && !OpenRootPopup(); }, 15000));
    EXPECT_EQ(openedAt, corner);
    EXPECT_TRUE(accelsShown) << "a menu opened from the keyboard underlines its accelerators";
}
