// A real accessibility client, in a process of its own, reads the demonstration form's menu bar,
// toolbar and an open popup menu through the AT-SPI bus, opens the menu through its default
// action and runs one of its items the same way.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/prctl.h>

namespace {

// A process of the test, ended by its own id when the test ends, and by the system should the
// test die first.
struct TChild {
    TChild()
    {
        Process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    }
    QProcess Process;
    ~TChild()
    {
        if (Process.state() == QProcess::NotRunning)
            return;
        // Asked first, so that the X server removes its lock and socket.
        Process.terminate();
        if (!Process.waitForFinished(5000)) {
            Process.kill();
            Process.waitForFinished(5000);
        }
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
};

TEST(TBAccAtspi, ClientReadsTheMenusAndDrivesThemThroughDefaultActions)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    // An X server of its own: the demonstration form takes the focus, which must not disturb
    // the other tests that share the test run's display.
    TChild x;
    x.Process.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    ASSERT_TRUE(x.Process.waitForStarted(10000)) << "Xvfb is not installed";
    QString displayNumber;
    while (!displayNumber.contains(QLatin1Char('\n')) && x.Process.waitForReadyRead(10000))
        displayNumber += QString::fromUtf8(x.Process.readAllStandardOutput());
    ASSERT_FALSE(displayNumber.trimmed().isEmpty());

    // A private session bus. The accessibility bus it starts on demand keeps its socket in the
    // test's folder and stays off the display, so runs side by side never meet.
    QProcessEnvironment busEnv = QProcessEnvironment::systemEnvironment();
    busEnv.remove(QStringLiteral("DISPLAY"));
    busEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    TChild bus;
    bus.Process.setProcessEnvironment(busEnv);
    bus.Process.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.Process.waitForStarted(10000)) << "dbus-daemon is not installed";
    QString busOutput;
    while (!busOutput.contains(QLatin1Char('\n')) && bus.Process.waitForReadyRead(10000))
        busOutput += QString::fromUtf8(bus.Process.readAllStandardOutput());
    const QString address = busOutput.section(QLatin1Char('\n'), 0, 0).trimmed();
    ASSERT_FALSE(address.isEmpty());

    QString a11yAddress;
    {
        QDBusConnection c = QDBusConnection::connectToBus(address, QStringLiteral("tb2acc"));
        const QDBusReply<QString> reply =
            c.call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"),
                   QDBus::Block, 20000);
        a11yAddress = reply.value();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("tb2acc"));
    ASSERT_FALSE(a11yAddress.isEmpty()) << "the accessibility bus did not start (at-spi2-core)";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + displayNumber.trimmed());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    TChild demo;
    demo.Process.setProcessEnvironment(env);
    demo.Process.start(QStringLiteral(ORV_TB2ACC_DEMO), {});
    QString demoOutput;
    ASSERT_TRUE(demo.WaitForLine(QStringLiteral("ready"), demoOutput)) << demoOutput.toStdString();

    // The program finds the accessibility bus through the session bus; Qt misses the bus when
    // handed its address directly.
    TChild client;
    env.insert(QStringLiteral("AT_SPI_BUS_ADDRESS"), a11yAddress);
    client.Process.setProcessEnvironment(env);
    client.Process.setProcessChannelMode(QProcess::MergedChannels);
    client.Process.start(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral(ORV_TEST_SOURCE_DIR "/toolbar/x11/atspi/tb2acc_client.py")});
    ASSERT_TRUE(client.Process.waitForFinished(120000));
    const QString out = QString::fromUtf8(client.Process.readAll());
    EXPECT_EQ(client.Process.exitCode(), 0) << out.toStdString();
    EXPECT_EQ(out.toStdString(),
              "menu bar '菜单'\n"
              "  menu item 'File' focusable actions=Open,SetFocus key=Alt+f\n"
              "  menu item 'Help' focusable actions=Execute,SetFocus key=Alt+h\n"
              "tool bar '工具'\n"
              "  push button 'New' focusable actions=Press,SetFocus\n"
              "  separator '' focusable disabled actions=SetFocus\n"
              "  push button 'Print' checked focusable actions=Press,SetFocus\n"
              "menu item 'File' focused focusable actions=Close,SetFocus key=Alt+f\n"
              "  popup menu 'File'\n"
              "    menu item 'Open\\tCtrl+O' focused focusable actions=Execute,SetFocus key=o\n"
              "    menu item 'Save' focusable disabled actions=SetFocus key=s\n"
              "closed\n");
    EXPECT_TRUE(demo.WaitForLine(QStringLiteral("clicked &Open\tCtrl+O"), demoOutput)) << demoOutput.toStdString();
}

} // namespace
