// The contact browser's context menus under a real X server: a real right click in the group tree
// and in the contact list opens the themed framework menu at the pointer, and a real click on one
// of its items runs that item's command. A contact dragged from the list onto a group moves there.
#include "MenuScriptX11.h"
#include "RightButton.h"
#include "WindowPlacement.h"
#include "browser/BrowserTestSupport.h"

#include <QCursor>
#include <QTest>

namespace {

class BrowserMenusX11 : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        ASSERT_TRUE(pointer.Valid());
    }
    void TearDown() override
    {
        if (TTBPopupWindow *open = OpenRootPopup())
            open->View()->CancelMode();
        BrowserTest::TearDown();
    }
    void ShowPage()
    {
        Page().setGeometry(80, 80, 800, 560);
        Page().show();
        ASSERT_TRUE(WaitPlacedAndActive(&Page()));
    }
    // Right-clicks at a point of the screen and, inside the menu that opens, clicks the item with
    // this caption; answers whether the menu was themed and where it opened.
    void RightClickThenChoose(const QPoint &at, const QString &caption)
    {
        pointer.MoveTo(at.x(), at.y());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == at; }, 5000));
        const auto pointAtItem = [&] {
            TTBItemViewer *item = ViewerCaptioned(caption);
            // Shown, and the right button's release is over.
            if (!item || QGuiApplication::mouseButtons() != Qt::NoButton)
                return false;
            themed = dynamic_cast<TTBXPopupWindow *>(OpenRootPopup()) != nullptr;
            const TRect bounds = OpenRootPopup()->BoundsRect();
            openedAt = QPoint(bounds.Left, bounds.Top);
            PointAt(pointer, item->ScreenRect());
            return true;
        };
        const auto clickWhenSelected = [&] {
            TTBItemViewer *item = ViewerCaptioned(caption);
            const bool selected = item && OpenRootPopup()->View()->Selected() == item;
            if (selected)
                pointer.Click();
            return selected;
        };
        TScript script(pointer, {pointAtItem, clickWhenSelected});
        RightClick();
        ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done() && !OpenRootPopup(); }, 15000));
    }

    XTestPointer pointer;
    bool themed = false;
    QPoint openedAt;
};

TEST_F(BrowserMenusX11, ARightClickOnATreeNodeOpensTheThemedMenuAndAClickedItemRuns)
{
    const qint64 group = Group("组");
    const qint64 contact = Contact("甲", group, 2);
    ShowPage();
    Page().DyTreeView1->expandAll();
    QApplication::processEvents();
    QTreeWidgetItem *node = Node(contact);
    const QPoint at = Page().DyTreeView1->viewport()->mapToGlobal(Page().DyTreeView1->visualItemRect(node).center());
    ASSERT_FALSE(Page().AutoExpand());
    RightClickThenChoose(at, QStringLiteral("自动展开"));
    EXPECT_TRUE(themed) << "the theme paints the menu";
    EXPECT_EQ(openedAt, at) << "the menu opens at the pointer";
    EXPECT_EQ(Page().DyTreeView1->currentItem(), node) << "the node under the pointer was selected";
    EXPECT_TRUE(Page().treedeletenode->Enabled()) << "a contact can be deleted";
    // The click runs once the menu has gone.
    EXPECT_TRUE(QTest::qWaitFor([this] { return Page().AutoExpand(); }, 5000)) << "自动展开 ran";
}

TEST_F(BrowserMenusX11, ARightClickInTheContactListOpensTheThemedMenuAndAClickedItemRuns)
{
    const qint64 group = Group("组");
    Contact("甲", group, 2);
    Contact("乙", group, 2);
    ShowPage();
    Page().DyTreeView1->setCurrentItem(Node(group));
    QApplication::processEvents();
    TContactListView *list = Page().ListView1;
    ASSERT_EQ(list->Count(), 2);
    list->ClearSelection();
    // Beside the items, where the click selects nothing.
    const QPoint at = list->ActiveView()->viewport()->mapToGlobal(QPoint(list->ActiveView()->viewport()->width() - 10, 10));
    RightClickThenChoose(at, QStringLiteral("全部选定"));
    EXPECT_TRUE(themed) << "the theme paints the menu";
    EXPECT_EQ(openedAt, at) << "the menu opens at the pointer";
    EXPECT_TRUE(QTest::qWaitFor([list] { return list->SelectedCount() == 2; }, 5000)) << "全部选定 ran";
}

// The menu key on the focused tree opens the same menu for the node that has the focus, after
// the same enabling as a right click; Escape closes it and runs nothing.
TEST_F(BrowserMenusX11, TheMenuKeyOpensTheTreeMenuForTheCurrentNode)
{
    const qint64 group = Group("组");
    const qint64 contact = Contact("甲", group, 2);
    ShowPage();
    Page().DyTreeView1->expandAll();
    Page().DyTreeView1->setCurrentItem(Page().Root());
    Page().treedeletenode->SetEnabled(false);
    Page().DyTreeView1->setCurrentItem(Node(contact));
    Page().DyTreeView1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Page().DyTreeView1->hasFocus(); }, 5000));
    bool exportOffered = false, removeOffered = false;
    TScript script(pointer, {[&] {
                       TTBItemViewer *card = ViewerCaptioned(QStringLiteral("导出名片"));
                       TTBItemViewer *remove = ViewerCaptioned(QStringLiteral("删除"));
                       if (!card || !remove)
                           return false;
                       exportOffered = card->Item->Enabled();
                       removeOffered = remove->Item->Enabled();
                       pointer.Keys({"Escape"});
                       return true;
                   }});
    pointer.Keys({"Menu"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done() && !OpenRootPopup(); }, 15000));
    EXPECT_TRUE(exportOffered) << "导出名片 for the contact that has the focus";
    EXPECT_TRUE(removeOffered) << "the enabling ran before the menu opened";
    EXPECT_EQ(Page().DyTreeView1->currentItem(), Node(contact));
    QApplication::processEvents();
    EXPECT_FALSE(Page().AutoExpand()) << "nothing was chosen";
}

using BrowserDragX11 = BrowserMenusX11;

TEST_F(BrowserDragX11, AContactDraggedFromTheListOntoAGroupMovesThere)
{
    const qint64 a = Group("A", 0, 1, 0);
    const qint64 b = Group("B", 0, 1, 1);
    const qint64 x = Contact("x", a, 2);
    Page().DyTreeView1->setCurrentItem(Node(a));
    ShowPage();
    // The list's first view, large icons, where the view itself would switch dragging off.
    ASSERT_EQ(Page().ViewStyle(), 0);
    QAbstractItemView *view = Page().ListView1->ActiveView();
    const QPoint from = view->viewport()->mapToGlobal(view->visualRect(view->model()->index(0, 0)).center());
    const QPoint to = Page().DyTreeView1->viewport()->mapToGlobal(Page().DyTreeView1->visualItemRect(Node(b)).center());
    // The drag runs its own loop; each move is done once the program has seen the pointer there.
    const auto moveTo = [this](QPoint p) {
        return [this, p] { return pointer.MoveTo(p.x(), p.y()), QCursor::pos() == p; };
    };
    TScript script(pointer, {moveTo(from), [this] { return pointer.Press(), true; }, moveTo(from + QPoint(20, 4)),
                             moveTo(to + QPoint(0, -2)), moveTo(to), [this] { return pointer.Release(), true; }});
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done(); }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shape() == "人脉(A,B(x))"; }, 5000)) << Shape().toStdString();
    EXPECT_EQ(Field(x, "nodeparentkey||'|'||nodelevel"), QString::number(b) + "|2");
}

} // namespace
