// Views without a menu loop (the viewer list, group nesting, the window's timers), then real
// popup menus driven through the input router by a script run inside the menu loop, a step a pass.
#include "TB2TestSupport.h"
#include "platform/SysColors.h"
#include "toolbar/TB2Anim.h"

#include <QCursor>

namespace {

QStringList Captions(const TTBView &v)
{
    QStringList list;
    for (int i = 0; i < v.ViewerCount(); ++i)
        list << v.Viewers(i)->Item->Caption();
    return list;
}

TTBCustomItem *Item(TTBCustomItem *parent, const QString &caption, TTBCustomItem *item = nullptr)
{
    static ClickLog log;
    return log.Add(parent, caption, item);
}

// The view is there before its items: each comes in as it is inserted.
TEST(TBView, ViewersFollowInsertionsAndDeletionsAroundGroups)
{
    TTBRootItem root(nullptr);
    TTBView view(nullptr, nullptr, &root, nullptr, false, false, false);
    WORD key = VK_DOWN;
    view.KeyDown(key, {});
    EXPECT_EQ(view.Selected(), nullptr) << "an empty view selects nothing";
    EXPECT_EQ(view.FirstSelectable(), nullptr);
    Item(&root, "A");
    TTBCustomItem *group = Item(&root, "G", new TTBGroupItem(nullptr));
    Item(group, "g1");
    Item(group, "g2");
    Item(&root, "B");
    EXPECT_EQ(Captions(view), QStringList({"A", "G", "g1", "g2", "B"}));
    auto *c = new TTBItem(nullptr);
    c->SetCaption("C");
    root.Insert(2, c);  // after the group and its children
    EXPECT_EQ(Captions(view), QStringList({"A", "G", "g1", "g2", "C", "B"}));
    Item(group, "g3");
    EXPECT_EQ(Captions(view), QStringList({"A", "G", "g1", "g2", "g3", "C", "B"}));
    EXPECT_EQ(view.Viewers(4)->GroupLevel, 1);
    delete group;
    EXPECT_EQ(Captions(view), QStringList({"A", "C", "B"}));
    // Embedded groups nest ten levels deep; the eleventh level adds nothing.
    TTBCustomItem *parent = &root;
    for (int level = 1; level <= 12; ++level) {
        parent = Item(parent, QStringLiteral("G%1").arg(level), new TTBGroupItem(nullptr));
        Item(parent, QStringLiteral("I%1").arg(level));
    }
    const QStringList nested = Captions(view);
    EXPECT_EQ(nested.size(), 3 + 21);
    EXPECT_EQ(nested.mid(3 + 18), QStringList({"G10", "I10", "G11"}));
}

class TTimerProbeWindow : public TTBPopupWindow
{
public:
    using TTBPopupWindow::TTBPopupWindow;
    std::vector<WPARAM> fired;
protected:
    void TimerFired(WPARAM id) override
    {
        fired.push_back(id);
        KillTimer(id);
    }
};

TEST(TBView, ViewTimersGoToTheViewOtherTimersPassThrough)
{
    TTBRootItem root(nullptr);
    Item(&root, "A");
    TTimerProbeWindow w(nullptr, nullptr, &root, false);
    TTBView *view = w.View();
    view->StartTimer(TTBViewTimerID::tiClose, 1);
    w.SetTimer(9004, 1);
    EXPECT_TRUE(sim::WaitFor([&] { return !w.fired.empty() && !view->TimerRunning(TTBViewTimerID::tiClose); }));
    EXPECT_EQ(w.fired, std::vector<WPARAM>{9004});
}

// A popup window asks itself before it slides in; one that answers (it draws a shadow of its
// own) shows at once. It hears that it is shown, at once or when the slide has ended.
TEST(TBPopupWindow, AsksBeforeSlidingInAndHearsWhenItIsShown)
{
    struct TShadowProbe : TTBPopupWindow {
        using TTBPopupWindow::TTBPopupWindow;
        LRESULT answer = 0;
        std::vector<WPARAM> heard;
        void WndProc(TMessage &m) override
        {
            if (m.Msg != PopupShadowMessage)
                return TTBPopupWindow::WndProc(m);
            heard.push_back(m.WParam);
            m.Result = m.WParam == 1 ? answer : 0;
        }
    };
    ResetSysParams();
    SysParams().MenuAnimation = true;
    SysParams().MenuFade = false;
    TTBRootItem root(nullptr);
    Item(&root, "A");
    for (LRESULT answer : {0, 1}) {
        TShadowProbe w(nullptr, nullptr, &root, false);
        w.answer = answer;
        w.SetBounds(10, 10, 100, 40);
        w.SetAnimationDirection(4);
        w.ShowPopup(true);
        EXPECT_EQ(MenuAnimationWindow() == &w, !answer);
        EndMenuAnimation(&w);
        EXPECT_EQ(w.heard, std::vector<WPARAM>({1, answer ? 3u : 2u})) << answer;
    }
    ResetSysParams();
}

// A script run inside a popup menu's loop, with its keys sent to the form; a failing one
// escapes out of the menu.
class MenuScript : public ScriptSteps
{
public:
    explicit MenuScript(QWidget *keys) : ScriptSteps(keys, 5), keys_(keys)
    {
        SetOpen([] { return RootView() != nullptr; });
    }
    MenuScript &Key(int key)
    {
        const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
        ScriptSteps::Key(keys_, key, letter ? QString(QChar('a' + key - Qt::Key_A)) : QString());
        return *this;
    }
private:
    QWidget *keys_;
};

class PopupMenuTest : public PopupMenuFixture
{
protected:
    void SetUp() override
    {
        PopupMenuFixture::SetUp();
        button = new TCustomControl(form.get());
        button->SetParent(form.get());
        button->SetBounds(10, 10, 80, 30);
        button->OnMouseDown = [this](TComponent *, TMouseButton b, TShiftState, int, int) { buttonPresses.push_back(b); };
        form->Show();
        // The menus here belong to no form: one opened before the form's activation arrives
        // would close with it.
        ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form.get(); }));
    }
    TTBCustomItem *Run(MenuScript &s, int x = 100, int y = 100, bool itemOnly = false)
    {
        s.Start();
        TTBCustomItem *chosen = menu->PopupEx(x, y, itemOnly);
        EXPECT_TRUE(s.Done());
        return chosen;
    }
    QPoint ButtonCentre() const { return button->ClientToScreen({40, 15}).ToQPoint(); }
    TCustomControl *button = nullptr;
    std::vector<TMouseButton> buttonPresses;
};

