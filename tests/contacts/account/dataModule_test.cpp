#include "contacts/account/AccountSession.h"
#include "contacts/shared/AppGlobals.h"
#include "contacts/main/EditorRegistry.h"
#include "contacts/main/Main.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/account/alarmwin.h"
#include "contacts/account/dataModule.h"

#include "main/MainTestSupport.h"
#include "account/RecordingMediaPlayer.h"
#include "TestSupport.h"
#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QByteArray FileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

class DataModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetClock(&clock);
        ResetStartValues(clock.now);
        const QString folder = MakeTempDir("account");
        CurrentAccount().Remember(folder + "/客户.txl");
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", CurrentAccount().Path()));
        data = std::make_unique<TCustomerData>();
        data->dbConnection->Open(CurrentAccount().Path());
        query = std::make_unique<TADOQuery>(data->dbConnection);
        AppSettings().BackupDir = MakeTempDir("backup") + '/';
    }

    void TearDown() override
    {
        query.reset();
        data.reset();
        SetClock(nullptr);
        CurrentAccount().Forget();
    }

    void Run(const QString &sql, const QVariantList &params = {})
    {
        ASSERT_TRUE(RunQuery(query.get(), sql, params)) << sql.toStdString();
        query->Close();
    }

    struct Backup {
        QString file;
        QString createtime;
    };
    std::vector<Backup> Backups()
    {
        std::vector<Backup> rows;
        if (!RunQuery(query.get(), "select sfilename, createtime from databaklist order by createtime"))
            return rows;
        for (query->First(); !query->Eof(); query->Next())
            rows.push_back({query->FieldByName("sfilename").AsString(), query->FieldByName("createtime").AsString()});
        query->Close();
        return rows;
    }

    void AddBackupRow(const QString &file, const QDateTime &when)
    {
        Run("insert into databaklist(sfilename, createtime) values(?, ?)", {file, when});
    }

    FakeClock clock;
    std::unique_ptr<TCustomerData> data;
    std::unique_ptr<TADOQuery> query;
};

// Automatic backup ------------------------------------------------------------------------------

TEST_F(DataModuleTest, CopiesTheAccountOncePerInterval)
{
    Run("insert into userinfo(uname, nodetype) values(?, 2)", {"张三"});
    const QDateTime start = clock.now;
    LastBackupTime = start.addSecs(-2 * 3600);

    data->dbbakTimerTimer();
    const QString expected = "0501083000客户.txl";
    ASSERT_EQ(FilesIn(AppSettings().BackupDir), QStringList{expected});
    const QString copy = AppSettings().BackupDir + expected;
    EXPECT_TRUE(TADOConnection::TestOpen(copy));
    EXPECT_EQ(ContactNames(copy), QStringList{"张三"});
    std::vector<Backup> rows = Backups();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].file, copy);
    EXPECT_EQ(rows[0].createtime, QStringLiteral("2024-05-01 08:30:00"));
    EXPECT_EQ(LastBackupTime, start);

    clock.now = start.addSecs(60);
    data->dbbakTimerTimer();
    EXPECT_EQ(FilesIn(AppSettings().BackupDir).size(), 1);
    EXPECT_EQ(Backups().size(), 1u);
}

TEST_F(DataModuleTest, IntervalRunsFromTheNewestBackup)
{
    const QDateTime now = clock.now;
    const struct {
        const char *what;
        QDateTime lastBackup;        // the start value
        QList<QDateTime> rows;       // earlier backups
        int hours;
        bool copies;
    } cases[] = {
        {"nothing listed, start two hours ago", now.addSecs(-7200), {}, 1, true},
        {"nothing listed, started just now", now, {}, 1, false},
        {"newest two hours ago", now, {now.addSecs(-7200)}, 1, true},
        {"newest half an hour ago, older ones long ago", now.addSecs(-90000),
         {now.addDays(-3), now.addSecs(-1800), now.addDays(-2)}, 1, false},
        {"newest exactly one interval ago", now, {now.addSecs(-3600)}, 1, false},
        {"newest 61 minutes ago", now, {now.addSecs(-3660)}, 1, true},
        {"hours 0 acts as 1", now, {now.addSecs(-1800)}, 0, false},
        {"hours 0 acts as 1, past it", now, {now.addSecs(-3660)}, 0, true},
        {"48 hours", now, {now.addSecs(-47 * 3600)}, 48, false},
    };
    AppSettings().BackupKeepCount = 5;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Run("delete from databaklist");
        QDir(AppSettings().BackupDir).removeRecursively();
        LastBackupTime = c.lastBackup;
        AppSettings().BackupIntervalHours = c.hours;
        for (const QDateTime &when : c.rows)
            AddBackupRow(AppSettings().BackupDir + "old" + when.toString("MMddHHmmss"), when);
        data->dbbakTimerTimer();
        EXPECT_EQ(QFileInfo::exists(AppSettings().BackupDir + "0501083000客户.txl"), c.copies);
        EXPECT_EQ(Backups().size(), size_t(c.rows.size() + (c.copies ? 1 : 0)));
        EXPECT_GE(AppSettings().BackupIntervalHours, 1);
    }
}

