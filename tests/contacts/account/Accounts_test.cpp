#include "contacts/account/AccountSession.h"
#include "contacts/shared/AppGlobals.h"
#include "contacts/main/Main.h"
#include "themed/SpTBXItem.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/shared/Utility.h"
#include "contacts/shared/WNDES.h"
#include "contacts/account/dataModule.h"
#include "contacts/account/hfdb.h"
#include "contacts/account/inputpsd.h"
#include "contacts/account/newdataform.h"
#include "contacts/account/setnewpwd.h"

#include "main/MainTestSupport.h"
#include "TestSupport.h"
#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/DbFiles.h"
#include "platform/Registry.h"

#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QString DataDir() { return AppDir() + "data/"; }
QString BackupDir_() { return AppDir() + "data/backup/"; }

void StorePassword(const QString &path, const QString &cipher)
{
    TADOConnection connection;
    connection.Open(path);
    TADOQuery query(&connection);
    ASSERT_TRUE(WriteAccountPassword(&query, cipher));
}

QString Cipher(const QString &password)
{
    return DesEncryptString(password, DesKey).Text;
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

ModalResponder::Step Type(const QString &password)
{
    return [password](QDialog *dialog) {
        auto *prompt = qobject_cast<Tfrminputpsd *>(dialog);
        ASSERT_NE(prompt, nullptr) << dialog->objectName().toStdString();
        prompt->Edit1->setText(password);
        prompt->Button1->click();
    };
}

ModalResponder::Step Cancel()
{
    return [](QDialog *dialog) { dialog->reject(); };
}

// Picks a backup in the restore dialog and presses 恢复.
ModalResponder::Step RestoreItem(const QString &item)
{
    return [item](QDialog *dialog) {
        auto *restore = qobject_cast<Tfrmhfdb *>(dialog);
        ASSERT_NE(restore, nullptr) << dialog->objectName().toStdString();
        const QList<QListWidgetItem *> found = restore->ListBox1->findItems(item, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << item.toStdString();
        restore->ListBox1->setCurrentItem(found[0]);
        restore->Button1->click();
        if (restore->isVisible())
            restore->reject();
    };
}

struct HookGuard {
    explicit HookGuard(ReplaceFileFn hook) { SetReplaceFileHook(std::move(hook)); }
    ~HookGuard() { SetReplaceFileHook({}); }
};

ModalResponder::Step NewPassword(const QString &first, const QString &second, bool *confirmEnabled = nullptr)
{
    return [=](QDialog *dialog) {
        auto *set = qobject_cast<Tfrmsetnewpwd *>(dialog);
        ASSERT_NE(set, nullptr) << dialog->objectName().toStdString();
        set->Edit1->setText(first);
        set->Edit2->setText(second);
        if (confirmEnabled)
            *confirmEnabled = set->Button1->isEnabled();
        set->Button1->click();
        // A refused password leaves the dialog open; nothing else would close it here.
        if (set->isVisible())
            set->reject();
    };
}

class Accounts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetAppData();
        ContactEditorFactory = [this] {
            auto *editor = new TestEditor;
            editors.push_back(editor);
            return editor;
        };
        accountA = DataDir() + "A.txl";
        accountB = DataDir() + "B.txl";
    }

    void TearDown() override
    {
        main.reset();
        form1.reset();
        Form1 = nullptr;
        customerData.reset();
        ContactEditorFactory = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The start-up order: main window, editor owner, data module.
    void Start()
    {
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        customerData = std::make_unique<TCustomerData>();
    }

    QString OpenFile() const { return CustomerData->dbConnection->Connected() ? CustomerData->dbConnection->FileName() : QString(); }

    // The window shows an open account exactly when one is connected.
    void ExpectConnected(const QString &path, const std::string &label)
    {
        EXPECT_EQ(OpenFile(), path) << label;
        EXPECT_EQ(CurrentAccount().Path(), path) << label;
        EXPECT_EQ(main->StatusText(), QStringLiteral("当前打开数据: ") + path) << label;
        EXPECT_TRUE(main->SpTBXToolbar2->Visible()) << label;
        for (const char *command : {"SpTBXItem1", "SpTBXItem24", "SpTBXItem33"})
            EXPECT_TRUE(main->Command(command)->Enabled()) << label << " " << command;
        EXPECT_TRUE(CustomerData->alarmTimer->isActive()) << label;
        EXPECT_TRUE(RunQuery(main->ADOQuery1, "select count(*) from userinfo")) << label;
    }

    void ExpectDisconnected(const QString &statusText, const std::string &label)
    {
        EXPECT_EQ(OpenFile(), QString()) << label;
        EXPECT_EQ(main->StatusText(), statusText) << label;
        EXPECT_FALSE(main->SpTBXToolbar2->Visible()) << label;
        for (const char *command : {"SpTBXItem1", "SpTBXItem24", "SpTBXItem33"})
            EXPECT_FALSE(main->Command(command)->Enabled()) << label << " " << command;
        EXPECT_FALSE(CustomerData->alarmTimer->isActive()) << label;
    }

    std::map<int, THotKey> hotKeys;
    std::vector<QPointer<TestEditor>> editors;
    BlankPages blankPages;
    std::unique_ptr<Tfrmmain> main;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TCustomerData> customerData;
    QString accountA;
    QString accountB;
};

} // namespace

