#include "TB2Toolbar.h"

#include "TB2Common.h"
#include "TB2Consts.h"
#include "TB2ItemWindow.h"
#include "platform/InputRouter.h"
#include "platform/SysColors.h"

#include <QApplication>
#include <algorithm>
#include <cstdlib>

namespace {

// ---------------------------------------------------------------------------------------------
// The program-wide list of toolbars that answer shortcuts, and the hook on the main window.

std::vector<TTBCustomToolbar *> &ShortCutToolbars()
{
    static std::vector<TTBCustomToolbar *> list;
    return list;
}

TForm *OwningForm(TForm *f)
{
    if (auto *fp = dynamic_cast<TTBFloatingWindowParent *>(f))
        return fp->ParentForm();
    return f;
}

TForm *ActiveFormForKeys()
{
    TForm *f = OwningForm(Screen()->ActiveForm());
    if (!f)
        f = OwningForm(GetParentForm(QApplication::focusWidget()));
    return f ? f : Application()->MainForm();
}

TForm *ToolbarForm(TTBCustomToolbar *tb)
{
    if (tb->Floating() && tb->FloatingWindowParent())
        return tb->FloatingWindowParent()->ParentForm();
    return tb->Parent() ? GetParentForm(tb->Parent()) : nullptr;
}

bool TryFormToolbars(TForm *form, TMessage &key)
{
    if (!IsWindowEnabled(form))
        return false;
    for (TTBCustomToolbar *tb : std::vector<TTBCustomToolbar *>(ShortCutToolbars())) {
        const auto &list = ShortCutToolbars();
        if (std::find(list.begin(), list.end(), tb) == list.end())
            continue;
        if (tb->ProcessShortCuts() && ToolbarForm(tb) == form && tb->KeyboardShortCut(key))
            return true;
    }
    return false;
}

bool SysCommandToControls(TWinControl *c, TMessage &sc)
{
    for (int i = 0; i < c->ControlCount(); ++i) {
        auto *w = dynamic_cast<TWinControl *>(c->Controls(i));
        if (!w || !w->Visible() || !w->Enabled())
            continue;
        if (dynamic_cast<TTBDock *>(w) || dynamic_cast<TTBCustomToolbar *>(w)) {
            if (w->Perform(WM_SYSCOMMAND, sc.WParam, sc.LParam) != 0)
                return true;
        }
        if (SysCommandToControls(w, sc))
            return true;
    }
    return false;
}

bool MainWindowHook(TMessage &Message)
{
    if (Message.Msg == CM_APPKEYDOWN && Message.LParam) {
        TMessage &key = *reinterpret_cast<TMessage *>(Message.LParam);
        TForm *form = ActiveFormForKeys();
        if (TryFormToolbars(form, key))
            return true;
        TForm *main = Application()->MainForm();
        return main != form && TryFormToolbars(main, key);
    }
    if (Message.Msg == CM_APPSYSCOMMAND && Message.LParam) {
        TMessage &sc = *reinterpret_cast<TMessage *>(Message.LParam);
        TForm *form = ActiveFormForKeys();
        if (IsWindowEnabled(form) && form->isVisible() && SysCommandToControls(form, sc)) {
            sc.Result = 1;
            return true;
        }
    }
    return false;
}

// An 8 x 8 one-bit glyph: set bits (bit 7 leftmost) take the colour, the rest stays.
void DrawPattern(TCanvas &C, int X, int Y, const unsigned char *Rows, int W, int H, TColor Color)
{
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (Rows[y] & (0x80 >> x))
                C.SetPixel(X + x, Y + y, Color);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The chevron

TTBChevronItem::TTBChevronItem(TTBCustomToolbar *AToolbar) : TTBCustomItem(nullptr), toolbar_(AToolbar)
{
    SetItemStyle(ItemStyle() | tbis::HasSubmenu);
    SetHint(STBChevronMoreButtonsHint);
    SetCaption(EscapeAmpersands(GetShortHint(STBChevronMoreButtonsHint)));
}

TTBView *TTBChevronItem::GetChevronParentView() { return toolbar_->View(); }

TTBItemViewerClass TTBChevronItem::GetItemViewerClass(TTBView *)
{
    return [](TTBView *v, TTBCustomItem *i, int g) -> TTBItemViewer * { return new TTBChevronItemViewer(v, i, g); };
}

void TTBChevronItemViewer::CalcSize(TCanvas &, int &AWidth, int &AHeight)
{
    AWidth = tbChevronSize;
    AHeight = tbChevronSize;
}

void TTBChevronItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                                 bool)
{
    const bool enabled = Item->Enabled();
    TRect r = ClientAreaRect;
    if (enabled && IsPushed)
        Canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
    else if (enabled && IsSelected)
        Canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    static const unsigned char right[8] = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
    static const unsigned char down[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
    const bool vertical = View->Orientation() == TTBViewOrientation::tbvoVertical;
    int x = vertical ? ClientAreaRect.Right - 9 : ClientAreaRect.Left + 2;
    int y = ClientAreaRect.Top + (vertical ? 2 : 4);
    if (IsPushed) {
        ++x;
        ++y;
    }
    const unsigned char *rows = vertical ? down : right;
    const int w = vertical ? 5 : 8, h = vertical ? 8 : 5;
    if (enabled) {
        DrawPattern(Canvas, x, y, rows, w, h, clBtnText);
    } else {
        DrawPattern(Canvas, x, y + 1, rows, w, h, clBtnHighlight);
        DrawPattern(Canvas, x, y, rows, w, h, clBtnShadow);
    }
}

// ---------------------------------------------------------------------------------------------
// TTBToolbarView

TTBToolbarView::TTBToolbarView(TTBCustomToolbar *AToolbar, TTBCustomItem *ARoot)
    : TTBView(nullptr, nullptr, ARoot, AToolbar, true, false, true), toolbar_(AToolbar)
{
}

void TTBToolbarView::AutoSize(int, int)
{
    // A change of the items outside the toolbar's own layout: the toolbar measures again.
    if (!toolbar_->layingOut_)
        toolbar_->Arrange();
}

void TTBToolbarView::UpdatePositions(TPoint &ASize)
{
    TPoint minimum;
    const bool vertical = Orientation() == TTBViewOrientation::tbvoVertical;
    if (TTBDock *dock = toolbar_->CurrentDock(); dock && toolbar_->Docked()) {
        // The row thickness the dock gave the others includes their frames across the row.
        const TRect nc = toolbar_->GetDockedNCArea(dock);
        const int frame = dock->IsVertical() ? nc.Left + nc.Right : nc.Top + nc.Bottom;
        const int across = std::max(0, dock->GetMinRowSize(toolbar_->EffectiveDockRow(), toolbar_) - frame);
        (vertical ? minimum.X : minimum.Y) = across;
    }
    if (toolbar_->FullSize())
        (vertical ? minimum.Y : minimum.X) = WrapOffset();
    SetMinimumSize(minimum);
    TTBView::UpdatePositions(ASize);
}

TTBCustomItem *TTBToolbarView::GetChevronItem() { return toolbar_->chevronItem_; }

TFont *TTBToolbarView::GetFont()
{
    if (toolbar_->systemFont_)
        if (TFont *f = TBMenuFont())
            return f;
    return toolbar_->Font();
}

// ---------------------------------------------------------------------------------------------
// TTBCustomToolbar

TTBCustomToolbar::TTBCustomToolbar(TComponent *AOwner) : TTBCustomDockableWindow(AOwner)
{
    TBInstallPopupWindows();
    items_ = new TTBRootItem(nullptr);
    chevronItem_ = new TTBChevronItem(this);
    chevronItem_->SetLinkSubitems(items_);
    chevronHint_ = STBChevronMoreButtonsHint;
    view_ = std::make_unique<TTBToolbarView>(this, items_);
    ApplyChevronProperties();
    // The view's own constructor could not ask this toolbar for its chevron yet.
    view_->RecreateAllViewers();
}

void TTBCustomToolbar::ApplyChevronProperties()
{
    view_->SetNewViewersGetHighestPriority(chevronPriority_ == TTBChevronPriorityForNewItems::tbcpHighest);
    // Without moving items, the most recently used ones are not kept longest: items leave
    // into the chevron from the end.
    view_->SetUsePriorityList(chevronMoveItems_ && !ComponentState().Contains(TComponentStateItem::csDesigning));
}

void TTBCustomToolbar::SetChevronMoveItems(bool Value)
{
    if (Value == chevronMoveItems_)
        return;
    chevronMoveItems_ = Value;
    ApplyChevronProperties();
    view_->TryValidatePositions();
}

void TTBCustomToolbar::SetChevronPriorityForNewItems(TTBChevronPriorityForNewItems Value)
{
    chevronPriority_ = Value;
    ApplyChevronProperties();
}

void TTBCustomToolbar::InitiateAction()
{
    TTBCustomDockableWindow::InitiateAction();
    if (!updateActions_)
        return;
    // An action's update may change the items and with them the viewers: each item is asked
    // while the view still shows it.
    std::vector<TTBCustomItem *> items;
    for (int i = 0; i < view_->ViewerCount(); ++i)
        items.push_back(view_->Viewers(i)->Item);
    for (TTBCustomItem *item : items)
        if (view_->Find(item))
            item->InitiateAction();
}

TTBCustomToolbar::~TTBCustomToolbar()
{
    Destroying();
    JoinShortCutList(false);
    view_.reset();
    delete chevronItem_;
    chevronItem_ = nullptr;
    delete items_;
    items_ = nullptr;
}

void TTBCustomToolbar::ReplaceViewAndChevron(std::unique_ptr<TTBToolbarView> AView, TTBChevronItem *AChevron)
{
    view_ = std::move(AView);
    ApplyChevronProperties();
    delete chevronItem_;
    chevronItem_ = AChevron;
    chevronItem_->SetLinkSubitems(items_);
    chevronItem_->SetHint(chevronHint_);
    chevronItem_->SetCaption(EscapeAmpersands(GetShortHint(chevronHint_)));
    // As in the constructor: the new view was made before this toolbar had its new chevron.
    view_->RecreateAllViewers();
}

void TTBCustomToolbar::SetChevronHint(const QString &Value)
{
    chevronHint_ = Value;
    chevronItem_->SetHint(Value);
    chevronItem_->SetCaption(EscapeAmpersands(GetShortHint(Value)));
}

void TTBCustomToolbar::SetShrinkMode(TTBShrinkMode Value)
{
    if (Value == shrinkMode_)
        return;
    shrinkMode_ = Value;
    if (CurrentDock())
        CurrentDock()->ArrangeDockRows();
    else if (!Floating())
        Arrange();
}

void TTBCustomToolbar::SetSystemFont(bool Value)
{
    if (Value != systemFont_) {
        systemFont_ = Value;
        view_->InvalidatePositions();
        Arrange();
    }
}

void TTBCustomToolbar::SetFloatingWidth(int Value)
{
    if (Value != floatingWidth_) {
        floatingWidth_ = Value;
        if (Floating())
            Arrange();
    }
}

void TTBCustomToolbar::SetMenuBar(bool Value)
{
    if (Value == menuBar_)
        return;
    menuBar_ = Value;
    SetControlStyle(Value ? ControlStyle().Include(csMenuEvents) : ControlStyle().Exclude(csMenuEvents));
    if (Value)
        view_->Style().Include(TTBViewStyleItem::vsMenuBar).Include(TTBViewStyleItem::vsUseHiddenAccels);
    else
        view_->Style().Exclude(TTBViewStyleItem::vsMenuBar).Exclude(TTBViewStyleItem::vsUseHiddenAccels);
    if (!ComponentState().Contains(csLoading)) {
        SetFullSize(Value);
        SetShrinkMode(Value ? TTBShrinkMode::tbsmWrap : TTBShrinkMode::tbsmChevron);
        SetCloseButton(!Value);
        SetProcessShortCuts(Value);
    }
    JoinShortCutList(processShortCuts_ || menuBar_);
    view_->InvalidatePositions();
    Arrange();
}

void TTBCustomToolbar::SetProcessShortCuts(bool Value)
{
    processShortCuts_ = Value;
    JoinShortCutList(processShortCuts_ || menuBar_);
}

void TTBCustomToolbar::JoinShortCutList(bool Join)
{
    if (Join == inShortCutList_ || (Join && ComponentState().Contains(csDestroying)))
        return;
    auto &list = ShortCutToolbars();
    inShortCutList_ = Join;
    if (Join) {
        list.push_back(this);
        if (list.size() == 1)
            Application()->HookMainWindow(&list, MainWindowHook);
    } else {
        std::erase(list, this);
        if (list.empty())
            Application()->UnhookMainWindow(&list);
    }
}

bool TTBCustomToolbar::KeyboardShortCut(TMessage &Msg)
{
    bool handled = false;
    if (OnShortCut)
        OnShortCut(Msg, handled);
    return handled || items_->IsShortCut(Msg);
}

TTBControlItem *TTBCustomToolbar::InsertControl(TControl *AControl, int Index)
{
    TTBControlItem *item = FindControlItem(AControl);
    if (!item) {
        item = TTBControlItem::CreateControlItem(Owner(), AControl);
        items_->Insert(Index < 0 || Index > items_->Count() ? items_->Count() : Index, item);
    }
    AControl->SetParent(this);
    return item;
}

namespace {

TTBControlItem *FindControlItemIn(TTBCustomItem *parent, const TControl *control)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TTBCustomItem *item = parent->Items(i);
        if (auto *ci = dynamic_cast<TTBControlItem *>(item); ci && ci->Control() == control)
            return ci;
        if (TTBControlItem *found = FindControlItemIn(item, control))
            return found;
    }
    return nullptr;
}

} // namespace

