// Docks and dockable windows on real forms: thickness, placement rules, floating and docking
// back, and the drag loop driven by synthesized input.
#include "TB2TestSupport.h"
#include "platform/Forms.h"
#include "toolbar/TB2Toolbar.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class DockForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 600, 400);
        top = new TTBDock(form);
        top->SetParent(form);
        left = new TTBDock(form);
        left->SetPosition(TTBDockPosition::dpLeft);
        left->SetParent(form);
        bar = new TTBToolbar(form);
        bar->SetName(QStringLiteral("Bar1"));
        bar->SetCaption(QStringLiteral("工具"));
        bar->SetHideWhenInactive(false);
        for (int i = 0; i < 3; ++i)
            bar->Items()->Add(new TWidthItem(bar));
        bar->SetCurrentDock(top);
        form->Show();
        sim::WaitFor([&] { return form->isVisible(); });
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TPoint FormPoint(int x, int y) const { return form->ClientToScreen({x, y}); }
    void MoveTo(const TPoint &g, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        sim::Move(form, form->mapFromGlobal(QPoint(g.X, g.Y)), m);
    }
    // Presses the handle, then runs the steps inside the drag loop.
    void Drag(ScriptSteps &steps)
    {
        steps.Start();
        sim::Press(bar, QPoint(4, bar->Height() / 2));
        EXPECT_TRUE(steps.Done());
        // A cancelled drag leaves the button down: it comes up again outside any window.
        if (sim::HeldButtons() & Qt::LeftButton)
            sim::Release(form, QPoint(-50, -50));
    }
    ScriptSteps Script()
    {
        return ScriptSteps([this] { sim::Key(form, Qt::Key_Escape); });
    }
    TTBFloatingWindowParent *Float()
    {
        bar->SetFloatingPosition(FormPoint(200, 200));
        bar->SetFloating(true);
        return bar->FloatingWindowParent();
    }
    // A press on the floating frame runs a loop of its own, which the release ends.
    void PressAndRelease(QWidget *w, QPoint p)
    {
        ScriptSteps s = Script();
        s.Do([&] { sim::Release(w, p); });
        s.Start();
        sim::Press(w, p);
        EXPECT_TRUE(s.Done());
    }

    TForm *form = nullptr;
    TTBDock *top = nullptr;
    TTBDock *left = nullptr;
    TTBToolbar *bar = nullptr;
};

} // namespace

TEST_F(DockForm, ThicknessFollowsRowsFixAlignAndBoundLines)
{
    EXPECT_EQ(left->Width(), 0);
    left->SetFixAlign(true);
    EXPECT_EQ(left->Width(), 1);
    // One row: 22-px items plus the 4-px frame.
    EXPECT_EQ(top->Height(), 26);
    top->SetBoundLines({TTBDockBoundLinesValue::blTop, TTBDockBoundLinesValue::blBottom});
    EXPECT_EQ(top->Height(), 28);
    bar->Hide();
    EXPECT_EQ(top->Height(), 0);
}

