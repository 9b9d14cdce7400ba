#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TADOQuery;

// Sets the password of the open account: typed twice, stored enciphered in usermsg.
class Tfrmsetnewpwd : public QDialog
{
    Q_OBJECT
public:
    // `query` is a query on the account connection; `accountPath` names the account in the label.
    Tfrmsetnewpwd(TADOQuery *query, const QString &accountPath, QWidget *owner = nullptr);

    QLabel *Label1;        // "当前打开账户:" and the file name
    QLineEdit *Edit1;      // 密码:
    QLineEdit *Edit2;      // 确认密码:
    QPushButton *Button1;  // 确定
    QPushButton *Button2;  // 清除

    void Confirm();
    // The stored password's cipher once the dialog is accepted.
    const QString &Cipher() const { return cipher_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void UpdateConfirm();
    TADOQuery *query_;
    QString cipher_;
};

// The account password lives in the first row of usermsg; opening reads the row this query puts
// first and the password commands write that same row.
inline const QString AccountPasswordQuery = QStringLiteral("select * from usermsg order by id");

// Stores a password cipher in the account's usermsg row, adding the row when there is none.
// False when the account could not be written.
bool WriteAccountPassword(TADOQuery *query, const QString &cipher);
