#include "account/AccountTestSupport.h"
#include "contacts/account/alarmwin.h"

using namespace accounttest;

namespace {

class DataModuleTest : public AccountWindow
{
protected:
    void SetUp() override
    {
        AccountWindow::SetUp();
        SetClock(&clock);
        ResetStartValues(clock.now);
        CurrentAccount().Remember(MakeTempDir("account") + "/客户.txl");
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", CurrentAccount().Path()));
        data = std::make_unique<TCustomerData>();
        data->dbConnection->Open(CurrentAccount().Path());
        query = std::make_unique<TADOQuery>(data->dbConnection);
        AppSettings().BackupDir = MakeTempDir("backup") + '/';
    }
    void TearDown() override
    {
        query.reset();
        AccountWindow::TearDown();
        SetClock(nullptr);
    }
    void Run(const QString &sql, const QVariantList &params = {})
    {
        ASSERT_TRUE(RunQuery(query.get(), sql, params)) << sql.toStdString();
        query->Close();
    }
    // One column of the backup list, oldest first.
    QStringList Listed(const char *column = "sfilename")
    {
        QStringList rows;
        if (!RunQuery(query.get(), QStringLiteral("select %1 from databaklist order by createtime").arg(column)))
            return {QStringLiteral("<unreadable>")};
        for (query->First(); !query->Eof(); query->Next())
            rows << query->Fields(0).AsString();
        query->Close();
        return rows;
    }
    QStringList BackupFiles()
    {
        QStringList files;
        for (const QString &name : FilesIn(AppSettings().BackupDir))
            files << AppSettings().BackupDir + name;
        return files;
    }
    void AddBackupRow(const QString &file, const QDateTime &when)
    {
        Run("insert into databaklist(sfilename, createtime) values(?, ?)", {file, when});
    }
    // One timer tick per hour and a bit, from a day after the last backup; the copies it made.
    QStringList BackUpHourly(int ticks)
    {
        LastBackupTime = clock.now.addDays(-1);
        QStringList made;
        for (int i = 0; i < ticks; ++i) {
            data->dbbakTimerTimer();
            made << TCustomerData::BackupFileName(AppSettings().BackupDir, CurrentAccount().Path(), clock.now);
            clock.now = clock.now.addSecs(3660);
        }
        return made;
    }
    qint64 AddPlan(const QString &title, const QString &alarmtime, int groupid, bool reminded = false)
    {
        Run("insert into usertable(title, startdate, enddate, alarmtime, groupid, gqwtx) values(?, ?, ?, ?, ?, ?)",
            {title, alarmtime.left(10) + " 00:00:00", alarmtime.left(10) + " 23:59:59", alarmtime, groupid, reminded});
        EXPECT_TRUE(RunQuery(query.get(), "select max(id) as id from usertable"));
        return query->FieldByName("id").AsLargeInt();
    }
    FakeClock clock;
    std::unique_ptr<TADOQuery> query;
    RecordingPlayers players;
};

// A tick past the interval copies the account into the backup folder (made if missing) and lists it.
TEST_F(DataModuleTest, CopiesAndListsTheAccount)
{
    Run("insert into userinfo(uname, nodetype) values(?, 2)", {"张三"});
    const QString plain = MakeTempDir("plain");
    const struct { QString setting, folder; } cases[] = {
        {plain, plain + '/'}, {plain + "/deeper/still", plain + "/deeper/still/"},
        {QString(), DefaultBackupDir()}, {"   ", DefaultBackupDir()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setting.toStdString());
        Run("delete from databaklist");
        LastBackupTime = clock.now.addSecs(-2 * 3600);
        AppSettings().BackupDir = c.setting;
        data->dbbakTimerTimer();
        EXPECT_EQ(AppSettings().BackupDir, c.folder);
        const QString copy = c.folder + "0501083000客户.txl";
        ASSERT_EQ(FilesIn(c.folder), QStringList{"0501083000客户.txl"});
        EXPECT_EQ(ContactNames(copy), QStringList{"张三"});
        EXPECT_EQ(Listed(), QStringList{copy});
        EXPECT_EQ(Listed("createtime"), QStringList{"2024-05-01 08:30:00"});
        EXPECT_EQ(LastBackupTime, clock.now);
        EXPECT_TRUE(QFile::remove(copy));
    }
}

TEST_F(DataModuleTest, IntervalRunsFromTheNewestBackup)
{
    const QDateTime now = clock.now;
    const struct {
        const char *what;
        QDateTime lastBackup;   // the start value
        QList<QDateTime> rows;  // earlier backups
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
        EXPECT_EQ(Listed().size(), c.rows.size() + (c.copies ? 1 : 0));
        EXPECT_GE(AppSettings().BackupIntervalHours, 1);
    }
}

TEST_F(DataModuleTest, KeepsTheNewestCopies)
{
    const struct { int keep, kept; } cases[] = {{3, 3}, {1, 2}, {0, 2}, {5, 5}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keep);
        Run("delete from databaklist");
        QDir(AppSettings().BackupDir).removeRecursively();
        clock.now = QDateTime(QDate(2024, 5, 1), QTime(8, 30));
        AppSettings().BackupKeepCount = c.keep;
        const QStringList newest = BackUpHourly(5).mid(5 - c.kept);
        EXPECT_EQ(Listed(), newest);
        EXPECT_EQ(BackupFiles(), newest);
    }
}

