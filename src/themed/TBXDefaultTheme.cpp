#include "TBXDefaultTheme.h"

#include "TBXUtils.h"

#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Common.h"

#include <algorithm>

namespace {

bool Hot(const TTBXItemInfo &info) { return info.HoverKind != HOVER_NONE; }
bool ToolbarStyle(const TTBXItemInfo &info) { return (info.ItemOptions & IO_TOOLBAR_STYLE) != 0; }
bool HasBits(int value, int bits) { return (value & bits) == bits; }

// Sets of one-bit glyphs; the shapes are ours, sized as the classic ones.
const TMonoMask &ChevronGlyph(bool vertical)
{
    static const TMonoMask across = TMonoMask::FromRows({
        "#.#..",
        ".#.#.",
        "..#.#",
        ".#.#.",
        "#.#..",
    });
    static const TMonoMask down = TMonoMask::FromRows({
        "#...#",
        ".#.#.",
        "#.#.#",
        ".#.#.",
        "..#..",
    });
    return vertical ? down : across;
}

const TMonoMask &CloseGlyph()
{
    static const TMonoMask glyph = TMonoMask::FromRows({
        "##...##",
        ".##.##.",
        "..###..",
        "...#...",
        "..###..",
        ".##.##.",
        "##...##",
    });
    return glyph;
}

void DrawGlyph(TCanvas &canvas, int x, int y, const TMonoMask &glyph, TColor color)
{
    TCanvasStateGuard guard(canvas);
    canvas.Brush()->SetColor(color);
    canvas.DrawMask(x, y, glyph);
}

// A disabled glyph: an embossed highlight one pixel down and right under the shadow.
void DrawGlyphState(TCanvas &canvas, int x, int y, const TMonoMask &glyph, bool enabled, TColor color)
{
    if (enabled) {
        DrawGlyph(canvas, x, y, glyph, color);
        return;
    }
    DrawGlyph(canvas, x + 1, y + 1, glyph, clBtnHighlight);
    DrawGlyph(canvas, x, y, glyph, clBtnShadow);
}

// A solid triangle: pointing down with the given base width at (x, y), or right with the base
// height at (x, y).
void Triangle(TCanvas &canvas, int x, int y, int size, bool right, TColor color)
{
    const int half = size / 2;
    if (right)
        PolygonColor(&canvas, {{x, y}, {x + half, y + half}, {x, y + 2 * half}}, color, color);
    else
        PolygonColor(&canvas, {{x, y}, {x + 2 * half, y}, {x + half, y + half}}, color, color);
}

TColor CaptionColor(bool active, bool gradient)
{
    if (gradient)
        return active ? clGradientActiveCaption : clGradientInactiveCaption;
    return active ? clActiveCaption : clInactiveCaption;
}

// The caption band of a small window: the system's caption colours, ramped when the desktop
// ramps captions, the text in the small caption font.
void DrawSmallCaption(TCanvas &canvas, const TRect &rect, const QString &text, bool active)
{
    TCanvasStateGuard guard(canvas);
    if (SysParams().GradientCaptions)
        canvas.GradientFill(rect, CaptionColor(active, false), CaptionColor(active, true), false);
    else
        FillRectColor(&canvas, rect, CaptionColor(active, false));
    AssignSmallCaptionFont(*canvas.Font());
    canvas.Font()->SetColor(active ? clCaptionText : clInactiveCaptionText);
    canvas.SetBkMode(TRANSPARENT);
    TRect r = rect;
    r.Left += 2;
    canvas.DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX);
}

void DrawCloseButton(TCanvas &canvas, TRect r, int closeState)
{
    const bool pushed = (closeState & CLOSE_PRESSED) != 0;
    const bool hot = (closeState & CLOSE_HOT) != 0;
    if (pushed)
        canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
    else if (hot)
        canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    const TMonoMask &glyph = CloseGlyph();
    const int x = r.Left + (r.Width() - glyph.Width()) / 2 + (pushed ? 1 : 0);
    const int y = r.Top + (r.Height() - glyph.Height()) / 2 + (pushed ? 1 : 0);
    DrawGlyph(canvas, x, y, glyph, clBtnText);
}

} // namespace

void AssignSmallCaptionFont(TFont &font)
{
    const TSysParams &sp = SysParams();
    font.SetName(sp.SmCaptionFontName.isEmpty() ? DefaultFontName() : sp.SmCaptionFontName);
    font.SetHeight(sp.SmCaptionFontHeight);
}

