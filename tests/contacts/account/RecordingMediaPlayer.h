#pragma once
// A media player for tests: it plays nothing and writes each call into a log the test reads.
#include "platform/MediaPlayer.h"

#include <QFileInfo>
#include <QStringList>
#include <memory>

class RecordingMediaPlayer final : public IMediaPlayer
{
public:
    explicit RecordingMediaPlayer(QStringList *log) : log_(log) {}
    bool Open(const QString &fileName) override
    {
        *log_ << QStringLiteral("open ") + fileName;
        return QFileInfo(fileName).isFile();
    }
    void Play() override { *log_ << QStringLiteral("play"); }
    void Stop() override { *log_ << QStringLiteral("stop"); }
    void Close() override { *log_ << QStringLiteral("close"); }

private:
    QStringList *log_;  // outlives every player the test makes
};

// Installs the recording player for as long as it lives.
class RecordingPlayers
{
public:
    RecordingPlayers()
    {
        SetMediaPlayerFactory([this] { return std::make_unique<RecordingMediaPlayer>(&log); });
    }
    ~RecordingPlayers() { SetMediaPlayerFactory({}); }

    int Count(const QString &entry) const { return int(log.count(entry)); }
    QStringList Opened() const
    {
        QStringList files;
        for (const QString &entry : log) {
            if (entry.startsWith(QStringLiteral("open ")))
                files << entry.mid(5);
        }
        return files;
    }

    QStringList log;
};