// Retention keeps the newest good copy when newer ones are damaged; a damaged live file makes no copy.
TEST_F(DataModuleTest, DamagedFilesPushOutNoGoodCopy)
{
    AppSettings().BackupKeepCount = 5;
    const QStringList made = BackUpHourly(4);
    ASSERT_EQ(BackupFiles(), made);
    for (const QString &file : made.mid(2)) {
        DamageDatabasePages(file);
        ASSERT_EQ(TADOConnection::CheckFile(file), TAccountFileState::Damaged);
    }
    AppSettings().BackupKeepCount = 2;
    clock.now = clock.now.addSecs(-3600);  // within the interval: clean-up only
    data->dbbakTimerTimer();
    EXPECT_EQ(BackupFiles(), made.mid(1));
    data->dbConnection->Close();
    MakeDamaged(CurrentAccount().Path());
    data->dbConnection->Open(CurrentAccount().Path());
    clock.now = clock.now.addDays(1);
    data->dbbakTimerTimer();
    EXPECT_EQ(BackupFiles(), made.mid(1));
}

TEST_F(DataModuleTest, CleanUpDeletesOnlyThisAccountsCopiesInTheBackupFolder)
{
    const QString outside = MakeTempDir("user-files");
    const QString dir = AppSettings().BackupDir;
    ASSERT_TRUE(QDir().mkpath(dir + "sub"));
    const struct {
        const char *what;
        QString listed;
        QString file;  // the file behind the row, when not the listed name
        bool deleted;
    } cases[] = {
        {"an old copy", dir + "0401083000客户.txl", {}, true},
        {"an old copy through \"..\"", dir + "sub/../0402083000客户.txl", dir + "0402083000客户.txl", true},
        {"the open account", CurrentAccount().Path(), {}, false},
        {"another account's copy", dir + "0403083000其他.txl", {}, false},
        {"nine digits", dir + "040408300客户.txl", {}, false},
        {"letters for digits", dir + "04O5083000客户.txl", {}, false},
        {"any other file", dir + "stray.txl", {}, false},
        {"in a folder below", dir + "sub/0406083000客户.txl", {}, false},
        {"a user's file", outside + "/0407083000客户.txl", {}, false},
        {"a user's file through \"..\"", dir + "../" + QFileInfo(outside).fileName() + "/0408083000客户.txl",
         outside + "/0408083000客户.txl", false},
        {"a link to a user's file", dir + "0409083000客户.txl", outside + "/notes.txt", false},
    };
    ASSERT_TRUE(QFile::link(outside + "/notes.txt", dir + "0409083000客户.txl"));
    int day = 0;
    for (const auto &c : cases) {
        if (c.listed != CurrentAccount().Path())
            WriteBytes(c.file.isEmpty() ? c.listed : c.file, "backup");
        AddBackupRow(c.listed, clock.now.addDays(-30 + day++));
    }
    // The two newest rows are kept whatever they name.
    AppSettings().BackupKeepCount = 2;
    AddBackupRow(dir + "a", clock.now.addSecs(-600));
    AddBackupRow(dir + "b", clock.now.addSecs(-300));
    data->dbbakTimerTimer();
    for (const auto &c : cases)
        EXPECT_EQ(QFileInfo::exists(c.file.isEmpty() ? c.listed : c.file), !c.deleted) << c.what;
    EXPECT_TRUE(QFileInfo(dir + "0409083000客户.txl").isSymLink());
    // Every old row goes, its file only when it is a copy of this account.
    EXPECT_EQ(Listed(), (QStringList{dir + "a", dir + "b"}));
}

