#pragma once
#include <QDateTime>
#include <QString>

struct sqlite3;

// Reads the date texts that accounts hold: the stored form "2024-05-01 08:30:45" and the
// looser forms users typed, "1980-1-5", "1980/01/05" or "1980.1.5", each optionally followed
// (after blanks or "T") by a time "8:30", "08:30:45" or "08:30:45.250". The year has four
// digits. Gives an invalid QDateTime when the text is not a real date and time.
QDateTime ReadLooseDateTime(const QString &text);
// The same reading as wall-clock parts; false when the text is not a real date and time.
bool ReadLooseDateTime(const QString &text, QDate &date, QTime &time);

// Formats a date-time with the date patterns the queries were written with: "yyyy"/"yy",
// "m"/"mm" (month; minutes when right after an hour), "d"/"dd", "h"/"hh", "n"/"nn" (minutes),
// "s"/"ss"; letters are matched without case and everything else is copied.
QString JetFormatDateTime(const QDateTime &value, const QString &pattern);
QString JetFormatDateTime(const QDate &date, const QTime &time, const QString &pattern);

// Registers jetformat(value, pattern) on a connection: NULL for a NULL, a number, a blob or a
// text that is not a date; otherwise the formatted text.
void RegisterJetFormat(sqlite3 *db);
