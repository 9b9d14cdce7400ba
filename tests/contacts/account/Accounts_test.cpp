#include "account/AccountTestSupport.h"
#include "contacts/account/hfdb.h"
#include "contacts/account/inputpsd.h"
#include "contacts/account/newdataform.h"
#include "contacts/account/setnewpwd.h"
#include "contacts/shared/WNDES.h"
#include "themed/SpTBXItem.h"

using namespace accounttest;

namespace {

QString DataDir() { return AppDir() + "data/"; }
QString Cipher(const QString &password) { return DesEncryptString(password, DesKey).Text; }

void StorePassword(const QString &path, const QString &cipher)
{
    TADOConnection connection;
    connection.Open(path);
    TADOQuery query(&connection);
    ASSERT_TRUE(WriteAccountPassword(&query, cipher));
}

void MakeProtected(const QString &path, const QStringList &contacts, const QString &password)
{
    MakeAccount(path, contacts);
    StorePassword(path, Cipher(password));
}

// Answers password prompts in turn (nullptr: 取消); with an account given, each must name it.
void Queue(ModalResponder &responder, const std::vector<const char *> &typed, const QString &account = {})
{
    for (const char *text : typed) {
        responder.Then([=](QDialog *dialog) {
            auto *prompt = qobject_cast<Tfrminputpsd *>(dialog);
            ASSERT_NE(prompt, nullptr) << dialog->objectName().toStdString();
            if (!account.isEmpty()) {
                EXPECT_EQ(prompt->Label1->text(), QStringLiteral("当前打开账户:") + QFileInfo(account).fileName());
            }
            if (!text)
                return dialog->reject();
            prompt->Edit1->setText(QString::fromUtf8(text));
            prompt->Button1->click();
        });
    }
}

// Picks a backup in the restore dialog and presses 恢复; `stayedOpen` tells whether it stayed.
ModalResponder::Step RestoreItem(const QString &item, bool *stayedOpen = nullptr)
{
    return [=](QDialog *dialog) {
        auto *restore = qobject_cast<Tfrmhfdb *>(dialog);
        ASSERT_NE(restore, nullptr) << dialog->objectName().toStdString();
        const QList<QListWidgetItem *> found = restore->ListBox1->findItems(item, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << item.toStdString();
        restore->ListBox1->setCurrentItem(found[0]);
        restore->Button1->click();
        if (stayedOpen)
            *stayedOpen = restore->isVisible();
        if (restore->isVisible())
            restore->reject();
    };
}

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

class Accounts : public AccountWindow
{
protected:
    void ShowList()
    {
        ShowAccountList(main.get(), CurrentAccount(), [this](const QString &path) { main->OpenAccount(path); });
    }
    QString OpenFile() const
    {
        return CustomerData->dbConnection->Connected() ? CustomerData->dbConnection->FileName() : QString();
    }
    // The window shows an open account exactly when one is connected; without one, the status says why.
    void ExpectAccount(const QString &path, const QString &status = {})
    {
        const bool open = !path.isEmpty();
        EXPECT_EQ(OpenFile(), path);
        EXPECT_EQ(main->StatusText(), open ? QStringLiteral("当前打开数据: ") + path : status);
        EXPECT_EQ(main->SpTBXToolbar2->Visible(), open);
        for (const char *command : {"SpTBXItem1", "SpTBXItem24", "SpTBXItem33"})
            EXPECT_EQ(main->Command(command)->Enabled(), open) << command;
        EXPECT_EQ(CustomerData->alarmTimer->isActive(), open);
        if (open) {
            EXPECT_EQ(CurrentAccount().Path(), path);
            EXPECT_TRUE(RunQuery(main->ADOQuery1, "select count(*) from userinfo"));
        }
    }
    QString accountA = DataDir() + "A.txl";
    QString accountB = DataDir() + "B.txl";
};

} // namespace

TEST_F(Accounts, ListingAndNames)
{
    ASSERT_TRUE(QDir().mkpath(DataDir() + "d.txl"));  // a folder
    for (const char *name : {"a.txl", "B.TXL", "c.txt", ".h.txl", "txl", "e.txl.bak"})
        WriteBytes(DataDir() + name);
    EXPECT_EQ(Tfrmnewdataform::ListAccounts(DataDir()), (QStringList{"a", "B"}));
    EXPECT_EQ(Tfrmnewdataform::ListAccounts(AppDir() + "no-such-folder"), QStringList());
    for (const char *name :
         {"", ".", "..", "a\"b", "a/b", "a:b", "a<b", "a>b", "a\\b", "a|b", "a*b", "a?b", "a\tb", "a\nb"})
        EXPECT_FALSE(ValidAccountName(QString::fromUtf8(name))) << name;
}

// Opening B while a protected A is open: a failed opening leaves A open with its protection.
TEST_F(Accounts, PasswordTriesAndTheirOutcome)
{
    // password: B's, a blank one means none; typed: the prompts' answers, nullptr for Cancel
    const struct { const char *label, *password; std::vector<const char *> typed; bool opens; int wrong; } cases[] = {
        {"no password", " ", {}, true, 0}, {"right first", "Abc", {"Abc"}, true, 0},
        {"right third", "Abc", {"abc", "ABC", "Abc"}, true, 2},
        {"three wrong", "Abc", {"abc", "Abc ", " Abc"}, false, 3}, {"cancel", "Abc", {nullptr}, false, 0},
        {"wrong then cancel", "Abc", {"x", nullptr}, false, 1},
    };
    MakeProtected(accountA, {"甲"}, "one");
    MakeAccount(accountB, {"乙"});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const bool blank = QString(c.password).trimmed().isEmpty();
        StorePassword(accountB, blank ? QString(c.password) : Cipher(c.password));
        Start();
        ModalResponder responder;
        Queue(responder, {"one"});
        main->OpenAccount(accountA);
        ASSERT_EQ(OpenFile(), accountA);
        TestDialogs().Reset();
        Queue(responder, c.typed, accountB);
        main->OpenAccount(accountB);
        EXPECT_EQ(responder.Unexpected(), 0);
        EXPECT_EQ(responder.Pending(), 0);
        EXPECT_EQ(TestDialogs().Texts().count(QStringLiteral("密码错误,登陆失败！")), c.wrong);
        const QString expected = c.opens ? accountB : accountA;
        ExpectAccount(expected);
        EXPECT_TRUE(main->BrowserPageVisible());
        EXPECT_EQ(RegReadString(2, OrvRegistryKey, "txlfile"), expected);
        EXPECT_EQ(CurrentAccount().Protected(), !(c.opens && blank));
        if (!(c.opens && blank)) {
            EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher(c.opens ? c.password : "one"));
        }
        Close();
    }
}

