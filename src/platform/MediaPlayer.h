#pragma once
#include <QString>
#include <functional>
#include <memory>

// Plays one sound or film file at a time for the reminder windows. Playing never blocks and
// never reports an error to the user: without an audio device, or without Qt Multimedia in the
// build, nothing is heard.
class IMediaPlayer
{
public:
    virtual ~IMediaPlayer() = default;
    // False when the file is not a regular file or cannot be played here.
    virtual bool Open(const QString &fileName) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    // Stops and lets go of the file.
    virtual void Close() = 0;
    // Whether a sound started by Play is still heard.
    virtual bool Playing() const { return false; }
};

// A player that plays nothing; the one used when the build has no Qt Multimedia.
class TSilentMediaPlayer final : public IMediaPlayer
{
public:
    bool Open(const QString &fileName) override;
    void Play() override {}
    void Stop() override {}
    void Close() override {}
};

// The desktop's player (Qt Multimedia when built with it, else the silent one), unless a test
// installed a factory of its own.
std::unique_ptr<IMediaPlayer> CreateMediaPlayer();

using TMediaPlayerFactory = std::function<std::unique_ptr<IMediaPlayer>()>;
// An empty function restores the desktop's player.
void SetMediaPlayerFactory(TMediaPlayerFactory factory);

// A sound-scheme event played by its alias ("MenuPopup", "MenuCommand"), as PlaySound plays one
// asynchronously without a default sound and without cutting off a sound still playing: the
// event's file (SoundEventFile) on a player of its own; nothing when the event has no sound or
// the last event sound is still heard.
void PlayEventSound(const QString &alias);
