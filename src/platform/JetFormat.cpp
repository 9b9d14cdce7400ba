#include "JetFormat.h"

#include <sqlite3.h>

namespace {

// Reads up to maxDigits decimal digits at pos; -1 when there is none.
int ReadNumber(const QString &text, qsizetype &pos, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits && text[pos].isDigit() && text[pos].unicode() < 128) {
        value = value * 10 + (text[pos].unicode() - '0');
        ++pos;
        ++digits;
    }
    return digits ? value : -1;
}

bool AtEnd(const QString &text, qsizetype pos)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    return pos == text.size();
}

QString Padded(int value, int width)
{
    return QString::number(value).rightJustified(width, '0');
}

void JetFormatFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 2 || sqlite3_value_type(argv[0]) != SQLITE_TEXT || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto text = [](sqlite3_value *v) {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_value_text(v));
        return QString::fromUtf8(bytes, sqlite3_value_bytes(v));
    };
    // Formatting works on the wall-clock parts, so no time zone can make a stored date vanish.
    QDate date;
    QTime time;
    if (!ReadLooseDateTime(text(argv[0]), date, time)) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray out = JetFormatDateTime(date, time, text(argv[1])).toUtf8();
    sqlite3_result_text(context, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

} // namespace

bool ReadLooseDateTime(const QString &input, QDate &dateOut, QTime &timeOut)
{
    const QString text = input.trimmed();
    qsizetype pos = 0;
    const qsizetype yearStart = pos;
    const int year = ReadNumber(text, pos, 4);
    if (year < 0 || pos - yearStart != 4 || pos >= text.size())
        return false;
    const QChar separator = text[pos];
    if (separator != '-' && separator != '/' && separator != '.')
        return false;
    ++pos;
    const int month = ReadNumber(text, pos, 2);
    if (month < 0 || pos >= text.size() || text[pos] != separator)
        return false;
    ++pos;
    const int day = ReadNumber(text, pos, 2);
    const QDate date(year, month, day);
    if (day < 0 || !date.isValid())
        return false;
    if (AtEnd(text, pos)) {
        dateOut = date;
        timeOut = QTime(0, 0);
        return true;
    }

    if (text[pos] == 'T' || text[pos] == 't') {
        ++pos;
    } else if (text[pos].isSpace()) {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
    } else {
        return false;
    }
    const int hour = ReadNumber(text, pos, 2);
    if (hour < 0 || pos >= text.size() || text[pos] != ':')
        return false;
    ++pos;
    const int minute = ReadNumber(text, pos, 2);
    if (minute < 0)
        return false;
    int second = 0;
    int msec = 0;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        second = ReadNumber(text, pos, 2);
        if (second < 0)
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const qsizetype fracStart = pos;
            const int fraction = ReadNumber(text, pos, 3);
            if (fraction < 0)
                return false;
            msec = fraction * (pos - fracStart == 1 ? 100 : pos - fracStart == 2 ? 10 : 1);
            while (pos < text.size() && text[pos].isDigit())
                ++pos;
        }
    }
    const QTime time(hour, minute, second, msec);
    if (!time.isValid() || !AtEnd(text, pos))
        return false;
    dateOut = date;
    timeOut = time;
    return true;
}

QDateTime ReadLooseDateTime(const QString &text)
{
    QDate date;
    QTime time;
    if (!ReadLooseDateTime(text, date, time))
        return {};
    // Stored texts are wall-clock times. Where the local clock skips that time (a daylight-saving
    // change at midnight), take the first moment after the gap rather than losing the date.
    for (int step = 0; step <= 8; ++step) {
        const QDateTime value(date, time.addSecs(step * 30 * 60));
        if (value.isValid() && (step == 0 || value.date() == date))
            return value;
    }
    return {};
}


QString JetFormatDateTime(const QDateTime &value, const QString &pattern)
{
    return JetFormatDateTime(value.date(), value.time(), pattern);
}

QString JetFormatDateTime(const QDate &date, const QTime &time, const QString &pattern)
{
    QString out;
    bool afterHour = false;
    qsizetype pos = 0;
    while (pos < pattern.size()) {
        const QChar c = pattern[pos].toLower();
        if (!QStringLiteral("ymdhns").contains(c)) {
            out += pattern[pos++];
            continue;
        }
        qsizetype run = 1;
        while (pos + run < pattern.size() && pattern[pos + run].toLower() == c)
            ++run;
        pos += run;
        const int width = run >= 2 ? 2 : 1;
        switch (c.unicode()) {
        case 'y':
            out += run >= 3 ? Padded(date.year(), 4) : Padded(date.year() % 100, 2);
            break;
        case 'm':
            out += Padded(afterHour ? time.minute() : date.month(), width);
            break;
        case 'd':
            out += Padded(date.day(), width);
            break;
        case 'h':
            out += Padded(time.hour(), width);
            break;
        case 'n':
            out += Padded(time.minute(), width);
            break;
        case 's':
            out += Padded(time.second(), width);
            break;
        }
        afterHour = c == 'h';
    }
    return out;
}

void RegisterJetFormat(sqlite3 *db)
{
    sqlite3_create_function_v2(db, "jetformat", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               JetFormatFunction, nullptr, nullptr, nullptr);
}
