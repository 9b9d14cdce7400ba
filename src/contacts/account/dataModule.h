#pragma once
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QTimer;
class TAccountSession;
class TADOConnection;
class TADOQuery;
class Tfrmalarmwin;

// The data module: owner of the one connection to the open account, which the queries of every
// form share; copies the account into the backup folder on a timer, and pops up the plan rows
// that fall due.
class TCustomerData : public QObject
{
    Q_OBJECT
public:
    explicit TCustomerData(QObject *parent = nullptr);
    ~TCustomerData() override;

    TADOConnection *dbConnection;
    QTimer *alarmTimer;    // every 15 s while an account is open
    QTimer *dbbakTimer;    // every 60 s; runs from the start
    TADOQuery *qralarmtable;
    TADOQuery *bakADOQuery;

    void dbbakTimerTimer();
    void alarmTimerTimer();

    // The reminder check runs while an account is connected, and only then.
    void SetAlarmCheck(bool enabled);
    // Closes every reminder window, shown or snoozed; they hold rows of the account that is
    // about to go.
    void CloseAlarmWindows();
    QList<Tfrmalarmwin *> AlarmWindows() const;

    // The name of an automatic backup copy made at `when`.
    static QString BackupFileName(const QString &folder, const QString &account, const QDateTime &when);

private:
    void DataModuleDestroy();
    void AutomaticBackup();
    void ShowDueReminders();
    bool BackupNow(const QDateTime &now);
    void RemoveOldBackups();
    // The newest automatic copy listed in databaklist that passes the account check; empty when none does.
    QString NewestGoodListedCopy();
    Tfrmalarmwin *FindAlarmWindow(const QString &name) const;

    // The open account, whose connection this module owns.
    TAccountSession &account_;
    std::unique_ptr<TADOConnection> connection_;
    std::unique_ptr<TADOQuery> alarmQuery_;
    std::unique_ptr<TADOQuery> bakQuery_;
    QList<QPointer<Tfrmalarmwin>> alarmWindows_;
    // The read-only account whose skipped backups were last logged; once per account, not per tick.
    QString readOnlySkipLogged_;
};

extern TCustomerData *CustomerData;
