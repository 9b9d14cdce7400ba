#pragma once
#include <QDate>
#include <cstdint>

// A day of a lunar year 1936-2030 back to its Gregorian date.

// One record of 17 words per lunar year 1936..2030 (index year - 1936):
//   0: day of the Gregorian year of lunar new year's day, counted from 0;
//   1: the month that is followed by the leap month, 0 for none;
//   2: weekday of 1 January, Monday = 0;  3: 1 January's place in the sixty-day cycle, 甲子 = 0;
//   4..16: the lengths of the year's months in order, leap month in its place, as length - 29.
extern const std::int32_t LunarNewYearTable[95][17];

// Days of the year before the first of each month, common year then leap year, running on into
// January and February of the next year.
extern const int MonthStartTable[2][14];

bool IsGregorianLeapYear(int year);

// The Gregorian date of day `day` of the ordinary (never the leap) month `month` of lunar year
// `year`. Day 0 is the day before the month's first. Anything outside years 1936-2030, months
// 1-12 and days 0 to the month's length gives the null QDate, which no date range contains.
QDate LunarToSolar(int year, int month, int day);
