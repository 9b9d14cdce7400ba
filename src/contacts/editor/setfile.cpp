#include "editor/setfile.h"

#include "shared/FormParts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Tfrmsetfile *frmsetfile = nullptr;

Tfrmsetfile::Tfrmsetfile(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmsetfile"));
    setWindowTitle(QStringLiteral("添加文件"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    RadioButton1 = new QRadioButton(QStringLiteral("添加文件"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("添加文件连接"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    Button1 = FormButton(QStringLiteral("确定"), "Button1", this, TEnterPress::Focused);
    Button2 = FormButton(QStringLiteral("取消"), "Button2", this, TEnterPress::Focused);

    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RadioButton1);
    layout->addWidget(RadioButton2);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}
