#include "platform/JpegDecoder.h"

#include "PictureTestData.h"

#include <gtest/gtest.h>

namespace {

QByteArray WithClaimedSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

} // namespace

TEST(JpegDecoder, FullScaleKeepsTheColours)
{
    const QByteArray jpeg = TwoColourJpeg(64, 48);
    ASSERT_TRUE(IsJpegData(jpeg));
    const TJpegImage decoded = DecodeJpeg(jpeg);
    ASSERT_FALSE(decoded.Image.isNull());
    EXPECT_EQ(decoded.Image.size(), QSize(64, 48));
    EXPECT_EQ(decoded.Width, 64);
    EXPECT_EQ(decoded.Height, 48);
    EXPECT_TRUE(IsReddish(decoded.Image.pixel(8, 24)));
    EXPECT_TRUE(IsBluish(decoded.Image.pixel(56, 24)));
}

TEST(JpegDecoder, EighthStepsForCoverAndLimit)
{
    const QByteArray jpeg = TwoColourJpeg(400, 100);
    struct Case { QSize cover, limit, decoded; } cases[] = {
        {QSize(50, 13), {}, QSize(50, 13)}, {QSize(51, 10), {}, QSize(100, 25)},
        {QSize(101, 10), {}, QSize(200, 50)}, {QSize(201, 10), {}, QSize(400, 100)},
        {{}, QSize(300, 300), QSize(300, 75)},
        // The smallest step is as far as the decoder goes; the rest is the caller's.
        {{}, QSize(40, 40), QSize(50, 13)}, {QSize(201, 10), QSize(120, 120), QSize(100, 25)},
        {{}, QSize(1024, 768), QSize(400, 100)},
    };
    for (const Case &c : cases) {
        const TJpegImage decoded = DecodeJpeg(jpeg, c.cover, c.limit);
        EXPECT_EQ(decoded.Image.size(), c.decoded) << c.cover.width() << "x" << c.cover.height() << " within "
                                                   << c.limit.width() << "x" << c.limit.height();
        EXPECT_EQ(decoded.Width, 400);
        EXPECT_EQ(decoded.Height, 100);
    }
}

TEST(JpegDecoder, GreyAndCmyk)
{
    const TJpegImage grey = DecodeJpeg(EncodeJpeg(QImage(), 32, 16, JpegKind::Grey));
    ASSERT_FALSE(grey.Image.isNull());
    EXPECT_EQ(grey.Image.size(), QSize(32, 16));
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
    struct Case { const char *name; QByteArray bytes; bool decoded; } cases[] = {
        {"empty", QByteArray(), false}, {"a PNG signature", QByteArray("\x89PNG\r\n\x1A\n", 8), false},
        {"the signature alone", QByteArray("\xFF\xD8\xFF", 3), false},
        {"garbage after the signature", QByteArray("\xFF\xD8\xFF\xE0garbage that is no jpeg at all", 34), false},
        {"65000 x 65000 pixels claimed", WithClaimedSize(small, 65000, 65000), false},
        {"6000 x 4500 pixels claimed", WithClaimedSize(small, 6000, 4500), false},
        {"progressive, ten scans", EncodeJpeg(red, 32, 32, JpegKind::Rgb, JpegScans::Progressive), true},
        {"progressive, 190 scans", EncodeJpeg(red, 32, 32, JpegKind::Rgb, JpegScans::OneScanPerBand), false},
    };
    for (const Case &c : cases) {
        const TJpegImage decoded = DecodeJpeg(c.bytes);
        EXPECT_EQ(!decoded.Image.isNull(), c.decoded) << c.name;
        if (c.decoded) {
            EXPECT_TRUE(IsReddish(decoded.Image.pixel(16, 16))) << c.name;
        } else {
            EXPECT_EQ(decoded.Width, 0) << c.name;
        }
    }
    // Cut short after the header: the rest is padded and the whole size still comes out.
    const QByteArray large = TwoColourJpeg(640, 480);
    const TJpegImage cut = DecodeJpeg(large.left(large.size() * 2 / 3));
    ASSERT_FALSE(cut.Image.isNull());
    EXPECT_EQ(cut.Image.size(), QSize(640, 480));
}
