// Real popup menus driven through the input router: keys, mouse, accelerators, scrolling and
// placement. Input is sent from a script that runs inside the menu loop, one step per pass.
#include "TB2TestSupport.h"
#include "platform/Forms.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Anim.h"
#include "toolbar/TB2ItemWindow.h"

#include <gtest/gtest.h>

namespace {

QString SelectedCaption(TTBView *v)
{
    return v && v->Selected() ? v->Selected()->Item->Caption() : QStringLiteral("(none)");
}

// A script run inside a popup menu's loop, with its keys sent to the form; a failing one
// escapes out of the menu.
class MenuScript : public ScriptSteps
{
public:
    explicit MenuScript(QWidget *keys) : ScriptSteps([keys] {
        for (int i = 0; i < 5; ++i)
            sim::Key(keys, Qt::Key_Escape);
    }), keys_(keys)
    {
        SetOpen([] { return RootView() != nullptr; });
    }
    MenuScript &Key(int key, const QString &text = {})
    {
        ScriptSteps::Key(keys_, key, text);
        return *this;
    }

private:
    QWidget *keys_;
};

class PopupMenuTest : public ::testing::Test, protected ClickLog
{
protected:
    void SetUp() override
    {
        ResetSysParams();
        SysParams().Monitors = {{Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)}};
        SysParams().MenuShowDelay = 1;
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(500, 400, 200, 150);
        button = new TCustomControl(form.get());
        button->SetParent(form.get());
        button->SetBounds(10, 10, 80, 30);
        button->OnMouseDown = [this](TComponent *, TMouseButton b, TShiftState, int, int) { buttonPresses.push_back(b); };
        form->Show();
        menu = std::make_unique<TTBPopupMenu>(nullptr);
    }
    void TearDown() override
    {
        menu.reset();
        form.reset();
        ResetSysParams();
    }

    TTBCustomItem *AddSeparator(TTBCustomItem *parent)
    {
        auto *s = new TTBSeparatorItem(nullptr);
        parent->Add(s);
        return s;
    }
    TPoint ButtonCentre() const { return button->ClientToScreen({40, 15}); }

    std::unique_ptr<TForm> form;
    TCustomControl *button = nullptr;
    std::vector<TMouseButton> buttonPresses;
    std::unique_ptr<TTBPopupMenu> menu;
};

