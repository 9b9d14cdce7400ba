#include "contacts/shared/Commands.h"
#include "contacts/shared/FrameworkCommandBuilder.h"
#include "contacts/shared/QtCommandBuilder.h"

#include "themed/TBX.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"
#include "toolbar/TB2ItemWindow.h"

#include <QAction>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(Commands, TableBuildsTheTreeAndActionlessRowsStartDisabled)
{
    TCommandList list;
    int clicks = 0;
    TCommand &root = list.Define("Bar", {SubmenuRow("File", "文件"),
                                         CommandRow("Open", "打开", "Ctrl+O", [&clicks] { ++clicks; }), SeparatorRow(),
                                         CommandRow("Dead", "无", "", nullptr), SubmenuRow("Tools", "工具"),
                                         CommandRow("Options", "选项", "", [] {}), EndRow(), EndRow(),
                                         CommandRow("Help", "帮助", "", [] {})});
    ASSERT_EQ(root.Items().size(), 2u);
    EXPECT_EQ(root.Items()[0], list.Command("File"));
    EXPECT_EQ(root.Items()[1], list.Command("Help"));
    const std::vector<TCommand *> &file = list.Command("File")->Items();
    ASSERT_EQ(file.size(), 4u);
    EXPECT_EQ(file[1]->Kind(), TCommandKind::Separator);
    EXPECT_EQ(list.Command("Tools")->Items(), std::vector<TCommand *>{list.Command("Options")});
    EXPECT_EQ(list.Command("Open")->ShortCut(), QKeySequence("Ctrl+O"));
    EXPECT_FALSE(list.Command("Dead")->Enabled());
    EXPECT_EQ(list.Command("Missing"), nullptr);
    EXPECT_EQ(list.Command(""), nullptr) << "separators have no name to be found by";
    TCommand &open = *list.Command("Open");
    open.Click();
    open.SetEnabled(false);
    open.Click();
    EXPECT_EQ(clicks, 1) << "a disabled command ignores clicks";
}

TEST(QtCommandBuilder, ActionsFollowTheirCommandsAndClickThem)
{
    QWidget owner;
    TCommandList list;
    int clicks = 0, popups = 0;
    TCommand &root = list.Define("Popup", {CommandRow("Go", "走", "Ctrl+G", [&clicks] { ++clicks; }, "提示")});
    root.OnPopup = [&popups] { ++popups; };
    TQtCommandBuilder builder(&owner);
    QToolBar tools(&owner);
    builder.Fill(&tools, root);
    ASSERT_EQ(tools.actions().size(), 1);
    QAction *go = tools.actions()[0];
    EXPECT_EQ(go, builder.ActionOf(*list.Command("Go"))) << "one action per command";
    EXPECT_EQ(go->toolTip(), QStringLiteral("提示"));
    TCommand &command = *list.Command("Go");
    command.SetCaption("去");
    command.SetEnabled(false);
    command.SetVisible(false);
    EXPECT_EQ(go->text(), QStringLiteral("去"));
    EXPECT_FALSE(go->isEnabled());
    EXPECT_FALSE(go->isVisible());
    command.SetEnabled(true);
    go->trigger();
    EXPECT_EQ(clicks, 1);
    // The framework's popup of the same root runs its OnPopup when it opens, once.
    TFrameworkCommandBuilder framework(nullptr);
    std::unique_ptr<TTBPopupMenu> popup(framework.Popup(root));
    EXPECT_EQ(popups, 0);
    popup->Items()->DoPopup(popup->Items(), false);
    EXPECT_EQ(popups, 1);
}

TEST(QtCommandBuilder, ACheckedItemKeepsTheMarkItsCommandGives)
{
    QWidget owner;
    TCommandList list;
    TCommand &root = list.Define("Menu", {CommandRow("Choice0", "甲", "", [] {}), CommandRow("Choice1", "乙", "", [] {})});
    TCommand *items[2] = {list.Command("Choice0"), list.Command("Choice1")};
    for (TCommand *self : items) {
        self->OnClick = [&items, self] {
            for (TCommand *item : items)
                item->SetChecked(item == self);
        };
    }
    QToolBar bar;
    TQtCommandBuilder builder(&owner);
    builder.Fill(&bar, root);
    ASSERT_EQ(bar.actions().size(), 2);
    items[0]->Click();
    QAction *first = bar.actions()[0];
    // Clicking the checked item again: Qt would take the mark away; the command keeps it.
    first->trigger();
    EXPECT_TRUE(first->isChecked());
    bar.actions()[1]->trigger();
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(items[1]->Checked());
}

// A command shown in several places keeps all in step, also after one builder is gone.
TEST(CommandListeners, EveryPresentationFollowsAChangeMadeInCode)
{
    TCommandList list;
    TCommand &root = list.Define("Bar", {CommandRow("Pick", "选择", "", [] {})});
    TCommand &pick = *list.Command("Pick");
    QWidget owner;
    TQtCommandBuilder qt(&owner);
    QToolBar qtBar(&owner);
    qt.Fill(&qtBar, root);
    QAction *qtItem = qtBar.actions().at(0);
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
    EXPECT_TRUE(qtItem->isChecked());
    // A builder that goes takes only its own listener with it.
    first.reset();
    pick.SetEnabled(true);
    EXPECT_TRUE(tray.Items()->Items(0)->Enabled());
    EXPECT_TRUE(qtItem->isEnabled());
}

// A key attached to a widget follows its command, clicks it only while it is enabled, and the
// command may change after the widget is gone.
TEST(FrameworkCommandBuilder, AnAttachedKeyFollowsItsCommand)
{
    TCommandList list;
    int clicks = 0;
    list.Define("Menu", {CommandRow("treenoderename", "重命名", "F2", [&clicks] { ++clicks; })});
    TCommand &rename = *list.Command("treenoderename");
    TFrameworkCommandBuilder builder(nullptr);
    auto widget = std::make_unique<QWidget>();
    builder.AttachKey(widget.get(), rename, Qt::WidgetShortcut);
    ASSERT_EQ(widget->actions().size(), 1);
    QAction *key = widget->actions()[0];
    EXPECT_EQ(key->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(key->shortcutContext(), Qt::WidgetShortcut);
    rename.SetShortCut(QKeySequence("Ctrl+R"));
    EXPECT_EQ(key->shortcut(), QKeySequence("Ctrl+R"));
    rename.SetEnabled(false);
    EXPECT_FALSE(key->isEnabled());
    key->trigger();
    EXPECT_EQ(clicks, 0);
    rename.SetEnabled(true);
    key->trigger();
    EXPECT_EQ(clicks, 1);
    widget.reset();
    rename.SetEnabled(false);
}

// A menu's separators measure its image column from the same images as its items, so the column
// runs through them at one width.
TEST(FrameworkCommandBuilder, SeparatorsOfASubmenuShareItsImageColumn)
{
    TCommandList list;
    TCommand &root = list.Define("Bar", {SubmenuRow("File", "文件"), CommandRow("Open", "打开", "", [] {}),
                                         SeparatorRow(), CommandRow("Quit", "退出", "", [] {}), EndRow()});
    TFrameworkCommandBuilder builder(nullptr, 24);
    TTBPopupMenu bar(nullptr);
    builder.Fill(bar.Items(), root);
    TTBView menu(nullptr, nullptr, bar.Items()->Items(0), nullptr, false, false, false);
    TPoint size{200, 200};
    menu.UpdatePositions(size);
    ASSERT_EQ(menu.ViewerCount(), 3);
    EXPECT_EQ(GetPopupMargin(menu.Viewers(1)), GetPopupMargin(menu.Viewers(0)));
}

} // namespace
