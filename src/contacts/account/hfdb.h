#pragma once
#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;
class TAccountSession;

// 恢复账户数据: puts a backup copy in place of the open account.
class Tfrmhfdb : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmhfdb(const TAccountSession &account, QWidget *owner = nullptr);

    QLabel *Label1;
    QListWidget *ListBox1;
    QPushButton *Button1;  // 恢复
    QPushButton *Button2;  // 恢复其它备份
    QPushButton *Button3;  // 取消

    void ListBackups();
    // True only for a file that opens as an account.
    static bool TestOpen(const QString &path);

    // Puts the confirmed backup in place of the open account and opens it again; false when the
    // user called it off before anything changed. The window that showed the dialog does this.
    std::function<bool(const QString &backup)> OnRestore;

    void RestoreSelected();
    void RestoreOther();

protected:
    void showEvent(QShowEvent *event) override;

private:
    enum class TOutcome { Refused, Failed, Cancelled, Restored };
    TOutcome Restore(const QString &backup);

    const TAccountSession &account_;
};

extern QPointer<Tfrmhfdb> frmhfdb;

void ShowRestoreDialog(QWidget *owner, const TAccountSession &account,
                       std::function<bool(const QString &backup)> restore);

// The newest copy of `account` in the backup folders (the automatic ones and the default one)
// that passes the account check: a file named as the automatic and the hand-made backups name
// them, a date stamp and the account's file name. Empty when there is none.
QString NewestGoodBackup(const QString &account);

// Copies `source` over `target` in one step: a failed copy leaves `target` as it was.
bool ReplaceWithCopy(const QString &source, const QString &target);
