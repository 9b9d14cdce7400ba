#include "NexosFamily.h"

#include "ThemeShapes.h"
#include "TBXThemeGradients.h"
#include "ThemeGlyphs.h"

#include "themed/TBXDefaultTheme.h"
#include "themed/TBXUtils.h"
#include "toolbar/TB2Common.h"

#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <algorithm>

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor GreyC0 = 0xC0C0C0;
constexpr TColor Grey80 = 0x808080;
// The weight the default theme tints idle images with.
constexpr int DefaultTintWeight = 178;

TColor Mix(TColor a, TColor b, int w) { return MixColorsPercent(a, b, w); }
TColor Contrast(TColor c, TColor background, int threshold)
{
    SetContrast(c, background, threshold);
    return c;
}



const std::array<std::uint8_t, 8> ClosePattern = {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0};


} // namespace

void PaintGlassGradient(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool vertical)
{
    if (rect.IsEmpty())
        return;
    c1 = ColorToRGB(c1);
    c2 = ColorToRGB(c2);
    // The far half turns half way back towards the first colour, so the face looks rounded.
    const TColor c3 = LerpColor(c2, c1, 1, 2);
    const int n = vertical ? rect.Height() : rect.Width();
    const int half = std::max(1, n / 2);
    for (int i = 0; i < n; ++i) {
        const TColor c = i < half ? LerpColor(c1, c2, i, std::max(1, half - 1)) : LerpColor(c2, c3, i - half, std::max(1, n - half - 1));
        const TRect band = vertical ? Rect(rect.Left, rect.Top + i, rect.Right, rect.Top + i + 1)
                                    : Rect(rect.Left + i, rect.Top, rect.Left + i + 1, rect.Bottom);
        FillRectColor(&canvas, band, n == 1 ? c1 : c);
    }
}

void PaintOverpaintGradient(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool vertical)
{
    if (rect.IsEmpty())
        return;
    c1 = ColorToRGB(c1);
    c2 = ColorToRGB(c2);
    const int n = vertical ? rect.Height() : rect.Width();
    if (n == 1) {
        FillRectColor(&canvas, rect, c1);
        return;
    }
    for (int i = 0; i < n; ++i) {
        TRect r = rect;
        if (vertical)
            r.Bottom -= i;
        else
            r.Right -= i;
        FillRectColor(&canvas, r, LerpColor(c1, c2, i, n - 1));
    }
}

TColor TNexosFamilyTheme::PartColors::Part(int part) const
{
    return part == PartFill ? Fill : part == PartText ? Text : Frame;
}

TNexosFamilyTheme::TNexosFamilyTheme(const QString &name, const TNexosOptions &options, std::array<int, 15> metrics)
    : TTBXTheme(name), options_(options), metrics_(metrics)
{
    AcquireThemeGlyphs();
}

TNexosFamilyTheme::~TNexosFamilyTheme() { ReleaseThemeGlyphs(); }

void TNexosFamilyTheme::Initialize() { UpdateThemeColors(); }

void TNexosFamilyTheme::Dispatch(TMessage &message)
{
    if (message.Msg == TBXM_THEMECHANGE && message.WParam == ThemeColorsChanged)
        UpdateThemeColors();
}

void TNexosFamilyTheme::UpdateThemeColors()
{
    Hot1 = Mix(options_.AccentColor, White, 80);
    Shades.fill(clNone);
    BuildColors();
    ReduceToScreenColors({&MenuBarColor, &ToolbarColor, &PopupColor, &DockPanelColor, &PopupFrameColor, &Hot1});
    for (TColor &c : Shades)
        ReduceToScreenColors({&c});
    for (auto &p : ItemColors)
        ReduceToScreenColors({&p.Fill, &p.Text, &p.Frame});
    for (auto &p : MenuColors)
        ReduceToScreenColors({&p.Fill, &p.Text, &p.Frame});
}

TColor TNexosFamilyTheme::MixedAccent() const { return Mix(options_.AccentColor, options_.PushedFaceColor, 90); }