TTBControlItem *TTBCustomToolbar::FindControlItem(const TControl *AControl) const
{
    return AControl ? FindControlItemIn(items_, AControl) : nullptr;
}

// A control put on the toolbar is shown through a control item of its own; one taken off it
// loses that item but stays alive.
void TTBCustomToolbar::ControlChange(TControl *AControl, bool Inserting)
{
    if (ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading))
        return;
    if (Inserting) {
        // An item made before its control arrived lays out again now that it can be shown.
        if (TTBControlItem *item = FindControlItem(AControl))
            item->Change(true);
        else
            items_->Add(TTBControlItem::CreateControlItem(Owner(), AControl));
    } else if (TTBControlItem *item = FindControlItem(AControl)) {
        item->SetDontFreeControl(true);
        delete item;
    }
}

TTBViewOrientation TTBCustomToolbar::OrientationFor(TTBDockType ADockType) const
{
    switch (ADockType) {
    case TTBDockType::dtLeftRight: return TTBViewOrientation::tbvoVertical;
    case TTBDockType::dtFloating: return TTBViewOrientation::tbvoFloating;
    default: return TTBViewOrientation::tbvoHorizontal;
    }
}

TPoint TTBCustomToolbar::Layout(bool Apply, TTBViewOrientation O, int ChevronLength, int WrapLength, int *Lines)
{
    TPoint size, base;
    int lines = 1;
    bool changed = false;
    if (!Apply) {
        view_->LayoutViewers(false, O, tbChevronSize, ChevronLength, WrapLength, lines, size, base, changed);
    } else {
        layingOut_ = true;
        view_->SetOrientation(O);
        view_->SetChevronSize(tbChevronSize);
        view_->SetMaxSize(ChevronLength);
        view_->SetWrapOffset(WrapLength);
        view_->UpdatePositions(size);
        layingOut_ = false;
        Invalidate();
    }
    if (Lines)
        *Lines = lines;
    return size;
}

