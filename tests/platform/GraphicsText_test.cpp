#include "TestSupport.h"
#include "platform/Graphics.h"
#include <gtest/gtest.h>

namespace {

// Every character 7 pixels wide (CJK 12), cells 13 high: layouts independent of installed fonts.
class FixedMetrics final : public ITextMetrics
{
public:
    TTextMetric Metrics(const TFont &) override { return {13, 10, 3, 1, 2, 7, 12}; }
    int TextWidth(const TFont &, const QString &text) override
    {
        int w = 0;
        for (QChar c : text)
            w += c.unicode() >= 0x2E80 ? 12 : 7;
        return w;
    }
};

class CanvasText : public ::testing::Test
{
protected:
    void SetUp() override { SetTextMetrics(&metrics); }
    void TearDown() override { SetTextMetrics(nullptr); }
    FixedMetrics metrics;
};

} // namespace

TEST_F(CanvasText, CalcRectMeasuresLinesPrefixesAndWrapping)
{
    const struct { const char *text; int width; unsigned format; int right, bottom; } cases[] = {
        {"abc", 100, DT_SINGLELINE, 21, 13}, {"ab\ncde", 100, 0, 21, 26}, {"ab\r\ncde\rf", 100, 0, 21, 39},
        {"ab\ncde", 100, DT_SINGLELINE, 35, 13},              // breaks are dropped on one line
        {"&File", 100, DT_SINGLELINE, 28, 13},                // the prefix takes no room
        {"a&&b", 100, DT_SINGLELINE, 21, 13},                 // "&&" shows one "&"
        {"ab&", 100, DT_SINGLELINE, 21, 13},                  // a final "&" stays
        {"&File", 100, DT_SINGLELINE | DT_NOPREFIX, 35, 13},
        {"aaa bbb ccc", 50, DT_WORDBREAK, 49, 26},            // "aaa bbb" fits in 50
        {"aaa bbb ccc", 48, DT_WORDBREAK, 21, 39},
        {"abcdefghij", 20, DT_WORDBREAK, 70, 13},             // one long word is not split
        {"中文字符", 30, DT_WORDBREAK, 24, 26},                 // CJK breaks between characters
        {"中文，字符", 30, DT_WORDBREAK, 24, 39},               // but never before a comma
        {"abcdefghij", 40, DT_SINGLELINE | DT_END_ELLIPSIS, 35, 13},  // "ab..."
        {"ab\ncd", 100, DT_EXTERNALLEADING, 14, 30},
        {"a\tb", 100, DT_SINGLELINE | DT_EXPANDTABS, 63, 13},  // tab to 8 average widths
        {"", 100, 0, 0, 0},                                     // empty text collapses the rectangle
    };
    TCanvas c;
    for (const auto &k : cases) {
        TRect r = Rect(10, 20, 10 + k.width, 200);
        const int h = c.DrawText(QString::fromUtf8(k.text), r, k.format | DT_CALCRECT);
        EXPECT_EQ(r, Rect(10, 20, 10 + k.right, 20 + k.bottom)) << k.text;
        EXPECT_EQ(h, k.bottom) << k.text;
    }
}

TEST_F(CanvasText, PathEllipsisKeepsWhatFits)
{
    TCanvas c;
    // The file name and as much of the head as fits: 4+3+9 chars = 112; a file name that alone
    // is too wide is cut at its end (0: to whatever fits); text that fits is left alone.
    const struct { const char *text; int width, right; } cases[] = {
        {"c:/abcdef/name.txt", 115, 112}, {"a/verylongname", 50, 0}, {"c:/abcdef/name.txt", 200, 18 * 7}};
    for (const auto &k : cases) {
        TRect r = Rect(0, 0, k.width, 13);
        c.DrawText(k.text, r, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_CALCRECT);
        EXPECT_EQ(r.Right, k.right ? k.right : std::min(r.Right, k.width)) << k.text << " in " << k.width;
    }
}

TEST_F(CanvasText, VerticalAlignmentAndTheReturnedHeight)
{
    QImage img = BlankImage(100, 40);
    TCanvas c(img);
    c.Brush()->SetColor(clYellow);  // opaque: the text cell is filled, which shows where it went
    EXPECT_EQ(c.TextExtent(QStringLiteral("农历")), (TSize{24, 13}));
    TRect r = Rect(0, 0, 100, 33);
    EXPECT_EQ(c.DrawText(" ", r, DT_SINGLELINE | DT_VCENTER | DT_CENTER), 10 + 13);
    // The cell of one space: 7 x 13 centred at x 46, y 10.
    ExpectPixels(img, {{46, 10, clYellow}, {52, 22, clYellow}, {45, 10, clWhite}, {53, 10, clWhite}, {46, 9, clWhite},
                     {46, 23, clWhite}});
    img.fill(0xFFFFFFFFu);
    r = Rect(0, 0, 100, 33);
    EXPECT_EQ(c.DrawText(" ", r, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT), 33);
    ExpectPixels(img, {{93, 20, clYellow}, {92, 20, clWhite}, {93, 19, clWhite}});
    // Without DT_SINGLELINE vertical centring does not apply.
    r = Rect(0, 0, 100, 33);
    EXPECT_EQ(c.DrawText(" \n ", r, DT_VCENTER), 26);
}

