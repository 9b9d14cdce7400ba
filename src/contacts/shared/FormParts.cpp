#include "shared/FormParts.h"

#include <QHBoxLayout>
#include <QPushButton>

QPushButton *FormButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
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
