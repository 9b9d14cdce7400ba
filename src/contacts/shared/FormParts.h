#pragma once
// Pieces the forms are built from.
#include <QString>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// The object, known from now on by the component name the rest of the code finds it by.
template <typename T>
T *Named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A form's push button. Enter in the form's edits does not press it: none of the forms has a
// default button.
QPushButton *FormButton(const QString &caption, const char *name, QWidget *parent);

// A row of buttons kept at its right end, as the forms' 确定 and 取消.
QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons);
