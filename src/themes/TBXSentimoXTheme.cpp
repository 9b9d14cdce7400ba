#include "TBXSentimoXTheme.h"

#include "ThemeShapes.h"

#include "themed/TBXUtils.h"

#include "platform/SysColors.h"

namespace {

TNexosOptions SentimoXOptions()
{
    TNexosOptions o;
    o.FacedCaptions = false;
    o.Colored = false;
    o.AccentColor = 0xF6DAC9;
    o.PushedFaceColor = 0xC0C0C0;
    return o;
}


} // namespace

TTBXSentimoXTheme::TTBXSentimoXTheme(const QString &name)
    : TNexosFamilyTheme(name, SentimoXOptions(), {12, 8, 3, 0, 8, 3, 4, 2, 2, 6, 1, 2, 2, 14, 1})
{
}

void TTBXSentimoXTheme::BuildColors()
{
    MenuBarColor = ToolbarColor = PopupColor = DockPanelColor = 0xF0F0F0;
    SeparatorLightColor = 0xFFFFFF;
    SeparatorDarkColor = 0xC0C0C0;
    BuildStateColors(true);
}

void TTBXSentimoXTheme::PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool)
{
    PaintGlassGradient(canvas, rect, from == clNone ? ToolbarColor : from, 0xFFFFFF, true);
}

void TTBXSentimoXTheme::PaintBackground(TCanvas &canvas, const TRect &, const TRect &rect, const TRect &clipRect,
                                        TColor color, bool transparent, int)
{
    if (transparent)
        return;
    TRect area;
    if (IntersectRect(area, rect, clipRect))
        FillRectColor(&canvas, area, color);
}

void TTBXSentimoXTheme::PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    if (!HasBits(info.ViewType, VT_MENUBAR)) {
        PaintGlassButton(canvas, rect, info, true);
        return;
    }
    // Menu-bar items: a glass face under the mouse, a sunken grey face while open.
    TRect r = rect;
    if (info.Pushed && info.Enabled) {
        FillRectColor(&canvas, r, 0xE0E0E0);
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, true);
    } else if (info.HoverKind != HOVER_NONE) {
        TRect inner = r;
        inner.Inflate(-1, -1);
        PaintGlassGradient(canvas, inner, GetPartColor(info, PartFill), 0xFFFFFF, true);
        FrameRectColor(&canvas, r, GetPartColor(info, PartFrame));
    }
}

void TTBXSentimoXTheme::PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info)
{
    TCanvasStateGuard guard(canvas);
    TRect inner = windowRect;
    inner.Inflate(-info.BorderSize.X, -info.BorderSize.Y);
    {
        TCanvasStateGuard band(canvas);
        canvas.ExcludeClipRect(inner);
        FillRectColor(&canvas, windowRect, PopupColor);
    }
    const int l = windowRect.Left, t = windowRect.Top, r = windowRect.Right - 1, b = windowRect.Bottom - 1;
    DrawLineColor(&canvas, l, t, r, t, 0xFFFFFF);
    DrawLineColor(&canvas, l, t, l, b, 0xFFFFFF);
    DrawLineColor(&canvas, l, b, r + 1, b, 0xD0D0D0);
    DrawLineColor(&canvas, r, t, r, b, 0xD0D0D0);
}

void TTBXSentimoXTheme::PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info, bool horizontal,
                                       bool)
{
    if (!info.Enabled)
        return;
    if (horizontal) {
        const int y = (rect.Top + rect.Bottom) / 2;
        DrawLineColor(&canvas, rect.Left + 2, y, rect.Right - 2, y, SeparatorDarkColor);
        DrawLineColor(&canvas, rect.Left + 2, y + 1, rect.Right - 2, y + 1, SeparatorLightColor);
    } else {
        const int x = (rect.Left + rect.Right) / 2 - 1;
        DrawLineColor(&canvas, x, rect.Top + 2, x, rect.Bottom - 2, SeparatorDarkColor);
        DrawLineColor(&canvas, x + 1, rect.Top + 2, x + 1, rect.Bottom - 2, SeparatorLightColor);
    }
}

void TTBXSentimoXTheme::PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    if (info.HoverKind == HOVER_NONE)
        return;
    TRect inner = rect;
    inner.Inflate(-1, -1);
    PaintGlassGradient(canvas, inner, Options().AccentColor, 0xFFFFFF, true);
    ChamferOutline(canvas, rect, 1, MenuColors[2].Frame);
}

void RegisterSentimoXTheme()
{
    if (!IsThemeRegistered(QStringLiteral("SentimoX")))
        RegisterTheme(QStringLiteral("SentimoX"), ThemeClassOf<TTBXSentimoXTheme>());
}
