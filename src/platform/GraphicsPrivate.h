#pragma once
// Pixel-level helpers shared by the canvas's source files; not for use outside the platform.
#include "Graphics.h"

#include <QRect>
#include <QRegion>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace orv::gfx {

// ROP2 (pen modes): the mode's number is the truth table over (pen, destination).
std::uint32_t Rop2(TPenMode mode, std::uint32_t pen, std::uint32_t dst);
// ROP3: the code's third byte is the truth table over (pattern, source, destination).
std::uint32_t Rop3(std::uint8_t code, std::uint32_t pat, std::uint32_t src, std::uint32_t dst);

// 0x00RRGGBB of a colour (system colours resolved), as pixels store it.
std::uint32_t Rgb(TColor color);

// One drawing call's view of the target: the image and the device rectangles it may touch.
class Raster
{
public:
    Raster(QImage *image, const QRegion &drawable);
    bool Empty() const { return rects_.empty(); }
    const std::vector<QRect> &Rects() const { return rects_; }
    bool Visible(int x, int y) const;
    std::uint32_t Get(int x, int y) const { return Row(y)[x] & 0xFFFFFF; }
    void Put(int x, int y, std::uint32_t rgb) { Row(y)[x] = 0xFF000000u | rgb; }
    void Plot(int x, int y, std::uint32_t rgb, TPenMode mode)
    {
        if (Visible(x, y))
            Put(x, y, Rop2(mode, rgb, Get(x, y)));
    }
    // Calls f(x, y) for every visible pixel of the device rectangle, once each.
    template <typename F>
    void ForEach(const QRect &r, F &&f)
    {
        for (const QRect &c : rects_) {
            const QRect part = c.intersected(r);
            if (part.isEmpty())
                continue;
            for (int y = part.top(); y < part.top() + part.height(); ++y)
                for (int x = part.left(); x < part.left() + part.width(); ++x)
                    f(x, y);
        }
    }
    void FillColor(const QRect &r, std::uint32_t rgb)
    {
        for (const QRect &c : rects_) {
            const QRect part = c.intersected(r);
            for (int y = part.top(); y < part.top() + part.height(); ++y)
                std::fill_n(Row(y) + part.left(), part.width(), 0xFF000000u | rgb);
        }
    }

private:
    std::uint32_t *Row(int y) const { return reinterpret_cast<std::uint32_t *>(bits_ + y * bytesPerLine_); }

    std::vector<QRect> rects_;
    uchar *bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
};

// What a brush puts at a device pixel: false where it leaves the pixel alone.
class BrushSampler
{
public:
    BrushSampler(const TBrush &brush, int bkMode, TColor bkColor, TPoint origin);
    bool Hollow() const { return hollow_; }
    bool Sample(int x, int y, std::uint32_t &rgb) const;

private:
    bool hollow_ = false;
    bool solid_ = false;
    bool pattern_ = false;
    int hatch_ = -1;
    bool opaque_ = false;
    std::uint32_t color_ = 0;
    std::uint32_t bk_ = 0;
    std::uint32_t cells_[64] = {};
    TPoint origin_;
};

// A shape as one horizontal run per row: rows [Top, Top + size) with inclusive x ranges.
struct Spans {
    int Top = 0;
    std::vector<std::pair<int, int>> Rows;  // first > second marks an empty row
};
// Rows of a rounded rectangle in the box [l, r] x [t, b] (inclusive) with corner ellipse
// ew x eh; an ellipse when they equal the box.
Spans RoundRectSpans(int l, int t, int r, int b, int ew, int eh);

} // namespace orv::gfx