void TNexosFamilyTheme::BuildStateColors(bool glass)
{
    const TColor a = options_.AccentColor;
    const TColor hot1c = Contrast(Mix(a, White, 80), ToolbarColor, 50);
    const TColor t0 = Contrast(clBlack, ToolbarColor, 180);
    Shades[1] = glass ? 0xA8A8A8 : 0xA0A0A0;
    Shades[2] = Mix(GreyC0, White, 80);
    Shades[3] = Mix(GreyC0, White, 50);
    Shades[4] = Shades[6] = Shades[8] = Mix(Grey80, White, 80);
    Shades[5] = Shades[11] = Shades[14] = GreyC0;
    Shades[13] = glass ? Grey80 : GreyC0;
    Shades[7] = Shades[12] = Contrast(glass ? clBlack : options_.HotTextColor, Grey80, 180);
    Shades[9] = a;
    Shades[10] = Contrast(GreyC0, GreyC0, 120);
    Shades[15] = Contrast(GreyC0, Grey80, 120);
    Shades[16] = Contrast(Mix(Grey80, White, 75), ToolbarColor, 85);
    Shades[17] = Mix(clBlack, hot1c, 25);
    PopupFrameColor = GreyC0;
    const PartColors disabled{White, Contrast(Mix(Grey80, White, 70), ToolbarColor, 80), Mix(GreyC0, White, 50)};
    const PartColors disabledHot{hot1c, Mix(clBtnShadow, clWindow, 90), clNone};
    if (!glass) {
        ItemColors = {{
            {clNone, t0, clNone},
            disabled,
            {Contrast(GreyC0, ToolbarColor, 5), t0, Mix(a, White, 90)},
            {Mix(a, White, 50), clBlack, a},
            {hot1c, options_.HotTextColor, Mix(a, White, 80)},
            disabledHot,
            {Contrast(Mix(a, White, 25), ToolbarColor, 30), clBlack, Mix(a, White, 75)},
            {Mix(a, White, 80), clBlack, a},
        }};
    } else {
        const TColor f6 = Contrast(Mix(a, White, 25), ToolbarColor, 30);
        ItemColors = {{
            {clNone, t0, clNone},
            disabled,
            {Contrast(GreyC0, ToolbarColor, 5), t0, Mix(GreyC0, White, 50)},
            {Mix(a, White, 80), clBlack, a},
            {hot1c, clBlack, Contrast(Mix(a, White, 80), ToolbarColor, 100)},
            disabledHot,
            {f6, Contrast(White, f6, 180), Contrast(Mix(a, White, 25), f6, 100)},
            {Mix(a, White, 80), clBlack, a},
        }};
    }
    MenuColors = {{
        {clNone, Contrast(clBlack, PopupColor, 180), clNone},
        {clNone, Contrast(Mix(Grey80, White, 70), PopupColor, 80), clNone},
        glass ? PartColors{a, clBlack, ItemColors[4].Frame} : PartColors{a, White, Mix(a, White, 80)},
        {PopupColor, Mix(Grey80, White, 50), clNone},
    }};
}

TColor TNexosFamilyTheme::GetPartColor(const TTBXItemInfo &info, int part) const
{
    TColor c = ItemColors[size_t(ItemStateIndex(info))].Part(part);
    if (IsOpaqueToolbar(info.ViewType)) {
        if (part == PartFill && c == clNone)
            c = ToolbarColor;
        else if (part == PartFrame)
            c = info.Checked ? ColorToRGB(clWindowFrame) : (c == clNone ? ColorToRGB(clBtnShadow) : c);
    }
    return c;
}

TColor TNexosFamilyTheme::GetItemPartColor(const TTBXItemInfo &info, int part) const
{
    if (HasBits(info.ViewType, VT_POPUPMENU) && !IsToolbarStyle(info))
        return MenuColors[size_t(MenuStateIndex(info))].Part(part);
    TColor c = ItemColors[size_t(ItemStateIndex(info))].Part(part);
    if (c == clNone && IsOpaqueToolbar(info.ViewType))
        c = part == PartFill ? ToolbarColor : part == PartFrame ? ColorToRGB(clBtnShadow) : c;
    return c;
}

void TNexosFamilyTheme::ChamferOutline(TCanvas &canvas, const TRect &rect, int cut, TColor color) const
{
    if (color == clNone || rect.IsEmpty())
        return;
    const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
    PolylineColor(&canvas, {{l + cut, t}, {r - cut, t}, {r, t + cut}, {r, b - cut}, {r - cut, b}, {l + cut, b},
                            {l, b - cut}, {l, t + cut}, {l + cut, t}}, color);
}

void TNexosFamilyTheme::PaintCloseGlyph(TCanvas &canvas, const TRect &r, TColor color) const
{
    const int x = (r.Left + r.Right - 8) / 2, y = (r.Top + r.Bottom - 7) / 2;
    PatternFillRect(&canvas, Rect(x, y, x + 8, y + 7), ClosePattern, color);
}

