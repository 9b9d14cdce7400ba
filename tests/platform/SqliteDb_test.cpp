#include "DbTestSupport.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>

namespace {

class SqliteDbTest : public ::testing::Test
{
protected:
    SQLite::Database db{QStringLiteral(":memory:"), SQLite::OpenReadWrite | SQLite::OpenCreate};

    void SetUp() override { db.Exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, v, name TEXT COLLATE NOCASE)")); }
};

struct BindCase {
    const char *label;
    std::function<void(SQLite::Statement &)> bind;
    const char *storedType;
    QVariant readBack;
};

std::function<void(SQLite::Statement &)> BindVariant(const QVariant &value)
{
    return [value](SQLite::Statement &s) { s.Bind(1, value); };
}

TEST_F(SqliteDbTest, BoundValuesAreStoredInTheirStorageForm)
{
    const QByteArray binary("\x00\x01\xff\x00z", 5);
    const std::vector<BindCase> cases = {
        {"chinese text", BindVariant(QStringLiteral("张三 \"引号\" 'x'")), "text", QStringLiteral("张三 \"引号\" 'x'")},
        {"empty text is not null", BindVariant(QString("")), "text", QString("")},
        {"null variant", BindVariant(QVariant()), "null", QVariant()},
        {"large integer", BindVariant(qint64(1) << 40), "integer", qint64(1) << 40},
        {"int", BindVariant(42), "integer", qint64(42)},
        {"bool true", BindVariant(true), "integer", qint64(1)},
        {"bool false", BindVariant(false), "integer", qint64(0)},
        {"double", BindVariant(2.5), "real", 2.5},
        {"date-time", BindVariant(QDateTime(QDate(2024, 5, 1), QTime(8, 30, 45))), "text", QStringLiteral("2024-05-01 08:30:45")},
        {"date", BindVariant(QDate(1980, 1, 5)), "text", QStringLiteral("1980-01-05")},
        {"invalid date-time", BindVariant(QDateTime()), "null", QVariant()},
        {"blob with zero bytes", BindVariant(binary), "blob", binary},
        {"empty blob", BindVariant(QByteArray("")), "blob", QByteArray()},
        // The fast binders: the caller's array goes before the row is written, so the statement
        // must hold the bytes.
        {"fast null", [](SQLite::Statement &s) { s.BindNull(1); }, "null", QVariant()},
        {"fast large integer", [](SQLite::Statement &s) { s.BindInt64(1, qint64(1) << 40); }, "integer", qint64(1) << 40},
        {"fast chinese text", [](SQLite::Statement &s) { s.BindUtf8(1, QStringLiteral("张三").toUtf8()); }, "text",
         QStringLiteral("张三")},
        {"fast empty text is not null", [](SQLite::Statement &s) { s.BindUtf8(1, QByteArray()); }, "text", QString("")},
        {"fast blob", [&](SQLite::Statement &s) { s.BindBlob(1, QByteArray(binary)); }, "blob", binary},
        {"fast empty blob is not null", [](SQLite::Statement &s) { s.BindBlob(1, QByteArray()); }, "blob", QByteArray()},
        {"rebinding replaces", [](SQLite::Statement &s) { s.BindUtf8(1, "a"); s.BindNull(1); }, "null", QVariant()},
    };
    SQLite::Statement insert(db, QStringLiteral("INSERT INTO t (v) VALUES (?)"));
    SQLite::Statement read(db, QStringLiteral("SELECT typeof(v), v FROM t WHERE id = ?"));
    for (const BindCase &c : cases) {
        SCOPED_TRACE(c.label);
        insert.Reset();
        c.bind(insert);
        EXPECT_EQ(insert.Exec(), 1);
        read.Reset();
        read.Bind(1, db.LastInsertRowId());
        ASSERT_TRUE(read.ExecuteStep());
        EXPECT_EQ(read.Column(0).toString(), QString::fromLatin1(c.storedType));
        EXPECT_EQ(read.IsNull(1), c.readBack.isNull());
        if (!c.readBack.isNull()) {
            EXPECT_EQ(read.Column(1), c.readBack);
        }
    }
    EXPECT_THROW(insert.BindInt64(2, 1), EDatabaseError);
    EXPECT_THROW(insert.BindUtf8(0, "x"), EDatabaseError);
}

TEST_F(SqliteDbTest, StatementTextIsReadStrictly)
{
    db.Exec(QStringLiteral("INSERT INTO t (name) VALUES ('uname'), ('other')"));
    // With the legacy setting "nosuch" would silently become the text 'nosuch'.
    EXPECT_THROW(SQLite::Statement(db, QStringLiteral("SELECT * FROM t WHERE name = \"nosuch\"")), EDatabaseError);
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM t WHERE name = \"name\"")), 2);
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM t WHERE name = ?"), {QStringLiteral("UNAME")}), 1);
    // A second statement in one text is refused, not silently dropped.
    EXPECT_THROW(SQLite::Statement(db, QStringLiteral("INSERT INTO t (v) VALUES (1); DELETE FROM t")), EDatabaseError);
    EXPECT_NO_THROW(SQLite::Statement(db, QStringLiteral("SELECT 1; ")));
    EXPECT_NO_THROW(SQLite::Statement(db, QStringLiteral("SELECT 1; -- trailing note")));
}

