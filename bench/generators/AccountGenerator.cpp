#include "AccountGenerator.h"

#include "contacts/shared/Utility.h"
#include "contacts/shared/UtilityDb.h"
#include "platform/SqliteDb.h"

#include <QStringList>
#include <random>
#include <vector>

namespace {

const char *const kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林",
    "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "欧阳", "司马"
};

const char *const kGiven[] = {
    "伟", "芳", "娜", "秀", "英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛", "明", "超",
    "霞", "平", "刚", "桂", "华", "建", "文", "玉", "兰", "红", "海", "鹏", "晨"
};

const char *const kCities[] = {"北京市朝阳区", "上海市浦东新区", "广州市天河区", "深圳市南山区", "杭州市西湖区",
                               "成都市武侯区", "南京市鼓楼区", "武汉市洪山区", "西安市雁塔区", "重庆市渝中区"};
const char *const kStreets[] = {"建国路", "人民路", "解放大道", "中山路", "长江路", "和平街", "科技园路", "滨江大道"};
const char *const kCompanies[] = {"华信科技有限公司", "东方贸易公司", "长城建设集团", "新世纪传媒", "蓝天物流",
                                  "恒通电子", "金桥投资", "第一人民医院", "实验中学", "市规划局"};
const char *const kTitles[] = {"经理", "工程师", "总监", "销售代表", "教师", "医生", "会计", "律师", "设计师", "主任"};
const char *const kGroupWords[] = {"同学", "同事", "客户", "朋友", "家人", "供应商", "校友", "邻居", "合作伙伴", "老乡"};
const char *const kTags[] = {"重要", "北京", "上海", "IT", "金融", "教育", "医疗", "待回访", "老客户", "潜在客户"};
const char *const kActivities[] = {"电话沟通", "共进午餐", "发送报价", "拜访公司", "参加会议", "寄送礼品", "邮件往来"};

class Generator
{
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int Range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Range(1, 100) <= percent; }
    template <typename T, size_t N>
    const T &Pick(const T (&items)[N]) { return items[size_t(Range(0, int(N) - 1))]; }

    QString Digits(int count)
    {
        QString out;
        for (int i = 0; i < count; ++i)
            out += QChar('0' + Range(0, 9));
        return out;
    }

    // Formatted by hand: going through local time would read the time zone file for every value.
    QString Date(int fromYear, int toYear)
    {
        const int year = Range(fromYear, toYear);
        const int month = Range(1, 12);
        return QString::asprintf("%04d-%02d-%02d", year, month, Range(1, 28));
    }

    QString DateTime(int fromYear, int toYear)
    {
        const QString date = Date(fromYear, toYear);
        const int hour = Range(8, 21);
        const int minute = Range(0, 59);
        return date + QString::asprintf(" %02d:%02d:%02d", hour, minute, Range(0, 59));
    }

private:
    std::mt19937 rng_;
};

} // namespace

