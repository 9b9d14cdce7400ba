#include "browser/BrowserTestSupport.h"

#include <QLineEdit>

namespace {

class BrowserList : public BrowserTest
{
protected:
    QList<qint64> Found(const QString &text)
    {
        Page().RunSearch(text);
        QList<qint64> keys;
        for (int i = 0; i < Page().ListView1->Count(); ++i)
            keys << Page().ListView1->Model()->Row(i).record->Key();
        return keys;
    }
    // Runs the column chooser, checking exactly the given fields.
    void ChooseColumns(const QStringList &fields)
    {
        ModalResponder responder;
        responder.Then(CheckOnly(fields));
        Page().N10Click();
        EXPECT_EQ(responder.Unexpected(), 0);
    }
};

TEST(MatchPinyinInitials, Patterns)
{
    const struct { const char *name; const char *pattern; bool match; } cases[] = {
        {"张三", "zs", true},     {"张三", "ZS", true},    {"张三", "Zs", true},    {"张三丰", "Z?F", true},
        {"张三丰", "Z?S", false}, {"张三", "", false},     {"张三", "zsf", false},  {"张", "ZZ", false},
        {"张三", "z", true},      {"张三", "s", false},    {"李四", "zs", false},   {"Tom", "tom", true},
        {"Tom", "to", true},      {"", "z", false},        {"张三", "??", true},    {"张三", "???", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MatchPinyinInitials(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.match)
            << c.name << " / " << c.pattern;
}

TEST(ColumnWidthOf, GarbageGivesTheDefault)
{
    const int expected[] = {120, 100, 50, 50, 80, 100, 100};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(ColumnWidthOf({"120", "abc", "0", "-5", " 80 ", ""}, i), expected[i]) << i;
}

TEST(MailtoText, AddressAndBodyAreEncoded)
{
    EXPECT_EQ(MailtoText("a b&c@x.com", "张三?"),
              "mailto:a%20b%26c@x.com?body=%E5%BC%A0%E4%B8%89%3F%2C%E4%BD%A0%E5%A5%BD%EF%BC%81");
}

TEST_F(BrowserList, SearchFindsFragmentsOfTextColumnsOnly)
{
    const qint64 office = Contact("张三", 0, 1, {{"uwtlp", "010-22886666"}});
    const qint64 custom = Contact("李四", 0, 1, {{"field5", "喜欢钓鱼"}});
    Contact("王五", 0, 1, {{"mypic", QByteArray("secretphoto")}, {"uhsr", "1990-02-02"}});
    Contact("赵六", 0, 1, {{"kzfield1", "2222"}});
    const qint64 mail = Contact("Ann", 0, 1, {{"uemail", "ann@x.com"}});
    Contact("小二", 0, 1, {{"readcount", 2}, {"ulevel", 2}});
    // A value may hold a NUL character; a text matches inside one value, never across two.
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const qint64 nul = Contact("周七", 0, 1, {{"umtel", withNul}, {"uwtlp", "c"}});
    const qint64 plain = Contact("孙八", 0, 1, {{"umtel", "x"}, {"uwtlp", "y"}});
    const struct { QString text; QList<qint64> keys; } cases[] = {
        {"8866", {office}}, {"钓鱼", {custom}}, {"secretphoto", {}},
        {"2", {office}},                      // not dates, counters, levels, the initials column or kzfield2
        {"ANN@", {}}, {"ann@", {mail}},       // occurrences are case-sensitive
        {"zs", {office}}, {"ls", {custom}},   // pinyin initials of the name
        {withNul, {nul}}, {QStringLiteral("b") + QChar(0) + QStringLiteral("c"), {}},
        {QStringLiteral("x") + QChar(0) + QStringLiteral("y"), {}}, {"b", {nul}}, {"y", {plain}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Found(c.text), c.keys) << c.text.toStdString();
        EXPECT_EQ(Page().ListSource(), TListSource::Search);
    }
}

// Search results and the A to Z list show the chosen columns, each value as the text the engine
// gives for it whatever its storage class, and carry the mail address.
TEST_F(BrowserList, RowsShowTheChosenColumnsAsTextAndCarryTheMail)
{
    const QString nul = QString("A") + QChar(0) + "B";
    TIniFile(ConfigIniPath()).WriteString("SYS", "VIEWFIELDS", DesEncryptString("uname,umtel,uwtlp,uemail,uzw,uqq", DesKey).Text);
    const qint64 zhang = Contact("张三", 0, 1, {{"uzw", "经理"}, {"uemail", ""}, {"text1", "zs@x.com"}});
    Exec("update userinfo set umtel=1.5, uwtlp=x'4142', uqq=12345 where keyid=?", {zhang});
    const qint64 wang = Contact("王五", 0, 1);
    Exec("update userinfo set uemail=cast(x'410042' as text), uzw=null where keyid=?", {wang});
    Page().RunSearch("经理");
    ASSERT_EQ(ListCaptions(), QStringList({"张三"}));
    EXPECT_EQ(Page().ListView1->Model()->Row(0).subItems, QStringList({"1.5", "AB", "", "经理", "12345"}));
    EXPECT_EQ(Page().ListView1->Model()->Row(0).record->email, "zs@x.com");
    Page().ListView1->SelectRow(0);
    Page().N5Click();
    EXPECT_EQ(TestShell().opened.value(0), MailtoText("zs@x.com", "张三"));
    Page().SpeedButton8Click("全部");
    ASSERT_EQ(ListCaptions(), QStringList({"王五", "张三"}));
    const TListRow &row = Page().ListView1->Model()->Row(0);
    EXPECT_EQ(row.subItems, QStringList({"", "", nul, "", ""}));
    EXPECT_EQ(row.record->email + '|' + row.record->keyid, nul + '|' + QString::number(wang));
    // The tree's mail command reads the node's address by the same rule, trimmed.
    const qint64 key = Contact("李四", 0, 1, {{"uemail", " ls@x.com "}});
    const qint64 other = Contact("赵六", 0, 1, {{"uemail", ""}, {"text1", "zl@x.com"}});
    Page().LoadGroupTree();
    for (const qint64 node : {key, other}) {
        Page().DyTreeView1->setCurrentItem(Node(node));
        Page().N4Click();
    }
    EXPECT_EQ(TestShell().opened.mid(1), QStringList({MailtoText("ls@x.com", "李四"), MailtoText("zl@x.com", "赵六")}));
}

// Names that are not plain UTF-8 sort by the text they read as, like every other name.
TEST_F(BrowserList, SearchOrdersNamesByTheirText)
{
    const qint64 wide = Contact("Ｂ甲", 0, 1, {{"uzw", "x"}});
    const qint64 broken = Contact("", 0, 1, {{"uzw", "x"}});
    Exec("update userinfo set uname=cast(x'ff' as text) where keyid=?", {broken});
    const qint64 emoji = Contact("😀", 0, 1, {{"uzw", "x"}});
    const qint64 lower = Contact("b甲", 0, 1, {{"uzw", "x"}});
    const qint64 upper = Contact("A", 0, 1, {{"uzw", "x"}});
    // In UTF-8 byte order: "a", "b甲", "Ｂ甲", the replacement character, "😀".
    EXPECT_EQ(Found("x"), QList<qint64>({upper, lower, wide, broken, emoji}));
}

// The page keeps what it searches in memory; every change must reach it, whoever makes it.
TEST_F(BrowserList, SearchFollowsEveryChangeOfTheAccount)
{
    const qint64 a = Contact("张三", 0, 1, {{"umtel", "111"}});
    const qint64 b = Contact("李四", 0, 1, {{"umtel", "222"}});
    EXPECT_EQ(Found("111"), QList<qint64>({a}));
    Exec("update userinfo set umtel='333' where keyid=?", {a});
    EXPECT_EQ(Found("111"), QList<qint64>());
    const qint64 c = Contact("王五", 0, 1, {{"uwtlp", "333"}});
    EXPECT_EQ(Found("333"), QList<qint64>({a, c}));
    Exec("update userinfo set nodetype=1 where keyid=?", {c});  // now a group
    EXPECT_EQ(Found("333"), QList<qint64>({a}));
    Exec("delete from userinfo where keyid=?", {a});
    EXPECT_EQ(Found("333"), QList<qint64>());
    // A change through another connection.
    SQLite::Database(path).Exec(QStringLiteral("update userinfo set umtel='444' where keyid=%1").arg(b));
    EXPECT_EQ(Found("444"), QList<qint64>({b}));
    EXPECT_EQ(Page().ListView1->Model()->Row(0).subItems.value(0), "444") << "the value as it is now";
    Exec("delete from userinfo");  // emptied in one step, not row by row
    EXPECT_EQ(Found("444"), QList<qint64>());
}

TEST_F(BrowserList, AToZBarListsContactsInTreeOrderWithTheirColumns)
{
    const qint64 group = Group("张家");  // groups are never listed
    Contact("张三", group, 2, {{"umtel", "1"}});
    Contact("赵四", 0, 1, {{"uemail", "z@x.com"}});
    Contact("李四");
    Page().SpeedButton8Click(" z ");
    EXPECT_EQ(ListCaptions(), QStringList({"张三", "赵四"}));
    EXPECT_EQ(Page().ListView1->Model()->Row(0).subItems.value(0), "1");
    EXPECT_EQ(Page().ListView1->Model()->Row(1).record->email, "z@x.com");
    EXPECT_LT(Page().ListView1->Model()->Row(0).record->position, Page().ListView1->Model()->Row(1).record->position);
    const TListSource source = Page().ListSource();
    Page().RunSearch("   ");  // a blank search does nothing
    EXPECT_EQ(ListCaptions(), QStringList({"张三", "赵四"}));
    EXPECT_EQ(Page().ListSource(), source);
    Page().SpeedButton8Click("Q");
    EXPECT_TRUE(ListCaptions().isEmpty());
}

TEST_F(BrowserList, ColumnClickSortsByThatColumnsField)
{
    Contact("张三", 0, 1, {{"ulevel", 2}, {"umtel", "139"}});
    Contact("李四", 0, 1, {{"ulevel", 10}, {"umtel", "138"}});
    Contact("王五", 0, 1, {{"ulevel", 2}, {"umtel", "137"}});
    Contact("Bob", 0, 1, {{"ulevel", 0}, {"umtel", "137"}});
    Page().SpeedButton8Click("全部");
    Page().ListView1ColumnClick(0);  // the first click sorts descending
    EXPECT_EQ(ListCaptions(), QStringList({"张三", "王五", "李四", "Bob"}));
    Page().ListView1ColumnClick(0);
    EXPECT_EQ(ListCaptions(), QStringList({"Bob", "李四", "王五", "张三"}));
    Page().ListView1ColumnClick(3);  // level, numerically; ties by name
    EXPECT_EQ(ListCaptions(), QStringList({"李四", "张三", "王五", "Bob"}));
    Page().ListView1ColumnClick(1);  // mobile, ascending; ties by name
    EXPECT_EQ(ListCaptions(), QStringList({"Bob", "王五", "李四", "张三"}));
}

TEST_F(BrowserList, PreviousNextSelectAllInvertAndViewStyles)
{
    for (const char *name : {"甲", "乙", "丙"})
        Contact(QString::fromUtf8(name));
    Page().SpeedButton8Click("全部");
    TContactListView *list = Page().ListView1;
    Page().Button4Click();  // nothing selected: the first
    EXPECT_EQ(list->SelectedRows(), QList<int>({0}));
    Page().Button5Click();
    Page().Button5Click();
    EXPECT_EQ(list->SelectedRows(), QList<int>({2}));
    EXPECT_EQ(Page().CardKeyid(), list->Model()->Row(2).record->keyid);
    Page().Button5Click();  // past the end: nothing
    EXPECT_TRUE(list->SelectedRows().isEmpty());
    Page().Button5Click();
    EXPECT_EQ(list->SelectedRows(), QList<int>({0}));
    Page().Button4Click();
    EXPECT_TRUE(list->SelectedRows().isEmpty());
    list->SelectRow(1);
    Page().N8Click();  // invert
    EXPECT_EQ(list->SelectedRows(), QList<int>({0, 2}));
    Page().N7Click();  // all
    EXPECT_EQ(list->SelectedRows(), QList<int>({0, 1, 2}));
    // The view styles share one selection.
    Page().SetViewStyle(3);
    Page().ListView1->SelectRow(1);
    for (int style : {0, 1, 2}) {
        Page().SetViewStyle(style);
        EXPECT_EQ(Page().ListView1->ActiveView(), Page().ListView1->IconView());
        EXPECT_TRUE(Page().ListView1->IconView()->selectionModel()->isRowSelected(1, {}));
    }
    Page().SetViewStyle(7);  // not a style: stays
    EXPECT_EQ(Page().ViewStyle(), 2);
}

TEST_F(BrowserList, RenameStoresTheTrimmedNameAndItsInitials)
{
    const qint64 group = Group("组");
    const qint64 key = Contact("张三", group, 2);
    Contact("李四", group, 2);
    Page().DyTreeView1->setCurrentItem(Node(group));
    ASSERT_EQ(ListCaptions(), QStringList({"李四", "张三"}));
    QString text = "  王五  ";
    EXPECT_TRUE(Page().ListView1Edited(1, text));
    EXPECT_EQ(text, "王五");
    EXPECT_EQ(Field(key, "uname||kzfield1"), "王五WW");
    EXPECT_EQ(Shape(Node(group)), "组(李四,王五)");
    QString blank = "   ";
    EXPECT_FALSE(Page().ListView1Edited(1, blank));
    EXPECT_EQ(Field(key, "uname"), "王五");
    // Through the model, as the in-place editor commits: a row made an item only when looked at
    // shows the new name too.
    TContactListModel *model = Page().ListView1->Model();
    EXPECT_TRUE(model->IsContact(0) && !model->IsGroup(0));
    EXPECT_TRUE(model->setData(model->index(0, 0), "赵\"六", Qt::EditRole));
    EXPECT_EQ(model->data(model->index(0, 0), Qt::DisplayRole).toString(), "赵\"六");
    EXPECT_EQ(model->Row(0).record->uname + '|' + Node(model->Key(0))->text(0), "赵\"六|赵\"六");
    EXPECT_FALSE(model->setData(model->index(0, 0), "", Qt::EditRole));
    EXPECT_EQ(model->Row(0).caption, "赵\"六");
    // In the tree too, and renaming the card's contact renews the card; blanks and the root are refused.
    Page().ShowContactCard(QString::number(key));
    text = "  钱七 ";
    ASSERT_TRUE(Page().DyTreeView1Edited(Node(key), text));
    QCoreApplication::processEvents();
    EXPECT_EQ(Field(key, "uname||kzfield1"), "钱七QQ");
    EXPECT_TRUE(Page().CardHtml().contains(">钱七</td>"));
    blank = "  ";
    EXPECT_FALSE(Page().DyTreeView1Edited(Node(group), blank));
    QString root = "新名";
    EXPECT_FALSE(Page().DyTreeView1Edited(Page().Root(), root));
    EXPECT_EQ(Field(group, "uname"), "组");
}

// F2 on a contact in the group tree renames it in the list too, which still shows its group; a
// rename still open when the page goes is not stored.
TEST_F(BrowserList, ARenameInTheTreeShowsInTheList)
{
    const qint64 key = Contact("张三", Group("组"), 2);
    Page().DyTreeView1->setCurrentItem(Node(key)->parent());
    Page().DyTreeView1->setCurrentItem(Node(key));
    QString text = "王五";
    ASSERT_TRUE(Page().DyTreeView1Edited(Node(key), text));
    EXPECT_EQ(ListCaptions(), QStringList({"王五"}));
    Page().show();
    QApplication::setActiveWindow(&Page());  // going, it hands the focus on from the editor
    Page().treenoderenameClick();
    auto *editor = Page().DyTreeView1->viewport()->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    editor->setText("不存");
    page.reset();
    EXPECT_EQ(Field(key, "uname"), "王五");
}

TEST_F(BrowserList, StoredColumnsAreCheckedAgainstTheKnownFields)
{
    TIniFile ini(ConfigIniPath());
    ini.WriteString("SYS", "VIEWFIELDS", DesEncryptString("uname,upot,x;drop table userinfo,uzw", DesKey).Text);
    ini.WriteString("SYS", "VIEWFW", "90,zz,-1");
    ini.WriteInteger("SYS", "ViewType", 3);
    Page();
    EXPECT_EQ(Page().ColumnFields(), QStringList({"uname", "uzw"}));
    EXPECT_EQ(Page().ColumnWidths(), QList<int>({90, 100}));
    EXPECT_EQ(Page().ViewStyle(), 3);
    EXPECT_EQ(Page().ListView1->ReportView()->model()->headerData(1, Qt::Horizontal).toString(), "部门职务");
    page.reset();  // nothing known gives the defaults
    ini.WriteString("SYS", "VIEWFIELDS", DesEncryptString("nosuch,upot", DesKey).Text);
    EXPECT_EQ(Page().ColumnFields(), QStringList({"uname", "umtel", "uwtlp", "ulevel", "uemail"}));
    page.reset();  // captions that are not the name cannot be renamed
    ini.WriteString("SYS", "VIEWFIELDS", DesEncryptString("umtel,uname", DesKey).Text);
    Contact("张三", 0, 1, {{"umtel", "139"}});
    Page().SpeedButton8Click("全部");
    EXPECT_FALSE(Page().ListView1->Model()->flags(Page().ListView1->Model()->index(0, 0)) & Qt::ItemIsEditable);
}

// A new column is filled in whatever the list shows, here a quick view.
TEST_F(BrowserList, ColumnChooserStoresTheCheckedFieldsAndRenewsTheList)
{
    Contact("张三", 0, 1, {{"uwkaddress", "北京公司"}});
    Page().TreeView1Change(Page().TreeView1->topLevelItem(3));  // 所有人脉
    ChooseColumns({"uname", "uwkaddress"});
    EXPECT_EQ(Page().ColumnFields(), QStringList({"uname", "uwkaddress"}));
    EXPECT_EQ(DesDecryptString(TIniFile(ConfigIniPath()).ReadString("SYS", "VIEWFIELDS", ""), DesKey),
              "uname,uwkaddress");
    EXPECT_EQ(Page().ListSource(), TListSource::QuickView);
    ASSERT_EQ(Page().ListView1->Count(), 1);
    EXPECT_EQ(Page().ListView1->Model()->Row(0).subItems, QStringList({"北京公司"}));
    ChooseColumns({});  // nothing checked falls back to the defaults
    EXPECT_EQ(Page().ColumnFields(), QStringList({"uname", "umtel", "uwtlp", "ulevel", "uemail"}));
}

} // namespace
