#include "FileTestSupport.h"
#include "TestSupport.h"

#include <QDateTime>
#include <functional>
#include <sqlite3.h>

namespace {

class SqliteDbTest : public ::testing::Test
{
protected:
    SQLite::Database db{":memory:", SQLite::OpenReadWrite | SQLite::OpenCreate};

    void SetUp() override { db.Exec("CREATE TABLE t (id INTEGER PRIMARY KEY, v, name TEXT COLLATE NOCASE)"); }
};

using Binder = std::function<void(SQLite::Statement &)>;
Binder BindVariant(const QVariant &value) { return [value](SQLite::Statement &s) { s.Bind(1, value); }; }

TEST_F(SqliteDbTest, BoundValuesAreStoredInTheirStorageForm)
{
    const QByteArray binary("\x00\x01\xff\x00z", 5);
    const struct { const char *label; Binder bind; const char *storedType; QVariant readBack; } cases[] = {
        {"chinese text", BindVariant("张三 \"引号\" 'x'"), "text", "张三 \"引号\" 'x'"},
        {"empty text is not null", BindVariant(QString("")), "text", QString("")},
        {"null variant", BindVariant(QVariant()), "null", QVariant()},
        {"large integer", BindVariant(qint64(1) << 40), "integer", qint64(1) << 40},
        {"int", BindVariant(42), "integer", qint64(42)}, {"bool true", BindVariant(true), "integer", qint64(1)},
        {"bool false", BindVariant(false), "integer", qint64(0)}, {"double", BindVariant(2.5), "real", 2.5},
        {"date-time", BindVariant(QDateTime(QDate(2024, 5, 1), QTime(8, 30, 45))), "text", "2024-05-01 08:30:45"},
        {"date", BindVariant(QDate(1980, 1, 5)), "text", "1980-01-05"},
        {"invalid date-time", BindVariant(QDateTime()), "null", QVariant()},
        {"blob with zero bytes", BindVariant(binary), "blob", binary},
        {"empty blob", BindVariant(QByteArray("")), "blob", QByteArray()},
        // Fast binders: the caller's array goes before the row is written; the statement holds the bytes.
        {"fast null", [](SQLite::Statement &s) { s.BindNull(1); }, "null", QVariant()},
        {"fast large integer", [](SQLite::Statement &s) { s.BindInt64(1, qint64(1) << 40); }, "integer", qint64(1) << 40},
        {"fast chinese text", [](SQLite::Statement &s) { s.BindUtf8(1, QString("张三").toUtf8()); }, "text", "张三"},
        {"fast empty text is not null", [](SQLite::Statement &s) { s.BindUtf8(1, QByteArray()); }, "text", QString("")},
        {"fast blob", [&](SQLite::Statement &s) { s.BindBlob(1, QByteArray(binary)); }, "blob", binary},
        {"fast empty blob is not null", [](SQLite::Statement &s) { s.BindBlob(1, QByteArray()); }, "blob", QByteArray()},
        {"rebinding replaces", [](SQLite::Statement &s) { s.BindUtf8(1, "a"); s.BindNull(1); }, "null", QVariant()},
    };
    SQLite::Statement insert(db, "INSERT INTO t (v) VALUES (?)");
    SQLite::Statement read(db, "SELECT typeof(v), v FROM t WHERE id = ?");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        insert.Reset();
        c.bind(insert);
        EXPECT_EQ(insert.Exec(), 1);
        read.Reset();
        read.Bind(1, db.LastInsertRowId());
        ASSERT_TRUE(read.ExecuteStep());
        EXPECT_EQ(read.Column(0).toString(), QString::fromLatin1(c.storedType));
        EXPECT_EQ(read.IsNull(1), c.readBack.isNull());
        EXPECT_EQ(read.Column(1), c.readBack);
    }
    EXPECT_THROW(insert.BindInt64(2, 1), EDatabaseError);
    EXPECT_THROW(insert.BindUtf8(0, "x"), EDatabaseError);
}

