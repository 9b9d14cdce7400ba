#include "SPPlanners.h"

#include <algorithm>

namespace {

Exception ListIndexError(int index)
{
    return Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSPPlanIcons

TSPPlanIcons::TSPPlanIcons() : icons_(8, 0) {}

int TSPPlanIcons::Icons(int index) const
{
    if (index < 0 || index >= count_)
        throw ListIndexError(index);
    return icons_[static_cast<size_t>(index)];
}

int TSPPlanIcons::AddIcon(int imageIndex)
{
    if (count_ == Capacity())
        icons_.resize(icons_.size() + 8, 0);
    icons_[static_cast<size_t>(count_)] = imageIndex;
    const int position = count_++;
    if (OnChange)
        OnChange();
    return position;
}

void TSPPlanIcons::Assign(const TSPPlanIcons &source)
{
    count_ = source.count_;
    icons_ = source.icons_;
}

// ---------------------------------------------------------------------------------------------
// TSPPlanItem

TSPPlanItem::TSPPlanItem()
{
    icons_.OnChange = [this] { Changed(); };
    TakeSavedCopies();
}

TSPPlanItem::~TSPPlanItem()
{
    if (source_)
        source_->ItemFreed(this);
}

TSPPlanItem::Values TSPPlanItem::Current() const
{
    return {allDay_, text_, endTime_, startTime_, color_, private_, resource_, kind_};
}

void TSPPlanItem::SetAllDay(bool value)
{
    if (allDay_ == value)
        return;
    allDay_ = value;
    Changed();
}

void TSPPlanItem::SetText(const QString &value)
{
    if (text_ == value)
        return;
    text_ = value;
    Changed();
}

void TSPPlanItem::SetResource(const QString &value)
{
    if (resource_ == value)
        return;
    resource_ = value;
    Changed();
}

void TSPPlanItem::SetStartTime(TDateTime value)
{
    if (startTime_ == value)
        return;
    startTime_ = value;
    if (endTime_ < value)
        endTime_ = value;
    Changed();
}

void TSPPlanItem::SetEndTime(TDateTime value)
{
    if (endTime_ == value)
        return;
    if (value < startTime_)
        throw Exception(QStringLiteral("End time cannot be earlier than start time"));
    endTime_ = value;
    Changed();
}

void TSPPlanItem::MoveBy(double days)
{
    if (days == 0)
        return;
    startTime_ += days;
    endTime_ += days;
    Changed();
}

void TSPPlanItem::Save()
{
    if (source_)
        source_->DoItemSave(this);
    TakeSavedCopies();
}

void TSPPlanItem::Cancel()
{
    allDay_ = saved_.allDay;
    text_ = saved_.text;
    endTime_ = saved_.endTime;
    startTime_ = saved_.startTime;
    color_ = saved_.color;
    private_ = saved_.isPrivate;
    resource_ = saved_.resource;
    kind_ = saved_.kind;
    Changed();
}

void TSPPlanItem::Assign(const TSPPlanItem &source)
{
    allDay_ = source.allDay_;
    text_ = source.text_;
    startTime_ = source.startTime_;
    endTime_ = source.endTime_;
    color_ = source.color_;
    private_ = source.private_;
    resource_ = source.resource_;
    kind_ = source.kind_;
    icons_.Assign(source.icons_);
    TakeSavedCopies();
}

void TSPPlanItem::Changed()
{
    if (source_)
        source_->ItemChanged(this);
}

int CompareItems(const TSPPlanItem &a, const TSPPlanItem &b)
{
    if (&a == &b)
        return 0;
    if (a.StartTime() != b.StartTime())
        return a.StartTime() < b.StartTime() ? -1 : 1;
    if (a.EndTime() != b.EndTime())
        return a.EndTime() < b.EndTime() ? -1 : 1;
    if (a.AllDay() != b.AllDay())
        return a.AllDay() ? -1 : 1;
    const int byText = QString::compare(a.Text(), b.Text(), Qt::CaseSensitive);
    return byText == 0 ? 0 : (byText > 0 ? -1 : 1);
}

// ---------------------------------------------------------------------------------------------
// TSPPlannerLink

TSPPlannerLink::~TSPPlannerLink()
{
    if (source_)
        source_->RemoveLink(this);
}

// ---------------------------------------------------------------------------------------------
// TSPCustomSource

TSPCustomSource::TSPCustomSource(TComponent *AOwner) : TComponent(AOwner)
{
    imageChangeLink_.OnChange = [this](TCustomImageList *) { Changed(); };
}

TSPCustomSource::~TSPCustomSource()
{
    Destroying();
    // Planners hear of it before any item goes, so none keeps an item or this source.
    while (!links_.empty()) {
        TSPPlannerLink *link = links_.front();
        links_.erase(links_.begin());
        link->source_ = nullptr;
        if (link->OnChange)
            link->OnChange();
    }
    if (images_)
        images_->UnRegisterChanges(&imageChangeLink_);
    // Detached first, so freeing an item tells nobody.
    std::vector<TSPPlanItem *> items;
    items.swap(items_);
    for (TSPPlanItem *item : items)
        item->source_ = nullptr;
    for (TSPPlanItem *item : items)
        delete item;
}

TSPPlanItem *TSPCustomSource::CreateItem()
{
    TSPPlanItem *item = itemClass_ ? itemClass_() : nullptr;
    if (!item)
        item = new TSPPlanItem;
    item->source_ = this;
    items_.push_back(item);
    return item;
}

TSPPlanItem *TSPCustomSource::AddItem(const QString &Resource, const QString &Text, TDateTime StartTime,
                                      TDateTime EndTime, bool AllDay, bool Private, TColor Color,
                                      std::uint8_t Kind)
{
    TSPPlanItem *item = CreateItem();
    item->resource_ = Resource;
    item->text_ = Text;
    item->startTime_ = StartTime;
    item->endTime_ = EndTime;
    item->allDay_ = AllDay;
    item->private_ = Private;
    item->color_ = Color;
    item->kind_ = Kind;
    item->locked_ = false;
    Sort();
    item->TakeSavedCopies();
    DoItemChange(item);
    ChangedOrPending();
    return item;
}

TSPPlanItem *TSPCustomSource::NewItem()
{
    TSPPlanItem *item = CreateItem();
    Sort();
    return item;
}

TSPPlanItem *TSPCustomSource::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    return items_[static_cast<size_t>(index)];
}

int TSPCustomSource::IndexOf(const TSPPlanItem *item) const
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TSPCustomSource::ClearItems()
{
    BeginUpdate();
    while (!items_.empty())
        delete items_.front();
    EndUpdate();
}

void TSPCustomSource::EndUpdate()
{
    if (updateCount_ <= 0)
        return;
    --updateCount_;
    if (pending_)
        Changed();
}

void TSPCustomSource::ChangedOrPending()
{
    if (updateCount_ > 0)
        pending_ = true;
    else
        Changed();
}

void TSPCustomSource::Changed()
{
    pending_ = false;
    // A handler may unlink planners (or link new ones); only links still present are told.
    const std::vector<TSPPlannerLink *> links = links_;
    for (TSPPlannerLink *link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange)
            link->OnChange();
    if (OnChange)
        OnChange(this);
}

void TSPCustomSource::Sort()
{
    std::stable_sort(items_.begin(), items_.end(),
                     [](const TSPPlanItem *a, const TSPPlanItem *b) { return CompareItems(*a, *b) < 0; });
}

void TSPCustomSource::ItemChanged(TSPPlanItem *item)
{
    Sort();
    DoItemChange(item);
    ChangedOrPending();
}

void TSPCustomSource::ItemFreed(TSPPlanItem *item)
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    const std::vector<TSPPlannerLink *> links = links_;
    for (TSPPlannerLink *link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnItemFree)
            link->OnItemFree(item);
    ChangedOrPending();
}

