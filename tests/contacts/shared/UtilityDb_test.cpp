#include "TestSupport.h"
#include "contacts/shared/UtilityDb.h"
#include "platform/ADODB.h"
#include "shared/FileTestSupport.h"

#include <QDateTime>

using namespace filetest;

namespace {

class AccountTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeTempDir("account");
        path = dir + "/张三.txl";
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", path));
        connection.Open(path);
    }
    qint64 Count(const QString &sql, const QVariantList &params = {})
    {
        SQLite::Statement query(connection.Db(), sql);
        query.BindAll(params);
        return query.ExecuteStep() ? query.Column(0).toLongLong() : -1;
    }
    QString dir, path;
    TADOConnection connection;
};

// Text compares without case, as the old engine did.
TEST_F(AccountTest, TextIgnoresCase)
{
    connection.Db().Exec("INSERT INTO userinfo (uname, uemail) VALUES ('Li Si', 'LI@EXAMPLE.COM')");
    EXPECT_EQ(Count("SELECT count(*) FROM userinfo WHERE uname = ? AND uemail = ?", {"li si", "li@example.com"}), 1);
}

TEST(SaveResourceToFile, ReplacesAnExistingFileAndReportsFailures)
{
    const QString dir = MakeTempDir("resource");
    const QString path = dir + "/old.txl";
    WriteBytes(path, "not an account");
    EXPECT_TRUE(SaveResourceToFile("mydb", "template", path));
    EXPECT_TRUE(TADOConnection::TestOpen(path));
    const QByteArray account = ReadBytes(path);
    EXPECT_FALSE(SaveResourceToFile("NOSUCH", "TEMPLATE", path));
    EXPECT_FALSE(SaveResourceToFile("MYDB", "TEMPLATE", dir + "/missing/a.txl"));
    {
        HookGuard hook([](const QString &, const QString &) { return false; });
        EXPECT_FALSE(SaveResourceToFile("MYDB", "TEMPLATE", dir + "/new.txl"));
    }
    EXPECT_EQ(ReadBytes(path), account);
    EXPECT_EQ(FilesIn(dir), QStringList({"old.txl"}));
}

// ---- rows -----------------------------------------------------------------------------------

// A stale reference to a deleted contact must never attach to the next one.
TEST_F(AccountTest, ContactKeysAreNeverReused)
{
    const auto insert = [&](const char *name) {
        connection.Db().Exec(QStringLiteral("INSERT INTO userinfo (uname, nodetype) VALUES ('%1', 2)").arg(name));
        return Count("SELECT max(keyid) FROM userinfo");
    };
    const qint64 first = insert("甲"), second = insert("乙");
    EXPECT_GT(second, first);
    connection.Db().Exec(QStringLiteral("DELETE FROM userinfo WHERE keyid = %1").arg(second));
    EXPECT_GT(insert("丙"), second);
}

