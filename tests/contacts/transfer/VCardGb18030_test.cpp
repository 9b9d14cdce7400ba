#include "contacts/transfer/VCardFormat.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

// Every two-byte GB18030 character of a card reads as the system's decoder reads it, next to
// ASCII and to a four-byte character.
TEST(VCardReader, Gb18030TextReadsAsTheDecoderReadsIt)
{
    QByteArray pairs;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
            const QString c = decoder.decode(QByteArrayView(pair, 2));
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter && !decoder.hasError())
                pairs += QByteArrayView(pair, 2);
        }
    }
    ASSERT_GT(pairs.size(), 2 * 20000);
    const QByteArray values[] = {pairs, "abc " + pairs.left(400) + " xyz", pairs.left(600) + "\x81\x30\x81\x30" + "q"};
    for (const QByteArray &value : values) {
        QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
        const QString expected = decoder.decode(value);
        const QList<TContactRecord> cards = ParseVCards("BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE:" + value + "\r\nEND:VCARD\r\n");
        ASSERT_EQ(cards.size(), 1);
        EXPECT_TRUE(cards[0].value(QStringLiteral("ufz")) == expected);
    }
}

} // namespace