TTBXDefaultTheme::TTBXDefaultTheme(const QString &name) : TTBXTheme(name) {}

void TTBXDefaultTheme::Initialize() { UpdateThemeColors(); }

void TTBXDefaultTheme::Dispatch(TMessage &message)
{
    if (message.Msg == TBXM_THEMECHANGE && message.WParam == ThemeColorsChanged)
        UpdateThemeColors();
}

void TTBXDefaultTheme::UpdateThemeColors()
{
    toolbarColor_ = clBtnFace;
    toolbarTextColor_ = clBtnText;
    panelColor_ = BlendColorsNearest(toolbarColor_, clWindow, 64);
    statusBarColor_ = clBtnFace;
}

TPoint TTBXDefaultTheme::GetImageOffset(TCanvas &, const TTBXItemInfo &info, const TCustomImageList *)
{
    return (info.Pushed || info.Checked) ? TPoint{1, 1} : TPoint{0, 0};
}

TColor TTBXDefaultTheme::GetItemColor(const TTBXItemInfo &info)
{
    if (Hot(info) && info.ViewType == VT_POPUPMENU && !ToolbarStyle(info))
        return clHighlight;
    return GetViewColor(info.ViewType);
}

TColor TTBXDefaultTheme::GetItemTextColor(const TTBXItemInfo &info)
{
    if (!info.Enabled)
        return clGrayText;
    const bool menuBar = IsMenuBarView(info.ViewType);
    if (ToolbarStyle(info) && !menuBar)
        return clBtnText;
    if (ToolbarStyle(info) && menuBar && !FlatMenusInUse)
        return (info.ItemOptions & IO_APP_ACTIVE) ? clBtnText : clGrayText;
    if (Hot(info))
        return clHighlightText;
    if (menuBar && !(info.ItemOptions & IO_APP_ACTIVE))
        return clGrayText;
    return MenuTextColor;
}

TColor TTBXDefaultTheme::GetItemImageBackground(const TTBXItemInfo &info)
{
    if (FlatMenusInUse) {
        if (Hot(info) && IsMenuBarView(info.ViewType))
            return clHighlight;
        if (info.ViewType == VT_CHEVRONMENU)
            return toolbarColor_;
        if (Hot(info) && !ToolbarStyle(info) && info.ViewType == VT_POPUPMENU)
            return toolbarColor_;
    }
    return GetViewColor(info.ViewType);
}

void TTBXDefaultTheme::GetMargins(int marginId, TTBXMargins &margins)
{
    switch (marginId) {
    case MARGIN_TOOLBAR_ITEM: margins = {2, 2, 2, 2}; break;
    case MARGIN_MENU_ITEM: margins = {0, 0, 2, 2}; break;
    case MARGIN_STATUS_PANE: margins = {1, 3, 1, 1}; break;
    default: margins = {}; break;
    }
}

int TTBXDefaultTheme::GetPopupShadowType() { return 1; }

void TTBXDefaultTheme::GetViewBorder(int viewType, TPoint &border)
{
    const bool popup = IsPopupView(viewType);
    if (IsToolbarView(viewType) || ((viewType & VT_DOCKPANEL) && !popup)) {
        if (viewType & VT_FLOATING) {
            const bool resizable = (viewType & VT_RESIZABLE) != 0;
            border = {GetSystemMetrics(resizable ? SM_CXFRAME : SM_CXDLGFRAME),
                      GetSystemMetrics(resizable ? SM_CYFRAME : SM_CYDLGFRAME)};
        } else {
            border = {2, 2};
        }
    } else if (popup) {
        const int size = HasBits(viewType, VT_LISTBOX) ? 1 : 3;
        border = {size, size};
    } else {
        border = {0, 0};
    }
}

TColor TTBXDefaultTheme::GetViewColor(int viewType)
{
    if (IsToolbarView(viewType))
        return toolbarColor_;
    if (IsPopupView(viewType)) {
        switch (viewType & (VT_POPUP | 0x000F)) {
        case VT_POPUPMENU:
        case VT_CHEVRONMENU: return MenuBackColor;
        case VT_LISTBOX: return clWindow;
        default: return toolbarColor_;
        }
    }
    if (viewType & VT_DOCKPANEL)
        return panelColor_;
    if (viewType & VT_STANDALONE)
        return statusBarColor_;
    return clBtnFace;
}

