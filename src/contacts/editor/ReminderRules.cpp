#include "editor/ReminderRules.h"

#include <QStringList>
#include <algorithm>

namespace {

// Numbers of a parameter text; a missing or unreadable one reads as 1.
int NumberAt(const QStringList &parts, int index)
{
    if (index >= parts.size())
        return 1;
    bool ok = false;
    const int value = parts[index].trimmed().toInt(&ok);
    return ok ? value : 1;
}

bool WholeDaysDiffer(const QDateTime &a, const QDateTime &b)
{
    const QDate da = a.isValid() ? a.date() : QDate();
    const QDate db = b.isValid() ? b.date() : QDate();
    return da != db;
}

bool DateTimesDiffer(const QDateTime &a, const QDateTime &b)
{
    if (a.isValid() != b.isValid())
        return true;
    return a.isValid() && a != b;
}

std::vector<QDate> ExpandDaily(const TRecurrence &r, int limit)
{
    std::vector<QDate> days;
    for (QDate day = r.Start; int(days.size()) < limit; day = day.addDays(r.Interval)) {
        if (r.UntilEnd && day > r.End)
            break;
        days.push_back(day);
    }
    return days;
}

// Each chosen weekday runs its own series from its first day on or after the start; the series
// are merged in date order so that the limit cuts off the latest days, not a whole weekday.
std::vector<QDate> ExpandWeekly(const TRecurrence &r, int limit)
{
    std::vector<QDate> next;
    for (int weekday = 1; weekday <= 7; ++weekday) {
        if (!r.Weekdays[size_t(weekday - 1)])
            continue;
        next.push_back(r.Start.addDays((weekday - r.Start.dayOfWeek() + 7) % 7));
    }
    std::vector<QDate> days;
    if (next.empty())
        return days;
    while (int(days.size()) < limit) {
        auto earliest = std::min_element(next.begin(), next.end());
        if (r.UntilEnd && *earliest > r.End)
            break;
        days.push_back(*earliest);
        *earliest = earliest->addDays(7 * qint64(r.Interval));
    }
    return days;
}

// Months are counted from the first one so that a clamped day (30 April) does not carry into
// the months after it.
std::vector<QDate> ExpandMonthly(const TRecurrence &r, int limit)
{
    const int day = r.Day < 1 ? r.Start.day() : r.Day;
    const auto place = [&](int monthIndex) {
        const int year = monthIndex / 12;
        const int month = monthIndex % 12 + 1;
        return r.LastDay ? LastDayOfMonth(year, month) : ClampedDate(year, month, day);
    };
    int first = r.Start.year() * 12 + r.Start.month() - 1;
    if (place(first) < r.Start)
        ++first;
    std::vector<QDate> days;
    for (qint64 k = 0; int(days.size()) < limit; ++k) {
        const qint64 index = first + k * r.Interval;
        if (index / 12 > 9999)
            break;
        const QDate date = place(int(index));
        if (r.UntilEnd && date > r.End)
            break;
        days.push_back(date);
    }
    return days;
}

std::vector<QDate> ExpandYearly(const TRecurrence &r, int limit)
{
    const int day = r.Day < 1 ? r.Start.day() : r.Day;
    const auto place = [&](int year) {
        return r.LastDay ? LastDayOfMonth(year, r.Month) : ClampedDate(year, r.Month, day);
    };
    int year = r.Start.year();
    if (place(year) < r.Start)
        ++year;
    std::vector<QDate> days;
    for (; int(days.size()) < limit && year <= 9999; ++year) {
        const QDate date = place(year);
        if (r.UntilEnd && date > r.End)
            break;
        days.push_back(date);
    }
    return days;
}

} // namespace

QDate LastDayOfMonth(int year, int month)
{
    const QDate first(year, month, 1);
    return first.isValid() ? QDate(year, month, first.daysInMonth()) : QDate();
}

QDate ClampedDate(int year, int month, int day)
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    return QDate(year, month, std::clamp(day, 1, first.daysInMonth()));
}

