#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <vector>

// A contact's reminder series and its expansion into one plan row per occurrence. Everything
// here is free of widgets and of the database, so the dialog's count/end-date display and the
// rows written come from the same expansion.

// Kinds as stored in userinfo.txlevel.
enum TReminderKind { rkNone = 0, rkDaily = 1, rkWeekly = 2, rkMonthly = 3, rkYearly = 4 };

// The dialog's count goes no higher, and the days of a daily, monthly or yearly series stop
// here; a weekly series writes every day of its range (OccurrenceDays).
inline constexpr int MaxOccurrences = 100;

// The series as a contact row stores it (txstarttime, txendtime, alarmtime, txxhcs, txlevel,
// txdaystr). An invalid date-time stands for the stored 0: no end date means the range is a
// number of occurrences.
struct TReminderRule {
    QDateTime Start;  // first day of the range, with the reminder time of day
    QDateTime End;    // last day of the range; invalid when the range is a count
    QDateTime Alarm;  // the reminder time (its date is the start's)
    int Count = 0;
    int Kind = rkNone;
    QString Text;     // parameters of the kind, comma-separated

    friend bool operator==(const TReminderRule &, const TReminderRule &) = default;
};

// The parameters of a series, read from its text, plus its range.
struct TRecurrence {
    int Kind = rkNone;
    int Interval = 1;                  // every N days, weeks or months
    std::array<bool, 7> Weekdays{};    // Monday first
    bool LastDay = false;              // 月最后一天
    int Day = 0;                       // day of the month; below 1 means the start's day
    int Month = 1;                     // 1..12, yearly series
    QDate Start;
    QTime Time;
    bool UntilEnd = false;             // the range ends at End, else after Count occurrences
    QDate End;
    int Count = 0;
};

// Reads the kind's parameter text. A number that cannot be read counts as 1; a text whose first
// number is 0 is a last-day rule ("0" alone, or "0,N" monthly, "0,M" yearly keeping interval and
// month).
TRecurrence DecodeRecurrence(int kind, const QString &text);

// The range and time of a stored rule on top of DecodeRecurrence.
TRecurrence RecurrenceOf(const TReminderRule &rule);

// The days of the series in date order, at most MaxOccurrences: with an end date every day up
// to and including it, else as many as the count. A count of 0 still keeps the first day of a
// daily or monthly series and the start of a weekly one when its weekday is chosen (the range
// then ends on its start), and gives a yearly series none. Days that a month lacks (the 31st,
// 29 February) fall on the month's last day.
std::vector<QDate> ExpandRecurrence(const TRecurrence &recurrence);

// The days written as the series' rows, in the order they are written. A weekly series runs
// each chosen weekday through the whole range in turn, Monday's days first, however many they
// are; its range ends at the end date, or, for a count, on the day the dialog shows as the end
// (the count-th day in date order). Other kinds write the days of ExpandRecurrence.
std::vector<QDate> OccurrenceDays(const TRecurrence &recurrence);

// The last day of a month.
QDate LastDayOfMonth(int year, int month);
// Day `day` of a month, or its last day when the month is shorter.
QDate ClampedDate(int year, int month, int day);

// One usertable row of an occurrence.
struct TOccurrenceRow {
    QDateTime StartDate;  // the day at 00:00
    QDateTime EndDate;    // the day part of (alarm + 23 hours)
    QDateTime AlarmTime;  // the day at the reminder time
    bool Passed = false;  // gqwtx: the alarm was not in the future at generation
};
TOccurrenceRow OccurrenceRow(const QDate &day, const QTime &time, const QDateTime &now);

// Whether the series differs from the one last expanded so that its rows must be written again.
// The end date counts only for a range by end date, the count only for a range by count; start
// and alarm are compared with their time of day.
bool ReminderRuleChanged(const TReminderRule &rule, const TReminderRule &expanded, bool untilEnd);
