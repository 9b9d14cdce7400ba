#include "TBXAluminumTheme.h"

#include "ThemeShapes.h"
#include "ThemeGlyphs.h"

#include "themed/TBXUtils.h"
#include "toolbar/TB2Common.h"

#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <algorithm>

namespace {

int instances = 0;

constexpr TColor Grey9F = 0x9F9F9F;
constexpr TColor GreyDF = 0xDFDFDF;
constexpr TColor GreyC7 = 0xC7C7C7;

TColor Mix(TColor a, TColor b, int w) { return MixColorsPercent(a, b, w); }
TColor Contrast(TColor c, TColor background, int threshold)
{
    SetContrast(c, background, threshold);
    return c;
}

// Corner kinds: 0 square, 1 a softened pixel, 2 and 3 rounder.
struct Corners {
    int TL = 0, TR = 0, BL = 0, BR = 0;
};
Corners All(int kind) { return {kind, kind, kind, kind}; }

// Blends c into the pixel at a corner, mirrored for the corner (sx, sy the inward directions).
void CornerPixel(TCanvas &canvas, int x, int y, int dx, int dy, int sx, int sy, TColor c, int alpha)
{
    BlendPixel(&canvas, x + dx * sx, y + dy * sy, c, alpha);
}

void PaintCorner(TCanvas &canvas, int x, int y, int sx, int sy, int kind, TColor c)
{
    switch (kind) {
    case 1:
        CornerPixel(canvas, x, y, 0, 0, sx, sy, c, 63);
        CornerPixel(canvas, x, y, 1, 1, sx, sy, c, 63);
        break;
    case 2:
        CornerPixel(canvas, x, y, 0, 0, sx, sy, c, 31);
        CornerPixel(canvas, x, y, 1, 0, sx, sy, c, 127);
        CornerPixel(canvas, x, y, 0, 1, sx, sy, c, 127);
        CornerPixel(canvas, x, y, 1, 1, sx, sy, c, 159);
        break;
    case 3:
        CornerPixel(canvas, x, y, 1, 0, sx, sy, c, 47);
        CornerPixel(canvas, x, y, 0, 1, sx, sy, c, 47);
        CornerPixel(canvas, x, y, 2, 0, sx, sy, c, 143);
        CornerPixel(canvas, x, y, 0, 2, sx, sy, c, 143);
        CornerPixel(canvas, x, y, 1, 1, sx, sy, c, 175);
        CornerPixel(canvas, x, y, 2, 1, sx, sy, c, 63);
        CornerPixel(canvas, x, y, 1, 2, sx, sy, c, 63);
        break;
    default:
        canvas.SetPixel(x, y, c);
        break;
    }
}

void FrameRoundRect(TCanvas &canvas, const TRect &rect, Corners k, TColor c)
{
    if (c == clNone || rect.IsEmpty())
        return;
    c = ColorToRGB(c);
    const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
    DrawLineColor(&canvas, l + k.TL, t, r - k.TR + 1, t, c);
    DrawLineColor(&canvas, l + k.BL, b, r - k.BR + 1, b, c);
    DrawLineColor(&canvas, l, t + k.TL, l, b - k.BL + 1, c);
    DrawLineColor(&canvas, r, t + k.TR, r, b - k.BR + 1, c);
    PaintCorner(canvas, l, t, 1, 1, k.TL, c);
    PaintCorner(canvas, r, t, -1, 1, k.TR, c);
    PaintCorner(canvas, l, b, 1, -1, k.BL, c);
    PaintCorner(canvas, r, b, -1, -1, k.BR, c);
}

void FillChamferRect(TCanvas &canvas, const TRect &rect, Corners k, TColor c)
{
    if (c == clNone || rect.IsEmpty())
        return;
    const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
    PolygonColor(&canvas, {{l + k.TL, t}, {r - k.TR, t}, {r, t + k.TR}, {r, b - k.BR}, {r - k.BR, b},
                           {l + k.BL, b}, {l, b - k.BL}, {l, t + k.TL}}, c, c);
}

// Light top and left edges, dark bottom and right ones; rounded corners melt into Outer when
// given, else into what lies beneath.
void FrameBevel(TCanvas &canvas, const TRect &rect, Corners k, TColor light, TColor dark, TColor outer)
{
    if (rect.IsEmpty())
        return;
    light = ColorToRGB(light);
    dark = ColorToRGB(dark);
    const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
    DrawLineColor(&canvas, l + k.TL, t, r - k.TR + 1, t, light);
    DrawLineColor(&canvas, l, t + k.TL, l, b - k.BL + 1, light);
    DrawLineColor(&canvas, l + k.BL, b, r - k.BR + 1, b, dark);
    DrawLineColor(&canvas, r, t + k.TR, r, b - k.BR + 1, dark);
    auto corner = [&](int x, int y, int sx, int sy, int kind, TColor edge) {
        if (kind <= 0)
            return;
        if (outer != clNone) {
            canvas.SetPixel(x, y, BlendColors(edge, outer, kind == 1 ? 127 : 31));
            if (kind > 1) {
                canvas.SetPixel(x + sx, y, BlendColors(edge, outer, 175));
                canvas.SetPixel(x, y + sy, BlendColors(edge, outer, 175));
                canvas.SetPixel(x + sx, y + sy, BlendColors(edge, outer, 63));
            }
        } else {
            BlendPixel(&canvas, x, y, edge, kind == 1 ? 63 : 31);
            if (kind > 1) {
                BlendPixel(&canvas, x + sx, y, edge, 143);
                BlendPixel(&canvas, x, y + sy, edge, 143);
                BlendPixel(&canvas, x + sx, y + sy, edge, 207);
            }
        }
    };
    corner(l, t, 1, 1, k.TL, light);
    corner(r, t, -1, 1, k.TR, BlendColors(light, dark, 128));
    corner(l, b, 1, -1, k.BL, BlendColors(light, dark, 128));
    corner(r, b, -1, -1, k.BR, dark);
}

void FillSplitGradient(TCanvas &canvas, const TRect &rect, TColor c, bool vertical)
{
    if (rect.IsEmpty())
        return;
    TRect first = rect, second = rect;
    if (vertical)
        first.Bottom = second.Top = rect.Top + rect.Height() * 2 / 3;
    else
        first.Right = second.Left = rect.Left + rect.Width() * 2 / 3;
    DitherGradientRect(&canvas, first, ShiftColor(c, 24), vertical, c);
    DitherGradientRect(&canvas, second, c, vertical, ShiftColor(c, -8));
}

void PaintDotGrid(TCanvas &canvas, const TRect &rect, TColor c, int inset)
{
    TRect r = rect;
    r.Inflate(-inset, -inset);
    auto fit = [](int size) { return size < 2 ? 0 : ((size - 2) / 4) * 4 + 2; };
    const int w = fit(r.Width()), h = fit(r.Height());
    if (w == 0 || h == 0)
        return;
    const int x0 = r.Left + (r.Width() - w) / 2, y0 = r.Top + (r.Height() - h) / 2;
    const TColor centre = ShiftColorNearest(c, -96), topLeft = ShiftColorNearest(c, -24),
                 edge = ShiftColorNearest(c, -32), lit = ShiftColorNearest(c, 24),
                 bottomRight = ShiftColorNearest(c, 18);
    for (int y = y0; y + 2 <= y0 + h; y += 4)
        for (int x = x0; x + 2 <= x0 + w; x += 4) {
            canvas.SetPixel(x, y, topLeft);
            canvas.SetPixel(x + 1, y, edge);
            canvas.SetPixel(x, y + 1, edge);
            canvas.SetPixel(x + 1, y + 1, centre);
            canvas.SetPixel(x + 2, y + 1, lit);
            canvas.SetPixel(x + 1, y + 2, lit);
            canvas.SetPixel(x + 2, y + 2, bottomRight);
        }
}

const std::array<std::uint8_t, 8> CrossPattern = {0xC6, 0x6C, 0x38, 0x38, 0x6C, 0xC6, 0, 0};

void PaintEmbossedGlyph(TCanvas &canvas, const TRect &rect, TColor c, bool strong)
{
    const int x = (rect.Left + rect.Right - 7) / 2, y = (rect.Top + rect.Bottom - 6) / 2;
    PatternFillRect(&canvas, Rect(x + 1, y + 1, x + 8, y + 7), CrossPattern, ShiftColor(c, 24));
    PatternFillRect(&canvas, Rect(x - 1, y - 1, x + 6, y + 5), CrossPattern, ShiftColor(c, -32));
    PatternFillRect(&canvas, Rect(x, y, x + 7, y + 6), CrossPattern, strong ? clBlack : 0x3F3F3F);
}



} // namespace