TPoint TTBCustomToolbar::DoArrange(bool Apply, TTBDockType ADockType, TTBDock *ADock, int RowLength)
{
    int wrap = 0, chevron = 0;
    if ((ADockType == TTBDockType::dtTopBottom || ADockType == TTBDockType::dtLeftRight) && ADock) {
        const TRect nc = GetDockedNCArea(ADock);
        const int frame = ADock->IsVertical() ? nc.Top + nc.Bottom : nc.Left + nc.Right;
        if (shrinkMode_ == TTBShrinkMode::tbsmWrap)
            wrap = std::max(1, RowLength - frame);
        else if (shrinkMode_ == TTBShrinkMode::tbsmChevron && ADock == CurrentDock())
            chevron = std::max(0, RowLength - frame);
    } else if (ADockType == TTBDockType::dtFloating) {
        if (shrinkMode_ == TTBShrinkMode::tbsmWrap)
            wrap = floatingWidth_;
    } else if (!AutoResize() ||
               (Anchors().Contains(TAnchorKind::akLeft) && Anchors().Contains(TAnchorKind::akRight))) {
        const TRect nc = NCMargins();
        const int len = std::max(0, Width() - nc.Left - nc.Right);
        if (shrinkMode_ == TTBShrinkMode::tbsmChevron)
            chevron = len;
        else if (shrinkMode_ == TTBShrinkMode::tbsmWrap)
            wrap = len;
    }
    const TTBViewOrientation o = OrientationFor(ADockType);
    TPoint size = Layout(Apply, o, chevron, wrap);
    if (chevron > 0) {
        // Items went into the chevron: the toolbar keeps the whole length, chevron at its end.
        const TPoint natural = Layout(false, o, 0, wrap);
        int &along = o == TTBViewOrientation::tbvoVertical ? size.Y : size.X;
        if ((o == TTBViewOrientation::tbvoVertical ? natural.Y : natural.X) > chevron)
            along = chevron;
    }
    return size;
}