TEST_F(PopupMenuTest, ArrowKeysWrapAndSkipSeparatorsAndHiddenItems)
{
    TTBCustomItem *root = menu->Items();
    Add(root, QStringLiteral("A"));
    AddSeparator(root);
    Add(root, QStringLiteral("Hidden"))->SetVisible(false);
    Add(root, QStringLiteral("Disabled"))->SetEnabled(false);
    Add(root, QStringLiteral("D"));

    std::vector<QString> seen;
    auto record = [&] { seen.push_back(SelectedCaption(RootView())); };
    MenuScript s(form.get());
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up})
        s.Key(key).Do(record);
    s.Key(Qt::Key_Escape);
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(seen, (std::vector<QString>{"A", "Disabled", "D", "A", "D", "Disabled"}));
    EXPECT_TRUE(Popups().empty());
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PopupMenuTest, RightOpensSubmenuAndEscapeClosesOneLevelAtATime)
{
    TTBCustomItem *root = menu->Items();
    Add(root, QStringLiteral("A"));
    auto *sub = Add(root, QStringLiteral("Sub"), new TSubmenuItem(nullptr));
    Add(sub, QStringLiteral("S1"));
    Add(sub, QStringLiteral("S2"));
    clicks.clear();

    QString childSelection;
    bool rootStayed = false;
    MenuScript s(form.get());
    s.Key(Qt::Key_Down).Key(Qt::Key_Down).Key(Qt::Key_Right).Do([&] {
        TTBView *child = RootView()->OpenViewerView();
        childSelection = SelectedCaption(child);
    });
    s.Key(Qt::Key_Escape).Do([&] { rootStayed = RootView() && !RootView()->OpenViewerView() && Popups().size() == 1; });
    s.Key(Qt::Key_Escape);
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(childSelection, QStringLiteral("S1"));
    EXPECT_TRUE(rootStayed);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(PopupMenuTest, AcceleratorsCycleAndAUniqueOneExecutes)
{
    TTBCustomItem *root = menu->Items();
    Add(root, QStringLiteral("&File"));
    Add(root, QStringLiteral("&Find"));
    Add(root, QStringLiteral("E&xit"));

    std::vector<QString> seen;
    MenuScript s(form.get());
    for (int i = 0; i < 3; ++i)
        s.Key(Qt::Key_F, QStringLiteral("f")).Do([&] { seen.push_back(SelectedCaption(RootView())); });
    s.Key(Qt::Key_X, QStringLiteral("x"));
    s.Start();
    TTBCustomItem *chosen = menu->PopupEx(100, 100, false);
    EXPECT_TRUE(s.Done());
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->Caption(), QStringLiteral("E&xit"));
    EXPECT_EQ(seen, (std::vector<QString>{"&File", "&Find", "&File"}));
    // The click runs once the menu has gone, not inside it.
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(sim::WaitFor([&] { return !clicks.empty(); }));
    QApplication::processEvents();
    EXPECT_EQ(clicks, (std::vector<QString>{"E&xit"}));

    // A unique accelerator on a disabled item ends the menu without a click.
    Add(root, QStringLiteral("&Delete"))->SetEnabled(false);
    MenuScript d(form.get());
    d.Key(Qt::Key_D, QStringLiteral("d"));
    d.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(d.Done());
    QApplication::processEvents();
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(PopupMenuTest, HoverOpensSubmenuAfterTheDelayAndAClickRunsAfterPopupReturns)
{
    TTBCustomItem *root = menu->Items();
    Add(root, QStringLiteral("A"));
    auto *sub = Add(root, QStringLiteral("Sub"), new TSubmenuItem(nullptr));
    Add(sub, QStringLiteral("S1"));
    Add(sub, QStringLiteral("S2"));
    clicks.clear();

    bool openedAtOnce = true;
    MenuScript s(form.get());
    s.Do([&] {
        TTBView *v = RootView();
        sim::MoveAt(Center(v->Viewers(1)));
        openedAtOnce = v->OpenViewerView() != nullptr;
    });
    s.Then([&] { return RootView()->OpenViewerView() != nullptr; });
    s.Do([&] {
        TTBView *child = RootView()->OpenViewerView();
        const QPoint p = Center(child->Viewers(1));
        sim::MoveAt(p);
        sim::PressAt(p);
        sim::ReleaseAt(p);
    });
    s.Start();
    TTBCustomItem *chosen = menu->PopupEx(100, 100, false);
    EXPECT_TRUE(s.Done());
    EXPECT_FALSE(openedAtOnce);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->Caption(), QStringLiteral("S2"));
    EXPECT_TRUE(Popups().empty());
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(sim::WaitFor([&] { return !clicks.empty(); }));
    QApplication::processEvents();
    EXPECT_EQ(clicks, (std::vector<QString>{"S2"}));
}

TEST_F(PopupMenuTest, ClickOutsideEndsTheMenuAndReachesTheButton)
{
    Add(menu->Items(), QStringLiteral("A"));
    MenuScript s(form.get());
    s.Do([&] { sim::PressAt(ButtonCentre().ToQPoint()); });
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(Popups().empty());
    EXPECT_TRUE(sim::WaitFor([&] { return !buttonPresses.empty(); }));
    EXPECT_EQ(buttonPresses, (std::vector<TMouseButton>{TMouseButton::mbLeft}));
    sim::ReleaseAt(ButtonCentre().ToQPoint());
}