TEST_F(DataModuleTest, KeepsTheNewestCopies)
{
    const struct {
        int keep;
        int kept;
    } cases[] = {{3, 3}, {1, 2}, {0, 2}, {5, 5}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keep);
        Run("delete from databaklist");
        QDir(AppSettings().BackupDir).removeRecursively();
        clock.now = QDateTime(QDate(2024, 5, 1), QTime(8, 30));
        LastBackupTime = clock.now.addDays(-1);
        AppSettings().BackupKeepCount = c.keep;

        QStringList made;
        for (int hour = 0; hour < 5; ++hour) {
            data->dbbakTimerTimer();
            made << TCustomerData::BackupFileName(AppSettings().BackupDir, CurrentAccount().Path(), clock.now);
            clock.now = clock.now.addSecs(3660);
        }
        const QStringList newest = made.mid(made.size() - c.kept);
        std::vector<Backup> rows = Backups();
        QStringList listed;
        for (const Backup &row : rows)
            listed << row.file;
        EXPECT_EQ(listed, newest);
        QStringList files;
        for (const QString &name : FilesIn(AppSettings().BackupDir))
            files << AppSettings().BackupDir + name;
        EXPECT_EQ(files, newest);

        // Once the count is reached a tick within the interval copies nothing (and so deletes nothing).
        clock.now = clock.now.addSecs(-3600);
        data->dbbakTimerTimer();
        EXPECT_EQ(FilesIn(AppSettings().BackupDir).size(), c.kept);
        EXPECT_EQ(Backups().size(), size_t(c.kept));
    }
}

// Damaged pages in the live file: no copy is made, so the good ones are not pushed out.
TEST_F(DataModuleTest, ADamagedAccountIsNotCopied)
{
    for (int i = 0; i < 300; ++i)
        Run("insert into userinfo(uname, ufz) values(?, ?)", {"x", QString(500, 'z')});
    data->dbConnection->Close();
    DamageDatabasePages(CurrentAccount().Path());
    data->dbConnection->Open(CurrentAccount().Path());
    LastBackupTime = clock.now.addDays(-1);
    data->dbbakTimerTimer();
    EXPECT_TRUE(FilesIn(AppSettings().BackupDir).isEmpty());
}

// Retention keeps the newest copy that passes the check even when newer ones are damaged.
TEST_F(DataModuleTest, RetentionKeepsTheNewestGoodCopy)
{
    AppSettings().BackupKeepCount = 5;
    LastBackupTime = clock.now.addDays(-1);
    QStringList made;
    for (int i = 0; i < 4; ++i) {
        data->dbbakTimerTimer();
        made << TCustomerData::BackupFileName(AppSettings().BackupDir, CurrentAccount().Path(), clock.now);
        clock.now = clock.now.addSecs(3660);
    }
    ASSERT_EQ(FilesIn(AppSettings().BackupDir).size(), 4);
    for (const QString &file : made.mid(2)) {
        DamageDatabasePages(file);
        ASSERT_EQ(TADOConnection::CheckFile(file), TAccountFileState::Damaged);
    }
    AppSettings().BackupKeepCount = 2;
    clock.now = clock.now.addSecs(-3600);  // within the interval: clean-up only
    data->dbbakTimerTimer();
    QStringList files;
    for (const QString &name : FilesIn(AppSettings().BackupDir))
        files << AppSettings().BackupDir + name;
    EXPECT_EQ(files, made.mid(1));
}