TEST_F(SqliteDbTest, ErrorsCarryTheEngineCode)
{
    try {
        SQLite::Statement bad(db, QStringLiteral("SELEC * FROM t"));
        FAIL() << "bad syntax compiled";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.ErrorCode(), SQLITE_ERROR);
        EXPECT_TRUE(e.Message().contains(QStringLiteral("SELEC")));
    }
    db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (1)"));
    SQLite::Statement dup(db, QStringLiteral("INSERT INTO t (id) VALUES (1)"));
    try {
        dup.Exec();
        FAIL() << "duplicate key accepted";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.ErrorCode() & 0xff, SQLITE_CONSTRAINT);
    }
    // The failed statement can run again once reset.
    dup.Reset();
    EXPECT_THROW(dup.Exec(), EDatabaseError);
}

TEST_F(SqliteDbTest, ParametersByNameAndRange)
{
    SQLite::Statement insert(db, QStringLiteral("INSERT INTO t (v, name) VALUES (:v, :name)"));
    EXPECT_EQ(insert.ParameterCount(), 2);
    EXPECT_EQ(insert.ParameterName(2), QStringLiteral(":name"));
    insert.Bind(QStringLiteral(":name"), QStringLiteral("n"));
    insert.Bind(QStringLiteral(":v"), 7);
    EXPECT_THROW(insert.Bind(QStringLiteral(":missing"), 1), EDatabaseError);
    EXPECT_THROW(insert.Bind(3, 1), EDatabaseError);
    EXPECT_THROW(insert.Bind(0, 1), EDatabaseError);
    insert.Exec();
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT v FROM t WHERE name = 'n'")), 7);

    insert.Reset();
    insert.ClearBindings();
    insert.Exec();
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM t WHERE v IS NULL AND name IS NULL")), 1);
}

TEST_F(SqliteDbTest, ColumnOriginsAndSchemaQueries)
{
    SQLite::Statement query(db, QStringLiteral("SELECT name AS n, v + 1, id FROM t"));
    ASSERT_EQ(query.ColumnCount(), 3);
    EXPECT_EQ(query.ColumnName(0), QStringLiteral("n"));
    EXPECT_EQ(query.ColumnTable(0), QStringLiteral("t"));
    EXPECT_EQ(query.ColumnOrigin(0), QStringLiteral("name"));
    EXPECT_TRUE(query.ColumnOrigin(1).isEmpty());
    EXPECT_TRUE(db.TableExists(QStringLiteral("T")));
    EXPECT_FALSE(db.TableExists(QStringLiteral("t'; --")));
    EXPECT_EQ(db.ColumnNames(QStringLiteral("t")), QStringList({"id", "v", "name"}));
    EXPECT_TRUE(db.ColumnNames(QStringLiteral("missing")).isEmpty());
}

TEST_F(SqliteDbTest, TransactionsRollBackUnlessCommittedAndNest)
{
    db.Exec(QStringLiteral("INSERT INTO t (id, v) VALUES (5, 'keep')"));
    // A failure halfway through the guarded change leaves none of it.
    const auto change = [&] {
        SQLite::Transaction transaction(db);
        db.Exec(QStringLiteral("UPDATE t SET v = 'changed'"));
        EXPECT_TRUE(db.InTransaction());
        db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (6)"));
        db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (5)"));  // duplicate key
        transaction.Commit();
    };
    EXPECT_THROW(change(), EDatabaseError);
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM t")), 1);
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM t WHERE v = 'keep'")), 1);
    {
        SQLite::Transaction transaction(db);
        db.Exec(QStringLiteral("INSERT INTO t (v) VALUES (1)"));
        transaction.Commit();
        EXPECT_THROW(transaction.Commit(), EDatabaseError);
    }
    EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM t")), 2);

    // Nested guards undo only their own part.
    db.Exec(QStringLiteral("DELETE FROM t"));
    SQLite::Transaction outer(db);
    db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (1)"));
    {
        SQLite::Transaction inner(db);
        db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (2)"));
    }
    {
        SQLite::Transaction inner(db);
        db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (3)"));
        inner.Commit();
    }
    EXPECT_TRUE(db.InTransaction());
    outer.Commit();
    EXPECT_FALSE(db.InTransaction());
    SQLite::Statement ids(db, QStringLiteral("SELECT group_concat(id) FROM (SELECT id FROM t ORDER BY id)"));
    ASSERT_TRUE(ids.ExecuteStep());
    EXPECT_EQ(ids.Column(0).toString(), QStringLiteral("1,3"));
}

