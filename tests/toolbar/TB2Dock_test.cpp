// Docks and dockable windows: the row arrangement over fake windows, then real forms with their
// thickness, bound lines, placement rules, the floating frame, and the drag loop driven by
// synthesized input.
#include "TB2TestSupport.h"
#include "TestSupport.h"
#include "platform/SysColors.h"

#include <string>
#include <vector>

namespace {

struct Win {
    int row = 0, pos = -1, full = 100, min = 100, kind = 0, cross = 22;
    bool fullSize = false, stretch = false, dragging = false, ownRow = false;
};

struct Place { int row, pos, size, thickness; };
struct Case { std::string name; int avail; bool oneRow; std::vector<Win> wins; std::vector<Place> expect; int total; };
Win W(int row, int pos, int full = 100) { return {row, pos, full, full}; }
Win Chev(int row, int pos, int full, int min) { return {row, pos, full, min, 2}; }

TEST(TB2DockArrange, RowsPositionsSizesAndDropRows)
{
    const std::vector<Case> cases = {
        {"three 200s in 450 wrap", 450, false, {W(0, -1, 200), W(0, -1, 200), W(0, -1, 200)},
         {{0, 0, 200, 26}, {0, 200, 200, 26}, {1, 0, 200, 26}}, 52},
        {"gaps kept when the row fits", 450, false, {W(0, 10), W(0, 300)}, {{0, 10, 100, 26}, {0, 300, 100, 26}}, 26},
        {"gaps shrink from the row end", 250, false, {W(0, 40), W(0, 200)}, {{0, 40, 100, 26}, {0, 150, 100, 26}}, 26},
        {"-1 goes after every real position", 450, false, {W(0, -1), W(0, 50)},
         {{0, 150, 100, 26}, {0, 50, 100, 26}}, 26},
        {"-8 goes before every window", 450, false, {W(0, 0), W(0, -8)}, {{0, 100, 100, 26}, {0, 0, 100, 26}}, 26},
        {"two FullSize in one row take two rows", 450, false,
         {{0, -1, 100, 100, 0, 22, true}, {0, -1, 100, 100, 0, 22, true}}, {{0, 0, 450, 26}, {1, 0, 450, 26}}, 52},
        {"LimitToOneRow never wraps", 250, true, {W(0, -1, 200), W(3, -1, 200)}, {{0, 0, 200, 26}, {0, 200, 200, 26}}, 26},
        {"Stretch fills the row end", 400, false, {W(0, 0), {0, 150, 100, 100, 0, 22, false, true}},
         {{0, 0, 100, 26}, {0, 100, 300, 26}}, 26},
        {"Stretch grows up to the next window", 400, false, {{0, 0, 100, 100, 0, 22, false, true}, W(0, 300)},
         {{0, 0, 300, 26}, {0, 300, 100, 26}}, 26},
        {"empty rows close up", 450, false, {W(2, -1), W(5, -1)}, {{0, 0, 100, 26}, {1, 0, 100, 26}}, 52},
        {"thickness is the largest cross plus 4", 450, false, {{0, -1, 100, 100, 0, 30}, W(0, -1)},
         {{0, 0, 100, 34}, {0, 100, 100, 34}}, 34},
        {"a chevron window shrinks to fit", 250, false, {W(0, -1), Chev(0, -1, 200, 40)},
         {{0, 0, 100, 26}, {0, 100, 150, 26}}, 26},
        {"a chevron window squeezed below its minimum stays at it", 30, false, {Chev(0, -1, 200, 40)},
         {{0, 0, 40, 26}}, 26},
        {"the dragged window asking for a new row gets it", 450, false,
         {W(0, -1), {0, 0, 100, 100, 0, 22, false, false, true, true}}, {{1, 0, 100, 26}, {0, 0, 100, 26}}, 52},
        {"a hidden window takes no place", 450, false, {{0, -1}, W(0, -1)}, {{-1, 0, 0, 0}, {0, 0, 100, 26}}, 26},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TTBDockArrangeRec> recs;
        for (const Win &w : c.wins)
            recs.push_back({.DockRow = w.row, .DockPos = w.pos, .FullSize = w.fullSize, .Stretch = w.stretch,
                            .Dragging = w.dragging, .WantsOwnRow = w.ownRow});
        recs[0].Shown = c.name != "a hidden window takes no place";
        TTBDockArrangeParams p{.Avail = c.avail, .LimitToOneRow = c.oneRow, .Measure = [&](int i, int) {
            const Win &w = c.wins[size_t(i)];
            return TTBDockMeasure{w.full, w.min, w.kind, w.cross};
        }};
        EXPECT_EQ(ArrangeDockRecords(p, recs), c.total);
        // Row, place, size and thickness; a hidden window has only its row (-1).
        for (size_t i = 0; i < c.expect.size(); ++i) {
            const Place &e = c.expect[i];
            const TTBDockArrangeRec &r = recs[i];
            EXPECT_EQ((std::vector<int>{r.EffRow, r.EffPos, r.Size, r.Thickness}),
                      (e.row < 0 ? std::vector<int>{-1, r.EffPos, r.Size, r.Thickness}
                                 : std::vector<int>{e.row, e.pos, e.size, e.thickness})) << "#" << i;
        }
    }
    // Rows of 26 and 26 (the second FullSize), an empty one, then nothing.
    const std::vector<std::pair<int, bool>> rows = {{26, false}, {26, true}, {0, false}};
    const struct { int offset; TTBRowDrop drop; } drops[] = {
        {-3, {0, true}},  {2, {0, true}},   {6, {0, false}},  {19, {0, false}}, {20, {1, true}},
        {27, {1, true}},  {38, {1, true}}, {39, {2, true}},  {51, {2, true}},  {80, {2, true}},
    };
    for (const auto &c : drops) {
        const TTBRowDrop d = FindDropRow(rows, c.offset);
        EXPECT_EQ(std::pair(d.Row, d.NewRow), std::pair(c.drop.Row, c.drop.NewRow)) << c.offset;
    }
}

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
        ASSERT_TRUE(sim::WaitFor([&] { return form->isVisible(); }));
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TPoint FormPoint(int x, int y) const { return form->ClientToScreen({x, y}); }
    void MoveTo(const TPoint &g) { sim::Move(form, form->mapFromGlobal(QPoint(g.X, g.Y))); }
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
    TTBFloatingWindowParent *Float()
    {
        bar->SetFloatingPosition(FormPoint(200, 200));
        bar->SetFloating(true);
        return bar->FloatingWindowParent();
    }
    // A press on the floating frame runs a loop of its own, which the release ends.
    void PressAndRelease(QWidget *w, QPoint p)
    {
        ScriptSteps s(form, 1);
        s.Do([&] { sim::Release(w, p); });
        s.Start();
        sim::Press(w, p);
        EXPECT_TRUE(s.Done());
    }
    TForm *form = nullptr;
    TTBDock *top = nullptr, *left = nullptr;
    TTBToolbar *bar = nullptr;
};

