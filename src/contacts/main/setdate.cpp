#include "main/setdate.h"
#include "shared/FormParts.h"

#include "platform/AppPaths.h"
#include "platform/SystemPower.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

Tfrmsetdate::Tfrmsetdate(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmsetdate"));
    setWindowTitle(QStringLiteral("定时关机"));
    const QString icon = AppDir() + QStringLiteral("res/image/定时关机.ico");
    if (QFileInfo(icon).isFile())
        setWindowIcon(QIcon(icon));

    auto *label = new QLabel(QStringLiteral("定时时间："), this);
    DateTimePicker1 = new QTimeEdit(Clock().Now().time(), this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    CheckBox1 = new QCheckBox(QStringLiteral("不需要提示"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    RadioButton1 = new QRadioButton(QStringLiteral("关机"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("重起"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton3 = new QRadioButton(QStringLiteral("注销"), this);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    CheckBox2 = new QCheckBox(QStringLiteral("启动"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    Button1 = FormButton(QStringLiteral("关闭"), "Button1", this);
    Timerclose = new QTimer(this);
    Timerclose->setObjectName(QStringLiteral("Timerclose"));
    Timerclose->setInterval(500);

    auto *time = new QHBoxLayout;
    time->addWidget(label);
    time->addWidget(DateTimePicker1, 1);
    auto *actions = new QHBoxLayout;
    actions->addWidget(RadioButton1);
    actions->addWidget(RadioButton2);
    actions->addWidget(RadioButton3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox2);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(time);
    layout->addWidget(CheckBox1);
    layout->addLayout(actions);
    layout->addLayout(buttons);

    connect(CheckBox2, &QCheckBox::clicked, this, &Tfrmsetdate::ArmFromCheckBox);
    connect(DateTimePicker1, &QTimeEdit::timeChanged, this, &Tfrmsetdate::ArmFromCheckBox);
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);
    connect(Timerclose, &QTimer::timeout, this, &Tfrmsetdate::TimercloseTimer);
}

void Tfrmsetdate::ArmFromCheckBox()
{
    lastTick_ = Clock().Now();
    if (CheckBox2->isChecked())
        Timerclose->start();
    else
        Timerclose->stop();
}

void Tfrmsetdate::TimercloseTimer()
{
    if (!CheckBox2->isChecked())
        return;
    // The armed second must lie between the last tick and this one. Comparing the seconds' texts
    // would miss it whenever the event loop stalls past it (a long import); a gap of more than a
    // few minutes (a suspended machine waking up) must not shut down by surprise.
    const QDateTime now = Clock().Now();
    const QDateTime last = lastTick_.isValid() ? lastTick_ : now;
    lastTick_ = now;
    const QTime armed = DateTimePicker1->time();
    const QTime second(armed.hour(), armed.minute(), armed.second());
    const auto crossed = [&](const QDate &day) {
        const QDateTime at(day, second);
        return last < at && at <= now && last.secsTo(now) <= 300;
    };
    if (!crossed(now.date()) && !crossed(now.date().addDays(-1)))
        return;
    Timerclose->stop();

    TPowerAction action = TPowerAction::PowerOff;
    QString question = QStringLiteral("确定关闭计算机吗？");
    if (RadioButton2->isChecked()) {
        action = TPowerAction::Reboot;
        question = QStringLiteral("确定重起计算机吗？");
    } else if (RadioButton3->isChecked()) {
        action = TPowerAction::LogOff;
        question = QStringLiteral("确定注销计算机吗？");
    }
    if (!CheckBox1->isChecked()
        && ShowMessage(question, QStringLiteral("Orvanta"), MsgIcon::Question, MsgButtons::YesNo, this) != MsgResult::Yes)
        return;
    // A refusal by the login manager is the desktop's decision; there is nothing to retry.
    SystemPower().Exit(action);
}
