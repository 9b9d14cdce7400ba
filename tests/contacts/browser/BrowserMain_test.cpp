// The browser page inside the main window: the window's commands reach it while it is shown.
#include "browser/BrowserTestSupport.h"

#include "contacts/main/EditorRegistry.h"
#include "contacts/account/dataModule.h"
#include "contacts/editor/useredit.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

class BrowserInMain : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        ContactEditorFactory = [this] { return editors.emplace_back(new TestEditor).data(); };
        BrowserPageFactory = [](QWidget *parent) { return new Tfuserfrm(CustomerData->dbConnection, parent); };
        customerData = std::make_unique<TCustomerData>();
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        groupA = Group("A", 0, 1, 0);
        groupB = Group("B", 0, 1, 1);
        zhang = Contact("张三", groupA, 2, {{"uemail", "zs@x.com"}});
        li = Contact("李四", groupA, 2);
    }

    void TearDown() override
    {
        main.reset();
        form1.reset();
        Form1 = nullptr;
        customerData.reset();
        ContactEditorFactory = nullptr;
        BrowserPageFactory = nullptr;
        BrowserTest::TearDown();
    }

    Tfuserfrm &Browser()
    {
        if (!main) {
            main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
            main->OpenAccount(path);
        }
        auto *page = dynamic_cast<Tfuserfrm *>(main->BrowserPage());
        EXPECT_NE(page, nullptr);
        return *page;
    }

    QTreeWidgetItem *MainNode(qint64 key) { return Browser().FindTreeNodeByKey(QString::number(key)); }
    void Trigger(const char *name) { main->Command(QString::fromLatin1(name))->Click(); }
    qint64 groupA = 0, groupB = 0, zhang = 0, li = 0;
    std::map<int, THotKey> hotKeys;
    std::vector<QPointer<TestEditor>> editors;
    std::unique_ptr<TCustomerData> customerData;
    std::unique_ptr<TForm1> form1;
    BlankPages blankPages;
    std::unique_ptr<Tfrmmain> main;
};

TEST_F(BrowserInMain, TreeKeysWorkOnlyWhileTheBrowserIsShownAndNewGroups)
{
    EXPECT_EQ(Shape(Browser().Root()), "人脉(A(李四,张三),B)") << "opening the account shows its tree";
    EXPECT_TRUE(main->BrowserPageVisible());
    EXPECT_EQ(Browser().objectName(), "fuserfrm");
    Browser().DyTreeView1->setCurrentItem(MainNode(groupB));
    main->ShowCalendarPage();
    for (const char *key : {"SpTBXItem35", "SpTBXItem37", "SpTBXItem38", "SpTBXItem40"})
        Trigger(key);
    main->ShowBrowserPage();
    EXPECT_EQ(Shape(Browser().Root()), "人脉(A(李四,张三),B)");
    // Ctrl+Alt+Up, Ctrl+Alt+Down, Ctrl+Alt+Right (B into A), Ctrl+Alt+Left (and out again).
    const std::pair<const char *, const char *> moves[] = {{"SpTBXItem38", "人脉(B,A(李四,张三))"},
        {"SpTBXItem40", "人脉(A(李四,张三),B)"}, {"SpTBXItem37", "人脉(A(B,李四,张三))"}, {"SpTBXItem35", "人脉(A(李四,张三),B)"}};
    for (const auto &[command, shape] : moves) {
        Trigger(command);
        EXPECT_EQ(Shape(Browser().Root()), shape) << command;
    }

    // New groups from the window's menu and tool bar.
    Browser().DyTreeView1->setCurrentItem(MainNode(groupB));
    Trigger("SpTBXItem26");
    EXPECT_EQ(Shape(MainNode(groupB)), "B(我的人脉)");
    Browser().DyTreeView1->setCurrentItem(MainNode(groupA));
    Trigger("SpTBXItem14");
    EXPECT_EQ(Shape(MainNode(groupA)), "A(我的人脉,李四,张三)");
}

TEST_F(BrowserInMain, SearchBoxViewStylesAndClosing)
{
    Browser();
    main->findEdit1->setText("zs");
    emit main->findEdit1->returnPressed();
    EXPECT_EQ(ListCaptions(Browser()), QStringList{"张三"});
    main->findEdit1->setText("李");
    main->SpeedButton1->Click();
    EXPECT_EQ(ListCaptions(Browser()), QStringList{"李四"});
    for (int style = 3; style >= 0; --style) {
        Trigger(QByteArray("ViewStyle" + QByteArray::number(style)).constData());
        EXPECT_EQ(Browser().ViewStyle(), style);
    }
    // Closing stores the list's settings.
    Browser().SetViewStyle(2);
    main->SpTBXItem3Click();
    TIniFile ini(ConfigIniPath());
    EXPECT_EQ(ini.ReadInteger("SYS", "ViewType", -1), 2);
    EXPECT_EQ(ini.ReadString("SYS", "VIEWFW", ""), "100,100,100,100,100,");
}