int TTBCustomToolbar::GetDockedMinimumSize(TTBDock *ADock, int RowLength)
{
    const bool vertical = ADock->IsVertical();
    const TRect nc = GetDockedNCArea(ADock);
    const int frame = vertical ? nc.Top + nc.Bottom : nc.Left + nc.Right;
    if (shrinkMode_ != TTBShrinkMode::tbsmChevron)
        return TTBCustomDockableWindow::GetDockedMinimumSize(ADock, RowLength);
    std::vector<TTBItemViewer *> order = view_->PriorityList();
    if (order.empty())
        for (int i = 0; i < view_->ViewerCount(); ++i)
            order.push_back(view_->Viewers(i));
    TCanvas canvas;
    if (TFont *f = view_->GetFont())
        canvas.Font()->Assign(*f);
    const TTBViewOrientation saved = view_->Orientation();
    view_->SetOrientation(vertical ? TTBViewOrientation::tbvoVertical : TTBViewOrientation::tbvoHorizontal);
    int first = 0;
    for (TTBItemViewer *v : order) {
        if (v->Item == chevronItem_ || !v->Item->Visible() || (v->Item->ItemStyle() & tbis::IsSeparator))
            continue;
        int w = 0, h = 0;
        if (auto *ci = dynamic_cast<TTBControlItem *>(v->Item)) {
            // A hidden control takes no room; the next item is the first shown.
            const TControl *c = ci->Control();
            if (!c || c->Parent() != this || !c->Visible())
                continue;
            w = c->Width();
            h = c->Height();
        } else {
            v->CalcSize(canvas, w, h);
        }
        first = vertical ? h : w;
        break;
    }
    view_->SetOrientation(saved);
    return first + frame + tbChevronSize;
}

