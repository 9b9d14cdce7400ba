#include "TB2ItemWindow.h"

#include "TB2Anim.h"
#include "TB2Common.h"
#include "platform/MediaPlayer.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>

// Popup windows, their views, opening a submenu window for an item, and the popup menu.

namespace {

constexpr unsigned EVENT_SYSTEM_MENUPOPUPSTART = 0x0006;
constexpr unsigned EVENT_SYSTEM_MENUPOPUPEND = 0x0007;
constexpr int OBJID_CLIENT = -4;

TTBPopupWindow *CreateWindowForItem(TTBCustomItem *Item, TTBView *ParentView, bool Customizing)
{
    return new TTBPopupWindow(nullptr, ParentView, Item, Customizing);
}

TTBPopupWindow *OpenPopupForItem(TTBCustomItem *Item, const TTBPopupOpenArgs &A)
{
    TTBView *pv = A.ParentView;
    TTBPopupWindow *w = Item->CreatePopupWindow(pv, A.Customizing);
    if (!w)
        return nullptr;
    TTBView *view = w->View();
    TTBView *chevronParent = Item->GetChevronParentView();
    if (chevronParent) {
        view->SetChevronParentView(chevronParent);
        if (chevronParent->Style().Contains(TTBViewStyleItem::vsAlwaysShowHints))
            view->Style().Include(TTBViewStyleItem::vsAlwaysShowHints);
        w->SetColor(clBtnFace);
    }
    const TPoint nc = w->GetNCSize();
    const TRect parentRect = A.ParentViewer ? A.ParentViewer->ScreenRect()
                                            : TRect{A.PopupPoint.X, A.PopupPoint.Y, A.PopupPoint.X, A.PopupPoint.Y};
    const TRect area =
        A.ParentViewer ? MonitorRectFromRect(parentRect, true) : MonitorRectFromPoint(A.PopupPoint, true);
    if (chevronParent)
        view->SetWrapOffset(area.Width() - 2 * nc.X);
    else
        view->SetMaxHeight(area.Height() - 2 * nc.Y);
    // Only laid-out viewers can be selected.
    view->EnsureLayout();
    if (A.SelectFirst)
        view->Select(view->FirstSelectable(), false);

    const int W = w->Width(), H = w->Height();
    const bool parentVertical = pv && pv->IsToolbar() && pv->Orientation() == TTBViewOrientation::tbvoVertical;
    int X = 0, Y = 0;
    if (!A.ParentViewer) {
        X = A.PopupPoint.X;
        Y = A.PopupPoint.Y;
        if (A.Alignment == TTBPopupAlignment::tbpaRight)
            X -= W;
        else if (A.Alignment == TTBPopupAlignment::tbpaCenter)
            X -= W / 2;
    } else if (A.PositionAsSubmenu) {
        X = parentRect.Right - nc.X;
        Y = parentRect.Top - nc.Y;
    } else if (chevronParent) {
        if (parentVertical) {
            X = parentRect.Left - W;
            Y = parentRect.Top;
        } else {
            X = parentRect.Right - W;
            Y = parentRect.Bottom;
        }
    } else if (parentVertical) {
        X = parentRect.Left - W;
        Y = parentRect.Top;
    } else {
        X = SysParams().MenuDropAlignment ? parentRect.Right - W : parentRect.Left;
        Y = parentRect.Bottom;
    }

    TTBPopupPositionRec rec;
    rec.PositionAsSubmenu = A.PositionAsSubmenu;
    rec.Alignment = A.Alignment;
    rec.Leftwards = pv && pv->State().Contains(TTBViewStateItem::vsOppositePopup);
    rec.MonitorRect = area;
    rec.ParentItemRect = parentRect;
    rec.NCSize = nc;
    rec.X = X;
    rec.Y = Y;
    rec.W = W;
    rec.H = H;
    rec.HasParentView = pv != nullptr;
    rec.ParentVertical = parentVertical;
    if (pv)
        for (int i = 0; i < pv->ViewerCount(); ++i)
            if (pv->Viewers(i)->Show)
                rec.ParentViewerRects.push_back(pv->Viewers(i)->ScreenRect());
    Item->ComputePopupPosition(pv, rec);
    if (rec.Leftwards)
        view->State().Include(TTBViewStateItem::vsOppositePopup);
    w->SetAnimationDirection(rec.AnimDir);
    w->SetBounds(rec.X, rec.Y, W, H);
    if (pv)
        pv->SetOpenViewer(A.ParentViewer, view, w);
    view->State().Include(TTBViewStateItem::vsDrawInOrder);
    w->ShowPopup(true);
    PlayEventSound(QStringLiteral("MenuPopup"));
    CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, w, OBJID_CLIENT, 0);
    if (view->Selected())
        view->NotifyFocusEvent();
    return w;
}

} // namespace