// Foreign files, or damaged ones without backups, are refused; a read-only account opens, not compacted.
TEST_F(Accounts, DamagedForeignAndReadOnlyFiles)
{
    const auto database = [](const char *sql) {
        return [sql](const QString &path) {
            SQLite::Database db(path, SQLite::OpenReadWrite | SQLite::OpenCreate);
            db.Exec(sql);
        };
    };
    const char *notAnAccount = "登陆失败,数据格式错误！";
    const struct { const char *name; std::function<void(const QString &)> make; const char *message; bool opens; }
        cases[] = {
        {"text", [](const QString &p) { WriteBytes(p, "this is a text file, not an account\n"); }, notAnAccount, false},
        // An unreadable usermsg is no account without password, nor are bare tables with its columns.
        {"broken", database("create table userinfo(keyid integer primary key, uname text);"
                            "create table usermsg(id integer primary key);"), notAnAccount, false},
        {"bare", database("create table userinfo(keyid integer primary key, uname text, nodetype integer);"
                          "create table usermsg(id integer primary key, password text);"), notAnAccount, false},
        {"gone", [](const QString &) {}, "登陆失败,打开不存在的文件！", false},
        {"damaged", [](const QString &p) { MakeAccount(p), MakeDamaged(p); },
         "账户数据已损坏，无法打开！\r\n没有找到可以恢复的备份。", false},
        {"readonly", [](const QString &p) { MakeAccount(p, {"乙"}), QFile::setPermissions(p, QFileDevice::ReadOwner); },
         "账户文件是只读的，对它所做的修改将无法保存！", true},
    };
    MakeAccount(accountA, {"甲"});
    Start();
    main->OpenAccount(accountA);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = DataDir() + c.name + ".txl";
        c.make(path);
        TestDialogs().Reset();
        main->OpenAccount(path);
        ASSERT_EQ(TestDialogs().Questions().size(), 1u);
        EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.message));
        EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("Orvanta"));
        ExpectAccount(c.opens ? path : accountA);
    }
    EXPECT_FALSE(RunQuery(main->ADOQuery1, "insert into userinfo(uname, nodetype) values('丙', 2)"));
    TestDialogs().Reset();
    main->Command("SpTBXItem42")->Click();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"账户文件是只读的，不能压缩账户数据！"});
    EXPECT_EQ(OpenFile(), DataDir() + "readonly.txl");
    QFile::setPermissions(DataDir() + "readonly.txl", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// A damaged account offers its newest good copy; declined nothing changes, accepted the damage is kept.
TEST_F(Accounts, ADamagedAccountOffersTheNewestGoodBackup)
{
    const QString older = DefaultBackupDir() + "20240401B.txl";
    const QString good = DefaultBackupDir() + "0501083000B.txl";
    const QString damagedCopy = DefaultBackupDir() + "0502083000B.txl";
    const QDateTime day(QDate(2024, 5, 1), QTime(8, 30));
    ASSERT_TRUE(QDir().mkpath(DefaultBackupDir()));
    MakeAccount(accountA);
    MakeAccount(accountB, {"乙"});
    for (const QString &copy : {older, good, damagedCopy})
        ASSERT_TRUE(QFile::copy(accountB, copy));
    MakeDamaged(damagedCopy);
    for (const auto &[file, when] :
         {std::pair{older, day.addDays(-30)}, std::pair{good, day}, std::pair{damagedCopy, day.addDays(1)}}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    MakeDamaged(accountB);
    Start();
    main->OpenAccount(accountA);
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        const bool restored = answer == MsgResult::Yes;
        SCOPED_TRACE(restored);
        TestDialogs().Reset();
        TestDialogs().AnswerMessage(answer);
        main->OpenAccount(accountB);
        const QString text = TestDialogs().Texts().value(0);
        EXPECT_TRUE(text.startsWith(QStringLiteral("账户数据已损坏"))) << text.toStdString();
        EXPECT_TRUE(text.contains(good)) << text.toStdString();
        ExpectAccount(restored ? accountB : accountA);
        EXPECT_EQ(TADOConnection::CheckFile(restored ? accountB + ".damaged" : accountB), TAccountFileState::Damaged);
    }
    EXPECT_EQ(ContactNames(accountB), QStringList{"乙"});
}

// What a compaction or backup killed midway left beside the account goes at the next start, no more.
TEST_F(Accounts, LeftoverTemporaryFilesGoAtTheNextStart)
{
    const QString elsewhere = MakeTempDir("elsewhere") + "/";
    const QString account = elsewhere + "C.txl";
    MakeAccount(account);
    ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, "txlfile", account));
    // The journals beside the copies go with them, also one whose copy went before.
    const QStringList gone = {elsewhere + "~CPa1B2c3.tmp", elsewhere + "~BKzzzzzz.tmp", DataDir() + "~CP000000.tmp",
                              DefaultBackupDir() + "~BKabcdef.tmp", DataDir() + "~hfQwErTy.tmp",
                              elsewhere + "~CPa1B2c3.tmp-journal", DefaultBackupDir() + "~BKabcdef.tmp-journal",
                              DataDir() + "~RSorphan.tmp-journal", elsewhere + "~BKzzzzzz.tmp-wal"};
    const QStringList kept = {elsewhere + "~CP.tmp", elsewhere + "~XX123456.tmp", elsewhere + "notes~CP123456.tmp",
                              elsewhere + "~CP123456.txl", elsewhere + "D.txl-journal",
                              elsewhere + "~XX123456.tmp-journal", elsewhere + "~CP123456.txl-journal", account};
    for (const QString &file : gone + kept.mid(0, kept.size() - 1))
        WriteBytes(file);
    Start();
    for (const QString &file : gone)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    for (const QString &file : kept)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
}

