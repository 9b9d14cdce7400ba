#pragma once
// Pixel checks for the canvas tests.
#include "TestSupport.h"
#include "platform/Graphics.h"

#include <QImage>
#include <gtest/gtest.h>
#include <vector>

// One expected pixel: where, and in which colour.
struct TDot { int x, y; TColor color; };

// Checks every dot; a failure names the pixel.
inline void ExpectDots(const QImage &img, const std::vector<TDot> &dots)
{
    for (const TDot &d : dots)
        EXPECT_EQ(PixelAt(img, d.x, d.y), d.color) << "at " << d.x << "," << d.y;
}
