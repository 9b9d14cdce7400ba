#include "transfer/export.h"
#include "shared/FormParts.h"

#include "shared/Utility.h"
#include "shared/UtilityDb.h"

#include "platform/ADODB.h"
#include "platform/UiServices.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");
const QString NextCaption = QStringLiteral("下一步(&N)");

QWidget *MakePage(const QString &name, QStackedWidget *pages)
{
    auto *page = new QWidget(pages);
    page->setObjectName(name);
    new QVBoxLayout(page);
    pages->addWidget(page);
    return page;
}

QVBoxLayout *PageLayout(QWidget *page)
{
    return static_cast<QVBoxLayout *>(page->layout());
}

// The page shows a few names; more would push the buttons off the window.
QString FailedNamesText(const QStringList &names)
{
    constexpr int Shown = 10;
    QString text = names.mid(0, Shown).join(QStringLiteral("、"));
    if (names.size() > Shown)
        text += QStringLiteral(" 等");
    return text + QStringLiteral("。");
}

} // namespace

Tfrmexport::Tfrmexport(TADOConnection *connection, QWidget *parent) : QDialog(parent), connection_(connection)
{
    setObjectName(QStringLiteral("frmexport"));
    setWindowTitle(QStringLiteral("导出..."));
    resize(480, 400);

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));

    page1 = MakePage(QStringLiteral("page1"), Notebook1);
    auto *label1 = new QLabel(QStringLiteral("导出文件另存为："), page1);
    Edit1 = new QLineEdit(page1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ShellTreeView1 = new QTreeView(page1);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    PageLayout(page1)->addWidget(label1);
    PageLayout(page1)->addWidget(Edit1);
    PageLayout(page1)->addWidget(ShellTreeView1, 1);

    page3 = MakePage(QStringLiteral("page3"), Notebook1);
    auto *label2 = new QLabel(QStringLiteral("导出进度："), page3);
    ProgressBar1 = new QProgressBar(page3);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setValue(0);
    Label3 = new QLabel(page3);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setTextFormat(Qt::PlainText);
    Label3->setWordWrap(true);
    Button1 = FormButton(QStringLiteral("察看结果"), "Button1", page3, TEnterPress::Focused);
    PageLayout(page3)->addWidget(label2);
    PageLayout(page3)->addWidget(ProgressBar1);
    PageLayout(page3)->addWidget(Label3);
    auto *viewRow = new QHBoxLayout;
    viewRow->addStretch();
    viewRow->addWidget(Button1);
    PageLayout(page3)->addLayout(viewRow);
    PageLayout(page3)->addStretch();

    page4 = MakePage(QStringLiteral("page4"), Notebook1);
    RadioButton1 = new QRadioButton(QStringLiteral("导出所有用户"), page4);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("只导组内用户"), page4);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    // The groups of the account, for reference only: the browser's selection decides what
    // "只导组内用户" exports, so a choice here must not look as if it did.
    ComboBox1 = new QComboBox(page4);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEnabled(false);
    PageLayout(page4)->addWidget(RadioButton1);
    PageLayout(page4)->addWidget(RadioButton2);
    PageLayout(page4)->addWidget(ComboBox1);
    PageLayout(page4)->addStretch();

    BitBtn1 = FormButton(QStringLiteral("上一步(&P)"), "BitBtn1", this, TEnterPress::Focused);
    BitBtn2 = FormButton(NextCaption, "BitBtn2", this, TEnterPress::Default);
    BitBtn3 = FormButton(QStringLiteral("退出(&E)"), "BitBtn3", this, TEnterPress::Focused);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Notebook1, 1);
    layout->addLayout(buttons);

    // Folders only, from the top of the file system, with the home folder in view.
    auto *folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QDir::rootPath());
    ShellTreeView1->setModel(folders);
    for (int column = 1; column < folders->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    ShellTreeView1->header()->hide();
    ShellTreeView1->setSortingEnabled(true);
    ShellTreeView1->sortByColumn(0, Qt::AscendingOrder);
    const QModelIndex home = folders->index(QDir::homePath());
    ShellTreeView1->expand(home.parent());
    ShellTreeView1->scrollTo(home);

    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { ShellTreeView1Change(current); });
    connect(BitBtn1, &QPushButton::clicked, this, &Tfrmexport::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tfrmexport::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &Tfrmexport::Button1Click);

    Notebook1->setCurrentWidget(page1);
    BitBtn1->setEnabled(false);
}

