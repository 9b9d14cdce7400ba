#include "TBXNexos5Theme.h"

#include "ThemeShapes.h"

#include "themed/TBXUtils.h"

namespace {

TNexosOptions Nexos5Options()
{
    TNexosOptions o;
    o.FacedCaptions = true;
    o.Colored = false;
    o.AccentColor = 0xF6DAC9;
    o.PushedFaceColor = 0xC0C0C0;
    return o;
}


} // namespace

TTBXNexos5Theme::TTBXNexos5Theme(const QString &name)
    : TNexosFamilyTheme(name, Nexos5Options(), {12, 8, 3, 0, 8, 3, 3, 2, 2, 5, 1, 2, 2, 14, 1})
{
}

void TTBXNexos5Theme::BuildColors()
{
    MenuBarColor = ToolbarColor = PopupColor = DockPanelColor = 0xFFFFFF;
    BuildStateColors(true);
}

void TTBXNexos5Theme::PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool)
{
    PaintGlassGradient(canvas, rect, from == clNone ? ToolbarColor : from, 0xFFFFFF, true);
}

void TTBXNexos5Theme::PaintBackground(TCanvas &canvas, const TRect &, const TRect &rect, const TRect &clipRect,
                                      TColor color, bool transparent, int viewType)
{
    PaintStripedBackground(canvas, rect, clipRect, color, transparent, viewType, 5, ShiftColorNearest(color, -12),
                           clNone);
}

void TTBXNexos5Theme::PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info)
{
    PaintGlassButton(canvas, rect, info, false);
}

void RegisterNexos5Theme()
{
    if (!IsThemeRegistered(QStringLiteral("Nexos5")))
        RegisterTheme(QStringLiteral("Nexos5"), ThemeClassOf<TTBXNexos5Theme>());
}
