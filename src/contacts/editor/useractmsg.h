#pragma once
#include <QDateTime>
#include <QDialog>

class QDateTimeEdit;
class QPlainTextEdit;
class QPushButton;

// 用户活动内容: the text and date of one activity of a contact.
class Tfrmuseractmsg : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmuseractmsg(QWidget *owner = nullptr);

    QPlainTextEdit *Memo1;
    QDateTimeEdit *DateTimePicker1;
    QPushButton *Button1;  // 确定
    QPushButton *Button2;  // 取消

    // Places an existing activity for editing; its date is then kept when the dialog shows.
    void SetActivity(const QString &text, const QDateTime &date);

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool dateGiven_ = false;
};

// The one instance while it is shown.
extern Tfrmuseractmsg *frmuseractmsg;
