#include "TB2ItemView.h"

#include "TB2Acc.h"
#include "TB2Anim.h"
#include "TB2Common.h"
#include "TB2ItemWindow.h"
#include "platform/Forms.h"
#include "platform/InputRouter.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <QApplication>
#include <algorithm>
#include <cstdlib>

namespace {

bool HasStyle(const TTBCustomItem *item, TTBItemStyle flag) { return item && (item->ItemStyle() & flag) != 0; }

constexpr auto ItemListener = &TBMethodListener<TTBView, &TTBView::ItemNotification>;
constexpr auto RootListener = &TBMethodListener<TTBView, &TTBView::RootItemNotification>;

constexpr WORD VK_F10 = 0x79;

constexpr unsigned EVENT_OBJECT_FOCUS = 0x8005;
constexpr int OBJID_CLIENT = -4;

// Deeper than this, embedded groups show nothing.
constexpr int MaxGroupLevel = 10;

} // namespace

TPoint &TBLastCursorPos()
{
    thread_local TPoint pos{tbNoCursorPos, 0};
    return pos;
}

namespace {

std::unique_ptr<TFont> &MenuFontHolder()
{
    static std::unique_ptr<TFont> font;
    return font;
}

void LoadMenuFont(TFont &font)
{
    const TSysParams &p = SysParams();
    font.SetName(p.MenuFontName.isEmpty() ? DefaultFontName() : p.MenuFontName);
    font.SetHeight(p.MenuFontHeight);
}

} // namespace

TFont *TBMenuFont()
{
    std::unique_ptr<TFont> &font = MenuFontHolder();
    if (!font) {
        font = std::make_unique<TFont>();
        LoadMenuFont(*font);
    }
    return font.get();
}

void TBUpdateMenuFont() { LoadMenuFont(*TBMenuFont()); }

// ---------------------------------------------------------------------------------------------
// Life

TTBView::TTBView(TComponent *AOwner, TTBView *AParentView, TTBCustomItem *AParentItem, TWinControl *AWindow,
                 bool AIsToolbar, bool ACustomizing, bool AUsePriorityList)
    : TComponent(AOwner), customizing_(ACustomizing), isPopup_(!AIsToolbar), isToolbar_(AIsToolbar),
      parentView_(AParentView), parentItem_(AParentItem), usePriorityList_(AUsePriorityList), window_(AWindow)
{
    TBInstallPopupWindows();
    if (parentItem_) {
        parentItem_->RegisterNotification(RootListener, this);
        FreeNotification(parentItem_);
    }
    LinkCurParentItem();
    RecreateAllViewers();
    TBAccViewCreated(this);
}

TTBView::~TTBView()
{
    destroying_ = true;
    CloseChildPopups();
    TBAccViewDestroying(this);
    if (parentView_ && parentView_->IsToolbar()) {
        parentView_->state_.Include(TTBViewStateItem::vsNoAnimation);
        if (parentView_->openViewer_)
            parentView_->InvalidateViewer(parentView_->openViewer_);
    }
    UnlinkCurParentItem();
    if (parentItem_) {
        parentItem_->UnregisterNotification(RootListener, this);
        RemoveFreeNotification(parentItem_);
    }
    FreeViewers();
    if (parentView_ && !parentView_->destroying_)
        parentView_->NotifyFocusEvent();
}

void TTBView::Notification(TComponent *AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == curParentItem_ && curParentItem_ != parentItem_) {
        UnlinkCurParentItem();
        curParentItem_ = nullptr;
        if (!destroying_)
            RecreateAllViewers();
    }
    if (AComponent == parentItem_) {
        UnlinkCurParentItem();
        parentItem_ = nullptr;
        curParentItem_ = nullptr;
        if (!destroying_)
            RecreateAllViewers();
    }
}

void TTBView::LinkCurParentItem()
{
    curParentItem_ = parentItem_ && parentItem_->LinkSubitems() ? parentItem_->LinkSubitems() : parentItem_;
    if (!curParentItem_)
        return;
    curParentItem_->RegisterNotification(ItemListener, this);
    if (curParentItem_ != parentItem_)
        FreeNotification(curParentItem_);
}