TEST_F(DataModuleTest, CleanUpDeletesOnlyThisAccountsCopiesInTheBackupFolder)
{
    const QString outside = MakeTempDir("user-files");
    ASSERT_TRUE(QDir().mkpath(AppSettings().BackupDir + "sub"));
    const struct {
        const char *what;
        QString listed;
        QString file;  // the file behind the row, made before the clean-up
        bool deleted;
    } cases[] = {
        {"an old copy", AppSettings().BackupDir + "0401083000客户.txl", AppSettings().BackupDir + "0401083000客户.txl", true},
        {"an old copy through \"..\"", AppSettings().BackupDir + "sub/../0402083000客户.txl", AppSettings().BackupDir + "0402083000客户.txl", true},
        {"the open account", CurrentAccount().Path(), CurrentAccount().Path(), false},
        {"another account's copy", AppSettings().BackupDir + "0403083000其他.txl", AppSettings().BackupDir + "0403083000其他.txl", false},
        {"nine digits", AppSettings().BackupDir + "040408300客户.txl", AppSettings().BackupDir + "040408300客户.txl", false},
        {"letters for digits", AppSettings().BackupDir + "04O5083000客户.txl", AppSettings().BackupDir + "04O5083000客户.txl", false},
        {"any other file", AppSettings().BackupDir + "stray.txl", AppSettings().BackupDir + "stray.txl", false},
        {"in a folder below", AppSettings().BackupDir + "sub/0406083000客户.txl", AppSettings().BackupDir + "sub/0406083000客户.txl", false},
        {"a user's file", outside + "/0407083000客户.txl", outside + "/0407083000客户.txl", false},
        {"a user's file through \"..\"", AppSettings().BackupDir + "../" + QFileInfo(outside).fileName() + "/0408083000客户.txl",
         outside + "/0408083000客户.txl", false},
        {"a link to a user's file", AppSettings().BackupDir + "0409083000客户.txl", outside + "/notes.txt", false},
    };
    ASSERT_TRUE(QFile::link(outside + "/notes.txt", AppSettings().BackupDir + "0409083000客户.txl"));
    int day = 0;
    for (const auto &c : cases) {
        if (c.file != CurrentAccount().Path()) {
            QFile file(c.file);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << c.what;
            file.write("backup");
        }
        AddBackupRow(c.listed, clock.now.addDays(-30 + day++));
    }
    // The two newest rows are kept whatever they name.
    AppSettings().BackupKeepCount = 2;
    AddBackupRow(AppSettings().BackupDir + "a", clock.now.addSecs(-600));
    AddBackupRow(AppSettings().BackupDir + "b", clock.now.addSecs(-300));

    data->dbbakTimerTimer();
    for (const auto &c : cases)
        EXPECT_EQ(QFileInfo::exists(c.file), !c.deleted) << c.what;
    EXPECT_TRUE(QFileInfo(AppSettings().BackupDir + "0409083000客户.txl").isSymLink());
    QStringList listed;
    for (const Backup &row : Backups())
        listed << row.file;
    // Every old row goes, its file only when it is a copy of this account.
    EXPECT_EQ(listed, (QStringList{AppSettings().BackupDir + "a", AppSettings().BackupDir + "b"}));
}

TEST_F(DataModuleTest, AnOpenedBackupKeepsTheOriginalsCopies)
{
    // A copy lists the backups of the account it was taken from.
    const QString original = AppSettings().BackupDir + "0430083000客户.txl";
    const QString older = AppSettings().BackupDir + "0429083000客户.txl";
    AddBackupRow(older, clock.now.addDays(-2));
    AddBackupRow(original, clock.now.addDays(-1));
    ASSERT_TRUE(QFile::copy(CurrentAccount().Path(), older));
    data->dbConnection->Close();
    ASSERT_TRUE(QFile::copy(CurrentAccount().Path(), original));

    CurrentAccount().Remember(original);
    data->dbConnection->Open(CurrentAccount().Path());
    query = std::make_unique<TADOQuery>(data->dbConnection);
    AppSettings().BackupKeepCount = 2;
    LastBackupTime = clock.now.addDays(-1);
    for (int tick = 0; tick < 3; ++tick) {
        data->dbbakTimerTimer();
        clock.now = clock.now.addSecs(3660);
    }
    EXPECT_TRUE(QFileInfo::exists(older));
    EXPECT_TRUE(QFileInfo::exists(original));
    // Its own copies are kept as any account's are.
    int own = 0;
    for (const QString &name : FilesIn(AppSettings().BackupDir))
        own += name.endsWith("0430083000客户.txl") && name.size() > QString("0430083000客户.txl").size();
    EXPECT_EQ(own, 2);
}

