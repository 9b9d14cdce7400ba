#include "transfer/VCardFormat.h"

#include "calendar/ChDateTo.h"

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

// The properties a card is read for.
enum class TKind {
    Other, Begin, End, Version, FullName, Name, Gender, Birthday, Nickname, Organisation, Title, Phone, Url, Email, Note,
};

// The parameters that matter, as bits.
constexpr unsigned TypeWork = 1u << 0;
constexpr unsigned TypeHome = 1u << 1;
constexpr unsigned TypeCell = 1u << 2;
constexpr unsigned TypeFax = 1u << 3;
constexpr unsigned TypePref = 1u << 4;
constexpr unsigned TypePager = 1u << 5;
constexpr unsigned TypeQuotedPrintable = 1u << 6;
constexpr unsigned TypeBinary = 1u << 7;

bool Is(QStringView text, const char *name)
{
    return text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Names are told apart by length first: a card has a dozen properties per contact, and a large
// file hundreds of thousands of contacts.
TKind KindOf(QStringView name)
{
    switch (name.size()) {
    case 1:
        return Is(name, "N") ? TKind::Name : TKind::Other;
    case 2:
        return Is(name, "FN") ? TKind::FullName : TKind::Other;
    case 3:
        return Is(name, "TEL")   ? TKind::Phone
               : Is(name, "ORG") ? TKind::Organisation
               : Is(name, "URL") ? TKind::Url
               : Is(name, "END") ? TKind::End
                                 : TKind::Other;
    case 4:
        return Is(name, "NOTE") ? TKind::Note : Is(name, "BDAY") ? TKind::Birthday : TKind::Other;
    case 5:
        return Is(name, "EMAIL")   ? TKind::Email
               : Is(name, "TITLE") ? TKind::Title
               : Is(name, "BEGIN") ? TKind::Begin
                                   : TKind::Other;
    case 7:
        return Is(name, "VERSION") ? TKind::Version : TKind::Other;
    case 8:
        return Is(name, "NICKNAME") ? TKind::Nickname : TKind::Other;
    case 12:
        return Is(name, "X-WAB-GENDER") ? TKind::Gender : TKind::Other;
    default:
        return TKind::Other;
    }
}

unsigned TypeOf(QStringView type)
{
    type = type.trimmed();
    if (type.size() >= 2 && type.startsWith(u'"') && type.endsWith(u'"'))
        type = type.mid(1, type.size() - 2);
    switch (type.size()) {
    case 1:
        return Is(type, "B") ? TypeBinary : 0;
    case 3:
        return Is(type, "FAX") ? TypeFax : 0;
    case 4:
        return Is(type, "WORK")   ? TypeWork
               : Is(type, "HOME") ? TypeHome
               : Is(type, "CELL") ? TypeCell
               : Is(type, "PREF") ? TypePref
                                  : 0;
    case 5:
        return Is(type, "PAGER") ? TypePager : 0;
    case 6:
        return Is(type, "IPHONE") ? TypeCell : Is(type, "BASE64") ? TypeBinary : 0;
    case 16:
        return Is(type, "QUOTED-PRINTABLE") ? TypeQuotedPrintable : 0;
    default:
        return 0;
    }
}

struct TProperty {
    TKind Kind = TKind::Other;
    unsigned Types = 0;
    QStringView Charset;
    QStringView RawValue;
};

// "group.NAME;TYPE=A,B;BARE;CHARSET=X:value": the group is dropped, bare parameters and those of
// TYPE and ENCODING are types. False for a line without a colon.
bool SplitProperty(QStringView line, TProperty &property)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return false;
    const QStringView head = line.left(colon);
    property.RawValue = line.mid(colon + 1);
    qsizetype semicolon = head.indexOf(u';');
    QStringView name = (semicolon < 0 ? head : head.left(semicolon)).trimmed();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name = name.mid(dot + 1);
    property.Kind = KindOf(name);
    while (semicolon >= 0) {
        const qsizetype next = head.indexOf(u';', semicolon + 1);
        const QStringView param = next < 0 ? head.mid(semicolon + 1) : head.mid(semicolon + 1, next - semicolon - 1);
        semicolon = next;
        const qsizetype eq = param.indexOf(u'=');
        const QStringView key = eq < 0 ? QStringView() : param.left(eq).trimmed();
        const QStringView value = eq < 0 ? param : param.mid(eq + 1);
        if (Is(key, "CHARSET"))
            property.Charset = value.trimmed();
        else if (key.isEmpty() || Is(key, "TYPE") || Is(key, "ENCODING"))
            for (QStringView type : value.tokenize(u','))
                property.Types |= TypeOf(type);
    }
    return true;
}

bool IsQuotedPrintable(QStringView line)
{
    TProperty property;
    return SplitProperty(line, property) && (property.Types & TypeQuotedPrintable);
}

// Hands out logical lines: a quoted-printable line ending in "=" goes on with the next line as it
// is; a line starting with a blank or tab continues the one before (vCard 3.0 and later drop
// that one blank, 2.1 keeps it). Lines end in CR LF, LF or CR.
class TLineReader
{
public:
    explicit TLineReader(QStringView text) : text_(text) {}