void TTBView::UnlinkCurParentItem()
{
    if (!curParentItem_)
        return;
    curParentItem_->UnregisterNotification(ItemListener, this);
    if (curParentItem_ != parentItem_)
        RemoveFreeNotification(curParentItem_);
    curParentItem_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Viewers

void TTBView::FreeViewers()
{
    selected_ = nullptr;
    openViewer_ = nullptr;
    priorityList_.clear();
    viewers_.clear();
    internalViewersAtFront_ = internalViewersAtEnd_ = 0;
}

int TTBView::InsertItemViewers(int NewIndex, TTBCustomItem *AItem, int AGroupLevel, bool AddToPriorityList,
                               bool TopOfPriorityList)
{
    if (AGroupLevel > MaxGroupLevel)
        return 0;
    TTBItemViewer *v = AItem->GetItemViewerClass(this)(this, AItem, AGroupLevel);
    viewers_.insert(viewers_.begin() + NewIndex, std::unique_ptr<TTBItemViewer>(v));
    if (usePriorityList_ && AddToPriorityList) {
        if (TopOfPriorityList)
            priorityList_.insert(priorityList_.begin(), v);
        else
            priorityList_.push_back(v);
    }
    int count = 1;
    if (HasStyle(AItem, tbis::EmbeddedGroup) && !customizing_) {
        TTBCustomItem *group = AItem->LinkSubitems() ? AItem->LinkSubitems() : AItem;
        for (int i = 0; i < group->Count(); ++i)
            count += InsertItemViewers(NewIndex + count, group->GetItem(i), AGroupLevel + 1, AddToPriorityList,
                                       TopOfPriorityList);
    }
    return count;
}

void TTBView::RecreateAllViewers()
{
    CloseChildPopups();
    Select(nullptr, false);
    InvalidatePositions();
    FreeViewers();
    if (TTBCustomItem *leading = GetLeadingItem())
        internalViewersAtFront_ = InsertItemViewers(0, leading, 0, false, false);
    if (curParentItem_)
        for (int i = 0; i < curParentItem_->Count(); ++i)
            InsertItemViewers(ViewerCount(), curParentItem_->GetItem(i), 0, true, false);
    if (TTBCustomItem *trailing = GetTrailingItem())
        for (int i = 0; i < trailing->Count(); ++i)
            internalViewersAtEnd_ += InsertItemViewers(ViewerCount(), trailing->GetItem(i), 0, false, false);
    if (TTBCustomItem *chevron = GetChevronItem())
        internalViewersAtEnd_ += InsertItemViewers(ViewerCount(), chevron, 0, false, false);
    const bool designing =
        curParentItem_ && curParentItem_->ComponentState().Contains(TComponentStateItem::csDesigning);
    if (!designing)
        for (auto &v : viewers_)
            v->Item->InitiateAction();
}

void TTBView::SetUsePriorityList(bool Value)
{
    if (usePriorityList_ == Value)
        return;
    usePriorityList_ = Value;
    RecreateAllViewers();
}

void TTBView::DeletingViewer(TTBItemViewer *AViewer)
{
    if (selected_ == AViewer)
        Select(nullptr, false);
    if (openViewer_ == AViewer)
        CloseChildPopups();
    std::erase(priorityList_, AViewer);
}

// Items that arrive while their form loads, or is built before it is first shown (the window
// may not sit on it yet), are the designed ones, in their designed order; only later ones are
// new, even while the form is hidden again.
bool TTBView::NewItemFirst(const TTBCustomItem *AItem) const
{
    const auto loading = [](const TComponent *c) { return c && c->ComponentState().Contains(csLoading); };
    if (const TForm *form = window_ ? GetParentForm(window_) : nullptr; window_ && !(form && form->ShownOnce()))
        return false;
    return newViewersGetHighestPriority_ && !loading(AItem) && !loading(parentItem_) &&
           !(parentItem_ && loading(parentItem_->Owner()));
}

void TTBView::RecreateItemViewer(int Index)
{
    TTBItemViewer *old = viewers_[size_t(Index)].get();
    TTBItemViewer *v = old->Item->GetItemViewerClass(this)(this, old->Item, old->GroupLevel);
    // The new viewer takes the old one's place in the priority list, looked up before the
    // old one leaves it.
    const auto it = std::find(priorityList_.begin(), priorityList_.end(), old);
    const std::ptrdiff_t place = it == priorityList_.end() ? -1 : it - priorityList_.begin();
    DeletingViewer(old);
    if (place >= 0)
        priorityList_.insert(priorityList_.begin() + place, v);
    viewers_[size_t(Index)].reset(v);
}

// An item inserted into an embedded group that this view shows: its viewers go into the
// group's block, after the viewers of the item before it at the group's level.
void TTBView::InsertIntoGroups(TTBCustomItem *Group, int Index, TTBCustomItem *AItem)
{
    if (customizing_)
        return;
    for (int i = 0; i < ViewerCount(); ++i) {
        TTBCustomItem *it = viewers_[size_t(i)]->Item;
        const TTBCustomItem *children = it->LinkSubitems() ? it->LinkSubitems() : it;
        if (children != Group || !HasStyle(it, tbis::EmbeddedGroup))
            continue;
        const int level = viewers_[size_t(i)]->GroupLevel + 1;
        int end = i + 1;
        while (end < ViewerCount() && viewers_[size_t(end)]->GroupLevel >= level)
            ++end;
        int at = i + 1;
        if (Index > 0) {
            const TTBCustomItem *prev = Group->GetItem(Index - 1);
            for (int j = i + 1; j < end; ++j)
                if (viewers_[size_t(j)]->Item == prev && viewers_[size_t(j)]->GroupLevel == level) {
                    at = j + 1;
                    while (at < end && viewers_[size_t(at)]->GroupLevel > level)
                        ++at;
                    break;
                }
        }
        i = end - 1 + InsertItemViewers(at, AItem, level, true, NewItemFirst(AItem));
    }
}

void TTBView::ItemNotification(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                               TTBCustomItem *Item)
{
    using A = TTBItemChangedAction;
    switch (Action) {
    case A::tbicInserted: {
        if (Relayed) {
            InsertIntoGroups(Sender, Index, Item);
            InvalidatePositions();
            break;
        }
        int at = internalViewersAtFront_;
        if (Index > 0) {
            TTBItemViewer *prev = Find(Sender->GetItem(Index - 1));
            if (prev) {
                at = IndexOf(prev) + 1;
                while (at < ViewerCount() - internalViewersAtEnd_ && viewers_[size_t(at)]->GroupLevel > 0)
                    ++at;
            } else
                at = ViewerCount() - internalViewersAtEnd_;
        }
        InsertItemViewers(at, Item, 0, true, NewItemFirst(Item));
        InvalidatePositions();
        break;
    }
    case A::tbicDeleting: {
        if (Relayed) {
            // The group still lists the item: rebuild once it has gone.
            InvalidatePositions();
            for (int i = 0; i < ViewerCount(); ++i)
                if (viewers_[size_t(i)]->Item == Item) {
                    const int level = viewers_[size_t(i)]->GroupLevel;
                    int end = i + 1;
                    while (end < ViewerCount() && viewers_[size_t(end)]->GroupLevel > level)
                        ++end;
                    for (int j = i; j < end; ++j)
                        DeletingViewer(viewers_[size_t(j)].get());
                    viewers_.erase(viewers_.begin() + i, viewers_.begin() + end);
                    break;
                }
            break;
        }
        for (int i = 0; i < ViewerCount(); ++i) {
            if (viewers_[size_t(i)]->Item != Item || viewers_[size_t(i)]->GroupLevel != 0)
                continue;
            int end = i + 1;
            while (end < ViewerCount() && viewers_[size_t(end)]->GroupLevel > 0)
                ++end;
            for (int j = i; j < end; ++j)
                DeletingViewer(viewers_[size_t(j)].get());
            viewers_.erase(viewers_.begin() + i, viewers_.begin() + end);
            break;
        }
        InvalidatePositions();
        break;
    }
    case A::tbicSubitemsChanged:
        if (Relayed)
            RecreateAllViewers();
        break;
    case A::tbicSubitemsBeginUpdate: BeginUpdate(); break;
    case A::tbicSubitemsEndUpdate: EndUpdate(); break;
    case A::tbicInvalidate:
        for (auto &v : viewers_)
            if (v->Item == Item)
                InvalidateViewer(v.get());
        break;
    case A::tbicInvalidateAndResize: InvalidatePositions(); break;
    case A::tbicRecreateItemViewers:
        InvalidatePositions();
        for (int i = 0; i < ViewerCount(); ++i)
            if (viewers_[size_t(i)]->Item == Item)
                RecreateItemViewer(i);
        break;
    case A::tbicNameChanged: return;
    case A::tbicSubMenuImagesChanged:
        for (TTBView *v = this; v; v = v->openViewerView_)
            v->InvalidatePositions();
        break;
    }
    TryValidatePositions();
}

void TTBView::RootItemNotification(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                                   TTBCustomItem *Item)
{
    if (Relayed || Sender != parentItem_)
        return;
    if (Action == TTBItemChangedAction::tbicSubitemsChanged) {
        TTBCustomItem *target = parentItem_->LinkSubitems() ? parentItem_->LinkSubitems() : parentItem_;
        if (target != curParentItem_) {
            UnlinkCurParentItem();
            LinkCurParentItem();
            RecreateAllViewers();
            TryValidatePositions();
        }
    } else if (Action == TTBItemChangedAction::tbicSubMenuImagesChanged && curParentItem_ != parentItem_) {
        ItemNotification(Sender, false, Action, Index, Item);
    }
}

int TTBView::IndexOf(const TTBItemViewer *AViewer) const
{
    for (size_t i = 0; i < viewers_.size(); ++i)
        if (viewers_[i].get() == AViewer)
            return int(i);
    return -1;
}

TTBItemViewer *TTBView::Find(const TTBCustomItem *AItem) const
{
    for (auto &v : viewers_)
        if (v->Item == AItem)
            return v.get();
    return nullptr;
}

TTBItemViewer *TTBView::ViewerFromPoint(const TPoint &P) const
{
    for (auto &v : viewers_)
        if (v->Show && v->BoundsRect.Contains(P))
            return v.get();
    return nullptr;
}

bool TTBView::IsSelectableViewer(const TTBItemViewer *V) const
{
    return V->IsAccessible() && V->Item->Visible() && HasStyle(V->Item, tbis::Selectable);
}

TTBItemViewer *TTBView::NextSelectable(TTBItemViewer *CurViewer, bool GoForward) const
{
    const int n = ViewerCount();
    if (n == 0)
        return nullptr;
    int i = CurViewer ? IndexOf(CurViewer) : (GoForward ? -1 : n);
    for (int tries = 0; tries < n; ++tries) {
        i = GoForward ? (i + 1 >= n ? 0 : i + 1) : (i - 1 < 0 ? n - 1 : i - 1);
        if (IsSelectableViewer(viewers_[size_t(i)].get()))
            return viewers_[size_t(i)].get();
    }
    return nullptr;
}

TTBItemViewer *TTBView::FirstSelectable() const
{
    for (auto &v : viewers_)
        if (IsSelectableViewer(v.get()) && !HasStyle(v->Item, tbis::DontSelectFirst))
            return v.get();
    return nullptr;
}

bool TTBView::AccelMatches(const TTBItemViewer *V, QChar Key, bool Primary, bool Enabled) const
{
    const TTBCustomItem *it = V->Item;
    if (!V->IsAccessible() || !HasStyle(it, tbis::Selectable) || !it->Visible() || !V->CaptionShown() ||
        it->Enabled() != Enabled)
        return false;
    const QString caption = GetCaptionTextOf(it);
    if (Primary)
        return IsAccelChar(caption, Key.unicode());
    return FindAccelChar(caption) == 0 && !caption.isEmpty() && Key != QLatin1Char(' ') &&
           caption.left(1).compare(QString(Key), Qt::CaseInsensitive) == 0;
}

TTBItemViewer *TTBView::NextSelectableWithAccel(TTBItemViewer *CurViewer, QChar Key, bool RequirePrimaryAccel,
                                                bool &IsOnlyItemWithAccel) const
{
    IsOnlyItemWithAccel = false;
    const int n = ViewerCount();
    if (n == 0)
        return nullptr;
    const int start = CurViewer ? IndexOf(CurViewer) : -1;
    auto search = [&](int from, bool primary, bool enabled) -> int {
        int i = from;
        for (int tries = 0; tries < n; ++tries) {
            i = i + 1 >= n ? 0 : i + 1;
            if (AccelMatches(viewers_[size_t(i)].get(), Key, primary, enabled))
                return i;
        }
        return -1;
    };
    for (const bool primary : {true, false}) {
        if (!primary && RequirePrimaryAccel)
            break;
        for (const bool enabled : {true, false}) {
            const int found = search(start, primary, enabled);
            if (found < 0)
                continue;
            IsOnlyItemWithAccel = !primary || search(found, primary, enabled) == found;
            return viewers_[size_t(found)].get();
        }
    }
    return nullptr;
}

TTBItemViewer *TTBView::HighestPriorityViewer()
{
    EnsureLayout();
    if (usePriorityList_) {
        for (TTBItemViewer *v : priorityList_)
            if (v->Show && !HasStyle(v->Item, tbis::IsSeparator))
                return v;
        return nullptr;
    }
    for (auto &v : viewers_)
        if (v->Show && !HasStyle(v->Item, tbis::IsSeparator))
            return v.get();
    return nullptr;
}

void TTBView::GetClippedControls(std::vector<TControl *> &List) const
{
    for (auto &v : viewers_)
        if (v->Clipped)
            if (auto *ci = dynamic_cast<TTBControlItem *>(v->Item))
                if (auto *w = dynamic_cast<TWinControl *>(ci->Control()))
                    List.push_back(w);
}

// ---------------------------------------------------------------------------------------------
// Layout

void TTBView::GetMargins(TTBViewOrientation AOrientation, TRect &Margins)
{
    Margins = AOrientation == TTBViewOrientation::tbvoFloating ? TRect{4, 2, 4, 1} : TRect{};
}

TFont *TTBView::GetFont()
{
    if (TFont *menu = TBMenuFont())
        return menu;
    return window_ ? window_->Font() : nullptr;
}

// New content in a window that is still animating open: the animation ends, so the window
// shows it (on Windows such a window gets WM_PAINT only then; here exposures paint it too).
static void ContentChanged(TControl *window)
{
    if (window && MenuAnimationWindow() == window)
        EndMenuAnimation(window);
}

void TTBView::InvalidatePositions()
{
    positionsValid_ = false;
    ContentChanged(window_);
    if (window_)
        window_->Invalidate();
}

void TTBView::BeginUpdate() { ++updateCount_; }

void TTBView::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        TryValidatePositions();
}

