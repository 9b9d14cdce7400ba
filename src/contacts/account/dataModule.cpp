#include "account/dataModule.h"
#include "account/AccountSession.h"

#include "shared/AppGlobals.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "account/alarmwin.h"

#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

TCustomerData *CustomerData = nullptr;

namespace {

constexpr int AlarmCheckMs = 15000;
constexpr int BackupCheckMs = 60000;
constexpr qint64 MsPerHour = 3600 * 1000;

// Whether a file listed in databaklist is one of the automatic copies of `account`: a file
// directly in the backup folder, named as BackupFileName names them. The table travels with
// copies of the account and can be edited by hand, so its rows alone decide nothing.
bool IsAutomaticBackupOf(const QString &file, const QString &account, const QString &folder)
{
    const QFileInfo real(QFileInfo(file).canonicalFilePath());
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    if (real.filePath().isEmpty() || realFolder.isEmpty() || real.absolutePath() != realFolder)
        return false;
    static const QRegularExpression stamp(QStringLiteral("^[0-9]{10}"));
    const QString name = real.fileName();
    return name.size() > 10 && stamp.match(name).hasMatch() && name.mid(10) == TrimmedFileName(account);
}

} // namespace

TCustomerData::TCustomerData(QObject *parent)
    : QObject(parent), account_(CurrentAccount()), connection_(std::make_unique<TADOConnection>())
{
    setObjectName(QStringLiteral("CustomerData"));
    dbConnection = connection_.get();
    alarmQuery_ = std::make_unique<TADOQuery>(dbConnection);
    bakQuery_ = std::make_unique<TADOQuery>(dbConnection);
    qralarmtable = alarmQuery_.get();
    bakADOQuery = bakQuery_.get();

    alarmTimer = new QTimer(this);
    alarmTimer->setObjectName(QStringLiteral("alarmTimer"));
    alarmTimer->setInterval(AlarmCheckMs);
    connect(alarmTimer, &QTimer::timeout, this, [this] { alarmTimerTimer(); });

    dbbakTimer = new QTimer(this);
    dbbakTimer->setObjectName(QStringLiteral("dbbakTimer"));
    dbbakTimer->setInterval(BackupCheckMs);
    connect(dbbakTimer, &QTimer::timeout, this, [this] { dbbakTimerTimer(); });
    dbbakTimer->start();

    CustomerData = this;
    account_.SetConnection(dbConnection);
}

TCustomerData::~TCustomerData()
{
    if (account_.Connection() == dbConnection)
        account_.SetConnection(nullptr);
    DataModuleDestroy();
    if (CustomerData == this)
        CustomerData = nullptr;
}

void TCustomerData::DataModuleDestroy()
{
    alarmTimer->stop();
    dbbakTimer->stop();
    for (const QPointer<Tfrmalarmwin> &window : alarmWindows_)
        delete window.data();
    alarmWindows_.clear();
}

// Automatic backup ------------------------------------------------------------------------------

QString TCustomerData::BackupFileName(const QString &folder, const QString &account, const QDateTime &when)
{
    return folder + when.toString(QStringLiteral("MMddHHmmss")) + TrimmedFileName(account);
}

// The timer handlers read columns by name from a file that may be any account file: a column
// it lacks must not end the program from inside the event loop.
void TCustomerData::dbbakTimerTimer()
{
    try {
        AutomaticBackup();
    } catch (const Exception &e) {
        bakADOQuery->Close();
        qWarning().noquote() << "automatic backup:" << e.Message();
    }
}

void TCustomerData::alarmTimerTimer()
{
    try {
        ShowDueReminders();
    } catch (const Exception &e) {
        qralarmtable->Close();
        qWarning().noquote() << "reminder check:" << e.Message();
    }
}

