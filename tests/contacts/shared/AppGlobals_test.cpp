#include "contacts/account/AccountSession.h"
#include "contacts/shared/AppGlobals.h"
#include "contacts/shared/Utility.h"

#include "TestSupport.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class StartSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureDir(AppDir());
        QFile::remove(ConfigIniPath());
        QFile::remove(TRegistry::StorePath());
        ResetStartValues(QDateTime(QDate(2024, 5, 1), QTime(8, 0)));
    }
    void TearDown() override
    {
        QFile::remove(ConfigIniPath());
        QFile::remove(TRegistry::StorePath());
    }
};

} // namespace

// Every column appears once; user labels replace the default caption in place, without blanks.
TEST_F(StartSettings, FieldCaptionsAndUserLabels)
{
    TIniFile ini(ConfigIniPath());
    const QStringList plain = BuildFieldCaptions(ini);
    ASSERT_NE(IndexOfPairName(plain, "field3"), -1);
    ASSERT_FALSE(PairValueOf(plain, "field4").isEmpty());
    QSet<QString> names;
    for (const QString &pair : plain)
        names.insert(PairName(pair));
    EXPECT_EQ(names.size(), plain.size());
    EXPECT_EQ(IndexOfPairName(plain, "nosuch"), -1);
    ASSERT_TRUE(ini.WriteString("USERLABLE", "mylab3", " 客 户 "));
    const QStringList labelled = BuildFieldCaptions(ini);
    ASSERT_EQ(labelled.size(), plain.size());
    EXPECT_EQ(IndexOfPairName(labelled, "FIELD3"), IndexOfPairName(plain, "field3"));
    EXPECT_EQ(PairValueOf(labelled, "field3"), QStringLiteral("客户"));
    EXPECT_EQ(PairValueOf(labelled, "field4"), PairValueOf(plain, "field4"));
}

TEST_F(StartSettings, ConfigValuesAndTheirDefaults)
{
    // value nullptr: key absent
    const struct { const char *section, *key, *value; std::function<bool()> holds; } cases[] = {
        {"USERSET", "daycount", nullptr, [] { return AppSettings().TodayTreeDays == 2; }},
        {"USERSET", "daycount", "-1", [] { return AppSettings().TodayTreeDays == 2; }},
        {"USERSET", "daycount", "0", [] { return AppSettings().TodayTreeDays == 0; }},
        {"USERSET", "daycount", "6", [] { return AppSettings().TodayTreeDays == 6; }},
        // Hand-edited numbers stay inside the settings dialog's ranges.
        {"USERSET", "daycount", "2147483647", [] { return AppSettings().TodayTreeDays == 6; }},
        {"USERSET", "daycount", "99999999999", [] { return AppSettings().TodayTreeDays == 6; }},
        {"USERSET", "showcount", "0", [] { return AppSettings().FrequentViewCount == 1; }},
        {"USERSET", "showcount", "100000", [] { return AppSettings().FrequentViewCount == 100; }},
        {"USERSET", "monthcount", "-5", [] { return AppSettings().RecentMonths == 1; }},
        {"USERSET", "showcount", nullptr, [] { return AppSettings().FrequentViewCount == 5; }},
        {"USERSET", "showcount", "12", [] { return AppSettings().FrequentViewCount == 12; }},
        {"USERSET", "monthcount", "abc", [] { return AppSettings().RecentMonths == 3; }},
        {"SYS", "ExitSoft", nullptr, [] { return AppSettings().ExitOnClose; }},
        {"SYS", "ExitSoft", "0", [] { return !AppSettings().ExitOnClose; }},
        {"SYS", "show1", "0", [] { return !AppSettings().ShowFestivals && AppSettings().ShowContactEvents; }},
        {"SYS", "show2", "0", [] { return AppSettings().ShowFestivals && !AppSettings().ShowContactEvents; }},
        {"USERSET", "vidfilename", nullptr, [] { return AppSettings().AlarmSoundFile.endsWith("res/sound/DefaultAlarm.wav"); }},
        {"USERSET", "vidfilename", "/tmp/ding.wav", [] { return AppSettings().AlarmSoundFile == "/tmp/ding.wav"; }},
    };
    for (const auto &c : cases) {
        QFile::remove(ConfigIniPath());
        TIniFile ini(ConfigIniPath());
        ASSERT_TRUE(!c.value || ini.WriteString(c.section, c.key, c.value));
        ResetStartValues(QDateTime::currentDateTime());
        ReadConfigSettings(ini);
        EXPECT_TRUE(c.holds()) << c.section << "/" << c.key << "=" << (c.value ? c.value : "(absent)");
    }
}

