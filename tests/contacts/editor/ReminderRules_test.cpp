#include "contacts/editor/ReminderRules.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

QDate D(const char *text) { return QDate::fromString(QString::fromLatin1(text), Qt::ISODate); }

TEST(Expansion, GivesTheDaysOfTheSeries)
{
    // An empty end: the range is the count.
    const struct { int kind; const char *text, *start, *end; int count; const char *days; } cases[] = {
        {rkDaily, "2", "2024-03-01", "", 4, "2024-03-01 2024-03-03 2024-03-05 2024-03-07"},
        {rkDaily, "-5", "2024-03-30", "", 2, "2024-03-30 2024-03-31"},
        {rkDaily, "x", "2024-03-30", "2024-04-02", 0, "2024-03-30 2024-03-31 2024-04-01 2024-04-02"},
        {rkWeekly, "1,1,0,0,0,0,0,0", "2024-05-01", "", 3, "2024-05-06 2024-05-13 2024-05-20"},
        {rkWeekly, "1,0,0,1,0,0,0,0", "2024-05-01", "", 2, "2024-05-01 2024-05-08"},
        {rkMonthly, "1,31,1", "2024-01-20", "", 4, "2024-01-31 2024-02-29 2024-03-31 2024-04-30"},
        {rkMonthly, "1,10,1", "2024-01-15", "", 2, "2024-02-10 2024-03-10"},
        {rkMonthly, "1,0,1", "2024-01-17", "", 2, "2024-01-17 2024-02-17"},
        {rkMonthly, "1,5,3", "2024-11-01", "", 3, "2024-11-05 2025-02-05 2025-05-05"},
        {rkMonthly, "0", "2023-12-05", "", 3, "2023-12-31 2024-01-31 2024-02-29"},
        {rkMonthly, "0,2", "2024-01-05", "", 3, "2024-01-31 2024-03-31 2024-05-31"},
        {rkMonthly, "0", "2024-01-10", "2024-04-15", 0, "2024-01-31 2024-02-29 2024-03-31"},
        {rkYearly, "1,1,29", "2024-01-01", "", 3, "2024-02-29 2025-02-28 2026-02-28"},
        {rkYearly, "1,0,1", "2024-01-02", "", 2, "2025-01-01 2026-01-01"},
        {rkYearly, "1,3,31", "2024-01-01", "", 2, "2024-04-30 2025-04-30"},
        {rkYearly, "0,1", "2027-03-01", "", 2, "2028-02-29 2029-02-28"},
        {rkYearly, "1,11,31", "2024-01-01", "", 2, "2024-12-31 2025-12-31"},
        {rkYearly, "1,5,1", "2024-01-01", "2026-06-30", 0, "2024-06-01 2025-06-01 2026-06-01"},
        // A count of 0: the first day alone.
        {rkDaily, "1", "2024-01-01", "", 0, "2024-01-01"},  {rkDaily, "1", "2024-01-02", "2024-01-01", 0, ""},
        {rkMonthly, "1,10,1", "2024-01-15", "", 0, "2024-02-10"},
        {rkWeekly, "1,1,0,0,0,0,0,0", "2024-01-01", "", 0, "2024-01-01"},
        {rkNone, "", "2024-01-01", "", 5, ""},    {rkWeekly, "1,0,0,0,0,0,0,0", "2024-01-01", "", 5, ""},
    };
    for (const auto &c : cases) {
        TRecurrence r = DecodeRecurrence(c.kind, QString::fromLatin1(c.text));
        r.Start = D(c.start);
        r.UntilEnd = *c.end != '\0';
        r.End = r.UntilEnd ? D(c.end) : QDate();
        r.Count = c.count;
        QStringList days;
        for (const QDate &day : ExpandRecurrence(r))
            days << day.toString(Qt::ISODate);
        EXPECT_EQ(days.join(' '), c.days) << c.text << " from " << c.start;
    }
}

