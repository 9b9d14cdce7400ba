#pragma once
#include "platform/Classes.h"
#include "platform/ImgList.h"
#include "platform/Types.h"

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

using TSPSourceEvent = std::function<void(TSPCustomSource *Sender)>;
using TSPPlanItemEvent = std::function<void(TSPCustomSource *Sender, TSPPlanItem *Item)>;
using TSPRequestEvent = std::function<void(TSPCustomSource *Sender, TDateTime StartTime, TDateTime EndTime)>;

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

    TSPSourceEvent OnChange;
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
