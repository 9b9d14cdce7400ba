#include "browser/userfrmListView.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QStackedLayout>
#include <QtMath>
#include <algorithm>

namespace {

const QColor Ink(0x2b, 0x5d, 0x9c);

void PaintPerson(QPainter &p, qreal s, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(s * 0.32, s * 0.06, s * 0.36, s * 0.36));
    QPainterPath body;
    body.moveTo(s * 0.12, s * 0.96);
    body.cubicTo(s * 0.12, s * 0.42, s * 0.88, s * 0.42, s * 0.88, s * 0.96);
    body.closeSubpath();
    p.drawPath(body);
}

QPixmap PaintIcon(int index, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (index) {
    case 1:  // root and tags: an address book
        p.setPen(QPen(Ink.darker(120), s * 0.06));
        p.setBrush(QColor(0x5b, 0x8f, 0xd0));
        p.drawRoundedRect(QRectF(s * 0.18, s * 0.08, s * 0.66, s * 0.84), s * 0.08, s * 0.08);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(s * 0.4, s * 0.24, s * 0.24, s * 0.24));
        p.drawRect(QRectF(s * 0.34, s * 0.56, s * 0.36, s * 0.14));
        break;
    case 3:
        PaintPerson(p, s, QColor(0x2e, 0x6f, 0xc9));
        break;
    case 4:
        PaintPerson(p, s, QColor(0xd9, 0x4f, 0x8a));
        break;
    case 7: {  // group: a folder
        p.setPen(QPen(QColor(0xb8, 0x86, 0x1c), s * 0.05));
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        QPainterPath folder;
        folder.moveTo(s * 0.06, s * 0.2);
        folder.lineTo(s * 0.4, s * 0.2);
        folder.lineTo(s * 0.48, s * 0.3);
        folder.lineTo(s * 0.94, s * 0.3);
        folder.lineTo(s * 0.94, s * 0.86);
        folder.lineTo(s * 0.06, s * 0.86);
        folder.closeSubpath();
        p.drawPath(folder);
        break;
    }
    case 8: {  // quick view: a magnifier over a person
        PaintPerson(p, s * 0.8, Ink.lighter(150));
        p.setPen(QPen(QColor(0xe0, 0x8a, 0x1e), s * 0.11));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.42, s * 0.42, s * 0.34, s * 0.34));
        p.drawLine(QPointF(s * 0.72, s * 0.72), QPointF(s * 0.92, s * 0.92));
        break;
    }
    default:
        PaintPerson(p, s, QColor(0x80, 0x80, 0x80));
        break;
    }
    return pixmap;
}

QPolygonF Star(const QPointF &centre, qreal outer)
{
    QPolygonF star;
    const qreal inner = outer * 0.45;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    }
    return star;
}

} // namespace

QIcon BrowserIcon(int index)
{
    static QHash<int, QIcon> made;
    auto found = made.constFind(index);
    if (found != made.constEnd())
        return *found;
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(PaintIcon(index, size));
    made.insert(index, icon);
    return icon;
}

QPixmap LevelImage(int number)
{
    static QPixmap strips[6];
    number = std::clamp(number, 1, 5);
    if (strips[number].isNull()) {
        QPixmap pixmap(70, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 5; ++i) {
            const bool lit = i < number;
            p.setPen(QPen(lit ? QColor(0xc8, 0x8a, 0x00) : QColor(0xb0, 0xb0, 0xb0), 1));
            p.setBrush(lit ? QColor(0xff, 0xc8, 0x1e) : QColor(0xe8, 0xe8, 0xe8));
            p.drawPolygon(Star(QPointF(7 + i * 14, 8.5), 6.5));
        }
        strips[number] = pixmap;
    }
    return strips[number];
}

int LevelImageNumber(const QString &ulevel)
{
    const QString level = ulevel.trimmed();
    if (level == QLatin1String("4"))
        return 5;
    if (level == QLatin1String("3"))
        return 4;
    if (level == QLatin1String("2"))
        return 3;
    if (level == QLatin1String("1"))
        return 2;
    return 1;
}