void Tfrmexport::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Edit1->clear();
}

void Tfrmexport::ShellTreeView1Change(const QModelIndex &current)
{
    if (const auto *folders = qobject_cast<const QFileSystemModel *>(current.model()))
        Edit1->setText(folders->filePath(current));
}

void Tfrmexport::BitBtn1Click()
{
    if (Notebook1->currentWidget() == page4)
        Notebook1->setCurrentWidget(page1);
    else if (Notebook1->currentWidget() == page3)
        Notebook1->setCurrentWidget(page4);
    // Only the first page has nothing before it.
    BitBtn1->setEnabled(Notebook1->currentWidget() != page1);
    BitBtn2->setEnabled(true);
    BitBtn2->setText(NextCaption);
}

void Tfrmexport::BitBtn2Click()
{
    FillGroupNames();
    QWidget *page = Notebook1->currentWidget();
    if (page == page1) {
        const QString folder = Edit1->text().trimmed();
        if (folder.isEmpty())
            return;
        if (!QFileInfo(folder).isDir()) {
            ShowMessage(QStringLiteral("文件夹不存在！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
            return;
        }
        Notebook1->setCurrentWidget(page4);
        BitBtn1->setEnabled(true);
        BitBtn2->setText(NextCaption);
    } else if (page == page4) {
        Notebook1->setCurrentWidget(page3);
        ProgressBar1->setValue(0);
        Label3->clear();
        BitBtn2->setText(QStringLiteral("导出"));
    } else {
        Export();
    }
}

void Tfrmexport::FillGroupNames()
{
    ComboBox1->clear();
    if (!connection_ || !connection_->Connected())
        return;
    TADOQuery query(connection_);
    if (RunQuery(&query, QStringLiteral("select uname from userinfo where nodetype=1 group by uname"))) {
        for (query.First(); !query.Eof(); query.Next())
            ComboBox1->addItem(query.Fields(0).AsString());
    }
    query.Close();
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
}

bool Tfrmexport::SelectedScope(TExportScope &scope) const
{
    const std::optional<TGroupTreeNode> node = SelectedNode ? SelectedNode() : std::nullopt;
    if (!node)
        return false;
    bool ok = false;
    const qint64 keyid = node->KeyId.trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    if (keyid == 0 || keyid == -1)
        scope = {TExportScope::AllContacts, 0};
    else if (node->NodeType == 2)
        scope = {TExportScope::OneContact, keyid};
    else
        scope = {TExportScope::GroupContacts, keyid};
    return true;
}

void Tfrmexport::Export()
{
    const QString folder = Edit1->text().trimmed();
    BitBtn1->setEnabled(false);
    BitBtn2->setEnabled(false);

    // Whatever comes of it, the wizard is left with 退出 alone.
    TExportScope scope;
    if (RadioButton2->isChecked() && !SelectedScope(scope)) {
        ShowMessage(QStringLiteral("请在人脉窗口选择用户！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
        return;
    }
    // The folder may have gone since the first page.
    if (!QFileInfo(folder).isDir()) {
        ShowMessage(QStringLiteral("文件夹不存在！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
        return;
    }

    const TExportResult result = WriteVCardFiles(folder, scope);
    if (!result.Ok) {
        Label3->setText(QStringLiteral("导出失败：") + result.Error);
        return;
    }
    if (result.Written + result.Failed == 0) {
        ProgressBar1->setMaximum(1);
        ProgressBar1->setValue(1);
    }
    QString text = QStringLiteral("共导出 %1 个名片文件。").arg(result.Written);
    if (result.Failed > 0)
        text += QStringLiteral("有 %1 个文件无法写入：").arg(result.Failed) + FailedNamesText(result.FailedNames);
    Label3->setText(text);
    BitBtn2->setText(QStringLiteral("完成"));
}

TExportResult Tfrmexport::WriteVCardFiles(const QString &folder, const TExportScope &scope)
{
    return ::WriteVCardFiles(connection_, folder, scope, [this](int done, int total) {
        ProgressBar1->setMaximum(total);
        ProgressBar1->setValue(done);
    });
}

void Tfrmexport::Button1Click()
{
    const QString folder = Edit1->text().trimmed();
    if (QFileInfo(folder).isDir())
        ShellOpen(folder);
}
