#include "TBXNexos3Theme.h"

#include "ThemeShapes.h"
#include "TBXThemeGradients.h"

#include "themed/TBXUtils.h"

#include "platform/SysColors.h"

namespace {

TNexosOptions Nexos3Options()
{
    TNexosOptions o;
    o.FacedCaptions = true;
    o.Colored = true;
    o.HotTextColor = 0;
    o.AccentColor = 0xE0A030;
    o.PushedFaceColor = 0xC0C0C0;
    return o;
}


} // namespace

TTBXNexos3Theme::TTBXNexos3Theme(const QString &name)
    : TNexosFamilyTheme(name, Nexos3Options(), {12, 8, 3, 3, 3, 3, 3, 2, 2, 5, 1, 2, 2, 14, 1})
{
}

void TTBXNexos3Theme::BuildColors()
{
    MenuBarColor = ToolbarColor = PopupColor = DockPanelColor = 0xF7F7F7;
    BuildStateColors(false);
}

void TTBXNexos3Theme::PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool pushed)
{
    PaintBevelFace(&canvas, rect, from != clNone && Options().Colored, pushed, true);
}

void TTBXNexos3Theme::PaintBackground(TCanvas &canvas, const TRect &, const TRect &rect, const TRect &clipRect,
                                      TColor color, bool transparent, int viewType)
{
    // Darker surfaces get a stronger light stripe, so the stripes stay visible.
    const int lum = ColorLuminance(color);
    const int k = lum < 200 ? (200 - lum) / 20 : 0;
    PaintStripedBackground(canvas, rect, clipRect, color, transparent, viewType, 4, ShiftColorNearest(color, -8),
                           ShiftColorNearest(color, k + 11));
}

void TTBXNexos3Theme::PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintButtonFrame(canvas, rect, info, GetPartColor(info, PartFrame), [&](const TRect &r, int cut, int rightCut) {
        const bool hovered = IsHovered(info);
        if (info.Pushed && info.Enabled) {
            GradientFillCanvas(&canvas, r, 0xE0E0E0, Options().PushedFaceColor, true);
            FrameChamferRect(&canvas, r, cut, rightCut, 0x585858, 0x888888, 0xA0A0A0);
            DrawLineColor(&canvas, r.Left + cut, r.Top + 1, r.Right - rightCut, r.Top + 1, 0xB6B6B6);
        } else if (info.Checked && info.Enabled) {
            TRect inner = r;
            inner.Inflate(-1, -1);
            PaintBevelFace(&canvas, inner, Options().Colored, true);
            FrameChamferRect(&canvas, r, cut, rightCut, ItemColors[hovered ? 6 : 2].Frame, clNone,
                             hovered ? 0xD8D8D8 : 0xD0D0D0);
        } else if (hovered || (info.ItemOptions & IO_DESIGNING)) {
            TRect inner = r;
            inner.Inflate(-1, -1);
            PaintBevelFace(&canvas, inner, Options().Colored, true);
            FrameChamferRect(&canvas, r, cut, rightCut, GetPartColor(info, PartFrame), clNone, 0xD0D0D0);
        }
    });
}

void RegisterNexos3Theme()
{
    if (!IsThemeRegistered(QStringLiteral("Nexos3")))
        RegisterTheme(QStringLiteral("Nexos3"), ThemeClassOf<TTBXNexos3Theme>());
}