TEST_F(SqliteDbTest, RegisteredFunctionSeesArgumentsAsStoredAndReturnsInStorageForm)
{
    QStringList seen;
    db.CreateFunction(QStringLiteral("describe"), -1, [&seen](const SQLite::FunctionArgs &args) -> QVariant {
        QStringList parts;
        for (int i = 0; i < args.Count(); ++i) {
            const QVariant value = args.Value(i);
            parts << QStringLiteral("%1:%2").arg(int(args.TypeOf(i))).arg(value.toString());
        }
        seen << parts.join(QLatin1Char(' '));
        return args.Count() == 0 ? QVariant() : QVariant(args.Count());
    });
    db.CreateFunction(QStringLiteral("utf8size"), 1, [](const SQLite::FunctionArgs &args) -> QVariant {
        return args.Utf8(0).size();
    });
    db.CreateFunction(QStringLiteral("fails"), 0, [](const SQLite::FunctionArgs &) -> QVariant {
        throw EDatabaseError(QStringLiteral("不能计算"));
    });

    struct Case {
        const char *sql;
        QStringList seen;
        QVariant result;
    } cases[] = {
        {"SELECT describe(7, 2.5, '张三', x'6869', NULL)", {QStringLiteral("0:7 1:2.5 2:张三 3:hi 4:")}, qint64(5)},
        {"SELECT describe()", {QString()}, QVariant()},
        {"SELECT utf8size('张三')", {}, qint64(6)},
        {"SELECT utf8size(NULL)", {}, qint64(0)},
    };
    for (const Case &c : cases) {
        seen.clear();
        SQLite::Statement query(db, QString::fromUtf8(c.sql));
        ASSERT_TRUE(query.ExecuteStep()) << c.sql;
        EXPECT_EQ(query.Column(0), c.result) << c.sql;
        EXPECT_EQ(seen, c.seen) << c.sql;
    }

    SQLite::Statement failing(db, QStringLiteral("SELECT fails()"));
    try {
        failing.ExecuteStep();
        ADD_FAILURE() << "a failing function must fail the statement";
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("不能计算"))) << e.Message().toStdString();
    }
    EXPECT_THROW(db.CreateFunction(QStringLiteral("toomany"), 1000, [](const SQLite::FunctionArgs &) { return QVariant(); }),
                 EDatabaseError);
}

