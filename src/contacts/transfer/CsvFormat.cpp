#include "transfer/CsvFormat.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <vector>

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
    TCsvRecordParser parser([&](QStringList &record, qsizetype) { records << std::move(record); });
    parser.Feed(text);
    parser.Finish();
    return records;
}

namespace {

// The two-byte characters of GB18030, which hold nearly all the Chinese text of a card, by their
// bytes; 0 for a pair that is no character of its own. Read from the decoder in one go: the
// pairs, each behind a line end, which no character contains and a bad pair cannot swallow.
class TGbPairs
{
public:
    TGbPairs() : chars_(0x10000, 0)
    {
        QByteArray bytes;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                bytes += char(lead);
                bytes += char(trail);
                bytes += '\n';
            }
        }
        QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(bytes);
        qsizetype from = 0;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const qsizetype end = text.indexOf(u'\n', from);
                if (end < 0)
                    return;
                if (end - from == 1 && text[from] != QChar::ReplacementCharacter && !text[from].isSurrogate())
                    chars_[size_t(lead << 8 | trail)] = text[from].unicode();
                from = end + 1;
            }
        }
    }

    char16_t At(uchar lead, uchar trail) const { return chars_[size_t(lead << 8 | trail)]; }

private:
    std::vector<char16_t> chars_;
};

const TGbPairs &GbPairs()
{
    static const TGbPairs pairs;
    return pairs;
}

} // namespace

char16_t Gb18030Pair(uchar lead, uchar trail)
{
    return GbPairs().At(lead, trail);
}

bool Gb18030TwoByteText(QByteArrayView bytes, QString &text)
{
    const TGbPairs &pairs = GbPairs();
    text = QString(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    qsizetype length = 0;
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        if (in[i] < 0x80) {
            out[length++] = QChar(in[i++]);
            continue;
        }
        const char16_t c = i + 1 < bytes.size() ? pairs.At(in[i], in[i + 1]) : 0;
        if (c == 0) {
            text.clear();
            return false;
        }
        out[length++] = QChar(c);
        i += 2;
    }
    text.truncate(length);
    return true;
}

namespace {

// A line ends at LF, at CR LF or at a CR alone, as spreadsheets on older systems write them.
// Neither byte is part of a character in UTF-8 or GB18030, so a cut after one splits none.
bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// The index of the last line-end byte, or -1.
qsizetype LastLineEnd(QByteArrayView bytes)
{
    for (qsizetype i = bytes.size() - 1; i >= 0; --i) {
        if (IsLineEnd(bytes[i]))
            return i;
    }
    return -1;
}

// Counts the lines that are not valid UTF-8 and those that are valid and hold more than ASCII.
void ClassifyLines(const QByteArray &bytes, int &total, int &bad, int &utf8)
{
    const char *data = bytes.constData();
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && !IsLineEnd(data[end]))
            ++end;
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, end - start);
        start = end + 1;
        if (line.trimmed().isEmpty())
            continue;
        ++total;
        if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            continue;
        if (BreaksUtf8(line))
            ++bad;
        else
            ++utf8;
    }
}

} // namespace

// Reading piece by piece ---------------------------------------------------------------------------

TCsvRecordParser::TCsvRecordParser(TEach each, qsizetype keptFields) : each_(std::move(each)), keptFields_(keptFields)
{
}

void TCsvRecordParser::Take(QStringView part)
{
    if (part.isEmpty() || width_ >= keptFields_)
        return;
    if (field_.isNull())
        field_ = part.toString();
    else
        field_.append(part);
}

void TCsvRecordParser::EndField()
{
    if (width_++ < keptFields_)
        record_ << std::exchange(field_, QString());
    else
        field_ = QString();
}

void TCsvRecordParser::EndRecord()
{
    EndField();
    each_(record_, width_);
    // Records are mostly as wide as the one before.
    record_ = QStringList();
    record_.reserve(std::min(width_, keptFields_));
    width_ = 0;
}

void TCsvRecordParser::Feed(QStringView text)
{
    const QChar *data = text.data();
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        switch (state_) {
        case TState::AfterCr:
            // CR LF ends one record.
            state_ = TState::RecordStart;
            if (data[i] == u'\n')
                ++i;
            break;
        case TState::RecordStart:
        case TState::FieldStart:
            if (data[i] == u'"') {
                state_ = TState::Quoted;
                ++i;
            } else {
                state_ = TState::Unquoted;
            }
            break;
        case TState::Unquoted: {
            qsizetype end = i;
            while (end < size && data[end] != u',' && data[end] != u'\n' && data[end] != u'\r')
                ++end;
            Take(text.sliced(i, end - i));
            i = end;
            if (i == size)
                break;
            if (data[i] == u',') {
                EndField();
                state_ = TState::FieldStart;
            } else {
                EndRecord();
                state_ = data[i] == u'\r' ? TState::AfterCr : TState::RecordStart;
            }
            ++i;
            break;
        }
        case TState::Quoted: {
            const qsizetype quote = text.indexOf(u'"', i);
            const qsizetype end = quote < 0 ? size : quote;
            Take(text.sliced(i, end - i));
            i = end;
            if (quote >= 0) {
                state_ = TState::QuoteInQuoted;
                ++i;
            }
            break;
        }
        case TState::QuoteInQuoted:
            // A doubled quote is one quote; any other closes the quoted part, and what follows
            // it up to the field's end is appended.
            if (data[i] == u'"') {
                Take(u"\"");
                state_ = TState::Quoted;
                ++i;
            } else {
                state_ = TState::Unquoted;
            }
            break;
        }
    }
}