void TTBView::EnsureLayout()
{
    if (!positionsValid_) {
        TPoint size;
        UpdatePositions(size);
    }
}

void TTBView::TryValidatePositions()
{
    if (updateCount_ > 0)
        return;
    if (parentItem_ && (parentItem_->ComponentState().Contains(csLoading) ||
                        (parentItem_->Owner() && parentItem_->Owner()->ComponentState().Contains(csLoading))))
        return;
    EnsureLayout();
}

void TTBView::SetMaxSize(int Value)
{
    if (maxSize_ != Value) {
        maxSize_ = Value;
        InvalidatePositions();
    }
}

void TTBView::SetWrapOffset(int Value)
{
    if (wrapOffset_ != Value) {
        wrapOffset_ = Value;
        InvalidatePositions();
    }
}

void TTBView::SetOrientation(TTBViewOrientation Value)
{
    if (orientation_ != Value) {
        orientation_ = Value;
        InvalidatePositions();
    }
}

void TTBView::SetCustomizing(bool Value)
{
    if (customizing_ != Value) {
        customizing_ = Value;
        RecreateAllViewers();
    }
}

void TTBView::LayoutViewers(bool Apply, TTBViewOrientation AOrientation, int AChevronSize, int AMaxSize,
                            int AWrapOffset, int &LineCount, TPoint &Size, TPoint &BaseSz, bool &Changed)
{
    const TTBViewOrientation savedOrientation = orientation_;
    orientation_ = AOrientation;
    const int n = ViewerCount();
    TTBCustomItem *chevron = GetChevronItem();
    const bool designing = parentItem_ && parentItem_->ComponentState().Contains(TComponentStateItem::csDesigning);

    layoutItems_.assign(size_t(n), TTBLayoutItem{});
    for (int i = 0; i < n; ++i) {
        TTBItemViewer *v = viewers_[size_t(i)].get();
        TTBCustomItem *it = v->Item;
        TTBLayoutItem &li = layoutItems_[size_t(i)];
        const TTBItemStyle style = it->ItemStyle();
        li.IsChevron = chevron && it == chevron && i == n - 1;
        li.IsSeparator = style & tbis::IsSeparator;
        li.ToolbarSize = v->UsesToolbarSize();
        li.RightAlign = style & tbis::RightAlign;
        li.FillsLineThickness = style & tbis::FillsLineThickness;
        li.KeepsLineAfterWrap = style & tbis::KeepsLineAfterWrap;
        if (auto *ci = dynamic_cast<TTBControlItem *>(it)) {
            li.IsControl = true;
            TControl *c = ci->Control();
            li.Candidate = c && window_ && c->Parent() == window_ && (c->Visible() || designing);
            continue;
        }
        bool candidate = it->Visible() && (!(style & tbis::EmbeddedGroup) || customizing_);
        if (chevronParentView_ && !li.IsSeparator) {
            const int j = i + chevronParentView_->LeadingCount();
            candidate = candidate && j < chevronParentView_->ViewerCount() && chevronParentView_->Viewers(j)->Clipped;
        }
        li.Candidate = candidate;
    }

    TCanvas canvas;
    if (TFont *f = GetFont())
        canvas.Font()->Assign(*f);
    std::vector<int> priority;
    TTBLayoutParams p;
    p.Orientation = AOrientation;
    p.IsToolbar = isToolbar_;
    p.IsPopup = isPopup_;
    p.IsChevronPopup = chevronParentView_ != nullptr;
    p.HasChevron = chevron && n > 0 && layoutItems_.back().IsChevron;
    GetMargins(AOrientation, p.Margins);
    p.ChevronSize = AChevronSize;
    p.MaxSize = AMaxSize;
    p.WrapOffset = AWrapOffset;
    p.MaxHeight = maxHeight_;
    if (Apply)
        p.MinSize = minimumSize_;
    if (usePriorityList_) {
        priority.reserve(priorityList_.size());
        for (TTBItemViewer *v : priorityList_)
            priority.push_back(IndexOf(v));
        p.Priority = &priority;
    }
    p.Measure = [&](int i, int &w, int &h, bool &same) {
        TTBItemViewer *v = viewers_[size_t(i)].get();
        TTBCustomItem *it = v->Item;
        if (auto *ci = dynamic_cast<TTBControlItem *>(it)) {
            w = ci->Control()->Width();
            h = ci->Control()->Height();
            return;
        }
        const TFontStyles oldStyle = canvas.Font()->Style();
        if (it->EffectiveOptions().Contains(TTBItemOption::tboDefault))
            canvas.Font()->SetStyle(TFontStyles(oldStyle).Include(TFontStyle::fsBold));
        std::unique_ptr<TTBItemViewer> temp;
        if (it->NeedToRecreateViewer(v)) {
            if (Apply) {
                RecreateItemViewer(i);
                v = viewers_[size_t(i)].get();
            } else {
                temp.reset(it->GetItemViewerClass(this)(this, it, v->GroupLevel));
                v = temp.get();
            }
        }
        v->CalcSize(canvas, w, h);
        same = v->UsesSameWidth();
        canvas.Font()->SetStyle(oldStyle);
    };

    int scroll = scrollOffset_;
    TTBLayoutResult result;
    LayoutViewerRecords(p, layoutItems_, layoutRecords_, scroll, result);
    LineCount = result.LineCount;
    Size = result.Size;
    BaseSz = result.BaseSize;
    Changed = false;

    if (Apply) {
        scrollOffset_ = scroll;
        showUpArrow_ = result.ShowTopArrow;
        showDownArrow_ = result.ShowBottomArrow;
        for (int i = 0; i < n; ++i) {
            const TTBLayoutRecord &r = layoutRecords_[size_t(i)];
            auto *ci = dynamic_cast<TTBControlItem *>(viewers_[size_t(i)]->Item);
            TControl *c = ci ? ci->Control() : nullptr;
            if (!c || c->Parent() != window_)
                continue;
            if (r.Show) {
                c->SetBounds(r.Bounds.Left, r.Bounds.Top, r.Bounds.Width(), r.Bounds.Height());
                if (!c->Visible())
                    c->Show();
            } else if (r.Clipped || r.OffEdge) {
                // Out of sight, at its own size.
                c->SetBounds(-c->Width() - 10000, -c->Height() - 10000, c->Width(), c->Height());
            }
        }
        if (result.ChevronOverflow && chevron)
            chevron->SetEnabled(result.NonControlClipped);
        for (int i = 0; i < n; ++i) {
            TTBItemViewer *v = viewers_[size_t(i)].get();
            const TTBLayoutRecord &r = layoutRecords_[size_t(i)];
            const std::uint8_t state = r.LineBreak ? (v->State | tbvsLineBreak) : (v->State & ~tbvsLineBreak);
            if (v->BoundsRect != r.Bounds || v->Show != r.Show || v->Clipped != r.Clipped || v->OffEdge != r.OffEdge ||
                v->State != state)
                Changed = true;
            v->BoundsRect = r.Bounds;
            v->Show = r.Show;
            v->Clipped = r.Clipped;
            v->OffEdge = r.OffEdge;
            v->State = state;
        }
    }
    orientation_ = savedOrientation;
}

