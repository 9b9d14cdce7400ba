// Reading cards: vCard 2.1, 3.0 and 4.0 as phones, mail programs and address books write them.
#include "transfer/VCardFormat.h"

#include "transfer/CsvFormat.h"

#include "editor/PictureLoad.h"

#include "platform/JetFormat.h"

#include <QDate>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// A photo larger than this is no contact photo; it is left out and counted apart, so the user
// is told why.
constexpr qsizetype MaxPhotoBytes = qsizetype(MaxVCardPhotoMiB) * 1024 * 1024;

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Every line asks a few of these; the names are ASCII.
template <size_t N>
bool Is(QByteArrayView text, const char (&name)[N])
{
    if (text.size() != qsizetype(N - 1))
        return false;
    for (size_t i = 0; i + 1 < N; ++i) {
        if (AsciiLower(text[qsizetype(i)]) != AsciiLower(name[i]))
            return false;
    }
    return true;
}

template <size_t N>
bool StartsWith(QByteArrayView text, const char (&prefix)[N])
{
    return text.size() >= qsizetype(N - 1) && Is(text.first(qsizetype(N - 1)), prefix);
}

} // namespace

QString IsoDateText(QDate date)
{
    int parts[3] = {};
    date.getDate(&parts[0], &parts[1], &parts[2]);
    char16_t text[10] = {};
    const auto put = [&](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[at + i] = char16_t(u'0' + value % 10);
    };
    put(0, parts[0], 4);
    text[4] = u'-';
    put(5, parts[1], 2);
    text[7] = u'-';
    put(8, parts[2], 2);
    return QString(reinterpret_cast<const QChar *>(text), 10);
}

namespace {

// Files ------------------------------------------------------------------------------------------

// The file as 8-bit lines. UTF-16 (with a byte-order mark, or without one: then the card's first
// ASCII letters show every other byte zero) is turned into UTF-8 first; `utf8` then says every
// value is UTF-8, as it does for a file with a UTF-8 byte-order mark.
QByteArray EightBitText(const QByteArray &bytes, bool &utf8)
{
    utf8 = false;
    const auto fromUtf16 = [&](QStringConverter::Encoding encoding, qsizetype skip) {
        utf8 = true;
        QStringDecoder decoder(encoding);
        return QString(decoder.decode(QByteArrayView(bytes).sliced(skip))).toUtf8();
    };
    if (bytes.startsWith("\xFF\xFE"))
        return fromUtf16(QStringConverter::Utf16LE, 2);
    if (bytes.startsWith("\xFE\xFF"))
        return fromUtf16(QStringConverter::Utf16BE, 2);
    if (bytes.size() >= 4 && bytes[0] != 0 && bytes[1] == 0 && bytes[2] != 0 && bytes[3] == 0)
        return fromUtf16(QStringConverter::Utf16LE, 0);
    if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] != 0 && bytes[2] == 0 && bytes[3] != 0)
        return fromUtf16(QStringConverter::Utf16BE, 0);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        utf8 = true;
        return bytes.sliced(3);
    }
    return bytes;
}

// Lines end in CR LF, LF or CR. Any run of CRs before an LF is one line end: iOS 6 wrote CR CR LF,
// and reading the extra CR as an empty line would cut every folded value (a photo) in two. No
// encoding a card may use has these bytes inside a character.
std::vector<QByteArrayView> PhysicalLines(const QByteArray &text)
{
    std::vector<QByteArrayView> lines;
    const char *data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    // As many as the file has LFs, unless it ends its lines with CRs alone.
    lines.reserve(size_t(std::count(data, data + size, '\n')) + 1);
    // The next LF is looked for again only once the lines have passed it: a file whose lines end
    // in CRs alone would otherwise be searched to its end for every line.
    qsizetype lf = -2;  // -2: not looked for yet; -1: there is none left
    while (start < size) {
        // The next LF, and the first CR before it, if any.
        if (lf != -1 && lf < start) {
            const char *found = static_cast<const char *>(std::memchr(data + start, '\n', size_t(size - start)));
            lf = found ? found - data : -1;
        }
        const qsizetype end = lf >= 0 ? lf : size;
        const char *cr = static_cast<const char *>(std::memchr(data + start, '\r', size_t(end - start)));
        if (!cr) {
            if (lf < 0)
                break;
            lines.emplace_back(data + start, end - start);
            start = end + 1;
            continue;
        }
        const qsizetype i = cr - data;
        lines.emplace_back(data + start, i - start);
        qsizetype last = i;
        while (last + 1 < end && data[last + 1] == '\r')
            ++last;
        start = last + 1 == end && lf >= 0 ? end + 1 : i + 1;
    }
    if (start < size)
        lines.emplace_back(data + start, size - start);
    return lines;
}

bool IsFold(QByteArrayView line)
{
    return !line.isEmpty() && (line[0] == ' ' || line[0] == '\t');
}

// "BEGIN:VCARD" or "END:VCARD", blanks around the value allowed.
template <size_t N>
bool IsMarker(QByteArrayView line, const char (&name)[N])
{
    // Most lines are properties: their first letter tells them apart (a fold starts with a blank).
    if (line.isEmpty() || (AsciiLower(line[0]) != AsciiLower(name[0]) && line[0] != '\v' && line[0] != '\f'))
        return false;
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && !IsFold(line) && Is(line.first(colon).trimmed(), name) && Is(line.sliced(colon + 1).trimmed(), "VCARD");
}

// Properties -------------------------------------------------------------------------------------

constexpr unsigned TypeWork = 1u << 0;
constexpr unsigned TypeHome = 1u << 1;
constexpr unsigned TypeCell = 1u << 2;
constexpr unsigned TypeFax = 1u << 3;
constexpr unsigned TypePref = 1u << 4;
constexpr unsigned TypePager = 1u << 5;

