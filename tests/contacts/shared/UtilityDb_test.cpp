#include "TestSupport.h"
#include "contacts/shared/UtilityDb.h"
#include "platform/ADODB.h"
#include "platform/DbFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 Count(TADOConnection &connection, const QString &sql, const QVariantList &params = {})
{
    SQLite::Statement query(connection.Db(), sql);
    query.BindAll(params);
    return query.ExecuteStep() ? query.Column(0).toLongLong() : -1;
}

QStringList FilesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

struct HookGuard {
    explicit HookGuard(ReplaceFileFn hook) { SetReplaceFileHook(std::move(hook)); }
    ~HookGuard() { SetReplaceFileHook({}); }
};

class AccountTest : public ::testing::Test
{
protected:
    QString dir, path;
    TADOConnection connection;

    void SetUp() override
    {
        dir = MakeTempDir(QStringLiteral("account"));
        path = dir + QStringLiteral("/张三.txl");
        ASSERT_TRUE(SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path));
        connection.Open(path);
    }

    qint64 Count(const QString &sql, const QVariantList &params = {}) { return ::Count(connection, sql, params); }
};

TEST_F(AccountTest, NewAccountHasTenEmptyTablesAndTextIgnoresCase)
{
    SQLite::Statement tables(connection.Db(), QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' "
                                                             "AND name <> 'sqlite_sequence'"));
    int count = 0;
    for (; tables.ExecuteStep(); ++count) {
        const QString table = tables.Column(0).toString();
        EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM %1").arg(table)), 0) << table.toStdString();
    }
    EXPECT_EQ(count, 10);
    EXPECT_TRUE(TADOConnection::TestOpen(path));
    EXPECT_EQ(FilesIn(dir), QStringList({QStringLiteral("张三.txl")}));

    // Text compares without case, as the old engine did.
    connection.Db().Exec(QStringLiteral("INSERT INTO userinfo (uname, uemail) VALUES ('Li Si', 'LI@EXAMPLE.COM')"));
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE uname = ? AND uemail = ?"),
                    {QStringLiteral("li si"), QStringLiteral("li@example.com")}),
              1);
}

TEST(SaveResourceToFile, ReplacesAnExistingFileAndReportsFailures)
{
    const QString dir = MakeTempDir(QStringLiteral("resource"));
    const QString path = dir + QStringLiteral("/old.txl");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not an account");
    }
    EXPECT_TRUE(SaveResourceToFile(QStringLiteral("mydb"), QStringLiteral("template"), path));
    EXPECT_TRUE(TADOConnection::TestOpen(path));

    const QByteArray account = ReadAll(path);
    EXPECT_FALSE(SaveResourceToFile(QStringLiteral("NOSUCH"), QStringLiteral("TEMPLATE"), path));
    EXPECT_FALSE(SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), dir + QStringLiteral("/missing/a.txl")));
    {
        HookGuard hook([](const QString &, const QString &) { return false; });
        EXPECT_FALSE(SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), dir + QStringLiteral("/new.txl")));
    }
    EXPECT_EQ(ReadAll(path), account);
    EXPECT_EQ(FilesIn(dir), QStringList({QStringLiteral("old.txl")}));
}

// ---- rows -----------------------------------------------------------------------------------

TEST_F(AccountTest, CountersAreReadBackAndNeverReused)
{
    TADOQuery query(&connection);
    const auto insertContact = [&](const QString &name) {
        EXPECT_TRUE(RunQuery(&query, QStringLiteral("select * from userinfo where keyid = ?"), {-1}));
        query.Append();
        query.FieldByName(QStringLiteral("uname")).SetAsString(name);
        query.FieldByName(QStringLiteral("nodetype")).SetAsInteger(2);
        query.FieldByName(QStringLiteral("kzfield2")).SetAsString(QStringLiteral("2"));
        query.Post();
        return query.FieldByName(QStringLiteral("keyid")).AsLargeInt();
    };
    const qint64 first = insertContact(QStringLiteral("甲"));
    const qint64 second = insertContact(QStringLiteral("乙"));
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE keyid = ? AND uname = '乙'"), {second}), 1);

    EXPECT_TRUE(RunQuery(&query, QStringLiteral("delete from userinfo where keyid = ?"), {second}));
    // A stale reference to the deleted contact must never attach to the next one.
    EXPECT_GT(insertContact(QStringLiteral("丙")), second);
}

TEST_F(AccountTest, BooleansWithoutAValueAreFalse)
{
    connection.Db().Exec(QStringLiteral("INSERT INTO usertable (title, groupid) VALUES ('plan', 1)"));
    connection.Db().Exec(QStringLiteral("INSERT INTO userinfo (uname, uisalart) VALUES ('a', true)"));
    TADOQuery query(&connection);
    ASSERT_TRUE(RunQuery(&query, QStringLiteral("select * from usertable where gqwtx=false")));
    EXPECT_EQ(query.RecordCount(), 1);
    ASSERT_TRUE(RunQuery(&query, QStringLiteral("select * from userinfo where uisalart=true")));
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_TRUE(query.FieldByName(QStringLiteral("uisalart")).AsBoolean());
    EXPECT_FALSE(query.FieldByName(QStringLiteral("jnrtx")).AsBoolean());
}