void TNexosFamilyTheme::PaintStripes(TCanvas &canvas, const TRect &area, const TRect &view, TColor color, int period,
                                     TColor dark, TColor light) const
{
    FillRectColor(&canvas, area, color);
    const int offset = area.Top - view.Top;
    int y = view.Top + (offset >= 0 ? offset / period : -((-offset + period - 1) / period)) * period;
    for (; y < view.Bottom && y < area.Bottom; y += period) {
        if (y >= area.Top)
            DrawLineColor(&canvas, area.Left, y, area.Right, y, dark);
        if (light != clNone && y + 2 >= area.Top && y + 2 < area.Bottom)
            DrawLineColor(&canvas, area.Left, y + 2, area.Right, y + 2, light);
    }
}

int TNexosFamilyTheme::ButtonCut(const TTBXItemInfo &info) const { return IsToolbarStyle(info) ? 2 : 1; }

bool TNexosFamilyTheme::AccentMenuBarItem(const TTBXItemInfo &info) const
{
    return HasBits(info.ViewType, VT_MENUBAR) && (IsHovered(info) || (info.Enabled && (info.Pushed || info.Checked)));
}

void TNexosFamilyTheme::PaintStripedBackground(TCanvas &canvas, const TRect &rect, const TRect &clipRect,
                                               TColor color, bool transparent, int viewType, int period,
                                               TColor dark, TColor light) const
{
    if (transparent)
        return;
    TRect area;
    if (!IntersectRect(area, rect, clipRect))
        return;
    if (HasBits(viewType, VT_DOCKPANEL | 0x0001) || IsOpaqueToolbar(viewType)) {
        FillRectColor(&canvas, area, color);
        return;
    }
    PaintStripes(canvas, area, rect, color, period, dark, light);
}

void TNexosFamilyTheme::PaintButtonFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                         TColor restFrame,
                                         const std::function<void(const TRect &r, int cut, int rightCut)> &face)
{
    TRect r = rect;
    const int cut = ButtonCut(info);
    int rightCut = cut;
    if (info.ComboPart == COMBO_DROPDOWN)
        --r.Left;
    else if (info.ComboPart == COMBO_BUTTON)
        rightCut = 1;
    if (IsOpaqueToolbar(info.ViewType) && !IsHovered(info)) {
        if (info.Enabled)
            FillRectColor(&canvas, r, GetViewColor(info.ViewType));
        FrameChamferRect(&canvas, r, cut, rightCut, restFrame, clNone, clNone);
    } else if (AccentMenuBarItem(info)) {
        PaintBackground(canvas, r, r, r, MenuColors[2].Fill, false, VT_POPUPMENU);
    } else {
        face(r, cut, rightCut);
    }
    if (info.ComboPart == COMBO_DROPDOWN)
        PaintDropDownArrow(canvas, r, info);
}

void TNexosFamilyTheme::PaintGlassButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                         bool plainChecked)
{
    const TColor restFrame = Mix(clHighlight, clWindow, info.Enabled ? 20 : 15);
    PaintButtonFrame(canvas, rect, info, restFrame, [&](const TRect &r, int cut, int rightCut) {
        TRect inner = r;
        inner.Inflate(-1, -1);
        TColor outline = clNone;
        if (info.Pushed && info.Enabled) {
            PaintOverpaintGradient(canvas, inner, White, options_.PushedFaceColor, true);
            outline = ItemColors[2].Frame;
        } else if (info.Checked && info.Enabled && IsHovered(info)) {
            PaintGlassGradient(canvas, inner, MixedAccent(), White, true);
            outline = options_.AccentColor;
        } else if (info.Checked && info.Enabled) {
            if (plainChecked) {
                PaintGlassGradient(canvas, inner, ToolbarColor, White, true);
                outline = GreyC0;
            } else {
                FillRectColor(&canvas, inner, White);
                outline = 0xA0A0A0;
            }
        } else if (IsHovered(info) || (info.ItemOptions & IO_DESIGNING)) {
            PaintGlassGradient(canvas, inner, GetPartColor(info, PartFill), White, true);
            outline = GetPartColor(info, PartFrame);
        }
        if (outline != clNone)
            FrameChamferRect(&canvas, r, cut, rightCut, outline, clNone, clNone);
    });
}

TPoint TNexosFamilyTheme::GetImageOffset(TCanvas &, const TTBXItemInfo &info, const TCustomImageList *images)
{
    // A list of the framework's own kind draws its images where they are, without the lift.
    if (IsFrameworkImageList(images))
        return {0, 0};
    if (info.Enabled && IsHovered(info) && !info.Checked && (!info.Pushed || info.IsPopupParent))
        return {-1, -1};
    return {0, 0};
}

TColor TNexosFamilyTheme::GetItemColor(const TTBXItemInfo &info)
{
    return StateOrViewColor(*this, GetItemPartColor(info, PartFill), info.ViewType);
}

TColor TNexosFamilyTheme::GetItemTextColor(const TTBXItemInfo &info) { return GetItemPartColor(info, PartText); }