TEST_F(Accounts, ListingKeepsOnlyAccountFiles)
{
    ASSERT_TRUE(QDir().mkpath(DataDir() + "d.txl"));
    for (const char *name : {"a.txl", "B.TXL", "c.txt", ".h.txl", "txl", "e.txl.bak"})
        WriteBytes(DataDir() + name, "x");
    EXPECT_EQ(Tfrmnewdataform::ListAccounts(DataDir()), (QStringList{"a", "B"}));
    EXPECT_EQ(Tfrmnewdataform::ListAccounts(AppDir() + "no-such-folder"), QStringList());
}

TEST_F(Accounts, AccountNames)
{
    struct Case {
        const char *name;
        bool valid;
    };
    const Case cases[] = {
        {"家庭", true}, {"work 2024", true}, {"a.b", true}, {"", false}, {".", false}, {"..", false},
        {"a\"b", false}, {"a/b", false}, {"a:b", false}, {"a<b", false}, {"a>b", false}, {"a\\b", false},
        {"a|b", false}, {"a*b", false}, {"a?b", false}, {"a\tb", false}, {"a\nb", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ValidAccountName(QString::fromUtf8(c.name)), c.valid) << c.name;
}

TEST_F(Accounts, OpenWithoutPassword)
{
    MakeAccount(accountA, {"甲"});
    StorePassword(accountA, " ");  // a blank stored password means none
    Start();
    ModalResponder responder;
    main->OpenAccount(accountA);

    EXPECT_TRUE(responder.Shown().isEmpty());
    ExpectConnected(accountA, "no password");
    EXPECT_FALSE(CurrentAccount().Protected());
    EXPECT_EQ(RegReadString(2, OrvRegistryKey, "txlfile"), accountA);
    EXPECT_TRUE(main->BrowserPageVisible());
    ASSERT_TRUE(RunQuery(main->ADOQuery1, "select uname from userinfo"));
    EXPECT_EQ(main->ADOQuery1->FieldByName("uname").AsString(), QStringLiteral("甲"));
}

TEST_F(Accounts, PasswordTriesAndTheirOutcome)
{
    struct Case {
        const char *label;
        std::vector<const char *> typed;  // nullptr: Cancel
        bool opens;
        int wrongMessages;
    };
    const Case cases[] = {
        {"right first", {"Abc"}, true, 0},
        {"right third", {"abc", "ABC", "Abc"}, true, 2},
        {"three wrong", {"abc", "Abc ", " Abc"}, false, 3},
        {"cancel", {nullptr}, false, 0},
        {"wrong then cancel", {"x", nullptr}, false, 1},
    };
    MakeAccount(accountA, {"甲"});
    MakeAccount(accountB, {"乙"});
    StorePassword(accountB, Cipher("Abc"));
    for (const Case &c : cases) {
        Start();
        main->OpenAccount(accountA);
        ASSERT_EQ(CurrentAccount().Path(), accountA);
        TestDialogs().Reset();

        ModalResponder responder;
        for (const char *typed : c.typed)
            responder.Then(typed ? Type(QString::fromUtf8(typed)) : Cancel());
        main->OpenAccount(accountB);

        EXPECT_EQ(responder.Unexpected(), 0) << c.label;
        EXPECT_EQ(responder.Pending(), 0) << c.label;
        EXPECT_EQ(TestDialogs().Texts().count(QStringLiteral("密码错误,登陆失败！")), c.wrongMessages) << c.label;
        const QString expected = c.opens ? accountB : accountA;
        EXPECT_EQ(CurrentAccount().Path(), expected) << c.label;
        EXPECT_EQ(OpenFile(), expected) << c.label;
        EXPECT_EQ(CurrentAccount().Protected(), c.opens) << c.label;
        EXPECT_EQ(CurrentAccount().PasswordCipher(), c.opens ? Cipher("Abc") : QString()) << c.label;
        EXPECT_EQ(RegReadString(2, OrvRegistryKey, "txlfile"), expected) << c.label;
        main.reset();
        form1.reset();
        customerData.reset();
    }
}

TEST_F(Accounts, FailedOpenKeepsTheOpenAccountsProtection)
{
    MakeAccount(accountA);
    MakeAccount(accountB);
    StorePassword(accountA, Cipher("one"));
    StorePassword(accountB, Cipher("two"));
    Start();
    ModalResponder responder;
    responder.Then(Type("one"));
    main->OpenAccount(accountA);
    ASSERT_TRUE(CurrentAccount().Protected());

    // The prompt names the account being opened, not the open one.
    QString asked;
    responder.Then([&](QDialog *dialog) {
        asked = static_cast<Tfrminputpsd *>(dialog)->Label1->text();
        Cancel()(dialog);
    });
    main->OpenAccount(accountB);
    EXPECT_EQ(asked, QStringLiteral("当前打开账户:") + QFileInfo(accountB).fileName());
    EXPECT_EQ(CurrentAccount().Path(), accountA);
    EXPECT_TRUE(CurrentAccount().Protected());
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("one"));
}

