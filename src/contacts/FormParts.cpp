#include "FormParts.h"

#include <QPushButton>

QPushButton *FormButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}