TEST_F(AccountTest, QuotesInValuesAndNamesThatLookLikeColumns)
{
    const QStringList names = {QStringLiteral("A\"B"), QStringLiteral("uname"), QStringLiteral("O'Brien"),
                               QStringLiteral("x\" or \"1\"=\"1")};
    TADOQuery query(&connection);
    for (const QString &name : names)
        ASSERT_TRUE(RunQuery(&query, QStringLiteral("insert into userinfo (uname, nodetype) values (?, 2)"), {name}));
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(RunQuery(&query, QStringLiteral("select uname from userinfo where uname=?"), {name}));
        ASSERT_EQ(query.RecordCount(), 1);
        EXPECT_EQ(query.FieldByName(QStringLiteral("uname")).AsString(), name);
    }
}

TEST_F(AccountTest, DueRemindersFoundThroughJetFormat)
{
    TADOQuery query(&connection);
    const QVariantList rows[] = {
        {QStringLiteral("due"), QStringLiteral("2024-05-01 08:30:00"), false},
        {QStringLiteral("loose due"), QStringLiteral("2024-5-1 8:30"), false},
        {QStringLiteral("done"), QStringLiteral("2024-05-01 08:30:00"), true},
        {QStringLiteral("later"), QStringLiteral("2024-05-01 08:31:00"), false},
    };
    for (const QVariantList &row : rows)
        ASSERT_TRUE(RunQuery(&query, QStringLiteral("insert into usertable (title, alarmtime, gqwtx) values (?, ?, ?)"), row));
    const QString minute = QDateTime(QDate(2024, 5, 1), QTime(8, 30, 40)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    ASSERT_TRUE(RunQuery(&query,
                         QStringLiteral("select title from usertable where gqwtx=false and "
                                        "jetformat(alarmtime,'yyyy-mm-dd hh:mm')=? order by id"),
                         {minute}));
    QStringList titles;
    for (query.First(); !query.Eof(); query.Next())
        titles << query.Fields(0).AsString();
    EXPECT_EQ(titles, QStringList({"due", "loose due"}));
}

// ---- RunQuery -------------------------------------------------------------------------------

TEST_F(AccountTest, RunQueryOpensSelectsAndExecutesTheRest)
{
    connection.Db().Exec(QStringLiteral("INSERT INTO usermsg (username) VALUES ('owner')"));
    TADOQuery query(&connection);
    struct Case {
        const char *sql;
        bool result, active;
    };
    const std::vector<Case> cases = {
        {"   SELECT * from usermsg", true, true},
        {"\n\tselect count(*) from userinfo", true, true},
        {"update usermsg set field1 = 'x'", true, false},
        {"insert into userplaces (placename) values ('t')", true, false},
        {"select * form usermsg", false, false},
        {"select * from nosuchtable", false, false},
        {"update usermsg set nosuch = 1", false, false},
        {"   ", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(RunQuery(&query, QString::fromUtf8(c.sql)), c.result);
        EXPECT_EQ(query.Active(), c.active);
    }
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM usermsg WHERE field1 = 'x'")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userplaces")), 1);
}

TEST_F(AccountTest, RunQueryWithEmptyTextRerunsThePresentStatement)
{
    TADOQuery query(&connection);
    ASSERT_TRUE(RunQuery(&query, QStringLiteral("select * from userplaces where placename like ?"), {QStringLiteral("t%")}));
    EXPECT_EQ(query.RecordCount(), 0);
    connection.Db().Exec(QStringLiteral("INSERT INTO userplaces VALUES ('tag'), ('other')"));
    ASSERT_TRUE(RunQuery(&query, QString()));
    EXPECT_EQ(query.RecordCount(), 1);
    ASSERT_TRUE(RunQuery(&query, QString(), {QStringLiteral("o%")}));
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("other"));
}

