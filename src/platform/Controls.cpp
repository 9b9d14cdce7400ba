#include "Controls.h"
#include "WindowHooks.h"

#include "DragManager.h"
#include "InputRouter.h"
#include "SysColors.h"

#include <QApplication>
#include <QCursor>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QPointer>
#include <QToolTip>
#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Free helpers

QCursor CursorFromTCursor(TCursor cursor)
{
    switch (cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag: return QCursor(Qt::DragMoveCursor);
    case crNoDrop:
    case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

QString GetShortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

namespace {

// The hint window that is up, the control it is for and where on that control it holds.
struct TShownHintWindow {
    QPointer<THintWindow> Window;
    QPointer<TControl> Control;
    TRect CursorRect;
};

TShownHintWindow &ShownHintWindow()
{
    static TShownHintWindow shown;
    return shown;
}

} // namespace

THintWindow::THintWindow(TComponent *AOwner) : TCustomControl(AOwner)
{
    SetVisible(false);
    SetWindowKinds({TWindowKind::wkPopup, TWindowKind::wkNoActivate});
}

void ShowHintWindow(TControl *control, const THintInfo &info)
{
    CancelHint();
    THintWindow *window = info.HintWindowClass();
    if (!window)
        return;
    ShownHintWindow() = {window, control, info.CursorRect};
    // Below the pointer, as the desktop's hint would be.
    const TRect at = Bounds(info.HintPos.X, info.HintPos.Y + 20, 0, 0);
    window->ActivateHintData(at, info.HintStr, info.HintData);
}

void CancelHintOutside(TControl *control, const TPoint *clientPos)
{
    TShownHintWindow &shown = ShownHintWindow();
    if (shown.Window && shown.Control == control && !(clientPos && shown.CursorRect.Contains(*clientPos)))
        CancelHint();
}

void CancelHint()
{
    if (THintWindow *window = ShownHintWindow().Window) {
        window->hide();
        window->deleteLater();
    }
    ShownHintWindow() = {};
    // QToolTip::hideText leaves the tip up for a moment more; a hint goes at once.
    QToolTip::hideText();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("qtooltip_label"))
            w->hide();
    }
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (modifiers & Qt::ShiftModifier)
        s.Include(ssShift);
    if (modifiers & Qt::ControlModifier)
        s.Include(ssCtrl);
    if (modifiers & Qt::AltModifier)
        s.Include(ssAlt);
    if (buttons & Qt::LeftButton)
        s.Include(ssLeft);
    if (buttons & Qt::RightButton)
        s.Include(ssRight);
    if (buttons & Qt::MiddleButton)
        s.Include(ssMiddle);
    return s;
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(ssShift);
    if (keys & MK_CONTROL)
        s.Include(ssCtrl);
    if (keys & MK_ALT)
        s.Include(ssAlt);
    if (keys & MK_LBUTTON)
        s.Include(ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(ssRight);
    if (keys & MK_MBUTTON)
        s.Include(ssMiddle);
    return s;
}

WPARAM MouseKeysFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    WPARAM keys = 0;
    if (buttons & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        keys |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        keys |= MK_ALT;
    return keys;
}

TControl *ControlOfWidget(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *c = dynamic_cast<TControl *>(w))
            return c;
    }
    return nullptr;
}

TControl *FindDragTarget(const TPoint &screenPos, bool AllowDisabled)
{
    TControl *c = ControlOfWidget(TInputRouter::WidgetAt(screenPos));
    while (c && !AllowDisabled && !c->isEnabled())
        c = ControlOfWidget(c->parentWidget());
    return c;
}

// ---------------------------------------------------------------------------------------------
// TControl: life, parent, bounds

TControl::TControl(TComponent *AOwner) : QWidget(nullptr), TComponent(AOwner), color_(clWindow)
{
    TInputRouter::Instance();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    font_.OnChange = [this] { FontChanged(); };
}

void TControl::NotifyDestroying()
{
    if (destroyNotified_)
        return;
    destroyNotified_ = true;
    NotifyWindowDestroying(this);
}