TEST_F(BrowserInMain, SelectAllInvertAndDelete)
{
    Browser().DyTreeView1->setCurrentItem(MainNode(groupA));
    Trigger("SpTBXItem20");
    EXPECT_EQ(Browser().ListView1->SelectedCount(), 2);
    Trigger("SpTBXItem27");
    EXPECT_EQ(Browser().ListView1->SelectedCount(), 0);
    // The tool bar deletes the tree node when the list has nothing selected, else the list's selection.
    const struct { qint64 node; int row; const char *question, *shape; } deletes[] = {
        {groupB, -1, "确定删除选择\"B\"的数据以及与之有关的所有数据吗？", "人脉(A(李四,张三))"},
        {groupA, 1, "确定删除选择的数据以及与之有关的所有数据吗？", "人脉(A(李四))"}};
    for (const auto &d : deletes) {
        Browser().DyTreeView1->setCurrentItem(MainNode(d.node));
        if (d.row >= 0)
            Browser().ListView1->SelectRow(d.row);
        TestDialogs().AnswerMessage(MsgResult::Yes);
        Trigger("SpTBXItem16");
        EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(d.question));
        EXPECT_EQ(Shape(Browser().Root()), d.shape);
    }
    TestDialogs().AnswerMessage(MsgResult::No);
    Browser().ListView1->SelectRow(0);
    Trigger("CustomItem6");
    EXPECT_EQ(Shape(Browser().Root()), "人脉(A(李四))");
}

TEST_F(BrowserInMain, ContactsOpenInTheEditorRegistry)
{
    Browser().DyTreeView1->setCurrentItem(MainNode(zhang));
    Browser().DyTreeView1DblClick();
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->loaded, QStringList({QString::number(zhang)}));
    EXPECT_EQ(editors[0]->windowTitle(), "张三-人脉");
    // The card's button opens the same window again.
    Browser().Button2Click();
    EXPECT_EQ(editors.size(), 1u);
    // Groups never open an editor; in the list a group opens itself in the tree, by 打开 as by a
    // double click.
    Browser().DyTreeView1->setCurrentItem(Browser().Root());
    Browser().DyTreeView1DblClick();
    ASSERT_EQ(ListCaptions(Browser()), QStringList({"A", "B"}));
    Browser().ListView1->SelectRow(1);
    Browser().listviewopenClick();
    EXPECT_EQ(editors.size(), 1u);
    EXPECT_EQ(Browser().DyTreeView1->currentItem(), MainNode(groupB)) << "打开";
    Browser().DyTreeView1->setCurrentItem(Browser().Root());
    ASSERT_EQ(ListCaptions(Browser()), QStringList({"A", "B"}));
    Browser().ListView1DblClick(1);
    EXPECT_EQ(editors.size(), 1u);
    EXPECT_EQ(Browser().DyTreeView1->currentItem(), MainNode(groupB));
    EXPECT_TRUE(ListCaptions(Browser()).isEmpty());
}

// 编辑此人脉 opens the card's contact in its registered editor window, not in a modal editor of
// its own: one contact never has two editors whose saves overwrite each other.
TEST_F(BrowserInMain, EditThisContactOpensTheRegisteredEditor)
{
    Browser().ShowContactCard(QString::number(li));
    Browser().Button2->click();
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->loaded, QStringList{QString::number(li)});
    EXPECT_EQ(editors[0]->windowTitle(), "李四-人脉");
    EXPECT_TRUE(editors[0]->isVisible() && !editors[0]->isModal());
    EXPECT_NE(Form1->ComboBox1->findText("useredit" + QString::number(li)), -1);
    Browser().Button2->click();
    Browser().DyTreeView1->setCurrentItem(MainNode(li));
    Browser().DyTreeView1DblClick();
    EXPECT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->loaded.size(), 1) << "the open window is shown again as it is";
}

// The tree menu's 删除 deletes the tree node it was opened on, never the contacts selected in
// the list, which a search may have filled with others.
TEST_F(BrowserInMain, TheTreeMenusDeleteTakesTheNodeNotTheListSelection)
{
    Browser().DyTreeView1->setCurrentItem(MainNode(groupB));
    Browser().RunSearch("张三");
    ASSERT_EQ(ListCaptions(Browser()), QStringList{"张三"});
    Browser().ListView1->SelectRow(0);
    ASSERT_EQ(Browser().DyTreeView1->currentItem(), MainNode(groupB));
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Browser().treedeletenode->Click();
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, "确定删除选择\"B\"的数据以及与之有关的所有数据吗？");
    EXPECT_EQ(Shape(Browser().Root()), "人脉(A(李四,张三))");
    EXPECT_EQ(Value("select count(*) from userinfo where keyid=?", {zhang}).toInt(), 1);
    EXPECT_EQ(Value("select count(*) from userinfo where keyid=?", {groupB}).toInt(), 0);
}

// The program's own editor: a new contact goes under the browser's group and shows there at once.
TEST_F(BrowserInMain, ANewContactGoesUnderTheBrowsersGroupAndShowsThere)
{
    InstallContactEditor();
    Browser().DyTreeView1->setCurrentItem(MainNode(groupA));
    main->NewContact();
    auto *editor = dynamic_cast<Tfrmuseredit *>(Form1->FindEditor("add_userform"));
    ASSERT_NE(editor, nullptr);
    editor->SetFieldText("uname", "新朋友");
    editor->SetFieldText("uxb", "女");
    ASSERT_TRUE(editor->SaveContact());
    const qint64 key = editor->usrkeyid->text().toLongLong();
    EXPECT_EQ(Field(key, "nodeparentkey||'|'||nodelevel"), QString::number(groupA) + "|2");
    EXPECT_EQ(Shape(MainNode(groupA)), "A(李四,新朋友,张三)");
    // Saved again under a new name, the node follows.
    editor->SetFieldText("uname", "老朋友");
    ASSERT_TRUE(editor->SaveContact());
    EXPECT_EQ(MainNode(key)->text(0), "老朋友");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
