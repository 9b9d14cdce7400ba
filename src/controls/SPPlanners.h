#pragma once
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/ImgList.h"
#include "platform/Types.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Plan items, the source that owns them, and the planner controls that show a source.
// A source keeps its items sorted and tells every linked planner when they change; planners
// draw whatever their source holds and never own items.

class TSPCustomSource;
class TSPPlanItem;

// Image indexes painted in front of an item's text. Grows in steps of eight.
class TSPPlanIcons
{
public:
    TSPPlanIcons();

    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(icons_.size()); }
    // Raises Exception for an index outside 0..Count-1.
    int Icons(int index) const;
    // Returns the position of the new entry.
    int AddIcon(int imageIndex);
    void Assign(const TSPPlanIcons &source);

    std::function<void()> OnChange;

private:
    int count_ = 0;
    std::vector<int> icons_;
};

class TSPPlanItem
{
public:
    TSPPlanItem();
    // Leaves the source's list; the source tells its planners at once, also inside an update.
    virtual ~TSPPlanItem();
    TSPPlanItem(const TSPPlanItem &) = delete;
    TSPPlanItem &operator=(const TSPPlanItem &) = delete;

    TSPCustomSource *Source() const { return source_; }

    bool AllDay() const { return allDay_; }
    void SetAllDay(bool value);
    void *Data() const { return data_; }
    void SetData(void *value) { data_ = value; }
    const QString &Text() const { return text_; }
    void SetText(const QString &value);
    TDateTime StartTime() const { return startTime_; }
    // A start after the end drags the end along.
    void SetStartTime(TDateTime value);
    TDateTime EndTime() const { return endTime_; }
    // Raises Exception("End time cannot be earlier than start time") and keeps the old end
    // for a value before the start.
    void SetEndTime(TDateTime value);
    TSPPlanIcons &Icons() { return icons_; }
    const TSPPlanIcons &Icons() const { return icons_; }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { color_ = value; }
    bool Private() const { return private_; }
    void SetPrivate(bool value) { private_ = value; }
    const QString &Resource() const { return resource_; }
    void SetResource(const QString &value);
    std::uint8_t Kind() const { return kind_; }
    void SetKind(std::uint8_t value) { kind_ = value; }
    const QString &Category() const { return category_; }
    void SetCategory(const QString &value) { category_ = value; }
    // A locked item can be selected but not moved, resized, dragged or edited in place.
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }

    // Shifts both times by a number of days.
    void MoveBy(double days);
    // Raises the source's OnItemSave, then remembers the values for Cancel.
    void Save();
    // Brings back the values of the last Save.
    void Cancel();
    // Copies the values and icons (not source, data, category or lock), then remembers them.
    virtual void Assign(const TSPPlanItem &source);

    // Re-sorts the source and tells it of the change (only marked while the source updates).
    virtual void Changed();

private:
    friend class TSPCustomSource;
    struct Values {
        bool allDay = false;
        QString text;
        TDateTime endTime = 0;
        TDateTime startTime = 0;
        TColor color = clNone;
        bool isPrivate = false;
        QString resource;
        std::uint8_t kind = 2;
    };
    Values Current() const;
    void TakeSavedCopies() { saved_ = Current(); }

    TSPCustomSource *source_ = nullptr;
    bool allDay_ = false;
    void *data_ = nullptr;
    QString text_;
    TDateTime endTime_ = 0;
    TDateTime startTime_ = 0;
    TSPPlanIcons icons_;
    TColor color_ = clNone;
    bool private_ = false;
    QString resource_;
    std::uint8_t kind_ = 2;
    Values saved_;
    QString category_;
    bool locked_ = false;
};

// Makes the items of a source; a host may hand in one that makes a descendant of TSPPlanItem.
using TSPPlanItemClass = std::function<TSPPlanItem *()>;

// The source's item order: start, then end, then all-day first, then text descending (ordinal).
// Negative when a goes first.
int CompareItems(const TSPPlanItem &a, const TSPPlanItem &b);

// A planner's connection to a source. The source keeps a list of links but does not own them.
class TSPPlannerLink
{
public:
    TSPPlannerLink() = default;
    ~TSPPlannerLink();
    TSPPlannerLink(const TSPPlannerLink &) = delete;
    TSPPlannerLink &operator=(const TSPPlannerLink &) = delete;

