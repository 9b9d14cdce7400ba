#include "TB2Dock.h"

#include "TB2Common.h"
#include "TB2Hook.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QWindow>
#include <algorithm>

namespace {

std::vector<TTBCustomDockableWindow *> &FloatingList()
{
    static std::vector<TTBCustomDockableWindow *> list;
    return list;
}

bool IsDesigning(const TComponent *c) { return c->ComponentState().Contains(TComponentStateItem::csDesigning); }
bool IsLoading(const TComponent *c) { return c->ComponentState().Contains(csLoading); }
bool IsDestroying(const TComponent *c) { return c->ComponentState().Contains(csDestroying); }

// The window other than a floating window that was activated last: when a floating window is
// activated, the window it takes the activation from. It is kept while another program is
// active, since Qt may pass through "no window active" between two windows of this one.
QPointer<QWidget> &LastActivated()
{
    static QPointer<QWidget> wnd;
    return wnd;
}

// Activation and position changes re-evaluate every floating window.
void FloatingHookProc(THookProcCode Code, QWidget *Wnd, WPARAM WParam, LPARAM)
{
    if (Code == hpPreDestroy)
        return;
    // Qt does not say in which order the old window hears of its deactivation and the new one
    // of its activation: the window that was active is remembered instead.
    if (Code == hpSendActivate && WParam == WA_ACTIVE && !dynamic_cast<TTBFloatingWindowParent *>(Wnd))
        LastActivated() = Wnd;
    const std::vector<TTBCustomDockableWindow *> list = FloatingList();
    for (TTBCustomDockableWindow *w : list)
        if (std::find(FloatingList().begin(), FloatingList().end(), w) != FloatingList().end())
            w->UpdateVisibility();
}

constexpr TColor DockHighlight = clBtnHighlight;

} // namespace

const std::vector<TTBCustomDockableWindow *> &FloatingDockableWindows() { return FloatingList(); }

// ---------------------------------------------------------------------------------------------
// TTBDock

TTBDock::TTBDock(TComponent *AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(TControlStyle{csAcceptsControls, csMenuEvents});
    SetColor(clBtnFace);
    SetParentColor(false);
    SetAlign(TAlign::alTop);
    SetHeight(0);
}

TTBDock::~TTBDock()
{
    if (background_)
        background_->UnregisterChanges(this);
    Destroying();
    // Windows still on the dock go with it as its children: they must not come back to it.
    for (TTBCustomDockableWindow *w : std::vector<TTBCustomDockableWindow *>(dockList_)) {
        if (w->lastDock_ == this)
            w->lastDock_ = nullptr;
        if (w->currentDock_ == this) {
            w->currentDock_ = nullptr;
            w->docked_ = false;
        }
    }

    dockList_.clear();
    dockVisibleList_.clear();
}

void TTBDock::SetParent(TWinControl *AParent)
{
    if (dynamic_cast<TTBCustomDockableWindow *>(AParent) || dynamic_cast<TTBDock *>(AParent) ||
        dynamic_cast<TTBFloatingWindowParent *>(AParent))
        throw EInvalidOperation(
            QStringLiteral("A TTBDock control cannot be placed inside a tool window or another TTBDock"));
    TCustomControl::SetParent(AParent);
}

void TTBDock::SetPosition(TTBDockPosition Value)
{
    if (Value == position_)
        return;
    if (ControlCount() > 0)
        throw EInvalidOperation(QStringLiteral("Cannot change Position of a TTBDock if it already contains controls"));
    position_ = Value;
    static const TAlign aligns[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight};
    SetAlign(aligns[int(Value)]);
    ArrangeDockRows();
}

void TTBDock::SetAllowDrag(bool Value)
{
    if (Value == allowDrag_)
        return;
    allowDrag_ = Value;
    for (TTBCustomDockableWindow *w : dockVisibleList_) {
        w->RecalcNC();
        w->InvalidateNC();
    }
    ArrangeDockRows();
}

void TTBDock::SetBackground(TTBBasicBackground *Value)
{
    if (Value == background_)
        return;
    if (background_) {
        background_->UnregisterChanges(this);
        background_->RemoveFreeNotification(this);
    }
    background_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        Value->RegisterChanges([this] { RedrawShown(); }, this);
    }
    RedrawShown();
}

void TTBDock::SetBackgroundOnToolbars(bool Value)
{
    if (Value != backgroundOnToolbars_) {
        backgroundOnToolbars_ = Value;
        RedrawShown();
    }
}

void TTBDock::RedrawShown()
{
    InvalidateNC();
    for (TTBCustomDockableWindow *w : dockVisibleList_)
        w->InvalidateNC();
}

void TTBDock::SetBoundLines(TTBDockBoundLines Value)
{
    if (Value == boundLines_)
        return;
    boundLines_ = Value;
    RecalcNC();
    ArrangeDockRows();
}

void TTBDock::SetFixAlign(bool Value)
{
    if (Value != fixAlign_) {
        fixAlign_ = Value;
        ArrangeDockRows();
    }
}

void TTBDock::SetLimitToOneRow(bool Value)
{
    if (Value != limitToOneRow_) {
        limitToOneRow_ = Value;
        ArrangeDockRows();
    }
}

void TTBDock::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0 && arrangePending_)
        ArrangeDockRows();
}

bool TTBDock::UsingBackground() const { return background_ && background_->UsingBackground(); }

void TTBDock::DrawBackground(TCanvas &DC, const TRect &DrawRect)
{
    if (background_)
        background_->Draw(DC, DrawRect);
}

void TTBDock::ChangeDockList(bool Insert, TTBCustomDockableWindow *Bar)
{
    if (Insert) {
        if (std::find(dockList_.begin(), dockList_.end(), Bar) == dockList_.end()) {
            dockList_.push_back(Bar);
            Bar->FreeNotification(this);
        }
    } else {
        std::erase(dockList_, Bar);
    }
    ToolbarVisibilityChanged(Bar, false);
}

void TTBDock::ToolbarVisibilityChanged(TTBCustomDockableWindow *Bar, bool ForceRemove)
{
    const bool shown = !ForceRemove && Bar->Parent() == this && (Bar->Visible() || IsDesigning(this)) &&
                       std::find(dockList_.begin(), dockList_.end(), Bar) != dockList_.end();
    const auto it = std::find(dockVisibleList_.begin(), dockVisibleList_.end(), Bar);
    const bool listed = it != dockVisibleList_.end();
    if (shown == listed)
        return;
    if (shown)
        dockVisibleList_.push_back(Bar);
    else
        dockVisibleList_.erase(it);
    ArrangeDockRows();
    if (OnInsertRemoveBar)
        OnInsertRemoveBar(this, shown, Bar);
}

void TTBDock::CommitPositions()
{
    for (TTBCustomDockableWindow *w : dockVisibleList_) {
        w->dockRow_ = w->effectiveDockRow_;
        w->dockPos_ = w->effectiveDockPos_;
    }
}

