#include "themes/TBXThemeGradients.h"
#include "../themed/TBXTestSupport.h"

TEST(TBXThemeGradients, GradientBandsAndBevelStopsEndRightEmptyAndOnePixelRectanglesStayInside)
{
    struct Case { const char *what; TColor from, to; bool vertical; TColor first, last; } cases[] = {
        {"rising, rows", clBlack, RGB(200, 100, 40), true, RGB(50, 25, 10), RGB(200, 100, 40)},
        {"rising, columns", clBlack, RGB(200, 100, 40), false, RGB(50, 25, 10), RGB(200, 100, 40)},
        {"falling truncates toward zero", RGB(200, 100, 40), clBlack, true, RGB(150, 75, 30), clBlack},
        {"system colours", clBtnShadow, clBtnHighlight, true,
         RGB(128 + 127 / 4, 128 + 127 / 4, 128 + 127 / 4), clWhite},
    };
    for (const Case &c : cases) {
        QImage img = BlankImage(6, 6);
        TCanvas canvas(img);
        const TRect r = Rect(1, 1, 5, 5);
        // The bottom (right) colour is given first.
        GradientFillCanvas(&canvas, r, c.to, c.from, c.vertical);
        ExpectPixels(img, {{1, 1, c.first}, {4, 4, c.last}, {c.vertical ? 4 : 1, c.vertical ? 1 : 4, c.first}}, c.what);
        EXPECT_TRUE(UnchangedOutside(img, r)) << c.what;
    }
    // Three falling bands: 200 - 200 / 3 truncates to 134.
    QImage img = BlankImage(3, 3);
    TCanvas canvas(img);
    GradientFillRectFallback(&canvas, Rect(0, 0, 3, 3), RGB(200, 100, 40), clBlack, true);
    EXPECT_EQ(PixelAt(img, 0, 0), RGB(134, 67, 27));
    for (bool vertical : {true, false}) {
        QImage img = BlankImage(6, 6);
        TCanvas canvas(img);
        GradientFillCanvas(&canvas, Rect(2, 2, 5, 2), clBlack, clRed, vertical);
        GradientFillCanvas(&canvas, Rect(2, 2, 2, 5), clBlack, clRed, vertical);
        PaintBevelFace(&canvas, Rect(2, 2, 5, 2), true, vertical);
        PaintBevelFace(&canvas, Rect(2, 2, 2, 5), false, vertical);
        FrameChamferRect(&canvas, Rect(2, 2, 2, 2), 2, 2, clRed, clGreen, clBlue);
        FrameChamferRect(&canvas, Rect(0, 0, 6, 6), 2, 2, clNone, clNone, clNone);  // no colour, not black
        EXPECT_TRUE(UnchangedOutside(img, TRect{})) << vertical;
        // One pixel: the gradient's single band is the end colour, the bevel its first stop.
        GradientFillCanvas(&canvas, Rect(1, 1, 2, 2), clBlack, clRed, vertical);
        EXPECT_EQ(PixelAt(img, 1, 1), clBlack);
        PaintBevelFace(&canvas, Rect(3, 3, 4, 4), false, vertical);
        EXPECT_EQ(PixelAt(img, 3, 3), RGB(248, 248, 248));
        FrameChamferRect(&canvas, Rect(4, 1, 5, 2), 2, 2, clRed, clGreen, clBlue);
        EXPECT_TRUE(UnchangedOutside(img, Rect(1, 1, 5, 4))) << vertical;
        EXPECT_EQ(PixelAt(img, 2, 2), clWhite);
    }
    // Bevel face stops by state.
    // The colour of each line of the face, first onwards (0: not checked).
    struct Bevel { const char *what; bool active, pushed, vertical; int size; std::vector<TColor> lines; };
    const Bevel bevels[] = {
        {"inactive rows", false, false, true, 7,
         {RGB(248, 248, 248), RGB(232, 232, 232), RGB(216, 216, 216), RGB(228, 228, 228), RGB(240, 240, 240),
          RGB(244, 244, 244), RGB(248, 248, 248)}},
        {"active rows", true, false, true, 7,
         {RGB(240, 248, 255), {}, RGB(128, 176, 224), {}, RGB(112, 232, 240), {}, RGB(176, 255, 255)}},
        {"pushed columns", true, true, false, 4,
         {RGB(224, 232, 239), RGB(112, 160, 208), RGB(96, 208, 224), RGB(160, 239, 239)}},
        // Not a multiple of three: the last segment runs past its stop and is clamped.
        {"active, five columns", true, false, false, 5,
         {RGB(240, 248, 255), RGB(128, 176, 224), RGB(112, 232, 240), RGB(176, 255, 255), RGB(240, 255, 255)}},
        // Two lines: the second segment would start below the face.
        {"two rows", true, false, true, 2, {RGB(240, 248, 255), RGB(128, 176, 224)}},
    };
    for (const Bevel &c : bevels) {
        QImage img = BlankImage(9, 9);
        TCanvas canvas(img);
        const TRect r = c.vertical ? Rect(1, 1, 4, 1 + c.size) : Rect(1, 1, 1 + c.size, 4);
        PaintBevelFace(&canvas, r, c.active, c.pushed, c.vertical);
        for (int i = 0; i < int(c.lines.size()); ++i)
            if (c.lines[i] != 0) {
                EXPECT_EQ(PixelAt(img, c.vertical ? 2 : 1 + i, c.vertical ? 1 + i : 2), c.lines[i]) << c.what << i;
            }
        EXPECT_TRUE(UnchangedOutside(img, r)) << c.what;
    }
}

