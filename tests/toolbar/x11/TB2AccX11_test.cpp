// A real accessibility client, in a process of its own, reads the demonstration form's menu bar,
// toolbar and an open popup menu through the AT-SPI bus, opens the menu through its default
// action and runs one of its items the same way.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
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
    // The next line the process prints; what came so far when no whole line comes in time.
    QString NextLine(int Ms = 20000)
    {
        while (!Buffer.contains(QLatin1Char('\n')) && Process.waitForReadyRead(Ms))
            Buffer += QString::fromUtf8(Process.readAllStandardOutput());
        const QString line = Buffer.section(QLatin1Char('\n'), 0, 0);
        Buffer = Buffer.section(QLatin1Char('\n'), 1);
        return line.trimmed();
    }
    QString Buffer;
};

TEST(TBAccAtspi, ClientReadsTheMenusAndDrivesThemThroughDefaultActions)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    // An X server of its own: the demonstration form takes the focus, which must not disturb
    // the other tests that share the test run's display.
    TChild x;
    x.Process.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    const QString displayNumber = x.NextLine(10000);
    ASSERT_FALSE(displayNumber.isEmpty()) << "Xvfb did not start";

    // A private session bus. The accessibility bus it starts on demand keeps its socket in the
    // test's folder and stays off the display, so runs side by side never meet.
    QProcessEnvironment busEnv = QProcessEnvironment::systemEnvironment();
    busEnv.remove(QStringLiteral("DISPLAY"));
    busEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    TChild bus;
    bus.Process.setProcessEnvironment(busEnv);
    bus.Process.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    const QString address = bus.NextLine(10000);
    ASSERT_FALSE(address.isEmpty()) << "dbus-daemon did not start";

    QString a11yAddress;
    {
        const QDBusMessage ask =
            QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress");
        QDBusConnection session = QDBusConnection::connectToBus(address, QStringLiteral("tb2acc"));
        a11yAddress = QDBusReply<QString>(session.call(ask, QDBus::Block, 20000)).value();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("tb2acc"));
    ASSERT_FALSE(a11yAddress.isEmpty()) << "the accessibility bus did not start (at-spi2-core)";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + displayNumber);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    TChild demo;
    demo.Process.setProcessEnvironment(env);
    demo.Process.start(QStringLiteral(ORV_TB2ACC_DEMO), {});
    ASSERT_EQ(demo.NextLine(), QStringLiteral("ready"));

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
    EXPECT_EQ(demo.NextLine(), QStringLiteral("clicked &Open\tCtrl+O"));
}

} // namespace
