#include "shared/FormParts.h"

#include <QHBoxLayout>
#include <QPushButton>

QPushButton *FormButton(const QString &caption, const char *name, QWidget *parent, TEnterPress enter)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    if (enter == TEnterPress::Never)
        button->setAutoDefault(false);
    else if (enter == TEnterPress::Default)
        button->setDefault(true);
    return button;
}

QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *button : buttons)
        row->addWidget(button);
    return row;
}