TEST_F(Accounts, FilesThatAreNotAccountsAreRefused)
{
    MakeAccount(accountA, {"甲"});
    const QString text = DataDir() + "notes.txl";
    WriteBytes(text, "this is a text file, not an account\n");
    // A database whose usermsg cannot be read must not open as an account without password.
    const QString broken = DataDir() + "broken.txl";
    {
        SQLite::Database db(broken, SQLite::OpenReadWrite | SQLite::OpenCreate);
        db.Exec("create table userinfo(keyid integer primary key, uname text); create table usermsg(id integer primary key);");
    }
    // Bare tables with every column the password read needs are still no account.
    const QString bare = DataDir() + "bare.txl";
    {
        SQLite::Database db(bare, SQLite::OpenReadWrite | SQLite::OpenCreate);
        db.Exec("create table userinfo(keyid integer primary key, uname text, nodetype integer);"
                "create table usermsg(id integer primary key, password text);");
    }
    Start();
    main->OpenAccount(accountA);
    struct Case {
        QString path;
        const char *message;
    };
    const Case cases[] = {
        {text, "登陆失败,数据格式错误！"},
        {broken, "登陆失败,数据格式错误！"},
        {bare, "登陆失败,数据格式错误！"},
        {DataDir() + "gone.txl", "登陆失败,打开不存在的文件！"},
    };
    for (const Case &c : cases) {
        TestDialogs().Reset();
        main->OpenAccount(c.path);
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.message)) << c.path.toStdString();
        EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("Orvanta"));
        EXPECT_EQ(CurrentAccount().Path(), accountA);
        EXPECT_EQ(OpenFile(), accountA);
    }
}

// Flipped bytes in the account file: the user hears of it and is offered the newest copy that
// passes the check, not a newer damaged one; the damaged file is kept beside.
TEST_F(Accounts, ADamagedAccountIsReportedAndTheNewestGoodBackupOffered)
{
    const auto damage = [](const QString &path) {
        TADOConnection connection;
        connection.Open(path);
        TADOQuery query(&connection);
        for (int i = 0; i < 300; ++i)
            ASSERT_TRUE(RunQuery(&query, "insert into userinfo(uname, ufz) values(?, ?)", {"x", QString(500, 'z')}));
        connection.Close();
        DamageDatabasePages(path);
        ASSERT_EQ(TADOConnection::CheckFile(path), TAccountFileState::Damaged);
    };
    const QString good = DefaultBackupDir() + "0501083000B.txl";
    const QString older = DefaultBackupDir() + "20240401B.txl";
    const QString damagedCopy = DefaultBackupDir() + "0502083000B.txl";
    const QDateTime day(QDate(2024, 5, 1), QTime(8, 30));
    const struct {
        const char *label;
        bool backups;
        MsgResult answer;
        bool opens;
    } cases[] = {
        {"restored", true, MsgResult::Yes, true},
        {"declined", true, MsgResult::No, false},
        {"no backup", false, MsgResult::Yes, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        QDir(DefaultBackupDir()).removeRecursively();
        QDir().mkpath(DefaultBackupDir());
        MakeAccount(accountA);
        MakeAccount(accountB, {"乙"});
        if (c.backups) {
            ASSERT_TRUE(QFile::copy(accountB, older));
            ASSERT_TRUE(QFile::copy(accountB, good));
            ASSERT_TRUE(QFile::copy(accountB, damagedCopy));
            damage(damagedCopy);
            for (const auto &[file, when] : {std::pair{older, day.addDays(-30)}, std::pair{good, day},
                                            std::pair{damagedCopy, day.addDays(1)}}) {
                QFile f(file);
                ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
            }
        }
        damage(accountB);
        Start();
        main->OpenAccount(accountA);
        TestDialogs().Reset();
        TestDialogs().AnswerMessage(c.answer);
        main->OpenAccount(accountB);
        ASSERT_NE(TestDialogs().Last(), nullptr);
        const QString text = TestDialogs().Texts().value(0);
        EXPECT_TRUE(text.startsWith(QStringLiteral("账户数据已损坏"))) << text.toStdString();
        EXPECT_EQ(text.contains(good), c.backups) << text.toStdString();
        EXPECT_EQ(CurrentAccount().Path(), c.opens ? accountB : accountA);
        EXPECT_EQ(OpenFile(), c.opens ? accountB : accountA);
        if (c.opens) {
            EXPECT_EQ(ContactNames(accountB), QStringList{"乙"});
            EXPECT_EQ(TADOConnection::CheckFile(accountB + ".damaged"), TAccountFileState::Damaged);
        } else {
            EXPECT_EQ(TADOConnection::CheckFile(accountB), TAccountFileState::Damaged);
        }
        TearDown();
        QFile::remove(accountB + ".damaged");
    }
}

TEST_F(Accounts, AReadOnlyAccountOpensWithAWarning)
{
    MakeAccount(accountA, {"甲"});
    ASSERT_TRUE(QFile::setPermissions(accountA, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    Start();
    main->OpenAccount(accountA);
    EXPECT_EQ(OpenFile(), accountA);
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"账户文件是只读的，对它所做的修改将无法保存！"});
    EXPECT_FALSE(RunQuery(main->ADOQuery1, "insert into userinfo(uname, nodetype) values('乙', 2)"));
    // Compacting it is refused once, and the account stays open as it was.
    TestDialogs().Reset();
    main->Command("SpTBXItem42")->Click();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"账户文件是只读的，不能压缩账户数据！"});
    EXPECT_EQ(OpenFile(), accountA);
    QFile::setPermissions(accountA, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// What a compaction or a backup killed midway left beside the account goes at the next start;
// anything else stays.
TEST_F(Accounts, LeftoverTemporaryFilesGoAtTheNextStart)
{
    const QString elsewhere = MakeTempDir("elsewhere") + "/";
    const QString account = elsewhere + "C.txl";
    MakeAccount(account);
    ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, "txlfile", account));
    QDir().mkpath(DefaultBackupDir());
    const QStringList gone = {elsewhere + "~CPa1B2c3.tmp", elsewhere + "~BKzzzzzz.tmp", DataDir() + "~CP000000.tmp",
                              DefaultBackupDir() + "~BKabcdef.tmp", DataDir() + "~hfQwErTy.tmp"};
    const QStringList kept = {elsewhere + "~CP.tmp", elsewhere + "~XX123456.tmp", elsewhere + "notes~CP123456.tmp",
                              elsewhere + "~CP123456.txl"};
    for (const QString &file : gone + kept)
        WriteBytes(file, "x");
    Start();
    for (const QString &file : gone)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    for (const QString &file : kept)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(account));
}

