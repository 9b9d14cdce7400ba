// A command shown in several places at once (the menu bar and the tray menu, a framework
// presentation and a Qt one) keeps every one of them in step, also after one builder is gone.
#include "contacts/shared/Commands.h"
#include "contacts/shared/FrameworkCommandBuilder.h"
#include "contacts/shared/QtCommandBuilder.h"

#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemWindow.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(CommandListeners, EveryPresentationFollowsAChangeMadeInCode)
{
    TCommandList list;
    TCommand &root = list.Define("Bar", {CommandRow("Pick", "选择", "", [] {})});
    TCommand &pick = *list.Command("Pick");

    QWidget owner;
    TQtCommandBuilder qt(&owner);
    QMenu *qtMenu = qt.Popup(root);
    TTBPopupMenu bar(nullptr), tray(nullptr);
    auto first = std::make_unique<TFrameworkCommandBuilder>(nullptr);
    first->Fill(bar.Items(), root);
    TFrameworkCommandBuilder second(nullptr);
    second.Fill(tray.Items(), root);

    pick.SetChecked(true);
    pick.SetEnabled(false);
    for (TTBCustomItem *item : {bar.Items()->Items(0), tray.Items()->Items(0)}) {
        EXPECT_TRUE(item->Checked());
        EXPECT_FALSE(item->Enabled());
    }
    EXPECT_TRUE(qtMenu->actions().at(0)->isChecked());

    // A builder that goes takes only its own listener with it.
    first.reset();
    pick.SetEnabled(true);
    EXPECT_TRUE(tray.Items()->Items(0)->Enabled());
    EXPECT_TRUE(qtMenu->actions().at(0)->isEnabled());
}

} // namespace