TEST_F(DataModuleTest, MissingColumnsStayInsideTheTimers)
{
    Run("drop table usertable");
    Run("create table usertable(id integer primary key autoincrement, alarmtime text, gqwtx integer not null default 0)");
    Run("insert into usertable(alarmtime) values('2024-05-01 08:30:00')");
    Run("drop table databaklist");
    Run("create table databaklist(id integer primary key autoincrement, createtime text)");
    Run("insert into databaklist(createtime) values('2024-04-01 08:30:00')");
    LastBackupTime = clock.now.addDays(-1);

    EXPECT_NO_THROW(data->alarmTimerTimer());
    EXPECT_TRUE(data->AlarmWindows().isEmpty());
    EXPECT_FALSE(data->qralarmtable->Active());
    EXPECT_NO_THROW(data->dbbakTimerTimer());
    EXPECT_FALSE(data->bakADOQuery->Active());
}

TEST_F(DataModuleTest, BackupFolderSetting)
{
    LastBackupTime = clock.now.addDays(-1);
    const QString plain = MakeTempDir("plain");
    const struct {
        QString setting;
        QString folder;
    } cases[] = {
        {plain, plain + '/'},
        {plain + "/deeper/still", plain + "/deeper/still/"},
        {QString(), DefaultBackupDir()},
        {"   ", DefaultBackupDir()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setting.toStdString());
        Run("delete from databaklist");
        LastBackupTime = clock.now.addDays(-1);
        AppSettings().BackupDir = c.setting;
        data->dbbakTimerTimer();
        EXPECT_EQ(AppSettings().BackupDir, c.folder);
        EXPECT_TRUE(QFileInfo::exists(c.folder + "0501083000客户.txl"));
        QFile::remove(c.folder + "0501083000客户.txl");
    }
}

TEST_F(DataModuleTest, AFailedCopyListsNothingAndLeavesTheAccount)
{
    Run("insert into userinfo(uname, nodetype) values(?, 2)", {"李四"});
    data->dbConnection->Close();
    const QByteArray before = FileHash(CurrentAccount().Path());
    data->dbConnection->Open(CurrentAccount().Path());

    // A folder below a plain file can be neither made nor written, whoever runs the test.
    const QString blocker = MakeTempDir("blocked") + "/file";
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    AppSettings().BackupDir = blocker + "/backup/";
    const QDateTime last = clock.now.addDays(-1);
    LastBackupTime = last;

    data->dbbakTimerTimer();
    EXPECT_TRUE(Backups().empty());
    EXPECT_EQ(LastBackupTime, last);
    data->dbConnection->Close();
    EXPECT_EQ(FileHash(CurrentAccount().Path()), before);
}

TEST_F(DataModuleTest, NoAccountNoBackup)
{
    LastBackupTime = clock.now.addDays(-1);
    data->dbConnection->Close();
    data->dbbakTimerTimer();
    EXPECT_TRUE(FilesIn(AppSettings().BackupDir).isEmpty());

    data->dbConnection->Open(CurrentAccount().Path());
    const QString path = CurrentAccount().Path();
    CurrentAccount().Remember(path + ".missing");
    data->dbbakTimerTimer();
    EXPECT_TRUE(FilesIn(AppSettings().BackupDir).isEmpty());
    CurrentAccount().Remember(path);

    // A copy that cannot be listed is removed again.
    Run("drop table databaklist");
    data->dbbakTimerTimer();
    EXPECT_TRUE(FilesIn(AppSettings().BackupDir).isEmpty());
}

// Reminder check --------------------------------------------------------------------------------

class ReminderCheck : public DataModuleTest
{
protected:
    qint64 AddPlan(const QString &title, const QString &alarmtime, int groupid, bool reminded = false)
    {
        EXPECT_TRUE(RunQuery(query.get(),
                             "insert into usertable(title, startdate, enddate, alarmtime, groupid, gqwtx) "
                             "values(?, ?, ?, ?, ?, ?)",
                             {title, alarmtime.left(10) + " 00:00:00", alarmtime.left(10) + " 23:59:59", alarmtime,
                              groupid, reminded}));
        query->Close();
        EXPECT_TRUE(RunQuery(query.get(), "select max(id) as id from usertable"));
        const qint64 id = query->FieldByName("id").AsLargeInt();
        query->Close();
        return id;
    }

    bool Reminded(qint64 id)
    {
        EXPECT_TRUE(RunQuery(query.get(), "select gqwtx from usertable where id=?", {id}));
        const bool reminded = query->FieldByName("gqwtx").AsBoolean();
        query->Close();
        return reminded;
    }

