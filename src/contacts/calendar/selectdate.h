#pragma once
#include <QDialog>

class QCalendarWidget;
class QPushButton;

// 选择日期: picks the date the calendar goes to. Opens on today each time.
class Tfrmselectdate : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmselectdate(QWidget *owner = nullptr);

    QCalendarWidget *MonthCalendar1;
    QPushButton *Button1;  // 确定
    QPushButton *Button2;  // 取消

protected:
    void showEvent(QShowEvent *event) override;
};