void TTBView::UpdatePositions(TPoint &ASize)
{
    int lines = 0;
    TPoint base;
    bool changed = false;
    LayoutViewers(true, orientation_, chevronSize_, maxSize_, wrapOffset_, lines, ASize, base, changed);
    baseSize_ = base;
    const bool designing = parentItem_ && parentItem_->ComponentState().Contains(TComponentStateItem::csDesigning);
    positionsValid_ = !(changed && designing);
    AutoSize(ASize.X, ASize.Y);
    if (changed && window_) {
        ContentChanged(window_);
        window_->Invalidate();
    }
}

// ---------------------------------------------------------------------------------------------
// Selection

TTBView *TTBView::RootView()
{
    TTBView *v = this;
    while (v->parentView_)
        v = v->parentView_;
    return v;
}

TTBView *TTBView::InnermostView()
{
    TTBView *v = this;
    while (v->openViewerView_)
        v = v->openViewerView_;
    return v;
}

void TTBView::UpdateMouseOver(bool Capturing)
{
    bool over = false;
    if (selected_ && window_) {
        const TPoint pt = GetCursorPos();
        QWidget *under = TInputRouter::WidgetAt(pt);
        if (under && (under == window_ || window_->isAncestorOf(under))) {
            const TPoint client = window_->ScreenToClient(pt);
            over = ViewerFromPoint(client) == selected_;
            if (over && Capturing)
                over = selected_->IsPtInButtonPart(client.X - selected_->BoundsRect.Left,
                                                   client.Y - selected_->BoundsRect.Top);
        }
    }
    if (over != mouseOverSelected_) {
        mouseOverSelected_ = over;
        if (selected_ && Capturing && HasStyle(selected_->Item, tbis::RepaintOnPressHover))
            selected_->Invalidate();
    }
}

