#include "transfer/inputcsv.h"

#include "shared/AppGlobals.h"
#include "transfer/ContactTransfer.h"
#include "transfer/CsvFormat.h"
#include "transfer/selectfield.h"

#include "themed/SpTBXDkPanels.h"
#include "toolbar/TB2Common.h"

#include "platform/UiServices.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

// Columns of ListView1.
constexpr int FileColumn = 0;
constexpr int CaptionColumn = 1;
constexpr int NameColumn = 2;

// A header item is shown no longer than this; a file without line ends would otherwise make
// one row of megabytes.
constexpr int ShownCaptionLength = 200;

// A header of more items than this is no list of contact fields; splitting it could take all the
// memory there is.
constexpr qsizetype MaxHeaderItems = 1000;

// Every row of the field list is as tall as one that shows a Chinese caption, whatever it shows:
// a header item that is empty, or in Latin letters only, would otherwise make a row lower than
// the others and than its check box.
class TFieldRowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        row.text = QStringLiteral("字");
        row.features |= QStyleOptionViewItem::HasDisplay;
        const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
        size.setHeight(std::max(size.height(),
                                style->sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(), option.widget).height()));
        return size;
    }
};

QWidget *MakePage(const QString &name, int step, const QString &title, QStackedWidget *pages)
{
    auto *page = new QWidget(pages);
    page->setObjectName(name);
    auto *layout = new QVBoxLayout(page);
    auto *heading = new QLabel(title, page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto *steps = new QHBoxLayout;
    steps->addWidget(new QLabel(QStringLiteral("当前第 %1 步").arg(step), page));
    steps->addStretch();
    steps->addWidget(new QLabel(QStringLiteral("本向导完成需要 3 步"), page));
    layout->addLayout(steps);
    pages->addWidget(page);
    return page;
}

} // namespace

Tfrminputcsv::Tfrminputcsv(TADOConnection *connection, QWidget *parent) : QDialog(parent), connection_(connection)
{
    setObjectName(QStringLiteral("frminputcsv"));
    setWindowTitle(QStringLiteral("导入 CSV 文件"));
    resize(520, 400);

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    TabSheet1 = MakePage(QStringLiteral("TabSheet1"), 1, QStringLiteral("第 1 步：选择要导入的文件名"), PageControl1);
    Edit1 = new QLineEdit(TabSheet1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    SpTBXButton4 = MakeButton(QStringLiteral("浏览"), "SpTBXButton4", TabSheet1, [this] { SpTBXButton4Click(); });
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(Edit1, 1);
    fileRow->addWidget(SpTBXButton4);
    auto *page1 = static_cast<QVBoxLayout *>(TabSheet1->layout());
    page1->addLayout(fileRow);
    page1->addStretch();

    TabSheet2 = MakePage(QStringLiteral("TabSheet2"), 2, QStringLiteral("第 2 步：字段映射"), PageControl1);
    ListView1 = new QTreeWidget(TabSheet2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("文本文件中的字段"), QStringLiteral("人脉中的字段"), QString()});
    ListView1->setColumnWidth(FileColumn, 160);
    ListView1->setColumnWidth(CaptionColumn, 155);
    ListView1->setColumnWidth(NameColumn, 1);
    ListView1->setColumnHidden(NameColumn, true);
    ListView1->setItemDelegate(new TFieldRowDelegate(ListView1));
    SpTBXButton5 = MakeButton(QStringLiteral("映射"), "SpTBXButton5", TabSheet2, [this] { SpTBXButton5Click(); });
    SpTBXButton6 = MakeButton(QStringLiteral("全选"), "SpTBXButton6", TabSheet2, [this] { SpTBXButton6Click(); });
    SpTBXButton7 = MakeButton(QStringLiteral("清空"), "SpTBXButton7", TabSheet2, [this] { SpTBXButton7Click(); });
    auto *listButtons = new QVBoxLayout;
    listButtons->addWidget(SpTBXButton5);
    listButtons->addWidget(SpTBXButton6);
    listButtons->addWidget(SpTBXButton7);
    listButtons->addStretch();
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(ListView1, 1);
    listRow->addLayout(listButtons);
    static_cast<QVBoxLayout *>(TabSheet2->layout())->addLayout(listRow, 1);

    TabSheet3 = MakePage(QStringLiteral("TabSheet3"), 3, QStringLiteral("第 3 步：导入完成"), PageControl1);
    Label9 = new QLabel(TabSheet3);
    Label9->setTextFormat(Qt::PlainText);
    Label9->setObjectName(QStringLiteral("Label9"));
    auto *page3 = static_cast<QVBoxLayout *>(TabSheet3->layout());
    page3->addWidget(Label9);
    page3->addStretch();

    SpTBXButton1 = MakeButton(QStringLiteral("<  上一步 (&P)"), "SpTBXButton1", this, [this] { SpTBXButton1Click(); });
    SpTBXButton2 = MakeButton(QStringLiteral("下一步 (&N)  >"), "SpTBXButton2", this, [this] { SpTBXButton2Click(); });
    SpTBXButton3 = MakeButton(QStringLiteral("取消 (&C)"), "SpTBXButton3", this, [this] { reject(); });
    SpTBXButton2->SetDefault(true);
    SpTBXButton3->SetCancel(true);
    SpTBXButton1->SetVisible(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpTBXButton1);
    buttons->addWidget(SpTBXButton2);
    buttons->addWidget(SpTBXButton3);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *row) {
        ListView1->setCurrentItem(row);
        SpTBXButton5Click();
    });
    connect(ListView1, &QTreeWidget::itemChanged, this, &Tfrminputcsv::RowChanged);

    PageControl1->setCurrentWidget(TabSheet1);
}