void TTBCustomToolbar::GetMinMaxSize(int &AMinClientWidth, int &AMinClientHeight, int &AMaxClientWidth,
                                     int &AMaxClientHeight)
{
    TTBCustomDockableWindow::GetMinMaxSize(AMinClientWidth, AMinClientHeight, AMaxClientWidth, AMaxClientHeight);
}

// The sizes a floating wrapping toolbar can take: from the unwrapped layout down to the widest
// viewer alone on its line, one size per number of lines.
void TTBCustomToolbar::ResizeBegin(int SizeHandle)
{
    sizes_.clear();
    wraps_.clear();
    resizeStartWidth_ = floatingWidth_;
    if (shrinkMode_ != TTBShrinkMode::tbsmWrap)
        return;
    const TRect nc = GetFloatingNCArea();
    const TTBViewOrientation o = TTBViewOrientation::tbvoFloating;
    TRect margins;
    view_->GetMargins(o, margins);
    // Wrap offsets count from the view's left edge; sizes add the right margin.
    const int widest = Layout(false, o, 0, 0).X - margins.Right;
    const int narrowest = Layout(false, o, 0, 1).X - margins.Right;
    int prevLines = -1;
    for (int w = widest; w >= narrowest && w > 0; --w) {
        int lines = 0;
        const TPoint s = Layout(false, o, 0, w, &lines);
        const TPoint framed{s.X + nc.Left + nc.Right, s.Y + nc.Top + nc.Bottom};
        if (lines == prevLines && !sizes_.empty()) {
            sizes_.back() = framed;
            wraps_.back() = w;
        } else {
            sizes_.push_back(framed);
            wraps_.push_back(w);
        }
        prevLines = lines;
    }
    sizesByWidth_ = SizeHandle == HTLEFT || SizeHandle == HTRIGHT;
    std::vector<size_t> order(sizes_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return sizesByWidth_ ? sizes_[a].X < sizes_[b].X : sizes_[a].Y < sizes_[b].Y;
    });
    std::vector<TPoint> sizes;
    std::vector<int> wraps;
    for (size_t i : order) {
        sizes.push_back(sizes_[i]);
        wraps.push_back(wraps_[i]);
    }
    sizes_ = std::move(sizes);
    wraps_ = std::move(wraps);
    // Resizing starts from the size the window has now (the nearest one listed).
    sizeIndex_ = -1;
    const TControl *window = FloatingWindowParent() ? static_cast<TControl *>(FloatingWindowParent()) : this;
    const int now = sizesByWidth_ ? window->Width() : window->Height();
    int best = 0;
    for (size_t i = 0; i < sizes_.size(); ++i) {
        const int d = std::abs((sizesByWidth_ ? sizes_[i].X : sizes_[i].Y) - now);
        if (sizeIndex_ < 0 || d < best) {
            sizeIndex_ = int(i);
            best = d;
        }
    }
}