// The properties a contact is made of; every other one is left out.
enum class TName {
    Other, Version, Agent, FN, N, WabGender, Gender, Bday, Nickname, Org, Title, Url, Note, Tel, Email, Adr,
    InstantMessaging, Photo
};

struct TProperty {
    TName Name = TName::Other;  // without its group
    unsigned Types = 0;
    QByteArray Charset;
    bool QuotedPrintable = false;
    bool Base64 = false;
    QByteArrayView Value;
    QByteArrayView Parameters;  // from the first semicolon of the head on, or empty
};

// A line of a card and, unless it is a fold or no property, its name and value.
struct TCardLine {
    QByteArrayView Text;
    bool Split = false;
    TProperty Property;
};

unsigned TypeOf(QByteArrayView type, TProperty &property)
{
    type = type.trimmed();
    if (Is(type, "WORK"))
        return TypeWork;
    if (Is(type, "HOME"))
        return TypeHome;
    if (Is(type, "CELL") || Is(type, "IPHONE") || Is(type, "MOBILE"))
        return TypeCell;
    if (Is(type, "FAX"))
        return TypeFax;
    if (Is(type, "PREF"))
        return TypePref;
    if (Is(type, "PAGER"))
        return TypePager;
    if (Is(type, "QUOTED-PRINTABLE"))
        property.QuotedPrintable = true;
    else if (Is(type, "BASE64") || Is(type, "B"))
        property.Base64 = true;
    return 0;
}

QByteArrayView Unquoted(QByteArrayView text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        text = text.sliced(1, text.size() - 2);
    return text;
}

// The separators of a property's head outside double quotes (vCard 4.0 quotes parameter values).
qsizetype IndexOutsideQuotes(QByteArrayView text, char c, qsizetype from)
{
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == c && !quoted)
            return i;
    }
    return -1;
}

TName NameOf(QByteArrayView name)
{
    static const std::pair<const char *, TName> names[] = {
        {"VERSION", TName::Version},   {"AGENT", TName::Agent},
        {"FN", TName::FN},             {"N", TName::N},
        {"X-WAB-GENDER", TName::WabGender}, {"GENDER", TName::Gender},
        {"BDAY", TName::Bday},         {"NICKNAME", TName::Nickname},
        {"ORG", TName::Org},           {"TITLE", TName::Title},
        {"URL", TName::Url},           {"NOTE", TName::Note},
        {"TEL", TName::Tel},           {"EMAIL", TName::Email},
        {"ADR", TName::Adr},           {"PHOTO", TName::Photo},
        {"IMPP", TName::InstantMessaging},   {"X-QQ", TName::InstantMessaging},
        {"X-MSN", TName::InstantMessaging},  {"X-ICQ", TName::InstantMessaging},
        {"X-AIM", TName::InstantMessaging},  {"X-JABBER", TName::InstantMessaging},
        {"X-YAHOO", TName::InstantMessaging}, {"X-SKYPE", TName::InstantMessaging},
        {"X-SKYPE-USERNAME", TName::InstantMessaging}, {"X-GOOGLE-TALK", TName::InstantMessaging},
        {"X-GTALK", TName::InstantMessaging}, {"X-WECHAT", TName::InstantMessaging},
    };
    for (const auto &[text, kind] : names) {
        if (name.compare(text, Qt::CaseInsensitive) == 0)
            return kind;
    }
    return TName::Other;
}

// Every card repeats the same few names as the file writes them; each is looked up once.
TName CachedNameOf(QByteArrayView name)
{
    thread_local std::vector<std::pair<QByteArray, TName>> seen;
    for (const auto &[raw, kind] : seen) {
        if (raw.size() == name.size() && std::memcmp(raw.constData(), name.data(), size_t(name.size())) == 0)
            return kind;
    }
    const TName kind = NameOf(name);
    if (seen.size() < 64)
        seen.emplace_back(name.toByteArray(), kind);
    return kind;
}

QByteArrayView TrimmedName(QByteArrayView name)
{
    // Names are seldom padded; trimming only when needed saves a call per line.
    if (!name.isEmpty() && (QChar::isSpace(uchar(name.front())) || QChar::isSpace(uchar(name.back()))))
        return name.trimmed();
    return name;
}

// "group.NAME;TYPE=A,B;BARE;CHARSET=X:value": the name and the value. False for a line without a
// colon.
bool SplitProperty(QByteArrayView line, TProperty &property)
{
    const qsizetype colon = IndexOutsideQuotes(line, ':', 0);
    if (colon < 0)
        return false;
    const QByteArrayView head = line.first(colon);
    property.Value = line.sliced(colon + 1);
    const qsizetype semicolon = IndexOutsideQuotes(head, ';', 0);
    QByteArrayView name = TrimmedName(semicolon < 0 ? head : head.first(semicolon));
    for (qsizetype dot = name.size() - 1; dot >= 0; --dot) {
        if (name[dot] == '.') {
            name = name.sliced(dot + 1);
            break;
        }
    }
    property.Name = CachedNameOf(name);
    property.Parameters = semicolon < 0 ? QByteArrayView() : head.sliced(semicolon);
    return true;
}

