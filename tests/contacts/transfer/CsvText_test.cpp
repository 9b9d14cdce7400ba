#include "contacts/transfer/CsvFormat.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

// The quick check decides alone only for bytes that break UTF-8, so whatever it refuses the
// decoder must refuse too, and text it lets pass must not be refused for its shape.
TEST(CsvText, BrokenUtf8IsToldWithoutDecoding)
{
    const struct { QByteArray bytes; bool breaks; } cases[] = {
        {"plain ascii", false},
        {"\xE4\xB8\xAD\xE6\x96\x87", false},      // 中文
        {"\xF0\x9F\x98\x80", false},              // beyond the basic plane
        {"\xEF\xBF\xBD", false},                  // the replacement character itself
        {"\xD6\xD0\xCE\xC4", true},               // 中文 in GB18030
        {"\xC0\x80", true},                       // overlong
        {"\xE0\x80\x80", true},                   // overlong
        {"\xED\xA0\x80", true},                   // surrogate
        {"\xF4\x90\x80\x80", true},               // past U+10FFFF
        {"\xE4\xB8", true},                       // cut short
        {"a\x80", true},                          // a trail byte alone
        {"\xE4\xB8" "a", true},                   // cut short by ASCII
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
        {"x\"y,\"line1\nline2\"\r\n", {"x\"y", "line1\nline2"}},
        {"\"a\"\"b\",c,\r\n", {"a\"b", "c", ""}},
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
