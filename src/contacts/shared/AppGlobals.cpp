#include "shared/AppGlobals.h"

#include "account/AccountSession.h"

#include "shared/Utility.h"

#include "platform/AppPaths.h"
#include "platform/IniFiles.h"

#include <QFileInfo>
#include <algorithm>

QDateTime LastBackupTime;

TAppSettings &AppSettings()
{
    static TAppSettings settings;
    return settings;
}
QStringList FieldCaptions;

const QString OrvRegistryKey = QStringLiteral("SOFTWARE\\orvmain");

namespace {

// The forms that list fields walk the list in this order, so it is kept as one literal.
const char *const BuiltInCaptions =
    "text30=姓,text44=名,uname=姓名,uxb=性别,uwkaddress=工作单位,uzw=部门职务,ulevel=重要等级,"
    "umtel=移动电话,uwtlp=办公电话,uhtlp=住宅电话,field1=自定义1,field2=自定义2,uwcz=单位传真,"
    "uemail=电子邮件,text1=电子邮件2,uhtml=网页地址,uqq=QQ/MSN等,ujtdz=家庭地址,text2=办公地址,"
    "unc=昵称,uxz=星座,usx=属相,text3=民族,uxx=血型,uhsr=生日,ubyyx=毕业院校,text15=专业,"
    "uhjg=籍贯,text14=工作经历,utc=兴趣爱好,ufz=备注,text45=曾居住地,urhxr=外貌特征,"
    "uzczg=职称资格,utz=健康状况,uahht=喜好话题,text5=忌讳话题,uydah=喜欢的运动,uah=休闲喜好,"
    "text7=爱好物品,uyjsh=饮酒习惯,text11=所嗜酒类,text12=吸烟习惯,text13=所嗜烟类,"
    "text4=偏爱菜式,upacs=饮食习惯,text10=近期心愿,text9=长期心愿,text8=得意的事,"
    "text16=常提起的事,field3=自定义3,field4=自定义4,field5=自定义5,field6=自定义6,"
    "text46=特殊背景,text37=父母状况,text38=父母工作,text47=婚姻状况,upo=配偶姓名,"
    "text48=配偶学历,upoxq=配偶爱好,ujhjnr=婚纪念日,ujtcy=子女姓名,text49=子女年龄,"
    "text50=子女教育,text51=子女喜好,uzgxl=最高学历,text53=所学专业,text54=毕业时间,"
    "text17=擅长运动,text20=参加社团,text21=中学名称,text57=其它教育,text56=对学历态度,"
    "ubybz=兵役兵种,utyjx=最高军衔,text55=上学时趣事,field7=自定义7,field8=自定义8,"
    "text33=客户状态,text32=客户类型,text39=客户来源,text40=客户潜力,text31=公司声誉,"
    "text36=银行账号,text18=前一个职务,text19=公司内地位,text22=客户对自己公司的态度,"
    "text23=与周围人员业务关系,text24=客户对你公司的态度,text25=周围人员对客户的了解,"
    "text26=客户管理层以何为重,text27=其核心需求/主要需求,text28=客户眼中的关键问题,"
    "text29=你最担心的问题,field9=自定义9,field10=自定义10,field11=自定义11,field12=自定义12";

constexpr int UserLabelCount = 17;

} // namespace

int SettingNumber(const QString &text, int def, int low, int high)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok ? int(std::clamp<qlonglong>(value, low, high)) : def;
}

QString ConfigIniPath()
{
    return AppDir() + QStringLiteral("config.ini");
}

QString DefaultBackupDir()
{
    return AppDir() + QStringLiteral("data/backup/");
}

QString DefaultAlarmSoundFile()
{
    const QString relative = QStringLiteral("res/sound/DefaultAlarm.wav");
    const QString found = ResourcePath(relative);
    if (!found.isEmpty())
        return found;
    return QFileInfo(ProgramPath()).absolutePath() + '/' + relative;
}

QString PairName(const QString &pair)
{
    const qsizetype eq = pair.indexOf('=');
    return eq < 0 ? pair : pair.left(eq);
}

QString PairValue(const QString &pair)
{
    const qsizetype eq = pair.indexOf('=');
    return eq < 0 ? QString() : pair.mid(eq + 1);
}

