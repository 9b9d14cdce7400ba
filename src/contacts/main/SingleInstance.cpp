#include "main/SingleInstance.h"

#include "platform/AppPaths.h"
#include "platform/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using TLock = TSingleInstance::TLock;

TLock LockDescriptor(int fd)
{
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return TLock::Held;
    return errno == EWOULDBLOCK ? TLock::HeldElsewhere : TLock::Unavailable;
}

// Opens `path` (with `flags`) and locks it; the descriptor goes to `fd` only when it is held.
TLock OpenAndLock(const QString &path, int flags, int &fd)
{
    const int opened = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0600);
    if (opened < 0)
        return TLock::Unavailable;
    const TLock result = LockDescriptor(opened);
    if (result == TLock::Held)
        fd = opened;
    else
        ::close(opened);
    return result;
}

} // namespace

TSingleInstance::~TSingleInstance()
{
    Release();
}

void TSingleInstance::Release()
{
    for (int *fd : {&fileFd_, &folderFd_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

TSingleInstance::TLock TSingleInstance::Acquire(const QString &lockPath)
{
    if (Held())
        return TLock::Held;
    const QString folder = QFileInfo(lockPath).absolutePath();
    EnsureDir(folder);
    TLock result = OpenAndLock(folder, O_RDONLY | O_DIRECTORY, folderFd_);
    if (result == TLock::Held)
        result = OpenAndLock(lockPath, O_RDWR | O_CREAT, fileFd_);
    if (result != TLock::Held)
        Release();
    return result;
}

QString TSingleInstance::DefaultLockPath()
{
    return AppDir() + QStringLiteral("orvanta.lock");
}

bool StartAsOnlyInstance(TSingleInstance &instance, const QString &lockPath)
{
    switch (instance.Acquire(lockPath)) {
    case TSingleInstance::TLock::Held:
        return true;
    case TSingleInstance::TLock::HeldElsewhere:
        ShowMessage(QStringLiteral("程序已经运行..."), QStringLiteral("提示"), MsgIcon::Stop);
        return false;
    case TSingleInstance::TLock::Unavailable:
        break;
    }
    ShowMessage(QStringLiteral("无法锁定数据文件夹，程序不能启动！\r\n") + lockPath, QStringLiteral("提示"), MsgIcon::Stop);
    return false;
}
