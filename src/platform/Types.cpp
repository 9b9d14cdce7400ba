#include "Types.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

bool IntersectRect(TRect &dst, const TRect &a, const TRect &b)
{
    dst = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
           std::min(a.Bottom, b.Bottom)};
    if (dst.IsEmpty()) {
        dst = {};
        return false;
    }
    return true;
}

bool UnionRect(TRect &dst, const TRect &a, const TRect &b)
{
    if (a.IsEmpty()) {
        dst = b;
    } else if (b.IsEmpty()) {
        dst = a;
    } else {
        dst = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom)};
    }
    if (dst.IsEmpty()) {
        dst = {};
        return false;
    }
    return true;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    long long half = std::llabs(denominator) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const long long result = (std::llabs(product) + half) / std::llabs(denominator);
    return static_cast<int>(negative ? -result : result);
}

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

TDateTime DateFromQt(const QDate &d)
{
    return static_cast<double>(kEpoch.daysTo(d));
}

TDateTime DateTimeFromQt(const QDateTime &dt)
{
    const double days = DateFromQt(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / kMsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

QDate DateToQt(TDateTime value)
{
    return kEpoch.addDays(static_cast<qint64>(std::trunc(value)));
}

QDateTime DateTimeToQt(TDateTime value)
{
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    const int ms = static_cast<int>(std::llround(fraction * kMsPerDay));
    return QDateTime(DateToQt(whole), QTime(0, 0)).addMSecs(std::min(ms, 86399999));
}

TPoint CenteredWithin(const TRect &around, int w, int h, const TRect &work)
{
    const int x = around.Left + (around.Width() - w) / 2;
    const int y = around.Top + (around.Height() - h) / 2;
    return {std::max(work.Left, std::min(x, work.Right - w)), std::max(work.Top, std::min(y, work.Bottom - h))};
}