TColor TNexosFamilyTheme::GetItemImageBackground(const TTBXItemInfo &info)
{
    return StateOrViewColor(*this, GetPartColor(info, PartFill), info.ViewType);
}

void TNexosFamilyTheme::GetMargins(int marginId, TTBXMargins &margins)
{
    switch (marginId) {
    case MARGIN_TOOLBAR_ITEM: margins = {2, 2, 2, 2}; break;
    case MARGIN_MENU_ITEM: margins = {1, 1, 3, 3}; break;
    case MARGIN_STATUS_PANE: margins = {3, 3, 1, 1}; break;
    default: margins = {}; break;
    }
}

int TNexosFamilyTheme::GetPopupShadowType() { return 3; }

void TNexosFamilyTheme::GetViewBorder(int viewType, TPoint &border)
{
    border = FramedViewBorder(viewType, {2, 2});
}

TColor TNexosFamilyTheme::GetViewColor(int viewType)
{
    return ViewKindColor(viewType, MenuBarColor, ToolbarColor, PopupColor, DockPanelColor, ColorToRGB(clBtnFace));
}

void TNexosFamilyTheme::GetViewMargins(int, TTBXMargins &margins) { margins = {}; }

void TNexosFamilyTheme::PaintCaption(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                     const QString &caption, unsigned format, bool rotated)
{
    TCanvasStateGuard guard(canvas);
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.SetBkMode(TRANSPARENT);
    // A menu-bar title under the mouse or open stands on the accent and reads white. The program's
    // titles are wide-string items that write their captions themselves in the item text colour,
    // so they stay black (see TSpTBXItemViewer::DrawCaptionItself).
    if (HasBits(info.ViewType, VT_MENUBAR) && IsHovered(info))
        canvas.Font()->SetColor(White);
    else if (info.ComboPart == COMBO_BUTTON && info.IsPopupParent)
        canvas.Font()->SetColor(clBlack);
    else if (canvas.Font()->Color() == clNone)
        canvas.Font()->SetColor(GetItemPartColor(info, PartText));
    TRect r = rect;
    if (rotated)
        DrawVerticalText(canvas, caption, r, format);
    else
        canvas.DrawText(caption, r, format);
}

void TNexosFamilyTheme::PaintCheckMark(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const int cx = (rect.Left + rect.Right) / 2 - 2, cy = (rect.Top + rect.Bottom) / 2;
    const TColor c = info.Enabled ? clBlack : MenuColors[1].Text;
    PaintMenuTick(canvas, cx, cy, c);
}

void TNexosFamilyTheme::PaintChevron(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintButton(canvas, rect, info);
    const TColor c = GetItemPartColor(info, PartText);
    // The pattern sits at a fixed place in the item, wherever the item is.
    if (!info.IsVertical)
        PatternFillRect(&canvas, Rect(rect.Left + 2, rect.Top + 4, rect.Left + 10, rect.Top + 9),
                        {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0}, c);
    else
        PatternFillRect(&canvas, Rect(rect.Right - 9, rect.Top + 2, rect.Right - 4, rect.Top + 10),
                        {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20}, c);
}

void TNexosFamilyTheme::PaintFrameControl(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const bool active = info.Enabled || info.HoverKind == HOVER_DISABLED;
    const bool inState = info.Pushed || info.Checked || IsHovered(info) || (info.ItemOptions & IO_DESIGNING);
    if (active && inState) {
        const TColor frame = info.Pushed ? ItemColors[2].Frame : GetItemPartColor(info, PartFrame);
        FrameChamferRect(&canvas, rect, 1, 1, frame, clNone, 0xD8D8D8);
    } else if (!active) {
        TRect r = rect;
        FrameRectColor(&canvas, r, ToolbarColor, true);
    }
}

void TNexosFamilyTheme::PaintEditFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                       const TTBXEditFrameInfo &editInfo)
{
    PaintFrameControl(canvas, rect, info);
    TRect r = rect;
    const int inset = GetIntegerMetric(IM_EDIT_FRAME_INSET);
    r.Inflate(-inset, -inset);
    TRect field = r;
    if (editInfo.RightBtnWidth > 0)
        field.Right += 2 - editInfo.RightBtnWidth;
    TColor frame = ItemColors[1].Frame;
    if (IsHovered(info))
        frame = White;
    else if (info.Enabled)
        frame = Shades[2];
    FrameRectColor(&canvas, field, frame);
    if (info.Enabled) {
        TRect inner = field;
        inner.Inflate(-1, -1);
        FillRectColor(&canvas, inner, White);
    }
    if (editInfo.RightBtnWidth > 0)
        PaintEditButton(canvas, Rect(r.Right - editInfo.RightBtnWidth, r.Top, r.Right, r.Bottom), info,
                        editInfo.RightBtnInfo);
}

