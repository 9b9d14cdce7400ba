#include "contacts/transfer/export.h"
#include "contacts/transfer/inputcsv.h"
#include "contacts/browser/userfrm.h"

#include "main/MainTestSupport.h"
#include "transfer/TransferTestSupport.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "themed/SpTBXDkPanels.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

using namespace transfer_test;

namespace {

// Runs the vCard export wizard of the main window through its pages with "只导组内用户", writing
// into `folder`; gives the number of dialogs that came up unexpected.
int ExportGroupThroughWizard(Tfrmmain &main, const QString &folder)
{
    ModalResponder responder;
    responder.Then([&](QDialog *dialog) {
        auto *wizard = qobject_cast<Tfrmexport *>(dialog);
        ASSERT_NE(wizard, nullptr);
        wizard->Edit1->setText(folder);
        wizard->BitBtn2->click();
        wizard->RadioButton2->setChecked(true);
        wizard->BitBtn2->click();
        wizard->BitBtn2->click();
        wizard->BitBtn3->click();
    });
    main.Command("SpTBXItem10")->Click();
    return responder.Unexpected();
}

class MainImportExport : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ResetAppData();
        folder = MakeTempDir("main-io");
        accountPath = AppDir() + "data/io.txl";
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", accountPath));
        MakeWindow();
    }

    void OpenAccount()
    {
        main->OpenAccount(accountPath);
        ASSERT_TRUE(CustomerData->dbConnection->Connected());
        ASSERT_NE(browser, nullptr);
        TestDialogs().Reset();
    }

    QStringList Names() const { return ContactNames(accountPath); }

    QString folder;
    QString accountPath;
};

TEST_F(MainImportExport, VCardImportAddsEveryCardAndShowsItInTheTree)
{
    OpenAccount();
    const QString file = folder + "/cards.vcf";
    WriteBytes(file, "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xD5\xC5\xC8\xFD\r\nEND:VCARD\r\n"
                     "BEGIN:VCARD\r\nVERSION:2.1\r\nEMAIL;PREF;INTERNET:a@b.c\r\nTEL;PAGER:1\r\nEND:VCARD\r\n");
    const int loads = browser->treeLoads;
    TestDialogs().AnswerText(file);
    main->SpTBXItem6Click();

    EXPECT_EQ(Names(), (QStringList{"张三", "a@b.c"}));
    EXPECT_EQ(browser->treeLoads, loads + 1);
    ASSERT_NE(TestDialogs().Last(), nullptr);
    // The pager number has no field of its own.
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 2 条人脉记录，另有 1 项内容没有对应的字段，未导入。"));
    EXPECT_EQ(TestDialogs().Questions().front().kind, QStringLiteral("open"));
}

// Several files are imported together or not at all.
TEST_F(MainImportExport, VCardImportOfNothingOrOfRefusedCards)
{
    OpenAccount();
    const int loads = browser->treeLoads;
    TestDialogs().AnswerCancel();
    main->SpTBXItem6Click();
    EXPECT_EQ(TestDialogs().Questions().size(), 1u);

    const QString one = folder + "/one.vcf";
    WriteBytes(one, "BEGIN:VCARD\nFN:A\nEND:VCARD\n");
    main->ImportVCard({one, folder + "/missing.vcf"});
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件不存在！"));
    EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Warning);
    EXPECT_TRUE(Names().isEmpty());

    const QString empty = folder + "/empty.vcf";
    WriteBytes(empty, QByteArray(1000, '\0'));
    main->ImportVCard({empty});
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 0 条人脉记录"));

    // A card the database refuses: none of the file's cards stay.
    CustomerData->dbConnection->Db().Exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON userinfo WHEN NEW.uname = 'B' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QString file = folder + "/cards.vcf";
    WriteBytes(file, "BEGIN:VCARD\nFN:A\nEND:VCARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\n");
    main->ImportVCard({one, file});
    EXPECT_TRUE(TestDialogs().Last()->text.startsWith(QStringLiteral("导入失败")));
    EXPECT_EQ(browser->treeLoads, loads);
    EXPECT_TRUE(Names().isEmpty());

    CustomerData->dbConnection->Db().Exec("DROP TRIGGER refuse");
    main->ImportVCard({one, file});
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 3 条人脉记录"));
    EXPECT_EQ(Names(), (QStringList{"A", "A", "B"}));
}

