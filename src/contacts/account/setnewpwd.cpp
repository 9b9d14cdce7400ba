#include "account/setnewpwd.h"

#include "shared/AppGlobals.h"
#include "shared/FormParts.h"
#include "shared/UtilityDb.h"
#include "shared/WNDES.h"

#include "platform/ADODB.h"
#include "platform/UiServices.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

bool WriteAccountPassword(TADOQuery *query, const QString &cipher)
{
    if (!RunQuery(query, AccountPasswordQuery))
        return false;
    try {
        if (query->IsEmpty()) {
            query->Append();
        } else {
            query->First();
            query->Edit();
        }
        query->FieldByName(QStringLiteral("password")).SetAsString(cipher);
        query->Post();
    } catch (const Exception &) {
        query->Close();
        return false;
    }
    query->Close();
    return true;
}

Tfrmsetnewpwd::Tfrmsetnewpwd(TADOQuery *query, const QString &accountPath, QWidget *owner)
    : QDialog(owner), query_(query)
{
    setObjectName(QStringLiteral("frmsetnewpwd"));
    setWindowTitle(QStringLiteral("输入密码"));

    const QString account = QStringLiteral("当前打开账户:") + QFileInfo(accountPath).fileName();
    Label1 = Named(new QLabel(this), "Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(account);
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Edit1->setEchoMode(QLineEdit::Password);
    Edit2 = Named(new QLineEdit(this), "Edit2");
    Edit2->setEchoMode(QLineEdit::Password);
    Button1 = FormButton(QStringLiteral("确定"), "Button1", this);
    Button2 = FormButton(QStringLiteral("清除"), "Button2", this);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("密码:"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("确认密码:"), this), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { UpdateConfirm(); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { UpdateConfirm(); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { Edit2->setFocus(); });
    connect(Edit2, &QLineEdit::returnPressed, this, [this] {
        if (Button1->isEnabled())
            Button1->setFocus();
    });
    // Enter in 确认密码 moves here; a second Enter confirms, though the button is no default one.
    Button1->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(Button2, &QPushButton::clicked, this, [this] {
        Edit1->clear();
        Edit2->clear();
    });
    UpdateConfirm();
}

bool Tfrmsetnewpwd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Button1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrmsetnewpwd::UpdateConfirm()
{
    Button1->setEnabled(!Edit1->text().isEmpty() && Edit1->text() == Edit2->text());
}

void Tfrmsetnewpwd::Confirm()
{
    if (!Button1->isEnabled())
        return;
    const DesResult cipher = DesEncryptString(Edit1->text(), DesKey);
    if (!cipher.Ok()) {
        ShowMessage(cipher.Error, QStringLiteral("Orvanta"), MsgIcon::Warning);
        return;
    }
    // The account is protected only once the password is really stored.
    if (!WriteAccountPassword(query_, cipher.Text)) {
        ShowMessage(QStringLiteral("保存错误！"), QStringLiteral("Orvanta"), MsgIcon::Warning);
        return;
    }
    cipher_ = cipher.Text;
    accept();
}