TEST_F(AccountTest, RunQueryWithNothingToRunTouchesNothing)
{
    connection.Close();
    const QByteArray before = ReadAll(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    connection.Open();

    TADOQuery query(&connection);
    EXPECT_FALSE(RunQuery(&query, QString()));
    EXPECT_FALSE(query.Active());
    TADOQuery unconnected;
    EXPECT_FALSE(RunQuery(&unconnected, QStringLiteral("select * from usermsg")));
    EXPECT_FALSE(RunQuery(nullptr, QStringLiteral("select * from usermsg")));

    ASSERT_TRUE(RunQuery(&query, QStringLiteral("select * from usermsg")));
    connection.Close();
    EXPECT_FALSE(RunQuery(&query, QStringLiteral("insert into usermsg (username) values ('x')")));
    EXPECT_FALSE(RunQuery(&query, QString()));
    EXPECT_FALSE(query.Active());

    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}

// ---- compaction -----------------------------------------------------------------------------

TEST_F(AccountTest, CompactionShrinksAndKeepsEveryRow)
{
    {
        SQLite::Transaction transaction(connection.Db());
        SQLite::Statement insert(connection.Db(), QStringLiteral("INSERT INTO dbsxfile (rcid, filename, fileblob) VALUES (?, ?, ?)"));
        for (int i = 0; i < 40; ++i) {
            insert.Reset();
            insert.BindAll({i, QStringLiteral("附件%1.jpg").arg(i), QByteArray(64 * 1024, char(i))});
            insert.Exec();
        }
        transaction.Commit();
    }
    connection.Db().Exec(QStringLiteral("DELETE FROM dbsxfile WHERE rcid >= 4"));
    connection.Close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const qint64 before = QFileInfo(path).size();
    ASSERT_GT(before, 2 * 1024 * 1024);

    ASSERT_TRUE(CompactDatabase(path));
    const qint64 after = QFileInfo(path).size();
    EXPECT_LT(after, before - 2 * 1024 * 1024);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    EXPECT_EQ(FilesIn(dir), QStringList({QStringLiteral("张三.txl")}));

    connection.Open();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM dbsxfile WHERE rcid = ? AND filename = ? AND fileblob = ?"),
                        {i, QStringLiteral("附件%1.jpg").arg(i), QByteArray(64 * 1024, char(i))}),
                  1);
    }
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM dbsxfile")), 4);
}

TEST_F(AccountTest, InterruptedCompactionLeavesTheOriginal)
{
    connection.Db().Exec(QStringLiteral("INSERT INTO userinfo (uname) VALUES ('留下')"));
    connection.Close();
    const QByteArray original = ReadAll(path);
    {
        HookGuard hook([](const QString &from, const QString &) {
            QFile::resize(from, 1024);
            return false;
        });
        EXPECT_FALSE(CompactDatabase(path));
    }
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(FilesIn(dir), QStringList({QStringLiteral("张三.txl")}));
    connection.Open();
    EXPECT_EQ(Count(QStringLiteral("SELECT count(*) FROM userinfo WHERE uname = '留下'")), 1);
}

// Compacting at exit must not rewrite a damaged account into a sound-looking file without the
// damaged rows, nor touch one the user made read-only, nor a file that is no account.
TEST(CompactDatabase, DamagedReadOnlyMissingOrForeignFilesAreLeftAsTheyAre)
{
    const QString dir = MakeTempDir(QStringLiteral("compact-keep"));
    const QString damaged = dir + QStringLiteral("/damaged.txl");
    const QString readOnly = dir + QStringLiteral("/readonly.txl");
    for (const QString &path : {damaged, readOnly}) {
        ASSERT_TRUE(SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path));
        SQLite::Database db(path, SQLite::OpenReadWrite);
        for (int i = 0; i < 300; ++i)
            db.Exec(QStringLiteral("insert into userinfo(uname, ufz) values('x', '%1')").arg(QString(500, 'z')));
        db.Exec(QStringLiteral("delete from userinfo where keyid % 2 = 0"));
    }
    DamageDatabasePages(damaged);
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner));
    const QString text = dir + QStringLiteral("/notes.txl");
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'n'));
    }
    EXPECT_FALSE(CompactDatabase(dir + QStringLiteral("/missing.txl")));
    for (const QString &path : {damaged, readOnly, text}) {
        const QByteArray before = ReadAll(path);
        EXPECT_FALSE(CompactDatabase(path)) << path.toStdString();
        EXPECT_EQ(ReadAll(path), before) << path.toStdString();
    }
    EXPECT_EQ(FilesIn(dir), QStringList({QStringLiteral("damaged.txl"), QStringLiteral("notes.txl"), QStringLiteral("readonly.txl")}));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// ---- column names from settings ---------------------------------------------------------------

TEST(IsKnownColumn, OnlyColumnsOfTheSchema)
{
    struct Case {
        const char *table, *column;
        bool known;
    };
    const std::vector<Case> cases = {
        {"userinfo", "uname", true},       {"USERINFO", "Text57", true},   {"userinfo", "txdaystr", true},
        {"userinfo", "text58", false},     {"userinfo", "uname;drop table userinfo", false},
        {"userinfo", "", false},           {"usertable", "gqwtx", true},   {"usertable", "uname", false},
        {"nosuch", "uname", false},        {"sqlite_sequence", "name", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.column);
        EXPECT_EQ(IsKnownColumn(QString::fromUtf8(c.table), QString::fromUtf8(c.column)), c.known);
    }
}

} // namespace