TEST_F(MainImportExport, CsvExportAddsTheExtensionAsksBeforeOverwritingAndReportsFailure)
{
    OpenAccount();
    SQLite::Statement insert(CustomerData->dbConnection->Db(), "insert into userinfo(uname, nodetype) values(?, 2)");
    insert.Bind(1, QStringLiteral("张三"));
    insert.Exec();

    TestDialogs().AnswerText(folder + "/book");
    main->ExportCsv();
    const QString path = folder + "/book.csv";
    const QByteArray written = ReadBytes(path);
    // 姓 of the first caption; 张三 in the third column.
    EXPECT_TRUE(written.startsWith("\"\xD0\xD5\"") && written.contains("\r\n\"\",\"\",\"\xD5\xC5\xC8\xFD\","));
    EXPECT_EQ(TestDialogs().Questions().front().caption, QStringLiteral("保存"));

    WriteBytes(path, "mine");
    TestDialogs().AnswerText(path);
    TestDialogs().AnswerMessage(MsgResult::No);
    main->ExportCsv();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件已经存在，确认覆盖吗？"));
    EXPECT_EQ(ReadBytes(path), QByteArray("mine"));

    TestDialogs().AnswerText(path);
    TestDialogs().AnswerMessage(MsgResult::Yes);
    main->ExportCsv();
    EXPECT_EQ(ReadBytes(path), written);

    TestDialogs().AnswerText(folder + "/no/such/folder/book.csv");
    main->ExportCsv();
    EXPECT_EQ(TestDialogs().Last()->kind, QStringLiteral("message"));
    EXPECT_TRUE(TestDialogs().Last()->text.contains("book.csv") && TestDialogs().Last()->icon == MsgIcon::Warning);
}

TEST_F(MainImportExport, CsvImportWizardFromTheMenu)
{
    OpenAccount();
    const QString file = folder + "/in.csv";
    WriteBytes(file, "姓名,移动电话\r\n王五,139\r\n");
    const int loads = browser->treeLoads;
    ModalResponder responder;
    responder.Then([&](QDialog *dialog) {
        auto *wizard = qobject_cast<Tfrminputcsv *>(dialog);
        ASSERT_NE(wizard, nullptr);
        wizard->Edit1->setText(file);
        for (int page = 1; page <= 3; ++page)  // 下一步, 下一步, 完成
            QTest::mouseClick(wizard->SpTBXButton2, Qt::LeftButton, {}, QPoint(20, 10));
    });
    main->Command("SpTBXItem5")->Click();
    EXPECT_EQ(responder.Pending(), 0);
    EXPECT_EQ(responder.Unexpected(), 0);
    EXPECT_EQ(Names(), QStringList{"王五"});
    EXPECT_EQ(browser->treeLoads, loads + 1);
}

// The same through the real browser page: the wizard exports what its group tree has selected.
TEST_F(MainImportExport, VCardExportWizardAsksTheBrowserPage)
{
    Tfuserfrm *page = nullptr;
    BrowserPageFactory = [&page](QWidget *parent) {
        page = new Tfuserfrm(CustomerData->dbConnection, parent);
        return page;
    };
    main->OpenAccount(accountPath);
    ASSERT_NE(page, nullptr);
    SQLite::Database &db = CustomerData->dbConnection->Db();
    const auto add = [&](const char *name, int type, qint64 parent, int level) {
        db.Exec(QString("insert into userinfo(uname, nodetype, nodeparentkey, nodelevel, kzfield2) "
                        "values('%1', %2, %3, %4, '2')").arg(name).arg(type).arg(parent).arg(level));
        return db.LastInsertRowId();
    };
    const qint64 group = add("组", 1, 0, 1);
    add("deeper", 2, add("子组", 1, group, 2), 3);
    add("inside", 2, group, 2);
    add("outside", 2, 0, 1);
    page->LoadGroupTree();
    TestDialogs().Reset();

    const struct { const char *name; QTreeWidgetItem *node; QStringList files; } cases[] = {
        {"nothing selected", nullptr, {}},
        {"group", page->FindTreeNodeByKey(QString::number(group)), {"inside.vcf"}},
        {"root", page->Root(), {"deeper.vcf", "inside.vcf", "outside.vcf"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = MakeTempDir(QStringLiteral("wizard-") + QString::fromLatin1(c.name).replace(' ', '-'));
        page->DyTreeView1->setCurrentItem(c.node);
        if (!c.node)
            page->DyTreeView1Exit();
        EXPECT_EQ(ExportGroupThroughWizard(*main, out), 0);
        EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), c.files);
        const bool refused = TestDialogs().Last() && TestDialogs().Last()->text == QStringLiteral("请在人脉窗口选择用户！");
        EXPECT_EQ(refused, c.node == nullptr);
        TestDialogs().Reset();
    }
}

} // namespace
