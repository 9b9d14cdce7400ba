#include "TestSupport.h"
#include "platform/Graphics.h"
#include <gtest/gtest.h>

namespace {

// Gives every 3-D colour its own value so each pixel tells which line painted it.
class Edges : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetSysColor(COLOR_BTNHIGHLIGHT, HI);
        SetSysColor(COLOR_3DLIGHT, LT);
        SetSysColor(COLOR_BTNSHADOW, SH);
        SetSysColor(COLOR_3DDKSHADOW, DK);
        SetSysColor(COLOR_BTNFACE, FACE);
    }
    void TearDown() override { ResetSysColors(); }
    static constexpr TColor HI = RGB(250, 0, 0), LT = RGB(0, 250, 0), SH = RGB(0, 0, 250), DK = RGB(90, 90, 0),
                            FACE = RGB(0, 90, 90), BG = RGB(7, 7, 7);
    QImage img = BlankImage(12, 12, BG);
};

// How many pixels of `image` within `area` have the colour.
int CountOf(const QImage &image, TColor colour, const TRect &area)
{
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            n += QRgbToColor(image.pixel(x, y)) == colour;
    return n;
}

} // namespace

TEST_F(Edges, RaisedAndSunkenCornersBelongToTheRightAndBottomEdges)
{
    const struct { unsigned edge; TColor outerTL, outerBR, innerTL, innerBR; } cases[] = {
        {EDGE_RAISED, LT, DK, HI, SH}, {EDGE_SUNKEN, SH, HI, DK, LT}, {EDGE_ETCHED, SH, HI, HI, SH}, {EDGE_BUMP, LT, DK, DK, LT},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.edge);
        img.fill(ColorToQRgb(BG));
        TCanvas c(img);
        TRect r = Rect(1, 1, 11, 11);
        EXPECT_TRUE(c.DrawEdge(r, k.edge, BF_RECT));
        EXPECT_EQ(r, Rect(1, 1, 11, 11)) << "moved without BF_ADJUST";
        // Outer ring [1,10], inner ring [2,9]; the top-right corner belongs to the right edge,
        // the bottom-left one to the bottom edge. No middle without BF_MIDDLE.
        ExpectPixels(img, {{1, 1, k.outerTL}, {5, 1, k.outerTL}, {1, 5, k.outerTL}, {10, 1, k.outerBR}, {1, 10, k.outerBR},
                         {10, 10, k.outerBR}, {2, 2, k.innerTL}, {9, 2, k.innerBR}, {2, 9, k.innerBR}, {9, 9, k.innerBR},
                         {5, 5, BG}, {0, 0, BG}, {11, 11, BG}});
    }
}

TEST_F(Edges, SideFlagsMiddleAndAdjust)
{
    TCanvas c(img);
    TRect r = Rect(0, 0, 10, 8);
    c.DrawEdge(r, EDGE_SUNKEN, BF_TOP | BF_LEFT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 10, 8));
    // The top runs to the end and the left to the bottom: no right or bottom edge, face there.
    ExpectPixels(img, {{9, 0, SH}, {0, 7, SH}, {9, 1, DK}, {9, 7, FACE}, {5, 5, FACE}, {10, 5, BG}});
    img.fill(ColorToQRgb(BG));
    r = Rect(0, 0, 10, 8);
    c.DrawEdge(r, EDGE_RAISED, BF_BOTTOMRIGHT | BF_ADJUST);
    EXPECT_EQ(r, Rect(0, 0, 8, 6));
    ExpectPixels(img, {{0, 7, DK}, {0, 6, SH}, {0, 0, BG}});
}

