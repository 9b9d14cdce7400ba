#pragma once
#include "platform/JpegDecoder.h"
#include "platform/Types.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// Pictures of contacts (photo and album) from the bytes kept in the account.

struct TPicture {
    QImage Image;    // null when the bytes are no picture we can read
    int Width = 0;   // the picture's own size, also when Image was decoded smaller
    int Height = 0;
};

// Decodes picture bytes: JPEG through libjpeg, any other format through Qt's image readers.
// A JPEG is decoded at the smallest of 1/8, 1/4, 1/2 and full scale that still covers `cover`
// (full scale when `cover` is empty), so thumbnails of large photos stay cheap. With a `limit` the
// image is no larger than it: a JPEG is decoded at the largest eighth-step scale that fits and
// what is still too large is scaled down. Data that is no picture, a picture of more than 24
// megapixels and a JPEG of more than 100 scans give a null image; a file cut short decodes as far
// as it goes; none ends the process.
TPicture DecodePicture(const QByteArray &bytes, const QSize &cover = {}, const QSize &limit = {});

// The rectangle a picture of W × H is drawn into inside a box of BW × BH: the box less 4 pixels
// on the right and at the bottom, the picture scaled to fit and centred along the other side.
// Empty for a picture or box without area.
TRect FitPictureRect(int width, int height, int boxWidth, int boxHeight);

// The size a picture is shown at when fitted into a scroll box: its width the box's less 2, or
// its height the box's when that would be too tall. Empty for a picture without area.
QSize FitToScrollBox(int width, int height, int boxWidth, int boxHeight);

// A boxWidth × boxHeight white image with the picture stretched into FitPictureRect.
QImage FittedThumbnail(const TPicture &picture, int boxWidth, int boxHeight);
