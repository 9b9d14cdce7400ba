#pragma once
#include <QByteArray>
#include <QString>
#include <memory>

class QSaveFile;

// Writes a file that takes the place of another only once every byte has reached the disk. The
// bytes go to a temporary file beside the target, unbuffered, so a full disk shows at the write
// that hits it rather than in a final flush whose failure the commit may not report; the target
// keeps its old contents unless the whole new file is there.
class TSaveFile
{
public:
    explicit TSaveFile(const QString &path);
    ~TSaveFile();  // an uncommitted file is discarded
    TSaveFile(const TSaveFile &) = delete;
    TSaveFile &operator=(const TSaveFile &) = delete;

    bool Open();
    // False once any byte failed to reach the file; later writes are refused.
    bool Write(const QByteArray &bytes);
    // Makes the written file the real one; false, and the old file stays, after any failure.
    bool Commit();
    void Cancel();
    QString ErrorString() const { return error_; }

private:
    void Fail(const QString &reason);

    std::unique_ptr<QSaveFile> file_;
    qint64 written_ = 0;
    bool failed_ = false;
    QString error_;
};

// The whole file in one step, through TSaveFile.
[[nodiscard]] bool SaveFileBytes(const QString &path, const QByteArray &bytes);