int TTBDock::GetHighestRow(bool HighestEffective) const
{
    int result = -1;
    for (TTBCustomDockableWindow *w : dockList_)
        result = std::max(result, HighestEffective ? w->effectiveDockRow_ : w->dockRow_);
    return result;
}

int TTBDock::GetRowSize(int Row, TTBCustomDockableWindow *DefaultToolbar, bool *FullSizeRow) const
{
    int result = 0;
    if (FullSizeRow)
        *FullSizeRow = false;
    for (TTBCustomDockableWindow *w : dockVisibleList_) {
        if (w->effectiveDockRow_ != Row)
            continue;
        result = std::max(result, IsVertical() ? w->Width() : w->Height());
        if (FullSizeRow && w->FullSize())
            *FullSizeRow = true;
    }
    if (result == 0 && DefaultToolbar)
        result = IsVertical() ? DefaultToolbar->Width() : DefaultToolbar->Height();
    return result;
}

int TTBDock::GetMinRowSize(int Row, TTBCustomDockableWindow *ExceptToolbar) const
{
    int result = 0;
    for (TTBCustomDockableWindow *w : dockVisibleList_)
        if (w != ExceptToolbar && w->effectiveDockRow_ == Row)
            result = std::max(result, w->currentSize_);
    return result;
}

int TTBDock::GetRowOf(int XY, bool &Before) const
{
    std::vector<std::pair<int, bool>> rows;
    for (int r = 0; r <= GetHighestRow(true); ++r) {
        bool full = false;
        const int t = GetRowSize(r, nullptr, &full);
        rows.emplace_back(t, full);
    }
    const TTBRowDrop d = FindDropRow(rows, XY);
    Before = d.NewRow;
    return d.Row;
}

int TTBDock::GetDesignModeRowOf(int XY) const
{
    int pos = 0;
    const int highest = GetHighestRow(true);
    for (int r = 0; r <= highest; ++r) {
        pos += GetRowSize(r, nullptr);
        if (XY < pos)
            return r;
    }
    return highest + 1;
}

void TTBDock::ChangeWidthHeight(int NewSize)
{
    switch (position_) {
    case TTBDockPosition::dpTop: SetBounds(Left(), Top(), Width(), NewSize); break;
    case TTBDockPosition::dpBottom: SetBounds(Left(), Top() + Height() - NewSize, Width(), NewSize); break;
    case TTBDockPosition::dpLeft: SetBounds(Left(), Top(), NewSize, Height()); break;
    case TTBDockPosition::dpRight: SetBounds(Left() + Width() - NewSize, Top(), NewSize, Height()); break;
    }
}

void TTBDock::ArrangeDockRows()
{
    if (updateCount_ > 0 || IsLoading(this)) {
        arrangePending_ = true;
        return;
    }
    ++updateCount_;
    const TRect m = NCMargins();
    const int lineW = m.Left + m.Right, lineH = m.Top + m.Bottom;
    if (dockVisibleList_.empty()) {
        ChangeWidthHeight(IsDesigning(this) ? 9 : fixAlign_ ? 1 : 0);
        arrangePending_ = commitPositions_ = false;
        --updateCount_;
        return;
    }
    const bool vertical = IsVertical();
    const int avail = std::max(0, vertical ? Height() - lineH : Width() - lineW);
    std::erase_if(dockList_, [](TTBCustomDockableWindow *w) { return IsDestroying(w); });
    std::erase_if(dockVisibleList_, [](TTBCustomDockableWindow *w) { return IsDestroying(w); });
    if (limitToOneRow_)
        for (TTBCustomDockableWindow *w : dockList_)
            w->dockRow_ = 0;
    SortVisibleList();

    const std::vector<TTBCustomDockableWindow *> list = dockList_;
    std::vector<TTBDockArrangeRec> recs(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        TTBCustomDockableWindow *w = list[i];
        TTBDockArrangeRec &r = recs[i];
        r.Shown = std::find(dockVisibleList_.begin(), dockVisibleList_.end(), w) != dockVisibleList_.end();
        r.DockRow = w->dockRow_;
        r.DockPos = w->dockPos_;
        r.FullSize = w->fullSize_;
        r.Stretch = w->stretch_;
        r.Dragging = w->dragMode_;
        r.HoldListPlace = w->dragMode_ && w->holdListPlace_;
        r.WantsOwnRow = w->dragMode_ && w->dragSplitting_;
    }
    const TTBDockType type = vertical ? TTBDockType::dtLeftRight : TTBDockType::dtTopBottom;
    TTBDockArrangeParams p;
    p.Avail = avail;
    p.LimitToOneRow = limitToOneRow_;
    p.Measure = [&](int i, int rowLength) {
        TTBCustomDockableWindow *w = list[size_t(i)];
        const TRect nc = w->GetDockedNCArea(this);
        const TPoint content = w->DoArrange(false, type, this, rowLength);
        TTBDockMeasure mm;
        mm.Full = vertical ? content.Y + nc.Top + nc.Bottom : content.X + nc.Left + nc.Right;
        mm.Cross = vertical ? content.X : content.Y;
        mm.Kind = w->GetShrinkKind();
        mm.Min = mm.Kind ? w->GetDockedMinimumSize(this, rowLength) : mm.Full;
        return mm;
    };
    const int total = ArrangeDockRecords(p, recs);

    std::vector<int> rowOffset;
    for (size_t i = 0; i < list.size(); ++i) {
        const TTBDockArrangeRec &r = recs[i];
        if (r.EffRow < 0)
            continue;
        if (int(rowOffset.size()) <= r.EffRow)
            rowOffset.resize(size_t(r.EffRow) + 1, -1);
        rowOffset[size_t(r.EffRow)] = r.Thickness;
    }
    int acc = 0;
    for (int &o : rowOffset) {
        const int t = std::max(0, o);
        o = acc;
        acc += t;
    }
    // Each window of a row knows the row and its thickness before any of them lays out: a
    // toolbar's view takes the others' thickness as its own minimum.
    for (size_t i = 0; i < list.size(); ++i) {
        list[i]->effectiveDockRow_ = recs[i].EffRow;
        if (recs[i].EffRow >= 0)
            list[i]->currentSize_ = recs[i].Thickness;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        TTBCustomDockableWindow *w = list[i];
        const TTBDockArrangeRec &r = recs[i];
        w->effectiveDockRow_ = r.EffRow;
        w->effectiveDockPos_ = r.EffRow < 0 ? -1 : r.EffPos;
        if (commitPositions_ && r.EffRow >= 0) {
            w->dockRow_ = r.EffRow;
            w->dockPos_ = r.EffPos;
        }
        if (r.EffRow < 0)
            continue;
        w->currentSize_ = r.Thickness;
        const int off = rowOffset[size_t(r.EffRow)];
        ++w->arranging_;
        if (vertical)
            w->SetBounds(off, r.EffPos, r.Thickness, r.Size);
        else
            w->SetBounds(r.EffPos, off, r.Size, r.Thickness);
        w->DoArrange(true, type, this, r.Size);
        --w->arranging_;
    }
    ChangeWidthHeight((vertical ? lineW : lineH) + total);
    arrangePending_ = commitPositions_ = false;
    --updateCount_;
}

