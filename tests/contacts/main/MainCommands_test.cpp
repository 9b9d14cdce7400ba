#include "contacts/browser/userfrm.h"
#include "contacts/main/MakerLinks.h"
#include "contacts/main/about.h"
#include "contacts/main/setdate.h"
#include "contacts/transfer/OutlookImport.h"
#include "contacts/transfer/export.h"
#include "contacts/transfer/inputcsv.h"
#include "platform/DbFiles.h"

#include "main/MainTestSupport.h"
#include "transfer/TransferTestSupport.h"
#include "themed/SpTBXDkPanels.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace transfer_test;

namespace {

struct OneContactSource final : IContactSource {
    bool Open() override { return true; }
    bool Next(TOutlookContact &contact) override
    {
        contact.FullName = QStringLiteral("导入者");
        return !std::exchange(given, true);
    }
    bool given = false;
};

// The main window's own commands on an account: backup, compaction, import and export, help.
class MainCommands : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ResetAppData();
        QDir().mkpath(AppDir() + "data/backup");
        folder = MakeTempDir("main-io");
        account = AppDir() + "data/A.txl";
        clock.now = QDateTime(QDate(2025, 6, 7), QTime(9, 0));
        SetClock(&clock);
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        SetClock(nullptr);
    }

    // The window on a new account holding `contacts`, its browser page shown.
    void Open(const QStringList &contacts = {})
    {
        ASSERT_NO_FATAL_FAILURE(MakeAccount(account, contacts));
        MakeWindow();
        main->OpenAccount(account);
        ASSERT_TRUE(CustomerData->dbConnection->Connected());
        ASSERT_NE(browser, nullptr);
        TestDialogs().Reset();
    }

    QStringList Names() const { return ContactNames(account); }

    FakeClock clock;
    QString folder;
    QString account;
};

} // namespace

TEST_F(MainCommands, BackupByHand)
{
    Open({QStringLiteral("甲")});
    main->BackupByHand();  // cancelled: nothing written
    EXPECT_EQ(QDir(AppDir() + "data/backup").entryList(QDir::Files), QStringList());

    const QString backup = AppDir() + "data/backup/copy";
    TestDialogs().AnswerText(backup);
    main->Command("SpTBXItem11")->Click();
    ASSERT_EQ(TestDialogs().Questions().size(), 2u) << "nothing but the file was asked";
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("通讯录数据备份"));
    // The extension is added and the copy is a whole account.
    EXPECT_EQ(ContactNames(backup + ".txl"), QStringList{QStringLiteral("甲")});

    // Overwriting asks first; "no" keeps the old file.
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes})
        TestDialogs().AnswerText(backup + ".txl"), TestDialogs().AnswerMessage(answer);
    WriteBytes(backup + ".txl", "old");
    main->BackupByHand();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件已经存在覆盖吗？"));
    EXPECT_EQ(ReadBytes(backup + ".txl"), QByteArray("old"));
    main->BackupByHand();
    EXPECT_EQ(ContactNames(backup + ".txl"), QStringList{QStringLiteral("甲")});

    // A failed copy is reported; onto the open account itself it is refused rather than replacing
    // the live file.
    for (const QString &target : {AppDir() + "data/no-such-folder/x.txl", account}) {
        SCOPED_TRACE(target.toStdString());
        TestDialogs().Reset();
        TestDialogs().AnswerText(target), TestDialogs().AnswerMessage(MsgResult::Yes);
        main->BackupByHand();
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("备份账户数据失败！"));
        EXPECT_EQ(TestDialogs().Questions().size(), target == account ? 3u : 2u) << "an overwrite question first";
    }
    EXPECT_EQ(Names(), QStringList{QStringLiteral("甲")});
}

TEST_F(MainCommands, CompactionKeepsTheAccountOpenAndReportsAFailure)
{
    Open({QStringLiteral("甲")});
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failing" : "working");
        TestDialogs().Reset();
        if (fails)
            SetReplaceFileHook([](const QString &, const QString &) { return false; });
        main->Command("SpTBXItem42")->Click();
        SetReplaceFileHook({});
        ASSERT_TRUE(CustomerData->dbConnection->Connected());
        EXPECT_TRUE(RunQuery(main->ADOQuery1, "select uname from userinfo"));
        EXPECT_EQ(main->ADOQuery1->FieldByName("uname").AsString(), QStringLiteral("甲"));
        EXPECT_EQ(TestDialogs().Last() ? TestDialogs().Last()->text : QString(),
                  fails ? QStringLiteral("压缩账户数据失败！") : QString());
    }
}

