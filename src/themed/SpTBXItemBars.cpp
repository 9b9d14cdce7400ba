#include "SpTBXItem.h"
#include "TBXNexus.h"
#include "TBXUtils.h"
#include "toolbar/TB2Common.h"

#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <algorithm>

// Wide-string toolbars and docks with owner-draw events, the status bar, and bitmap hints.

// ---------------------------------------------------------------------------------------------
// Dock

void TSpTBXDock::Resize()
{
    TTBXDock::Resize();
    const bool narrower = lastWidth_ >= 0 && Width() < lastWidth_;
    lastWidth_ = Width();
    if (!narrower)
        return;
    for (TTBCustomDockableWindow *w : std::vector<TTBCustomDockableWindow *>(DockList()))
        if (auto *bar = dynamic_cast<TSpTBXToolbar *>(w))
            bar->AnchorItems();
}

bool TSpTBXDock::ThemedBackground() const { return bool(OnDrawBackground) || TTBXDock::ThemedBackground(); }

void TSpTBXDock::DrawBackground(TCanvas &DC, const TRect &DrawRect)
{
    if (!OnDrawBackground) {
        TTBXDock::DrawBackground(DC, DrawRect);
        return;
    }
    const TRect client{0, 0, DrawRect.Width(), DrawRect.Height()};
    bool paintDefault = true;
    {
        TCanvasStateGuard guard(DC);
        DC.MoveWindowOrg(DrawRect.Left, DrawRect.Top);
        OnDrawBackground(this, DC, client, TSpTBXPaintStage::pstPrePaint, paintDefault);
    }
    if (paintDefault) {
        TCanvasStateGuard guard(DC);
        DC.MoveWindowOrg(DrawRect.Left, DrawRect.Top);
        if (TTBXDock::ThemedBackground())
            CurrentTheme()->PaintDock(DC, ClientRect(), client, PositionCode());
        else {
            DC.Brush()->SetColor(GetShownViewColor(this));
            DC.FillRect(client);
        }
    }
    TCanvasStateGuard guard(DC);
    DC.MoveWindowOrg(DrawRect.Left, DrawRect.Top);
    paintDefault = true;
    OnDrawBackground(this, DC, client, TSpTBXPaintStage::pstPostPaint, paintDefault);
}

// ---------------------------------------------------------------------------------------------
// Toolbar

TSpTBXToolbar::TSpTBXToolbar(TComponent *AOwner) : TTBXToolbar(AOwner)
{
    Items()->RegisterNotification(&TBMethodListener<TSpTBXToolbar, &TSpTBXToolbar::ItemNotification>, this);
}

TSpTBXToolbar::~TSpTBXToolbar()
{
    Items()->UnregisterNotification(&TBMethodListener<TSpTBXToolbar, &TSpTBXToolbar::ItemNotification>, this);
}

void TSpTBXToolbar::ItemNotification(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int,
                                     TTBCustomItem *Item)
{
    if (OnItemNotification)
        OnItemNotification(this, Item, Action);
    if (Relayed || anchoring_ || ComponentState().Contains(csDestroying))
        return;
    using A = TTBItemChangedAction;
    if (Action == A::tbicDeleting)
        std::erase_if(cache_, [Item](const TSpTBXItemCache &c) { return c.Item == Item; });
    if (Action == A::tbicInserted || Action == A::tbicDeleting || Action == A::tbicInvalidateAndResize)
        AnchorItems();
}

// A label whose caption has the accelerator focuses its windowed control, when it can.
bool TSpTBXToolbar::DialogCharForLabel(char32_t typed)
{
    for (int i = 0; i < View()->ViewerCount(); ++i) {
        TTBItemViewer *v = View()->Viewers(i);
        auto *label = dynamic_cast<TSpTBXLabelItem *>(v->Item);
        auto *control = label ? dynamic_cast<TWinControl *>(label->Control()) : nullptr;
        if (!v->Show || !control || !control->CanFocus())
            continue;
        if (IsAccelChar(label->CaptionW(), typed)) {
            control->SetFocus();
            return true;
        }
    }
    return false;
}

void TSpTBXToolbar::Resize()
{
    TTBXToolbar::Resize();
    AnchorItems();
}

