#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

class TIniFile;

// Process-wide state shared by every form. The data root itself is AppDir() of the platform
// layer; everything here is filled once at start-up and changed by the account and settings
// commands.
extern QDateTime LastBackupTime;

// The settings of config.ini and the registry as the program uses them: read at start, written
// by the settings dialog, read by everything else through AppSettings().
struct TAppSettings {
    bool AutoLogin = false;        // shown by the settings dialog only
    QString BackupDir;             // always ends in "/"
    int BackupIntervalHours = 1;
    int BackupKeepCount = 3;
    bool ExitOnClose = true;       // the close box ends the program
    QString AlarmSoundFile;
    int FrequentViewCount = 5;
    int RecentMonths = 3;
    int TodayTreeDays = 2;
    bool ShowFestivals = true;
    bool ShowContactEvents = true;
};

TAppSettings &AppSettings();

// The ranges the settings dialog offers. The settings files can be edited by hand, and a number
// outside these would size lists and loops (a day count of 2^31 exhausts memory), so every
// number read from them is kept inside its range.
inline constexpr int MaxTodayTreeDays = 6;  // "1".."7" days, stored as 0..6
inline constexpr int MinViewCount = 1;      // showcount, monthcount
inline constexpr int MaxViewCount = 100;
inline constexpr int MinBackupHours = 1;
inline constexpr int MaxBackupHours = 48;
inline constexpr int MinBackupKeep = 1;
inline constexpr int MaxBackupKeep = 5;

// A number from a settings text: `def` when the text is no number, else clamped to [low, high].
int SettingNumber(const QString &text, int def, int low, int high);

// Column captions of userinfo as "column=caption" pairs, in the order the field lists show them.
extern QStringList FieldCaptions;

// The registry key of the program's own values under HKEY_CURRENT_USER.
extern const QString OrvRegistryKey;

QString ConfigIniPath();          // AppDir() + "config.ini"
QString DefaultBackupDir();       // AppDir() + "data/backup/"
QString DefaultAlarmSoundFile();  // the sound shipped beside the program

// The 99 built-in pairs, then the user labels [USERLABLE] mylab1..mylab17 merged in: blanks
// removed, field1..field12 replaced in place, the others appended.
QStringList BuildFieldCaptions(const TIniFile &ini);

// Name/value access to "name=value" lists, as the field lists use them.
QString PairName(const QString &pair);
QString PairValue(const QString &pair);
int IndexOfPairName(const QStringList &pairs, const QString &name);
QString PairValueOf(const QStringList &pairs, const QString &name);

// Start values of the variables, in the order start-up reads them.
void ResetStartValues(const QDateTime &now);
void ReadRegistrySettings();                  // SOFTWARE\orvmain
void ReadConfigSettings(const TIniFile &ini); // config.ini: ExitSoft, [USERSET], show1/show2

// The theme named by [SYS] SkinName (trimmed) when it is one of the known names, else "Aluminum".
QString StartSkinName(const TIniFile &ini, const QStringList &themeNames);
