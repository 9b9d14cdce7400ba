// A dock's shown toolbars in the order of their rows, the keys it passes to floating menu bars,
// the floating frame around a caption that comes and goes, and the end of a drag begun in a
// toolbar's client area.
#include "TB2TestSupport.h"
#include "platform/Messages.h"

#include <string>

namespace {

// Notes the keyboard messages the dock hands it.
class TKeyNotingToolbar : public TTBToolbar
{
public:
    using TTBToolbar::TTBToolbar;
    std::vector<UINT> heard;

protected:
    void WndProc(TMessage &Message) override
    {
        if (Message.Msg == CM_DIALOGKEY || Message.Msg == CM_DIALOGCHAR || Message.Msg == WM_SYSCOMMAND)
            heard.push_back(Message.Msg);
        TTBToolbar::WndProc(Message);
    }
};

class DockRowsForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 600, 300);
        dock = new TTBDock(form);
        dock->SetParent(form);
        form->Show();
        ASSERT_TRUE(sim::WaitFor([&] { return form->isVisible(); }));
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        sim::HeldButtons() = {};
    }
    template <class T = TTBToolbar>
    T *NewBar(const QString &name)
    {
        auto *tb = new T(form);
        tb->SetName(name);
        tb->SetHideWhenInactive(false);
        tb->Items()->Add(new TWidthItem(tb));
        tb->SetCurrentDock(dock);
        return tb;
    }
    QStringList Order() const
    {
        QStringList names;
        for (int i = 0; i < dock->GetToolbarCount(); ++i)
            names << dock->GetToolbars(i)->Name();
        return names;
    }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
};