TColor AluminumHighlightBase()
{
    float h, s, l;
    ColorToHSL(clHighlight, h, s, l);
    return HSLToColor(h, s, std::max(l, 0.4f));
}

TColor TTBXAluminumTheme::PartColors::Part(int part) const
{
    return part == PartFill ? Fill : part == PartText ? Text : Frame;
}

TTBXAluminumTheme::TTBXAluminumTheme(const QString &name) : TTBXDefaultTheme(name)
{
    if (instances++ == 0)
        AcquireThemeGlyphs();
}

TTBXAluminumTheme::~TTBXAluminumTheme()
{
    if (--instances == 0) {
        ClearDitherTables();
        ReleaseThemeGlyphs();
    }
}

void TTBXAluminumTheme::UpdateThemeColors()
{
    TTBXDefaultTheme::UpdateThemeColors();
    DockTextureColor = ShiftColor(GreyDF, -24);
    MenuBarColor = GreyDF;
    BaseColor = GreyDF;
    StatusBarColor = ShiftColor(GreyDF, -16);
    PopupColor = Mix(DockTextureColor, clWindow, 100);
    DockPanelColor = PopupColor;
    PopupFrameColor = Contrast(Mix(clBlack, Grey9F, 20), PopupColor, 100);
    const TColor highlight = AluminumHighlightBase();
    const TColor hot = Mix(highlight, clWindow, 30);
    const TColor grey = Mix(Grey9F, clWindow, 90);
    const TColor t0 = Contrast(clBlack, BaseColor, 180);
    const TColor f6 = Contrast(Mix(highlight, clWindow, 50), BaseColor, 30);
    const TColor hotText = Contrast(clMenuText, hot, 180);
    const TColor hotFrame = Contrast(clHighlight, BaseColor, 100);
    ItemColors = {{
        {clNone, t0, clNone},
        {clNone, Contrast(Grey9F, BaseColor, 80), clNone},
        {Contrast(Mix(highlight, Mix(GreyC7, clWindow, 50), 10), BaseColor, 5), t0, clHighlight},
        {Mix(highlight, clWindow, 50), clHighlightText, clHighlight},
        {hot, hotText, hotFrame},
        {hot, grey, clHighlight},
        {f6, Contrast(clHighlightText, f6, 180), Contrast(clHighlight, f6, 100)},
        {Mix(BaseColor, PopupColor, 50), t0, PopupFrameColor},
    }};
    const TColor menuGrey = Mix(clGrayText, clWindow, 70);
    MenuColors = {{
        {clNone, Contrast(clWindowText, PopupColor, 180), clNone},
        {clNone, Contrast(menuGrey, PopupColor, 80), clNone},
        ItemColors[4],
        {PopupColor, menuGrey, clHighlight},
    }};
    SeparatorColor = Contrast(Grey9F, BaseColor, 50);
    TextureAmount = 12;
    ReduceToScreenColors({&DockTextureColor, &MenuBarColor, &BaseColor, &StatusBarColor, &PopupColor, &DockPanelColor,
                          &PopupFrameColor, &SeparatorColor});
    for (auto &p : ItemColors)
        ReduceToScreenColors({&p.Fill, &p.Text, &p.Frame});
    for (auto &p : MenuColors)
        ReduceToScreenColors({&p.Fill, &p.Text, &p.Frame});
}

