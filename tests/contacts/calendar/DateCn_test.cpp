// The lunar calendar both ways (DateCn, ChDateTo) against the calendar data.
#include "contacts/calendar/ChDateTo.h"
#include "contacts/calendar/DateCn.h"

#include "calendar/LunarTestData.h"

#include <gtest/gtest.h>

namespace {

const QStringList TermNames = QStringLiteral("小寒 大寒 立春 雨水 惊蛰 春分 清明 谷雨 立夏 小满 芒种 夏至 "
                                              "小暑 大暑 立秋 处暑 白露 秋分 寒露 霜降 立冬 小雪 大雪 冬至").split(' ');
const QString MonthNames = QStringLiteral("一二三四五六七八九十冬腊");
const QStringList DayNames = QStringLiteral("初一 初二 初三 初四 初五 初六 初七 初八 初九 初十 十一 十二 十三 十四 十五 "
                                             "十六 十七 十八 十九 二十 廿一 廿二 廿三 廿四 廿五 廿六 廿七 廿八 廿九 三十").split(' ');

} // namespace

// Every day 1901-2050 against the calendar data: lunar month, day and leap flag, the solar
// terms, and the caption a cell shows.
TEST(DateCn, EveryDayOf1901To2050MatchesTheCalendarData)
{
    const QDate firstDay(1901, 1, 1), lastDay(2050, 12, 31);
    const std::vector<LunarMonthData> months = LoadLunarMonths();
    const std::vector<std::array<int, 24>> terms = LoadSolarTermDays();
    ASSERT_FALSE(months.empty()) << "missing " << LunarDataPath("lunar_years.txt").toStdString();
    ASSERT_EQ(terms.size(), 150u);
    int checked = 0, failures = 0;
    for (const LunarMonthData &m : months) {
        for (int offset = 0; offset < m.length && failures < 20; ++offset) {
            const QDate date = m.first.addDays(offset);
            if (date < firstDay || date > lastDay)
                continue;
            ++checked;
            const int day = offset + 1;
            const int want = m.month < 0 ? m.month * 100 - day : m.month * 100 + day;
            const std::array<int, 24> &yearTerms = terms[date.year() - 1901];
            int wantTerm = 0;
            for (int half = 0; half < 2; ++half)
                if (yearTerms[date.month() * 2 - 2 + half] == date.day())
                    wantTerm = date.month() * 2 - 1 + half;
            const QString monthName = MonthNames.mid(std::abs(m.month) - 1, 1);
            const QString wantMonthText = m.month < 0 ? QStringLiteral("闰") + monthName : monthName + QStringLiteral("月");
            const int wantKind = wantTerm ? LunarTextTerm : day == 1 ? LunarTextMonth : LunarTextDay;
            const QString wantText = wantTerm ? TermNames[wantTerm - 1] : day == 1 ? wantMonthText : DayNames[day - 1];
            int kind = -1;
            QString text;
            LunarDayText(date, kind, text);
            // Lunar date, month, day, solar term, caption kind and text, month text, day name.
            const QString got = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8").arg(SolarToLunar(date)).arg(LunarMonth(date))
                                    .arg(LunarDay(date)).arg(SolarTerm(date.year(), date.month(), date.day())).arg(kind)
                                    .arg(text, LunarMonthText(date), LunarDayName(date));
            const QString wanted = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8").arg(want).arg(std::abs(m.month)).arg(day)
                                       .arg(wantTerm).arg(wantKind).arg(wantText, wantMonthText, DayNames[day - 1]);
            if (got != wanted && ++failures)
                ADD_FAILURE() << IsoDate(date) << ": " << got.toStdString() << ", want " << wanted.toStdString();
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(checked, failures ? checked : firstDay.daysTo(lastDay) + 1);
}

// Outside 1901-2050 there is no lunar date, caption or solar term, and a stale caption is cleared.
// A lunar date that does not exist gives the null date, never a neighbouring day.
TEST(DateCn, NothingOutsideTheTables)
{
    for (const QDate &date : {QDate(2051, 1, 1), QDate(1900, 12, 31), QDate(1, 1, 1), QDate()}) {
        int kind = -1;
        QString text = QStringLiteral("stale");
        LunarDayText(date, kind, text);
        const QString all = QStringLiteral("%1 %2 %3 [%4] [%5] %6 [%7]")
                                .arg(SolarToLunar(date)).arg(LunarMonth(date)).arg(LunarDay(date))
                                .arg(LunarMonthText(date), LunarDayName(date)).arg(kind).arg(text);
        EXPECT_EQ(all, QStringLiteral("0 0 0 [] [] %1 []").arg(LunarTextDay)) << IsoDate(date);
    }
    const int badTerms[][3] = {{1900, 12, 22}, {2051, 1, 5}, {2000, 0, 6}, {2000, 13, 6}, {2050, 13, 21},
                               {1901, 0, 21},  {2000, -1, 6}};
    for (const auto &t : badTerms)
        EXPECT_EQ(SolarTerm(t[0], t[1], t[2]), 0) << t[0] << "-" << t[1] << "-" << t[2];
    const int badDates[][3] = {{1935, 1, 1},  {2031, 1, 1},  {0, 1, 1},     {2023, 0, 1},  {2023, 13, 1}, {2023, -2, 1},
                               {2023, 1, -1}, {2023, 1, -30}, {2023, 1, 30},  // month 1 of 2023 has 29 days
                               {2023, 3, 30}, {2023, 12, 31}};
    for (const auto &d : badDates)
        EXPECT_EQ(IsoDate(LunarToSolar(d[0], d[1], d[2])), "null") << d[0] << "/" << d[1] << "/" << d[2];
}

// The day walk must stop at the record's 16 months, and a leap twelfth month is followed by
// month 1, not a month 13 that no name exists for. 2034's record starts in the leap eleventh
// month but cannot say so: the sign must come from 31 December 2033.
TEST(DateCn, RecordWalkStaysInsideItsMonths)
{
    // Month 12 from 1 January, 16 months of 29 days, no leap month: days 0..463.
    const unsigned char shortRecord[4] = {0x81, 0x00, 0x00, 0x00};
    // Month 11 from 1 January, then 12, leap 12, and month 1.
    const unsigned char leapTwelfth[4] = {0x01, 0x00, 0x00, 12};
    const struct { const unsigned char *record; int day; bool leapStart; int lunar; } cases[] = {
        {shortRecord, 0, false, 1201},   {shortRecord, 463, false, 329}, {shortRecord, 464, false, 0},
        {shortRecord, 1000, false, 0},   {shortRecord, -1, false, 0},    {leapTwelfth, 29, false, 1201},
        {leapTwelfth, 58, false, -1201}, {leapTwelfth, 87, false, 101},  {leapTwelfth, 116, false, 201},
        {LunarYearTable[2034 - 1901], 0, false, 1111}, {LunarYearTable[2034 - 1901], 0, true, -1111},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LunarDateInRecord(c.record, c.day, c.leapStart), c.lunar) << c.day << " " << c.leapStart;
    EXPECT_EQ(LunarMonthText(QDate(2034, 1, 1)), QStringLiteral("闰冬"));
}

TEST(DateCn, DayOfYearFollowsTheGregorianLeapRule)
{
    const struct { QDate date; int day; } cases[] = {
        {QDate(2023, 1, 1), 1},  {QDate(2023, 12, 31), 365}, {QDate(2024, 12, 31), 366}, {QDate(2000, 3, 1), 61},
        {QDate(1900, 3, 1), 60}, {QDate(2100, 3, 1), 60},    {QDate(2024, 2, 29), 60},   {QDate(), 0}};
    for (const auto &c : cases)
        EXPECT_EQ(DayOfYear(c.date), c.day) << IsoDate(c.date);
}

// Every day of every ordinary month of the lunar years 1936-2030, including day 0, against the
// calendar data; the day past a month's end is refused.
TEST(ChDateTo, EveryLunarDayOf1936To2030MatchesTheCalendarData)
{
    const std::vector<LunarMonthData> months = LoadLunarMonths();
    ASSERT_FALSE(months.empty()) << "missing " << LunarDataPath("lunar_years.txt").toStdString();
    int monthsChecked = 0, failures = 0;
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
