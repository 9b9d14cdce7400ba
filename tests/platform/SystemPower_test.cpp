// The logind service against a stand-in login manager on a private message bus, never the
// system's: these tests cannot end the machine or the session.
#include "platform/SystemPower.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class CallLog
{
public:
    void Add(const QString &call)
    {
        QMutexLocker lock(&mutex_);
        calls_ << call;
    }
    QStringList Calls()
    {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

private:
    QMutex mutex_;
    QStringList calls_;
};

class FakeManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    explicit FakeManager(CallLog *log) : log_(log) {}
    bool refuseReboot = false;

public slots:
    void PowerOff(bool interactive) { log_->Add(QStringLiteral("PowerOff %1").arg(interactive)); }
    void Reboot(bool interactive)
    {
        log_->Add(QStringLiteral("Reboot %1").arg(interactive));
        if (refuseReboot)
            sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("not allowed"));
    }
    QDBusObjectPath GetSessionByPID(uint pid)
    {
        log_->Add(QStringLiteral("GetSessionByPID %1").arg(pid));
        return QDBusObjectPath(QStringLiteral("/org/freedesktop/login1/session/_37"));
    }

private:
    CallLog *log_;
};

class FakeSession : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public:
    explicit FakeSession(CallLog *log) : log_(log) {}

public slots:
    void Terminate() { log_->Add(QStringLiteral("Terminate")); }

private:
    CallLog *log_;
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
        manager_ = new FakeManager(&log_);
        session_ = new FakeSession(&log_);
        manager_->moveToThread(&thread_);
        session_->moveToThread(&thread_);
        QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("login1"));
        ASSERT_TRUE(service.isConnected());
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/login1"), manager_,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/login1/session/_37"), session_,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.login1")));
    }

    void TearDown() override
    {
        if (!address_.isEmpty()) {
            QDBusConnection::disconnectFromBus(QStringLiteral("login1"));
            QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
        }
        if (thread_.isRunning()) {
            thread_.quit();
            thread_.wait();
        }
        delete manager_;
        delete session_;
        if (bus_.state() != QProcess::NotRunning) {
            bus_.kill();
            bus_.waitForFinished(5000);
        }
    }

    QString Caller() { return QDBusConnection::connectToBus(address_, QStringLiteral("caller")).name(); }

    QProcess bus_;
    QString address_;
    QThread thread_;
    CallLog log_;
    FakeManager *manager_ = nullptr;
    FakeSession *session_ = nullptr;
};

} // namespace

TEST_F(LogindPower, EachActionReachesTheLoginManagerAndARefusalFails)
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    struct Case { TPowerAction action; QStringList calls; };
    const Case cases[] = {
        {TPowerAction::PowerOff, {"PowerOff 0"}}, {TPowerAction::Reboot, {"Reboot 0"}},
        {TPowerAction::LogOff, {"GetSessionByPID " + pid, "Terminate"}},
    };
    TLogindPower power(Caller());
    QStringList expected;
    for (const Case &c : cases) {
        EXPECT_TRUE(power.Exit(c.action)) << power.LastError().toStdString();
        expected << c.calls;
        EXPECT_EQ(log_.Calls(), expected);
    }
    // A refusal is reported as failure.
    manager_->refuseReboot = true;
    EXPECT_FALSE(power.Exit(TPowerAction::Reboot));
    EXPECT_TRUE(power.LastError().contains(QStringLiteral("AccessDenied"))) << power.LastError().toStdString();
}

TEST_F(LogindPower, NoLoginManagerOnTheBusFails)
{
    QDBusConnection::connectToBus(address_, QStringLiteral("login1")).unregisterService(QStringLiteral("org.freedesktop.login1"));
    TLogindPower power(Caller());
    EXPECT_FALSE(power.Exit(TPowerAction::PowerOff));
    EXPECT_FALSE(power.Exit(TPowerAction::LogOff));
    EXPECT_TRUE(log_.Calls().isEmpty());
}

#include "SystemPower_test.moc"
