#include "platform/Graphics.h"

#include <QImage>
#include <gtest/gtest.h>
#include <vector>

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

    QImage img = [] {
        QImage i(12, 12, QImage::Format_RGB32);
        i.fill(ColorToQRgb(BG));
        return i;
    }();
    TColor At(int x, int y) const { return QRgbToColor(img.pixel(x, y)); }
};

} // namespace

TEST_F(Edges, RaisedAndSunkenCornersBelongToTheRightAndBottomEdges)
{
    const struct { unsigned edge; TColor outerTL, outerBR, innerTL, innerBR; } cases[] = {
        {EDGE_RAISED, LT, DK, HI, SH}, {EDGE_SUNKEN, SH, HI, DK, LT}, {EDGE_ETCHED, SH, HI, HI, SH},
        {EDGE_BUMP, LT, DK, DK, LT},
    };
    for (const auto &k : cases) {
        img.fill(ColorToQRgb(BG));
        TCanvas c(img);
        TRect r = Rect(1, 1, 11, 11);
        EXPECT_TRUE(c.DrawEdge(r, k.edge, BF_RECT));
        EXPECT_EQ(r, Rect(1, 1, 11, 11)) << "moved without BF_ADJUST";
        // outer ring [1,10]
        EXPECT_EQ(At(1, 1), k.outerTL) << k.edge;
        EXPECT_EQ(At(5, 1), k.outerTL) << k.edge;
        EXPECT_EQ(At(1, 5), k.outerTL) << k.edge;
        EXPECT_EQ(At(10, 1), k.outerBR) << k.edge;  // top-right corner: right edge
        EXPECT_EQ(At(1, 10), k.outerBR) << k.edge;  // bottom-left corner: bottom edge
        EXPECT_EQ(At(10, 10), k.outerBR) << k.edge;
        // inner ring [2,9]
        EXPECT_EQ(At(2, 2), k.innerTL) << k.edge;
        EXPECT_EQ(At(9, 2), k.innerBR) << k.edge;
        EXPECT_EQ(At(2, 9), k.innerBR) << k.edge;
        EXPECT_EQ(At(9, 9), k.innerBR) << k.edge;
        EXPECT_EQ(At(5, 5), BG) << "middle painted without BF_MIDDLE";
        EXPECT_EQ(At(0, 0), BG);
        EXPECT_EQ(At(11, 11), BG);
    }
}

TEST_F(Edges, SingleKindsUseTheOuterLine)
{
    TCanvas c(img);
    TRect r = Rect(0, 0, 6, 6);
    c.DrawEdge(r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    EXPECT_EQ(At(0, 0), HI);
    EXPECT_EQ(At(5, 5), SH);
    EXPECT_EQ(At(1, 1), BG);
    EXPECT_EQ(r, Rect(1, 1, 5, 5));
}

TEST_F(Edges, SideFlagsMiddleAndAdjust)
{
    TCanvas c(img);
    TRect r = Rect(0, 0, 10, 8);
    c.DrawEdge(r, EDGE_SUNKEN, BF_TOP | BF_LEFT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 10, 8));
    EXPECT_EQ(At(9, 0), SH);    // top runs to the end: no right edge
    EXPECT_EQ(At(0, 7), SH);    // left runs to the bottom
    EXPECT_EQ(At(9, 1), DK);
    EXPECT_EQ(At(9, 7), FACE);  // no bottom or right edge: face
    EXPECT_EQ(At(5, 5), FACE);
    EXPECT_EQ(At(10, 5), BG);

    img.fill(ColorToQRgb(BG));
    r = Rect(0, 0, 10, 8);
    c.DrawEdge(r, EDGE_RAISED, BF_BOTTOMRIGHT | BF_ADJUST);
    EXPECT_EQ(r, Rect(0, 0, 8, 6));
    EXPECT_EQ(At(0, 7), DK);
    EXPECT_EQ(At(0, 6), SH);
    EXPECT_EQ(At(0, 0), BG);
}

TEST_F(Edges, EdgeVariantsAndButtonFramesPaintEachLineInItsColour)
{
    struct Dot { int x, y; TColor colour; };
    const struct {
        const char *label;
        unsigned edge;  // 0: a button frame control
        unsigned flags;
        TRect r, after;
        std::vector<Dot> dots;
    } cases[] = {
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
        for (const Dot &d : k.dots)
            EXPECT_EQ(At(d.x, d.y), d.colour) << d.x << "," << d.y;
    }
}