TColor TTBXAluminumTheme::GetPartColor(const TTBXItemInfo &info, int part) const
{
    TColor c = ItemColors[size_t(ItemStateIndex(info))].Part(part);
    if (IsOpaqueToolbar(info.ViewType)) {
        if (part == PartFill && c == clNone)
            c = BaseColor;
        else if (part == PartFrame)
            c = info.Checked ? ColorToRGB(clWindowFrame) : (c == clNone ? Grey9F : c);
    }
    return c;
}

TColor TTBXAluminumTheme::GetItemPartColor(const TTBXItemInfo &info, int part) const
{
    if (HasBits(info.ViewType, VT_POPUPMENU) && !IsToolbarStyle(info))
        return MenuColors[size_t(MenuStateIndex(info))].Part(part);
    TColor c = ItemColors[size_t(ItemStateIndex(info))].Part(part);
    if (c == clNone && IsOpaqueToolbar(info.ViewType)) {
        if (part == PartFill)
            c = BaseColor;
        else if (part == PartFrame)
            c = Grey9F;
    }
    return c;
}

TPoint TTBXAluminumTheme::GetImageOffset(TCanvas &, const TTBXItemInfo &, const TCustomImageList *) { return {0, 0}; }

TColor TTBXAluminumTheme::GetItemColor(const TTBXItemInfo &info)
{
    return StateOrViewColor(*this, GetItemPartColor(info, PartFill), info.ViewType);
}

TColor TTBXAluminumTheme::GetItemTextColor(const TTBXItemInfo &info) { return GetItemPartColor(info, PartText); }

TColor TTBXAluminumTheme::GetItemImageBackground(const TTBXItemInfo &info)
{
    return StateOrViewColor(*this, GetPartColor(info, PartFill), info.ViewType);
}

void TTBXAluminumTheme::GetMargins(int marginId, TTBXMargins &margins)
{
    TTBXDefaultTheme::GetMargins(marginId, margins);
    if (marginId == MARGIN_MENU_ITEM) {
        margins.RightWidth = 2;
        margins.BottomHeight = 2;
    }
}

int TTBXAluminumTheme::GetPopupShadowType() { return 2; }

void TTBXAluminumTheme::GetViewBorder(int viewType, TPoint &border)
{
    border = FramedViewBorder(viewType, {2, 2});
}

TColor TTBXAluminumTheme::GetViewColor(int viewType)
{
    return ViewKindColor(viewType, MenuBarColor, BaseColor, PopupColor, DockPanelColor, BaseColor);
}

void TTBXAluminumTheme::PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                                        const TRect &clipRect, TColor color, bool transparent, int viewType)
{
    if (LowColorDepth) {
        TTBXDefaultTheme::PaintBackground(canvas, dockRect, rect, clipRect, color, transparent, viewType);
        return;
    }
    if (transparent)
        return;
    TRect area;
    if (!IntersectRect(area, rect, clipRect) || !canvas.RectVisible(area))
        return;
    if ((viewType & VT_POPUP) || IsOpaqueToolbar(viewType))
        FillRectColor(&canvas, area, color);
    else
        FillBrushedTexture(&canvas, area, TextureAmount, color);
}

