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
    const struct {
        std::function<void()> call;
        QString message;
    } cases[] = {
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
    bar->SetDockRow(0);
    bar->SetFloatingPosition(FormPoint(200, 200));
    bar->SetFloating(true);
    TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
    ASSERT_NE(fp, nullptr);
    EXPECT_TRUE(fp->Name().startsWith(QStringLiteral("NBFloatingWindowParent_")));
    EXPECT_EQ(fp->Name().size(), 31);
    EXPECT_EQ(top->GetToolbarCount(), 0);
    EXPECT_EQ(top->Height(), 0);
    EXPECT_TRUE(fp->isVisible());
    EXPECT_EQ(bar->Left(), 0);
    // The caption sits above the client area inside the frame.
    const TRect nc = bar->GetFloatingNCArea();
    const QPoint caption(nc.Left + 10, nc.Top - 5);
    // The first press of the double click starts a drag that its release ends in place.
    ScriptSteps s = Script();
    s.Do([&] { sim::Release(fp, caption); });
    s.Start();
    sim::Press(fp, caption);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(bar->FloatingWindowParent(), fp);
    sim::Mouse(fp, QEvent::MouseButtonDblClick, caption, Qt::LeftButton);
    sim::HeldButtons() = {};
    EXPECT_EQ(bar->CurrentDock(), top);
    EXPECT_EQ(bar->FloatingWindowParent(), nullptr);
    EXPECT_EQ(top->Height(), 26);
}

TEST_F(DockForm, DragToTheLeftDockAndOffIntoAFloatingWindow)
{
    ScriptSteps s = Script();
    s.Do([&] { MoveTo(FormPoint(1, 200)); }).Then([&] { return bar->CurrentDock() == left; });
    s.Do([&] { MoveTo(FormPoint(300, 300)); }).Then([&] { return bar->Floating(); });
    s.Do([&] { MoveTo(FormPoint(1, 200)); }).Do([&] { sim::Release(form, form->mapFromGlobal(QCursor::pos())); });
    Drag(s);
    EXPECT_EQ(bar->CurrentDock(), left);
    EXPECT_EQ(bar->DockRow(), 0);
    EXPECT_EQ(bar->FloatingWindowParent(), nullptr);
    // Standing on end: the 40-px items across the dock.
    EXPECT_EQ(left->Width(), 44);
    EXPECT_EQ(top->Height(), 0);
}

TEST_F(DockForm, ControlWhileDraggingFloatsAndADockThatAllowsNoDragIsNeverATarget)
{
    const auto releaseAtLeft = [&] {
        sim::Release(form, form->mapFromGlobal(QPoint(FormPoint(1, 200).X, FormPoint(1, 200).Y)));
    };
    ScriptSteps s = Script();
    s.Do([&] { MoveTo(FormPoint(1, 200)); }).Then([&] { return bar->CurrentDock() == left; });
    s.Do([&] { sim::KeyPress(form, Qt::Key_Control, Qt::ControlModifier); }).Then([&] { return bar->Floating(); });
    s.Do([&] { sim::KeyRelease(form, Qt::Key_Control); }).Then([&] { return bar->CurrentDock() == left; });
    s.Do(releaseAtLeft);
    Drag(s);
    EXPECT_EQ(bar->CurrentDock(), left);

    bar->SetCurrentDock(top);
    left->SetAllowDrag(false);
    ScriptSteps n = Script();
    n.Do([&] { MoveTo(FormPoint(1, 200)); }).Then([&] { return bar->Floating(); });
    n.Do(releaseAtLeft);
    Drag(n);
    EXPECT_TRUE(bar->Floating());
    EXPECT_EQ(left->GetToolbarCount(), 0);
}

// Escape, another press and a lost capture all put the window back where it was, in both
// drag modes, with its row and position.
TEST_F(DockForm, ACancelledDragRestoresEverything)
{
    auto *second = new TTBToolbar(form);
    second->Items()->Add(new TWidthItem(second));
    second->SetDockRow(1);
    second->SetDockPos(30);
    second->SetCurrentDock(top);
    bar->SetDockPos(50);
    const TRect before = bar->BoundsRect();
    ASSERT_EQ(top->Height(), 52);
    enum Cancel { Escape, Press, LostCapture };
    for (bool smooth : {true, false}) {
        for (Cancel how : {Escape, Press, LostCapture}) {
            bar->SetSmoothDrag(smooth);
            ScriptSteps s = Script();
            s.Do([&] { MoveTo(FormPoint(300, 300)); }).Then([&] { return !smooth || bar->Floating(); });
            s.Do([&] { MoveTo(FormPoint(1, 200)); });
            s.Do([&] {
                if (how == Escape)
                    sim::Key(form, Qt::Key_Escape);
                else if (how == Press)
                    sim::Press(form, QPoint(5, 5));
                else
                    bar->Perform(WM_CANCELMODE);
            });
            Drag(s);
            const std::string name = std::string(smooth ? "smooth " : "outline ") + std::to_string(int(how));
            EXPECT_EQ(bar->CurrentDock(), top) << name;
            EXPECT_EQ(bar->DockRow(), 0) << name;
            EXPECT_EQ(bar->DockPos(), 50) << name;
            EXPECT_EQ(bar->BoundsRect(), before) << name;
            EXPECT_EQ(second->EffectiveDockRow(), 1) << name;
            EXPECT_EQ(bar->FloatingWindowParent(), nullptr) << name;
            EXPECT_EQ(left->GetToolbarCount(), 0) << name;
        }
    }
}

TEST_F(DockForm, SetBoundsWithTheSameRectangleDoesNothing)
{
    bar->SetFloatingPosition(FormPoint(200, 200));
    bar->SetFloating(true);
    TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
    fp->SetBounds(fp->Left() + 30, fp->Top(), fp->Width() + 20, fp->Height());
    const TRect frame = fp->BoundsRect();
    int moves = 0;
    bar->OnMove = [&](TComponent *) { ++moves; };
    bar->SetBounds(bar->Left(), bar->Top(), bar->Width(), bar->Height());
    EXPECT_EQ(fp->BoundsRect(), frame);
    EXPECT_EQ(moves, 0);
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
    bar->SetFloatingPosition(FormPoint(200, 200));
    bar->SetFloating(true);
    TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
    int closed = 0;
    bar->OnClose = [&](TComponent *) { ++closed; };
    const TRect b = bar->FloatingCloseButtonRect(Bounds(0, 0, fp->Width(), fp->Height()));
    const QPoint over((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    ScriptSteps s = Script();
    s.Do([&] { sim::Release(fp, over); });
    s.Start();
    sim::Press(fp, over);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(fp->isVisible());

    bar->Show();
    EXPECT_TRUE(fp->isVisible());
    fp->close();
    EXPECT_FALSE(form->isVisible());
}
