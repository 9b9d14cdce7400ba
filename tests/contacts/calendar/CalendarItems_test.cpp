#include "contacts/calendar/CalendarItems.h"
#include "contacts/calendar/ChDateTo.h"
#include "contacts/shared/WNDES.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QDate D(const char *iso) { return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate); }

// "yyyy-MM-dd text" for every entry, in order.
QStringList Listed(const std::vector<TCalendarEntry> &entries)
{
    QStringList out;
    for (const TCalendarEntry &e : entries)
        out << e.Date.toString(Qt::ISODate) + ' ' + e.Text;
    return out;
}

// A contact whose filled dates are reminded of.
TContactDates Row(const QString &name, const QString &birthday, bool lunar = false, const QString &anniversary = {})
{
    return {.Name = name, .Birthday = birthday, .DateFormat = lunar ? QStringLiteral("阴历") : QString(),
            .BirthdayReminder = !birthday.isEmpty(), .Anniversary = anniversary,
            .AnniversaryReminder = !anniversary.isEmpty(), .Email = {}, .Email2 = {}, .Cipher = QStringLiteral("2")};
}

std::vector<TCalendarEntry> Month(const char *dayInMonth, const std::vector<TContactDates> &contacts,
                                  const std::vector<TPlanRow> &plans = {})
{
    const TMonthRange range = MonthRange(D(dayInMonth));
    return ContactEntries(contacts, plans, range.Start, range.End);
}

QStringList Festivals(const char *dayInMonth)
{
    const TMonthRange range = MonthRange(D(dayInMonth));
    return Listed(FestivalEntries(range.Start, range.End));
}

} // namespace

// Six weeks from the Sunday on or before the 1st.
TEST(CalendarItems, MonthRangeIsTheGridFromSunday)
{
    const char *cases[][3] = {{"2025-12-17", "2025-11-30", "2026-01-10"}, {"2026-01-31", "2025-12-28", "2026-02-07"},
                              {"2023-10-09", "2023-10-01", "2023-11-11"}, {"2005-02-28", "2005-01-30", "2005-03-12"}};
    for (const auto &c : cases) {
        const TMonthRange range = MonthRange(D(c[0]));
        EXPECT_EQ(range.First, QDate(D(c[0]).year(), D(c[0]).month(), 1)) << c[0];
        EXPECT_TRUE(range.Start == D(c[1]) && range.End == D(c[2])) << c[0];
    }
}

