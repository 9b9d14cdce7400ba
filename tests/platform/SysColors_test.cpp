#include "platform/SysColors.h"

#include <gtest/gtest.h>

TEST(SysColors, ClassicSchemeValues)
{
    const struct {
        TColor color;
        TColor rgb;
    } cases[] = {
        {clBtnFace, RGB(212, 208, 200)},
        {clHighlight, RGB(10, 36, 106)},
        {clWindow, RGB(255, 255, 255)},
        {clBtnShadow, RGB(128, 128, 128)},
        {cl3DDkShadow, RGB(64, 64, 64)},
        {clInfoBk, RGB(255, 255, 225)},
        {clActiveCaption, RGB(10, 36, 106)},
        {clGradientActiveCaption, RGB(166, 202, 240)},
        {clHighlightText, RGB(255, 255, 255)},
        {clWindowText, RGB(0, 0, 0)},
        {clGrayText, RGB(128, 128, 128)},
        {clMenuBar, RGB(212, 208, 200)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ColorToRGB(c.color), c.rgb) << std::hex << c.color;
    // All 31 entries exist; numbers beyond the table are black.
    EXPECT_EQ(SystemColor(30), clMenuBar);
    EXPECT_EQ(GetSysColor(31), 0);
    EXPECT_EQ(GetSysColor(-1), 0);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);
}

TEST(SysColors, PlainAndSpecialValuesPassThrough)
{
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clDefault), clDefault);
    EXPECT_EQ(ColorToQRgb(RGB(0x11, 0x22, 0x33)), 0xFF112233u);
    EXPECT_EQ(QRgbToColor(0x80112233u), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(ColorToQRgb(clHighlight), 0xFF0A246Au);
}

TEST(SysColors, TestsCanOverrideAndReset)
{
    SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 2, 3));
    SetSysColor(COLOR_COUNT, RGB(9, 9, 9));  // ignored
    EXPECT_EQ(GetSysColor(COLOR_COUNT), 0);
    ResetSysColors();
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
}
