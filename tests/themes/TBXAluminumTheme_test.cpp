#include "themes/TBXAluminumTheme.h"
#include "TestSupport.h"
#include "ThemePaint.h"

#include "themed/TBXUtils.h"

#include "platform/SysColors.h"

#include <gtest/gtest.h>

#include <QImage>
#include <set>

namespace {

TEST(Aluminum, SelectionColoursComeFromALightenedHighlight)
{
    float h, s, l;
    ColorToHSL(AluminumHighlightBase(), h, s, l);
    EXPECT_NEAR(l, 0.4f, 0.01f) << "the classic highlight is darker than 0.4 and is lightened";
    SetSysColor(COLOR_HIGHLIGHT, 0xF0C080);
    ColorToHSL(0xF0C080, h, s, l);
    const float kept = l;
    ColorToHSL(AluminumHighlightBase(), h, s, l);
    EXPECT_NEAR(l, kept, 0.01f) << "a light highlight is kept";
    ResetSysColors();

    TTBXAluminumTheme theme("Aluminum");
    theme.UpdateThemeColors();
    TTBXItemInfo disabledHot{.ViewType = VT_POPUPMENU, .HoverKind = HOVER_DISABLED};
    EXPECT_EQ(theme.GetItemColor(disabledHot), theme.PopupColor);
}

TEST(Aluminum, TexturedToolbarsPlainPopupsAndEmbossedChevrons)
{
    TTBXAluminumTheme theme("Aluminum");
    theme.UpdateThemeColors();
    const TRect r = Rect(0, 0, 40, 20);
    auto colours = [](const QImage &image) {
        std::set<TColor> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                seen.insert(PixelAt(image, x, y));
        return seen.size();
    };
    QImage toolbar = Paint(40, 20, [&](TCanvas &c) { theme.PaintBackground(c, TRect{}, r, r, 0xDFDFDF, false, VT_NORMALTOOLBAR); });
    QImage popup = Paint(40, 20, [&](TCanvas &c) { theme.PaintBackground(c, TRect{}, r, r, 0xDFDFDF, false, VT_POPUPMENU); });
    EXPECT_GT(colours(toolbar), 2u);
    EXPECT_EQ(colours(popup), 1u);
    QImage again = Paint(40, 20, [&](TCanvas &c) { theme.PaintBackground(c, TRect{}, r, r, 0xDFDFDF, false, VT_NORMALTOOLBAR); });
    EXPECT_EQ(toolbar, again) << "the texture is the same on every paint";

    TTBXItemInfo chevron{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    auto chevronInk = [&](int hover) {
        chevron.HoverKind = hover;
        QImage image = Paint(13, 22, [&](TCanvas &c) { theme.PaintChevron(c, Rect(0, 0, 13, 22), chevron); });
        return PixelAt(image, 1, 4);  // the first dot of the 0xCC pattern's top row
    };
    EXPECT_EQ(chevronInk(HOVER_NONE), 0x3F3F3Fu);
    EXPECT_EQ(chevronInk(HOVER_ENABLED), 0u);
}

} // namespace