void TNexosFamilyTheme::PaintEditButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                        const TTBXEditBtnInfo &buttonInfo)
{
    const int state = buttonInfo.ButtonState;
    const bool disabled = (state & 1) != 0;
    auto face = [&](const TRect &part, bool pushed) {
        if (disabled)
            return;
        if (pushed) {
            GradientFillCanvas(&canvas, part, White, options_.PushedFaceColor, true);
            FrameChamferRect(&canvas, part, 1, 1, ItemColors[3].Frame, clNone, 0xD8D8D8);
        } else if (state & 2) {
            PaintFace(canvas, part, Hot1, false);
            FrameChamferRect(&canvas, part, 1, 1, ItemColors[4].Frame, clNone, 0xD0D0D0);
        } else {
            DrawLineColor(&canvas, part.Left, part.Top, part.Left, part.Bottom, Shades[2]);
        }
    };
    const TColor text = GetItemPartColor(info, PartText);
    if (buttonInfo.ButtonType == EDIT_BUTTON_SPIN) {
        const int middle = (rect.Top + rect.Bottom) / 2;
        const TRect up = Rect(rect.Left, rect.Top, rect.Right, middle), down = Rect(rect.Left, middle, rect.Right, rect.Bottom);
        face(up, (state & 4) != 0);
        face(down, (state & 8) != 0);
        PaintSpinTriangles(canvas, up, down, text);
        return;
    }
    face(rect, (state & 4) != 0);
    PaintDropDownArrow(canvas, rect, info);
}

void TNexosFamilyTheme::PaintDock(TCanvas &canvas, const TRect &, const TRect &rect, int)
{
    TRect r = rect;
    r.Inflate(1, 1);
    FillRectColor(&canvas, r, 0xF0F0F0);
}

void TNexosFamilyTheme::PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintArrowTriangle(canvas, rect, info.IsVertical, GetItemPartColor(info, PartText));
}

void TNexosFamilyTheme::PaintCaptionBar(TCanvas &canvas, const TRect &rect, const TTBXPanelInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    FrameRectColor(&canvas, r, Shades[1], true);
    const int strip = GetSystemMetrics(SM_CYSMCAPTION);
    const bool top = info.IsVertical;
    TRect caption = top ? Rect(r.Left, r.Top, r.Right, r.Top + strip) : Rect(r.Left, r.Top, r.Left + strip, r.Bottom);
    if (options_.FacedCaptions)
        PaintFace(canvas, caption, options_.AccentColor, false);
    else
        PaintBackground(canvas, caption, caption, caption, ToolbarColor, false, VT_DOCKPANEL);
    if (info.CloseButtonState & CLOSE_VISIBLE) {
        TRect button = top ? Rect(caption.Right - strip, caption.Top, caption.Right, caption.Bottom)
                           : Rect(caption.Left, caption.Bottom - strip, caption.Right, caption.Bottom);
        button.Inflate(-1, -1);
        const auto &colours = ItemColors[size_t(CloseButtonStateIndex(info.CloseButtonState))];
        if (colours.Frame != clNone)
            FrameChamferRect(&canvas, button, 1, 1, colours.Frame, clNone, 0xD0D0D0);
        PaintCloseGlyph(canvas, button, clBlack);
        if (top)
            caption.Right = button.Left;
        else
            caption.Bottom = button.Top;
    }
    SetSmallCaptionText(canvas, options_.HotTextColor);
    caption.Inflate(-2, 0);
    if (top)
        canvas.DrawText(info.Caption, caption, 0x8824);
    else
        DrawVerticalText(canvas, info.Caption, caption, 0x8824);
}