// Model ----------------------------------------------------------------------------------------

void TContactListModel::SetColumns(const QStringList &fields, const QStringList &captions)
{
    beginResetModel();
    fields_ = fields;
    captions_ = captions;
    endResetModel();
}

void TContactListModel::SetRows(std::vector<TListRow> rows)
{
    std::vector<TListEntry> entries(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (const TIQ *record = rows[i].record.get()) {
            entries[i].key = record->Key();
            entries[i].contact = record->IsContact();
            entries[i].group = record->IsGroup();
        }
        entries[i].row = std::make_unique<TListRow>(std::move(rows[i]));
    }
    SetEntries(std::move(entries), nullptr);
}

void TContactListModel::SetEntries(std::vector<TListEntry> entries, TListRowMaker maker)
{
    beginResetModel();
    rows_ = std::move(entries);
    maker_ = std::move(maker);
    endResetModel();
}

TListRow &TContactListModel::Made(int row) const
{
    const TListEntry &entry = rows_[size_t(row)];
    if (!entry.row) {
        entry.row = std::make_unique<TListRow>(maker_ ? maker_(entry) : TListRow());
        // The buffer has served its purpose.
        std::string().swap(const_cast<TListEntry &>(entry).values);
    }
    return *entry.row;
}

void TContactListModel::RemoveRowsAt(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int row) { return row < 0 || row >= Count(); }),
               rows.end());
    if (rows.isEmpty())
        return;
    if (rows.size() == 1) {
        beginRemoveRows({}, rows.first(), rows.first());
        rows_.erase(rows_.begin() + rows.first());
        endRemoveRows();
        return;
    }
    // Many rows at once: one pass over the list instead of one erase per row.
    beginResetModel();
    std::vector<TListEntry> kept;
    kept.reserve(rows_.size() - size_t(rows.size()));
    for (int row = 0, next = 0; row < Count(); ++row) {
        if (next < rows.size() && rows[next] == row)
            ++next;
        else
            kept.push_back(std::move(rows_[size_t(row)]));
    }
    rows_ = std::move(kept);
    endResetModel();
}

void TContactListModel::SetText(int row, int column, const QString &text)
{
    if (row < 0 || row >= Count() || column < 0)
        return;
    TListRow &item = Made(row);
    if (column == 0) {
        item.caption = text;
    } else {
        while (item.subItems.size() < column)
            item.subItems << QString();
        item.subItems[column - 1] = text;
    }
    emit dataChanged(index(row, column), index(row, column));
}

void TContactListModel::Reorder(const std::vector<int> &order)
{
    if (order.size() != rows_.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<TListEntry> sorted;
    sorted.reserve(rows_.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[size_t(order[i])] = int(i);
        sorted.push_back(std::move(rows_[size_t(order[i])]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex &old : before)
        after << index(newRowOf[size_t(old.row())], old.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TContactListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TContactListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, int(fields_.size()));
}

QVariant TContactListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Count())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const TListRow &row = Made(index.row());
        if (column == 0)
            return row.caption;
        return column - 1 < row.subItems.size() ? row.subItems[column - 1] : QString();
    }
    case Qt::DecorationRole:
        return column == 0 ? QVariant(BrowserIcon(Made(index.row()).image)) : QVariant();
    default:
        return {};
    }
}

QVariant TContactListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section < captions_.size() ? captions_[section] : QString();
}

Qt::ItemFlags TContactListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (index.column() == 0 && CanEdit && CanEdit(index.row()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TContactListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || !OnEdited)
        return false;
    QString text = value.toString();
    if (!OnEdited(index.row(), text))
        return false;
    SetCaption(index.row(), text);
    return true;
}

QStringList TContactListModel::mimeTypes() const
{
    return {KeyidsMimeType};
}