void TSpTBXToolbar::AnchorItems()
{
    TTBDock *dock = CurrentDock();
    if (anchoring_ || !Stretch() || !Docked() || !dock ||
        (dock->Position() != TTBDockPosition::dpTop && dock->Position() != TTBDockPosition::dpBottom))
        return;
    anchoring_ = true;
    bool changed = false;
    for (int i = 0; i < View()->ViewerCount(); ++i) {
        TTBItemViewer *v = View()->Viewers(i);
        if (auto *sv = dynamic_cast<TSpTBXItemViewer *>(v)) {
            auto *item = dynamic_cast<TSpTBXCustomItem *>(v->Item);
            if (!item || !item->Anchored())
                continue;
            if (!sv->AnchorRecorded) {
                sv->AnchorRecorded = true;
                sv->AnchorToolbarWidth = Width();
            }
            const int delta = Width() - sv->AnchorToolbarWidth;
            changed = changed || delta != sv->AnchorDelta;
            sv->AnchorDelta = delta;
            continue;
        }
        auto *ci = dynamic_cast<TTBControlItem *>(v->Item);
        if (!ci)
            continue;
        TControl *c = ci->Control();
        const bool grows = c && (c->Align() == TAlign::alClient || c->Anchors().Contains(TAnchorKind::akRight));
        auto entry = std::find_if(cache_.begin(), cache_.end(), [ci](const TSpTBXItemCache &e) { return e.Item == ci; });
        if (!grows) {
            if (entry != cache_.end())
                cache_.erase(entry);
            continue;
        }
        if (entry == cache_.end()) {
            cache_.push_back({ci, c->Width(), Width()});
            continue;
        }
        const int width = std::max(0, entry->Width + Width() - entry->ParentWidth);
        if (width != c->Width()) {
            c->SetWidth(width);
            changed = true;
        }
    }
    if (changed)
        Arrange();
    anchoring_ = false;
}

namespace {

TSpTBXDock *OwnerDrawnDock(TTBCustomDockableWindow *w)
{
    auto *dock = dynamic_cast<TSpTBXDock *>(w->CurrentDock());
    return dock && dock->OnDrawBackground && w->Docked() ? dock : nullptr;
}

} // namespace

void TSpTBXToolbar::EraseBackground(TCanvas &ACanvas)
{
    if (TSpTBXDock *dock = OwnerDrawnDock(this)) {
        dock->DrawBackgroundUnder(this, ACanvas, false);
        return;
    }
    if (!OnDrawBackground) {
        TTBXToolbar::EraseBackground(ACanvas);
        return;
    }
    TRect r = ClientRect();
    if (Docked() && CurrentDock()) {
        const TPoint origin = ClientOriginIn(this, CurrentDock());
        r = Bounds(-origin.X, -origin.Y, CurrentDock()->ClientWidth(), CurrentDock()->ClientHeight());
    }
    bool paintDefault = true;
    OnDrawBackground(this, ACanvas, r, TSpTBXPaintStage::pstPrePaint, paintDefault);
    if (paintDefault)
        TTBXToolbar::EraseBackground(ACanvas);
    paintDefault = true;
    OnDrawBackground(this, ACanvas, r, TSpTBXPaintStage::pstPostPaint, paintDefault);
}

void TSpTBXToolbar::PaintDockableNCArea(TCanvas &ACanvas)
{
    TSpTBXDock *dock = OwnerDrawnDock(this);
    if (!dock) {
        TTBXToolbar::PaintDockableNCArea(ACanvas);
        return;
    }
    TTBXFrameInfo info;
    GetFrameInfo(info);
    TCanvasStateGuard guard(ACanvas);
    const TRect m = NCMargins();
    ACanvas.ExcludeClipRect(Bounds(m.Left, m.Top, ClientWidth(), ClientHeight()));
    dock->DrawBackgroundUnder(this, ACanvas, true);
    if (info.BorderStyle == 0 && GetDragHandleSize(info) == 0)
        return;
    ACanvas.Brush()->SetStyle(TBrushStyle::bsClear);
    CurrentTheme()->PaintToolbarNCArea(ACanvas, {0, 0, Width(), Height()}, info);
}

