#include "FileTestSupport.h"
#include "TestSupport.h"
#include "platform/ADODB.h"

#include <QCoreApplication>
#include <QProcess>
#include <csignal>

namespace {

class ADODBTest : public ::testing::Test
{
protected:
    QString path;
    TADOConnection connection;
    TADOQuery query{&connection};

    void SetUp() override
    {
        path = MakeTempDir("adodb") + "/test.txl";
        CreateAccountFile(path);
        connection.Open(path);
    }
    qint64 Count(const QString &sql, const QVariantList &params = {}) { return CountRows(connection.Db(), sql, params); }
    void Exec(const QString &sql, const QVariantList &params = {})
    {
        SQLite::Statement statement(connection.Db(), sql);
        statement.BindAll(params);
        statement.Exec();
    }
    void Open(TADOQuery &q, const QString &sql, const QVariantList &params = {})
    {
        q.SetSQL(sql);
        q.SetParams(params);
        q.Open();
    }
    void Open(const QString &sql, const QVariantList &params = {}) { Open(query, sql, params); }
};

TEST_F(ADODBTest, ClosingDestroyingOrTakingOverTheConnectionClosesItsQueries)
{
    Open("SELECT * FROM usermsg");
    connection.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_THROW(query.Open(), EDatabaseError);
    connection.Open();
    query.Open();
    EXPECT_TRUE(query.Active());
    // A query outliving its connection is left detached and closed.
    TADOQuery orphan;
    {
        TADOConnection other;
        other.Open(path);
        orphan.SetConnection(&other);
        Open(orphan, "SELECT * FROM usermsg");
    }
    EXPECT_EQ(orphan.Connection(), nullptr);
    EXPECT_FALSE(orphan.Active());
    EXPECT_THROW(orphan.Open(), EDatabaseError);
    // Taking over moves the open file and leaves the other connection closed.
    TADOConnection shared;
    TADOQuery onShared(&shared);
    shared.TakeOver(connection);
    EXPECT_FALSE(connection.Connected());
    EXPECT_FALSE(query.Active()) << "a query of the other connection keeps no statement on the moved engine";
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_EQ(shared.FileName(), path);
    Open(onShared, "SELECT * FROM usermsg");
    EXPECT_TRUE(onShared.Active());
    shared.TakeOver(shared);
    EXPECT_TRUE(shared.Connected());
}

TEST_F(ADODBTest, CursorWalksEveryRecordOnce)
{
    Exec("INSERT INTO userplaces (placename) VALUES ('p1'), ('p2'), ('p3')");
    Open("SELECT placename FROM userplaces ORDER BY placename");
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_TRUE(query.Bof());
    QStringList seen;
    for (; !query.Eof(); query.Next())
        seen << query.FieldByName("PLACENAME").AsString();
    EXPECT_EQ(seen, QStringList({"p1", "p2", "p3"}));
    EXPECT_EQ(query.RecNo(), 3);  // stays on the last record
    query.Prior();
    EXPECT_EQ(query.Fields(0).AsString(), "p2");
    EXPECT_FALSE(query.Eof());
    query.Last();
    EXPECT_TRUE(query.Eof());
    query.First();
    query.Prior();
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 1);
    Open("SELECT placename FROM userplaces WHERE placename = ?", {"none"});
    EXPECT_TRUE(query.IsEmpty() && query.Eof() && query.Bof());
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_TRUE(query.FieldByName("placename").IsNull());
    EXPECT_EQ(query.FieldNames(), QStringList({"placename"}));
}