// The parameters of a split property: its types, charset and encoding.
void ReadParameters(TProperty &property)
{
    const QByteArrayView head = property.Parameters;
    qsizetype semicolon = head.isEmpty() ? -1 : 0;
    while (semicolon >= 0) {
        const qsizetype next = IndexOutsideQuotes(head, ';', semicolon + 1);
        const QByteArrayView param =
            next < 0 ? head.sliced(semicolon + 1) : head.sliced(semicolon + 1, next - semicolon - 1);
        semicolon = next;
        const qsizetype eq = param.indexOf('=');
        const QByteArrayView key = eq < 0 ? QByteArrayView() : param.first(eq).trimmed();
        const QByteArrayView value = Unquoted(eq < 0 ? param : param.sliced(eq + 1));
        if (Is(key, "CHARSET")) {
            property.Charset = value.toByteArray();
        } else if (key.isEmpty() || Is(key, "TYPE") || Is(key, "ENCODING")) {
            qsizetype from = 0;
            for (qsizetype comma = value.indexOf(','); from <= value.size(); comma = value.indexOf(',', from)) {
                const qsizetype end = comma < 0 ? value.size() : comma;
                property.Types |= TypeOf(value.sliced(from, end - from), property);
                from = end + 1;
            }
        }
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "=XX" becomes the byte; an "=" not followed by two hex digits is kept as it is.
QByteArray DecodeQuotedPrintable(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            bytes += char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// Text encodings ---------------------------------------------------------------------------------

// How likely characters are in a reading of a card, from the GB2312 tables: its 3,755 level-1
// hanzi are the everyday ones, and its punctuation and symbol rows are common in Chinese text.
class TCommonChars
{
public:
    TCommonChars() : level1_(0x10000, false), symbol_(0x10000, false)
    {
        for (int lead = 0xA1; lead <= 0xD7; ++lead) {
            for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                const QChar c(Gb18030Pair(uchar(lead), uchar(trail)));
                if (c.unicode() == 0 || c.category() == QChar::Other_PrivateUse)
                    continue;
                if (lead >= 0xB0)
                    level1_[c.unicode()] = true;
                else if (lead <= 0xA9 && !c.isLetter())
                    symbol_[c.unicode()] = true;
            }
        }
    }

    bool Level1(char16_t c) const { return level1_[c]; }
    bool Symbol(char16_t c) const { return symbol_[c]; }

private:
    std::vector<bool> level1_;
    std::vector<bool> symbol_;
};

const TCommonChars &CommonChars()
{
    static const TCommonChars chars;
    return chars;
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Han, kana and hangul are written together; other scripts each on their own.
int ScriptGroup(QChar c)
{
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return -1;
    default:
        return c.script();
    }
}

// How unlike text a reading is. Rare hanzi cost 1; a hanzi glued to a Latin letter (a reading of
// "José" as "Jos茅"), a word that changes script, a combining mark or Latin-1 symbol standing
// alone cost 2; characters no text holds (control, private use, unassigned, replacement) cost 3.
int Oddity(const QString &text)
{
    const TCommonChars &common = CommonChars();
    int oddity = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u < 0x80)
            continue;
        if (c.isSurrogate()) {
            oddity += 1;
            continue;
        }
        const QChar::Category category = c.category();
        if (u == QChar::ReplacementCharacter || category == QChar::Other_Control ||
            category == QChar::Other_PrivateUse || category == QChar::Other_NotAssigned) {
            oddity += 3;
        } else if (c.script() == QChar::Script_Han) {
            if (!common.Level1(u))
                oddity += 1;
            if ((i > 0 && IsAsciiLetter(text[i - 1])) || (i + 1 < text.size() && IsAsciiLetter(text[i + 1])))
                oddity += 2;
        } else if (common.Symbol(u)) {
        } else if (c.isMark()) {
            oddity += 2;
        } else if (c.isLetter()) {
            if (i > 0 && text[i - 1].isLetter() && ScriptGroup(text[i - 1]) != ScriptGroup(c))
                oddity += 2;
        } else if (u < 0x100) {
            oddity += 2;
        }
    }
    return oddity;
}

// Decoders by charset name, made once per file.
class TDecoders
{
public:
    // Empty when Qt knows no such charset. The GB2312 and GBK names read as GB18030, their
    // superset, so no character a writer meant is lost.
    QStringDecoder *Find(const QByteArray &charset)
    {
        const QByteArray name = charset.trimmed().toUpper();
        auto it = decoders_.find(name);
        if (it == decoders_.end()) {
            const bool gb = name == "GB2312" || name == "GBK" || name == "CP936" || name == "X-GBK" || name == "EUC-CN";
            auto decoder = std::make_unique<QStringDecoder>(gb ? "GB18030" : name.constData(),
                                                            QStringConverter::Flag::Stateless);
            if (!decoder->isValid())
                decoder.reset();
            it = decoders_.emplace(name, std::move(decoder)).first;
        }
        return it->second.get();
    }

    QString Decode(QStringDecoder &decoder, QByteArrayView bytes)
    {
        decoder.resetState();
        return decoder.decode(bytes);
    }

    // Text of ASCII and two-byte characters spares the decoder's work for each short value;
    // anything else goes through the decoder whole.
    QString Gb18030(QByteArrayView bytes)
    {
        QString text;
        if (Gb18030TwoByteText(bytes, text))
            return text;
        if (!gb18030_)
            gb18030_ = Find("GB18030");
        return Decode(*gb18030_, bytes);
    }

private:
    std::map<QByteArray, std::unique_ptr<QStringDecoder>> decoders_;
    QStringDecoder *gb18030_ = nullptr;
};

bool IsAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Cards --------------------------------------------------------------------------------------

enum class TCodec { Utf8, Gb18030 };

// One property of a card, its value still bytes (quoted-printable already undone).
struct TRawValue {
    TProperty Property;
    QByteArrayView Bytes;  // in the file's text, or in Joined
    QByteArray Joined;     // a value of several lines, or one quoted-printable undid
    bool OwnCharset = false;  // a CHARSET parameter Qt knows decides
};

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
    if (!value.contains(u'\\')) {
        // Nothing escaped: the parts are slices of the value.
        QStringList parts;
        qsizetype from = 0;
        for (qsizetype semicolon = value.indexOf(u';'); semicolon >= 0; semicolon = value.indexOf(u';', from)) {
            parts << QStringView(value).sliced(from, semicolon - from).trimmed().toString();
            from = semicolon + 1;
        }
        parts << QStringView(value).sliced(from).trimmed().toString();
        return parts;
    }
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size() && value[i + 1] == u';') {
            part += u';';
            ++i;
        } else if (value[i] == u';') {
            parts << (modern ? Unescape(part) : part).trimmed();
            part.clear();
        } else {
            part += value[i];
        }
    }
    parts << (modern ? Unescape(part) : part).trimmed();
    return parts;
}

