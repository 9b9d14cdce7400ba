#include "TBX.h"
#include "TBXUtils.h"

#include "platform/SysParams.h"
#include "toolbar/TB2ItemLayout.h"

#include <QRandomGenerator>

// Themed popup windows: frame, background, scroll bands and shadows by the current theme,
// and the animation style they open with.

namespace {

constexpr int ShadowSize = 4;
constexpr int ShadowOpacity = 61;

} // namespace

void TTBXMenuAnimation::SetMenuAnimationMode(int Value)
{
    // Every style exists on this desktop; only the range limits the choice.
    mode_ = std::clamp(Value, 0, 5);
    if (mode_ == 1 && !GetMenuAnimation())
        mode_ = 0;
}

int TTBXMenuAnimation::AnimationStyle() const
{
    switch (mode_) {
    case 1:
        if (!GetMenuAnimation())
            return 0;
        return GetMenuFade() ? 3 : 2;
    case 2: return int(QRandomGenerator::global()->bounded(1, LayeredWindowsAvailable() ? 4 : 3));
    case 3: return 1;
    case 4: return 2;
    case 5: return 3;
    default: return 0;
    }
}

TTBXMenuAnimation &TBXMenuAnimation()
{
    static TTBXMenuAnimation animation(1);
    return animation;
}

// ---------------------------------------------------------------------------------------------

TTBXPopupWindow::TTBXPopupWindow(TComponent *AOwner, TTBView *AParentView, TTBCustomItem *AItem,
                                 bool ACustomizing)
    : TTBPopupWindow(AOwner, AParentView, AItem, ACustomizing)
{
    // The frame is the theme's: measure it now that the window can answer its view type.
    RecalcNC();
}

TTBXPopupWindow::~TTBXPopupWindow()
{
    destroying_ = true;
    shadow_.reset();
}

int TTBXPopupWindow::ViewType() const
{
    auto *parent = dynamic_cast<TTBXCustomItem *>(View() ? View()->ParentItem() : nullptr);
    return parent && parent->ToolBoxPopup() ? VT_TOOLBOX : VT_POPUPMENU;
}

TPoint TTBXPopupWindow::GetNCSize() const
{
    TPoint border;
    CurrentTheme()->GetViewBorder(ViewType(), border);
    return border;
}

bool TTBXPopupWindow::ShadowsAllowed() const { return (ViewType() & VT_LISTBOX) != VT_LISTBOX; }

void TTBXPopupWindow::ShowPopup(bool AShow)
{
    if (AShow && !Visible())
        RecordExclusionRect();
    TTBPopupWindow::ShowPopup(AShow);
}

bool TTBXPopupWindow::GetAnimation(bool &Fade, unsigned &Direction) const
{
    const int style = TBXMenuAnimation().AnimationStyle();
    Direction = unsigned(AnimationDirection());
    // Unfolding grows the window both ways: down or up as it slides, and across as well.
    if (style == 1)
        Direction |= (Direction & (4 | 8)) ? 2 : 4;
    Fade = style == 3;
    return style != 0;
}

void TTBXPopupWindow::RecordExclusionRect()
{
    // The item a popup opens from, while it is the one that holds this popup open.
    TTBView *pv = View()->ParentView();
    TTBItemViewer *parentViewer = pv ? pv->OpenViewer() : nullptr;
    if (parentViewer && pv->OpenViewerWindow() == this)
        exclusionRect_ = parentViewer->ScreenRect();
}

TRect TTBXPopupWindow::ParentItemRect() const
{
    TTBView *pv = View()->ParentView();
    TTBItemViewer *parentViewer = pv ? pv->OpenViewer() : nullptr;
    if (!parentViewer || pv->OpenViewerWindow() != this)
        return {};
    auto *themed = dynamic_cast<TTBXItemViewer *>(parentViewer);
    const bool chevron = ViewType() == VT_CHEVRONMENU;
    if (!chevron && !(themed && themed->UsesToolbarStyle()))
        return {};
    TRect r = parentViewer->ScreenRect();
    r.Offset(-Left(), -Top());
    // Only an item the popup touches leaves a gap in its border.
    const TRect window{0, 0, Width(), Height()};
    const bool touches = r.Left <= window.Right && window.Left <= r.Right && r.Top <= window.Bottom &&
                         window.Top <= r.Bottom;
    return touches ? r : TRect{};
}

