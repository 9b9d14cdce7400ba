// The classic painting of plain toolbars and menus: an item alone in a view, on the button face.
#include "TB2TestSupport.h"
#include "TestSupport.h"

namespace {

// Painted at the size it measures unless given one; a disabled item with the disabled shadow.
QImage PaintAlone(TTBCustomItem *item, bool toolbar, QSize size = {}, bool selected = false)
{
    TTBRootItem root(nullptr);
    root.Add(item);
    TTBView view(nullptr, nullptr, &root, nullptr, toolbar, false, false);
    TTBItemViewer *viewer = view.Find(item);
    if (size.isEmpty()) {
        TCanvas measure;
        int w = 0, h = 0;
        viewer->CalcSize(measure, w, h);
        size = {w, h};
    }
    QImage image = BlankImage(size.width(), size.height(), clBtnFace);
    TCanvas canvas(image);
    canvas.Font()->SetColor(item->Enabled() ? clBtnText : clGrayText);
    viewer->Paint(canvas, Rect(0, 0, size.width(), size.height()), selected, false, !item->Enabled());
    return image;
}

// A framework image list gives a toolbar item the image of its state. An image above the caption
// is painted where it was measured: below a margin of 3, centred.
TEST(TB2ItemViewerPaint, ToolbarImagesComeFromTheStateListsAndStandAboveTheCaptionWhereMeasured)
{
    TTBImageList images(nullptr), hot(nullptr);
    for (auto [list, color] : {std::pair(&images, clRed), {&hot, clBlue}}) {
        TBitmap bitmap(16, 16);
        bitmap.Canvas()->Brush()->SetColor(color);
        bitmap.Canvas()->FillRect(Rect(0, 0, 16, 16));
        list->Add(&bitmap, nullptr);
    }
    images.SetHotImages(&hot);
    const auto item = [&] {
        auto *i = new TTBItem(nullptr);
        i->SetImages(&images), i->SetImageIndex(0);
        return i;
    };
    EXPECT_EQ(PixelAt(PaintAlone(item(), true, {23, 22}, true), 11, 11), clBlue) << "selected, the hot image";
    TTBItem *above = item();
    above->SetCaption("A long caption");
    above->SetDisplayMode(TTBItemDisplayMode::nbdmImageAndText);
    above->SetOptions({TTBItemOption::tboImageAboveCaption});
    const QImage image = PaintAlone(above, true);
    const int middle = image.width() / 2, left = (image.width() - 16) / 2;
    const TColor face = ColorToRGB(clBtnFace);
    ExpectPixels(image, {{middle, 2, face}, {middle, 3, clRed}, {left, 10, clRed}, {left - 1, 10, face}});
}

// A split item's arrow: rows of 5, 3 and 1 pixels centred in its last 11 columns. A disabled
// submenu arrow is embossed: its tip, in the shadow colour, has the highlight right below.
TEST(TB2ItemViewerPaint, TheSplitItemsArrowAndTheDisabledSubmenuArrow)
{
    struct TSplitItem : TSubmenuItem {
        TSplitItem() : TSubmenuItem(nullptr) { SetItemStyle(ItemStyle() | tbis::SplitDropdown); }
    };
    const TColor text = ColorToRGB(clBtnText), face = ColorToRGB(clBtnFace);
    ExpectPixels(PaintAlone(new TSplitItem, true, {40, 22}),
                 {{31, 9, face}, {32, 9, text}, {36, 9, text}, {37, 9, face}, {34, 11, text}, {34, 12, face}});
    auto *submenu = new TSubmenuItem(nullptr);
    submenu->SetEnabled(false);
    ExpectPixels(PaintAlone(submenu, false, {120, 20}),
                 {{111, 9, ColorToRGB(clBtnShadow)}, {112, 10, ColorToRGB(clBtnHighlight)}}, "the arrow's tip");
}

} // namespace
