#include "platform/MediaPlayer.h"

#include "FileTestSupport.h"
#include "TestSupport.h"

TEST(MediaPlayer, OpensOnlyRegularFiles)
{
    const QString folder = MakeTempDir("media");
    const QString wav = folder + "/a.wav";
    WriteAll(wav, "RIFF");
    QDir().mkpath(folder + "/dir.wav");
    QFile::link(wav, folder + "/link.wav");
    QFile::link(folder + "/nothing.wav", folder + "/dangling.wav");
    const struct { QString path; bool silentOpens; } cases[] = {
        {wav, true}, {folder + "/link.wav", true}, {folder + "/dir.wav", false},
        {folder + "/dangling.wav", false}, {folder + "/missing.wav", false}, {QString(), false},
    };
    std::unique_ptr<IMediaPlayer> desktop = CreateMediaPlayer();
    for (const auto &c : cases) {
        TSilentMediaPlayer silent;
        EXPECT_EQ(silent.Open(c.path), c.silentOpens) << c.path.toStdString();
        // The desktop's player refuses what is not a file before it asks for any device.
        EXPECT_TRUE(c.silentOpens || !desktop->Open(c.path)) << c.path.toStdString();
    }
}