void TTBXPopupWindow::CreateShadow()
{
    if (!ShadowsAllowed() || !Visible())
        return;
    const int type = CurrentTheme()->GetPopupShadowType();
    if (type != 2 && type != 3)
        return;
    TRect parentRect;
    TRect spare;
    TTBView *pv = View()->ParentView();
    if (type == 2) {
        TTBItemViewer *parentViewer = pv ? pv->OpenViewer() : nullptr;
        const bool normalPopupParent = pv && (GetViewType(pv) & VT_POPUPMENU) == VT_POPUPMENU;
        if (parentViewer && pv->OpenViewerWindow() == this &&
            (ViewType() == VT_CHEVRONMENU || (dynamic_cast<TTBXItemViewer *>(parentViewer) && !normalPopupParent)))
            parentRect = parentViewer->ScreenRect();
        else
            parentRect = exclusionRect_;
        // The shadow cut at a submenu's parent item follows that item's outline too; none of
        // it falls on the menu the item sits in. A type-3 shadow has no cut and is whole.
        if (pv && pv->IsPopup())
            if (QWidget *parentWindow = pv->Window())
                spare = TRect::FromQRect(parentWindow->frameGeometry());
    }
    shadow_ = std::make_unique<TShadows>(BoundsRect(), parentRect, ShadowSize, LowColorDepth, ShadowOpacity, spare);
    shadow_->Show(this);
}

void TTBXPopupWindow::PaintNC(TCanvas &ACanvas)
{
    TTBXPopupInfo info;
    info.WindowHandle = std::intptr_t(this);
    info.ViewType = ViewType();
    info.ParentRect = ParentItemRect();
    info.BorderSize = GetNCSize();
    TCanvasStateGuard guard(ACanvas);
    const TRect window{0, 0, Width(), Height()};
    TRect client = window;
    client.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
    ACanvas.ExcludeClipRect(client);
    CurrentTheme()->PaintPopupNCArea(ACanvas, window, info);
}

void TTBXPopupWindow::EraseBackground(TCanvas &ACanvas)
{
    const int vt = ViewType();
    const TColor color = CurrentTheme()->GetViewColor(vt);
    View()->SetColor(color);
    const TRect r = ClientRect();
    CurrentTheme()->PaintBackground(ACanvas, r, r, r, color, false, vt);
}

void TTBXPopupWindow::PaintScrollArrows(TCanvas &ACanvas)
{
    TTBView *view = View();
    if (view->ShowUpArrow() || view->ShowDownArrow()) {
        const TTBItemViewer *first = nullptr, *last = nullptr;
        for (int i = 0; i < view->ViewerCount(); ++i)
            if (TTBItemViewer *v = view->Viewers(i); v->Show) {
                if (!first)
                    first = v;
                last = v;
            }
        TTBItemViewer *firstViewer = view->ViewerCount() ? view->Viewers(0) : nullptr;
        TTBXItemInfo info;
        info.ViewType = VT_POPUPMENU;
        info.Enabled = true;
        info.PopupMargin = firstViewer ? GetPopupMargin(firstViewer) : 0;
        if (info.PopupMargin >= 1 && first) {
            const int w = ClientWidth();
            if (view->ShowUpArrow())
                CurrentTheme()->PaintMenuItemFrame(ACanvas, {0, 0, w, first->BoundsRect.Top}, info);
            if (view->ShowDownArrow())
                CurrentTheme()->PaintMenuItemFrame(ACanvas, {0, last->BoundsRect.Bottom, w, ClientHeight()}, info);
        }
    }
    TTBPopupWindow::PaintScrollArrows(ACanvas);
}

void TTBXPopupWindow::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case TBXM_GETVIEWTYPE: Message.Result = ViewType(); return;
    case TBXM_POPUPWINDOW:
        if ((Message.WParam == PW_ANIMATED || Message.WParam == PW_SHOWN) && !destroying_)
            CreateShadow();
        return;
    case CM_VISIBLECHANGED:
        // Hidden by any route: the shadow goes with it.
        if (Message.WParam == 0)
            shadow_.reset();
        break;
    case WM_MOVE:
    case WM_SIZE:
        TTBPopupWindow::WndProc(Message);
        // A shadow follows the window it belongs to.
        if (shadow_) {
            shadow_.reset();
            CreateShadow();
        }
        return;
    case CM_HINTSHOW:
        if (TTBItemViewer *v = View()->Selected()) {
            auto *info = reinterpret_cast<THintInfo *>(Message.LParam);
            info->CursorRect = v->BoundsRect;
            info->HintStr = v->BuildItemHint();
            Message.Result = 0;
            return;
        }
        break;
    default: break;
    }
    TTBPopupWindow::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------

TTBPopupWindow *TTBXRootItem::CreatePopupWindow(TTBView *ParentView, bool Customizing)
{
    return new TTBXPopupWindow(nullptr, ParentView, this, Customizing);
}

TTBXPopupMenu::TTBXPopupMenu(TComponent *AOwner)
    : TTBPopupMenu(AOwner, [](TComponent *Owner) -> TTBRootItem * { return new TTBXRootItem(Owner); })
{
}