void TTBXDefaultTheme::GetViewMargins(int viewType, TTBXMargins &margins)
{
    if (IsToolbarView(viewType) && (viewType & VT_FLOATING))
        margins = {4, 4, 2, 1};
    else
        margins = {};
}

void TTBXDefaultTheme::PaintBackground(TCanvas &canvas, const TRect &, const TRect &rect,
                                       const TRect &clipRect, TColor color, bool transparent, int)
{
    if (transparent)
        return;
    TRect r;
    if (IntersectRect(r, rect, clipRect))
        FillRectColor(&canvas, r, color);
}

void TTBXDefaultTheme::PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const bool hotLook = (info.Enabled && Hot(info)) || (!info.Enabled && info.HoverKind == HOVER_DISABLED);
    const bool opaque = HasBits(info.ViewType, VT_TOOLBAR | VT_OPAQUE);
    const bool menuBar = IsMenuBarView(info.ViewType);
    const bool pushedOrChecked = info.Enabled && (info.Pushed || info.Checked);
    TRect r = rect;

    if (menuBar && FlatMenusInUse) {
        if (pushedOrChecked || hotLook)
            FillRectColor(&canvas, r, clHighlight);
        return;
    }
    if (info.ComboPart == COMBO_DROPDOWN)
        r.Right -= 2;
    if (FlatMenusInUse && (pushedOrChecked || hotLook))
        FillRectColor(&canvas, r, toolbarColor_);
    if (opaque) {
        const bool plainHot = hotLook && info.Enabled && !info.Pushed && !info.Checked;
        unsigned flags = BF_RECT | BF_MIDDLE | BF_ADJUST;
        if (!plainHot)
            flags |= BF_FLAT;
        if (info.ComboPart == COMBO_BUTTON && !Hot(info) && !info.Pushed)
            ++r.Right;
        canvas.Brush()->SetColor(toolbarColor_);
        canvas.DrawEdge(r, EDGE_RAISED, flags);
        if (info.Checked && info.Enabled && !Hot(info))
            DitherRect(&canvas, r, toolbarColor_, clBtnHighlight);
    } else if (pushedOrChecked) {
        canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        if (info.Checked && !info.Pushed && !Hot(info))
            DitherRect(&canvas, r, toolbarColor_, clBtnHighlight);
    } else if (hotLook || (info.ItemOptions & IO_DESIGNING)) {
        canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    }
    if (info.ComboPart == COMBO_DROPDOWN)
        PaintDropDownArrow(canvas, rect, info);
}

void TTBXDefaultTheme::PaintCaption(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                    const QString &caption, unsigned format, bool rotated)
{
    TCanvasStateGuard guard(canvas);
    if (canvas.Font()->Color() == clNone)
        canvas.Font()->SetColor(GetItemTextColor(info));
    canvas.SetBkMode(TRANSPARENT);
    TRect r = rect;
    const bool menuBarFlat = IsMenuBarView(info.ViewType) && FlatMenusInUse;
    if ((info.Pushed || info.Checked) && ToolbarStyle(info) && !menuBarFlat)
        r.Offset(1, 1);
    auto draw = [&](TRect at) {
        if (rotated)
            DrawVerticalText(canvas, caption, at, format);
        else
            canvas.DrawText(caption, at, format);
    };
    const bool hotDisabledMenu = !ToolbarStyle(info) && info.HoverKind == HOVER_DISABLED;
    if (!info.Enabled && !hotDisabledMenu) {
        TRect shifted = r;
        shifted.Offset(1, 1);
        canvas.Font()->SetColor(clBtnHighlight);
        draw(shifted);
        canvas.Font()->SetColor(clBtnShadow);
    }
    draw(r);
}

void TTBXDefaultTheme::PaintCheckMark(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const TColor color = info.Enabled ? clBtnText : clGrayText;
    const int cx = (rect.Left + rect.Right) / 2;
    const int cy = (rect.Top + rect.Bottom) / 2;
    if (info.ItemOptions & IO_RADIO) {
        const TColor ring = BlendColors(color, clBtnHighlight, 128);
        canvas.Pen()->SetColor(ring);
        canvas.Brush()->SetStyle(TBrushStyle::bsClear);
        canvas.Ellipse(cx - 4, cy - 4, cx + 4, cy + 4);
        canvas.Pen()->SetColor(color);
        canvas.Brush()->SetColor(color);
        canvas.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        return;
    }
    // Three strokes one pixel apart make the classic check's weight.
    for (int dy = 0; dy < 3; ++dy)
        PolylineColor(&canvas, {{cx - 3, cy - 1 + dy}, {cx - 1, cy + 1 + dy}, {cx + 4, cy - 4 + dy}}, color);
}