TEST_F(CanvasText, PrefixUnderlinesTheMarkedCharacter)
{
    QImage img = BlankImage(60, 20);
    TCanvas c(img);
    c.Brush()->SetStyle(TBrushStyle::bsClear);
    c.Font()->SetColor(clRed);
    TRect r = Rect(0, 0, 60, 20);
    // Spaces have no ink, so only the underline can paint: under the second space, one row
    // below the baseline.
    c.DrawText(" & ", r, DT_SINGLELINE);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 20; ++y) {
            const bool underline = y == 11 && x >= 7 && x < 14;
            EXPECT_EQ(PixelAt(img, x, y), underline ? clRed : clWhite) << x << "," << y;
        }
    img.fill(0xFFFFFFFFu);
    c.DrawText(" & ", r, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_TRUE(UnchangedOutside(img, Rect(0, 0, 0, 0)));
    c.DrawText(" && ", r, DT_SINGLELINE);  // an escaped "&" is drawn, never underlined
    EXPECT_EQ(PixelAt(img, 10, 11), clWhite);
    // Only the last marked character of a line is underlined.
    img.fill(0xFFFFFFFFu);
    c.DrawText("& & ", r, DT_SINGLELINE | DT_PREFIXONLY);
    EXPECT_EQ(PixelAt(img, 3, 11), clWhite);
    EXPECT_EQ(PixelAt(img, 10, 11), clRed);
}

TEST_F(CanvasText, TextClipsToItsRectangleUnlessNoClipAndToTheCanvasClipAndTextRectFillsIt)
{
    QImage img = BlankImage(100, 30);
    TCanvas c(img);
    c.Brush()->SetColor(clYellow);
    TRect r = Rect(10, 5, 30, 15);
    c.DrawText("          ", r, DT_SINGLELINE);
    EXPECT_TRUE(UnchangedOutside(img, r));
    EXPECT_EQ(PixelAt(img, 29, 14), clYellow);
    c.DrawText("          ", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(PixelAt(img, 60, 10), clYellow);
    // The canvas clip applies to text as well.
    img.fill(0xFFFFFFFFu);
    c.ExcludeClipRect(Rect(0, 0, 7, 20));
    c.TextOut(0, 0, "   ");
    EXPECT_EQ(PixelAt(img, 3, 3), clWhite);
    EXPECT_EQ(PixelAt(img, 10, 3), clYellow);
    EXPECT_EQ(c.PenPos(), (TPoint{21, 0}));
    // TextRect fills its whole rectangle when opaque.
    img = BlankImage(40, 20);
    c.RemoveClip();
    c.Brush()->SetColor(clAqua);
    c.TextRect(Rect(2, 2, 30, 18), 5, 5, " ");
    ExpectPixels(img, {{2, 2, clAqua}, {29, 17, clAqua}, {30, 17, clWhite}});
    c.Brush()->SetStyle(TBrushStyle::bsClear);
    img.fill(0xFFFFFFFFu);
    c.TextRect(Rect(2, 2, 30, 18), 5, 5, " ");
    EXPECT_TRUE(UnchangedOutside(img, Rect(0, 0, 0, 0)));
}

TEST_F(CanvasText, RealGlyphsLandInsideTheirCellAndMeasuresFollowTheFont)
{
    SetTextMetrics(nullptr);  // the real font this time
    QImage img = BlankImage(80, 40);
    TCanvas c(img);
    c.Brush()->SetStyle(TBrushStyle::bsClear);
    c.Font()->SetColor(clBlack);
    c.TextOut(10, 10, QStringLiteral("国W"));
    const TSize ext = c.TextExtent(QStringLiteral("国W"));
    bool inked = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            if (PixelAt(img, x, y) != clWhite) {
                inked = true;
                EXPECT_TRUE(Rect(9, 9, 11 + ext.cx, 11 + ext.cy).Contains({x, y})) << x << "," << y;
            }
    EXPECT_TRUE(inked);
    // The real font's measures are kept between calls, and follow every change of the font.
    const QString text = QStringLiteral("联系人 WWW");
    c.Font()->SetHeight(-12);
    const int small = c.TextWidth(text), smallHeight = c.GetTextMetrics().tmHeight;
    c.Font()->SetHeight(-24);
    EXPECT_GT(c.TextWidth(text), small);
    EXPECT_GT(c.GetTextMetrics().tmHeight, smallHeight);
    c.Font()->SetStyle({TFontStyle::fsBold});
    const int bold = c.TextWidth(text);
    c.Font()->SetStyle({});
    EXPECT_NE(c.TextWidth(text), bold);
    c.Font()->SetHeight(-12);
    c.Font()->SetOrientation(-900);  // the same as 2700
    EXPECT_EQ(c.Font()->Orientation(), 2700);
    EXPECT_EQ(c.TextWidth(text), small);
    EXPECT_GT(c.TextWidth(text + QLatin1Char('W')), small);
}
