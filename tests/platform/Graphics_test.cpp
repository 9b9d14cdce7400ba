#include "platform/Graphics.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage Blank(int w, int h, TColor c = clWhite)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ColorToQRgb(c));
    return img;
}

TColor At(const QImage &img, int x, int y)
{
    return QRgbToColor(img.pixel(x, y));
}

} // namespace

TEST(Canvas, FillRectFillsExactlyTheHalfOpenRectangle)
{
    QImage img = Blank(12, 10);
    TCanvas c(img);
    c.Brush()->SetColor(clRed);
    c.FillRect(Rect(2, 3, 7, 6));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 3 && y < 6;
            EXPECT_EQ(At(img, x, y), inside ? clRed : clWhite) << x << "," << y;
        }
}