void TTBView::Select(TTBItemViewer *Value, bool ViaMouse)
{
    if (Value && parentView_ && parentView_->openViewer_ && parentView_->selected_ != parentView_->openViewer_) {
        TTBView *pv = parentView_;
        pv->Select(pv->openViewer_, ViaMouse);
        pv->StopTimer(TTBViewTimerID::tiClose);
        pv->StopTimer(TTBViewTimerID::tiOpen);
    }
    const bool modal = state_.Contains(TTBViewStateItem::vsModal);
    if (modal) {
        if (isToolbar_ || !ViaMouse) {
            StopTimer(TTBViewTimerID::tiClose);
            if (Value != openViewer_)
                CloseChildPopups();
        } else if (openViewerView_) {
            // Back on the item whose submenu is open keeps it; elsewhere it closes after the delay.
            if (Value == openViewer_)
                StopTimer(TTBViewTimerID::tiClose);
            else if (!TimerRunning(TTBViewTimerID::tiClose))
                StartTimer(TTBViewTimerID::tiClose, GetMenuShowDelay());
        }
    }
    TTBItemViewer *old = selected_;
    if (Value == old) {
        UpdateMouseOver(captured_);
        return;
    }
    if (captured_) {
        captured_ = false;
        TBLastCursorPos().X = tbNoCursorPos;
        if (old)
            old->Invalidate();
    }
    if (old)
        old->Leaving();
    selected_ = Value;
    selectedViaMouse_ = ViaMouse;
    mouseOverSelected_ = false;
    UpdateMouseOver(false);

    if (old && HasStyle(old->Item, tbis::RepaintOnSelect))
        old->Invalidate();
    if (Value) {
        if (HasStyle(Value->Item, tbis::RepaintOnSelect))
            Value->Invalidate();
        Value->Entering(old);
    }
    NotifyFocusEvent();
    if (!modal)
        return;
    if (isPopup_) {
        StopTimer(TTBViewTimerID::tiOpen);
        if (Value && ViaMouse && HasStyle(Value->Item, tbis::HasSubmenu))
            StartTimer(TTBViewTimerID::tiOpen, GetMenuShowDelay());
    } else if (isToolbar_) {
        if (ViaMouse && parentView_)
            state_.Include(TTBViewStateItem::vsDropDownMenus);
        if (state_.Contains(TTBViewStateItem::vsDropDownMenus) && Value &&
            !(!ViaMouse && HasStyle(Value->Item, tbis::NoAutoOpen)))
            OpenChildPopup(!ViaMouse);
    }
}

