#include "platform/SaveFile.h"
#include "FileTestSupport.h"

#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "TestSupport.h"

#include <functional>

// Every writer on a full disk: the old file stays whole, the caller hears of it, nothing is left
// behind; once there is room the same write succeeds.
TEST(SaveFile, AFullDiskKeepsTheOldFileAndReportsFailure)
{
    const QString dir = MakeTempDir(QStringLiteral("savefile"));
    const QByteArray old = "[old]\nkept=1\n";
    // A small file stays in a write buffer until the commit; a big one goes through at once.
    const struct { qsizetype size; long long room; } disks[] = {
        {3000, 0}, {3000, 1}, {3000, 1000}, {40000, 0}, {40000, 20000}};
    // Each writer replaces its target file in its own way.
    using Write = std::function<bool(const QByteArray &)>;
    const struct { const char *label; QString target; Write write; } writers[] = {
        {"whole file", dir + "/whole.bin", [&](const auto &p) { return SaveFileBytes(dir + "/whole.bin", p); }},
        {"in pieces", dir + "/pieces.bin",
         [&](const QByteArray &p) {
             TSaveFile file(dir + "/pieces.bin");
             if (!file.Open())
                 return false;
             for (qsizetype at = 0; at < p.size(); at += 1000)
                 file.Write(p.mid(at, 1000));  // a caller that checks only the commit
             return file.Commit();
         }},
        {"settings file", dir + "/config.ini",
         [&](const QByteArray &p) {
             return TIniFile(dir + "/config.ini").WriteString("SYS", "SkinName", QString::fromLatin1(p));
         }},
        {"autostart entry", TRegistry::AutostartDir() + "/orvanta.desktop",
         [](const QByteArray &p) {
             TRegistry reg;
             reg.SetRootKey(HKEY_LOCAL_MACHINE);
             return reg.OpenKey(TRegistry::RunKey, true) && reg.WriteString("Orvanta", QString::fromLatin1(p));
         }},
    };
    for (const auto &w : writers) {
        const QString folder = QFileInfo(w.target).absolutePath();
        QDir().mkpath(folder);
        for (const auto &disk : disks) {
            SCOPED_TRACE(std::string(w.label) + " " + std::to_string(disk.size) + " bytes, room " +
                         std::to_string(disk.room));
            WriteAll(w.target, old);
            const QStringList before = QDir(folder).entryList(QDir::Files);
            bool ok;
            {
                FileSizeLimit full(disk.room);
                ok = w.write(QByteArray(disk.size, 'v'));
            }
            EXPECT_FALSE(ok);
            EXPECT_EQ(ReadAll(w.target), old);
            EXPECT_EQ(QDir(folder).entryList(QDir::Files), before);
        }
        SCOPED_TRACE(w.label);
        const QByteArray whole(40000, 'w');
        EXPECT_TRUE(w.write(whole));
        EXPECT_TRUE(ReadAll(w.target).contains(whole));
    }
}
