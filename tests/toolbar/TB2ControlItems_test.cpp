// Controls placed on a toolbar are shown through control items that the toolbar keeps in step
// with its child controls.
#include "platform/Forms.h"
#include "toolbar/TB2Dock.h"
#include "toolbar/TB2Toolbar.h"

#include <QPointer>
#include <gtest/gtest.h>

namespace {

int ControlItemsOf(const TTBCustomItem *root, const TControl *control)
{
    int n = 0;
    for (int i = 0; i < root->Count(); ++i) {
        const auto *ci = dynamic_cast<const TTBControlItem *>(root->Items(i));
        n += ci && ci->Control() == control;
    }
    return n;
}

TEST(TBControlItems, FollowTheToolbarsChildControls)
{
    TForm form(nullptr);
    auto *dock = new TTBDock(&form);
    dock->SetParent(&form);
    auto *bar = new TTBToolbar(&form);
    bar->SetCurrentDock(dock);
    auto *other = new TCustomControl(&form);
    other->SetParent(&form);

    // Placed directly: one item, owned like the toolbar's other components, at the end.
    auto *edit = new TCustomControl(&form);
    bar->Items()->Add(new TTBItem(nullptr));
    edit->SetParent(bar);
    ASSERT_EQ(ControlItemsOf(bar->Items(), edit), 1);
    TTBControlItem *item = bar->FindControlItem(edit);
    EXPECT_EQ(bar->Items()->IndexOf(item), 1);
    EXPECT_EQ(item->Owner(), &form);

    // Through InsertControl, or placed again: still one item, where InsertControl put it.
    auto *combo = new TCustomControl(&form);
    EXPECT_EQ(bar->Items()->IndexOf(bar->InsertControl(combo, 0)), 0);
    EXPECT_EQ(ControlItemsOf(bar->Items(), combo), 1);

    // Taken off the toolbar: the item goes, the control stays alive where it went.
    QPointer<TCustomControl> watch(edit);
    edit->SetParent(other);
    EXPECT_EQ(bar->FindControlItem(edit), nullptr);
    ASSERT_FALSE(watch.isNull());
    EXPECT_EQ(edit->Parent(), other);

    // Destroyed on the toolbar: its item goes with it.
    delete combo;
    EXPECT_EQ(bar->Items()->Count(), 1);
}

} // namespace