// The shown windows in the order of their rows and places, so GetToolbars walks them as they
// stand; the window being slid along its row keeps its index.
void TTBDock::SortVisibleList()
{
    std::vector<TTBCustomDockableWindow *> &list = dockVisibleList_;
    const auto held = std::find_if(list.begin(), list.end(),
                                   [](const TTBCustomDockableWindow *w) { return w->dragMode_ && w->holdListPlace_; });
    const std::ptrdiff_t heldIndex = held - list.begin();
    TTBCustomDockableWindow *heldWindow = held != list.end() ? *held : nullptr;
    std::stable_sort(list.begin(), list.end(), [](const TTBCustomDockableWindow *a, const TTBCustomDockableWindow *b) {
        if (a->dockRow_ != b->dockRow_)
            return a->dockRow_ < b->dockRow_;
        return TTBDockSortPos(a->dockPos_) < TTBDockSortPos(b->dockPos_);
    });
    if (heldWindow) {
        list.erase(std::find(list.begin(), list.end(), heldWindow));
        list.insert(list.begin() + heldIndex, heldWindow);
    }
}

TRect TTBDock::NCMargins() const
{
    return {boundLines_.Contains(TTBDockBoundLinesValue::blLeft) ? 1 : 0,
            boundLines_.Contains(TTBDockBoundLinesValue::blTop) ? 1 : 0,
            boundLines_.Contains(TTBDockBoundLinesValue::blRight) ? 1 : 0,
            boundLines_.Contains(TTBDockBoundLinesValue::blBottom) ? 1 : 0};
}

void TTBDock::PaintNC(TCanvas &ACanvas)
{
    const TRect m = NCMargins();
    TRect r = Bounds(0, 0, Width(), Height());
    const bool lines = boundLines_ != TTBDockBoundLines{} && (!dockVisibleList_.empty() || IsDesigning(this));
    if (lines) {
        const auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
            ACanvas.Pen()->SetColor(c);
            ACanvas.MoveTo(x1, y1);
            ACanvas.LineTo(x2, y2);
        };
        if (m.Top)
            line(clBtnShadow, 0, 0, r.Right, 0);
        if (m.Left)
            line(clBtnShadow, 0, 0, 0, r.Bottom);
        if (m.Bottom)
            line(DockHighlight, 0, r.Bottom - 1, r.Right, r.Bottom - 1);
        if (m.Right)
            line(DockHighlight, r.Right - 1, 0, r.Right - 1, r.Bottom);
        r = {m.Left, m.Top, r.Right - m.Right, r.Bottom - m.Bottom};
    }
    ACanvas.Brush()->SetColor(Color());
    const TRect client = Bounds(m.Left, m.Top, ClientWidth(), ClientHeight());
    ACanvas.SaveDC();
    ACanvas.ExcludeClipRect(client);
    ACanvas.FillRect(r);
    ACanvas.RestoreDC(-1);
}

void TTBDock::EraseBackground(TCanvas &ACanvas)
{
    if (!UsingBackground()) {
        TCustomControl::EraseBackground(ACanvas);
        return;
    }
    // Lined up with the parent, so neighbouring docks continue one picture.
    ACanvas.SaveDC();
    ACanvas.MoveWindowOrg(-Left(), -Top());
    DrawBackground(ACanvas, Bounds(Left(), Top(), ClientWidth(), ClientHeight()));
    ACanvas.RestoreDC(-1);
}

void TTBDock::AlignControls(TControl *, TRect &) { ArrangeDockRows(); }

void TTBDock::Loaded()
{
    TCustomControl::Loaded();
    ArrangeDockRows();
}

void TTBDock::Notification(TComponent *AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == background_)
        background_ = nullptr;
    if (auto *w = dynamic_cast<TTBCustomDockableWindow *>(AComponent)) {
        std::erase(dockList_, w);
        std::erase(dockVisibleList_, w);
    }
}

// A floating menu bar is no child of the dock, yet its keys belong to the form the dock is on.
// Other floating windows keep theirs: Enter or Escape must not reach a button on a floating
// toolbar.
void TTBDock::RelayToFloating(TMessage &Message)
{
    for (TTBCustomDockableWindow *w : std::vector<TTBCustomDockableWindow *>(dockList_)) {
        if (!w->Floating() || !w->ControlStyle().Contains(csMenuEvents) || !w->Showing() || !w->Enabled())
            continue;
        w->WndProc(Message);
        if (Message.Result != 0)
            return;
    }
}

void TTBDock::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_PRINT:
    case WM_PRINTCLIENT: TBHandlePrintMessage(this, Message); return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case WM_SYSCOMMAND:
        RelayToFloating(Message);
        if (Message.Result == 0 && Message.Msg != WM_SYSCOMMAND)
            TCustomControl::WndProc(Message);
        return;
    case CM_SYSCOLORCHANGE:
        if (background_)
            background_->SysColorChanged();
        break;
    case WM_MOVE:
        TCustomControl::WndProc(Message);
        if (UsingBackground())
            RedrawShown();
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TTBCustomDockableWindow

TTBCustomDockableWindow::TTBCustomDockableWindow(TComponent *AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks});
    SetColor(clBtnFace);
    SetParentColor(false);
    InstallHookProc(this, FloatingHookProc, {hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged});
}

TTBCustomDockableWindow::~TTBCustomDockableWindow()
{
    UninstallHookProc(this, FloatingHookProc);
    Destroying();
    std::erase(FloatingList(), this);
    if (currentDock_) {
        TTBDock *dock = currentDock_;
        currentDock_ = nullptr;
        std::erase(dock->dockList_, this);
        dock->ToolbarVisibilityChanged(this, true);
    }
    if (lastDock_)
        std::erase(lastDock_->dockList_, this);
    if (floatParent_) {
        // Out of the floating window first, so deleting it leaves this window alone.
        TCustomControl::SetParent(nullptr);
        QWidget::setParent(nullptr);
        floatParent_->SetDockableWindow(nullptr);
        delete floatParent_;
        floatParent_ = nullptr;
    }
}

TForm *TTBCustomDockableWindow::ParentFormOf() const
{
    if (floating_ && floatParent_)
        return floatParent_->ParentForm();
    return Parent() ? GetParentForm(Parent()) : nullptr;
}