void TCustomerData::AutomaticBackup()
{
    if (account_.Path().isEmpty() || !QFileInfo(account_.Path()).isFile() || !dbConnection->Connected())
        return;
    // A copy of an account that cannot be written could never be listed in it, so it would be
    // made and thrown away again on every tick. The user was told when the account opened.
    if (dbConnection->ReadOnly()) {
        if (readOnlySkipLogged_ != account_.Path()) {
            qWarning().noquote() << "automatic backup skipped: the account cannot be written:" << account_.Path();
            readOnlySkipLogged_ = account_.Path();
        }
        return;
    }
    readOnlySkipLogged_.clear();
    if (AppSettings().BackupDir.trimmed().isEmpty())
        AppSettings().BackupDir = DefaultBackupDir();
    if (!AppSettings().BackupDir.endsWith('/'))
        AppSettings().BackupDir += '/';
    EnsureDir(AppSettings().BackupDir);
    if (AppSettings().BackupIntervalHours < 1)
        AppSettings().BackupIntervalHours = 1;
    if (AppSettings().BackupKeepCount < 2)
        AppSettings().BackupKeepCount = 2;

    // The interval runs from the newest copy, so one copy is made per interval.
    if (RunQuery(bakADOQuery, QStringLiteral("select * from databaklist order by createtime desc, id desc")) &&
        !bakADOQuery->IsEmpty()) {
        const QDateTime newest = bakADOQuery->FieldByName(QStringLiteral("createtime")).AsDateTime();
        if (newest.isValid())
            LastBackupTime = newest;
    }
    bakADOQuery->Close();

    const QDateTime now = Clock().Now();
    if (LastBackupTime.msecsTo(now) > AppSettings().BackupIntervalHours * MsPerHour)
        BackupNow(now);
    RemoveOldBackups();
}

bool TCustomerData::BackupNow(const QDateTime &now)
{
    // A copy of damaged pages is no backup, and retention would let it push out the good ones.
    if (!dbConnection->PagesIntact()) {
        qWarning().noquote() << "automatic backup skipped: the account's pages are damaged";
        return false;
    }
    const QString name = BackupFileName(AppSettings().BackupDir, account_.Path(), now);
    if (!EnsureDir(QFileInfo(name).absolutePath()) || !dbConnection->BackupTo(name))
        return false;
    // A copy nobody lists would never be cleaned up again.
    if (!RunQuery(bakADOQuery, QStringLiteral("insert into databaklist(sfilename, createtime) values(?, ?)"),
                  {name, now})) {
        QFile::remove(name);
        return false;
    }
    LastBackupTime = now;
    return true;
}

void TCustomerData::RemoveOldBackups()
{
    if (!RunQuery(bakADOQuery, QStringLiteral("select id, sfilename from databaklist order by createtime desc, id desc")))
        return;
    struct Old {
        qint64 Id;
        QString File;
    };
    std::vector<Old> old;
    int number = 0;
    for (bakADOQuery->First(); !bakADOQuery->Eof(); bakADOQuery->Next()) {
        if (++number <= AppSettings().BackupKeepCount)
            continue;
        old.push_back({bakADOQuery->FieldByName(QStringLiteral("id")).AsLargeInt(),
                       bakADOQuery->FieldByName(QStringLiteral("sfilename")).AsString()});
    }
    bakADOQuery->Close();
    if (old.empty())
        return;

    // The newest copy that passes the check survives whatever is newer than it: when the
    // account was damaged, it is the one to go back to.
    const QString keep = NewestGoodListedCopy();
    for (const Old &backup : old) {
        if (!keep.isEmpty() && QFileInfo(backup.File).canonicalFilePath() == keep)
            continue;
        // Any other file a row names is left alone; only the row goes.
        if (IsAutomaticBackupOf(backup.File, account_.Path(), AppSettings().BackupDir) &&
            !QFile::remove(QFileInfo(backup.File).canonicalFilePath()))
            continue;  // listed until its file can really go
        RunQuery(bakADOQuery, QStringLiteral("delete from databaklist where id=?"), {backup.Id});
    }
}