TControl::~TControl()
{
    NotifyDestroying();
    Destroying();
    if (TInputRouter *router = TInputRouter::Existing())
        router->ControlDestroyed(this);
    TDragManager::ControlDestroyed(this);
    if (parent_)
        parent_->RemoveControl(this);
    font_.OnChange = nullptr;
}

void TControl::SetParent(TWinControl *AParent)
{
    if (AParent == parent_)
        return;
    if (AParent == this)
        throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    if (parent_)
        parent_->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

TPoint TControl::ParentClientOffset() const
{
    if (!parent_)
        return {};
    const TRect m = parent_->NCMargins();
    return {m.Left, m.Top};
}

void TControl::ApplyGeometry()
{
    syncing_ = true;
    const TPoint o = isWindow() ? TPoint{} : ParentClientOffset();
    setGeometry(o.X + left_, o.Y + top_, width_, height_);
    syncing_ = false;
}

void TControl::ApplyVisibility()
{
    const bool show = visible_ && (parentWidget() != nullptr || ShowsWithoutParent());
    if (show && isWindow())
        ApplyWindowKinds();
    if (show == !isHidden())
        return;
    syncing_ = true;
    QWidget::setVisible(show);
    syncing_ = false;
    if (show && isWindow())
        ApplyWindowType();
    // Showing lets a Qt layout place the control; its bounds follow what the layout gave.
    if (show)
        SyncFromWidget();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_)
        return;
    const bool moved = ALeft != left_ || ATop != top_;
    const bool resized = AWidth != width_ || AHeight != height_;
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    ApplyGeometry();
    if (!anchorMove_)
        UpdateAnchorOrigin();
    if (moved)
        Perform(WM_MOVE, 0, PointToLParam({left_, top_}));
    if (resized)
        Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
    RequestAlign();
}

// A widget moved or resized by someone other than SetBounds (the window manager, a layout):
// the kept bounds follow it.
void TControl::SyncFromWidget()
{
    if (syncing_)
        return;
    const TPoint o = isWindow() ? TPoint{} : ParentClientOffset();
    const QRect g = geometry();
    const bool resized = g.width() != width_ || g.height() != height_;
    if (g.x() - o.X == left_ && g.y() - o.Y == top_ && !resized)
        return;
    left_ = g.x() - o.X;
    top_ = g.y() - o.Y;
    width_ = g.width();
    height_ = g.height();
    if (resized)
        Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
    RequestAlign();
}

void TControl::resizeEvent(QResizeEvent *) { SyncFromWidget(); }
void TControl::moveEvent(QMoveEvent *) { SyncFromWidget(); }

TRect TControl::ClientRect() const
{
    const TRect m = NCMargins();
    return {0, 0, std::max(0, width_ - m.Left - m.Right), std::max(0, height_ - m.Top - m.Bottom)};
}

void TControl::SetClientWidth(int value)
{
    const TRect m = NCMargins();
    SetWidth(value + m.Left + m.Right);
}

void TControl::SetClientHeight(int value)
{
    const TRect m = NCMargins();
    SetHeight(value + m.Top + m.Bottom);
}

TPoint TControl::ClientOrigin() const
{
    const TRect m = NCMargins();
    return TPoint::FromQPoint(mapToGlobal(QPoint(m.Left, m.Top)));
}

TPoint TControl::ClientToScreen(const TPoint &p) const
{
    const TPoint o = ClientOrigin();
    return {o.X + p.X, o.Y + p.Y};
}