TEST_F(Accounts, StartWithTheLastAccountOrTheListWhenItIsGone)
{
    MakeAccount(accountA);
    ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, "txlfile", accountA));
    Start();
    main->OpenLastAccount();
    EXPECT_EQ(OpenFile(), accountA);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(frmnewdataform.isNull());
    TearDown();

    ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, "txlfile", DataDir() + "deleted.txl"));
    Start();
    ASSERT_EQ(CurrentAccount().Path(), DataDir() + "deleted.txl");
    main->OpenLastAccount();
    EXPECT_TRUE(CurrentAccount().Path().isEmpty());
    EXPECT_TRUE(main->isVisible());
    ASSERT_FALSE(frmnewdataform.isNull());
    EXPECT_TRUE(frmnewdataform->isVisible());
    EXPECT_FALSE(frmnewdataform->isModal());
    EXPECT_EQ(frmnewdataform->Edit2->text(), DataDir());
    ASSERT_EQ(frmnewdataform->ListBox1->count(), 1);

    // Opening from the list closes the list.
    frmnewdataform->ListBox1->setCurrentRow(0);
    frmnewdataform->Button1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmnewdataform.isNull());
    EXPECT_EQ(CurrentAccount().Path(), accountA);
}

TEST_F(Accounts, NewAccountFromTheList)
{
    MakeAccount(accountA, {"甲"});
    MakeAccount(accountB, {"乙"});
    Start();
    main->OpenAccount(accountA);

    struct Case {
        const char *name;
        std::vector<MsgResult> answers;
        const char *lastMessage;  // nullptr: opened without complaint
        QString opened;
    };
    const Case cases[] = {
        {"  ", {}, "请输入账户名称!", accountA},
        {"..", {}, "请输入账户名称!", accountA},
        {"a*b", {}, "请输入账户名称!", accountA},
        {"B", {MsgResult::Cancel}, "通讯录已经存在是否覆盖?", accountA},
        {"A", {MsgResult::OK}, "该帐户数据已经打开!", accountA},
        {" 新账户 ", {}, nullptr, DataDir() + "新账户.txl"},
        {"B", {MsgResult::OK}, "通讯录已经存在是否覆盖?", accountB},
    };
    for (const Case &c : cases) {
        TestDialogs().Reset();
        for (MsgResult answer : c.answers)
            TestDialogs().AnswerMessage(answer);
        ShowAccountList(main.get(), CurrentAccount(), [this](const QString &path) { main->OpenAccount(path); });
        QPointer<Tfrmnewdataform> list = frmnewdataform;
        list->Edit1->setText(QString::fromUtf8(c.name));
        list->Button3->click();
        if (c.lastMessage) {
            ASSERT_NE(TestDialogs().Last(), nullptr) << c.name;
            EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.lastMessage)) << c.name;
        } else {
            EXPECT_TRUE(TestDialogs().Texts().isEmpty()) << c.name;
        }
        EXPECT_EQ(CurrentAccount().Path(), c.opened) << c.name;
        if (list)
            list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(ContactNames(accountA), QStringList{"甲"});
    // Overwritten with an empty account once the question was answered with OK.
    EXPECT_EQ(ContactNames(accountB), QStringList());
    EXPECT_FALSE(QFileInfo::exists(DataDir() + "a*b.txl"));
}

