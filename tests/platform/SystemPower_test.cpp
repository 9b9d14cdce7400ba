// The logind service against a stand-in login manager on a private message bus, never the
// system's: these tests cannot end the machine or the session.
#include "platform/SystemPower.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDBusObjectPath>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Stands in for the login manager and the caller's session, logging each call as
// "<last part of the path> <interface> <method> <arguments>".
class FakeLogin : public QDBusVirtualObject
{
public:
    bool refuseReboot = false;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &call, const QDBusConnection &bus) override
    {
        QStringList words{call.path().section('/', -1), call.interface().section('.', -1), call.member()};
        for (const QVariant &argument : call.arguments())
            words << argument.toString();
        Log(words.join(' '));
        if (call.member() == "GetSessionByPID")
            return bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(SessionPath))));
        if (refuseReboot && call.member() == "Reboot")
            return bus.send(call.createErrorReply("org.freedesktop.DBus.Error.AccessDenied", "not allowed"));
        return bus.send(call.createReply());
    }
    // Written on the service's thread, read on the test's.
    void Log(const QString &call)
    {
        QMutexLocker lock(&mutex_);
        calls_ << call;
    }
    QStringList Calls()
    {
        QMutexLocker lock(&mutex_);
        return calls_;
    }
    static inline const QString SessionPath = QStringLiteral("/org/freedesktop/login1/session/_37");

private:
    QMutex mutex_;
    QStringList calls_;
};

class LogindPower : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!bus_.waitForStarted(5000) || !bus_.waitForReadyRead(5000))
            GTEST_SKIP() << "no private message bus";
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
        // The login manager answers from its own thread, as a separate process would, while the
        // caller blocks.
        thread_.start();
        login_.moveToThread(&thread_);
        QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("login1"));
        ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &login_));
        ASSERT_TRUE(service.registerVirtualObject(FakeLogin::SessionPath, &login_));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.login1")));
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("login1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
        thread_.quit();
        thread_.wait();
    }

    QProcess bus_;
    QString address_;
    QThread thread_;
    FakeLogin login_;
};

} // namespace

TEST_F(LogindPower, EachActionReachesTheLoginManagerAndRefusalsFail)
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const struct { TPowerAction action; QStringList calls; } cases[] = {
        {TPowerAction::PowerOff, {"login1 Manager PowerOff false"}},
        {TPowerAction::Reboot, {"login1 Manager Reboot false"}},
        {TPowerAction::LogOff, {"login1 Manager GetSessionByPID " + pid, "_37 Session Terminate"}},
    };
    TLogindPower power(QDBusConnection::connectToBus(address_, QStringLiteral("caller")).name());
    QStringList expected;
    for (const auto &c : cases) {
        EXPECT_TRUE(power.Exit(c.action)) << power.LastError().toStdString();
        expected << c.calls;
        EXPECT_EQ(login_.Calls(), expected);
    }
    login_.refuseReboot = true;
    EXPECT_FALSE(power.Exit(TPowerAction::Reboot));
    EXPECT_TRUE(power.LastError().contains(QStringLiteral("AccessDenied"))) << power.LastError().toStdString();
    // No login manager on the bus at all.
    QDBusConnection::connectToBus(address_, QStringLiteral("login1"))
        .unregisterService(QStringLiteral("org.freedesktop.login1"));
    expected << "login1 Manager Reboot false";
    EXPECT_FALSE(power.Exit(TPowerAction::PowerOff));
    EXPECT_FALSE(power.Exit(TPowerAction::LogOff));
    EXPECT_EQ(login_.Calls(), expected);
}