TPoint TControl::ScreenToClient(const TPoint &p) const
{
    const TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::ClientToParent(const TPoint &p, TWinControl *AParent) const
{
    if (!AParent)
        AParent = parent_;
    TPoint r = p;
    const TControl *c = this;
    while (c && c != AParent) {
        r.X += c->left_;
        r.Y += c->top_;
        c = c->parent_;
    }
    if (c != AParent)
        throw EInvalidOperation(QStringLiteral("Control is not a child of the given parent"));
    return r;
}

void TControl::RecalcNC()
{
    if (auto *w = dynamic_cast<TWinControl *>(this)) {
        for (TControl *c : w->controls_)
            c->ApplyGeometry();
    }
    Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
    Invalidate();
}

int TControl::NCHitTest(const TPoint &screenPos)
{
    const QPoint local = mapFromGlobal(screenPos.ToQPoint());
    if (!rect().contains(local))
        return HTNOWHERE;
    const TRect m = NCMargins();
    TRect client = ClientRect();
    client.Offset(m.Left, m.Top);
    return client.Contains(TPoint::FromQPoint(local)) ? HTCLIENT : HTBORDER;
}

// ---------------------------------------------------------------------------------------------
// Alignment and anchors

void TControl::SetAlign(TAlign value)
{
    if (value == align_)
        return;
    const TAlign old = align_;
    align_ = value;
    // A control leaving an alignment keeps the size it had in it; one that takes an edge
    // keeps its thickness, which its current bounds already give.
    if (old != TAlign::alNone && value == TAlign::alNone)
        UpdateAnchorOrigin();
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    if (value == anchors_)
        return;
    anchors_ = value;
    UpdateAnchorOrigin();
}

void TControl::UpdateAnchorOrigin()
{
    anchorBounds_ = BoundsRect();
    if (parent_) {
        const TRect pc = parent_->ClientRect();
        anchorParentSize_ = {pc.Width(), pc.Height()};
    } else {
        anchorParentSize_ = {};
    }
}

void TControl::ApplyAnchors(const TRect &parentClient)
{
    const TAnchors standard{TAnchorKind::akLeft, TAnchorKind::akTop};
    if (anchors_ == standard)
        return;
    // Until the parent has had a size there is nothing to keep a distance to.
    if (anchorParentSize_.cx <= 0 && anchorParentSize_.cy <= 0) {
        UpdateAnchorOrigin();
        return;
    }
    const int dw = parentClient.Width() - anchorParentSize_.cx;
    const int dh = parentClient.Height() - anchorParentSize_.cy;
    int l = anchorBounds_.Left, t = anchorBounds_.Top;
    int w = anchorBounds_.Width(), h = anchorBounds_.Height();
    const bool left = anchors_.Contains(TAnchorKind::akLeft), right = anchors_.Contains(TAnchorKind::akRight);
    const bool top = anchors_.Contains(TAnchorKind::akTop), bottom = anchors_.Contains(TAnchorKind::akBottom);
    if (right)
        (left ? w : l) += dw;
    else if (!left)
        l += dw / 2;
    if (bottom)
        (top ? h : t) += dh;
    else if (!top)
        t += dh / 2;
    anchorMove_ = true;
    SetBounds(l, t, w, h);
    anchorMove_ = false;
}

void TControl::RequestAlign()
{
    if (parent_ && (align_ != TAlign::alNone || anchors_ != TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop} ||
                    parent_->AlignsEveryChild()))
        parent_->AlignControl(this);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TControl::SetVisible(bool value)
{
    // A window that was created visible shows on the first Show as well.
    if (value == visible_) {
        ApplyVisibility();
        return;
    }
    visible_ = value;
    ApplyVisibility();
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    if (parent_ && (align_ != TAlign::alNone || parent_->AlignsEveryChild()))
        parent_->AlignControl(this);
}

void TControl::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    QWidget::setEnabled(value);
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value)
{
    if (value == color_)
        return;
    color_ = value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (value == parentColor_)
        return;
    parentColor_ = value;
    // As a message, so that a control may say which of its parent's colours it takes.
    if (value)
        Perform(CM_PARENTCOLORCHANGED);
}

void TControl::ParentColorChanged(WPARAM WParam, LPARAM LParam)
{
    if (!parentColor_ || !parent_)
        return;
    const TColor color = WParam != 0 ? TColor(LParam) : parent_->color_;
    if (color_ != color) {
        color_ = color;
        Perform(CM_COLORCHANGED);
    }
}

