#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString WithSlash(QString path)
{
    if (!path.endsWith('/'))
        path += '/';
    return path;
}

QString EnvPath(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name)).trimmed();
}

} // namespace

QString AppDir()
{
    const QString home = EnvPath("ORVANTA_HOME");
    if (!home.isEmpty())
        return WithSlash(QDir::cleanPath(home));
    QString data = EnvPath("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + "/.local/share";
    return WithSlash(QDir::cleanPath(data) + "/orvanta");
}

QString ConfigHome()
{
    QString config = EnvPath("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    return QDir::cleanPath(config);
}

QString ProgramPath()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty())
        return path;
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString ResourcePath(const QString &relative)
{
    const QString exeDir = QFileInfo(ProgramPath()).absolutePath();
    const QStringList candidates = {exeDir + '/' + relative,
                                    exeDir + "/../share/orvanta/" + relative};
    for (const QString &candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return {};
}

bool EnsureDir(const QString &path)
{
    return QDir().mkpath(path);
}
