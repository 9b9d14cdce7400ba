#include "FileTestSupport.h"
#include "TestSupport.h"
#include "platform/DbFiles.h"

namespace {

// Restores the real mover even when a check fails.
struct HookGuard {
    explicit HookGuard(ReplaceFileFn hook) { SetReplaceFileHook(std::move(hook)); }
    ~HookGuard() { SetReplaceFileHook({}); }
};

TEST(DbFiles, BackupIsAConsistentCopyAndAnInterruptedOneLeavesTheTargetAndNoLeftovers)
{
    const QString dir = MakeTempDir("dbfiles-backup");
    CreateAccountFile(dir + "/live.txl");
    SQLite::Database db(dir + "/live.txl", SQLite::OpenReadWrite);
    db.Exec("INSERT INTO userinfo (uname, nodetype) VALUES ('李四', 2)");
    const QString target = dir + "/copy.txl";
    WriteAll(target, "previous backup");
    const auto unchanged = [&] {
        EXPECT_EQ(ReadAll(target), QByteArray("previous backup"));
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList({"copy.txl", "live.txl"}));
    };
    {
        // The mover damages the half-done copy and then fails, as a crash between the two would.
        HookGuard hook([](const QString &from, const QString &) {
            QFile::resize(from, 100);
            return false;
        });
        EXPECT_FALSE(BackupDatabase(db, target));
    }
    unchanged();
    // Mid-change on the same connection, and into a folder that does not exist.
    {
        SQLite::Transaction transaction(db);
        db.Exec("INSERT INTO usermsg (username) VALUES ('x')");
        EXPECT_FALSE(BackupDatabase(db, target));
    }
    EXPECT_FALSE(BackupDatabase(db, dir + "/missing/copy.txl"));
    unchanged();
    ASSERT_TRUE(BackupDatabase(db, target));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList({"copy.txl", "live.txl"}));
    SQLite::Database copy(target, SQLite::OpenReadOnly);
    EXPECT_EQ(CountRows(copy, "SELECT count(*) FROM userinfo WHERE uname = '李四'"), 1);
}

TEST(DbFiles, ReplacementLandsOnTheRealFileWithItsPermissions)
{
    const QString dir = MakeTempDir("dbfiles-link");
    ASSERT_TRUE(QDir(dir).mkpath("real") && QDir(dir).mkpath("links"));
    const QString real = dir + "/real/acct.txl";
    const QString link = dir + "/links/acct.txl";
    ASSERT_TRUE(QFile::link(real, link));
    const QFile::Permissions kept = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    const QFile::Permissions checked = QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::WriteGroup |
                                       QFile::ReadOther | QFile::WriteOther;
    for (const QString &target : {real, link}) {
        SCOPED_TRACE(target.toStdString());
        WriteAll(real, "old");
        ASSERT_TRUE(QFile::setPermissions(real, kept));
        const QString temp = CreateTempFileBeside(target, "~t");
        // Beside the real file, so the move stays within one file system.
        EXPECT_EQ(QFileInfo(temp).absolutePath(), dir + "/real");
        WriteAll(temp, "new");
        ASSERT_TRUE(ReplaceFile(temp, target));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(ReadAll(real), QByteArray("new"));
        EXPECT_EQ(QFileInfo(real).permissions() & checked, kept & checked);
        EXPECT_EQ(QDir(dir + "/real").entryList(QDir::Files), QStringList({"acct.txl"}));
        EXPECT_EQ(QDir(dir + "/links").entryList(QDir::Files | QDir::System), QStringList({"acct.txl"}));
    }
    // Nothing to move: the target stays.
    EXPECT_FALSE(ReplaceFile(dir + "/real/gone", real));
    EXPECT_EQ(ReadAll(real), QByteArray("new"));
}

// A rollback journal as a crash in the middle of a write leaves it: taken while a transaction too
// big for the page cache had already written into the file.
QByteArray HotJournalOf(const QString &path)
{
    SQLite::Database db(path, SQLite::OpenReadWrite);
    db.Exec("PRAGMA cache_size = 10; BEGIN");
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
            "INSERT INTO userinfo (uname, nodetype) SELECT hex(randomblob(1000)), 2 FROM n");
    const QByteArray journal = ReadAll(path + QStringLiteral("-journal"));
    db.Exec(QStringLiteral("ROLLBACK"));
    return journal;
}

TEST(DbFiles, JournalsLeftBesideTheOldFileDoNotReachTheNewOne)
{
    const QString dir = MakeTempDir(QStringLiteral("dbfiles-journal"));
    const QString target = dir + QStringLiteral("/acct.txl");
    CreateAccountFile(target);
    SQLite::Database(target, SQLite::OpenReadWrite).Exec("INSERT INTO userinfo (uname) VALUES ('旧')");
    const QByteArray journal = HotJournalOf(target);
    ASSERT_FALSE(journal.isEmpty());
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        SCOPED_TRACE(suffix);
        const QString sidecar = target + QLatin1String(suffix);
        WriteAll(sidecar, QByteArray(suffix) == "-journal" ? journal : QByteArray(4096, 'x'));
        const QString replacement = dir + QStringLiteral("/new.tmp");
        CreateAccountFile(replacement);
        SQLite::Database(replacement, SQLite::OpenReadWrite).Exec("INSERT INTO userinfo (uname) VALUES ('新')");
        ASSERT_TRUE(ReplaceFile(replacement, target));
        EXPECT_FALSE(QFileInfo::exists(sidecar));
        // Opened for writing, as the program opens accounts: a journal beside it is played back now.
        SQLite::Database db(target, SQLite::OpenReadWrite);
        EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM userinfo WHERE uname = '新'")), 1);
        EXPECT_EQ(CountRows(db, QStringLiteral("SELECT count(*) FROM userinfo")), 1);
    }
}

} // namespace
