// The group tree's drag and drop under a real X server: a group dragged by the real pointer onto
// another group asks its question in a real message box while the drop is under way, the box
// takes a real click on 是, and the group is then moved, in the tree and in the account; a contact
// dragged from the contact list onto a group of the tree moves there.
#include "MenuScriptX11.h"
#include "WindowPlacement.h"
#include "browser/BrowserTestSupport.h"

#include <QAbstractButton>
#include <QCursor>
#include <QMessageBox>
#include <QTest>

namespace {

class BrowserDragX11 : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        ASSERT_TRUE(pointer.Valid());
        // The question is asked by the desktop's own message box, as the user sees it.
        SetDialogs(nullptr);
    }
    void TearDown() override
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
                box->done(QMessageBox::No);
        }
        SetDialogs(&TestDialogs());
        BrowserTest::TearDown();
    }
    QPoint NodeCentre(qint64 key)
    {
        QTreeWidget *tree = Page().DyTreeView1;
        return tree->viewport()->mapToGlobal(tree->visualItemRect(Node(key)).center());
    }
    // A step that moves the pointer and is done once the program has seen it there.
    std::function<bool()> MoveStep(QPoint to)
    {
        return [this, to, moved = false]() mutable {
            if (!moved)
                pointer.MoveTo(to.x(), to.y());
            moved = true;
            return QCursor::pos() == to;
        };
    }
    static QAbstractButton *ShownButton(const QString &text)
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(window);
            if (!box || !box->isVisible())
                continue;
            for (QAbstractButton *button : box->buttons())
                if (button->text() == text && button->isVisible())
                    return button;
        }
        return nullptr;
    }

    XTestPointer pointer;
};

TEST_F(BrowserDragX11, AGroupDroppedOnAnotherAsksInARealBoxAndMovesOnYes)
{
    const qint64 a = Group("A", 0, 1, 0);
    const qint64 b = Group("B", 0, 1, 1);
    Contact("a1", a, 2);
    Page().setGeometry(80, 80, 800, 560);
    Page().show();
    ASSERT_TRUE(WaitPlacedAndActive(&Page()));
    ASSERT_EQ(Shape(), "人脉(A(a1),B)");

    const QPoint from = NodeCentre(a);
    const QPoint to = NodeCentre(b);
    bool asked = false;
    TScript script(pointer, {
        MoveStep(from),
        [this] { return pointer.Press(), true; },
        // Far enough for the tree to start its drag, then over B.
        MoveStep(from + QPoint(20, 4)),
        MoveStep(to + QPoint(0, -2)),
        MoveStep(to),
        [this] { return pointer.Release(), true; },
        [&] {
            QAbstractButton *yes = ShownButton(QStringLiteral("是"));
            if (!yes || QGuiApplication::mouseButtons() != Qt::NoButton)
                return false;
            asked = true;
            const QPoint centre = yes->mapToGlobal(yes->rect().center());
            pointer.MoveTo(centre.x(), centre.y());
            return true;
        },
        [&] {
            QAbstractButton *yes = ShownButton(QStringLiteral("是"));
            if (!yes || !yes->rect().contains(yes->mapFromGlobal(QCursor::pos())))
                return false;
            pointer.Click();
            return true;
        },
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done(); }, 20000));
    EXPECT_TRUE(asked) << "the move is asked about first";
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shape() == "人脉(B(A(a1)))"; }, 5000)) << Shape().toStdString();
    EXPECT_EQ(Field(a, "nodeparentkey||'|'||nodelevel"), QString::number(b) + "|2");
    ExpectRowsMatchTree();
}

TEST_F(BrowserDragX11, AContactDraggedFromTheListOntoAGroupMovesThere)
{
    const qint64 a = Group("A", 0, 1, 0);
    const qint64 b = Group("B", 0, 1, 1);
    const qint64 x = Contact("x", a, 2);
    Page().setGeometry(80, 80, 800, 560);
    Page().show();
    ASSERT_TRUE(WaitPlacedAndActive(&Page()));
    Page().DyTreeView1->setCurrentItem(Node(a));
    QApplication::processEvents();
    ASSERT_EQ(ListCaptions(), QStringList{"x"});
    // The list's first view, large icons, where the view itself would switch dragging off.
    ASSERT_EQ(Page().ViewStyle(), 0);

    QAbstractItemView *view = Page().ListView1->ActiveView();
    const QPoint from = view->viewport()->mapToGlobal(view->visualRect(view->model()->index(0, 0)).center());
    const QPoint to = NodeCentre(b);
    TScript script(pointer, {
        MoveStep(from),
        [this] { return pointer.Press(), true; },
        MoveStep(from + QPoint(20, 4)),
        MoveStep(to + QPoint(0, -2)),
        MoveStep(to),
        [this] { return pointer.Release(), true; },
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done(); }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shape() == "人脉(A,B(x))"; }, 5000)) << Shape().toStdString();
    EXPECT_EQ(Field(x, "nodeparentkey||'|'||nodelevel"), QString::number(b) + "|2");
    EXPECT_TRUE(ListCaptions().isEmpty()) << "the list of A is renewed";
}

} // namespace