TEST_F(Accounts, DeleteFromTheList)
{
    MakeAccount(accountA);
    MakeAccount(accountB);
    ASSERT_TRUE(QFile::link(accountA, DataDir() + "alias.txl"));
    Start();
    main->OpenAccount(accountA);

    struct Case {
        const char *item;
        MsgResult answer;
        const char *refusal;  // nullptr: no refusal
        bool removed;
    };
    const Case cases[] = {
        {"B", MsgResult::Cancel, nullptr, false},
        {"A", MsgResult::OK, "该帐户数据已经打开,请先关闭!", false},
        // Another name for the same file is still the open account.
        {"alias", MsgResult::OK, "该帐户数据已经打开,请先关闭!", false},
        {"B", MsgResult::OK, nullptr, true},
    };
    for (const Case &c : cases) {
        TestDialogs().Reset();
        TestDialogs().AnswerMessage(c.answer);
        ShowAccountList(main.get(), CurrentAccount(), [this](const QString &path) { main->OpenAccount(path); });
        QPointer<Tfrmnewdataform> list = frmnewdataform;
        const QList<QListWidgetItem *> found = list->ListBox1->findItems(c.item, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << c.item;
        list->ListBox1->setCurrentItem(found[0]);
        list->Button4->click();
        ASSERT_GE(TestDialogs().Texts().size(), 1);
        EXPECT_EQ(TestDialogs().Texts()[0], QStringLiteral("确认删除选中的帐户 \"%1\"").arg(c.item));
        if (c.refusal) {
            EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.refusal)) << c.item;
        }
        EXPECT_EQ(!QFileInfo::exists(DataDir() + c.item + ".txl"), c.removed) << c.item;
        if (list)
            list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(QFileInfo::exists(accountA));
    EXPECT_EQ(OpenFile(), accountA);
}

TEST_F(Accounts, OpenOtherAccountFile)
{
    MakeAccount(accountA);
    const QString elsewhere = MakeTempDir("other") + "/外部.txl";
    MakeAccount(elsewhere, {"丙"});
    Start();
    main->OpenAccount(accountA);

    ShowAccountList(main.get(), CurrentAccount(), [this](const QString &path) { main->OpenAccount(path); });
    TestDialogs().AnswerText(DataDir() + "./A.txl");
    frmnewdataform->Button2->click();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("该帐户数据已经打开!"));
    ASSERT_FALSE(frmnewdataform.isNull());

    TestDialogs().AnswerText(elsewhere);
    frmnewdataform->Button2->click();
    EXPECT_EQ(CurrentAccount().Path(), elsewhere);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmnewdataform.isNull());
}

TEST_F(Accounts, RestoreFromABackup)
{
    MakeAccount(accountA, {"甲"});
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    MakeAccount(BackupDir_() + "0501083000A.txl", {"乙", "丙"});
    WriteBytes(BackupDir_() + "fake.txl", "not a database");
    Start();
    main->OpenAccount(accountA);
    main->ShowCalendarPage();

    struct Case {
        const char *item;
        MsgResult answer;
        const char *lastMessage;
        QStringList contacts;
    };
    const Case cases[] = {
        {"fake", MsgResult::OK, "无法打开该帐户!", {"甲"}},
        {"0501083000A", MsgResult::Cancel, "软件将关闭当前账户并恢复备份，\n当前账户将被覆盖，继续吗？", {"甲"}},
        {"0501083000A", MsgResult::OK, "软件将关闭当前账户并恢复备份，\n当前账户将被覆盖，继续吗？", {"乙", "丙"}},
    };
    for (const Case &c : cases) {
        TestDialogs().Reset();
        TestDialogs().AnswerMessage(c.answer);
        ModalResponder responder;
        responder.Then([&](QDialog *dialog) {
            auto *restore = qobject_cast<Tfrmhfdb *>(dialog);
            ASSERT_NE(restore, nullptr);
            const QList<QListWidgetItem *> found = restore->ListBox1->findItems(c.item, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            restore->ListBox1->setCurrentItem(found[0]);
            restore->Button1->click();
            // Every outcome here closes the dialog.
            EXPECT_FALSE(restore->isVisible()) << c.item;
            if (restore->isVisible())
                restore->reject();
        });
        main->SpTBXItem24Click();
        EXPECT_EQ(responder.Unexpected(), 0);
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.lastMessage)) << c.item;
        EXPECT_EQ(OpenFile(), accountA) << c.item;
        EXPECT_EQ(ContactNames(accountA), c.contacts) << c.item;
    }
    // The pages were rebuilt as they were shown.
    EXPECT_TRUE(main->CalendarPageVisible());
    EXPECT_EQ(main->BrowserPage(), nullptr);
}

TEST_F(Accounts, TheOpenFileCannotBeRestoredOverItself)
{
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    const QString inBackups = BackupDir_() + "current.txl";
    MakeAccount(inBackups, {"甲"});
    Start();
    main->OpenAccount(inBackups);

    ModalResponder responder;
    bool stayedOpen = false;
    responder.Then([&](QDialog *dialog) {
        auto *restore = qobject_cast<Tfrmhfdb *>(dialog);
        ASSERT_NE(restore, nullptr);
        restore->ListBox1->setCurrentRow(0);
        restore->Button1->click();
        stayedOpen = restore->isVisible();
        restore->reject();
    });
    main->SpTBXItem24Click();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"该帐户数据已经打开!"});
    EXPECT_EQ(ContactNames(inBackups), QStringList{"甲"});
}

// Restore is offered only with an open account, and reads its list again on every showing.
TEST_F(Accounts, RestoreListIsReadAgainOnEveryShowing)
{
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    MakeAccount(accountA);
    Start();
    QStringList seen;
    ModalResponder responder;
    EXPECT_FALSE(main->Command("SpTBXItem24")->Enabled());
    main->SpTBXItem24Click();
    EXPECT_TRUE(responder.Shown().isEmpty());

    main->OpenAccount(accountA);
    const auto look = [&](QDialog *dialog) {
        auto *restore = qobject_cast<Tfrmhfdb *>(dialog);
        ASSERT_NE(restore, nullptr);
        seen << QString::number(restore->ListBox1->count());
        restore->reject();
    };
    responder.Then(look);
    main->SpTBXItem24Click();
    MakeAccount(BackupDir_() + "later.txl");
    responder.Then(look);
    main->SpTBXItem24Click();
    EXPECT_EQ(seen, (QStringList{"0", "1"}));
}