void TTBXDefaultTheme::PaintChevron(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintButton(canvas, rect, info);
    const TMonoMask &glyph = ChevronGlyph(info.IsVertical);
    int x, y;
    if (info.IsVertical) {
        x = rect.Left + 2;
        y = rect.Top + (rect.Height() - glyph.Height()) / 2;
    } else {
        x = rect.Left + (rect.Width() - glyph.Width()) / 2;
        y = rect.Top + 2;
    }
    if (info.Pushed) {
        ++x;
        ++y;
    }
    DrawGlyphState(canvas, x, y, glyph, info.Enabled, clBtnText);
}

void TTBXDefaultTheme::PaintEditFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                      const TTBXEditFrameInfo &editInfo)
{
    TRect r = rect;
    const int inset = GetIntegerMetric(IM_EDIT_FRAME_INSET);
    r.Inflate(-inset, -inset);
    PaintFrameControl(canvas, r, info);
    if (editInfo.RightBtnWidth > 0) {
        TRect button = r;
        button.Inflate(-2, -2);
        button.Left = button.Right - editInfo.RightBtnWidth;
        PaintEditButton(canvas, button, info, editInfo.RightBtnInfo);
    }
}

void TTBXDefaultTheme::PaintEditButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                       const TTBXEditBtnInfo &buttonInfo)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    const int state = buttonInfo.ButtonState;
    const unsigned base = info.Enabled && !(state & EDIT_BTN_DISABLED) ? 0 : DFCS_INACTIVE;
    if (buttonInfo.ButtonType == EDIT_BUTTON_SPIN) {
        TRect up = r, down = r;
        up.Bottom = down.Top = (r.Top + r.Bottom) / 2;
        canvas.DrawFrameControl(up, DFC_SCROLL, DFCS_SCROLLUP | base | (state & EDIT_BTN_PUSHED ? DFCS_PUSHED : 0));
        canvas.DrawFrameControl(down, DFC_SCROLL,
                                DFCS_SCROLLDOWN | base | (state & EDIT_BTN_LOWER_PUSHED ? DFCS_PUSHED : 0));
    } else {
        const bool pushed = info.Pushed || (state & EDIT_BTN_PUSHED);
        canvas.DrawFrameControl(r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | base | (pushed ? DFCS_PUSHED : 0));
    }
}

void TTBXDefaultTheme::PaintDock(TCanvas &, const TRect &, const TRect &, int) {}

void TTBXDefaultTheme::PaintCaptionBar(TCanvas &canvas, const TRect &rect, const TTBXPanelInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    FrameRectColor(&canvas, r, toolbarColor_, true);
    r.Bottom = r.Top + GetSystemMetrics(SM_CYSMCAPTION);
    TRect text = r;
    if (info.CloseButtonState & CLOSE_VISIBLE)
        text.Right -= r.Height();
    AssignSmallCaptionFont(*canvas.Font());
    canvas.Font()->SetColor(clBtnText);
    canvas.SetBkMode(TRANSPARENT);
    text.Left += 2;
    canvas.DrawText(info.Caption, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX);
    if (info.CloseButtonState & CLOSE_VISIBLE)
        DrawCloseButton(canvas, Rect(r.Right - r.Height(), r.Top, r.Right, r.Bottom), info.CloseButtonState);
}

void TTBXDefaultTheme::PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const bool shifted = info.Pushed || info.ComboPart != COMBO_DROPDOWN;
    int x, y;
    if (info.IsVertical) {
        x = (rect.Left + rect.Right) / 2 - 1;
        y = (rect.Top + rect.Bottom) / 2 - 2;
    } else {
        x = (rect.Left + rect.Right) / 2 - 2;
        y = (rect.Top + rect.Bottom) / 2 - 1;
    }
    if (shifted) {
        ++x;
        ++y;
    }
    if (!info.Enabled) {
        Triangle(canvas, x + 1, y + 1, 5, info.IsVertical, clBtnHighlight);
        Triangle(canvas, x, y, 5, info.IsVertical, clBtnShadow);
        return;
    }
    Triangle(canvas, x, y, 5, info.IsVertical, ToolbarStyle(info) ? clBtnText : MenuTextColor);
}

