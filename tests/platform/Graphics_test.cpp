#include "TestSupport.h"
#include "platform/Graphics.h"
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

namespace {

using PixelSet = std::set<std::pair<int, int>>;

// Every pixel that differs from the background.
PixelSet Painted(const QImage &img, TColor background = clWhite)
{
    PixelSet out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) != background)
                out.insert({x, y});
    return out;
}

// The pixels of a w x h image for which `in` holds.
PixelSet PixelsWhere(int w, int h, const std::function<bool(int, int)> &in)
{
    PixelSet out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (in(x, y))
                out.insert({x, y});
    return out;
}

} // namespace

TEST(Canvas, FillRectFillsExactlyTheHalfOpenRectangleAndIgnoresEmptyOnes)
{
    QImage img = BlankImage(12, 10);
    TCanvas c(img);
    c.Brush()->SetColor(clRed);
    c.FillRect(Rect(2, 3, 7, 6));
    EXPECT_EQ(Painted(img), PixelsWhere(12, 10, [](int x, int y) { return x >= 2 && x < 7 && y >= 3 && y < 6; }));
    img.fill(0xFFFFFFFFu);
    c.FillRect(Rect(5, 5, 2, 8));    // inverted
    c.FillRect(Rect(1, 1, 1, 9));    // zero width
    c.FillRect(Rect(-5, -5, 0, 0));  // outside
    c.Brush()->SetStyle(TBrushStyle::bsClear);
    c.FillRect(Rect(0, 0, 10, 10));
    EXPECT_TRUE(Painted(img).empty());
    c.Brush()->SetColor(clBlue);  // a colour makes a hollow brush solid again
    c.FillRect(Rect(-3, -3, 2, 2));
    EXPECT_EQ(Painted(img), (PixelSet{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
}

TEST(Canvas, LineToLeavesOutItsEndPoint)
{
    const struct { TPoint from, to; PixelSet expected; } cases[] = {
        {{1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {{5, 1}, {1, 1}, {{5, 1}, {4, 1}, {3, 1}, {2, 1}}}, {{2, 0}, {2, 3}, {{2, 0}, {2, 1}, {2, 2}}},
        {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}}, {{3, 0}, {0, 3}, {{3, 0}, {2, 1}, {1, 2}}},
        {{4, 4}, {4, 4}, {}},
    };
    for (const auto &c : cases) {
        QImage img = BlankImage(8, 8);
        TCanvas canvas(img);
        canvas.MoveTo(c.from.X, c.from.Y);
        canvas.LineTo(c.to.X, c.to.Y);
        EXPECT_EQ(Painted(img), c.expected) << c.from.X << "," << c.from.Y << " -> " << c.to.X << "," << c.to.Y;
        EXPECT_EQ(canvas.PenPos(), c.to);
    }
    // A polyline draws its inner vertices but not its last point.
    QImage img = BlankImage(8, 8);
    TCanvas c(img);
    c.Polyline({{1, 1}, {4, 1}, {4, 4}});
    EXPECT_EQ(Painted(img), (PixelSet{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}}));
}

TEST(Canvas, RectangleOutlinesTheInclusiveBoxAndFillsInside)
{
    QImage img = BlankImage(10, 10);
    TCanvas c(img);
    c.Pen()->SetColor(clBlue);
    c.Brush()->SetColor(clRed);
    c.Rectangle(1, 2, 7, 6);
    const auto in = [](int x, int y) { return x >= 1 && x < 7 && y >= 2 && y < 6; };
    EXPECT_EQ(Painted(img), PixelsWhere(10, 10, in));
    EXPECT_EQ(Painted(img, clRed), PixelsWhere(10, 10, [&](int x, int y) {
                  return !in(x, y) || x == 1 || x == 6 || y == 2 || y == 5;
              })) << "the border is the pen's";
    ExpectPixels(img, {{1, 2, clBlue}, {6, 5, clBlue}, {3, 5, clBlue}, {6, 3, clBlue}});
    // Without a pen the rectangle is one pixel smaller; its corners may come in any order.
    img.fill(0xFFFFFFFFu);
    c.Pen()->SetStyle(TPenStyle::psClear);
    c.Rectangle(6, 5, 1, 2);
    EXPECT_EQ(Painted(img), PixelsWhere(10, 10, [](int x, int y) { return x >= 1 && x < 5 && y >= 2 && y < 4; }));
}

TEST(Canvas, TrianglePolygonCoversExactlyItsLatticePoints)
{
    for (bool pen : {true, false}) {
        QImage img = BlankImage(12, 12);
        TCanvas c(img);
        if (!pen)
            c.Pen()->SetStyle(TPenStyle::psClear);
        c.Brush()->SetColor(clBlack);
        c.Polygon({{0, 0}, {8, 0}, {0, 8}});
        // Without a pen only the inside is filled: the hypotenuse stays open.
        EXPECT_EQ(Painted(img), PixelsWhere(12, 12, [&](int x, int y) { return x + y < 8 + pen; })) << pen;
    }
}

TEST(Canvas, EllipseAndRoundRectStayInTheirBoxAreSymmetricAndClosed)
{
    QImage img = BlankImage(14, 12);
    TCanvas c(img);
    c.Pen()->SetColor(clBlue);
    c.Brush()->SetColor(clRed);
    c.Ellipse(1, 1, 12, 10);  // box [1,11] x [1,9]
    const PixelSet px = Painted(img);
    for (auto [x, y] : px) {
        EXPECT_TRUE(px.count({12 - x, y}) && px.count({x, 10 - y})) << "mirror of " << x << "," << y;
        EXPECT_TRUE(x >= 1 && x <= 11 && y >= 1 && y <= 9) << x << "," << y;
    }
    ExpectPixels(img, {{6, 5, clRed}, {1, 5, clBlue}, {11, 5, clBlue}, {6, 1, clBlue}, {6, 9, clBlue}, {1, 1, clWhite}});
    // The brush never touches the outside: the pen encloses it without gaps, whatever the shape.
    for (const TRect &b : {Rect(0, 0, 40, 30), Rect(0, 0, 9, 31), Rect(2, 3, 37, 12), Rect(0, 0, 5, 5)}) {
        img = BlankImage(42, 34);
        TCanvas e(img);
        e.Pen()->SetColor(clBlue);
        e.Brush()->SetColor(clRed);
        e.Ellipse(b);
        const PixelSet brush = PixelsWhere(42, 34, [&](int x, int y) { return PixelAt(img, x, y) == clRed; });
        EXPECT_FALSE(brush.empty()) << b.Right << "x" << b.Bottom;
        for (auto [x, y] : brush)
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                EXPECT_NE(PixelAt(img, x + dx, y + dy), clWhite) << b.Right << "x" << b.Bottom << " at " << x << "," << y;
    }
    // A round rectangle keeps its corners clear.
    img = BlankImage(20, 20);
    TCanvas r(img);
    r.Pen()->SetColor(clBlue);
    r.Brush()->SetColor(clRed);
    r.RoundRect(0, 0, 20, 20, 8, 8);
    ExpectPixels(img, {{0, 0, clWhite}, {19, 19, clWhite}, {10, 0, clBlue}, {0, 10, clBlue}, {19, 10, clBlue},
                     {10, 19, clBlue}, {10, 10, clRed}});
}

TEST(Canvas, PatternAndHatchBrushes)
{
    QImage whole = BlankImage(16, 8), pieces = BlankImage(16, 8);
    TCanvas a(whole), b(pieces);
    for (TCanvas *c : {&a, &b})
        c->Brush()->SetDither(clRed, clBlue);
    a.FillRect(Rect(0, 0, 16, 8));
    for (const TRect &r : {Rect(0, 0, 5, 8), Rect(5, 0, 11, 3), Rect(5, 3, 16, 8), Rect(11, 0, 16, 3)})
        b.FillRect(r);
    EXPECT_EQ(whole, pieces);
    EXPECT_EQ(Painted(whole, clRed), PixelsWhere(16, 8, [](int x, int y) { return (x + y) & 1; }));
    EXPECT_EQ(Painted(whole, clBlue), PixelsWhere(16, 8, [](int x, int y) { return !((x + y) & 1); }));
    // The phase is tied to the device, not to the window origin; the brush origin moves it.
    QImage shifted = BlankImage(8, 8);
    TCanvas s(shifted);
    s.Brush()->SetDither(clRed, clBlue);
    s.SetWindowOrg(3, 0);
    s.FillRect(Rect(3, 0, 11, 8));
    EXPECT_EQ(PixelAt(shifted, 0, 0), clRed);
    s.SetBrushOrg({1, 0});
    s.FillRect(Rect(3, 0, 11, 8));
    EXPECT_EQ(PixelAt(shifted, 0, 0), clBlue);
    // A small bitmap repeats within its cell.
    TBitmap cell(2, 1);
    cell.Canvas()->SetPixel(0, 0, clRed);
    cell.Canvas()->SetPixel(1, 0, clBlue);
    QImage img = BlankImage(10, 3);
    TCanvas c(img);
    c.Brush()->SetBitmap(&cell);
    c.FillRect(Rect(0, 0, 10, 3));
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(PixelAt(img, x, 2), (x & 1) ? clBlue : clRed) << x;
    c.Brush()->SetBitmap(nullptr);
    EXPECT_FALSE(c.Brush()->HasPattern());
    c.Brush()->SetBitmap(&cell);
    c.Brush()->SetColor(clLime);  // a colour ends the pattern
    EXPECT_FALSE(c.Brush()->HasPattern());
    // A hatched brush paints the background only when opaque.
    img = BlankImage(8, 8);
    c.Brush()->SetColor(clRed);
    c.Brush()->SetStyle(TBrushStyle::bsVertical);
    EXPECT_EQ(c.BkMode(), TRANSPARENT);  // a hatched brush leaves the background alone
    c.FillRect(Rect(0, 0, 8, 8));
    ExpectPixels(img, {{4, 0, clRed}, {3, 0, clWhite}});
    c.SetBkMode(OPAQUE);
    c.SetBkColor(clYellow);
    c.FillRect(Rect(0, 0, 8, 8));
    ExpectPixels(img, {{4, 5, clRed}, {3, 5, clYellow}});
    c.Brush()->SetDither(clWhite, clBlack);  // a pattern counts as solid
    EXPECT_EQ(c.BkMode(), OPAQUE);
    c.Brush()->SetStyle(TBrushStyle::bsCross);
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
}

TEST(Canvas, ClipRectanglesAndTheWindowOriginApplyToDrawingAndPixels)
{
    QImage img = BlankImage(10, 10);
    TCanvas c(img);
    c.Brush()->SetColor(clRed);
    EXPECT_EQ(c.IntersectClipRect(Rect(2, 2, 8, 8)), SIMPLEREGION);
    EXPECT_EQ(c.ExcludeClipRect(Rect(4, 4, 6, 6)), COMPLEXREGION);
    EXPECT_EQ(c.GetClipBox(), Rect(2, 2, 8, 8));
    EXPECT_TRUE(c.RectVisible(Rect(0, 0, 3, 3)));
    EXPECT_FALSE(c.RectVisible(Rect(4, 4, 6, 6)));
    EXPECT_FALSE(c.PtVisible(5, 5));
    c.FillRect(Rect(0, 0, 10, 10));
    c.MoveTo(0, 3);
    c.LineTo(10, 3);
    EXPECT_EQ(Painted(img), PixelsWhere(10, 10, [](int x, int y) {
                  return x >= 2 && x < 8 && y >= 2 && y < 8 && !(x >= 4 && x < 6 && y >= 4 && y < 6);
              }));
    EXPECT_EQ(c.IntersectClipRect(Rect(20, 20, 30, 30)), NULLREGION);
    EXPECT_TRUE(c.GetClipBox().IsEmpty());
    // The window origin moves drawing, pixels and the clip alike.
    img.fill(0xFFFFFFFFu);
    c.RemoveClip();
    c.SetWindowOrg(10, 20);  // logical (10,20) is the top-left pixel
    c.IntersectClipRect(Rect(10, 20, 13, 23));
    c.FillRect(Rect(0, 0, 100, 100));
    EXPECT_EQ(Painted(img).size(), 9u);
    EXPECT_EQ(c.Pixel(12, 22), clRed);
    EXPECT_EQ(c.Pixel(13, 23), clWhite);
    EXPECT_EQ(c.GetClipBox(), Rect(10, 20, 13, 23));
    c.MoveWindowOrg(2, 0);  // logical (10,20) now lands on pixel (2,0)
    EXPECT_EQ(c.LPtoDP(TPoint{10, 20}), (TPoint{2, 0}));
    EXPECT_EQ(c.Pixel(100, 100), clNone);
    // Pixels are read and written through the clip.
    img.fill(0xFFFFFFFFu);
    c.SetWindowOrg(0, 0);
    c.RemoveClip();
    c.ExcludeClipRect(Rect(0, 0, 1, 1));
    for (int x : {0, 1, -1})
        c.SetPixel(x, 0, clRed);
    EXPECT_EQ(c.Pixel(0, 0), clWhite);
    EXPECT_EQ(c.Pixel(1, 0), clRed);
    c.SetPixel(2, 2, clBtnFace);  // system colours resolve
    EXPECT_EQ(c.Pixel(2, 2), ColorToRGB(clBtnFace));
}

TEST(Canvas, SaveRestoreAndTheStateGuardBringBackClipPenBrushAndOrigin)
{
    QImage img = BlankImage(10, 10);
    TCanvas c(img);
    c.Brush()->SetColor(clRed);
    const int level = c.SaveDC();
    c.IntersectClipRect(Rect(0, 0, 2, 2));
    c.Brush()->SetColor(clBlue);
    c.SetWindowOrg(5, 5);
    c.SaveDC();
    c.Pen()->SetColor(clLime);
    EXPECT_TRUE(c.RestoreDC(-1));
    EXPECT_EQ(c.Pen()->Color(), clBlack);
    EXPECT_EQ(c.Brush()->Color(), clBlue);
    EXPECT_TRUE(c.RestoreDC(level));
    EXPECT_FALSE(c.RestoreDC(level));  // gone with the restore
    EXPECT_FALSE(c.HasClip());
    EXPECT_EQ(c.WindowOrg(), (TPoint{0, 0}));
    c.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(PixelAt(img, 9, 9), clRed);
    // The restored brush still drives the background.
    c.Brush()->SetColor(clYellow);
    EXPECT_EQ(c.BkColor(), clYellow);
    // A state guard restores on every exit, a throw among them.
    const auto paint = [&](bool fail) {
        TCanvasStateGuard guard(c);
        c.Brush()->SetColor(clBlue);
        c.SetViewportOrg(5, 5);
        c.IntersectClipRect(Rect(0, 0, 2, 2));
        if (fail)
            throw std::runtime_error("paint failed");
    };
    paint(false);
    EXPECT_THROW(paint(true), std::runtime_error);
    EXPECT_EQ(c.Brush()->Color(), clYellow);
    EXPECT_EQ(c.ViewportOrg(), (TPoint{0, 0}));
    EXPECT_FALSE(c.HasClip());
}

TEST(Canvas, PenModesAndStylesCombineWithTheDestination)
{
    QImage img = BlankImage(8, 2, RGB(0x12, 0x34, 0x56));
    TCanvas c(img);
    c.Pen()->SetMode(TPenMode::pmXor);
    c.Pen()->SetColor(RGB(0xFF, 0x00, 0xFF));
    for (TColor expected : {RGB(0x12 ^ 0xFF, 0x34, 0x56 ^ 0xFF), RGB(0x12, 0x34, 0x56)}) {
        c.MoveTo(0, 0);
        c.LineTo(8, 0);
        EXPECT_EQ(c.Pixel(3, 0), expected);
    }
    const struct { TPenMode mode; TColor expected; } cases[] = {
        {TPenMode::pmNot, RGB(0xED, 0xCB, 0xA9)}, {TPenMode::pmBlack, clBlack}, {TPenMode::pmWhite, clWhite},
        {TPenMode::pmNop, RGB(0x12, 0x34, 0x56)},
        {TPenMode::pmMask, RGB(0x12 & 0xF0, 0x34 & 0x0F, 0x56 & 0xFF)},
        {TPenMode::pmMerge, RGB(0x12 | 0xF0, 0x34 | 0x0F, 0x56 | 0xFF)},
        {TPenMode::pmNotCopy, RGB(0x0F, 0xF0, 0x00)},
    };
    for (const auto &k : cases) {
        img.fill(ColorToQRgb(RGB(0x12, 0x34, 0x56)));
        c.Pen()->SetMode(k.mode);
        c.Pen()->SetColor(RGB(0xF0, 0x0F, 0xFF));
        c.MoveTo(0, 1);
        c.LineTo(8, 1);
        EXPECT_EQ(c.Pixel(2, 1), k.expected) << static_cast<int>(k.mode);
    }
    // A dotted pen leaves gaps, or fills them with the background.
    img = BlankImage(14, 2);
    c.Pen()->SetMode(TPenMode::pmCopy);
    c.Pen()->SetColor(clBlack);
    c.Pen()->SetStyle(TPenStyle::psDot);
    c.SetBkMode(TRANSPARENT);
    c.MoveTo(0, 0);
    c.LineTo(12, 0);
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(PixelAt(img, x, 0), (x / 3) % 2 ? clWhite : clBlack) << x;
    c.SetBkMode(OPAQUE);
    c.SetBkColor(clRed);
    c.MoveTo(0, 1);
    c.LineTo(12, 1);
    ExpectPixels(img, {{4, 1, clRed}, {7, 1, clBlack}});
}

TEST(Canvas, FrameRectFocusRectAndGradient)
{
    QImage img = BlankImage(8, 8);
    TCanvas c(img);
    c.Brush()->SetColor(clRed);
    c.FrameRect(Rect(1, 1, 6, 5));
    EXPECT_EQ(Painted(img), PixelsWhere(8, 8, [](int x, int y) {
                  return x >= 1 && x < 6 && y >= 1 && y < 5 && (x == 1 || x == 5 || y == 1 || y == 4);
              }));
    QImage focus = BlankImage(10, 10);
    TCanvas f(focus);
    f.Brush()->SetColor(clWhite);  // background white, text black: every other pixel inverted
    f.DrawFocusRect(Rect(1, 1, 9, 9));
    ExpectPixels(focus, {{1, 1, clBlack}, {2, 1, clWhite}, {3, 1, clBlack}, {4, 4, clWhite}});
    f.DrawFocusRect(Rect(1, 1, 9, 9));
    EXPECT_EQ(focus, BlankImage(10, 10));
    f.GradientFill(Rect(0, 0, 4, 4), clBlack, RGB(200, 100, 40), true);  // from top to bottom
    EXPECT_EQ(std::pair(f.Pixel(0, 3), f.Pixel(3, 3)), std::pair(RGB(150, 75, 30), RGB(150, 75, 30)));
}

TEST(Canvas, AlphaBlendAndCopyRect)
{
    QImage img = BlankImage(2, 1);
    TCanvas c(img);
    QImage red(1, 1, QImage::Format_RGB32);
    red.fill(0xFFFF0000u);
    c.AlphaBlend(Rect(0, 0, 1, 1), red, Rect(0, 0, 1, 1), 128, false);
    EXPECT_EQ(c.Pixel(0, 0), RGB(255, 127, 127));
    // Premultiplied half-transparent blue over white, then scaled by a constant of 255.
    QImage blue(1, 1, QImage::Format_ARGB32_Premultiplied);
    blue.setPixel(0, 0, qRgba(0, 0, 128, 128));
    c.AlphaBlend(Rect(1, 0, 2, 1), blue, Rect(0, 0, 1, 1), 255, true);
    EXPECT_EQ(c.Pixel(1, 0), RGB(127, 127, 255));
    // A source rectangle outside the image draws nothing.
    c.AlphaBlend(Rect(0, 0, 1, 1), red, Rect(0, 0, 2, 1), 255, false);
    EXPECT_EQ(c.Pixel(0, 0), RGB(255, 127, 127));
    // CopyRect scrolls within one image and follows the copy mode.
    img = BlankImage(6, 1);
    for (int x = 0; x < 6; ++x)
        c.SetPixel(x, 0, RGB(x * 10, 0, 0));
    c.CopyRect(Rect(1, 0, 6, 1), &c, Rect(0, 0, 5, 1));
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(c.Pixel(x, 0), RGB((x - 1) * 10, 0, 0)) << x;
    QImage other = BlankImage(2, 1, RGB(0x0F, 0xF0, 0x00));
    TCanvas src(other);
    c.SetCopyMode(cmSrcInvert);
    c.SetPixel(0, 0, RGB(0xFF, 0xFF, 0xFF));
    c.CopyRect(Rect(0, 0, 1, 1), &src, Rect(0, 0, 1, 1));
    EXPECT_EQ(c.Pixel(0, 0), RGB(0xF0, 0x0F, 0xFF));
}

TEST(Canvas, DrawCopiesBitmapsSkipsTheTransparentColourAndStretches)
{
    TBitmap bmp(3, 2);
    bmp.Canvas()->Brush()->SetColor(clLime);
    bmp.Canvas()->FillRect(Rect(0, 0, 3, 2));
    bmp.Canvas()->SetPixel(0, 1, clFuchsia);  // bottom-left: the automatic transparent colour
    bmp.Canvas()->SetPixel(2, 0, clFuchsia);
    QImage img = BlankImage(6, 4);
    TCanvas c(img);
    c.Draw(1, 1, &bmp);
    EXPECT_EQ(c.Pixel(3, 1), clFuchsia);
    bmp.SetTransparent(true);
    EXPECT_EQ(bmp.TransparentColor(), clFuchsia);
    img.fill(0xFFFFFFFFu);
    c.Draw(1, 1, &bmp);
    ExpectPixels(img, {{3, 1, clWhite}, {1, 2, clWhite}, {2, 2, clLime}});
    bmp.SetTransparentColor(clLime);
    img.fill(0xFFFFFFFFu);
    c.Draw(1, 1, &bmp);
    ExpectPixels(img, {{2, 2, clWhite}, {3, 1, clFuchsia}});
    // Stretched by nearest pixel.
    TBitmap two(2, 1);
    two.Canvas()->SetPixel(0, 0, clRed);
    two.Canvas()->SetPixel(1, 0, clBlue);
    c.StretchDraw(Rect(0, 0, 4, 2), &two);
    EXPECT_EQ(Painted(img.copy(0, 0, 4, 2), clBlue), PixelsWhere(4, 2, [](int x, int) { return x < 2; }));
    EXPECT_EQ(Painted(img.copy(0, 0, 4, 2), clRed), PixelsWhere(4, 2, [](int x, int) { return x >= 2; }));
}

TEST(Canvas, BitBltRasterOperationsAndMasks)
{
    QImage src = BlankImage(1, 1, RGB(0xF0, 0xF0, 0x0F));
    const struct { std::uint32_t rop; TColor expected; } cases[] = {
        {SRCCOPY, RGB(0xF0, 0xF0, 0x0F)}, {SRCAND, RGB(0xF0 & 0x3C, 0xF0 & 0x3C, 0x0F & 0x3C)},
        {SRCPAINT, RGB(0xF0 | 0x3C, 0xF0 | 0x3C, 0x0F | 0x3C)}, {NOTSRCCOPY, RGB(0x0F, 0x0F, 0xF0)},
        {DSTINVERT, RGB(0xC3, 0xC3, 0xC3)}, {BLACKNESS, clBlack}, {WHITENESS, clWhite}, {PATCOPY, clRed},
        {PATINVERT, RGB(0x3C ^ 0xFF, 0x3C, 0x3C)}, {MERGECOPY, RGB(0xF0, 0, 0)},
    };
    for (const auto &k : cases) {
        QImage img = BlankImage(1, 1, RGB(0x3C, 0x3C, 0x3C));
        TCanvas c(img);
        c.Brush()->SetColor(clRed);
        c.BitBlt(0, 0, 1, 1, src, 0, 0, k.rop);
        EXPECT_EQ(c.Pixel(0, 0), k.expected) << std::hex << k.rop;
    }
    // A mask paints its set bits in the brush colour.
    QImage img = BlankImage(5, 3);
    TCanvas c(img);
    c.Brush()->SetColor(clNavy);
    c.DrawMask(1, 0, TMonoMask::FromRows({"#.#", ".#.", "#.#"}));
    EXPECT_EQ(Painted(img), (PixelSet{{1, 0}, {3, 0}, {2, 1}, {1, 2}, {3, 2}}));
    EXPECT_EQ(c.Pixel(2, 1), clNavy);
}

TEST(Bitmap, ScanLinesAndCanvasShareThePixels)
{
    TBitmap bmp(4, 3);
    EXPECT_EQ(bmp.Canvas()->Pixel(3, 2), clBlack);  // new bitmaps are black
    bmp.ScanLine(1)[2] = 0xFF102030u;
    EXPECT_EQ(bmp.Canvas()->Pixel(2, 1), RGB(0x10, 0x20, 0x30));
    bmp.Canvas()->SetPixel(0, 2, RGB(1, 2, 3));
    EXPECT_EQ(bmp.ScanLine(2)[0] & 0xFFFFFF, 0x010203u);
    EXPECT_THROW(bmp.ScanLine(3), EInvalidOperation);
    EXPECT_THROW(bmp.ScanLine(-1), EInvalidOperation);
    bmp.SetSize(6, 2);  // keeps what fits
    EXPECT_EQ(bmp.Canvas()->Pixel(2, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(bmp.Canvas()->Pixel(5, 1), clBlack);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 100, 100));  // the canvas follows the new size
    EXPECT_EQ(bmp.Canvas()->Pixel(5, 1), clRed);
    TBitmap copy;
    copy.Assign(bmp);
    bmp.Canvas()->SetPixel(0, 0, clBlue);
    EXPECT_EQ(copy.Canvas()->Pixel(0, 0), clRed);
    bmp.SetSize(0, 0);
    EXPECT_TRUE(bmp.Empty());
    bmp.Canvas()->FillRect(Rect(0, 0, 5, 5));  // nothing to draw on, nothing breaks
}