TEST(CalendarItems, ContactEventsAndPlansOfAMonthGrid)
{
    const std::vector<TContactDates> yearEnd = {
        Row("甲", "1980-11-30"), Row("乙", "1975-12-25 00:00:00"), Row("丙", "1990-01-05"),
        Row("丁", {}, false, "2001-12-10"), Row("戊", "1966-12-28"),
    };
    const std::vector<TContactDates> odd = {
        Row("闰", "2000-02-29"), Row("二月", "1999-02-14"), Row("坏", "not a date"),
        Row("三十", "1990-12-30", true),  // the twelfth month of lunar 2024 has 29 days
        Row("初十", "1990-01-10", true),
    };
    TContactDates off = Row("关", "1980-06-10"), weddingOff = Row("婚", {}, false, "2000-06-11");
    off.BirthdayReminder = weddingOff.AnniversaryReminder = false;
    // Id, key, title, start, name, mail, second mail, cipher.
    const std::vector<TPlanRow> plans = {{0, 0, "before", "2025-05-31 23:59:59", {}, {}, {}, {}},
                                         {0, 0, "first", "2025-06-01 00:00:00", {}, {}, {}, {}},
                                         {0, 0, "bad", "2025-13-01", {}, {}, {}, {}},
                                         {0, 0, "last", "2025-07-12", {}, {}, {}, {}}};
    struct Case { const char *why, *month; std::vector<TContactDates> contacts; QStringList expected;
                  std::vector<TPlanRow> plans = {}; };
    const Case cases[] = {
        {"the grid's days of other years", "2025-12-01", yearEnd,
         {"2025-11-30 甲-阳历生日", "2025-12-25 乙-阳历生日", "2026-01-05 丙-阳历生日", "2025-12-28 戊-阳历生日",
          "2025-12-10 丁-婚纪念日"}},
        {"a December day in a January grid", "2026-01-01", yearEnd, {"2026-01-05 丙-阳历生日", "2025-12-28 戊-阳历生日"}},
        {"an impossible date skips only its row", "2025-02-01", odd, {"2025-02-14 二月-阳历生日", "2025-02-07 初十-阴历生日"}},
        {"no lunar 30th in a 29-day month", "2025-01-01", odd, {"2025-02-07 初十-阴历生日"}},
        {"29 February in a leap year", "2024-02-01", {odd[0]}, {"2024-02-29 闰-阳历生日"}},
        {"second month, not the leap one", "2023-03-01", {Row("甲", "1970-02-25", true)}, {"2023-03-16 甲-阴历生日"}},
        // A grid that reaches into the next lunar year: the twelfth month of 2025 is in January
        // 2026, and a first-month birthday of 2026 in February.
        {"lunar year end", "2026-01-01", {Row("乙", "1970-12-08", true), Row("丙", "1970-01-01", true)},
         {"2026-01-26 乙-阴历生日"}},
        {"lunar new year", "2026-02-01", {Row("丙", "1970-01-01", true)}, {"2026-02-17 丙-阴历生日"}},
        {"only reminded rows, a lunar row is no solar one", "2025-06-01", {off, weddingOff, Row("农", "1980-06-12", true)},
         {"2025-07-06 农-阴历生日"}},
        {"plans of the grid but an unreadable one", "2025-06-01", {}, {"2025-06-01 first", "2025-07-12 last"}, plans},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Listed(Month(c.month, c.contacts, c.plans)), c.expected) << c.why;
}

TEST(CalendarItems, EmailIsDecipheredUnlessStoredInTheClear)
{
    const QString cipher = DesEncryptString(QStringLiteral("x@example.com"), DesKey).Text;
    const struct { QString email, email2, kind, expected; } cases[] = {
        {cipher, "", "", "x@example.com"}, {cipher, "", "1", "x@example.com"},
        {"y@example.com", "", " 2 ", "y@example.com"}, {"", "z@example.com", "", "z@example.com"}, {"", "", "2", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ContactEmail(c.email, c.email2, c.kind), c.expected) << c.email.toStdString();
}

TEST(CalendarItems, FestivalsOfAMonth)
{
    struct Case { const char *month; QStringList expected; };
    const Case cases[] = {
        {"2005-02-01",
         {"2005-02-01 小年|祭灶", "2005-02-08 除夕", "2005-02-09 春节", "2005-02-14 情人节", "2005-02-23 元宵节",
          "2005-03-08 国际妇女节", "2005-03-11 龙抬头"}},
        // 2023 has a leap second month: its second day is no 龙抬头.
        {"2023-03-01", {"2023-03-08 国际妇女节", "2023-03-15 国际消费者权益日", "2023-04-01 愚人节"}},
        {"2020-06-01", {"2020-06-01 国际儿童节", "2020-06-25 端午节", "2020-07-01 中国共产党建党日"}},
        {"2023-10-01", {"2023-10-01 国庆节", "2023-10-23 重阳节"}},
        // A twelfth month of 29 days: the eve is its 29th.
        {"2025-01-01",
         {"2025-01-01 新年元旦", "2025-01-07 腊八节", "2025-01-22 小年|祭灶", "2025-01-28 除夕", "2025-01-29 春节"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Festivals(c.month), c.expected) << c.month;
    EXPECT_FALSE(Festivals("2005-03-01").contains(QStringLiteral("2005-03-09 除夕")));
}