    // Sorted, so rows of one minute compare whatever order they came in.
    QStringList WindowNames() const
    {
        QStringList names;
        for (Tfrmalarmwin *window : data->AlarmWindows())
            names << window->objectName();
        names.sort();
        return names;
    }

    Tfrmalarmwin *Window(qint64 id) const
    {
        for (Tfrmalarmwin *window : data->AlarmWindows()) {
            if (window->objectName() == "alarm_rm" + QString::number(id))
                return window;
        }
        return nullptr;
    }

    RecordingPlayers players;
};

TEST_F(ReminderCheck, DueRowsPopUpOnceEach)
{
    const struct {
        QString title;
        QString alarmtime;
        bool reminded;
        bool due;
    } plans[] = {
        {"开会", "2024-05-01 08:30:00", false, true},
        {"打电话 \"老王\" 's", "2024-05-01 08:30:59", false, true},
        {"no seconds", "2024-05-01 08:30", false, true},
        {"<img src=\"/dev/zero\"><b>粗</b>", "2024-05-01 08:30:30", false, true},
        {"next minute", "2024-05-01 08:31:00", false, false},
        {"minute before", "2024-05-01 08:29:59", false, false},
        {"already reminded", "2024-05-01 08:30:10", true, false},
        {"another day", "2024-05-02 08:30:00", false, false},
    };
    std::vector<qint64> ids;
    for (size_t i = 0; i < std::size(plans); ++i)
        ids.push_back(AddPlan(plans[i].title, plans[i].alarmtime, int(100 + i), plans[i].reminded));

    clock.now = QDateTime(QDate(2024, 5, 1), QTime(8, 30, 5));
    data->alarmTimerTimer();

    QStringList expected;
    for (size_t i = 0; i < std::size(plans); ++i) {
        if (plans[i].due)
            expected << "alarm_rm" + QString::number(ids[i]);
    }
    expected.sort();
    EXPECT_EQ(WindowNames(), expected);
    for (size_t i = 0; i < std::size(plans); ++i) {
        EXPECT_EQ(Reminded(ids[i]), plans[i].due || plans[i].reminded) << plans[i].title.toStdString();
        Tfrmalarmwin *window = Window(ids[i]);
        ASSERT_EQ(window != nullptr, plans[i].due) << plans[i].title.toStdString();
        if (!window)
            continue;
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isModal());
        EXPECT_EQ(window->Label1->text(), QStringLiteral("您好，现在是2024-05-01 08:30"));
        EXPECT_EQ(window->Label4->text(), "  " + plans[i].title);
        EXPECT_EQ(window->Label4->textFormat(), Qt::PlainText);
        EXPECT_EQ(window->ContactKey(), int(100 + i));
    }

    clock.now = clock.now.addSecs(15);
    data->alarmTimerTimer();
    EXPECT_EQ(WindowNames(), expected);
    EXPECT_EQ(data->AlarmWindows().size(), expected.size());
}

TEST_F(ReminderCheck, AClosedPopUpIsNotShownAgainInItsMinute)
{
    const qint64 id = AddPlan("plan", "2024-05-01 08:30:00", 1);
    data->alarmTimerTimer();
    ASSERT_EQ(WindowNames(), QStringList{"alarm_rm" + QString::number(id)});
    QPointer<Tfrmalarmwin> window = data->AlarmWindows().front();
    window->Button2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(data->AlarmWindows().isEmpty());

    clock.now = clock.now.addSecs(30);
    data->alarmTimerTimer();
    EXPECT_TRUE(data->AlarmWindows().isEmpty());
}

TEST_F(ReminderCheck, PopUpPlaysTheReminderSound)
{
    const QString sound = MakeTempDir("sound") + "/提醒.wav";
    QFile file(sound);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    AppSettings().AlarmSoundFile = sound;
    AddPlan("plan", "2024-05-01 08:30:00", 1);
    data->alarmTimerTimer();
    ASSERT_EQ(data->AlarmWindows().size(), 1);
    EXPECT_EQ(data->AlarmWindows().front()->SoundFile(), sound);
    EXPECT_EQ(players.log, (QStringList{"open " + sound, "play"}));
}

TEST_F(ReminderCheck, NothingWithoutAConnection)
{
    AddPlan("plan", "2024-05-01 08:30:00", 1);
    data->dbConnection->Close();
    data->alarmTimerTimer();
    EXPECT_TRUE(data->AlarmWindows().isEmpty());
}