void TTBView::SetOpenViewer(TTBItemViewer *AViewer, TTBView *AView, TTBPopupWindow *AWindow)
{
    openViewer_ = AViewer;
    openViewerView_ = AView;
    openViewerWindow_ = AWindow;
    if (isToolbar_ && AViewer)
        state_.Include(TTBViewStateItem::vsDropDownMenus);
    if (AViewer)
        InvalidateViewer(AViewer);
}

bool TTBView::OpenChildPopup(bool SelectFirstItem)
{
    StopTimer(TTBViewTimerID::tiClose);
    StopTimer(TTBViewTimerID::tiOpen);
    if (selected_ != openViewer_) {
        CloseChildPopups();
        TTBItemViewer *v = selected_;
        if (v && v->Item->Enabled() && HasStyle(v->Item, tbis::HasSubmenu))
            v->Item->OpenItemPopup(this, v, TTBPopupAlignment::tbpaLeft, {}, customizing_, SelectFirstItem,
                                   !isToolbar_);
    }
    wheelAccum_ = 0;
    return openViewer_ != nullptr;
}

void TTBView::CloseChildPopups()
{
    if (openViewerView_)
        openViewerView_->CloseChildPopups();
    StopTimer(TTBViewTimerID::tiClose);
    TTBPopupWindow *w = openViewerWindow_;
    TTBItemViewer *v = openViewer_;
    openViewerWindow_ = nullptr;
    openViewerView_ = nullptr;
    openViewer_ = nullptr;
    delete w;
    if (v && !destroying_)
        InvalidateViewer(v);
}

void TTBView::CancelChildPopups()
{
    if (isToolbar_)
        state_.Exclude(TTBViewStateItem::vsDropDownMenus);
    CloseChildPopups();
}

void TTBView::ExecuteSelected(bool AKeyboard)
{
    TTBItemViewer *v = selected_;
    if (!v || !v->Item->Enabled()) {
        EndModal();
        return;
    }
    if (!HasStyle(v->Item, tbis::SplitDropdown) && OpenChildPopup(true))
        return;
    if (!HasStyle(v->Item, tbis::Selectable))
        EndModal();
    else
        v->Execute(AKeyboard);
}

// ---------------------------------------------------------------------------------------------
// Ending the menu

void TTBView::DoneActionSet()
{
    if (TTBModalHandler *h = RootView()->modalHandler_)
        h->EndLoop();
}

void TTBView::EndModal()
{
    TTBView *root = RootView();
    root->doneActionData_ = {};
    root->doneActionData_.DoneAction = TTBDoneAction::tbdaCancel;
    DoneActionSet();
}

void TTBView::EndModalWithClick(TTBItemViewer *AViewer)
{
    TTBView *root = RootView();
    root->doneActionData_ = {};
    root->doneActionData_.DoneAction = TTBDoneAction::tbdaClickItem;
    root->doneActionData_.ClickItem = AViewer->Item;
    root->doneActionData_.ClickFromPopup = AViewer->View->IsPopup();
    DoneActionSet();
}

void TTBView::EndModalWithSystemMenu(QWidget *AWnd, WORD AKey)
{
    TTBView *root = RootView();
    root->doneActionData_ = {};
    root->doneActionData_.DoneAction = TTBDoneAction::tbdaOpenSystemMenu;
    root->doneActionData_.Wnd = AWnd;
    root->doneActionData_.Key = AKey;
    DoneActionSet();
}

void TTBView::EndModalWithHelp(int AContextID)
{
    TTBView *root = RootView();
    root->doneActionData_ = {};
    root->doneActionData_.DoneAction = TTBDoneAction::tbdaHelpContext;
    root->doneActionData_.ContextID = AContextID;
    DoneActionSet();
}

bool TTBView::IsModalEnding() const
{
    const TTBView *v = this;
    while (v->parentView_)
        v = v->parentView_;
    return v->doneActionData_.DoneAction != TTBDoneAction::tbdaNone;
}

void TTBView::CancelMode()
{
    EndModal();
    for (TTBView *v = InnermostView(); v; v = v->parentView_) {
        v->StopAllTimers();
        if (auto *w = dynamic_cast<TTBPopupWindow *>(v->window_))
            w->ShowPopup(false);
    }
}

void TTBView::MarkViewerUsed(TTBItemViewer *AViewer)
{
    if (!AViewer)
        return;
    if (chevronParentView_) {
        const int j = IndexOf(AViewer) + chevronParentView_->LeadingCount();
        if (j >= 0 && j < chevronParentView_->ViewerCount())
            chevronParentView_->MarkViewerUsed(chevronParentView_->Viewers(j));
    } else if (usePriorityList_) {
        std::erase(priorityList_, AViewer);
        priorityList_.insert(priorityList_.begin(), AViewer);
        if (positionsValid_ || AViewer->Clipped) {
            InvalidatePositions();
            TryValidatePositions();
        }
    }
    if (parentView_)
        parentView_->MarkViewerUsed(parentView_->openViewer_);
}

// ---------------------------------------------------------------------------------------------
// Timers

void TTBView::StartTimer(TTBViewTimerID ATimer, int Interval)
{
    if (!isPopup_ || !dynamic_cast<TTBPopupWindow *>(window_))
        return;
    window_->SetTimer(ViewTimerBaseID + WPARAM(ATimer), std::max(Interval, 1));
    activeTimers_.Include(ATimer);
}

void TTBView::StopTimer(TTBViewTimerID ATimer)
{
    if (!activeTimers_.Contains(ATimer))
        return;
    activeTimers_.Exclude(ATimer);
    if (window_)
        window_->KillTimer(ViewTimerBaseID + WPARAM(ATimer));
}

void TTBView::StopAllTimers()
{
    for (TTBViewTimerID t : {TTBViewTimerID::tiOpen, TTBViewTimerID::tiClose, TTBViewTimerID::tiScrollUp,
                             TTBViewTimerID::tiScrollDown})
        StopTimer(t);
}

bool TTBView::TimerRunning(TTBViewTimerID ATimer) const { return activeTimers_.Contains(ATimer); }