void TControl::FontChanged()
{
    if (!fontFromParent_)
        parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    if (value == parentFont_)
        return;
    parentFont_ = value;
    if (value)
        ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!parentFont_ || !parent_ || font_.SameAs(parent_->font_))
        return;
    fontFromParent_ = true;
    font_.Assign(parent_->font_);
    fontFromParent_ = false;
}

void TControl::SetCursor(TCursor value)
{
    if (value == cursor_)
        return;
    cursor_ = value;
    if (value == crDefault)
        unsetCursor();
    else
        QWidget::setCursor(CursorFromTCursor(value));
    Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool value)
{
    parentShowHint_ = false;
    if (value == showHint_)
        return;
    showHint_ = value;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    if (value == parentShowHint_)
        return;
    parentShowHint_ = value;
    if (value)
        ParentShowHintChanged();
}

void TControl::ParentShowHintChanged()
{
    if (!parentShowHint_ || !parent_ || showHint_ == parent_->showHint_)
        return;
    showHint_ = parent_->showHint_;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode value)
{
    parentBiDiMode_ = false;
    if (value == biDiMode_)
        return;
    biDiMode_ = value;
    BiDiModeChanged();
}

void TControl::SetParentBiDiMode(bool value)
{
    if (value == parentBiDiMode_)
        return;
    parentBiDiMode_ = value;
    if (value && parent_ && parent_->biDiMode_ != biDiMode_) {
        biDiMode_ = parent_->biDiMode_;
        BiDiModeChanged();
    }
}

// Our mode changed: repaint, and hand it down to the children that follow us.
void TControl::BiDiModeChanged()
{
    Invalidate();
    if (auto *w = dynamic_cast<TWinControl *>(this)) {
        for (TControl *c : w->controls_) {
            if (c->parentBiDiMode_ && c->biDiMode_ != biDiMode_) {
                c->biDiMode_ = biDiMode_;
                c->BiDiModeChanged();
            }
        }
    }
}

void TControl::SetCaption(const QString &value)
{
    if (value == caption_)
        return;
    caption_ = value;
    Perform(CM_TEXTCHANGED);
}

// A control that joins a parent takes over what it inherits from it.
void TControl::AdoptParentProperties()
{
    if (!parent_)
        return;
    Perform(CM_PARENTCOLORCHANGED);
    ParentFontChanged();
    ParentShowHintChanged();
    if (parentBiDiMode_ && biDiMode_ != parent_->biDiMode_) {
        biDiMode_ = parent_->biDiMode_;
        BiDiModeChanged();
    }
    if (auto *w = dynamic_cast<TWinControl *>(this); w && w->parentCtl3D_)
        w->ctl3D_ = parent_->ctl3D_;
}

// Someone called QWidget::setParent directly: keep the control lists in step.
void TControl::ReparentedByQt()
{
    auto *now = dynamic_cast<TWinControl *>(parentWidget());
    if (now == parent_)
        return;
    if (parent_)
        parent_->DetachControl(this);
    if (now)
        now->AttachControl(this);
    ApplyVisibility();
}

// ---------------------------------------------------------------------------------------------
// TWinControl: children and alignment

TWinControl::TWinControl(TComponent *AOwner) : TControl(AOwner)
{
    SetControlStyle(ControlStyle() | TControlStyle{csAcceptsControls});
}

TWinControl::~TWinControl()
{
    // Owned controls go while this control is still whole; children owned elsewhere are
    // deleted by ~QWidget and must not call back into a half-destroyed parent.
    NotifyDestroying();
    Destroying();
    DestroyComponents();
    for (TControl *c : controls_)
        c->parent_ = nullptr;
    controls_.clear();
    tabList_.clear();
}

void TWinControl::AttachControl(TControl *AControl)
{
    AControl->parent_ = this;
    controls_.push_back(AControl);
    if (auto *w = dynamic_cast<TWinControl *>(AControl))
        tabList_.push_back(w);
    AControl->AdoptParentProperties();
    AControl->ApplyGeometry();
    AControl->UpdateAnchorOrigin();
    if (AControl->align_ != TAlign::alNone)
        AlignControl(AControl);
}

