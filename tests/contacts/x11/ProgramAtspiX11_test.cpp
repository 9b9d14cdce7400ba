// The program itself, started on an account as a user starts it, read by a real accessibility
// client in another process: its menu bar, its tool bar and an open menu, opened and closed
// through the items' default actions.
#include "AtspiSession.h"
#include "main/MainTestSupport.h"

#include "contacts/shared/Utility.h"

#include <QDir>
#include <QScopeGuard>

TEST(ProgramAtspi, ClientReadsTheMainWindowsMenusAndToolBar)
{
    TAtspiSession session;
    ASSERT_NO_FATAL_FAILURE(session.Start());
    // An account of one contact, named the last account opened in the program's own registry store.
    const QString home = session.Folder() + QStringLiteral("/home"), config = session.Folder() + QStringLiteral("/config");
    const QString path = home + QStringLiteral("/data/a.txl");
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/data")));
    ASSERT_NO_FATAL_FAILURE(MakeAccount(path, {QStringLiteral("张三")}));
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", saved); });
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, QStringLiteral("txlfile"), path));
    }

    QProcessEnvironment env = session.Environment();
    env.insert(QStringLiteral("ORVANTA_HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    // The program ends by a signal here; what it leaves behind is not this test's concern.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    TChild program;
    program.Process.setProcessEnvironment(env);
    program.Process.setProcessChannelMode(QProcess::MergedChannels);
    program.Process.start(QStringLiteral(ORV_PROGRAM), {});
    ASSERT_TRUE(program.Process.waitForStarted(10000));

    QString out;
    EXPECT_EQ(session.RunClient({QStringLiteral("Orvanta")}, out), 0) << out.toStdString();
    const QStringList lines = out.split(QLatin1Char('\n'));
    for (const char *expected : {
             "menu bar '菜单'",
             "  menu item '文件(F)' focusable actions=Open,SetFocus key=Alt+f",
             "  menu item '帮助(H)' focusable actions=Open,SetFocus key=Alt+h",
             "menu item '文件(F)' focused focusable actions=Close,SetFocus key=Alt+f",
             "  popup menu '文件(F)'",
             "    menu item '新建/打开账户(N)\\tCtrl+O' focused focusable actions=Execute,SetFocus key=n",
             "    menu item '导入' focusable actions=Open,SetFocus",
             "closed",
             // The tool bar shows once the account is open, with its buttons read by their captions.
             "tool bar '工具栏'",
             "  push button '新建人脉' focusable actions=Press,SetFocus",
         })
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n" << out.toStdString();
    EXPECT_EQ(program.Process.state(), QProcess::Running) << program.Process.readAll().toStdString();
}
