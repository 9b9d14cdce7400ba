#include "browser/BrowserTestSupport.h"

namespace {

class BrowserGroups : public BrowserTest
{
protected:
    // 人脉(A(A1(a11),a1),B,C,c0)
    void SetUp() override
    {
        BrowserTest::SetUp();
        a = Group("A", 0, 1, 0);
        b = Group("B", 0, 1, 1);
        c = Group("C", 0, 1, 2);
        a1 = Group("A1", a, 2, 0);
        a11 = Contact("a11", a1, 3);
        ca1 = Contact("a1", a, 2);
        c0 = Contact("c0", 0, 1);
    }

    void Select(qint64 key) { Page().DyTreeView1->setCurrentItem(Node(key)); }
    // After a reload the tree must look exactly the same, with every row's level its depth.
    void ExpectReloadShowsTheSame()
    {
        const QString before = Shape();
        ExpectRowsMatchTree();
        Page().LoadGroupTree();
        EXPECT_EQ(Shape(), before);
    }

    qint64 a = 0, b = 0, c = 0, a1 = 0, a11 = 0, ca1 = 0, c0 = 0;
};

TEST_F(BrowserGroups, MenuMovesRoundTripAndImpossibleMovesDoNothing)
{
    const char *start = "人脉(A(A1(a11),a1),B,C,c0)";
    ASSERT_EQ(Shape(), start);
    const struct { qint64 node; void (Tfuserfrm::*move)(); const char *shape; } steps[] = {
        // A is first, has no group above and is at the top; contacts keep their name order; a contact
        // follows C; the root goes nowhere.
        {a, &Tfuserfrm::N12Click, start},   {a, &Tfuserfrm::N15Click, start},   {a, &Tfuserfrm::N14Click, start},
        {ca1, &Tfuserfrm::N12Click, start}, {ca1, &Tfuserfrm::N13Click, start}, {c, &Tfuserfrm::N13Click, start},
        {0, &Tfuserfrm::N14Click, start},
        {c, &Tfuserfrm::N12Click, "人脉(A(A1(a11),a1),C,B,c0)"},    // up
        {a, &Tfuserfrm::N13Click, "人脉(C,A(A1(a11),a1),B,c0)"},    // down
        {b, &Tfuserfrm::N15Click, "人脉(C,A(A1(a11),B,a1),c0)"},    // into A, the group above, after its groups
        {a1, &Tfuserfrm::N14Click, "人脉(C,A(B,a1),A1(a11),c0)"},   // out of A, after the top groups
        {c0, &Tfuserfrm::N15Click, "人脉(C,A(B,a1),A1(a11,c0))"},   // a contact takes its place by name
    };
    int row = 0;
    for (const auto &step : steps) {
        SCOPED_TRACE(row++);
        Select(step.node);
        (Page().*step.move)();
        EXPECT_EQ(Shape(), QString::fromUtf8(step.shape));
        ExpectReloadShowsTheSame();
    }
    EXPECT_EQ(Field(a11, "nodelevel"), "2") << "a group's contact moves along one level up";
}

TEST_F(BrowserGroups, TreeDropsAskAndMove)
{
    Select(c);
    TestDialogs().AnswerMessage(MsgResult::No);
    Page().DyTreeView1DragDrop(TDragSource::Tree, Node(a1));
    EXPECT_EQ(Shape(), "人脉(A(A1(a11),a1),B,C,c0)");
    EXPECT_EQ(TestDialogs().Last()->text, "是否确认要移动该节点?");
    EXPECT_EQ(TestDialogs().Last()->caption, "确认信息");
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Page().DyTreeView1DragDrop(TDragSource::Tree, Node(a1));
    EXPECT_EQ(Shape(), "人脉(A(A1(C,a11),a1),B,c0)");
    ExpectReloadShowsTheSame();
    // Onto its own parent: first among the groups.
    Select(b);
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Page().DyTreeView1DragDrop(TDragSource::Tree, Page().Root());
    EXPECT_EQ(Shape(), "人脉(B,A(A1(C,a11),a1),c0)");
    ExpectReloadShowsTheSame();
}

TEST_F(BrowserGroups, NoDropIntoAContactItselfOrAGroupsOwnSubtree)
{
    const qint64 deep = Group("A11", a1, 3);
    Page();
    const QString before = Shape();
    Select(a);
    EXPECT_FALSE(Page().DyTreeView1DragOver(TDragSource::Tree, Node(deep)));
    Page().DyTreeView1DragDrop(TDragSource::Tree, Node(deep));
    EXPECT_TRUE(TestDialogs().Questions().empty());
    EXPECT_EQ(Shape(), before);
    // The same from the list: A listed at the top, dropped on its grandchild.
    Page().DyTreeView1->setCurrentItem(Page().Root());
    ASSERT_EQ(ListCaptions().value(0), "A");
    Page().ListView1->SelectRow(0);
    Page().DyTreeView1DragDrop(TDragSource::List, Node(deep));
    EXPECT_EQ(Shape(), before);
    ExpectRowsMatchTree();
    // Contacts are never targets.
    Select(b);
    const auto over = [&](TDragSource source, qint64 key) { return Page().DyTreeView1DragOver(source, Node(key)); };
    EXPECT_EQ(QList<bool>({over(TDragSource::Tree, c0), over(TDragSource::List, c0), over(TDragSource::List, c),
                           over(TDragSource::None, c)}),
              QList<bool>({false, false, true, false}));
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Page().DyTreeView1DragDrop(TDragSource::Tree, Node(c0));
    EXPECT_EQ(Shape(), before);
    Page().DyTreeView1->setCurrentItem(Page().Root());  // lists A, B, C, c0
    Page().ListView1->SelectRow(0);
    // Onto c0, onto itself, from the tree, onto B.
    const auto onto = [&](TDragSource source, int row) { return Page().ListView1DragOver(source, row); };
    EXPECT_EQ(QList<bool>({onto(TDragSource::List, 3), onto(TDragSource::List, 0), onto(TDragSource::Tree, 1),
                           onto(TDragSource::List, 1)}),
              QList<bool>({false, false, false, true}));
}

TEST_F(BrowserGroups, ListDropsMoveTheSelectedRowsAndRenewTheList)
{
    Page().DyTreeView1->setCurrentItem(Page().Root());
    ASSERT_EQ(ListCaptions(), QStringList({"A", "B", "C", "c0"}));
    QItemSelectionModel *selection = Page().ListView1->Selection();
    TContactListModel *model = Page().ListView1->Model();
    selection->select(model->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(model->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Page().ListView1DragDrop(TDragSource::List, 2);  // B and c0 into C
    EXPECT_EQ(Shape(), "人脉(A(A1(a11),a1),C(B,c0))");
    EXPECT_EQ(ListCaptions(), QStringList({"A", "C"}));
    ExpectReloadShowsTheSame();
    // From the list into the tree.
    Page().DyTreeView1->setCurrentItem(Node(a));
    ASSERT_EQ(ListCaptions(), QStringList({"A1", "a1"}));
    Page().ListView1->SelectRow(1);
    Page().DyTreeView1DragDrop(TDragSource::List, Node(c));
    EXPECT_EQ(Shape(), "人脉(A(A1(a11)),C(B,a1,c0))");
    EXPECT_EQ(ListCaptions(), QStringList({"A1"}));
    ExpectReloadShowsTheSame();
}

TEST_F(BrowserGroups, NewGroupGoesUnderTheSelectedGroupAfterItsGroups)
{
    Select(ca1);  // a contact: its parent takes the group
    Page().NewGroup();
    QTreeWidgetItem *made = Page().DyTreeView1->currentItem();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(Tfuserfrm::NodeImage(made), 7);
    EXPECT_EQ(Shape(Node(a)), "A(A1(a11),我的人脉,a1)");
    EXPECT_EQ(Field(RecordOf(made)->Key(), "nodetype||kzfield2"), "12");
    ExpectReloadShowsTheSame();
}

TEST_F(BrowserGroups, CascadeDeleteRemovesExactlyTheSubtree)
{
    const std::pair<const char *, const char *> tables[] = {
        {"useraction", "useruid"}, {"userpic", "useruid"}, {"usertable", "groupid"}, {"userlinkplace", "keyid"}};
    for (qint64 key : {a1, a11, ca1, c0})
        for (const auto &[table, column] : tables)
            Exec(QString("insert into %1 (%2) values (?)").arg(table, column), {key});
    Exec("insert into dbsxfile (rcid, filename) values (?, 'kept')", {a11});
    Select(a1);
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Page().treedeletenodeClick();
    EXPECT_EQ(TestDialogs().Last()->text, "确定删除选择\"A1\"的数据以及与之有关的所有数据吗？");
    EXPECT_EQ(Shape(), "人脉(A(a1),B,C,c0)");
    EXPECT_EQ(Node(a11), nullptr);
    for (const auto &[table, column] : tables)
        EXPECT_EQ(Column(QString("select %1 from %2 order by 1").arg(column, table)),
                  QStringList({QString::number(ca1), QString::number(c0)})) << table;
    EXPECT_EQ(Column("select filename from dbsxfile"), QStringList({"kept"}));
    EXPECT_EQ(Value("select count(*) from userinfo").toInt(), 5);
}

TEST_F(BrowserGroups, AFailingStatementChangesNothing)
{
    Page();
    // Any write touching C fails from now on.
    Exec("create trigger refuse before update on userinfo when old.keyid = " + QString::number(c) +
         " begin select raise(abort, 'refused'); end");
    Exec("insert into userlinkplace (keyid, placename) values (?, 'tag')", {a11});
    Exec("create trigger keep before delete on userlinkplace begin select raise(abort, 'refused'); end");
    const QString before = Shape();
    Select(c);
    Page().N12Click();
    EXPECT_EQ(Shape(), before);
    EXPECT_EQ(TestDialogs().Last()->text, "操作失败，数据没有任何改变！");
    EXPECT_EQ(Page().DyTreeView1->currentItem(), Node(c));
    // A into B: the renumbering of the top groups touches C and fails after the move was written.
    Select(b);
    Page().N15Click();
    EXPECT_EQ(Shape(), before);
    EXPECT_EQ(Field(b, "nodeparentkey"), "0");
    Select(a);
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Page().treedeletenodeClick();
    EXPECT_EQ(Shape(), before);
    EXPECT_EQ(Value("select count(*) from userinfo").toInt(), 7);
    EXPECT_EQ(TestDialogs().Questions().size(), 4u);
    ExpectReloadShowsTheSame();
}

} // namespace