void TWinControl::DetachControl(TControl *AControl)
{
    auto it = std::find(controls_.begin(), controls_.end(), AControl);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), AControl), tabList_.end());
    AControl->parent_ = nullptr;
    if (AControl->align_ != TAlign::alNone && !ComponentState().Contains(csDestroying))
        Realign();
}

void TWinControl::InsertControl(TControl *AControl)
{
    if (!AControl || AControl->parent_ == this)
        return;
    if (AControl == this)
        throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    if (AControl->parent_)
        AControl->parent_->RemoveControl(AControl);
    AControl->syncing_ = true;
    AControl->QWidget::setParent(this);
    AControl->syncing_ = false;
    AttachControl(AControl);
    AControl->ApplyVisibility();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl *AControl)
{
    if (!AControl || AControl->parent_ != this)
        return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (AControl->parent_ != this)
        return;
    DetachControl(AControl);
    // A control in its destructor leaves its Qt parent by itself.
    if (!AControl->ComponentState().Contains(csDestroying) && AControl->parentWidget() == this) {
        AControl->syncing_ = true;
        AControl->QWidget::setParent(nullptr);
        AControl->syncing_ = false;
        AControl->ApplyVisibility();
    }
}

bool TWinControl::ContainsControl(const TControl *AControl) const
{
    for (const TControl *c = AControl; c; c = c->Parent()) {
        if (c == this)
            return true;
    }
    return false;
}

TControl *TWinControl::ControlAtPos(const TPoint &Pos, bool AllowDisabled, bool AllowWinControls) const
{
    // Later controls lie on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl *c = *it;
        if (!AllowWinControls && dynamic_cast<TWinControl *>(c))
            continue;
        if (c->Visible() && (AllowDisabled || c->Enabled()) && c->BoundsRect().Contains(Pos))
            return c;
    }
    return nullptr;
}

void TWinControl::BringToFront(TControl *AControl)
{
    auto it = std::find(controls_.begin(), controls_.end(), AControl);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    controls_.push_back(AControl);
    AControl->raise();
    if (AControl->align_ != TAlign::alNone)
        Realign();
}

void TWinControl::SendToBack(TControl *AControl)
{
    auto it = std::find(controls_.begin(), controls_.end(), AControl);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    controls_.insert(controls_.begin(), AControl);
    AControl->lower();
    if (AControl->align_ != TAlign::alNone)
        Realign();
}

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign()
{
    if (alignLevel_ > 0 && --alignLevel_ == 0 && alignmentNeeded_)
        Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl *AControl)
{
    if (ComponentState().Contains(csDestroying))
        return;
    if (alignLevel_ != 0) {
        alignmentNeeded_ = true;
        return;
    }
    DisableAlign();
    TRect r = ClientRect();
    AdjustClientRect(r);
    AlignControls(AControl, r);
    // Requests made by the children while they were being placed are satisfied already.
    alignmentNeeded_ = false;
    EnableAlign();
}

void TWinControl::AlignControls(TControl *AControl, TRect &Rect)
{
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        DoAlign(AControl, a, Rect);
    const TRect client = ClientRect();
    for (TControl *c : std::vector<TControl *>(controls_)) {
        if (c->align_ == TAlign::alNone && c != AControl)
            c->ApplyAnchors(client);
    }
}

namespace {

// Whether c1 goes before c2 among the controls sharing an edge: the one nearer the edge
// first; on a tie the one placed earlier keeps its place.
bool InsertBefore(const TControl *c1, const TControl *c2, TAlign align)
{
    switch (align) {
    case TAlign::alTop: return c1->Top() < c2->Top();
    case TAlign::alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
    case TAlign::alLeft: return c1->Left() < c2->Left();
    case TAlign::alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
    default: return false;
    }
}

} // namespace