// The innermost open menu.
TTBView *Deepest()
{
    TTBView *v = RootView();
    while (v && v->OpenViewerView())
        v = v->OpenViewerView();
    return v;
}

TEST_F(PopupMenuTest, KeysMoveOpenCycleAndChoose)
{
    TTBCustomItem *root = menu->Items();
    Add(root, QStringLiteral("&File"));
    root->Add(new TTBSeparatorItem(nullptr));
    Add(root, QStringLiteral("Hidden"))->SetVisible(false);
    Add(root, QStringLiteral("&Delete"))->SetEnabled(false);
    Add(root, QStringLiteral("&Find"));
    auto *sub = Add(root, QStringLiteral("&Sub"), new TSubmenuItem(nullptr));
    Add(sub, QStringLiteral("S1"));
    Add(sub, QStringLiteral("S2"));
    Add(root, QStringLiteral("E&xit"));
    using K = Qt::Key;
    // The selection is read after each key but the last; Cancel puts the innermost menu in cancel mode.
    const int Cancel = -1;
    struct Case { const char *name; std::vector<int> keys; QStringList seen; QString chosen; };
    const Case cases[] = {
        {"arrows wrap and skip separators and hidden items",
         {K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Up, K::Key_Escape},
         {"&File", "&Delete", "&Find", "&Sub", "E&xit", "&File", "E&xit"}, {}},
        {"right opens a submenu, escape closes one level at a time",
         {K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Right, K::Key_Escape, K::Key_Escape},
         {"&File", "&Delete", "&Find", "&Sub", "S1", "&Sub"}, {}},
        {"accelerators cycle and a unique one chooses", {K::Key_F, K::Key_F, K::Key_F, K::Key_X},
         {"&File", "&Find", "&File"}, "E&xit"},
        {"a unique accelerator of a disabled item ends the menu", {K::Key_D}, {}, {}},
        {"cancel mode in a submenu ends every level", {K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Down,
         K::Key_Right, Cancel}, {"&File", "&Delete", "&Find", "&Sub", "S1"}, {}},
    };
    int popups = 0;
    menu->OnPopup = [&](TComponent *sender) { popups += sender == menu.get(); };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        clicks.clear();
        QStringList seen;
        MenuScript s(form.get());
        for (size_t i = 0; i < c.keys.size(); ++i) {
            if (c.keys[i] == Cancel)
                s.Do([] {
                    ASSERT_NE(Deepest(), nullptr);
                    Deepest()->CancelMode();
                    EXPECT_TRUE(Popups().empty()) << "every level is hidden at once";
                });
            else
                s.Key(c.keys[i]);
            if (i + 1 < c.keys.size())
                s.Do([&] { seen << SelectedCaption(Deepest()); });
        }
        TTBCustomItem *chosen = Run(s);
        EXPECT_EQ(chosen ? chosen->Caption() : QString(), c.chosen);
        EXPECT_EQ(seen, c.seen);
        EXPECT_TRUE(Popups().empty());
        // The click runs once the menu has gone, not inside it.
        EXPECT_TRUE(clicks.empty());
        EXPECT_TRUE(c.chosen.isEmpty() || sim::WaitFor([&] { return !clicks.empty(); }));
        QApplication::processEvents();
        EXPECT_EQ(clicks, c.chosen.isEmpty() ? std::vector<QString>{} : std::vector<QString>{c.chosen});
    }
    EXPECT_EQ(popups, int(std::size(cases)));
}