TEST_F(AccountTest, RunQueryOpensSelectsAndExecutesTheRest)
{
    connection.Db().Exec("INSERT INTO usermsg (username) VALUES ('owner')");
    TADOQuery query(&connection);
    const struct { const char *sql; bool result, active; } cases[] = {
        {"   SELECT * from usermsg", true, true}, {"\n\tselect count(*) from userinfo", true, true},
        {"update usermsg set field1 = 'x'", true, false},
        {"insert into userplaces (placename) values ('t')", true, false},
        {"select * form usermsg", false, false}, {"select * from nosuchtable", false, false},
        {"update usermsg set nosuch = 1", false, false}, {"   ", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(RunQuery(&query, QString::fromUtf8(c.sql)), c.result);
        EXPECT_EQ(query.Active(), c.active);
    }
    EXPECT_EQ(Count("SELECT count(*) FROM usermsg WHERE field1 = 'x'"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM userplaces"), 1);
    // Empty text runs the present statement again, with new values when given.
    ASSERT_TRUE(RunQuery(&query, "select * from userplaces where placename like ?", {"x%"}));
    EXPECT_EQ(query.RecordCount(), 0);
    connection.Db().Exec("INSERT INTO userplaces VALUES ('xtag'), ('other')");
    ASSERT_TRUE(RunQuery(&query, QString()));
    EXPECT_EQ(query.RecordCount(), 1);
    ASSERT_TRUE(RunQuery(&query, QString(), {"o%"}));
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.Fields(0).AsString(), "other");
}

TEST_F(AccountTest, RunQueryWithNothingToRunTouchesNothing)
{
    connection.Close();
    const QByteArray before = ReadBytes(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    connection.Open();
    TADOQuery query(&connection);
    EXPECT_FALSE(RunQuery(&query, QString()));
    EXPECT_FALSE(query.Active());
    TADOQuery unconnected;
    EXPECT_FALSE(RunQuery(&unconnected, "select * from usermsg"));
    EXPECT_FALSE(RunQuery(nullptr, "select * from usermsg"));
    ASSERT_TRUE(RunQuery(&query, "select * from usermsg"));
    connection.Close();
    EXPECT_FALSE(RunQuery(&query, "insert into usermsg (username) values ('x')"));
    EXPECT_FALSE(RunQuery(&query, QString()));
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}

// ---- compaction -----------------------------------------------------------------------------

// Compaction shrinks the file and keeps every row and the permissions; an interrupted one leaves it as it was.
TEST_F(AccountTest, CompactionShrinksAndKeepsEveryRowAndAnInterruptedOneLeavesTheOriginal)
{
    const auto row = [](int i) { return QVariantList{i, QString("附件%1.jpg").arg(i), QByteArray(65536, char(i))}; };
    {
        SQLite::Transaction transaction(connection.Db());
        SQLite::Statement insert(connection.Db(), "INSERT INTO dbsxfile (rcid, filename, fileblob) VALUES (?, ?, ?)");
        for (int i = 0; i < 40; ++i) {
            insert.Reset();
            insert.BindAll(row(i));
            insert.Exec();
        }
        transaction.Commit();
    }
    connection.Db().Exec("DELETE FROM dbsxfile WHERE rcid >= 4");
    connection.Close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QByteArray original = ReadBytes(path);
    {
        HookGuard hook([](const QString &from, const QString &) { return QFile::resize(from, 1024) && false; });
        EXPECT_FALSE(CompactDatabase(path));
    }
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(FilesIn(dir), QStringList({"张三.txl"}));
    const qint64 before = QFileInfo(path).size();
    ASSERT_GT(before, 2 * 1024 * 1024);
    ASSERT_TRUE(CompactDatabase(path));
    EXPECT_LT(QFileInfo(path).size(), before - 2 * 1024 * 1024);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    EXPECT_EQ(FilesIn(dir), QStringList({"张三.txl"}));
    connection.Open();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Count("SELECT count(*) FROM dbsxfile WHERE rcid = ? AND filename = ? AND fileblob = ?", row(i)), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM dbsxfile"), 4);
}

// Compaction leaves damaged (it would drop their rows), read-only, missing and foreign files alone.
TEST(CompactDatabase, DamagedReadOnlyMissingOrForeignFilesAreLeftAsTheyAre)
{
    const QString dir = MakeTempDir("compact-keep");
    const QString damaged = dir + "/damaged.txl";
    const QString readOnly = dir + "/readonly.txl";
    for (const QString &path : {damaged, readOnly}) {
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", path));
        SQLite::Database db(path, SQLite::OpenReadWrite);
        SQLite::Transaction transaction(db);
        for (int i = 0; i < 300; ++i)
            db.Exec(QStringLiteral("insert into userinfo(uname, ufz) values('x', '%1')").arg(QString(500, 'z')));
        db.Exec("delete from userinfo where keyid % 2 = 0");
        transaction.Commit();
    }
    DamageDatabasePages(damaged);
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner));
    const QString text = dir + "/notes.txl";
    WriteBytes(text, QByteArray(8192, 'n'));
    EXPECT_FALSE(CompactDatabase(dir + "/missing.txl"));
    for (const QString &path : {damaged, readOnly, text}) {
        const QByteArray before = ReadBytes(path);
        EXPECT_FALSE(CompactDatabase(path)) << path.toStdString();
        EXPECT_EQ(ReadBytes(path), before) << path.toStdString();
    }
    EXPECT_EQ(FilesIn(dir), QStringList({"damaged.txl", "notes.txl", "readonly.txl"}));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// ---- column names from settings ---------------------------------------------------------------

TEST(IsKnownColumn, OnlyColumnsOfTheSchema)
{
    const struct { const char *table, *column; bool known; } cases[] = {
        {"userinfo", "uname", true},   {"USERINFO", "Text57", true}, {"userinfo", "txdaystr", true},
        {"userinfo", "text58", false}, {"userinfo", "uname;drop table userinfo", false},
        {"userinfo", "", false},       {"usertable", "gqwtx", true}, {"usertable", "uname", false},
        {"nosuch", "uname", false},    {"sqlite_sequence", "name", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsKnownColumn(c.table, c.column), c.known) << c.table << "." << c.column;
}

} // namespace
