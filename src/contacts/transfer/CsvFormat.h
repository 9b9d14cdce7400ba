#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The comma-separated files contacts are exchanged in. Written files quote every value, so a
// comma, a quote or a line break inside a value never shifts the columns after it; every field
// is followed by a comma, the last one included, and lines end in CR LF.

// Appends one quoted field and its comma.
void AppendCsvField(QString &line, QStringView value);
// Appends the comma of a column the table does not have.
inline void AppendCsvEmptyField(QString &line) { line += u','; }
// The header line: every caption quoted, each followed by a comma, then CR LF.
QString CsvHeaderLine(const QStringList &captions);

// Splits a whole file into records of fields, the way the files above and spreadsheets write
// them: fields end at commas, records at CR LF, LF or CR; a quoted field may hold commas, line
// breaks and doubled quotes. Blanks are part of the field. A quote inside an unquoted field is
// kept as it is, text after a closing quote is appended to the field, and a quote left open runs
// to the end of the text. An empty line gives a record of one empty field.
QList<QStringList> ParseCsv(QStringView text);

// The text of a CSV file. A UTF-16 or UTF-8 byte-order mark says the encoding. Without one the
// file is UTF-8 when its bytes are valid UTF-8, and also when only a few lines are not (fewer than
// one line in a hundred, and fewer than the lines that hold valid UTF-8 beyond ASCII): their bad
// bytes become replacement characters and BadLines counts those lines. Anything else is GB18030.
struct TCsvText {
    QString Text;
    int BadLines = 0;
};
TCsvText DecodeCsvText(const QByteArray &bytes);

// Whether the bytes break the rules of UTF-8: a byte that starts no character, a character cut
// short, an overlong form, a surrogate or a code point past U+10FFFF. The UTF-8 decoder refuses
// exactly these, so the answer is the decoder's without decoding.
inline bool BreaksUtf8(QByteArrayView bytes)
{
    return !bytes.isValidUtf8();
}

// GB18030 text made only of ASCII and two-byte characters, read as the system's decoder reads it
// but without its work per call. False, and `text` empty, for any other bytes.
bool Gb18030TwoByteText(QByteArrayView bytes, QString &text);
// The character of a two-byte GB18030 pair as the system's decoder reads it; 0 for a pair that is
// no character of its own.
char16_t Gb18030Pair(uchar lead, uchar trail);

// The number of fields of the text's first record by the rules of ParseCsv, counted no further
// than `limit` + 1, so a header of millions of commas is refused before it is split.
qsizetype CsvFirstRecordFields(QStringView text, qsizetype limit);