bool HasCjk(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
}

QString JoinNonEmpty(const QStringList &parts, const QString &separator)
{
    QStringList kept;
    for (const QString &part : parts) {
        if (!part.isEmpty())
            kept << part;
    }
    return kept.join(separator);
}

// A Chinese address runs from the country down to the street; a Western one from the street up.
// Components: post office box, extended, street, locality, region, postal code, country; the
// postal code goes last in Chinese and after the region otherwise.
QString AddressText(const QStringList &parts)
{
    const auto part = [&](int i) { return parts.value(i); };
    if (HasCjk(parts.join(QString()))) {
        const QString place = JoinNonEmpty({part(6), part(4), part(3), part(2), part(1), part(0)}, QString());
        return JoinNonEmpty({place, part(5)}, QStringLiteral(" "));
    }
    return JoinNonEmpty({part(2), part(1), part(0), part(3), JoinNonEmpty({part(4), part(5)}, QStringLiteral(" ")),
                         part(6)},
                        QStringLiteral(", "));
}

// "yyyy-MM-dd", or empty for a date without a year or one that is not a date.
QString CardDate(const QString &value)
{
    QStringView text = QStringView(value).trimmed();
    if (text.startsWith(u"--"))
        return {};
    const qsizetype t = text.indexOf(u'T');
    if (t >= 0)
        text.truncate(t);
    QDate date;
    if (text.size() == 8 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
        // Digits of other scripts are no number; yyyyMMdd in ASCII digits is read in place.
        int parts[3] = {};
        const qsizetype ends[3] = {4, 6, 8};
        qsizetype at = 0;
        for (int part = 0; part < 3; ++part) {
            for (; at < ends[part]; ++at) {
                const char16_t c = text[at].unicode();
                if (c > u'9')
                    return {};
                parts[part] = parts[part] * 10 + (c - u'0');
            }
        }
        date = QDate(parts[0], parts[1], parts[2]);
    } else if (text.size() > 4) {
        // A birthday is a day of the calendar; the local clock, and the time zone it would take
        // to ask it, play no part.
        QTime time;
        if (!ReadLooseDateTime(text.toString(), date, time))
            date = QDate();
    }
    return date.isValid() ? IsoDateText(date) : QString();
}

// A 4.0 "tel:" URI is written as the number; its extension follows after " 转 ".
QString PhoneText(const QString &value)
{
    QString text = value.trimmed();
    if (!text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        return text;
    const QStringList parts = text.mid(4).split(u';');
    QString number = QUrl::fromPercentEncoding(parts[0].toUtf8());
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i].startsWith(QLatin1String("ext="), Qt::CaseInsensitive))
            number += QStringLiteral(" 转 ") + parts[i].mid(4);
    }
    return number;
}

// The picture a PHOTO value holds (inline base64, or a data: URI), or empty when there is none
// that the picture loader can read; `tooLarge` says the value was left out for its size alone.
QByteArray PhotoBytes(const TProperty &property, const QByteArray &value, bool &tooLarge)
{
    tooLarge = false;
    QByteArray data;
    if (property.Base64) {
        data = value;
    } else if (StartsWith(value, "data:")) {
        const qsizetype comma = value.indexOf(',');
        if (comma < 0 || !value.first(comma).toLower().endsWith(";base64"))
            return {};
        data = value.sliced(comma + 1);
    } else {
        return {};
    }
    data = data.simplified().replace(' ', QByteArray());
    if (data.size() / 4 * 3 > MaxPhotoBytes) {
        tooLarge = true;
        return {};
    }
    const QByteArray bytes = QByteArray::fromBase64(data);
    if (bytes.isEmpty() || DecodePicture(bytes, QSize(1, 1)).Image.isNull())
        return {};
    return bytes;
}

// The columns a card fills.
enum TColumn {
    Uxb, Uhsr, Unc, Uwkaddress, Uzw, Uhtml, Ufz, Uwcz, Umtel, Uwtlp, Uhtlp, Uemail, Text1, Ujtdz, Text2, Uqq,
    Mypic, Text30, Text44, Uname, ColumnCount
};

const QString &ColumnKey(TColumn column)
{
    static const QString keys[ColumnCount] = {
        QStringLiteral("uxb"),   QStringLiteral("uhsr"),  QStringLiteral("unc"),   QStringLiteral("uwkaddress"),
        QStringLiteral("uzw"),   QStringLiteral("uhtml"), QStringLiteral("ufz"),   QStringLiteral("uwcz"),
        QStringLiteral("umtel"), QStringLiteral("uwtlp"), QStringLiteral("uhtlp"), QStringLiteral("uemail"),
        QStringLiteral("text1"), QStringLiteral("ujtdz"), QStringLiteral("text2"), QStringLiteral("uqq"),
        QStringLiteral("mypic"), QStringLiteral("text30"), QStringLiteral("text44"), QStringLiteral("uname")};
    return keys[column];
}

