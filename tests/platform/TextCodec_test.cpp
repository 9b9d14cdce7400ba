#include "platform/TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, DetectsEightBitTextAndWritesGbkWhereGbkHasTheCharacter)
{
    const QString zhang = QString::fromUtf8("张三,移动电话");
    const struct { const char *name; QByteArray bytes; } cases[] = {
        {"utf8", zhang.toUtf8()}, {"utf8 bom", QByteArray("\xEF\xBB\xBF") + zhang.toUtf8()},
        {"gbk", QByteArray("\xD5\xC5\xC8\xFD,\xD2\xC6\xB6\xAF\xB5\xE7\xBB\xB0")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeText(c.bytes), zhang) << c.name;
    EXPECT_EQ(DecodeText("plain ascii"), "plain ascii");
    // GB18030 is GBK where GBK has the character, and lossless elsewhere.
    EXPECT_EQ(EncodeGB18030(QString::fromUtf8("张三")), QByteArray("\xD5\xC5\xC8\xFD"));
    EXPECT_EQ(EncodeGB18030(QString::fromUtf8("盤")), QByteArray("\xB1\x50"));
    const QString rare = QString::fromUtf8("𠀋€😀");
    EXPECT_EQ(DecodeGB18030(EncodeGB18030(rare)), rare);
    EXPECT_EQ(EncodeGbkChar(QChar(0x554A)), QByteArray("\xB0\xA1"));  // 啊
    EXPECT_EQ(EncodeGbkChar(QChar('A')), QByteArray("A"));
    EXPECT_EQ(EncodeGbkChar(QChar(0xFF0C)), QByteArray("\xA3\xAC"));  // fullwidth comma
    EXPECT_TRUE(EncodeGbkChar(QChar(0x0E01)).isEmpty());               // Thai: not in GBK
}
