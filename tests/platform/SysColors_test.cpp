#include "platform/SysColors.h"

#include <gtest/gtest.h>

TEST(SysColors, SystemColoursResolveAndOthersPassThrough)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToQRgb(clHighlight), 0xFF0A246Au);
    // All 31 entries exist; numbers beyond the table are black.
    EXPECT_EQ(SystemColor(30), clMenuBar);
    EXPECT_EQ(GetSysColor(31), 0);
    EXPECT_EQ(GetSysColor(-1), 0);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);

    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clDefault), clDefault);
    EXPECT_EQ(ColorToQRgb(RGB(0x11, 0x22, 0x33)), 0xFF112233u);
    EXPECT_EQ(QRgbToColor(0x80112233u), RGB(0x11, 0x22, 0x33));
}