TEST_F(DockForm, ThicknessFollowsRowsFixAlignAndBoundLines)
{
    EXPECT_EQ(left->Width(), 0);
    left->SetFixAlign(true);
    EXPECT_EQ(left->Width(), 1);
    // One row: 22-px items plus the 4-px frame; a line in the shadow colour above, a light one below.
    EXPECT_EQ(top->Height(), 26);
    top->SetBoundLines({TTBDockBoundLinesValue::blTop, TTBDockBoundLinesValue::blBottom});
    EXPECT_EQ(top->Height(), 28);
    QImage lined = BlankImage(top->Width(), top->Height(), 0x00FF00FF);
    TCanvas canvas(lined);
    top->PaintTo(canvas, 0, 0);
    EXPECT_EQ(PixelAt(lined, 10, 0), ColorToRGB(clBtnShadow));
    EXPECT_NE(PixelAt(lined, 10, 27), ColorToRGB(clBtnShadow));
    EXPECT_NE(PixelAt(lined, 10, 27), 0x00FF00FF);
    bar->Hide();
    EXPECT_EQ(top->Height(), 0);
}

// A picture in the form's coordinates: red left of x = 300, green from there.
class THalvesBackground : public TTBBasicBackground
{
public:
    using TTBBasicBackground::TTBBasicBackground;
    void Draw(TCanvas &DC, const TRect &) override
    {
        DC.Brush()->SetColor(clRed);
        DC.FillRect({0, 0, 300, 1000});
        DC.Brush()->SetColor(clLime);
        DC.FillRect({300, 0, 1000, 1000});
    }
    void RegisterChanges(const std::function<void()> &, const void *) override {}
    void SysColorChanged() override {}
    void UnregisterChanges(const void *) override {}
    bool UsingBackground() override { return true; }
};

