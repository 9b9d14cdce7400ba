#include "VCardFormat.h"

#include "ChDateTo.h"

#include "platform/JetFormat.h"
#include "platform/TextCodec.h"

#include <QDate>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <optional>

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

// Reading ---------------------------------------------------------------------------------------

namespace {

struct TProperty {
    QString name;       // upper case, group prefix removed
    QSet<QString> types;  // upper case
    QString charset;
    bool quotedPrintable = false;
    bool binary = false;
    QString value;
};

// The part before the first colon, where the name and the parameters are.
QStringView Head(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    return colon < 0 ? line : line.left(colon);
}

bool IsQuotedPrintable(QStringView line)
{
    return Head(line).contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

// Physical lines joined into logical ones: a quoted-printable line ending in "=" goes on with the
// next line as it is; a line starting with a blank or tab continues the previous one (vCard 3.0
// and later drop that one blank, 2.1 keeps it).
QList<QString> LogicalLines(QStringView text)
{
    QList<QStringView> physical;
    qsizetype from = 0;
    const qsizetype size = text.size();
    while (from < size) {
        qsizetype end = from;
        while (end < size && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        physical << text.mid(from, end - from);
        if (end < size && text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n')
            ++end;
        from = end + 1;
    }

    QList<QString> lines;
    bool modernVersion = false;
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QStringView line = physical[i];
        if (!line.isEmpty() && (line[0] == u' ' || line[0] == u'\t') && !lines.isEmpty()) {
            lines.back() += modernVersion ? line.mid(1) : line;
            continue;
        }
        QString logical = line.toString();
        if (IsQuotedPrintable(logical)) {
            while (logical.endsWith(u'=') && i + 1 < physical.size()) {
                logical.chop(1);
                logical += physical[++i];
            }
        }
        if (Head(logical).compare(QLatin1String("VERSION"), Qt::CaseInsensitive) == 0) {
            const QString version = logical.mid(logical.indexOf(u':') + 1).trimmed();
            modernVersion = !version.startsWith(QLatin1String("2"));
        }
        lines << logical;
    }
    return lines;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// "=XX" becomes the byte; an "=" not followed by two hex digits is kept as it is.
QByteArray DecodeQuotedPrintable(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'=' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            bytes += char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
        } else {
            bytes += QString(c).toUtf8();
        }
    }
    return bytes;
}

QString DecodeCharset(const QByteArray &bytes, const QString &charset)
{
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.toLatin1().constData(), QStringConverter::Flag::Stateless);
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return DecodeText(bytes);
}

QString ParamValue(QStringView text)
{
    QString value = text.trimmed().toString();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool ParseProperty(const QString &line, TProperty &property)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return false;
    const QList<QStringView> parts = QStringView(line).left(colon).split(u';');
    QStringView name = parts[0].trimmed();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name = name.mid(dot + 1);
    property.name = name.toString().toUpper();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QStringView param = parts[i];
        const qsizetype eq = param.indexOf(u'=');
        const QString key = (eq < 0 ? QStringView() : param.left(eq)).trimmed().toString().toUpper();
        const QString value = ParamValue(eq < 0 ? param : param.mid(eq + 1)).toUpper();
        if (key.isEmpty() || key == QLatin1String("TYPE")) {
            for (const QString &type : value.split(u',', Qt::SkipEmptyParts))
                property.types.insert(type.trimmed());
        } else if (key == QLatin1String("ENCODING")) {
            property.types.insert(value);
        } else if (key == QLatin1String("CHARSET")) {
            property.charset = value;
        }
    }
    property.quotedPrintable = property.types.contains(QStringLiteral("QUOTED-PRINTABLE"));
    property.binary = property.types.contains(QStringLiteral("BASE64")) || property.types.contains(QStringLiteral("B"));
    const QStringView raw = QStringView(line).mid(colon + 1);
    property.value = property.quotedPrintable ? DecodeCharset(DecodeQuotedPrintable(raw), property.charset)
                                              : raw.toString();
    return true;
}

// vCard 3.0 and later escape line breaks, commas, semicolons and backslashes in text values.
QString Unescape(const QString &value)
{
    if (!value.contains(u'\\'))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            out += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The components of a structured value, split at semicolons not escaped by a backslash.
QStringList Components(const QString &value, bool modern)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size() && value[i + 1] == u';') {
            part += u';';
            ++i;
        } else if (value[i] == u';') {
            parts << (modern ? Unescape(part) : part);
            part.clear();
        } else {
            part += value[i];
        }
    }
    parts << (modern ? Unescape(part) : part);
    return parts;
}

bool IsLatin(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x2E80)
            return false;
    }
    return true;
}

