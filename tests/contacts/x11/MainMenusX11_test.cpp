// The main window's menu bar, as the builder makes it from the tables, under a real X server
// (run under xvfb-run) with real clicks.
#include "XTestPointer.h"
#include "contacts/main/Main.h"
#include "contacts/main/setdate.h"
#include "platform/GlobalHotKeys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class NoHotKeys final : public IGlobalHotKeys
{
public:
    bool Register(int, const THotKey &) override { return true; }
    void Unregister(int) override {}
};

QAction *ActionNamed(const QWidget *host, const char *name)
{
    for (QAction *action : host->actions()) {
        if (action->objectName() == QLatin1String(name))
            return action;
    }
    return nullptr;
}

} // namespace

TEST(MainMenusX11, RealClicksChooseACommandFromTheMenuBar)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    Tfrmmain main(std::make_unique<NoHotKeys>());
    main.EnableAccountCommands();
    main.setGeometry(100, 100, 640, 400);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    QMenuBar *bar = main.SpTBXToolbar1;
    QAction *tools = ActionNamed(bar, "ToolsMenu");
    ASSERT_NE(tools, nullptr);
    const QPoint onTools = bar->mapToGlobal(bar->actionGeometry(tools).center());
    pointer.MoveTo(onTools.x(), onTools.y());
    pointer.Click();
    QMenu *menu = tools->menu();
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000));

    QAction *shutdown = ActionNamed(menu, "SpTBXItem31");
    ASSERT_NE(shutdown, nullptr);
    const QPoint onItem = menu->mapToGlobal(menu->actionGeometry(shutdown).center());
    pointer.MoveTo(onItem.x(), onItem.y());
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&main] { return main.TimedShutdownWindow() && main.TimedShutdownWindow()->isVisible(); }, 5000))
        << "定时关机 opens the timed shut-down window";
    EXPECT_FALSE(menu->isVisible());
}
