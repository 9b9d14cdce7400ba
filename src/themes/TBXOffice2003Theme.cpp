#include "TBXOffice2003Theme.h"

#include "ThemeShapes.h"
#include "ThemeGlyphs.h"

#include "themed/TBXDefaultTheme.h"
#include "themed/TBXUtils.h"
#include "toolbar/TB2Common.h"

#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <algorithm>
#include <cmath>

namespace {

int schemeOverride = -1;
int splitFraction = 15;

constexpr TColor RGBc(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

// The entries of each style's colour table that the theme reads; 11 and 27 are never read.
struct SchemeTable {
    TColor entry[27];
};
const SchemeTable LunaSchemeColors[3] = {
    {{RGBc(158, 190, 245), RGBc(221, 236, 254), RGBc(129, 169, 226), RGBc(59, 97, 156), RGBc(189, 213, 250),
      RGBc(106, 140, 203), RGBc(241, 249, 255), RGBc(39, 65, 118), RGBc(255, 255, 255), RGBc(169, 199, 240),
      RGBc(127, 157, 185), clNone, RGBc(246, 246, 246), RGBc(0, 45, 150), RGBc(0, 0, 0), RGBc(141, 141, 141),
      RGBc(0, 0, 128), RGBc(42, 102, 201), RGBc(255, 213, 140), RGBc(255, 173, 85), RGBc(254, 145, 78),
      RGBc(255, 211, 142), RGBc(255, 244, 204), RGBc(255, 208, 145), RGBc(227, 239, 255), RGBc(147, 181, 231),
      RGBc(255, 238, 194)}},
    {{RGBc(215, 215, 229), RGBc(243, 244, 250), RGBc(153, 151, 181), RGBc(124, 124, 148), RGBc(229, 229, 239),
      RGBc(110, 109, 143), RGBc(255, 255, 255), RGBc(84, 84, 117), RGBc(255, 255, 255), RGBc(192, 192, 211),
      RGBc(165, 172, 178), clNone, RGBc(253, 250, 255), RGBc(124, 124, 148), RGBc(0, 0, 0), RGBc(141, 141, 141),
      RGBc(75, 75, 111), RGBc(122, 121, 153), RGBc(255, 213, 140), RGBc(255, 173, 85), RGBc(254, 145, 78),
      RGBc(255, 211, 142), RGBc(255, 244, 204), RGBc(255, 208, 145), RGBc(232, 233, 241), RGBc(186, 185, 205),
      RGBc(255, 238, 194)}},
    {{RGBc(217, 217, 167), RGBc(244, 247, 222), RGBc(183, 198, 145), RGBc(96, 128, 88), RGBc(229, 231, 192),
      RGBc(96, 128, 88), RGBc(244, 247, 222), RGBc(81, 94, 51), RGBc(255, 255, 255), RGBc(197, 212, 159),
      RGBc(164, 185, 127), clNone, RGBc(244, 244, 238), RGBc(117, 141, 94), RGBc(0, 0, 0), RGBc(141, 141, 141),
      RGBc(63, 93, 56), RGBc(116, 134, 94), RGBc(255, 213, 140), RGBc(255, 173, 85), RGBc(254, 145, 78),
      RGBc(255, 211, 142), RGBc(255, 244, 204), RGBc(255, 208, 145), RGBc(236, 240, 213), RGBc(194, 206, 159),
      RGBc(255, 238, 194)}},
};
constexpr int SplitFractions[4] = {8, 8, 25, 15};

TColor Mix(TColor a, TColor b, int w) { return MixColorsPercent(a, b, w); }



void PaintGripDot(TCanvas &canvas, int x, int y, const TTBXOffice2003Theme &t)
{
    FillRectColor(&canvas, Rect(x + 1, y + 1, x + 3, y + 3), t.GripLightColor);
    FillRectColor(&canvas, Rect(x, y, x + 2, y + 2), t.GripDarkColor);
}

void PaintCloseGlyph(TCanvas &canvas, const TRect &r, TColor color)
{
    static const std::array<std::uint8_t, 8> pattern = {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0};
    const int x = (r.Left + r.Right - 8) / 2;
    const int y = (r.Top + r.Bottom - 7) / 2;
    PatternFillRect(&canvas, Rect(x, y, x + 8, y + 7), pattern, color);
}


} // namespace

int DetectLunaScheme()
{
    if (schemeOverride >= 0)
        return schemeOverride;
    // Without visual styles there is no style name to follow.
    return 3;
}

void SetLunaSchemeOverride(int scheme) { schemeOverride = scheme < 0 || scheme > 3 ? -1 : scheme; }

int GradientSplitFraction() { return splitFraction; }

void FillGradientRows(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2)
{
    if (rect.IsEmpty())
        return;
    c1 = ColorToRGB(c1);
    c2 = ColorToRGB(c2);
    const int h = rect.Height();
    if (c1 == c2 || h == 1) {
        FillRectColor(&canvas, rect, c1);
        return;
    }
    for (int i = 0; i < h; ++i)
        FillRectColor(&canvas, Rect(rect.Left, rect.Top + i, rect.Right, rect.Top + i + 1), LerpColor(c1, c2, i, h - 1));
}

void FillGradientSplit(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool horizontal)
{
    if (rect.IsEmpty())
        return;
    c1 = ColorToRGB(c1);
    c2 = ColorToRGB(c2);
    const int n = horizontal ? rect.Width() : rect.Height();
    if (c1 == c2 || n == 1) {
        FillRectColor(&canvas, rect, c1);
        return;
    }
    const int h = n / 2;
    auto band = [&](int i, TColor c) {
        if (horizontal)
            FillRectColor(&canvas, Rect(rect.Left + i, rect.Top, rect.Left + i + 1, rect.Bottom), c);
        else
            FillRectColor(&canvas, Rect(rect.Left, rect.Top + i, rect.Right, rect.Top + i + 1), c);
    };
    auto component = [&](int shift, int i) {
        const int a = (c1 >> shift) & 0xFF, b = (c2 >> shift) & 0xFF;
        const int m = a + (b - a) * splitFraction / 40;
        if (i < h) {
            const int e = a + (m - a) * n / h;
            return std::clamp(a + (e - a) * i / (n - 1), 0, 255);
        }
        if (i == h)
            return m;
        const int m2 = 2 * m - b;
        return std::clamp(m2 + (b - m2) * i / (n - 1), 0, 255);
    };
    for (int i = 0; i < n; ++i)
        band(i, component(0, i) | (component(8, i) << 8) | (component(16, i) << 16));
}

TTBXOffice2003Theme::TTBXOffice2003Theme(const QString &name) : TTBXTheme(name) { AcquireThemeGlyphs(); }

TTBXOffice2003Theme::~TTBXOffice2003Theme() { ReleaseThemeGlyphs(); }

void TTBXOffice2003Theme::Initialize() { UpdateThemeColors(); }

void TTBXOffice2003Theme::Dispatch(TMessage &message)
{
    if (message.Msg == TBXM_THEMECHANGE && message.WParam == ThemeColorsChanged)
        UpdateThemeColors();
}

void TTBXOffice2003Theme::UpdateThemeColors()
{
    auto setItem = [&](int s, TColor text, TColor frame, TColor top, TColor bottom) {
        ItemTextColors[size_t(s)] = {text, frame};
        ItemFillColors[size_t(s)] = {top, bottom};
    };
    if (LowColorDepth) {
        DockColor = ToolbarColor = ToolbarColor2 = clBtnFace;
        ToolbarShadowColor = ToolbarCornerColor = SeparatorDarkColor = clBtnShadow;
        SeparatorLightColor = clBtnHighlight;
        GripDarkColor = clBtnText;
        GripLightColor = clBtnHighlight;
        ButtonFillColor = clBtnFace;
        ButtonFrameColor = clBtnShadow;
        PopupColor = clWindow;
        PopupFrameColor = clBtnText;
        DockPanelColor = clWindow;
        FloatingFrameColor = FloatingCaptionColor = clBtnShadow;
        FloatingCaptionTextColor = clBtnHighlight;
        StatusPanelColor = clBtnShadow;
        setItem(0, clBtnText, clNone, clNone, clNone);
        setItem(1, clBtnShadow, clNone, clNone, clNone);
        setItem(2, clWindowText, clHighlight, clWindow, clWindow);
        setItem(3, clHighlightText, clHighlight, clHighlight, clHighlight);
        setItem(4, clWindowText, clHighlight, clWindow, clWindow);
        setItem(5, clBtnShadow, clHighlight, clWindow, clWindow);
        setItem(6, clHighlightText, clHighlight, clHighlight, clHighlight);
        setItem(7, clBtnText, PopupFrameColor, clBtnFace, clBtnFace);
        MenuColors = {{{clNone, clWindowText, clNone}, {clNone, clGrayText, clNone},
                       {clWindow, clWindowText, clHighlight}, {PopupColor, clGrayText, clHighlight}}};
        return;
    }
    const int scheme = DetectLunaScheme();
    if (scheme == 3) {
        DockColor = clBtnFace;
        ToolbarColor = Mix(clBtnFace, clWindow, 23);
        ToolbarColor2 = Mix(clBtnFace, clWindow, 96);
        ToolbarShadowColor = Mix(clBtnFace, clWindow, 85);
        ToolbarCornerColor = Mix(clBtnFace, clWindow, 62);
        SeparatorDarkColor = Mix(clBtnShadow, clWindow, 70);
        SeparatorLightColor = clWhite;
        GripDarkColor = Mix(clBtnShadow, clWindow, 75);
        GripLightColor = clWindow;
        ButtonFillColor = clBtnFace;
        ButtonFrameColor = clBtnShadow;
        PopupColor = Mix(clBtnFace, clWindow, 15);
        PopupFrameColor = Mix(clBtnText, clBtnShadow, 20);
        DockPanelColor = ToolbarColor;
        FloatingFrameColor = Mix(clBtnText, clBtnShadow, 15);
        FloatingCaptionColor = clBtnShadow;
        FloatingCaptionTextColor = clBtnHighlight;
        const TColor checked = Mix(clHighlight, Mix(clBtnFace, clWindow, 50), 10);
        const TColor pushed = Mix(clHighlight, clWindow, 50);
        const TColor hot = Mix(clHighlight, clWindow, 30);
        setItem(0, clBtnText, clNone, clNone, clNone);
        setItem(1, clGrayText, clNone, clNone, clNone);
        setItem(2, clBtnText, clHighlight, checked, checked);
        setItem(3, clBtnText, clHighlight, pushed, pushed);
        setItem(4, clBtnText, clHighlight, hot, hot);
        setItem(5, clGrayText, clHighlight, hot, hot);
        setItem(6, clBtnText, clHighlight, pushed, pushed);
        setItem(7, clBtnText, PopupFrameColor, Mix(clBtnFace, clWindow, 16), Mix(clBtnFace, clWindow, 42));
        MenuColors = {{{clNone, clBtnText, clNone}, {clNone, clGrayText, clNone},
                       {Mix(clHighlight, clWindow, 30), clBtnText, clHighlight}, {PopupColor, clGrayText, clHighlight}}};
    } else {
        const TColor *e = LunaSchemeColors[scheme].entry;
        DockColor = e[0];
        ToolbarColor = e[1];
        ToolbarColor2 = e[2];
        ToolbarShadowColor = e[3];
        ToolbarCornerColor = e[4];
        SeparatorDarkColor = e[5];
        SeparatorLightColor = e[6];
        GripDarkColor = e[7];
        GripLightColor = e[8];
        ButtonFillColor = e[9];
        ButtonFrameColor = e[10];
        PopupColor = e[12];
        PopupFrameColor = e[13];
        DockPanelColor = ToolbarColor;
        FloatingFrameColor = FloatingCaptionColor = e[17];
        FloatingCaptionTextColor = clWhite;
        const TColor t = e[14], d = e[15], f = e[16];
        setItem(0, t, clNone, clNone, clNone);
        setItem(1, d, clNone, clNone, clNone);
        setItem(2, t, f, e[18], e[19]);
        setItem(3, t, f, e[20], e[21]);
        setItem(4, t, f, e[22], e[23]);
        setItem(5, d, f, e[22], e[23]);
        setItem(6, t, f, e[20], e[21]);
        setItem(7, t, PopupFrameColor, e[24], e[25]);
        MenuColors = {{{clNone, t, clNone}, {clNone, d, clNone}, {e[26], t, f}, {PopupColor, d, f}}};
    }
    StatusPanelColor = Mix(ToolbarColor2, clBlack, 90);
    splitFraction = SplitFractions[scheme];
    // Every colour becomes the plain value the screen shows, so painting converts nothing.
    ReduceToScreenColors({&DockColor, &ToolbarColor, &ToolbarColor2, &ToolbarShadowColor, &ToolbarCornerColor,
                          &SeparatorDarkColor, &SeparatorLightColor, &GripDarkColor, &GripLightColor, &ButtonFillColor,
                          &ButtonFrameColor, &PopupColor, &PopupFrameColor, &DockPanelColor, &FloatingFrameColor,
                          &FloatingCaptionColor, &FloatingCaptionTextColor, &StatusPanelColor});
    for (auto &m : MenuColors)
        ReduceToScreenColors({&m.Fill, &m.Text, &m.Frame});
    for (auto *pairs : {&ItemTextColors, &ItemFillColors})
        for (auto &pair : *pairs)
            ReduceToScreenColors({&pair[0], &pair[1]});
    if (OnNotify)
        OnNotify(this);
}

TColor TTBXOffice2003Theme::GetPartColor(const TTBXItemInfo &info, int part, int second) const
{
    const size_t s = size_t(ItemStateIndex(info));
    TColor result = clNone;
    if (part == PartText)
        result = ItemTextColors[s][0];
    else if (part == PartFrame)
        result = ItemTextColors[s][1];
    else
        result = ItemFillColors[s][size_t(second ? 1 : 0)];
    if (result == clNone && IsOpaqueToolbar(info.ViewType)) {
        if (part == PartFill)
            result = ButtonFillColor;
        else if (part == PartFrame && !info.Checked)
            result = ButtonFrameColor;
    }
    return result;
}

TColor TTBXOffice2003Theme::GetItemPartColor(const TTBXItemInfo &info, int part) const
{
    if (HasBits(info.ViewType, VT_POPUPMENU) && !IsToolbarStyle(info)) {
        const MenuColor &m = MenuColors[size_t(MenuStateIndex(info))];
        return part == PartFill ? m.Fill : part == PartText ? m.Text : m.Frame;
    }
    TColor result = GetPartColor(info, part, 0);
    if (result == clNone && IsOpaqueToolbar(info.ViewType)) {
        if (part == PartFill)
            result = ButtonFillColor;
        else if (part == PartFrame)
            result = ButtonFrameColor;
    }
    return result;
}

TPoint TTBXOffice2003Theme::GetImageOffset(TCanvas &, const TTBXItemInfo &, const TCustomImageList *)
{
    return {0, 0};
}

TColor TTBXOffice2003Theme::GetItemColor(const TTBXItemInfo &info)
{
    return StateOrViewColor(*this, GetItemPartColor(info, PartFill), info.ViewType);
}

TColor TTBXOffice2003Theme::GetItemTextColor(const TTBXItemInfo &info) { return GetItemPartColor(info, PartText); }

TColor TTBXOffice2003Theme::GetItemImageBackground(const TTBXItemInfo &info)
{
    return StateOrViewColor(*this, GetPartColor(info, PartFill, 0), info.ViewType);
}

void TTBXOffice2003Theme::GetMargins(int marginId, TTBXMargins &margins)
{
    // The table reads (Left, Top, Right, Bottom); the interface passes left, right, top, bottom.
    switch (marginId) {
    case MARGIN_TOOLBAR_ITEM: margins = {2, 2, 2, 2}; break;
    case MARGIN_MENU_ITEM: margins = {1, 3, 1, 3}; break;
    case MARGIN_STATUS_PANE: margins = {1, 1, 3, 1}; break;
    default: margins = {}; break;
    }
}

int TTBXOffice2003Theme::GetPopupShadowType() { return 2; }

void TTBXOffice2003Theme::GetViewBorder(int viewType, TPoint &border)
{
    border = FramedViewBorder(viewType, HasBits(viewType, VT_POPUPMENU) ? TPoint{1, 2} : TPoint{2, 2});
}

TColor TTBXOffice2003Theme::GetViewColor(int viewType)
{
    return ViewKindColor(viewType, DockColor, ToolbarColor, PopupColor, DockPanelColor, DockColor);
}

void TTBXOffice2003Theme::GetViewMargins(int, TTBXMargins &margins) { margins = {}; }

void TTBXOffice2003Theme::PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                                          const TRect &clipRect, TColor color, bool transparent, int viewType)
{
    if (transparent)
        return;
    TRect area;
    if (!IntersectRect(area, rect, clipRect))
        return;
    const bool toolbar = HasBits(viewType, VT_NORMALTOOLBAR) || HasBits(viewType, VT_TOOLBAR | 0x0004);
    if (toolbar && !(viewType & VT_OPAQUE)) {
        const TRect &measure = rect.IsEmpty() ? dockRect : rect;
        TCanvasStateGuard guard(canvas);
        canvas.IntersectClipRect(area);
        FillGradientSplit(canvas, measure.IsEmpty() ? area : measure, ToolbarColor, ToolbarColor2,
                          !(measure.Width() > measure.Height()));
        return;
    }
    FillRectColor(&canvas, area, color);
}

