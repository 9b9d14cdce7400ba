#include "DbTestSupport.h"
#include "TestSupport.h"
#include "platform/DbFiles.h"

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

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Restores the real mover even when a check fails.
struct HookGuard {
    explicit HookGuard(ReplaceFileFn hook) { SetReplaceFileHook(std::move(hook)); }
    ~HookGuard() { SetReplaceFileHook({}); }
};

TEST(DbFiles, ReplaceMovesOverTheOldFile)
{
    const QString dir = MakeTempDir(QStringLiteral("dbfiles-replace"));
    WriteAll(dir + QStringLiteral("/old"), "old");
    WriteAll(dir + QStringLiteral("/new"), "new");
    ASSERT_TRUE(ReplaceFile(dir + QStringLiteral("/new"), dir + QStringLiteral("/old")));
    EXPECT_EQ(ReadAll(dir + QStringLiteral("/old")), QByteArray("new"));
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/new")));
    EXPECT_FALSE(ReplaceFile(dir + QStringLiteral("/gone"), dir + QStringLiteral("/old")));
    EXPECT_EQ(ReadAll(dir + QStringLiteral("/old")), QByteArray("new"));
}

TEST(DbFiles, BackupOfLiveDatabaseIsAConsistentCopy)
{
    const QString dir = MakeTempDir(QStringLiteral("dbfiles-backup"));
    const QString source = dir + QStringLiteral("/live.txl");
    CreateAccountFile(source);
    SQLite::Database db(source, SQLite::OpenReadWrite);
    db.Exec(QStringLiteral("INSERT INTO userinfo (uname, nodetype) VALUES ('李四', 2)"));
    const QString target = dir + QStringLiteral("/backup/copy.txl");
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/backup")));
    WriteAll(target, "an older copy");

    ASSERT_TRUE(BackupDatabase(db, target));
    SQLite::Database copy(target, SQLite::OpenReadOnly);
    EXPECT_EQ(CountRows(copy, QStringLiteral("SELECT count(*) FROM userinfo WHERE uname = '李四'")), 1);
    EXPECT_EQ(QDir(dir + QStringLiteral("/backup")).entryList(QDir::Files), QStringList({"copy.txl"}));
}

TEST(DbFiles, InterruptedBackupLeavesTheTargetAndNoLeftovers)
{
    const QString dir = MakeTempDir(QStringLiteral("dbfiles-backup-fail"));
    const QString source = dir + QStringLiteral("/live.txl");
    CreateAccountFile(source);
    SQLite::Database db(source, SQLite::OpenReadWrite);
    const QString target = dir + QStringLiteral("/copy.txl");
    WriteAll(target, "previous backup");

    {
        // The mover damages the half-done copy and then fails, as a crash between the two would.
        HookGuard hook([](const QString &from, const QString &) {
            QFile::resize(from, 100);
            return false;
        });
        EXPECT_FALSE(BackupDatabase(db, target));
    }
    EXPECT_EQ(ReadAll(target), QByteArray("previous backup"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList({"copy.txl", "live.txl"}));

    // Mid-change on the same connection, and into a folder that does not exist.
    {
        SQLite::Transaction transaction(db);
        db.Exec(QStringLiteral("INSERT INTO usermsg (username) VALUES ('x')"));
        EXPECT_FALSE(BackupDatabase(db, target));
    }
    EXPECT_FALSE(BackupDatabase(db, dir + QStringLiteral("/missing/copy.txl")));
    EXPECT_EQ(ReadAll(target), QByteArray("previous backup"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList({"copy.txl", "live.txl"}));
}

} // namespace
