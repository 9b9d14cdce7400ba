#include "transfer/selectfield.h"
#include "shared/FormParts.h"

#include "shared/AppGlobals.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int BoxWidth = 300;
constexpr int BoxHeight = 320;
constexpr int RowHeight = 20;

} // namespace

Tfrmselectfield::Tfrmselectfield(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmselectfield"));
    setWindowTitle(QStringLiteral("请选择"));

    Label1 = new QLabel(QStringLiteral("请选择文本字段对应的通讯录中人脉字段："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFixedSize(BoxWidth, BoxHeight);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setWidgetResizable(false);

    // The buttons sit at fixed places, one row each; the scroll range ends one row below the last.
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollBoxContent"));
    int top = 6;
    for (const QString &pair : FieldCaptions) {
        auto *button = new QRadioButton(PairValue(pair), content);
        button->setObjectName(PairName(pair));
        button->setGeometry(16, top, BoxWidth - 40, RowHeight);
        buttons_ << button;
        top += RowHeight;
    }
    content->resize(BoxWidth - ScrollBox1->verticalScrollBar()->sizeHint().width() - 2 * ScrollBox1->frameWidth(),
                    top);
    ScrollBox1->setWidget(content);

    Button1 = FormButton(QStringLiteral("确定"), "Button1", this, TEnterPress::Default);
    Button2 = FormButton(QStringLiteral("取消"), "Button2", this, TEnterPress::Focused);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ScrollBox1);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

QRadioButton *Tfrmselectfield::FieldButton(const QString &column) const
{
    for (QRadioButton *button : buttons_) {
        if (button->objectName().compare(column.trimmed(), Qt::CaseInsensitive) == 0)
            return button;
    }
    return nullptr;
}

bool Tfrmselectfield::SelectField(const QString &column, const QString &caption)
{
    QRadioButton *found = column.trimmed().isEmpty() ? nullptr : FieldButton(column);
    for (qsizetype i = 0; !found && i < buttons_.size(); ++i) {
        if (buttons_[i]->text() == caption)
            found = buttons_[i];
    }
    if (found)
        found->setChecked(true);
    return found != nullptr;
}

QRadioButton *Tfrmselectfield::CheckedField() const
{
    for (QRadioButton *button : buttons_) {
        if (button->isChecked())
            return button;
    }
    return nullptr;
}

void Tfrmselectfield::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QRadioButton *checked = CheckedField())
        ScrollBox1->ensureWidgetVisible(checked, 0, 0);
}
