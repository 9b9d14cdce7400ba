// The month planner with the program's lunar calendar plugged in, as the calendar page uses it.
#include "contacts/calendar/DateCn.h"
#include "controls/SPMonth.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

class LunarPlannerWindow : public TCustomControl
{
public:
    LunarPlannerWindow() : TCustomControl(nullptr) {}

protected:
    bool ShowsWithoutParent() const override { return true; }
};

// The texts drawn inside the day cells of a month, with their colours.
std::multimap<QString, TColor> CellTexts(TSPMonthPlanner *planner, const QDate &month)
{
    planner->SetDate(month);
    TCanvasRecorder rec;
    planner->Canvas()->SetRecorder(&rec);
    planner->Repaint();
    planner->grab();
    planner->Canvas()->SetRecorder(nullptr);
    std::multimap<QString, TColor> out;
    for (const TCanvasCall *c : rec.Of(TCanvasOp::DrawText))
        if (c->Rect.Top >= planner->CellsRect().Top)
            out.insert({c->Text, c->FontColor});
    return out;
}

} // namespace

// Solar terms are red, month names and days are not; every cell has its caption, except the
// days of December 2050's grid that run into 2051, past the calendar years.
TEST(MonthPlannerLunar, CaptionsAndTheirColours)
{
    LunarPlannerWindow window;
    window.SetBounds(0, 0, 760, 560);
    auto *planner = new TSPMonthPlanner(&window);
    planner->SetParent(&window);
    planner->SetAlign(TAlign::alClient);
    planner->SetWeekStart(TSPWeekStart::wsSunday);
    planner->SetLunarTextSource(LunarDayText);
    planner->SetShowChinaDate(true);
    window.Show();
    const TColor normal = planner->Font()->Color();
    const auto captions = [](const std::multimap<QString, TColor> &texts) {
        int count = 0;
        for (const auto &[text, colour] : texts)
            count += QRegularExpression("^[0-9]+$").match(text).hasMatch() ? 0 : 1;
        return count;
    };

    const auto january = CellTexts(planner, QDate(2024, 1, 1));
    // 6 and 20 January are terms, 11 January the first day of the twelfth month.
    for (const auto &[text, colour] : {std::pair{"小寒", clRed}, std::pair{"大寒", clRed}, std::pair{"腊月", normal}}) {
        ASSERT_EQ(january.count(text), 1u) << text;
        EXPECT_EQ(january.find(text)->second, colour) << text;
    }
    ASSERT_GE(january.count("初二"), 1u);
    EXPECT_EQ(january.find("初二")->second, normal);
    EXPECT_EQ(captions(january), 42);

    const auto december = CellTexts(planner, QDate(2050, 12, 1));
    const int days2051 = int(QDate(2051, 1, 1).daysTo(DateToQt(planner->GridStart() + 42)));
    EXPECT_GT(days2051, 0);
    EXPECT_EQ(captions(december), 42 - days2051);
}
