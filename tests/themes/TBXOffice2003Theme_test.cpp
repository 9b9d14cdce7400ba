#include "themes/TBXOffice2003Theme.h"
#include "../themed/TBXTestSupport.h"
#include "themes/ThemeShapes.h"
#include "themes/Themes.h"

namespace {

// The theme with a chosen colour scheme; the scheme goes back to detection afterwards.
struct Office2003 : ::testing::Test {
    void Use(int scheme)
    {
        SetLunaSchemeOverride(scheme);
        theme.UpdateThemeColors();
    }
    void TearDown() override { SetLunaSchemeOverride(-1); }
    TTBXOffice2003Theme theme{"Office2003"};
};

TEST_F(Office2003, GradientsReachBothEndsOnePixelTakesTheFirstHotCheckedButtonsAndBorders)
{
    Use(0);
    const TColor a = RGB(200, 0, 0), b = RGB(0, 0, 200);
    QImage rows = Paint(4, 10, [&](TCanvas &c) { FillGradientRows(c, Rect(0, 0, 4, 10), a, b); });
    EXPECT_EQ(std::tuple(PixelAt(rows, 0, 0), PixelAt(rows, 3, 9)), std::tuple(a, b));
    QImage split = Paint(10, 4, [&](TCanvas &c) { FillGradientSplit(c, Rect(0, 0, 10, 4), a, b, true); });
    EXPECT_EQ(std::tuple(PixelAt(split, 0, 0), PixelAt(split, 9, 3)), std::tuple(a, b));
    EXPECT_EQ(PixelAt(split, 5, 0), RGB(160, 0, 40)) << "the bend sits at the scheme's fraction, 8/40";
    // One pixel across takes the first colour; an empty rectangle paints nothing.
    const struct { const char *what; std::function<void(TCanvas &)> fill; TColor at11; } small[] = {
        {"one row", [&](TCanvas &c) { FillGradientRows(c, Rect(1, 1, 3, 2), a, b); }, a},
        {"one column", [&](TCanvas &c) { FillGradientSplit(c, Rect(1, 1, 2, 3), a, b, true); }, a},
        {"empty", [&](TCanvas &c) { FillGradientSplit(c, Rect(1, 1, 1, 3), a, b, true); }, 0x00FF00}};
    for (const auto &c : small)
        ExpectPixels(Paint(4, 4, c.fill), {{1, 1, c.at11}, {0, 0, 0x00FF00}, {3, 3, 0x00FF00}}, c.what);
    // Hot and checked buttons, popup borders.
    Use(0);
    TTBXItemInfo info{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true,
                      .HoverKind = HOVER_ENABLED};
    QImage hot = Paint(40, 22, [&](TCanvas &c) { theme.PaintButton(c, Rect(0, 0, 40, 22), info); });
    ExpectPixels(hot, {{0, 0, RGB(0, 0, 128)}, {20, 1, RGB(255, 244, 204)}, {20, 20, RGB(255, 208, 145)}}, "hot");
    info.Checked = true;
    QImage hotChecked = Paint(40, 22, [&](TCanvas &c) { theme.PaintButton(c, Rect(0, 0, 40, 22), info); });
    EXPECT_EQ(PixelAt(hotChecked, 20, 1), RGB(254, 145, 78)) << "checked and hot takes the pushed ramp";
    TTBXPopupInfo popup{.ViewType = VT_POPUPMENU, .ParentRect = Rect(0, -20, 30, 0), .BorderSize = {1, 2}};
    QImage border = Paint(60, 40, [&](TCanvas &c) { theme.PaintPopupNCArea(c, Rect(0, 0, 60, 40), popup); });
    ExpectPixels(border, {{0, 20, theme.PopupFrameColor}, {45, 0, theme.PopupFrameColor}}, "frame");
    EXPECT_EQ(PixelAt(border, 10, 0), theme.PopupColor) << "opened where the parent item touches";
    EXPECT_EQ(PixelAt(border, 30, 20), 0x00FF00u) << "the client area is left alone";
}

} // namespace