void TBInstallPopupWindows()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    TTBPopupHooks hooks;
    hooks.CreateWindow = &CreateWindowForItem;
    hooks.OpenPopup = &OpenPopupForItem;
    SetTBPopupHooks(hooks);
}

// ---------------------------------------------------------------------------------------------

TTBPopupWindow::TTBPopupWindow(TComponent *AOwner, TTBView *AParentView, TTBCustomItem *AItem, bool ACustomizing)
    : TCustomControl(AOwner)
{
    SetVisible(false);
    // The window manager is told what it is: a menu dropped from a bar, or any other menu.
    SetWindowKinds({wkPopup, AParentView && AParentView->IsToolbar() ? wkDropDownMenu : wkPopupMenu});
    SetBounds(0, 0, 320, 240);
    SetShowHint(true);
    SetColor(clMenu);
    SetParentFont(false);
    if (AParentView) {
        if (TFont *f = AParentView->GetFont())
            Font()->Assign(*f);
    } else
        Font()->Assign(*TBMenuFont());
    view_ = std::make_unique<TTBPopupView>(nullptr, AParentView, AItem, this, false, ACustomizing, false);
    view_->State().Include(TTBViewStateItem::vsModal);
    if (!AParentView) {
        // A menu opened from the keyboard shows its accelerators, one opened by a click hides
        // them: the window's UI state starts from the last input.
        view_->Style().Include(TTBViewStyleItem::vsUseHiddenAccels);
        Perform(WM_CHANGEUISTATE, UIS_INITIALIZE);
        view_->SetAccelsVisibility(!(Perform(WM_QUERYUISTATE) & UISF_HIDEACCEL));
    } else {
        if (AParentView->Style().Contains(TTBViewStyleItem::vsUseHiddenAccels))
            view_->Style().Include(TTBViewStyleItem::vsUseHiddenAccels);
        if (AParentView->State().Contains(TTBViewStateItem::vsShowAccels))
            view_->State().Include(TTBViewStateItem::vsShowAccels);
    }
}

TTBPopupWindow::~TTBPopupWindow()
{
    if (view_) {
        view_->CloseChildPopups();
        view_->StopAllTimers();
    }
    if (MenuAnimationWindow() == this)
        EndMenuAnimation(this);
    CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, this, OBJID_CLIENT, 0);
    view_.reset();
}

void TTBPopupWindow::ShowPopup(bool AShow)
{
    if (!AShow) {
        // Hidden first: the animation's end then finds nothing shown to cast a shadow for.
        Hide();
        if (MenuAnimationWindow() == this)
            EndMenuAnimation(this);
        return;
    }
    if (Visible())
        return;
    TTBView *pv = view_->ParentView();
    bool fade = false;
    unsigned direction = 0;
    if (!view_->Selected() && !(pv && pv->State().Contains(TTBViewStateItem::vsNoAnimation)) &&
        GetAnimation(fade, direction) && Perform(PopupShadowMessage, 1) == 0) {
        StartMenuAnimation(this, fade, direction);
        return;
    }
    Show();
    Perform(PopupShadowMessage, 3);
}

bool TTBPopupWindow::GetAnimation(bool &Fade, unsigned &Direction) const
{
    Fade = GetMenuFade();
    Direction = unsigned(animationDirection_);
    return GetMenuAnimation() && (Fade || Direction != 0);
}

TRect TTBPopupWindow::NCMargins() const
{
    const TPoint nc = GetNCSize();
    return {nc.X, nc.Y, nc.X, nc.Y};
}

void TTBPopupWindow::PaintNC(TCanvas &ACanvas)
{
    TRect r{0, 0, Width(), Height()};
    if (AreFlatMenusEnabled()) {
        ACanvas.Brush()->SetColor(clBtnShadow);
        ACanvas.FrameRect(r);
        ACanvas.Brush()->SetColor(clWindow);
        for (int i = 0; i < 2; ++i) {
            r.Inflate(-1, -1);
            ACanvas.FrameRect(r);
        }
        return;
    }
    ACanvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    ACanvas.Brush()->SetColor(clBtnFace);
    ACanvas.FrameRect(r);
}