void TTBXOffice2003Theme::PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TRect r = rect;
    if ((info.ItemOptions & IO_DESIGNING) && !info.Checked) {
        if (info.ComboPart == COMBO_DROPDOWN)
            --r.Left;
        FrameRectColor(&canvas, r, RGBc(0, 0, 128));
        return;
    }
    FrameRectColor(&canvas, r, GetPartColor(info, PartFrame, 0), true);
    if (info.IsPopupParent && info.ComboPart == COMBO_BUTTON)
        ++r.Right;
    else if (info.IsPopupParent && info.ComboPart == COMBO_DROPDOWN)
        --r.Left;
    const TColor top = GetPartColor(info, PartFill, 0), bottom = GetPartColor(info, PartFill, 1);
    if (!IsPopupView(info.ViewType) && !IsOpaqueToolbar(info.ViewType)) {
        if (top != clNone && bottom != clNone)
            FillGradientRows(canvas, r, top, bottom);
    } else {
        FillRectColor(&canvas, r, top);
    }
    if (info.ComboPart == COMBO_DROPDOWN)
        PaintDropDownArrow(canvas, r, info);
}

void TTBXOffice2003Theme::PaintFrameControl(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TRect r = rect;
    FrameRectColor(&canvas, r, GetItemPartColor(info, PartFrame), true);
    FillRectColor(&canvas, r, GetItemPartColor(info, PartFill));
}