// An opened copy keeps the copies of the account it was taken from; its own are kept as any account's.
TEST_F(DataModuleTest, AnOpenedBackupKeepsTheOriginalsCopies)
{
    const QString older = AppSettings().BackupDir + "0429083000客户.txl";
    const QString original = AppSettings().BackupDir + "0430083000客户.txl";
    AddBackupRow(older, clock.now.addDays(-2));
    AddBackupRow(original, clock.now.addDays(-1));
    data->dbConnection->Close();
    for (const QString &copy : {older, original})
        ASSERT_TRUE(QFile::copy(CurrentAccount().Path(), copy));
    CurrentAccount().Remember(original);
    data->dbConnection->Open(original);
    query = std::make_unique<TADOQuery>(data->dbConnection);
    AppSettings().BackupKeepCount = 2;
    BackUpHourly(3);
    EXPECT_TRUE(QFileInfo::exists(older));
    EXPECT_TRUE(QFileInfo::exists(original));
    EXPECT_EQ(FilesIn(AppSettings().BackupDir).filter(QRegularExpression("^\\d{10}0430083000客户\\.txl$")).size(), 2);
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

// A tick that cannot copy or list its copy leaves no file, the last backup time and the account.
TEST_F(DataModuleTest, ABackupThatCannotBeMadeLeavesNothing)
{
    Run("insert into userinfo(uname, nodetype) values(?, 2)", {"李四"});
    const QString path = CurrentAccount().Path();
    const struct { const char *what; std::function<void()> cause; bool listable; } cases[] = {
        {"no connection", [&] { data->dbConnection->Close(); }, false},
        {"no account file", [&] { CurrentAccount().Remember(path + ".missing"); }, true},
        // A folder below a plain file can be neither made nor written, whoever runs the test.
        {"no backup folder", [&] { AppSettings().BackupDir += "file/backup/"; }, true},
        // A copy that cannot be listed is removed again.
        {"no list", [&] { Run("drop table databaklist"); }, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        data->dbConnection->Close();
        data->dbConnection->Open(path);
        CurrentAccount().Remember(path);
        const QString folder = MakeTempDir(QStringLiteral("backup-") + c.what) + '/';
        AppSettings().BackupDir = folder;
        WriteBytes(folder + "file");
        const QDateTime last = clock.now.addDays(-1);
        LastBackupTime = last;
        c.cause();
        const QByteArray before = ReadBytes(path);
        data->dbbakTimerTimer();
        EXPECT_EQ(FilesIn(folder), QStringList{"file"});
        EXPECT_EQ(LastBackupTime, last);
        if (c.listable) {
            EXPECT_TRUE(Listed().isEmpty());
        }
        EXPECT_EQ(ReadBytes(path), before);
    }
}

// An account that cannot be written is not copied: the copy could never be listed in it, so each
// tick would make one and throw it away again. The skip is logged once and nobody is asked.
TEST_F(DataModuleTest, AReadOnlyAccountIsNotCopiedEveryTick)
{
    const QString path = CurrentAccount().Path();
    data->dbConnection->Close();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    data->dbConnection->Open(path);
    ASSERT_TRUE(data->dbConnection->ReadOnly());
    const QString folder = AppSettings().BackupDir + "made-on-first-copy/";
    AppSettings().BackupDir = folder;
    TestDialogs().Reset();
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) { logged << text; });
    const QDateTime last = clock.now.addDays(-1);
    for (int tick = 0; tick < 3; ++tick) {
        LastBackupTime = last;
        data->dbbakTimerTimer();
        clock.now = clock.now.addSecs(60);
    }
    qInstallMessageHandler(previous);
    EXPECT_FALSE(QFileInfo::exists(folder)) << "no copy was made, not even its folder";
    EXPECT_EQ(LastBackupTime, last);
    EXPECT_EQ(logged.filter("automatic backup skipped").size(), 1) << logged.join('\n').toStdString();
    EXPECT_EQ(TestDialogs().Last(), nullptr);
    // Writable again, the next tick copies it.
    data->dbConnection->Close();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    data->dbConnection->Open(path);
    data->dbbakTimerTimer();
    EXPECT_EQ(FilesIn(folder).size(), 1);
    EXPECT_EQ(Listed().size(), 1);
}