    TSPCustomSource *Source() const { return source_; }

    // The source's items changed, or the source is going away (Source() is then nullptr).
    std::function<void()> OnChange;
    // An item is leaving the source (already out of its list); runs at once, also inside an
    // update, so that no planner goes on holding it.
    std::function<void(TSPPlanItem *)> OnItemFree;

private:
    friend class TSPCustomSource;
    TSPCustomSource *source_ = nullptr;
};

struct TSPRequest {
    TDateTime StartTime = 0;
    TDateTime EndTime = 0;
};

using TSPPlanItemEvent = std::function<void(TComponent *Sender, TSPPlanItem *Item)>;
using TSPRequestEvent = std::function<void(TComponent *Sender, TDateTime StartTime, TDateTime EndTime)>;

class TSPCustomSource : public TComponent
{
public:
    explicit TSPCustomSource(TComponent *AOwner);
    ~TSPCustomSource() override;

    TSPPlanItem *AddItem(const QString &Resource, const QString &Text, TDateTime StartTime,
                         TDateTime EndTime, bool AllDay, bool Private, TColor Color, std::uint8_t Kind);
    // An empty item in the list, without a change notice.
    TSPPlanItem *NewItem();
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises Exception for an index outside 0..Count-1.
    TSPPlanItem *Items(int index) const;
    int IndexOf(const TSPPlanItem *item) const;
    void ClearItems();

    void BeginUpdate() { ++updateCount_; }
    // Fires a pending change at every EndUpdate, also an inner one.
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }
    // Tells the links in order, then OnChange.
    virtual void Changed();

    // Asks the host, through OnRequestItems, for the parts of the range not asked for before.
    void RequestItems(TDateTime StartTime, TDateTime EndTime);
    const std::vector<TSPRequest> &Requests() const { return requests_; }

    void AddLink(TSPPlannerLink *link);
    void RemoveLink(TSPPlannerLink *link);
    int LinkCount() const { return static_cast<int>(links_.size()); }

    TCustomImageList *Images() const { return images_; }
    void SetImages(TCustomImageList *value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    virtual bool CanModify() const { return !readOnly_; }
    void SetItemClass(TSPPlanItemClass value) { itemClass_ = std::move(value); }

    TNotifyEvent OnChange;
    TSPPlanItemEvent OnItemDelete;
    TSPPlanItemEvent OnItemChange;
    TSPPlanItemEvent OnItemSave;
    TSPRequestEvent OnRequestItems;

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;
    virtual void DoItemChange(TSPPlanItem *item);
    virtual void DoItemDelete(TSPPlanItem *item);
    virtual void DoItemSave(TSPPlanItem *item);
    virtual void DoRequestItems(TDateTime start, TDateTime end);

private:
    friend class TSPPlanItem;
    TSPPlanItem *CreateItem();
    void Sort();
    void ChangedOrPending();
    void ItemChanged(TSPPlanItem *item);
    void ItemFreed(TSPPlanItem *item);
    void MergeRequests();

    std::vector<TSPPlannerLink *> links_;
    std::vector<TSPPlanItem *> items_;
    bool pending_ = false;
    int updateCount_ = 0;
    TChangeLink imageChangeLink_;
    TCustomImageList *images_ = nullptr;
    TComponent *imagesComponent_ = nullptr;
    bool readOnly_ = false;
    TSPPlanItemClass itemClass_;
    std::vector<TSPRequest> requests_;
};

// The component the forms place; it only publishes what TSPCustomSource has.
class TSPPlannerSource : public TSPCustomSource
{
public:
    using TSPCustomSource::TSPCustomSource;
};

// ---------------------------------------------------------------------------------------------
// Planner controls

enum class TBorderStyle { bsNone, bsSingle };
enum class TSPWeekStart { wsSunday, wsMonday };
enum class TSPGroupBy { grNone, grDate, grResource };
enum class TSPFilterKind { flNormal, flAllDay, flPrivate };
using TSPFilter = TSet<TSPFilterKind>;

// Parts of an item a point can hit.
constexpr int sphNone = 0;       // outside
constexpr int sphLeftEdge = 1;   // the band at the item's left side
constexpr int sphTopEdge = 2;    // planners with vertical time axes only
constexpr int sphRightEdge = 3;  // the band at the item's right side
constexpr int sphBottomEdge = 4; // planners with vertical time axes only
constexpr int sphTime = 5;       // the time prefix: selects without editing
constexpr int sphBody = 6;

