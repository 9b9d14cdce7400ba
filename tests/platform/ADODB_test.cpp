#include "DbTestSupport.h"
#include "TestSupport.h"
#include "platform/ADODB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ADODBTest : public ::testing::Test
{
protected:
    QString path;
    TADOConnection connection;

    void SetUp() override
    {
        path = MakeTempDir(QStringLiteral("adodb")) + QStringLiteral("/test.txl");
        CreateAccountFile(path);
        connection.Open(path);
    }

    qint64 Count(const QString &sql, const QVariantList &params = {})
    {
        return CountRows(connection.Db(), sql, params);
    }

    void Exec(const QString &sql, const QVariantList &params = {})
    {
        SQLite::Statement statement(connection.Db(), sql);
        statement.BindAll(params);
        statement.Exec();
    }

    void Open(TADOQuery &query, const QString &sql, const QVariantList &params = {})
    {
        query.SetSQL(sql);
        query.SetParams(params);
        query.Open();
    }
};

// ---- connection -----------------------------------------------------------------------------

TEST_F(ADODBTest, ClosingOrDestroyingTheConnectionClosesItsQueries)
{
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT * FROM usermsg"));
    EXPECT_TRUE(query.Active());
    connection.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_THROW(query.Open(), EDatabaseError);
    connection.Open();
    query.Open();
    EXPECT_TRUE(query.Active());

    // A query outliving its connection is left detached and closed.
    auto orphan = std::make_unique<TADOQuery>();
    {
        TADOConnection other;
        other.Open(path);
        orphan->SetConnection(&other);
        Open(*orphan, QStringLiteral("SELECT * FROM usermsg"));
    }
    EXPECT_EQ(orphan->Connection(), nullptr);
    EXPECT_FALSE(orphan->Active());
    EXPECT_THROW(orphan->Open(), EDatabaseError);
}

TEST_F(ADODBTest, TakeOverMovesTheOpenFileAndLeavesTheOtherClosed)
{
    TADOConnection shared;
    TADOQuery onShared(&shared);
    TADOQuery onLogin(&connection);
    Open(onLogin, QStringLiteral("SELECT * FROM usermsg"));
    const QString file = connection.FileName();
    shared.TakeOver(connection);
    EXPECT_FALSE(connection.Connected());
    EXPECT_FALSE(onLogin.Active()) << "a query of the other connection keeps no statement on the moved engine";
    EXPECT_THROW(onLogin.Open(), EDatabaseError);
    ASSERT_TRUE(shared.Connected());
    EXPECT_EQ(shared.FileName(), file);
    Open(onShared, QStringLiteral("SELECT * FROM usermsg"));
    EXPECT_TRUE(onShared.Active());
    shared.TakeOver(shared);
    EXPECT_TRUE(shared.Connected());
}

// ---- reading --------------------------------------------------------------------------------

TEST_F(ADODBTest, CursorWalksEveryRecordOnce)
{
    for (int i = 1; i <= 3; ++i)
        Exec(QStringLiteral("INSERT INTO userplaces (placename) VALUES (?)"), {QStringLiteral("p%1").arg(i)});
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT placename FROM userplaces ORDER BY placename"));
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_TRUE(query.Bof());
    QStringList seen;
    while (!query.Eof()) {
        seen << query.FieldByName(QStringLiteral("PLACENAME")).AsString();
        query.Next();
    }
    EXPECT_EQ(seen, QStringList({"p1", "p2", "p3"}));
    EXPECT_EQ(query.RecNo(), 3);  // stays on the last record
    query.Prior();
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("p2"));
    EXPECT_FALSE(query.Eof());
    query.Last();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("p3"));
    query.First();
    query.Prior();
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 1);

    Open(query, QStringLiteral("SELECT placename FROM userplaces WHERE placename = ?"), {QStringLiteral("none")});
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_TRUE(query.FieldByName(QStringLiteral("placename")).IsNull());
    EXPECT_EQ(query.FieldNames(), QStringList({"placename"}));
}