void TTBCustomDockableWindow::SetParent(TWinControl *AParent)
{
    if (AParent == Parent()) {
        return;
    }
    auto *newDock = dynamic_cast<TTBDock *>(AParent);
    auto *newFloatParent = dynamic_cast<TTBFloatingWindowParent *>(AParent);
    const bool newFloating = newFloatParent != nullptr;
    const bool destroying = IsDestroying(this);
    if (!destroying && AParent) {
        if (OnDockChanging)
            OnDockChanging(this, newFloating, newDock);
        if (OnRecreating)
            OnRecreating(this);
    }
    ++disableArrange_;
    ++disableOnMove_;
    TTBDock *oldDock = currentDock_;
    if (oldDock)
        oldDock->BeginUpdate();
    if (newDock)
        newDock->BeginUpdate();
    if (AParent && !destroying && OnDockChangingHidden)
        OnDockChangingHidden(this, newFloating, newDock);

    TCustomControl::SetParent(AParent);
    currentDock_ = newDock;
    docked_ = newDock != nullptr;
    floating_ = newFloating;
    effectiveDockRow_ = -1;
    if (oldDock) {
        if (oldDock == lastDock_ && useLastDock_)
            oldDock->ToolbarVisibilityChanged(this, false);
        else
            oldDock->ChangeDockList(false, this);
    }
    std::erase(FloatingList(), this);
    if (floating_)
        FloatingList().push_back(this);
    if (!floating_ && floatParent_ && !dragMode_)
        FreeFloatingParent();
    else if (!floating_ && floatParent_)
        floatParent_->Hide();  // kept for the rest of the drag, but empty: no black frame on screen
    if (newDock) {
        if (useLastDock_ && !dragMode_)
            SetLastDock(newDock);
        newDock->ChangeDockList(true, this);
    }
    RecalcNC();
    --disableArrange_;
    --disableOnMove_;
    arrangeNeeded_ = false;
    Arrange();
    if (oldDock)
        oldDock->EndUpdate();
    if (newDock)
        newDock->EndUpdate();
    UpdateVisibility();
    if (!destroying && AParent) {
        if (OnMove)
            OnMove(this);
        if (OnRecreated)
            OnRecreated(this);
        if (OnDockChanged)
            OnDockChanged(this);
    }
}

// Docking may come from the floating window's own input (a caption double click): it goes
// once its event is over.
void TTBCustomDockableWindow::FreeFloatingParent()
{
    TTBFloatingWindowParent *fp = floatParent_;
    floatParent_ = nullptr;
    fp->SetDockableWindow(nullptr);
    fp->Hide();
    fp->Release();
}

void TTBCustomDockableWindow::SetFloating(bool Value)
{
    if (Value == floating_)
        return;
    if (!Value) {
        SetCurrentDock(lastDock_ ? lastDock_ : defaultDock_);
        return;
    }
    TForm *form = ParentFormOf();
    if (!form)
        throw EInvalidOperation(QStringLiteral("Control '%1' has no parent window").arg(Name()));
    if (!floatParent_) {
        floatParent_ = CreateFloatingWindowParent(form);
        floatParent_->SetName(QStringLiteral("NBFloatingWindowParent_%1")
                                  .arg(quint32(reinterpret_cast<std::uintptr_t>(floatParent_)), 8, 16, QLatin1Char('0')));
        floatParent_->SetCaption(Caption());
        floatParent_->SetShowHint(ShowHint());
    }
    floatParent_->SetDockableWindow(this);
    UpdateFloatingWindowKinds();
    SetParent(floatParent_);
    ApplyFloatingBounds();
    UpdateVisibility();
}

TTBFloatingWindowParent *TTBCustomDockableWindow::CreateFloatingWindowParent(TForm *AParentForm)
{
    return new TTBFloatingWindowParent(nullptr, AParentForm);
}

void TTBCustomDockableWindow::SetFloatingPosition(const TPoint &Value)
{
    floatingPosition_ = Value;
    if (floating_ && floatParent_)
        floatParent_->SetBounds(Value.X, Value.Y, floatParent_->Width(), floatParent_->Height());
}

void TTBCustomDockableWindow::ApplyFloatingBounds()
{
    if (!floatParent_)
        return;
    const TRect nc = GetFloatingNCArea();
    floatParent_->SetBounds(floatingPosition_.X, floatingPosition_.Y, Width() + nc.Left + nc.Right,
                            Height() + nc.Top + nc.Bottom);
}

void TTBCustomDockableWindow::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (floating_ && !IsDesigning(this)) {
        ALeft = 0;
        ATop = 0;
    }
    if (ALeft == Left() && ATop == Top() && AWidth == std::max(0, Width()) && AHeight == Height())
        return;
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (floating_ && floatParent_)
        floatParent_->SetClientSize(Width(), Height());
}

void TTBCustomDockableWindow::SetCurrentDock(TTBDock *Value)
{
    if (IsLoading(this) || Value == currentDock_)
        return;
    if (Value)
        SetParent(Value);
    else if (TForm *form = ParentFormOf())
        SetParent(form);
}

void TTBCustomDockableWindow::SetDefaultDock(TTBDock *Value)
{
    if (defaultDock_ && defaultDock_ != Value)
        RemoveFreeNotification(defaultDock_);
    defaultDock_ = Value;
    if (Value)
        FreeNotification(Value);
}

void TTBCustomDockableWindow::SetLastDock(TTBDock *Value)
{
    if (useLastDock_ && docked_)
        Value = currentDock_;
    if (Value == lastDock_)
        return;
    TTBDock *old = lastDock_;
    lastDock_ = Value;
    if (old && old != currentDock_)
        old->ChangeDockList(false, this);
    if (Value)
        Value->ChangeDockList(true, this);
    useLastDock_ = true;
}

void TTBCustomDockableWindow::SetUseLastDock(bool Value)
{
    if (Value == useLastDock_)
        return;
    useLastDock_ = Value;
    if (!Value) {
        TTBDock *old = lastDock_;
        lastDock_ = nullptr;
        if (old && old != currentDock_)
            old->ChangeDockList(false, this);
    } else {
        SetLastDock(currentDock_);
    }
}

void TTBCustomDockableWindow::SetDockRow(int Value)
{
    if (Value != dockRow_) {
        dockRow_ = Value;
        if (currentDock_)
            currentDock_->ArrangeDockRows();
    }
}


void TTBCustomDockableWindow::SetDockPos(int Value)
{
    if (Value != dockPos_) {
        dockPos_ = Value;
        if (currentDock_)
            currentDock_->ArrangeDockRows();
    }
}

void TTBCustomDockableWindow::SetFullSize(bool Value)
{
    if (Value != fullSize_) {
        fullSize_ = Value;
        if (currentDock_)
            currentDock_->ArrangeDockRows();
    }
}

void TTBCustomDockableWindow::SetStretch(bool Value)
{
    if (Value != stretch_) {
        stretch_ = Value;
        if (currentDock_)
            currentDock_->ArrangeDockRows();
    }
}

void TTBCustomDockableWindow::SetAutoResize(bool Value)
{
    if (Value != autoResize_) {
        autoResize_ = Value;
        if (Value)
            Arrange();
    }
}

void TTBCustomDockableWindow::SetBorderStyle(TTBBorderStyle Value)
{
    if (Value != borderStyle_) {
        borderStyle_ = Value;
        RecalcNC();
        Arrange();
    }
}