TEST_F(ReminderCheck, ClosingRemindersClosesSnoozedOnesToo)
{
    AddPlan("a", "2024-05-01 08:30:00", 1);
    AddPlan("b", "2024-05-01 08:30:00", 2);
    data->alarmTimerTimer();
    ASSERT_EQ(data->AlarmWindows().size(), 2);
    QPointer<Tfrmalarmwin> snoozed = data->AlarmWindows()[0];
    QPointer<Tfrmalarmwin> shown = data->AlarmWindows()[1];
    snoozed->Button1->click();
    ASSERT_TRUE(snoozed->Timer1->isActive());

    data->CloseAlarmWindows();
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(snoozed->Timer1->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(snoozed.isNull());
    EXPECT_TRUE(shown.isNull());
    EXPECT_TRUE(data->AlarmWindows().isEmpty());
}

TEST_F(ReminderCheck, TheModuleTakesItsPopUpsAlong)
{
    AddPlan("a", "2024-05-01 08:30:00", 1);
    data->SetAlarmCheck(true);
    data->alarmTimerTimer();
    ASSERT_EQ(data->AlarmWindows().size(), 1);
    QPointer<Tfrmalarmwin> window = data->AlarmWindows()[0];
    query.reset();
    data.reset();
    EXPECT_TRUE(window.isNull());
}

// Wiring in the main window ---------------------------------------------------------------------

class ReminderWiring : public ReminderCheck
{
protected:
    void SetUp() override
    {
        ReminderCheck::SetUp();
        const QString path = CurrentAccount().Path();
        EnsureDir(AppDir());
        QFile::remove(ConfigIniPath());
        QFile::remove(TRegistry::StorePath());
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        const QDateTime now = clock.now;
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        // The main window sets the start values; the account of the fixture stays.
        CurrentAccount().Remember(path);
        LastBackupTime = now;
    }

    void TearDown() override
    {
        main.reset();
        form1.reset();
        Form1 = nullptr;
        ReminderCheck::TearDown();
    }

    std::map<int, THotKey> hotKeys;
    std::unique_ptr<TForm1> form1;
    BlankPages blankPages;
    std::unique_ptr<Tfrmmain> main;
};

TEST_F(ReminderWiring, CheckRunsWhileAnAccountIsConnected)
{
    const QString path = CurrentAccount().Path();
    data->dbConnection->Close();
    main->OpenAccount(path);
    ASSERT_TRUE(data->dbConnection->Connected());
    EXPECT_TRUE(data->alarmTimer->isActive());

    AddPlan("a", "2024-05-01 08:30:00", 1);
    data->alarmTimerTimer();
    ASSERT_EQ(data->AlarmWindows().size(), 1);
    QPointer<Tfrmalarmwin> window = data->AlarmWindows()[0];

    // An editor that stays open keeps the account, its check and its reminders.
    auto *editor = new TestEditor;
    editor->refuseClose = true;
    Form1->Adopt(editor);
    editor->show();
    EXPECT_FALSE(main->CloseAccountWindows());
    EXPECT_TRUE(data->alarmTimer->isActive());
    EXPECT_TRUE(window->isVisible());
    editor->refuseClose = false;

    // Switching to a file that will not open leaves no account, no check and no reminder.
    const QString broken = MakeTempDir("broken") + "/broken.txl";
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database");
    file.close();
    CurrentAccount().Remember(broken);
    EXPECT_FALSE(main->ConnectAccount());
    EXPECT_FALSE(data->alarmTimer->isActive());

    CurrentAccount().Remember(path);
    EXPECT_TRUE(main->ConnectAccount());
    EXPECT_TRUE(data->alarmTimer->isActive());
    EXPECT_TRUE(main->CloseAccountWindows());
    EXPECT_FALSE(data->alarmTimer->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(ReminderWiring, OptionsOpensTheSettingsDialogModally)
{
    data->dbConnection->Close();
    main->OpenAccount(CurrentAccount().Path());
    for (const char *command : {"SpTBXItem33", "TrayItemOptions"}) {
        ModalResponder responder;
        responder.Then([](QDialog *dialog) { dialog->reject(); });
        TCommand *action = main->Command(command);
        ASSERT_NE(action, nullptr) << command;
        ASSERT_TRUE(action->Enabled()) << command;
        action->Click();
        EXPECT_EQ(responder.Shown(), QStringList{"frmsysset"}) << command;
        EXPECT_EQ(responder.Unexpected(), 0);
    }
}

} // namespace
