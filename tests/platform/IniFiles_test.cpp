#include "platform/IniFiles.h"
#include "FileTestSupport.h"
#include "TestSupport.h"

TEST(IniFile, ChangesRoundTripExactlyThroughAFreshReader)
{
    const QString path = MakeTempDir("ini") + "/config.ini";
    const struct { const char *section, *key, *value; } cases[] = {
        {"SYS", "VIEWFW", "100,80,"},
        {"SYS", "FIELDS", "3feae636c59c0260020b254bac488dcea2d15aaf5a6651eb76b9beab88d18308"},
        {"USERLABLE", "label3", "客 户"}, {"HotKey", "key", "Ctrl + Alt + X"}, {"SYS", "empty", ""},
        {"SYS", "equals", "a=b=c"},
    };
    {
        TIniFile ini(path);
        for (const auto &c : cases)
            ASSERT_TRUE(ini.WriteString(c.section, c.key, QString::fromUtf8(c.value)));
        ASSERT_TRUE(ini.WriteBool("SYS", "on", true));
        ASSERT_TRUE(ini.WriteBool("SYS", "off", false));
        ASSERT_TRUE(ini.WriteString("SYS", "inject", "x\n[EVIL]\nb=1"));
        ini.WriteString("A", "x", "1");
        ini.WriteString("A", "y", "2");
        ini.WriteString("B", "z", "3");
        // Names compare without case and keep their first spelling.
        ASSERT_TRUE(ini.WriteString("A", "SkinName", "Aluminum"));
        ASSERT_TRUE(ini.WriteString("a", "SKINNAME", "Nexos3"));
        ASSERT_TRUE(ini.DeleteKey("a", "X"));
        ASSERT_TRUE(ini.EraseSection("b"));
    }
    TIniFile reread(path);
    for (const auto &c : cases)
        EXPECT_EQ(reread.ReadString(c.section, c.key, "missing"), QString::fromUtf8(c.value)) << c.key;
    EXPECT_EQ(reread.ReadString("SYS", "on", ""), "1");
    EXPECT_EQ(reread.ReadString("SYS", "off", ""), "0");
    // A line break in a value cannot inject keys.
    EXPECT_FALSE(reread.SectionExists("EVIL"));
    EXPECT_FALSE(reread.ValueExists("SYS", "b"));
    // Deleted keys and sections stay deleted.
    EXPECT_EQ(reread.ReadSections(), QStringList({"SYS", "USERLABLE", "HotKey", "A"}));
    EXPECT_EQ(reread.ReadSection("a"), QStringList({"y", "SkinName"}));
    EXPECT_EQ(reread.ReadString("a", "skinname", ""), "Nexos3");
    EXPECT_TRUE(ReadAll(path).contains("\nSkinName=Nexos3\n"));
    EXPECT_FALSE(TIniFile(MakeTempDir("ini") + "/no/such/folder/config.ini").WriteString("SYS", "a", "b"));
}

TEST(IniFile, MissingKeysAndUnreadableNumbersGiveTheDefault)
{
    const QString path = MakeTempDir("ini") + "/config.ini";
    WriteAll(path, "\xEF\xBB\xBF[SYS]\r\nBakTime = abc \r\nExitSoft=1\r\ndaycount=-1\r\n; note\r\nnoequals\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("SYS", "BakTime", 1), 1);
    EXPECT_EQ(ini.ReadString("SYS", "BakTime", ""), "abc");
    EXPECT_EQ(ini.ReadInteger("SYS", "daycount", 2), -1);
    EXPECT_TRUE(ini.ReadBool("SYS", "ExitSoft", false));
    EXPECT_FALSE(ini.ReadBool("SYS", "missing", false));
    EXPECT_EQ(ini.ReadString("OTHER", "x", "def"), "def");
    EXPECT_FALSE(ini.ValueExists("SYS", "noequals"));
}

TEST(IniFile, GbkFilesFromTheWindowsProgramReadAndSurviveAWrite)
{
    const QString path = MakeTempDir("ini") + "/config.ini";
    WriteAll(path, "[USERLABLE]\r\nmylab3=\xBF\xCD\xBB\xA7\r\n");  // 客户 in GBK
    ASSERT_TRUE(TIniFile(path).WriteString("SYS", "SkinName", "Nexos3"));
    EXPECT_EQ(TIniFile(path).ReadString("USERLABLE", "mylab3", ""), QString::fromUtf8("客户"));
}
