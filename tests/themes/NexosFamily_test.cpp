#include "themes/TBXNexos3Theme.h"
#include "../themed/TBXTestSupport.h"
#include "themes/TBXNexos5Theme.h"
#include "themes/TBXSentimoXTheme.h"
#include <memory>

namespace {

std::unique_ptr<TNexosFamilyTheme> Make(const QString &name)
{
    using T = TNexosFamilyTheme;
    std::unique_ptr<T> theme(name == "Nexos3"   ? static_cast<T *>(new TTBXNexos3Theme(name))
                             : name == "Nexos5" ? static_cast<T *>(new TTBXNexos5Theme(name))
                                                : static_cast<T *>(new TTBXSentimoXTheme(name)));
    theme->Initialize();
    return theme;
}

TEST(NexosFamily, SurfacesStripesSeparatorsGradientsAndChevrons)
{
    // Period 0: no stripes.
    struct Theme { const char *name; TColor surface; int period; TColor dark, light, hotText; bool dotted; };
    const Theme themes[] = {
        {"Nexos3", 0xF7F7F7, 4, 0xEFEFEF, 0xFFFFFF, 0xFFFFFF, true},
        {"Nexos5", 0xFFFFFF, 5, 0xF3F3F3, clNone, 0x000000, true},
        {"SentimoX", 0xF0F0F0, 0, clNone, clNone, 0x000000, false},
    };
    for (const auto &t : themes) {
        SCOPED_TRACE(t.name);
        auto theme = Make(t.name);
        EXPECT_EQ(theme->GetViewColor(VT_NORMALTOOLBAR), t.surface);
        // A strip of the view painted from its row 6 down: the stripes stay on the view's grid.
        QImage image = Paint(8, 20, [&](TCanvas &c) {
            theme->PaintBackground(c, {}, Rect(0, 0, 8, 20), Rect(0, 6, 8, 20), t.surface, false, VT_NORMALTOOLBAR);
        });
        EXPECT_EQ(PixelAt(image, 3, 5), 0x00FF00u) << "nothing outside the clip";
        for (int y = 6; y < 20; ++y) {
            const bool dark = t.period && y % t.period == 0, light = t.light != clNone && t.period && y % t.period == 2;
            EXPECT_EQ(PixelAt(image, 3, y), dark ? t.dark : light ? t.light : t.surface) << "row " << y;
        }
        const TTBXItemInfo hot{.ViewType = VT_POPUPMENU, .Enabled = true, .HoverKind = HOVER_ENABLED};
        EXPECT_EQ(theme->GetItemTextColor(hot), t.hotText);
        // Walking a menu with the arrow keys, a disabled item keeps the accent highlight (row 1
        // lies between the stripes).
        const TTBXItemInfo keyed{.ViewType = VT_POPUPMENU, .HoverKind = HOVER_DISABLED};
        QImage frame = Paint(30, 10, [&](TCanvas &c) { theme->PaintMenuItemFrame(c, Rect(0, 0, 30, 10), keyed); });
        EXPECT_EQ(PixelAt(frame, 15, 1), theme->Options().AccentColor);
        // A menu-bar title under the mouse or open reads white over the accent; a hot tool-bar
        // caption keeps the colour it was given.
        const struct { TTBXItemInfo info; TColor text; } captions[] = {
            {{.ViewType = VT_MENUBAR, .Enabled = true, .HoverKind = HOVER_ENABLED}, 0xFFFFFF},
            {{.ViewType = VT_MENUBAR, .Enabled = true, .Pushed = true, .HoverKind = HOVER_ENABLED,
              .IsPopupParent = true}, 0xFFFFFF},
            {{.ViewType = VT_NORMALTOOLBAR, .Enabled = true, .HoverKind = HOVER_ENABLED}, 0},
        };
        for (const auto &c : captions) {
            TCanvasRecorder recorder;
            TCanvas canvas;
            canvas.SetRecorder(&recorder);
            canvas.Font()->SetColor(clBlack);
            theme->PaintCaption(canvas, Rect(0, 0, 40, 20), c.info, "工具", DT_SINGLELINE, false);
            const auto texts = recorder.Of(TCanvasOp::DrawText);
            ASSERT_EQ(texts.size(), 1u) << c.info.ViewType;
            EXPECT_EQ(ColorToRGB(texts[0]->FontColor), c.text) << c.info.ViewType << " pushed " << c.info.Pushed;
        }
        const TTBXItemInfo sep{.ViewType = VT_POPUPMENU, .Enabled = true};
        QImage line = Paint(20, 8, [&](TCanvas &c) { theme->PaintSeparator(c, Rect(0, 0, 20, 8), sep, true, false); });
        if (t.dotted)
            ExpectPixels(line, {{0, 4, 0}, {3, 4, 0}, {1, 4, 0x00FF00}}, "a dot every third pixel");
        else
            ExpectPixels(line, {{10, 4, 0xC0C0C0}, {10, 5, 0xFFFFFF}, {1, 4, 0x00FF00}},
                         "etched, white under grey, two pixels short of each end");
    }
    const TColor a = 0x0000C8, b = 0xC80000;
    for (auto paint : {&PaintGlassGradient, &PaintOverpaintGradient}) {
        SCOPED_TRACE(paint == &PaintOverpaintGradient ? "overpaint" : "glass");
        QImage one = Paint(4, 4, [&](TCanvas &c) { paint(c, Rect(1, 1, 3, 2), a, b, true); });
        EXPECT_EQ(PixelAt(one, 1, 1), a);
        EXPECT_EQ(PixelAt(one, 1, 2), 0x00FF00u);
        QImage ramp = Paint(4, 10, [&](TCanvas &c) { paint(c, Rect(0, 0, 4, 10), a, b, true); });
        EXPECT_TRUE(PixelAt(ramp, 0, 0) == a || PixelAt(ramp, 0, 0) == b) << "an end colour at the top";
        // The overpaint ramp ends in its second colour at the near edge.
        if (paint == &PaintOverpaintGradient) {
            EXPECT_EQ(std::tuple(PixelAt(ramp, 0, 0), PixelAt(ramp, 0, 9)), std::tuple(b, a));
        }
    }
    // The chevron pattern sits in the item wherever it is.
    auto theme = Make("Nexos3");
    TTBXItemInfo info{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    QImage image = Paint(20, 40, [&](TCanvas &c) { theme->PaintChevron(c, Rect(0, 20, 13, 40), info); });
    EXPECT_EQ(PixelAt(image, 2, 24), theme->GetItemTextColor(info)) << "top + 4, not row 4 of the window";
    EXPECT_EQ(PixelAt(image, 2, 4), 0x00FF00u);
}

} // namespace