GeneratedAccount GenerateAccount(const QString &path, const AccountShape &shape)
{
    if (!SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path))
        throw EDatabaseError(QStringLiteral("cannot create %1").arg(path));
    Generator g(shape.seed);
    GeneratedAccount made;
    SQLite::Database db(path, SQLite::OpenReadWrite);
    SQLite::Transaction transaction(db);

    SQLite::Statement group(db, QStringLiteral(
        "INSERT INTO userinfo (nodelevel, nodeparentkey, nodetype, nodeindex, uname, kzfield2, inserttime, updatetime) "
        "VALUES (?, ?, 1, ?, ?, '2', ?, ?)"));
    const int topGroups = std::min(shape.groups, 20);
    std::vector<qint64> groupIds;
    std::vector<int> groupLevels;
    for (int i = 0; i < shape.groups; ++i) {
        const bool top = i < topGroups;
        const int parent = top ? -1 : (i - topGroups) % topGroups;
        const QString stamp = g.DateTime(2015, 2023);
        group.Reset();
        group.BindAll({top ? 1 : 2, top ? qint64(0) : groupIds[size_t(parent)], top ? i : (i - topGroups) / topGroups,
                       QString::fromUtf8(g.Pick(kGroupWords)) + QString::number(i + 1), stamp, stamp});
        group.Exec();
        groupIds.push_back(db.LastInsertRowId());
        groupLevels.push_back(top ? 1 : 2);
    }
    made.groups = qint64(groupIds.size());

    SQLite::Statement place(db, QStringLiteral("INSERT INTO userplaces (placename) VALUES (?)"));
    QStringList tagNames;
    for (int i = 0; i < shape.tags; ++i) {
        tagNames << QString::fromUtf8(kTags[size_t(i) % std::size(kTags)]) + (i < int(std::size(kTags)) ? QString() : QString::number(i));
        place.Reset();
        place.Bind(1, tagNames.back());
        place.Exec();
    }

    SQLite::Statement contact(db, QStringLiteral(
        "INSERT INTO userinfo (nodelevel, nodeparentkey, nodetype, nodeindex, uname, ulevel, uwkaddress, uzw, unc, "
        "umtel, uxb, uwtlp, uhtlp, uemail, uqq, uhsr, udtfmt, uisalart, ujtdz, kzfield1, kzfield2, text1, text2, "
        "activenewtime, inserttime, updatetime, readcount) "
        "VALUES (?, ?, 2, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '2', ?, ?, ?, ?, ?, ?)"));
    SQLite::Statement link(db, QStringLiteral("INSERT INTO userlinkplace (keyid, placename) VALUES (?, ?)"));
    SQLite::Statement activity(db, QStringLiteral(
        "INSERT INTO useraction (useruid, linkid, titlemsg, typestr, typeint, createdate) VALUES (?, ?, ?, ?, ?, ?)"));
    QVariantList row;
    for (int i = 0; i < shape.contacts; ++i) {
        const QString given = QString::fromUtf8(g.Pick(kGiven));
        QString name = QString::fromUtf8(g.Pick(kSurnames)) + given;
        if (g.Chance(60))
            name += QString::fromUtf8(g.Pick(kGiven));
        const QString initials = PinyinInitials(name);
        const size_t parent = size_t(g.Range(0, int(groupIds.size()) - 1));
        const bool male = g.Chance(50);
        const QString pinyinMail = initials.toLower() + g.Digits(3);
        const QString address = QString::fromUtf8(g.Pick(kCities)) + QString::fromUtf8(g.Pick(kStreets))
            + QString::number(g.Range(1, 999)) + QStringLiteral("号");
        const QString birthday = g.Date(1950, 2005);
        const QString inserted = g.DateTime(2015, 2023);
        row = {groupLevels[parent] + 1,
               groupIds[parent],
               i,
               name,
               g.Range(0, 4),
               address,
               QString::fromUtf8(g.Pick(kTitles)),
               g.Chance(30) ? QStringLiteral("小") + given : QString(),
               QStringLiteral("13") + g.Digits(9),
               male ? QStringLiteral("男") : QStringLiteral("女"),
               QStringLiteral("010-") + g.Digits(8),
               g.Chance(40) ? QStringLiteral("021-") + g.Digits(8) : QString(),
               pinyinMail + QStringLiteral("@example.com"),
               g.Digits(9),
               birthday,
               g.Chance(80) ? QStringLiteral("阳历") : QStringLiteral("阴历"),
               g.Chance(30),
               QString::fromUtf8(g.Pick(kCities)) + QString::fromUtf8(g.Pick(kStreets)) + QString::number(g.Range(1, 500)),
               initials,
               pinyinMail + QStringLiteral("@mail.example.cn"),
               QString::fromUtf8(g.Pick(kCompanies)),
               g.DateTime(2023, 2024),
               inserted,
               inserted,
               g.Range(0, 30)};
        contact.Reset();
        contact.BindAll(row);
        contact.Exec();
        const qint64 keyid = db.LastInsertRowId();
        ++made.contacts;

        for (int t = g.Range(0, 2); t > 0; --t) {
            link.Reset();
            link.BindAll({keyid, tagNames[g.Range(0, int(tagNames.size()) - 1)]});
            link.Exec();
            ++made.tagLinks;
        }
        for (int a = g.Range(0, 2 * shape.activitiesPerContact); a > 0; --a) {
            const bool task = g.Chance(30);
            activity.Reset();
            activity.BindAll({keyid, 0, QString::fromUtf8(g.Pick(kActivities)) + QStringLiteral("：") + name,
                              task ? QStringLiteral("任务") : QStringLiteral("活动"), task ? 1 : 0,
                              g.DateTime(2020, 2024).left(16)});
            activity.Exec();
            ++made.activities;
        }
    }
    transaction.Commit();
    return made;
}