TEST_F(ADODBTest, OpenRefusesAStatementWithoutRowsAndRunsNothing)
{
    Exec(QStringLiteral("INSERT INTO userplaces (placename) VALUES ('keep')"));
    TADOQuery query(&connection);
    query.SetSQL(QStringLiteral("DELETE FROM userplaces"));
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userplaces")), 1);
    EXPECT_EQ(query.ExecSQL(), 1);
    EXPECT_EQ(query.RowsAffected(), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userplaces")), 0);
}

TEST_F(ADODBTest, ParametersArePositionalOrNamedAndAllRequired)
{
    Exec(QStringLiteral("INSERT INTO userinfo (uname, nodetype) VALUES ('a', 1), ('b', 2), ('c', 2)"));
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT uname FROM userinfo WHERE nodetype = ? AND uname <> ? ORDER BY uname"),
         {2, QStringLiteral("b")});
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("c"));

    query.SetSQL(QStringLiteral("SELECT count(*) FROM userinfo WHERE nodetype = :kind OR uname = :Name"));
    query.SetParam(QStringLiteral("kind"), 1);
    query.SetParam(QStringLiteral(":name"), QStringLiteral("C"));
    query.Open();
    EXPECT_EQ(query.Fields(0).AsInteger(), 2);

    query.SetSQL(QStringLiteral("SELECT * FROM userinfo WHERE nodetype = ? AND uname = ?"));
    query.SetParams({1});
    EXPECT_THROW(query.Open(), EDatabaseError);
    query.SetParams({1, QStringLiteral("a"), 3});
    EXPECT_THROW(query.Open(), EDatabaseError);
    // Setting new SQL forgets the old values.
    query.SetParams({1, QStringLiteral("a")});
    query.SetSQL(query.SQL());
    EXPECT_THROW(query.Open(), EDatabaseError);
}

struct FieldCase {
    const char *label;
    QVariant stored;
    const char *asString;
    int asInteger;
    bool asBoolean;
    QDateTime asDateTime;
};

TEST_F(ADODBTest, FieldConversions)
{
    const std::vector<FieldCase> cases = {
        {"null", QVariant(), "", 0, false, {}},
        {"integer", qint64(42), "42", 42, true, {}},
        {"zero", qint64(0), "0", 0, false, {}},
        {"real", 2.5, "2.5", 3, true, {}},
        {"number text", QStringLiteral(" 17 "), " 17 ", 17, true, {}},
        {"word true", QStringLiteral("True"), "True", 0, true, {}},
        {"word false", QStringLiteral("false"), "false", 0, false, {}},
        {"stored date-time", QStringLiteral("2024-05-01 08:30:45"), "2024-05-01 08:30:45", 0, false,
         QDateTime(QDate(2024, 5, 1), QTime(8, 30, 45))},
        {"loose birthday", QStringLiteral("1980-1-5"), "1980-1-5", 0, false, QDateTime(QDate(1980, 1, 5), QTime(0, 0))},
        {"chinese text", QStringLiteral("张三"), "张三", 0, false, {}},
    };
    TADOQuery query(&connection);
    for (const FieldCase &c : cases) {
        SCOPED_TRACE(c.label);
        Open(query, QStringLiteral("SELECT ? AS v"), {c.stored});
        const TField &field = query.FieldByName(QStringLiteral("v"));
        EXPECT_EQ(field.IsNull(), c.stored.isNull());
        EXPECT_EQ(field.AsString(), QString::fromUtf8(c.asString));
        EXPECT_EQ(field.AsInteger(), c.asInteger);
        EXPECT_EQ(field.AsBoolean(), c.asBoolean);
        EXPECT_EQ(field.AsDateTime(), c.asDateTime);
        query.Close();
    }
    const QByteArray blob("\x00\xff\x10", 3);
    Open(query, QStringLiteral("SELECT ? AS b"), {blob});
    EXPECT_EQ(query.FieldByName(QStringLiteral("b")).AsBlob(), blob);
    EXPECT_THROW(query.FieldByName(QStringLiteral("nosuch")), EDatabaseError);
    EXPECT_EQ(query.FindField(QStringLiteral("nosuch")), nullptr);
    EXPECT_THROW(query.Fields(1), EDatabaseError);
}