void TNexosFamilyTheme::PaintFloatingNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXFloatingInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const TColor view = canvas.Brush()->Color();
    TRect inner = windowRect;
    inner.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
    if (info.RedrawPart & REDRAW_FRAME) {
        TRect ring = windowRect;
        FrameRectColor(&canvas, ring, Shades[1], true);
        TCanvasStateGuard band(canvas);
        canvas.ExcludeClipRect(inner);
        FillRectColor(&canvas, ring, view);
    }
    if (!info.ShowCaption)
        return;
    const int height = GetSystemMetrics(SM_CYSMCAPTION) - 1;
    const TRect strip = Rect(inner.Left, inner.Top, inner.Right, inner.Top + height);
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    if (info.RedrawPart & REDRAW_CAPTION) {
        if (options_.FacedCaptions) {
            PaintFace(canvas, strip, options_.AccentColor, false);
            DrawLineColor(&canvas, strip.Left, strip.Bottom, strip.Right, strip.Bottom, 0xFFD090);
        } else {
            PaintBackground(canvas, strip, strip, strip, view, false, info.ViewType);
            DrawLineColor(&canvas, strip.Left, strip.Bottom, strip.Right, strip.Bottom, view);
        }
        TRect text = strip;
        text.Inflate(-2, 0);
        if (closeShown)
            text.Right -= height;
        SetSmallCaptionText(canvas, clBlack);
        canvas.DrawText(info.Caption, text, 0x108024);
    }
    if (closeShown && (info.RedrawPart & REDRAW_CLOSE)) {
        TRect button = Rect(strip.Right - height, strip.Top, strip.Right, strip.Bottom);
        if (info.CloseButtonState & CLOSE_PRESSED) {
            GradientFillCanvas(&canvas, button, 0xF0F0F0, 0xD0D0D0, true);
            ChamferOutline(canvas, button, 1, GreyC0);
        } else if (info.CloseButtonState & CLOSE_HOT) {
            TRect frame = button;
            FrameRectColor(&canvas, frame, ItemColors[4].Frame, true);
        }
        PaintCloseGlyph(canvas, button, info.Active ? Grey80 : 0xE8E8E8);
    }
}

void TNexosFamilyTheme::PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                   const TCustomImageList *images, int imageIndex)
{
    if (!images || DrawFrameworkImage(canvas, rect.Left, rect.Top, info, images, imageIndex))
        return;
    const int x = rect.Left, y = rect.Top;
    const bool dark = ColorLuminance(GetItemImageBackground(info)) < 80;
    if (!info.Enabled) {
        PaintDisabledImage(canvas, x, y, images, imageIndex, dark, clBtnShadow);
        return;
    }
    if (!info.Checked && !info.Pushed && !IsHovered(info)) {
        if (dark || WhiteButtonFace || LowColorDepth)
            DrawImageContrasted(&canvas, x, y, images, imageIndex, dark);
        else
            DrawImageTinted(&canvas, x, y, images, imageIndex, clWindow, DefaultTintWeight);
        return;
    }
    if (IsHovered(info) && !info.Checked && !info.Pushed) {
        DrawImageMonochrome(&canvas, x + 1, y + 1, images, imageIndex, 1);
        DrawImageMonochrome(&canvas, x + 2, y + 2, images, imageIndex, 1);
    }
    DrawImageContrasted(&canvas, x, y, images, imageIndex, dark);
}

void TNexosFamilyTheme::PaintWindowButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info, int buttonKind)
{
    PaintButton(canvas, rect, info);
    const int index = WindowButtonGlyph(buttonKind);
    if (index >= 0 && ThemeGlyphs())
        DrawImageSilhouetteCentered(&canvas, rect, ThemeGlyphs(), index, GetItemPartColor(info, PartText));
}

void TNexosFamilyTheme::PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    // A disabled item reached with the arrow keys keeps the same highlight, so the selection
    // stays in sight while it passes over the item.
    if ((info.Enabled && IsHovered(info)) || (!info.Enabled && info.HoverKind == HOVER_DISABLED))
        PaintBackground(canvas, rect, rect, rect, MenuColors[2].Fill, false, VT_POPUPMENU);
}

void TNexosFamilyTheme::PaintMenuItem(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    const bool imageColumn = info.ImageWidth > 0 || info.Checked;
    TRect r = rect;
    if (imageColumn)
        r.Left += info.PopupMargin + GetIntegerMetric(IM_MENU_IMAGE_TEXT_GAP);
    PaintMenuItemFrame(canvas, r, info);
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    if (info.ItemOptions & IO_SPLIT) {
        const int x = rect.Right - check - 1;
        DrawLineColor(&canvas, x, rect.Top + 1, x, rect.Bottom - 1, info.HoverKind == HOVER_ENABLED ? White : clBlack);
    }
    if (info.ItemOptions & IO_SUBMENU) {
        PaintSubmenuTriangle(canvas, rect.Right - 2 * check / 3 - 1, rect, GetItemPartColor(info, PartText));
    }
    if (info.Checked && info.Enabled) {
        TRect box = Rect(rect.Left + 1, rect.Top, rect.Left + 1 + info.PopupMargin, rect.Bottom);
        box.Inflate(-1, -1);
        TRect face = box;
        face.Inflate(-1, -1);
        PaintFace(canvas, face, IsHovered(info) ? Hot1 : GetPartColor(info, PartFill), false);
        FrameChamferRect(&canvas, box, 1, 1, ItemColors[IsHovered(info) ? 6 : 2].Frame, clNone,
                         IsHovered(info) ? 0xD8D8D8 : 0xD0D0D0);
    }
}