TEST_F(DockRowsForm, GetToolbarsWalksTheShownToolbarsByRowThenPlace)
{
    TTBToolbar *a = NewBar("A"), *b = NewBar("B"), *c = NewBar("C");
    struct Step { std::string name; std::function<void()> apply; QStringList order; };
    const std::vector<Step> steps = {
        {"docked one after another", [] {}, {"A", "B", "C"}},
        {"A moves down a row", [&] { a->SetDockRow(1); }, {"B", "C", "A"}},
        {"C goes before B", [&] { c->SetDockPos(0); b->SetDockPos(100); }, {"C", "B", "A"}},
        {"B moves below A", [&] { b->SetDockRow(2); }, {"C", "A", "B"}},
        {"A hidden", [&] { a->Hide(); }, {"C", "B"}},
        {"A shown again, above everything", [&] { a->SetDockRow(0); a->SetDockPos(-8); a->Show(); }, {"A", "C", "B"}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        s.apply();
        EXPECT_EQ(Order(), s.order);
    }
}

// Enter, Alt+letter and the like reach a floating menu bar through the dock it came from; a
// floating toolbar that is no menu bar keeps out of them.
TEST_F(DockRowsForm, DialogKeysAndSystemCommandsGoToFloatingMenuBarsOnly)
{
    auto *menu = NewBar<TKeyNotingToolbar>("Menu");
    menu->SetMenuBar(true);
    auto *plain = NewBar<TKeyNotingToolbar>("Plain");
    auto *docked = NewBar<TKeyNotingToolbar>("Docked");
    for (TTBToolbar *tb : {static_cast<TTBToolbar *>(menu), static_cast<TTBToolbar *>(plain)}) {
        tb->SetFloatingPosition(form->ClientToScreen({100, 100}));
        tb->SetFloating(true);
        ASSERT_TRUE(tb->Showing());
    }
    // Alt+"-" matches no item and opens no menu, so nothing waits for input.
    dock->Perform(CM_DIALOGKEY, VK_RETURN, 0);
    dock->Perform(CM_DIALOGCHAR, 'x', 0);
    dock->Perform(WM_SYSCOMMAND, SC_KEYMENU, '-');
    EXPECT_EQ(menu->heard, (std::vector<UINT>{CM_DIALOGKEY, CM_DIALOGCHAR, WM_SYSCOMMAND}));
    EXPECT_TRUE(plain->heard.empty());
    // A docked toolbar hears the dialog keys as any child of the dock does, never twice.
    EXPECT_EQ(docked->heard, (std::vector<UINT>{CM_DIALOGKEY, CM_DIALOGCHAR}));
}

TEST_F(DockRowsForm, ShowCaptionReframesTheFloatingWindowAroundTheSameToolbar)
{
    TTBToolbar *bar = NewBar("Bar");
    bar->SetFloatingPosition(form->ClientToScreen({100, 100}));
    bar->SetFloating(true);
    TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
    const int width = bar->Width(), height = bar->Height();
    const int caption = GetSystemMetrics(SM_CYSMCAPTION);
    for (bool show : {false, true, false, true}) {
        SCOPED_TRACE(show);
        const TPoint at{fp->Left(), fp->Top()};
        bar->SetShowCaption(show);
        EXPECT_EQ(std::pair(bar->Width(), bar->Height()), std::pair(width, height));
        EXPECT_EQ(std::pair(fp->ClientWidth(), fp->ClientHeight()), std::pair(width, height));
        const TRect nc = bar->GetFloatingNCArea();
        EXPECT_EQ(fp->Height(), height + nc.Top + nc.Bottom);
        EXPECT_EQ(nc.Top - nc.Bottom, show ? caption : 0);
        EXPECT_EQ((TPoint{fp->Left(), fp->Top()}), at);
    }
}

// The drag loop takes the release of the press that began it; the toolbar still hears the button
// come up, outside itself, so the press makes no click, then or at a later release.
TEST_F(DockRowsForm, ADragBegunInTheClientAreaEndsWithAMouseUpOutsideTheToolbar)
{
    TTBToolbar *bar = NewBar("Bar");
    bar->SetStretch(true);  // empty client area right of the item
    std::vector<TPoint> ups;
    int clicks = 0;
    bar->OnMouseUp = [&](TComponent *, TMouseButton b, TShiftState, int x, int y) {
        if (b == TMouseButton::mbLeft)
            ups.push_back({x, y});
    };
    bar->OnClick = [&](TComponent *) { ++clicks; };
    const QPoint empty(bar->ClientWidth() - 20, bar->ClientHeight() / 2);
    bool inLoop = false;
    ScriptSteps s(form, 1);
    s.Do([&] {
        inLoop = bar->DragMode();
        sim::Release(bar, empty);
    });
    s.Start();
    sim::Press(bar, empty);
    EXPECT_TRUE(s.Done());
    EXPECT_TRUE(inLoop);
    EXPECT_EQ(ups, (std::vector<TPoint>{{-1, -1}}));
    sim::Release(bar, empty);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(bar->CurrentDock(), dock);
}

// Escape during a resize of a floating wrapping toolbar leaves its frame, its size and the width
// it wraps at as they were, whether the frame followed the pointer or an outline did.
TEST_F(DockRowsForm, AResizeCancelledWithEscapeLeavesTheFloatingToolbarAsItWas)
{
    TTBToolbar *bar = NewBar("Bar");
    for (int i = 0; i < 3; ++i)
        bar->Items()->Add(new TWidthItem(bar));
    bar->SetShrinkMode(TTBShrinkMode::tbsmWrap);
    bar->SetFloatingPosition(form->ClientToScreen({100, 100}));
    bar->SetFloating(true);
    TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
    for (bool smooth : {true, false}) {
        SCOPED_TRACE(smooth);
        bar->SetSmoothDrag(smooth);
        const TRect frame = fp->BoundsRect();
        const std::pair<int, int> size(bar->Width(), bar->Height());
        const int wrap = bar->FloatingWidth();
        const QPoint edge(fp->Width() / 2, fp->Height() - 1);
        ASSERT_EQ(bar->FloatingHitTest({edge.x(), edge.y()}, Bounds(0, 0, fp->Width(), fp->Height())), HTBOTTOM);
        ScriptSteps s(fp, 1);
        // A line further down: the toolbar wraps while the pointer is there.
        s.Do([&] { sim::Move(fp, edge + QPoint(0, 30)); }).Then([&] { return bar->FloatingWidth() != wrap; });
        s.Key(fp, Qt::Key_Escape);
        s.Start();
        sim::Press(fp, edge);
        EXPECT_TRUE(s.Done());
        sim::Release(form, QPoint(-50, -50));
        EXPECT_EQ(fp->BoundsRect(), frame);
        EXPECT_EQ(std::pair(bar->Width(), bar->Height()), size);
        EXPECT_EQ(bar->FloatingWidth(), wrap);
    }
}

} // namespace
