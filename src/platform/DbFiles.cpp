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

bool RealReplaceFile(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    // The rename lives in the folder's entry list; without this a power cut may bring back the old name.
    SyncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace

QString CreateTempFileBeside(const QString &target, const QString &prefix)
{
    QTemporaryFile file(QFileInfo(target).absolutePath() + '/' + prefix + QStringLiteral("XXXXXX.tmp"));
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
    if (Hook())
        return Hook()(from, to);
    return RealReplaceFile(from, to);
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
