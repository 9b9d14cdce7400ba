#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The one-line input dialog: a prompt, an edit of at most 255 characters, 确定 and 取消. It is
// laid out in dialog units of its font (a quarter of the average character width across, an
// eighth of the character height down), so it grows with the font, and it opens centred on the
// screen.
class TInputTextBoxForm : public QDialog
{
    Q_OBJECT
public:
    TInputTextBoxForm(const QString &caption, const QString &prompt, const QString &text, QWidget *parent = nullptr);

    QLabel *Prompt;
    QLineEdit *Edit;
    QPushButton *OKButton;
    QPushButton *CancelButton;

protected:
    void showEvent(QShowEvent *event) override;
};

// Asks for a text in a TInputTextBoxForm; true and the edited text on 确定.
bool InputTextBox(const QString &caption, const QString &prompt, QString &text);
