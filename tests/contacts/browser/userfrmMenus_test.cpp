// The group tree's and the contact list's context menus as the framework shows them: which
// items a right click offers for what is under the pointer, where the menu opens, and that an
// item of the open menu runs its command.
#include "browser/BrowserTestSupport.h"
#include "shared/PopupMenuRecorder.h"

#include <QAbstractItemView>
#include <QApplication>

namespace {

class BrowserMenus : public BrowserTest
{
protected:
    // The right click's request for a menu at a point of the view, as Qt makes it.
    void RightClickTree(const QPoint &at) { emit Page().DyTreeView1->customContextMenuRequested(at); }
    void RightClickList(const QPoint &at) { emit Page().ListView1->ActiveView()->customContextMenuRequested(at); }
    QPoint CentreOf(QTreeWidgetItem *node) { return Page().DyTreeView1->visualItemRect(node).center(); }
    // The item shown with this caption; a key shown after a tab is not part of it.
    TTBCustomItem *ItemCaptioned(TTBPopupMenu *menu, const QString &caption)
    {
        for (int i = 0; i < menu->Items()->Count(); ++i)
            if (menu->Items()->Items(i)->Caption().section('\t', 0, 0) == caption)
                return menu->Items()->Items(i);
        ADD_FAILURE() << "no item " << caption.toStdString();
        static TTBItem none(nullptr);
        return &none;
    }

    PopupMenuRecorder menus;
};

// 删除 only below the root, 导出名片 only on a contact, whatever the menu offered before.
TEST_F(BrowserMenus, TheTreeMenuOffersWhatTheNodeUnderThePointerAllows)
{
    const qint64 group = Group("组");
    const qint64 top = Contact("甲");
    const qint64 inner = Contact("乙", group, 2);
    const qint64 sub = Group("子组", group, 2);
    Page().show();
    Page().DyTreeView1->expandAll();
    QApplication::processEvents();
    const struct {
        const char *name;
        QTreeWidgetItem *node;
        const char *remove;
        const char *card;
    } cases[] = {
        {"a contact at the top", Node(top), "e", "e"},
        {"the root", Page().Root(), "", ""},
        {"a group", Node(group), "e", ""},
        {"a contact in a group", Node(inner), "e", "e"},
        {"a group in a group", Node(sub), "e", ""},
        {"the root again", Page().Root(), "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        menus.opened.clear();
        RightClickTree(CentreOf(c.node));
        ASSERT_EQ(menus.opened.size(), 1u);
        const TOpenedMenu &menu = menus.opened[0];
        EXPECT_EQ(menu.name, "DRPopupMenu");
        EXPECT_EQ(menu.at, Page().DyTreeView1->viewport()->mapToGlobal(CentreOf(c.node))) << "at the pointer";
        EXPECT_EQ(Page().DyTreeView1->currentItem(), c.node) << "the node under the pointer is selected";
        EXPECT_EQ(menu.State("删除"), c.remove);
        EXPECT_EQ(menu.State("导出名片"), c.card);
        EXPECT_EQ(menu.State("重命名"), "e F2");
        EXPECT_EQ(menu.State("新组"), "e");
    }
    // Below the last node the menu is the tree's all the same, enabled for the node selected
    // then, or for none once the tree was left.
    const QPoint below(5, Page().DyTreeView1->viewport()->height() - 3);
    ASSERT_EQ(Page().DyTreeView1->itemAt(below), nullptr);
    const struct {
        const char *name;
        QTreeWidgetItem *selected;
        const char *remove;
        const char *card;
    } elsewhere[] = {
        {"a contact selected", Node(inner), "e", "e"},
        {"the root selected", Page().Root(), "", ""},
        {"a group selected", Node(group), "e", ""},
        {"nothing selected", nullptr, "", ""},
    };
    for (const auto &c : elsewhere) {
        SCOPED_TRACE(c.name);
        Page().DyTreeView1->setCurrentItem(c.selected);
        menus.opened.clear();
        RightClickTree(below);
        ASSERT_EQ(menus.opened.size(), 1u);
        EXPECT_EQ(menus.opened[0].name, "DRPopupMenu");
        EXPECT_EQ(Page().DyTreeView1->currentItem(), c.selected) << "the selection stays";
        EXPECT_EQ(menus.opened[0].State("删除"), c.remove);
        EXPECT_EQ(menus.opened[0].State("导出名片"), c.card);
    }
}

// 自动展开 carries a check mark that follows the setting, and the menu's item switches it.
TEST_F(BrowserMenus, AutoExpandIsCheckedInTheMenuAndSwitchedFromIt)
{
    Page();
    TTBCustomItem *item = ItemCaptioned(Page().DRPopupMenu, "自动展开");
    ASSERT_NE(item, nullptr);
    const bool expected[] = {true, false, true};
    for (bool on : expected) {
        item->Click();
        EXPECT_EQ(Page().AutoExpand(), on);
        RightClickTree(CentreOf(Page().Root()));
        ASSERT_FALSE(menus.opened.empty());
        EXPECT_EQ(menus.opened.back().State("自动展开"), on ? "ec" : "e");
        EXPECT_EQ(TIniFile(ConfigIniPath()).ReadBool("TREEVIEW", "AUTOEXPAND", !on), on);
    }
}

// 打开 for exactly one selected item, 删除 for any selection, 排序 never; the items of the open
// menu run their commands.
TEST_F(BrowserMenus, TheListMenuFollowsTheSelection)
{
    const qint64 group = Group("组");
    Contact("甲", group, 2);
    Contact("乙", group, 2);
    Contact("丙", group, 2);
    Page().show();
    Page().DyTreeView1->setCurrentItem(Node(group));
    QApplication::processEvents();
    TContactListView *list = Page().ListView1;
    ASSERT_EQ(list->Count(), 3);
    const struct {
        const char *name;
        std::vector<int> rows;
        const char *open;
        const char *remove;
    } cases[] = {
        {"nothing selected", {}, "", ""},
        {"one item", {1}, "e", "e"},
        {"two items", {0, 2}, "", "e"},
        {"every item", {0, 1, 2}, "", "e"},
        {"one item again", {2}, "e", "e"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        list->ClearSelection();
        for (int row : c.rows)
            list->Selection()->select(list->Model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        menus.opened.clear();
        const QPoint at(40, 30);
        RightClickList(at);
        ASSERT_EQ(menus.opened.size(), 1u);
        const TOpenedMenu &menu = menus.opened[0];
        EXPECT_EQ(menu.name, "listviewPopMenu");
        EXPECT_EQ(menu.at, list->ActiveView()->viewport()->mapToGlobal(at));
        EXPECT_EQ(menu.State("打开"), c.open);
        EXPECT_EQ(menu.State("删除"), c.remove);
        EXPECT_EQ(menu.State("排序"), "eh") << "the sort submenu never shows";
        EXPECT_EQ(menu.State("全部选定"), "e Ctrl+A");
    }
    list->ClearSelection();
    ItemCaptioned(Page().listviewPopMenu, "全部选定")->Click();
    EXPECT_EQ(list->SelectedCount(), 3);
    ItemCaptioned(Page().listviewPopMenu, "反向选择")->Click();
    EXPECT_EQ(list->SelectedCount(), 0);
    ItemCaptioned(Page().listviewPopMenu, "详细")->Click();
    EXPECT_EQ(list->ViewStyle(), 3);
}

} // namespace