TEST_F(MainCommands, OutlookImport)
{
    Open({QStringLiteral("甲")});
    main->ShowBrowserPage();
    const int loads = browser->treeLoads;
    // The same contact again is not imported twice, and the tree is not reloaded for nothing.
    for (const int imported : {1, 0}) {
        OneContactSource source;
        EXPECT_EQ(main->ImportOutlookFrom(source), imported);
        EXPECT_EQ(browser->treeLoads, loads + 1);
        EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 %1 条人脉记录!").arg(imported));
    }
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("Orvanta"));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("甲"), QStringLiteral("导入者")}));

    TestDialogs().Reset();
    main->Command("SpTBXItem7")->Click();  // from the menu it asks for a file
    ASSERT_EQ(TestDialogs().Questions().size(), 1u);
    EXPECT_EQ(TestDialogs().Last()->kind, QStringLiteral("open"));

    // A file that is no Outlook data file imports nothing, and says it failed.
    const QString bad = AppDir() + "data/bad.pst";
    WriteBytes(bad, "not a pst");
    TestDialogs().AnswerText(bad);
    main->Command("SpTBXItem7")->Click();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("导入失败，没有导入任何人脉记录。"));
}

TEST_F(MainCommands, HelpMenuPagesAndWindows)
{
    Open({QStringLiteral("甲")});
    main->Command("SpTBXItem34")->Click();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件已经不存在！"));
    EXPECT_TRUE(TestShell().opened.isEmpty());

    main->Command("SpTBXItem36")->Click();
    main->Command("SpTBXItem39")->Click();
    EXPECT_EQ(TestShell().opened, (QStringList{FeedbackUrl, HomePageUrl}));

    // The timed shutdown window is made once and is not modal; the about box is.
    main->Command("SpTBXItem31")->Click();
    Tfrmsetdate *window = main->TimedShutdownWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible() && !window->isModal());
    window->Button1->click();
    EXPECT_FALSE(window->isVisible());
    main->Command("SpTBXItem31")->Click();
    EXPECT_EQ(main->TimedShutdownWindow(), window);
    EXPECT_TRUE(window->isVisible());

    ModalResponder responder;
    responder.Then([](QDialog *dialog) { dialog->findChild<QPushButton *>("BitBtn1")->click(); });
    main->Command("SpTBXItem41")->Click();
    EXPECT_EQ(responder.Shown(), QStringList{QStringLiteral("frmabout")});
    EXPECT_EQ(responder.Unexpected(), 0);
}

// Several files are imported together or not at all.
TEST_F(MainCommands, VCardImport)
{
    Open();
    const int loads = browser->treeLoads;
    TestDialogs().AnswerCancel();
    main->SpTBXItem6Click();
    ASSERT_EQ(TestDialogs().Questions().size(), 1u);
    EXPECT_EQ(TestDialogs().Last()->kind, QStringLiteral("open"));

    const QString one = folder + "/one.vcf", empty = folder + "/empty.vcf", file = folder + "/cards.vcf";
    WriteBytes(one, "BEGIN:VCARD\nFN:A\nEND:VCARD\n");
    WriteBytes(empty, QByteArray(1000, '\0'));
    WriteBytes(file, "BEGIN:VCARD\nFN:B\nEND:VCARD\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xD5\xC5\xC8\xFD\r\nEND:VCARD\r\n"
                     "BEGIN:VCARD\r\nVERSION:2.1\r\nEMAIL;PREF;INTERNET:a@b.c\r\nTEL;PAGER:1\r\nEND:VCARD\r\n");
    main->ImportVCard({one, folder + "/missing.vcf"});
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件不存在！"));
    EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Warning);
    EXPECT_TRUE(Names().isEmpty());

    main->ImportVCard({empty});
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 0 条人脉记录"));

    // A card the database refuses: none of the files' cards stay.
    CustomerData->dbConnection->Db().Exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON userinfo WHEN NEW.uname = 'B' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    main->ImportVCard({one, file});
    EXPECT_TRUE(TestDialogs().Last()->text.startsWith(QStringLiteral("导入失败")));
    EXPECT_EQ(browser->treeLoads, loads);
    EXPECT_TRUE(Names().isEmpty());

    CustomerData->dbConnection->Db().Exec("DROP TRIGGER refuse");
    TestDialogs().AnswerText(file);
    main->SpTBXItem6Click();
    EXPECT_EQ(Names(), (QStringList{"B", "张三", "a@b.c"}));
    EXPECT_EQ(browser->treeLoads, loads + 1);
    // The pager number has no field of its own.
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 3 条人脉记录，另有 1 项内容没有对应的字段，未导入。"));
}

