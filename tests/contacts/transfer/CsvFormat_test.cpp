#include "contacts/transfer/CsvFormat.h"

#include "transfer/TransferTestSupport.h"

#include <gtest/gtest.h>

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

TEST(CsvFormat, LongAndBinaryInputIsSplitWithoutLoss)
{
    const QString longLine(10 * 1024 * 1024, QChar('x'));
    const QList<QStringList> one = ParseCsv(longLine + ",y");
    ASSERT_EQ(one.size(), 1);
    ASSERT_EQ(one[0].size(), 2);
    EXPECT_EQ(one[0][0].size(), longLine.size());

    QString binary;
    for (int i = 0; i < 70000; ++i)
        binary += QChar(char16_t((i * 7919) % 0xD000));
    qsizetype total = 0;
    for (const QStringList &record : ParseCsv(binary))
        for (const QString &field : record)
            total += field.size();
    // Every character is either a separator, a quote or part of a field; nothing is invented.
    EXPECT_LE(total, binary.size());
    EXPECT_GT(total, binary.size() / 2);
}

} // namespace