TEST_F(Accounts, RestoreWaitsForOpenEditors)
{
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    MakeAccount(accountA, {"甲"});
    MakeAccount(BackupDir_() + "b.txl", {"乙"});
    Start();
    main->OpenAccount(accountA);
    main->OpenContact("1", "甲");
    ASSERT_EQ(editors.size(), 1u);
    editors[0]->refuseClose = true;

    TestDialogs().AnswerMessage(MsgResult::OK);
    ModalResponder responder;
    responder.Then(RestoreItem("b"));
    main->SpTBXItem24Click();
    EXPECT_EQ(editors[0]->closeAsked, 1);
    EXPECT_EQ(ContactNames(accountA), QStringList{"甲"});
    EXPECT_EQ(OpenFile(), accountA);
}

TEST_F(Accounts, ReplaceWithCopyLeavesTheTargetOnFailure)
{
    const QString folder = MakeTempDir("copy");
    WriteBytes(folder + "/target", "old");
    WriteBytes(folder + "/source", "new contents");
    EXPECT_FALSE(ReplaceWithCopy(folder + "/missing", folder + "/target"));
    EXPECT_FALSE(ReplaceWithCopy(folder + "/source", QString()));
    QFile target(folder + "/target");
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("old"));
    target.close();
    EXPECT_TRUE(ReplaceWithCopy(folder + "/source", folder + "/target"));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("new contents"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

TEST_F(Accounts, SetChangeAndRemoveThePassword)
{
    MakeAccount(accountA);
    Start();
    main->OpenAccount(accountA);
    ModalResponder responder;

    bool enabledWhenDifferent = true;
    responder.Then(NewPassword("pw1", "pw2", &enabledWhenDifferent));
    main->SetPassword();
    EXPECT_FALSE(enabledWhenDifferent);
    EXPECT_FALSE(CurrentAccount().Protected());

    responder.Then(NewPassword("pw1", "pw1"));
    main->Command("SpTBXItem1")->Click();
    EXPECT_TRUE(CurrentAccount().Protected());
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("pw1"));

    // Changing needs the old one first.
    TestDialogs().Reset();
    responder.Then(Type("PW1"));
    main->SetPassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"密码错误,不能取消保护!"});
    responder.Then(Type("pw1"));
    responder.Then(NewPassword("新密码", "新密码"));
    main->SetPassword();
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("新密码"));

    // The stored password is what a later opening asks for.
    main.reset();
    form1.reset();
    customerData.reset();
    Start();
    responder.Then(Type("新密码"));
    main->OpenAccount(accountA);
    EXPECT_TRUE(CurrentAccount().Protected());
    EXPECT_EQ(CurrentAccount().Path(), accountA);

    TestDialogs().Reset();
    responder.Then(Type("x"));
    main->RemovePassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"密码错误,不能取消保护!"});
    EXPECT_TRUE(CurrentAccount().Protected());
    responder.Then(Type("新密码"));
    main->Command("SpTBXItem2")->Click();
    EXPECT_FALSE(CurrentAccount().Protected());
    EXPECT_TRUE(CurrentAccount().PasswordCipher().isEmpty());
    EXPECT_EQ(responder.Unexpected(), 0);

    main->OpenAccount(accountA);
    EXPECT_EQ(responder.Pending(), 0);
    EXPECT_FALSE(CurrentAccount().Protected());
}

TEST_F(Accounts, APasswordThatCannotBeStoredLeavesTheAccountAsItWas)
{
    MakeAccount(accountA);
    Start();
    main->OpenAccount(accountA);
    ModalResponder responder;

    // Its last byte enciphers to zero and would not come back.
    TestDialogs().Reset();
    responder.Then(NewPassword("ab\v", "ab\v"));
    main->SetPassword();
    EXPECT_FALSE(CurrentAccount().Protected());
    ASSERT_EQ(TestDialogs().Texts().size(), 1);
    EXPECT_EQ(TestDialogs().Texts()[0], QString::fromLatin1(DesNullCharError));

    // A write that fails is reported, not taken for a stored password.
    CustomerData->dbConnection->Db().Exec("drop table usermsg");
    TestDialogs().Reset();
    responder.Then(NewPassword("pw", "pw"));
    main->SetPassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"保存错误！"});
    EXPECT_FALSE(CurrentAccount().Protected());
    EXPECT_TRUE(CurrentAccount().PasswordCipher().isEmpty());
}