void TTBXAluminumTheme::PaintDock(TCanvas &canvas, const TRect &clientRect, const TRect &rect, int)
{
    FillBrushedTexture(&canvas, rect.TopLeft(), clientRect, 8, DockTextureColor);
}

void TTBXAluminumTheme::PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    TRect r = rect;
    if ((info.ItemOptions & IO_DESIGNING) && !info.Checked) {
        FrameRoundRect(canvas, r, All(1), BlendColorsNearest(Grey9F, GreyC7, 100));
        return;
    }
    Corners k = All(info.IsPopupParent ? 1 : 2);
    if (info.ComboPart == COMBO_BUTTON)
        k.TR = k.BR = 0;
    else if (info.ComboPart == COMBO_DROPDOWN) {
        k.TL = k.BL = 0;
        --r.Left;
    }
    const TColor fill = GetPartColor(info, PartFill);
    FillChamferRect(canvas, r, k, fill);
    FrameRoundRect(canvas, r, k, GetPartColor(info, PartFrame));
    if (info.IsPopupParent && info.ComboPart == COMBO_DROPDOWN && fill != clNone)
        DrawLineColor(&canvas, r.Left, r.Top + 1, r.Left, r.Bottom - 1, fill);
    if (info.ComboPart == COMBO_DROPDOWN)
        PaintDropDownArrow(canvas, r, info);
}

void TTBXAluminumTheme::PaintFrameControl(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const TColor l16 = ShiftColor(BaseColor, 16), d16 = ShiftColor(BaseColor, -16);
    const bool active = info.Enabled || info.HoverKind == HOVER_DISABLED;
    const bool atRest = !info.Pushed && !info.Checked && !IsHovered(info) && !(info.ItemOptions & IO_DESIGNING);
    TRect r = rect;
    if (active && atRest) {
        if (!IsOpaqueToolbar(info.ViewType) && !IsPopupView(info.ViewType)) {
            FrameBevel(canvas, r, All(1), d16, l16, clNone);
            r.Inflate(-1, -1);
        }
        FrameRoundRect(canvas, r, All(1), Grey9F);
    } else if (active) {
        TRect inner = r;
        inner.Inflate(-1, -1);
        FrameRectColor(&canvas, inner, clWindow);
        FrameRoundRect(canvas, r, All(2), GetPartColor(info, PartFrame));
    } else {
        FrameBevel(canvas, r, All(1), d16, l16, clNone);
        r.Inflate(-1, -1);
        FrameBevel(canvas, r, All(0), l16, d16, clNone);
    }
}

void TTBXAluminumTheme::PaintEditFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                       const TTBXEditFrameInfo &editInfo)
{
    PaintFrameControl(canvas, rect, info);
    TRect r = rect;
    const int inset = GetIntegerMetric(IM_EDIT_FRAME_INSET);
    r.Inflate(-inset, -inset);
    TRect field = r;
    if (editInfo.RightBtnWidth > 0)
        field.Right += inset - editInfo.RightBtnWidth;
    const bool atRest = !info.Pushed && !info.Checked && !IsHovered(info);
    if (info.Enabled) {
        if (atRest)
            FrameRoundRect(canvas, field, All(1), clWindow);
        TRect inner = field;
        inner.Inflate(-1, -1);
        FillRectColor(&canvas, inner, clWindow);
    }
    if (editInfo.RightBtnWidth > 0)
        PaintEditButton(canvas, Rect(r.Right - editInfo.RightBtnWidth, r.Top, r.Right, r.Bottom), info,
                        editInfo.RightBtnInfo);
}

void TTBXAluminumTheme::PaintEditButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                        const TTBXEditBtnInfo &buttonInfo)
{
    TRect r = rect;
    --r.Left;
    const int state = buttonInfo.ButtonState;
    const bool disabled = (state & 1) != 0;
    TColor line = GetItemPartColor(info, PartFrame);
    if (line == clNone)
        line = Grey9F;
    const TColor view = GetViewColor(info.ViewType);
    auto face = [&](TRect part, bool pushed) {
        const bool atRest = !(state & 2) && !pushed;
        part.Inflate(atRest ? -2 : -1, atRest ? -2 : -1);
        if (atRest) {
            DitherGradientRect(&canvas, part, ShiftColor(GreyDF, 16), true, ShiftColor(GreyDF, -16));
            FrameBevel(canvas, part, Corners{0, 1, 0, 1}, ShiftColor(GreyDF, 24), ShiftColor(GreyDF, -24), clNone);
            return;
        }
        TTBXItemInfo s = info;
        s.Pushed = pushed;
        s.HoverKind = HOVER_ENABLED;
        const TColor fill = GetPartColor(s, PartFill);
        FillRectColor(&canvas, part, fill);
        if (fill != clNone) {
            const TColor soft = BlendColors(view, fill, 128);
            canvas.SetPixel(part.Right - 1, part.Top, soft);
            canvas.SetPixel(part.Right - 1, part.Bottom - 1, soft);
        }
    };
    const TColor text = GetItemPartColor(info, PartText);
    if (buttonInfo.ButtonType == EDIT_BUTTON_SPIN) {
        if (disabled)
            return;
        const int middle = (r.Top + r.Bottom) / 2;
        const TRect up = Rect(r.Left, r.Top, r.Right, middle), down = Rect(r.Left, middle, r.Right, r.Bottom);
        face(up, (state & 4) != 0);
        face(down, (state & 8) != 0);
        DrawLineColor(&canvas, r.Left, r.Top, r.Left, r.Bottom, line);
        DrawLineColor(&canvas, r.Left, middle, r.Right, middle, line);
        PaintSpinTriangles(canvas, up, down, text);
        return;
    }
    if (!disabled) {
        DrawLineColor(&canvas, r.Left, r.Top, r.Left, r.Bottom, line);
        face(r, (state & 4) != 0);
    }
    PaintDropDownArrow(canvas, r, info);
}