void TTBXOffice2003Theme::PaintCaption(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                       const QString &caption, unsigned format, bool rotated)
{
    TCanvasStateGuard guard(canvas);
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.SetBkMode(TRANSPARENT);
    if (canvas.Font()->Color() == clNone)
        canvas.Font()->SetColor(GetItemPartColor(info, PartText));
    TRect r = rect;
    if (rotated)
        DrawVerticalText(canvas, caption, r, format);
    else
        canvas.DrawText(caption, r, format);
}

void TTBXOffice2003Theme::PaintCheckMark(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const int cx = (rect.Left + rect.Right) / 2 - 2;
    const int cy = (rect.Top + rect.Bottom) / 2;
    const TColor c = GetPartColor(info, PartText, 0);
    if (!(info.ItemOptions & IO_RADIO)) {
        PaintMenuTick(canvas, cx, cy, c);
        return;
    }
    const TRect dot = Rect(cx - 1, cy - 3, cx + 5, cy + 3);
    RoundRectColor(&canvas, dot, 2, BlendColors(c, ToolbarColor, 200), clNone);
    RoundRectColor(&canvas, dot, 6, c, c);
}

void TTBXOffice2003Theme::PaintChevron(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintButton(canvas, rect, info);
    const TColor c = GetItemPartColor(info, PartText);
    if (!info.IsVertical) {
        static const std::array<std::uint8_t, 8> across = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
        PatternFillRect(&canvas, Rect(rect.Left, rect.Top + 4, rect.Left + 8, rect.Top + 9), across, c);
    } else {
        static const std::array<std::uint8_t, 8> down = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
        PatternFillRect(&canvas, Rect(rect.Right - 9, rect.Top, rect.Right - 4, rect.Top + 8), down, c);
    }
}

