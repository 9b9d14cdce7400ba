// A real accessibility client, in a process of its own, reads the demonstration form's menu bar,
// toolbar and an open popup menu through the AT-SPI bus, opens the menu through its default
// action and runs one of its items the same way.
#include "AtspiSession.h"

namespace {

TEST(TBAccAtspi, ClientReadsTheMenusAndDrivesThemThroughDefaultActions)
{
    TAtspiSession session;
    ASSERT_NO_FATAL_FAILURE(session.Start());
    TChild demo;
    demo.Process.setProcessEnvironment(session.Environment());
    demo.Process.start(QStringLiteral(ORV_TB2ACC_DEMO), {});
    QString demoOutput;
    ASSERT_TRUE(demo.WaitForLine(QStringLiteral("ready"), demoOutput)) << demoOutput.toStdString();
    QString out;
    EXPECT_EQ(session.RunClient({QStringLiteral("tb2acc_demo"), QStringLiteral("--run-first")}, out), 0)
        << out.toStdString();
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
