#include "calendar/ChDateTo.h"

namespace {
constexpr int FirstLunarYear = 1936;
constexpr int LastLunarYear = 2030;
}

const int MonthStartTable[2][14] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365, 396},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366, 397},
};

bool IsGregorianLeapYear(int year)
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

QDate LunarToSolar(int year, int month, int day)
{
    // A negative day would land before the month and pass for a real date; day 0 stays
    // allowed because callers use it for the eve of a month.
    if (year < FirstLunarYear || year > LastLunarYear || month < 1 || month > 12 || day < 0)
        return {};
    const std::int32_t *record = LunarNewYearTable[year - FirstLunarYear];
    const int leap = record[1];
    const int position = leap != 0 && leap < month ? month + 1 : month;
    if (day > record[4 + position - 1] + 29)
        return {};

    int n = record[0] + day;
    for (int i = 1; i < position; ++i)
        n += record[4 + i - 1] + 29;

    const int *row = MonthStartTable[IsGregorianLeapYear(year) ? 1 : 0];
    int j = 13;
    while (j > 0 && n <= row[j])
        --j;
    if (j > 11)
        return QDate(year + 1, j - 11, n - row[j]);
    return QDate(year, j + 1, n - row[j]);
}