TEST_F(ADODBTest, OpenRefusesAStatementWithoutRowsAndParametersAreAllRequired)
{
    Exec("INSERT INTO userinfo (uname, nodetype) VALUES ('a', 1), ('b', 2), ('c', 2)");
    query.SetSQL("DELETE FROM userinfo");
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_EQ(Count("SELECT count(*) FROM userinfo"), 3) << "nothing ran";
    Open("SELECT uname FROM userinfo WHERE nodetype = ? AND uname <> ? ORDER BY uname", {2, "b"});
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.Fields(0).AsString(), "c");
    query.SetSQL("SELECT count(*) FROM userinfo WHERE nodetype = :kind OR uname = :Name");
    query.SetParam("kind", 1);
    query.SetParam(":name", "C");
    query.Open();
    EXPECT_EQ(query.Fields(0).AsInteger(), 2);
    query.SetSQL("SELECT * FROM userinfo WHERE nodetype = ? AND uname = ?");
    for (const QVariantList &params : {QVariantList{1}, QVariantList{1, "a", 3}}) {
        query.SetParams(params);
        EXPECT_THROW(query.Open(), EDatabaseError) << params.size();
    }
    // Setting new SQL forgets the old values.
    query.SetParams({1, "a"});
    query.SetSQL(query.SQL());
    EXPECT_THROW(query.Open(), EDatabaseError);
    query.SetSQL("DELETE FROM userinfo WHERE nodetype = 2");
    EXPECT_EQ(query.ExecSQL(), 2);
}

TEST_F(ADODBTest, FieldConversions)
{
    const struct { const char *label; QVariant stored; const char *asString; int asInteger; bool asBoolean;
                   QDateTime asDateTime; } cases[] = {
        {"null", QVariant(), "", 0, false, {}},
        {"integer", qint64(42), "42", 42, true, {}},
        {"zero", qint64(0), "0", 0, false, {}},
        {"real", 2.5, "2.5", 3, true, {}},
        {"number text", " 17 ", " 17 ", 17, true, {}},
        {"word true", "True", "True", 0, true, {}},
        {"word false", "false", "false", 0, false, {}},
        {"stored date-time", "2024-05-01 08:30:45", "2024-05-01 08:30:45", 0, false,
         QDateTime(QDate(2024, 5, 1), QTime(8, 30, 45))},
        {"loose birthday", "1980-1-5", "1980-1-5", 0, false, QDateTime(QDate(1980, 1, 5), QTime(0, 0))},
        {"chinese text", "张三", "张三", 0, false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        Open("SELECT ? AS v", {c.stored});
        const TField &field = query.FieldByName("v");
        EXPECT_EQ(field.IsNull(), c.stored.isNull());
        EXPECT_EQ(field.AsString(), QString::fromUtf8(c.asString));
        EXPECT_EQ(field.AsInteger(), c.asInteger);
        EXPECT_EQ(field.AsBoolean(), c.asBoolean);
        EXPECT_EQ(field.AsDateTime(), c.asDateTime);
        query.Close();
    }
    const QByteArray blob("\x00\xff\x10", 3);
    Open("SELECT ? AS b", {blob});
    EXPECT_EQ(query.FieldByName("b").AsBlob(), blob);
    EXPECT_THROW(query.FieldByName("nosuch"), EDatabaseError);
    EXPECT_EQ(query.FindField("nosuch"), nullptr);
    EXPECT_THROW(query.Fields(1), EDatabaseError);
}

TEST_F(ADODBTest, LargeResultsKeepEveryValue)
{
    // Enough text to fill several storage blocks, a blob too big to share one, and empty values.
    const auto name = [](int i) { return i == 3000 ? QString("") : QStringLiteral("名字%1-").arg(i).repeated(40); };
    Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) INSERT INTO dbsxfile "
         "(rcid, filename) SELECT i, replace(hex(zeroblob(40)), '00', '名字' || i || '-') FROM n");
    Exec("INSERT INTO dbsxfile (rcid, filename) VALUES (3000, ''), (3001, NULL)");
    const QByteArray big = QByteArray("\x00\x07\x80\xff\x10", 5).repeated(120 * 1024);
    Exec("UPDATE dbsxfile SET fileblob = ? WHERE rcid = 10", {big});
    Exec("UPDATE dbsxfile SET fileblob = x'' WHERE rcid = 11");
    Open("SELECT rcid, filename, fileblob FROM dbsxfile ORDER BY rcid");
    ASSERT_EQ(query.RecordCount(), 3002);
    for (int i = 0; i <= 3001; ++i, query.Next()) {
        ASSERT_EQ(query.Fields(0).AsInteger(), i);
        ASSERT_EQ(query.Fields(1).IsNull(), i == 3001);
        ASSERT_EQ(query.Fields(1).AsString(), i == 3001 ? QString() : name(i));
    }
    query.First();
    for (int i = 0; i < 10; ++i)
        query.Next();
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
    EXPECT_EQ(query.Fields(1).AsString(), "第49次");
    query.Prior();
    EXPECT_EQ(query.Fields(1).AsString(), name(10));
}