void TTBXAluminumTheme::PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintArrowTriangle(canvas, rect, info.IsVertical, GetItemPartColor(info, PartText));
}

void TTBXAluminumTheme::PaintCheckMark(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const int cx = (rect.Left + rect.Right) / 2 - 1;
    const int cy = (rect.Top + rect.Bottom) / 2;
    const TColor c = GetPartColor(info, PartText);
    if (!(info.ItemOptions & IO_RADIO)) {
        PaintMenuTick(canvas, cx, cy, c);
        return;
    }
    const TRect dot = Rect(cx - 1, cy - 3, cx + 5, cy + 3);
    RoundRectColor(&canvas, dot, 2, BlendColors(c, BaseColor, 200), clNone);
    RoundRectColor(&canvas, dot, 6, c, c);
}

void TTBXAluminumTheme::PaintChevron(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintButton(canvas, rect, info);
    TColor base = GetPartColor(info, PartFill);
    if (base == clNone)
        base = BaseColor;
    const TColor strong = IsHovered(info) ? clBlack : 0x3F3F3F;
    auto draw = [&](const std::array<std::uint8_t, 8> &pattern, TRect at) {
        TRect lit = at, shade = at;
        lit.Offset(1, 1);
        shade.Offset(-1, -1);
        PatternFillRect(&canvas, lit, pattern, ShiftColor(base, 24));
        PatternFillRect(&canvas, shade, pattern, ShiftColor(base, -32));
        PatternFillRect(&canvas, at, pattern, strong);
    };
    if (!info.IsVertical)
        draw({0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0}, Rect(rect.Left, rect.Top + 4, rect.Left + 8, rect.Top + 9));
    else
        draw({0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20}, Rect(rect.Right - 9, rect.Top, rect.Right - 4, rect.Top + 8));
}

void TTBXAluminumTheme::PaintCaption(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                     const QString &caption, unsigned format, bool rotated)
{
    TCanvasStateGuard guard(canvas);
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.SetBkMode(TRANSPARENT);
    if (canvas.Font()->Color() == clNone)
        canvas.Font()->SetColor(GetItemTextColor(info));
    const TColor fontColor = canvas.Font()->Color();
    auto draw = [&](TRect at) {
        if (rotated)
            DrawVerticalText(canvas, caption, at, format);
        else
            canvas.DrawText(caption, at, format);
    };
    TColor emboss = clNone;
    if (IsToolbarStyle(info)) {
        const TColor fill = GetItemColor(info);
        emboss = ShiftColor(fill, 16);
    } else if (info.ViewType & VT_STANDALONE) {
        emboss = ShiftColor(StatusBarColor, 16);
    }
    if (emboss != clNone) {
        TRect shifted = rect;
        shifted.Offset(1, 1);
        canvas.Font()->SetColor(emboss);
        draw(shifted);
        canvas.Font()->SetColor(fontColor);
    }
    draw(rect);
}

void TTBXAluminumTheme::PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                   const TCustomImageList *images, int imageIndex)
{
    if (!images || DrawFrameworkImage(canvas, rect.Left, rect.Top, info, images, imageIndex))
        return;
    const int x = rect.Left, y = rect.Top;
    const bool dark = ColorLuminance(GetItemImageBackground(info)) < 80;
    if (!info.Enabled) {
        PaintDisabledImage(canvas, x, y, images, imageIndex, dark, Grey9F);
        return;
    }
    if (!info.Checked && !info.Pushed && !IsHovered(info)) {
        if (dark || WhiteButtonFace)
            DrawImageContrasted(&canvas, x, y, images, imageIndex, dark);
        else
            DrawImageFaded(&canvas, x, y, images, imageIndex, 200);
        return;
    }
    if (IsHovered(info) && !info.Checked) {
        if (info.Pushed && !info.IsPopupParent) {
            const TColor shadow = ShiftColor(ItemColors[3].Fill, 24);
            DrawImageShadow(&canvas, x + 1, y + 1, images, imageIndex, shadow);
            DrawImageContrasted(&canvas, x - 1, y - 1, images, imageIndex, dark);
            return;
        }
        DrawImageMonochrome(&canvas, x + 1, y + 1, images, imageIndex, 1);
    }
    DrawImageContrasted(&canvas, x, y, images, imageIndex, dark);
}

