#include "contacts/transfer/VCardFormat.h"

#include "transfer/TransferTestSupport.h"
#include "PictureTestData.h"
#include "platform/TextCodec.h"
#include "contacts/transfer/ContactTransfer.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

using transfer_test::Record;
using transfer_test::Utf16;

TEST(VCardWriter, CardIsByteExact)
{
    const QByteArray card = VCardBytes(Record({{"uname", QStringLiteral("张三")}, {"uxb", QStringLiteral("男")},
                                                {"uhsr", QStringLiteral("1980-05-06")}, {"unc", "nick"},
                                                {"uwkaddress", "ACME"}, {"uzw", "boss"}, {"uwtlp", "1"},
                                                {"uhtlp", QString()}, {"umtel", "3"}, {"uwcz", "4"},
                                                {"uhtml", "http://x"}, {"uemail", "a@b.c"}, {"ufz", "memo"}}));
    EXPECT_EQ(card, "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xD5\xC5\xC8\xFD\r\nN:\xD5\xC5;\xC8\xFD\r\nX-WAB-GENDER:2\r\n"
                    "BDAY:19800506\r\nNICKNAME:nick\r\nORG:ACME\r\nTITLE:boss\r\nTEL;WORK;VOICE:1\r\n"
                    "TEL;HOME;VOICE:\r\nTEL;CELL;VOICE:3\r\nTEL;WORK;FAX:4\r\nURL:http://x\r\n"
                    "EMAIL;PREF;INTERNET:a@b.c\r\nNOTE:memo\r\nREV:20051213T004258Z\r\nEND:VCARD\r\n");
}

// The N line splits a Chinese name after its surname; gender and birthday lines only when known.
TEST(VCardWriter, NameGenderAndBirthdayLines)
{
    const struct { QString name, sex, birthday, calendar; QStringList lines; } cases[] = {
        {"张", {}, {}, {}, {"N:张;"}},          {"欧阳修", {}, {}, {}, {"N:欧;阳修"}}, {"John Smith", {}, {}, {}, {"N:;"}},
        {{}, {}, {}, {}, {"N:;"}},              {"1号", {}, {}, {}, {"N:;"}},          {"𠀀明", {}, {}, {}, {"N:𠀀;明"}},
        {"x", "女", "1990-01-01", {}, {"N:;", "X-WAB-GENDER:1", "BDAY:19900101"}},
        {"x", "男", {}, {}, {"N:;", "X-WAB-GENDER:2"}},
        {"x", " 男 ", "1980-5-6", "阳历", {"N:;", "X-WAB-GENDER:2", "BDAY:19800506"}},
        {"x", "男女", "1980/05/06", {}, {"N:;", "X-WAB-GENDER:1", "BDAY:19800506"}},
        {"x", {}, "不是日期", {}, {"N:;"}},     {"x", "未知", "1980-02-30", {}, {"N:;"}},
        {"x", {}, "2024-05-01 08:30:00", {}, {"N:;", "BDAY:20240501"}},
        {"x", {}, "1990-01-01", "阴历", {"N:;", "BDAY:19900127"}},  // lunar new year 1990 fell on 27 January
        {"x", {}, "2040-01-01", "阴历", {"N:;"}},                   // beyond the lunar tables: no solar date
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.name + ' ' + c.sex + ' ' + c.birthday).toStdString());
        const QByteArray card =
            VCardBytes(Record({{"uname", c.name}, {"uxb", c.sex}, {"uhsr", c.birthday}, {"udtfmt", c.calendar}}));
        EXPECT_TRUE(card.endsWith("\r\nEND:VCARD\r\n"));
        const QStringList lines = DecodeGB18030(card).split("\r\n");
        EXPECT_EQ(lines.filter(QRegularExpression("^(N:|X-WAB-GENDER|BDAY)")), c.lines);
    }
}