TEST_F(ADODBTest, LargeResultsKeepEveryValue)
{
    // Enough text to fill several storage blocks, a blob too big to share one, and empty values.
    QList<QVariantList> rows;
    for (int i = 0; i < 3000; ++i)
        rows.append({i, QStringLiteral("名字%1-").arg(i).repeated(40)});
    rows.append({3000, QString("")});
    rows.append({3001, QVariant()});
    {
        SQLite::Transaction transaction(connection.Db());
        for (const QVariantList &row : rows)
            Exec(QStringLiteral("INSERT INTO dbsxfile (rcid, filename) VALUES (?, ?)"), row);
        transaction.Commit();
    }
    QByteArray big(600 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    Exec(QStringLiteral("UPDATE dbsxfile SET fileblob = ? WHERE rcid = 10"), {big});
    Exec(QStringLiteral("UPDATE dbsxfile SET fileblob = x'' WHERE rcid = 11"));

    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT rcid, filename, fileblob FROM dbsxfile ORDER BY rcid"));
    ASSERT_EQ(query.RecordCount(), rows.size());
    for (const QVariantList &row : rows) {
        ASSERT_EQ(query.Fields(0).AsInteger(), row[0].toInt());
        ASSERT_EQ(query.Fields(1).IsNull(), row[1].isNull());
        ASSERT_EQ(query.Fields(1).AsString(), row[1].toString());
        query.Next();
    }
    query.First();
    for (int i = 0; i < 10; ++i)
        query.Next();
    EXPECT_EQ(query.Fields(2).AsBlob(), big);
    EXPECT_EQ(query.Fields(2).Value().toByteArray(), big);
    query.Next();
    EXPECT_FALSE(query.Fields(2).IsNull());
    EXPECT_TRUE(query.Fields(2).AsBlob().isEmpty());

    // Changing a record many times keeps the newest value and leaves its neighbours alone.
    for (int round = 0; round < 50; ++round) {
        query.Edit();
        query.Fields(1).SetAsString(QStringLiteral("第%1次").arg(round));
        query.Post();
    }
    EXPECT_EQ(query.Fields(1).AsString(), QStringLiteral("第49次"));
    query.Prior();
    EXPECT_EQ(query.Fields(1).AsString(), rows[10][1].toString());
}

// ---- writing back ---------------------------------------------------------------------------

TEST_F(ADODBTest, AppendOrEditOnEmptyPostsANewRecordAndReadsBackCounterAndDefaults)
{
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT * FROM usertable WHERE id = -1"));
    query.Append();
    EXPECT_EQ(query.State(), TDataSetState::dsInsert);
    query.FieldByName(QStringLiteral("title")).SetAsString(QStringLiteral("给\"王五\"打电话"));
    query.FieldByName(QStringLiteral("alarmtime")).SetAsDateTime(QDateTime(QDate(2024, 5, 1), QTime(8, 30)));
    query.FieldByName(QStringLiteral("groupid")).SetAsInteger(7);
    query.Post();
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    const qint64 id = query.FieldByName(QStringLiteral("id")).AsLargeInt();
    EXPECT_GT(id, 0);
    EXPECT_FALSE(query.FieldByName(QStringLiteral("gqwtx")).IsNull());
    EXPECT_FALSE(query.FieldByName(QStringLiteral("gqwtx")).AsBoolean());
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM usertable WHERE id = ? AND title = ? AND groupid = 7 "
                                   "AND alarmtime = '2024-05-01 08:30:00'"),
                    {id, QStringLiteral("给\"王五\"打电话")}),
              1);

    // Edit on an empty result starts a new record.
    Open(query, QStringLiteral("SELECT username, password FROM usermsg"));
    query.Edit();
    EXPECT_EQ(query.State(), TDataSetState::dsInsert);
    query.FieldByName(QStringLiteral("username")).SetAsString(QStringLiteral("owner"));
    query.Post();
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM usermsg WHERE username = 'owner' AND password IS NULL")), 1);
}