void TTBXAluminumTheme::PaintWindowButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                          int buttonKind)
{
    PaintButton(canvas, rect, info);
    const int index = WindowButtonGlyph(buttonKind);
    if (index < 0 || !ThemeGlyphs())
        return;
    TColor base = GetPartColor(info, PartFill);
    if (base == clNone)
        base = BaseColor;
    TRect lit = rect, shade = rect;
    lit.Offset(1, 1);
    shade.Offset(-1, -1);
    DrawImageSilhouetteCentered(&canvas, lit, ThemeGlyphs(), index, ShiftColor(base, 24));
    DrawImageSilhouetteCentered(&canvas, shade, ThemeGlyphs(), index, ShiftColor(base, -32));
    DrawImageSilhouetteCentered(&canvas, rect, ThemeGlyphs(), index, IsHovered(info) ? clBlack : 0x3F3F3F);
}

void TTBXAluminumTheme::PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    if (!((info.Enabled && IsHovered(info)) || (!info.Enabled && info.HoverKind == HOVER_DISABLED)))
        return;
    FillChamferRect(canvas, rect, All(1), GetItemPartColor(info, PartFill));
    FrameRoundRect(canvas, rect, All(1), GetItemPartColor(info, PartFrame));
}

void TTBXAluminumTheme::PaintMenuItem(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const bool imageColumn = info.ImageWidth > 0 || info.Checked;
    TRect r = rect;
    if (imageColumn)
        r.Left += info.PopupMargin + GetIntegerMetric(IM_MENU_IMAGE_TEXT_GAP);
    PaintMenuItemFrame(canvas, r, info);
    const TColor text = GetItemPartColor(info, PartText);
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    if (info.ItemOptions & IO_SPLIT) {
        TColor line = Grey9F;
        if (!info.Enabled)
            line = text;
        else if (info.HoverKind == HOVER_ENABLED)
            line = GetItemPartColor(info, PartFrame);
        const int x = rect.Right - check - 1;
        DrawLineColor(&canvas, x, rect.Top + 1, x, rect.Bottom - 1, line);
    }
    if (info.ItemOptions & IO_SUBMENU) {
        PaintSubmenuTriangle(canvas, rect.Right - 2 * check / 3, rect, text);
    }
    if (imageColumn && (IsHovered(info) || info.Checked)) {
        TTBXItemInfo box = info;
        box.ItemOptions |= IO_TOOLBAR_STYLE;
        PaintButton(canvas, Rect(rect.Left, rect.Top, rect.Left + info.PopupMargin, rect.Bottom), box);
    }
}

void TTBXAluminumTheme::PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info)
{
    TRect stretch;
    if (PaintFramedPopupBorder(canvas, windowRect, info, PopupFrameColor, PopupColor, stretch))
        DitherRect(&canvas, stretch, PopupColor, PopupFrameColor);
}

void TTBXAluminumTheme::PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                       bool horizontal, bool)
{
    if (!info.Enabled)
        return;
    if (horizontal) {
        const int y = (rect.Top + rect.Bottom) / 2;
        DrawLineColor(&canvas, rect.Left + 2, y, rect.Right - 2, y, SeparatorColor);
    } else {
        const int x = (rect.Left + rect.Right) / 2;
        DrawLineColor(&canvas, x, rect.Top + 2, x, rect.Bottom - 2, SeparatorColor);
    }
}

void TTBXAluminumTheme::PaintToolbarNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXFrameInfo &info)
{
    const TColor c = info.Color == clNone || info.Color == 0 ? BaseColor : info.Color;
    TRect r = windowRect;
    FillBrushedTexture(&canvas, r, 12, c);
    if (info.BorderStyle == 1)
        FrameBevel(canvas, r, All(2), ShiftColor(c, 32), ShiftColor(c, -96), DockTextureColor);
    r.Inflate(-2, -2);
    const int handle = GetDragHandleSize(info);
    if (handle <= 0)
        return;
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    if (info.DragHandleStyle != 1) {
        TRect grid = info.IsVertical ? Rect(r.Left, r.Top, r.Right, r.Top + handle - 2)
                                     : Rect(r.Left, r.Top, r.Left + handle - 2, r.Bottom);
        if (closeShown) {
            if (info.IsVertical)
                grid.Right -= handle;
            else
                grid.Top += handle;
        }
        PaintDotGrid(canvas, grid, c, 1);
    }
    if (closeShown) {
        TRect button;
        GetCloseButtonRect(info, button);
        button.Offset(windowRect.Left, windowRect.Top);
        const auto &colours = ItemColors[size_t(CloseButtonStateIndex(info.CloseButtonState))];
        FillChamferRect(canvas, button, All(1), colours.Fill);
        FrameRoundRect(canvas, button, All(1), colours.Frame);
        PaintEmbossedGlyph(canvas, button, colours.Fill == clNone ? c : colours.Fill,
                           (info.CloseButtonState & (CLOSE_PRESSED | CLOSE_HOT)) != 0);
    }
}