// A menu belongs to the window that was active when it opened: another window of the program
// becoming active (a reminder, a dialog) cancels it, every level at once, with nothing chosen.
TEST_F(PopupMenuTest, AnotherWindowBecomingActiveCancelsTheMenu)
{
    form->activateWindow();
    ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form.get(); }));
    Add(menu->Items(), QStringLiteral("A"));
    auto *sub = Add(menu->Items(), QStringLiteral("Sub"), new TSubmenuItem(nullptr));
    Add(sub, QStringLiteral("S1"));
    TForm other(nullptr);
    other.SetBounds(20, 20, 100, 80);
    size_t openLevels = 0;
    MenuScript s(form.get());
    s.Key(Qt::Key_Down).Key(Qt::Key_Down).Key(Qt::Key_Right);
    s.Then([&] { return (openLevels = Popups().size()) == 2; });
    s.Do([&] {
        other.Show();
        other.activateWindow();
    });
    TTBCustomItem *chosen = Run(s);
    EXPECT_EQ(openLevels, 2u);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_TRUE(Popups().empty());
    EXPECT_EQ(QApplication::activeWindow(), &other);
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

// Pointer buttons in and outside a menu; every step but the last leaves the menu open.
TEST_F(PopupMenuTest, PressesAndReleasesInAndOutsideTheMenu)
{
    Add(menu->Items(), QStringLiteral("A"));
    Add(menu->Items(), QStringLiteral("B"));
    enum Where { ItemA, ItemB, OnButton, EscapeKey };
    struct Act { QEvent::Type type; Where where; Qt::MouseButton button = Qt::LeftButton; };
    const auto P = QEvent::MouseButtonPress, R = QEvent::MouseButtonRelease;
    const auto Right = Qt::RightButton;
    struct Case { const char *name; bool leftOnly, itemOnly; std::vector<Act> acts; QString chosen;
                  std::vector<TMouseButton> presses; };
    const Case cases[] = {
        {"a press outside ends the menu and reaches the button", false, false, {{P, OnButton}}, {},
         {TMouseButton::mbLeft}},
        {"untracked right button: ignored inside, ends the menu outside", true, false,
         {{P, ItemA, Right}, {R, ItemA, Right}, {P, OnButton, Right}}, {}, {TMouseButton::mbRight}},
        {"a tracked right button chooses; only the item is asked for", false, true,
         {{P, ItemB, Right}, {R, ItemB, Right}}, "B", {}},
        {"the release of the press that opened the menu is ignored", false, false,
         {{R, ItemA}, {QEvent::KeyPress, EscapeKey}}, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        buttonPresses.clear();
        menu->SetTrackButton(c.leftOnly ? TTrackButton::tbLeftButton : TTrackButton::tbRightButton);
        MenuScript s(form.get());
        for (size_t i = 0; i < c.acts.size(); ++i) {
            const Act a = c.acts[i];
            s.Do([&, a] {
                if (a.where == EscapeKey)
                    return sim::Key(form.get(), Qt::Key_Escape);
                const QPoint p = a.where == OnButton ? ButtonCentre() : Center(RootView()->Viewers(a.where));
                if (a.type == P && a.where != OnButton)
                    sim::MoveAt(p);
                a.type == P ? sim::PressAt(p, a.button) : sim::ReleaseAt(p, a.button);
            });
            if (i + 1 < c.acts.size())
                s.Do([] { EXPECT_NE(RootView(), nullptr); });
        }
        TTBCustomItem *chosen = Run(s, 100, 100, c.itemOnly);
        EXPECT_EQ(chosen ? chosen->Caption() : QString(), c.chosen);
        EXPECT_TRUE(c.presses.empty() || sim::WaitFor([&] { return !buttonPresses.empty(); }));
        EXPECT_EQ(buttonPresses, c.presses);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
            if (sim::HeldButtons() & b)
                sim::ReleaseAt(ButtonCentre(), b);
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_TRUE(clicks.empty());
    }
}

// The menu slides in first, then scrolls.
TEST_F(PopupMenuTest, LongMenuSlidesInAndScrollsByKeysAndWheel)
{
    for (int i = 0; i < 60; ++i)
        Add(menu->Items(), QStringLiteral("Item %1").arg(i));
    SysParams().WheelScrollLines = 0;  // an unreadable setting counts as 3 lines
    SysParams().MenuAnimation = true;
    qint64 now = 0;
    SetMenuAnimationClock([&] { return now; });
    int offsetAfterNotch = -1;
    MenuScript s(form.get());
    s.Do([&] {
        EXPECT_TRUE(MenuAnimationWindow() && MenuAnimationWindow() == RootView()->Window());
        EXPECT_TRUE(RootView()->ShowDownArrow() && !RootView()->ShowUpArrow()) << "only the bottom arrow at first";
        EXPECT_LE(RootView()->Window()->Height(), 600);
        now += 1000;
    });
    s.Then([&] { return MenuAnimationWindow() == nullptr; });
    s.Do([&] { EXPECT_TRUE(RootView() && RootView()->Window()->isVisible()) << "shown once the animation ends"; });
    s.Key(Qt::Key_End).Do([&] {
        TTBView *v = RootView();
        EXPECT_TRUE(v->Selected() == v->Viewers(59) && v->Viewers(59)->Show) << "End selects and shows the last";
        EXPECT_TRUE(v->ShowUpArrow());
        EXPECT_GT(v->ScrollOffset(), 0);
    });
    s.Key(Qt::Key_Home).Do([&] {
        TTBView *v = RootView();
        sim::Wheel(v->Window(), QPoint(20, 100), -60);
        EXPECT_EQ(v->ScrollOffset(), 0) << "half a notch scrolls nothing yet";
        sim::Wheel(v->Window(), QPoint(20, 100), -60);
        EXPECT_GT(offsetAfterNotch = v->ScrollOffset(), 0);
    });
    // Resting on the bottom arrow band scrolls on its own.
    s.Do([&] {
        QWidget *w = RootView()->Window();
        sim::MoveAt(w->mapToGlobal(QPoint(w->width() / 2, w->height() - 8)));
    });
    s.Then([&] { return RootView()->ScrollOffset() > offsetAfterNotch; });
    s.Key(Qt::Key_Escape);
    Run(s, 100, 0);
    SetMenuAnimationClock(nullptr);
}

} // namespace