TEST_F(DockForm, TheDocksBackgroundShowsBehindItsToolbarsWhenItSaysSo)
{
    THalvesBackground picture(nullptr);
    top->SetBackground(&picture);
    bar->SetStretch(true);  // empty client area across the middle of the form
    // The colour of the toolbar at a point of the form, its items far to the left.
    const auto colourAt = [&](int formX) {
        QImage image = BlankImage(bar->Width(), bar->Height(), 0x00FF00FF);
        TCanvas canvas(image);
        bar->PaintTo(canvas, 0, 0);
        const QPoint p = bar->mapFromGlobal(FormPoint(formX, 0).ToQPoint());
        return PixelAt(image, p.x(), bar->Height() / 2);
    };
    for (bool onToolbars : {true, false}) {
        top->SetBackgroundOnToolbars(onToolbars);
        EXPECT_EQ(colourAt(250), onToolbars ? ColorToRGB(clRed) : ColorToRGB(clBtnFace));
        EXPECT_EQ(colourAt(350), onToolbars ? ColorToRGB(clLime) : ColorToRGB(clBtnFace));
    }
    top->SetBackground(nullptr);
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

TEST_F(DockForm, FloatsClosesAndDocksBackOnACaptionDoubleClickAndHitTestsItsFrame)
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
    // The close button hides the window; shown again, so is the frame.
    int closed = 0;
    bar->OnClose = [&](TComponent *) { ++closed; };
    const TRect b = bar->FloatingCloseButtonRect(Bounds(0, 0, fp->Width(), fp->Height()));
    PressAndRelease(fp, QPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(bar->Visible() || fp->isVisible());
    bar->Show();
    EXPECT_TRUE(fp->isVisible());
    // The first press of the double click starts a drag that its release ends in place.
    PressAndRelease(fp, caption);
    EXPECT_EQ(bar->FloatingWindowParent(), fp);
    sim::Mouse(fp, QEvent::MouseButtonDblClick, caption, Qt::LeftButton);
    sim::Release(form, QPoint(-50, -50));  // the frame is gone: the button comes up outside any window
    EXPECT_EQ(bar->CurrentDock(), top);
    EXPECT_EQ(bar->FloatingWindowParent(), nullptr);
    EXPECT_EQ(top->Height(), 26);
    // Closing the frame closes the form.
    Float()->close();
    EXPECT_FALSE(form->isVisible());
    // Every part of the floating frame a point can be on, for a frame at w.
    const TRect w{100, 100, 300, 200};
    const int cap = GetSystemMetrics(SM_CYSMCAPTION);
    const TRect close = bar->FloatingCloseButtonRect(w);
    const struct { TPoint p; int hit; } rows[] = {
        {{50, 50}, HTNOWHERE}, {{200, 190 - nc.Bottom}, HTCLIENT},
        {{150, 100 + nc.Bottom + cap / 2}, int(tbHTCaption)},
        {{(close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2}, int(tbHTCloseButton)},
        {{100, 100}, HTTOPLEFT}, {{299, 100}, HTTOPRIGHT}, {{100, 199}, HTBOTTOMLEFT}, {{299, 199}, HTBOTTOMRIGHT},
        {{200, 199}, HTBOTTOM},  {{100, 150}, HTLEFT},     {{299, 150}, HTRIGHT},
    };
    for (const auto &r : rows)
        EXPECT_EQ(bar->FloatingHitTest(r.p, w), r.hit) << r.p.X << "," << r.p.Y;
    bar->SetResizable(false);
    EXPECT_EQ(bar->FloatingHitTest({100, 150}, w), HTBORDER) << "a fixed frame only borders";
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
        ScriptSteps s(form, 1);
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

TEST_F(DockForm, GetToolbarsListsTheShownToolbarsByRowThenPlace)
{
    auto *other = new TTBToolbar(form);
    other->Items()->Add(new TWidthItem(other));
    other->SetCurrentDock(top);
    const auto order = [&] { return std::vector<TTBCustomDockableWindow *>{top->GetToolbars(0), top->GetToolbars(1)}; };
    bar->SetDockRow(1);
    EXPECT_EQ(order(), (std::vector<TTBCustomDockableWindow *>{other, bar})) << "by row";
    other->SetDockRow(1), other->SetDockPos(0), bar->SetDockPos(100);
    EXPECT_EQ(order(), (std::vector<TTBCustomDockableWindow *>{other, bar})) << "by place along the row";
}

// Dialog keys reach a floating toolbar through the dock it came from only when it is a menu bar:
// Enter must not press a button on a floating toolbar.
TEST_F(DockForm, DialogKeysReachFloatingMenuBarsOnly)
{
    struct TKeyNotingToolbar : TTBToolbar {
        using TTBToolbar::TTBToolbar;
        int heard = 0;
        void WndProc(TMessage &m) override { heard += m.Msg == CM_DIALOGKEY, TTBToolbar::WndProc(m); }
    };
    auto *tb = new TKeyNotingToolbar(form);
    tb->SetHideWhenInactive(false);
    tb->SetCurrentDock(top);
    tb->SetFloatingPosition(FormPoint(200, 200));
    tb->SetFloating(true);
    for (bool menuBar : {false, true}) {
        tb->SetMenuBar(menuBar);
        tb->heard = 0;
        top->Perform(CM_DIALOGKEY, VK_RETURN, 0);
        EXPECT_EQ(tb->heard, menuBar ? 1 : 0) << menuBar;
    }
}

// The drag loop takes the release of the press that began it; the toolbar hears the button come
// up outside itself, so the press makes no click, then or at a later release.
TEST_F(DockForm, ADragBegunInTheClientAreaEndsWithAMouseUpOutsideTheToolbar)
{
    bar->SetStretch(true);  // empty client area right of the items
    std::vector<TPoint> ups;
    int clicks = 0;
    bar->OnMouseUp = [&](TComponent *, TMouseButton, TShiftState, int x, int y) { ups.push_back({x, y}); };
    bar->OnClick = [&](TComponent *) { ++clicks; };
    const QPoint empty(bar->ClientWidth() - 20, bar->ClientHeight() / 2);
    PressAndRelease(bar, empty);
    EXPECT_EQ(ups, (std::vector<TPoint>{{-1, -1}}));
    sim::Release(bar, empty);
    EXPECT_EQ(clicks, 0);
}

// Around a floating toolbar the frame changes, not the toolbar: when the caption comes or goes,
// and when Escape cancels a resize, which leaves the width its items wrap at as it was too.
TEST_F(DockForm, AFloatingToolbarKeepsItsSizeWhenItsCaptionGoesOrAResizeIsCancelled)
{
    bar->SetShrinkMode(TTBShrinkMode::tbsmWrap);
    TTBFloatingWindowParent *fp = Float();
    const int wrap = bar->FloatingWidth();
    const auto sizes = [&] { return std::vector{bar->Width(), bar->Height(), fp->ClientWidth(), fp->ClientHeight()}; };
    const std::vector before{bar->Width(), bar->Height(), bar->Width(), bar->Height()};
    for (bool show : {false, true}) {
        bar->SetShowCaption(show);
        EXPECT_EQ(sizes(), before) << show;
    }
    const QPoint edge(fp->Width() / 2, fp->Height() - 1);
    ScriptSteps s(fp, 1);
    // A line further down: the toolbar wraps while the pointer is there.
    s.Do([&] { sim::Move(fp, edge + QPoint(0, 30)); }).Then([&] { return bar->FloatingWidth() != wrap; });
    s.Key(fp, Qt::Key_Escape);
    s.Start();
    sim::Press(fp, edge);
    EXPECT_TRUE(s.Done());
    sim::Release(form, QPoint(-50, -50));
    EXPECT_EQ(bar->FloatingWidth(), wrap);
    EXPECT_EQ(sizes(), before);
}

} // namespace

// A smooth drag that floats the toolbar and then docks it again keeps its floating frame for the
// rest of the drag, but hidden: an empty frame would stand on the screen as a black square.
TEST_F(DockForm, AFrameLeftEmptyByADockingDragIsHidden)
{
    bar->SetSmoothDrag(true);
    std::vector<std::pair<bool, bool>> seen;  // (floating, a frame on screen)
    const auto look = [&] {
        TTBFloatingWindowParent *frame = bar->FloatingWindowParent();
        seen.emplace_back(bar->Floating(), frame && frame->isVisible());
    };
    ScriptSteps s(form, 1);
    s.Do([&] { MoveTo(FormPoint(300, 300)); }).Then([&] { return bar->Floating(); }).Do(look);
    s.Do([&] { MoveTo(FormPoint(1, 200)); }).Then([&] { return bar->CurrentDock() == left; }).Do(look);
    s.Do([&] { sim::Release(form, form->mapFromGlobal(QCursor::pos())); });
    Drag(s);
    EXPECT_EQ(seen, (std::vector<std::pair<bool, bool>>{{true, true}, {false, false}}));
    EXPECT_EQ(bar->CurrentDock(), left);
    EXPECT_EQ(bar->FloatingWindowParent(), nullptr);
}