void TTBPopupWindow::Paint()
{
    TCanvas &c = *Canvas();
    const int saved = c.SaveDC();
    view_->DrawSubitems(c);
    c.RestoreDC(saved);
    PaintScrollArrows(c);
}

void TTBPopupWindow::PaintScrollArrows(TCanvas &ACanvas)
{
    const int w = ClientWidth();
    auto arrow = [&](int bandTop, bool up) {
        const int cx = w / 2, cy = bandTop + tbMenuScrollBandSize / 2;
        std::vector<TPoint> pts = up ? std::vector<TPoint>{{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}}
                                     : std::vector<TPoint>{{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}};
        ACanvas.Pen()->SetColor(clMenuText);
        ACanvas.Brush()->SetColor(clMenuText);
        ACanvas.Polygon(pts);
    };
    if (view_->ShowUpArrow())
        arrow(0, true);
    if (view_->ShowDownArrow())
        arrow(ClientHeight() - tbMenuScrollBandSize, false);
}

void TTBPopupWindow::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_TIMER:
        if (Message.WParam >= ViewTimerBaseID && Message.WParam <= ViewTimerBaseID + 3) {
            view_->TimerTick(TTBViewTimerID(Message.WParam - ViewTimerBaseID));
            return;
        }
        break;
    case WM_CLOSE: return;
    case WM_PRINT:
    case WM_PRINTCLIENT: TBHandlePrintMessage(this, Message); return;
    case CM_HINTSHOW:
        // The selected item's hint, for as long as the pointer stays on it.
        if (auto *info = reinterpret_cast<THintInfo *>(Message.LParam)) {
            TTBItemViewer *sel = view_->Selected();
            info->HintStr = sel ? sel->BuildItemHint() : QString();
            if (sel)
                info->CursorRect = sel->BoundsRect;
        }
        return;
    case WM_TB2K_ANIMATIONSTEP: StepMenuAnimation(Message); return;
    case WM_TB2K_ANIMATIONENDED:
        PointerOverShownWindow();
        Perform(PopupShadowMessage, 2);
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
}

// While the window slid in, the pointer may have rested on a part not yet shown, so the menu
// never saw it there. Now that all of it shows, the pointer is seen again where it is, as the
// system reports a move when the window under a resting pointer changes. Where it is comes from
// the system: the pointer may have got there over the masked-out part, or over no window of the
// program, and then no event told where it went.
void TTBPopupWindow::PointerOverShownWindow()
{
    const TPoint cursor = TInputRouter::Instance().QueryCursorPos();
    if (!isVisible() || !rect().contains(mapFromGlobal(cursor.ToQPoint())))
        return;
    TBLastCursorPos().X = tbNoCursorPos;
    const QPointF global = cursor.ToQPoint();
    QMouseEvent move(QEvent::MouseMove, mapFromGlobal(global), mapFromGlobal(global), global, Qt::NoButton,
                     QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(this, &move);
}

void TTBPopupView::AutoSize(int AWidth, int AHeight)
{
    auto *w = static_cast<TTBPopupWindow *>(Window());
    const TPoint nc = w->GetNCSize();
    w->SetBounds(w->Left(), w->Top(), AWidth + 2 * nc.X, AHeight + 2 * nc.Y);
}

TFont *TTBPopupView::GetFont() { return Window()->Font(); }

// ---------------------------------------------------------------------------------------------

TTBPopupMenu::TTBPopupMenu(TComponent *AOwner)
    : TTBPopupMenu(AOwner, [](TComponent *Owner) { return new TTBRootItem(Owner); })
{
}

TTBPopupMenu::TTBPopupMenu(TComponent *AOwner, TRootItemClass RootItemClass)
    : TPopupMenu(AOwner), items_(RootItemClass(this))
{
    TBInstallPopupWindows();
    items_->SetParentComponentRef(this);
    items_->OnClick = [this](TComponent *) {
        if (OnPopup)
            OnPopup(this);
    };
}

TTBPopupMenu::~TTBPopupMenu() = default;

TTBCustomItem *TTBPopupMenu::PopupEx(int X, int Y, bool ReturnClickedItemOnly)
{
    popupPoint_ = {X, Y};
    return TBPopupItemAsMenu(items_, popupPoint_, trackButton_ == TTrackButton::tbRightButton, alignment_,
                             ReturnClickedItemOnly);
}