// Contacts of the same columns, made without hashing a key. The cards of a file mostly fill the
// same few sets of columns; for each set a record of those keys is made once, and every contact
// of that set starts as a copy of it, whose values are then set in the copy's own order.
class TRecordShapes
{
public:
    TContactRecord Record(unsigned columns, const QString (&values)[ColumnCount])
    {
        TShape *shape = Find(columns);
        if (!shape)
            return Made(columns, values);
        TContactRecord record = shape->Prototype;
        size_t i = 0;
        for (auto it = record.begin(); it != record.end(); ++it, ++i) {
            // The copy keeps the prototype's order; its key texts are the prototype's own.
            const TColumn column = shape->Order[i];
            if (it.key().constData() != ColumnKey(column).constData())
                return Made(columns, values);
            it.value() = values[column];
        }
        return record;
    }

private:
    struct TShape {
        unsigned Columns = 0;
        TContactRecord Prototype;
        std::vector<TColumn> Order;  // the column of each entry in iteration order
    };

    static TContactRecord Made(unsigned columns, const QString (&values)[ColumnCount])
    {
        TContactRecord record;
        record.reserve(ColumnCount);
        for (int column = 0; column < ColumnCount; ++column) {
            if (columns & (1u << column))
                record.insert(ColumnKey(TColumn(column)), values[column]);
        }
        return record;
    }

    TShape *Find(unsigned columns)
    {
        for (TShape &shape : shapes_) {
            if (shape.Columns == columns)
                return &shape;
        }
        // A file of endlessly varied cards gets no more shapes than this.
        if (shapes_.size() >= 64)
            return nullptr;
        TShape shape;
        shape.Columns = columns;
        QString none[ColumnCount];
        shape.Prototype = Made(columns, none);
        for (auto it = shape.Prototype.cbegin(); it != shape.Prototype.cend(); ++it) {
            for (int column = 0; column < ColumnCount; ++column) {
                if (it.key().constData() == ColumnKey(TColumn(column)).constData())
                    shape.Order.push_back(TColumn(column));
            }
        }
        if (shape.Order.size() != size_t(shape.Prototype.size()))
            return nullptr;
        shapes_.push_back(std::move(shape));
        return &shapes_.back();
    }

    std::vector<TShape> shapes_;
};

// Builds one contact. The first value of a column wins; values that find no column are counted.
class TCardBuilder
{
public:
    explicit TCardBuilder(TRecordShapes &shapes) : shapes_(shapes) {}

    // Begins a card; what the card before left is gone, the room it took is kept.
    void Start(bool modern)
    {
        modern_ = modern;
        for (QString &value : values_)
            value = QString();
        fullName_ = QString();
        hasN_ = false;
        nameParts_.clear();
        phones_.clear();
        emails_.clear();
        addresses_.clear();
        unkept_ = 0;
        largePhotos_ = 0;
    }

    void Add(const TRawValue &raw, const QString &decoded)
    {
        const unsigned types = raw.Property.Types;
        const QString text = modern_ ? Unescape(decoded) : decoded;
        switch (raw.Property.Name) {
        case TName::FN:
            if (fullName_.trimmed().isEmpty())
                fullName_ = text;
            break;
        case TName::N:
            if (!hasN_) {
                hasN_ = true;
                nameParts_ = Components(decoded, modern_);
            }
            break;
        case TName::WabGender: {
            const QString code = text.trimmed();
            if (code == QLatin1String("2") || code == QLatin1String("1"))
                Set(Uxb, code == QLatin1String("2") ? QStringLiteral("男") : QStringLiteral("女"));
            break;
        }
        case TName::Gender: {
            const QString code = Components(decoded, modern_).value(0).toUpper();
            if (code == QLatin1String("M") || code == QLatin1String("F"))
                Set(Uxb, code == QLatin1String("M") ? QStringLiteral("男") : QStringLiteral("女"));
            break;
        }
        case TName::Bday: {
            const QString date = CardDate(text);
            if (date.isEmpty() && !text.trimmed().isEmpty())
                ++unkept_;
            else
                Set(Uhsr, date);
            break;
        }
        case TName::Nickname:
            Set(Unc, text);
            break;
        case TName::Org:
            Set(Uwkaddress, modern_ ? JoinNonEmpty(Components(decoded, true), QStringLiteral(" ")) : text);
            break;
        case TName::Title:
            Set(Uzw, text);
            break;
        case TName::Url:
            Set(Uhtml, text);
            break;
        case TName::Note:
            Set(Ufz, text);
            break;
        case TName::Tel:
            if (!text.trimmed().isEmpty())
                phones_.push_back({types, PhoneText(text)});
            break;
        case TName::Email:
            if (!text.trimmed().isEmpty())
                emails_.push_back({types, text.trimmed()});
            break;
        case TName::Adr: {
            const QString address = AddressText(Components(decoded, modern_));
            if (!address.isEmpty())
                addresses_.push_back({types, address});
            break;
        }
        case TName::InstantMessaging:
            Set(Uqq, text.trimmed());
            break;
        case TName::Photo: {
            bool tooLarge = false;
            const QByteArray bytes = PhotoBytes(raw.Property, raw.Bytes.toByteArray(), tooLarge);
            if (tooLarge)
                ++largePhotos_;
            else if (bytes.isEmpty())
                ++unkept_;
            else
                Set(Mypic, QString::fromLatin1(bytes.toBase64()));
            break;
        }
        case TName::Other:
        case TName::Version:
        case TName::Agent:
            break;
        }
    }

    TContactRecord Finish(TVCardLeftOut &leftOut)
    {
        PlacePhones();
        PlaceEmails();
        PlaceAddresses();
        const QString family = nameParts_.value(0);
        const QString given = nameParts_.value(1);
        Set(Text30, family);
        Set(Text44, given);
        QString name = fullName_;
        if (name.trimmed().isEmpty())
            name = HasCjk(family + given) ? family + given
                                          : JoinNonEmpty({given, nameParts_.value(2), family}, QStringLiteral(" "));
        if (name.trimmed().isEmpty())
            name = values_[Uwkaddress].trimmed();
        if (name.trimmed().isEmpty())
            name = values_[Uemail];
        if (!name.trimmed().isEmpty())
            values_[Uname] = name;
        leftOut.Unkept += unkept_;
        leftOut.LargePhotos += largePhotos_;
        unsigned columns = 0;
        for (int column = 0; column < ColumnCount; ++column) {
            if (!values_[column].isNull())
                columns |= 1u << column;
        }
        return shapes_.Record(columns, values_);
    }

private:
    struct TTyped {
        unsigned Types;
        QString Value;
    };