void TTBXOffice2003Theme::PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintArrowTriangle(canvas, rect, info.IsVertical, GetItemPartColor(info, PartText));
}

void TTBXOffice2003Theme::PaintEditFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                         const TTBXEditFrameInfo &editInfo)
{
    PaintFrameControl(canvas, rect, info);
    TRect r = rect;
    const int inset = GetIntegerMetric(IM_EDIT_FRAME_INSET);
    r.Inflate(-inset, -inset);
    const bool toolbar = IsToolbarView(info.ViewType);
    if (!info.Enabled && !IsOpaqueToolbar(info.ViewType))
        FrameRectColor(&canvas, r, ItemText(1));
    TRect field = r;
    if (editInfo.RightBtnWidth > 0)
        field.Right += 2 - editInfo.RightBtnWidth;
    if (editInfo.LeftBtnWidth > 0)
        field.Left += editInfo.LeftBtnWidth - 2;
    if (info.Enabled) {
        const bool frameSet = GetItemPartColor(info, PartFrame) != clNone;
        TRect inner = field;
        FrameRectColor(&canvas, inner, (toolbar || frameSet) ? clWindow : ToolbarColor2, true);
        FillRectColor(&canvas, inner, clWindow);
        if (!toolbar && !frameSet) {
            TRect second = rect;
            second.Inflate(-1, -1);
            FrameRectColor(&canvas, second, ToolbarColor2);
        }
    }
    if (editInfo.RightBtnWidth > 0) {
        TRect button = r;
        button.Left = button.Right - editInfo.RightBtnWidth;
        PaintEditButton(canvas, button, info, editInfo.RightBtnInfo);
    }
}