void TTBView::TimerTick(TTBViewTimerID ATimer)
{
    switch (ATimer) {
    case TTBViewTimerID::tiOpen:
        StopTimer(ATimer);
        CloseChildPopups();
        OpenChildPopup(false);
        break;
    case TTBViewTimerID::tiClose:
        StopTimer(ATimer);
        CloseChildPopups();
        break;
    case TTBViewTimerID::tiScrollUp:
        if (showUpArrow_)
            Scroll(false);
        else
            StopTimer(ATimer);
        break;
    case TTBViewTimerID::tiScrollDown:
        if (showDownArrow_)
            Scroll(true);
        else
            StopTimer(ATimer);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Keys, wheel and scrolling

void TTBView::KeyDown(WORD &Key, TShiftState Shift)
{
    TTBView *bar = this;
    while (bar && !bar->isToolbar_)
        bar = bar->parentView_;
    const bool barVertical = bar && bar->orientation_ == TTBViewOrientation::tbvoVertical;
    auto selectAndShow = [](TTBView *view, TTBItemViewer *v) {
        if (v) {
            view->Select(v, false);
            view->ScrollSelectedIntoView();
        }
    };
    const WORD key = Key;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_MENU:
    case VK_F10:
    case VK_F1: Key = 0; break;
    default: return;
    }
    // Closing this popup frees this view: nothing of it may be touched afterwards.
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        if (bar == this && barVertical) {
            OpenChildPopup(true);
        } else if (key == VK_LEFT) {
            if (bar && !barVertical) {
                if (bar == this || parentView_ == bar)
                    selectAndShow(bar, bar->NextSelectable(bar->selected_, false));
                else
                    parentView_->CloseChildPopups();
            } else if (parentView_) {
                parentView_->state_.Exclude(TTBViewStateItem::vsDropDownMenus);
                parentView_->CloseChildPopups();
            }
        } else {
            bool opened = false;
            if (bar != this)
                opened = OpenChildPopup(true);
            if ((bar == this || !opened) && bar && !barVertical)
                selectAndShow(bar, bar->NextSelectable(bar->selected_, true));
        }
        break;
    case VK_UP:
    case VK_DOWN:
        if (bar == this && !barVertical)
            OpenChildPopup(true);
        else
            selectAndShow(this, NextSelectable(selected_, key == VK_DOWN));
        break;
    case VK_HOME:
    case VK_END: selectAndShow(this, NextSelectable(nullptr, key == VK_HOME)); break;
    case VK_TAB: selectAndShow(this, NextSelectable(selected_, !Shift.Contains(ssShift))); break;
    case VK_RETURN: ExecuteSelected(true); break;
    case VK_ESCAPE:
        // The bar leaves its drop-down mode too: pointing at another title then only
        // highlights it, and a click opens it.
        if (parentView_)
            parentView_->CancelChildPopups();
        else
            EndModal();
        break;
    case VK_MENU:
    case VK_F10: EndModal(); break;
    case VK_F1:
        for (TTBView *v = this; v; v = v->parentView_)
            if (v->selected_ && v->selected_->Item->HelpContext() != 0) {
                EndModalWithHelp(v->selected_->Item->HelpContext());
                break;
            }
        break;
    default: break;
    }
}

void TTBView::MouseWheel(int WheelDelta)
{
    if (!showUpArrow_ && !showDownArrow_)
        return;
    wheelAccum_ += WheelDelta;
    int lines = SysParams().WheelScrollLines;
    if (lines <= 0)
        lines = 3;
    const int steps = std::abs(wheelAccum_) / 120 * lines;
    if (steps == 0)
        return;
    const bool down = wheelAccum_ < 0;
    wheelAccum_ += (down ? 1 : -1) * (steps * 120 / lines);
    if ((down && !showDownArrow_) || (!down && !showUpArrow_))
        return;
    CloseChildPopups();
    for (int i = 0; i < steps; ++i)
        Scroll(down);
}

void TTBView::Scroll(bool ADown)
{
    const int bandBottom = maxHeight_ - tbMenuScrollBandSize;
    int delta = 0;
    bool found = false;
    int best = 0;
    for (auto &v : viewers_) {
        if (!v->OffEdge || HasStyle(v->Item, tbis::IsSeparator))
            continue;
        const TRect &r = v->BoundsRect;
        if (ADown && r.Bottom > bandBottom && (!found || r.Top < best)) {
            best = r.Top;
            delta = r.Bottom - bandBottom;
            found = true;
        } else if (!ADown && r.Top < tbMenuScrollBandSize && (!found || r.Bottom > best)) {
            best = r.Bottom;
            delta = r.Top - tbMenuScrollBandSize;
            found = true;
        }
    }
    if (!found)
        return;
    scrollOffset_ += delta;
    InvalidatePositions();
    EnsureLayout();
}