void TWinControl::DoAlign(TControl *AControl, TAlign AAlign, TRect &Rect)
{
    // The control that asked goes in first, so its new position decides among equals.
    std::vector<TControl *> list;
    if (AControl && AControl->align_ == AAlign && AControl->visible_ && AControl->parent_ == this)
        list.push_back(AControl);
    for (TControl *c : controls_) {
        if (c == AControl || c->align_ != AAlign || !c->visible_)
            continue;
        auto pos = list.begin();
        while (pos != list.end() && !InsertBefore(c, *pos, AAlign))
            ++pos;
        list.insert(pos, c);
    }
    for (TControl *c : list) {
        int l = Rect.Left, t = Rect.Top, w = Rect.Width(), h = Rect.Height();
        switch (AAlign) {
        case TAlign::alTop:
            h = c->Height();
            Rect.Top += h;
            break;
        case TAlign::alBottom:
            h = c->Height();
            Rect.Bottom -= h;
            t = Rect.Bottom;
            break;
        case TAlign::alLeft:
            w = c->Width();
            Rect.Left += w;
            break;
        case TAlign::alRight:
            w = c->Width();
            Rect.Right -= w;
            l = Rect.Right;
            break;
        default: break;
        }
        c->SetBounds(l, t, w, h);
        // A control that would not take the size it was given keeps the space it took.
        switch (AAlign) {
        case TAlign::alTop: Rect.Top -= h - c->Height(); break;
        case TAlign::alBottom: Rect.Bottom += h - c->Height(); break;
        case TAlign::alLeft: Rect.Left -= w - c->Width(); break;
        case TAlign::alRight: Rect.Right += w - c->Width(); break;
        default: break;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TWinControl: focus and tab order

bool TWinControl::CanFocus() const
{
    for (const TControl *c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled())
            return false;
    }
    return true;
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    QWidget::setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool value)
{
    if (value == tabStop_)
        return;
    tabStop_ = value;
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
    Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto &list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    TWinControl *p = Parent();
    if (!p)
        return;
    auto &list = p->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    value = std::clamp(value, 0, int(list.size()));
    list.insert(list.begin() + value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl *> &List) const
{
    for (TWinControl *c : tabList_) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl *TWinControl::FindNextControl(TWinControl *CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const
{
    std::vector<TWinControl *> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    const int n = int(list.size());
    auto at = std::find(list.begin(), list.end(), CurControl);
    // Without a current control the walk starts just outside the list.
    int i = at != list.end() ? int(at - list.begin()) : (GoForward ? n - 1 : 0);
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl *c = list[size_t(i)];
        if (c == CurControl)
            break;
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) &&
            (!CheckParent || !CurControl || c->Parent() == CurControl->Parent()))
            return c;
    }
    return nullptr;
}

bool TWinControl::SelectNext(TWinControl *CurControl, bool GoForward, bool CheckTabStop)
{
    TWinControl *next = FindNextControl(CurControl, GoForward, CheckTabStop, false);
    if (!next)
        return false;
    next->SetFocus();
    return true;
}

void TWinControl::SetCtl3D(bool value)
{
    parentCtl3D_ = false;
    if (value == ctl3D_)
        return;
    ctl3D_ = value;
    Invalidate();
    for (TControl *c : controls_) {
        if (auto *w = dynamic_cast<TWinControl *>(c); w && w->parentCtl3D_ && w->ctl3D_ != value) {
            w->SetCtl3D(value);
            w->parentCtl3D_ = true;
        }
    }
}

void TWinControl::SetParentCtl3D(bool value)
{
    if (value == parentCtl3D_)
        return;
    parentCtl3D_ = value;
    if (value && Parent() && Parent()->ctl3D_ != ctl3D_) {
        SetCtl3D(Parent()->ctl3D_);
        parentCtl3D_ = true;
    }
}

// ---------------------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent *AOwner) : TWinControl(AOwner) {}

void TCustomControl::PaintWindow(TCanvas &) { Paint(); }

TGraphicControl::TGraphicControl(TComponent *AOwner) : TControl(AOwner) {}

void TGraphicControl::PaintWindow(TCanvas &) { Paint(); }
