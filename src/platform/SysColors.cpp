#include "SysColors.h"

#include <array>

namespace {

constexpr std::array<TColor, COLOR_COUNT> kClassic = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // desktop
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3-D dark shadow
    RGB(212, 208, 200),  // 3-D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(181, 181, 181),  // alternate button face
    RGB(0, 0, 128),      // hot-tracked item
    RGB(166, 202, 240),  // active caption gradient
    RGB(192, 192, 192),  // inactive caption gradient
    RGB(10, 36, 106),    // menu highlight
    RGB(212, 208, 200),  // menu bar
};

std::array<TColor, COLOR_COUNT> &Table()
{
    static std::array<TColor, COLOR_COUNT> table = kClassic;
    return table;
}

} // namespace

TColor GetSysColor(int index)
{
    if (index < 0 || index >= COLOR_COUNT)
        return 0;
    return Table()[static_cast<size_t>(index)];
}

void SetSysColor(int index, TColor rgb)
{
    if (index >= 0 && index < COLOR_COUNT)
        Table()[static_cast<size_t>(index)] = rgb & 0xFFFFFF;
}

void ResetSysColors()
{
    Table() = kClassic;
}

TColor ColorToRGB(TColor color)
{
    if (IsSystemColor(color))
        return GetSysColor(color & 0xFF);
    return color;
}

unsigned ColorToQRgb(TColor color)
{
    const TColor c = ColorToRGB(color);
    if (c == clNone || c == clDefault)
        return 0xFF000000u;
    return 0xFF000000u | unsigned(GetRValue(c)) << 16 | unsigned(GetGValue(c)) << 8 | unsigned(GetBValue(c));
}

TColor QRgbToColor(unsigned rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