void TTBXDefaultTheme::PaintFloatingNCArea(TCanvas &canvas, const TRect &windowRect,
                                           const TTBXFloatingInfo &info)
{
    TCanvasStateGuard guard(canvas);
    if (info.RedrawPart & REDRAW_FRAME) {
        TCanvasStateGuard frame(canvas);
        TRect inner = windowRect;
        inner.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
        canvas.ExcludeClipRect(inner);
        TRect r = windowRect;
        canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
    if (!info.ShowCaption)
        return;
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    if (info.RedrawPart & REDRAW_CAPTION) {
        TRect caption;
        GetFloatingCaptionRect(info, closeShown, true, caption);
        DrawSmallCaption(canvas, caption, info.Caption, info.Active);
        DrawLineColor(&canvas, caption.Left, caption.Bottom, caption.Right + (closeShown ? caption.Height() : 0),
                      caption.Bottom, clBtnFace);
    }
    if (closeShown && (info.RedrawPart & REDRAW_CLOSE)) {
        TRect button;
        GetFloatingCloseButtonRect(info, button);
        const TColor around = SysParams().GradientCaptions ? CaptionColor(info.Active, true)
                                                           : CaptionColor(info.Active, false);
        FillRectColor(&canvas, button, around);
        button.Inflate(-2, -2);
        canvas.DrawFrameControl(button, DFC_CAPTION,
                                DFCS_CAPTIONCLOSE | ((info.CloseButtonState & CLOSE_PRESSED) ? DFCS_PUSHED : 0));
    }
}

void TTBXDefaultTheme::PaintFrameControl(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    if (Hot(info) || info.Pushed || info.Checked)
        canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else
        canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    FrameRectColor(&canvas, r, toolbarColor_, true);
    FillRectColor(&canvas, r, clWindow);
}

void TTBXDefaultTheme::PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                  const TCustomImageList *images, int imageIndex)
{
    if (!images)
        return;
    TRect r = rect;
    if (info.Pushed || info.Checked)
        r.Offset(1, 1);
    if (DrawFrameworkImage(canvas, r.Left, r.Top, info, images, imageIndex))
        return;
    const bool idle = !Hot(info) && !info.Pushed && !info.Checked;
    // The image effects belong to the items of flat menus and to everything else under visual
    // styles; without them the image list draws itself, disabled images embossed.
    const bool menuItem = !ToolbarStyle(info) && info.ViewType == VT_POPUPMENU;
    const bool effects = menuItem ? FlatMenusInUse : VisualStylesInUse;
    if (!effects) {
        images->Draw(&canvas, r.Left, r.Top, imageIndex, info.Enabled);
        return;
    }
    if (!info.Enabled) {
        DrawImageMonochrome(&canvas, r.Left, r.Top, images, imageIndex, 0);
        return;
    }
    const TColor back = GetItemImageBackground(info);
    const bool dark = ToolbarStyle(info) && IsDarkColor(back, 100);
    if (idle && !dark && !LowColorDepth && !WhiteButtonFace)
        DrawImageTinted(&canvas, r.Left, r.Top, images, imageIndex, clWindow, 178);
    else
        DrawImageContrasted(&canvas, r.Left, r.Top, images, imageIndex);
}

void TTBXDefaultTheme::PaintWindowButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                         int buttonKind)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    unsigned glyph = DFCS_CAPTIONCLOSE;
    if (buttonKind == GLYPH_MINIMIZE)
        glyph = DFCS_CAPTIONMIN;
    else if (buttonKind == GLYPH_RESTORE)
        glyph = DFCS_CAPTIONRESTORE;
    canvas.DrawFrameControl(r, DFC_CAPTION, glyph | (info.Pushed ? DFCS_PUSHED : 0) |
                                                (info.Enabled ? 0 : DFCS_INACTIVE));
}

