#pragma once
// What a painter leaves on a w x h image of pure green.
#include "../themed/TBXTestSupport.h"

inline QImage Paint(int w, int h, const std::function<void(TCanvas &)> &paint)
{
    QImage image = BlankImage(w, h, clLime);
    TCanvas canvas(image);
    paint(canvas);
    return image;
}
