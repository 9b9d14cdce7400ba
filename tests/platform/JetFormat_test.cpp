#include "platform/JetFormat.h"
#include "platform/SqliteDb.h"

#include <gtest/gtest.h>
#include <ctime>

namespace {

TEST(JetFormat, ReadsLooseDateTexts)
{
    const QDate may1(2024, 5, 1);
    const struct { const char *text; QDateTime expected; } cases[] = {  // invalid: not a date
        {"2024-05-01 08:30:45", QDateTime(may1, QTime(8, 30, 45))},
        {"2024-5-1", QDateTime(may1, QTime(0, 0))}, {"2024/05/01", QDateTime(may1, QTime(0, 0))},
        {"2024.5.1 8:30", QDateTime(may1, QTime(8, 30))},
        {"  2024-05-01T08:30:45.5  ", QDateTime(may1, QTime(8, 30, 45, 500))},
        {"2024-05-01   23:59:59.123456", QDateTime(may1, QTime(23, 59, 59, 123))},
        {"2024-02-29", QDateTime(QDate(2024, 2, 29), QTime(0, 0))}, {"abc", {}}, {"", {}}, {"2023-02-29", {}},
        {"2024-13-01", {}}, {"2024-00-10", {}}, {"2024-05-32", {}}, {"24-05-01", {}}, {"20245-05-01", {}},
        {"2024-05/01", {}}, {"2024-05-01 24:00", {}}, {"2024-05-01 08:60", {}}, {"2024-05-01 08", {}},
        {"2024-05-01x", {}}, {"2024-05-01 08:30 junk", {}}, {"２０２４-05-01", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadLooseDateTime(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(JetFormat, FormatsWithTheQueryPatterns)
{
    const QDateTime value(QDate(2024, 5, 1), QTime(8, 7, 9));
    const struct { const char *pattern, *expected; } cases[] = {
        {"yyyy-mm-dd hh:mm", "2024-05-01 08:07"}, {"yyyy-mm-dd", "2024-05-01"}, {"mm-dd", "05-01"},
        {"YYYY-MM-DD HH:MM:SS", "2024-05-01 08:07:09"}, {"yy/m/d h:n:s", "24/5/1 8:7:9"}, {"hh:nn", "08:07"},
        {"yyyy年m月d日", "2024年5月1日"}, {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JetFormatDateTime(value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected))
            << c.pattern;
}

TEST(JetFormat, SqlFunctionOnEveryConnection)
{
    SQLite::Database db(":memory:", SQLite::OpenReadWrite | SQLite::OpenCreate);
    SQLite::Statement query(db, "SELECT jetformat(?, ?)");
    const struct { QVariant value, pattern, expected; } cases[] = {
        {"2024-05-01 08:30:45", "yyyy-mm-dd hh:mm", "2024-05-01 08:30"}, {"1980-1-5", "mm-dd", "01-05"},
        {"1980/01/05 07:00", "yyyy-mm-dd", "1980-01-05"}, {"abc", "mm-dd", {}}, {{}, "mm-dd", {}},
        {qint64(20240501), "mm-dd", {}}, {QByteArray("2024-05-01"), "mm-dd", {}}, {"2024-05-01", {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value.toString().toStdString());
        query.Reset();
        query.BindAll({c.value, c.pattern});
        ASSERT_TRUE(query.ExecuteStep());
        EXPECT_EQ(query.Column(0), c.expected);
    }
}

// In Santiago the clocks jump from 00:00 to 01:00 on 2024-09-08, so that midnight never happens
// locally; a birthday stored as that date must still be found and read as that day.
TEST(JetFormat, DatesSurviveAClockChangeAtMidnight)
{
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "America/Santiago");
    tzset();
    const QDateTime read = ReadLooseDateTime(QStringLiteral("2024-09-08"));
    const QDateTime inGap = ReadLooseDateTime(QStringLiteral("2024-09-08 00:30"));
    SQLite::Database db(QStringLiteral(":memory:"), SQLite::OpenReadWrite | SQLite::OpenCreate);
    SQLite::Statement query(db, QStringLiteral("SELECT jetformat('2024-09-08', 'mm-dd')"));
    const QVariant formatted = query.ExecuteStep() ? query.Column(0) : QVariant();
    oldTz.isNull() ? qunsetenv("TZ") : qputenv("TZ", oldTz);
    tzset();
    EXPECT_EQ(read.date(), QDate(2024, 9, 8));
    EXPECT_EQ(inGap.date(), QDate(2024, 9, 8));
    EXPECT_EQ(formatted, QStringLiteral("09-08"));
}

} // namespace