TEST_F(ADODBTest, EditPostChangesOnlyTheCurrentRow)
{
    Exec(QStringLiteral("INSERT INTO userinfo (uname, nodetype) VALUES ('a', 2), ('b', 2), ('c', 2)"));
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT keyid, uname FROM userinfo ORDER BY uname"));
    query.Next();
    query.Edit();
    query.FieldByName(QStringLiteral("uname")).SetAsString(QStringLiteral("乙"));
    EXPECT_EQ(query.FieldByName(QStringLiteral("uname")).AsString(), QStringLiteral("乙"));
    query.Post();
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE uname = '乙'")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE uname IN ('a', 'c')")), 2);

    // Cancel and Close drop pending changes.
    query.Edit();
    query.FieldByName(QStringLiteral("uname")).SetAsString(QStringLiteral("x"));
    query.Cancel();
    EXPECT_EQ(query.FieldByName(QStringLiteral("uname")).AsString(), QStringLiteral("乙"));
    // Moving posts the pending edit.
    query.Edit();
    query.FieldByName(QStringLiteral("uname")).SetAsString(QStringLiteral("丙"));
    query.Prior();
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE uname = '丙'")), 1);
    query.Edit();
    query.FieldByName(QStringLiteral("uname")).SetAsString(QStringLiteral("y"));
    query.Close();
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE uname IN ('x', 'y')")), 0);
}

TEST_F(ADODBTest, RowWithoutCounterIsFoundByItsExactValues)
{
    // Text compares without case in queries, but a write-back must hit the row it read.
    Exec(QStringLiteral("INSERT INTO userlinkplace (keyid, placename) VALUES (1, 'Abc'), (1, 'abc'), (2, 'abc')"));
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT keyid, placename FROM userlinkplace WHERE placename = 'abc' AND keyid = 1 "
                               "ORDER BY placename COLLATE BINARY DESC"));
    ASSERT_EQ(query.RecordCount(), 2);
    ASSERT_EQ(query.Fields(1).AsString(), QStringLiteral("abc"));
    query.Edit();
    query.Fields(1).SetAsString(QStringLiteral("lower"));
    query.Post();
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userlinkplace WHERE keyid = 1 AND placename = 'Abc' COLLATE BINARY")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userlinkplace WHERE keyid = 1 AND placename = 'lower'")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userlinkplace WHERE keyid = 2 AND placename = 'abc'")), 1);

    query.Next();
    query.Delete();
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userlinkplace WHERE placename = 'Abc' COLLATE BINARY")), 0);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userlinkplace")), 2);
}

TEST_F(ADODBTest, ChangeToARowThatChangedMeanwhileIsRefused)
{
    Exec(QStringLiteral("INSERT INTO userplaces (placename) VALUES ('old')"));
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT placename FROM userplaces"));
    Exec(QStringLiteral("UPDATE userplaces SET placename = 'someone else'"));
    query.Edit();
    query.Fields(0).SetAsString(QStringLiteral("mine"));
    EXPECT_THROW(query.Post(), EDatabaseError);
    EXPECT_EQ(query.State(), TDataSetState::dsEdit);
    query.Cancel();
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userplaces WHERE placename = 'someone else'")), 1);

    Exec(QStringLiteral("INSERT INTO usermsg (username) VALUES ('u')"));
    Open(query, QStringLiteral("SELECT id, username FROM usermsg"));
    Exec(QStringLiteral("DELETE FROM usermsg"));
    query.Edit();
    query.Fields(1).SetAsString(QStringLiteral("v"));
    EXPECT_THROW(query.Post(), EDatabaseError);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM usermsg")), 0);
}

TEST_F(ADODBTest, DeletingEveryRecordInALoop)
{
    for (int i = 0; i < 4; ++i)
        Exec(QStringLiteral("INSERT INTO useraction (useruid, titlemsg) VALUES (9, ?)"), {QString::number(i)});
    Exec(QStringLiteral("INSERT INTO useraction (useruid, titlemsg) VALUES (8, 'other')"));
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT id, titlemsg FROM useraction WHERE useruid = 9 ORDER BY id"));
    query.Last();
    query.Delete();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.Fields(1).AsString(), QStringLiteral("2"));
    query.First();
    while (!query.Eof())
        query.Delete();
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM useraction")), 1);
}

