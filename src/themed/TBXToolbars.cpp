#include "TBX.h"
#include "TBXNexus.h"

#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

// Themed toolbars, their chevron and view, docks and floating frames.

namespace {

template <class V>
TTBItemViewer *NewViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel)
{
    return new V(AView, AItem, AGroupLevel);
}

void RedrawWindowWithChildren(TWinControl *Control)
{
    Control->InvalidateNC();
    for (int i = 0; i < Control->ControlCount(); ++i)
        if (auto *child = dynamic_cast<TWinControl *>(Control->Controls(i)))
            RedrawWindowWithChildren(child);
        else
            Control->Controls(i)->Invalidate();
}

} // namespace

TPoint ClientOriginIn(const TControl *Control, const TWinControl *Ancestor)
{
    TPoint r;
    for (const TControl *c = Control; c && c != Ancestor; c = c->Parent()) {
        const TRect m = c->NCMargins();
        r.X += c->Left() + m.Left;
        r.Y += c->Top() + m.Top;
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Chevron

TTBItemViewerClass TTBXChevronItem::GetItemViewerClass(TTBView *) { return &NewViewer<TTBXChevronItemViewer>; }

TTBPopupWindow *TTBXChevronItem::CreatePopupWindow(TTBView *ParentView, bool Customizing)
{
    return new TTBXChevronPopupWindow(nullptr, ParentView, this, Customizing);
}

void TTBXChevronItem::ComputePopupPosition(TTBView *ParentView, TTBPopupPositionRec &Rec)
{
    ComputePopupPositionForTheme(*this, ParentView, Rec);
}

void TTBXChevronItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                                  bool)
{
    TTBXItemInfo info;
    info.ViewType = GetViewType(View);
    info.ItemOptions = IO_TOOLBAR_STYLE;
    if (Item->ComponentState().Contains(TComponentStateItem::csDesigning))
        info.ItemOptions |= IO_DESIGNING;
    info.Enabled = Item->Enabled() || View->Customizing();
    info.Pushed = IsPushed;
    info.IsPopupParent = IsPushed;
    info.IsVertical = View->Orientation() == TTBViewOrientation::tbvoVertical;
    if (IsSelected)
        info.HoverKind = info.Enabled ? HOVER_ENABLED : (View->MouseOverSelected() ? HOVER_NONE : HOVER_DISABLED);
    CurrentTheme()->PaintChevron(Canvas, ClientAreaRect, info);
}

void TTBXToolbarView::GetMargins(TTBViewOrientation AOrientation, TRect &Margins)
{
    int vt = GetViewType(this);
    if (AOrientation == TTBViewOrientation::tbvoFloating)
        vt |= VT_FLOATING;
    else
        vt &= ~VT_FLOATING;
    TTBXMargins m;
    CurrentTheme()->GetViewMargins(vt, m);
    Margins = {m.LeftWidth, m.TopHeight, m.RightWidth, m.BottomHeight};
}

// ---------------------------------------------------------------------------------------------
// Toolbar

TTBXToolbar::TTBXToolbar(TComponent *AOwner) : TTBCustomToolbar(AOwner)
{
    ReplaceViewAndChevron(std::make_unique<TTBXToolbarView>(this, Items()), new TTBXChevronItem(this));
    SetColor(clNone);
    // A double click on a themed toolbar's handle is no request to tear it off.
    SetDblClickUndock(false);
    AddThemeListener(this);
    UpdateEffectiveColor();
}

TTBXToolbar::~TTBXToolbar() { RemoveThemeListener(this); }

void TTBXToolbar::SetItemTransparency(TTBXItemTransparency Value)
{
    if (itemTransparency_ != Value) {
        itemTransparency_ = Value;
        View()->InvalidatePositions();
        Invalidate();
    }
}

void TTBXToolbar::SetSnapDistance(int Value)
{
    snapDistance_ = std::max(0, Value);
    if (auto *fp = dynamic_cast<TTBXFloatingWindowParent *>(FloatingWindowParent()))
        fp->SetSnapDistance(snapDistance_);
}

int TTBXToolbar::ViewType() const
{
    int vt = MenuBar() ? VT_MENUBAR : VT_NORMALTOOLBAR;
    if (Floating()) {
        vt |= VT_FLOATING;
        if (Resizable())
            vt |= VT_RESIZABLE;
    }
    if (itemTransparency_ == TTBXItemTransparency::itDisable ||
        (itemTransparency_ == TTBXItemTransparency::itAuto && !Docked() && !Floating()))
        vt |= VT_OPAQUE;
    return vt;
}

void TTBXToolbar::UpdateEffectiveColor()
{
    TColor c;
    if (Color() != clNone)
        c = Color();
    else if (!Docked() && !Floating() && Parent())
        c = GetShownViewColor(Parent());
    else
        c = CurrentTheme()->GetViewColor(ViewType());
    if (c != effectiveColor_) {
        effectiveColor_ = c;
        BroadcastColor();
    }
}

void TTBXToolbar::SetParent(TWinControl *AParent)
{
    TTBCustomToolbar::SetParent(AParent);
    if (!ComponentState().Contains(csDestroying))
        UpdateEffectiveColor();
}

void TTBXToolbar::BroadcastColor()
{
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Perform(CM_PARENTCOLORCHANGED, 1, LPARAM(effectiveColor_));
}

void TTBXToolbar::UpdateNCArea()
{
    if (Floating() && FloatingWindowParent()) {
        FloatingWindowParent()->RecalcNC();
        FloatingWindowParent()->InvalidateNC();
    } else {
        RecalcNC();
        InvalidateNC();
    }
}

void TTBXToolbar::Loaded()
{
    TTBCustomToolbar::Loaded();
    UpdateEffectiveColor();
}

bool TTBXToolbar::DockBackgroundOnToolbars() const
{
    TTBDock *dock = CurrentDock();
    return Docked() && dock && dock->BackgroundOnToolbars() && dock->Background() && dock->UsingBackground();
}

TRect TTBXToolbar::GetDockedNCArea(TTBDock *ADock) const
{
    TPoint border;
    CurrentTheme()->GetViewBorder(ViewType() & ~(VT_FLOATING | VT_RESIZABLE), border);
    TRect r{border.X, border.Y, border.X, border.Y};
    if (ADock && ADock->GetAllowDrag()) {
        TTBXFrameInfo info;
        info.AllowDrag = true;
        info.DragHandleStyle = int(DragHandleStyle());
        info.CloseButtonState = CloseButtonWhenDocked() ? CLOSE_VISIBLE : 0;
        const int handle = GetDragHandleSize(info);
        if (ADock->IsVertical())
            r.Top += handle;
        else
            r.Left += handle;
    }
    return r;
}

TRect TTBXToolbar::GetFloatingNCArea() const
{
    int vt = (ViewType() & ~VT_OPAQUE) | VT_FLOATING;
    if (Resizable())
        vt |= VT_RESIZABLE;
    TPoint border;
    CurrentTheme()->GetViewBorder(vt, border);
    return {border.X, border.Y + (ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0), border.X, border.Y};
}

void TTBXToolbar::GetFrameInfo(TTBXFrameInfo &Info) const
{
    Info = {};
    TTBDock *dock = CurrentDock();
    Info.WindowHandle = std::intptr_t(this);
    Info.ViewType = ViewType();
    Info.IsVertical = dock && dock->IsVertical();
    Info.AllowDrag = dock && dock->GetAllowDrag();
    Info.BorderStyle = BorderStyle() == TTBBorderStyle::bsSingle ? 1 : 0;
    CurrentTheme()->GetViewBorder(Info.ViewType, Info.BorderSize);
    Info.ClientWidth = ClientWidth();
    Info.ClientHeight = ClientHeight();
    Info.DragHandleStyle = int(DragHandleStyle());
    if (Info.AllowDrag && CloseButtonWhenDocked()) {
        Info.CloseButtonState = CLOSE_VISIBLE;
        if (CloseButtonDown())
            Info.CloseButtonState |= CLOSE_PRESSED;
        else if (closeButtonHot_)
            Info.CloseButtonState |= CLOSE_HOT;
    }
    Info.Color = effectiveColor_;
}

void TTBXToolbar::PaintDockableNCArea(TCanvas &ACanvas)
{
    TTBXFrameInfo info;
    GetFrameInfo(info);
    TCanvasStateGuard guard(ACanvas);
    const TRect window{0, 0, Width(), Height()};
    const TRect m = NCMargins();
    ACanvas.ExcludeClipRect(Bounds(m.Left, m.Top, ClientWidth(), ClientHeight()));
    TTBDock *dock = CurrentDock();
    if (CurrentTheme()->GetBooleanMetric(BMET_SOLID_TOOLBAR_NC) || !dock) {
        ACanvas.Brush()->SetColor(effectiveColor_);
    } else if (auto *xdock = dynamic_cast<TTBXDock *>(dock); xdock && xdock->UsingBackground()) {
        xdock->DrawBackgroundUnder(this, ACanvas, true);
        if (Color() == clNone && DockBackgroundOnToolbars())
            ACanvas.Brush()->SetStyle(TBrushStyle::bsClear);
        else
            ACanvas.Brush()->SetColor(effectiveColor_);
    } else {
        ACanvas.Brush()->SetColor(GetShownViewColor(dock));
        ACanvas.FillRect(window);
        ACanvas.Brush()->SetColor(effectiveColor_);
    }
    CurrentTheme()->PaintToolbarNCArea(ACanvas, window, info);
}

void TTBXToolbar::EraseBackground(TCanvas &ACanvas)
{
    bool drawn = false;
    TRect dockRect;
    auto *xdock = dynamic_cast<TTBXDock *>(CurrentDock());
    if (Docked() && CurrentDock()) {
        const TPoint origin = ClientOriginIn(this, CurrentDock());
        dockRect = Bounds(-origin.X, -origin.Y, CurrentDock()->ClientWidth(), CurrentDock()->ClientHeight());
    }
    if (Color() == clNone && xdock && DockBackgroundOnToolbars() &&
        !CurrentTheme()->GetBooleanMetric(BMET_TOOLBAR_HIDES_DOCK_IMAGE)) {
        xdock->DrawBackgroundUnder(this, ACanvas, false);
        drawn = true;
    } else if (!Docked() && !Floating()) {
        DrawParentBackground(this, ACanvas, ClientRect());
        drawn = true;
    }
    const TRect r = ClientRect();
    CurrentTheme()->PaintBackground(ACanvas, dockRect, r, r, effectiveColor_, drawn, ViewType());
}

TTBFloatingWindowParent *TTBXToolbar::CreateFloatingWindowParent(TForm *AParentForm)
{
    auto *fp = new TTBXFloatingWindowParent(nullptr, AParentForm);
    fp->SetSnapDistance(snapDistance_);
    return fp;
}

void TTBXToolbar::SetCloseButtonHot(bool Value)
{
    if (closeButtonHot_ != Value) {
        closeButtonHot_ = Value;
        if (Docked())
            InvalidateNC();
    }
}

void TTBXToolbar::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case TBXM_GETEFFECTIVECOLOR:
        Message.WParam = WPARAM(effectiveColor_);
        Message.Result = 1;
        return;
    case TBXM_GETVIEWTYPE: Message.Result = ViewType(); return;
    case TBXM_CONTROLCHANGE:
        switch (Message.WParam) {
        case ThemeBeforeChange:
            View()->BeginUpdate();
            break;
        case ThemeAfterChange:
            View()->EndUpdate();
            UpdateEffectiveColor();
            View()->InvalidatePositions();
            UpdateNCArea();
            Invalidate();
            Arrange();
            BroadcastColor();
            break;
        case ThemeAppActivate:
        case ThemeAppDeactivate:
            if (MenuBar())
                Invalidate();
            break;
        default: break;
        }
        return;
    case CM_COLORCHANGED:
        TTBCustomToolbar::WndProc(Message);
        UpdateEffectiveColor();
        PassColorToChildren(this, Message, effectiveColor_);
        if (Docked())
            RedrawWindowWithChildren(this);
        return;
    case CM_PARENTCOLORCHANGED:
        if (!Docked() && !Floating() && Color() == clNone) {
            if (Message.WParam == 0 && Parent()) {
                Message.WParam = 1;
                Message.LParam = LPARAM(GetShownViewColor(Parent()));
            }
            TTBCustomToolbar::WndProc(Message);
            UpdateEffectiveColor();
            Invalidate();
            return;
        }
        break;
    case WM_NCMOUSEMOVE:
        TTBCustomToolbar::WndProc(Message);
        SetCloseButtonHot(Docked() && int(Message.WParam) == tbHTCloseButton);
        return;
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
        TTBCustomToolbar::WndProc(Message);
        SetCloseButtonHot(false);
        return;
    case WM_SIZE:
        TTBCustomToolbar::WndProc(Message);
        if (auto *xdock = dynamic_cast<TTBXDock *>(CurrentDock());
            xdock && Docked() && DockBackgroundOnToolbars() && !xdock->Resizing())
            // The items too: they sit on that background, and the back buffer repaints them
            // without flicker.
            Invalidate();
        return;
    default: break;
    }
    TTBCustomToolbar::WndProc(Message);
    if (Message.Msg == CM_VISIBLECHANGED || Message.Msg == WM_MOVE)
        UpdateEffectiveColor();
    else if (Message.Msg == CM_CONTROLCHANGE)
        PassColorToChildren(this, Message, effectiveColor_);
}