void TTBXOffice2003Theme::PaintEditButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                          const TTBXEditBtnInfo &buttonInfo)
{
    TRect r = rect;
    r.Inflate(1, 1);
    ++r.Left;
    const int state = buttonInfo.ButtonState;
    const bool disabled = (state & 1) != 0;
    const bool toolbar = IsToolbarView(info.ViewType);
    auto paintHalf = [&](TRect part, bool pushed) {
        if (!disabled && ((state & 2) || pushed || IsOpaqueToolbar(info.ViewType))) {
            TTBXItemInfo face = info;
            face.Pushed = pushed;
            PaintButton(canvas, part, face);
        } else if (toolbar) {
            const TColor frame = IsOpaqueToolbar(info.ViewType) ? GetItemPartColor(info, PartFrame) : ColorToRGB(clWindow);
            FrameRectColor(&canvas, part, frame);
            DrawLineColor(&canvas, part.Left - 1, part.Top, part.Left - 1, part.Bottom, frame);
        }
    };
    const TColor c = GetItemPartColor(info, PartText);
    if (buttonInfo.ButtonType == EDIT_BUTTON_SPIN) {
        const int middle = (r.Top + r.Bottom) / 2;
        TRect up = r, down = r;
        up.Bottom = middle;
        down.Top = middle;
        paintHalf(up, (state & 4) != 0);
        paintHalf(down, (state & 8) != 0);
        PaintSpinTriangles(canvas, up, down, c);
    } else {
        paintHalf(r, (state & 4) != 0);
        PaintDropDownArrow(canvas, r, info);
    }
}

void TTBXOffice2003Theme::PaintDock(TCanvas &canvas, const TRect &, const TRect &rect, int)
{
    FillRectColor(&canvas, rect, DockColor);
}

void TTBXOffice2003Theme::PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                     const TCustomImageList *images, int imageIndex)
{
    if (!images || DrawFrameworkImage(canvas, rect.Left, rect.Top, info, images, imageIndex))
        return;
    const bool dark = ColorLuminance(GetItemImageBackground(info)) < 80;
    if (info.Enabled)
        DrawImageContrasted(&canvas, rect.Left, rect.Top, images, imageIndex, dark);
    else
        PaintDisabledImage(canvas, rect.Left, rect.Top, images, imageIndex, dark, SeparatorDarkColor);
}

void TTBXOffice2003Theme::PaintWindowButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                            int buttonKind)
{
    PaintButton(canvas, rect, info);
    TRect r = rect;
    --r.Bottom;
    const int index = WindowButtonGlyph(buttonKind);
    if (index >= 0 && ThemeGlyphs())
        DrawImageSilhouetteCentered(&canvas, r, ThemeGlyphs(), index, GetItemPartColor(info, PartText));
}

void TTBXOffice2003Theme::PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TRect r = rect;
    if (!HasBits(info.ViewType, VT_TOOLBOX)) {
        FillGradientSplit(canvas, Rect(rect.Left, rect.Top, rect.Left + info.PopupMargin + 2, rect.Bottom),
                          ToolbarColor, ToolbarColor2, true);
        r = Rect(rect.Left + 1, rect.Top, rect.Right - 1, rect.Bottom);
    }
    PaintFrameControl(canvas, r, info);
}

void TTBXOffice2003Theme::PaintMenuItem(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintMenuItemFrame(canvas, rect, info);
    const TColor c = GetItemPartColor(info, PartText);
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    if (info.ItemOptions & IO_SPLIT) {
        TColor line = PopupFrameColor;
        if (!info.Enabled)
            line = c;
        else if (info.HoverKind == HOVER_ENABLED)
            line = GetItemPartColor(info, PartFrame);
        const int x = rect.Right - check - 1;
        DrawLineColor(&canvas, x, rect.Top + 1, x, rect.Bottom - 1, line);
    }
    if (info.ItemOptions & IO_SUBMENU) {
        PaintSubmenuTriangle(canvas, rect.Right - (2 * check) / 3 - 1, rect, c);
    }
    if (info.Checked && info.Enabled) {
        TRect box = Rect(rect.Left + 1, rect.Top, rect.Left + 1 + info.PopupMargin, rect.Bottom);
        box.Inflate(-1, -1);
        FrameRectColor(&canvas, box, GetPartColor(info, PartFrame, 0), true);
        FillRectColor(&canvas, box, GetPartColor(info, PartFill, 0));
    }
}

