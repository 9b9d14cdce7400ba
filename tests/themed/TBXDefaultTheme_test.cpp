#include "themed/TBXDefaultTheme.h"
#include "TestSupport.h"
#include "themed/TBXUtils.h"

#include "platform/SysColors.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

class DefaultTheme : public ::testing::Test
{
protected:
    void SetUp() override { theme = AcquireTheme("Default"); }
    void TearDown() override { ReleaseTheme(theme); }

    // A 40 x 22 item painted over a known background; returns the pixel colours.
    QImage Paint(const std::function<void(TCanvas &)> &paint)
    {
        QImage image(40, 22, QImage::Format_RGB32);
        TCanvas canvas(image);
        FillBackground(canvas);
        paint(canvas);
        return image;
    }
    static void FillBackground(TCanvas &canvas)
    {
        canvas.Brush()->SetColor(0x00FF00);
        canvas.FillRect(Rect(0, 0, 40, 22));
    }

    TTBXTheme *theme = nullptr;
};

TEST_F(DefaultTheme, ViewBordersColoursAndFloatingMargins)
{
    const struct { int viewType; TPoint border; TColor color; } views[] = {
        {VT_NORMALTOOLBAR, {2, 2}, clBtnFace},
        {VT_NORMALTOOLBAR | VT_FLOATING, {3, 3}, clBtnFace},
        {VT_NORMALTOOLBAR | VT_FLOATING | VT_RESIZABLE, {4, 4}, clBtnFace},
        {VT_POPUPMENU, {3, 3}, MenuBackColor},
        {VT_LISTBOX, {1, 1}, clWindow},
        {VT_TOOLBOX, {3, 3}, clBtnFace},
        {VT_DOCKPANEL, {2, 2}, BlendColors(clBtnFace, clWindow, 64)},
        {VT_STANDALONE, {0, 0}, clBtnFace},
    };
    for (const auto &v : views) {
        TPoint border;
        theme->GetViewBorder(v.viewType, border);
        EXPECT_EQ(border, v.border) << v.viewType;
        EXPECT_EQ(ColorToRGB(theme->GetViewColor(v.viewType)), ColorToRGB(v.color)) << v.viewType;
    }
    TTBXMargins floating;
    theme->GetViewMargins(VT_NORMALTOOLBAR | VT_FLOATING, floating);
    EXPECT_EQ(std::tie(floating.LeftWidth, floating.RightWidth, floating.TopHeight, floating.BottomHeight),
              std::make_tuple(4, 4, 2, 1));
}

