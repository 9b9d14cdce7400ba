#include "transfer/VCardFormat.h"

#include "calendar/ChDateTo.h"

#include "platform/JetFormat.h"

#include <QDate>
#include <QStringEncoder>
#include <algorithm>

namespace {

// Every card this program writes carries the same revision stamp.
constexpr char Revision[] = "REV:20051213T004258Z";

// Quoted-printable lines, soft break included, stay within the 76 characters readers expect.
constexpr int QpLineLength = 75;

QString Value(const TContactRecord &contact, const char *column)
{
    return contact.value(QString::fromLatin1(column));
}

bool HasLineBreak(const QString &value)
{
    return value.contains(u'\n') || value.contains(u'\r');
}

// Every byte that is not plain visible ASCII is escaped, blanks included, so neither a line
// end nor a folded-line reader can change the value.
QString QuotedPrintable(const QByteArray &bytes, int lineLength)
{
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = byte > 32 && byte < 127 && byte != '=';
        const int width = plain ? 1 : 3;
        if (lineLength + width > QpLineLength) {
            out += QLatin1String("=\r\n");
            lineLength = 0;
        }
        if (plain) {
            out += QChar(byte);
        } else {
            out += u'=';
            out += QChar(hex[byte >> 4]);
            out += QChar(hex[byte & 15]);
        }
        lineLength += width;
    }
    return out;
}

void AppendProperty(QString &card, QStringEncoder &encoder, const char *property, const QString &value)
{
    card += QLatin1String(property);
    if (HasLineBreak(value)) {
        const QLatin1String parameters(";CHARSET=GB18030;ENCODING=QUOTED-PRINTABLE:");
        card += parameters;
        card += QuotedPrintable(encoder.encode(value), int(qstrlen(property) + parameters.size()));
    } else {
        card += u':';
        card += value;
    }
    card += QLatin1String("\r\n");
}

// The family part is the name's first character when that is not ASCII (a Chinese surname);
// a Latin name gives neither part.
QString StructuredName(const QString &name)
{
    if (name.isEmpty() || name[0].unicode() < 0x80)
        return QStringLiteral(";");
    const qsizetype first = name[0].isHighSurrogate() && name.size() > 1 ? 2 : 1;
    return name.left(first) + u';' + name.mid(first);
}

} // namespace

const QStringList &VCardColumns()
{
    static const QStringList columns = {
        QStringLiteral("uname"),  QStringLiteral("uxb"),   QStringLiteral("uhsr"),  QStringLiteral("udtfmt"),
        QStringLiteral("unc"),    QStringLiteral("uwkaddress"), QStringLiteral("uzw"), QStringLiteral("uwtlp"),
        QStringLiteral("uhtlp"),  QStringLiteral("umtel"), QStringLiteral("uwcz"),  QStringLiteral("uhtml"),
        QStringLiteral("uemail"), QStringLiteral("ufz"),
    };
    return columns;
}

QString VCardBirthday(const QString &uhsr, const QString &udtfmt)
{
    const QDateTime stored = ReadLooseDateTime(uhsr.trimmed());
    if (!stored.isValid())
        return {};
    QDate date = stored.date();
    if (udtfmt.trimmed() == QStringLiteral("阴历"))
        date = LunarToSolar(date.year(), date.month(), date.day());
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

QByteArray VCardBytes(const TContactRecord &contact)
{
    QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
    const QString name = Value(contact, "uname");
    const QString sex = Value(contact, "uxb");
    const QString birthday = VCardBirthday(Value(contact, "uhsr"), Value(contact, "udtfmt"));

    QString card;
    card.reserve(512);
    card += QLatin1String("BEGIN:VCARD\r\nVERSION:2.1\r\n");
    AppendProperty(card, encoder, "FN", name);
    AppendProperty(card, encoder, "N", StructuredName(name));
    if (sex.contains(QStringLiteral("女")))
        card += QLatin1String("X-WAB-GENDER:1\r\n");
    else if (sex.contains(QStringLiteral("男")))
        card += QLatin1String("X-WAB-GENDER:2\r\n");
    if (!birthday.isEmpty())
        card += QLatin1String("BDAY:") + birthday + QLatin1String("\r\n");
    AppendProperty(card, encoder, "NICKNAME", Value(contact, "unc"));
    AppendProperty(card, encoder, "ORG", Value(contact, "uwkaddress"));
    AppendProperty(card, encoder, "TITLE", Value(contact, "uzw"));
    AppendProperty(card, encoder, "TEL;WORK;VOICE", Value(contact, "uwtlp"));
    AppendProperty(card, encoder, "TEL;HOME;VOICE", Value(contact, "uhtlp"));
    AppendProperty(card, encoder, "TEL;CELL;VOICE", Value(contact, "umtel"));
    AppendProperty(card, encoder, "TEL;WORK;FAX", Value(contact, "uwcz"));
    AppendProperty(card, encoder, "URL", Value(contact, "uhtml"));
    AppendProperty(card, encoder, "EMAIL;PREF;INTERNET", Value(contact, "uemail"));
    AppendProperty(card, encoder, "NOTE", Value(contact, "ufz"));
    card += QLatin1String(Revision);
    card += QLatin1String("\r\nEND:VCARD\r\n");
    return encoder.encode(card);
}

// File names -------------------------------------------------------------------------------------

QString SafeFileBaseName(const QString &name)
{
    QString base = name.trimmed();
    for (QChar &c : base) {
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'_';
    }
    return base.isEmpty() ? QStringLiteral("未命名") : base;
}

QString TVCardFileNames::Next(const QString &uname)
{
    const QString base = SafeFileBaseName(uname);
    QString candidate = base + QLatin1String(".vcf");
    for (int n = 2; used_.contains(candidate.toLower()); ++n)
        candidate = QStringLiteral("%1 (%2).vcf").arg(base).arg(n);
    used_.insert(candidate.toLower());
    return candidate;
}