void TTBCustomToolbar::ResizeTrack(TRect &Rect, const TRect &OrigRect)
{
    if (sizes_.empty())
        return;
    const int want = sizesByWidth_ ? Rect.Width() : Rect.Height();
    const auto length = [&](int i) { return sizesByWidth_ ? sizes_[size_t(i)].X : sizes_[size_t(i)].Y; };
    const int last = int(sizes_.size()) - 1;
    // The snap zone around a size, narrower where a neighbouring size is nearer than the zone.
    const auto zone = [&](int i, bool below) {
        int z = tbResizeSnapZone;
        if (below && i > 0)
            z = std::min(z, length(i) - length(i - 1) - 1);
        if (!below && i < last)
            z = std::min(z, length(i + 1) - length(i) - 1);
        return std::max(0, z);
    };
    int pick = sizeIndex_;
    if (pick < 0 || pick > last || want < length(pick) - zone(pick, true) || want > length(pick) + zone(pick, false)) {
        // The last size the cursor has reached; the smallest while it is short of every size.
        pick = 0;
        for (int i = 0; i <= last; ++i)
            if (length(i) <= want)
                pick = i;
    }
    sizeIndex_ = pick;
    const TPoint size = sizes_[size_t(pick)];
    const bool fromLeft = Rect.Left != OrigRect.Left;
    const bool fromTop = Rect.Top != OrigRect.Top;
    Rect = fromLeft ? TRect{Rect.Right - size.X, Rect.Top, Rect.Right, Rect.Bottom}
                    : TRect{Rect.Left, Rect.Top, Rect.Left + size.X, Rect.Bottom};
    Rect = fromTop ? TRect{Rect.Left, Rect.Bottom - size.Y, Rect.Right, Rect.Bottom}
                   : TRect{Rect.Left, Rect.Top, Rect.Right, Rect.Top + size.Y};
    floatingWidth_ = wraps_[size_t(pick)];
    Layout(true, TTBViewOrientation::tbvoFloating, 0, floatingWidth_);
}