void TTBCustomDockableWindow::SetCloseButton(bool Value)
{
    if (Value != closeButton_) {
        closeButton_ = Value;
        if (floatParent_)
            floatParent_->InvalidateNC();
    }
}

void TTBCustomDockableWindow::SetCloseButtonWhenDocked(bool Value)
{
    if (Value != closeButtonWhenDocked_) {
        closeButtonWhenDocked_ = Value;
        RecalcNC();
        Arrange();
    }
}

void TTBCustomDockableWindow::SetDragHandleStyle(TTBDragHandleStyle Value)
{
    if (Value != dragHandleStyle_) {
        dragHandleStyle_ = Value;
        RecalcNC();
        Arrange();
    }
}

void TTBCustomDockableWindow::SetFloatingMode(TTBFloatingMode Value)
{
    if (Value != floatingMode_) {
        floatingMode_ = Value;
        UpdateFloatingWindowKinds();
        UpdateVisibility();
    }
}

void TTBCustomDockableWindow::SetHideWhenInactive(bool Value)
{
    if (Value != hideWhenInactive_) {
        hideWhenInactive_ = Value;
        UpdateVisibility();
    }
}

// The caption comes or goes around the same client area: the floating window changes height,
// not the toolbar.
void TTBCustomDockableWindow::SetShowCaption(bool Value)
{
    if (Value != showCaption_) {
        showCaption_ = Value;
        if (floatParent_) {
            floatParent_->RecalcNC();
            floatParent_->SetClientSize(Width(), Height());
            floatParent_->InvalidateNC();
        }
        Arrange();
    }
}

// The frame of the floating window differs (sizing border or not): it is made again around
// the same client area.
void TTBCustomDockableWindow::SetResizable(bool Value)
{
    if (Value == resizable_)
        return;
    resizable_ = Value;
    if (!floatParent_)
        return;
    floatParent_->RecalcNC();
    floatParent_->SetClientSize(Width(), Height());
    floatParent_->InvalidateNC();
}

void TTBCustomDockableWindow::UpdateFloatingWindowKinds(const QWidget *Leaving)
{
    if (!floatParent_)
        return;
    TWindowKinds kinds{wkToolWindow};
    const QList<QWidget *> children = findChildren<QWidget *>();
    const auto takesTyping = [Leaving](const QWidget *c) {
        return c->focusPolicy() != Qt::NoFocus && !(Leaving && (c == Leaving || Leaving->isAncestorOf(c)));
    };
    if (std::none_of(children.begin(), children.end(), takesTyping))
        kinds.Include(wkNoActivate);
    if (floatingMode_ == TTBFloatingMode::fmOnTopOfAllForms && floatParent_->enabled_)
        kinds.Include(wkTopMost);
    floatParent_->SetWindowKinds(kinds);
}

void TTBCustomDockableWindow::AddDockForm(TWinControl *Form)
{
    if (std::find(dockForms_.begin(), dockForms_.end(), Form) == dockForms_.end())
        dockForms_.push_back(Form);
}

void TTBCustomDockableWindow::RemoveDockForm(TWinControl *Form) { std::erase(dockForms_, Form); }

void TTBCustomDockableWindow::EndUpdate()
{
    if (disableArrange_ > 0 && --disableArrange_ == 0 && arrangeNeeded_)
        Arrange();
}

void TTBCustomDockableWindow::Arrange()
{
    if (disableArrange_ > 0 || IsLoading(this)) {
        arrangeNeeded_ = true;
        return;
    }
    arrangeNeeded_ = false;
    if (docked_) {
        currentDock_->ArrangeDockRows();
        return;
    }
    const TTBDockType type = floating_ ? TTBDockType::dtFloating : TTBDockType::dtNotDocked;
    ++arranging_;
    const TPoint content = DoArrange(true, type, nullptr, 0);
    // Without AutoResize the contents are laid out for the size the window has.
    if (!autoResize_ && !floating_) {
        --arranging_;
        return;
    }
    const TRect nc = NCMargins();
    int w = content.X + nc.Left + nc.Right, h = content.Y + nc.Top + nc.Bottom;
    if (!floating_) {
        if (Anchors().Contains(TAnchorKind::akLeft) && Anchors().Contains(TAnchorKind::akRight))
            w = Width();
        if (Anchors().Contains(TAnchorKind::akTop) && Anchors().Contains(TAnchorKind::akBottom))
            h = Height();
    }
    SetBounds(Left(), Top(), w, h);
    --arranging_;
}

TPoint TTBCustomDockableWindow::GetSizeFor(TTBDockType ADockType, TTBDock *ADock, int RowLength)
{
    const TPoint content = DoArrange(false, ADockType, ADock, RowLength);
    TRect nc;
    if (ADockType == TTBDockType::dtFloating)
        nc = GetFloatingNCArea();
    else if (ADock)
        nc = GetDockedNCArea(ADock);
    return {content.X + nc.Left + nc.Right, content.Y + nc.Top + nc.Bottom};
}

bool TTBCustomDockableWindow::CanDockTo(TTBDock *ADock) const { return dockableTo_.Contains(ADock->Position()); }

TPoint TTBCustomDockableWindow::DoArrange(bool, TTBDockType, TTBDock *, int)
{
    return {ClientWidth(), ClientHeight()};
}

void TTBCustomDockableWindow::GetMinMaxSize(int &AMinClientWidth, int &AMinClientHeight, int &AMaxClientWidth,
                                            int &AMaxClientHeight)
{
    AMinClientWidth = AMinClientHeight = 1;
    AMaxClientWidth = AMaxClientHeight = 0;
}

int TTBCustomDockableWindow::GetDockedMinimumSize(TTBDock *ADock, int RowLength)
{
    const TPoint s = GetSizeFor(ADock->IsVertical() ? TTBDockType::dtLeftRight : TTBDockType::dtTopBottom, ADock,
                                RowLength);
    return ADock->IsVertical() ? s.Y : s.X;
}

// ---------------------------------------------------------------------------------------------
// Frame

int TTBCustomDockableWindow::DragHandleSize() const
{
    if (closeButtonWhenDocked_)
        return 14;
    switch (dragHandleStyle_) {
    case TTBDragHandleStyle::dhDouble: return 9;
    case TTBDragHandleStyle::dhNone: return 0;
    case TTBDragHandleStyle::dhSingle: return 6;
    }
    return 0;
}

TRect TTBCustomDockableWindow::GetDockedNCArea(TTBDock *ADock) const
{
    TRect r{2, 2, 2, 2};
    if (ADock && ADock->GetAllowDrag()) {
        if (ADock->IsVertical())
            r.Top += DragHandleSize();
        else
            r.Left += DragHandleSize();
    }
    return r;
}

