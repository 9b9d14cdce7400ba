#include "editor/PictureLoad.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

TPicture DecodePicture(const QByteArray &bytes, const QSize &cover, const QSize &limit)
{
    TPicture picture;
    if (bytes.isEmpty())
        return picture;
    QImage image;
    if (IsJpegData(bytes)) {
        TJpegImage jpeg = DecodeJpeg(bytes, cover, limit);
        if (jpeg.Image.isNull())
            return {};
        image = jpeg.Image;
        picture.Width = jpeg.Width;
        picture.Height = jpeg.Height;
    } else {
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        // The size is checked before the reader allocates anything for it.
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > MaxDecodedPixels)
            return {};
        if (!reader.read(&image) || qint64(image.width()) * image.height() > MaxDecodedPixels)
            return {};
        picture.Width = image.width();
        picture.Height = image.height();
    }
    if (!limit.isEmpty() && (image.width() > limit.width() || image.height() > limit.height()))
        image = image.scaled(limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picture.Image = image;
    return picture;
}

TRect FitPictureRect(int width, int height, int boxWidth, int boxHeight)
{
    const int innerWidth = boxWidth - 4;
    const int innerHeight = boxHeight - 4;
    if (width <= 0 || height <= 0 || innerWidth <= 0 || innerHeight <= 0)
        return {};
    const int scaledWidth = int(qint64(width) * innerHeight / height);
    if (innerWidth >= scaledWidth) {
        const int left = (innerWidth - scaledWidth) / 2;
        return {left, 0, left + scaledWidth, innerHeight};
    }
    const int scaledHeight = int(qint64(height) * innerWidth / width);
    const int top = (innerHeight - scaledHeight) / 2;
    return {0, top, innerWidth, top + scaledHeight};
}

QSize FitToScrollBox(int width, int height, int boxWidth, int boxHeight)
{
    if (width <= 0 || height <= 0)
        return {};
    int w = boxWidth - 2;
    int h = int(qint64(height) * w / width);
    if (h > boxHeight) {
        h = boxHeight;
        w = int(qint64(width) * h / height);
    }
    return {w, h};
}

QImage FittedThumbnail(const TPicture &picture, int boxWidth, int boxHeight)
{
    QImage thumbnail(boxWidth, boxHeight, QImage::Format_RGB32);
    thumbnail.fill(Qt::white);
    const TRect fit = FitPictureRect(picture.Width, picture.Height, boxWidth, boxHeight);
    if (picture.Image.isNull() || fit.IsEmpty())
        return thumbnail;
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fit.ToQRect(), picture.Image);
    return thumbnail;
}
