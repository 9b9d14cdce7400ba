#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TAccountSession;

// Asks for the password of the open account.
class Tfrminputpsd : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrminputpsd(const TAccountSession &account, QWidget *owner = nullptr);

    QLabel *Label1;      // "当前打开账户:" and the account's file name
    QLineEdit *Edit1;    // the password, masked
    QPushButton *Button1;  // 确定
    QPushButton *Button2;  // 取消

    // The account the password is asked for: the open one unless another is being opened.
    void SetAccountPath(const QString &path) { accountPath_ = path; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    const TAccountSession &account_;
    QString accountPath_;
};
