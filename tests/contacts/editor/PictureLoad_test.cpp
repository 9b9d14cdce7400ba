#include "contacts/editor/PictureLoad.h"

#include "PictureTestData.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

TEST(FitPictureRect, ScalesIntoTheBoxLessFourPixels)
{
    const struct { int w, h, bw, bh; TRect expected; } cases[] = {
        {200, 100, 80, 80, {0, 19, 76, 57}}, {100, 200, 80, 80, {19, 0, 57, 76}}, {50, 50, 80, 80, {0, 0, 76, 76}},
        {1000, 10, 100, 100, {0, 48, 96, 48}},  // too flat to keep a pixel row
        {3, 2, 100, 100, {0, 16, 96, 80}},   {0, 100, 80, 80, {}}, {100, 0, 80, 80, {}}, {-5, 100, 80, 80, {}},
        {100, 100, 4, 80, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FitPictureRect(c.w, c.h, c.bw, c.bh), c.expected) << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh;
}

TEST(FitToScrollBox, WidthFirstThenHeight)
{
    EXPECT_EQ(FitToScrollBox(400, 100, 300, 200), QSize(298, 74));
    EXPECT_EQ(FitToScrollBox(100, 400, 300, 200), QSize(50, 200));
    EXPECT_EQ(FitToScrollBox(298, 200, 300, 200), QSize(298, 200));
    EXPECT_TRUE(FitToScrollBox(0, 400, 300, 200).isEmpty() && FitToScrollBox(400, 0, 300, 200).isEmpty());
}

// A JPEG is decoded at the eighth-step that still covers the box; a limit keeps any picture
// within it. Either way the picture keeps its own size.
TEST(DecodePicture, ReducedToCoverTheBoxAndKeptWithinTheLimit)
{
    QImage wide(400, 100, QImage::Format_RGB32);
    wide.fill(qRgb(20, 20, 230));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && wide.save(&buffer, "PNG"));
    const QByteArray jpeg = TwoColourJpeg(640, 480), wideJpeg = TwoColourJpeg(400, 100);
    struct Case { const char *name; QByteArray bytes; QSize cover, limit, decoded; } cases[] = {
        {"cover 76x57", jpeg, {76, 57}, {}, {80, 60}},         {"cover 81x10", jpeg, {81, 10}, {}, {160, 120}},
        {"cover 300x200", jpeg, {300, 200}, {}, {320, 240}},   {"cover 400x10", jpeg, {400, 10}, {}, {640, 480}},
        {"no box", jpeg, {}, {}, {640, 480}},
        {"an eighth-step fits", wideJpeg, {}, {300, 300}, {300, 75}},
        {"an eighth-step is not enough", wideJpeg, {}, {40, 40}, {40, 10}},
        {"jpeg within the limit", wideJpeg, {}, {1024, 768}, {400, 100}},
        {"progressive", EncodeJpeg(wide, 400, 100, JpegKind::Rgb, JpegScans::Progressive), {}, {200, 200}, {200, 50}},
        {"png", png, {}, {100, 100}, {100, 25}},
    };
    for (const Case &c : cases) {
        const TPicture picture = DecodePicture(c.bytes, c.cover, c.limit);
        EXPECT_EQ(picture.Image.size(), c.decoded) << c.name;
        EXPECT_EQ(QSize(picture.Width, picture.Height), c.bytes == jpeg ? QSize(640, 480) : QSize(400, 100)) << c.name;
    }
    const TPicture small = DecodePicture(jpeg, QSize(76, 57));
    EXPECT_TRUE(IsReddish(small.Image.pixel(10, 30)) && IsBluish(small.Image.pixel(70, 30)));
}

TEST(DecodePicture, DataThatIsNoPictureGivesANullImage)
{
    QByteArray huge = TwoColourJpeg(64, 48);
    const qsizetype sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    huge.replace(sof + 5, 4, "\xFD\xE8\xFD\xE8");  // 65000 x 65000
    const QByteArray cases[] = {QByteArray(), QByteArray("not a picture"), QByteArray("\xFF\xD8\xFF", 3), huge};
    for (const QByteArray &bytes : cases) {
        const TPicture picture = DecodePicture(bytes);
        EXPECT_TRUE(picture.Image.isNull() && picture.Width == 0) << bytes.left(16).toHex().toStdString();
    }
}

} // namespace