TEST_F(Accounts, StartWithTheLastAccountOrTheList)
{
    MakeAccount(accountA);
    ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, "txlfile", accountA));
    Start();
    main->OpenLastAccount();
    EXPECT_EQ(OpenFile(), accountA);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(frmnewdataform.isNull());
    Close();
    ASSERT_TRUE(RegWriteString(2, OrvRegistryKey, "txlfile", DataDir() + "deleted.txl"));
    Start();
    ASSERT_EQ(CurrentAccount().Path(), DataDir() + "deleted.txl");
    main->OpenLastAccount();
    EXPECT_TRUE(CurrentAccount().Path().isEmpty());
    EXPECT_TRUE(main->isVisible());
    ASSERT_FALSE(frmnewdataform.isNull());
    EXPECT_TRUE(frmnewdataform->isVisible() && !frmnewdataform->isModal());
    EXPECT_EQ(frmnewdataform->Edit2->text(), DataDir());
    ASSERT_EQ(frmnewdataform->ListBox1->count(), 1);
    // Opening from the list closes the list.
    frmnewdataform->ListBox1->setCurrentRow(0);
    frmnewdataform->Button1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmnewdataform.isNull());
    EXPECT_EQ(CurrentAccount().Path(), accountA);
    // Help without its file, another file (not the open one under another spelling), and 关闭.
    const QString elsewhere = MakeTempDir("other") + "/外部.txl";
    MakeAccount(elsewhere, {"丙"});
    ShowList();
    frmnewdataform->Button5->click();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"文件已经不存在！"});
    EXPECT_TRUE(TestShell().opened.isEmpty());
    TestDialogs().AnswerText(DataDir() + "./A.txl");
    frmnewdataform->Button2->click();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("该帐户数据已经打开!"));
    ASSERT_FALSE(frmnewdataform.isNull());
    TestDialogs().AnswerText(elsewhere);
    frmnewdataform->Button2->click();
    EXPECT_EQ(CurrentAccount().Path(), elsewhere);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmnewdataform.isNull());
    ShowList();
    frmnewdataform->Button6->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmnewdataform.isNull());
}