TEST_F(PopupMenuTest, RightPressInsideIsIgnoredWithoutTrackingOutsideEndsTheMenu)
{
    Add(menu->Items(), QStringLiteral("A"));
    menu->SetTrackButton(TTrackButton::tbLeftButton);
    bool stillOpen = false;
    MenuScript s(form.get());
    s.Do([&] {
        const QPoint p = Center(RootView()->Viewers(0));
        sim::MoveAt(p);
        sim::PressAt(p, Qt::RightButton);
        sim::ReleaseAt(p, Qt::RightButton);
    });
    s.Do([&] { stillOpen = RootView() != nullptr; });
    s.Do([&] { sim::PressAt(ButtonCentre().ToQPoint(), Qt::RightButton); });
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(sim::WaitFor([&] { return !buttonPresses.empty(); }));
    EXPECT_EQ(buttonPresses, (std::vector<TMouseButton>{TMouseButton::mbRight}));
    sim::ReleaseAt(ButtonCentre().ToQPoint(), Qt::RightButton);
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PopupMenuTest, RightButtonChoosesWhenTracked)
{
    Add(menu->Items(), QStringLiteral("A"));
    Add(menu->Items(), QStringLiteral("B"));
    MenuScript s(form.get());
    s.Do([&] {
        const QPoint p = Center(RootView()->Viewers(1));
        sim::MoveAt(p);
        sim::PressAt(p, Qt::RightButton);
        sim::ReleaseAt(p, Qt::RightButton);
    });
    s.Start();
    TTBCustomItem *chosen = menu->PopupEx(100, 100, true);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->Caption(), QStringLiteral("B"));
    // Only the item was asked for: its click does not run.
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PopupMenuTest, TheReleaseThatOpenedTheMenuIsIgnored)
{
    Add(menu->Items(), QStringLiteral("A"));
    bool stillOpen = false;
    MenuScript s(form.get());
    // The button went down before the menu opened; its release lands on the first item.
    s.Do([&] { sim::ReleaseAt(Center(RootView()->Viewers(0))); });
    s.Do([&] { stillOpen = RootView() != nullptr; });
    s.Key(Qt::Key_Escape);
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(stillOpen);
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PopupMenuTest, LongMenuScrollsByKeysAndWheel)
{
    for (int i = 0; i < 60; ++i)
        Add(menu->Items(), QStringLiteral("Item %1").arg(i));
    SysParams().WheelScrollLines = 0;  // an unreadable setting counts as 3 lines
    bool bottomArrowFirst = false, lastShown = false, topArrow = false;
    int offsetAfterEnd = 0, offsetAfterHalfNotch = -1, offsetAfterNotch = -1;
    MenuScript s(form.get());
    s.Do([&] {
        TTBView *v = RootView();
        bottomArrowFirst = v->ShowDownArrow() && !v->ShowUpArrow();
        EXPECT_LE(v->Window()->Height(), 600);
    });
    s.Key(Qt::Key_End).Do([&] {
        TTBView *v = RootView();
        lastShown = v->Selected() == v->Viewers(59) && v->Viewers(59)->Show;
        topArrow = v->ShowUpArrow();
        offsetAfterEnd = v->ScrollOffset();
    });
    s.Key(Qt::Key_Home).Do([&] {
        TTBView *v = RootView();
        QWidget *w = v->Window();
        sim::Wheel(w, QPoint(20, 100), -60);
        offsetAfterHalfNotch = v->ScrollOffset();
        sim::Wheel(w, QPoint(20, 100), -60);
        offsetAfterNotch = v->ScrollOffset();
    });
    // Resting on the bottom arrow band scrolls on its own.
    s.Do([&] {
        QWidget *w = RootView()->Window();
        sim::MoveAt(w->mapToGlobal(QPoint(w->width() / 2, w->height() - 8)));
    });
    s.Then([&] { return RootView()->ScrollOffset() > offsetAfterNotch; });
    s.Key(Qt::Key_Escape);
    s.Start();
    menu->PopupEx(100, 0, false);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(bottomArrowFirst);
    EXPECT_TRUE(lastShown);
    EXPECT_TRUE(topArrow);
    EXPECT_GT(offsetAfterEnd, 0);
    EXPECT_EQ(offsetAfterHalfNotch, 0);
    EXPECT_GT(offsetAfterNotch, 0);
}