void TTBXDefaultTheme::PaintMenuItem(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const bool imageColumn = info.ImageWidth >= 1 || info.Checked;
    const bool split = (info.ItemOptions & IO_SPLIT) != 0;
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    TRect r = rect;
    // The highlight starts past the image column, which is framed as a button of its own.
    if (imageColumn)
        r.Left += GetIntegerMetric(IM_MENU_IMAGE_TEXT_GAP) + info.PopupMargin;
    if (split && info.Enabled)
        r.Right -= checkWidth;
    PaintMenuItemFrame(canvas, r, info);
    if (split && info.Enabled) {
        TRect part = Rect(r.Right, rect.Top, rect.Right, rect.Bottom);
        TRect edge = part;
        if (Hot(info))
            canvas.DrawEdge(edge, BDR_SUNKENOUTER, BF_RECT);
        else
            canvas.DrawEdge(edge, EDGE_ETCHED, BF_LEFT);
    }
    if (info.ItemOptions & IO_SUBMENU) {
        const int x = rect.Right - (2 * checkWidth) / 3 - 2;
        const int y = rect.Top + rect.Height() / 2;
        if (!info.Enabled) {
            Triangle(canvas, x + 1, y - 3 + 1, 7, true, clBtnHighlight);
            Triangle(canvas, x, y - 3, 7, true, clBtnShadow);
        } else {
            const TColor color = Hot(info) && !split ? clHighlightText : MenuTextColor;
            Triangle(canvas, x, y - 3, 7, true, color);
        }
    }
    if (imageColumn && info.Enabled && (Hot(info) || info.Checked)) {
        TRect column = Rect(rect.Left, rect.Top, rect.Left + info.PopupMargin, rect.Bottom);
        if (FlatMenusInUse)
            FillRectColor(&canvas, column, toolbarColor_);
        TTBXItemInfo button = info;
        button.ItemOptions |= IO_TOOLBAR_STYLE;
        button.ViewType = VT_NORMALTOOLBAR;
        PaintButton(canvas, column, button);
    }
}

void TTBXDefaultTheme::PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    if ((Hot(info) && info.Enabled) || info.HoverKind == HOVER_DISABLED)
        FillRectColor(&canvas, rect, clHighlight);
}

void TTBXDefaultTheme::PaintSymbolButton(TCanvas &canvas, const TRect &rect, int state, int kind)
{
    static constexpr unsigned arrows[] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    const unsigned glyph = arrows[std::clamp(kind, 1, 4) - 1];
    canvas.DrawFrameControl(r, DFC_SCROLL, glyph | ((state & SYMBOL_PUSHED) ? DFCS_PUSHED : 0) |
                                               ((state & SYMBOL_DISABLED) ? DFCS_INACTIVE : 0) |
                                               ((state & SYMBOL_FLAT) ? DFCS_FLAT : 0));
}

void TTBXDefaultTheme::PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect r = windowRect;
    if (HasBits(info.ViewType, VT_LISTBOX)) {
        FrameRectColor(&canvas, r, clWindowFrame, true);
        FrameRectColor(&canvas, r, clWindow, true);
        FrameRectColor(&canvas, r, clWindow, true);
        return;
    }
    const bool toolBox = HasBits(info.ViewType, VT_TOOLBOX);
    if (FlatMenusInUse && !toolBox) {
        FrameRectColor(&canvas, r, clBtnShadow, true);
        FrameRectColor(&canvas, r, MenuBackColor, true);
        FrameRectColor(&canvas, r, MenuBackColor, true);
        return;
    }
    canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameRectColor(&canvas, r, toolBox ? toolbarColor_ : MenuBackColor, true);
}

void TTBXDefaultTheme::PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                      bool horizontal, bool lineSeparator)
{
    if (!info.Enabled)
        return;
    TCanvasStateGuard guard(canvas);
    int indent = 0;
    if (lineSeparator)
        indent = (info.ViewType & VT_FLOATING) ? 1 : 4;
    if (horizontal && !ToolbarStyle(info))
        indent = 12;
    TRect r = rect;
    if (horizontal) {
        r.Left += indent;
        r.Right -= indent;
        r.Top = (rect.Top + rect.Bottom) / 2 - 1;
        canvas.DrawEdge(r, EDGE_ETCHED, BF_TOP);
    } else {
        r.Top += indent;
        r.Bottom -= indent;
        r.Left = (rect.Left + rect.Right) / 2 - 1;
        canvas.DrawEdge(r, EDGE_ETCHED, BF_LEFT);
    }
}