TEST_F(Edges, EdgeVariantsAndButtonFramesPaintEachLineInItsColour)
{
    // A zero edge is a button frame control.
    const struct { const char *label; unsigned edge, flags; TRect r, after; std::vector<TPixel> dots; } cases[] = {
        {"single kind: the outer line", BDR_RAISEDINNER, BF_RECT | BF_ADJUST, Rect(0, 0, 6, 6), Rect(1, 1, 5, 5),
         {{0, 0, HI}, {5, 5, SH}, {1, 1, BG}}},
        {"flat sunken", EDGE_SUNKEN, BF_RECT | BF_FLAT, Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), {{0, 0, SH}, {7, 7, SH}, {1, 1, FACE}}},
        {"soft raised", EDGE_RAISED, BF_RECT | BF_SOFT, Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), {{0, 0, HI}, {1, 1, LT}, {7, 7, DK}}},
        {"push button", 0, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT, Rect(0, 0, 12, 10), Rect(2, 2, 10, 8),
         {{0, 0, HI}, {11, 9, DK}, {5, 5, FACE}}},
        {"pushed", 0, DFCS_BUTTONPUSH | DFCS_PUSHED, Rect(0, 0, 12, 10), Rect(0, 0, 12, 10), {{0, 0, DK}, {1, 1, SH}, {11, 9, HI}}},
        // Checked but not pushed: the dithered face.
        {"checked", 0, DFCS_BUTTONPUSH | DFCS_CHECKED, Rect(0, 0, 12, 10), Rect(0, 0, 12, 10), {{4, 4, FACE}, {5, 4, HI}}},
        // Outer ring, inner ring, the dot, the well, outside the circle.
        {"checked radio", 0, DFCS_BUTTONRADIO | DFCS_CHECKED, Rect(0, 0, 12, 12), Rect(0, 0, 12, 12),
         {{5, 0, SH}, {5, 11, HI}, {5, 1, DK}, {5, 5, clBlack}, {3, 3, clWhite}, {0, 0, BG}}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.label);
        img.fill(ColorToQRgb(BG));
        TCanvas c(img);
        TRect r = k.r;
        if (k.edge)
            c.DrawEdge(r, k.edge, k.flags);
        else
            c.DrawFrameControl(r, DFC_BUTTON, k.flags);
        EXPECT_EQ(r, k.after);
        ExpectPixels(img, k.dots);
    }
}

TEST_F(Edges, CheckBoxShowsItsMarkOnlyWhenCheckedAndMenuGlyphsAreMasks)
{
    TCanvas c(img);
    TRect r = Rect(0, 0, 12, 12);
    c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(CountOf(img, clBlack, r), 0);
    ExpectPixels(img, {{5, 5, clWhite}, {0, 0, SH}});  // the well, the frame
    c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(CountOf(img, clBlack, r), 21);  // the seven-row check mark
    c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE);
    EXPECT_EQ(CountOf(img, clBlack, r), 0);
    ExpectPixels(img, {{5, 5, SH}, {2, 2, FACE}});  // the mark and the well, greyed
    // A menu glyph comes as a black-on-white mask.
    QImage box(16, 16, QImage::Format_RGB32);
    TCanvas m(box);
    r = Rect(0, 0, 16, 16);
    ASSERT_TRUE(m.DrawFrameControl(r, DFC_MENU, DFCS_MENUARROW));
    EXPECT_EQ(CountOf(box, clBlack, r), 16);  // a triangle 4 deep: 1 + 3 + 5 + 7
    EXPECT_EQ(CountOf(box, clWhite, r), 16 * 16 - 16);
    EXPECT_FALSE(m.DrawFrameControl(r, 99, 0));
    box.fill(0xFFFFFFFFu);  // a scroll button: a face with an arrow on it
    ASSERT_TRUE(m.DrawFrameControl(r, DFC_SCROLL, DFCS_SCROLLLEFT));
    EXPECT_EQ(CountOf(box, clWhite, Rect(2, 2, 14, 14)), 0);
    EXPECT_GT(CountOf(box, clBlack, r), 4);
}

TEST_F(Edges, CaptionGlyphsAreCentredSymmetricAndEmbossedWhenInactive)
{
    const TRect inside = Rect(2, 2, 14, 12);
    for (unsigned kind : {DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE}) {
        SCOPED_TRACE(kind);
        QImage big(16, 14, QImage::Format_RGB32);
        big.fill(0xFF000000u);
        TCanvas c(big);
        TRect r = Rect(0, 0, 16, 14);
        ASSERT_TRUE(c.DrawFrameControl(r, DFC_CAPTION, kind));
        int minX = 99, maxX = -1;
        for (int y = inside.Top; y < inside.Bottom; ++y)
            for (int x = inside.Left; x < inside.Right; ++x)
                if (QRgbToColor(big.pixel(x, y)) == clBlack) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    if (kind == DFCS_CAPTIONCLOSE) {
                        EXPECT_EQ(QRgbToColor(big.pixel(15 - x, y)), clBlack) << "mirror of " << x << "," << y;
                    }
                }
        const int count = CountOf(big, clBlack, inside);
        EXPECT_GT(count, 4);
        EXPECT_LE(std::abs((minX + maxX) - 15), 1);  // centred horizontally
        c.DrawFrameControl(r, DFC_CAPTION, kind | DFCS_INACTIVE);
        EXPECT_EQ(CountOf(big, clBlack, inside), 0);
        EXPECT_EQ(CountOf(big, SH, inside), count);
    }
}

