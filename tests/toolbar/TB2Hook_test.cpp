#include "toolbar/TB2Hook.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> &Calls()
{
    static std::vector<std::string> calls;
    return calls;
}

int gSelf = 0;

void First(THookProcCode code, QWidget *, WPARAM, LPARAM)
{
    if (code == hpGetMessage) {
        Calls().push_back("first");
        UninstallHookProc(&gSelf, First);  // leaves during its own call
    }
}

void Second(THookProcCode code, QWidget *, WPARAM, LPARAM)
{
    if (code == hpGetMessage)
        Calls().push_back("second");
}

} // namespace

// Two components on code 4 share one input hook, which goes with the second; a subscriber
// that leaves while it is called neither stops the others nor is called again.
TEST(TB2Hook, SharedInputHookCountsItsUsers)
{
    int menu = 0, dock = 0;
    InstallHookProc(&menu, Second, {hpGetMessage});
    InstallHookProc(&dock, Second, {hpGetMessage});
    InstallHookProc(&gSelf, First, {hpGetMessage, hpSendActivate});
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 3);
    EXPECT_EQ(HookRefCount(THookType::htCallWndProc), 1);

    QLineEdit edit;
    Calls().clear();
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"second", "first", "second", "second"}));
    EXPECT_EQ(HookRefCount(THookType::htCallWndProc), 0);

    UninstallHookProc(&menu, Second);
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 1);
    EXPECT_TRUE(HookFilterInstalled());
    UninstallHookProc(&dock, Second);
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 0);
    EXPECT_FALSE(HookFilterInstalled());
    Calls().clear();
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_TRUE(Calls().empty());
}
