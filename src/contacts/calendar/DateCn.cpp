#include "calendar/DateCn.h"

#include "calendar/ChDateTo.h"

#include <array>
#include <cstdlib>

namespace {

constexpr int FirstYear = 1901;
constexpr int LastYear = 2050;
constexpr int RecordMonths = 16;

// The planner asks for a caption per cell on every paint, so the texts are built once and
// handed out as shared copies: a call allocates nothing.
const std::array<QString, 24> &TermNames()
{
    static const std::array<QString, 24> names = {
        QStringLiteral("小寒"), QStringLiteral("大寒"), QStringLiteral("立春"), QStringLiteral("雨水"),
        QStringLiteral("惊蛰"), QStringLiteral("春分"), QStringLiteral("清明"), QStringLiteral("谷雨"),
        QStringLiteral("立夏"), QStringLiteral("小满"), QStringLiteral("芒种"), QStringLiteral("夏至"),
        QStringLiteral("小暑"), QStringLiteral("大暑"), QStringLiteral("立秋"), QStringLiteral("处暑"),
        QStringLiteral("白露"), QStringLiteral("秋分"), QStringLiteral("寒露"), QStringLiteral("霜降"),
        QStringLiteral("立冬"), QStringLiteral("小雪"), QStringLiteral("大雪"), QStringLiteral("冬至"),
    };
    return names;
}

const std::array<QString, 12> &MonthNames()
{
    static const std::array<QString, 12> names = {
        QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"), QStringLiteral("四"),
        QStringLiteral("五"), QStringLiteral("六"), QStringLiteral("七"), QStringLiteral("八"),
        QStringLiteral("九"), QStringLiteral("十"), QStringLiteral("冬"), QStringLiteral("腊"),
    };
    return names;
}

const std::array<QString, 30> &DayNames()
{
    static const std::array<QString, 30> names = {
        QStringLiteral("初一"), QStringLiteral("初二"), QStringLiteral("初三"), QStringLiteral("初四"),
        QStringLiteral("初五"), QStringLiteral("初六"), QStringLiteral("初七"), QStringLiteral("初八"),
        QStringLiteral("初九"), QStringLiteral("初十"), QStringLiteral("十一"), QStringLiteral("十二"),
        QStringLiteral("十三"), QStringLiteral("十四"), QStringLiteral("十五"), QStringLiteral("十六"),
        QStringLiteral("十七"), QStringLiteral("十八"), QStringLiteral("十九"), QStringLiteral("二十"),
        QStringLiteral("廿一"), QStringLiteral("廿二"), QStringLiteral("廿三"), QStringLiteral("廿四"),
        QStringLiteral("廿五"), QStringLiteral("廿六"), QStringLiteral("廿七"), QStringLiteral("廿八"),
        QStringLiteral("廿九"), QStringLiteral("三十"),
    };
    return names;
}

struct MonthTexts {
    std::array<QString, 12> ordinary;
    std::array<QString, 12> leap;
};

const MonthTexts &MonthTextTable()
{
    static const MonthTexts texts = [] {
        MonthTexts t;
        for (int i = 0; i < 12; ++i) {
            t.ordinary[i] = MonthNames()[i] + QStringLiteral("月");
            t.leap[i] = QStringLiteral("闰") + MonthNames()[i];
        }
        return t;
    }();
    return texts;
}

QString MonthTextOf(int lunarDate)
{
    const int month = std::abs(lunarDate) / 100;
    if (month < 1 || month > 12)
        return {};
    const MonthTexts &texts = MonthTextTable();
    return lunarDate < 0 ? texts.leap[month - 1] : texts.ordinary[month - 1];
}

QString DayNameOf(int lunarDate)
{
    const int day = std::abs(lunarDate) % 100;
    if (day < 1 || day > 30)
        return {};
    return DayNames()[day - 1];
}

int Encode(int month, int day)
{
    return month > 0 ? month * 100 + day : month * 100 - day;
}

int DayOfYear(int year, int month, int day)
{
    return MonthStartTable[IsGregorianLeapYear(year) ? 1 : 0][month - 1] + day;
}

int SolarToLunar(int year, int month, int day)
{
    if (year < FirstYear || year > LastYear)
        return 0;
    const unsigned char *record = LunarYearTable[year - FirstYear];
    const int dayIndex = DayOfYear(year, month, day) - 1;
    // Only the first month of a record can be a leap month the record does not name (1 January
    // 2034 lies in the leap eleventh month of 2033); the last day of the year before tells.
    const int lastIndexOfFirstMonth = (record[1] & 0x80 ? 30 : 29) - (record[0] & 0x7F);
    bool firstIsLeap = false;
    if (dayIndex <= lastIndexOfFirstMonth && year > FirstYear)
        firstIsLeap = SolarToLunar(year - 1, 12, 31) < 0;
    return LunarDateInRecord(record, dayIndex, firstIsLeap);
}

} // namespace

