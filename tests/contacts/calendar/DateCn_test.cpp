#include "contacts/calendar/DateCn.h"

#include "calendar/LunarTestData.h"

#include <gtest/gtest.h>

namespace {

const QStringList TermNames = {
    QStringLiteral("小寒"), QStringLiteral("大寒"), QStringLiteral("立春"), QStringLiteral("雨水"),
    QStringLiteral("惊蛰"), QStringLiteral("春分"), QStringLiteral("清明"), QStringLiteral("谷雨"),
    QStringLiteral("立夏"), QStringLiteral("小满"), QStringLiteral("芒种"), QStringLiteral("夏至"),
    QStringLiteral("小暑"), QStringLiteral("大暑"), QStringLiteral("立秋"), QStringLiteral("处暑"),
    QStringLiteral("白露"), QStringLiteral("秋分"), QStringLiteral("寒露"), QStringLiteral("霜降"),
    QStringLiteral("立冬"), QStringLiteral("小雪"), QStringLiteral("大雪"), QStringLiteral("冬至"),
};
const QString MonthNames = QStringLiteral("一二三四五六七八九十冬腊");
const QStringList DayNames = {
    QStringLiteral("初一"), QStringLiteral("初二"), QStringLiteral("初三"), QStringLiteral("初四"),
    QStringLiteral("初五"), QStringLiteral("初六"), QStringLiteral("初七"), QStringLiteral("初八"),
    QStringLiteral("初九"), QStringLiteral("初十"), QStringLiteral("十一"), QStringLiteral("十二"),
    QStringLiteral("十三"), QStringLiteral("十四"), QStringLiteral("十五"), QStringLiteral("十六"),
    QStringLiteral("十七"), QStringLiteral("十八"), QStringLiteral("十九"), QStringLiteral("二十"),
    QStringLiteral("廿一"), QStringLiteral("廿二"), QStringLiteral("廿三"), QStringLiteral("廿四"),
    QStringLiteral("廿五"), QStringLiteral("廿六"), QStringLiteral("廿七"), QStringLiteral("廿八"),
    QStringLiteral("廿九"), QStringLiteral("三十"),
};

const QDate FirstDay(1901, 1, 1);
const QDate LastDay(2050, 12, 31);

std::string Iso(const QDate &d)
{
    return d.toString(Qt::ISODate).toStdString();
}

} // namespace

// Every day 1901-2050 against the calendar data: lunar month, day and leap flag, the solar
// terms, and the caption a cell shows.
TEST(DateCn, EveryDayOf1901To2050MatchesTheCalendarData)
{
    const std::vector<LunarMonthData> months = LoadLunarMonths();
    const std::vector<std::array<int, 24>> terms = LoadSolarTermDays();
    ASSERT_FALSE(months.empty()) << "missing " << LunarDataPath("lunar_years.txt").toStdString();
    ASSERT_EQ(terms.size(), 150u);

    int checked = 0;
    int failures = 0;
    for (const LunarMonthData &m : months) {
        for (int offset = 0; offset < m.length && failures < 20; ++offset) {
            const QDate date = m.first.addDays(offset);
            if (date < FirstDay || date > LastDay)
                continue;
            ++checked;
            const int day = offset + 1;
            const int want = m.month < 0 ? m.month * 100 - day : m.month * 100 + day;
            const std::array<int, 24> &yearTerms = terms[date.year() - 1901];
            int wantTerm = 0;
            if (yearTerms[date.month() * 2 - 2] == date.day())
                wantTerm = date.month() * 2 - 1;
            else if (yearTerms[date.month() * 2 - 1] == date.day())
                wantTerm = date.month() * 2;

            QString wantText;
            int wantKind = LunarTextDay;
            if (wantTerm) {
                wantKind = LunarTextTerm;
                wantText = TermNames[wantTerm - 1];
            } else if (day == 1) {
                wantKind = LunarTextMonth;
                const QString name = MonthNames.mid(std::abs(m.month) - 1, 1);
                wantText = m.month < 0 ? QStringLiteral("闰") + name : name + QStringLiteral("月");
            } else {
                wantText = DayNames[day - 1];
            }

            int kind = -1;
            QString text;
            LunarDayText(date, kind, text);
            const bool ok = SolarToLunar(date) == want && LunarMonth(date) == std::abs(m.month)
                && LunarDay(date) == day && SolarTerm(date.year(), date.month(), date.day()) == wantTerm
                && kind == wantKind && text == wantText;
            if (!ok) {
                ++failures;
                ADD_FAILURE() << Iso(date) << ": lunar " << SolarToLunar(date) << " (want " << want << "), term "
                              << SolarTerm(date.year(), date.month(), date.day()) << " (want " << wantTerm
                              << "), caption " << kind << " " << text.toStdString() << " (want " << wantKind
                              << " " << wantText.toStdString() << ")";
            }
        }
    }
    EXPECT_EQ(failures, 0);
    if (failures == 0) {
        EXPECT_EQ(checked, FirstDay.daysTo(LastDay) + 1);
    }
}