TEST_F(Accounts, ConnectFailuresDisableTheAccountCommands)
{
    MakeAccount(accountA);
    Start();
    main->OpenAccount(accountA);
    ASSERT_TRUE(main->Command("SpTBXItem1")->Enabled());

    CurrentAccount().Remember(DataDir() + "vanished.txl");
    EXPECT_FALSE(main->ConnectAccount());
    EXPECT_EQ(main->StatusText(), QStringLiteral("文件不存在: ") + CurrentAccount().Path());
    EXPECT_FALSE(main->SpTBXToolbar2->Visible());
    EXPECT_FALSE(main->Command("SpTBXItem1")->Enabled());
    EXPECT_FALSE(main->Command("SpTBXItem24")->Enabled());
    {
        ModalResponder responder;
        main->SpTBXItem24Click();
        EXPECT_TRUE(responder.Shown().isEmpty());
    }

    const QString bad = DataDir() + "bad.txl";
    WriteBytes(bad, "garbage");
    CurrentAccount().Remember(bad);
    TestDialogs().Reset();
    EXPECT_FALSE(main->ConnectAccount());
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"无法与数据库建立连接，请检查数据库是否已经存在。"});
    EXPECT_EQ(main->StatusText(), QStringLiteral("错误的数据文件: ") + bad);
}

TEST_F(Accounts, IsOpenAccountFileSeesThroughPathSpellings)
{
    MakeAccount(accountA);
    ASSERT_TRUE(QFile::link(accountA, DataDir() + "link.txl"));
    CurrentAccount().Remember(accountA);
    EXPECT_TRUE(CurrentAccount().IsAccountFile(accountA));
    EXPECT_TRUE(CurrentAccount().IsAccountFile(AppDir() + "data/./A.txl"));
    EXPECT_TRUE(CurrentAccount().IsAccountFile(AppDir() + "data//A.txl"));
    EXPECT_TRUE(CurrentAccount().IsAccountFile(AppDir() + "data/backup/../A.txl"));
    EXPECT_TRUE(CurrentAccount().IsAccountFile(DataDir() + "link.txl"));
    EXPECT_FALSE(CurrentAccount().IsAccountFile(DataDir() + "a.txl"));
    EXPECT_FALSE(CurrentAccount().IsAccountFile(QString()));
    CurrentAccount().Forget();
    EXPECT_FALSE(CurrentAccount().IsAccountFile(accountA));
}

TEST_F(Accounts, AProtectedBackupIsAskedForBeforeTheAccountCloses)
{
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    MakeAccount(accountA, {"甲"});
    StorePassword(accountA, Cipher("one"));
    MakeAccount(BackupDir_() + "0501083000A.txl", {"乙"});
    StorePassword(BackupDir_() + "0501083000A.txl", Cipher("two"));

    struct Case {
        const char *label;
        std::vector<const char *> typed;  // nullptr: Cancel
        bool restores;
    };
    const Case cases[] = {
        {"cancel", {nullptr}, false},
        {"three wrong", {"one", "Two", "two "}, false},
        {"wrong then cancel", {"x", nullptr}, false},
        {"the backup's password", {"one", "two"}, true},
    };
    for (const Case &c : cases) {
        Start();
        ModalResponder responder;
        responder.Then(Type("one"));
        main->OpenAccount(accountA);
        ASSERT_EQ(OpenFile(), accountA) << c.label;

        TestDialogs().Reset();
        TestDialogs().AnswerMessage(MsgResult::OK);
        responder.Then(RestoreItem("0501083000A"));
        for (const char *typed : c.typed)
            responder.Then(typed ? Type(QString::fromUtf8(typed)) : Cancel());
        main->SpTBXItem24Click();

        EXPECT_EQ(responder.Unexpected(), 0) << c.label;
        EXPECT_EQ(responder.Pending(), 0) << c.label;
        ASSERT_FALSE(TestDialogs().Texts().isEmpty()) << c.label;
        EXPECT_EQ(TestDialogs().Texts()[0], QStringLiteral("软件将关闭当前账户并恢复备份，\n当前账户将被覆盖，继续吗？"));
        ExpectConnected(accountA, c.label);
        EXPECT_TRUE(CurrentAccount().Protected()) << c.label;
        EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher(c.restores ? "two" : "one")) << c.label;
        EXPECT_EQ(ContactNames(accountA), c.restores ? QStringList{"乙"} : QStringList{"甲"}) << c.label;
        main.reset();
        form1.reset();
        customerData.reset();
        if (c.restores) {
            MakeAccount(accountA, {"甲"});
            StorePassword(accountA, Cipher("one"));
        }
    }
}

TEST_F(Accounts, AFailedRestoreCopyKeepsTheAccountAndItsProtection)
{
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    MakeAccount(accountA, {"甲"});
    StorePassword(accountA, Cipher("one"));
    MakeAccount(BackupDir_() + "b.txl", {"乙"});
    StorePassword(BackupDir_() + "b.txl", Cipher("two"));
    Start();
    ModalResponder responder;
    responder.Then(Type("one"));
    main->OpenAccount(accountA);

    TestDialogs().Reset();
    TestDialogs().AnswerMessage(MsgResult::OK);
    responder.Then(RestoreItem("b"));
    responder.Then(Type("two"));
    {
        HookGuard hook([](const QString &, const QString &) { return false; });
        main->SpTBXItem24Click();
    }
    EXPECT_EQ(responder.Unexpected(), 0);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("恢复失败，当前账户没有改变。"));
    ExpectConnected(accountA, "copy failed");
    EXPECT_EQ(ContactNames(accountA), QStringList{"甲"});
    EXPECT_TRUE(CurrentAccount().Protected());
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("one"));
}