// Every exported field reads back as it was; line breaks go out quoted-printable, in lines of at
// most 76 characters.
TEST(VCardWriter, EveryExportedFieldReadsBack)
{
    const QString memo = QStringLiteral("第一行\r\n第二行 = 100%, \"引号\"\n") + QString(60, QChar('x')) + "  blanks ";
    const TContactRecord full = Record({
        {"uname", QStringLiteral("欧阳 修")}, {"uxb", QStringLiteral("女")}, {"uhsr", "1980-05-06"}, {"unc", "a,b"},
        {"uwkaddress", "a\nb"}, {"uzw", "\"ACME\", Inc."}, {"uwtlp", "010-1"}, {"uhtlp", "010-2"}, {"umtel", "138"},
        {"uwcz", "010-3"}, {"uhtml", "http://x.org"}, {"uemail", "a@b.c"}, {"ufz", memo}});
    const QByteArray card = VCardBytes(full);
    EXPECT_TRUE(card.endsWith("\r\nEND:VCARD\r\n"));
    EXPECT_TRUE(card.contains("\r\nNOTE;CHARSET=GB18030;ENCODING=QUOTED-PRINTABLE:=B5=DA=D2=BB=D0=D0=0D=0A"));
    EXPECT_TRUE(card.contains("\r\nORG;CHARSET=GB18030;ENCODING=QUOTED-PRINTABLE:a=0Ab\r\n"));
    for (const QByteArray &line : card.split('\n')) {
        EXPECT_TRUE(line.isEmpty() || line.endsWith('\r')) << line.constData();
        EXPECT_LE(line.size(), 77) << line.constData();
        EXPECT_FALSE(line.startsWith(' ')) << line.constData();
    }
    const QList<TContactRecord> read = ParseVCards(card);
    ASSERT_EQ(read.size(), 1);
    for (const QString &column : VCardColumns())
        EXPECT_EQ(read[0].value(column), full.value(column)) << column.toStdString();
}

// Reading ----------------------------------------------------------------------------------------