// New accounts need a valid name; the open account, under any name, is neither overwritten nor deleted.
TEST_F(Accounts, NewAndDeleteFromTheList)
{
    MakeAccount(accountA, {"甲"});
    MakeAccount(accountB, {"乙"});
    ASSERT_TRUE(QFile::link(accountA, DataDir() + "alias.txl"));
    Start();
    main->OpenAccount(accountA);
    const char *noName = "请输入账户名称!", *exists = "通讯录已经存在是否覆盖?";
    const struct { const char *name; std::vector<MsgResult> answers; const char *lastMessage; QString opened; }
        cases[] = {
        {"  ", {}, noName, accountA}, {"..", {}, noName, accountA}, {"a*b", {}, noName, accountA},
        {"B", {MsgResult::Cancel}, exists, accountA}, {"A", {MsgResult::OK}, "该帐户数据已经打开!", accountA},
        {" 新账户 ", {}, nullptr, DataDir() + "新账户.txl"},  // nullptr: opened without complaint
        {"B", {MsgResult::OK}, exists, accountB},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestDialogs().Reset();
        for (MsgResult answer : c.answers)
            TestDialogs().AnswerMessage(answer);
        ShowList();
        QPointer<Tfrmnewdataform> list = frmnewdataform;
        list->Edit1->setText(QString::fromUtf8(c.name));
        list->Button3->click();
        EXPECT_EQ(TestDialogs().Last() ? TestDialogs().Last()->text : QString(), QString::fromUtf8(c.lastMessage));
        EXPECT_EQ(CurrentAccount().Path(), c.opened);
        if (list)
            list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(ContactNames(accountA), QStringList{"甲"});
    // Overwritten with an empty account once the question was answered with OK.
    EXPECT_EQ(ContactNames(accountB), QStringList());
    EXPECT_FALSE(QFileInfo::exists(DataDir() + "a*b.txl"));
    main->OpenAccount(accountA);
    const QStringList sidecars = {accountB + "-journal", accountB + "-wal", accountB + "-shm"};
    for (const QString &sidecar : sidecars)
        WriteBytes(sidecar, QByteArray(1024, 'j'));
    const char *open = "该帐户数据已经打开,请先关闭!";
    const struct { const char *item; MsgResult answer; const char *refusal; bool removed; } deletions[] = {
        {"B", MsgResult::Cancel, nullptr, false}, {"A", MsgResult::OK, open, false},
        {"alias", MsgResult::OK, open, false},    {"B", MsgResult::OK, nullptr, true},
    };
    for (const auto &c : deletions) {
        SCOPED_TRACE(c.item);
        TestDialogs().Reset();
        TestDialogs().AnswerMessage(c.answer);
        ShowList();
        QPointer<Tfrmnewdataform> list = frmnewdataform;
        const QList<QListWidgetItem *> found = list->ListBox1->findItems(c.item, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->ListBox1->setCurrentItem(found[0]);
        list->Button4->click();
        const QString asked = QStringLiteral("确认删除选中的帐户 \"%1\"").arg(c.item);
        EXPECT_EQ(TestDialogs().Texts(), c.refusal ? (QStringList{asked, c.refusal}) : QStringList{asked});
        EXPECT_EQ(!QFileInfo::exists(DataDir() + c.item + ".txl"), c.removed);
        if (list)
            list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(OpenFile(), accountA);
    for (const QString &sidecar : sidecars)
        EXPECT_FALSE(QFileInfo::exists(sidecar)) << sidecar.toStdString();
}

// Every way a restore can fail keeps the open account, its contacts and its protection (the backup's own
// password is asked first); one that works brings the backup's and rebuilds the pages as they were.
TEST_F(Accounts, RestoreOutcomes)
{
    enum Fault { NoFault, EditorStaysOpen, CopyFails, CopyDamaged };
    const char *question = "软件将关闭当前账户并恢复备份，\n当前账户将被覆盖，继续吗？";
    const char *wrong = "密码错误,登陆失败！";
    // typed: the backup's password prompts, nullptr for Cancel; last: the last message shown
    const struct { const char *label, *item; MsgResult answer; std::vector<const char *> typed; Fault fault;
                   const char *last; bool restored; } cases[] = {
        {"not a database", "fake", MsgResult::OK, {}, NoFault, "无法打开该帐户!", false},
        {"question cancelled", "0501083000A", MsgResult::Cancel, {}, NoFault, question, false},
        {"password cancelled", "0501083000A", MsgResult::OK, {nullptr}, NoFault, question, false},
        {"an editor stays open", "0501083000A", MsgResult::OK, {"two"}, EditorStaysOpen, question, false},
        {"copy fails", "0501083000A", MsgResult::OK, {"two"}, CopyFails, "恢复失败，当前账户没有改变。", false},
        {"copy arrives damaged", "0501083000A", MsgResult::OK, {"two"}, CopyDamaged,
         "无法与数据库建立连接，请检查数据库是否已经存在。", false},
        {"restored", "0501083000A", MsgResult::OK, {"one", "two"}, NoFault, wrong, true},
    };
    const ReplaceFileFn fails = [](const QString &, const QString &) { return false; };
    // The copy arrives damaged, as a failing disk could leave it.
    const ReplaceFileFn damages = [](const QString &from, const QString &to) {
        QFile::remove(from);
        QFile file(to);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("bad") == 3;
    };
    const QString backup = DefaultBackupDir() + "0501083000A.txl";
    ASSERT_TRUE(QDir().mkpath(DefaultBackupDir()));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        MakeProtected(accountA, {"甲"}, "one");
        MakeProtected(backup, {"乙", "丙"}, "two");
        WriteBytes(DefaultBackupDir() + "fake.txl", "not a database");
        Start();
        ModalResponder responder;
        Queue(responder, {"one"});
        main->OpenAccount(accountA);
        ASSERT_EQ(OpenFile(), accountA);
        main->ShowCalendarPage();
        if (c.fault == EditorStaysOpen) {
            main->OpenContact("1", "甲");
            ASSERT_EQ(editors.size(), 1u);
            editors[0]->refuseClose = true;
        }
        TestDialogs().Reset();
        TestDialogs().AnswerMessage(c.answer);
        bool stayedOpen = true;
        responder.Then(RestoreItem(c.item, &stayedOpen));
        Queue(responder, c.typed);
        {
            HookGuard hook(c.fault == CopyFails ? fails : c.fault == CopyDamaged ? damages : ReplaceFileFn());
            main->SpTBXItem24Click();
        }
        EXPECT_EQ(responder.Unexpected(), 0);
        EXPECT_EQ(responder.Pending(), 0);
        EXPECT_FALSE(stayedOpen);
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.last));
        if (c.answer == MsgResult::OK && QString(c.item) != "fake") {
            EXPECT_EQ(TestDialogs().Texts()[0], QString::fromUtf8(question));
        }
        if (c.fault == EditorStaysOpen) {
            EXPECT_EQ(editors[0]->closeAsked, 1);
            editors[0]->refuseClose = false;
        }
        if (c.fault == CopyDamaged) {
            ExpectAccount({}, QStringLiteral("错误的数据文件: ") + accountA);
        } else {
            ExpectAccount(accountA);
            EXPECT_TRUE(CurrentAccount().Protected());
            EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher(c.restored ? "two" : "one"));
            EXPECT_EQ(ContactNames(accountA), c.restored ? (QStringList{"乙", "丙"}) : QStringList{"甲"});
            EXPECT_TRUE(main->CalendarPageVisible());
        }
        if (c.restored) {
            EXPECT_EQ(main->BrowserPage(), nullptr);
        }
        Close();
        editors.clear();
    }
}

