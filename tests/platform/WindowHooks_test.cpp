#include "ControlTestSupport.h"
#include "platform/WindowHooks.h"

#include <QLineEdit>

namespace {

struct TRaised { THookProcCode code; QWidget *wnd; UINT msg; };
std::vector<TRaised> &Raised()
{
    static std::vector<TRaised> raised;
    return raised;
}

void Record(THookProcCode code, QWidget *wnd, WPARAM, LPARAM lParam)
{
    const UINT msg = code == hpGetMessage ? reinterpret_cast<THookMsg *>(lParam)->message : WM_NULL;
    Raised().push_back({code, wnd, msg});
}

void Other(THookProcCode, QWidget *, WPARAM, LPARAM) {}

int Count(THookProcCode code, QWidget *wnd)
{
    return int(std::count_if(Raised().begin(), Raised().end(), [&](const TRaised &r) { return r.code == code && r.wnd == wnd; }));
}

} // namespace

TEST(WindowHooks, SubscribersShareOneFilterPerHookType)
{
    int a = 0, b = 0;
    Raised().clear();
    InstallHookProc(&a, Record, {hpGetMessage});
    InstallHookProc(&b, Other, {hpGetMessage, hpPreDestroy});
    InstallHookProc(&a, Record, {hpGetMessage});  // the same user twice counts once
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 2);
    EXPECT_EQ(HookRefCount(THookType::htCBT), 1);
    EXPECT_EQ(HookRefCount(THookType::htCallWndProc), 0);
    EXPECT_TRUE(HookFilterInstalled());
    QLineEdit edit;
    sim::KeyPress(&edit, Qt::Key_F, Qt::AltModifier, "f");
    sim::KeyPress(&edit, Qt::Key_X, Qt::NoModifier, "x");
    std::vector<UINT> msgs;
    for (const TRaised &r : Raised())
        msgs.push_back(r.msg);
    EXPECT_EQ(msgs, (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCHAR, WM_KEYDOWN, WM_CHAR}));
    UninstallHookProc(&b, Other);
    EXPECT_TRUE(HookFilterInstalled());
    EXPECT_EQ(HookRefCount(THookType::htCBT), 0);
    UninstallHookProc(&a, Record);
    EXPECT_FALSE(HookFilterInstalled());
    EXPECT_EQ(HookRefCount(THookType::htGetMessage), 0);
    Raised().clear();
    sim::KeyPress(&edit, Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_TRUE(Raised().empty());
}

TEST(WindowHooks, DestructionRaisedOncePerWindow)
{
    int user = 0;
    InstallHookProc(&user, Record, {hpPreDestroy, hpSendWindowPosChanged});
    Raised().clear();
    auto *host = new THost;
    auto *child = new THost(host);
    child->SetParent(host);
    auto *plain = new QWidget;
    plain->resize(50, 40);
    plain->show();
    EXPECT_GE(Count(hpSendWindowPosChanged, plain), 1);
    delete host;
    delete plain;
    EXPECT_EQ(Count(hpPreDestroy, host), 1);
    EXPECT_EQ(Count(hpPreDestroy, child), 1);
    EXPECT_EQ(Count(hpPreDestroy, plain), 1);
    UninstallHookProc(&user, Record);
    EXPECT_FALSE(HookFilterInstalled());
}