void TTBXOffice2003Theme::PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info)
{
    TRect stretch;
    if (PaintFramedPopupBorder(canvas, windowRect, info, PopupFrameColor, PopupColor, stretch))
        FillRectColor(&canvas, stretch, PopupColor);
}

void TTBXOffice2003Theme::PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                         bool horizontal, bool)
{
    if (horizontal && !IsToolbarStyle(info) && !HasBits(info.ViewType, VT_TOOLBOX)) {
        FillGradientSplit(canvas, Rect(rect.Left, rect.Top, info.PopupMargin + 2, rect.Bottom), ToolbarColor,
                          ToolbarColor2, true);
        if (info.Enabled) {
            const int y = (rect.Top + rect.Bottom) / 2;
            DrawLineColor(&canvas, rect.Left + info.PopupMargin + 9, y, rect.Right, y, SeparatorDarkColor);
        }
        return;
    }
    if (!info.Enabled)
        return;
    const int length = horizontal ? rect.Right - rect.Left + 1 : rect.Bottom - rect.Top + 1;
    const int part = int(std::nearbyint(0.6 * length));
    const int start = (length - part) / 2;
    if (horizontal) {
        const int y = (rect.Top + rect.Bottom) / 2;
        const int x = rect.Left + start;
        DrawLineColor(&canvas, x, y, x + part, y, SeparatorDarkColor);
        DrawLineColor(&canvas, x + 1, y + 1, x + part + 1, y + 1, SeparatorLightColor);
    } else {
        const int x = (rect.Left + rect.Right) / 2;
        const int y = rect.Top + start;
        DrawLineColor(&canvas, x, y, x, y + part, SeparatorDarkColor);
        DrawLineColor(&canvas, x + 1, y + 1, x + 1, y + part + 1, SeparatorLightColor);
    }
}

void TTBXOffice2003Theme::PaintCaptionBar(TCanvas &canvas, const TRect &rect, const TTBXPanelInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const TColor border = ColorToRGB(info.BorderColor != clNone ? info.BorderColor : PopupFrameColor);
    TRect r = rect;
    const int luminance = ColorLuminance(clBtnFace);
    const bool vertical = info.IsVertical;
    if (LowColorDepth || luminance < 64 || luminance > 250) {
        FrameRectColor(&canvas, r, border, true);
        TRect ring = r;
        canvas.Brush()->SetDither(border, luminance < 64 ? clWhite : ColorToRGB(clBtnShadow));
        canvas.FrameRect(ring);
        r.Inflate(-1, -1);
        FrameRectColor(&canvas, r, border, true);
        canvas.SetPixel(ring.Left, ring.Top, border);
        if (vertical)
            canvas.SetPixel(ring.Right - 1, ring.Top, border);
        else
            canvas.SetPixel(ring.Left, ring.Bottom - 1, border);
    } else {
        const TRect outer = r;
        FrameRectColor(&canvas, r, ToolbarColor2, true);
        FrameRectColor(&canvas, r, border, true);
        canvas.SetPixel(outer.Left + 1, outer.Top + 1, ToolbarColor2);
        if (vertical)
            canvas.SetPixel(outer.Right - 2, outer.Top + 1, ToolbarColor2);
        else
            canvas.SetPixel(outer.Left + 1, outer.Bottom - 2, ToolbarColor2);
    }
    const int strip = GetSystemMetrics(SM_CYSMCAPTION);
    r = rect;
    r.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
    TRect caption = r, body = r;
    if (vertical) {
        caption.Bottom = caption.Top + strip;
        body.Top = caption.Bottom + 1;
        DrawLineColor(&canvas, r.Left, caption.Bottom, r.Right, caption.Bottom, border);
    } else {
        caption.Right = caption.Left + strip;
        body.Left = caption.Right + 1;
        DrawLineColor(&canvas, caption.Right, r.Top, caption.Right, r.Bottom, border);
    }
    FillRectColor(&canvas, body, DockColor);
    FillRectColor(&canvas, caption, DockColor);
    if (info.CloseButtonState & CLOSE_VISIBLE) {
        TRect button = vertical ? Rect(caption.Right - strip, caption.Top, caption.Right, caption.Bottom)
                                : Rect(caption.Left, caption.Bottom - strip, caption.Right, caption.Bottom);
        const int s = CloseButtonStateIndex(info.CloseButtonState);
        FrameRectColor(&canvas, button, ItemFrame(s), true);
        FillRectColor(&canvas, button, ItemFillColors[size_t(s)][0]);
        PaintCloseGlyph(canvas, button, ItemText(s));
        if (vertical)
            caption.Right = button.Left;
        else
            caption.Bottom = button.Top;
    }
    SetSmallCaptionText(canvas, clBtnText);
    if (vertical) {
        caption.Left += 4;
        canvas.DrawText(info.Caption, caption, 0x8824);
    } else {
        caption.Top += 4;
        DrawVerticalText(canvas, info.Caption, caption, 0x8824);
    }
}

