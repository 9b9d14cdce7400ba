#pragma once
// Pictures made in the tests: JPEGs written through libjpeg itself (also the kinds Qt cannot
// write) and colour checks that tolerate JPEG's losses.
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

enum class JpegKind { Rgb, Grey, AdobeCyan };

// OneScanPerBand writes every AC coefficient of every component in a scan of its own: a valid
// progressive file of 1 + 63 × components scans.
enum class JpegScans { Sequential, Progressive, OneScanPerBand };

// `image` is used for JpegKind::Rgb; the others are filled with one flat value.
inline QByteArray EncodeJpeg(const QImage &image, int width, int height, JpegKind kind,
                             JpegScans scans = JpegScans::Sequential)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = kind == JpegKind::Rgb ? 3 : kind == JpegKind::Grey ? 1 : 4;
    info.in_color_space = kind == JpegKind::Rgb ? JCS_RGB : kind == JpegKind::Grey ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind == JpegKind::AdobeCyan)
        info.write_Adobe_marker = TRUE;
    std::vector<jpeg_scan_info> script;
    if (scans == JpegScans::Progressive) {
        jpeg_simple_progression(&info);
    } else if (scans == JpegScans::OneScanPerBand) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = info.num_components;
        for (int c = 0; c < info.num_components; ++c)
            dc.component_index[c] = c;
        script.push_back(dc);
        for (int c = 0; c < info.num_components; ++c)
            for (int k = 1; k < DCTSIZE2; ++k) {
                jpeg_scan_info band{};
                band.comps_in_scan = 1, band.component_index[0] = c, band.Ss = band.Se = k;
                script.push_back(band);
            }
        info.scan_info = script.data(), info.num_scans = int(script.size());
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> line(size_t(width * info.input_components));
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            JSAMPLE *p = &line[size_t(x * info.input_components)];
            const QRgb c = kind == JpegKind::Rgb ? image.pixel(x, y) : 0;
            // Inverted CMYK: 0 is full ink. Full cyan, nothing else.
            const JSAMPLE rgb[] = {JSAMPLE(qRed(c)), JSAMPLE(qGreen(c)), JSAMPLE(qBlue(c))}, grey[] = {128},
                          cyan[] = {0, 255, 255, 255};
            const JSAMPLE *from = kind == JpegKind::Rgb ? rgb : kind == JpegKind::Grey ? grey : cyan;
            std::copy(from, from + info.input_components, p);
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

// Left half red, right half blue.
inline QByteArray TwoColourJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(230, 20, 20) : qRgb(20, 20, 230));
    return EncodeJpeg(image, width, height, JpegKind::Rgb);
}

inline bool IsReddish(QRgb c) { return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80; }
inline bool IsBluish(QRgb c) { return qBlue(c) > 180 && qRed(c) < 80 && qGreen(c) < 80; }
