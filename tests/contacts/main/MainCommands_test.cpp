#include "platform/DbFiles.h"
#include "contacts/main/MakerLinks.h"
#include "contacts/transfer/OutlookImport.h"
#include "contacts/main/about.h"
#include "contacts/main/setdate.h"

#include "main/MainTestSupport.h"
#include "transfer/TransferTestSupport.h"
#include "platform/IniFiles.h"

#include <QPushButton>

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

class MainCommands : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ResetAppData();
        QDir().mkpath(AppDir() + "data/backup");
        account = AppDir() + "data/A.txl";
        ASSERT_NO_FATAL_FAILURE(MakeAccount(account, {QStringLiteral("甲")}));
        clock.now = QDateTime(QDate(2025, 6, 7), QTime(9, 0));
        SetClock(&clock);
        MakeWindow();
        main->OpenAccount(account);
        ASSERT_TRUE(CustomerData->dbConnection->Connected());
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        SetClock(nullptr);
    }

    FakeClock clock;
    QString account;
};

} // namespace

TEST_F(MainCommands, BackupByHand)
{
    main->BackupByHand();  // cancelled: nothing written
    EXPECT_EQ(QDir(AppDir() + "data/backup").entryList(QDir::Files), QStringList());

    const QString backup = AppDir() + "data/backup/copy";
    TestDialogs().Reset();
    TestDialogs().AnswerText(backup);
    main->Command("SpTBXItem11")->Click();
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("通讯录数据备份"));
    // The extension is added, the copy is a whole account and nothing else was asked.
    EXPECT_EQ(ContactNames(backup + ".txl"), QStringList{QStringLiteral("甲")});
    EXPECT_EQ(TestDialogs().Questions().size(), 1u);

    // Overwriting asks first; "no" keeps the old file.
    TestDialogs().AnswerText(backup + ".txl");
    TestDialogs().AnswerMessage(MsgResult::No);
    TestDialogs().AnswerText(backup + ".txl");
    TestDialogs().AnswerMessage(MsgResult::Yes);
    transfer_test::WriteBytes(backup + ".txl", "old");
    main->BackupByHand();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件已经存在覆盖吗？"));
    EXPECT_EQ(transfer_test::ReadBytes(backup + ".txl"), QByteArray("old"));
    main->BackupByHand();
    EXPECT_EQ(ContactNames(backup + ".txl"), QStringList{QStringLiteral("甲")});

    // A failed copy is reported; onto the open account itself it is refused rather than replacing
    // the live file.
    for (const QString &target : {AppDir() + "data/no-such-folder/x.txl", account}) {
        SCOPED_TRACE(target.toStdString());
        TestDialogs().Reset();
        TestDialogs().AnswerText(target);
        TestDialogs().AnswerMessage(MsgResult::Yes);
        main->BackupByHand();
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("备份账户数据失败！"));
        EXPECT_EQ(TestDialogs().Questions().size(), target == account ? 3u : 2u) << "an overwrite question first";
    }
    EXPECT_EQ(ContactNames(account), QStringList{QStringLiteral("甲")});
}

TEST_F(MainCommands, CompactionKeepsTheAccountOpenAndReportsAFailure)
{
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
    main->ShowBrowserPage();
    const int loads = browser->treeLoads;
    OneContactSource first;
    EXPECT_EQ(main->ImportOutlookFrom(first), 1);
    EXPECT_EQ(browser->treeLoads, loads + 1);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 1 条人脉记录!"));
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("Orvanta"));

    OneContactSource again;
    EXPECT_EQ(main->ImportOutlookFrom(again), 0);
    EXPECT_EQ(browser->treeLoads, loads + 1);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("共导入 0 条人脉记录!"));
    EXPECT_EQ(ContactNames(account), (QStringList{QStringLiteral("甲"), QStringLiteral("导入者")}));

    TestDialogs().Reset();
    main->Command("SpTBXItem7")->Click();  // from the menu it asks for a file
    ASSERT_EQ(TestDialogs().Questions().size(), 1u);
    EXPECT_EQ(TestDialogs().Last()->kind, QStringLiteral("open"));

    // A file that is no Outlook data file imports nothing, and says it failed.
    const QString bad = AppDir() + "data/bad.pst";
    transfer_test::WriteBytes(bad, "not a pst");
    TestDialogs().AnswerText(bad);
    main->Command("SpTBXItem7")->Click();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("导入失败，没有导入任何人脉记录。"));
}

TEST_F(MainCommands, HelpMenuPagesAndWindows)
{
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
    QString caption;
    responder.Then([&](QDialog *dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QPushButton *>("BitBtn1")->click();
    });
    main->Command("SpTBXItem41")->Click();
    EXPECT_EQ(responder.Shown(), QStringList{QStringLiteral("frmabout")});
    EXPECT_EQ(caption, QStringLiteral("关于Orvanta"));
    EXPECT_EQ(responder.Unexpected(), 0);
}