TEST_F(ADODBTest, AppendEditAndDeleteChangeOnlyTheCurrentRowAndReadBackCounterAndDefaults)
{
    Open("SELECT * FROM usertable WHERE id = -1");
    query.Append();
    EXPECT_EQ(query.State(), TDataSetState::dsInsert);
    query.FieldByName("title").SetAsString("给\"王五\"打电话");
    query.FieldByName("alarmtime").SetAsDateTime(QDateTime(QDate(2024, 5, 1), QTime(8, 30)));
    query.FieldByName("groupid").SetAsInteger(7);
    query.Post();
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    const qint64 id = query.FieldByName("id").AsLargeInt();
    EXPECT_GT(id, 0);
    EXPECT_FALSE(query.FieldByName("gqwtx").IsNull());
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM usertable WHERE id = ? AND title = ? AND groupid = 7 "
                    "AND alarmtime = '2024-05-01 08:30:00'", {id, "给\"王五\"打电话"}), 1);
    // Edit on an empty result starts a new record.
    Open("SELECT username, password FROM usermsg");
    query.Edit();
    EXPECT_EQ(query.State(), TDataSetState::dsInsert);
    query.FieldByName("username").SetAsString("owner");
    query.Post();
    EXPECT_EQ(Count("SELECT count(*) FROM usermsg WHERE username = 'owner' AND password IS NULL"), 1);
    // Edit, Post and Delete change only the current row.
    Exec("INSERT INTO userinfo (uname, nodetype) VALUES ('a', 2), ('b', 2), ('c', 2)");
    Open("SELECT keyid, uname FROM userinfo ORDER BY uname");
    query.Next();
    query.Edit();
    query.FieldByName("uname").SetAsString("乙");
    EXPECT_EQ(query.FieldByName("uname").AsString(), "乙");
    query.Post();
    EXPECT_EQ(Count("SELECT count(*) FROM userinfo WHERE uname = '乙'"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM userinfo WHERE uname IN ('a', 'c')"), 2);
    // Cancel and Close drop pending changes; moving posts them.
    query.Edit();
    query.FieldByName("uname").SetAsString("x");
    query.Cancel();
    EXPECT_EQ(query.FieldByName("uname").AsString(), "乙");
    query.Edit();
    query.FieldByName("uname").SetAsString("丙");
    query.Prior();
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Count("SELECT count(*) FROM userinfo WHERE uname = '丙'"), 1);
    query.Edit();
    query.FieldByName("uname").SetAsString("y");
    query.Close();
    EXPECT_EQ(Count("SELECT count(*) FROM userinfo WHERE uname IN ('x', 'y')"), 0);
    // Deleting every record in a loop, the last one first.
    Exec("INSERT INTO useraction (useruid, titlemsg) VALUES (9, '0'), (9, '1'), (9, '2'), (9, '3'), (8, 'other')");
    Open("SELECT id, titlemsg FROM useraction WHERE useruid = 9 ORDER BY id");
    query.Last();
    query.Delete();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.Fields(1).AsString(), "2");
    query.First();
    while (!query.Eof())
        query.Delete();
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(Count("SELECT count(*) FROM useraction"), 1);
}