int LunarDateInRecord(const unsigned char *record, int dayIndex, bool firstIsLeap)
{
    if (dayIndex < 0)
        return 0;
    const unsigned word = (unsigned(record[1]) << 8) | record[2];
    const int leap = record[3];
    int lengths[RecordMonths];
    for (int i = 0; i < RecordMonths; ++i)
        lengths[i] = word & (1u << (15 - i)) ? 30 : 29;

    // Month numbers of the record; a leap month carries its number negated. Month 12 is
    // followed by month 1 whether or not a leap twelfth month came between.
    int months[RecordMonths + 1];
    months[0] = record[0] & 0x80 ? 12 : 11;
    for (int i = 0; i < RecordMonths; ++i) {
        if (months[i] == leap)
            months[i + 1] = -leap;
        else if (months[i] < 0)
            months[i + 1] = -months[i] % 12 + 1;
        else
            months[i + 1] = months[i] % 12 + 1;
    }

    const int firstDay = record[0] & 0x7F;
    if (dayIndex > lengths[0] - firstDay) {
        int passed = lengths[0] - firstDay;
        int k = 1;
        while (k < RecordMonths - 1 && dayIndex > passed + lengths[k])
            passed += lengths[k++];
        // A record too short for the day must not make the walk read past its months.
        if (dayIndex > passed + lengths[k])
            return 0;
        return Encode(months[k], dayIndex - passed);
    }
    return Encode(firstIsLeap ? -months[0] : months[0], firstDay + dayIndex);
}

int DayOfYear(const QDate &date)
{
    if (!date.isValid())
        return 0;
    int year, month, day;
    date.getDate(&year, &month, &day);
    return DayOfYear(year, month, day);
}

int SolarToLunar(const QDate &date)
{
    if (!date.isValid())
        return 0;
    int year, month, day;
    date.getDate(&year, &month, &day);
    return SolarToLunar(year, month, day);
}

int LunarMonth(const QDate &date)
{
    return std::abs(SolarToLunar(date)) / 100;
}

int LunarDay(const QDate &date)
{
    return std::abs(SolarToLunar(date)) % 100;
}

QString LunarMonthText(const QDate &date)
{
    return MonthTextOf(SolarToLunar(date));
}

QString LunarDayName(const QDate &date)
{
    return DayNameOf(SolarToLunar(date));
}

int SolarTerm(int year, int month, int day)
{
    // The month indexes into the year's row; one outside 1..12 would read another year's terms.
    if (year < FirstYear || year > LastYear || month < 1 || month > 12)
        return 0;
    const unsigned char terms = SolarTermTable[(year - FirstYear) * 12 + month - 1];
    const int termDay = day < 15 ? 15 - (terms >> 4) : 15 + (terms & 0x0F);
    if (day != termDay)
        return 0;
    return day <= 15 ? month * 2 - 1 : month * 2;
}

void LunarDayText(const QDate &date, int &kind, QString &text)
{
    kind = LunarTextTerm;
    int year = 0, month = 0, day = 0;
    if (date.isValid())
        date.getDate(&year, &month, &day);
    const int term = SolarTerm(year, month, day);
    if (term >= 1 && term <= 24) {
        text = TermNames()[term - 1];
        return;
    }
    const int lunarDate = SolarToLunar(year, month, day);
    if (std::abs(lunarDate) % 100 == 1) {
        kind = LunarTextMonth;
        text = MonthTextOf(lunarDate);
    } else {
        kind = LunarTextDay;
        text = DayNameOf(lunarDate);
    }
}
