#include "platform/MediaPlayer.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString MakeFile(const QString &folder, const QString &name)
{
    const QString path = folder + '/' + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("RIFF");
    return path;
}

} // namespace

TEST(MediaPlayer, OpensOnlyRegularFiles)
{
    const QString folder = MakeTempDir("media");
    const QString wav = MakeFile(folder, "a.wav");
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
        if (!c.silentOpens)
            EXPECT_FALSE(desktop->Open(c.path)) << c.path.toStdString();
    }
    desktop->Close();
}