TEST_F(ADODBTest, RowWithoutCounterIsFoundByItsExactValues)
{
    // Text compares without case in queries, but a write-back must hit the row it read.
    Exec("INSERT INTO userlinkplace (keyid, placename) VALUES (1, 'Abc'), (1, 'abc'), (2, 'abc')");
    Open("SELECT keyid, placename FROM userlinkplace WHERE placename = 'abc' AND keyid = 1 "
         "ORDER BY placename COLLATE BINARY DESC");
    ASSERT_EQ(query.RecordCount(), 2);
    ASSERT_EQ(query.Fields(1).AsString(), "abc");
    query.Edit();
    query.Fields(1).SetAsString("lower");
    query.Post();
    EXPECT_EQ(Count("SELECT count(*) FROM userlinkplace WHERE keyid = 1 AND placename = 'Abc' COLLATE BINARY"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM userlinkplace WHERE keyid = 1 AND placename = 'lower'"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM userlinkplace WHERE keyid = 2 AND placename = 'abc'"), 1);
    query.Next();
    query.Delete();
    EXPECT_EQ(Count("SELECT count(*) FROM userlinkplace WHERE placename = 'Abc' COLLATE BINARY"), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM userlinkplace"), 2);
}

TEST_F(ADODBTest, ChangesToRowsThatChangedMeanwhileOrAreReadOnlyAreRefused)
{
    Exec("INSERT INTO userplaces (placename) VALUES ('old')");
    Open("SELECT placename FROM userplaces");
    Exec("UPDATE userplaces SET placename = 'someone else'");
    query.Edit();
    query.Fields(0).SetAsString("mine");
    EXPECT_THROW(query.Post(), EDatabaseError);
    EXPECT_EQ(query.State(), TDataSetState::dsEdit);
    query.Cancel();
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM userplaces WHERE placename = 'someone else'"), 1);
    Exec("INSERT INTO usermsg (username) VALUES ('u')");
    Open("SELECT id, username FROM usermsg");
    Exec("DELETE FROM usermsg");
    query.Edit();
    query.Fields(1).SetAsString("v");
    EXPECT_THROW(query.Post(), EDatabaseError);
    EXPECT_EQ(Count("SELECT count(*) FROM usermsg"), 0);
    // Results that are no single table's rows, and computed fields, cannot be written.
    Exec("INSERT INTO userinfo (keyid, uname) VALUES (1, 'a')");
    Exec("INSERT INTO userlinkplace (keyid, placename) VALUES (1, 'tag')");
    Open("SELECT u.uname, l.placename FROM userinfo u, userlinkplace l WHERE u.keyid = l.keyid");
    EXPECT_THROW(query.Edit(), EDatabaseError);
    EXPECT_THROW(query.Append(), EDatabaseError);
    EXPECT_THROW(query.Delete(), EDatabaseError);
    Open("SELECT keyid, uname || '!' AS shout FROM userinfo");
    query.Edit();
    EXPECT_TRUE(query.FieldByName("shout").ReadOnly());
    EXPECT_THROW(query.FieldByName("shout").SetAsString("x"), EDatabaseError);
    query.Cancel();
    // Outside Edit/Append nothing may be set.
    EXPECT_THROW(query.FieldByName("keyid").SetAsInteger(5), EDatabaseError);
}

constexpr const char *kCrashEnv = "ORV_CRASH_ACCOUNT";

// Runs only inside the child the next test starts: writes a large change and dies before it commits.
TEST(ADOCrashChild, DISABLED_WritesAndDiesMidTransaction)
{
    const QString path = qEnvironmentVariable(kCrashEnv);
    ASSERT_FALSE(path.isEmpty());
    TADOConnection connection;
    connection.Open(path);
    SQLite::Database &db = connection.Db();
    db.Exec("PRAGMA cache_size = 8");  // forces changed pages out to the file itself
    SQLite::Transaction transaction(db);
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 59) "
            "INSERT INTO dbsxfile (rcid, fileblob) SELECT i, randomblob(32 * 1024) FROM n");
    db.Exec("UPDATE usermsg SET username = 'half-done'");
    std::raise(SIGKILL);
}

