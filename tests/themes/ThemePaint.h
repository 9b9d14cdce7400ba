#pragma once
// What a painter leaves on a w x h image of pure green.
#include "platform/Graphics.h"

#include <QImage>
#include <functional>

inline QImage Paint(int w, int h, const std::function<void(TCanvas &)> &paint)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::green);
    TCanvas canvas(image);
    paint(canvas);
    return image;
}
