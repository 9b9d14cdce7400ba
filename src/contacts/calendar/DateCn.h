#pragma once
#include <QDate>
#include <QString>

// Gregorian dates 1901-2050 to Chinese lunar months and days, the 24 solar terms, and the short
// caption a calendar cell shows. Table-driven and stateless: nothing is computed from the sky at
// run time.
//
// A lunar date value is month * 100 + day, negated for a leap month; 0 means outside the tables.

// One record per Gregorian year 1901..2050 (index year - 1901), describing 16 lunar months from
// the one that holds 1 January:
//   byte 0, bit 7: the first month is month 12 (set) or month 11 (clear);
//   byte 0, bits 0-6: the lunar day of 1 January within that month;
//   bytes 1-2: a 16-bit word (byte 1 high); bit 15 - i set when month i has 30 days, else 29;
//   byte 3: the month that is followed by a leap month in the record, 0 for none.
extern const unsigned char LunarYearTable[150][4];

// One byte per Gregorian month 1901..2050 (index (year - 1901) * 12 + month - 1): the first term
// of the month falls on day 15 - high nibble, the second on day 15 + low nibble.
extern const unsigned char SolarTermTable[150 * 12];

// Kinds of cell caption LunarDayText gives.
constexpr int LunarTextTerm = 0;       // a solar term's name
constexpr int LunarTextMonth = 1;      // first day of a lunar month: the month's name
constexpr int LunarTextDay = 2;        // any other day: the day's name (empty outside the tables)

// 1-based day of the year; 0 for an invalid date.
int DayOfYear(const QDate &date);

int SolarToLunar(const QDate &date);
// The lunar date of day `dayIndex` (0 = 1 January) of a year described by `record` (the layout
// of LunarYearTable); `firstIsLeap` says whether the record's first month is a leap month, which
// the record itself cannot tell. 0 when the day lies past the record's 16 months.
int LunarDateInRecord(const unsigned char *record, int dayIndex, bool firstIsLeap);

int LunarMonth(const QDate &date);
int LunarDay(const QDate &date);
// "冬月", "腊月", "一月"...; a leap month reads "闰" and the name without "月" ("闰二").
QString LunarMonthText(const QDate &date);
// "初一" .. "三十"; empty outside the tables.
QString LunarDayName(const QDate &date);

// 1..24 (小寒 first) when the date is a solar term, else 0.
int SolarTerm(int year, int month, int day);

// The caption of a calendar cell: a solar term wins over the first day of a month.
void LunarDayText(const QDate &date, int &kind, QString &text);
