#include "editor/useractmsg.h"

#include "shared/FormParts.h"

#include "platform/UiServices.h"

#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

Tfrmuseractmsg *frmuseractmsg = nullptr;

Tfrmuseractmsg::Tfrmuseractmsg(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmuseractmsg"));
    setWindowTitle(QStringLiteral("用户活动内容"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Memo1 = Named(new QPlainTextEdit(this), "Memo1");
    DateTimePicker1 = Named(new QDateTimeEdit(this), "DateTimePicker1");
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    Button1 = FormButton(QStringLiteral("确定"), "Button1", this);
    Button2 = FormButton(QStringLiteral("取消"), "Button2", this);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("内容："), this), 0, 0, Qt::AlignTop);
    grid->addWidget(Memo1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("日期："), this), 1, 0);
    grid->addWidget(DateTimePicker1, 1, 1);
    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    grid->addLayout(buttons, 2, 0, 1, 2);
    resize(420, 260);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrmuseractmsg::SetActivity(const QString &text, const QDateTime &date)
{
    Memo1->setPlainText(text);
    dateGiven_ = date.isValid();
    if (dateGiven_)
        DateTimePicker1->setDateTime(date);
}

void Tfrmuseractmsg::showEvent(QShowEvent *event)
{
    // A new activity starts now; an edited one keeps its date unless the user changes it.
    if (!dateGiven_)
        DateTimePicker1->setDateTime(Clock().Now());
    Memo1->setFocus();
    QDialog::showEvent(event);
}