TRect TTBCustomDockableWindow::GetFloatingNCArea() const
{
    const int bx = GetSystemMetrics(resizable_ ? SM_CXFRAME : SM_CXDLGFRAME);
    const int by = GetSystemMetrics(resizable_ ? SM_CYFRAME : SM_CYDLGFRAME);
    return {bx, by + (showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0), bx, by};
}

TRect TTBCustomDockableWindow::NCMargins() const
{
    if (docked_)
        return GetDockedNCArea(currentDock_);
    return {};
}

void TTBCustomDockableWindow::DockedCloseButtonRect(TRect &R) const
{
    const int size = DragHandleSize() - 3;
    if (currentDock_ && currentDock_->IsVertical())
        R = Bounds(ClientWidth() + 2 - size, 3, size, size);
    else
        R = Bounds(3, 2, size, size);
}

bool TTBCustomDockableWindow::CanDrag() const
{
    return (docked_ && currentDock_->GetAllowDrag()) || floating_;
}

int TTBCustomDockableWindow::NCHitTest(const TPoint &screenPos)
{
    const int ht = TCustomControl::NCHitTest(screenPos);
    if (!docked_ || ht != HTBORDER)
        return ht;
    const QPoint local = mapFromGlobal(QPoint(screenPos.X, screenPos.Y));
    if (closeButtonWhenDocked_ && currentDock_->GetAllowDrag()) {
        TRect r;
        DockedCloseButtonRect(r);
        if (r.Contains({local.x(), local.y()}))
            return tbHTCloseButton;
    }
    return tbHTDragHandle;
}

namespace {

// An 8 x 8 one-bit glyph in one colour: set bits (bit 7 leftmost) take the colour.
void DrawGlyph(TCanvas &C, int X, int Y, const unsigned char (&Rows)[8], int W, int H, TColor Color)
{
    for (int y = 0; y < H && y < 8; ++y)
        for (int x = 0; x < W && x < 8; ++x)
            if (Rows[y] & (0x80 >> x))
                C.SetPixel(X + x, Y + y, Color);
}

} // namespace

void TTBCustomDockableWindow::PaintDockableNCArea(TCanvas &ACanvas)
{
    const TRect whole = Bounds(0, 0, Width(), Height());
    const TRect m = NCMargins();
    ACanvas.SaveDC();
    ACanvas.ExcludeClipRect(Bounds(m.Left, m.Top, ClientWidth(), ClientHeight()));
    ACanvas.Brush()->SetColor(Color());
    ACanvas.FillRect(whole);
    if (borderStyle_ == TTBBorderStyle::bsSingle) {
        TRect r = whole;
        ACanvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    }
    if (currentDock_ && currentDock_->GetAllowDrag() && dragHandleStyle_ != TTBDragHandleStyle::dhNone) {
        const bool vert = currentDock_->IsVertical();
        const int start = closeButtonWhenDocked_ ? DragHandleSize() - 9 + 2 : 2;
        const int lines = dragHandleStyle_ == TTBDragHandleStyle::dhDouble ? 2 : 1;
        for (int i = 0; i < lines; ++i) {
            const int o = start + 1 + i * 3;
            TRect r = vert ? TRect{3, o, Width() - 3, o + 3} : TRect{o, 3, o + 3, Height() - 3};
            ACanvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
        }
    }
    if (closeButtonWhenDocked_ && currentDock_ && currentDock_->GetAllowDrag()) {
        TRect r;
        DockedCloseButtonRect(r);
        if (closeButtonDown_) {
            TRect e = r;
            ACanvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
        }
        static const unsigned char glyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};
        DrawGlyph(ACanvas, r.Left + (r.Width() - 8) / 2, r.Top + (r.Height() - 8) / 2, glyph, 8, 8, clBtnText);
    }
    ACanvas.RestoreDC(-1);
}

void TTBCustomDockableWindow::PaintNC(TCanvas &ACanvas)
{
    if (docked_)
        PaintDockableNCArea(ACanvas);
}

TRect TTBCustomDockableWindow::FloatingCloseButtonRect(const TRect &WindowRect) const
{
    const TRect nc = GetFloatingNCArea();
    const int capH = GetSystemMetrics(SM_CYSMCAPTION) - 1;
    const int top = WindowRect.Top + nc.Bottom;
    const int size = capH - 4;
    return Bounds(WindowRect.Right - nc.Right - 2 - size, top + 2, size, size);
}

void TTBCustomDockableWindow::DrawFloatingFrame(TCanvas &ACanvas, const TRect &WindowRect)
{
    const TRect nc = GetFloatingNCArea();
    ACanvas.SaveDC();
    ACanvas.ExcludeClipRect({WindowRect.Left + nc.Left, WindowRect.Top + nc.Top, WindowRect.Right - nc.Right,
                             WindowRect.Bottom - nc.Bottom});
    ACanvas.Brush()->SetColor(clBtnFace);
    ACanvas.FillRect(WindowRect);
    TRect edge = WindowRect;
    ACanvas.DrawEdge(edge, EDGE_RAISED, BF_RECT);
    if (showCaption_) {
        const int capH = GetSystemMetrics(SM_CYSMCAPTION) - 1;
        const TRect cap{WindowRect.Left + nc.Left, WindowRect.Top + nc.Bottom, WindowRect.Right - nc.Right,
                        WindowRect.Top + nc.Bottom + capH};
        const bool active = !inactiveCaption_;
        const TColor from = active ? clActiveCaption : clInactiveCaption;
        if (SysParams().GradientCaptions)
            ACanvas.GradientFill(cap, from, active ? clGradientActiveCaption : clGradientInactiveCaption, false);
        else {
            ACanvas.Brush()->SetColor(from);
            ACanvas.FillRect(cap);
        }
        ACanvas.Brush()->SetStyle(TBrushStyle::bsClear);
        ACanvas.Font()->SetColor(active ? clCaptionText : clInactiveCaptionText);
        ACanvas.Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
        TRect text{cap.Left + 2, cap.Top, cap.Right - (closeButton_ ? capH : 0) - 2, cap.Bottom};
        ACanvas.DrawText(Caption(), text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        ACanvas.Brush()->SetStyle(TBrushStyle::bsSolid);
        ACanvas.Pen()->SetColor(clBtnFace);
        ACanvas.MoveTo(cap.Left, cap.Bottom);
        ACanvas.LineTo(cap.Right, cap.Bottom);
        if (closeButton_) {
            TRect b = FloatingCloseButtonRect(WindowRect);
            ACanvas.DrawFrameControl(b, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closeButtonDown_ ? DFCS_PUSHED : 0));
        }
    }
    ACanvas.RestoreDC(-1);
}

