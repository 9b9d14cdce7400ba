#include "contacts/calendar/ChDateTo.h"
#include "contacts/calendar/DateCn.h"

#include "calendar/LunarTestData.h"

#include <gtest/gtest.h>

namespace {

std::string Iso(const QDate &d)
{
    return d.isNull() ? std::string("null") : d.toString(Qt::ISODate).toStdString();
}

// What callers do with the result: keep it when it lies in the range they show.
bool InRange(const QDate &d, const QDate &first, const QDate &last)
{
    return d >= first && d <= last;
}

} // namespace

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
            const QDate want = m.first.addDays(day - 1);
            if (got != want) {
                ++failures;
                ADD_FAILURE() << m.year << "/" << m.month << "/" << day << ": " << Iso(got) << ", want " << Iso(want);
            }
        }
        EXPECT_TRUE(LunarToSolar(m.year, m.month, m.length + 1).isNull()) << m.year << "/" << m.month;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(monthsChecked, (2030 - 1936 + 1) * 12);
}

// LunarToSolar(SolarToLunar(d)) = d for every day of 1936-2030's lunar years outside leap months.
TEST(ChDateTo, RoundTripThroughTheLunarDate)
{
    const std::vector<LunarMonthData> months = LoadLunarMonths();
    ASSERT_FALSE(months.empty());
    int checked = 0;
    int failures = 0;
    for (const LunarMonthData &m : months) {
        if (m.year < 1936 || m.year > 2030 || m.month < 0)
            continue;
        for (int offset = 0; offset < m.length && failures < 20; ++offset) {
            const QDate date = m.first.addDays(offset);
            const int lunar = SolarToLunar(date);
            const QDate back = LunarToSolar(m.year, lunar / 100, lunar % 100);
            ++checked;
            if (lunar <= 0 || back != date) {
                ++failures;
                ADD_FAILURE() << Iso(date) << " -> " << lunar << " -> " << Iso(back);
            }
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(checked, 95 * 354);
}

TEST(ChDateTo, SpotValues)
{
    const struct {
        int year, month, day;
        QDate want;
    } cases[] = {
        {2023, 1, 1, QDate(2023, 1, 22)},
        {2023, 1, 0, QDate(2023, 1, 21)},     // the day before the month
        {2023, 1, 29, QDate(2023, 2, 19)},
        {2023, 2, 1, QDate(2023, 2, 20)},     // the ordinary second month, never the leap one
        {2023, 2, 30, QDate(2023, 3, 21)},
        {2023, 3, 1, QDate(2023, 4, 20)},     // after the leap month
        {2023, 4, 1, QDate(2023, 5, 19)},
        {2023, 12, 30, QDate(2024, 2, 9)},    // 除夕 lies in the next Gregorian year
        {1936, 1, 1, QDate(1936, 1, 24)},
        {2000, 1, 1, QDate(2000, 2, 5)},
        {1987, 6, 1, QDate(1987, 6, 26)},     // the ordinary sixth month of 1987
        {1987, 7, 1, QDate(1987, 8, 24)},     // after the leap sixth month
        {2030, 12, 29, QDate(2031, 1, 22)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LunarToSolar(c.year, c.month, c.day), c.want) << c.year << "/" << c.month << "/" << c.day;
}

// Refused input gives the null date, which lies in no range a caller shows, however wide.
TEST(ChDateTo, RefusedInputLiesInNoRange)
{
    const struct {
        int year, month, day;
    } cases[] = {
        {1935, 1, 1}, {2031, 1, 1}, {0, 1, 1},     {2023, 0, 1},  {2023, 13, 1},
        {2023, -2, 1}, {2023, 1, -1}, {2023, 1, -30}, {2023, 1, 30}, // month 1 of 2023 has 29 days
        {2023, 3, 30}, {2023, 12, 31},
    };
    for (const auto &c : cases) {
        const QDate got = LunarToSolar(c.year, c.month, c.day);
        EXPECT_TRUE(got.isNull()) << c.year << "/" << c.month << "/" << c.day << " gave " << Iso(got);
        EXPECT_FALSE(InRange(got, QDate(1899, 12, 30), QDate(2100, 12, 31)));
        EXPECT_FALSE(InRange(got, QDate(-4713, 1, 1), QDate(9999, 12, 31)));
    }
}

// 2023: the third month has 29 days and the fourth 30; the leap month follows the second.
TEST(ChDateTo, NewYearRecordsHoldThePublishedCalendar)
{
    const std::int32_t *r2023 = LunarNewYearTable[2023 - 1936];
    EXPECT_EQ(r2023[0], 21);
    EXPECT_EQ(r2023[1], 2);
    EXPECT_EQ(r2023[2], 6);
    EXPECT_EQ(r2023[3], 55);                 // 1 January 2023 was 己未
    EXPECT_EQ(r2023[4 + 3] + 29, 29);         // third month, after months 1, 2 and leap 2
    EXPECT_EQ(r2023[4 + 4] + 29, 30);         // fourth month
    EXPECT_EQ(LunarNewYearTable[0][0], 23);
    EXPECT_EQ(LunarNewYearTable[2000 - 1936][0], 35);
    EXPECT_EQ(LunarNewYearTable[1987 - 1936][1], 6);

    // Weekday and cycle position against the calendar, for every year.
    for (int year = 1936; year <= 2030; ++year) {
        const std::int32_t *r = LunarNewYearTable[year - 1936];
        const QDate jan1(year, 1, 1);
        EXPECT_EQ(r[2], jan1.dayOfWeek() - 1) << year;
        EXPECT_EQ(r[3], (jan1.toJulianDay() + 49) % 60) << year;
        const int months = r[1] ? 13 : 12;
        for (int i = 4 + months; i < 17; ++i)
            EXPECT_EQ(r[i], 0) << year << " word " << i;
    }
}

TEST(ChDateTo, GregorianLeapYears)
{
    const struct {
        int year;
        bool leap;
    } cases[] = {{1900, false}, {2000, true}, {2023, false}, {2024, true}, {2100, false}, {1936, true}};
    for (const auto &c : cases)
        EXPECT_EQ(IsGregorianLeapYear(c.year), c.leap) << c.year;
}