void TTBXDefaultTheme::PaintToolbarNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXFrameInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect r = windowRect;
    canvas.FillRect(r);
    if (info.BorderStyle == 1)
        canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    const int handle = GetDragHandleSize(info);
    if (handle <= 0)
        return;
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    // The grip runs along the handle band, short of the close button's square.
    TRect band;
    if (info.IsVertical)
        band = Rect(info.BorderSize.X, info.BorderSize.Y, info.BorderSize.X + info.ClientWidth,
                    info.BorderSize.Y + handle);
    else
        band = Rect(info.BorderSize.X, info.BorderSize.Y, info.BorderSize.X + handle,
                    info.BorderSize.Y + info.ClientHeight);
    if (info.DragHandleStyle != 1) {
        const int grips = info.DragHandleStyle == 0 ? 2 : 1;
        for (int i = 0; i < grips; ++i) {
            TRect grip;
            if (info.IsVertical) {
                const int top = band.Top + 2 + i * 3;
                grip = Rect(band.Left + 2, top, band.Right - 2 - (closeShown ? handle : 0), top + 3);
            } else {
                const int left = band.Left + 2 + i * 3;
                grip = Rect(left, band.Top + 2 + (closeShown ? handle : 0), left + 3, band.Bottom - 2);
            }
            if (!grip.IsEmpty()) {
                canvas.DrawEdge(grip, BDR_RAISEDINNER, BF_RECT);
                canvas.SetPixel(grip.Left, grip.Top, clBtnHighlight);
            }
        }
    }
    if (closeShown) {
        TRect button;
        GetCloseButtonRect(info, button);
        DrawCloseButton(canvas, button, info.CloseButtonState);
    }
}

void TTBXDefaultTheme::PaintCheckControl(TCanvas &canvas, const TRect &rect, int state, int kind, int flags)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    FillRectColor(&canvas, r, (flags & SYMBOL_DISABLED) ? clBtnFace : clWindow);
    unsigned dfcs = (kind == 2 ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | DFCS_FLAT;
    if (state == CHECK_CHECKED || state == CHECK_MIXED)
        dfcs |= DFCS_CHECKED;
    if (flags & SYMBOL_PUSHED)
        dfcs |= DFCS_PUSHED;
    if (flags & SYMBOL_DISABLED)
        dfcs |= DFCS_INACTIVE;
    canvas.DrawFrameControl(r, DFC_BUTTON, dfcs);
}

void TTBXDefaultTheme::PaintStatusBar(TCanvas &canvas, const TRect &rect, int part)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    switch (part) {
    case STATUS_BODY:
        FillRectColor(&canvas, r, statusBarColor_);
        break;
    case STATUS_PANE:
        r.Right -= 2;
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, true);
        break;
    case STATUS_LAST_PANE:
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, true);
        break;
    case STATUS_GRIP: {
        const int side = std::min(r.Width(), r.Height());
        const int right = r.Right, bottom = r.Bottom;
        // The diagonal at distance o from the corner, both ends included.
        auto diagonal = [&](int o, TColor color) {
            if (o < side)
                DrawLineColor(&canvas, right - o, bottom - 1, right, bottom - 1 - o, color);
        };
        // Three ridges of shadow under highlight, spaced in the bar colour on larger grips.
        for (int round = 0; round < 3; ++round) {
            const int d = 4 * round;
            diagonal(d + 1, clBtnShadow);
            diagonal(d + 2, clBtnShadow);
            diagonal(d + 3, clBtnHighlight);
            if (side > 12)
                diagonal(d + 4, statusBarColor_);
        }
        PolylineColor(&canvas, {{right - side, bottom - 1}, {right - 1, bottom - 1}, {right - 1, bottom - side - 1}},
                      statusBarColor_);
        break;
    }
    default:
        break;
    }
}

int TTBXDefaultTheme::GetIntegerMetric(int index)
{
    switch (index) {
    case IM_SPLIT_ARROW_WIDTH: return 11;
    case IM_DROPDOWN_ARROW_WIDTH: return 8;
    case IM_DROPDOWN_ARROW_GAP: return 3;
    case 32: case 62: return 1;
    case 33: case 34: case 36: case 60: case 61: return 2;
    case IM_MENU_SEPARATOR_SIZE: return -1;
    case 37: return 4;
    case IM_TOOLBAR_SEPARATOR_SIZE: return 6;
    case 65: return 13;
    case 66: return 0;
    default: return -1;
    }
}

bool TTBXDefaultTheme::GetBooleanMetric(int index)
{
    if (index == BMET_PAINT_DOCK)
        return VisualStylesInUse;
    return false;
}
