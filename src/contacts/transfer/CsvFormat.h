#pragma once
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