QMimeData *TContactListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (!rows.contains(index.row()))
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    QStringList keys;
    for (int row : rows) {
        if (const TIQ *record = Row(row).record.get())
            keys << record->keyid;
    }
    auto *data = new QMimeData;
    data->setData(KeyidsMimeType, keys.join(',').toLatin1());
    return data;
}

// Stars --------------------------------------------------------------------------------------

void TLevelStarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QStringList &fields = model_->ColumnFields();
    if (index.column() >= fields.size() || fields[index.column()].compare(QLatin1String("ulevel"), Qt::CaseInsensitive) != 0)
        return;
    const TIQ *record = model_->Row(index.row()).record.get();
    if (!record || record->IsGroup())
        return;
    painter->drawPixmap(option.rect.topLeft(), LevelImage(LevelImageNumber(record->ulevel)));
}

// Views ----------------------------------------------------------------------------------------

namespace {

// In list mode Qt gives an item the width its caption asks even on a grid, so a long name runs
// over the next cells. An item is kept to its cell; the view cuts the caption with an ellipsis.
class TGridCellDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        const auto *view = qobject_cast<const QListView *>(option.widget);
        const QSize grid = view ? view->gridSize() : QSize();
        return grid.isValid() ? size.boundedTo(grid) : size;
    }
};

void StartDrag(QAbstractItemView *view)
{
    const QModelIndexList indexes = view->selectionModel()->selectedIndexes();
    if (indexes.isEmpty())
        return;
    auto *drag = new QDrag(view);
    drag->setMimeData(view->model()->mimeData(indexes));
    // Whatever the target answers, the rows stay: the page moves them after the database did.
    drag->exec(Qt::MoveAction);
}

template <class Event>
void AcceptWhen(Event *event, bool ok)
{
    if (ok) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

bool CanDrop(TListDragHandlers *handlers, QAbstractItemView *view, QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(KeyidsMimeType) || !handlers->DragOver)
        return false;
    return handlers->DragOver(event, view->indexAt(event->position().toPoint()).row());
}

void Drop(TListDragHandlers *handlers, QAbstractItemView *view, QDropEvent *event)
{
    const bool ok = CanDrop(handlers, view, event);
    AcceptWhen(event, ok);
    if (ok && handlers->Drop)
        handlers->Drop(event, view->indexAt(event->position().toPoint()).row());
}

} // namespace

TListReportView::TListReportView(TListDragHandlers *handlers, QWidget *parent) : QTreeView(parent), handlers_(handlers) {}

void TListReportView::startDrag(Qt::DropActions) { StartDrag(this); }

void TListReportView::dragEnterEvent(QDragEnterEvent *event)
{
    AcceptWhen(event, event->mimeData()->hasFormat(KeyidsMimeType));
}

void TListReportView::dragMoveEvent(QDragMoveEvent *event) { AcceptWhen(event, CanDrop(handlers_, this, event)); }

void TListReportView::dropEvent(QDropEvent *event) { Drop(handlers_, this, event); }

TListIconView::TListIconView(TListDragHandlers *handlers, QWidget *parent) : QListView(parent), handlers_(handlers) {}

void TListIconView::startDrag(Qt::DropActions) { StartDrag(this); }

void TListIconView::dragEnterEvent(QDragEnterEvent *event)
{
    AcceptWhen(event, event->mimeData()->hasFormat(KeyidsMimeType));
}

void TListIconView::dragMoveEvent(QDragMoveEvent *event) { AcceptWhen(event, CanDrop(handlers_, this, event)); }

void TListIconView::dropEvent(QDropEvent *event) { Drop(handlers_, this, event); }

