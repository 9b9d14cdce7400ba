// The editor installed in the main window, as the program runs it.
#include "contacts/browser/userfrm.h"

#include "editor/EditorTestSupport.h"
#include "platform/Registry.h"

namespace {

class EditorInMainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureDir(AppDir() + "data/");
        QFile::remove(ConfigIniPath());
        QFile::remove(TRegistry::StorePath());
        account = AppDir() + "data/editor.txl";
        QFile::remove(account);
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", account));
        InstallContactEditor();
        BrowserPageFactory = [](QWidget *parent) { return new Tfuserfrm(CustomerData->dbConnection, parent); };
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        customerData = std::make_unique<TCustomerData>();
        main->OpenAccount(account);
        ASSERT_TRUE(CustomerData->dbConnection->Connected());
    }

    void TearDown() override
    {
        form1.reset();
        Form1 = nullptr;
        main.reset();
        customerData.reset();
        ContactEditorFactory = nullptr;
        BrowserPageFactory = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Tfrmuseredit *Editor(const QString &name) const
    {
        return dynamic_cast<Tfrmuseredit *>(Form1->FindEditor(name));
    }

    std::map<int, THotKey> hotKeys;
    std::unique_ptr<Tfrmmain> main;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TCustomerData> customerData;
    QString account;
};

TEST_F(EditorInMainWindow, ANewContactGoesUnderTheBrowsersGroupAndShowsThere)
{
    TADOQuery query(CustomerData->dbConnection);
    ASSERT_TRUE(RunQuery(&query, "insert into userinfo (uname,nodetype,nodeparentkey,nodelevel,nodeindex,kzfield2) "
                                 "values ('朋友',1,0,1,0,'2')"));
    const QString group = QString::number(CustomerData->dbConnection->Db().LastInsertRowId());
    auto *browser = dynamic_cast<Tfuserfrm *>(main->BrowserPage());
    ASSERT_NE(browser, nullptr);
    browser->LoadGroupTree();
    QTreeWidgetItem *groupNode = browser->FindTreeNodeByKey(group);
    ASSERT_NE(groupNode, nullptr);
    browser->DyTreeView1->setCurrentItem(groupNode);

    main->NewContact();
    Tfrmuseredit *editor = Editor("add_userform");
    ASSERT_NE(editor, nullptr);
    editor->SetFieldText("uname", "新朋友");
    editor->SetFieldText("uxb", "女");
    ASSERT_TRUE(editor->SaveContact());
    const QString key = editor->usrkeyid->text();
    ASSERT_TRUE(RunQuery(&query, "select nodeparentkey||'|'||nodelevel from userinfo where keyid=?",
                         {key.toLongLong()}));
    EXPECT_EQ(query.Fields(0).AsString(), group + "|2");
    QTreeWidgetItem *node = browser->FindTreeNodeByKey(key);
    ASSERT_NE(node, nullptr) << "the saved contact shows in the tree at once";
    EXPECT_EQ(node->parent(), groupNode);
    EXPECT_EQ(node->text(0), "新朋友");

    // Saved again under a new name, the node follows.
    editor->SetFieldText("uname", "老朋友");
    ASSERT_TRUE(editor->SaveContact());
    EXPECT_EQ(browser->FindTreeNodeByKey(key)->text(0), "老朋友");
}

} // namespace