int IndexOfPairName(const QStringList &pairs, const QString &name)
{
    for (int i = 0; i < pairs.size(); ++i) {
        if (PairName(pairs[i]).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString PairValueOf(const QStringList &pairs, const QString &name)
{
    const int i = IndexOfPairName(pairs, name);
    return i < 0 ? QString() : PairValue(pairs[i]);
}

QStringList BuildFieldCaptions(const TIniFile &ini)
{
    QStringList pairs = QString::fromUtf8(BuiltInCaptions).split(',');
    for (int n = 1; n <= UserLabelCount; ++n) {
        const QString number = QString::number(n);
        QString caption = ini.ReadString(QStringLiteral("USERLABLE"), QStringLiteral("mylab") + number,
                                         QStringLiteral("自定义") + number);
        caption.remove(' ');
        const QString name = QStringLiteral("field") + number;
        const int at = IndexOfPairName(pairs, name);
        if (at >= 0)
            pairs[at] = name + '=' + caption;
        else
            pairs << name + '=' + caption;
    }
    return pairs;
}

void ResetStartValues(const QDateTime &now)
{
    TAppSettings &settings = AppSettings();
    CurrentAccount().Forget();
    settings.AutoLogin = false;
    settings.BackupDir = DefaultBackupDir();
    settings.BackupIntervalHours = 1;
    settings.BackupKeepCount = 3;
    LastBackupTime = now;
    settings.ExitOnClose = true;
    settings.AlarmSoundFile = DefaultAlarmSoundFile();
    settings.FrequentViewCount = 5;
    settings.RecentMonths = 3;
    settings.TodayTreeDays = 2;
    settings.ShowFestivals = true;
    settings.ShowContactEvents = true;
    FieldCaptions.clear();
}

void ReadRegistrySettings()
{
    TAppSettings &settings = AppSettings();
    const auto read = [](const char *name) {
        return RegReadString(2, OrvRegistryKey, QString::fromLatin1(name));
    };
    settings.AutoLogin = read("AUTO") == QStringLiteral("1");
    CurrentAccount().Remember(read("txlfile"));
    const QString backupPath = read("BakPath");
    if (!backupPath.isEmpty())
        settings.BackupDir = backupPath.endsWith('/') ? backupPath : backupPath + '/';
    settings.BackupIntervalHours = SettingNumber(read("BakTime"), settings.BackupIntervalHours, MinBackupHours, MaxBackupHours);
    settings.BackupKeepCount = SettingNumber(read("BakCount"), settings.BackupKeepCount, MinBackupKeep, MaxBackupKeep);
}

void ReadConfigSettings(const TIniFile &ini)
{
    TAppSettings &settings = AppSettings();
    const QString sys = QStringLiteral("SYS");
    const QString user = QStringLiteral("USERSET");
    settings.ExitOnClose = ini.ReadBool(sys, QStringLiteral("ExitSoft"), true);
    settings.AlarmSoundFile = ini.ReadString(user, QStringLiteral("vidfilename"), DefaultAlarmSoundFile());
    const auto number = [&ini, &user](const char *key, int def, int low, int high) {
        return SettingNumber(ini.ReadString(user, QString::fromLatin1(key), QString()), def, low, high);
    };
    settings.FrequentViewCount = number("showcount", 5, MinViewCount, MaxViewCount);
    settings.RecentMonths = number("monthcount", 3, MinViewCount, MaxViewCount);
    // A negative count reads as the default, not as today only.
    settings.TodayTreeDays = number("daycount", 2, -1, MaxTodayTreeDays);
    if (settings.TodayTreeDays < 0)
        settings.TodayTreeDays = 2;
    settings.ShowFestivals = ini.ReadBool(sys, QStringLiteral("show1"), true);
    settings.ShowContactEvents = ini.ReadBool(sys, QStringLiteral("show2"), true);
}

QString StartSkinName(const TIniFile &ini, const QStringList &themeNames)
{
    const QString wanted =
        ini.ReadString(QStringLiteral("SYS"), QStringLiteral("SkinName"), QStringLiteral("Aluminum")).trimmed();
    for (const QString &name : themeNames) {
        if (name == wanted)
            return name;
    }
    return QStringLiteral("Aluminum");
}
