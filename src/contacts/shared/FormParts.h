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

// What Enter does to a form's push button.
enum class TEnterPress {
    Never,    // nothing: Enter in the form's edits does not press it
    Focused,  // presses it while it has the focus, as dialogs do
    Default,  // the form's default button: Enter anywhere in the form presses it
};

// A form's push button.
QPushButton *FormButton(const QString &caption, const char *name, QWidget *parent,
                        TEnterPress enter = TEnterPress::Never);

// A row of buttons kept at its right end, as the forms' 确定 and 取消.
QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons);
