#include "TBXTestSupport.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXUtils.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

namespace {

struct DefaultTheme : ::testing::Test {
    void SetUp() override { theme = AcquireTheme("Default"); }
    void TearDown() override { ReleaseTheme(theme); }
    TTBXTheme *theme = nullptr;
};

// Painters by item state: pixels of a 40 x 22 item over a green background.
TEST_F(DefaultTheme, PaintersAndItemColoursByState)
{
    const TColor hl = GetSysColor(COLOR_HIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                 light = GetSysColor(COLOR_BTNHIGHLIGHT), green = 0x00FF00;
    const TTBXItemInfo menu{.ViewType = VT_POPUPMENU, .Enabled = true};
    const TTBXItemInfo bar{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    TTBXItemInfo hotMenu = menu, pushed = bar, hot = bar, checked = bar, disabled = menu;
    hotMenu.HoverKind = hot.HoverKind = HOVER_ENABLED;
    const TTBXItemInfo hotImage{.ViewType = VT_POPUPMENU, .Enabled = true, .HoverKind = HOVER_ENABLED,
                                .ImageShown = true, .ImageWidth = 16, .ImageHeight = 16, .PopupMargin = 20};
    pushed.Pushed = checked.Checked = true;
    disabled.Enabled = false;
    using P = std::function<void(TCanvas &, const TRect &)>;
    const struct { const char *what; P paint; std::vector<TPixel> pixels; } rows[] = {
        {"hot menu item", [&](TCanvas &c, const TRect &r) { theme->PaintMenuItem(c, r, hotMenu); },
         {{20, 11, hl}, {39, 0, hl}}},
        // The highlight starts past the image column and the gap after it.
        {"hot menu item with an image", [&](TCanvas &c, const TRect &r) { theme->PaintMenuItem(c, r, hotImage); },
         {{20, 11, green}, {21, 11, hl}}},
        // A transparent toolbar keeps its background inside a pushed or hot button.
        {"pushed button is sunken", [&](TCanvas &c, const TRect &r) { theme->PaintButton(c, r, pushed); },
         {{0, 0, shadow}, {39, 21, light}, {20, 11, green}}},
        {"hot button is raised", [&](TCanvas &c, const TRect &r) { theme->PaintButton(c, r, hot); },
         {{0, 0, light}, {39, 21, shadow}, {20, 11, green}}},
        {"menu separator: etched at the middle - 1, indented by 12",
         [&](TCanvas &c, const TRect &r) { theme->PaintSeparator(c, r, menu, true, false); },
         {{20, 10, shadow}, {20, 11, light}, {11, 10, green}}},
        {"disabled menu separator",
         [&](TCanvas &c, const TRect &r) { theme->PaintSeparator(c, r, disabled, true, false); },
         {{20, 10, green}}},
        {"toolbar separator down the middle",
         [&](TCanvas &c, const TRect &r) { theme->PaintSeparator(c, r, bar, false, false); },
         {{19, 11, shadow}, {20, 11, light}}},
        {"list box frame",
         [&](TCanvas &c, const TRect &r) { theme->PaintPopupNCArea(c, r, {0, VT_LISTBOX, {}, {1, 1}}); },
         {{0, 5, GetSysColor(COLOR_WINDOWFRAME)}, {1, 5, GetSysColor(COLOR_WINDOW)}}},
        {"popup menu frame is raised",
         [&](TCanvas &c, const TRect &r) { theme->PaintPopupNCArea(c, r, {0, VT_POPUPMENU, {}, {3, 3}}); },
         {{39, 21, ColorToRGB(cl3DDkShadow)}, {1, 1, ColorToRGB(clBtnHighlight)}}},
    };
    for (const auto &row : rows)
        ExpectPixels(Paint(40, 22, [&](TCanvas &c) { row.paint(c, Rect(0, 0, 40, 22)); }), row.pixels, row.what);
    const QImage image = Paint(40, 22, [&](TCanvas &c) { theme->PaintButton(c, Rect(0, 0, 40, 22), checked); });
    EXPECT_EQ(PixelAt(image, 0, 0), shadow);
    const TColor a = PixelAt(image, 10, 10), b = PixelAt(image, 11, 10), face = GetSysColor(COLOR_BTNFACE);
    EXPECT_TRUE((a == face && b == light) || (b == face && a == light)) << "a checked, idle button is dithered";
    // Item colours by state.
    const TTBXItemInfo hotItem{.ViewType = VT_POPUPMENU, .Enabled = true, .HoverKind = HOVER_ENABLED};
    const TTBXItemInfo disabledItem{.ViewType = VT_POPUPMENU, .Enabled = false, .HoverKind = HOVER_ENABLED};
    // An inactive application greys its menu bar.
    const TTBXItemInfo inactive{.ViewType = VT_MENUBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    const TTBXItemInfo active{.ViewType = VT_MENUBAR, .ItemOptions = IO_TOOLBAR_STYLE | IO_APP_ACTIVE, .Enabled = true};
    EXPECT_EQ(theme->GetItemColor(hotItem), clHighlight);
    EXPECT_EQ(std::tuple(theme->GetItemTextColor(hotItem), theme->GetItemTextColor(disabledItem),
                         theme->GetItemTextColor(inactive), theme->GetItemTextColor(active)),
              std::tuple(clHighlightText, clGrayText, clGrayText, clBtnText));
}

// Under flat menus a menu's own items have their images tinted; the chevron popup's items are
// drawn as they are, like a tool bar's without visual styles.
TEST_F(DefaultTheme, UnderFlatMenusOnlyTheItemsOfAMenuAreTinted)
{
    SysParams().FlatMenus = true;
    RefreshSystemThemeInfo();
    TImageList images(nullptr);
    images.SetSize(16, 16);
    QImage glyph(16, 16, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::red);
    images.AddImage(glyph);
    for (int viewType : {VT_POPUPMENU, VT_CHEVRONMENU}) {
        const TTBXItemInfo info{.ViewType = viewType, .Enabled = true};
        const QImage image = Paint(16, 16, [&](TCanvas &c) { theme->PaintImage(c, {0, 0, 16, 16}, info, &images, 0); });
        EXPECT_EQ(PixelAt(image, 8, 8) == ColorToRGB(clRed), viewType == VT_CHEVRONMENU) << viewType;
    }
    ResetSysParams();
    RefreshSystemThemeInfo();
}

} // namespace