    bool Next(QStringView &line, bool modern)
    {
        if (pos_ >= text_.size())
            return false;
        const QStringView first = Physical();
        bool joined = false;
        const auto join = [&](QStringView more) {
            if (!joined) {
                buffer_ = first.toString();
                joined = true;
            }
            buffer_ += more;
        };
        for (;;) {
            const QStringView current = joined ? QStringView(buffer_) : first;
            if (pos_ < text_.size() && current.endsWith(u'=') && IsQuotedPrintable(first)) {
                join({});
                buffer_.chop(1);
                buffer_ += Physical();
            } else if (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t')) {
                const QStringView fold = Physical();
                join(modern ? fold.mid(1) : fold);
            } else {
                break;
            }
        }
        line = joined ? QStringView(buffer_) : first;
        return true;
    }

private:
    QStringView Physical()
    {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != u'\n' && text_[pos_] != u'\r')
            ++pos_;
        const QStringView line = text_.mid(start, pos_ - start);
        if (pos_ < text_.size() && text_[pos_] == u'\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == u'\n')
                ++pos_;
        } else if (pos_ < text_.size() && text_[pos_] == u'\n') {
            ++pos_;
        }
        return line;
    }

    QStringView text_;
    qsizetype pos_ = 0;
    QString buffer_;
};

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

QString DecodeCharset(const QByteArray &bytes, QStringView charset)
{
    if (Is(charset, "UTF-8"))
        return QString::fromUtf8(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.toLatin1().constData(), QStringConverter::Flag::Stateless);
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return DecodeText(bytes);
}

QString PropertyValue(const TProperty &property)
{
    if (property.Types & TypeQuotedPrintable)
        return DecodeCharset(DecodeQuotedPrintable(property.RawValue), property.Charset);
    return property.RawValue.toString();
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
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x2E80; });
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

QString Organisation(const QString &value)
{
    QStringList parts;
    for (const QString &part : Components(value, true)) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    }
    return parts.join(u' ');
}

// One card being read: the first value of a column wins, except that a preferred e-mail
// address replaces one that was not.
class TCardReader
{
public:
    void Add(const TProperty &property, bool modern)
    {
        if (property.Types & TypeBinary)
            return;
        const QString value = PropertyValue(property);
        const QString text = modern ? Unescape(value) : value;
        switch (property.Kind) {
        case TKind::FullName:
            fullName_ = text;
            break;
        case TKind::Name:
            structuredName_ = NameFromComponents(Components(value, modern));
            break;
        case TKind::Gender:
            SetSex(text.trimmed());
            break;
        case TKind::Birthday:
            Set(QStringLiteral("uhsr"), CardBirthday(text));
            break;
        case TKind::Nickname:
            Set(QStringLiteral("unc"), text);
            break;
        case TKind::Organisation:
            Set(QStringLiteral("uwkaddress"), modern ? Organisation(value) : text);
            break;
        case TKind::Title:
            Set(QStringLiteral("uzw"), text);
            break;
        case TKind::Phone:
            SetPhone(property.Types, text);
            break;
        case TKind::Url:
            Set(QStringLiteral("uhtml"), text);
            break;
        case TKind::Email:
            SetEmail(property.Types & TypePref, text);
            break;
        case TKind::Note:
            Set(QStringLiteral("ufz"), text);
            break;
        default:
            break;
        }
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
    void Set(const QString &column, const QString &value)
    {
        if (!value.isEmpty() && !record_.contains(column))
            record_.insert(column, value);
    }

    void SetSex(const QString &code)
    {
        if (code == QLatin1String("2"))
            Set(QStringLiteral("uxb"), QStringLiteral("男"));
        else if (code == QLatin1String("1"))
            Set(QStringLiteral("uxb"), QStringLiteral("女"));
    }

    void SetPhone(unsigned types, const QString &value)
    {
        if (types & TypeFax) {
            if (!(types & TypeHome))
                Set(QStringLiteral("uwcz"), value);
        } else if (types & TypeCell) {
            Set(QStringLiteral("umtel"), value);
        } else if (types & TypeWork) {
            Set(QStringLiteral("uwtlp"), value);
        } else if (types & TypeHome) {
            Set(QStringLiteral("uhtlp"), value);
        } else if (!(types & TypePager)) {
            Set(QStringLiteral("umtel"), value);
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
            Set(QStringLiteral("uemail"), value);
        }
    }

    TContactRecord record_;
    QString fullName_;
    QString structuredName_;
    bool emailPreferred_ = false;
};

} // namespace

QList<TContactRecord> ParseVCards(const QByteArray &bytes)
{
    const QString text = DecodeText(bytes);
    TLineReader lines(text);
    QList<TContactRecord> cards;
    std::optional<TCardReader> card;
    bool modern = false;
    QStringView line;
    while (lines.Next(line, modern)) {
        TProperty property;
        if (!SplitProperty(line, property))
            continue;
        switch (property.Kind) {
        case TKind::Begin:
            if (!Is(property.RawValue.trimmed(), "VCARD"))
                break;
            if (card)
                cards << card->Finish();
            card.emplace();
            modern = false;
            break;
        case TKind::End:
            if (card && Is(property.RawValue.trimmed(), "VCARD")) {
                cards << card->Finish();
                card.reset();
            }
            break;
        case TKind::Version:
            modern = !property.RawValue.trimmed().startsWith(u'2');
            break;
        case TKind::Other:
            break;
        default:
            if (card)
                card->Add(property, modern);
            break;
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
