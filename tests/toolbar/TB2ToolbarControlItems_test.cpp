// The controls of a toolbar's control items: a control resized or hidden by the program moves the
// items after it, controls put on a loading toolbar are wrapped once it has loaded, Tab stops at
// the controls of the items only, and a toolbar that does not size itself lays out for its width.
#include "TB2TestSupport.h"

#include <string>

namespace {

class ControlItemsForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 300);
        dock = new TTBDock(form);
        dock->SetParent(form);
        bar = new TTBToolbar(form);
        bar->SetHideWhenInactive(false);
        control = new TCustomControl(form);
        control->SetBounds(0, 0, 40, 22);
        control->SetParent(bar);
        next = new TWidthItem(bar);
        bar->Items()->Add(next);
        bar->Items()->Add(new TWidthItem(bar));
        bar->SetCurrentDock(dock);
        form->Show();
        ASSERT_TRUE(sim::WaitFor([&] { return form->isVisible(); }));
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int NextLeft() const { return bar->View()->Find(next)->BoundsRect.Left; }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
    TTBToolbar *bar = nullptr;
    TCustomControl *control = nullptr;
    TTBCustomItem *next = nullptr;
};

// Each change is made by the program on the control alone; the item after it and the toolbar
// (docked, or its floating window) follow.
TEST_F(ControlItemsForm, AControlResizedOrHiddenMovesTheItemsAfterItAndResizesTheToolbar)
{
    struct Change { std::string name; std::function<void()> apply; int shift; };
    const std::vector<Change> changes = {
        {"widened from 40 to 100", [&] { control->SetBounds(control->Left(), control->Top(), 100, 22); }, 60},
        {"hidden", [&] { control->Hide(); }, -100},
        {"shown again", [&] { control->Show(); }, 100},
        {"narrowed back to 40", [&] { control->SetBounds(control->Left(), control->Top(), 40, 22); }, -60},
    };
    for (bool floating : {false, true}) {
        SCOPED_TRACE(floating ? "floating" : "docked");
        if (floating) {
            bar->SetFloatingPosition(form->ClientToScreen({100, 100}));
            bar->SetFloating(true);
        }
        TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
        for (const Change &c : changes) {
            SCOPED_TRACE(c.name);
            const int left = NextLeft(), width = bar->Width();
            const int frameWidth = fp ? fp->Width() : 0;
            c.apply();
            EXPECT_EQ(NextLeft(), left + c.shift);
            EXPECT_EQ(bar->Width(), width + c.shift);
            if (fp) {
                EXPECT_EQ(fp->Width(), frameWidth + c.shift);
            }
        }
    }
}

// A chevron toolbar can shrink down to its first shown item: a hidden control is none.
TEST_F(ControlItemsForm, AHiddenControlTakesNoPartInTheSmallestSizeOfAChevronToolbar)
{
    auto *lone = new TTBToolbar(form);
    auto *c = new TCustomControl(form);
    c->SetBounds(0, 0, 40, 22);
    c->SetParent(lone);
    lone->SetCurrentDock(dock);
    const TRect nc = lone->GetDockedNCArea(dock);
    const int frame = nc.Left + nc.Right + tbChevronSize;
    EXPECT_EQ(lone->GetDockedMinimumSize(dock, 500), 40 + frame);
    c->Hide();
    EXPECT_EQ(lone->GetDockedMinimumSize(dock, 500), frame);
}

TEST_F(ControlItemsForm, LoadedWrapsTheControlsPutOnTheToolbarWhileItLoaded)
{
    auto *loading = new TTBToolbar(form);
    loading->Loading();
    auto *wrapped = new TCustomControl(form), *bare = new TCustomControl(form);
    wrapped->SetBounds(0, 0, 30, 22);
    bare->SetBounds(0, 0, 50, 22);
    TTBControlItem *made = TTBControlItem::CreateControlItem(form, wrapped);
    loading->Items()->Add(made);
    wrapped->SetParent(loading);
    bare->SetParent(loading);
    EXPECT_EQ(loading->FindControlItem(bare), nullptr);
    loading->SetParent(form);
    static_cast<TComponent *>(loading)->Loaded();
    // Each control once, the one already wrapped first, laid out side by side.
    ASSERT_EQ(loading->Items()->Count(), 2);
    EXPECT_EQ(loading->Items()->Items(0), made);
    TTBControlItem *item = loading->FindControlItem(bare);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(loading->Items()->Items(1), item);
    EXPECT_EQ(item->Owner(), form);
    EXPECT_EQ(bare->Left(), wrapped->Left() + 30);
    EXPECT_GE(loading->Width(), 80);
}

TEST_F(ControlItemsForm, TabStopsAtTheControlOfAnItemNotAtTheControlsInsideIt)
{
    auto *inner = new TCustomControl(form);
    inner->SetParent(control);
    auto *outside = new TCustomControl(form);
    outside->SetParent(form);
    std::vector<TWinControl *> order;
    form->GetTabOrderList(order);
    const auto listed = [&](TWinControl *c) { return std::find(order.begin(), order.end(), c) != order.end(); };
    EXPECT_TRUE(listed(control));
    EXPECT_FALSE(listed(inner));
    EXPECT_TRUE(listed(outside));
    // Inside a control that no item holds, nothing is left out.
    auto *panel = new TCustomControl(form);
    panel->SetParent(form);
    auto *field = new TCustomControl(form);
    field->SetParent(panel);
    order.clear();
    form->GetTabOrderList(order);
    EXPECT_TRUE(listed(field));
}

// Neither docked nor floating and not sizing itself: a width set by the program decides what
// goes into the chevron.
TEST_F(ControlItemsForm, AToolbarThatDoesNotSizeItselfLaysOutForItsWidth)
{
    bar->SetCurrentDock(nullptr);
    ASSERT_FALSE(bar->Docked());
    bar->SetAutoResize(false);
    const auto clipped = [&] {
        int n = 0;
        for (int i = 0; i < bar->View()->ViewerCount(); ++i)
            n += bar->View()->Viewers(i)->Clipped;
        return n;
    };
    // Three 40-px items: 100 px hold two beside the chevron.
    for (int width : {200, 100, 200}) {
        SCOPED_TRACE(width);
        bar->SetBounds(bar->Left(), bar->Top(), width, bar->Height());
        EXPECT_EQ(bar->Width(), width);
        EXPECT_EQ(clipped(), width < 120 ? 1 : 0);
    }
}

} // namespace
