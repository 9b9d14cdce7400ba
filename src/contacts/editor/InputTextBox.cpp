#include "editor/InputTextBox.h"

#include "shared/FormParts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtMath>

namespace {

constexpr int MaxTextLength = 255;

// Dialog units of a font in pixels: the average width of the Latin letters and the line height.
struct TDialogUnits {
    int X;
    int Y;
    int Across(int units) const { return qRound(units * X / 4.0); }
    int Down(int units) const { return qRound(units * Y / 8.0); }
};

TDialogUnits DialogUnitsOf(const QFont &font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {qRound(metrics.horizontalAdvance(letters) / double(letters.size())), metrics.height()};
}

} // namespace

TInputTextBoxForm::TInputTextBoxForm(const QString &caption, const QString &prompt, const QString &text,
                                     QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    const TDialogUnits du = DialogUnitsOf(font());

    Prompt = new QLabel(this);
    Prompt->setTextFormat(Qt::PlainText);
    Prompt->setWordWrap(true);
    Prompt->setText(prompt);
    const int width = du.Across(164);
    Prompt->setGeometry(du.Across(8), du.Down(8), width, Prompt->heightForWidth(width));

    Edit = new QLineEdit(this);
    Edit->setMaxLength(MaxTextLength);
    Edit->setText(text);
    Edit->selectAll();
    Edit->setGeometry(du.Across(8), Prompt->geometry().bottom() + 1 + 5, width, Edit->sizeHint().height());

    OKButton = FormButton(QStringLiteral("确定"), "OKButton", this, TEnterPress::Default);
    CancelButton = FormButton(QStringLiteral("取消"), "CancelButton", this, TEnterPress::Focused);
    const int buttonTop = Edit->geometry().bottom() + 1 + 15;
    OKButton->setGeometry(du.Across(38), buttonTop, du.Across(50), du.Down(14));
    CancelButton->setGeometry(du.Across(92), buttonTop, du.Across(50), du.Down(14));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(du.Across(180), buttonTop + du.Down(14) + 13);
}

void TInputTextBoxForm::showEvent(QShowEvent *event)
{
    // Centred on the screen, not on the window that asks; the frame counts as part of it.
    const QWidget *asking = parentWidget();
    if (QScreen *screen = asking ? asking->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

bool InputTextBox(const QString &caption, const QString &prompt, QString &text)
{
    TInputTextBoxForm form(caption, prompt, text, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return false;
    text = form.Edit->text();
    return true;
}
