#include "TB2Item.h"

#include "TB2Consts.h"

#include <algorithm>

namespace {

TTBPopupHooks &PopupHooks()
{
    static TTBPopupHooks hooks;
    return hooks;
}

// A notice is relayed up through embedded groups and to link parents at most this many times.
constexpr int MaxRelayNesting = 11;
// Shortcut search follows at most this many LinkSubitems in a row.
constexpr int MaxShortCutLinkDepth = 25;
// Options whose change alters an item's size.
constexpr std::uint64_t ResizeOptionsMask = 0x367;

} // namespace

void SetTBPopupHooks(const TTBPopupHooks &Hooks)
{
    PopupHooks() = Hooks;
}

const TTBPopupHooks &TBPopupHooks()
{
    return PopupHooks();
}

// The items a notice has reached on its way up, so a cycle of links cannot bring it back.
struct TTBCustomItem::TRelayPath {
    TTBCustomItem *Items[MaxRelayNesting + 1];
    int Count = 0;
    bool Contains(const TTBCustomItem *item) const
    {
        return std::find(Items, Items + Count, item) != Items + Count;
    }
};

// ---------------------------------------------------------------------------------------------
// Life

TTBCustomItem::TTBCustomItem(TComponent *AOwner) : TComponent(AOwner)
{
    TBClickWindowAddRef();
}

TTBCustomItem::~TTBCustomItem()
{
    Destroying();
    CancelQueuedClicks(this);
    while (!items_.empty())
        delete items_.back();
    if (parent_)
        parent_->Remove(this);
    actionLink_.reset();
    SetImages(nullptr);
    SetSubMenuImages(nullptr);
    if (linkSubitems_) {
        auto &lp = linkSubitems_->linkParents_;
        lp.erase(std::remove(lp.begin(), lp.end(), this), lp.end());
        linkSubitems_ = nullptr;
    }
    // Items still linked here show their own children again.
    const std::vector<TTBCustomItem *> linked = std::move(linkParents_);
    linkParents_.clear();
    for (TTBCustomItem *p : linked)
        if (p->linkSubitems_ == this) {
            p->linkSubitems_ = nullptr;
            p->RemoveFreeNotification(this);
            p->Notify(TTBItemChangedAction::tbicSubitemsChanged, -1, nullptr);
        }
    TBClickWindowRelease();
}

// ---------------------------------------------------------------------------------------------
// The child list

TTBCustomItem *TTBCustomItem::GetItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw ETBItemError(STBItemIndexOutOfRange);
    return items_[static_cast<size_t>(Index)];
}