// A file that fails while it is read imports nothing of any file, and says why.
TEST_F(MainCommands, AVCardFileThatFailsToReadImportsNothing)
{
    Open();
    WriteBytes(folder + "/one.vcf", "BEGIN:VCARD\nFN:A\nEND:VCARD\n");
    // This process's memory seen as a file: it opens, and reading its start fails.
    main->ImportVCard({folder + "/one.vcf", "/proc/self/mem"});
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("导入失败，没有导入任何人脉记录。\n文件读取出错，没有读完。"));
    EXPECT_TRUE(Names().isEmpty());
}

TEST_F(MainCommands, CsvExportAddsTheExtensionAsksBeforeOverwritingAndReportsFailure)
{
    Open({QStringLiteral("张三")});

    TestDialogs().AnswerText(folder + "/book");
    main->ExportCsv();
    const QString path = folder + "/book.csv";
    const QByteArray written = ReadBytes(path);
    // 姓 of the first caption; 张三 in the third column.
    EXPECT_TRUE(written.startsWith("\"\xD0\xD5\"") && written.contains("\r\n\"\",\"\",\"\xD5\xC5\xC8\xFD\","));
    EXPECT_EQ(TestDialogs().Questions().front().caption, QStringLiteral("保存"));

    WriteBytes(path, "mine");
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        TestDialogs().AnswerText(path), TestDialogs().AnswerMessage(answer);
        main->ExportCsv();
        EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件已经存在，确认覆盖吗？"));
        EXPECT_EQ(ReadBytes(path), answer == MsgResult::Yes ? written : QByteArray("mine"));
    }

    TestDialogs().AnswerText(folder + "/no/such/folder/book.csv");
    main->ExportCsv();
    EXPECT_EQ(TestDialogs().Last()->kind, QStringLiteral("message"));
    EXPECT_TRUE(TestDialogs().Last()->text.contains("book.csv") && TestDialogs().Last()->icon == MsgIcon::Warning);
}

TEST_F(MainCommands, CsvImportWizardFromTheMenu)
{
    Open();
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

// Through the real browser page: the vCard export wizard exports what its group tree has selected.
TEST_F(MainCommands, VCardExportWizardAsksTheBrowserPage)
{
    ASSERT_NO_FATAL_FAILURE(MakeAccount(account));
    MakeWindow();
    Tfuserfrm *page = nullptr;
    BrowserPageFactory = [&page](QWidget *parent) { return page = new Tfuserfrm(CustomerData->dbConnection, parent); };
    main->OpenAccount(account);
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
        const QString out = MakeTempDir(QStringLiteral("wizard"));
        page->DyTreeView1->setCurrentItem(c.node);
        if (!c.node)
            page->DyTreeView1Exit();
        // Through the wizard's pages with "只导组内用户".
        ModalResponder responder;
        responder.Then([&](QDialog *dialog) {
            auto *wizard = qobject_cast<Tfrmexport *>(dialog);
            ASSERT_NE(wizard, nullptr);
            wizard->Edit1->setText(out);
            wizard->BitBtn2->click();
            wizard->RadioButton2->setChecked(true);
            wizard->BitBtn2->click(), wizard->BitBtn2->click(), wizard->BitBtn3->click();
        });
        main->Command("SpTBXItem10")->Click();
        EXPECT_EQ(responder.Unexpected(), 0);
        EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), c.files);
        const bool refused = TestDialogs().Last() && TestDialogs().Last()->text == QStringLiteral("请在人脉窗口选择用户！");
        EXPECT_EQ(refused, c.node == nullptr);
        TestDialogs().Reset();
    }
}
