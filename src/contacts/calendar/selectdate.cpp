#include "calendar/selectdate.h"

#include "shared/FormParts.h"

#include "platform/UiServices.h"

#include <QCalendarWidget>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Tfrmselectdate::Tfrmselectdate(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmselectdate"));
    setWindowTitle(QStringLiteral("选择日期"));
    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setFirstDayOfWeek(Qt::Sunday);
    Button1 = FormButton(QStringLiteral("确定"), "Button1", this, TEnterPress::Focused);
    Button2 = FormButton(QStringLiteral("取消"), "Button2", this, TEnterPress::Focused);

    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(MonthCalendar1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrmselectdate::showEvent(QShowEvent *event)
{
    MonthCalendar1->setSelectedDate(Clock().Now().date());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