TRecurrence DecodeRecurrence(int kind, const QString &text)
{
    TRecurrence r;
    r.Kind = (kind >= rkDaily && kind <= rkYearly) ? kind : rkNone;
    const QStringList parts = text.trimmed().split(',');
    switch (r.Kind) {
    case rkDaily:
        r.Interval = NumberAt(parts, 0);
        break;
    case rkWeekly:
        r.Interval = NumberAt(parts, 0);
        for (int i = 0; i < 7; ++i)
            r.Weekdays[size_t(i)] = i + 1 < parts.size() && parts[i + 1].trimmed() == QLatin1String("1");
        break;
    case rkMonthly:
        r.LastDay = NumberAt(parts, 0) == 0;
        if (r.LastDay) {
            r.Interval = parts.size() > 1 ? NumberAt(parts, 1) : 1;
        } else {
            r.Day = NumberAt(parts, 1);
            r.Interval = NumberAt(parts, 2);
        }
        break;
    case rkYearly:
        r.LastDay = NumberAt(parts, 0) == 0;
        // The month is kept as its place in the dialog's month list.
        r.Month = std::clamp(parts.size() > 1 ? NumberAt(parts, 1) : 0, 0, 11) + 1;
        if (!r.LastDay)
            r.Day = NumberAt(parts, 2);
        break;
    default:
        break;
    }
    r.Interval = std::max(r.Interval, 1);
    return r;
}

TRecurrence RecurrenceOf(const TReminderRule &rule)
{
    TRecurrence r = DecodeRecurrence(rule.Kind, rule.Text);
    r.Start = rule.Start.isValid() ? rule.Start.date() : QDate();
    r.Time = rule.Start.isValid() ? rule.Start.time() : QTime(0, 0);
    r.UntilEnd = rule.End.isValid();
    r.End = rule.End.isValid() ? rule.End.date() : QDate();
    r.Count = rule.Count;
    return r;
}

namespace {

// How many days a series ended by its count has. A count below 1 still leaves the range on its
// start day, as the dialog shows it: a daily or monthly series keeps its first day, a weekly one
// the start when its weekday is chosen; a yearly series counts its years, so none.
int CountLimit(const TRecurrence &r)
{
    if (r.Count >= 1)
        return std::min(r.Count, MaxOccurrences);
    switch (r.Kind) {
    case rkDaily:
    case rkMonthly: return 1;
    case rkWeekly: return r.Weekdays[size_t(r.Start.dayOfWeek() - 1)] ? 1 : 0;
    default: return 0;
    }
}

} // namespace

std::vector<QDate> ExpandRecurrence(const TRecurrence &recurrence)
{
    if (!recurrence.Start.isValid() || (recurrence.UntilEnd && !recurrence.End.isValid()))
        return {};
    const int limit = recurrence.UntilEnd ? MaxOccurrences : CountLimit(recurrence);
    if (limit == 0)
        return {};
    switch (recurrence.Kind) {
    case rkDaily: return ExpandDaily(recurrence, limit);
    case rkWeekly: return ExpandWeekly(recurrence, limit);
    case rkMonthly: return ExpandMonthly(recurrence, limit);
    case rkYearly: return ExpandYearly(recurrence, limit);
    default: return {};
    }
}

std::vector<QDate> OccurrenceDays(const TRecurrence &recurrence)
{
    if (recurrence.Kind != rkWeekly)
        return ExpandRecurrence(recurrence);
    QDate end = recurrence.End;
    if (!recurrence.UntilEnd) {
        const std::vector<QDate> counted = ExpandRecurrence(recurrence);
        if (counted.empty())
            return {};
        end = counted.back();
    }
    if (!recurrence.Start.isValid() || !end.isValid())
        return {};
    std::vector<QDate> days;
    for (int weekday = 1; weekday <= 7; ++weekday) {
        if (!recurrence.Weekdays[size_t(weekday - 1)])
            continue;
        QDate day = recurrence.Start.addDays((weekday - recurrence.Start.dayOfWeek() + 7) % 7);
        for (; day <= end; day = day.addDays(7 * qint64(recurrence.Interval)))
            days.push_back(day);
    }
    return days;
}

TOccurrenceRow OccurrenceRow(const QDate &day, const QTime &time, const QDateTime &now)
{
    TOccurrenceRow row;
    row.StartDate = QDateTime(day, QTime(0, 0));
    row.AlarmTime = QDateTime(day, time.isValid() ? time : QTime(0, 0));
    // Plain day arithmetic: a daylight-saving change must not move the end to another day.
    const bool nextDay = row.AlarmTime.time().msecsSinceStartOfDay() >= 3600 * 1000;
    row.EndDate = QDateTime(day.addDays(nextDay ? 1 : 0), QTime(0, 0));
    row.Passed = row.AlarmTime <= now;
    return row;
}

bool ReminderRuleChanged(const TReminderRule &rule, const TReminderRule &expanded, bool untilEnd)
{
    return DateTimesDiffer(rule.Start, expanded.Start) || (untilEnd && WholeDaysDiffer(rule.End, expanded.End)) ||
           DateTimesDiffer(rule.Alarm, expanded.Alarm) || (!untilEnd && rule.Count != expanded.Count) ||
           rule.Kind != expanded.Kind || rule.Text != expanded.Text;
}
