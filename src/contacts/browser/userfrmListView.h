#pragma once
// The contact list of the browser: one item model shown by a report view and by an icon/list
// view that share one selection, the level-star delegate, and the browser's small image list.
#include "shared/NodeRecord.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QListView>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDropEvent;
class QItemSelectionModel;
class QStackedLayout;

// The private drag format of the browser: the dragged rows' keyids, comma separated.
inline const QString KeyidsMimeType = QStringLiteral("application/x-orvanta-keyids");

// Images of the browser's image list by their historical index: 1 the tree root and tags,
// 3 a male contact, 4 a female contact, 5 any other contact, 7 a group, 8 a quick view.
QIcon BrowserIcon(int index);
// The 70 × 16 star strips levelimg1..levelimg5 (one to five stars lit).
QPixmap LevelImage(int number);
// The strip for a level text: "4" → 5, "3" → 4, "2" → 3, "1" → 2, anything else → 1.
int LevelImageNumber(const QString &ulevel);

struct TListRow {
    std::unique_ptr<TIQ> record;
    QString caption;
    QStringList subItems;
    int image = 5;
};

// A row of the list as it was read: what the page needs of every row, and the row's values in
// one buffer that the page's maker turns into a TListRow when the row is first looked at. Lists
// of many thousand rows thus cost one buffer a row until they are shown.
struct TListEntry {
    qint64 key = 0;
    bool contact = false;  // nodetype "2"
    bool group = false;    // nodetype "1"
    std::string values;
    mutable std::unique_ptr<TListRow> row;  // made on first use; set from the start by SetRows
};
using TListRowMaker = std::function<TListRow(const TListEntry &entry)>;

class TContactListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetColumns(const QStringList &fields, const QStringList &captions);
    const QStringList &ColumnFields() const { return fields_; }

    void SetRows(std::vector<TListRow> rows);
    // Rows made by `maker` when they are first needed.
    void SetEntries(std::vector<TListEntry> entries, TListRowMaker maker);
    void Clear() { SetRows({}); }
    int Count() const { return int(rows_.size()); }
    TListRow &Row(int row) { return Made(row); }
    const TListRow &Row(int row) const { return Made(row); }
    // Without making the row.
    qint64 Key(int row) const { return rows_[size_t(row)].key; }
    bool IsContact(int row) const { return rows_[size_t(row)].contact; }
    bool IsGroup(int row) const { return rows_[size_t(row)].group; }
    void RemoveRowsAt(QList<int> rows);
    void SetCaption(int row, const QString &caption) { SetText(row, 0, caption); }
    // Column 0 is the caption, column i the sub-item i - 1.
    void SetText(int row, int column, const QString &text);
    // Puts the rows in a new order: new row i is old row order[i]. Selection follows the rows.
    void Reorder(const std::vector<int> &order);

    // A caption typed in place: the handler may change the text (it stores what it got back);
    // false refuses the edit and the caption stays.
    std::function<bool(int row, QString &text)> OnEdited;
    std::function<bool(int row)> CanEdit;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

private:
    TListRow &Made(int row) const;

    QStringList fields_;
    QStringList captions_;
    std::vector<TListEntry> rows_;
    TListRowMaker maker_;
};

// Draws the level stars in report style, in the column that shows ulevel, for contact rows.
class TLevelStarDelegate final : public QStyledItemDelegate
{
public:
    TLevelStarDelegate(const TContactListModel *model, QObject *parent)
        : QStyledItemDelegate(parent), model_(model) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const TContactListModel *model_;
};

// Drag glue shared by both views: the page decides; Qt never moves rows by itself.
struct TListDragHandlers {
    std::function<bool(QDropEvent *event, int row)> DragOver;
    std::function<void(QDropEvent *event, int row)> Drop;
};

class TListReportView final : public QTreeView
{
public:
    TListReportView(TListDragHandlers *handlers, QWidget *parent);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    TListDragHandlers *handlers_;
};

class TListIconView final : public QListView
{
public:
    TListIconView(TListDragHandlers *handlers, QWidget *parent);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    TListDragHandlers *handlers_;
};

// `ListView1`: view styles 0 large icons, 1 small icons, 2 list, 3 report.
class TContactListView final : public QWidget
{
    Q_OBJECT
public:
    explicit TContactListView(QWidget *parent = nullptr);

    TContactListModel *Model() const { return model_; }
    QTreeView *ReportView() const { return report_; }
    QListView *IconView() const { return icons_; }
    QAbstractItemView *ActiveView() const;
    QItemSelectionModel *Selection() const;
    TListDragHandlers DragHandlers;

    int ViewStyle() const { return viewStyle_; }
    void SetViewStyle(int style);

    int Count() const { return model_->Count(); }
    QList<int> SelectedRows() const;  // ascending
    int SelectedCount() const;
    int ItemIndex() const;            // the first selected row, -1 when none
    void SelectRow(int row);          // the only selected row, and the current one
    void ClearSelection();
    void SelectAll();
    void InvertSelection();
    void EditCaption(int row);
    int RowAt(const QPoint &viewportPos) const;

    QList<int> ColumnWidths() const;
    void SetColumnWidth(int column, int width);

private:
    TContactListModel *model_;
    TListReportView *report_;
    TListIconView *icons_;
    QStackedLayout *stack_;
    int viewStyle_ = 0;
};
