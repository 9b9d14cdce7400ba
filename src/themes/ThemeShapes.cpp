#include "ThemeShapes.h"

#include "themed/TBXDefaultTheme.h"
#include "themed/TBXUtils.h"

#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <algorithm>

int ItemStateIndex(const TTBXItemInfo &info)
{
    if (!info.Enabled)
        return info.HoverKind == HOVER_DISABLED ? 5 : 1;
    if (info.IsPopupParent)
        return 7;
    if (info.Pushed)
        return 3;
    const bool hot = IsHovered(info);
    if (info.Checked)
        return hot ? 6 : 2;
    return hot ? 4 : 0;
}

int MenuStateIndex(const TTBXItemInfo &info)
{
    if (info.Enabled)
        return IsHovered(info) ? 2 : 0;
    return info.HoverKind == HOVER_DISABLED ? 3 : 1;
}

int CloseButtonStateIndex(int closeState)
{
    if (closeState & CLOSE_PRESSED)
        return 3;
    if (closeState & CLOSE_HOT)
        return 4;
    return 0;
}

TColor LerpColor(TColor a, TColor b, int num, int den)
{
    auto channel = [&](int shift) {
        const int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        return std::clamp(x + (y - x) * num / den, 0, 255) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

void ReduceToScreenColors(std::initializer_list<TColor *> colors)
{
    for (TColor *c : colors)
        if (*c != clNone)
            *c = ColorToRGB(*c);
}

TPoint FramedViewBorder(int viewType, TPoint popupBorder)
{
    if (IsPopupView(viewType) && !IsToolbarView(viewType))
        return popupBorder;
    if (!(viewType & (VT_TOOLBAR | VT_DOCKPANEL)))
        return {0, 0};
    if (viewType & VT_FLOATING) {
        const bool resizable = (viewType & VT_RESIZABLE) != 0;
        return {GetSystemMetrics(resizable ? SM_CXFRAME : SM_CXDLGFRAME) - 1,
                GetSystemMetrics(resizable ? SM_CYFRAME : SM_CYDLGFRAME) - 1};
    }
    return {2, 2};
}

void FillTriangle(TCanvas &canvas, const std::vector<TPoint> &points, TColor color)
{
    PolygonColor(&canvas, points, color, color);
}

void PaintArrowTriangle(TCanvas &canvas, const TRect &rect, bool vertical, TColor color)
{
    const int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
    if (vertical)
        FillTriangle(canvas, {{cx, cy + 1}, {cx, cy - 3}, {cx - 2, cy - 1}}, color);
    else
        FillTriangle(canvas, {{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy + 1}}, color);
}

void PaintSpinTriangles(TCanvas &canvas, const TRect &up, const TRect &down, TColor color)
{
    const int mx = (up.Left + up.Right) / 2;
    int my = (up.Top + up.Bottom) / 2;
    FillTriangle(canvas, {{mx - 2, my + 1}, {mx + 2, my + 1}, {mx, my - 1}}, color);
    my = (down.Top + down.Bottom) / 2;
    FillTriangle(canvas, {{mx - 2, my - 1}, {mx + 2, my - 1}, {mx, my + 1}}, color);
}

void PaintSubmenuTriangle(TCanvas &canvas, int x, const TRect &rect, TColor color)
{
    const int m = rect.Top + rect.Height() / 2;
    FillTriangle(canvas, {{x, m - 3}, {x, m + 3}, {x + 3, m}}, color);
}

void PaintSymbolTriangle(TCanvas &canvas, const TRect &rect, int kind, TColor color)
{
    const int s = 3 * std::min(rect.Width() / 2, rect.Height() / 2) / 4;
    const int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
    // The down and right arrows are measured from the last row and column inside.
    const int cxr = (rect.Left + rect.Right - 1) / 2, cyb = (rect.Top + rect.Bottom - 1) / 2;
    switch (kind) {
    case 1: FillTriangle(canvas, {{cx + s, cy + s / 2}, {cx, cy + s / 2 - s}, {cx - s, cy + s / 2}}, color); break;
    case 2: FillTriangle(canvas, {{cx + s, cyb - s / 2}, {cx, cyb - s / 2 + s}, {cx - s, cyb - s / 2}}, color); break;
    case 3: FillTriangle(canvas, {{cx + s / 2, cy + s}, {cx + s / 2 - s, cy}, {cx + s / 2, cy - s}}, color); break;
    case 4: FillTriangle(canvas, {{cxr - s / 2, cy + s}, {cxr - s / 2 + s, cy}, {cxr - s / 2, cy - s}}, color); break;
    default: break;
    }
}

void PaintMenuTick(TCanvas &canvas, int cx, int cy, TColor color)
{
    PolylineColor(&canvas, {{cx - 2, cy - 1}, {cx, cy + 1}, {cx + 4, cy - 3}, {cx + 4, cy - 2}, {cx, cy + 2},
                            {cx - 2, cy}, {cx - 2, cy - 1}}, color);
}

void PaintBoxTick(TCanvas &canvas, const TRect &box, TColor color)
{
    const int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    PolygonColor(&canvas, {{cx - 3, cy + 1}, {cx - 1, cy + 3}, {cx + 3, cy - 1}, {cx + 3, cy - 3}, {cx - 1, cy + 1},
                           {cx - 3, cy - 1}}, color, color);
}

void PaintCheckShape(TCanvas &canvas, const TRect &box, bool radio, bool dotted, bool ticked, TColor markColor)
{
    if (!radio) {
        canvas.Rectangle(box);
        if (ticked)
            PaintBoxTick(canvas, box, markColor);
        return;
    }
    canvas.Ellipse(box);
    if (dotted) {
        TRect dot = box;
        dot.Inflate(-3, -3);
        canvas.Pen()->SetColor(markColor);
        canvas.Brush()->SetColor(markColor);
        canvas.Ellipse(dot);
    }
}

bool ParentTouchStretch(const TRect &w, const TRect &p, TRect &stretch)
{
    if (p.IsEmpty())
        return false;
    // The parent touches a side when its edge lies just outside that side or its outermost row
    // (column) lies on the popup's own: a popup placed flush with a menu-bar item covers the
    // item's last row.
    const auto touches = [](int parentEdge, int popupEdge, int inward) {
        return parentEdge == popupEdge || parentEdge == popupEdge + inward;
    };
    const auto across = [&](int y) {
        return Rect(std::max(p.Left, w.Left) + 1, y, std::min(p.Right, w.Right) - 1, y + 1);
    };
    const auto along = [&](int x) {
        return Rect(x, std::max(p.Top, w.Top) + 1, x + 1, std::min(p.Bottom, w.Bottom) - 1);
    };
    const struct { bool touching; TRect line; } sides[] = {
        {touches(p.Bottom, w.Top, 1), across(w.Top)},
        {touches(p.Top, w.Bottom, -1), across(w.Bottom - 1)},
        {touches(p.Right, w.Left, 1), along(w.Left)},
        {touches(p.Left, w.Right, -1), along(w.Right - 1)},
    };
    for (const auto &side : sides) {
        if (side.touching && !side.line.IsEmpty()) {
            stretch = side.line;
            return true;
        }
    }
    return false;
}

void SetSmallCaptionText(TCanvas &canvas, TColor color)
{
    AssignSmallCaptionFont(*canvas.Font());
    canvas.Font()->SetColor(color);
    canvas.SetBkMode(TRANSPARENT);
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
}

void PaintDisabledImage(TCanvas &canvas, int x, int y, const TCustomImageList *images, int imageIndex, bool dark,
                        TColor shadow)
{
    if (dark)
        DrawImageThresholded(&canvas, x, y, images, imageIndex, shadow);
    else
        DrawImageMonochrome(&canvas, x, y, images, imageIndex, 0);
}

bool PaintFramedPopupBorder(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info, TColor frame,
                            TColor fill, TRect &stretch)
{
    TRect r = windowRect;
    FrameRectColor(&canvas, r, frame, true);
    {
        TCanvasStateGuard guard(canvas);
        TRect inner = windowRect;
        inner.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
        canvas.ExcludeClipRect(inner);
        FillRectColor(&canvas, r, fill);
    }
    return ParentTouchStretch(windowRect, info.ParentRect, stretch);
}

TColor ViewKindColor(int viewType, TColor menuBar, TColor toolbar, TColor popup, TColor dockPanel, TColor other)
{
    if (viewType & VT_TOOLBAR)
        return HasBits(viewType, VT_MENUBAR) ? menuBar : toolbar;
    if (viewType & VT_POPUP)
        return HasBits(viewType, VT_LISTBOX) ? ColorToRGB(clWindow) : popup;
    if (viewType & VT_DOCKPANEL)
        return dockPanel;
    return other;
}