TEST_F(DefaultTheme, ItemColoursByState)
{
    TTBXItemInfo hotMenu{.ViewType = VT_POPUPMENU, .Enabled = true, .HoverKind = HOVER_ENABLED};
    EXPECT_EQ(theme->GetItemColor(hotMenu), clHighlight);
    EXPECT_EQ(theme->GetItemTextColor(hotMenu), clHighlightText);
    TTBXItemInfo disabled = hotMenu;
    disabled.Enabled = false;
    EXPECT_EQ(theme->GetItemTextColor(disabled), clGrayText);
    TTBXItemInfo menuBar{.ViewType = VT_MENUBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    EXPECT_EQ(theme->GetItemTextColor(menuBar), clGrayText) << "an inactive application greys its menu bar";
    menuBar.ItemOptions |= IO_APP_ACTIVE;
    EXPECT_EQ(theme->GetItemTextColor(menuBar), clBtnText);
}

TEST_F(DefaultTheme, HotMenuItemPushedAndCheckedButtons)
{
    TTBXItemInfo menu{.ViewType = VT_POPUPMENU, .Enabled = true, .HoverKind = HOVER_ENABLED};
    QImage hot = Paint([&](TCanvas &c) { theme->PaintMenuItem(c, Rect(0, 0, 40, 22), menu); });
    EXPECT_EQ(PixelAt(hot, 20, 11), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelAt(hot, 39, 0), GetSysColor(COLOR_HIGHLIGHT));

    TTBXItemInfo button{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true,
                        .Pushed = true};
    QImage pushed = Paint([&](TCanvas &c) { theme->PaintButton(c, Rect(0, 0, 40, 22), button); });
    EXPECT_EQ(PixelAt(pushed, 0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(pushed, 39, 21), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(pushed, 20, 11), 0x00FF00u) << "a transparent toolbar keeps its background inside";

    button.Pushed = false;
    button.Checked = true;
    QImage checked = Paint([&](TCanvas &c) { theme->PaintButton(c, Rect(0, 0, 40, 22), button); });
    EXPECT_EQ(PixelAt(checked, 0, 0), GetSysColor(COLOR_BTNSHADOW));
    const TColor a = PixelAt(checked, 10, 10), b = PixelAt(checked, 11, 10);
    EXPECT_NE(a, b) << "a checked, idle button is dithered";
    EXPECT_TRUE((a == GetSysColor(COLOR_BTNFACE) && b == GetSysColor(COLOR_BTNHIGHLIGHT)) ||
                (b == GetSysColor(COLOR_BTNFACE) && a == GetSysColor(COLOR_BTNHIGHLIGHT)));

    // The same item, hot instead of checked: a raised frame with the inside left alone.
    button.Checked = false;
    button.HoverKind = HOVER_ENABLED;
    QImage hotButton = Paint([&](TCanvas &c) { theme->PaintButton(c, Rect(0, 0, 40, 22), button); });
    EXPECT_EQ(PixelAt(hotButton, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(hotButton, 39, 21), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(hotButton, 20, 11), 0x00FF00u);
}

TEST_F(DefaultTheme, SeparatorsAndPopupBorders)
{
    TTBXItemInfo info{.ViewType = VT_POPUPMENU, .Enabled = true};
    QImage menu = Paint([&](TCanvas &c) { theme->PaintSeparator(c, Rect(0, 0, 40, 22), info, true, false); });
    EXPECT_EQ(PixelAt(menu, 20, 10), GetSysColor(COLOR_BTNSHADOW)) << "etched line at the middle - 1";
    EXPECT_EQ(PixelAt(menu, 20, 11), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(menu, 11, 10), 0x00FF00u) << "menu separators are indented by 12";
    info.Enabled = false;
    QImage blank = Paint([&](TCanvas &c) { theme->PaintSeparator(c, Rect(0, 0, 40, 22), info, true, false); });
    EXPECT_EQ(PixelAt(blank, 20, 10), 0x00FF00u);
    info.ViewType = VT_NORMALTOOLBAR;
    info.ItemOptions = IO_TOOLBAR_STYLE;
    info.Enabled = true;
    QImage bar = Paint([&](TCanvas &c) { theme->PaintSeparator(c, Rect(0, 0, 40, 22), info, false, false); });
    EXPECT_EQ(PixelAt(bar, 19, 11), GetSysColor(COLOR_BTNSHADOW)) << "a toolbar's etched line down its middle";
    EXPECT_EQ(PixelAt(bar, 20, 11), GetSysColor(COLOR_BTNHIGHLIGHT));

    QImage list = Paint([&](TCanvas &c) {
        theme->PaintPopupNCArea(c, Rect(0, 0, 40, 22), TTBXPopupInfo{0, VT_LISTBOX, {}, {1, 1}});
    });
    EXPECT_EQ(PixelAt(list, 0, 5), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(PixelAt(list, 1, 5), GetSysColor(COLOR_WINDOW));
    QImage popup = Paint([&](TCanvas &c) {
        theme->PaintPopupNCArea(c, Rect(0, 0, 40, 22), TTBXPopupInfo{0, VT_POPUPMENU, {}, {3, 3}});
    });
    EXPECT_EQ(PixelAt(popup, 39, 21), ColorToRGB(cl3DDkShadow)) << "a popup menu's frame is raised";
    EXPECT_EQ(PixelAt(popup, 1, 1), ColorToRGB(clBtnHighlight));
}

} // namespace