    // A value for a column that already has one is counted as left out; an empty value is none.
    void Set(TColumn column, const QString &value)
    {
        if (value.isEmpty())
            return;
        if (!IsFree(column))
            ++unkept_;
        else
            values_[column] = value;
    }

    // A value set is never empty, so null is free.
    bool IsFree(TColumn column) const { return values_[column].isNull(); }

    // Typed numbers go first, so an untyped one takes only a column no typed one wanted.
    void PlacePhones()
    {
        std::vector<const TTyped *> untyped;
        for (const TTyped &phone : phones_) {
            const unsigned t = phone.Types;
            if ((t & TypeFax) && (t & TypeHome))
                ++unkept_;  // a home fax has no column
            else if (t & TypeFax)
                Set(Uwcz, phone.Value);
            else if (t & TypeCell)
                Set(Umtel, phone.Value);
            else if (t & TypeWork)
                Set(Uwtlp, phone.Value);
            else if (t & TypeHome)
                Set(Uhtlp, phone.Value);
            else if (t & TypePager)
                ++unkept_;
            else
                untyped.push_back(&phone);
        }
        for (const TTyped *phone : untyped)
            Set(IsFree(Umtel) ? Umtel : IsFree(Uwtlp) ? Uwtlp : Uhtlp, phone->Value);
    }

    // The preferred address first, then the others in the card's order.
    void PlaceEmails()
    {
        std::stable_partition(emails_.begin(), emails_.end(), [](const TTyped &e) { return e.Types & TypePref; });
        for (const TTyped &email : emails_)
            Set(IsFree(Uemail) ? Uemail : Text1, email.Value);
    }

    void PlaceAddresses()
    {
        std::vector<const TTyped *> untyped;
        for (const TTyped &address : addresses_) {
            if (address.Types & TypeHome)
                Set(Ujtdz, address.Value);
            else if (address.Types & TypeWork)
                Set(Text2, address.Value);
            else
                untyped.push_back(&address);
        }
        for (const TTyped *address : untyped)
            Set(Ujtdz, address->Value);
    }

    bool modern_ = false;
    TRecordShapes &shapes_;
    QString values_[ColumnCount];
    QString fullName_;
    bool hasN_ = false;
    QStringList nameParts_;
    std::vector<TTyped> phones_, emails_, addresses_;
    int unkept_ = 0;
    int largePhotos_ = 0;
};

// The text of one file as lines, and what is decided once for the whole file: read-only once
// made, so that several readers share it.
class TFileText
{
public:
    explicit TFileText(const QByteArray &bytes)
        : text_(EightBitText(bytes, utf8_)), validUtf8_(!utf8_ && !BreaksUtf8(text_)), lines_(PhysicalLines(text_))
    {
    }

    // Every value is UTF-8: the file had a byte-order mark, or was UTF-16.
    bool Utf8() const { return utf8_; }
    // The 8-bit text is valid UTF-8 throughout.
    bool ValidUtf8() const { return validUtf8_; }
    const std::vector<QByteArrayView> &Lines() const { return lines_; }

    // Where a reader may start: line indexes of BEGIN lines about `lines` apart, the first line
    // first and the end last.
    std::vector<size_t> Segments(size_t lines) const
    {
        std::vector<size_t> starts = {0};
        for (size_t next = lines; next < lines_.size(); next += lines) {
            while (next < lines_.size() && !IsMarker(lines_[next], "BEGIN"))
                ++next;
            if (next < lines_.size())
                starts.push_back(next);
        }
        starts.push_back(lines_.size());
        return starts;
    }

    // The weighed encoding of the 2.1 cards of a valid UTF-8 file, worked out once by whichever
    // reader first needs it.
    TCodec FileCodec(const std::function<TCodec()> &weigh) const
    {
        std::call_once(codecOnce_, [&] { codec_ = weigh(); });
        return codec_;
    }

private:
    bool utf8_ = false;
    QByteArray text_;
    bool validUtf8_;
    std::vector<QByteArrayView> lines_;
    mutable std::once_flag codecOnce_;
    mutable TCodec codec_ = TCodec::Utf8;
};

// Reads cards of a file; each thread that reads has its own.
class TFileReader
{
public:
    explicit TFileReader(const TFileText &file) : file_(file) {}

    // Reads the cards that start from line `from` on before line `stop`, handing on each contact as
    // soon as its card is read. Returns the line where the next card starts, or the end.
    size_t ReadCards(size_t from, size_t stop, const std::function<void(TContactRecord &&)> &each, TVCardLeftOut &unkept)
    {
        size_t i = from;
        const std::vector<QByteArrayView> &lines = file_.Lines();
        while (i < lines.size()) {
            if (!IsMarker(lines[i], "BEGIN")) {
                ++i;
                continue;
            }
            if (i >= stop)
                return i;
            card_.clear();
            i = CardLines(i + 1, card_);
            each(ReadCard(card_, unkept));
        }
        return lines.size();
    }

private:
    // The lines of the card starting at `first`, without those of cards nested in it (AGENT);
    // the card ends at its END line, at a BEGIN line of the next card or at the end of the file.
    // Returns where reading goes on.
    size_t CardLines(size_t first, std::vector<TCardLine> &card) const
    {
        int depth = 0;
        bool afterAgent = false;  // the last property line was an AGENT without a value
        const std::vector<QByteArrayView> &lines = file_.Lines();
        for (size_t i = first; i < lines.size(); ++i) {
            const QByteArrayView line = lines[i];
            if (IsMarker(line, "BEGIN")) {
                if (depth == 0 && !afterAgent)
                    return i;
                ++depth;
            } else if (IsMarker(line, "END")) {
                if (depth == 0)
                    return i + 1;
                if (--depth == 0)
                    afterAgent = false;
            } else if (depth == 0) {
                card.emplace_back();
                card.back().Text = line;
                TCardLine &added = card.back();
                if (!IsFold(line)) {
                    added.Split = SplitProperty(line, added.Property);
                    afterAgent = added.Split && added.Property.Name == TName::Agent && added.Property.Value.trimmed().isEmpty();
                }
            }
        }
        return lines.size();
    }