TEST_F(ADODBTest, ReadOnlyResultsCannotBeWritten)
{
    Exec(QStringLiteral("INSERT INTO userinfo (keyid, uname) VALUES (1, 'a')"));
    Exec(QStringLiteral("INSERT INTO userlinkplace (keyid, placename) VALUES (1, 'tag')"));
    TADOQuery query(&connection);
    Open(query, QStringLiteral("SELECT u.uname, l.placename FROM userinfo u, userlinkplace l WHERE u.keyid = l.keyid"));
    EXPECT_THROW(query.Edit(), EDatabaseError);
    EXPECT_THROW(query.Append(), EDatabaseError);
    EXPECT_THROW(query.Delete(), EDatabaseError);

    Open(query, QStringLiteral("SELECT keyid, uname || '!' AS shout FROM userinfo"));
    query.Edit();
    EXPECT_TRUE(query.FieldByName(QStringLiteral("shout")).ReadOnly());
    EXPECT_THROW(query.FieldByName(QStringLiteral("shout")).SetAsString(QStringLiteral("x")), EDatabaseError);
    query.Cancel();
    // Outside Edit/Append nothing may be set.
    EXPECT_THROW(query.FieldByName(QStringLiteral("keyid")).SetAsInteger(5), EDatabaseError);
}

// ---- crash safety ---------------------------------------------------------------------------

constexpr const char *kCrashEnv = "ORV_CRASH_ACCOUNT";

// Runs only inside the child the next test starts: writes a large change and dies before it commits.
TEST(ADOCrashChild, DISABLED_WritesAndDiesMidTransaction)
{
    const QString path = qEnvironmentVariable(kCrashEnv);
    ASSERT_FALSE(path.isEmpty());
    TADOConnection connection;
    connection.Open(path);
    SQLite::Database &db = connection.Db();
    db.Exec(QStringLiteral("PRAGMA cache_size = 8"));  // forces changed pages out to the file itself
    SQLite::Transaction transaction(db);
    SQLite::Statement insert(db, QStringLiteral("INSERT INTO dbsxfile (rcid, fileblob) VALUES (?, ?)"));
    for (int i = 0; i < 60; ++i) {
        insert.Reset();
        insert.BindAll({i, QByteArray(32 * 1024, char('a' + i % 26))});
        insert.Exec();
    }
    db.Exec(QStringLiteral("UPDATE usermsg SET username = 'half-done'"));
    std::raise(SIGKILL);
}

TEST_F(ADODBTest, ProcessKilledMidTransactionLeavesNoneOfItsRows)
{
    Exec(QStringLiteral("INSERT INTO usermsg (username) VALUES ('before')"));
    Exec(QStringLiteral("INSERT INTO dbsxfile (rcid, fileblob) VALUES (-1, x'00')"));
    connection.Close();
    const qint64 sizeBefore = QFileInfo(path).size();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kCrashEnv), path);
    // Sharding would otherwise leave the child without the one test it is started for.
    env.remove(QStringLiteral("GTEST_TOTAL_SHARDS"));
    env.remove(QStringLiteral("GTEST_SHARD_INDEX"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=ADOCrashChild.DISABLED_WritesAndDiesMidTransaction")});
    ASSERT_TRUE(child.waitForFinished(120000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();

    // The child really got halfway: its pages reached the file and the undo journal is still there.
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral("-journal")));
    EXPECT_GT(QFileInfo(path).size(), sizeBefore);

    EXPECT_TRUE(TADOConnection::TestOpen(path));
    connection.Open(path);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM dbsxfile")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM usermsg WHERE username = 'before'")), 1);
    SQLite::Statement check(connection.Db(), QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.ExecuteStep());
    EXPECT_EQ(check.Column(0).toString(), QStringLiteral("ok"));
}

} // namespace