// ---------------------------------------------------------------------------------------------
// Dock

TTBXDock::TTBXDock(TComponent *AOwner) : TTBDock(AOwner)
{
    SetColor(clNone);
    AddThemeListener(this);
}

TTBXDock::~TTBXDock() { RemoveThemeListener(this); }

void TTBXDock::SetUseParentBackground(bool Value)
{
    if (useParentBackground_ != Value) {
        useParentBackground_ = Value;
        RedrawWithChildren();
    }
}

bool TTBXDock::ThemedBackground() const
{
    return Color() == clNone && !TTBDock::UsingBackground() && CurrentTheme()->GetBooleanMetric(BMET_PAINT_DOCK);
}

bool TTBXDock::UsingBackground() const
{
    return useParentBackground_ || (ThemedBackground() && !moving_) || TTBDock::UsingBackground();
}

int TTBXDock::PositionCode() const
{
    switch (Position()) {
    case TTBDockPosition::dpTop: return DOCK_TOP;
    case TTBDockPosition::dpBottom: return DOCK_BOTTOM;
    case TTBDockPosition::dpLeft: return DOCK_LEFT;
    case TTBDockPosition::dpRight: return DOCK_RIGHT;
    }
    return DOCK_TOP;
}

void TTBXDock::DrawBackground(TCanvas &DC, const TRect &DrawRect)
{
    // DrawRect is in the parent's coordinates, the canvas lined up with the parent.
    TCanvasStateGuard guard(DC);
    DC.MoveWindowOrg(DrawRect.Left, DrawRect.Top);
    const TRect client{0, 0, DrawRect.Width(), DrawRect.Height()};
    if (useParentBackground_)
        DrawParentBackground(this, DC, client);
    else if (ThemedBackground())
        CurrentTheme()->PaintDock(DC, ClientRect(), client, PositionCode());
    else {
        DC.MoveWindowOrg(-DrawRect.Left, -DrawRect.Top);
        TTBDock::DrawBackground(DC, DrawRect);
    }
}