TContactListView::TContactListView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    model_ = new TContactListModel(this);
    report_ = new TListReportView(&DragHandlers, this);
    report_->setObjectName(QStringLiteral("ListView1Report"));
    icons_ = new TListIconView(&DragHandlers, this);
    icons_->setObjectName(QStringLiteral("ListView1Icons"));

    report_->setModel(model_);
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setUniformRowHeights(true);
    report_->setAllColumnsShowFocus(true);
    report_->setItemDelegate(new TLevelStarDelegate(model_, report_));
    report_->header()->setSectionsClickable(true);
    report_->header()->setSectionsMovable(false);
    report_->header()->setStretchLastSection(false);

    icons_->setModel(model_);
    icons_->setItemDelegate(new TGridCellDelegate(icons_));
    icons_->setSelectionModel(report_->selectionModel());
    icons_->setUniformItemSizes(false);
    icons_->setLayoutMode(QListView::Batched);
    icons_->setBatchSize(500);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setWrapping(true);

    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(report_), static_cast<QAbstractItemView *>(icons_)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        view->setDragEnabled(true);
        view->setAcceptDrops(true);
        view->setDropIndicatorShown(false);
        view->setDragDropMode(QAbstractItemView::DragDrop);
        view->setDefaultDropAction(Qt::MoveAction);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
    }

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(icons_);
    stack_->addWidget(report_);
    SetViewStyle(0);
}

QAbstractItemView *TContactListView::ActiveView() const
{
    return viewStyle_ == 3 ? static_cast<QAbstractItemView *>(report_) : static_cast<QAbstractItemView *>(icons_);
}

QItemSelectionModel *TContactListView::Selection() const
{
    return report_->selectionModel();
}

void TContactListView::SetViewStyle(int style)
{
    if (style < 0 || style > 3)
        return;
    viewStyle_ = style;
    if (style == 3) {
        stack_->setCurrentWidget(report_);
        return;
    }
    icons_->setViewMode(style == 0 ? QListView::IconMode : QListView::ListMode);
    icons_->setIconSize(style == 0 ? QSize(32, 32) : QSize(16, 16));
    icons_->setFlow(style == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setMovement(QListView::Static);
    // A list view without free movement switches dragging and dropping off whenever its mode or
    // movement is set; contacts are dragged onto groups in every view.
    icons_->setDragDropMode(QAbstractItemView::DragDrop);
    icons_->viewport()->setAcceptDrops(true);
    icons_->setGridSize(style == 0 ? QSize(84, 76) : style == 1 ? QSize(150, 20) : QSize());
    icons_->setWordWrap(false);
    icons_->setTextElideMode(Qt::ElideRight);
    stack_->setCurrentWidget(icons_);
}

QList<int> TContactListView::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : Selection()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TContactListView::SelectedCount() const
{
    return int(Selection()->selectedRows().size());
}

int TContactListView::ItemIndex() const
{
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void TContactListView::SelectRow(int row)
{
    if (row < 0 || row >= Count())
        return;
    const QModelIndex index = model_->index(row, 0);
    Selection()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ActiveView()->scrollTo(index);
}

void TContactListView::ClearSelection()
{
    Selection()->clearSelection();
}

void TContactListView::SelectAll()
{
    if (Count() == 0)
        return;
    Selection()->select(QItemSelection(model_->index(0, 0), model_->index(Count() - 1, model_->columnCount() - 1)),
                        QItemSelectionModel::Select);
}

void TContactListView::InvertSelection()
{
    if (Count() == 0)
        return;
    Selection()->select(QItemSelection(model_->index(0, 0), model_->index(Count() - 1, model_->columnCount() - 1)),
                        QItemSelectionModel::Toggle);
}

void TContactListView::EditCaption(int row)
{
    if (row < 0 || row >= Count())
        return;
    QAbstractItemView *view = ActiveView();
    view->setCurrentIndex(model_->index(row, 0));
    view->edit(model_->index(row, 0));
}

int TContactListView::RowAt(const QPoint &viewportPos) const
{
    return ActiveView()->indexAt(viewportPos).row();
}

QList<int> TContactListView::ColumnWidths() const
{
    QList<int> widths;
    for (int i = 0; i < model_->columnCount(); ++i)
        widths << report_->header()->sectionSize(i);
    return widths;
}

void TContactListView::SetColumnWidth(int column, int width)
{
    report_->header()->resizeSection(column, width);
}
