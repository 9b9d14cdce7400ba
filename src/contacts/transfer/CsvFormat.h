#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <utility>

class QFile;
class QStringDecoder;

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

// ParseCsv fed piece by piece: the records are the same wherever the text is cut. Each record is
// handed to `each` as soon as its end is seen; `width` is its count of fields, of which only the
// first `keptFields` are kept, so a line of millions of commas costs no memory.
class TCsvRecordParser
{
public:
    using TEach = std::function<void(QStringList &record, qsizetype width)>;
    explicit TCsvRecordParser(TEach each, qsizetype keptFields = std::numeric_limits<qsizetype>::max());
    void Feed(QStringView text);
    // The end of the text: a record without its line end is complete now.
    void Finish();
    void SetKeptFields(qsizetype count) { keptFields_ = count; }

private:
    enum class TState { RecordStart, FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterCr };
    void EndField();
    void EndRecord();
    void Take(QStringView part);

    TEach each_;
    qsizetype keptFields_;
    TState state_ = TState::RecordStart;
    QStringList record_;
    QString field_;
    qsizetype width_ = 0;
};

// A CSV file read record by record, so that no file is ever held whole: one block of its bytes
// at a time, and the records read from it. The encoding is decided for the whole file when it is
// opened, in one pass over its bytes that keeps no more than a line of them: a UTF-16 or UTF-8
// byte-order mark says the encoding. Without one the file is UTF-8 when its bytes are valid
// UTF-8, and also when only a few lines are not (fewer than one line in a hundred, and fewer than
// the lines that hold valid UTF-8 beyond ASCII): their bad bytes become replacement characters and
// BadLines counts those lines. Anything else is GB18030.
class TCsvFileReader
{
public:
    explicit TCsvFileReader(qsizetype blockBytes = 256 * 1024);
    ~TCsvFileReader();
    TCsvFileReader(const TCsvFileReader &) = delete;
    TCsvFileReader &operator=(const TCsvFileReader &) = delete;

    // False when the file cannot be opened or read.
    bool Open(const QString &path);
    // Lines of a file read as UTF-8 whose bad bytes became replacement characters.
    int BadLines() const { return badLines_; }
    // Of every record, fields past this many are counted but not kept.
    void SetKeptFields(qsizetype count) { keptFields_ = count; }
    // The next record and its count of fields; false at the end of the file, or when reading
    // failed (Failed then says so).
    bool Next(QStringList &record, qsizetype *width = nullptr);
    bool Failed() const { return failed_; }

private:
    enum class TEncoding { Utf8, Gb18030, Utf16LE, Utf16BE };
    bool DecideEncoding();
    bool ReadBlock();
    void Decode(QByteArrayView piece);

    qsizetype blockBytes_;
    std::unique_ptr<QFile> file_;
    TEncoding encoding_ = TEncoding::Utf8;
    qsizetype skip_ = 0;  // the byte-order mark
    int badLines_ = 0;
    bool failed_ = false;
    bool atEnd_ = false;
    qsizetype keptFields_ = std::numeric_limits<qsizetype>::max();
    QByteArray carry_;  // bytes after the block's last line end, read with the next block
    std::unique_ptr<QStringDecoder> decoder_;
    std::unique_ptr<TCsvRecordParser> parser_;
    std::deque<std::pair<QStringList, qsizetype>> ready_;
};