void TTBView::ScrollSelectedIntoView()
{
    EnsureLayout();
    if (!selected_ || !selected_->OffEdge)
        return;
    const TRect &r = selected_->BoundsRect;
    if (r.Top < tbMenuScrollBandSize)
        scrollOffset_ -= tbMenuScrollBandSize - r.Top;
    else
        scrollOffset_ += r.Bottom - (maxHeight_ - tbMenuScrollBandSize);
    InvalidatePositions();
    EnsureLayout();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TTBView::InvalidateViewer(TTBItemViewer *AViewer)
{
    if (!AViewer)
        return;
    AViewer->State |= tbvsInvalidatePending;
    if (window_ && AViewer->Show && !AViewer->BoundsRect.IsEmpty()) {
        ContentChanged(window_);
        window_->Invalidate(AViewer->BoundsRect);
    }
}

void TTBView::DrawItem(TTBItemViewer *Viewer, TCanvas &DrawTo, bool Offscreen)
{
    const TRect r = Viewer->BoundsRect;
    if (!Viewer->Show || r.IsEmpty() || dynamic_cast<TTBControlItem *>(Viewer->Item))
        return;
    const bool selected = Viewer == selected_;
    const bool pushed = Viewer == openViewer_ || (selected && captured_ && mouseOverSelected_);
    const bool toolbarStyle = Viewer->UsesToolbarStyle();
    const bool enabled = Viewer->Item->Enabled();

    const int saved = DrawTo.SaveDC();
    DrawTo.IntersectClipRect(r);
    DrawTo.MoveWindowOrg(r.Left, r.Top);
    if (selected && toolbarStyle)
        DrawTo.Brush()->SetStyle(TBrushStyle::bsClear);
    else
        DrawTo.Brush()->SetColor(AreFlatMenusEnabled() ? clMenuHighlight : clHighlight);
    if (TFont *f = GetFont())
        DrawTo.Font()->Assign(*f);
    TColor text = toolbarStyle ? clBtnText : clMenuText;
    if (selected && !toolbarStyle)
        text = clHighlightText;
    if (!enabled)
        text = clGrayText;
    DrawTo.Font()->SetColor(text);
    const TColor back = window_ ? window_->Color() : clBtnFace;
    const bool shadow = !enabled && !selected && !toolbarStyle && back == clBtnFace;
    Viewer->Paint(DrawTo, Rect(0, 0, r.Width(), r.Height()), selected, pushed, shadow);
    DrawTo.RestoreDC(saved);
    Viewer->State &= ~tbvsInvalidatePending;
}

void TTBView::DrawSubitems(TCanvas &ACanvas)
{
    const bool inOrder = state_.Contains(TTBViewStateItem::vsDrawInOrder);
    for (auto &v : viewers_)
        if (inOrder || v.get() != selected_)
            DrawItem(v.get(), ACanvas, false);
    if (!inOrder && selected_)
        DrawItem(selected_, ACanvas, false);
    state_.Exclude(TTBViewStateItem::vsDrawInOrder);
}

void TTBView::SetAccelsVisibility(bool AShowAccels)
{
    bool show = true;
    if (style_.Contains(TTBViewStyleItem::vsUseHiddenAccels) && !AreKeyboardCuesEnabled() && !AShowAccels)
        show = false;
    if (show == state_.Contains(TTBViewStateItem::vsShowAccels))
        return;
    if (show)
        state_.Include(TTBViewStateItem::vsShowAccels);
    else
        state_.Exclude(TTBViewStateItem::vsShowAccels);
    for (auto &v : viewers_)
        if (FindAccelChar(GetCaptionTextOf(v->Item)) != 0)
            InvalidateViewer(v.get());
}

// ---------------------------------------------------------------------------------------------
// Hot tracking

void TTBView::UpdateSelectionFromPoint(const TPoint &ScreenPt, bool Forced, bool Capturing)
{
    if (!window_)
        return;
    const TPoint client = window_->ScreenToClient(ScreenPt);
    QWidget *under = TInputRouter::WidgetAt(ScreenPt);
    const bool inside = under && (under == window_ || window_->isAncestorOf(under)) &&
                        window_->ClientRect().Contains(client);
    const bool wasInside = state_.Contains(TTBViewStateItem::vsMouseInWindow);
    TTBItemViewer *candidate = nullptr;
    if (inside) {
        state_.Include(TTBViewStateItem::vsMouseInWindow);
        if (Forced || selected_)
            candidate = ViewerFromPoint(client);
    } else {
        state_.Exclude(TTBViewStateItem::vsMouseInWindow);
    }
    // Leaving the window keeps the item whose submenu is open selected: the pointer is on its
    // way into that submenu (a menu bar's item as much as a popup's).
    const bool keepsOpen = selected_ && selected_ == openViewer_;
    if (Capturing)
        candidate = selected_;
    else if (isPopup_ && !inside)
        candidate = keepsOpen ? selected_ : (wasInside ? nullptr : selected_);
    else if (!inside && keepsOpen)
        candidate = selected_;
    Select(candidate, true);
    if (isPopup_) {
        const int y = client.Y;
        if (inside && showUpArrow_ && y < tbMenuScrollBandSize) {
            if (!TimerRunning(TTBViewTimerID::tiScrollUp))
                StartTimer(TTBViewTimerID::tiScrollUp, 100);
            StopTimer(TTBViewTimerID::tiScrollDown);
        } else if (inside && showDownArrow_ && y >= window_->ClientHeight() - tbMenuScrollBandSize) {
            if (!TimerRunning(TTBViewTimerID::tiScrollDown))
                StartTimer(TTBViewTimerID::tiScrollDown, 100);
            StopTimer(TTBViewTimerID::tiScrollUp);
        } else {
            StopTimer(TTBViewTimerID::tiScrollUp);
            StopTimer(TTBViewTimerID::tiScrollDown);
        }
    }
}

void TTBView::NotifyFocusEvent()
{
    if (!state_.Contains(TTBViewStateItem::vsModal) || IsModalEnding() || !window_ || !window_->isVisible())
        return;
    if (selected_ && !selected_->IsAccessible()) {
        if (parentView_)
            parentView_->NotifyFocusEvent();
        return;
    }
    // Clients count the accessible viewers from 1; 0 is the view itself.
    int index = 0;
    if (selected_)
        for (const auto &v : viewers_) {
            if (v->IsAccessible())
                ++index;
            if (v.get() == selected_)
                break;
        }
    CallNotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, index);
}

// ---------------------------------------------------------------------------------------------
// Entering the loop from a toolbar

void TTBView::EnterToolbarLoop(TTBEnterToolbarLoopOptions Options)
{
    if (state_.Contains(TTBViewStateItem::vsModal))
        return;
    {
        // The menu has ended for everyone (its end announced, the cursor given back) before the
        // done action runs.
        TTBModalHandler handler(window_);
        const bool showAccels = state_.Contains(TTBViewStateItem::vsShowAccels);
        state_ = {};
        if (showAccels)
            state_.Include(TTBViewStateItem::vsShowAccels);
        state_.Include(TTBViewStateItem::vsModal);
        doneActionData_ = {};
        NotifyFocusEvent();
        handler.Loop(this, Options.Contains(TTBEnterToolbarLoopOption::tbetMouseDown), false,
                     Options.Contains(TTBEnterToolbarLoopOption::tbetFromMSAA),
                     Options.Contains(TTBEnterToolbarLoopOption::tbetExecuteSelected));
        state_.Exclude(TTBViewStateItem::vsModal);
        StopAllTimers();
        CloseChildPopups();
    }
    const TTBDoneActionData done = doneActionData_;
    SetAccelsVisibility(false);
    Select(nullptr, false);
    RunDoneAction(done, false);
}
