#pragma once
#include <QByteArray>
#include <QString>

// Legacy 8-bit files are GBK/GB18030; newer ones UTF-8, with or without a BOM.
QString DecodeText(const QByteArray &bytes);

// Every character round-trips through GB18030, and it is byte-identical to GBK wherever GBK
// has the character, so files written this way read back in older GBK-only programs.
QByteArray EncodeGB18030(const QString &text);
QString DecodeGB18030(const QByteArray &bytes);

// The GBK bytes of one character: two bytes for a double-byte character, one for ASCII,
// empty when GBK has no such character.
QByteArray EncodeGbkChar(QChar ch);

bool IsValidUtf8(const QByteArray &bytes);
