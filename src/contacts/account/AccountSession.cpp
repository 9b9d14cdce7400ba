#include "account/AccountSession.h"

#include "shared/AppGlobals.h"

#include "platform/ADODB.h"
#include "shared/Utility.h"

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

TAccountSession &CurrentAccount()
{
    static TAccountSession session;
    return session;
}