void TSpTBXToolbar::WndProc(TMessage &Message)
{
    if (Message.Msg == CM_DIALOGCHAR && DialogCharForLabel(char32_t(Message.WParam))) {
        Message.Result = 1;
        return;
    }
    if (Message.Msg == CM_HINTSHOW) {
        auto *hint = reinterpret_cast<THintInfo *>(Message.LParam);
        TTBItemViewer *v = View()->ViewerFromPoint(hint->CursorPos);
        if (auto *item = v ? dynamic_cast<TSpTBXCustomItem *>(v->Item) : nullptr; item && !v->BoundsRect.IsEmpty()) {
            hint->CursorRect = v->BoundsRect;
            hint->HintStr = item->GetWideHintText();
            if (!hint->HintStr.isEmpty()) {
                SpPaintHintBitmap(Font(), hint->HintStr, item, this);
                hint->HintWindowClass = [] { return new TBitmapHint(nullptr); };
                hint->HintData = &SpHintBitmap();
            }
            Message.Result = 0;
            return;
        }
    }
    TTBXToolbar::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Compound control

TSpTBXCompoundItemsControl::TSpTBXCompoundItemsControl(TComponent *AOwner) : TCustomControl(AOwner) {}

TSpTBXCompoundItemsControl::~TSpTBXCompoundItemsControl()
{
    // The toolbar leaves its dock before either goes.
    delete toolbar_;
    toolbar_ = nullptr;
    delete dock_;
    dock_ = nullptr;
}

void TSpTBXCompoundItemsControl::CreateParts(TSpTBXDock *ADock, TSpTBXToolbar *AToolbar)
{
    dock_ = ADock;
    dock_->SetParent(this);
    // The dock is part of the control: no other toolbar is dropped into it.
    dock_->OnRequestDock = [this](TComponent *, TTBCustomDockableWindow *Bar, bool &Accept) {
        Accept = Accept && Bar == toolbar_;
    };
    toolbar_ = AToolbar;
    toolbar_->SetBorderStyle(TTBBorderStyle::bsNone);
    toolbar_->SetDockMode(TTBDockMode::dmCannotFloatOrChangeDocks);
    toolbar_->SetDragHandleStyle(TTBDragHandleStyle::dhNone);
    toolbar_->SetStretch(true);
    toolbar_->SetShrinkMode(TTBShrinkMode::tbsmNone);
    toolbar_->SetShowCaption(false);
    toolbar_->SetCloseButton(false);
    toolbar_->SetCurrentDock(dock_);
}

void TSpTBXCompoundItemsControl::AlignControls(TControl *AControl, TRect &Rect)
{
    TCustomControl::AlignControls(AControl, Rect);
    // The control is as high as its dock.
    if (dock_ && dock_->Height() > 0 && Height() != dock_->Height())
        SetHeight(dock_->Height());
}

// ---------------------------------------------------------------------------------------------
// Status bar

TSpTBXStatusToolbar::TSpTBXStatusToolbar(TComponent *AOwner, TSpTBXStatusBar *ABar) : TSpTBXToolbar(AOwner), bar_(ABar)
{
}

int TSpTBXStatusToolbar::NCHitTest(const TPoint &screenPos)
{
    if (bar_ && bar_->Dock()) {
        if (bar_->GetStatusGripRect().Contains(bar_->Dock()->ScreenToClient(screenPos)))
            return HTBOTTOMRIGHT;
    }
    return TSpTBXToolbar::NCHitTest(screenPos);
}

TSpTBXStatusBar::TSpTBXStatusBar(TComponent *AOwner) : TSpTBXCompoundItemsControl(AOwner)
{
    auto *dock = new TSpTBXDock(this);
    dock->OnDrawBackground = [this](TComponent *, TCanvas &c, const TRect &r, TSpTBXPaintStage stage,
                                    bool &paintDefault) {
        if (stage == TSpTBXPaintStage::pstPrePaint) {
            bool ownDefault = true;
            if (OnDrawBackground)
                OnDrawBackground(this, c, r, stage, ownDefault);
            if (ownDefault)
                PaintBackground(c, r);
        } else if (OnDrawBackground) {
            bool unused = true;
            OnDrawBackground(this, c, r, stage, unused);
        }
        paintDefault = false;
    };
    CreateParts(dock, new TSpTBXStatusToolbar(this, this));
    SetAlign(TAlign::alBottom);
    AddThemeListener(this);
}

TSpTBXStatusBar::~TSpTBXStatusBar() { RemoveThemeListener(this); }

void TSpTBXStatusBar::SetThemeType(TSpTBXThemeType Value)
{
    if (themeType_ != Value) {
        themeType_ = Value;
        RedrawAll();
    }
}

void TSpTBXStatusBar::RedrawAll()
{
    Invalidate();
    if (Dock()) {
        Dock()->InvalidateNC();
        Toolbar()->InvalidateNC();
        for (int i = 0; i < Toolbar()->ControlCount(); ++i)
            Toolbar()->Controls(i)->Invalidate();
    }
}

TRect TSpTBXStatusBar::GetStatusGripRect(const TRect &BackgroundRect) const
{
    if (!Toolbar() || !Toolbar()->Docked())
        return {};
    TForm *form = GetParentForm(this);
    if (form && (form->isMaximized() || form->isMinimized() || form->isFullScreen()))
        return {};
    TRect r = Dock()->ClientRect();
    r.Top = -3;
    r.Left = r.Right - GetSystemMetrics(SM_CXVSCROLL);
    if (BackgroundRect.Left == -2 && BackgroundRect.Top == -2)
        r.Offset(-2, -2);
    return r;
}

namespace {

bool OfficeThemeCurrent() { return CurrentThemeName().contains(QStringLiteral("Office")); }

// thtWindows draws the classic way on a desktop without visual styles.
TSpTBXThemeType EffectiveThemeType(TSpTBXThemeType t)
{
    return t == TSpTBXThemeType::thtWindows && !VisualStylesInUse ? TSpTBXThemeType::thtNone : t;
}

} // namespace

bool TSpTBXStatusBar::StatusBarDrawsSeparators() const
{
    const TSpTBXThemeType t = EffectiveThemeType(themeType_);
    return t == TSpTBXThemeType::thtNone || (t == TSpTBXThemeType::thtTBX && OfficeThemeCurrent());
}

void SpPaintStatusBarBackground(TCanvas &ACanvas, const TRect &ARect, const TRect &AGripRect,
                                TSpTBXThemeType AThemeType)
{
    TCanvasStateGuard guard(ACanvas);
    switch (EffectiveThemeType(AThemeType)) {
    case TSpTBXThemeType::thtNone:
    case TSpTBXThemeType::thtWindows: {
        ACanvas.Brush()->SetColor(clBtnFace);
        ACanvas.FillRect(ARect);
        TRect r = ARect;
        Frame3D(&ACanvas, r, clBtnShadow, clWindow, true);
        if (!AGripRect.IsEmpty()) {
            TRect g{AGripRect.Left, AGripRect.Top + 4, AGripRect.Right - 1, AGripRect.Bottom - 1};
            ACanvas.DrawFrameControl(g, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        }
        break;
    }
    case TSpTBXThemeType::thtTBX:
        if (OfficeThemeCurrent()) {
            ACanvas.Brush()->SetColor(clBtnFace);
            ACanvas.FillRect(ARect);
            ACanvas.Brush()->SetColor(clWindow);
            ACanvas.FrameRect(ARect);
        } else {
            CurrentTheme()->PaintStatusBar(ACanvas, ARect, STATUS_BODY);
        }
        if (!AGripRect.IsEmpty())
            CurrentTheme()->PaintStatusBar(ACanvas, AGripRect, STATUS_GRIP);
        break;
    }
}

void TSpTBXStatusBar::PaintBackground(TCanvas &ACanvas, const TRect &ARect)
{
    ACanvas.Brush()->SetColor(clBtnFace);
    SpPaintStatusBarBackground(ACanvas, ARect, GetStatusGripRect(ARect), themeType_);
    if (StatusBarDrawsSeparators())
        DrawSeparators(ACanvas, ARect);
}

void TSpTBXStatusBar::DrawSeparators(TCanvas &ACanvas, const TRect &ARect)
{
    TTBView *view = Toolbar()->View();
    const bool classic = EffectiveThemeType(themeType_) == TSpTBXThemeType::thtNone;
    const TPoint origin = ClientOriginIn(Toolbar(), Dock());
    TCanvasStateGuard guard(ACanvas);
    for (int i = 0; i < view->ViewerCount(); ++i) {
        TTBItemViewer *v = view->Viewers(i);
        auto *sep = dynamic_cast<TTBSeparatorItem *>(v->Item);
        if (!v->Show || !sep || sep->Blank())
            continue;
        const int centre = origin.X + (v->BoundsRect.Left + v->BoundsRect.Right) / 2;
        const TRect r{centre - 2, ARect.Top, centre + 1, ARect.Bottom};
        ACanvas.Brush()->SetColor(clBtnFace);
        ACanvas.FillRect(r);
        ACanvas.Pen()->SetColor(clWindow);
        ACanvas.MoveTo(r.Left, r.Top);
        ACanvas.LineTo(r.Left, r.Bottom);
        ACanvas.Pen()->SetColor(classic ? clBtnShadow : clWindow);
        ACanvas.MoveTo(r.Right - 1, r.Top);
        ACanvas.LineTo(r.Right - 1, r.Bottom);
    }
}

void TSpTBXStatusBar::Resize()
{
    TSpTBXCompoundItemsControl::Resize();
    if (Dock())
        Dock()->Invalidate();
}

void TSpTBXStatusBar::WndProc(TMessage &Message)
{
    if (Message.Msg == TBXM_CONTROLCHANGE) {
        if (Message.WParam == ThemeAfterChange)
            RedrawAll();
        return;
    }
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TSpTBXCompoundItemsControl::WndProc(Message);
}

void TSpTBXSeparatorItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                                      bool UseDisabledShadow)
{
    auto *status = dynamic_cast<TSpTBXStatusToolbar *>(View->Window());
    if (status && status->StatusBar() && status->StatusBar()->StatusBarDrawsSeparators())
        return;
    TTBXSeparatorItemViewer::Paint(Canvas, ClientAreaRect, IsSelected, IsPushed, UseDisabledShadow);
}

// ---------------------------------------------------------------------------------------------
// Bitmap hints

TBitmap &SpHintBitmap()
{
    static TBitmap bitmap;
    return bitmap;
}

void SpPaintHintBitmap(const TFont *Font, QString Hint, TSpTBXCustomItem *Item, TSpTBXToolbar *Toolbar)
{
    SpPaintHintBitmap(Font, std::move(Hint), [Item, Toolbar](TBitmap &bmp, QString &text, bool &paintDefault) {
        if (Item && Item->OnDrawHint)
            Item->OnDrawHint(Item, bmp, text, paintDefault);
        if (paintDefault && Toolbar && Toolbar->OnDrawHint)
            Toolbar->OnDrawHint(Toolbar, bmp, text, paintDefault);
    });
}

void SpPaintHintBitmap(const TFont *Font, QString Hint,
                       const std::function<void(TBitmap &AHintBitmap, QString &AHint, bool &PaintDefault)> &Draw)
{
    TBitmap &bmp = SpHintBitmap();
    TCanvas &c = *bmp.Canvas();
    if (Font)
        c.Font()->Assign(*Font);
    c.Font()->SetColor(clInfoText);
    c.Brush()->SetColor(clInfoBk);
    c.Pen()->SetColor(clBlack);
    TRect text{0, 0, 1, 1};
    c.DrawText(Hint, text, DT_CALCRECT | DT_NOPREFIX);
    bmp.SetSize(text.Width() + 8, text.Height() + 4);
    c.Font()->SetColor(clInfoText);
    c.Brush()->SetColor(clInfoBk);
    c.Pen()->SetColor(clBlack);
    bool paintDefault = true;
    if (Draw)
        Draw(bmp, Hint, paintDefault);
    if (!paintDefault)
        return;
    const TRect all{0, 0, bmp.Width(), bmp.Height()};
    c.Rectangle(all);
    // The window shows the bitmap less its last two columns; the text sits 2 pixels left of
    // the bitmap's centre.
    TRect r = all;
    r.Offset(-2, 0);
    c.Brush()->SetStyle(TBrushStyle::bsClear);
    c.DrawText(Hint, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

TBitmapHint::TBitmapHint(TComponent *AOwner) : THintWindow(AOwner) {}

void TBitmapHint::ActivateHintData(const TRect &Rect, const QString &, const void *AData)
{
    if (AData)
        ActivateHint(Rect, *static_cast<const TBitmap *>(AData));
}

void TBitmapHint::ActivateHint(const TRect &Rect, const TBitmap &Bitmap)
{
    bitmap_.Assign(Bitmap);
    SetBounds(Rect.Left, Rect.Top, bitmap_.Width() - 2, bitmap_.Height() - 2);
    Show();
    Invalidate();
}

void TBitmapHint::Paint() { Canvas()->Draw(0, 0, &bitmap_); }

void TBitmapHint::WndProc(TMessage &Message)
{
    // The text is in the picture; a new one changes nothing.
    if (Message.Msg == CM_TEXTCHANGED)
        return;
    TCustomControl::WndProc(Message);
}
