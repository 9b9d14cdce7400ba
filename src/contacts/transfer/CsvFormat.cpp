#include "transfer/CsvFormat.h"

#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <algorithm>

void AppendCsvField(QString &line, QStringView value)
{
    line += u'"';
    qsizetype from = 0;
    for (qsizetype at = value.indexOf(u'"'); at >= 0; at = value.indexOf(u'"', from)) {
        line += value.mid(from, at - from + 1);
        line += u'"';
        from = at + 1;
    }
    line += value.mid(from);
    line += QLatin1String("\",");
}

QString CsvHeaderLine(const QStringList &captions)
{
    QString line;
    for (const QString &caption : captions)
        AppendCsvField(line, caption);
    line += QLatin1String("\r\n");
    return line;
}

QList<QStringList> ParseCsv(QStringView text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    const qsizetype size = text.size();
    qsizetype i = 0;
    bool atRecordStart = true;

    const auto endField = [&] {
        record << field;
        field.clear();
    };
    const auto endRecord = [&] {
        endField();
        records << record;
        record.clear();
        atRecordStart = true;
    };

    while (i < size) {
        atRecordStart = false;
        // One field from i.
        if (text[i] == u'"') {
            ++i;
            while (i < size) {
                const qsizetype quote = text.indexOf(u'"', i);
                if (quote < 0) {
                    field += text.mid(i);
                    i = size;
                    break;
                }
                field += text.mid(i, quote - i);
                i = quote + 1;
                if (i < size && text[i] == u'"') {
                    field += u'"';
                    ++i;
                    continue;
                }
                break;
            }
        }
        // The unquoted part, or what follows a closing quote, up to the field's end.
        qsizetype end = i;
        while (end < size && text[end] != u',' && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        field += text.mid(i, end - i);
        i = end;
        if (i >= size)
            break;
        if (text[i] == u',') {
            // A comma at the very end still leaves an empty last field.
            endField();
            ++i;
            continue;
        }
        // A line end: CR LF counts once.
        if (text[i] == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        ++i;
        endRecord();
    }
    if (!atRecordStart)
        endRecord();
    return records;
}

namespace {

// Counts the lines that are not valid UTF-8 and those that are valid and hold more than ASCII.
void ClassifyLines(const QByteArray &bytes, int &total, int &bad, int &utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, end - start);
        start = end + 1;
        if (line.trimmed().isEmpty())
            continue;
        ++total;
        if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            continue;
        decoder.resetState();
        const QString decoded = decoder.decode(line);
        if (decoder.hasError())
            ++bad;
        else
            ++utf8;
    }
}

} // namespace

TCsvText DecodeCsvText(const QByteArray &bytes)
{
    TCsvText text;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        text.Text = decoder.decode(QByteArrayView(bytes).sliced(2));
        return text;
    }
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = marked ? bytes.sliced(3) : bytes;
    if (IsValidUtf8(body)) {
        text.Text = QString::fromUtf8(body);
        return text;
    }
    int total = 0, bad = 0, utf8 = 0;
    ClassifyLines(body, total, bad, utf8);
    if (marked || (qint64(bad) * 100 < total && utf8 > bad)) {
        text.Text = QString::fromUtf8(body);
        text.BadLines = bad;
    } else {
        text.Text = DecodeGB18030(body);
    }
    return text;
}

qsizetype CsvFirstRecordFields(QStringView text, qsizetype limit)
{
    qsizetype fields = 1;
    bool atFieldStart = true;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"')
                    ++i;
                else
                    quoted = false;
            }
            continue;
        }
        if (c == u'\n' || c == u'\r')
            break;
        if (c == u',') {
            if (++fields > limit)
                break;
            atFieldStart = true;
            continue;
        }
        quoted = c == u'"' && atFieldStart;
        atFieldStart = false;
    }
    return fields;
}
