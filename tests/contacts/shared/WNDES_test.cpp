#include "contacts/shared/WNDES.h"

#include "platform/TextCodec.h"

#include <gtest/gtest.h>

// Expected cipher texts come from OpenSSL's des-ecb over the XOR-ed, zero-padded bytes.

TEST(WNDES, EncryptsToKnownHexAndBack)
{
    struct Case { const char *text, *key, *hex; };
    const Case cases[] = {
        {"", DesKey, ""}, {"123456", DesKey, "5823e3dfbd54dd81"}, {"a", DesKey, "a2aebbe13be59af6"},
        {"abcdefgh", DesKey, "a9e2602bbead69ec"}, {"abcdefghi", DesKey, "a9e2602bbead69ec76c4aa8d40690fb1"},
        {"uname,umtel,uwtlp,ulevel,uemail", DesKey,
         "3feae636c59c0260020b254bac488dcea2d15aaf5a6651eb76b9beab88d18308"},
        {"张三", DesKey, "b7d6cea494af0fd2"},
        // An inner byte equal to the key digest (0x0B) is fine; only a last one is not.
        {"a\x0b" "b", DesKey, "f47cd3c5397e2766"},
        // A short key is zero-padded; a long one counts fully in the digest, 8 bytes in DES.
        {"pass", "ab", "d531a9ac3ee82e27"}, {"pass", "tevoriks12", "be6514fb8511638a"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const DesResult result = DesEncryptString(QString::fromUtf8(c.text), QString::fromUtf8(c.key));
        ASSERT_TRUE(result.Ok()) << result.Error.toStdString();
        EXPECT_EQ(result.Text, QString::fromLatin1(c.hex));
        EXPECT_EQ(DesDecryptString(QString::fromLatin1(c.hex), QString::fromUtf8(c.key)), QString::fromUtf8(c.text));
        EXPECT_EQ(DesDecryptString(QString::fromLatin1(c.hex).toUpper(), QString::fromUtf8(c.key)),
                  QString::fromUtf8(c.text));
    }
}

TEST(WNDES, TextEndingInTheKeyDigestIsRefusedNotCrashed)
{
    // t^e^v^o^r^i^k^s = 0x0B, a^b = 0x03
    const struct { QString text, key; } cases[] = {
        {"secret\x0b", DesKey}, {"\x0b", DesKey}, {"pass\x03", "ab"}, {"x", "x"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const DesResult result = DesEncryptString(c.text, c.key);
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.Error, "Error: the last char is NULL char.");
        EXPECT_TRUE(result.Text.isEmpty());
    }
}

TEST(WNDES, DecryptingDamagedOrShortInputNeverFails)
{
    struct Case { const char *hex, *expected; };
    const Case cases[] = {
        {"", ""}, {" ", ""},  // how a removed password is stored
        {"5823e3dfbd54dd8", ""}, {"5823e3dfbd54dd817", "123456"},
        {"ff56cfecc4c6c0ae", "张三"},  // the GBK-only program enciphered the GBK bytes
        // A character that is no hex digit counts as 0 within its byte.
        {"3feae636c59cx26x020b254bac488dcea2d15aaf5a6651eb76b9beab88d18308", "uname,umtel,uwtlp,ulevel,uemail"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(DesDecryptString(QString::fromLatin1(c.hex), QString::fromLatin1(DesKey)), QString::fromUtf8(c.expected));
    }
    const QString garbage = DesDecryptString(QStringLiteral("zzzzzzzzzzzzzzzzqqqqqqqqqqqqqqqq"), QString::fromLatin1(DesKey));
    EXPECT_LE(garbage.size(), 16);
}