TEST_F(SqliteDbTest, ColumnViewsGiveValuesInTheirStorageClass)
{
    using SQLite::ValueType;
    struct Case {
        const char *sql;
        ValueType type;
        qint64 int64;
        double real;
        QByteArray bytes;
    } cases[] = {
        {"SELECT NULL", ValueType::Null, 0, 0, {}},
        {"SELECT 9007199254740993", ValueType::Integer, 9007199254740993LL, 0, {}},
        {"SELECT -2.5", ValueType::Float, 0, -2.5, {}},
        {"SELECT '张三'", ValueType::Text, 0, 0, QStringLiteral("张三").toUtf8()},
        {"SELECT ''", ValueType::Text, 0, 0, ""},
        {"SELECT '12'", ValueType::Text, 0, 0, "12"},  // not turned into a number
        {"SELECT x'00ff00'", ValueType::Blob, 0, 0, QByteArray("\x00\xff\x00", 3)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        SQLite::Statement query(db, QString::fromUtf8(c.sql));
        ASSERT_TRUE(query.ExecuteStep());
        const SQLite::ValueView view = query.ColumnView(0);
        EXPECT_EQ(view.Type, c.type);
        EXPECT_EQ(view.Int64, c.int64);
        EXPECT_EQ(view.Double, c.real);
        EXPECT_EQ(view.Bytes.toByteArray(), c.bytes);
        EXPECT_EQ(query.ColumnType(0), c.type);
    }
    SQLite::Statement numbers(db, QStringLiteral("SELECT 1 << 40, '17', NULL"));
    ASSERT_TRUE(numbers.ExecuteStep());
    EXPECT_EQ(numbers.ColumnInt64(0), qint64(1) << 40);
    EXPECT_EQ(numbers.ColumnInt64(1), 17);
    EXPECT_EQ(numbers.ColumnInt64(2), 0);
}

TEST_F(SqliteDbTest, FunctionAnsweringIntoItsResult)
{
    db.CreateFunction(QStringLiteral("pick"), 1, SQLite::ResultFunction([](const SQLite::FunctionArgs &args, SQLite::FunctionResult &result) {
        const QByteArrayView text = args.Utf8(0);
        if (text == "null")
            result.SetNull();
        else if (text == "int")
            result.SetInt64(qint64(1) << 40);
        else if (text == "fail")
            throw EDatabaseError(QStringLiteral("不能计算"));
        else if (!text.isEmpty())
            result.SetUtf8(QByteArray(text.data(), text.size()) + "!");
    }));
    struct Case {
        const char *sql;
        QVariant result;
    } cases[] = {
        {"SELECT pick('null')", QVariant()},
        {"SELECT pick('int')", qint64(1) << 40},
        {"SELECT pick('张')", QStringLiteral("张!")},
        {"SELECT pick(NULL)", QVariant()},  // nothing set is null
    };
    for (const Case &c : cases) {
        SQLite::Statement query(db, QString::fromUtf8(c.sql));
        ASSERT_TRUE(query.ExecuteStep()) << c.sql;
        EXPECT_EQ(query.Column(0), c.result) << c.sql;
    }
    SQLite::Statement failing(db, QStringLiteral("SELECT pick('fail')"));
    EXPECT_THROW(failing.ExecuteStep(), EDatabaseError);
}

namespace {

struct RecordingObserver : SQLite::RowObserver {
    QStringList heard;
    void RowChanged(Change change, const char *database, const char *table, qint64 rowId) override
    {
        static const char *const names[] = {"insert", "update", "delete"};
        heard << QStringLiteral("%1 %2.%3 %4").arg(QLatin1String(names[int(change)]), QLatin1String(database),
                                                  QLatin1String(table)).arg(rowId);
    }
};

} // namespace

TEST_F(SqliteDbTest, RowObserverHearsEveryRowTheConnectionChanges)
{
    db.Exec(QStringLiteral("CREATE TABLE u (x)"));
    auto observer = std::make_shared<RecordingObserver>();
    const qint64 before = db.TotalChanges();
    db.SetRowObserver(observer);
    EXPECT_EQ(db.CurrentRowObserver(), observer.get());
    struct Case {
        const char *sql;
        QStringList heard;
    } cases[] = {
        {"INSERT INTO t (id, v) VALUES (5, 1), (6, 2)", {"insert main.t 5", "insert main.t 6"}},
        {"UPDATE t SET v = 3 WHERE id = 6", {"update main.t 6"}},
        {"DELETE FROM t WHERE id = 5", {"delete main.t 5"}},
        {"INSERT INTO u VALUES ('a')", {"insert main.u 1"}},
        {"SELECT * FROM t", {}},
    };
    for (const Case &c : cases) {
        observer->heard.clear();
        db.Exec(QString::fromLatin1(c.sql));
        EXPECT_EQ(observer->heard, c.heard) << c.sql;
    }
    EXPECT_EQ(db.TotalChanges() - before, 5);

    // Replaced, the first observer hears nothing more; the connection lets go of it.
    auto second = std::make_shared<RecordingObserver>();
    db.SetRowObserver(second);
    observer->heard.clear();
    db.Exec(QStringLiteral("INSERT INTO t (id) VALUES (9)"));
    EXPECT_TRUE(observer->heard.isEmpty());
    EXPECT_EQ(second->heard, QStringList{QStringLiteral("insert main.t 9")});
    EXPECT_EQ(observer.use_count(), 1);
    db.SetRowObserver(nullptr);
    EXPECT_EQ(db.CurrentRowObserver(), nullptr);
    db.Exec(QStringLiteral("DELETE FROM t WHERE id = 9"));
    EXPECT_EQ(second->heard.size(), 1);
}

TEST(SqliteDbFile, ObserverOutlivesItsConnectionAndDataVersionTellsOfOtherWriters)
{
    const QString path = MakeTempDir(QStringLiteral("sqlite-observer")) + QStringLiteral("/a.db");
    auto observer = std::make_shared<RecordingObserver>();
    SQLite::Database other(path, SQLite::OpenReadWrite | SQLite::OpenCreate);
    other.Exec(QStringLiteral("CREATE TABLE a (x)"));
    {
        SQLite::Database db(path, SQLite::OpenReadWrite);
        db.SetRowObserver(observer);
        const qint64 version = db.DataVersion();
        db.Exec(QStringLiteral("INSERT INTO a VALUES (1)"));
        EXPECT_EQ(db.DataVersion(), version) << "its own commit";
        other.Exec(QStringLiteral("INSERT INTO a VALUES (2)"));
        EXPECT_NE(db.DataVersion(), version) << "another connection's commit";
    }
    EXPECT_EQ(observer.use_count(), 1);
    EXPECT_EQ(observer->heard, QStringList{QStringLiteral("insert main.a 1")});
}

TEST(SqliteDbFile, TwoConnectionsChangingTheSameFileNeverDeadlock)
{
    // Each change reads, then writes. Started as deferred transactions both would hold the read
    // lock, neither could take the write lock, and the first could not commit.
    const QString path = MakeTempDir(QStringLiteral("sqlite-immediate")) + QStringLiteral("/a.db");
    SQLite::Database first(path, SQLite::OpenReadWrite | SQLite::OpenCreate, 0);
    SQLite::Database second(path, SQLite::OpenReadWrite, 0);
    first.Exec(QStringLiteral("CREATE TABLE c (n INTEGER); INSERT INTO c VALUES (0)"));
    const auto increment = [](SQLite::Database &db) {
        const qint64 n = CountRows(db, QStringLiteral("SELECT n FROM c"));
        SQLite::Statement update(db, QStringLiteral("UPDATE c SET n = ?"));
        update.Bind(1, n + 1);
        update.Exec();
    };

    SQLite::Transaction firstChange(first);
    const qint64 firstRead = CountRows(first, QStringLiteral("SELECT n FROM c"));
    std::optional<SQLite::Transaction> secondChange;
    try {
        secondChange.emplace(second);
        CountRows(second, QStringLiteral("SELECT n FROM c"));
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.ErrorCode() & 0xFF, SQLITE_BUSY) << e.Message().toStdString();
    }
    EXPECT_FALSE(secondChange.has_value()) << "the second change must wait before it reads";
    SQLite::Statement update(first, QStringLiteral("UPDATE c SET n = ?"));
    update.Bind(1, firstRead + 1);
    update.Exec();
    EXPECT_NO_THROW(firstChange.Commit());
    secondChange.reset();

    SQLite::Transaction later(second);
    increment(second);
    later.Commit();
    EXPECT_EQ(CountRows(first, QStringLiteral("SELECT n FROM c")), 2);
}

