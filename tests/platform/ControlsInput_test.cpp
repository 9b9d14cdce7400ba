#include "ControlTestSupport.h"
#include "platform/Forms.h"

#include <QAbstractEventDispatcher>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QPointer>
#include <QToolTip>

namespace {

TEST_F(HostTest, PerformRunsWndProcAtOncePostMessageLaterAndTimersTick)
{
    auto *probe = new TProbe(host.get());
    QStringList seen;
    probe->onMessage = [&seen](TMessage &m) {
        if (m.Msg == WM_USER + 1) {
            seen << QStringLiteral("%1,%2").arg(m.WParam).arg(m.LParam);
            m.Result = LRESULT(m.WParam * 2);
        }
    };
    EXPECT_EQ(probe->Perform(WM_USER + 1, 21, -5), 42);
    EXPECT_EQ(SendMessage(probe, WM_USER + 1, 4, 0), 8);
    seen.clear();
    probe->PostMessage(WM_USER + 1, 1, 10);
    EXPECT_TRUE(PostMessage(probe, WM_USER + 1, 2, 20));
    EXPECT_TRUE(seen.empty());
    QApplication::processEvents();
    EXPECT_EQ(seen, (QStringList{"1,10", "2,20"}));
    // A widget that is no control answers nothing and takes nothing.
    QWidget plain;
    EXPECT_EQ(SendMessage(&plain, WM_USER + 1, 1, 1), 0);
    EXPECT_FALSE(PostMessage(&plain, WM_USER + 1, 1, 1));
    // A message posted to a control freed before it arrives is dropped.
    probe->PostMessage(WM_USER + 1, 3, 30);
    delete probe;
    QApplication::processEvents();
    EXPECT_EQ(seen.size(), 2);
    // A timer (10 ms at least) ticks as WM_TIMER with its id until killed.
    host->SetTimer(3, 1);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(host.get());
    ASSERT_EQ(timers.size(), 1);
    EXPECT_EQ(timers[0].interval, 10);
    QTimerEvent tick(timers[0].timerId);
    QApplication::sendEvent(host.get(), &tick);
    EXPECT_EQ(host->log.value(0), "timer 3");
    EXPECT_TRUE(host->KillTimer(3));
    EXPECT_FALSE(host->KillTimer(3));
}

TEST_F(HostTest, MouseInputReachesTheVirtualHandlersInClientCoordinates)
{
    using Act = std::function<void(QWidget *)>;
    const struct { const char *name; Act act; QStringList expected; bool doubleClicks; } cases[] = {
        {"click", [](QWidget *w) { sim::Click(w, {5, 6}); }, {"down L 5,6 [L]", "click", "up L 5,6 []"}, true},
        {"modifiers",
         [](QWidget *w) { sim::Click(w, {5, 6}, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier); },
         {"down L 5,6 [SCL]", "click", "up L 5,6 [SC]"}, true},
        {"released outside: no click",
         [](QWidget *w) {
             sim::Press(w, {5, 6});
             sim::Move(w, {60, 6});
             sim::Release(w, {60, 6});
         },
         {"down L 5,6 [L]", "move 60,6 [L]", "up L 60,6 []"}, true},
        {"double click", [](QWidget *w) { sim::DoubleClick(w, {3, 4}); },
         {"down L 3,4 [L]", "click", "up L 3,4 []", "dblclick", "down L 3,4 [LD]", "up L 3,4 []"}, true},
        {"double click without csDoubleClicks is a second press", [](QWidget *w) { sim::DoubleClick(w, {3, 4}); },
         {"down L 3,4 [L]", "click", "up L 3,4 []", "down L 3,4 [L]", "click", "up L 3,4 []"}, false},
        {"right and middle buttons",
         [](QWidget *w) {
             sim::Click(w, {1, 2}, Qt::RightButton);
             sim::Click(w, {3, 4}, Qt::MiddleButton);
         },
         {"down R 1,2 [R]", "up R 1,2 []", "down M 3,4 [M]", "up M 3,4 []"}, true},
        {"move without a button, enter and leave",
         [](QWidget *w) {
             QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
             QApplication::sendEvent(w, &enter);
             sim::Move(w, {7, 8}, Qt::AltModifier);
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(w, &leave);
         },
         {"enter", "move 7,8 [A]", "leave"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TProbe> probe(AddProbe(host.get(), Bounds(10, 10, 40, 30)));
        if (!c.doubleClicks)
            probe->SetControlStyle(probe->ControlStyle() - TControlStyle{csDoubleClicks});
        c.act(probe.get());
        EXPECT_EQ(probe->log, c.expected);
    }
}

TEST_F(HostTest, ContextMenuAndUnusedWheelGoUpTheParentChain)
{
    auto *probe = AddProbe(host.get(), Bounds(10, 10, 40, 30));
    QStringList asked;
    const auto listen = [&](TControl *c, const QString &name) {
        c->OnContextPopup = [&asked, name](TComponent *, TPoint p, bool &handled) {
            asked << QStringLiteral("%1 popup %2,%3").arg(name).arg(p.X).arg(p.Y);
            handled = true;
        };
        c->OnMouseWheel = [&asked, name](TComponent *, TShiftState s, int delta, TPoint p, bool &handled) {
            asked << QStringLiteral("%1 wheel %2 %3,%4 [%5]").arg(name).arg(delta).arg(p.X).arg(p.Y).arg(ShiftText(s));
            handled = true;
        };
    };
    // The host's point is in its client coordinates, the wheel's on the screen.
    listen(host.get(), "host");
    sim::Click(probe, {5, 6}, Qt::RightButton);
    sim::Wheel(probe, {5, 5}, -120, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList({"host popup 15,16", "host wheel -120 115,115 [C]"}));
    listen(probe, "probe");
    asked.clear();
    sim::Click(probe, {5, 6}, Qt::RightButton);
    sim::Wheel(probe, {5, 5}, 240);
    EXPECT_EQ(asked, QStringList({"probe popup 5,6", "probe wheel 240 115,115 []"}));
}

TEST_F(ControlTest, KeysArriveAsVirtualKeysAndCharacters)
{
    Application();  // its shortcut chain sees every key first, as in the program
    auto host = MakeHost(100, 100, 200, 100);
    auto *probe = AddProbe(host.get());
    const struct { int key; Qt::KeyboardModifiers mods; QString text; QStringList expected; } cases[] = {
        {Qt::Key_A, {}, "a", {"keydown 65 []", "char 97"}},
        {Qt::Key_A, Qt::ShiftModifier, "A", {"keydown 65 [S]", "char 65"}},
        {Qt::Key_C, Qt::ControlModifier, "\x03", {"keydown 67 [C]", "char 3"}},
        {Qt::Key_Return, {}, "\r", {"keydown 13 []", "char 13"}}, {Qt::Key_Delete, {}, "\x7f", {"keydown 46 []"}},
        {Qt::Key_PageDown, Qt::ShiftModifier, "", {"keydown 34 [S]"}}, {Qt::Key_Menu, {}, "", {"keydown 93 []"}},
        {Qt::Key_5, Qt::KeypadModifier, "5", {"keydown 101 []", "char 53"}},
        {Qt::Key_Question, Qt::ShiftModifier, "?", {"keydown 191 [S]", "char 63"}},
        // Alt makes system keys: KeyDown still sees them, KeyPress does not.
        {Qt::Key_X, Qt::AltModifier, "x", {"keydown 88 [A]"}},
        {0x4E2D, {}, QString::fromUtf8("中"), {"char 20013"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected.join(", ").toStdString());
        probe->log.clear();
        sim::KeyPress(probe, c.key, c.mods, c.text);
        EXPECT_EQ(probe->log, c.expected);
        probe->log.clear();
        sim::KeyRelease(probe, c.key, c.mods, c.text);
        QStringList up;
        if (c.expected.value(0).startsWith("keydown"))
            up << c.expected.value(0).section(' ', 0, 1).replace("keydown", "keyup");
        EXPECT_EQ(probe->log, up);
    }
}

TEST_F(HostTest, CaptureSendsMouseInputToTheCapturingControl)
{
    auto *a = AddProbe(host.get(), Bounds(0, 0, 50, 50));
    auto *b = AddProbe(host.get(), Bounds(100, 20, 50, 50));
    a->SetMouseCapture(true);
    EXPECT_EQ(GetCaptureControl(), a);
    sim::Move(b, {5, 5});
    sim::Press(b, {6, 5});
    sim::Release(b, {6, 5});
    EXPECT_TRUE(b->log.isEmpty());
    // No click: the release came from outside; the control keeps its capture.
    EXPECT_EQ(a->log, (QStringList{"move 105,25 []", "down L 106,25 [L]", "up L 106,25 []"}));
    EXPECT_TRUE(a->MouseCapture());
    // A second capture stacks on the first; releasing it gives the mouse back.
    a->messages.clear();
    b->SetMouseCapture(true);
    EXPECT_EQ(std::count(a->messages.begin(), a->messages.end(), WM_CAPTURECHANGED), 1);
    b->SetMouseCapture(false);
    EXPECT_EQ(GetCaptureControl(), a);
    EXPECT_EQ(std::count(b->messages.begin(), b->messages.end(), WM_CAPTURECHANGED), 1);
    // A capturing control that goes takes its capture with it.
    delete a;
    EXPECT_EQ(GetCaptureControl(), nullptr);
    b->log.clear();
    sim::Move(b, {1, 2});
    EXPECT_EQ(b->log, QStringList{"move 1,2 []"});
    // With csCaptureMouse a press captures until the release.
    bool captured = false;
    b->OnMouseDown = [&](TComponent *, TMouseButton, TShiftState, int, int) { captured = GetCaptureControl() == b; };
    sim::Click(b, {1, 1});
    EXPECT_TRUE(captured);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    b->SetControlStyle(b->ControlStyle() - TControlStyle{csCaptureMouse});
    sim::Click(b, {1, 1});
    EXPECT_FALSE(captured);
}

TEST_F(HostTest, HintsShowTheShortHintAndCanBeChangedOrRefused)
{
    auto *probe = AddProbe(host.get(), Bounds(10, 10, 50, 50));
    // The tip shown when the pointer rests at (5, 5), or "-" for none.
    const auto ask = [&] {
        QHelpEvent e(QEvent::ToolTip, QPoint(5, 5), probe->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(probe, &e);
        const QString shown = QToolTip::isVisible() ? QToolTip::text() : "-";
        CancelHint();
        return shown;
    };
    probe->SetHint("短提示|长提示");
    EXPECT_EQ(ask(), "-") << "ShowHint is off";
    probe->SetShowHint(true);
    EXPECT_EQ(ask(), "短提示");
    THintInfo seen;
    bool refuse = false;
    probe->onMessage = [&](TMessage &m) {
        if (m.Msg == CM_HINTSHOW) {
            auto *info = reinterpret_cast<THintInfo *>(m.LParam);
            seen = *info;
            info->HintStr = "item";
            m.Result = refuse;
        }
    };
    EXPECT_EQ(ask(), "item");
    EXPECT_EQ(std::tuple(seen.HintControl, seen.CursorPos, seen.CursorRect),
              std::tuple(probe, Point(5, 5), Bounds(0, 0, 50, 50)));
    refuse = true;
    EXPECT_EQ(ask(), "-");
    // Without a hint of its own the parent's is shown.
    probe->onMessage = nullptr;
    probe->SetHint(QString());
    host->SetHint("parent");
    EXPECT_EQ(ask(), "parent");
    EXPECT_EQ(GetLongHint("a|b"), "b");
    EXPECT_EQ(GetLongHint("ab"), "ab");
}

TEST_F(HostTest, AClickThatFreesTheControlEndsItsHandling)
{
    auto *probe = AddProbe(host.get(), Bounds(0, 0, 20, 20));
    QPointer<TProbe> watch = probe;
    probe->OnClick = [&](TComponent *) { delete probe; };
    probe->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    probe->Perform(WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(host->ControlCount(), 0);
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

// A window's UI state (hidden focus rectangles and accelerators) is one for the window and all in
// it. UIS_INITIALIZE shows both after a key and hides both after a click, unless the desktop always
// shows them.
TEST_F(HostTest, UIStateChangesReachTheWholeWindowAndInitializeFollowsTheLastInput)
{
    auto *inner = AddProbe(AddProbe(host.get(), {0, 0, 100, 50}), {0, 0, 50, 20});
    auto *sibling = AddProbe(host.get(), {0, 60, 100, 20});
    const auto change = [inner](WORD action, WORD flags = 0) { inner->Perform(WM_CHANGEUISTATE, action | flags << 16); };
    const auto click = [&] { sim::Click(host.get(), {150, 50}); };
    const auto key = [&] { sim::Key(host.get(), Qt::Key_Shift); };
    const LRESULT both = UISF_HIDEACCEL | UISF_HIDEFOCUS;
    const struct { const char *name; std::function<void()> step; LRESULT state; } steps[] = {
        {"set accelerators hidden", [&] { change(UIS_SET, UISF_HIDEACCEL); }, UISF_HIDEACCEL},
        {"set focus hidden too", [&] { change(UIS_SET, UISF_HIDEFOCUS); }, both},
        {"clear accelerators", [&] { change(UIS_CLEAR, UISF_HIDEACCEL); }, UISF_HIDEFOCUS},
        {"initialize after a key", [&] { key(), change(UIS_INITIALIZE); }, 0},
        {"initialize after a click", [&] { click(), change(UIS_INITIALIZE); }, both},
        {"a pointer move leaves it", [&] { key(), sim::Move(host.get(), {5, 5}), change(UIS_INITIALIZE); }, 0},
        {"cues always shown", [&] { SysParams().KeyboardCues = true, click(), change(UIS_INITIALIZE); }, 0},
    };
    for (const auto &step : steps) {
        step.step();
        const std::vector states = {host->Perform(WM_QUERYUISTATE), inner->Perform(WM_QUERYUISTATE),
                                    sibling->Perform(WM_QUERYUISTATE)};
        EXPECT_EQ(states, std::vector<LRESULT>(3, step.state)) << step.name;
    }
}

} // namespace
