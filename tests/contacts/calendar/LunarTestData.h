#pragma once
#include "TestSupport.h"
// The lunar calendar as plain data (tests/contacts/data/lunar_*.txt, written by the table
// generator), read without any of the code under test, so the packed tables and the conversion
// steps are checked against something they cannot influence.
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <array>
#include <vector>

struct LunarMonthData {
    int year = 0;      // lunar year
    int month = 0;     // negative for a leap month
    QDate first;
    int length = 0;
};

inline QString LunarDataPath(const QString &name)
{
    return TestDataPath(QStringLiteral("contacts/data/") + name);
}

inline QStringList LunarDataLines(const QString &name)
{
    QFile file(LunarDataPath(name));
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            lines << line;
    }
    return lines;
}

// Every month of the lunar years in the data, in order. Empty when the data is missing or a line
// is malformed.
inline std::vector<LunarMonthData> LoadLunarMonths()
{
    std::vector<LunarMonthData> months;
    for (const QString &line : LunarDataLines(QStringLiteral("lunar_years.txt"))) {
        const QStringList f = line.split(u' ');
        const QDate newYear = f.size() == 4 ? QDate::fromString(f[1], Qt::ISODate) : QDate();
        if (!newYear.isValid() || (f[3].size() != 12 && f[3].size() != 13))
            return {};
        const int year = f[0].toInt();
        const int leap = f[2].toInt();
        QDate first = newYear;
        int number = 1;
        bool leapDone = false;
        for (const QChar bit : f[3]) {
            const int length = bit == u'1' ? 30 : 29;
            const bool isLeap = !leapDone && leap != 0 && number == leap + 1;
            if (isLeap)
                leapDone = true;
            const int month = isLeap ? -leap : number++;
            months.push_back({year, month, first, length});
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
    for (const QString &line : LunarDataLines(QStringLiteral("lunar_terms.txt"))) {
        const QStringList f = line.split(u' ');
        if (f.size() != 25 || f[0].toInt() != 1901 + int(years.size()))
            return {};
        std::array<int, 24> days{};
        for (int i = 0; i < 24; ++i)
            days[i] = f[i + 1].toInt();
        years.push_back(days);
    }
    return years;
}