TEST_F(Edges, CheckBoxShowsItsMarkOnlyWhenChecked)
{
    auto inked = [&] {
        int n = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                n += At(x, y) == clBlack;
        return n;
    };
    TCanvas c(img);
    TRect r = Rect(0, 0, 12, 12);
    c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(inked(), 0);
    EXPECT_EQ(At(5, 5), clWhite);  // the well
    EXPECT_EQ(At(0, 0), SH);
    c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(inked(), 21);  // the seven-row check mark
    c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE);
    EXPECT_EQ(inked(), 0);
    EXPECT_EQ(At(5, 5), SH);    // the mark, greyed
    EXPECT_EQ(At(2, 2), FACE);  // the well, greyed
}

TEST_F(Edges, CaptionGlyphsAreCentredAndEmbossedWhenInactive)
{
    for (unsigned kind : {DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE}) {
        QImage big(16, 14, QImage::Format_RGB32);
        big.fill(0xFF000000u);
        TCanvas c(big);
        TRect r = Rect(0, 0, 16, 14);
        ASSERT_TRUE(c.DrawFrameControl(r, DFC_CAPTION, kind));
        int minX = 99, maxX = -1, count = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 16; ++x)
                if (QRgbToColor(big.pixel(x, y)) == clBlack && x > 1 && y > 1 && x < 14 && y < 12) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    ++count;
                }
        EXPECT_GT(count, 4) << kind;
        EXPECT_LE(std::abs((minX + maxX) - 15), 1) << kind;  // centred horizontally
        c.DrawFrameControl(r, DFC_CAPTION, kind | DFCS_INACTIVE);
        int shadow = 0, black = 0;
        for (int y = 2; y < 12; ++y)
            for (int x = 2; x < 14; ++x) {
                shadow += QRgbToColor(big.pixel(x, y)) == SH;
                black += QRgbToColor(big.pixel(x, y)) == clBlack;
            }
        EXPECT_EQ(black, 0) << kind;
        EXPECT_EQ(shadow, count) << kind;
    }
    // The close glyph is mirror-symmetric.
    QImage close(16, 14, QImage::Format_RGB32);
    close.fill(0xFFFFFFFFu);
    TCanvas c(close);
    TRect r = Rect(0, 0, 16, 14);
    c.DrawFrameControl(r, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 14; ++x)
            if (QRgbToColor(close.pixel(x, y)) == clBlack) {
                EXPECT_EQ(QRgbToColor(close.pixel(15 - x, y)), clBlack) << x << "," << y;
            }
}

TEST_F(Edges, ScrollArrowsPointTheirWay)
{
    const struct { unsigned kind; bool wideAtTop, wideAtLeft; } cases[] = {
        {DFCS_SCROLLUP, false, false}, {DFCS_SCROLLDOWN, true, false}, {DFCS_SCROLLLEFT, false, false},
        {DFCS_SCROLLRIGHT, false, true},
    };
    for (const auto &k : cases) {
        QImage box(16, 16, QImage::Format_RGB32);
        TCanvas c(box);
        TRect r = Rect(0, 0, 16, 16);
        ASSERT_TRUE(c.DrawFrameControl(r, DFC_SCROLL, k.kind));
        std::vector<int> rows(16), cols(16);
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x)
                if (QRgbToColor(box.pixel(x, y)) == clBlack) {
                    ++rows[y];
                    ++cols[x];
                }
        const bool vertical = k.kind == DFCS_SCROLLUP || k.kind == DFCS_SCROLLDOWN;
        const std::vector<int> &profile = vertical ? rows : cols;
        int first = -1, last = -1;
        for (int i = 0; i < 16; ++i)
            if (profile[i]) {
                if (first < 0)
                    first = i;
                last = i;
            }
        ASSERT_GE(first, 0) << k.kind;
        const bool wideFirst = profile[first] > profile[last];
        EXPECT_EQ(wideFirst, vertical ? k.wideAtTop : k.wideAtLeft) << k.kind;
    }
}

TEST_F(Edges, MenuGlyphsComeAsBlackOnWhiteMasks)
{
    QImage box(16, 16, QImage::Format_RGB32);
    TCanvas c(box);
    TRect r = Rect(0, 0, 16, 16);
    ASSERT_TRUE(c.DrawFrameControl(r, DFC_MENU, DFCS_MENUARROW));
    int black = 0, other = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const TColor p = QRgbToColor(box.pixel(x, y));
            black += p == clBlack;
            other += p != clBlack && p != clWhite;
        }
    EXPECT_EQ(other, 0);
    EXPECT_EQ(black, 16);  // a triangle 4 deep: 1 + 3 + 5 + 7
    EXPECT_FALSE(c.DrawFrameControl(r, 99, 0));
}