void TTBCustomToolbar::ResizeEnd(bool Accepted)
{
    // The items were wrapped for every size the pointer passed: a cancelled resize wraps them
    // as before, or the toolbar would take the last of those sizes after all.
    if (!Accepted)
        floatingWidth_ = resizeStartWidth_;
    sizes_.clear();
    wraps_.clear();
    sizeIndex_ = -1;
    Arrange();
}

// Controls put on the toolbar while it loaded were not wrapped as they came; the dockable
// window's own Loaded then arranges.
void TTBCustomToolbar::Loaded()
{
    for (int i = 0; i < ControlCount(); ++i)
        if (!FindControlItem(Controls(i)))
            items_->Add(TTBControlItem::CreateControlItem(Owner(), Controls(i)));
    TTBCustomDockableWindow::Loaded();
}

void TTBCustomToolbar::AlignControls(TControl *, TRect &)
{
    // While the toolbar is being placed (its own Arrange, or the dock's), the items are laid
    // out for the new place right after.
    if (!layingOut_ && !Arranging())
        Arrange();
}

void TTBCustomToolbar::GetTabOrderList(std::vector<TWinControl *> &List) const
{
    const size_t first = List.size();
    TTBCustomDockableWindow::GetTabOrderList(List);
    std::vector<const TWinControl *> holders;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto *w = dynamic_cast<const TWinControl *>(Controls(i)); w && FindControlItem(w))
            holders.push_back(w);
    const auto inside = [&](const TWinControl *c) {
        return std::any_of(holders.begin(), holders.end(),
                           [c](const TWinControl *h) { return h != c && h->ContainsControl(c); });
    };
    List.erase(std::remove_if(List.begin() + std::ptrdiff_t(first), List.end(), inside), List.end());
}

void TTBCustomToolbar::Paint()
{
    view_->EnsureLayout();
    view_->DrawSubitems(*Canvas());
}

bool TTBCustomToolbar::ChildControlTransparent(const TPoint &ClientPt)
{
    TTBItemViewer *v = view_->ViewerFromPoint(ClientPt);
    return v && v->Item->Enabled();
}

void TTBCustomToolbar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TWinControl *parent = Parent();
    TTBCustomDockableWindow::MouseDown(Button, Shift, X, Y);
    if (Button != TMouseButton::mbLeft || Parent() != parent)
        return;
    TTBItemViewer *v = view_->ViewerFromPoint({X, Y});
    if (!v || !v->Item->Enabled())
        return;
    view_->Select(v, true);
    view_->EnterToolbarLoop({TTBEnterToolbarLoopOption::tbetMouseDown});
}

void TTBCustomToolbar::MouseMove(TShiftState Shift, int X, int Y)
{
    TTBCustomDockableWindow::MouseMove(Shift, X, Y);
    if (view_->State().Contains(TTBViewStateItem::vsModal))
        return;
    view_->UpdateSelectionFromPoint(ClientToScreen({X, Y}), true, false);
    TTBItemViewer *v = view_->ViewerFromPoint({X, Y});
    QString hint;
    if (v && !v->Item->EffectiveOptions().Contains(TTBItemOption::tboNoAutoHint))
        hint = v->BuildItemHint();
    SetHint(hint);
}