// Restore needs an open account, refuses the open file itself, and reads its list at every showing.
TEST_F(Accounts, RestoreListAndTheOpenFile)
{
    const QString inBackups = DefaultBackupDir() + "current.txl";
    ASSERT_TRUE(QDir().mkpath(DefaultBackupDir()));
    MakeAccount(inBackups, {"甲"});
    Start();
    ModalResponder responder;
    EXPECT_FALSE(main->Command("SpTBXItem24")->Enabled());
    main->SpTBXItem24Click();
    EXPECT_TRUE(responder.Shown().isEmpty());
    main->OpenAccount(inBackups);
    bool stayedOpen = false;
    responder.Then(RestoreItem("current", &stayedOpen));
    main->SpTBXItem24Click();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"该帐户数据已经打开!"});
    EXPECT_EQ(ContactNames(inBackups), QStringList{"甲"});
    MakeAccount(DefaultBackupDir() + "later.txl");
    int listed = 0;
    responder.Then([&](QDialog *dialog) {
        listed = qobject_cast<Tfrmhfdb *>(dialog)->ListBox1->count();
        dialog->reject();
    });
    main->SpTBXItem24Click();
    EXPECT_EQ(listed, 2);
}

// The password read is the one written (of two password rows); changing and removing need the old one.
TEST_F(Accounts, SetChangeAndRemoveThePassword)
{
    MakeAccount(accountA);
    {
        TADOConnection connection;
        connection.Open(accountA);
        TADOQuery query(&connection);
        for (const char *password : {"first", "second"})
            ASSERT_TRUE(RunQuery(&query, "insert into usermsg(password) values(?)", {Cipher(password)}));
    }
    ModalResponder responder;
    const auto reopen = [&](const char *password) {
        Close();
        Start();
        if (password)
            Queue(responder, {password});
        main->OpenAccount(accountA);
        EXPECT_EQ(OpenFile(), accountA);
        EXPECT_EQ(CurrentAccount().Protected(), password != nullptr);
    };
    reopen("first");
    TestDialogs().Reset();
    Queue(responder, {"FIRST"});
    main->SetPassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"密码错误,不能取消保护!"});
    bool enabledWhenDifferent = true;
    Queue(responder, {"first"});
    responder.Then(NewPassword("pw1", "pw2", &enabledWhenDifferent));
    main->SetPassword();
    EXPECT_FALSE(enabledWhenDifferent);
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("first"));
    Queue(responder, {"first"});
    responder.Then(NewPassword("新密码", "新密码"));
    main->SetPassword();
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("新密码"));
    reopen("新密码");
    TestDialogs().Reset();
    Queue(responder, {"x"});
    main->RemovePassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"密码错误,不能取消保护!"});
    EXPECT_TRUE(CurrentAccount().Protected());
    Queue(responder, {"新密码"});
    main->Command("SpTBXItem2")->Click();
    EXPECT_FALSE(CurrentAccount().Protected());
    EXPECT_TRUE(CurrentAccount().PasswordCipher().isEmpty());
    reopen(nullptr);
    // Without one, only the new one is asked; Enter in the second field moves to 确定, which confirms.
    bool firstEnterConfirmed = true;
    responder.Then([&](QDialog *dialog) {
        auto *set = qobject_cast<Tfrmsetnewpwd *>(dialog);
        ASSERT_NE(set, nullptr);
        for (QLineEdit *edit : {set->Edit1, set->Edit2}) {
            edit->setText("pw1");
            Press(edit, Qt::Key_Return, {}, "\r");
        }
        ASSERT_EQ(set->focusWidget(), set->Button1);
        firstEnterConfirmed = !set->Cipher().isEmpty();
        Press(set->Button1, Qt::Key_Return, {}, "\r");
    });
    main->Command("SpTBXItem1")->Click();
    EXPECT_FALSE(firstEnterConfirmed);
    EXPECT_EQ(CurrentAccount().PasswordCipher(), Cipher("pw1"));
    reopen("pw1");
    EXPECT_EQ(responder.Unexpected(), 0);
    EXPECT_EQ(responder.Pending(), 0);
}

