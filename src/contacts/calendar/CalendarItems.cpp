#include "calendar/CalendarItems.h"

#include "calendar/ChDateTo.h"
#include "calendar/DateCn.h"
#include "shared/WNDES.h"

#include "platform/JetFormat.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace {

struct TFestival {
    int Month;
    int Day;
    const char *Name;
};

constexpr std::array<TFestival, 14> SolarFestivals = {{
    {1, 1, "新年元旦"}, {2, 14, "情人节"}, {3, 8, "国际妇女节"}, {3, 15, "国际消费者权益日"},
    {4, 1, "愚人节"}, {5, 1, "国际劳动节"}, {5, 4, "中国五四青年节"}, {6, 1, "国际儿童节"},
    {7, 1, "中国共产党建党日"}, {8, 1, "中国建军节"}, {9, 10, "教师节"}, {10, 1, "国庆节"},
    {12, 24, "平安夜"}, {12, 25, "圣诞节"},
}};

// Day 0 of month 1 is the eve of the lunar new year, whatever the length of month 12.
constexpr std::array<TFestival, 10> LunarFestivals = {{
    {1, 1, "春节"}, {1, 15, "元宵节"}, {2, 2, "龙抬头"}, {5, 5, "端午节"}, {7, 7, "七七中国情人节"},
    {8, 15, "中秋节"}, {9, 9, "重阳节"}, {12, 8, "腊八节"}, {12, 23, "小年|祭灶"}, {1, 0, "除夕"},
}};

bool InRange(const QDate &d, const QDate &start, const QDate &end)
{
    return d.isValid() && d >= start && d <= end;
}

// Month and day of a stored date, without asking that they form a Gregorian date: a lunar
// birthday may be the 30th of the second month.
bool MonthAndDay(const QString &text, int &month, int &day)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?!\\d)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    month = match.captured(2).toInt();
    day = match.captured(3).toInt();
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

TCalendarEntry ContactEntry(TCalendarKind kind, const QDate &date, const TContactDates &row)
{
    TCalendarEntry entry;
    entry.Kind = kind;
    entry.Date = date;
    entry.Key = row.Key;
    entry.Name = row.Name;
    entry.Email = ContactEmail(row.Email, row.Email2, row.Cipher);
    switch (kind) {
    case TCalendarKind::SolarBirthday:
        entry.Text = row.Name + QStringLiteral("-阳历生日");
        entry.StartTime = entry.EndTime = QTime(8, 0);
        entry.Private = false;
        entry.ImageIndex = CalendarBirthdayImage;
        break;
    case TCalendarKind::LunarBirthday:
        entry.Text = row.Name + QStringLiteral("-阴历生日");
        entry.ImageIndex = CalendarBirthdayImage;
        break;
    default:
        entry.Text = row.Name + QStringLiteral("-婚纪念日");
        entry.ImageIndex = CalendarAnniversaryImage;
        break;
    }
    if (kind != TCalendarKind::SolarBirthday) {
        entry.StartTime = QTime(0, 0);
        entry.EndTime = QTime(23, 0);
    }
    return entry;
}

bool IsLunar(const TContactDates &row)
{
    return row.DateFormat.trimmed() == QStringLiteral("阴历");
}

} // namespace

TMonthRange MonthRange(const QDate &dayInMonth)
{
    TMonthRange range;
    range.First = QDate(dayInMonth.year(), dayInMonth.month(), 1);
    range.Start = range.First.addDays(-(range.First.dayOfWeek() % 7));
    range.End = range.Start.addDays(41);
    return range;
}

std::vector<QDate> SolarOccurrences(int month, int day, const QDate &start, const QDate &end)
{
    std::vector<QDate> dates;
    for (int year = start.year(); year <= end.year(); ++year) {
        const QDate d(year, month, day);
        if (InRange(d, start, end))
            dates.push_back(d);
    }
    return dates;
}

std::vector<QDate> LunarOccurrences(int month, int day, const QDate &start, const QDate &end)
{
    // A lunar year begins in January or February, so its last months reach into the next
    // Gregorian year.
    std::vector<QDate> dates;
    for (int year = start.year() - 1; year <= end.year(); ++year) {
        const QDate d = LunarToSolar(year, month, day);
        if (InRange(d, start, end))
            dates.push_back(d);
    }
    std::sort(dates.begin(), dates.end());
    return dates;
}

std::vector<TCalendarEntry> FestivalEntries(const QDate &start, const QDate &end)
{
    std::vector<TCalendarEntry> entries;
    const auto add = [&entries](const QDate &date, const char *name) {
        TCalendarEntry entry;
        entry.Date = date;
        entry.Text = QString::fromUtf8(name);
        entry.StartTime = QTime(0, 0);
        entry.EndTime = QTime(23, 0);
        entries.push_back(entry);
    };
    for (QDate date = start; date.isValid() && date <= end; date = date.addDays(1)) {
        for (const TFestival &f : SolarFestivals) {
            if (f.Month == date.month() && f.Day == date.day())
                add(date, f.Name);
        }
        // A leap month repeats no festival; it reads as a negative value.
        const int lunar = SolarToLunar(date);
        const bool eve = SolarToLunar(date.addDays(1)) == 101;
        for (const TFestival &f : LunarFestivals) {
            if (f.Day == 0 ? eve : lunar == f.Month * 100 + f.Day)
                add(date, f.Name);
        }
    }
    return entries;
}

std::vector<TCalendarEntry> ContactEntries(const std::vector<TContactDates> &contacts,
                                           const std::vector<TPlanRow> &plans, const QDate &start,
                                           const QDate &end)
{
    std::vector<TCalendarEntry> entries;
    for (const TPlanRow &plan : plans) {
        const QDate date = ReadLooseDateTime(plan.StartDate).date();
        if (!InRange(date, start, end))
            continue;
        TCalendarEntry entry;
        entry.Kind = TCalendarKind::Plan;
        entry.Date = date;
        entry.Text = plan.Title;
        entry.StartTime = QTime(8, 0);
        entry.EndTime = QTime(16, 0);
        entry.ImageIndex = CalendarPlanImage;
        entry.Id = plan.Id;
        entry.Key = plan.Key;
        entry.Name = plan.Name;
        entry.Email = ContactEmail(plan.Email, plan.Email2, plan.Cipher);
        entries.push_back(entry);
    }

    int month = 0;
    int day = 0;
    for (const bool lunar : {false, true}) {
        for (const TContactDates &row : contacts) {
            if (!row.BirthdayReminder || IsLunar(row) != lunar || !MonthAndDay(row.Birthday, month, day))
                continue;
            const std::vector<QDate> dates =
                lunar ? LunarOccurrences(month, day, start, end) : SolarOccurrences(month, day, start, end);
            for (const QDate &d : dates)
                entries.push_back(ContactEntry(lunar ? TCalendarKind::LunarBirthday : TCalendarKind::SolarBirthday, d, row));
        }
    }
    for (const TContactDates &row : contacts) {
        if (!row.AnniversaryReminder || !MonthAndDay(row.Anniversary, month, day))
            continue;
        for (const QDate &d : SolarOccurrences(month, day, start, end))
            entries.push_back(ContactEntry(TCalendarKind::Anniversary, d, row));
    }
    return entries;
}

QString ContactEmail(const QString &email, const QString &email2, const QString &cipher)
{
    QString address = email;
    if (!address.isEmpty() && cipher.trimmed() != QStringLiteral("2"))
        address = DesDecryptString(address, DesKey);
    return address.isEmpty() ? email2 : address;
}