TEST(DateCn, SpotValuesOfTheConversion)
{
    const struct {
        QDate date;
        int lunar;
    } cases[] = {
        {QDate(2023, 1, 1), 1210},    // day 10 of the twelfth month
        {QDate(2023, 1, 21), 1230},   // 除夕
        {QDate(2023, 1, 22), 101},
        {QDate(2023, 3, 21), 230},
        {QDate(2023, 3, 22), -201},   // leap second month
        {QDate(2023, 4, 5), -215},
        {QDate(2023, 4, 20), 301},
        {QDate(2023, 5, 19), 401},
        {QDate(1901, 1, 1), 1111},    // first month of the first record, no leap test
        {QDate(1901, 1, 19), 1129},
        {QDate(1901, 1, 20), 1201},
        {QDate(2050, 12, 31), 1118},
        {QDate(2051, 1, 1), 0},
        {QDate(1900, 12, 31), 0},
        {QDate(1, 1, 1), 0},
        {QDate(), 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SolarToLunar(c.date), c.lunar) << Iso(c.date);
        EXPECT_EQ(LunarMonth(c.date), std::abs(c.lunar) / 100) << Iso(c.date);
        EXPECT_EQ(LunarDay(c.date), std::abs(c.lunar) % 100) << Iso(c.date);
    }
}

