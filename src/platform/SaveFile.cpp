#include "SaveFile.h"

#include <QSaveFile>

TSaveFile::TSaveFile(const QString &path) : file_(std::make_unique<QSaveFile>(path)) {}

TSaveFile::~TSaveFile()
{
    Cancel();
}

bool TSaveFile::Open()
{
    written_ = 0;
    failed_ = false;
    error_.clear();
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Fail(file_->errorString());
        return false;
    }
    return true;
}

bool TSaveFile::Write(const QByteArray &bytes)
{
    if (failed_ || !file_->isOpen())
        return false;
    const qint64 n = file_->write(bytes);
    if (n > 0)
        written_ += n;
    if (n != bytes.size()) {
        Fail(file_->errorString());
        return false;
    }
    return true;
}

bool TSaveFile::Commit()
{
    if (!file_->isOpen())
        return false;
    // Short writes of a full disk do not always set an error; the size on disk tells.
    if (!failed_ && (!file_->flush() || file_->size() != written_))
        Fail(file_->errorString());
    if (failed_) {
        file_->cancelWriting();
        file_->commit();  // removes the temporary file
        return false;
    }
    if (!file_->commit()) {
        Fail(file_->errorString());
        return false;
    }
    return true;
}

void TSaveFile::Cancel()
{
    if (file_->isOpen()) {
        file_->cancelWriting();
        file_->commit();
    }
}

void TSaveFile::Fail(const QString &reason)
{
    if (!failed_)
        error_ = reason;
    failed_ = true;
}

bool SaveFileBytes(const QString &path, const QByteArray &bytes)
{
    TSaveFile file(path);
    return file.Open() && file.Write(bytes) && file.Commit();
}
