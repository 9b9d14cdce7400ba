#include "platform/IniFiles.h"
#include "platform/Registry.h"

#include <QFileInfo>
#include <QUuid>
#include <gtest/gtest.h>

TEST(Registry, ValuesPersistPerRootAndKeyAndMissingKeysOpenOnlyWhenCreating)
{
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey("SOFTWARE\\orvmain", true));
        ASSERT_TRUE(reg.WriteString("txlfile", "/home/u/data/a.txl"));
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("SOFTWARE\\orvmain", true));
        ASSERT_TRUE(reg.WriteString("txlfile", "other"));
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\software\\ORVMAIN\\", false));
    EXPECT_EQ(reg.ReadString("TXLFILE"), "/home/u/data/a.txl");
    EXPECT_TRUE(reg.ValueExists("txlfile"));
    ASSERT_TRUE(reg.DeleteValue("txlfile"));
    EXPECT_FALSE(reg.ValueExists("txlfile"));
    EXPECT_EQ(reg.ReadString("txlfile"), "");
    const QString key = "SOFTWARE\\nothing-here-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_FALSE(reg.OpenKey(key, false));
    EXPECT_FALSE(reg.WriteString("a", "b"));
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.CloseKey();
    EXPECT_TRUE(reg.OpenKey(key, false));
}

TEST(Registry, RunKeyIsAnAutostartEntryWithTheEscapedProgram)
{
    const struct { const char *program, *exec; } cases[] = {  // exec as it stands in the file
        {"/opt/my apps/orvanta", "\"/opt/my apps/orvanta\""}, {"/opt/100%/o$x", "\"/opt/100%%/o\\\\$x\""},
        {"/opt/a\"b`c\\d", "\"/opt/a\\\\\"b\\\\`c\\\\\\\\d\""},
    };
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(TRegistry::RunKey, true));
    for (const auto &c : cases) {
        ASSERT_TRUE(reg.WriteString("Orvanta", QString::fromUtf8(c.program)));
        TIniFile entry(TRegistry::AutostartDir() + "/orvanta.desktop");
        EXPECT_EQ(entry.ReadString("Desktop Entry", "Exec", ""), QString::fromUtf8(c.exec)) << c.program;
        EXPECT_EQ(entry.ReadString("Desktop Entry", "Type", ""), "Application");
        EXPECT_EQ(reg.ReadString("Orvanta"), QString::fromUtf8(c.program));
        EXPECT_TRUE(reg.ValueExists("Orvanta"));
    }
    ASSERT_TRUE(reg.DeleteValue("Orvanta"));
    EXPECT_FALSE(QFileInfo::exists(TRegistry::AutostartDir() + "/orvanta.desktop"));
    EXPECT_FALSE(reg.ValueExists("Orvanta"));
}