class TSPPlannerColumn
{
public:
    QString Header;
    TColor BackColor = clNone;
    int ImageIndex = 0;
};

class TSPPlannerResource
{
public:
    QString Name;
    TColor Color = clNone;
    int ImageIndex = -1;
};

// A small owned collection that tells its planner when it changes.
template <typename T>
class TSPPlannerCollection
{
public:
    int Count() const { return static_cast<int>(items_.size()); }
    T &Items(int index) { return *items_.at(static_cast<size_t>(index)); }
    const T &Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
    T &Add()
    {
        items_.push_back(std::make_unique<T>());
        Changed();
        return *items_.back();
    }
    void Delete(int index)
    {
        items_.erase(items_.begin() + index);
        Changed();
    }
    void Clear()
    {
        items_.clear();
        Changed();
    }
    // Call after changing the fields of an entry.
    void Changed()
    {
        if (OnChange)
            OnChange();
    }
    std::function<void()> OnChange;

private:
    std::vector<std::unique_ptr<T>> items_;
};
using TSPPlannerColumns = TSPPlannerCollection<TSPPlannerColumn>;
using TSPPlannerResources = TSPPlannerCollection<TSPPlannerResource>;

class TSPBasePlanner;

using TSPDrawItemEvent = std::function<void(TComponent *Sender, TSPPlanItem *Item, TCanvas *ACanvas,
                                            const TRect &ItemRect, bool ExtendsBefore, bool ExtendsAfter,
                                            bool Selected, bool Highlighted, const TRect &ClipRect,
                                            bool &Drawn)>;

// The text editor that opens over an item: no frame, wraps instead of scrolling sideways,
// 2-pixel side margins. Enter accepts, Escape discards, leaving it accepts.
class TSPInplaceEdit : public QPlainTextEdit
{
public:
    explicit TSPInplaceEdit(TSPBasePlanner *planner);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    TSPBasePlanner *planner_;
};

// A cell of the planner's grid.
struct TSPCell {
    int Col = -1;
    int Row = -1;
    friend bool operator==(const TSPCell &, const TSPCell &) = default;
};

// The abstract planner control: source link, item and cell selection, mouse and keyboard
// input, resizing, dragging between planners, in-place editing, filtering, hints, and painting
// by regions. The grid itself comes from a descendant.
class TSPBasePlanner : public TCustomControl
{
public:
    explicit TSPBasePlanner(TComponent *AOwner);
    ~TSPBasePlanner() override;

    TSPCustomSource *Source() const { return source_; }
    void SetSource(TSPCustomSource *value);