void TTBXOffice2003Theme::PaintFloatingNCArea(TCanvas &canvas, const TRect &windowRect,
                                              const TTBXFloatingInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const TColor view = canvas.Brush()->Color();
    TRect inner = windowRect;
    inner.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
    if (info.RedrawPart & REDRAW_FRAME) {
        {
            TCanvasStateGuard band(canvas);
            canvas.ExcludeClipRect(inner);
            FillRectColor(&canvas, windowRect, FloatingFrameColor);
        }
        const int l = inner.Left - 1, t = inner.Top - 1, r = inner.Right, b = inner.Bottom;
        std::vector<TPoint> outline;
        if (info.ViewType & VT_DOCKPANEL)
            outline = {{l + 1, t}, {r - 1, t}, {r, t + 1}, {r, b}, {l, b}, {l, t + 1}, {l + 1, t}};
        else
            outline = {{l + 1, t}, {r - 1, t}, {r, t + 1}, {r, b - 1}, {r - 1, b}, {l + 1, b}, {l, b - 1},
                       {l, t + 1}, {l + 1, t}};
        PolylineColor(&canvas, outline, view);
    }
    if (!info.ShowCaption)
        return;
    const int height = GetSystemMetrics(SM_CYSMCAPTION) - 1;
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    TRect strip = Rect(inner.Left, inner.Top, inner.Right, inner.Top + height);
    if (info.RedrawPart & REDRAW_CAPTION) {
        TRect caption = strip;
        if (closeShown)
            caption.Right -= height;
        DrawLineColor(&canvas, strip.Left, strip.Bottom, strip.Right, strip.Bottom, view);
        FillRectColor(&canvas, caption, FloatingCaptionColor);
        caption.Inflate(-2, 0);
        SetSmallCaptionText(canvas, FloatingCaptionTextColor);
        canvas.DrawText(info.Caption, caption, 0x8824);
    }
    if (closeShown && (info.RedrawPart & REDRAW_CLOSE)) {
        TRect button = Rect(strip.Right - height, strip.Top, strip.Right, strip.Bottom);
        DrawLineColor(&canvas, button.Left - 1, button.Top, button.Left - 1, button.Bottom, view);
        FillRectColor(&canvas, button, FloatingCaptionColor);
        const int s = CloseButtonStateIndex(info.CloseButtonState);
        TRect face = button;
        FrameRectColor(&canvas, face, ItemFrame(s), true);
        const TColor fill = ItemFillColors[size_t(s)][0];
        FillRectColor(&canvas, face, fill);
        if (ThemeGlyphs())
            DrawImageSilhouetteCentered(&canvas, button, ThemeGlyphs(), 0,
                                        fill != clNone ? ItemText(s) : FloatingCaptionTextColor);
    }
}

void TTBXOffice2003Theme::PaintToolbarNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXFrameInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const bool menuBar = HasBits(info.ViewType, VT_MENUBAR);
    const TRect w = windowRect;
    if (info.BorderStyle == 1 && !menuBar) {
        const int luminance = ColorLuminance(clBtnFace);
        if (LowColorDepth || luminance < 50 || luminance > 254) {
            TCanvasStateGuard ring(canvas);
            canvas.Brush()->SetDither(ToolbarColor, ItemText(1));
            canvas.FrameRect(w);
            TRect inside = w;
            inside.Inflate(-1, -1);
            FillRectColor(&canvas, inside, ToolbarColor);
        } else {
            const int L = w.Left, T = w.Top, R = w.Right - 1, B = w.Bottom - 1;
            if (!info.IsVertical) {
                FillGradientSplit(canvas, Rect(L, T, L + 1, B + 1), ToolbarColor, ToolbarColor2, false);
                FillGradientSplit(canvas, Rect(R - 1, T, R, B + 1), ToolbarColor, ToolbarColor2, false);
                FillGradientSplit(canvas, Rect(R, T, R + 1, B + 1), ToolbarColor2, ToolbarShadowColor, false);
                DrawLineColor(&canvas, L, T, R, T, ToolbarColor);
                DrawLineColor(&canvas, L, B - 1, R, B - 1, ToolbarColor2);
                DrawLineColor(&canvas, L, B, R, B, ToolbarShadowColor);
                canvas.SetPixel(L + 1, T, ToolbarCornerColor);
                canvas.SetPixel(L, T + 1, ToolbarCornerColor);
                canvas.SetPixel(R - 1, T, ToolbarCornerColor);
                canvas.SetPixel(R, T + 1, ToolbarCornerColor);
                canvas.SetPixel(R - 1, B - 1, ToolbarShadowColor);
            } else {
                FillGradientSplit(canvas, Rect(L, T, R + 1, T + 1), ToolbarColor, ToolbarColor2, true);
                FillGradientSplit(canvas, Rect(L, B - 1, R + 1, B), ToolbarColor, ToolbarColor2, true);
                FillGradientSplit(canvas, Rect(L, B, R + 1, B + 1), ToolbarColor2, ToolbarShadowColor, true);
                DrawLineColor(&canvas, L, T, L, B, ToolbarColor);
                DrawLineColor(&canvas, R - 1, T, R - 1, B, ToolbarColor2);
                DrawLineColor(&canvas, R, T, R, B, ToolbarShadowColor);
                canvas.SetPixel(L + 1, T, ToolbarCornerColor);
                canvas.SetPixel(L, T + 1, ToolbarCornerColor);
                canvas.SetPixel(L + 1, B - 1, ToolbarColor2);
                canvas.SetPixel(L, B - 2, ToolbarCornerColor);
            }
        }
    }
    const int handle = GetDragHandleSize(info);
    if (handle <= 0)
        return;
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    const TPoint origin{w.Left + info.BorderSize.X, w.Top + info.BorderSize.Y};
    if (info.DragHandleStyle != 1) {
        TRect band = info.IsVertical ? Rect(origin.X, origin.Y, origin.X + info.ClientWidth, origin.Y + handle)
                                     : Rect(origin.X, origin.Y, origin.X + handle, origin.Y + info.ClientHeight);
        if (!menuBar)
            FillGradientSplit(canvas, band, ToolbarColor, ToolbarColor2, info.IsVertical);
        const int inset = closeShown ? 5 : (info.DragHandleStyle == 0 ? 2 : 1);
        if (info.IsVertical) {
            const int y = band.Top + (band.Height() - 3) / 2;
            for (int x = band.Left + inset + (closeShown ? handle : 0); x + 3 <= band.Right - inset; x += 4)
                PaintGripDot(canvas, x, y, *this);
        } else {
            const int x = band.Left + (band.Width() - 3) / 2;
            for (int y = band.Top + inset + (closeShown ? handle : 0); y + 3 <= band.Bottom - inset; y += 4)
                PaintGripDot(canvas, x, y, *this);
        }
    }
    if (closeShown) {
        TRect button;
        GetCloseButtonRect(info, button);
        button.Offset(w.Left, w.Top);
        const int s = CloseButtonStateIndex(info.CloseButtonState);
        FrameRectColor(&canvas, button, ItemFrame(s), true);
        FillRectColor(&canvas, button, ItemFillColors[size_t(s)][0]);
        PaintCloseGlyph(canvas, button, ItemText(s));
    }
}