int TTBCustomItem::IndexOf(const TTBCustomItem *AItem) const
{
    const auto it = std::find(items_.begin(), items_.end(), AItem);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TTBCustomItem::Insert(int Index, TTBCustomItem *AItem)
{
    if (!AItem)
        return;
    // An item that is this one or one of its ancestors would make the tree a cycle.
    bool ancestor = false;
    for (const TTBCustomItem *p = this; p && !ancestor; p = p->parent_)
        ancestor = p == AItem;
    if (AItem->parent_ || ancestor)
        throw ETBItemError(STBItemAlreadyInserted);
    if (Index < 0 || Index > Count())
        throw ETBItemError(STBItemIndexOutOfRange);
    items_.insert(items_.begin() + Index, AItem);
    AItem->parent_ = this;
    Notify(TTBItemChangedAction::tbicSubitemsBeginUpdate, -1, nullptr);
    try {
        Notify(TTBItemChangedAction::tbicInserted, Index, AItem);
        AItem->RefreshOptions();
    } catch (...) {
        Notify(TTBItemChangedAction::tbicSubitemsEndUpdate, -1, nullptr);
        throw;
    }
    Notify(TTBItemChangedAction::tbicSubitemsEndUpdate, -1, nullptr);
}

void TTBCustomItem::Delete(int Index)
{
    TTBCustomItem *item = GetItem(Index);
    Notify(TTBItemChangedAction::tbicDeleting, Index, item);
    // A listener may have rearranged the list meanwhile.
    const int at = IndexOf(item);
    if (at >= 0)
        items_.erase(items_.begin() + at);
    item->parent_ = nullptr;
}

void TTBCustomItem::Remove(TTBCustomItem *AItem)
{
    const int i = IndexOf(AItem);
    if (i >= 0)
        Delete(i);
}

void TTBCustomItem::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    // Both checks come before the update is announced, so a failure leaves no view updating.
    if (CurIndex < 0 || CurIndex >= Count() || NewIndex < 0 || NewIndex >= Count())
        throw ETBItemError(STBItemIndexOutOfRange);
    TTBCustomItem *item = items_[static_cast<size_t>(CurIndex)];
    Notify(TTBItemChangedAction::tbicSubitemsBeginUpdate, -1, nullptr);
    try {
        Delete(CurIndex);
        Insert(std::min(NewIndex, Count()), item);
    } catch (...) {
        Notify(TTBItemChangedAction::tbicSubitemsEndUpdate, -1, nullptr);
        throw;
    }
    Notify(TTBItemChangedAction::tbicSubitemsEndUpdate, -1, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Listeners

void TTBCustomItem::RegisterNotification(TTBItemChangedProc Proc, void *Data)
{
    for (TNotifyEntry &e : notifyList_)
        if (e.Proc == Proc && e.Data == Data) {
            ++e.RefCount;
            return;
        }
    notifyList_.push_back({Proc, Data, 1});
}

void TTBCustomItem::UnregisterNotification(TTBItemChangedProc Proc, void *Data)
{
    for (size_t i = 0; i < notifyList_.size(); ++i) {
        TNotifyEntry &e = notifyList_[i];
        if (e.Proc != Proc || e.Data != Data || e.RefCount == 0)
            continue;
        if (--e.RefCount == 0) {
            // During a walk the entry stays as a dead slot, so no index of the walk moves.
            if (notifyWalks_ > 0)
                notifyDirty_ = true;
            else
                notifyList_.erase(notifyList_.begin() + static_cast<std::ptrdiff_t>(i));
        }
        break;
    }
    if (notifyList_.empty())
        std::vector<TNotifyEntry>().swap(notifyList_);
}

void TTBCustomItem::CompactNotifyList()
{
    notifyDirty_ = false;
    notifyList_.erase(std::remove_if(notifyList_.begin(), notifyList_.end(),
                                     [](const TNotifyEntry &e) { return e.RefCount == 0; }),
                      notifyList_.end());
    if (notifyList_.empty())
        std::vector<TNotifyEntry>().swap(notifyList_);
}

void TTBCustomItem::CallListeners(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                                  TTBCustomItem *Item)
{
    if (notifyList_.empty())
        return;
    struct TWalk {
        TTBCustomItem *self;
        explicit TWalk(TTBCustomItem *s) : self(s) { ++self->notifyWalks_; }
        ~TWalk()
        {
            if (--self->notifyWalks_ == 0 && self->notifyDirty_)
                self->CompactNotifyList();
        }
    } walk(this);
    // By index and by value: the list may grow (and move) under a listener's call.
    for (size_t i = 0; i < notifyList_.size(); ++i) {
        const TNotifyEntry e = notifyList_[i];
        if (e.RefCount > 0)
            e.Proc(e.Data, Sender, Relayed, Action, Index, Item);
    }
}

void TTBCustomItem::Notify(TTBItemChangedAction Action, int Index, TTBCustomItem *Item)
{
    TRelayPath path;
    Deliver(this, false, Action, Index, Item, path);
}

void TTBCustomItem::Deliver(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                            TTBCustomItem *Item, TRelayPath &Path)
{
    Path.Items[Path.Count++] = this;
    if (Path.Count <= MaxRelayNesting) {
        if ((itemStyle_ & tbis::EmbeddedGroup) && parent_ && !Path.Contains(parent_))
            parent_->Deliver(Sender, true, Action, Index, Item, Path);
        for (size_t i = 0; i < linkParents_.size(); ++i) {
            TTBCustomItem *lp = linkParents_[i];
            if (lp != parent_ && !Path.Contains(lp))
                lp->Deliver(Sender, true, Action, Index, Item, Path);
        }
    }
    CallListeners(Sender, Relayed, Action, Index, Item);
    --Path.Count;
}

void TTBCustomItem::Change(bool NeedResize)
{
    if (parent_)
        parent_->Notify(NeedResize ? TTBItemChangedAction::tbicInvalidateAndResize
                                   : TTBItemChangedAction::tbicInvalidate,
                        -1, this);
}

void TTBCustomItem::EnabledChanged()
{
    Change(false);
}

void TTBCustomItem::SetName(const QString &Value)
{
    const bool changed = Value != Name();
    TComponent::SetName(Value);
    if (changed && parent_)
        parent_->Notify(TTBItemChangedAction::tbicNameChanged, -1, this);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TTBCustomItem::SetCaption(const QString &Value)
{
    if (caption_ == Value)
        return;
    caption_ = Value;
    Change(true);
}

void TTBCustomItem::UncheckGroupSiblings()
{
    if (!parent_ || groupIndex_ == 0)
        return;
    for (int i = 0; i < parent_->Count(); ++i) {
        TTBCustomItem *sibling = parent_->items_[static_cast<size_t>(i)];
        if (sibling != this && sibling->groupIndex_ == groupIndex_)
            sibling->SetChecked(false);
    }
}

void TTBCustomItem::SetChecked(bool Value)
{
    if (checked_ == Value)
        return;
    checked_ = Value;
    Change(false);
    if (Value)
        UncheckGroupSiblings();
}

void TTBCustomItem::SetDisplayMode(TTBItemDisplayMode Value)
{
    if (displayMode_ == Value)
        return;
    displayMode_ = Value;
    Change(true);
}

void TTBCustomItem::SetEnabled(bool Value)
{
    if (enabled_ == Value)
        return;
    enabled_ = Value;
    EnabledChanged();
}

void TTBCustomItem::SetGroupIndex(int Value)
{
    if (groupIndex_ == Value)
        return;
    groupIndex_ = Value;
    if (checked_)
        UncheckGroupSiblings();
}

void TTBCustomItem::SetImageIndex(int Value)
{
    if (imageIndex_ == Value)
        return;
    const bool hadImage = imageIndex_ != -1;
    imageIndex_ = Value;
    Change(hadImage != (Value != -1));
}

void TTBCustomItem::SetRadioItem(bool Value)
{
    if (radioItem_ == Value)
        return;
    radioItem_ = Value;
    Change(false);
}

void TTBCustomItem::SetVisible(bool Value)
{
    if (visible_ == Value)
        return;
    visible_ = Value;
    Change(true);
}

void TTBCustomItem::SetImageList(TCustomImageList *&Field, std::unique_ptr<TTBImageChangeLink> &Link,
                                 TCustomImageList *Value, void (TTBCustomItem::*Handler)(TCustomImageList *))
{
    if (Field == Value)
        return;
    TCustomImageList *old = Field;
    Field = Value;
    if (old) {
        old->UnRegisterChanges(Link.get());
        ReleaseReference(old);
    }
    if (!Value) {
        Link.reset();
        return;
    }
    if (!Link) {
        Link = std::make_unique<TTBImageChangeLink>();
        Link->OnChange = [this, Handler](TCustomImageList *sender) { (this->*Handler)(sender); };
    }
    Value->RegisterChanges(Link.get());
    Value->FreeNotification(this);
}

void TTBCustomItem::SetImages(TCustomImageList *Value)
{
    if (images_ == Value)
        return;
    const int oldW = imagesLink_ ? imagesLink_->LastWidth : 0;
    const int oldH = imagesLink_ ? imagesLink_->LastHeight : 0;
    SetImageList(images_, imagesLink_, Value, &TTBCustomItem::ImageListChanged);
    if (ComponentState().Contains(csDestroying))
        return;
    if (!Value) {
        Change(true);
        return;
    }
    imagesLink_->LastWidth = Value->Width();
    imagesLink_->LastHeight = Value->Height();
    Change(Value->Width() != oldW || Value->Height() != oldH);
}

void TTBCustomItem::ImageListChanged(TCustomImageList *Sender)
{
    if (!imagesLink_ || Sender != images_)
        return;
    const bool resized = Sender->Width() != imagesLink_->LastWidth || Sender->Height() != imagesLink_->LastHeight;
    imagesLink_->LastWidth = Sender->Width();
    imagesLink_->LastHeight = Sender->Height();
    Change(resized);
}

void TTBCustomItem::SetSubMenuImages(TCustomImageList *Value)
{
    if (subMenuImages_ == Value)
        return;
    SetImageList(subMenuImages_, subMenuImagesLink_, Value, &TTBCustomItem::SubMenuImageListChanged);
    if (ComponentState().Contains(csDestroying))
        return;
    if (Value) {
        subMenuImagesLink_->LastWidth = Value->Width();
        subMenuImagesLink_->LastHeight = Value->Height();
    }
    Notify(TTBItemChangedAction::tbicSubMenuImagesChanged, -1, nullptr);
}

void TTBCustomItem::SubMenuImageListChanged(TCustomImageList *Sender)
{
    if (!subMenuImagesLink_ || Sender != subMenuImages_)
        return;
    subMenuImagesLink_->LastWidth = Sender->Width();
    subMenuImagesLink_->LastHeight = Sender->Height();
    Notify(TTBItemChangedAction::tbicSubMenuImagesChanged, -1, nullptr);
}

void TTBCustomItem::SetLinkSubitems(TTBCustomItem *Value)
{
    if (Value == this)
        Value = nullptr;
    if (linkSubitems_ == Value)
        return;
    TTBCustomItem *old = linkSubitems_;
    linkSubitems_ = Value;
    if (old) {
        auto &lp = old->linkParents_;
        lp.erase(std::remove(lp.begin(), lp.end(), this), lp.end());
        ReleaseReference(old);
    }
    if (Value) {
        Value->linkParents_.push_back(this);
        Value->FreeNotification(this);
    }
    Notify(TTBItemChangedAction::tbicSubitemsChanged, -1, nullptr);
}

// One free notification serves every reference to a component, so it goes with the last one.
void TTBCustomItem::ReleaseReference(TComponent *AComponent)
{
    if (AComponent != images_ && AComponent != subMenuImages_ && AComponent != linkSubitems_ &&
        AComponent != Action())
        RemoveFreeNotification(AComponent);
}

// ---------------------------------------------------------------------------------------------
// Options

namespace {

TTBItemOptions WithoutLoneToolbarSize(TTBItemOptions o)
{
    if (!o.Contains(TTBItemOption::tboToolbarStyle))
        o.Exclude(TTBItemOption::tboToolbarSize);
    return o;
}

} // namespace

void TTBCustomItem::SetOptions(TTBItemOptions Value)
{
    Value = WithoutLoneToolbarSize(Value);
    if (options_ == Value)
        return;
    options_ = Value;
    RefreshOptions();
}

void TTBCustomItem::SetMaskOptions(TTBItemOptions Value)
{
    if (maskOptions_ == Value)
        return;
    maskOptions_ = Value;
    RefreshOptions();
}

void TTBCustomItem::SetInheritOptions(bool Value)
{
    if (inheritOptions_ == Value)
        return;
    inheritOptions_ = Value;
    RefreshOptions();
}

void TTBCustomItem::RefreshOptions()
{
    TTBItemOptions opts;
    if (inheritOptions_ && parent_)
        opts = parent_->effectiveOptions_ - TTBItemOptions{TTBItemOption::tboDefault};
    opts = WithoutLoneToolbarSize((opts - maskOptions_) | options_);
    if (opts != effectiveOptions_) {
        const std::uint64_t diff = opts.Bits() ^ effectiveOptions_.Bits();
        effectiveOptions_ = opts;
        if (diff & ResizeOptionsMask)
            Change(true);
    }
    for (TTBCustomItem *child : items_)
        if (child->inheritOptions_)
            child->RefreshOptions();
}

// ---------------------------------------------------------------------------------------------
// Actions

TBasicAction *TTBCustomItem::Action() const
{
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TTBCustomItem::SetAction(TBasicAction *Value)
{
    TBasicAction *old = Action();
    if (!Value) {
        actionLink_.reset();
        if (old)
            ReleaseReference(old);
        return;
    }
    if (!actionLink_) {
        actionLink_ = std::make_unique<TTBCustomItemActionLink>(this);
        actionLink_->OnChange = [this](TBasicAction *sender) { DoActionChange(sender); };
    }
    actionLink_->SetAction(Value);
    if (old && old != Value)
        ReleaseReference(old);
    ActionChange(Value, Value->ComponentState().Contains(csLoading));
    Value->FreeNotification(this);
}

void TTBCustomItem::DoActionChange(TBasicAction *Sender)
{
    if (Sender && Sender == Action())
        ActionChange(Sender, false);
}

void TTBCustomItem::ActionChange(TBasicAction *Sender, bool CheckDefaults)
{
    auto *a = dynamic_cast<TCustomAction *>(Sender);
    if (!a)
        return;
    if (!CheckDefaults || !autoCheck_)
        SetAutoCheck(a->AutoCheck());
    if (!CheckDefaults || caption_.isEmpty())
        SetCaption(a->Caption());
    if (!CheckDefaults || !checked_)
        SetChecked(a->Checked());
    if (!CheckDefaults || enabled_)
        SetEnabled(a->Enabled());
    if (!CheckDefaults || helpContext_ == 0)
        SetHelpContext(a->HelpContext());
    if (!CheckDefaults || hint_.isEmpty())
        SetHint(a->Hint());
    if (!CheckDefaults || imageIndex_ == -1)
        SetImageIndex(a->ImageIndex());
    if (!CheckDefaults || shortCut_ == 0)
        SetShortCut(a->ShortCut());
    if (!CheckDefaults || visible_)
        SetVisible(a->Visible());
    if (!CheckDefaults || !OnClick)
        OnClick = a->OnExecute;
}

void TTBCustomItem::InitiateAction()
{
    if (actionLink_)
        actionLink_->Update();
}

void TTBCustomItem::Loaded()
{
    TComponent::Loaded();
    if (TBasicAction *a = Action())
        ActionChange(a, true);
}

void TTBCustomItem::Click()
{
    if (!enabled_)
        return;
    if (autoCheck_ && !(actionLink_ && actionLink_->IsAutoCheckLinked()))
        SetChecked(!checked_);
    TBasicAction *action = Action();
    if (OnClick && action && !SameNotifyEvent(OnClick, action->OnExecute))
        OnClick(this);
    else if (actionLink_ && !Designing())
        actionLink_->Execute();
    else if (OnClick)
        OnClick(this);
}

void TTBCustomItem::Notification(TComponent *AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (actionLink_ && AComponent == actionLink_->Action())
        SetAction(nullptr);
    // A list being destroyed has already let go of its links; only the references go here.
    if (AComponent == images_) {
        images_ = nullptr;
        imagesLink_.reset();
        if (!ComponentState().Contains(csDestroying))
            Change(true);
    }
    if (AComponent == subMenuImages_) {
        subMenuImages_ = nullptr;
        subMenuImagesLink_.reset();
        if (!ComponentState().Contains(csDestroying))
            Notify(TTBItemChangedAction::tbicSubMenuImagesChanged, -1, nullptr);
    }
    // A target being destroyed has unlinked us already (see the destructor).
    if (AComponent == linkSubitems_)
        SetLinkSubitems(nullptr);
    linkParents_.erase(std::remove(linkParents_.begin(), linkParents_.end(), AComponent), linkParents_.end());
}

// ---------------------------------------------------------------------------------------------
// Streaming-style parenthood

void TTBCustomItem::GetChildren(const std::function<void(TComponent *Child)> &Proc) const
{
    const std::vector<TTBCustomItem *> snapshot = items_;
    for (TTBCustomItem *child : snapshot)
        Proc(child);
}

void TTBCustomItem::SetChildOrder(TComponent *Child, int Order)
{
    auto *item = dynamic_cast<TTBCustomItem *>(Child);
    const int i = IndexOf(item);
    if (i >= 0 && Order >= 0 && Order < Count())
        Move(i, Order);
}

TComponent *TTBCustomItem::GetParentComponent() const
{
    if (parent_ && parent_->parentComponent_)
        return parent_->parentComponent_;
    return parent_;
}

void TTBCustomItem::SetParentComponent(TComponent *Value)
{
    if (parent_)
        parent_->Remove(this);
    if (auto *item = dynamic_cast<TTBCustomItem *>(Value))
        item->Add(this);
    else if (auto *holder = dynamic_cast<ITBItems *>(Value))
        holder->GetItems()->Add(this);
}

// ---------------------------------------------------------------------------------------------
// Shortcuts

QString TTBCustomItem::ItemShortCutText() const
{
    const qsizetype tab = caption_.indexOf(QLatin1Char('\t'));
    if (tab >= 0 && tab < caption_.size() - 1)
        return caption_.mid(tab + 1);
    if (shortCut_ != 0)
        return ShortCutToText(shortCut_);
    return {};
}

bool TTBCustomItem::IsShortCut(const TMessage &Message)
{
    return IsShortCut(ShortCutFromMessage(Message));
}

bool TTBCustomItem::IsShortCut(TShortCut AShortCut)
{
    if (AShortCut == 0)
        return false;
    std::vector<TTBCustomItem *> path;
    TTBCustomItem *found = nullptr;
    FindShortCut(this, AShortCut, 0, path, found);
    if (!found || !found->enabled_)
        return false;
    found->Click();
    return true;
}

// Searches the children shown under Level; true once the search is over (found or ended).
// Path holds the item lists being searched, so a cycle of links ends instead of repeating.
bool TTBCustomItem::FindShortCut(TTBCustomItem *Level, TShortCut AShortCut, int LinkDepth,
                                 std::vector<TTBCustomItem *> &Path, TTBCustomItem *&Found)
{
    TTBCustomItem *source = Level;
    if (Level->linkSubitems_) {
        source = Level->linkSubitems_;
        if (++LinkDepth > MaxShortCutLinkDepth)
            return false;
    }
    if (std::find(Path.begin(), Path.end(), source) != Path.end())
        return false;
    if (!(Level->itemStyle_ & tbis::EmbeddedGroup)) {
        if (Level->linkSubitems_)
            Level->linkSubitems_->DoPopup(Level, true);
        Level->DoPopup(Level, false);
    }
    if (!source->Designing())
        for (size_t i = 0; i < source->items_.size(); ++i)
            source->items_[i]->InitiateAction();
    Path.push_back(source);
    for (size_t i = 0; i < source->items_.size(); ++i) {
        TTBCustomItem *child = source->items_[i];
        if (child->shortCut_ == AShortCut) {
            Found = child;
            return true;
        }
        if (!child->enabled_)
            continue;
        if ((child->Count() > 0 || child->linkSubitems_) && FindShortCut(child, AShortCut, LinkDepth, Path, Found))
            return true;
    }
    Path.pop_back();
    return false;
}

// ---------------------------------------------------------------------------------------------
// Popups

void TTBCustomItem::DoPopup(TTBCustomItem *Sender, bool FromLink)
{
    if (OnPopup)
        OnPopup(Sender, FromLink);
    if (!(itemStyle_ & tbis::SplitDropdown))
        Click();
}

TTBPopupWindow *TTBCustomItem::OpenItemPopup(TTBView *ParentView, TTBItemViewer *ParentViewer,
                                             TTBPopupAlignment Alignment, const TPoint &PopupPoint,
                                             bool Customizing, bool SelectFirst, bool PositionAsSubmenu)
{
    if (linkSubitems_)
        linkSubitems_->DoPopup(this, true);
    DoPopup(this, false);
    if (!PopupHooks().OpenPopup)
        return nullptr;
    TTBPopupOpenArgs args;
    args.ParentView = ParentView;
    args.ParentViewer = ParentViewer;
    args.Alignment = Alignment;
    args.PopupPoint = PopupPoint;
    args.Customizing = Customizing;
    args.SelectFirst = SelectFirst;
    args.PositionAsSubmenu = PositionAsSubmenu;
    return PopupHooks().OpenPopup(this, args);
}

TTBPopupWindow *TTBCustomItem::CreatePopupWindow(TTBView *ParentView, bool Customizing)
{
    return PopupHooks().CreateWindow ? PopupHooks().CreateWindow(this, ParentView, Customizing) : nullptr;
}

void TTBCustomItem::ComputePopupPosition(TTBView *ParentView, TTBPopupPositionRec &Rec) { ::ComputePopupPosition(Rec); }

// ---------------------------------------------------------------------------------------------
// The item classes

TTBGroupItem::TTBGroupItem(TComponent *AOwner) : TTBCustomItem(AOwner)
{
    SetItemStyle(ItemStyle() | tbis::EmbeddedGroup | tbis::HoldsChildItems);
}

TTBSeparatorItem::TTBSeparatorItem(TComponent *AOwner) : TTBCustomItem(AOwner)
{
    SetItemStyle((ItemStyle() & ~(tbis::Selectable | tbis::RepaintOnSelect | tbis::RepaintOnPressHover)) |
                 tbis::IsSeparator | tbis::IgnoresClicks);
}

void TTBSeparatorItem::SetBlank(bool Value)
{
    if (blank_ == Value)
        return;
    blank_ = Value;
    Change(false);
}

TTBControlItem::TTBControlItem(TComponent *AOwner) : TTBCustomItem(AOwner)
{
    SetItemStyle((ItemStyle() & ~tbis::Selectable) | tbis::IgnoresClicks);
}

TTBControlItem *TTBControlItem::CreateControlItem(TComponent *AOwner, TControl *AControl)
{
    auto *item = new TTBControlItem(AOwner);
    item->control_ = AControl;
    if (AControl)
        AControl->FreeNotification(item);
    return item;
}

TTBControlItem::~TTBControlItem()
{
    TControl *control = control_;
    control_ = nullptr;
    if (control) {
        RemoveFreeNotification(control);
        if (!dontFreeControl_ && !control->ComponentState().Contains(csDestroying))
            delete control;
    }
}

void TTBControlItem::SetControl(TControl *Value)
{
    if (control_ == Value)
        return;
    if (control_)
        RemoveFreeNotification(control_);
    control_ = Value;
    if (Value)
        Value->FreeNotification(this);
    Change(true);
}

void TTBControlItem::Notification(TComponent *AComponent, TOperation Operation)
{
    TTBCustomItem::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == control_)
        SetControl(nullptr);
}