TEST_F(Accounts, ARestoredFileThatDoesNotOpenLeavesNoAccountShown)
{
    ASSERT_TRUE(QDir().mkpath(BackupDir_()));
    MakeAccount(accountA, {"甲"});
    MakeAccount(BackupDir_() + "b.txl", {"乙"});
    Start();
    main->OpenAccount(accountA);

    TestDialogs().Reset();
    TestDialogs().AnswerMessage(MsgResult::OK);
    ModalResponder responder;
    responder.Then(RestoreItem("b"));
    {
        // The copy arrives damaged, as a failing disk could leave it.
        HookGuard hook([](const QString &from, const QString &to) {
            QFile::remove(from);
            QFile file(to);
            return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("damaged") == 7;
        });
        main->SpTBXItem24Click();
    }
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("无法与数据库建立连接，请检查数据库是否已经存在。"));
    ExpectDisconnected(QStringLiteral("错误的数据文件: ") + accountA, "damaged copy");
}

TEST_F(Accounts, ThePasswordIsReadAndWrittenInTheSameRow)
{
    MakeAccount(accountA);
    {
        TADOConnection connection;
        connection.Open(accountA);
        TADOQuery query(&connection);
        for (const char *password : {"first", "second"})
            ASSERT_TRUE(RunQuery(&query, "insert into usermsg(password) values(?)", {Cipher(password)}));
    }
    Start();
    ModalResponder responder;
    responder.Then(Type("first"));
    main->OpenAccount(accountA);
    ASSERT_EQ(OpenFile(), accountA);
    ASSERT_TRUE(CurrentAccount().Protected());

    responder.Then(Type("first"));
    responder.Then(NewPassword("third", "third"));
    main->SetPassword();
    ASSERT_EQ(CurrentAccount().PasswordCipher(), Cipher("third"));

    // Reopening asks for the password just set.
    main.reset();
    form1.reset();
    customerData.reset();
    Start();
    responder.Then(Type("third"));
    main->OpenAccount(accountA);
    EXPECT_TRUE(CurrentAccount().Protected());
    EXPECT_EQ(OpenFile(), accountA);
    EXPECT_EQ(responder.Unexpected(), 0);
    EXPECT_EQ(responder.Pending(), 0);
}

TEST_F(Accounts, EnterOnConfirmStoresThePassword)
{
    MakeAccount(accountA);
    Start();
    main->OpenAccount(accountA);
    Tfrmsetnewpwd dialog(main->ADOQuery1, accountA, main.get());
    dialog.show();
    const auto enter = [](QWidget *target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(target, &release);
    };
    dialog.Edit1->setText("pw");
    enter(dialog.Edit1);
    dialog.Edit2->setText("pw");
    enter(dialog.Edit2);
    ASSERT_EQ(dialog.focusWidget(), dialog.Button1);
    EXPECT_TRUE(dialog.Cipher().isEmpty());  // the first Enter only moves to 确定
    enter(dialog.Button1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Cipher(), Cipher("pw"));
}

TEST_F(Accounts, AnAccountGoesWithItsJournals)
{
    MakeAccount(accountA);
    MakeAccount(accountB, {"乙"});
    const QStringList sidecars = {accountB + "-journal", accountB + "-wal", accountB + "-shm"};
    for (const QString &sidecar : sidecars)
        WriteBytes(sidecar, QByteArray(1024, 'j'));
    Start();
    main->OpenAccount(accountA);

    TestDialogs().AnswerMessage(MsgResult::OK);
    ShowAccountList(main.get(), CurrentAccount(), [this](const QString &path) { main->OpenAccount(path); });
    const QList<QListWidgetItem *> found = frmnewdataform->ListBox1->findItems("B", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    frmnewdataform->ListBox1->setCurrentItem(found[0]);
    frmnewdataform->Button4->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFileInfo::exists(accountB));
    for (const QString &sidecar : sidecars)
        EXPECT_FALSE(QFileInfo::exists(sidecar)) << sidecar.toStdString();
}

TEST_F(Accounts, CopiesReplaceTheFileBehindASymbolicLink)
{
    const QString elsewhere = MakeTempDir("linked");
    const QString real = elsewhere + "/real.txl";
    const QString link = DataDir() + "linked.txl";
    MakeAccount(real, {"原"});
    ASSERT_TRUE(QFile::link(real, link));
    const QString source = MakeTempDir("source") + "/source.txl";
    MakeAccount(source, {"备份"});

    const struct {
        const char *what;
        std::function<bool()> replace;
        QStringList contacts;
    } cases[] = {
        {"restore copy", [&] { return ReplaceWithCopy(source, link); }, {"备份"}},
        {"compaction", [&] { return CompactDatabase(link); }, {"备份"}},
        {"new account", [&] { return SaveResourceToFile("MYDB", "TEMPLATE", link); }, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.replace());
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(ContactNames(real), c.contacts);
        EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files), QStringList{"real.txl"});
    }
}

TEST_F(Accounts, HelpWithoutItsFile)
{
    Start();
    ShowAccountList(main.get(), CurrentAccount(), [this](const QString &path) { main->OpenAccount(path); });
    frmnewdataform->Button5->click();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"文件已经不存在！"});
    EXPECT_TRUE(TestShell().opened.isEmpty());
    frmnewdataform->Button6->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmnewdataform.isNull());
}
