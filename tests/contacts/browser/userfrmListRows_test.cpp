#include "browser/BrowserTestSupport.h"

#include "contacts/shared/WNDES.h"

namespace {

using BrowserListRows = BrowserTest;

// Whatever storage class a value has, the list shows the text the engine gives for it.
TEST_F(BrowserListRows, ValuesOfEveryStorageClassShowAsTheirText)
{
    TIniFile(ConfigIniPath()).WriteString("SYS", "VIEWFIELDS", DesEncryptString("uname,umtel,uwtlp,uemail,uzw,uqq", DesKey).Text);
    const qint64 key = Contact("张三", 0, 1);
    Exec("update userinfo set umtel=1.5, uwtlp=x'4142', uemail=cast(x'410042' as text), uzw=null, uqq=12345 where keyid=?",
         {key});
    Page().SpeedButton8Click("全部");
    ASSERT_EQ(Page().ListView1->Count(), 1);
    const TListRow &row = Page().ListView1->Model()->Row(0);
    EXPECT_EQ(row.caption, "张三");
    EXPECT_EQ(row.subItems, QStringList({"1.5", "AB", QString("A") + QChar(0) + "B", "", "12345"}));
    EXPECT_EQ(row.record->email, QString("A") + QChar(0) + "B");
    EXPECT_EQ(row.record->keyid, QString::number(key));
}

// Names that are not plain UTF-8 sort by the text they read as, like every other name.
TEST_F(BrowserListRows, SearchOrdersNamesByTheirText)
{
    const qint64 wide = Contact("Ｂ甲", 0, 1, {{"uzw", "x"}});
    const qint64 broken = Contact("", 0, 1, {{"uzw", "x"}});
    Exec("update userinfo set uname=cast(x'ff' as text) where keyid=?", {broken});
    const qint64 emoji = Contact("😀", 0, 1, {{"uzw", "x"}});
    const qint64 lower = Contact("b甲", 0, 1, {{"uzw", "x"}});
    const qint64 upper = Contact("A", 0, 1, {{"uzw", "x"}});
    Page().RunSearch("x");
    QList<qint64> keys;
    for (int i = 0; i < Page().ListView1->Count(); ++i)
        keys << Page().ListView1->Model()->Key(i);
    // In UTF-8 byte order: "a", "b甲", "Ｂ甲", the replacement character, "😀".
    EXPECT_EQ(keys, QList<qint64>({upper, lower, wide, broken, emoji}));
}

// A row becomes an item only when it is looked at; renaming such a row keeps the new name.
TEST_F(BrowserListRows, ARenamedRowKeepsItsNewName)
{
    const qint64 group = Group("组");
    Contact("张三", group, 2);
    Contact("李四", group, 2);
    Page().DyTreeView1Change(Node(group));
    TContactListModel *model = Page().ListView1->Model();
    ASSERT_EQ(model->Count(), 2);
    EXPECT_TRUE(model->IsContact(1));
    EXPECT_FALSE(model->IsGroup(1));
    EXPECT_TRUE(model->setData(model->index(1, 0), "王五", Qt::EditRole));
    EXPECT_EQ(model->data(model->index(1, 0), Qt::DisplayRole).toString(), "王五");
    EXPECT_EQ(model->Row(1).record->uname, "王五");
    EXPECT_EQ(Node(model->Key(1))->text(0), "王五");
}

} // namespace