TEST_F(StartSettings, RegistryValuesAndTheirDefaults)
{
    // value nullptr: absent
    const struct { const char *name, *value; std::function<bool()> holds; } cases[] = {
        {"BakTime", nullptr, [] { return AppSettings().BackupIntervalHours == 1; }},
        {"BakTime", "12", [] { return AppSettings().BackupIntervalHours == 12; }},
        {"BakCount", "", [] { return AppSettings().BackupKeepCount == 3; }},
        {"BakCount", "2x", [] { return AppSettings().BackupKeepCount == 3; }},
        {"BakTime", "0", [] { return AppSettings().BackupIntervalHours == 1; }},
        {"BakTime", "100000", [] { return AppSettings().BackupIntervalHours == 48; }},
        {"BakCount", "2147483647", [] { return AppSettings().BackupKeepCount == 5; }},
        {"BakCount", "-3", [] { return AppSettings().BackupKeepCount == 1; }},
        {"BakPath", "", [] { return AppSettings().BackupDir == DefaultBackupDir(); }},
        {"BakPath", "/srv/bak", [] { return AppSettings().BackupDir == "/srv/bak/"; }},
        {"BakPath", "/srv/bak/", [] { return AppSettings().BackupDir == "/srv/bak/"; }},
        {"AUTO", "1", [] { return AppSettings().AutoLogin; }},
        {"AUTO", "yes", [] { return !AppSettings().AutoLogin; }},
        {"txlfile", "/data/a.txl", [] { return CurrentAccount().Path() == "/data/a.txl"; }},
    };
    for (const auto &c : cases) {
        QFile::remove(TRegistry::StorePath());
        ASSERT_TRUE(!c.value || RegWriteString(2, OrvRegistryKey, c.name, c.value));
        ResetStartValues(QDateTime::currentDateTime());
        ReadRegistrySettings();
        EXPECT_TRUE(c.holds()) << c.name << "=" << (c.value ? c.value : "(absent)");
    }
    // Reading leaves every value behind, empty when it was missing.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(OrvRegistryKey, false));
    EXPECT_TRUE(reg.ValueExists(QStringLiteral("BakPath")));
    EXPECT_TRUE(reg.ValueExists(QStringLiteral("AUTO")));
}

TEST_F(StartSettings, SkinNameFromConfig)
{
    const QStringList themes = {"Default", "Aluminum", "Nexos3", "Nexos5", "Office2003", "SentimoX"};
    const struct { const char *stored, *chosen; } cases[] = {  // stored nullptr: absent
        {nullptr, "Aluminum"}, {" Nexos3 ", "Nexos3"}, {"Bogus", "Aluminum"},
        {"SentimoX", "SentimoX"}, {"", "Aluminum"}, {"Default", "Default"},
    };
    for (const auto &c : cases) {
        QFile::remove(ConfigIniPath());
        TIniFile ini(ConfigIniPath());
        ASSERT_TRUE(!c.stored || ini.WriteString("SYS", "SkinName", c.stored));
        EXPECT_EQ(StartSkinName(ini, themes), QString::fromLatin1(c.chosen)) << (c.stored ? c.stored : "(absent)");
    }
}
