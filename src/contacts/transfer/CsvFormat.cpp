#include "transfer/CsvFormat.h"

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