void TCsvRecordParser::Finish()
{
    if (state_ != TState::RecordStart && state_ != TState::AfterCr)
        EndRecord();
    state_ = TState::RecordStart;
}

TCsvFileReader::TCsvFileReader(qsizetype blockBytes) : blockBytes_(std::max<qsizetype>(blockBytes, 1)) {}

TCsvFileReader::~TCsvFileReader() = default;

bool TCsvFileReader::Open(const QString &path)
{
    file_ = std::make_unique<QFile>(path);
    failed_ = false;
    atEnd_ = false;
    badLines_ = 0;
    carry_.clear();
    ready_.clear();
    if (!file_->open(QIODevice::ReadOnly) || !DecideEncoding() || !file_->seek(skip_)) {
        failed_ = true;
        return false;
    }
    switch (encoding_) {
    case TEncoding::Utf16LE:
        decoder_ = std::make_unique<QStringDecoder>(QStringConverter::Utf16LE);
        break;
    case TEncoding::Utf16BE:
        decoder_ = std::make_unique<QStringDecoder>(QStringConverter::Utf16BE);
        break;
    case TEncoding::Gb18030:
        decoder_ = std::make_unique<QStringDecoder>("GB18030");
        break;
    case TEncoding::Utf8:
        decoder_.reset();
        break;
    }
    parser_ = std::make_unique<TCsvRecordParser>(
        [this](QStringList &record, qsizetype width) { ready_.emplace_back(std::move(record), width); }, keptFields_);
    return true;
}

// The rules of the encoding, over whole lines of the file read block by block.
bool TCsvFileReader::DecideEncoding()
{
    const QByteArray start = file_->peek(3);
    skip_ = 0;
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        encoding_ = start.startsWith("\xFF") ? TEncoding::Utf16LE : TEncoding::Utf16BE;
        skip_ = 2;
        return true;
    }
    const bool marked = start.startsWith("\xEF\xBB\xBF");
    if (marked)
        skip_ = 3;
    if (!file_->seek(skip_))
        return false;
    int total = 0, bad = 0, utf8 = 0;
    QByteArray line;
    for (;;) {
        QByteArray block = file_->read(blockBytes_);
        if (file_->error() != QFileDevice::NoError)
            return false;
        if (block.isEmpty())
            break;
        const qsizetype lastEnd = LastLineEnd(block);
        if (lastEnd < 0) {
            line += block;
            continue;
        }
        line += QByteArrayView(block).first(lastEnd + 1);
        ClassifyLines(line, total, bad, utf8);
        line = block.sliced(lastEnd + 1);
    }
    ClassifyLines(line, total, bad, utf8);
    // Valid UTF-8 has no bad line.
    if (bad == 0 || marked || (qint64(bad) * 100 < total && utf8 > bad)) {
        encoding_ = TEncoding::Utf8;
        badLines_ = bad;
    } else {
        encoding_ = TEncoding::Gb18030;
    }
    return true;
}

void TCsvFileReader::Decode(QByteArrayView piece)
{
    if (piece.isEmpty())
        return;
    QString text;
    if (encoding_ == TEncoding::Utf8)
        text = QString::fromUtf8(piece);
    else if (encoding_ != TEncoding::Gb18030 || !Gb18030TwoByteText(piece, text))
        text = decoder_->decode(piece);
    parser_->Feed(text);
}

bool TCsvFileReader::ReadBlock()
{
    const QByteArray block = file_->read(blockBytes_);
    if (file_->error() != QFileDevice::NoError) {
        failed_ = true;
        return false;
    }
    if (block.isEmpty()) {
        Decode(std::exchange(carry_, QByteArray()));
        parser_->Finish();
        atEnd_ = true;
        return true;
    }
    if (encoding_ == TEncoding::Utf16LE || encoding_ == TEncoding::Utf16BE) {
        Decode(block);
        return true;
    }
    // An 8-bit block is decoded up to its last line end: no character of UTF-8 or GB18030 holds
    // that byte, so no character is cut and the decoder holds nothing over.
    const qsizetype lastEnd = LastLineEnd(block);
    if (lastEnd < 0) {
        carry_ += block;
        return true;
    }
    carry_ += QByteArrayView(block).first(lastEnd + 1);
    Decode(carry_);
    carry_ = block.sliced(lastEnd + 1);
    return true;
}

bool TCsvFileReader::Next(QStringList &record, qsizetype *width)
{
    if (!parser_)
        return false;
    parser_->SetKeptFields(keptFields_);
    while (ready_.empty()) {
        if (failed_ || atEnd_ || !ReadBlock())
            return false;
    }
    record = std::move(ready_.front().first);
    if (width)
        *width = ready_.front().second;
    ready_.pop_front();
    return true;
}