void TNexosFamilyTheme::PaintSymbolButton(TCanvas &canvas, const TRect &rect, int state, int kind)
{
    const bool hot = (state & 1) != 0;
    TRect r = rect;
    r.Inflate(-1, -1);
    if (hot)
        PaintFace(canvas, r, Hot1, false);
    FrameChamferRect(&canvas, rect, 1, 1, hot ? ItemColors[4].Frame : Shades[1], clNone, 0xD0D0D0);
    PaintSymbolTriangle(canvas, rect, kind, clBlack);
}

void TNexosFamilyTheme::PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info)
{
    TRect stretch;
    if (PaintFramedPopupBorder(canvas, windowRect, info, PopupFrameColor, PopupColor, stretch))
        FillRectColor(&canvas, stretch, ToolbarColor);
}

void TNexosFamilyTheme::PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info, bool horizontal,
                                       bool)
{
    if (!info.Enabled)
        return;
    if (horizontal) {
        const int y = (rect.Top + rect.Bottom) / 2;
        for (int x = rect.Left; x < rect.Right; x += 3)
            canvas.SetPixel(x, y, clBlack);
    } else {
        const int x = (rect.Left + rect.Right) / 2;
        for (int y = rect.Top; y < rect.Bottom; y += 3)
            canvas.SetPixel(x, y, clBlack);
    }
}

void TNexosFamilyTheme::PaintToolbarNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXFrameInfo &info)
{
    TCanvasStateGuard guard(canvas);
    const bool menuBar = HasBits(info.ViewType, VT_MENUBAR);
    TRect r = windowRect;
    TRect stripes = r;
    if (!info.IsVertical)
        stripes.Top -= 2;
    PaintBackground(canvas, stripes, stripes, r, menuBar ? MenuBarColor : ToolbarColor, false, info.ViewType & ~VT_OPAQUE);
    if (info.BorderStyle == 1) {
        if (menuBar)
            DrawLineColor(&canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1, Grey80);
        else
            DrawLineColor(&canvas, r.Left + 1, r.Bottom - 1, r.Right, r.Bottom - 1, Shades[1]);
        DrawLineColor(&canvas, r.Right - 1, r.Top + (menuBar ? 1 : 3), r.Right - 1, r.Bottom - 1, Shades[1]);
    }
    r.Offset(0, 1);
    r.Inflate(-2, -2);
    const int handle = GetDragHandleSize(info);
    if (handle <= 0)
        return;
    const bool closeShown = (info.CloseButtonState & CLOSE_VISIBLE) != 0;
    if (info.DragHandleStyle != 1) {
        const TColor c64 = BlendColors(GreyC0, Grey80, 64), c48 = BlendColors(GreyC0, Grey80, 48),
                     c32 = BlendColors(GreyC0, Grey80, 32), body = BlendColors(GreyC0, White, 128),
                     last = BlendColors(GreyC0, White, 72);
        auto dot = [&](int x, int y) {
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    canvas.SetPixel(x + dx, y + dy, body);
            canvas.SetPixel(x, y, c64);
            canvas.SetPixel(x + 1, y, c48);
            canvas.SetPixel(x, y + 1, c32);
            canvas.SetPixel(x + 2, y + 2, last);
        };
        const int rows = info.DragHandleStyle == 0 ? 2 : 1;
        const int start = 4 + (closeShown ? handle : 0);
        for (int row = 0; row < rows; ++row) {
            if (info.IsVertical) {
                const int y = r.Top + 1 + row * 4;
                for (int x = r.Left + start; x + 3 <= r.Right - 2; x += 4)
                    dot(x, y);
            } else {
                const int x = r.Left + 1 + row * 4;
                for (int y = r.Top + start; y + 3 <= r.Bottom - 2; y += 4)
                    dot(x, y);
            }
        }
    }
    if (closeShown) {
        TRect button;
        GetCloseButtonRect(info, button);
        button.Offset(windowRect.Left + 1, windowRect.Top + 1);
        if (info.CloseButtonState & CLOSE_PRESSED) {
            GradientFillCanvas(&canvas, button, White, GreyC0, true);
            TRect frame = button;
            FrameRectColor(&canvas, frame, 0xD0D0D0, true);
        } else if (info.CloseButtonState & CLOSE_HOT) {
            PaintFace(canvas, button, Hot1, false);
            FrameChamferRect(&canvas, button, 1, 1, Grey80, clNone, GreyC0);
        } else {
            TRect frame = button;
            FrameRectColor(&canvas, frame, ItemColors[0].Frame, true);
        }
        PaintCloseGlyph(canvas, button, clBlack);
    }
}