// One value read from the lines of a card: the column holds it, or is left out when it is null.
TEST(VCardReader, SingleValues)
{
    const struct { const char *lines, *column, *value; } cases[] = {
        // The name falls back to the structured name, then to the e-mail address.
        {"FN:Full\r\nN:Family;Given", "uname", "Full"}, {"N:Smith;John;Q;Dr.;", "uname", "John Q Smith"},
        {"N:张;三;;;", "uname", "张三"}, {"FN: \r\nN:;;;;\r\nEMAIL;PREF;INTERNET:who@x.org", "uname", "who@x.org"},
        {"EMAIL;PREF;INTERNET:who@x.org", "uname", "who@x.org"}, {"NOTE:only a note", "uname", nullptr},
        {"X-WAB-GENDER:2", "uxb", "男"}, {"X-WAB-GENDER:1", "uxb", "女"}, {"X-WAB-GENDER: 2 ", "uxb", "男"},
        {"X-WAB-GENDER:0", "uxb", nullptr}, {"X-WAB-GENDER:", "uxb", nullptr}, {"X-WAB-GENDER:male", "uxb", nullptr},
        {"BDAY:19800506", "uhsr", "1980-05-06"}, {"BDAY:1980-05-06T00:00:00Z", "uhsr", "1980-05-06"},
        {"BDAY:19800230", "uhsr", nullptr}, {"BDAY:1980", "uhsr", nullptr}, {"BDAY:--0506", "uhsr", nullptr},
        {"BDAY:abcdefgh", "uhsr", nullptr}, {"BDAY: 1980-02-29 ", "uhsr", "1980-02-29"},
        {"BDAY:1981-02-29", "uhsr", nullptr}, {"BDAY:1980/5/6", "uhsr", "1980-05-06"},
        {"BDAY:\xD9\xA1\xD9\xA9\xD9\xA8\xD9\xA0\xD9\xA0\xD9\xA5\xD9\xA0\xD9\xA6", "uhsr", nullptr},  // Arabic-Indic digits
        // Thunderbird writes its names in lower case.
        {"fn:Wang Wu\r\nn:Wu;Wang", "text30", "Wu"}, {"n:Wu;Wang", "text44", "Wang"},
        {"fn:Wang Wu", "uname", "Wang Wu"},
        {"tel;fax:+1 555 0199", "uwcz", "+1 555 0199"}, {"email;internet:w@x.org", "uemail", "w@x.org"},
        {"x-wab-gender:1", "uxb", "女"}, {"bday:19791231", "uhsr", "1979-12-31"}, {"note:plain", "ufz", "plain"},
        // Phones: a group before the name, a soft line break inside a character, a soft line break
        // that keeps the blank starting the next line, a home fax that has no column.
        {"item1.EMAIL;type=INTERNET;type=pref:li.si@x.org", "uemail", "li.si@x.org"},
        {"FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=B8=\r\n=89", "uname", "张三"},
        {"NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a=\r\n b", "ufz", "a b"},
        {"TEL;type=HOME;type=FAX:021-9999", "uwcz", nullptr}, {"BDAY;value=date:1985-12-01", "uhsr", "1985-12-01"},
        // Invalid quoted-printable is kept as written; a soft break before END leaves its "=".
        {"NOTE;ENCODING=QUOTED-PRINTABLE:50=25 =ZZ =4 =G=", "ufz", "50% =ZZ =4 =G="},
    };
    for (const auto &c : cases) {
        const QList<TContactRecord> cards =
            ParseVCards(QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n") + c.lines + "\r\nEND:VCARD\r\n");
        ASSERT_EQ(cards.size(), 1) << c.lines;
        EXPECT_EQ(cards[0].contains(c.column), c.value != nullptr) << c.lines;
        EXPECT_EQ(cards[0].value(c.column), QString::fromUtf8(c.value)) << c.lines;
    }
    const QList<TContactRecord> last = ParseVCards("BEGIN:VCARD\r\nNOTE;QUOTED-PRINTABLE:a=\r\n");
    EXPECT_EQ(last.value(0).value("ufz"), QStringLiteral("a="));
}

TEST(VCardReader, BadInputGivesWhatIsThereAndNoMore)
{
    QByteArray binary;
    for (int i = 0; i < 100000; ++i)
        binary += char((i * 131 + i / 7) & 0xFF);
    const struct { const char *name; QByteArray file; QStringList names; } cases[] = {
        {"empty", QByteArray(), {}}, {"no card", "FN:outside\r\nEND:VCARD\r\n", {}}, {"binary", binary, {}},
        {"ten megabytes without a line end", QByteArray(10 * 1024 * 1024, 'x'), {}},
        {"no END at the end", "BEGIN:VCARD\r\nFN:A\r\n", {"A"}}, {"begin only", "BEGIN:VCARD", {QString()}},
        {"no END before the next card", "BEGIN:VCARD\r\nFN:A\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n", {"A", "B"}},
        {"no colon", "BEGIN:VCARD\r\nFN\r\n;;;\r\n:\r\nFN:A\r\nEND:VCARD", {"A"}},
        {"blank lines", "\n\nBEGIN:VCARD\n\n\nFN:A\r\r\rEND:VCARD\r\n\r\n\n", {"A"}},
        {"old Mac line ends", "BEGIN:VCARD\rFN:A\rEND:VCARD\rBEGIN:VCARD\rFN:B\r END:VCARD", {"A", "B END:VCARD"}},
    };
    for (const auto &c : cases) {
        QStringList names;
        for (const TContactRecord &card : ParseVCards(c.file))
            names << card.value("uname");
        EXPECT_EQ(names, c.names) << c.name;
    }
}

QByteArray PngBytes()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The program's own cards: every name comes back as it was written, also the two-character names
// whose GB18030 bytes happen to be valid UTF-8 as well.
TEST(VCardReader, OwnExportOfCommonNamesRoundTrips)
{
    const QString surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘卢");
    const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚");
    QByteArray file;
    QStringList names;
    int alsoUtf8 = 0;
    for (QChar family : surnames)
        for (qsizetype i = 0; i < given.size(); ++i)
            names << QString(family) + given[i] + (i % 3 == 0 ? QString(given[(i + 5) % given.size()]) : QString());
    names << QStringLiteral("张𠀀€");  // 𠀀 and € are not in GBK; GB18030 keeps them
    for (const QString &name : names) {
        alsoUtf8 += IsValidUtf8(EncodeGB18030(name));
        file += VCardBytes(Record({{"uname", name}, {"umtel", QStringLiteral("139")}}));
    }
    ASSERT_GE(alsoUtf8, 5);  // 郑伟, 卢伟...: the reading must tell these from UTF-8 text
    const QList<TContactRecord> cards = ParseVCards(file);
    ASSERT_EQ(cards.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(cards[i].value("uname"), names[i]);
}

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
    const QByteArray values[] = {pairs, "abc " + pairs.left(400) + " xyz",
                                 pairs.left(600) + "\x81\x30\x81\x30" + "q"};
    for (const QByteArray &value : values) {
        QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
        const QString expected = decoder.decode(value);
        const QList<TContactRecord> cards =
            ParseVCards("BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE:" + value + "\r\nEND:VCARD\r\n");
        ASSERT_EQ(cards.size(), 1);
        EXPECT_TRUE(cards[0].value(QStringLiteral("ufz")) == expected);
    }
}

// Short cards as other programs write them, imported into an account: the stored rows.
TEST(VCardReader, CardsOfOtherProgramsAreStored)
{
    struct Expect { int row; const char *column; QVariant value; };  // null: the column stays empty
    struct Case { const char *name; QByteArray file; int rows, unkept; std::vector<Expect> expect; };
    const QByteArray png = PngBytes();
    const QByteArray threeUtf8 = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xE5\xBC\xA0\xE4\xB8\x89\r\nEND:VCARD\r\n";
    const std::vector<Case> cases = {
        {"windows-1252", "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=windows-1252:Ren\xE9 M\xFCller\r\n"
                         "NOTE;CHARSET=WINDOWS-1252;ENCODING=QUOTED-PRINTABLE:=80 5=\r\n0\r\nEND:VCARD\r\n",
         1, 0, {{0, "uname", "René Müller"}, {0, "ufz", "€ 50"}}},
        {"UTF-16 with a mark", Utf16("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:王芳\r\nEND:VCARD\r\n", QStringConverter::Utf16LE),
         1, 0, {{0, "uname", "王芳"}}},
        {"UTF-16 without a mark", Utf16("BEGIN:VCARD\nVERSION:2.1\nFN:王芳\nEND:VCARD\n", QStringConverter::Utf16BE, false),
         1, 0, {{0, "uname", "王芳"}}},
        {"fold inside a character", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xE5\xBC\xA0\xE4\xB8\r\n \x89\r\nNOTE:\xE5\xA4\x87\r\nEND:VCARD\r\n",
         1, 0, {{0, "uname", "张三"}}},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + threeUtf8, 1, 0, {{0, "uname", "张三"}}},
        {"GBK alone", "BEGIN:VCARD\r\nFN:\xD5\xC5\xC8\xFD\r\nEND:VCARD\r\n", 1, 0, {{0, "uname", "张三"}}},
        {"two cards in two encodings", threeUtf8 + "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xC0\xEE\xCB\xC4\r\nEND:VCARD\r\n",
         2, 0, {{0, "uname", "张三"}, {1, "uname", "李四"}}},
        {"a damaged card spoils only itself",
         threeUtf8 + "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xE6\x9D\x8E\r\nNOTE:\xFF\r\nEND:VCARD\r\n" + threeUtf8, 3, 0,
         {{0, "uname", "张三"}, {2, "uname", "张三"}}},
        {"vCard 4.0", "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann Lee\r\n"
                      "TEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418-656-9254;ext=102\r\n"
                      "TEL;VALUE=uri;TYPE=\"cell\":tel:+86-139-0000-0000\r\nTEL;VALUE=uri;TYPE=\"home,fax\":tel:+1-1\r\n"
                      "PHOTO:data:image/png;base64," + png.toBase64() + "\r\nGENDER:F\r\nEND:VCARD\r\n", 1, 1,
         {{0, "uwtlp", "+1-418-656-9254 转 102"}, {0, "umtel", "+86-139-0000-0000"}, {0, "mypic", png},
          {0, "uxb", "女"}}},
        {"organisation only", "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Example\\, Inc.;Sales\r\nEND:VCARD\r\n", 1, 0,
         {{0, "uname", "Example, Inc. Sales"}}},
        {"addresses", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n"
                      "ADR;TYPE=WORK:;Suite 5;1 Main St;Springfield;IL;62701;USA\r\n"
                      "ADR:;;中关村大街1号;北京;北京市;100080;中国\r\nADR;TYPE=HOME:;;2 Side St;;;;\r\nEND:VCARD\r\n", 1, 1,
         {{0, "text2", "1 Main St, Suite 5, Springfield, IL 62701, USA"}, {0, "ujtdz", "2 Side St"}}},
        {"e-mail addresses and messaging", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEMAIL:a@x.org\r\n"
         "EMAIL;TYPE=INTERNET,PREF:b@x.org\r\nEMAIL:c@x.org\r\nX-QQ:12345\r\nIMPP:xmpp:a@x.org\r\nEND:VCARD\r\n", 1, 2,
         {{0, "uemail", "b@x.org"}, {0, "text1", "a@x.org"}, {0, "uqq", "12345"}}},
        {"phones by kind", "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Ann\r\nTEL:1\r\nTEL;CELL:2\r\nTEL;CELL:3\r\n"
                           "TEL;HOME:4\r\nTEL:5\r\nTEL;PAGER:6\r\nBDAY:--0315\r\nEND:VCARD\r\n", 1, 4,
         {{0, "umtel", "2"}, {0, "uwtlp", "1"}, {0, "uhtlp", "4"}}},
        {"2.1 photo", "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:P\r\nPHOTO;ENCODING=BASE64;TYPE=PNG:\r\n " +
                          png.toBase64().insert(20, "\r\n ") + "\r\n\r\nEND:VCARD\r\n",
         1, 0, {{0, "mypic", png}}},
        {"no picture", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:P\r\nPHOTO;ENCODING=b:AAAA\r\nEND:VCARD\r\n", 1, 1,
         {{0, "mypic", QVariant()}}},
        {"AGENT", "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Boss\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:Aide\r\n"
                  "TEL;WORK:9\r\nEND:VCARD\r\nTEL;WORK:1\r\nEND:VCARD\r\n", 1, 0, {{0, "uwtlp", "1"}}},
        {"escapes before VERSION", "BEGIN:VCARD\r\nFN:a\\, b\r\nNOTE:x\\ny\\; z\\\\\r\nVERSION:3.0\r\nEND:VCARD\r\n", 1, 0,
         {{0, "ufz", "x\ny; z\\"}}},
    };
    for (const auto &c : cases) {
        transfer_test::TAccount account(QStringLiteral("vcards"));
        const TVCardFile read = ReadVCards(c.file);
        EXPECT_EQ(read.Unkept, c.unkept) << c.name;
        ASSERT_TRUE(ImportContacts(&account.connection, read.Cards, QDateTime(QDate(2024, 1, 2), QTime(3, 4))).Ok);
        const QList<QVariantMap> rows = account.Rows();
        ASSERT_EQ(rows.size(), c.rows) << c.name;
        for (const Expect &e : c.expect) {
            const QVariant stored = rows[e.row].value(e.column);
            EXPECT_EQ(stored.isNull(), e.value.isNull()) << c.name << " " << e.column;
            EXPECT_EQ(stored.toByteArray(), e.value.toByteArray()) << c.name << " " << e.column;
        }
    }
}