TEST_F(PopupMenuTest, PopupAtTheScreenCornerStaysInTheWorkAreaAndTellsOnPopup)
{
    Add(menu->Items(), QStringLiteral("A long caption to make it wide"));
    Add(menu->Items(), QStringLiteral("B"));
    int popups = 0;
    menu->OnPopup = [&](TComponent *Sender) {
        EXPECT_EQ(Sender, menu.get());
        ++popups;
    };
    TRect placed;
    MenuScript s(form.get());
    s.Do([&] { placed = static_cast<TControl *>(RootView()->Window())->BoundsRect(); });
    s.Key(Qt::Key_Escape);
    s.Start();
    menu->PopupEx(795, 595, false);
    EXPECT_EQ(popups, 1);
    EXPECT_FALSE(placed.IsEmpty());
    EXPECT_LE(placed.Right, 800);
    EXPECT_LE(placed.Bottom, 600);
    EXPECT_GE(placed.Left, 0);
    EXPECT_GE(placed.Top, 0);
}

TEST_F(PopupMenuTest, CancelModeEndsTheMenuAndHidesEveryLevel)
{
    TTBCustomItem *root = menu->Items();
    auto *sub = Add(root, QStringLiteral("Sub"), new TSubmenuItem(nullptr));
    Add(sub, QStringLiteral("S1"));
    bool hidden = false;
    MenuScript s(form.get());
    s.Key(Qt::Key_Down).Key(Qt::Key_Right).Do([&] {
        TTBView *child = RootView()->OpenViewerView();
        ASSERT_NE(child, nullptr);
        child->CancelMode();
        hidden = Popups().empty();
    });
    s.Start();
    EXPECT_EQ(menu->PopupEx(100, 100, false), nullptr);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(hidden);
}

TEST_F(PopupMenuTest, MenuAnimationSlidesThePopupInAndEnds)
{
    Add(menu->Items(), QStringLiteral("A"));
    SysParams().MenuAnimation = true;
    qint64 now = 0;
    SetMenuAnimationClock([&] { return now; });
    bool animating = false, shownAfter = false;
    MenuScript s(form.get());
    s.Do([&] {
        animating = MenuAnimationWindow() && MenuAnimationWindow() == RootView()->Window();
        now += 1000;
    });
    s.Then([&] { return MenuAnimationWindow() == nullptr; });
    s.Do([&] { shownAfter = RootView() && RootView()->Window()->isVisible(); });
    s.Key(Qt::Key_Escape);
    s.Start();
    menu->PopupEx(100, 100, false);
    SetMenuAnimationClock(nullptr);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(animating);
    EXPECT_TRUE(shownAfter);
    EXPECT_EQ(MenuAnimationWindow(), nullptr);
}

TEST_F(PopupMenuTest, BarKeysOpenMenusAndMoveAlongTheBar)
{
    auto *bar = new TCustomControl(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 60, 200, 24);
    TTBRootItem root(nullptr);
    auto *file = Add(&root, QStringLiteral("&File"), new TSubmenuItem(nullptr));
    Add(file, QStringLiteral("Open"));
    Add(file, QStringLiteral("Save"));
    auto *edit = Add(&root, QStringLiteral("&Edit"), new TSubmenuItem(nullptr));
    Add(edit, QStringLiteral("Copy"));
    TTBView view(nullptr, nullptr, &root, bar, true, false, false);
    view.EnsureLayout();
    view.Select(view.Viewers(0), false);

    std::vector<QString> seen;
    bool closedByEscape = false;
    MenuScript s(form.get());
    s.Key(Qt::Key_Down).Do([&] { seen.push_back(SelectedCaption(view.OpenViewerView())); });
    s.Key(Qt::Key_Right).Do([&] {
        seen.push_back(SelectedCaption(&view));
        seen.push_back(SelectedCaption(view.OpenViewerView()));
    });
    s.Key(Qt::Key_Escape).Do([&] { closedByEscape = !view.OpenViewerView() && Popups().empty(); });
    // A "-" on the bar itself asks for the window's system menu, which a program cannot open
    // here: the menu mode just ends.
    s.Key(Qt::Key_Minus, QStringLiteral("-"));
    s.SetOpen([&] { return view.State().Contains(TTBViewStateItem::vsModal); });
    s.Start();
    view.EnterToolbarLoop({});
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(seen, (std::vector<QString>{"Open", "&Edit", "Copy"}));
    EXPECT_TRUE(closedByEscape);
    EXPECT_FALSE(view.State().Contains(TTBViewStateItem::vsModal));
    EXPECT_EQ(view.Selected(), nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

} // namespace
