#include "platform/ImgList.h"
#include "TestSupport.h"
#include "platform/Graphics.h"
#include <gtest/gtest.h>

namespace {

// A strip of `count` 4x4 cells: cell i is filled with colours[i], with a fuchsia top-left pixel.
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colours)
{
    auto bmp = std::make_unique<TBitmap>(4 * static_cast<int>(colours.size()), 4);
    int i = 0;
    for (TColor c : colours) {
        bmp->Canvas()->Brush()->SetColor(c);
        bmp->Canvas()->FillRect(Bounds(i * 4, 0, 4, 4));
        bmp->Canvas()->SetPixel(i * 4, 0, clFuchsia);
        ++i;
    }
    return bmp;
}

} // namespace

TEST(ImageList, AddMaskedDropsTheMaskColourAddTheWhiteMaskPixelsAndResizingEmpties)
{
    TComponent owner(nullptr);
    TImageList &list = *new TImageList(&owner);  // the owner frees it
    EXPECT_EQ(owner.ComponentCount(), 1);
    list.SetSize(4, 4);
    const auto strip = Strip({clRed, clBlue, clLime});
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 3);
    EXPECT_EQ(list.AddMasked(nullptr, clFuchsia), -1);
    ASSERT_EQ(list.Count(), 6);
    QImage img = BlankImage(10, 10);
    TCanvas c(img);
    list.Draw(&c, 2, 3, 1);
    list.Draw(&c, 0, 0, 6);  // no such image
    list.Draw(&c, 0, 0, -1);
    ExpectPixels(img, {{2, 3, clWhite}, {3, 3, clBlue}, {5, 6, clBlue}, {6, 6, clWhite}, {0, 0, clWhite}});
    // Add takes white mask pixels as transparent.
    const auto image = Strip({clRed});
    TBitmap mask(4, 4);  // black: opaque
    mask.Canvas()->SetPixel(3, 3, clWhite);
    ASSERT_EQ(list.Add(image.get(), &mask), 6);
    ASSERT_EQ(list.Add(image.get(), nullptr), 7);
    img.fill(0xFFFFFFFFu);
    list.Draw(&c, 0, 0, 6);
    list.Draw(&c, 4, 0, 7);
    ExpectPixels(img, {{3, 3, clWhite}, {0, 0, clFuchsia}, {7, 3, clRed}});
    // Resizing empties the list; a narrower image still makes one entry, the rest transparent.
    list.SetSize(8, 8);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(qAlpha(list.Image(0).pixel(7, 7)), 0);
    EXPECT_TRUE(list.Image(5).isNull());
}

TEST(ImageList, DisabledImagesAreEmbossedAndAlphaBlends)
{
    TImageList list(nullptr);
    list.SetSize(4, 4);
    auto bmp = std::make_unique<TBitmap>(4, 4);
    bmp->Canvas()->Brush()->SetColor(clFuchsia);
    bmp->Canvas()->FillRect(Rect(0, 0, 4, 4));
    bmp->Canvas()->SetPixel(1, 1, clNavy);   // dark: embossed, its highlight at (2,2)
    bmp->Canvas()->SetPixel(2, 2, clWhite);  // white: disappears
    list.AddMasked(bmp.get(), clFuchsia);
    QImage img = BlankImage(6, 6, clBlack);
    TCanvas c(img);
    list.Draw(&c, 0, 0, 0, false);
    ExpectPixels(img, {{1, 1, ColorToRGB(clBtnShadow)}, {2, 2, ColorToRGB(clBtnHighlight)}, {3, 3, clBlack}, {0, 0, clBlack}});
    TImageList alpha(nullptr);
    alpha.SetSize(2, 1);
    QImage src(2, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, qRgba(255, 0, 0, 255));
    src.setPixel(1, 0, qRgba(0, 0, 0, 0));
    ASSERT_EQ(alpha.AddImage(src), 0);
    img.fill(0xFFFFFFFFu);
    alpha.Draw(&c, 0, 0, 0);
    ExpectPixels(img, {{0, 0, clRed}, {1, 0, clWhite}});
}

TEST(ImageList, ChangeLinksHearOfChangesAndNeverDangle)
{
    auto *list = new TImageList(nullptr);
    TChangeLink a, b;
    int heardA = 0, heardB = 0;
    a.OnChange = [&](TCustomImageList *sender) {
        EXPECT_EQ(sender, list);
        ++heardA;
    };
    b.OnChange = [&](TCustomImageList *) {
        ++heardB;
        list->UnRegisterChanges(&b);  // a handler may leave during the notice
    };
    list->RegisterChanges(&a);
    list->RegisterChanges(&b);
    EXPECT_EQ(a.Sender(), list);
    const auto strip = Strip({clRed});
    list->SetSize(4, 4);
    list->AddMasked(strip.get(), clFuchsia);
    EXPECT_EQ(heardA, 2);
    EXPECT_EQ(heardB, 1);
    EXPECT_EQ(b.Sender(), nullptr);
    {
        TChangeLink shortLived;
        list->RegisterChanges(&shortLived);
    }  // unregisters itself
    list->Clear();
    EXPECT_EQ(heardA, 3);
    delete list;
    EXPECT_EQ(a.Sender(), nullptr);  // a's destructor must not touch the freed list
}
