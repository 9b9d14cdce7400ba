#include "themes/TBXAluminumTheme.h"
#include "../themed/TBXTestSupport.h"
#include "themed/TBXUtils.h"
#include "platform/SysColors.h"
#include <set>

namespace {

TEST(Aluminum, LightenedHighlightAndTexturedToolbars)
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
    // Textured toolbars, plain popups.
    const auto background = [&](int viewType) {
        const TRect r = Rect(0, 0, 40, 20);
        return Paint(40, 20, [&](TCanvas &c) { theme.PaintBackground(c, {}, r, r, 0xDFDFDF, false, viewType); });
    };
    const auto colours = [](const QImage &image) {
        std::set<TColor> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                seen.insert(PixelAt(image, x, y));
        return seen.size();
    };
    const QImage toolbar = background(VT_NORMALTOOLBAR);
    EXPECT_GT(colours(toolbar), 2u);
    EXPECT_EQ(colours(background(VT_POPUPMENU)), 1u);
    EXPECT_EQ(toolbar, background(VT_NORMALTOOLBAR)) << "the texture is the same on every paint";
}

} // namespace