TEST(SqliteDbFile, OpeningNeverCreatesUnlessAsked)
{
    const QString dir = MakeTempDir(QStringLiteral("sqlite-open"));
    const QString path = dir + QStringLiteral("/missing.db");
    EXPECT_THROW(SQLite::Database(path, SQLite::OpenReadWrite), EDatabaseError);
    EXPECT_THROW(SQLite::Database(path, SQLite::OpenReadOnly), EDatabaseError);
    EXPECT_FALSE(QFileInfo::exists(path));
    {
        SQLite::Database created(path, SQLite::OpenReadWrite | SQLite::OpenCreate);
        created.Exec(QStringLiteral("CREATE TABLE a (x)"));
    }
    SQLite::Database readOnly(path, SQLite::OpenReadOnly);
    EXPECT_TRUE(readOnly.TableExists(QStringLiteral("a")));
    EXPECT_THROW(readOnly.Exec(QStringLiteral("INSERT INTO a VALUES (1)")), EDatabaseError);
}

TEST(SqliteDbFile, BackupCopiesCommittedDataAndRefusesMidChange)
{
    const QString dir = MakeTempDir(QStringLiteral("sqlite-backup"));
    SQLite::Database source(dir + QStringLiteral("/src.db"), SQLite::OpenReadWrite | SQLite::OpenCreate, 200);
    source.Exec(QStringLiteral("CREATE TABLE a (x); INSERT INTO a VALUES ('一'), ('二')"));
    source.BackupTo(dir + QStringLiteral("/copy.db"));
    {
        SQLite::Database copy(dir + QStringLiteral("/copy.db"), SQLite::OpenReadOnly);
        EXPECT_EQ(CountRows(copy, QStringLiteral("SELECT count(*) FROM a WHERE x IN ('一', '二')")), 2);
    }
    SQLite::Transaction transaction(source);
    source.Exec(QStringLiteral("INSERT INTO a VALUES ('三')"));
    EXPECT_THROW(source.BackupTo(dir + QStringLiteral("/copy2.db")), EDatabaseError);
}

} // namespace