// What opening finds: a file is an account only with every table of one, and one whose pages are
// damaged is told from one that is no account at all. Only a good account opens, and a refused
// file is left exactly as it was.
TEST(ADOConnection, OpensOnlyGoodAccountsAndTellsForeignFromDamaged)
{
    const QString dir = MakeTempDir(QStringLiteral("adoconn-check"));
    const auto account = [](const QString &p) {
        CreateAccountFile(p);
        SQLite::Database db(p, SQLite::OpenReadWrite);
        SQLite::Statement insert(db, QStringLiteral("INSERT INTO userinfo (uname, ufz) VALUES (?, ?)"));
        for (int i = 0; i < 300; ++i) {
            insert.Reset();
            insert.BindAll({QStringLiteral("名%1").arg(i), QString(500, QChar('a' + i % 26))});
            insert.Exec();
        }
    };
    const auto write = [](const QString &p, const QByteArray &bytes) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const struct {
        const char *label;
        std::function<void(const QString &)> make;
        TAccountFileState state;
    } cases[] = {
        {"account", account, TAccountFileState::Good},
        {"nothing", [](const QString &) {}, TAccountFileState::Missing},
        {"a folder", [](const QString &p) { ASSERT_TRUE(QDir().mkpath(p)); }, TAccountFileState::Missing},
        {"text", [&](const QString &p) { write(p, QByteArray(5000, 'x')); }, TAccountFileState::Foreign},
        {"empty file", [&](const QString &p) { write(p, {}); }, TAccountFileState::Foreign},
        {"database without the account tables",
         [](const QString &p) {
             SQLite::Database(p, SQLite::OpenReadWrite | SQLite::OpenCreate).Exec(QStringLiteral("CREATE TABLE userinfo (keyid)"));
         },
         TAccountFileState::Foreign},
        {"bare userinfo and usermsg",
         [](const QString &p) {
             SQLite::Database(p, SQLite::OpenReadWrite | SQLite::OpenCreate)
                 .Exec(QStringLiteral("CREATE TABLE userinfo (keyid INTEGER PRIMARY KEY, uname TEXT);"
                                      "CREATE TABLE usermsg (id INTEGER PRIMARY KEY, password TEXT)"));
         },
         TAccountFileState::Foreign},
        {"flipped bytes", [&](const QString &p) { account(p); DamageDatabasePages(p); }, TAccountFileState::Damaged},
        {"cut in half", [&](const QString &p) { account(p); ASSERT_TRUE(QFile::resize(p, QFileInfo(p).size() / 2)); },
         TAccountFileState::Damaged},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const QString path = dir + QStringLiteral("/case%1.txl").arg(++n);
        c.make(path);
        EXPECT_EQ(TADOConnection::CheckFile(path), c.state);
        EXPECT_EQ(TADOConnection::TestOpen(path), c.state == TAccountFileState::Good);
        if (c.state == TAccountFileState::Missing || c.state == TAccountFileState::Foreign) {
            const bool existed = QFileInfo::exists(path);
            const QByteArray before = ReadAll(path);
            TADOConnection connection;
            EXPECT_THROW(connection.Open(path), EDatabaseError);
            EXPECT_FALSE(connection.Connected());
            EXPECT_THROW(connection.Db(), EDatabaseError);
            EXPECT_EQ(QFileInfo::exists(path), existed);
            EXPECT_EQ(ReadAll(path), before);
        }
    }

    TADOConnection connection;
    EXPECT_THROW(connection.SetConnected(true), EDatabaseError);  // no file name yet
    EXPECT_FALSE(connection.Connected());
    connection.SetFileName(dir + QStringLiteral("/case1.txl"));
    connection.SetConnected(true);
    EXPECT_TRUE(connection.Connected());
}

// A file the user made read-only opens, says so, and is not written.
TEST(ADOConnection, AReadOnlyFileOpensReadOnly)
{
    const QString path = MakeTempDir(QStringLiteral("adoconn-ro")) + QStringLiteral("/ro.txl");
    CreateAccountFile(path);
    TADOConnection writable;
    writable.Open(path);
    EXPECT_FALSE(writable.ReadOnly());
    EXPECT_TRUE(writable.PagesIntact());
    writable.Close();

    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QByteArray before = ReadAll(path);
    TADOConnection connection;
    connection.Open(path);
    EXPECT_TRUE(connection.ReadOnly());
    EXPECT_THROW(connection.Db().Exec(QStringLiteral("INSERT INTO userinfo (uname) VALUES ('x')")), EDatabaseError);
    connection.Close();
    EXPECT_EQ(ReadAll(path), before);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
