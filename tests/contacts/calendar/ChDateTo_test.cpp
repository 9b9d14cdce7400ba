#include "contacts/calendar/ChDateTo.h"
#include "contacts/calendar/DateCn.h"

#include "calendar/LunarTestData.h"

#include <gtest/gtest.h>

// Every day of every ordinary month of the lunar years 1936-2030, including day 0, against the
// calendar data; the day past a month's end is refused.
TEST(ChDateTo, EveryLunarDayOf1936To2030MatchesTheCalendarData)
{
    const std::vector<LunarMonthData> months = LoadLunarMonths();
    ASSERT_FALSE(months.empty()) << "missing " << LunarDataPath("lunar_years.txt").toStdString();
    int monthsChecked = 0;
    int failures = 0;
    for (const LunarMonthData &m : months) {
        if (m.year < 1936 || m.year > 2030 || m.month < 0)
            continue;
        ++monthsChecked;
        for (int day = 0; day <= m.length && failures < 20; ++day) {
            const QDate got = LunarToSolar(m.year, m.month, day);
            if (got != m.first.addDays(day - 1) && ++failures)
                ADD_FAILURE() << m.year << "/" << m.month << "/" << day << ": " << IsoDate(got) << ", want "
                              << IsoDate(m.first.addDays(day - 1));
        }
        EXPECT_TRUE(LunarToSolar(m.year, m.month, m.length + 1).isNull()) << m.year << "/" << m.month;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(monthsChecked, (2030 - 1936 + 1) * 12);
}

// Refused input gives the null date, never a neighbouring day.
TEST(ChDateTo, RefusedInputGivesTheNullDate)
{
    const int cases[][3] = {
        {1935, 1, 1}, {2031, 1, 1}, {0, 1, 1},     {2023, 0, 1},  {2023, 13, 1},
        {2023, -2, 1}, {2023, 1, -1}, {2023, 1, -30}, {2023, 1, 30},  // month 1 of 2023 has 29 days
        {2023, 3, 30}, {2023, 12, 31},
    };
    for (const auto &c : cases) {
        const QDate got = LunarToSolar(c[0], c[1], c[2]);
        EXPECT_TRUE(got.isNull()) << c[0] << "/" << c[1] << "/" << c[2] << " gave " << IsoDate(got);
    }
}