QString TCustomerData::NewestGoodListedCopy()
{
    QStringList files;
    if (RunQuery(bakADOQuery, QStringLiteral("select sfilename from databaklist order by createtime desc, id desc"))) {
        for (bakADOQuery->First(); !bakADOQuery->Eof(); bakADOQuery->Next())
            files << bakADOQuery->FieldByName(QStringLiteral("sfilename")).AsString();
    }
    bakADOQuery->Close();
    for (const QString &file : files) {
        if (IsAutomaticBackupOf(file, account_.Path(), AppSettings().BackupDir) &&
            TADOConnection::CheckFile(file) == TAccountFileState::Good)
            return QFileInfo(file).canonicalFilePath();
    }
    return {};
}

// Reminder check --------------------------------------------------------------------------------

void TCustomerData::SetAlarmCheck(bool enabled)
{
    if (enabled)
        alarmTimer->start();
    else
        alarmTimer->stop();
}

void TCustomerData::ShowDueReminders()
{
    if (!dbConnection->Connected())
        return;
    const QDateTime now = Clock().Now();
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    const QString pattern = QStringLiteral("yyyy-MM-dd HH:mm");
    const QString minuteText = minute.toString(pattern);
    // Bounds without seconds take in both "… 08:30" and "… 08:30:59", and keep the index usable.
    if (!RunQuery(qralarmtable,
                  QStringLiteral("select * from usertable where gqwtx=0 and alarmtime>=? and alarmtime<? "
                                 "order by alarmtime, id"),
                  {minuteText, minute.addSecs(60).toString(pattern)}))
        return;

    struct Due {
        qint64 Id;
        qint32 Key;
        QString Title;
    };
    std::vector<Due> due;
    for (qralarmtable->First(); !qralarmtable->Eof(); qralarmtable->Next()) {
        due.push_back({qralarmtable->FieldByName(QStringLiteral("id")).AsLargeInt(),
                       qralarmtable->FieldByName(QStringLiteral("groupid")).AsInteger(),
                       qralarmtable->FieldByName(QStringLiteral("title")).AsString()});
        try {
            qralarmtable->Edit();
            qralarmtable->FieldByName(QStringLiteral("gqwtx")).SetAsBoolean(true);
            qralarmtable->Post();
        } catch (const Exception &) {
            // Still shown; the window's name keeps the later checks of this minute from
            // showing it again.
            qralarmtable->Cancel();
        }
    }
    qralarmtable->Close();

    for (const Due &row : due) {
        const QString name = QStringLiteral("alarm_rm") + QString::number(row.Id);
        if (FindAlarmWindow(name))
            continue;
        auto *window = new Tfrmalarmwin;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("人脉提醒"));
        window->setObjectName(name);
        window->SetContactKey(row.Key);
        window->SetSoundFile(AppSettings().AlarmSoundFile);
        window->Label1->setText(QStringLiteral("您好，现在是") + minuteText);
        window->Label2->setText(QStringLiteral("您的联系计划："));
        window->Label4->setText(QStringLiteral("  ") + row.Title);
        alarmWindows_.removeIf([](const QPointer<Tfrmalarmwin> &w) { return w.isNull(); });
        alarmWindows_ << window;
        window->show();
    }
}

Tfrmalarmwin *TCustomerData::FindAlarmWindow(const QString &name) const
{
    for (const QPointer<Tfrmalarmwin> &window : alarmWindows_) {
        if (window && window->objectName() == name)
            return window;
    }
    return nullptr;
}

QList<Tfrmalarmwin *> TCustomerData::AlarmWindows() const
{
    QList<Tfrmalarmwin *> windows;
    for (const QPointer<Tfrmalarmwin> &window : alarmWindows_) {
        if (window)
            windows << window.data();
    }
    return windows;
}

void TCustomerData::CloseAlarmWindows()
{
    // Each frees itself once closed; any the event loop has not freed yet goes with the module.
    for (Tfrmalarmwin *window : AlarmWindows())
        window->close();
}