void TTBXOffice2003Theme::PaintSymbolButton(TCanvas &canvas, const TRect &rect, int state, int kind)
{
    const bool hot = (state & 1) != 0;
    TRect r = rect;
    FrameRectColor(&canvas, r, hot ? ItemFrame(4) : ButtonFrameColor, true);
    FillRectColor(&canvas, r, hot ? ItemFillColors[4][0] : ButtonFillColor);
    const TColor c = hot ? ItemText(4) : ItemText(0);
    PaintSymbolTriangle(canvas, rect, kind, c);
}

void TTBXOffice2003Theme::PaintCheckControl(TCanvas &canvas, const TRect &rect, int state, int kind, int)
{
    TCanvasStateGuard guard(canvas);
    const bool checked = state & 1, mixed = state & 2, disabled = state & 4, hot = state & 8, pushed = state & 16;
    TColor frame = ButtonFrameColor;
    if (disabled)
        frame = ColorToRGB(clBtnShadow);
    else if (pushed)
        frame = ItemFrame(3);
    else if (hot)
        frame = ItemFrame(4);
    TColor mark = ItemText(0);
    if (disabled)
        mark = ItemText(1);
    else if (pushed)
        mark = ItemText(3);
    else if (mixed)
        mark = ColorToRGB(clBtnShadow);
    else if (hot)
        mark = ItemText(4);
    bool dither = false;
    TColor fill = clNone;
    if (disabled || mixed)
        dither = true;
    else if (pushed)
        fill = ItemFillColors[3][0];
    else if (hot)
        fill = ItemFillColors[4][0];
    TRect r = rect;
    r.Inflate(-1, -1);
    if (dither)
        canvas.Brush()->SetDither(clWindow, clBtnFace);
    else if (fill != clNone)
        canvas.Brush()->SetColor(fill);
    else
        canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.Pen()->SetColor(frame);
    PaintCheckShape(canvas, r, kind == 2, checked, checked || mixed, mark);
}

void TTBXOffice2003Theme::PaintStatusBar(TCanvas &canvas, const TRect &rect, int part)
{
    TRect r = rect;
    switch (part) {
    case STATUS_BODY:
        FillGradientSplit(canvas, r, ToolbarColor, ToolbarColor2, false);
        break;
    case STATUS_PANE:
        r.Right -= 2;
        FrameRectColor(&canvas, r, StatusPanelColor);
        break;
    case STATUS_LAST_PANE:
        FrameRectColor(&canvas, r, StatusPanelColor);
        break;
    case STATUS_GRIP: {
        const int right = r.Right - 1, bottom = r.Bottom - 1;
        const TPoint dots[] = {{right, bottom}, {right, bottom - 4}, {right, bottom - 8},
                               {right - 4, bottom}, {right - 4, bottom - 4}, {right - 8, bottom}};
        for (const TPoint &p : dots) {
            FillRectColor(&canvas, Rect(p.X - 1, p.Y - 1, p.X + 1, p.Y + 1), GripLightColor);
            FillRectColor(&canvas, Rect(p.X - 2, p.Y - 2, p.X, p.Y), GripDarkColor);
        }
        break;
    }
    default:
        break;
    }
}

int TTBXOffice2003Theme::GetIntegerMetric(int index)
{
    switch (index) {
    case 10: return 12;
    case 20: return 8;
    case 21: return 3;
    case 32: return 5;
    case 33: case 34: case 35: return 3;
    case 36: case 37: return 2;
    case 50: return 6;
    case 60: return 1;
    case 61: case 62: return 2;
    case 65: return 14;
    case 66: return 1;
    default: return -1;
    }
}

bool TTBXOffice2003Theme::GetBooleanMetric(int index)
{
    return index == 1 || index == 3 || index == 5 || index == 7;
}

void RegisterOffice2003Theme()
{
    if (!IsThemeRegistered(QStringLiteral("Office2003")))
        RegisterTheme(QStringLiteral("Office2003"), ThemeClassOf<TTBXOffice2003Theme>());
}
