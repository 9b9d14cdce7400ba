#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

bool IsValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    // decode() is lazy: only the conversion to QString runs the decoder.
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

QString DecodeGB18030(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

QByteArray EncodeGB18030(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString DecodeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return DecodeGB18030(bytes);
}

QByteArray EncodeGbkChar(QChar ch)
{
    if (ch.unicode() < 0x80)
        return QByteArray(1, char(ch.unicode()));
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString(ch));
    if (encoder.hasError() || bytes.size() != 2)
        return {};
    return bytes;
}
