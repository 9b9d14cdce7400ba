#pragma once
// A desktop of its own for an accessibility check: an X server, a private session bus and the
// accessibility bus it starts on demand, so that runs side by side never meet. A program is
// started on it with Environment(), a python3-pyatspi client with RunClient().
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/prctl.h>

// A process of the test, ended by its own id when the test ends, and by the system should the
// test die first.
struct TChild {
    TChild() { Process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); }); }
    QProcess Process;
    ~TChild()
    {
        if (Process.state() == QProcess::NotRunning)
            return;
        // Asked first, so that the X server removes its lock and socket.
        Process.terminate();
        if (!Process.waitForFinished(5000))
            Process.kill(), Process.waitForFinished(5000);
    }
    // Reads standard output until a line holds Text; false after the time is up.
    bool WaitForLine(const QString &Text, QString &Output, int Ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (!Output.split(QLatin1Char('\n')).contains(Text)) {
            if (t.elapsed() > Ms || !Process.waitForReadyRead(int(Ms - t.elapsed())))
                return false;
            Output += QString::fromUtf8(Process.readAllStandardOutput());
        }
        return true;
    }
    // The first line the process prints.
    QString FirstLine()
    {
        QString out;
        while (!out.contains(QLatin1Char('\n')) && Process.waitForReadyRead(10000))
            out += QString::fromUtf8(Process.readAllStandardOutput());
        return out.section(QLatin1Char('\n'), 0, 0).trimmed();
    }
};

class TAtspiSession
{
public:
    // Fails the calling test (ASSERT) when a piece does not start.
    void Start()
    {
        ASSERT_TRUE(runtime_.isValid());
        x_.Process.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(x_.Process.waitForStarted(10000)) << "Xvfb is not installed";
        display_ = x_.FirstLine();
        ASSERT_FALSE(display_.isEmpty());

        QProcessEnvironment busEnv = QProcessEnvironment::systemEnvironment();
        busEnv.remove(QStringLiteral("DISPLAY"));
        busEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        bus_.Process.setProcessEnvironment(busEnv);
        bus_.Process.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus_.Process.waitForStarted(10000)) << "dbus-daemon is not installed";
        address_ = bus_.FirstLine();
        ASSERT_FALSE(address_.isEmpty());
        {
            QDBusConnection c = QDBusConnection::connectToBus(address_, QStringLiteral("atspi-session"));
            const QDBusReply<QString> reply = c.call(
                QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"),
                QDBus::Block, 20000);
            a11yAddress_ = reply.value();
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("atspi-session"));
        ASSERT_FALSE(a11yAddress_.isEmpty()) << "the accessibility bus did not start (at-spi2-core)";
    }

    QString Folder() const { return runtime_.path(); }

    // For the program under test: the display, the session bus, accessibility always on.
    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + display_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        return env;
    }

    // Runs tests/common/x11/atspi_client.py with `arguments`; its exit code and output. The
    // program finds the accessibility bus through the session bus; the client is handed its
    // address, which Qt would miss.
    int RunClient(const QStringList &arguments, QString &output) const
    {
        TChild client;
        QProcessEnvironment env = Environment();
        env.insert(QStringLiteral("AT_SPI_BUS_ADDRESS"), a11yAddress_);
        client.Process.setProcessEnvironment(env);
        client.Process.setProcessChannelMode(QProcess::MergedChannels);
        client.Process.start(QStringLiteral("/usr/bin/python3"),
                             QStringList{QStringLiteral(ORV_TEST_SOURCE_DIR "/common/x11/atspi_client.py")} + arguments);
        if (!client.Process.waitForFinished(120000))
            return -1;
        output = QString::fromUtf8(client.Process.readAll());
        return client.Process.exitCode();
    }

private:
    QTemporaryDir runtime_;
    TChild x_;
    TChild bus_;
    QString display_;
    QString address_;
    QString a11yAddress_;
};