    TContactRecord ReadCard(const std::vector<TCardLine> &lines, TVCardLeftOut &unkept)
    {
        bool modern = false;
        for (const TCardLine &line : lines) {
            if (line.Split && line.Property.Name == TName::Version)
                modern = !line.Property.Value.trimmed().startsWith('2');
        }
        // The buffers of one card serve the next.
        RawValues(lines, modern, values_);
        const TCodec codec = CardCodec(values_, modern);
        builder_.Start(modern);
        for (const TRawValue &value : values_)
            builder_.Add(value, Decode(value, codec));
        return builder_.Finish(unkept);
    }

    // Logical lines: a quoted-printable value ending in "=" goes on with the next line as it is; a
    // line starting with a blank or tab continues the one before (vCard 3.0 and later drop that
    // blank, 2.1 keeps it); a base64 value of 2.1 may go on in lines of base64 alone. Lines are
    // joined as bytes, so a fold inside a character does no harm.
    void RawValues(const std::vector<TCardLine> &lines, bool modern, std::vector<TRawValue> &values)
    {
        values.clear();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!lines[i].Split)
                continue;
            TRawValue raw;
            raw.Property = lines[i].Property;
            ReadParameters(raw.Property);
            // Most values are one line and need no copy.
            QByteArrayView value = raw.Property.Value;
            QByteArray joined;
            const auto join = [&](QByteArrayView part) {
                if (joined.isNull())
                    joined = value.toByteArray();
                joined.append(part);
                value = joined;
            };
            for (; i + 1 < lines.size(); ++i) {
                const QByteArrayView next = lines[i + 1].Text;
                if (raw.Property.QuotedPrintable && value.endsWith('=')) {
                    value.chop(1);
                    if (!joined.isNull())
                        joined.chop(1);
                    join(next);
                } else if (IsFold(next)) {
                    join(modern ? next.sliced(1) : next);
                } else if (raw.Property.Base64 && !next.isEmpty() && IsBase64Line(next)) {
                    join(next);
                } else {
                    break;
                }
            }
            if (raw.Property.QuotedPrintable) {
                raw.Joined = DecodeQuotedPrintable(value);
                raw.Bytes = raw.Joined;
            } else {
                raw.Joined = std::move(joined);
                raw.Bytes = raw.Joined.isNull() ? value : QByteArrayView(raw.Joined);
            }
            raw.Property.Value = {};
            raw.OwnCharset = !raw.Property.Charset.isEmpty() && decoders_.Find(raw.Property.Charset);
            values.push_back(std::move(raw));
        }
    }

    static bool IsBase64Line(QByteArrayView line)
    {
        return std::all_of(line.begin(), line.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                   c == '/' || c == '=';
        });
    }

    // The encoding of the values without a charset of their own. vCard 3.0 and 4.0 are UTF-8 when
    // the bytes are valid UTF-8. A 2.1 card (this program's own export among them: GB18030) is
    // read both ways when its bytes are valid UTF-8, and the reading that looks more like text
    // wins, a tie going to GB18030. A file that is valid UTF-8 throughout is taken as one
    // encoding: its 2.1 cards are weighed once, together, and each follows.
    TCodec CardCodec(const std::vector<TRawValue> &values, bool modern)
    {
        if (file_.Utf8())
            return TCodec::Utf8;
        // In a valid file only a value that quoted-printable undid can break UTF-8.
        const bool checkEach = !file_.ValidUtf8() || std::any_of(values.begin(), values.end(), [](const TRawValue &value) {
            return IsPlain(value) && value.Property.QuotedPrintable && !IsAscii(value.Bytes);
        });
        if (!checkEach) {
            if (modern || std::none_of(values.begin(), values.end(), [](const TRawValue &value) {
                    return IsPlain(value) && !IsAscii(value.Bytes);
                }))
                return TCodec::Utf8;
            return file_.FileCodec([this] { return FileWeighed(); });
        }
        for (const TRawValue &value : values) {
            // A value that cannot be UTF-8 decides.
            if (IsPlain(value) && !IsAscii(value.Bytes) && BreaksUtf8(value.Bytes))
                return TCodec::Gb18030;
        }
        return modern ? TCodec::Utf8 : Weighed(values);
    }

    static bool IsPlain(const TRawValue &value) { return !value.OwnCharset && !value.Property.Base64; }

    // The card's values, each valid UTF-8, weighed together.
    TCodec Weighed(const std::vector<TRawValue> &values)
    {
        QByteArray text;
        for (const TRawValue &value : values) {
            if (IsPlain(value) && !IsAscii(value.Bytes)) {
                text += value.Bytes;
                text += '\n';
            }
        }
        return Weighed(text);
    }

    // The values of a valid UTF-8 file, weighed together: enough of them that one odd name does
    // not decide for a whole file.
    TCodec FileWeighed()
    {
        constexpr qsizetype Enough = 64 * 1024;
        QByteArray text;
        for (const QByteArrayView line : file_.Lines()) {
            if (IsAscii(line))
                continue;
            const qsizetype colon = IsFold(line) ? 0 : IndexOutsideQuotes(line, ':', 0);
            if (colon < 0)
                continue;
            text += line.sliced(colon + 1);
            text += '\n';
            if (text.size() >= Enough)
                break;
        }
        return Weighed(text);
    }

    TCodec Weighed(const QByteArray &text)
    {
        if (text.isEmpty())
            return TCodec::Utf8;
        return Oddity(QString::fromUtf8(text)) < Oddity(decoders_.Gb18030(text)) ? TCodec::Utf8 : TCodec::Gb18030;
    }

    QString Decode(const TRawValue &value, TCodec codec)
    {
        if (value.OwnCharset)
            return decoders_.Decode(*decoders_.Find(value.Property.Charset), value.Bytes);
        if (value.Property.Base64 || IsAscii(value.Bytes) || codec == TCodec::Utf8)
            return QString::fromUtf8(value.Bytes);
        return decoders_.Gb18030(value.Bytes);
    }

    const TFileText &file_;
    std::vector<TCardLine> card_;
    std::vector<TRawValue> values_;
    TRecordShapes shapes_;
    TCardBuilder builder_{shapes_};
    TDecoders decoders_;
};

