#pragma once
#include "TestSupport.h"
// The lunar calendar as plain data (tests/contacts/data/lunar_*.txt, written by the table
// generator), read without any of the code under test, so the packed tables and the conversion
// steps are checked against something they cannot influence.
#include <QDate>
#include <QFile>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

struct LunarMonthData {
    int year = 0;   // lunar year
    int month = 0;  // negative for a leap month
    QDate first;
    int length = 0;
};

inline QString LunarDataPath(const QString &name) { return TestDataPath(QStringLiteral("contacts/data/") + name); }

inline std::string IsoDate(const QDate &d) { return d.isNull() ? "null" : d.toString(Qt::ISODate).toStdString(); }

// The lines of a data file without blanks and comments, each split at its spaces.
inline std::vector<QStringList> LunarDataLines(const QString &name)
{
    QFile file(LunarDataPath(name));
    std::vector<QStringList> lines;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts))
            if (!line.startsWith(u'#'))
                lines.push_back(line.trimmed().split(u' '));
    }
    return lines;
}

// Every month of the lunar years in the data, in order. Empty when the data is missing or a line
// is malformed.
inline std::vector<LunarMonthData> LoadLunarMonths()
{
    std::vector<LunarMonthData> months;
    for (const QStringList &f : LunarDataLines(QStringLiteral("lunar_years.txt"))) {
        QDate first = f.size() == 4 ? QDate::fromString(f[1], Qt::ISODate) : QDate();
        if (!first.isValid() || (f[3].size() != 12 && f[3].size() != 13))
            return {};
        const int leap = f[2].toInt();
        int number = 1;
        bool leapDone = false;
        for (const QChar bit : f[3]) {
            const int length = bit == u'1' ? 30 : 29;
            const bool isLeap = !leapDone && leap != 0 && number == leap + 1;
            leapDone = leapDone || isLeap;
            months.push_back({f[0].toInt(), isLeap ? -leap : number++, first, length});
            first = first.addDays(length);
        }
        if (number != 13)
            return {};
    }
    return months;
}

// Day of the month of the 24 solar terms of each year, from 1901. Empty when the data is missing.
inline std::vector<std::array<int, 24>> LoadSolarTermDays()
{
    std::vector<std::array<int, 24>> years;
    for (const QStringList &f : LunarDataLines(QStringLiteral("lunar_terms.txt"))) {
        if (f.size() != 25 || f[0].toInt() != 1901 + int(years.size()))
            return {};
        std::array<int, 24> days{};
        for (int i = 0; i < 24; ++i)
            days[i] = f[i + 1].toInt();
        years.push_back(days);
    }
    return years;
}