TSpTBXButton *Tfrminputcsv::MakeButton(const QString &caption, const char *name, QWidget *parent,
                                       std::function<void()> click)
{
    auto *button = new TSpTBXButton(nullptr);
    button->setParent(parent);
    button->setObjectName(QLatin1String(name));
    button->SetCaption(caption);
    button->SetThemeType(TSpTBXThemeType::thtTBX);
    // As wide as its caption, and never narrower than a standard button.
    const int width = std::max(75, button->fontMetrics().horizontalAdvance(StripAccelChars(caption)) + 24);
    button->setFixedSize(width, 25);
    button->OnClick = [click = std::move(click)](TComponent *) { click(); };
    button->installEventFilter(this);
    buttons_ << button;
    return button;
}

bool Tfrminputcsv::eventFilter(QObject *watched, QEvent *event)
{
    // A focused button takes every key it is given; the dialog's keys go round the buttons first.
    if (event->type() == QEvent::KeyPress && DialogKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void Tfrminputcsv::keyPressEvent(QKeyEvent *event)
{
    if (!DialogKey(event))
        QDialog::keyPressEvent(event);
}

bool Tfrminputcsv::DialogKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    UINT msg = CM_DIALOGKEY;
    WPARAM key = 0;
    if (mods == Qt::NoModifier && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        key = VK_RETURN;
    else if (mods == Qt::NoModifier && event->key() == Qt::Key_Escape)
        key = VK_ESCAPE;
    else if (mods == Qt::AltModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
        msg = CM_DIALOGCHAR;
        key = WPARAM(QChar(event->key()).toLower().unicode());
    } else
        return false;
    for (TSpTBXButton *button : std::as_const(buttons_)) {
        if (button->isVisible() && button->isEnabled() && button->Perform(msg, key) != 0)
            return true;
    }
    return false;
}

void Tfrminputcsv::SpTBXButton4Click()
{
    const QString file =
        Dialogs().OpenFileName(this, QStringLiteral("选择文件..."), QString(), QStringLiteral("CSV(*.csv)"));
    if (file.isEmpty())
        return;
    Edit1->setText(file);
    SpTBXButton2Click();
}

void Tfrminputcsv::SpTBXButton1Click()
{
    const int page = PageControl1->currentIndex();
    if (page > 0)
        PageControl1->setCurrentIndex(page - 1);
    SpTBXButton1->SetVisible(PageControl1->currentIndex() > 0);
}

void Tfrminputcsv::SpTBXButton2Click()
{
    QWidget *page = PageControl1->currentWidget();
    if (page == TabSheet1)
        GoToFieldPage();
    else if (page == TabSheet2)
        ImportRecords();
    else
        accept();
}

void Tfrminputcsv::GoToFieldPage()
{
    SpTBXButton1->SetVisible(true);
    const QString path = Edit1->text().trimmed();
    // Only the header is read here; the records are read one by one as they are imported, so a
    // file of any size is never held whole.
    TCsvFileReader reader;
    reader.SetKeptFields(MaxHeaderItems + 1);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !reader.Open(path)) {
        ShowMessage(QStringLiteral("文件不存在！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
        return;
    }
    QStringList header;
    qsizetype width = 0;
    reader.Next(header, &width);
    if (width > MaxHeaderItems) {
        ShowMessage(QStringLiteral("文件的第一行超过 %1 项，不是可以导入的 CSV 文件。").arg(MaxHeaderItems), Orvanta,
                    MsgIcon::Warning, MsgButtons::OK, this);
        return;
    }
    path_ = path;
    PageControl1->setCurrentWidget(TabSheet2);
    FillFieldList(header);
    if (ListView1->topLevelItemCount() > 0)
        ListView1->setFocus();
}

void Tfrminputcsv::FillFieldList(const QStringList &header)
{
    filling_ = true;
    ListView1->clear();
    QStringList items;
    for (const QString &item : header)
        items << item.trimmed();
    // The comma every field ends with leaves an empty item behind the last one.
    while (!items.isEmpty() && items.last().isEmpty())
        items.removeLast();

    QList<QTreeWidgetItem *> rows;
    for (const QString &item : items) {
        auto *row = new QTreeWidgetItem({item.left(ShownCaptionLength), QString(), QString()});
        row->setData(FileColumn, Qt::UserRole, item);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(FileColumn, Qt::Unchecked);
        rows << row;
    }
    for (const TCsvMapping &mapping : CaptionMappings(items, FieldCaptions)) {
        QTreeWidgetItem *row = rows[mapping.Item];
        row->setCheckState(FileColumn, Qt::Checked);
        row->setText(CaptionColumn, mapping.Caption);
        row->setText(NameColumn, mapping.Column);
    }
    ListView1->addTopLevelItems(rows);
    filling_ = false;
}

void Tfrminputcsv::SpTBXButton5Click()
{
    if (QTreeWidgetItem *row = ListView1->currentItem())
        MapRow(row);
}

void Tfrminputcsv::MapRow(QTreeWidgetItem *row)
{
    Tfrmselectfield picker(this);
    picker.SelectField(row->text(NameColumn), row->data(FileColumn, Qt::UserRole).toString());
    const bool chosen = picker.exec() == QDialog::Accepted && picker.CheckedField();
    filling_ = true;
    if (chosen) {
        QRadioButton *field = picker.CheckedField();
        row->setCheckState(FileColumn, Qt::Checked);
        row->setText(CaptionColumn, field->text());
        row->setText(NameColumn, field->objectName());
    } else if (row->checkState(FileColumn) == Qt::Checked && row->text(NameColumn).isEmpty()) {
        row->setCheckState(FileColumn, Qt::Unchecked);
    }
    filling_ = false;
}

void Tfrminputcsv::RowChanged(QTreeWidgetItem *row, int column)
{
    // A row the user checks without a mapping asks for one; after the click has been handled.
    if (filling_ || column != FileColumn || row->checkState(FileColumn) != Qt::Checked ||
        !row->text(NameColumn).isEmpty())
        return;
    ListView1->setCurrentItem(row);
    QMetaObject::invokeMethod(
        this,
        [this, row] {
            for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
                if (ListView1->topLevelItem(i) == row && row->checkState(FileColumn) == Qt::Checked &&
                    row->text(NameColumn).isEmpty()) {
                    MapRow(row);
                    return;
                }
            }
        },
        Qt::QueuedConnection);
}

void Tfrminputcsv::SpTBXButton6Click()
{
    filling_ = true;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = ListView1->topLevelItem(i);
        if (!row->text(NameColumn).trimmed().isEmpty())
            row->setCheckState(FileColumn, Qt::Checked);
    }
    filling_ = false;
}

void Tfrminputcsv::SpTBXButton7Click()
{
    filling_ = true;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(FileColumn, Qt::Unchecked);
    filling_ = false;
}

void Tfrminputcsv::ImportRecords()
{
    QList<TCsvMapping> mappings;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = ListView1->topLevelItem(i);
        const QString column = row->text(NameColumn).trimmed();
        if (row->checkState(FileColumn) == Qt::Checked && !column.isEmpty())
            mappings.push_back({i, row->text(CaptionColumn), column});
    }
    // The file is read again record by record; each becomes a contact only as it is added.
    TCsvFileReader reader;
    QStringList header;
    if (!reader.Open(path_)) {
        ShowMessage(QStringLiteral("文件不存在！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
        return;
    }
    reader.Next(header);
    const int badLines = reader.BadLines();
    const TImportResult result = ImportCsvRecords(connection_, reader, mappings, Clock().Now());
    if (!result.Ok) {
        ShowMessage(QStringLiteral("导入失败，没有导入任何人脉记录。\n") + result.Error, Orvanta, MsgIcon::Warning,
                    MsgButtons::OK, this);
        return;
    }
    QString report = QStringLiteral("共导入 %1 条人脉记录").arg(result.Imported);
    if (result.Unkept > 0)
        report += QStringLiteral("，另有 %1 个生日的写法无法识别，未导入。").arg(result.Unkept);
    if (badLines > 0)
        report += QStringLiteral("\n文件中有 %1 行含有无法识别的字符，已用“\uFFFD”代替。").arg(badLines);
    Label9->setText(report);
    if (result.Imported > 0 && OnImported)
        OnImported();
    PageControl1->setCurrentWidget(TabSheet3);
    SpTBXButton1->SetVisible(false);
    SpTBXButton2->SetCaption(QStringLiteral("完成"));
    SpTBXButton3->SetEnabled(false);
}
