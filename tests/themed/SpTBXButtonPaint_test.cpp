// Push buttons as painted: the desktop's look with its default frame and
// disabled caption, the theme's look, and where a caption and a glyph go.
#include "TBXTestSupport.h"
#include "platform/Forms.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "themed/SpTBXDkPanels.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXNexus.h"

namespace {

QImage Print(TControl &c)
{
    QImage image = BlankImage(c.Width(), c.Height(), 0x00FF00FF);
    TCanvas canvas(image);
    c.PaintTo(canvas, 0, 0);
    return image;
}

int Count(const QImage &image, TColor color, const TRect &r)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += PixelAt(image, x, y) == ColorToRGB(color);
    return n;
}

// A theme that paints every image as a blue square.
struct BlueImages : TTBXDefaultTheme {
    using TTBXDefaultTheme::TTBXDefaultTheme;
    void PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &, const TCustomImageList *, int) override
    {
        TCanvasStateGuard guard(canvas);
        canvas.Brush()->SetColor(clBlue);
        canvas.FillRect(rect);
    }
};

TEST(SpTBXButtonPaint, DesktopAndThemeLooksAndCaptionAndGlyphLayout)
{
    SetCurrentTheme("Default");
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TImageList images(nullptr);
    images.SetSize(16, 16);
    QImage glyph(16, 16, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::red);
    images.AddImage(glyph);
    const auto button = [&form](const char *caption) {
        auto *b = new TSpTBXButton(&form);
        b->SetParent(&form);
        b->SetCaptionW(QString::fromUtf8(caption));
        b->SetBounds(0, 0, 90, 28);
        return b;
    };
    TSpTBXButton *plain = button("确定"), *deflt = button("默认"), *off = button("停用"), *themed = button("图");
    deflt->SetDefault(true);
    off->SetEnabled(false);
    themed->SetImages(&images);
    themed->SetImageIndex(0);
    themed->SetThemeType(TSpTBXThemeType::thtTBX);
    form.Show();
    const QImage a = Print(*plain), d = Print(*deflt), o = Print(*off), t = Print(*themed);
    // A default button has a frame in the window-frame colour outside its raised face.
    EXPECT_EQ(PixelAt(d, 0, 0), ColorToRGB(clWindowFrame));
    EXPECT_NE(PixelAt(a, 0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(PixelAt(a, 45, 3), ColorToRGB(clBtnFace));
    // A disabled caption is embossed: highlight and shadow, no text colour.
    const TRect inside{4, 4, 86, 24};
    EXPECT_GT(Count(o, clBtnShadow, inside), 0);
    EXPECT_GT(Count(o, clBtnHighlight, inside), 0);
    EXPECT_EQ(Count(o, clBtnText, inside), 0);
    EXPECT_GT(Count(a, clBtnText, inside), 0);
    // The glyph sits whole in the left half, before the caption, in the theme's look.
    EXPECT_EQ(Count(t, 0x000000FF, inside), 16 * 16);
    EXPECT_EQ(Count(t, 0x000000FF, TRect{45, 0, 90, 28}), 0);
    // The theme paints the image in the theme's look; in the desktop's the image list draws it.
    if (!IsThemeRegistered("BlueImages"))
        RegisterTheme("BlueImages", ThemeClassOf<BlueImages>());
    SetCurrentTheme("BlueImages");
    EXPECT_EQ(Count(Print(*themed), clBlue, inside), 16 * 16);
    themed->SetThemeType(TSpTBXThemeType::thtWindows);
    EXPECT_EQ(Count(Print(*themed), clRed, inside), 16 * 16);
    SetCurrentTheme("Default");
    // Where the caption and the glyphSize go.
    const TRect box{0, 0, 100, 20};
    const TSize text{40, 10}, glyphSize{16, 16};
    struct Row { TAlignment align; TSpGlyphLayout layout; bool pushed; int textLeft, glyphLeft, textTop; } rows[] = {
        {TAlignment::taLeftJustify, TSpGlyphLayout::ghlGlyphLeft, false, 20, 0, 5},
        {TAlignment::taCenter, TSpGlyphLayout::ghlGlyphLeft, false, 40, 20, 5},
        {TAlignment::taRightJustify, TSpGlyphLayout::ghlGlyphRight, false, 40, 84, 5},
        {TAlignment::taCenter, TSpGlyphLayout::ghlGlyphCenter, true, 31, 43, 6},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(int(r.layout) * 10 + int(r.align));
        TRect tr, gr;
        SpCalcCaptionLayout(box, text, glyphSize, r.align, r.layout, r.pushed, tr, gr);
        EXPECT_EQ((std::vector<int>{tr.Left, gr.Left, tr.Top, tr.Width(), gr.Width()}),
                  (std::vector<int>{r.textLeft, r.glyphLeft, r.textTop, 40, 16}));  // text, glyphSize, top, widths
    }
    TRect tr, gr;
    SpCalcCaptionLayout(box, text, {0, 0}, TAlignment::taCenter, TSpGlyphLayout::ghlGlyphLeft, false, tr, gr);
    EXPECT_EQ(std::tuple(tr.Left, gr.IsEmpty()), std::tuple(30, true)) << "no glyph: the caption alone is centred";
}

} // namespace