// The photo as phones write it: base64 folded over many lines.
QByteArray FoldedPhoto(const QByteArray &picture, const QByteArray &lineEnd)
{
    QByteArray card = "BEGIN:VCARD" + lineEnd + "VERSION:3.0" + lineEnd + "N:Lee;Ann;;;" + lineEnd + "FN:Ann Lee" +
                      lineEnd + "PHOTO;ENCODING=b;TYPE=JPEG:";
    const QByteArray base64 = picture.toBase64();
    for (qsizetype at = 0; at < base64.size(); at += 72)
        card += (at == 0 ? QByteArray() : lineEnd + " ") + base64.mid(at, 72);
    return card + lineEnd + "TEL;TYPE=CELL:139" + lineEnd + "END:VCARD" + lineEnd;
}

// Photos of real phones are kept: lines ended CR CR LF (iOS 6), and a JPEG with bytes before a
// marker that belong to no segment, which libjpeg skips with a warning.
TEST(VCardReader, PhotosAsPhonesWriteThemAreKept)
{
    const QByteArray jpeg = TwoColourJpeg(96, 64);
    const QByteArray stray = QByteArray(jpeg).insert(2, QByteArray("\x00\x00", 2));
    struct Case { const char *name; QByteArray file; QByteArray photo; } cases[] = {
        {"CR LF", FoldedPhoto(jpeg, "\r\n"), jpeg},
        {"CR CR LF", FoldedPhoto(jpeg, "\r\r\n"), jpeg},
        {"CR CR CR LF", FoldedPhoto(jpeg, "\r\r\r\n"), jpeg},
        {"stray bytes after the start marker", FoldedPhoto(stray, "\r\n"), stray},
        {"both", FoldedPhoto(stray, "\r\r\n"), stray},
    };
    for (const Case &c : cases) {
        const TVCardFile read = ReadVCards(c.file);
        ASSERT_EQ(read.Cards.size(), 1) << c.name;
        const TContactRecord &card = read.Cards[0];
        EXPECT_EQ(QByteArray::fromBase64(card.value("mypic").toLatin1()), c.photo) << c.name;
        EXPECT_EQ(card.value("uname"), QStringLiteral("Ann Lee")) << c.name;
        EXPECT_EQ(card.value("umtel"), QStringLiteral("139")) << c.name;
        EXPECT_EQ(read.Unkept, 0) << c.name;
    }
    // CRs not followed by an LF still end lines each.
    const QList<TContactRecord> cr = ParseVCards("BEGIN:VCARD\rVERSION:2.1\r\rFN:A\r\rNOTE:n\rEND:VCARD\r");
    ASSERT_EQ(cr.size(), 1);
    EXPECT_EQ(cr[0].value("uname"), QStringLiteral("A"));
    EXPECT_EQ(cr[0].value("ufz"), QStringLiteral("n"));
}