void TTBXAluminumTheme::PaintFloatingNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXFloatingInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const TColor window = canvas.Brush()->Color();
    const TColor g = BlendColorsNearest(Grey9F, clBlack, 220);
    TRect inner = windowRect;
    inner.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
    if (info.RedrawPart & REDRAW_FRAME) {
        TRect ring = windowRect;
        for (int i = 0; i < info.BorderSize.X - 1; ++i)
            FrameRectColor(&canvas, ring, g, true);
        FrameRectColor(&canvas, ring, window, true);
        const TColor corner = BlendColorsNearest(g, window, 127);
        canvas.SetPixel(inner.Left - 1, inner.Top - 1, corner);
        canvas.SetPixel(inner.Right, inner.Top - 1, corner);
        canvas.SetPixel(inner.Left - 1, inner.Bottom, corner);
        canvas.SetPixel(inner.Right, inner.Bottom, corner);
    }
    if (!info.ShowCaption)
        return;
    const int height = GetSystemMetrics(SM_CYSMCAPTION);
    const TRect strip = Rect(inner.Left, inner.Top, inner.Right, inner.Top + height);
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    if (info.RedrawPart & REDRAW_CAPTION) {
        FillSplitGradient(canvas, strip, BaseColor, true);
        FrameBevel(canvas, strip, Corners{2, 2, 0, 0}, ShiftColor(BaseColor, 32), ShiftColor(BaseColor, -16), g);
        DrawLineColor(&canvas, strip.Left, strip.Bottom, strip.Right, strip.Bottom, g);
        DrawLineColor(&canvas, strip.Left, strip.Bottom + 1, strip.Right, strip.Bottom + 1, window);
        TRect text = strip;
        text.Inflate(-2, 0);
        if (closeShown)
            text.Right -= height;
        SetSmallCaptionText(canvas, clBlack);
        canvas.DrawText(info.Caption, text, 0x108025);
    }
    if (closeShown && (info.RedrawPart & REDRAW_CLOSE)) {
        TRect button = Rect(strip.Right - height, strip.Top, strip.Right, strip.Bottom);
        FillSplitGradient(canvas, button, BaseColor, true);
        button.Inflate(-2, -2);
        const auto &colours = ItemColors[size_t(CloseButtonStateIndex(info.CloseButtonState))];
        FillChamferRect(canvas, button, All(2), colours.Fill);
        FrameRoundRect(canvas, button, All(2), colours.Frame);
        PaintEmbossedGlyph(canvas, button, colours.Fill == clNone ? BaseColor : colours.Fill,
                           (info.CloseButtonState & (CLOSE_PRESSED | CLOSE_HOT)) != 0);
    }
}

void TTBXAluminumTheme::PaintCaptionBar(TCanvas &canvas, const TRect &rect, const TTBXPanelInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    FrameRectColor(&canvas, r, DockTextureColor, true);
    const TColor border = info.BorderColor != clNone ? ColorToRGB(info.BorderColor) : PopupFrameColor;
    FrameRectColor(&canvas, r, border);
    for (TPoint p : {r.TopLeft(), TPoint{r.Right - 1, r.Top}, TPoint{r.Left, r.Bottom - 1}, TPoint{r.Right - 1, r.Bottom - 1}})
        canvas.SetPixel(p.X, p.Y, DockTextureColor);
    r.Inflate(-1, -1);
    const int strip = GetSystemMetrics(SM_CYSMCAPTION);
    const bool top = info.IsVertical;
    TRect caption = top ? Rect(r.Left, r.Top, r.Right, r.Top + strip) : Rect(r.Left, r.Top, r.Left + strip, r.Bottom);
    if (top)
        DrawLineColor(&canvas, r.Left, caption.Bottom, r.Right, caption.Bottom, border);
    else
        DrawLineColor(&canvas, caption.Right, r.Top, caption.Right, r.Bottom, border);
    FillSplitGradient(canvas, caption, BaseColor, top);
    FrameBevel(canvas, caption, top ? Corners{2, 2, 0, 0} : Corners{2, 0, 2, 0}, ShiftColor(BaseColor, 32),
               ShiftColor(BaseColor, -64), DockTextureColor);
    if (info.CloseButtonState & CLOSE_VISIBLE) {
        TRect button = top ? Rect(caption.Right - strip, caption.Top, caption.Right, caption.Bottom)
                           : Rect(caption.Left, caption.Bottom - strip, caption.Right, caption.Bottom);
        FillRectColor(&canvas, button, GreyC7);
        const auto &colours = ItemColors[size_t(CloseButtonStateIndex(info.CloseButtonState))];
        FillChamferRect(canvas, button, All(1), colours.Fill);
        FrameRoundRect(canvas, button, All(1), colours.Frame);
        PaintEmbossedGlyph(canvas, button, GreyC7, (info.CloseButtonState & (CLOSE_PRESSED | CLOSE_HOT)) != 0);
        if (top)
            caption.Right = button.Left;
        else
            caption.Bottom = button.Top;
    }
    SetSmallCaptionText(canvas, clBlack);
    if (top)
        canvas.DrawText(info.Caption, caption, 0x8825);
    else
        DrawVerticalText(canvas, info.Caption, caption, 0x8825);
}