TEST_F(DataModuleTest, DueRowsPopUpOnceEachAndPlayTheSound)
{
    const QString sound = MakeTempDir("sound") + "/提醒.wav";
    WriteBytes(sound);
    AppSettings().AlarmSoundFile = sound;
    const struct { QString title, alarmtime; bool reminded, due; } plans[] = {
        {"开会", "2024-05-01 08:30:00", false, true}, {"打电话 \"老王\" 's", "2024-05-01 08:30:59", false, true},
        {"no seconds", "2024-05-01 08:30", false, true},
        {"<img src=\"/dev/zero\"><b>粗</b>", "2024-05-01 08:30:30", false, true},
        {"next minute", "2024-05-01 08:31:00", false, false}, {"minute before", "2024-05-01 08:29:59", false, false},
        {"already reminded", "2024-05-01 08:30:10", true, false}, {"another day", "2024-05-02 08:30:00", false, false},
    };
    const int due = 4;
    std::vector<qint64> ids;
    for (size_t i = 0; i < std::size(plans); ++i)
        ids.push_back(AddPlan(plans[i].title, plans[i].alarmtime, int(100 + i), plans[i].reminded));
    clock.now = QDateTime(QDate(2024, 5, 1), QTime(8, 30, 5));
    data->alarmTimerTimer();
    EXPECT_EQ(data->AlarmWindows().size(), due);
    EXPECT_EQ(players.Count("play"), due);
    EXPECT_EQ(players.Count("open " + sound), due);
    for (size_t i = 0; i < std::size(plans); ++i) {
        SCOPED_TRACE(plans[i].title.toStdString());
        ASSERT_TRUE(RunQuery(query.get(), "select gqwtx from usertable where id=?", {ids[i]}));
        EXPECT_EQ(query->FieldByName("gqwtx").AsBoolean(), plans[i].due || plans[i].reminded);
        Tfrmalarmwin *window = nullptr;
        for (Tfrmalarmwin *shown : data->AlarmWindows())
            window = shown->objectName() == "alarm_rm" + QString::number(ids[i]) ? shown : window;
        ASSERT_EQ(window != nullptr, plans[i].due);
        if (!window)
            continue;
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isModal());
        EXPECT_EQ(window->Label1->text(), QStringLiteral("您好，现在是2024-05-01 08:30"));
        EXPECT_EQ(window->Label4->text(), "  " + plans[i].title);
        EXPECT_EQ(window->Label4->textFormat(), Qt::PlainText);
        EXPECT_EQ(window->ContactKey(), int(100 + i));
        EXPECT_EQ(window->SoundFile(), sound);
    }
    // Later in the minute nothing pops up again, not even for a pop-up that was closed.
    QPointer<Tfrmalarmwin> closed = data->AlarmWindows().front();
    closed->Button2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    clock.now = clock.now.addSecs(15);
    data->alarmTimerTimer();
    EXPECT_EQ(data->AlarmWindows().size(), due - 1);
    // The module takes its pop-ups along.
    QPointer<Tfrmalarmwin> left = data->AlarmWindows().front();
    query.reset();
    data.reset();
    EXPECT_TRUE(left.isNull());
}

class ReminderWiring : public DataModuleTest
{
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        const QString path = CurrentAccount().Path();
        const QDateTime now = clock.now;
        MakeWindow();
        // The main window sets the start values; the account of the fixture stays.
        CurrentAccount().Remember(path);
        LastBackupTime = now;
        data->dbConnection->Close();
        main->OpenAccount(path);
        ASSERT_TRUE(data->dbConnection->Connected());
    }
};

// An editor left open keeps the account, its check and reminders; once all close, all go, snoozed too.
TEST_F(ReminderWiring, ClosingTheAccountClosesItsRemindersSnoozedOnesToo)
{
    EXPECT_TRUE(data->alarmTimer->isActive());
    AddPlan("a", "2024-05-01 08:30:00", 1);
    AddPlan("b", "2024-05-01 08:30:00", 2);
    data->alarmTimerTimer();
    ASSERT_EQ(data->AlarmWindows().size(), 2);
    QPointer<Tfrmalarmwin> snoozed = data->AlarmWindows()[0];
    QPointer<Tfrmalarmwin> shown = data->AlarmWindows()[1];
    snoozed->Button1->click();
    ASSERT_TRUE(snoozed->Timer1->isActive());
    auto *editor = new TestEditor;
    editor->refuseClose = true;
    Form1->Adopt(editor);
    editor->show();
    EXPECT_FALSE(main->CloseAccountWindows());
    EXPECT_TRUE(data->alarmTimer->isActive());
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(snoozed->Timer1->isActive());
    editor->refuseClose = false;
    EXPECT_TRUE(main->CloseAccountWindows());
    EXPECT_FALSE(data->alarmTimer->isActive());
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(snoozed->Timer1->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(snoozed.isNull());
    EXPECT_TRUE(shown.isNull());
    EXPECT_TRUE(data->AlarmWindows().isEmpty());
    AddPlan("c", "2024-05-01 08:31:00", 3);
    data->dbConnection->Close();
    clock.now = clock.now.addSecs(60);
    data->alarmTimerTimer();
    EXPECT_TRUE(data->AlarmWindows().isEmpty());
}

TEST_F(ReminderWiring, OptionsOpensTheSettingsDialogModally)
{
    for (const char *command : {"SpTBXItem33", "TrayItemOptions"}) {
        SCOPED_TRACE(command);
        ModalResponder responder;
        responder.Then([](QDialog *dialog) { dialog->reject(); });
        TCommand *action = main->Command(command);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->Enabled());
        action->Click();
        EXPECT_EQ(responder.Shown(), QStringList{"frmsysset"});
        EXPECT_EQ(responder.Unexpected(), 0);
    }
}

} // namespace
