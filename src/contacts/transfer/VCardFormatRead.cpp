// Reading cards: vCard 2.1, 3.0 and 4.0 as phones, mail programs and address books write them.
#include "transfer/VCardFormat.h"

#include "editor/PictureLoad.h"

#include "platform/JetFormat.h"

#include <QDate>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

// A photo larger than this is no contact photo; it is left out and counted.
constexpr qsizetype MaxPhotoBytes = 16 * 1024 * 1024;

bool Is(QByteArrayView text, const char *name)
{
    return text.compare(name, Qt::CaseInsensitive) == 0;
}

bool StartsWith(QByteArrayView text, const char *prefix)
{
    const QByteArrayView p(prefix);
    return text.size() >= p.size() && Is(text.first(p.size()), prefix);
}

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

// Lines end in CR LF, LF or CR. No encoding a card may use has these bytes inside a character.
std::vector<QByteArrayView> PhysicalLines(const QByteArray &text)
{
    std::vector<QByteArrayView> lines;
    const char *data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] != '\n' && data[i] != '\r')
            continue;
        lines.emplace_back(data + start, i - start);
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
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
bool IsMarker(QByteArrayView line, const char *name)
{
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

struct TProperty {
    QByteArray Name;  // upper case, without its group
    unsigned Types = 0;
    QByteArray Charset;
    bool QuotedPrintable = false;
    bool Base64 = false;
    QByteArrayView Value;
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

// "group.NAME;TYPE=A,B;BARE;CHARSET=X:value". False for a line without a colon.
// A property name in capitals. Every card repeats the same few names; each is made once and
// shared.
QByteArray UpperName(QByteArrayView name)
{
    thread_local std::vector<std::pair<QByteArray, QByteArray>> seen;
    for (const auto &[raw, upper] : seen) {
        if (raw.size() == name.size() && std::memcmp(raw.constData(), name.data(), size_t(name.size())) == 0)
            return upper;
    }
    QByteArray upper = name.toByteArray().toUpper();
    if (seen.size() < 64)
        seen.emplace_back(name.toByteArray(), upper);
    return upper;
}

bool SplitProperty(QByteArrayView line, TProperty &property)
{
    const qsizetype colon = IndexOutsideQuotes(line, ':', 0);
    if (colon < 0)
        return false;
    const QByteArrayView head = line.first(colon);
    property.Value = line.sliced(colon + 1);
    qsizetype semicolon = IndexOutsideQuotes(head, ';', 0);
    QByteArrayView name = (semicolon < 0 ? head : head.first(semicolon)).trimmed();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.sliced(dot + 1);
    property.Name = UpperName(name);
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
    return true;
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
        QStringDecoder gb18030("GB18030", QStringConverter::Flag::Stateless);
        for (int lead = 0xA1; lead <= 0xD7; ++lead) {
            for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                const char pair[2] = {char(lead), char(trail)};
                const QString c = gb18030.decode(QByteArrayView(pair, 2));
                if (c.size() != 1 || c[0] == QChar::ReplacementCharacter || c[0].category() == QChar::Other_PrivateUse)
                    continue;
                if (lead >= 0xB0)
                    level1_[c[0].unicode()] = true;
                else if (lead <= 0xA9 && !c[0].isLetter())
                    symbol_[c[0].unicode()] = true;
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

    QString Gb18030(QByteArrayView bytes) { return Decode(*Find("GB18030"), bytes); }

private:
    std::map<QByteArray, std::unique_ptr<QStringDecoder>> decoders_;
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
    QByteArray Bytes;
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
    QString text = value.trimmed();
    if (text.startsWith(QLatin1String("--")))
        return {};
    const qsizetype t = text.indexOf(u'T');
    if (t >= 0)
        text.truncate(t);
    QDate date;
    if (text.size() == 8 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        date = QDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt());
    else if (text.size() > 4)
        date = ReadLooseDateTime(text).date();
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
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
// that the picture loader can read.
QByteArray PhotoBytes(const TProperty &property, const QByteArray &value)
{
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
    if (data.size() / 4 * 3 > MaxPhotoBytes)
        return {};
    const QByteArray bytes = QByteArray::fromBase64(data);
    if (bytes.isEmpty() || DecodePicture(bytes, QSize(1, 1)).Image.isNull())
        return {};
    return bytes;
}

bool IsInstantMessaging(const QByteArray &name)
{
    static const char *const names[] = {"IMPP",   "X-QQ",    "X-MSN",   "X-ICQ",           "X-AIM",
                                        "X-JABBER", "X-YAHOO", "X-SKYPE", "X-SKYPE-USERNAME", "X-GOOGLE-TALK",
                                        "X-GTALK",  "X-WECHAT"};
    return std::any_of(std::begin(names), std::end(names), [&](const char *n) { return name == n; });
}

// Builds one contact. The first value of a column wins; values that find no column are counted.
class TCardBuilder
{
public:
    explicit TCardBuilder(bool modern) : modern_(modern) {}

    void Add(const TRawValue &raw, const QString &decoded)
    {
        const QByteArray &name = raw.Property.Name;
        const unsigned types = raw.Property.Types;
        const QString text = modern_ ? Unescape(decoded) : decoded;
        if (name == "FN") {
            if (fullName_.trimmed().isEmpty())
                fullName_ = text;
        } else if (name == "N") {
            if (!hasN_) {
                hasN_ = true;
                nameParts_ = Components(decoded, modern_);
            }
        } else if (name == "X-WAB-GENDER") {
            const QString code = text.trimmed();
            if (code == QLatin1String("2") || code == QLatin1String("1"))
                Set("uxb", code == QLatin1String("2") ? QStringLiteral("男") : QStringLiteral("女"));
        } else if (name == "GENDER") {
            const QString code = Components(decoded, modern_).value(0).toUpper();
            if (code == QLatin1String("M") || code == QLatin1String("F"))
                Set("uxb", code == QLatin1String("M") ? QStringLiteral("男") : QStringLiteral("女"));
        } else if (name == "BDAY") {
            const QString date = CardDate(text);
            if (date.isEmpty() && !text.trimmed().isEmpty())
                ++unkept_;
            else
                Set("uhsr", date);
        } else if (name == "NICKNAME") {
            Set("unc", text);
        } else if (name == "ORG") {
            Set("uwkaddress", modern_ ? JoinNonEmpty(Components(decoded, true), QStringLiteral(" ")) : text);
        } else if (name == "TITLE") {
            Set("uzw", text);
        } else if (name == "URL") {
            Set("uhtml", text);
        } else if (name == "NOTE") {
            Set("ufz", text);
        } else if (name == "TEL") {
            if (!text.trimmed().isEmpty())
                phones_.push_back({types, PhoneText(text)});
        } else if (name == "EMAIL") {
            if (!text.trimmed().isEmpty())
                emails_.push_back({types, text.trimmed()});
        } else if (name == "ADR") {
            const QString address = AddressText(Components(decoded, modern_));
            if (!address.isEmpty())
                addresses_.push_back({types, address});
        } else if (IsInstantMessaging(name)) {
            Set("uqq", text.trimmed());
        } else if (name == "PHOTO") {
            const QByteArray bytes = PhotoBytes(raw.Property, raw.Bytes);
            if (bytes.isEmpty())
                ++unkept_;
            else
                Set("mypic", QString::fromLatin1(bytes.toBase64()));
        }
    }

    TContactRecord Finish(int &unkept)
    {
        PlacePhones();
        PlaceEmails();
        PlaceAddresses();
        const QString family = nameParts_.value(0);
        const QString given = nameParts_.value(1);
        Set("text30", family);
        Set("text44", given);
        QString name = fullName_;
        if (name.trimmed().isEmpty())
            name = HasCjk(family + given) ? family + given
                                          : JoinNonEmpty({given, nameParts_.value(2), family}, QStringLiteral(" "));
        if (name.trimmed().isEmpty())
            name = record_.value(QStringLiteral("uwkaddress")).trimmed();
        if (name.trimmed().isEmpty())
            name = record_.value(QStringLiteral("uemail"));
        if (!name.trimmed().isEmpty())
            record_.insert(QStringLiteral("uname"), name);
        unkept += unkept_;
        return record_;
    }

private:
    struct TTyped {
        unsigned Types;
        QString Value;
    };

    // A value for a column that already has one is counted as left out; an empty value is none.
    void Set(const char *column, const QString &value)
    {
        if (value.isEmpty())
            return;
        const QString key = ColumnKey(column);
        if (record_.contains(key))
            ++unkept_;
        else
            record_.insert(key, value);
    }

    bool IsFree(const char *column) const { return !record_.contains(ColumnKey(column)); }

    // Every card names its columns with the same few texts, shared instead of made anew.
    static QString ColumnKey(const char *column)
    {
        thread_local QHash<const char *, QString> keys;
        auto key = keys.find(column);
        if (key == keys.end())
            key = keys.insert(column, QString::fromLatin1(column));
        return *key;
    }

    // Typed numbers go first, so an untyped one takes only a column no typed one wanted.
    void PlacePhones()
    {
        std::vector<const TTyped *> untyped;
        for (const TTyped &phone : phones_) {
            const unsigned t = phone.Types;
            if ((t & TypeFax) && (t & TypeHome))
                ++unkept_;  // a home fax has no column
            else if (t & TypeFax)
                Set("uwcz", phone.Value);
            else if (t & TypeCell)
                Set("umtel", phone.Value);
            else if (t & TypeWork)
                Set("uwtlp", phone.Value);
            else if (t & TypeHome)
                Set("uhtlp", phone.Value);
            else if (t & TypePager)
                ++unkept_;
            else
                untyped.push_back(&phone);
        }
        for (const TTyped *phone : untyped) {
            const char *column = IsFree("umtel") ? "umtel" : IsFree("uwtlp") ? "uwtlp" : "uhtlp";
            Set(column, phone->Value);
        }
    }

    // The preferred address first, then the others in the card's order.
    void PlaceEmails()
    {
        std::stable_partition(emails_.begin(), emails_.end(), [](const TTyped &e) { return e.Types & TypePref; });
        for (const TTyped &email : emails_)
            Set(IsFree("uemail") ? "uemail" : "text1", email.Value);
    }

    void PlaceAddresses()
    {
        std::vector<const TTyped *> untyped;
        for (const TTyped &address : addresses_) {
            if (address.Types & TypeHome)
                Set("ujtdz", address.Value);
            else if (address.Types & TypeWork)
                Set("text2", address.Value);
            else
                untyped.push_back(&address);
        }
        for (const TTyped *address : untyped)
            Set("ujtdz", address->Value);
    }

    bool modern_;
    TContactRecord record_;
    QString fullName_;
    bool hasN_ = false;
    QStringList nameParts_;
    std::vector<TTyped> phones_, emails_, addresses_;
    int unkept_ = 0;
};

// Reads the cards of one file.
class TFileReader
{
public:
    TFileReader(const QByteArray &bytes) : text_(EightBitText(bytes, utf8_)), lines_(PhysicalLines(text_)) {}

    // Hands each contact on as soon as its card is read; returns the count of values left out.
    int Read(const std::function<void(const TContactRecord &)> &each)
    {
        int unkept = 0;
        size_t i = 0;
        std::vector<QByteArrayView> card;
        while (i < lines_.size()) {
            if (!IsMarker(lines_[i], "BEGIN")) {
                ++i;
                continue;
            }
            card.clear();
            i = CardLines(i + 1, card);
            each(ReadCard(card, unkept));
        }
        return unkept;
    }

private:
    // The lines of the card starting at `first`, without those of cards nested in it (AGENT);
    // the card ends at its END line, at a BEGIN line of the next card or at the end of the file.
    // Returns where reading goes on.
    size_t CardLines(size_t first, std::vector<QByteArrayView> &card) const
    {
        int depth = 0;
        bool afterAgent = false;
        for (size_t i = first; i < lines_.size(); ++i) {
            const QByteArrayView line = lines_[i];
            if (IsMarker(line, "BEGIN")) {
                if (depth == 0 && !afterAgent)
                    return i;
                ++depth;
            } else if (IsMarker(line, "END")) {
                if (depth == 0)
                    return i + 1;
                --depth;
            } else if (depth == 0) {
                card.push_back(line);
            }
            if (!IsFold(line) && depth == 0) {
                TProperty property;
                afterAgent = SplitProperty(line, property) && property.Name == "AGENT" && property.Value.trimmed().isEmpty();
            }
        }
        return lines_.size();
    }

    TContactRecord ReadCard(const std::vector<QByteArrayView> &lines, int &unkept)
    {
        bool modern = false;
        for (const QByteArrayView line : lines) {
            TProperty property;
            if (!IsFold(line) && SplitProperty(line, property) && property.Name == "VERSION")
                modern = !property.Value.trimmed().startsWith('2');
        }
        std::vector<TRawValue> values = RawValues(lines, modern);
        const TCodec codec = CardCodec(values, modern);
        TCardBuilder builder(modern);
        for (const TRawValue &value : values)
            builder.Add(value, Decode(value, codec));
        return builder.Finish(unkept);
    }

    // Logical lines: a quoted-printable value ending in "=" goes on with the next line as it is; a
    // line starting with a blank or tab continues the one before (vCard 3.0 and later drop that
    // blank, 2.1 keeps it); a base64 value of 2.1 may go on in lines of base64 alone. Lines are
    // joined as bytes, so a fold inside a character does no harm.
    std::vector<TRawValue> RawValues(const std::vector<QByteArrayView> &lines, bool modern)
    {
        std::vector<TRawValue> values;
        for (size_t i = 0; i < lines.size(); ++i) {
            TRawValue raw;
            if (IsFold(lines[i]) || !SplitProperty(lines[i], raw.Property))
                continue;
            QByteArray value = raw.Property.Value.toByteArray();
            for (; i + 1 < lines.size(); ++i) {
                const QByteArrayView next = lines[i + 1];
                if (raw.Property.QuotedPrintable && value.endsWith('=')) {
                    value.chop(1);
                    value.append(next);
                } else if (IsFold(next)) {
                    value.append(modern ? next.sliced(1) : next);
                } else if (raw.Property.Base64 && !next.isEmpty() && IsBase64Line(next)) {
                    value.append(next);
                } else {
                    break;
                }
            }
            raw.Bytes = raw.Property.QuotedPrintable ? DecodeQuotedPrintable(value) : value;
            raw.Property.Value = {};
            raw.OwnCharset = !raw.Property.Charset.isEmpty() && decoders_.Find(raw.Property.Charset);
            values.push_back(std::move(raw));
        }
        return values;
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
    // wins, a tie going to GB18030.
    TCodec CardCodec(const std::vector<TRawValue> &values, bool modern)
    {
        if (utf8_)
            return TCodec::Utf8;
        QByteArray text;
        for (const TRawValue &value : values) {
            if (!value.OwnCharset && !value.Property.Base64 && !IsAscii(value.Bytes)) {
                text += value.Bytes;
                text += '\n';
            }
        }
        if (text.isEmpty())
            return TCodec::Utf8;
        if (!IsValidUtf8(text))
            return TCodec::Gb18030;
        if (modern)
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

    static bool IsValidUtf8(const QByteArray &bytes)
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(bytes);
        return !decoder.hasError();
    }

    bool utf8_ = false;
    QByteArray text_;
    std::vector<QByteArrayView> lines_;
    TDecoders decoders_;
};

} // namespace

TVCardFile ReadVCards(const QByteArray &bytes)
{
    TVCardFile file;
    file.Unkept = ReadVCards(bytes, [&](const TContactRecord &card) { file.Cards << card; });
    return file;
}

int ReadVCards(const QByteArray &bytes, const std::function<void(const TContactRecord &)> &each)
{
    return TFileReader(bytes).Read(each);
}

QList<TContactRecord> ParseVCards(const QByteArray &bytes)
{
    return ReadVCards(bytes).Cards;
}