TEST(ExpansionLimit, EveryKindStopsAtOneHundredRows)
{
    for (const auto &[kind, text] : {std::pair{rkDaily, "1"}, {rkWeekly, "1,1,1,1,1,1,1,1"}, {rkMonthly, "1,1,1"},
                                     {rkYearly, "1,0,1"}}) {
        TRecurrence r = DecodeRecurrence(kind, QString::fromLatin1(text));
        r.Start = QDate(2024, 1, 1);
        r.UntilEnd = true;
        r.End = QDate(2400, 1, 1);
        const std::vector<QDate> days = ExpandRecurrence(r);
        EXPECT_EQ(days.size(), size_t(MaxOccurrences)) << text;
        EXPECT_TRUE(std::is_sorted(days.begin(), days.end())) << text;
        r.UntilEnd = false;
        r.Count = 250;
        EXPECT_EQ(ExpandRecurrence(r).size(), size_t(MaxOccurrences)) << text;
    }
}

TEST(OccurrenceRows, EndDateAndPassedFlag)
{
    const QDateTime now(QDate(2024, 5, 1), QTime(10, 0));
    const struct { QTime time; QDate day, end; bool passed; } cases[] = {
        {QTime(0, 30), QDate(2024, 5, 3), QDate(2024, 5, 3), false},
        {QTime(11, 0), QDate(2024, 5, 3), QDate(2024, 5, 4), false},
        {QTime(1, 0), QDate(2024, 4, 30), QDate(2024, 5, 1), true},
        {QTime(9, 59), QDate(2024, 5, 1), QDate(2024, 5, 2), true},
        {QTime(10, 1), QDate(2024, 5, 1), QDate(2024, 5, 2), false},
        {QTime(23, 0), QDate(2024, 12, 31), QDate(2025, 1, 1), false},
    };
    for (const auto &c : cases) {
        const TOccurrenceRow row = OccurrenceRow(c.day, c.time, now);
        SCOPED_TRACE(c.time.toString().toStdString());
        EXPECT_TRUE(row.StartDate == QDateTime(c.day, QTime(0, 0)) && row.AlarmTime == QDateTime(c.day, c.time));
        EXPECT_EQ(row.EndDate, QDateTime(c.end, QTime(0, 0)));
        EXPECT_EQ(row.Passed, c.passed);
    }
}

TEST(RuleChange, ComparesWhatTheRangeUses)
{
    TReminderRule base;
    base.Start = base.Alarm = QDateTime(QDate(2024, 5, 1), QTime(9, 0));
    base.End = QDateTime(QDate(2024, 6, 1), QTime(0, 0));
    base.Count = 5;
    base.Kind = rkDaily;
    base.Text = "1";
    // Whether the change counts for a series ended by its count, and for one ended by its end date.
    const struct { const char *name; std::function<void(TReminderRule &)> change; bool byCount, byEnd; }
        cases[] = {
        {"nothing", [](TReminderRule &) {}, false, false},
        {"time of day", [](TReminderRule &r) { r.Start.setTime(QTime(10, 30)); r.Alarm = r.Start; }, true, true},
        {"end date", [](TReminderRule &r) { r.End = r.End.addDays(3); }, false, true},
        {"end time", [](TReminderRule &r) { r.End.setTime(QTime(12, 0)); }, false, false},
        {"count", [](TReminderRule &r) { r.Count = 6; }, true, false},
        {"text", [](TReminderRule &r) { r.Text = "2"; }, true, true},
        {"kind", [](TReminderRule &r) { r.Kind = rkNone; }, true, true},
        {"no start", [](TReminderRule &r) { r.Start = QDateTime(); }, true, true},
    };
    for (const auto &c : cases) {
        TReminderRule changed = base;
        c.change(changed);
        EXPECT_EQ(ReminderRuleChanged(changed, base, false), c.byCount) << c.name;
        EXPECT_EQ(ReminderRuleChanged(changed, base, true), c.byEnd) << c.name;
    }
}

} // namespace
