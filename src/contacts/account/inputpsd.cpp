#include "account/inputpsd.h"
#include "account/AccountSession.h"

#include "shared/AppGlobals.h"
#include "shared/FormParts.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tfrminputpsd::Tfrminputpsd(const TAccountSession &account, QWidget *owner) : QDialog(owner), account_(account)
{
    setObjectName(QStringLiteral("frminputpsd"));
    setWindowTitle(QStringLiteral("输入密码"));

    Label1 = Named(new QLabel(this), "Label1");
    Label1->setTextFormat(Qt::PlainText);
    auto *prompt = new QLabel(QStringLiteral("密码:"), this);
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Edit1->setEchoMode(QLineEdit::Password);
    Button1 = FormButton(QStringLiteral("确定"), "Button1", this);
    Button2 = FormButton(QStringLiteral("取消"), "Button2", this);

    auto *edits = new QHBoxLayout;
    edits->addWidget(prompt);
    edits->addWidget(Edit1, 1);
    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(edits);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit1, &QLineEdit::returnPressed, this, &QDialog::accept);
}

void Tfrminputpsd::showEvent(QShowEvent *event)
{
    const QString path = accountPath_.isEmpty() ? account_.Path() : accountPath_;
    Label1->setText(QStringLiteral("当前打开账户:") + QFileInfo(path).fileName());
    Edit1->setFocus();
    QDialog::showEvent(event);
}
