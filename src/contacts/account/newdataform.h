#pragma once
#include <QDialog>
#include <QPointer>
#include <functional>

class QLineEdit;
class QListWidget;
class QPushButton;
class TAccountSession;

// 新建/打开账户: lists the account files of the data folder, opens, creates and deletes them.
class Tfrmnewdataform : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmnewdataform(const TAccountSession &account, QWidget *owner = nullptr);
    ~Tfrmnewdataform() override;

    QLineEdit *Edit1;     // name of a new account
    QLineEdit *Edit2;     // the account folder, shown only
    QListWidget *ListBox1;
    QPushButton *Button1;  // 打开
    QPushButton *Button2;  // 打开其它账户
    QPushButton *Button3;  // 确定 (new account)
    QPushButton *Button4;  // 删除
    QPushButton *Button5;  // 帮助
    QPushButton *Button6;  // 取消

    // The names of the ".txl" files of a folder, without the extension; hidden files and
    // folders are left out.
    static QStringList ListAccounts(const QString &folder);
    void ListAccounts();

    // The account chosen, made or picked elsewhere; the window that showed the list opens it.
    std::function<void(const QString &path)> OnOpenAccount;

    void OpenSelected();
    void OpenOther();
    void NewAccount();
    void DeleteSelected();
    void ShowHelp();

private:
    QString AccountFolder() const;
    const TAccountSession &account_;
    void Open(const QString &path);
};

// The one account-list dialog, while it exists.
extern QPointer<Tfrmnewdataform> frmnewdataform;

// Start-up shows the list beside the main window; the menu shows it modally. `open` opens the
// account the user chose.
void ShowAccountList(QWidget *owner, const TAccountSession &account, std::function<void(const QString &path)> open);
void ShowAccountListModal(QWidget *owner, const TAccountSession &account,
                          std::function<void(const QString &path)> open);

// A name that can be a file name in the data folder: not empty, not "." or "..", none of
// " / : < > \ | * ? and no control character.
bool ValidAccountName(const QString &name);