void TSPCustomSource::RequestItems(TDateTime StartTime, TDateTime EndTime)
{
    for (size_t i = 0; i < requests_.size(); ++i) {
        const TSPRequest r = requests_[i];
        if (r.StartTime <= StartTime && r.EndTime >= EndTime)
            return;
        if (r.StartTime > StartTime && r.StartTime < EndTime) {
            RequestItems(StartTime, r.StartTime);
            RequestItems(r.StartTime, EndTime);
            return;
        }
        if (r.EndTime > StartTime && r.EndTime < EndTime) {
            RequestItems(StartTime, r.EndTime);
            RequestItems(r.EndTime, EndTime);
            return;
        }
    }
    requests_.push_back({StartTime, EndTime});
    DoRequestItems(StartTime, EndTime);
    MergeRequests();
}

void TSPCustomSource::MergeRequests()
{
    for (size_t i = requests_.size(); i-- > 1;) {
        TSPRequest &previous = requests_[i - 1];
        if (previous.EndTime == requests_[i].StartTime) {
            previous.EndTime = requests_[i].EndTime;
            requests_.erase(requests_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void TSPCustomSource::AddLink(TSPPlannerLink *link)
{
    if (!link || link->source_ == this)
        return;
    if (link->source_)
        link->source_->RemoveLink(link);
    link->source_ = this;
    links_.push_back(link);
}

void TSPCustomSource::RemoveLink(TSPPlannerLink *link)
{
    const auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end())
        return;
    links_.erase(it);
    link->source_ = nullptr;
}

void TSPCustomSource::SetImages(TCustomImageList *value)
{
    if (images_ == value)
        return;
    if (images_) {
        images_->UnRegisterChanges(&imageChangeLink_);
        images_->RemoveFreeNotification(this);
    }
    images_ = value;
    imagesComponent_ = value;
    if (images_) {
        images_->RegisterChanges(&imageChangeLink_);
        images_->FreeNotification(this);
    }
}

void TSPCustomSource::Notification(TComponent *AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    // The list may be half destroyed by now: compare, never cast.
    if (Operation == TOperation::opRemove && AComponent && AComponent == imagesComponent_) {
        images_ = nullptr;
        imagesComponent_ = nullptr;
    }
}

void TSPCustomSource::DoItemChange(TSPPlanItem *item)
{
    if (OnItemChange)
        OnItemChange(this, item);
}

void TSPCustomSource::DoItemDelete(TSPPlanItem *item)
{
    if (OnItemDelete)
        OnItemDelete(this, item);
}

void TSPCustomSource::DoItemSave(TSPPlanItem *item)
{
    if (OnItemSave)
        OnItemSave(this, item);
}

void TSPCustomSource::DoRequestItems(TDateTime start, TDateTime end)
{
    if (OnRequestItems)
        OnRequestItems(this, start, end);
}

// ---------------------------------------------------------------------------------------------
// TSPBasePlanner: setup, source link, layout and painting. Input is in SPPlannersInput.cpp.

namespace {

constexpr int kHeaderStrip = 16 + 6;

void CheckHeaderCount(int value)
{
    if (value < 0)
        throw Exception(QStringLiteral("Value must be 0 or larger"));
}

} // namespace

TSPBasePlanner::TSPBasePlanner(TComponent *AOwner)
    : TCustomControl(AOwner), link_(std::make_unique<TSPPlannerLink>())
{
    SetControlStyle(ControlStyle().Include(csOpaque));
    link_->OnChange = [this] { LinkChanged(); };
    link_->OnItemFree = [this](TSPPlanItem *item) { LinkItemFree(item); };
    columns_.OnChange = [this] { UpdateLayout(); Invalidate(); };
    resources_.OnChange = [this] { SourceChanged(); UpdateLayout(); Invalidate(); };
    FontChanged();
}

TSPBasePlanner::~TSPBasePlanner()
{
    // The editor goes first: its focus loss must not reach a planner half taken apart.
    editItem_ = nullptr;
    delete editor_;
    editor_ = nullptr;
    selected_.clear();
    link_.reset();
    if (sourceComponent_)
        RemoveFreeNotification(sourceComponent_);
}

void TSPBasePlanner::SetSource(TSPCustomSource *value)
{
    if (value == source_)
        return;
    if (source_) {
        source_->RemoveLink(link_.get());
        RemoveFreeNotification(sourceComponent_);
    }
    source_ = value;
    sourceComponent_ = value;
    if (source_) {
        source_->AddLink(link_.get());
        FreeNotification(sourceComponent_);
    }
    SourceChanged();
}

void TSPBasePlanner::Notification(TComponent *AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    // The source may be half destroyed by now: compare the pointer only.
    if (Operation == TOperation::opRemove && AComponent && AComponent == sourceComponent_) {
        source_ = nullptr;
        sourceComponent_ = nullptr;
        SourceChanged();
    }
}

void TSPBasePlanner::LinkChanged()
{
    if (!link_->Source() && source_) {
        // The source is going away; it detached our link itself.
        source_ = nullptr;
        if (sourceComponent_)
            RemoveFreeNotification(sourceComponent_);
        sourceComponent_ = nullptr;
    }
    SourceChanged();
}

void TSPBasePlanner::LinkItemFree(TSPPlanItem *item)
{
    ItemFreed(item);
}

void TSPBasePlanner::ItemFreed(TSPPlanItem *item)
{
    selected_.erase(std::remove(selected_.begin(), selected_.end(), item), selected_.end());
    if (hotItem_ == item)
        hotItem_ = nullptr;
    if (pendingEdit_ == item) {
        pendingEdit_ = nullptr;
        KillTimer(1);
    }
    if (editItem_ == item)
        EditorClosed();
    Invalidate();
}

void TSPBasePlanner::SourceChanged()
{
    RemoveStaleSelection();
    Invalidate();
}

void TSPBasePlanner::RemoveStaleSelection()
{
    const auto stale = [this](const TSPPlanItem *item) { return !source_ || source_->IndexOf(item) < 0; };
    selected_.erase(std::remove_if(selected_.begin(), selected_.end(), stale), selected_.end());
    if (hotItem_ && stale(hotItem_))
        hotItem_ = nullptr;
    if (pendingEdit_ && stale(pendingEdit_)) {
        pendingEdit_ = nullptr;
        KillTimer(1);
    }
    if (editItem_ && stale(editItem_))
        EditorClosed();
}

TSPPlanItem *TSPBasePlanner::SelectedItem(int index) const
{
    if (index < 0 || index >= SelectedCount())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return selected_[static_cast<size_t>(index)];
}

bool TSPBasePlanner::IsSelected(const TSPPlanItem *item) const
{
    return item && std::find(selected_.begin(), selected_.end(), item) != selected_.end();
}

void TSPBasePlanner::ClearSelection()
{
    if (selected_.empty())
        return;
    selected_.clear();
    Invalidate();
}

void TSPBasePlanner::SelectItem(TSPPlanItem *item)
{
    if (!IsSelected(item))
        selected_.push_back(item);
    Invalidate();
}

bool TSPBasePlanner::CellSelected(int col, int row) const
{
    if (!CellValid(anchor_.Col, anchor_.Row) || !CellValid(current_.Col, current_.Row) || !CellValid(col, row))
        return false;
    const int a = CellIndex(anchor_), b = CellIndex(current_), i = CellIndex({col, row});
    return i >= std::min(a, b) && i <= std::max(a, b);
}

bool TSPBasePlanner::SelectionRange(TDateTime &start, TDateTime &end) const
{
    start = end = -1.0;
    if (!CellValid(anchor_.Col, anchor_.Row) || !CellValid(current_.Col, current_.Row))
        return false;
    TSPCell first = anchor_, last = current_;
    if (CellIndex(first) > CellIndex(last))
        std::swap(first, last);
    TDateTime ignored;
    DatesAtCell(first.Col, first.Row, start, ignored);
    DatesAtCell(last.Col, last.Row, ignored, end);
    return true;
}

bool TSPBasePlanner::CellValid(int col, int row) const
{
    return col >= 0 && row >= 0 && col < ColCount() && row < RowCount();
}

void TSPBasePlanner::DatesAtCell(int, int, TDateTime &start, TDateTime &end) const
{
    start = end = -1.0;
}

bool TSPBasePlanner::ItemRect(TSPPlanItem *, int, int, TRect &rect, bool &extendsBefore, bool &extendsAfter) const
{
    rect = {};
    extendsBefore = extendsAfter = false;
    return false;
}

bool TSPBasePlanner::ItemVisible(const TSPPlanItem *item) const
{
    if (!item)
        return false;
    if (!filter_.Contains(item->AllDay() ? TSPFilterKind::flAllDay : TSPFilterKind::flNormal))
        return false;
    if (item->Private() && !filter_.Contains(TSPFilterKind::flPrivate))
        return false;
    if (groupBy_ != TSPGroupBy::grNone && resources_.Count() > 0) {
        for (int i = 0; i < resources_.Count(); ++i)
            if (resources_.Items(i).Name == item->Resource())
                return true;
        return false;
    }
    return true;
}

bool TSPBasePlanner::CanModify() const
{
    return !readOnly_ && source_ && source_->CanModify();
}

QWidget *TSPBasePlanner::Editor() const
{
    return editItem_ ? editor_ : nullptr;
}

void TSPBasePlanner::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RecalcNC();
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::SetWeekStart(TSPWeekStart value)
{
    if (value == weekStart_)
        return;
    weekStart_ = value;
    SourceChanged();
}

void TSPBasePlanner::SetGroupBy(TSPGroupBy value)
{
    if (value == groupBy_)
        return;
    groupBy_ = value;
    SourceChanged();
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::SetBackgroundColor(TColor value)
{
    if (value == backgroundColor_)
        return;
    backgroundColor_ = value;
    Invalidate();
}

void TSPBasePlanner::SetFilter(TSPFilter value)
{
    if (value == filter_)
        return;
    filter_ = value;
    SourceChanged();
}

void TSPBasePlanner::SetRowHeaderCount(int value)
{
    CheckHeaderCount(value);
    rowHeaderCount_ = value;
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::SetColumnHeaderCount(int value)
{
    CheckHeaderCount(value);
    columnHeaderCount_ = value;
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::SetResourceHeaderCount(int value)
{
    CheckHeaderCount(value);
    resourceHeaderCount_ = value;
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::SetDateHeaderCount(int value)
{
    CheckHeaderCount(value);
    dateHeaderCount_ = value;
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::SetTopRow(int value)
{
    value = std::clamp(value, 0, std::max(0, ScrollRange()));
    if (value == topRow_)
        return;
    topRow_ = value;
    UpdateScrollBars();
    Invalidate();
}

void TSPBasePlanner::FontChanged()
{
    avgCharWidth_ = std::max(1, TextMetrics().Metrics(*Font()).tmAveCharWidth);
    UpdateLayout();
    Invalidate();
}

void TSPBasePlanner::Resize()
{
    UpdateLayout();
    Invalidate();
    TCustomControl::Resize();
}

void TSPBasePlanner::UpdateLayout()
{
    const TRect client = ClientRect();
    const int top = std::min(client.Height(), rowHeaderCount_ * kHeaderStrip);
    const int columnWidth = columnHeaderCount_ * kHeaderStrip;
    const int resourceWidth = resourceHeaderCount_ > 0 ? resourceHeaderCount_ * kHeaderStrip + 8 : 0;
    const int dateWidth = dateHeaderCount_ > 0 ? avgCharWidth_ * dateHeaderCount_ + 6 : 0;
    const int x1 = std::min(client.Right, columnWidth);
    const int x2 = std::min(client.Right, x1 + resourceWidth);
    const int x3 = std::min(client.Right, x2 + dateWidth);
    cornerRect_ = {0, 0, x3, top};
    rowHeaderRect_ = {x3, 0, client.Right, top};
    columnHeaderRect_ = {0, top, x1, client.Bottom};
    resourceHeaderRect_ = {x1, top, x2, client.Bottom};
    dateHeaderRect_ = {x2, top, x3, client.Bottom};
    cellsRect_ = {x3, top, client.Right, client.Bottom};
    UpdateScrollBars();
}

TRect TSPBasePlanner::NCMargins() const
{
    if (borderStyle_ == TBorderStyle::bsNone)
        return {};
    const int w = Ctl3D() ? 2 : 1;
    return {w, w, w, w};
}

void TSPBasePlanner::PaintNC(TCanvas &ACanvas)
{
    TRect r = {0, 0, width(), height()};
    if (borderStyle_ == TBorderStyle::bsNone)
        return;
    if (Ctl3D()) {
        ACanvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
    } else {
        ACanvas.Brush()->SetColor(clWindowFrame);
        ACanvas.FrameRect(r);
    }
}

void TSPBasePlanner::Paint()
{
    TCanvas &canvas = *Canvas();
    using Painter = void (TSPBasePlanner::*)(TCanvas &);
    const std::pair<TRect, Painter> regions[] = {
        {cornerRect_, &TSPBasePlanner::PaintCorner},
        {rowHeaderRect_, &TSPBasePlanner::PaintRowHeader},
        {columnHeaderRect_, &TSPBasePlanner::PaintColumnHeader},
        {resourceHeaderRect_, &TSPBasePlanner::PaintResourceHeader},
        {dateHeaderRect_, &TSPBasePlanner::PaintDateHeader},
        {cellsRect_, &TSPBasePlanner::PaintCells},
    };
    for (const auto &[rect, painter] : regions) {
        if (rect.IsEmpty() || !canvas.RectVisible(rect))
            continue;
        const int saved = canvas.SaveDC();
        canvas.IntersectClipRect(rect);
        canvas.Font()->Assign(*Font());
        canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
        canvas.Brush()->SetColor(Color());
        (this->*painter)(canvas);
        canvas.RestoreDC(saved);
    }
    PaintOther(canvas);
}

namespace {

void PaintHeaderRegion(TCanvas &canvas, const TRect &rect)
{
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(rect);
    TRect edge = rect;
    canvas.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT);
}

} // namespace

void TSPBasePlanner::PaintCorner(TCanvas &ACanvas) { PaintHeaderRegion(ACanvas, cornerRect_); }
void TSPBasePlanner::PaintRowHeader(TCanvas &ACanvas) { PaintHeaderRegion(ACanvas, rowHeaderRect_); }
void TSPBasePlanner::PaintColumnHeader(TCanvas &ACanvas) { PaintHeaderRegion(ACanvas, columnHeaderRect_); }
void TSPBasePlanner::PaintResourceHeader(TCanvas &ACanvas) { PaintHeaderRegion(ACanvas, resourceHeaderRect_); }
void TSPBasePlanner::PaintDateHeader(TCanvas &ACanvas) { PaintHeaderRegion(ACanvas, dateHeaderRect_); }

void TSPBasePlanner::PaintCells(TCanvas &ACanvas)
{
    ACanvas.Brush()->SetColor(backgroundColor_);
    ACanvas.FillRect(cellsRect_);
}

bool TSPBasePlanner::OfferDrawItem(TCanvas &ACanvas, TSPPlanItem *item, const TRect &rect, bool extendsBefore,
                                   bool extendsAfter, bool selected, const TRect &clip)
{
    if (!OnDrawItem)
        return true;
    bool drawn = true;
    OnDrawItem(this, item, &ACanvas, rect, extendsBefore, extendsAfter, selected, item == hotItem_, clip, drawn);
    return !drawn;
}

// ---------------------------------------------------------------------------------------------
// Hints

namespace {

// Double-byte in the legacy code page: everything beyond ASCII.
int DisplayWidth(char32_t c) { return c < 0x80 ? 1 : 2; }

QString HintDate(TDateTime t) { return DateToQt(t).toString(QStringLiteral("yyyy/M/d")); }
QString HintTime(TDateTime t) { return DateTimeToQt(t).time().toString(QStringLiteral("H:mm")); }
QString HintDateTime(TDateTime t) { return HintDate(t) + QLatin1Char(' ') + HintTime(t); }

} // namespace

QString WrapDisplayText(const QString &text, int columns)
{
    QString out;
    int column = 0;
    qsizetype lineStart = 0;
    qsizetype lastSpace = -1;  // in out, within the current line
    int columnAfterSpace = 0;
    const QList<uint> codes = text.toUcs4();
    for (uint code : codes) {
        if (code == '\r')
            continue;
        if (code == '\n') {
            out += QLatin1Char('\n');
            lineStart = out.size();
            column = 0;
            lastSpace = -1;
            continue;
        }
        const int w = DisplayWidth(code);
        if (column > 0 && column + w > columns) {
            if (lastSpace >= lineStart && lastSpace >= 0) {
                // Break at the last space of the line; what followed it starts the next one.
                out[lastSpace] = QLatin1Char('\n');
                lineStart = lastSpace + 1;
                column -= columnAfterSpace;
                lastSpace = -1;
            }
            if (column > 0 && column + w > columns) {
                out += QLatin1Char('\n');
                lineStart = out.size();
                column = 0;
                lastSpace = -1;
            }
        }
        if (code == ' ' && column > 0) {
            lastSpace = out.size();
            columnAfterSpace = column + 1;
        }
        out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        column += w;
    }
    return out;
}

QString TSPBasePlanner::ItemHint(const TSPPlanItem *item)
{
    if (!item)
        return {};
    const TDateTime start = item->StartTime();
    // An end at midnight closes the day before it.
    const TDateTime lastInstant = item->EndTime() > start ? item->EndTime() - 1.0 / 86400000.0 : start;
    QString times;
    if (item->AllDay()) {
        times = HintDate(start) + QLatin1Char('-') + HintDate(lastInstant);
    } else if (DateToQt(start) == DateToQt(lastInstant)) {
        times = HintTime(start) + QLatin1Char('-') + HintTime(item->EndTime());
    } else {
        times = HintDateTime(start) + QLatin1Char('-') + HintDateTime(item->EndTime());
    }
    return times + QLatin1Char('\n') + WrapDisplayText(item->Text(), 50);
}
