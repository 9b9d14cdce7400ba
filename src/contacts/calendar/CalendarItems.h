#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

// What the calendar shows for a range of days: festivals, the solar and lunar birthdays and
// wedding anniversaries of contacts, and their plan rows. Pure: rows in, dated entries out, so
// the month grid and the today tree place every kind of event by the same rules.

// Image indexes of the calendar's image list.
constexpr int CalendarDayImage = 0;
constexpr int CalendarBirthdayImage = 8;
constexpr int CalendarAnniversaryImage = 9;
constexpr int CalendarFestivalImage = 10;
constexpr int CalendarPlanImage = 11;

// The 42 days a month grid shows: from the Sunday on or before the 1st.
struct TMonthRange {
    QDate First;  // the 1st of the month
    QDate Start;
    QDate End;    // Start + 41
};
TMonthRange MonthRange(const QDate &dayInMonth);

// The userinfo columns that date events; the texts as stored.
struct TContactDates {
    int Key = 0;
    QString Name;
    QString Birthday;        // uhsr; month and day are lunar when Lunar
    QString DateFormat;      // udtfmt: "阴历" for a lunar birthday
    bool BirthdayReminder = false;     // uisalart
    QString Anniversary;     // ujhjnr
    bool AnniversaryReminder = false;  // jnrtx
    QString Email;           // uemail, as stored
    QString Email2;          // text1
    QString Cipher;          // kzfield2: "2" when the e-mail is stored in the clear
};

// A usertable row joined with its contact.
struct TPlanRow {
    int Id = 0;
    int Key = 0;  // groupid
    QString Title;
    QString StartDate;  // as stored
    QString Name;
    QString Email;
    QString Email2;
    QString Cipher;
};

enum class TCalendarKind { Plan, SolarBirthday, LunarBirthday, Anniversary, Festival };

struct TCalendarEntry {
    TCalendarKind Kind = TCalendarKind::Festival;
    QDate Date;
    QString Text;
    QTime StartTime;
    QTime EndTime;
    bool Private = true;
    int ImageIndex = CalendarFestivalImage;
    // Contact events only.
    int Id = 0;  // the usertable row of a plan
    int Key = 0;
    QString Name;
    QString Email;  // readable address, the second one when the first is empty
};

// The days in [start, end] on which a yearly date falls: solar month and day, or the lunar
// month and day converted year by year. A date some year lacks (29 February, a lunar 30th) is
// missing only in that year.
std::vector<QDate> SolarOccurrences(int month, int day, const QDate &start, const QDate &end);
std::vector<QDate> LunarOccurrences(int month, int day, const QDate &start, const QDate &end);

// The festivals of each day in [start, end], in day order.
std::vector<TCalendarEntry> FestivalEntries(const QDate &start, const QDate &end);

// The contact events in [start, end]: plans, solar birthdays, lunar birthdays, anniversaries,
// in that order, each group in row order. A row whose date cannot be read is left out alone.
std::vector<TCalendarEntry> ContactEntries(const std::vector<TContactDates> &contacts,
                                           const std::vector<TPlanRow> &plans, const QDate &start,
                                           const QDate &end);

// The e-mail address of a contact row: deciphered unless stored in the clear, the second
// address when the first is empty.
QString ContactEmail(const QString &email, const QString &email2, const QString &cipher);