TEST_F(ADODBTest, ProcessKilledMidTransactionLeavesNoneOfItsRows)
{
    Exec("INSERT INTO usermsg (username) VALUES ('before')");
    Exec("INSERT INTO dbsxfile (rcid, fileblob) VALUES (-1, x'00')");
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
                {"--gtest_also_run_disabled_tests", "--gtest_filter=ADOCrashChild.DISABLED_WritesAndDiesMidTransaction"});
    ASSERT_TRUE(child.waitForFinished(120000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    // The child really got halfway: its pages reached the file and the undo journal is still there.
    EXPECT_TRUE(QFileInfo::exists(path + "-journal"));
    EXPECT_GT(QFileInfo(path).size(), sizeBefore);
    EXPECT_TRUE(TADOConnection::TestOpen(path));
    connection.Open(path);
    EXPECT_EQ(Count("SELECT count(*) FROM dbsxfile"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM usermsg WHERE username = 'before'"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
}

// A file the user made read-only opens, says so, and is not written.
TEST_F(ADODBTest, AReadOnlyFileOpensReadOnly)
{
    EXPECT_FALSE(connection.ReadOnly());
    EXPECT_TRUE(connection.PagesIntact());
    connection.Close();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QByteArray before = ReadAll(path);
    connection.Open(path);
    EXPECT_TRUE(connection.ReadOnly());
    EXPECT_THROW(Exec("INSERT INTO userinfo (uname) VALUES ('x')"), EDatabaseError);
    connection.Close();
    EXPECT_EQ(ReadAll(path), before);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

// What opening finds: a file is an account only with every table of one, and one whose pages are
// damaged is told from one that is no account at all. Only a good account opens, and a refused
// file is left exactly as it was.
TEST(ADOConnection, OpensOnlyGoodAccountsAndTellsForeignFromDamaged)
{
    const QString dir = MakeTempDir("adoconn-check");
    const auto account = [](const QString &p) {
        CreateAccountFile(p);
        SQLite::Database(p, SQLite::OpenReadWrite).Exec(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
            "INSERT INTO userinfo (uname, ufz) SELECT '名' || i, hex(randomblob(250)) FROM n");
    };
    const auto database = [](const char *sql) {
        return [sql](const QString &p) { SQLite::Database(p, SQLite::OpenReadWrite | SQLite::OpenCreate).Exec(sql); };
    };
    const struct { const char *label; std::function<void(const QString &)> make; TAccountFileState state; } cases[] = {
        {"account", account, TAccountFileState::Good},
        {"nothing", [](const QString &) {}, TAccountFileState::Missing},
        {"a folder", [](const QString &p) { ASSERT_TRUE(QDir().mkpath(p)); }, TAccountFileState::Missing},
        {"text", [](const QString &p) { WriteAll(p, QByteArray(5000, 'x')); }, TAccountFileState::Foreign},
        {"empty file", [](const QString &p) { WriteAll(p, {}); }, TAccountFileState::Foreign},
        {"database without the account tables", database("CREATE TABLE userinfo (keyid)"), TAccountFileState::Foreign},
        {"bare userinfo and usermsg", database("CREATE TABLE userinfo (keyid INTEGER PRIMARY KEY, uname TEXT);"
                                               "CREATE TABLE usermsg (id INTEGER PRIMARY KEY, password TEXT)"),
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
            EXPECT_THROW(connection.Db(), EDatabaseError);
            EXPECT_EQ(QFileInfo::exists(path), existed);
            EXPECT_EQ(ReadAll(path), before);
        }
    }
    TADOConnection connection;
    EXPECT_THROW(connection.SetConnected(true), EDatabaseError);  // no file name yet
    connection.SetFileName(dir + "/case1.txl");
    connection.SetConnected(true);
    EXPECT_TRUE(connection.Connected());
}
