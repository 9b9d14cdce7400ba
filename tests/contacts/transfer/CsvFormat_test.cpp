#include "contacts/transfer/CsvFormat.h"

#include "transfer/TransferTestSupport.h"

#include "platform/TextCodec.h"

#include <QStringDecoder>

namespace {

using transfer_test::Utf16;
using transfer_test::WriteBytes;

TEST(CsvFormat, Parsing)
{
    const struct { const char *text; QList<QStringList> records; } cases[] = {
        {"", {}}, {"a,b,c", {{"a", "b", "c"}}}, {"a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
        {"a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}}, {"a\rb", {{"a"}, {"b"}}}, {"\"a\",\"b\",", {{"a", "b", ""}}},
        {"a,,b", {{"a", "", "b"}}}, {"\"x,y\",z", {{"x,y", "z"}}}, {"\"say \"\"hi\"\"\",2", {{"say \"hi\"", "2"}}},
        {"\"two\r\nlines\",x\r\nnext", {{"two\r\nlines", "x"}, {"next"}}},
        {"John Smith, Jane ", {{"John Smith", " Jane "}}},
        {"a\n\nb", {{"a"}, {""}, {"b"}}}, {"ab\"c,d", {{"ab\"c", "d"}}}, {"\"ab\"c,d", {{"abc", "d"}}},
        {"\"open,quote\nto the end", {{"open,quote\nto the end"}}}, {",", {{"", ""}}}, {"\"\"", {{""}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseCsv(QString::fromUtf8(c.text)), c.records) << c.text;
    // A line of ten megabytes is one field, whole.
    const QList<QStringList> one = ParseCsv(QString(10 * 1024 * 1024, QChar('x')) + ",y");
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(std::pair(one[0].value(0).size(), one[0].value(1)), std::pair(qsizetype(10 << 20), QString("y")));
}

TEST(CsvFormat, WrittenFieldsReadBackUnchanged)
{
    const QStringList values = {"", "a,b", "\"", "x\"\"y", "l1\nl2", "l1\r\nl2\r\n", " blanks  inside ", "张三", ","};
    QString line;
    for (const QString &value : values)
        AppendCsvField(line, value);
    line += "\r\n";
    const QList<QStringList> records = ParseCsv(line + line);
    ASSERT_EQ(records.size(), 2);
    for (const QStringList &record : records)
        EXPECT_EQ(record, values + QStringList{QString()});
}

// The quick check decides in the decoder's place, so it must refuse exactly what the decoder
// refuses.
TEST(CsvText, BrokenUtf8IsToldWithoutDecoding)
{
    const struct { QByteArray bytes; bool breaks; } cases[] = {
        {"plain ascii", false}, {"\xE4\xB8\xAD\xE6\x96\x87", false}, {"\xF0\x9F\x98\x80", false},
        {"\xEF\xBF\xBD", false},                                     // the replacement character itself
        {"\xD6\xD0\xCE\xC4", true},                                  // 中文 in GB18030
        {"\xC0\x80", true}, {"\xE0\x80\x80", true},                  // overlong
        {"\xED\xA0\x80", true}, {"\xF4\x90\x80\x80", true},          // surrogate, past U+10FFFF
        {"\xE4\xB8", true}, {"a\x80", true}, {"\xE4\xB8" "a", true}, // cut short, a trail byte alone
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(BreaksUtf8(c.bytes), c.breaks);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(c.bytes);
        EXPECT_EQ(decoder.hasError(), c.breaks);
    }
}

// A large text is read in two halves side by side; where a quote inside an unquoted field makes
// a line end inside a quoted field look like a record's end, the records must still be those of
// reading from the start.
TEST(CsvText, LargeTextsGiveTheSameRecordsHoweverTheyAreSplit)
{
    const struct { const char *record; QStringList fields; } cases[] = {
        {"x\"y,\"line1\nline2\"\r\n", {"x\"y", "line1\nline2"}}, {"\"a\"\"b\",c,\r\n", {"a\"b", "c", ""}},
        {"plain,text\n", {"plain", "text"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.record);
        const QString one = QString::fromUtf8(c.record);
        const qsizetype count = (qsizetype(1) << 21) / one.size() + 7;
        const QList<QStringList> records = ParseCsv(one.repeated(count));
        ASSERT_EQ(records.size(), count);
        for (const QStringList &record : records)
            ASSERT_EQ(record, c.fields);
    }
}

// Records read piece by piece, as a file is read block by block: the same records whatever the
// cuts, each with its count of fields.
TEST(CsvRecordParser, PiecesGiveTheRecordsOfTheWholeText)
{
    const char *texts[] = {
        "", "a,b,c", "a,b\r\nc,d\r\n", "a\rb\r\n\r\nc", "\"a\",\"b\",", "\"x,y\",z",
        "\"say \"\"hi\"\"\",2\n", "\"two\r\nlines\",x\r\nnext", "a\n\nb", "ab\"c,d", "\"ab\"c,d",
        "\"open,quote\nto the end", ",", "\"\"", "\"\"\"\"", "\r\r\n\n", "x\"y,\"line1\nline2\"\r\n", "张三,\"李\"\"四\"\r\n",
    };
    for (const char *raw : texts) {
        const QString text = QString::fromUtf8(raw);
        SCOPED_TRACE(raw);
        const QList<QStringList> expected = ParseCsv(text);
        for (qsizetype step = 1; step <= text.size() + 1; ++step) {
            QList<QStringList> records;
            TCsvRecordParser parser([&](QStringList &record, qsizetype width) {
                EXPECT_EQ(width, record.size());
                records << record;
            });
            for (qsizetype at = 0; at < text.size(); at += step)
                parser.Feed(QStringView(text).mid(at, step));
            parser.Finish();
            ASSERT_EQ(records, expected) << "pieces of " << step;
        }
    }
    // Past the kept fields only the count goes on.
    QList<std::pair<QStringList, qsizetype>> kept;
    TCsvRecordParser parser([&](QStringList &record, qsizetype width) { kept.push_back({record, width}); }, 2);
    parser.Feed(QStringLiteral("a,\"b,c\",d,e\n") + QString(100000, u',') + QStringLiteral("\nx"));
    parser.Finish();
    const QList<std::pair<QStringList, qsizetype>> expected = {
        {{"a", "b,c"}, 4}, {{"", ""}, 100001}, {{"x"}, 1}};
    EXPECT_EQ(kept, expected);
}

// A file read in blocks of a few bytes gives the records of its whole text and the count of bad
// lines, in every encoding a spreadsheet writes.
TEST(CsvFileReader, BlocksGiveTheRecordsOfTheWholeText)
{
    QByteArray mostlyUtf8 = "姓名,备注\n";
    for (int i = 0; i < 150; ++i)
        mostlyUtf8 += "张三,\"多\n行\"\r\n";
    const QString mostlyText = QString::fromUtf8(mostlyUtf8) + QStringLiteral("李\uFFFD,x\n李\uFFFD\n");
    mostlyUtf8 += "李\xFF,x\n李\xE5\n";
    const QString gbText = QStringLiteral("姓名,移动电话\r\n张三,138\r\n\"王\r\n芳\",1\r\n");
    const QString fourByte = QStringLiteral("姓名\n张𠀀€\n");
    const struct { const char *name; QByteArray bytes; QString text; int badLines; } files[] = {
        {"gbk", EncodeGB18030(gbText), gbText, 0},
        // A lead byte without its trail is no character; one cut short by the end of the file is
        // dropped.
        {"gb18030 four-byte", EncodeGB18030(fourByte) + "\x81\n\xD5", fourByte + QStringLiteral("\uFFFD\n"), 0},
        {"utf-8 bom", "\xEF\xBB\xBF姓名,移动电话\n张三,138\n", QStringLiteral("姓名,移动电话\n张三,138\n"), 0},
        {"utf-8 bom, bad bytes", "\xEF\xBB\xBF姓名\n\xD5\xC5\n", QStringLiteral("姓名\n\uFFFD\uFFFD\n"), 1},
        {"utf-8", "姓名,移动电话\r\n张三,138", QStringLiteral("姓名,移动电话\r\n张三,138"), 0},
        {"utf-8, a few bad lines", mostlyUtf8, mostlyText, 2},
        // Lines ended by a CR alone are lines too, also where the encoding is judged.
        {"utf-8, cr lines", QByteArray(mostlyUtf8).replace('\n', '\r'), QString(mostlyText).replace('\n', '\r'), 2},
        {"utf-16le", Utf16("姓名,移动电话\r\n张三,\"1\r\n38\"", QStringConverter::Utf16LE),
         QStringLiteral("姓名,移动电话\r\n张三,\"1\r\n38\""), 0},
        {"utf-16be", Utf16("姓名,移动电话\n张三,138\n", QStringConverter::Utf16BE), QStringLiteral("姓名,移动电话\n张三,138\n"), 0},
        {"empty", QByteArray(), QString(), 0},
    };
    const QString folder = MakeTempDir(QStringLiteral("csv-reader"));
    for (const auto &file : files) {
        SCOPED_TRACE(file.name);
        const QString path = folder + QStringLiteral("/file.csv");
        WriteBytes(path, file.bytes);
        const QList<QStringList> expected = ParseCsv(file.text);
        for (const qsizetype block : {1, 2, 3, 5, 64, 1 << 20}) {
            TCsvFileReader reader(block);
            ASSERT_TRUE(reader.Open(path)) << block;
            EXPECT_EQ(reader.BadLines(), file.badLines) << block;
            QList<QStringList> records;
            QStringList record;
            while (reader.Next(record))
                records << record;
            EXPECT_FALSE(reader.Failed());
            EXPECT_EQ(records, expected) << block;
        }
    }
    TCsvFileReader missing;
    EXPECT_FALSE(missing.Open(folder + QStringLiteral("/missing.csv")));
    QStringList record;
    EXPECT_FALSE(missing.Next(record));
}

} // namespace