    int SelectedCount() const { return static_cast<int>(selected_.size()); }
    TSPPlanItem *SelectedItem(int index) const;
    bool IsSelected(const TSPPlanItem *item) const;
    // The dates spanned by the cell selection; false (and both -1) without one.
    bool SelectionRange(TDateTime &start, TDateTime &end) const;
    TSPCell AnchorCell() const { return anchor_; }
    TSPCell CurrentCell() const { return current_; }
    bool CellSelected(int col, int row) const;
    TSPPlanItem *HotItem() const { return hotItem_; }
    // The item waiting for the double-click time before its editor opens.
    TSPPlanItem *PendingEditItem() const { return pendingEdit_; }
    TSPPlanItem *EditingItem() const { return editItem_; }
    // The open editor, nullptr while none is shown.
    QWidget *Editor() const;
    // Dragging the start (1) or end (2) of the selected item; 0 when not resizing.
    int DragKind() const { return dragKind_; }

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    TSPWeekStart WeekStart() const { return weekStart_; }
    void SetWeekStart(TSPWeekStart value);
    TSPGroupBy GroupBy() const { return groupBy_; }
    void SetGroupBy(TSPGroupBy value);
    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor value);
    bool CopyOnDrop() const { return copyOnDrop_; }
    void SetCopyOnDrop(bool value) { copyOnDrop_ = value; }
    TSPFilter Filter() const { return filter_; }
    void SetFilter(TSPFilter value);
    TSPPlannerColumns &Columns() { return columns_; }
    TSPPlannerResources &Resources() { return resources_; }
    const TSPPlannerResources &Resources() const { return resources_; }

    // Header strips: three of (16 + 6) pixels per count, one of average character widths.
    int RowHeaderCount() const { return rowHeaderCount_; }
    void SetRowHeaderCount(int value);
    int ColumnHeaderCount() const { return columnHeaderCount_; }
    void SetColumnHeaderCount(int value);
    int ResourceHeaderCount() const { return resourceHeaderCount_; }
    void SetResourceHeaderCount(int value);
    int DateHeaderCount() const { return dateHeaderCount_; }
    void SetDateHeaderCount(int value);
    int RowHeight() const { return rowHeight_; }
    int AvgCharWidth() const { return avgCharWidth_; }
    int TopRow() const { return topRow_; }

    TRect CornerRect() const { return cornerRect_; }
    TRect RowHeaderRect() const { return rowHeaderRect_; }
    TRect ColumnHeaderRect() const { return columnHeaderRect_; }
    TRect ResourceHeaderRect() const { return resourceHeaderRect_; }
    TRect DateHeaderRect() const { return dateHeaderRect_; }
    TRect CellsRect() const { return cellsRect_; }

    // Grid geometry, answered by the descendant.
    virtual int ColCount() const { return 0; }
    virtual int RowCount() const { return 0; }
    virtual int CellCount() const { return 0; }
    virtual bool CellValid(int col, int row) const;
    virtual TRect CellRect(int col, int row) const { return {}; }
    virtual TSPCell CellAtPos(int x, int y) const { return {}; }
    virtual void DatesAtCell(int col, int row, TDateTime &start, TDateTime &end) const;
    virtual QString ResourceAtCell(int col, int row) const { return {}; }
    virtual TSPPlanItem *ItemAtPos(int x, int y) const { return nullptr; }
    // The rectangle of the item in a cell and whether it continues before or after it.
    virtual bool ItemRect(TSPPlanItem *item, int col, int row, TRect &rect, bool &extendsBefore,
                          bool &extendsAfter) const;
    virtual TRect ItemRectAtPos(int x, int y) const { return {}; }
    virtual int HitTest(TSPPlanItem *item, const TPoint &p) const { return sphNone; }
    virtual TRect TextRect(TSPPlanItem *item, int col, int row) const { return {}; }
    virtual bool ItemVisible(const TSPPlanItem *item) const;
    // The planner and its source accept changes.
    virtual bool CanModify() const;

    // The hint of an item: its times, a line break and its text wrapped at 50 columns.
    static QString ItemHint(const TSPPlanItem *item);

    // Ends an open in-place edit; accepting stores the text and saves the item.
    void EndEdit(bool accept);
    // Opens the editor on an item (no-op for a locked item or an unmodifiable source).
    void BeginEdit(TSPPlanItem *item);

    TSPDrawItemEvent OnDrawItem;
    TSPPlanItemEvent OnItemCreated;

