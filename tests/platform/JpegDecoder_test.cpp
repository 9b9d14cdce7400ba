#include "platform/JpegDecoder.h"

#include "PictureTestData.h"

#include <gtest/gtest.h>

TEST(JpegDecoder, EighthStepsForCoverAndLimitKeepTheColours)
{
    const QByteArray jpeg = TwoColourJpeg(400, 100);
    ASSERT_TRUE(IsJpegData(jpeg));
    struct Case { QSize cover, limit, decoded; } cases[] = {
        {{}, {}, QSize(400, 100)}, {QSize(50, 13), {}, QSize(50, 13)}, {QSize(51, 10), {}, QSize(100, 25)},
        {QSize(101, 10), {}, QSize(200, 50)}, {QSize(201, 10), {}, QSize(400, 100)},
        {{}, QSize(300, 300), QSize(300, 75)},
        // The smallest step is as far as the decoder goes; the rest is the caller's.
        {{}, QSize(40, 40), QSize(50, 13)}, {QSize(201, 10), QSize(120, 120), QSize(100, 25)},
        {{}, QSize(1024, 768), QSize(400, 100)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.cover.width() << "x" << c.cover.height() << " within "
                                        << c.limit.width() << "x" << c.limit.height());
        const TJpegImage decoded = DecodeJpeg(jpeg, c.cover, c.limit);
        ASSERT_EQ(decoded.Image.size(), c.decoded);
        EXPECT_EQ(decoded.Width, 400);
        EXPECT_EQ(decoded.Height, 100);
        EXPECT_TRUE(IsReddish(decoded.Image.pixel(c.decoded.width() / 8, c.decoded.height() / 2)));
        EXPECT_TRUE(IsBluish(decoded.Image.pixel(c.decoded.width() * 7 / 8, c.decoded.height() / 2)));
    }
}

TEST(JpegDecoder, GreyAndCmyk)
{
    const TJpegImage grey = DecodeJpeg(EncodeJpeg(QImage(), 32, 16, JpegKind::Grey));
    ASSERT_EQ(grey.Image.size(), QSize(32, 16));
    const QRgb g = grey.Image.pixel(4, 4);
    EXPECT_NEAR(qRed(g), 128, 6);
    EXPECT_EQ(qRed(g), qBlue(g));
    // Pure cyan ink, written the way Adobe writes CMYK (every channel inverted).
    const TJpegImage cmyk = DecodeJpeg(EncodeJpeg(QImage(), 32, 16, JpegKind::AdobeCyan));
    ASSERT_FALSE(cmyk.Image.isNull());
    const QRgb c = cmyk.Image.pixel(4, 4);
    EXPECT_LT(qRed(c), 40);
    EXPECT_GT(qGreen(c), 215);
    EXPECT_GT(qBlue(c), 215);
}

TEST(JpegDecoder, BadOrCostlyDataIsRefusedWithoutEndingTheProcess)
{
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(qRgb(230, 20, 20));
    const QByteArray small = TwoColourJpeg(64, 48);
    const auto claiming = [&](int width, int height) {  // the same data with another size in its header
        const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
        return QByteArray(small).replace(small.indexOf(QByteArray("\xFF\xC0", 2)) + 5, 4, size, 4);
    };
    struct Case { const char *name; QByteArray bytes; bool decoded; } cases[] = {
        {"empty", QByteArray(), false}, {"a PNG signature", QByteArray("\x89PNG\r\n\x1A\n", 8), false},
        {"the signature alone", QByteArray("\xFF\xD8\xFF", 3), false},
        {"garbage after the signature", QByteArray("\xFF\xD8\xFF\xE0garbage that is no jpeg at all", 34), false},
        {"65000 x 65000 pixels claimed", claiming(65000, 65000), false},
        {"6000 x 4500 pixels claimed", claiming(6000, 4500), false},
        {"progressive, ten scans", EncodeJpeg(red, 32, 32, JpegKind::Rgb, JpegScans::Progressive), true},
        {"progressive, 190 scans", EncodeJpeg(red, 32, 32, JpegKind::Rgb, JpegScans::OneScanPerBand), false},
    };
    for (const Case &c : cases) {
        const TJpegImage decoded = DecodeJpeg(c.bytes);
        EXPECT_EQ(!decoded.Image.isNull(), c.decoded) << c.name;
        // A refused picture claims no size either.
        EXPECT_TRUE(c.decoded ? IsReddish(decoded.Image.pixel(16, 16)) : decoded.Width == 0) << c.name;
    }
    // Cut short after the header: the rest is padded and the whole size still comes out.
    const QByteArray large = TwoColourJpeg(640, 480);
    EXPECT_EQ(DecodeJpeg(large.left(large.size() * 2 / 3)).Image.size(), QSize(640, 480));
}

// Bytes that belong to no segment are skipped by libjpeg with a warning; phones and cameras
// write such files, and their pictures decode wherever the stray bytes sit.
TEST(JpegDecoder, StrayBytesBeforeAMarkerAreSkipped)
{
    const QByteArray jpeg = TwoColourJpeg(160, 80);
    const auto before = [&](const char *marker, const QByteArray &stray) {
        const qsizetype at = QByteArray(marker, 2) == "\xFF\xD9" ? jpeg.size() - 2 : jpeg.indexOf(QByteArray(marker, 2), 2);
        return QByteArray(jpeg).insert(at, stray);
    };
    struct Case { const char *name; QByteArray bytes; } cases[] = {
        {"right after the start marker", QByteArray(jpeg).insert(2, QByteArray("\x00\x00\x00", 3))},
        {"after the start marker, text", QByteArray(jpeg).insert(2, QByteArray("\r\n"))},
        {"before the quantisation tables", before("\xFF\xDB", QByteArray("\x12\x34", 2))},
        {"before the scan", before("\xFF\xDA", QByteArray("\x00\x00", 2))},
        {"before the end marker", before("\xFF\xD9", QByteArray("\x00", 1))},
    };
    for (const Case &c : cases) {
        ASSERT_NE(c.bytes, jpeg) << c.name;
        EXPECT_TRUE(IsJpegData(c.bytes)) << c.name;
        const TJpegImage full = DecodeJpeg(c.bytes);
        ASSERT_EQ(full.Image.size(), QSize(160, 80)) << c.name;
        EXPECT_TRUE(IsReddish(full.Image.pixel(20, 40))) << c.name;
        EXPECT_TRUE(IsBluish(full.Image.pixel(140, 40))) << c.name;
        const TJpegImage eighth = DecodeJpeg(c.bytes, QSize(20, 10));
        EXPECT_EQ(eighth.Image.size(), QSize(20, 10)) << c.name;
        EXPECT_EQ(eighth.Width, 160) << c.name;
    }
}
