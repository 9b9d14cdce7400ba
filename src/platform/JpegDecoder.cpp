// JPEG decoding through libjpeg's IJG API. libjpeg ends the process on errors unless told
// otherwise and trusts the sizes a file claims, so every decode here is bounded.
#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

// What libjpeg may hold besides the picture: enough for the coefficients of a progressive photo
// at the pixel cap, far less than a crafted file could ask for.
constexpr long MaxJpegMemory = 160L * 1024 * 1024;
// A progressive file is decoded again for every scan; real encoders write about ten, a crafted
// file thousands of tiny ones.
constexpr int MaxJpegScans = 100;

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

void JpegProgress(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxJpegScans)
        info->err->error_exit(info);
}

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
bool DecodeJpegInto(const QByteArray &bytes, const QSize &cover, const QSize &limit, QImage &image, int &width,
                    int &height)
{
    jpeg_decompress_struct info;
    JpegError error;
    JpegMemorySource source;
    jpeg_progress_mgr progress;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.output_message = JpegSilent;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = MaxJpegMemory;
    progress.progress_monitor = JpegProgress;
    info.progress = &progress;
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
    // The scale is num/8: the smallest of 1/8, 1/4, 1/2 that covers `cover`, then no larger than
    // fits `limit`.
    const auto scaled = [](int size, unsigned num) { return int((unsigned(size) * num + 7) / 8); };
    unsigned num = 8;
    if (!cover.isEmpty()) {
        for (unsigned n : {1u, 2u, 4u}) {
            if (scaled(width, n) >= cover.width() && scaled(height, n) >= cover.height()) {
                num = n;
                break;
            }
        }
    }
    if (!limit.isEmpty()) {
        while (num > 1 && (scaled(width, num) > limit.width() || scaled(height, num) > limit.height()))
            --num;
    }
    info.scale_num = num;
    info.scale_denom = 8;
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
    // The start-of-image marker is all libjpeg asks for; bytes between it and the next marker are
    // skipped with a warning ("extraneous bytes before marker"), and real cameras and phones write
    // such files.
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8;
}

TJpegImage DecodeJpeg(const QByteArray &bytes, const QSize &cover, const QSize &limit)
{
    TJpegImage decoded;
    if (!IsJpegData(bytes) || !DecodeJpegInto(bytes, cover, limit, decoded.Image, decoded.Width, decoded.Height))
        return {};
    return decoded;
}