TEST_F(Accounts, APasswordThatCannotBeStoredLeavesTheAccountAsItWasAndAVanishedFileIsReported)
{
    MakeAccount(accountA);
    Start();
    main->OpenAccount(accountA);
    ModalResponder responder;
    // Its last byte enciphers to zero and would not come back.
    responder.Then(NewPassword("ab\v", "ab\v"));
    main->SetPassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{QString::fromLatin1(DesNullCharError)});
    EXPECT_FALSE(CurrentAccount().Protected());
    // A write that fails is reported, not taken for a stored password.
    CustomerData->dbConnection->Db().Exec("drop table usermsg");
    TestDialogs().Reset();
    responder.Then(NewPassword("pw", "pw"));
    main->SetPassword();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"保存错误！"});
    EXPECT_FALSE(CurrentAccount().Protected());
    EXPECT_TRUE(CurrentAccount().PasswordCipher().isEmpty());
    // A connection that fails leaves no account open and says why.
    CurrentAccount().Remember(DataDir() + "vanished.txl");
    EXPECT_FALSE(main->ConnectAccount());
    ExpectAccount({}, QStringLiteral("文件不存在: ") + CurrentAccount().Path());
}

// Copies replace the file behind a symbolic link, and leave it as it was when they fail.
TEST_F(Accounts, CopiesReplaceTheFileBehindASymbolicLink)
{
    const QString elsewhere = MakeTempDir("linked");
    const QString real = elsewhere + "/real.txl";
    const QString link = DataDir() + "linked.txl";
    MakeAccount(real, {"原"});
    ASSERT_TRUE(QFile::link(real, link));
    const QString source = MakeTempDir("source") + "/source.txl";
    MakeAccount(source, {"备份"});
    // A copy that fails leaves the target as it was.
    EXPECT_FALSE(ReplaceWithCopy(source + ".missing", link));
    EXPECT_FALSE(ReplaceWithCopy(source, QString()));
    EXPECT_EQ(ContactNames(real), QStringList{"原"});
    const struct { const char *what; std::function<bool()> replace; QStringList contacts; } cases[] = {
        {"restore copy", [&] { return ReplaceWithCopy(source, link); }, {"备份"}},
        {"compaction", [&] { return CompactDatabase(link); }, {"备份"}},
        {"new account", [&] { return SaveResourceToFile("MYDB", "TEMPLATE", link); }, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.replace());
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(ContactNames(real), c.contacts);
        EXPECT_EQ(FilesIn(elsewhere), QStringList{"real.txl"});
    }
}
