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

class MonthPlannerLunar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<LunarPlannerWindow>();
        window->SetBounds(0, 0, 760, 560);
        planner = new TSPMonthPlanner(window.get());
        planner->SetParent(window.get());
        planner->SetAlign(TAlign::alClient);
        planner->SetWeekStart(TSPWeekStart::wsSunday);
        planner->SetLunarTextSource(LunarDayText);
        planner->SetShowChinaDate(true);
        window->Show();
    }

    // The texts drawn inside the day cells and their colours.
    std::multimap<QString, TColor> CellTexts(const QDate &month)
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
    static bool IsDayNumber(const QString &s) { return QRegularExpression("^[0-9]+$").match(s).hasMatch(); }

    std::unique_ptr<LunarPlannerWindow> window;
    TSPMonthPlanner *planner = nullptr;
};

} // namespace

TEST_F(MonthPlannerLunar, SolarTermsAreRedMonthNamesAreNot)
{
    const auto texts = CellTexts(QDate(2024, 1, 1));
    const TColor normal = planner->Font()->Color();
    ASSERT_EQ(texts.count("小寒"), 1u);  // 6 January
    EXPECT_EQ(texts.find("小寒")->second, clRed);
    ASSERT_EQ(texts.count("大寒"), 1u);  // 20 January
    EXPECT_EQ(texts.find("大寒")->second, clRed);
    ASSERT_EQ(texts.count("腊月"), 1u);  // 11 January, first day of the twelfth month
    EXPECT_EQ(texts.find("腊月")->second, normal);
    ASSERT_GE(texts.count("初二"), 1u);
    EXPECT_EQ(texts.find("初二")->second, normal);
    int captions = 0;
    for (const auto &[text, colour] : texts)
        captions += IsDayNumber(text) ? 0 : 1;
    EXPECT_EQ(captions, 42) << "every cell has its caption";
}

// December 2050's grid runs into 2051, where there are day numbers only.
TEST_F(MonthPlannerLunar, NoCaptionsOutsideTheCalendarYears)
{
    const auto texts = CellTexts(QDate(2050, 12, 1));
    int captions = 0;
    for (const auto &[text, colour] : texts)
        captions += IsDayNumber(text) ? 0 : 1;
    const int days2051 = int(QDate(2051, 1, 1).daysTo(DateToQt(planner->GridStart() + 42)));
    EXPECT_GT(days2051, 0);
    EXPECT_EQ(captions, 42 - days2051);
}