void TTBXDock::DrawBackgroundUnder(TControl *Control, TCanvas &Canvas, bool WindowCoords)
{
    TCanvasStateGuard guard(Canvas);
    TPoint o = ClientOriginIn(Control, this);
    if (WindowCoords) {
        const TRect nc = Control->NCMargins();
        o.X -= nc.Left;
        o.Y -= nc.Top;
    }
    Canvas.MoveWindowOrg(-(o.X + Left()), -(o.Y + Top()));
    DrawBackground(Canvas, Bounds(Left(), Top(), ClientWidth(), ClientHeight()));
}

void TTBXDock::EraseBackground(TCanvas &ACanvas)
{
    if (UsingBackground()) {
        TCanvasStateGuard guard(ACanvas);
        ACanvas.MoveWindowOrg(-Left(), -Top());
        DrawBackground(ACanvas, Bounds(Left(), Top(), ClientWidth(), ClientHeight()));
        return;
    }
    ACanvas.Brush()->SetColor(GetShownViewColor(this));
    ACanvas.FillRect(ClientRect());
}

void TTBXDock::RedrawWithChildren() { RedrawWindowWithChildren(this); }

void TTBXDock::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case TBXM_GETEFFECTIVECOLOR:
        Message.WParam = WPARAM(Color() != clNone ? Color() : GetShownViewColor(Parent()));
        Message.Result = 1;
        return;
    case TBXM_CONTROLCHANGE:
        if (Message.WParam == ThemeAfterChange)
            RedrawWithChildren();
        return;
    case CM_COLORCHANGED:
        TTBDock::WndProc(Message);
        PassColorToChildren(this, Message, GetShownViewColor(this));
        RedrawWithChildren();
        return;
    case CM_CONTROLCHANGE:
        TTBDock::WndProc(Message);
        PassColorToChildren(this, Message, GetShownViewColor(this));
        return;
    case WM_MOVE:
        moving_ = true;
        TTBDock::WndProc(Message);
        moving_ = false;
        return;
    case WM_SIZE:
        resizing_ = true;
        TTBDock::WndProc(Message);
        resizing_ = false;
        return;
    default: break;
    }
    TTBDock::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Floating frame