// Dates that the published calendar fixes and that careless sources get wrong.
TEST(DateCn, PublishedCalendarDates)
{
    const struct {
        QDate date;
        int lunar;
        const char *why;
    } cases[] = {
        {QDate(1954, 2, 3), 101, "new year 1954"},
        {QDate(1954, 2, 2), 1229, "eve of new year 1954"},
        {QDate(2027, 2, 6), 101, "new year 2027"},
        {QDate(2027, 2, 5), 1229, "eve of new year 2027"},
        {QDate(2030, 2, 3), 101, "new year 2030"},
        {QDate(2030, 2, 2), 1230, "eve of new year 2030"},
        {QDate(2012, 8, 17), 701, "seventh month 2012"},
        {QDate(2012, 8, 16), 629, "end of the sixth month 2012"},
        {QDate(2018, 11, 8), 1001, "tenth month 2018"},
        {QDate(2018, 11, 7), 930, "end of the ninth month 2018"},
        {QDate(1917, 3, 23), -201, "leap month after the second, 1917"},
        {QDate(1917, 4, 21), 301, "third month 1917"},
        {QDate(1922, 6, 25), -501, "leap month after the fifth, 1922"},
        {QDate(1922, 7, 24), 601, "sixth month 1922"},
        {QDate(1987, 7, 25), 630, "end of the sixth month 1987"},
        {QDate(1987, 7, 26), -601, "leap sixth month 1987"},
        {QDate(1987, 8, 24), 701, "seventh month 1987"},
        {QDate(2033, 12, 22), -1101, "leap eleventh month 2033"},
        {QDate(2033, 12, 31), -1110, "last day of 2033"},
        {QDate(2034, 1, 1), -1111, "1 January 2034 inside the leap month"},
        {QDate(2034, 1, 19), -1129, "end of the leap month"},
        {QDate(2034, 1, 20), 1201, "twelfth month after the leap month"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SolarToLunar(c.date), c.lunar) << c.why << " " << Iso(c.date);
}

// 2034's record starts in the leap eleventh month but cannot say so: its first month is month
// 11 and it names no leap month, so the sign must come from 31 December 2033.
TEST(DateCn, RecordStartingInALeapMonthTakesItsSignFromTheYearBefore)
{
    const unsigned char *record = LunarYearTable[2034 - 1901];
    EXPECT_EQ(record[0], 0x0B);
    EXPECT_EQ(record[3], 0);
    EXPECT_EQ(LunarDateInRecord(record, 0, false), 1111);
    EXPECT_EQ(LunarDateInRecord(record, 0, true), -1111);
    EXPECT_EQ(LunarMonthText(QDate(2034, 1, 1)), QStringLiteral("闰冬"));
}

// Rows known from the calendar; bits for months that begin after 31 December are never read and
// may differ, so they are masked.
TEST(DateCn, KnownRowsOfTheYearTable)
{
    const struct {
        int year;
        unsigned char row[4];
        int monthsInYear;  // months of the record that begin by 31 December
    } cases[] = {
        {1901, {0x0B, 0x52, 0xBA, 0x00}, 13},
        {1936, {0x87, 0x49, 0xBA, 0x03}, 13},
        {2000, {0x19, 0xB2, 0x5B, 0x00}, 14},
        {2023, {0x8A, 0xA6, 0xD5, 0x02}, 13},
        {2050, {0x88, 0x2A, 0xD8, 0x03}, 13},
    };
    for (const auto &c : cases) {
        const unsigned char *got = LunarYearTable[c.year - 1901];
        const unsigned mask = 0xFFFFu << (16 - c.monthsInYear) & 0xFFFFu;
        EXPECT_EQ(got[0], c.row[0]) << c.year;
        EXPECT_EQ(((got[1] << 8) | got[2]) & mask, ((c.row[1] << 8) | c.row[2]) & mask) << c.year;
        EXPECT_EQ(got[3], c.row[3]) << c.year;
    }

    const unsigned char terms1901[12] = {0x96, 0xB4, 0x96, 0xA6, 0x97, 0x97, 0x78, 0x79, 0x79, 0x69, 0x78, 0x77};
    const unsigned char terms2000[12] = {0x96, 0xB4, 0xA5, 0xB5, 0xA6, 0xA6, 0x87, 0x88, 0x88, 0x78, 0x87, 0x86};
    for (int m = 0; m < 12; ++m) {
        EXPECT_EQ(SolarTermTable[m], terms1901[m]) << "1901 month " << m + 1;
        EXPECT_EQ(SolarTermTable[(2000 - 1901) * 12 + m], terms2000[m]) << "2000 month " << m + 1;
    }
    EXPECT_EQ(SolarTermTable[(2023 - 1901) * 12], 0xA5);
}

// The day walk must stop at the record's 16 months, and a leap twelfth month is followed by
// month 1, not a month 13 that no name exists for.
TEST(DateCn, RecordWalkStaysInsideItsMonths)
{
    // Month 12 from 1 January, 16 months of 29 days, no leap month: days 0..463.
    const unsigned char shortRecord[4] = {0x81, 0x00, 0x00, 0x00};
    EXPECT_EQ(LunarDateInRecord(shortRecord, 0, false), 1201);
    EXPECT_EQ(LunarDateInRecord(shortRecord, 463, false), 329);
    EXPECT_EQ(LunarDateInRecord(shortRecord, 464, false), 0);
    EXPECT_EQ(LunarDateInRecord(shortRecord, 1000, false), 0);
    EXPECT_EQ(LunarDateInRecord(shortRecord, -1, false), 0);

    // Month 11 from 1 January, then 12, leap 12, and month 1.
    const unsigned char leapTwelfth[4] = {0x01, 0x00, 0x00, 12};
    EXPECT_EQ(LunarDateInRecord(leapTwelfth, 29, false), 1201);
    EXPECT_EQ(LunarDateInRecord(leapTwelfth, 58, false), -1201);
    EXPECT_EQ(LunarDateInRecord(leapTwelfth, 87, false), 101);
    EXPECT_EQ(LunarDateInRecord(leapTwelfth, 116, false), 201);
}

TEST(DateCn, SolarTermsOnTheirDays)
{
    const struct {
        int year, month, day, term;
    } cases[] = {
        {2000, 1, 6, 1},   {2000, 1, 21, 2},  {2000, 12, 21, 24}, {2023, 1, 5, 1},
        {2023, 1, 20, 2},  {2000, 1, 5, 0},   {2000, 1, 7, 0},    {2000, 1, 15, 0},
        {2000, 12, 22, 0}, {1901, 1, 6, 1},   {2050, 12, 22, 24}, {1900, 12, 22, 0},
        {2051, 1, 5, 0},   {2000, 0, 6, 0},   {2000, 13, 6, 0},   {2050, 13, 21, 0},
        {1901, 0, 21, 0},  {2000, -1, 6, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SolarTerm(c.year, c.month, c.day), c.term) << c.year << "-" << c.month << "-" << c.day;
}

TEST(DateCn, CellCaptions)
{
    const struct {
        QDate date;
        int kind;
        const char *text;
    } cases[] = {
        {QDate(2023, 1, 22), LunarTextMonth, "一月"},
        {QDate(2023, 3, 22), LunarTextMonth, "闰二"},
        {QDate(2023, 12, 13), LunarTextMonth, "冬月"},
        {QDate(2024, 1, 11), LunarTextMonth, "腊月"},
        {QDate(2023, 1, 5), LunarTextTerm, "小寒"},
        {QDate(2023, 4, 20), LunarTextTerm, "谷雨"},   // also 三月初一: the term wins
        {QDate(2020, 6, 21), LunarTextTerm, "夏至"},   // also 五月初一
        {QDate(2023, 1, 1), LunarTextDay, "初十"},
        {QDate(2023, 2, 21), LunarTextDay, "初二"},
        {QDate(2023, 1, 21), LunarTextDay, "三十"},
        {QDate(2051, 1, 1), LunarTextDay, ""},
        {QDate(1900, 12, 31), LunarTextDay, ""},
        {QDate(), LunarTextDay, ""},
    };
    for (const auto &c : cases) {
        int kind = -1;
        QString text = QStringLiteral("stale");
        LunarDayText(c.date, kind, text);
        EXPECT_EQ(kind, c.kind) << Iso(c.date);
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << Iso(c.date);
    }
}

TEST(DateCn, MonthAndDayTexts)
{
    const struct {
        QDate date;
        const char *month;
        const char *day;
    } cases[] = {
        {QDate(2023, 1, 1), "腊月", "初十"},
        {QDate(2023, 4, 5), "闰二", "十五"},
        {QDate(2023, 12, 20), "冬月", "初八"},
        {QDate(2023, 10, 15), "九月", "初一"},
        {QDate(2023, 11, 13), "十月", "初一"},
        {QDate(2023, 2, 19), "一月", "廿九"},
        {QDate(2051, 1, 1), "", ""},
        {QDate(), "", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(LunarMonthText(c.date), QString::fromUtf8(c.month)) << Iso(c.date);
        EXPECT_EQ(LunarDayName(c.date), QString::fromUtf8(c.day)) << Iso(c.date);
    }
}

TEST(DateCn, DayOfYearFollowsTheGregorianLeapRule)
{
    const struct {
        QDate date;
        int day;
    } cases[] = {
        {QDate(2023, 1, 1), 1},    {QDate(2023, 12, 31), 365}, {QDate(2024, 12, 31), 366},
        {QDate(2000, 3, 1), 61},   {QDate(1900, 3, 1), 60},    {QDate(2100, 3, 1), 60},
        {QDate(2024, 2, 29), 60},  {QDate(), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DayOfYear(c.date), c.day) << Iso(c.date);
}
