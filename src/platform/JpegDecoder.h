#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>

// Pictures larger than this are refused rather than allocated (a damaged header can claim any
// size); a 24-megapixel camera's photos still pass. Readers of other formats keep the same cap.
constexpr qint64 MaxDecodedPixels = qint64(24) * 1024 * 1024;

// True for bytes that begin like a JPEG file: with the start-of-image marker, whatever follows it.
bool IsJpegData(const QByteArray &bytes);

struct TJpegImage {
    QImage Image;    // RGB32; null when the bytes were refused
    int Width = 0;   // the picture's own size, also when Image was decoded smaller
    int Height = 0;
};

// Decodes a JPEG (RGB, grey or CMYK) at the smallest of 1/8, 1/4, 1/2 and full scale that still
// covers `cover` (full scale when `cover` is empty), then at no more than the largest of those
// steps that fits `limit`; what the steps cannot bring within `limit` is left to the caller.
// Data that is no JPEG, a picture of more than MaxDecodedPixels, a file that would need more
// than 160 MB of the decoder's own memory and a progressive file of more than 100 scans give a
// null image; a file cut short decodes as far as it goes; what libjpeg only warns about (bytes
// before a marker that belong to none) decodes; none ends the process.
TJpegImage DecodeJpeg(const QByteArray &bytes, const QSize &cover = {}, const QSize &limit = {});
