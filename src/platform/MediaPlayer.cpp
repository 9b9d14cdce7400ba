#include "MediaPlayer.h"

#include "SysParams.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef ORV_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QUrl>
#endif

namespace {

TMediaPlayerFactory &Factory()
{
    static TMediaPlayerFactory factory;
    return factory;
}

#ifdef ORV_HAVE_MULTIMEDIA
// Wave files go through QSoundEffect, which decodes them itself and so plays even where the
// media framework's plug-ins are missing; other kinds need QMediaPlayer.
class TQtMediaPlayer final : public IMediaPlayer
{
public:
    ~TQtMediaPlayer() override { Close(); }

    bool Open(const QString &fileName) override
    {
        Close();
        const QFileInfo info(fileName);
        if (!info.isFile())
            return false;
        // No sound card is normal on servers and in CI; the reminder then stays silent.
        if (QMediaDevices::audioOutputs().isEmpty())
            return false;
        const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        if (info.suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0) {
            effect_ = std::make_unique<QSoundEffect>();
            effect_->setSource(url);
        } else {
            output_ = std::make_unique<QAudioOutput>();
            player_ = std::make_unique<QMediaPlayer>();
            player_->setAudioOutput(output_.get());
            player_->setSource(url);
        }
        return true;
    }

    void Play() override
    {
        if (effect_)
            effect_->play();
        else if (player_)
            player_->play();
    }

    void Stop() override
    {
        if (effect_)
            effect_->stop();
        if (player_)
            player_->stop();
    }

    void Close() override
    {
        Stop();
        effect_.reset();
        player_.reset();
        output_.reset();
    }

    bool Playing() const override
    {
        return (effect_ && effect_->isPlaying()) ||
               (player_ && player_->playbackState() == QMediaPlayer::PlayingState);
    }

private:
    std::unique_ptr<QSoundEffect> effect_;
    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;
};
#endif

} // namespace

bool TSilentMediaPlayer::Open(const QString &fileName)
{
    return QFileInfo(fileName).isFile();
}

std::unique_ptr<IMediaPlayer> CreateMediaPlayer()
{
    if (Factory())
        return Factory()();
#ifdef ORV_HAVE_MULTIMEDIA
    return std::make_unique<TQtMediaPlayer>();
#else
    return std::make_unique<TSilentMediaPlayer>();
#endif
}

void SetMediaPlayerFactory(TMediaPlayerFactory factory)
{
    Factory() = std::move(factory);
}

namespace {

// The player of the last event sound; it goes before the application does.
std::unique_ptr<IMediaPlayer> &EventPlayer()
{
    static std::unique_ptr<IMediaPlayer> player;
    static const bool cleanup = [] {
        qAddPostRoutine([] { EventPlayer().reset(); });
        return true;
    }();
    (void)cleanup;
    return player;
}

} // namespace

void PlayEventSound(const QString &alias)
{
    const QString file = SoundEventFile(alias);
    if (file.isEmpty())
        return;
    std::unique_ptr<IMediaPlayer> &player = EventPlayer();
    if (player && player->Playing())
        return;
    player = CreateMediaPlayer();
    if (player->Open(file))
        player->Play();
}
