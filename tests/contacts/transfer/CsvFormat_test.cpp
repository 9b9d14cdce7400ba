#include "contacts/transfer/CsvFormat.h"

#include "transfer/TransferTestSupport.h"

#include <QStringDecoder>

namespace {

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

} // namespace
