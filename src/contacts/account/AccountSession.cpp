#include "account/AccountSession.h"

#include "shared/AppGlobals.h"

#include "platform/ADODB.h"
#include "shared/Utility.h"

#include <QDir>
#include <QFileInfo>

bool TAccountSession::IsOpen() const
{
    return !path_.isEmpty() && connection_ && connection_->Connected();
}

void TAccountSession::Switch(const QString &path, bool isProtected, const QString &cipher)
{
    if (path != path_)
        RegWriteString(2, OrvRegistryKey, QStringLiteral("txlfile"), path);
    path_ = path;
    protected_ = isProtected;
    cipher_ = cipher;
}

void TAccountSession::Remember(const QString &path)
{
    path_ = path;
}

void TAccountSession::Forget()
{
    path_.clear();
    protected_ = false;
    cipher_.clear();
}

void TAccountSession::SetPassword(const QString &cipher)
{
    cipher_ = cipher;
    protected_ = !cipher.isEmpty();
}

bool TAccountSession::IsAccountFile(const QString &path) const
{
    if (path.isEmpty() || path_.isEmpty())
        return false;
    const QFileInfo candidate(path);
    const QFileInfo open(path_);
    const QString a = candidate.canonicalFilePath();
    const QString b = open.canonicalFilePath();
    if (!a.isEmpty() && !b.isEmpty())
        return a == b;
    return QDir::cleanPath(candidate.absoluteFilePath()) == QDir::cleanPath(open.absoluteFilePath());
}

TAccountSession &CurrentAccount()
{
    static TAccountSession session;
    return session;
}