namespace {

// Keeps the system's pointer moves from the program, as when the pointer passes over a part of
// a window that is still masked out: the program sees nothing of where it went.
class TUnseenMoves : public QObject
{
public:
    TUnseenMoves() { qApp->installEventFilter(this); }
    int swallowed = 0;
protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() != QEvent::MouseMove || !e->spontaneous())
            return false;
        ++swallowed;
        return true;
    }
};

// The pointer comes to rest on an item while the menu is still sliding in, and the program saw
// no move of it (its last event was over the button): once the menu is fully shown, the item
// under the pointer is selected without waiting for another move.
TEST_F(PopupMenuTest, ItemUnderAnUnseenRestingPointerIsSelectedWhenTheSlideEnds)
{
    for (int i = 0; i < 5; ++i)
        Add(menu->Items(), QStringLiteral("Item %1").arg(i));
    SysParams().MenuAnimation = true;
    qint64 now = 0;
    SetMenuAnimationClock([&] { return now; });
    TInputRouter::Instance().SetCursorPos(TPoint::FromQPoint(ButtonCentre()));
    TUnseenMoves unseen;
    QString selectedWhenShown;
    MenuScript s(form.get());
    s.Do([&] {
        ASSERT_EQ(MenuAnimationWindow(), RootView()->Window());
        QCursor::setPos(RootView()->Viewers(3)->ScreenRect().ToQRect().center());
    });
    s.Then([&] { return unseen.swallowed > 0; });
    s.Do([&] {
        EXPECT_EQ(RootView()->Selected(), nullptr) << "nothing seen yet";
        now += 1000;
    });
    s.Then([&] { return MenuAnimationWindow() == nullptr; });
    s.Do([&] {
        if (TTBItemViewer *v = RootView()->Selected())
            selectedWhenShown = v->Item->Caption();
    });
    s.Key(Qt::Key_Escape);
    Run(s);
    SetMenuAnimationClock(nullptr);
    EXPECT_EQ(selectedWhenShown, QStringLiteral("Item 3"));
}

} // namespace