void TNexosFamilyTheme::PaintCheckControl(TCanvas &canvas, const TRect &rect, int state, int kind, int)
{
    TCanvasStateGuard guard(canvas);
    const bool checked = state & 1, mixed = state & 2, disabled = state & 4, hot = state & 8, pushed = state & 16;
    TRect r = rect;
    r.Inflate(-1, -1);
    const TColor frame = disabled ? ItemColors[1].Frame : hot ? ItemColors[4].Frame : Grey80;
    const TColor mark = disabled ? ItemColors[1].Text : clBlack;
    if (kind == 2) {
        PaintRadioButton(canvas, r, hot, pushed, checked || mixed, frame);
        if (checked) {
            r.Inflate(-3, -3);
            canvas.Pen()->SetColor(mark);
            canvas.Brush()->SetColor(mark);
            canvas.Ellipse(r);
        }
        return;
    }
    if (pushed)
        GradientFillCanvas(&canvas, r, White, options_.PushedFaceColor, true);
    else if (hot || checked || mixed)
        PaintFace(canvas, r, Hot1, false);
    else
        PaintFace(canvas, r, clNone, false);
    ChamferOutline(canvas, r, 1, frame);
    // A mixed box shows its face alone: the tick would say it is checked.
    if (checked)
        PaintBoxTick(canvas, r, mark);
}

void TNexosFamilyTheme::PaintRadioButton(TCanvas &canvas, const TRect &r, bool hot, bool pushed, bool active,
                                         TColor frame)
{
    if (r.IsEmpty())
        return;
    // An octagon as round as a few pixels allow: its corners cut by a third of the side.
    const int cut = std::min(r.Width(), r.Height()) / 3;
    const int l = r.Left, t = r.Top, right = r.Right - 1, b = r.Bottom - 1;
    QRegion inside;
    for (int y = t; y <= b; ++y) {
        const int inset = std::max({0, cut - (y - t), cut - (b - y)});
        const TRect row = canvas.LPtoDP(Rect(l + inset, y, right - inset + 1, y + 1));
        inside += QRect(row.Left, row.Top, row.Width(), row.Height());
    }
    {
        TCanvasStateGuard face(canvas);
        canvas.SetClipRegion(canvas.ClipRegion().intersected(inside));
        if (pushed)
            GradientFillCanvas(&canvas, r, White, options_.PushedFaceColor, true);
        else if (hot)
            GradientFillCanvas(&canvas, r, White, options_.AccentColor, true);
        else
            PaintFace(canvas, r, active ? Hot1 : clNone, false);
    }
    PolylineColor(&canvas, {{l + cut, t}, {right - cut, t}, {right, t + cut}, {right, b - cut}, {right - cut, b},
                            {l + cut, b}, {l, b - cut}, {l, t + cut}, {l + cut, t}}, frame);
}

void TNexosFamilyTheme::PaintStatusBar(TCanvas &canvas, const TRect &rect, int part)
{
    switch (part) {
    case STATUS_BODY:
        PaintBackground(canvas, rect, rect, rect, ToolbarColor, false, VT_STANDALONE);
        break;
    case STATUS_PANE:
    case STATUS_LAST_PANE: {
        const int x = rect.Right - 1 - (part == STATUS_PANE ? 3 : 0);
        for (int y = rect.Top + 2; y < rect.Bottom - 2; y += 3)
            canvas.SetPixel(x, y, clBlack);
        break;
    }
    case STATUS_GRIP: {
        const int side = std::min(rect.Width(), rect.Height());
        const int spacing = side < 9 ? 2 : side <= 12 ? 3 : 4;
        const TColor dark = BlendColors(Grey80, ToolbarColor, 160), light = BlendColors(White, ToolbarColor, 160);
        const int r = rect.Right, b = rect.Bottom;
        for (int o = spacing; o < side; o += spacing) {
            DrawLineColor(&canvas, r - o, b - 1, r, b - 1 - o, dark);
            if (o + 1 < side)
                DrawLineColor(&canvas, r - o - 1, b - 1, r, b - 2 - o, light);
        }
        break;
    }
    default:
        break;
    }
}

int TNexosFamilyTheme::GetIntegerMetric(int index)
{
    static constexpr int indexes[15] = {10, 20, 21, 32, 33, 34, 35, 36, 37, 50, 60, 61, 62, 65, 66};
    for (size_t i = 0; i < 15; ++i)
        if (indexes[i] == index)
            return metrics_[i];
    return -1;
}

bool TNexosFamilyTheme::GetBooleanMetric(int index) { return index == 5 || index == 6 || index == 7; }
