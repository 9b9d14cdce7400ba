#pragma once
#include <QDialog>
#include <QPointer>

class QLineEdit;
class QListWidget;
class QPushButton;

// 新建/打开账户: lists the account files of the data folder, opens, creates and deletes them.
class Tfrmnewdataform : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmnewdataform(QWidget *owner = nullptr);
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

    void OpenSelected();
    void OpenOther();
    void NewAccount();
    void DeleteSelected();
    void ShowHelp();

private:
    QString AccountFolder() const;
};

// The one account-list dialog, while it exists.
extern QPointer<Tfrmnewdataform> frmnewdataform;

// Start-up shows the list beside the main window; the menu shows it modally.
void ShowAccountList(QWidget *owner);
void ShowAccountListModal(QWidget *owner);

// A name that can be a file name in the data folder: not empty, not "." or "..", none of
// " / : < > \ | * ? and no control character.
bool ValidAccountName(const QString &name);

// Whether a path names the open account's file, however it is written (relative parts, doubled
// separators, symbolic links).
bool IsOpenAccountFile(const QString &path);
