#include "PictureLoad.h"

#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

// Pictures larger than this are refused rather than allocated (a damaged header can claim any size).
constexpr qint64 MaxDecodedPixels = qint64(64) * 1024 * 1024;

// libjpeg ends the process from its default error handler; ours jumps back to the decoder.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError *>(info->err)->jump, 1);
}

void JpegSilent(j_common_ptr) {}

// Reads from memory; a file cut short is padded with an end marker so the decoder stops cleanly.
struct JpegMemorySource {
    jpeg_source_mgr manager;
    const JOCTET *data;
    size_t size;
};

const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

void SourceInit(j_decompress_ptr) {}

boolean SourceFill(j_decompress_ptr info)
{
    info->src->next_input_byte = EndOfImage;
    info->src->bytes_in_buffer = sizeof EndOfImage;
    return TRUE;
}

void SourceSkip(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr *src = info->src;
    if (size_t(count) > src->bytes_in_buffer) {
        SourceFill(info);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void SourceTerm(j_decompress_ptr) {}

QRgb CmykToRgb(int c, int m, int y, int k, bool inverted)
{
    // Adobe writes CMYK JPEGs with every channel inverted.
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return qRgb(c * k / 255, m * k / 255, y * k / 255);
}

// Everything libjpeg touches between setjmp and longjmp lives in this frame and holds no C++
// objects with destructors, so jumping out leaves nothing half-destroyed.
bool DecodeJpegInto(const QByteArray &bytes, const QSize &cover, QImage &image, int &width, int &height)
{
    jpeg_decompress_struct info;
    JpegError error;
    JpegMemorySource source;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.output_message = JpegSilent;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    source.data = reinterpret_cast<const JOCTET *>(bytes.constData());
    source.size = size_t(bytes.size());
    source.manager.init_source = SourceInit;
    source.manager.fill_input_buffer = SourceFill;
    source.manager.skip_input_data = SourceSkip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = SourceTerm;
    source.manager.next_input_byte = source.data;
    source.manager.bytes_in_buffer = source.size;
    info.src = &source.manager;

    jpeg_read_header(&info, TRUE);
    width = int(info.image_width);
    height = int(info.image_height);
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxDecodedPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = 1;
    if (!cover.isEmpty()) {
        for (unsigned denom : {8u, 4u, 2u}) {
            const int w = int((unsigned(width) + denom - 1) / denom);
            const int h = int((unsigned(height) + denom - 1) / denom);
            if (w >= cover.width() && h >= cover.height()) {
                info.scale_denom = denom;
                break;
            }
        }
    }
    jpeg_start_decompress(&info);
    const int outWidth = int(info.output_width);
    const int outHeight = int(info.output_height);
    const int components = info.output_components;
    if ((cmyk && components != 4) || (!cmyk && components != 3)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    image = QImage(outWidth, outHeight, QImage::Format_RGB32);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool inverted = info.saw_Adobe_marker;
    JSAMPARRAY line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                JDIMENSION(outWidth * components), 1);
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        jpeg_read_scanlines(&info, line, 1);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const JSAMPLE *in = line[0];
        for (int x = 0; x < outWidth; ++x, in += components)
            out[x] = cmyk ? CmykToRgb(in[0], in[1], in[2], in[3], inverted) : qRgb(in[0], in[1], in[2]);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

bool IsJpegData(const QByteArray &bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 && uchar(bytes[2]) == 0xFF;
}

TPicture DecodePicture(const QByteArray &bytes, const QSize &cover)
{
    TPicture picture;
    if (bytes.isEmpty())
        return picture;
    if (IsJpegData(bytes)) {
        QImage image;
        int width = 0;
        int height = 0;
        if (DecodeJpegInto(bytes, cover, image, width, height)) {
            picture.Image = image;
            picture.Width = width;
            picture.Height = height;
        }
        return picture;
    }
    QImage image;
    if (!image.loadFromData(bytes) || qint64(image.width()) * image.height() > MaxDecodedPixels)
        return picture;
    picture.Image = image;
    picture.Width = image.width();
    picture.Height = image.height();
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