// The hint of the viewer under the cursor, kept while the cursor stays on that viewer.
void TTBCustomToolbar::HintShow(THintInfo &Info)
{
    TTBItemViewer *v = view_->ViewerFromPoint(Info.CursorPos);
    if (!v) {
        Info.HintStr.clear();
        return;
    }
    Info.CursorRect = v->BoundsRect;
    Info.HintStr = v->BuildItemHint();
}

void TTBCustomToolbar::KeyMenu(TMessage &Message)
{
    const QChar ch(char16_t(Message.LParam & 0xFFFF));
    if (!menuBar_ || !Showing() || !Enabled() || (Message.WParam & 0xFFF0) != SC_KEYMENU || ch == QLatin1Char(' ') ||
        GetCaptureControl())
        return;
    view_->EnsureLayout();
    view_->SetAccelsVisibility(true);
    TTBItemViewer *v = nullptr;
    bool only = false;
    if (ch.unicode() == 0)
        v = view_->FirstSelectable();
    else
        v = view_->NextSelectableWithAccel(nullptr, ch, false, only);
    if (!v) {
        view_->SetAccelsVisibility(false);
        // Alt+"-" is the window menu of a child window: not the menu bar's.
        if (ch == QLatin1Char('-'))
            return;
        QApplication::beep();
        Message.Result = 1;
        return;
    }
    Message.Result = 1;
    view_->Select(v, false);
    TTBEnterToolbarLoopOptions options;
    if (only)
        options.Include(TTBEnterToolbarLoopOption::tbetExecuteSelected);
    view_->EnterToolbarLoop(options);
}

void TTBCustomToolbar::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case CM_CONTROLCHANGE:
        ControlChange(reinterpret_cast<TControl *>(Message.WParam), Message.LParam != 0);
        break;
    case WM_SYSCOMMAND:
        KeyMenu(Message);
        return;
    case WM_CANCELMODE:
        if (view_->State().Contains(TTBViewStateItem::vsModal))
            view_->EndModal();
        break;
    case CM_MOUSELEAVE:
    case WM_NCMOUSEMOVE:
        if (!view_->State().Contains(TTBViewStateItem::vsModal))
            view_->Select(nullptr, false);
        if (Message.Msg == WM_NCMOUSEMOVE)
            SetHint(QString());
        break;
    case CM_COLORCHANGED:
        TTBCustomDockableWindow::WndProc(Message);
        view_->SetColor(Color());
        return;
    case CM_SHOWHINTCHANGED:
        TTBCustomDockableWindow::WndProc(Message);
        if (ShowHint())
            view_->Style().Include(TTBViewStyleItem::vsAlwaysShowHints);
        else
            view_->Style().Exclude(TTBViewStyleItem::vsAlwaysShowHints);
        return;
    case CM_WININICHANGE:
        TTBCustomDockableWindow::WndProc(Message);
        if (Message.WParam == SPI_SETNONCLIENTMETRICS) {
            TBUpdateMenuFont();
            view_->InvalidatePositions();
            Arrange();
        }
        return;
    case CM_HINTSHOW:
        if (Message.LParam)
            HintShow(*reinterpret_cast<THintInfo *>(Message.LParam));
        return;
    case WM_SETCURSOR:
        if (LoWord(Message.LParam) == HTCLIENT) {
            const TPoint p = ScreenToClient(GetCursorPos());
            if (TTBItemViewer *v = view_->ViewerFromPoint(p)) {
                TCursor c = crDefault;
                v->GetCursor({p.X - v->BoundsRect.Left, p.Y - v->BoundsRect.Top}, c);
                if (c != crDefault) {
                    SetCursorShape(c);
                    Message.Result = 1;
                    return;
                }
            }
        }
        break;
    default: break;
    }
    TTBCustomDockableWindow::WndProc(Message);
}
