#include "main/SingleInstance.h"

#include "platform/AppPaths.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TSingleInstance::~TSingleInstance()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool TSingleInstance::Acquire(const QString &lockPath)
{
    if (fd_ >= 0)
        return true;
    EnsureDir(QFileInfo(lockPath).absolutePath());
    const QByteArray path = QFile::encodeName(lockPath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    fd_ = fd;
    return true;
}

QString TSingleInstance::DefaultLockPath()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")).trimmed();
    const QString folder = runtime.isEmpty() ? AppDir() : QDir::cleanPath(runtime) + '/';
    return folder + QStringLiteral("orvanta.lock");
}

bool StartAsOnlyInstance(TSingleInstance &instance, const QString &lockPath)
{
    if (instance.Acquire(lockPath))
        return true;
    ShowMessage(QStringLiteral("程序已经运行..."), QStringLiteral("提示"), MsgIcon::Stop);
    return false;
}
