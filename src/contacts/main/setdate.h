#pragma once
#include <QDateTime>
#include <QWidget>

class QCheckBox;
class QRadioButton;
class QPushButton;
class QTimeEdit;
class QTimer;

// 定时关机: shuts the computer down, restarts it or ends the session at a time of day. It keeps
// watching while hidden.
class Tfrmsetdate : public QWidget
{
    Q_OBJECT
public:
    explicit Tfrmsetdate(QWidget *owner = nullptr);

    QTimeEdit *DateTimePicker1;
    QCheckBox *CheckBox1;  // 不需要提示
    QRadioButton *RadioButton1;  // 关机
    QRadioButton *RadioButton2;  // 重起
    QRadioButton *RadioButton3;  // 注销
    QCheckBox *CheckBox2;  // 启动
    QPushButton *Button1;  // 关闭
    QTimer *Timerclose;

    // One look at the clock; the timer calls it every half second.
    void TimercloseTimer();

private:
    QDateTime lastTick_;  // when the timer last looked; the armed time must fall after it
    void ArmFromCheckBox();
};