int TTBCustomDockableWindow::FloatingHitTest(const TPoint &P, const TRect &WindowRect) const
{
    if (!WindowRect.Contains(P))
        return HTNOWHERE;
    const TRect nc = GetFloatingNCArea();
    const TRect client{WindowRect.Left + nc.Left, WindowRect.Top + nc.Top, WindowRect.Right - nc.Right,
                       WindowRect.Bottom - nc.Bottom};
    if (client.Contains(P))
        return HTCLIENT;
    if (showCaption_) {
        const int capH = GetSystemMetrics(SM_CYSMCAPTION);
        const TRect cap{client.Left, WindowRect.Top + nc.Bottom, client.Right, WindowRect.Top + nc.Bottom + capH};
        if (cap.Contains(P)) {
            if (closeButton_ && FloatingCloseButtonRect(WindowRect).Contains(P))
                return tbHTCloseButton;
            return tbHTCaption;
        }
    }
    if (!resizable_)
        return HTBORDER;
    const int corner = GetSystemMetrics(SM_CYSMCAPTION) + nc.Right;
    const bool left = P.X < client.Left, right = P.X >= client.Right;
    const bool top = P.Y < WindowRect.Top + nc.Bottom, bottom = P.Y >= client.Bottom;
    const bool nearLeft = P.X < WindowRect.Left + corner, nearRight = P.X >= WindowRect.Right - corner;
    const bool nearTop = P.Y < WindowRect.Top + corner, nearBottom = P.Y >= WindowRect.Bottom - corner;
    if ((top && nearLeft) || (left && nearTop))
        return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop))
        return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom))
        return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom))
        return HTBOTTOMRIGHT;
    if (top)
        return HTTOP;
    if (bottom)
        return HTBOTTOM;
    return left ? HTLEFT : HTRIGHT;
}

// ---------------------------------------------------------------------------------------------
// Visibility, mouse and messages

void TTBCustomDockableWindow::UpdateVisibility()
{
    if (!floating_ || !floatParent_ || IsDesigning(this))
        return;
    TForm *form = floatParent_->ParentForm();
    bool show = Visible();
    if (show && floatingMode_ == TTBFloatingMode::fmOnTopOfParentForm)
        show = form && !form->isHidden() && !form->isMinimized();
    if (show && hideWhenInactive_)
        show = Application()->Active();
    if (show != !floatParent_->isHidden()) {
        // Qt lets the activation go with the window: it goes back to the form.
        const bool wasActive = !show && floatParent_->isActiveWindow();
        floatParent_->SetVisible(show);
        if (wasActive)
            floatParent_->HandActivationOn();
        if (!show)
            return;
    }
    if (!show)
        return;
    // A window manager activates a clicked window in its own time, which may be after the
    // window has handed the activation on: it is let do so only where the window keeps it.
    floatParent_->SetClickActivates(LastActivated() == form);
    QWidget *active = QApplication::activeWindow();
    bool inactive = !Application()->Active();
    if (!inactive && floatingMode_ == TTBFloatingMode::fmOnTopOfParentForm)
        inactive = active != form && active != floatParent_;
    if (inactive != inactiveCaption_) {
        inactiveCaption_ = inactive;
        floatParent_->InvalidateNC();
    }
}

void TTBCustomDockableWindow::Close()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    if (!canClose)
        return;
    Hide();
    if (OnClose)
        OnClose(this);
}

void TTBCustomDockableWindow::DoDblClickAction()
{
    if (floating_) {
        if (lastDock_) {
            SetParent(lastDock_);
        } else if (defaultDock_) {
            dockRow_ = 0;
            dockPos_ = -8;
            SetParent(defaultDock_);
        }
    } else if (docked_ && dblClickUndock_ && dockMode_ == TTBDockMode::dmCanFloat) {
        SetFloating(true);
    }
}

void TTBCustomDockableWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (floating_ && floatParent_)
        floatParent_->PressedOn();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != TMouseButton::mbLeft || !CanDrag() || ChildControlTransparent({X, Y}))
        return;
    if (Shift.Contains(ssDouble)) {
        DoDblClickAction();
        return;
    }
    QPointer<TTBCustomDockableWindow> self(this);
    BeginMoving(ClientToScreen({X, Y}));
    // The drag loop took the button's release: the press that began it ends here, outside
    // the window, so it is no click.
    if (self)
        Perform(WM_LBUTTONUP, 0, PointToLParam({-1, -1}));
}

bool TTBCustomDockableWindow::DockBackgroundShown() const
{
    return docked_ && currentDock_->UsingBackground() && currentDock_->BackgroundOnToolbars();
}

void TTBCustomDockableWindow::EraseBackground(TCanvas &ACanvas)
{
    if (!DockBackgroundShown()) {
        TCustomControl::EraseBackground(ACanvas);
        return;
    }
    // Lined up the way the dock draws it: in the coordinates of the dock's parent.
    const TPoint mine = ClientToScreen({0, 0}), dock = currentDock_->ClientToScreen({0, 0});
    const TPoint o{mine.X - dock.X + currentDock_->Left(), mine.Y - dock.Y + currentDock_->Top()};
    ACanvas.SaveDC();
    ACanvas.MoveWindowOrg(-o.X, -o.Y);
    currentDock_->DrawBackground(ACanvas, Bounds(o.X, o.Y, ClientWidth(), ClientHeight()));
    ACanvas.RestoreDC(-1);
}

// A request on the frame (handle, border, floating caption): OnContextPopup, then the window's
// own PopupMenu, then the parent's. The client area's requests are the contents'.
bool TTBCustomDockableWindow::ContextMenu(TMessage &Message)
{
    if (IsDesigning(this))
        return false;
    const TPoint screen = LParamToPoint(Message.LParam);
    const bool keyboard = screen.X == -1 && screen.Y == -1;
    TPoint client = screen;
    if (!keyboard) {
        client = ScreenToClient(screen);
        if (ClientRect().Contains(client))
            return false;
    }
    bool handled = false;
    DoContextPopup(client, handled);
    if (!handled)
        handled = ShowPopupMenu(screen);
    if (handled)
        Message.Result = 1;
    else if (Parent() && !floating_)
        Message.Result = Parent()->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
    return true;
}

void TTBCustomDockableWindow::Notification(TComponent *AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == defaultDock_)
        defaultDock_ = nullptr;
    if (AComponent == lastDock_)
        lastDock_ = nullptr;
}

void TTBCustomDockableWindow::Loaded()
{
    TCustomControl::Loaded();
    Arrange();
}