// A photo too large to keep is counted as such, not as a value without a field; the user is told
// which is which.
TEST(VCardReader, PhotoTooLargeIsToldApart)
{
    const QByteArray large(MaxVCardPhotoMiB * 1024 * 1024 + 3, '\x55');
    const QByteArray file = FoldedPhoto(large, "\r\n") + FoldedPhoto(TwoColourJpeg(16, 16), "\r\n") +
                            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:B\r\nPHOTO;ENCODING=b:AAAA\r\nEND:VCARD\r\n";
    const TVCardFile read = ReadVCards(file);
    ASSERT_EQ(read.Cards.size(), 3);
    EXPECT_FALSE(read.Cards[0].contains("mypic"));
    EXPECT_EQ(read.Cards[0].value("umtel"), QStringLiteral("139"));
    EXPECT_TRUE(read.Cards[1].contains("mypic"));
    EXPECT_EQ(read.LargePhotos, 1);
    EXPECT_EQ(read.Unkept, 1);  // the photo that is no picture

    struct Case { int imported; TVCardLeftOut leftOut; const char *message; } cases[] = {
        {3, {0, 0}, "共导入 3 条人脉记录"},
        {3, {1, 0}, "共导入 3 条人脉记录，另有 1 项内容没有对应的字段，未导入。"},
        {1, {0, 1}, "共导入 1 条人脉记录，另有 1 张照片太大（超过 16 MB），未导入。"},
        {2, {4, 2}, "共导入 2 条人脉记录，另有 4 项内容没有对应的字段，2 张照片太大（超过 16 MB），未导入。"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VCardImportMessage(c.imported, c.leftOut), QString::fromUtf8(c.message));
}

// One invalid byte in a large UTF-8 file spoils one card; the crafted quoted-printable card of
// many soft breaks is read without any work per break that grows with the line; a line of ten
// megabytes is read whole.
TEST(VCardReader, LargeFilesStayCardByCard)
{
    QByteArray file;
    for (int i = 0; i < 2000; ++i)
        file += "BEGIN:VCARD\nVERSION:3.0\nFN:\xE9\x83\x91\xE4\xBC\x9F" + QByteArray::number(i) + (i == 700 ? "\xFE" : "") +
                "\nEND:VCARD\n";
    QByteArray crafted = "BEGIN:VCARD\nNOTE;ENCODING=QUOTED-PRINTABLE:";
    for (int i = 0; i < 40000; ++i)
        crafted += "=41=\n";
    file += crafted + "\nEND:VCARD\n";
    const QByteArray memo(10 * 1024 * 1024, 'x');
    file += "BEGIN:VCARD\r\nFN:big\r\nNOTE:" + memo + "\r\nEND:VCARD\r\n";
    const QList<TContactRecord> cards = ParseVCards(file);
    ASSERT_EQ(cards.size(), 2002);
    EXPECT_EQ(cards[2001].value("ufz").size(), memo.size());
    int right = 0;
    for (int i = 0; i < 2000; ++i)
        right += cards[i].value("uname") == QStringLiteral("郑伟") + QString::number(i);
    EXPECT_EQ(right, 1999);
    EXPECT_EQ(cards[2000].value("ufz"), QString(40000, u'A'));
}

// A 2.1 file that is valid UTF-8 throughout is weighed as one: a card too short to tell by itself
// ("é" reads as well as the hanzi 茅) follows the others.
TEST(VCardReader, AValidUtf8FileIsOneEncoding)
{
    const QByteArray file = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Jos\xC3\xA9 M\xC3\xBCller\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xC3\xA9\r\nEND:VCARD\r\n";
    const QList<TContactRecord> cards = ParseVCards(file);
    ASSERT_EQ(cards.size(), 2);
    EXPECT_EQ(cards[0].value("uname"), QStringLiteral("José Müller"));
    EXPECT_EQ(cards[1].value("uname"), QStringLiteral("é"));
}

// A large file is read in pieces side by side; the contacts come in the file's order and are the
// same wherever the pieces are cut, also where a cut falls on the BEGIN line of a card nested in
// another (an AGENT's), which starts no contact. Lines may end in CRs alone, as old Mac files do.
TEST(VCardReader, LargeFilesReadInPiecesGiveTheSameContacts)
{
    constexpr int Cards = 2000;
    for (int filler = 0; filler < 20; ++filler) {
        const bool crOnly = filler >= 10;
        SCOPED_TRACE(crOnly ? "CR line ends" : "CR LF line ends");
        SCOPED_TRACE(filler % 10);
        QByteArray file = QByteArray("X-FILLER\r\n").repeated(filler % 10);
        for (int i = 0; i < Cards; ++i) {
            file += "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Boss" + QByteArray::number(i) +
                    "\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:Aide\r\nEND:VCARD\r\nTEL;PAGER:1\r\nTEL;WORK:" +
                    QByteArray::number(i) + "\r\nEND:VCARD\r\n";
        }
        if (crOnly)
            file.replace("\r\n", "\r");
        const TVCardFile read = ReadVCards(file);
        ASSERT_EQ(read.Cards.size(), Cards);
        EXPECT_EQ(read.Unkept, Cards);  // every pager number
        int right = 0;
        for (int i = 0; i < Cards; ++i) {
            right += read.Cards[i].value("uname") == QStringLiteral("Boss%1").arg(i) &&
                     read.Cards[i].value("uwtlp") == QString::number(i);
        }
        EXPECT_EQ(right, Cards);
    }
}

// File names -------------------------------------------------------------------------------------

// File names are safe and never empty, and a name given before in the same run gets a number.
TEST(VCardFileNames, SafeAndNumberedInOneRun)
{
    TVCardFileNames names;
    const std::pair<QString, QString> cases[] = {
        {"张三", "张三.vcf"},     {" 张三 ", "张三 (2).vcf"}, {"李四", "李四.vcf"},  {"张三", "张三 (3).vcf"},
        {"a/b", "a_b.vcf"},       {"a_b", "a_b (2).vcf"},     {"../x", ".._x.vcf"},  {"a\tb\x01", "a_b_.vcf"},
        {"ABC", "ABC.vcf"},       {"abc", "abc (2).vcf"},     {"张三 (2)", "张三 (2) (2).vcf"},
        {"", "未命名.vcf"},       {"   ", "未命名 (2).vcf"},  {"a\\b:c", "a\\b:c.vcf"},
    };
    for (const auto &[name, file] : cases)
        EXPECT_EQ(names.Next(name), file) << name.toStdString();
}

} // namespace