TPoint SnapToWorkArea(const TRect &B, const TRect &Work, int Distance)
{
    TPoint p{B.Left, B.Top};
    if (Distance <= 0)
        return p;
    if (std::abs(B.Left - Work.Left) < Distance)
        p.X = Work.Left;
    else if (std::abs(B.Right - Work.Right) < Distance)
        p.X = Work.Right - B.Width();
    if (std::abs(B.Top - Work.Top) < Distance)
        p.Y = Work.Top;
    else if (std::abs(B.Bottom - Work.Bottom) < Distance)
        p.Y = Work.Bottom - B.Height();
    return p;
}

void TTBXFloatingWindowParent::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    // Only a pure move snaps; resizing keeps the edges where the user puts them.
    if (snapDistance_ > 0 && AWidth == Width() && AHeight == Height() && (ALeft != Left() || ATop != Top())) {
        const TRect b = Bounds(ALeft, ATop, AWidth, AHeight);
        const TPoint p = SnapToWorkArea(b, MonitorRectFromRect(b, true), snapDistance_);
        ALeft = p.X;
        ATop = p.Y;
    }
    TTBFloatingWindowParent::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TTBXFloatingWindowParent::GetFloatingInfo(TTBXFloatingInfo &Info, int RedrawPart) const
{
    Info = {};
    TTBCustomDockableWindow *w = DockableWindow();
    Info.WindowHandle = std::intptr_t(this);
    Info.ToolbarHandle = std::intptr_t(w);
    const int vt = w ? int(w->Perform(TBXM_GETVIEWTYPE)) : VT_NORMALTOOLBAR | VT_FLOATING;
    Info.ViewType = vt;
    CurrentTheme()->GetViewBorder(vt | VT_FLOATING, Info.BorderSize);
    Info.ClientWidth = std::max(0, Width() - 2 * Info.BorderSize.X);
    Info.ClientHeight = std::max(0, Height() - 2 * Info.BorderSize.Y);
    Info.ShowCaption = w && w->ShowCaption();
    if (w && w->CloseButton() && Info.ShowCaption) {
        Info.CloseButtonState = CLOSE_VISIBLE;
        if (w->CloseButtonDown())
            Info.CloseButtonState |= CLOSE_PRESSED;
        else if (closeButtonHot_)
            Info.CloseButtonState |= CLOSE_HOT;
    }
    Info.RedrawPart = RedrawPart;
    Info.Caption = w ? w->Caption() : Caption();
    Info.Color = GetShownViewColor(w);
    Info.Active = !(w && w->CaptionInactive());
}

