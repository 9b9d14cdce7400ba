#include "account/newdataform.h"

#include "shared/AppGlobals.h"
#include "shared/FormParts.h"
#include "main/Main.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"

#include "platform/AppPaths.h"
#include "platform/DbFiles.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

QPointer<Tfrmnewdataform> frmnewdataform;

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

} // namespace

bool ValidAccountName(const QString &name)
{
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    for (QChar ch : name) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F || QStringLiteral("\"/:<>\\|*?").contains(ch))
            return false;
    }
    return true;
}

bool IsOpenAccountFile(const QString &path)
{
    if (path.isEmpty() || AccountDbPath.isEmpty())
        return false;
    const QFileInfo candidate(path);
    const QFileInfo open(AccountDbPath);
    const QString a = candidate.canonicalFilePath();
    const QString b = open.canonicalFilePath();
    if (!a.isEmpty() && !b.isEmpty())
        return a == b;
    return QDir::cleanPath(candidate.absoluteFilePath()) == QDir::cleanPath(open.absoluteFilePath());
}

void ShowAccountList(QWidget *owner)
{
    if (!frmnewdataform)
        frmnewdataform = new Tfrmnewdataform(owner);
    if (!frmnewdataform->isVisible())
        CenterOnOwner(frmnewdataform, owner);
    frmnewdataform->show();
    frmnewdataform->raise();
    frmnewdataform->activateWindow();
}

void ShowAccountListModal(QWidget *owner)
{
    if (frmnewdataform && frmnewdataform->isVisible()) {
        frmnewdataform->raise();
        frmnewdataform->activateWindow();
        return;
    }
    if (!frmnewdataform)
        frmnewdataform = new Tfrmnewdataform(owner);
    CenterOnOwner(frmnewdataform, owner);
    frmnewdataform->exec();
}

Tfrmnewdataform::Tfrmnewdataform(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmnewdataform"));
    setWindowTitle(QStringLiteral("新建/打开账户"));
    setAttribute(Qt::WA_DeleteOnClose);

    Edit2 = Named(new QLineEdit(this), "Edit2");
    Edit2->setReadOnly(true);
    ListBox1 = Named(new QListWidget(this), "ListBox1");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    // These characters cannot be part of a file name; typing them does nothing.
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^\"/:<>\\\\|]*")), Edit1));

    Button1 = FormButton(QStringLiteral("打开"), "Button1", this);
    Button2 = FormButton(QStringLiteral("打开其它账户"), "Button2", this);
    Button3 = FormButton(QStringLiteral("确定"), "Button3", this);
    Button4 = FormButton(QStringLiteral("删除"), "Button4", this);
    Button5 = FormButton(QStringLiteral("帮助"), "Button5", this);
    Button6 = FormButton(QStringLiteral("取消"), "Button6", this);

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("账户目录:"), this));
    folderRow->addWidget(Edit2, 1);

    auto *listButtons = new QVBoxLayout;
    listButtons->addWidget(Button1);
    listButtons->addWidget(Button2);
    listButtons->addWidget(Button4);
    listButtons->addStretch(1);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(ListBox1, 1);
    listRow->addLayout(listButtons);

    auto *newRow = new QHBoxLayout;
    newRow->addWidget(new QLabel(QStringLiteral("新建账户:"), this));
    newRow->addWidget(Edit1, 1);
    newRow->addWidget(Button3);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Button5);
    bottom->addStretch(1);
    bottom->addWidget(Button6);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addLayout(listRow, 1);
    layout->addLayout(newRow);
    layout->addLayout(bottom);
    resize(460, 340);

    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
    connect(Button1, &QPushButton::clicked, this, [this] { OpenSelected(); });
    connect(Button2, &QPushButton::clicked, this, [this] { OpenOther(); });
    connect(Button3, &QPushButton::clicked, this, [this] { NewAccount(); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { NewAccount(); });
    connect(Button4, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(Button5, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(Button6, &QPushButton::clicked, this, &QDialog::reject);

    Edit2->setText(AccountFolder());
    ListAccounts();
}

Tfrmnewdataform::~Tfrmnewdataform() = default;

QString Tfrmnewdataform::AccountFolder() const
{
    return AppDir() + QStringLiteral("data/");
}

QStringList Tfrmnewdataform::ListAccounts(const QString &folder)
{
    QStringList names;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith('.') || name.size() <= 4)
            continue;
        if (name.right(4).toLower() == QStringLiteral(".txl"))
            names << name.left(name.size() - 4);
    }
    return names;
}

void Tfrmnewdataform::ListAccounts()
{
    ListBox1->clear();
    ListBox1->addItems(ListAccounts(AccountFolder()));
}

void Tfrmnewdataform::OpenSelected()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item)
        return;
    const QString path = AccountFolder() + item->text() + QStringLiteral(".txl");
    frmmain->OpenAccount(path);
    close();
}

void Tfrmnewdataform::OpenOther()
{
    const QString path =
        Dialogs().OpenFileName(this, QStringLiteral("选择Orvanta"), AccountFolder(), QStringLiteral("Orvanta(*.txl)"));
    if (path.isEmpty())
        return;
    if (IsOpenAccountFile(path)) {
        ShowMessage(QStringLiteral("该帐户数据已经打开!"), Orvanta, MsgIcon::Warning);
        return;
    }
    frmmain->OpenAccount(path);
    close();
}

void Tfrmnewdataform::NewAccount()
{
    const QString name = Edit1->text().trimmed();
    if (!ValidAccountName(name)) {
        ShowMessage(QStringLiteral("请输入账户名称!"), Orvanta, MsgIcon::Warning);
        return;
    }
    const QString path = AccountFolder() + name + QStringLiteral(".txl");
    if (QFileInfo::exists(path) &&
        ShowMessage(QStringLiteral("通讯录已经存在是否覆盖?"), Orvanta, MsgIcon::Question, MsgButtons::OKCancel) !=
            MsgResult::OK)
        return;
    if (IsOpenAccountFile(path)) {
        ShowMessage(QStringLiteral("该帐户数据已经打开!"), Orvanta, MsgIcon::Warning);
        return;
    }
    EnsureDir(AccountFolder());
    if (!SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path)) {
        ShowMessage(QStringLiteral("无法创建账户文件!"), Orvanta, MsgIcon::Warning);
        return;
    }
    frmmain->OpenAccount(path);
    close();
}

void Tfrmnewdataform::DeleteSelected()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    if (ShowMessage(QStringLiteral("确认删除选中的帐户 \"") + name + '"', Orvanta, MsgIcon::Question,
                    MsgButtons::OKCancel) != MsgResult::OK)
        return;
    const QString path = AccountFolder() + name + QStringLiteral(".txl");
    if (IsOpenAccountFile(path)) {
        ShowMessage(QStringLiteral("该帐户数据已经打开,请先关闭!"), Orvanta, MsgIcon::Warning);
        return;
    }
    // A journal left beside it would be played into the next account of this name.
    DeleteDatabaseFile(path);
    close();
}

void Tfrmnewdataform::ShowHelp()
{
    for (const char *name : {"帮助.chm", "help.chm"}) {
        const QString path = ResourcePath(QString::fromUtf8(name));
        if (!path.isEmpty()) {
            OpenFileIfExists(path);
            return;
        }
    }
    ShowMessage(QStringLiteral("文件已经不存在！"), Orvanta, MsgIcon::None);
}