protected:
    virtual void UpdateLayout();
    virtual void UpdateScrollBars() {}
    virtual void PaintCorner(TCanvas &ACanvas);
    virtual void PaintRowHeader(TCanvas &ACanvas);
    virtual void PaintColumnHeader(TCanvas &ACanvas);
    virtual void PaintResourceHeader(TCanvas &ACanvas);
    virtual void PaintCells(TCanvas &ACanvas);
    virtual void PaintDateHeader(TCanvas &ACanvas);
    virtual void PaintOther(TCanvas &ACanvas) {}
    // Drops selected, hot and edited items the source no longer holds.
    virtual void RemoveStaleSelection();
    virtual void ItemMoved(TSPPlanItem *item) {}
    // The source changed; descendants rebuild what they show.
    virtual void SourceChanged();
    // An item is being freed; descendants drop what they keep of it.
    virtual void ItemFreed(TSPPlanItem *item);
    // Whether a new item typed on the grid is all-day.
    virtual bool NewItemAllDay() const { return true; }
    // Rows the view can scroll by; 0 when it fits the window.
    virtual int ScrollRange() const { return 0; }
    virtual int VisibleRowCount() const { return RowCount(); }
    // The drag between planners: descendants show where the items would land.
    virtual void DragStateChanged() {}

    // Draws one item, offering it to OnDrawItem first; true when the planner should paint it.
    bool OfferDrawItem(TCanvas &ACanvas, TSPPlanItem *item, const TRect &rect, bool extendsBefore,
                       bool extendsAfter, bool selected, const TRect &clip);
    // Invalidates the cells of the selection between two states of it.
    void InvalidateSelection();
    void InvalidateCells(int fromIndex, int toIndex);
    void SetTopRow(int value);

    // Off: items can be selected but not resized from the mouse.
    bool AllowItemInteraction() const { return allowItemInteraction_; }
    void SetAllowItemInteraction(bool value) { allowItemInteraction_ = value; }

    // Drag state while planners drag to this one.
    TSPBasePlanner *DragSource() const { return dragSource_.data(); }
    double DragOffset() const { return dragOffset_; }
    bool DragAccepted() const { return dragAccepted_; }
    const QString &DragResource() const { return dragResource_; }

    void Notification(TComponent *AComponent, TOperation Operation) override;
    void Paint() override;
    TRect NCMargins() const override;
    void PaintNC(TCanvas &ACanvas) override;
    void WndProc(TMessage &Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;
    void Click() override;
    void DblClick() override;
    bool MouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyDown(WORD &Key, TShiftState Shift) override;
    void KeyPress(QChar &Key) override;
    void TimerFired(WPARAM TimerID) override;
    void DragOver(TControl *Source, int X, int Y, TDragState State, bool &Accept) override;
    void DragDrop(TControl *Source, int X, int Y) override;
    void DoEndDrag(TControl *Target, int X, int Y) override;
    void Resize() override;

private:
    friend class TSPInplaceEdit;
    void LinkChanged();
    void LinkItemFree(TSPPlanItem *item);
    void ClearSelection();
    void SelectItem(TSPPlanItem *item);
    void FontChanged();
    void SetHotItem(TSPPlanItem *item);
    void MoveCurrent(const TSPCell &cell, bool extend);
    void ResizeTo(int x, int y);
    void CancelResize();
    void SetDragState(TSPBasePlanner *source, double offset, bool accepted, const QString &resource);
    bool ComputeDrop(TSPBasePlanner *from, int x, int y, double &offset, QString &resource) const;
    void EditorClosed();
    int CellIndex(const TSPCell &c) const { return c.Row * ColCount() + c.Col; }

    TSPCustomSource *source_ = nullptr;
    TComponent *sourceComponent_ = nullptr;
    std::unique_ptr<TSPPlannerLink> link_;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    TRect cornerRect_, rowHeaderRect_, columnHeaderRect_, resourceHeaderRect_, dateHeaderRect_,
        cellsRect_;
    int rowHeight_ = 16;
    int avgCharWidth_ = 0;
    int rowHeaderCount_ = 0;
    int columnHeaderCount_ = 0;
    int resourceHeaderCount_ = 0;
    int dateHeaderCount_ = 0;
    TSPPlannerColumns columns_;
    TSPPlannerResources resources_;

    TSPPlanItem *hotItem_ = nullptr;
    TSPCell mouseCell_;
    TSPCell anchor_;
    TSPCell current_;
    std::vector<TSPPlanItem *> selected_;

    TPoint lastPos_;
    bool resized_ = false;  // the press moved an edge, so its click opens no editor
    bool allowItemInteraction_ = true;
    int dragKind_ = 0;
    int hitPart_ = sphNone;
    bool readOnly_ = false;

    TSPPlanItem *pendingEdit_ = nullptr;
    TSPInplaceEdit *editor_ = nullptr;
    TSPPlanItem *editItem_ = nullptr;
    bool editItemCreated_ = false;

    TSPWeekStart weekStart_ = TSPWeekStart::wsMonday;
    TSPGroupBy groupBy_ = TSPGroupBy::grResource;
    TColor backgroundColor_ = 65535;
    int topRow_ = 0;
    bool copyOnDrop_ = false;
    TSPFilter filter_{TSPFilterKind::flNormal, TSPFilterKind::flAllDay, TSPFilterKind::flPrivate};

    QPointer<TSPBasePlanner> dragSource_;
    double dragOffset_ = 0;
    bool dragAccepted_ = false;
    QString dragResource_;
};

// Wraps text at a number of display columns, a CJK (double-width) character counting as two;
// a character is never split and an existing line break starts a new line.
QString WrapDisplayText(const QString &text, int columns);