// A large file is read by several threads: the file is cut into segments at BEGIN lines, and of
// every round of segments this thread reads the first and each helper one of the others, never
// more than two rounds ahead of what this thread took from it, so few segments of contacts wait at
// a time. The contacts are handed on in the file's order from this thread alone. A segment a
// helper read is taken only if this thread's reading really arrives at its start (a BEGIN line
// inside a card, as an AGENT's, starts no card); otherwise this thread reads it again itself.
class TSegmentHelpers
{
public:
    struct TSegment {
        size_t Start = 0, Next = 0;
        std::vector<TContactRecord> Cards;
        TVCardLeftOut LeftOut;
        bool Done = false;
    };

    TSegmentHelpers(const TFileText &file, const std::vector<size_t> &starts, size_t helpers)
        : file_(file), starts_(starts), round_(helpers + 1), segments_(starts.size() - 1)
    {
        for (size_t helper = 1; helper <= helpers; ++helper)
            threads_.emplace_back([this, helper] { Run(helper); });
    }

    ~TSegmentHelpers()
    {
        {
            std::lock_guard lock(lock_);
            stopped_ = true;
        }
        changed_.notify_all();
        for (std::thread &thread : threads_)
            thread.join();
    }

    // Whether segment k is a helper's.
    bool Helped(size_t k) const { return k % round_ != 0; }

    // A helper's reading of segment k, once it is done; empty when the helper gave up.
    std::optional<TSegment> Take(size_t k)
    {
        std::unique_lock lock(lock_);
        changed_.wait(lock, [&] { return segments_[k].Done || failed_; });
        if (!segments_[k].Done)
            return std::nullopt;
        std::optional<TSegment> taken(std::move(segments_[k]));
        segments_[k] = {};
        taken_ = k;
        changed_.notify_all();
        return taken;
    }

private:
    void Run(size_t helper)
    {
        try {
            TFileReader reader(file_);
            for (size_t k = helper; k + 1 < starts_.size(); k += round_) {
                {
                    std::unique_lock lock(lock_);
                    changed_.wait(lock, [&] { return stopped_ || k <= taken_ + 2 * round_; });
                    if (stopped_)
                        return;
                }
                TSegment segment;
                segment.Start = starts_[k];
                segment.Next = reader.ReadCards(starts_[k], starts_[k + 1], [&](TContactRecord &&card) {
                    segment.Cards.push_back(std::move(card));
                }, segment.LeftOut);
                segment.Done = true;
                std::lock_guard lock(lock_);
                segments_[k] = std::move(segment);
                changed_.notify_all();
            }
        } catch (...) {
            std::lock_guard lock(lock_);
            failed_ = true;
            changed_.notify_all();
        }
    }

    const TFileText &file_;
    const std::vector<size_t> &starts_;
    const size_t round_;
    std::vector<TSegment> segments_;
    size_t taken_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

// Lines of a segment: some hundred cards, few enough that two segments of contacts are little
// to hold.
constexpr size_t SegmentLines = 4096;

TVCardLeftOut ReadFile(const QByteArray &bytes, const std::function<void(const TContactRecord &)> &each)
{
    const TFileText file(bytes);
    TFileReader reader(file);
    TVCardLeftOut leftOut;
    const auto handOn = [&](TContactRecord &&card) { each(card); };
    const std::vector<size_t> starts = file.Segments(SegmentLines);
    // Two helpers where the machine has the cores; a small file is read here alone.
    const size_t helpers = std::clamp<size_t>(std::thread::hardware_concurrency(), 2, 3) - 1;
    if (starts.size() <= 3) {
        reader.ReadCards(0, file.Lines().size(), handOn, leftOut);
        return leftOut;
    }
    TSegmentHelpers helper(file, starts, helpers);
    size_t at = 0;
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
        if (helper.Helped(k)) {
            std::optional<TSegmentHelpers::TSegment> segment = helper.Take(k);
            if (segment && segment->Start == at) {
                for (const TContactRecord &card : segment->Cards)
                    each(card);
                leftOut += segment->LeftOut;
                at = segment->Next;
                continue;
            }
        }
        at = reader.ReadCards(at, starts[k + 1], handOn, leftOut);
    }
    return leftOut;
}

} // namespace

TVCardFile ReadVCards(const QByteArray &bytes)
{
    TVCardFile file;
    file += ReadVCards(bytes, [&](const TContactRecord &card) { file.Cards << card; });
    return file;
}

TVCardLeftOut ReadVCards(const QByteArray &bytes, const std::function<void(const TContactRecord &)> &each)
{
    return ReadFile(bytes, each);
}

QList<TContactRecord> ParseVCards(const QByteArray &bytes)
{
    return ReadVCards(bytes).Cards;
}
