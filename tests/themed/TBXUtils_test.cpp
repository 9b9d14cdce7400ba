#include "TBXTestSupport.h"
#include "themed/TBXUtils.h"
#include "platform/ImgList.h"
#include <gmock/gmock.h>

namespace {

// 4 x 4 image; unlisted pixels are transparent.
struct Known { int x, y; TColor color; };
const std::vector<Known> ImagePixels = {
    {0, 0, clWhite},          {1, 0, clBlack},          {2, 0, RGB(120, 120, 120)}, {3, 0, RGB(200, 0, 0)},
    {0, 1, RGB(180, 180, 180)}, {1, 1, RGB(190, 190, 190)},
};
const TColor Background = RGB(200, 100, 50);

// Draws the known image with an effect at (2, 2) on an 8 x 8 canvas of Background.
template <typename F>
QImage WithEffect(F &&effect)
{
    TImageList list(nullptr);
    list.SetSize(4, 4);
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const Known &k : ImagePixels)
        image.setPixel(k.x, k.y, ColorToQRgb(k.color));
    list.AddImage(image);
    QImage target = BlankImage(8, 8, Background);
    TCanvas canvas(target);
    effect(&canvas, &list);
    return target;
}

} // namespace

TEST(TBXUtils, ColourArithmeticContrastAndHsl)
{
    struct Case { const char *what; TColor got, want; } cases[] = {
        {"blend 255 is the first", BlendColors(0x102030, 0xF0E0D0, 255), 0x102030},
        {"blend 0 is the second", BlendColors(0x102030, 0xF0E0D0, 0), 0xF0E0D0},
        {"blend middle rounds", BlendColors(clWhite, clBlack, 128), 0x808080},
        {"blend per channel", BlendColors(RGB(200, 100, 0), RGB(0, 100, 200), 64), RGB(50, 100, 150)},
        {"blend resolves system colours", BlendColors(clBtnFace, clBlack, 255), GetSysColor(COLOR_BTNFACE)},
        {"mix 50 percent", MixColorsPercent(clWhite, clBlack, 50), 0x808080},
        {"mix 500 per mille", MixColorsPercent(clWhite, clBlack, 500), 0x808080},
        {"mix 25 percent", MixColorsPercent(RGB(100, 0, 0), clBlack, 25), RGB(25, 0, 0)},
        {"mix 100 is per mille", MixColorsPercent(RGB(200, 0, 0), clBlack, 100), RGB(20, 0, 0)},
        {"white shifted up stays white", ShiftColor(clWhite, 32), clWhite},
        {"black shifted down stays black", ShiftColor(clBlack, -10), clBlack},
        {"shift clamps per channel", ShiftColor(RGB(10, 250, 128), 10), RGB(20, 255, 138)},
        {"luminance of white", TColor(ColorLuminance(clWhite)), 255},
        {"luminance of black", TColor(ColorLuminance(clBlack)), 0},
        {"luminance of red", TColor(ColorLuminance(RGB(100, 0, 0))), 29},
        {"luminance of blue", TColor(ColorLuminance(RGB(0, 0, 255))), 29},
        // RGB(100, 100, 100) weighs exactly 100 * 256.
        {"dark at the threshold", IsDarkColor(RGB(100, 100, 100), 100), false},
        {"dark below the threshold", IsDarkColor(RGB(100, 100, 100), 101), true},
        {"distance white to black, in hundredths", TColor(ColorDistance(clWhite, clBlack) * 100), 44085},
        {"contrast threshold against white, thousandths", TColor(ContrastThreshold(10, 220) * 1000), 10000},
        {"contrast threshold against black", TColor(ContrastThreshold(10, 0) * 1000), 20000},
        {"contrast threshold between", TColor(ContrastThreshold(10, 110) * 1000), 15000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;
    EXPECT_THROW(BlendColors(clWhite, clBlack, 256), EInvalidOperation);
    EXPECT_THROW(BlendColors(clWhite, clBlack, -1), EInvalidOperation);
    // SetContrast moves only what is too close.
    struct Contrast { const char *what; TColor c, background; int t; TColor want; } contrasts[] = {
        {"far enough stays", clBlack, clWhite, 50, clBlack},
        {"system colour becomes plain", clWindowText, clWhite, 50, clBlack},
        // Black on black lies on no line from black; it turns to the grey 100 units away.
        {"black on black", clBlack, clBlack, 50, RGB(58, 58, 58)},
        {"white on white darkens", clWhite, clWhite, 50, RGB(226, 226, 226)},
        // Measured from white, white itself sits at the origin.
        {"white on light grey", clWhite, RGB(197, 197, 197), 101, clWhite},
    };
    for (const Contrast &c : contrasts) {
        TColor color = c.c;
        SetContrast(color, c.background, c.t);
        EXPECT_EQ(color, c.want) << c.what;
    }
    float h, s, l;
    const struct { TColor c; std::vector<double> hsl; } known[] = {{clBlue, {2.0 / 3, 1, 0.5}},
                                                                   {clGray, {0, 0, 128 / 255.0}}};
    for (const auto &k : known) {
        ColorToHSL(k.c, h, s, l);
        EXPECT_THAT((std::vector<double>{h, s, l}), testing::Pointwise(testing::DoubleNear(1e-6), k.hsl)) << k.c;
    }
    for (TColor c : {clRed, clLime, clBlue, clWhite, clBlack, RGB(12, 200, 99), RGB(250, 240, 10), RGB(1, 2, 3),
                     RGB(255, 128, 0)}) {
        ColorToHSL(c, h, s, l);
        EXPECT_EQ(HSLToColor(h, s, l), c) << std::hex << c;
    }
}

TEST(TBXUtils, BlendPixelFillsFramesDitherAndBrushedTexture)
{
    QImage img = BlankImage(8, 8, clBlack);
    TCanvas canvas(img);
    const struct { int alpha; TColor want; } blends[] = {
        {0, clBlack}, {255, clWhite}, {128, 0x808080}, {64, 0x404040}};
    for (const auto &b : blends) {
        BlendPixel(&canvas, 0, 0, clWhite, b.alpha);
        EXPECT_EQ(PixelAt(img, 0, 0), b.want) << b.alpha;
        FillRectColor(&canvas, Rect(0, 0, 1, 1), clBlack);
    }
    FillRectColor(&canvas, Rect(0, 1, 8, 8), clNone);
    TRect r = Rect(0, 1, 8, 8);
    FrameRectColor(&canvas, r, clNone, true);
    EXPECT_EQ(r, Rect(1, 2, 7, 7));
    ExpectPixels(img, {{4, 4, clBlack}, {0, 1, clBlack}}, "no colour paints nothing");
    PatternFillRect(&canvas, Rect(0, 2, 8, 5), {0xCC, 0x66, 0x33}, clRed);
    ExpectPixels(img, {{0, 2, clRed}, {2, 2, clBlack}, {1, 3, clRed}, {0, 3, clBlack}, {7, 4, clRed},
                       {0, 5, clBlack}}, "a right-pointing double chevron anchored at the rectangle");
    // Frame3D: light top left, dark bottom right.
    QImage frame = BlankImage(6, 6);
    TCanvas frameCanvas(frame);
    TRect adjusted = Rect(1, 1, 5, 5), other = adjusted;
    Frame3D(&frameCanvas, adjusted, clWhite, clBlack, true);
    Frame3D(&frameCanvas, other, clRed, clBlue, false);
    EXPECT_EQ(std::tuple(adjusted, other), std::tuple(Rect(2, 2, 5, 5), Rect(1, 1, 4, 4)));
    // Top and left; right and bottom one pixel in; the rest untouched.
    ExpectPixels(frame, {{1, 1, clRed}, {3, 1, clRed}, {1, 3, clRed}, {4, 1, clBlue}, {4, 4, clBlue},
                       {1, 4, clBlue}, {2, 2, clWhite}, {5, 5, clWhite}, {0, 0, clWhite}});
    // A dithered gradient reaches both ends.
    const TColor from = RGB(0, 100, 200), to = RGB(200, 100, 0);
    QImage dither = BlankImage(6, 9);
    TCanvas ditherCanvas(dither);
    // A falling channel must land on its end value too.
    DitherGradientRect(&ditherCanvas, Rect(1, 1, 5, 6), from, true, to);
    ExpectPixels(dither, {{1, 1, from}, {4, 3, RGB(100, 100, 100)}, {4, 5, to}, {1, 0, clWhite}, {1, 6, clWhite},
                       {0, 3, clWhite}}, "rows");
    // One line alone takes the middle; an empty rectangle paints nothing.
    DitherGradientRect(&ditherCanvas, Rect(1, 7, 5, 8), from, true, to);
    DitherGradientRect(&ditherCanvas, Rect(1, 8, 5, 8), from, true, to);
    DitherGradientRect(&ditherCanvas, Rect(5, 8, 5, 9), from, false, to);
    ExpectPixels(dither, {{2, 7, RGB(100, 100, 100)}, {2, 8, clWhite}, {5, 8, clWhite}}, "one line, then none");
    DitherGradientRect(&ditherCanvas, Rect(0, 0, 6, 1), clBlack, false, clWhite);
    ExpectPixels(dither, {{0, 0, clBlack}, {5, 0, clWhite}}, "columns");
    // A brushed texture stays in its rectangle and near its colour.
    QImage brushed = BlankImage(40, 20);
    TCanvas brush(brushed);
    const TColor base = RGB(160, 160, 160);
    FillBrushedTexture(&brush, Rect(2, 2, 38, 18), 8, base);
    ExpectPixels(brushed, {{1, 1, clWhite}, {38, 18, clWhite}});
    bool varies = false;
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 38; ++x) {
            const TColor c = PixelAt(brushed, x, y);
            EXPECT_LE(std::abs(GetRValue(c) - 160), 8 * 255 / 256 + 1) << x << "," << y;
            EXPECT_LE(GetRValue(c), 239);
            varies = varies || c != PixelAt(brushed, 2, 2);
        }
    EXPECT_TRUE(varies);
    // The grain is anchored at the origin: the same spot drawn again in a piece matches.
    const TColor before = PixelAt(brushed, 20, 10);
    FillBrushedTexture(&brush, Rect(15, 5, 25, 15), 8, clBlack);
    FillBrushedTexture(&brush, Rect(15, 5, 25, 15), 8, base);
    EXPECT_EQ(PixelAt(brushed, 20, 10), before);
}

TEST(TBXUtils, ImageEffectsReworkOnlyTheImagesPixelsShadowAlphaFallsAcross)
{
    const TColor red = RGB(255, 0, 0);
    struct Row {
        const char *what;
        std::function<void(TCanvas *, TImageList *)> draw;
        // white, black, grey 120, dark red, grey 180, grey 190 (see ImagePixels)
        std::vector<TColor> want;
    } rows[] = {
        {"contrasted", [](TCanvas *c, TImageList *l) { DrawImageContrasted(c, 2, 2, l, 0); },
         {RGB(32, 32, 32), clWhite, RGB(152, 152, 152), clWhite, RGB(212, 212, 212), RGB(222, 222, 222)}},
        {"tinted", [](TCanvas *c, TImageList *l) { DrawImageTinted(c, 2, 2, l, 0, clBlue, 128); },
         {RGB(128, 128, 255), RGB(0, 0, 127), RGB(60, 60, 187), RGB(100, 0, 127), RGB(90, 90, 217),
          RGB(95, 95, 222)}},
        {"monochrome 0", [](TCanvas *c, TImageList *l) { DrawImageMonochrome(c, 2, 2, l, 0, 0); },
         {RGB(198, 99, 49), RGB(132, 66, 33), RGB(163, 81, 40), RGB(147, 73, 36), RGB(178, 89, 44),
          RGB(182, 91, 45)}},
        {"thresholded", [red](TCanvas *c, TImageList *l) { DrawImageThresholded(c, 2, 2, l, 0, red); },
         {Background, red, red, red, red, Background}},
        {"shadow", [](TCanvas *c, TImageList *l) { DrawImageShadow(c, 2, 2, l, 0, clGray); },
         {clGray, clGray, clGray, clGray, clGray, clGray}},
        {"silhouette", [](TCanvas *c, TImageList *l) { DrawImageSilhouette(c, 2, 2, l, 0, clNavy); },
         {clNavy, clNavy, clNavy, clNavy, clNavy, clNavy}},
    };
    for (const Row &row : rows) {
        const QImage img = WithEffect(row.draw);
        for (size_t i = 0; i < ImagePixels.size(); ++i)
            EXPECT_EQ(PixelAt(img, 2 + ImagePixels[i].x, 2 + ImagePixels[i].y), row.want[i])
                << row.what << " pixel " << i;
        EXPECT_EQ(PixelAt(img, 5, 5), Background) << row.what << ": transparent pixel";
        EXPECT_EQ(PixelAt(img, 1, 1), Background) << row.what << ": outside the image";
    }
    EXPECT_THROW(WithEffect([](TCanvas *c, TImageList *l) { DrawImageMonochrome(c, 2, 2, l, 0, 3); }),
                 EInvalidOperation);
    // Shadow alpha falls across the strips and rounds their ends.
    const TRect popup = Rect(10, 10, 50, 40);
    struct Case { int x, y, alpha; } cases[] = {
        {20, 20, 0},                                   // under the popup
        {50, 30, 255}, {51, 30, 191}, {53, 30, 63},    // right strip, across
        {54, 30, 0},   {50, 13, 0},                    // beyond it, above its start
        {50, 14, 63},  {50, 17, 255},                  // fading in at the top
        {30, 40, 255}, {30, 43, 63},   {30, 44, 0},    // bottom strip
        {50, 40, 255}, {51, 41, 159},  {53, 43, 0},    // the outer corner
        {14, 40, 63},  {13, 40, 0},                    // fading in at the left
    };
    for (const Case &c : cases)
        EXPECT_EQ(ShadowAlpha(popup, TRect{}, 4, c.x, c.y), c.alpha) << c.x << "," << c.y;
    EXPECT_EQ(ShadowPieceRects(popup, TRect{}, 4), (std::vector<TRect>{Rect(50, 14, 54, 40), Rect(14, 40, 54, 44)}));
    EXPECT_TRUE(ShadowPieceRects(popup, TRect{}, 0).empty());
    const QImage piece = ShadowPieceImage(Rect(50, 14, 54, 40), popup, TRect{}, 4, 61);
    EXPECT_EQ(std::tuple(piece.pixel(0, 20), piece.pixel(1, 20)), std::tuple(61u << 24, 45u << 24));
    // Cut where the popup touches its item.
    const TRect item = Rect(10, 10, 40, 20), below = Rect(10, 20, 80, 60);
    EXPECT_EQ(ShadowPieceRects(below, item, 4),
              (std::vector<TRect>{Rect(40, 14, 44, 20), Rect(80, 24, 84, 60), Rect(14, 60, 84, 64)}));
    EXPECT_EQ(ShadowAlpha(below, item, 4, 30, 21), 0);
    EXPECT_EQ(ShadowAlpha(below, item, 4, 40, 18), 255);
    EXPECT_EQ(ShadowAlpha(below, item, 4, 40, 16), 191);
    // Plain shadows are windows of half the size.
    TShadows plain(popup, TRect{}, 4, true, 61);
    plain.Show(nullptr);
    ASSERT_EQ(plain.Pieces().size(), 2u);
    EXPECT_EQ(TRect::FromQRect(plain.Pieces()[1]->geometry()), Rect(12, 40, 52, 42));
}

