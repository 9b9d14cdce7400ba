// The classic painting of plain toolbars and menus.
#include "TB2TestSupport.h"
#include "TestSupport.h"

namespace {

struct TSplitItem : TSubmenuItem {
    explicit TSplitItem(TComponent *AOwner) : TSubmenuItem(AOwner) { SetItemStyle(ItemStyle() | tbis::SplitDropdown); }
};

void AddImage(TCustomImageList &list, TColor color)
{
    TBitmap bitmap(16, 16);
    bitmap.Canvas()->Brush()->SetColor(color);
    bitmap.Canvas()->FillRect(Rect(0, 0, 16, 16));
    list.Add(&bitmap, nullptr);
}

// The item alone in a toolbar (or menu) view, painted on the button face.
struct Painted {
    Painted(TTBCustomItem *item, bool toolbar, bool vertical = false) : view(nullptr, nullptr, &root, nullptr, toolbar, false, false)
    {
        root.Add(item);
        if (vertical)
            view.SetOrientation(TTBViewOrientation::tbvoVertical);
        viewer = view.Find(item);
    }
    QImage Paint(int w, int h, bool selected, bool shadow = false, TColor text = clBtnText)
    {
        QImage image = BlankImage(w, h, clBtnFace);
        TCanvas canvas(image);
        canvas.Font()->SetColor(text);
        viewer->Paint(canvas, Rect(0, 0, w, h), selected, false, shadow);
        return image;
    }
    TTBRootItem root{nullptr};
    TTBView view;
    TTBItemViewer *viewer = nullptr;
};

TEST(TB2ItemViewerPaint, ToolbarImagesComeFromTheStateListsOfAFrameworkImageList)
{
    TTBImageList images(nullptr), hot(nullptr), disabled(nullptr), checked(nullptr);
    AddImage(images, clRed), AddImage(hot, clBlue), AddImage(disabled, clLime), AddImage(checked, clYellow);
    images.SetHotImages(&hot), images.SetDisabledImages(&disabled), images.SetCheckedImages(&checked);
    auto *item = new TTBItem(nullptr);
    item->SetImages(&images);
    item->SetImageIndex(0);
    Painted p(item, true);
    const struct { bool selected, enabled, isChecked; TColor want; } cases[] = {
        {false, true, false, clRed}, {true, true, false, clBlue}, {false, false, false, clLime}, {false, true, true, clYellow}};
    for (const auto &c : cases) {
        item->SetEnabled(c.enabled);
        item->SetChecked(c.isChecked);
        EXPECT_EQ(PixelAt(p.Paint(23, 22, c.selected), 11, 11), c.want) << c.selected << c.enabled << c.isChecked;
    }
}

TEST(TB2ItemViewerPaint, SplitItemShowsAFivePixelArrowInItsArrowPart)
{
    Painted p(new TSplitItem(nullptr), true);
    // Rows of 5, 3 and 1 pixels centred in the last 11 columns.
    const TColor text = ColorToRGB(clBtnText), face = ColorToRGB(clBtnFace);
    ExpectPixels(p.Paint(40, 22, false), {{31, 9, face}, {32, 9, text}, {36, 9, text}, {37, 9, face}, {32, 10, face},
                                          {33, 10, text}, {35, 10, text}, {36, 10, face}, {34, 11, text}, {33, 11, face},
                                          {34, 12, face}}, "drop-down arrow");
}

TEST(TB2ItemViewerPaint, DisabledSubmenuArrowIsEmbossedLikeItsCaption)
{
    auto *item = new TSubmenuItem(nullptr);
    item->SetEnabled(false);
    Painted p(item, false);
    const QImage image = p.Paint(120, 20, false, true, clGrayText);
    // The arrow's tip, its rightmost shadow pixel, has the highlight one pixel right and down.
    int tipX = -1, tipY = -1;
    for (int x = 100; x < 120; ++x)
        for (int y = 0; y < 20; ++y)
            if (PixelAt(image, x, y) == ColorToRGB(clBtnShadow))
                tipX = x, tipY = y;
    ASSERT_GE(tipX, 0) << "no arrow in the arrow column";
    EXPECT_EQ(PixelAt(image, tipX + 1, tipY + 1), ColorToRGB(clBtnHighlight));
}

TEST(TB2ItemViewerPaint, ImageMeasuredAboveItsCaptionIsPaintedAboveItCentred)
{
    TImageList images(nullptr);
    AddImage(images, clRed);
    for (bool vertical : {false, true}) {
        auto *item = new TTBItem(nullptr);
        item->SetImages(&images);
        item->SetCaption("A long caption");
        item->SetImageIndex(0);
        item->SetDisplayMode(TTBItemDisplayMode::nbdmImageAndText);
        if (!vertical)
            item->SetOptions({TTBItemOption::tboImageAboveCaption});
        Painted p(item, true, vertical);
        TCanvas measure;
        int w = 0, h = 0;
        p.viewer->CalcSize(measure, w, h);
        // Measured as a margin of 3, the image, then the caption.
        const QImage image = p.Paint(w, h, false);
        const int left = (w - 16) / 2;
        const TColor face = ColorToRGB(clBtnFace);
        ExpectPixels(image, {{w / 2, 2, face}, {w / 2, 3, clRed}, {w / 2, 18, clRed}, {left, 10, clRed},
                             {left - 1, 10, face}}, vertical ? "rotated" : "image above caption");
    }
}

} // namespace
