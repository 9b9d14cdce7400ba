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