void TTBCustomDockableWindow::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_PRINT:
    case WM_PRINTCLIENT: TBHandlePrintMessage(this, Message); return;
    case WM_NCLBUTTONDOWN:
        if (int(Message.WParam) == tbHTDragHandle) {
            BeginMoving(LParamToPoint(Message.LParam));
            return;
        }
        if (int(Message.WParam) == tbHTCloseButton) {
            TrackCloseButton(false);
            return;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (int(Message.WParam) == tbHTDragHandle) {
            DoDblClickAction();
            return;
        }
        break;
    case WM_NCRBUTTONUP:
        Perform(WM_CONTEXTMENU, WPARAM(static_cast<QWidget *>(this)), Message.LParam);
        return;
    case WM_CONTEXTMENU:
        if (ContextMenu(Message))
            return;
        break;
    case CM_CONTROLCHANGE:
        // A control taking typing that comes or goes changes whether a click may activate.
        TCustomControl::WndProc(Message);
        if (floating_)
            UpdateFloatingWindowKinds(Message.LParam ? nullptr : reinterpret_cast<TControl *>(Message.WParam));
        return;
    case WM_SETCURSOR:
        if (LoWord(Message.LParam) == tbHTDragHandle && dragHandleStyle_ != TTBDragHandleStyle::dhNone) {
            SetCursorShape(crSizeAll);
            Message.Result = 1;
            return;
        }
        break;
    case CM_VISIBLECHANGED:
        TCustomControl::WndProc(Message);
        if (currentDock_)
            currentDock_->ToolbarVisibilityChanged(this, false);
        UpdateVisibility();
        if (OnVisibleChanged)
            OnVisibleChanged(this);
        return;
    case WM_MOVE:
        TCustomControl::WndProc(Message);
        // Another part of the dock's picture lies behind the window now.
        if (DockBackgroundShown())
            Invalidate();
        if (!IsLoading(this) && disableOnMove_ == 0 && OnMove)
            OnMove(this);
        return;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        CancelDrag();
        break;
    case CM_TEXTCHANGED:
        TCustomControl::WndProc(Message);
        if (floatParent_)
            floatParent_->SetCaption(Caption());
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TTBFloatingWindowParent

TTBFloatingWindowParent::TTBFloatingWindowParent(TComponent *AOwner, TForm *AParentForm)
    : TForm(AOwner), parentForm_(AParentForm)
{
    SetWindowKinds({wkToolWindow, wkNoActivate});
    SetColor(clBtnFace);
    // Owned by the form: it stays above it and goes with it.
    SetOwnerWindow(AParentForm);
}

TTBFloatingWindowParent::~TTBFloatingWindowParent()
{
    if (dockableWindow_ && dockableWindow_->Parent() == this)
        dockableWindow_->TControl::SetParent(nullptr);
}

void TTBFloatingWindowParent::SetClientSize(int AWidth, int AHeight)
{
    const TRect nc = NCMargins();
    SetBounds(Left(), Top(), AWidth + nc.Left + nc.Right, AHeight + nc.Top + nc.Bottom);
}

TRect TTBFloatingWindowParent::NCMargins() const
{
    return dockableWindow_ ? dockableWindow_->GetFloatingNCArea() : TRect{};
}

void TTBFloatingWindowParent::PaintNC(TCanvas &ACanvas)
{
    if (dockableWindow_)
        dockableWindow_->DrawFloatingFrame(ACanvas, Bounds(0, 0, Width(), Height()));
}

int TTBFloatingWindowParent::NCHitTest(const TPoint &screenPos)
{
    if (!dockableWindow_)
        return TForm::NCHitTest(screenPos);
    const QPoint p = mapFromGlobal(QPoint(screenPos.X, screenPos.Y));
    return dockableWindow_->FloatingHitTest({p.x(), p.y()}, Bounds(0, 0, Width(), Height()));
}

// Closing the floating window (Alt+F4) closes the form the toolbar belongs to.
void TTBFloatingWindowParent::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (parentForm_)
        parentForm_->Close();
}

void TTBFloatingWindowParent::PressedOn()
{
    raise();
    TTBCustomDockableWindow *w = dockableWindow_;
    if (w && w->activateParent_ && w->floatingMode_ == TTBFloatingMode::fmOnTopOfParentForm && parentForm_ &&
        parentForm_->isVisible())
        parentForm_->activateWindow();
}

void TTBFloatingWindowParent::HandActivationOn()
{
    QWidget *next = parentForm_ && parentForm_->isVisible() && parentForm_->isEnabled() ? parentForm_ : nullptr;
    if (!next && isHidden()) {
        // Another shown window of the program, one that does not stay on top preferred.
        for (QWidget *t : QApplication::topLevelWidgets()) {
            if (t == this || !t->isVisible() || !t->isEnabled() || !dynamic_cast<TForm *>(t))
                continue;
            if (!next || ((next->windowFlags() & Qt::WindowStaysOnTopHint) &&
                          !(t->windowFlags() & Qt::WindowStaysOnTopHint)))
                next = t;
        }
    }
    if (next)
        next->activateWindow();
}

bool TTBFloatingWindowParent::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        // Only a window that holds a control taking typing is activated, and it keeps the
        // activation only when it took it from its own form (a click into that control).
        if (isHidden() || LastActivated() != parentForm_)
            HandActivationOn();
        break;
    default: break;
    }
    return TForm::event(event);
}

void TTBFloatingWindowParent::KeyDown(WORD &Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE && !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) &&
        dockableWindow_) {
        dockableWindow_->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
        Key = 0;
        return;
    }
    TForm::KeyDown(Key, Shift);
}

void TTBFloatingWindowParent::WndProc(TMessage &Message)
{
    TTBCustomDockableWindow *w = dockableWindow_;
    switch (Message.Msg) {
    case WM_PRINT:
    case WM_PRINTCLIENT: TBHandlePrintMessage(this, Message); return;
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        PressedOn();
        break;
    case WM_ENABLE:
        enabled_ = Message.WParam != 0;
        if (w)
            w->UpdateFloatingWindowKinds();
        break;
    case WM_NCLBUTTONDOWN:
        if (!w)
            break;
        PressedOn();
        switch (int(Message.WParam)) {
        case tbHTCaption: w->BeginMoving(LParamToPoint(Message.LParam)); return;
        case tbHTCloseButton: w->TrackCloseButton(true); return;
        default:
            if (int(Message.WParam) >= HTLEFT && int(Message.WParam) <= HTBOTTOMRIGHT && w->resizable_) {
                w->BeginSizing(int(Message.WParam), LParamToPoint(Message.LParam));
                return;
            }
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (w && int(Message.WParam) == tbHTCaption) {
            w->DoDblClickAction();
            return;
        }
        break;
    case WM_NCRBUTTONUP:
        if (w)
            w->Perform(WM_CONTEXTMENU, WPARAM(static_cast<QWidget *>(w)), Message.LParam);
        return;
    case WM_CLOSE:
        if (parentForm_)
            parentForm_->Perform(WM_CLOSE);
        return;
    case WM_SETCURSOR: {
        const int ht = LoWord(Message.LParam);
        TCursor c = crArrow;
        if (ht == HTLEFT || ht == HTRIGHT)
            c = crSizeWE;
        else if (ht == HTTOP || ht == HTBOTTOM)
            c = crSizeNS;
        else if (ht == HTTOPLEFT || ht == HTBOTTOMRIGHT)
            c = crSizeNWSE;
        else if (ht == HTTOPRIGHT || ht == HTBOTTOMLEFT)
            c = crSizeNESW;
        if (ht != HTCLIENT) {
            SetCursorShape(c);
            Message.Result = 1;
            return;
        }
        break;
    }
    case WM_SHOWWINDOW:
    default: break;
    }
    TForm::WndProc(Message);
}
