#include "toolbar/TB2Hook.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int gCalls = 0;

void CountInput(THookProcCode code, QWidget *, WPARAM, LPARAM)
{
    if (code == hpGetMessage)
        ++gCalls;
}

} // namespace

// Two components on code 4 share one input hook, which goes only with the second; a code set
// is counted once per user, whatever else the same procedure serves.
TEST(TB2Hook, SharedInputHookCountsItsUsers)
{
    int menu = 0, dock = 0;
    InstallHookProc(&menu, CountInput, {hpGetMessage, hpSendActivate});
    InstallHookProc(&dock, CountInput, {hpGetMessage});
    InstallHookProc(&dock, CountInput, {hpGetMessage});
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 2);
    EXPECT_EQ(HookRefCount(THookType::htCallWndProc), 2);  // the procedure's first code set

    QLineEdit edit;
    gCalls = 0;
    QTest::keyClick(&edit, Qt::Key_X);  // key down, character, key up: once each
    EXPECT_EQ(gCalls, 3);

    UninstallHookProc(&menu, CountInput);
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 1);
    EXPECT_TRUE(HookFilterInstalled());
    UninstallHookProc(&dock, CountInput);
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 0);
    EXPECT_FALSE(HookFilterInstalled());
    gCalls = 0;
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(gCalls, 0);
}