// A Chinese name is family then given name without a blank; a Western one given, middle and
// family names with blanks.
QString NameFromComponents(const QStringList &parts)
{
    const QString family = parts.value(0).trimmed();
    const QString given = parts.value(1).trimmed();
    if (!IsLatin(family + given))
        return family + given;
    QStringList words;
    for (const QString &word : {given, parts.value(2).trimmed(), family}) {
        if (!word.isEmpty())
            words << word;
    }
    return words.join(u' ');
}

QString CardBirthday(const QString &value)
{
    QString text = value.trimmed();
    const qsizetype t = text.indexOf(u'T');
    if (t >= 0)
        text.truncate(t);
    QDate date;
    if (text.size() == 8 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        date = QDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt());
    else
        date = ReadLooseDateTime(text).date();
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

// One card being read: the first value of a column wins, except that a preferred e-mail
// address replaces one that was not.
class TCardReader
{
public:
    void Add(const TProperty &property, bool modern)
    {
        if (property.binary)
            return;
        const QString &name = property.name;
        const QString text = modern ? Unescape(property.value) : property.value;
        if (name == QLatin1String("FN"))
            fullName_ = text;
        else if (name == QLatin1String("N"))
            structuredName_ = NameFromComponents(Components(property.value, modern));
        else if (name == QLatin1String("X-WAB-GENDER"))
            SetSex(text.trimmed());
        else if (name == QLatin1String("BDAY"))
            Set("uhsr", CardBirthday(text));
        else if (name == QLatin1String("NICKNAME"))
            Set("unc", text);
        else if (name == QLatin1String("ORG"))
            Set("uwkaddress", modern ? Organisation(property.value) : text);
        else if (name == QLatin1String("TITLE"))
            Set("uzw", text);
        else if (name == QLatin1String("TEL"))
            SetPhone(property.types, text);
        else if (name == QLatin1String("URL"))
            Set("uhtml", text);
        else if (name == QLatin1String("EMAIL"))
            SetEmail(property.types.contains(QStringLiteral("PREF")), text);
        else if (name == QLatin1String("NOTE"))
            Set("ufz", text);
    }

    TContactRecord Finish()
    {
        QString name = fullName_;
        if (name.trimmed().isEmpty())
            name = structuredName_;
        if (name.trimmed().isEmpty())
            name = record_.value(QStringLiteral("uemail"));
        if (!name.trimmed().isEmpty())
            record_.insert(QStringLiteral("uname"), name);
        return record_;
    }

private:
    void Set(const char *column, const QString &value)
    {
        if (value.isEmpty())
            return;
        const QString key = QString::fromLatin1(column);
        if (!record_.contains(key))
            record_.insert(key, value);
    }

    void SetSex(const QString &code)
    {
        if (code == QLatin1String("2"))
            Set("uxb", QStringLiteral("男"));
        else if (code == QLatin1String("1"))
            Set("uxb", QStringLiteral("女"));
    }

    void SetPhone(const QSet<QString> &types, const QString &value)
    {
        const bool home = types.contains(QStringLiteral("HOME"));
        if (types.contains(QStringLiteral("FAX"))) {
            if (!home)
                Set("uwcz", value);
        } else if (types.contains(QStringLiteral("CELL")) || types.contains(QStringLiteral("IPHONE"))) {
            Set("umtel", value);
        } else if (types.contains(QStringLiteral("WORK"))) {
            Set("uwtlp", value);
        } else if (home) {
            Set("uhtlp", value);
        } else if (!types.contains(QStringLiteral("PAGER"))) {
            Set("umtel", value);
        }
    }

    void SetEmail(bool preferred, const QString &value)
    {
        if (value.isEmpty())
            return;
        if (preferred && !emailPreferred_) {
            record_.insert(QStringLiteral("uemail"), value);
            emailPreferred_ = true;
        } else {
            Set("uemail", value);
        }
    }

    static QString Organisation(const QString &value)
    {
        QStringList parts;
        for (const QString &part : Components(value, true)) {
            if (!part.trimmed().isEmpty())
                parts << part.trimmed();
        }
        return parts.join(u' ');
    }

    TContactRecord record_;
    QString fullName_;
    QString structuredName_;
    bool emailPreferred_ = false;
};

} // namespace

QList<TContactRecord> ParseVCards(const QByteArray &bytes)
{
    QList<TContactRecord> cards;
    const QString text = DecodeText(bytes);
    std::optional<TCardReader> card;
    bool modern = false;
    for (const QString &line : LogicalLines(text)) {
        TProperty property;
        if (!ParseProperty(line, property))
            continue;
        if (property.name == QLatin1String("BEGIN") && property.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            if (card)
                cards << card->Finish();
            card.emplace();
            modern = false;
        } else if (!card) {
            continue;
        } else if (property.name == QLatin1String("END") && property.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            cards << card->Finish();
            card.reset();
        } else if (property.name == QLatin1String("VERSION")) {
            modern = !property.value.trimmed().startsWith(u'2');
        } else {
            card->Add(property, modern);
        }
    }
    if (card)
        cards << card->Finish();
    return cards;
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
