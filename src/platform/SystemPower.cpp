#include "SystemPower.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {

const QString LoginService = QStringLiteral("org.freedesktop.login1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString SessionInterface = QStringLiteral("org.freedesktop.login1.Session");

// A power request can wait on polkit and inhibitors; logind answers well within this.
constexpr int CallTimeoutMs = 25000;

ISystemPower *installed = nullptr;

} // namespace

TLogindPower::TLogindPower(const QString &connectionName) : connectionName_(connectionName) {}

bool TLogindPower::Call(const QString &path, const QString &interface, const QString &method,
                        const QVariantList &args, QVariant *result)
{
    QDBusConnection bus = connectionName_.isEmpty() ? QDBusConnection::systemBus() : QDBusConnection(connectionName_);
    if (!bus.isConnected()) {
        lastError_ = QStringLiteral("no D-Bus connection");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(LoginService, path, interface, method);
    call.setArguments(args);
    const QDBusMessage reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        lastError_ = reply.errorName() + ": " + reply.errorMessage();
        return false;
    }
    if (result && !reply.arguments().isEmpty())
        *result = reply.arguments().constFirst();
    lastError_.clear();
    return true;
}

bool TLogindPower::Exit(TPowerAction action)
{
    // Not interactive: a timed action runs with nobody at the screen to answer a password prompt.
    switch (action) {
    case TPowerAction::PowerOff:
        return Call(ManagerPath, ManagerInterface, QStringLiteral("PowerOff"), {false});
    case TPowerAction::Reboot:
        return Call(ManagerPath, ManagerInterface, QStringLiteral("Reboot"), {false});
    case TPowerAction::LogOff: {
        QVariant session;
        const auto pid = quint32(QCoreApplication::applicationPid());
        if (!Call(ManagerPath, ManagerInterface, QStringLiteral("GetSessionByPID"), {pid}, &session))
            return false;
        const QString path = session.value<QDBusObjectPath>().path();
        if (path.isEmpty()) {
            lastError_ = QStringLiteral("no session for this process");
            return false;
        }
        return Call(path, SessionInterface, QStringLiteral("Terminate"), {});
    }
    }
    return false;
}

ISystemPower &SystemPower()
{
    if (installed)
        return *installed;
    static TLogindPower logind;
    return logind;
}

void SetSystemPower(ISystemPower *power)
{
    installed = power;
}
