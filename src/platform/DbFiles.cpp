#include "DbFiles.h"

#include "SqliteDb.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

ReplaceFileFn &Hook()
{
    static ReplaceFileFn hook;
    return hook;
}

bool SyncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The file a path stands for: an existing path through its symbolic links, so a replacement
// lands on the real file and the link survives; a path to nothing stays as it is.
QString RealFilePath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

// A file is replaced only while no connection has it open (callers close theirs first). A
// journal, WAL or shared-memory file of the target is then left over from a crash and belongs to
// the old contents; SQLite would play it into the new file, so it goes before the new file takes
// the name. A leftover that cannot be removed stops the replacement. Locks could not tell an open
// file from a closed one anyway: a connection in rollback mode holds none between transactions.
bool RealReplaceFile(const QString &from, const QString &to)
{
    const QFileInfo target(to);
    if (target.exists() && !QFile::setPermissions(from, target.permissions()))
        return false;
    if (!RemoveDatabaseSidecars(to))
        return false;
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    // The rename lives in the folder's entry list; without this a power cut may bring back the old name.
    SyncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace

QString CreateTempFileBeside(const QString &target, const QString &prefix)
{
    QTemporaryFile file(QFileInfo(RealFilePath(target)).absolutePath() + '/' + prefix + QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

bool SyncFile(const QString &path)
{
    return SyncPath(path, O_RDONLY);
}

bool ReplaceFile(const QString &from, const QString &to)
{
    const QString real = RealFilePath(to);
    if (Hook())
        return Hook()(from, real);
    return RealReplaceFile(from, real);
}

bool RemoveDatabaseSidecars(const QString &path)
{
    bool gone = true;
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        const QString sidecar = path + QLatin1String(suffix);
        if (QFileInfo(sidecar).isSymLink() || QFileInfo::exists(sidecar))
            gone = QFile::remove(sidecar) && gone;
    }
    return gone;
}

bool DeleteDatabaseFile(const QString &path)
{
    // The file goes first: a leftover that outlives it is removed by whatever takes the name next.
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return false;
    return RemoveDatabaseSidecars(path);
}

void SetReplaceFileHook(ReplaceFileFn hook)
{
    Hook() = std::move(hook);
}

bool BackupDatabase(SQLite::Database &source, const QString &target)
{
    const QString temp = CreateTempFileBeside(target, QStringLiteral("~BK"));
    if (temp.isEmpty())
        return false;
    try {
        source.BackupTo(temp);
    } catch (const EDatabaseError &e) {
        qWarning().noquote() << "backup failed:" << e.Message();
        QFile::remove(temp);
        return false;
    }
    if (!SyncFile(temp) || !ReplaceFile(temp, target)) {
        QFile::remove(temp);
        return false;
    }
    return true;
}
