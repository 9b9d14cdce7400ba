#include "platform/JetFormat.h"
#include "platform/SqliteDb.h"

#include <gtest/gtest.h>
#include <ctime>

namespace {

struct ReadCase { const char *text; QDateTime expected; };  // invalid: not a date

TEST(JetFormat, ReadsLooseDateTexts)
{
    const QDate may1(2024, 5, 1);
    const std::vector<ReadCase> cases = {
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
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.text);
        const QDateTime read = ReadLooseDateTime(QString::fromUtf8(c.text));
        EXPECT_EQ(read.isValid(), c.expected.isValid());
        if (c.expected.isValid()) {
            EXPECT_EQ(read, c.expected);
        }
    }
}

struct FormatCase { const char *pattern; const char *expected; };

TEST(JetFormat, FormatsWithTheQueryPatterns)
{
    const QDateTime value(QDate(2024, 5, 1), QTime(8, 7, 9));
    const std::vector<FormatCase> cases = {
        {"yyyy-mm-dd hh:mm", "2024-05-01 08:07"}, {"yyyy-mm-dd", "2024-05-01"}, {"mm-dd", "05-01"},
        {"YYYY-MM-DD HH:MM:SS", "2024-05-01 08:07:09"}, {"yy/m/d h:n:s", "24/5/1 8:7:9"}, {"hh:nn", "08:07"},
        {"yyyy年m月d日", "2024年5月1日"}, {"", ""},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(JetFormatDateTime(value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected));
    }
}

TEST(JetFormat, SqlFunctionOnEveryConnection)
{
    SQLite::Database db(QStringLiteral(":memory:"), SQLite::OpenReadWrite | SQLite::OpenCreate);
    SQLite::Statement query(db, QStringLiteral("SELECT jetformat(?, ?)"));
    const std::vector<std::pair<QVariantList, QVariant>> cases = {
        {{QStringLiteral("2024-05-01 08:30:45"), QStringLiteral("yyyy-mm-dd hh:mm")}, QStringLiteral("2024-05-01 08:30")},
        {{QStringLiteral("1980-1-5"), QStringLiteral("mm-dd")}, QStringLiteral("01-05")},
        {{QStringLiteral("1980/01/05 07:00"), QStringLiteral("yyyy-mm-dd")}, QStringLiteral("1980-01-05")},
        {{QStringLiteral("abc"), QStringLiteral("mm-dd")}, QVariant()},
        {{QVariant(), QStringLiteral("mm-dd")}, QVariant()},
        {{qint64(20240501), QStringLiteral("mm-dd")}, QVariant()},
        {{QByteArray("2024-05-01"), QStringLiteral("mm-dd")}, QVariant()},
        {{QStringLiteral("2024-05-01"), QVariant()}, QVariant()},
    };
    for (const auto &[args, expected] : cases) {
        SCOPED_TRACE(args.value(0).toString().toStdString());
        query.Reset();
        query.BindAll(args);
        ASSERT_TRUE(query.ExecuteStep());
        EXPECT_EQ(query.IsNull(0), expected.isNull());
        EXPECT_EQ(query.Column(0), expected);
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
    const bool stepped = query.ExecuteStep();
    const QVariant formatted = query.Column(0);
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();

    ASSERT_TRUE(read.isValid());
    EXPECT_EQ(read.date(), QDate(2024, 9, 8));
    ASSERT_TRUE(inGap.isValid());
    EXPECT_EQ(inGap.date(), QDate(2024, 9, 8));
    ASSERT_TRUE(stepped);
    EXPECT_EQ(formatted, QStringLiteral("09-08"));
}

} // namespace