TEST_F(DockForm, PlacementRulesRaiseAndKeepTheOldState)
{
    TTBDock inner(nullptr);
    TTBToolbar orphan(nullptr);
    orphan.SetName(QStringLiteral("Orphan"));
    const struct { std::function<void()> call; QString message; } cases[] = {
        {[&] { top->SetPosition(TTBDockPosition::dpBottom); },
         "Cannot change Position of a TTBDock if it already contains controls"},
        {[&] { inner.SetParent(bar); }, "A TTBDock control cannot be placed inside a tool window or another TTBDock"},
        {[&] { orphan.SetFloating(true); }, "Control 'Orphan' has no parent window"},
    };
    for (const auto &c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no exception: " << c.message.toStdString();
        } catch (const EInvalidOperation &e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(top->Position(), TTBDockPosition::dpTop);
    EXPECT_EQ(top->Align(), TAlign::alTop);
    EXPECT_EQ(inner.Parent(), nullptr);
    EXPECT_FALSE(orphan.Floating());
}

TEST_F(DockForm, FloatsAndDocksBackOnACaptionDoubleClick)
{
    TTBFloatingWindowParent *fp = Float();
    ASSERT_NE(fp, nullptr);
    EXPECT_EQ(top->GetToolbarCount(), 0);
    EXPECT_EQ(top->Height(), 0);
    EXPECT_TRUE(fp->isVisible());
    EXPECT_EQ(bar->Left(), 0);
    // Bounds set to what they are move nothing, even in a frame grown by hand.
    fp->SetBounds(fp->Left() + 30, fp->Top(), fp->Width() + 20, fp->Height());
    const TRect frame = fp->BoundsRect();
    int moves = 0;
    bar->OnMove = [&](TComponent *) { ++moves; };
    bar->SetBounds(bar->Left(), bar->Top(), bar->Width(), bar->Height());
    EXPECT_EQ(fp->BoundsRect(), frame);
    EXPECT_EQ(moves, 0);
    // The caption sits above the client area inside the frame.
    const TRect nc = bar->GetFloatingNCArea();
    const QPoint caption(nc.Left + 10, nc.Top - 5);
    // The first press of the double click starts a drag that its release ends in place.
    PressAndRelease(fp, caption);
    EXPECT_EQ(bar->FloatingWindowParent(), fp);
    sim::Mouse(fp, QEvent::MouseButtonDblClick, caption, Qt::LeftButton);
    sim::HeldButtons() = {};
    EXPECT_EQ(bar->CurrentDock(), top);
    EXPECT_EQ(bar->FloatingWindowParent(), nullptr);
    EXPECT_EQ(top->Height(), 26);
}

// Drag scripts: each step moves the pointer to a point of the form, presses or lets go of Ctrl,
// ends the drag or cancels it, then waits until the toolbar is where the step says.
TEST_F(DockForm, DragScriptsDockFloatCancelAndAvoidDocksThatAllowNoDrag)
{
    enum Op { Move, CtrlDown, CtrlUp, Release, Escape, PressElsewhere, LostCapture };
    enum Where { Left, Floating, Anywhere, Back };  // Back: with its row and place before the drag
    struct Step { Op op; Where wait = Anywhere; QPoint to = {}; };
    struct Case { std::string name; bool smooth, leftAllowsDrag; std::vector<Step> steps; Where end; };
    const QPoint atLeft(1, 200), inside(300, 300);
    std::vector<Case> cases = {
        {"to the left dock, off into a floating window and back", true, true,
         {{Move, Left, atLeft}, {Move, Floating, inside}, {Move, Anywhere, atLeft}, {Release}}, Left},
        {"Ctrl floats while it is held", true, true,
         {{Move, Left, atLeft}, {CtrlDown, Floating}, {CtrlUp, Left}, {Release}}, Left},
        {"a dock that allows no drag is never a target", true, false, {{Move, Floating, atLeft}, {Release}},
         Floating},
    };
    for (bool smooth : {true, false}) {
        for (Op cancel : {Escape, PressElsewhere, LostCapture}) {
            const std::string name = (smooth ? "smooth, cancel " : "outline, cancel ") + std::to_string(cancel);
            const Where away = smooth ? Floating : Anywhere;
            cases.push_back({name, smooth, true, {{Move, away, inside}, {Move, Anywhere, atLeft}, {cancel}}, Back});
        }
    }
    auto *second = new TTBToolbar(form);
    second->Items()->Add(new TWidthItem(second));
    second->SetDockRow(1);
    second->SetDockPos(30);
    second->SetCurrentDock(top);
    bar->SetDockPos(50);
    const TRect before = bar->BoundsRect();
    ASSERT_EQ(top->Height(), 52);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        bar->SetCurrentDock(top);
        bar->SetDockRow(0);
        bar->SetDockPos(50);
        bar->SetSmoothDrag(c.smooth);
        left->SetAllowDrag(c.leftAllowsDrag);
        ScriptSteps s = Script();
        for (const Step &st : c.steps) {
            s.Do([&, st] {
                switch (st.op) {
                case Move: return MoveTo(FormPoint(st.to.x(), st.to.y()));
                case CtrlDown: return sim::KeyPress(form, Qt::Key_Control, Qt::ControlModifier);
                case CtrlUp: return sim::KeyRelease(form, Qt::Key_Control);
                case Release: return sim::Release(form, form->mapFromGlobal(QCursor::pos()));
                case Escape: return sim::Key(form, Qt::Key_Escape);
                case PressElsewhere: return sim::Press(form, QPoint(5, 5));
                case LostCapture: bar->Perform(WM_CANCELMODE);
                }
            });
            if (st.wait != Anywhere)
                s.Then([&, st] { return st.wait == Left ? bar->CurrentDock() == left : bar->Floating(); });
        }
        Drag(s);
        EXPECT_EQ(bar->Floating(), c.end == Floating);
        EXPECT_EQ(left->GetToolbarCount(), c.end == Left ? 1 : 0);
        EXPECT_EQ(second->EffectiveDockRow(), c.end == Back ? 1 : 0);
        if (c.end != Floating) {
            EXPECT_EQ(bar->CurrentDock(), c.end == Left ? left : top);
            EXPECT_EQ(bar->DockRow(), 0);
            EXPECT_EQ(bar->FloatingWindowParent(), nullptr);
        }
        if (c.end == Back) {
            EXPECT_EQ(bar->DockPos(), 50);
            EXPECT_EQ(bar->BoundsRect(), before);
        }
        // Standing on end: the 40-px items across the dock; empty, it takes no room.
        EXPECT_EQ(left->Width(), c.end == Left ? 44 : 0);
    }
}

TEST_F(DockForm, ADockThatGoesTakesItsToolbarsAndIsForgottenAsDefaultDock)
{
    auto *bottom = new TTBDock(form);
    bottom->SetPosition(TTBDockPosition::dpBottom);
    bottom->SetParent(form);
    bar->SetDefaultDock(bottom);
    auto *other = new TTBToolbar(form);
    other->Items()->Add(new TWidthItem(other));
    other->SetCurrentDock(bottom);
    delete bottom;
    EXPECT_EQ(bar->DefaultDock(), nullptr);
    EXPECT_EQ(form->FindComponent(QStringLiteral("Bar1")), bar);
}

TEST_F(DockForm, TheFloatingCloseButtonHidesTheWindowAndClosingTheFrameClosesTheForm)
{
    TTBFloatingWindowParent *fp = Float();
    int closed = 0;
    bar->OnClose = [&](TComponent *) { ++closed; };
    const TRect b = bar->FloatingCloseButtonRect(Bounds(0, 0, fp->Width(), fp->Height()));
    PressAndRelease(fp, QPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(fp->isVisible());

    bar->Show();
    EXPECT_TRUE(fp->isVisible());
    fp->close();
    EXPECT_FALSE(form->isVisible());
}