void TTBXAluminumTheme::PaintSymbolButton(TCanvas &canvas, const TRect &rect, int state, int kind)
{
    const bool hot = (state & 1) != 0;
    TRect r = rect;
    r.Inflate(-1, -1);
    if (hot)
        FillRectColor(&canvas, r, ItemColors[4].Fill);
    else
        DitherGradientRect(&canvas, r, ShiftColor(BaseColor, 12), kind == 1 || kind == 2, ShiftColor(BaseColor, -8));
    for (TPoint p : {rect.TopLeft(), TPoint{rect.Right - 1, rect.Top}, TPoint{rect.Left, rect.Bottom - 1},
                     TPoint{rect.Right - 1, rect.Bottom - 1}})
        canvas.SetPixel(p.X, p.Y, ColorToRGB(clBtnFace));
    FrameRoundRect(canvas, rect, All(1), hot ? ItemColors[4].Frame : BlendColors(Grey9F, clWindow, 192));
    PaintSymbolTriangle(canvas, rect, kind, clBlack);
}

void TTBXAluminumTheme::PaintCheckControl(TCanvas &canvas, const TRect &rect, int state, int kind, int flags)
{
    if (kind != 1 && kind != 2) {
        TTBXDefaultTheme::PaintCheckControl(canvas, rect, state, kind, flags);
        return;
    }
    TCanvasStateGuard guard(canvas);
    const bool checked = state & 1, mixed = state & 2, disabled = state & 4, hot = state & 8, pushed = state & 16;
    // A disabled control keeps the grey outline whatever the mouse does to it.
    TColor pen = Grey9F, mark = ItemColors[0].Text;
    if (disabled) {
        mark = ItemColors[1].Text;
    } else if (pushed) {
        pen = ItemColors[3].Frame;
        mark = ItemColors[3].Text;
    } else if (mixed) {
        mark = Grey9F;
        if (hot)
            pen = ItemColors[4].Frame;
    } else if (hot) {
        pen = ItemColors[4].Frame;
        mark = ItemColors[4].Text;
    }
    canvas.Pen()->SetColor(pen);
    if (disabled)
        canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    else if (pushed)
        canvas.Brush()->SetColor(ItemColors[3].Fill);
    else if (hot)
        canvas.Brush()->SetColor(ItemColors[4].Fill);
    else if (mixed)
        canvas.Brush()->SetDither(clWindow, clBtnFace);
    else
        canvas.Brush()->SetColor(clWindow);
    TRect r = rect;
    r.Inflate(-1, -1);
    PaintCheckShape(canvas, r, kind == 2, checked, checked || mixed, mark);
}

void TTBXAluminumTheme::PaintStatusBar(TCanvas &canvas, const TRect &rect, int part)
{
    switch (part) {
    case STATUS_BODY: {
        const TRect top = Rect(rect.Left, rect.Top, rect.Right, std::min(rect.Bottom, rect.Top + 5));
        DitherGradientRect(&canvas, top, ShiftColor(StatusBarColor, -16), true, StatusBarColor);
        FillBrushedTexture(&canvas, Rect(rect.Left, top.Bottom, rect.Right, rect.Bottom), TextureAmount, StatusBarColor);
        break;
    }
    case STATUS_PANE:
    case STATUS_LAST_PANE: {
        const int x = rect.Right - 1 - (part == STATUS_PANE ? 3 : 0);
        DrawLineColor(&canvas, x, rect.Top + 4, x, rect.Bottom - 3, SeparatorColor);
        break;
    }
    case STATUS_GRIP: {
        const int side = std::min(rect.Width(), rect.Height());
        if (side < 9)
            break;
        const TColor light = ShiftColorNearest(StatusBarColor, 64);
        const int r = rect.Right, b = rect.Bottom;
        for (int i = 0; i < 3; ++i) {
            const int o = 4 + 4 * i;
            if (o + 1 > side)
                break;
            DrawLineColor(&canvas, r - o, b - 1, r, b - 1 - o, light);
            DrawLineColor(&canvas, r - o + 1, b - 1, r, b - o, clBlack);
        }
        break;
    }
    default:
        break;
    }
}

int TTBXAluminumTheme::GetIntegerMetric(int index)
{
    switch (index) {
    case 10: return 12;
    case 33: return 3;
    case 36: return 1;
    case 37: return 2;
    case 60: return 2;
    case 61: return 2;
    case 62: return 1;
    case 65: return 14;
    case 66: return 0;
    default: return TTBXDefaultTheme::GetIntegerMetric(index);
    }
}

bool TTBXAluminumTheme::GetBooleanMetric(int index)
{
    switch (index) {
    case 1: case 3: case 5: case 6: case 7: return true;
    case 4: return false;
    default: return TTBXDefaultTheme::GetBooleanMetric(index);
    }
}

void RegisterAluminumTheme()
{
    if (!IsThemeRegistered(QStringLiteral("Aluminum")))
        RegisterTheme(QStringLiteral("Aluminum"), ThemeClassOf<TTBXAluminumTheme>());
}