TEST_F(SqliteDbTest, StatementTextIsReadStrictlyAndErrorsCarryTheEngineCode)
{
    db.Exec("INSERT INTO t (name) VALUES ('uname'), ('other')");
    // With the legacy setting "nosuch" would silently become the text 'nosuch'.
    EXPECT_THROW(SQLite::Statement(db, "SELECT * FROM t WHERE name = \"nosuch\""), EDatabaseError);
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t WHERE name = \"name\""), 2);
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t WHERE name = ?", {"UNAME"}), 1);
    // A second statement in one text is refused, not silently dropped.
    EXPECT_THROW(SQLite::Statement(db, "INSERT INTO t (v) VALUES (1); DELETE FROM t"), EDatabaseError);
    EXPECT_NO_THROW(SQLite::Statement(db, "SELECT 1; -- trailing note"));
    const EDatabaseError syntax = ErrorOf([&] { SQLite::Statement(db, "SELEC * FROM t"); });
    EXPECT_EQ(syntax.ErrorCode(), SQLITE_ERROR);
    EXPECT_TRUE(syntax.Message().contains("SELEC"));
    SQLite::Statement dup(db, "INSERT INTO t (id) VALUES (1)");  // taken by 'uname'
    for (int round = 0; round < 2; ++round) {  // the failed statement can run again once reset
        EXPECT_EQ(ErrorOf([&] { dup.Exec(); }).ErrorCode() & 0xff, SQLITE_CONSTRAINT) << round;
        dup.Reset();
    }
}

TEST_F(SqliteDbTest, ParametersByNameAndRangeAndTheSchema)
{
    SQLite::Statement insert(db, "INSERT INTO t (v, name) VALUES (:v, :name)");
    insert.Bind(":name", "n");
    insert.Bind(":v", 7);
    EXPECT_THROW(insert.Bind(":missing", 1), EDatabaseError);
    EXPECT_THROW(insert.Bind(3, 1), EDatabaseError);
    EXPECT_THROW(insert.Bind(0, 1), EDatabaseError);
    insert.Exec();
    EXPECT_EQ(CountRows(db, "SELECT v FROM t WHERE name = 'n'"), 7);
    insert.Reset();
    insert.ClearBindings();
    insert.Exec();
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t WHERE v IS NULL AND name IS NULL"), 1);
    EXPECT_TRUE(db.TableExists("T"));
    EXPECT_FALSE(db.TableExists("t'; --"));
    EXPECT_EQ(db.ColumnNames("t"), QStringList({"id", "v", "name"}));
    EXPECT_TRUE(db.ColumnNames("missing").isEmpty());
}

TEST_F(SqliteDbTest, TransactionsRollBackUnlessCommittedAndNest)
{
    db.Exec("INSERT INTO t (id, v) VALUES (5, 'keep')");
    // A failure halfway through the guarded change leaves none of it.
    const auto change = [&] {
        SQLite::Transaction transaction(db);
        db.Exec("UPDATE t SET v = 'changed'");
        EXPECT_TRUE(db.InTransaction());
        db.Exec("INSERT INTO t (id) VALUES (6)");
        db.Exec("INSERT INTO t (id) VALUES (5)");  // duplicate key
        transaction.Commit();
    };
    EXPECT_THROW(change(), EDatabaseError);
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t WHERE id = 5 AND v = 'keep'"), 1);
    {
        SQLite::Transaction transaction(db);
        db.Exec("INSERT INTO t (v) VALUES (1)");
        transaction.Commit();
        EXPECT_THROW(transaction.Commit(), EDatabaseError);
    }
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t"), 2);
    // Nested guards undo only their own part.
    db.Exec("DELETE FROM t");
    SQLite::Transaction outer(db);
    db.Exec("INSERT INTO t (id) VALUES (1)");
    {
        SQLite::Transaction inner(db);
        db.Exec("INSERT INTO t (id) VALUES (2)");
    }
    {
        SQLite::Transaction inner(db);
        db.Exec("INSERT INTO t (id) VALUES (3)");
        inner.Commit();
    }
    EXPECT_TRUE(db.InTransaction());
    outer.Commit();
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t WHERE id IN (1, 3)"), 2);
    EXPECT_EQ(CountRows(db, "SELECT count(*) FROM t"), 2);
}