void TTBXFloatingWindowParent::PaintNC(TCanvas &ACanvas)
{
    TTBXFloatingInfo info;
    GetFloatingInfo(info, REDRAW_FRAME | REDRAW_CAPTION | REDRAW_CLOSE);
    TCanvasStateGuard guard(ACanvas);
    const TRect window{0, 0, Width(), Height()};
    const TRect m = NCMargins();
    ACanvas.ExcludeClipRect(Bounds(m.Left, m.Top, ClientWidth(), ClientHeight()));
    ACanvas.Brush()->SetColor(info.Color);
    CurrentTheme()->PaintFloatingNCArea(ACanvas, window, info);
}

int TTBXFloatingWindowParent::NCHitTest(const TPoint &screenPos)
{
    const int ht = TTBFloatingWindowParent::NCHitTest(screenPos);
    if (ht != tbHTCaption && ht != tbHTCloseButton)
        return ht;
    // The close button is where the theme paints it.
    TTBXFloatingInfo info;
    GetFloatingInfo(info, 0);
    if (!(info.CloseButtonState & CLOSE_VISIBLE))
        return ht;
    TRect button;
    GetFloatingCloseButtonRect(info, button);
    const QPoint p = mapFromGlobal(QPoint(screenPos.X, screenPos.Y));
    return button.Contains({p.x(), p.y()}) ? tbHTCloseButton : tbHTCaption;
}

void TTBXFloatingWindowParent::SetCloseButtonHot(bool Value)
{
    if (closeButtonHot_ != Value) {
        closeButtonHot_ = Value;
        InvalidateNC();
    }
}

void TTBXFloatingWindowParent::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCMOUSEMOVE:
        TTBFloatingWindowParent::WndProc(Message);
        SetCloseButtonHot(int(Message.WParam) == tbHTCloseButton);
        return;
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
        TTBFloatingWindowParent::WndProc(Message);
        SetCloseButtonHot(false);
        return;
    default: break;
    }
    TTBFloatingWindowParent::WndProc(Message);
}