TEST_F(SqliteDbTest, RegisteredFunctionsSeeArgumentsAsStoredAndAnswerInStorageForm)
{
    QStringList seen;
    db.CreateFunction("describe", -1, [&seen](const SQLite::FunctionArgs &args) -> QVariant {
        QStringList parts;
        for (int i = 0; i < args.Count(); ++i)
            parts << QStringLiteral("%1:%2").arg(int(args.TypeOf(i))).arg(args.Value(i).toString());
        seen << parts.join(' ');
        return args.Count() == 0 ? QVariant() : QVariant(args.Count());
    });
    db.CreateFunction("utf8size", 1, [](const SQLite::FunctionArgs &args) -> QVariant { return args.Utf8(0).size(); });
    db.CreateFunction("fails", 0, [](const SQLite::FunctionArgs &) -> QVariant { throw EDatabaseError("不能计算"); });
    // Answering into the result directly; nothing set is null.
    db.CreateFunction("pick", 1, SQLite::ResultFunction([](const SQLite::FunctionArgs &args, SQLite::FunctionResult &result) {
        const QByteArrayView text = args.Utf8(0);
        if (text == "null")
            result.SetNull();
        else if (text == "int")
            result.SetInt64(qint64(1) << 40);
        else if (text == "fail")
            throw EDatabaseError("不能计算");
        else if (!text.isEmpty())
            result.SetUtf8(QByteArray(text.data(), text.size()) + "!");
    }));
    const struct { const char *sql; QStringList seen; QVariant result; } cases[] = {
        {"SELECT describe(7, 2.5, '张三', x'6869', NULL)", {"0:7 1:2.5 2:张三 3:hi 4:"}, qint64(5)},
        {"SELECT describe()", {QString()}, QVariant()},
        {"SELECT utf8size('张三')", {}, qint64(6)}, {"SELECT utf8size(NULL)", {}, qint64(0)},
        {"SELECT pick('null')", {}, QVariant()}, {"SELECT pick('int')", {}, qint64(1) << 40},
        {"SELECT pick('张')", {}, "张!"}, {"SELECT pick(NULL)", {}, QVariant()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        seen.clear();
        SQLite::Statement query(db, QString::fromUtf8(c.sql));
        ASSERT_TRUE(query.ExecuteStep());
        EXPECT_EQ(query.Column(0), c.result);
        EXPECT_EQ(seen, c.seen);
    }
    for (const char *sql : {"SELECT fails()", "SELECT pick('fail')"}) {
        SQLite::Statement failing(db, sql);
        const EDatabaseError error = ErrorOf([&] { failing.ExecuteStep(); });
        EXPECT_TRUE(error.Message().contains("不能计算")) << sql << ": " << error.Message().toStdString();
    }
    EXPECT_THROW(db.CreateFunction("toomany", 1000, [](const SQLite::FunctionArgs &) { return QVariant(); }),
                 EDatabaseError);
}

TEST_F(SqliteDbTest, ColumnViewsGiveValuesInTheirStorageClass)
{
    using SQLite::ValueType;
    const struct { const char *sql; ValueType type; qint64 int64; double real; QByteArray bytes; qint64 asInt64; }
        cases[] = {  // asInt64: what the converting reader makes of it
        {"SELECT NULL", ValueType::Null, 0, 0, {}, 0},
        {"SELECT 9007199254740993", ValueType::Integer, 9007199254740993LL, 0, {}, 9007199254740993LL},
        {"SELECT -2.5", ValueType::Float, 0, -2.5, {}, -2},
        {"SELECT '张三'", ValueType::Text, 0, 0, QString("张三").toUtf8(), 0},
        {"SELECT ''", ValueType::Text, 0, 0, "", 0},
        {"SELECT '12'", ValueType::Text, 0, 0, "12", 12},  // in the view not turned into a number
        {"SELECT x'00ff00'", ValueType::Blob, 0, 0, QByteArray("\x00\xff\x00", 3), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        SQLite::Statement query(db, QString::fromUtf8(c.sql));
        ASSERT_TRUE(query.ExecuteStep());
        const SQLite::ValueView view = query.ColumnView(0);
        EXPECT_EQ(view.Type, c.type);
        EXPECT_EQ(view.Int64, c.int64);
        EXPECT_EQ(view.Double, c.real);
        EXPECT_EQ(view.Bytes.toByteArray(), c.bytes);
        EXPECT_EQ(query.ColumnType(0), c.type);
        EXPECT_EQ(query.ColumnInt64(0), c.asInt64);
    }
}

struct RecordingObserver : SQLite::RowObserver {
    QStringList heard;
    void RowChanged(Change change, const char *database, const char *table, qint64 rowId) override
    {
        static const char *const names[] = {"insert", "update", "delete"};
        heard << QString::asprintf("%s %s.%s %lld", names[int(change)], database, table, qlonglong(rowId));
    }
};

TEST_F(SqliteDbTest, RowObserverHearsEveryRowTheConnectionChanges)
{
    db.Exec("CREATE TABLE u (x)");
    auto observer = std::make_shared<RecordingObserver>();
    const qint64 before = db.TotalChanges();
    db.SetRowObserver(observer);
    EXPECT_EQ(db.CurrentRowObserver(), observer.get());
    const struct { const char *sql; QStringList heard; } cases[] = {
        {"INSERT INTO t (id, v) VALUES (5, 1), (6, 2)", {"insert main.t 5", "insert main.t 6"}},
        {"UPDATE t SET v = 3 WHERE id = 6", {"update main.t 6"}}, {"DELETE FROM t WHERE id = 5", {"delete main.t 5"}},
        {"INSERT INTO u VALUES ('a')", {"insert main.u 1"}}, {"SELECT * FROM t", {}},
    };
    for (const auto &c : cases) {
        observer->heard.clear();
        db.Exec(c.sql);
        EXPECT_EQ(observer->heard, c.heard) << c.sql;
    }
    EXPECT_EQ(db.TotalChanges() - before, 5);
    // Replaced, the first observer hears nothing more; the connection lets go of it.
    auto second = std::make_shared<RecordingObserver>();
    db.SetRowObserver(second);
    observer->heard.clear();
    db.Exec("INSERT INTO t (id) VALUES (9)");
    EXPECT_TRUE(observer->heard.isEmpty());
    EXPECT_EQ(second->heard, QStringList{"insert main.t 9"});
    EXPECT_EQ(observer.use_count(), 1);
    db.SetRowObserver(nullptr);
    db.Exec("DELETE FROM t WHERE id = 9");
    EXPECT_EQ(second->heard.size(), 1);
}

TEST(SqliteDbFile, TwoConnectionsNeverDeadlockAndSeeEachOthersCommits)
{
    const QString path = MakeTempDir("sqlite-file") + "/a.db";
    EXPECT_THROW(SQLite::Database(path, SQLite::OpenReadWrite), EDatabaseError);
    EXPECT_THROW(SQLite::Database(path, SQLite::OpenReadOnly), EDatabaseError);
    EXPECT_FALSE(QFileInfo::exists(path)) << "opening never creates unless asked";
    SQLite::Database first(path, SQLite::OpenReadWrite | SQLite::OpenCreate, 0);
    first.Exec("CREATE TABLE c (n INTEGER); INSERT INTO c VALUES (0)");
    auto observer = std::make_shared<RecordingObserver>();
    {
        SQLite::Database second(path, SQLite::OpenReadWrite, 0);
        second.SetRowObserver(observer);
        // Each change reads, then writes. Started as deferred transactions both would hold the
        // read lock, neither could take the write lock, and the first could not commit.
        SQLite::Transaction firstChange(first);
        CountRows(first, "SELECT n FROM c");
        // The second change must wait before it reads.
        EXPECT_EQ(ErrorOf([&] { SQLite::Transaction secondChange(second); }).ErrorCode() & 0xFF, SQLITE_BUSY);
        first.Exec("UPDATE c SET n = n + 1");
        const qint64 version = second.DataVersion();
        EXPECT_NO_THROW(firstChange.Commit());
        const qint64 seen = second.DataVersion();
        EXPECT_NE(seen, version) << "another connection's commit";
        SQLite::Transaction later(second);
        second.Exec("UPDATE c SET n = n + 1");
        later.Commit();
        EXPECT_EQ(second.DataVersion(), seen) << "its own commit";
    }
    EXPECT_EQ(CountRows(first, "SELECT n FROM c"), 2);
    // The observer outlives its connection, which lets go of it.
    EXPECT_EQ(observer.use_count(), 1);
    EXPECT_EQ(observer->heard, QStringList{"update main.c 1"});
}

} // namespace
