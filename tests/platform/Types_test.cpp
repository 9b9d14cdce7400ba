#include "platform/Types.h"

#include <QDateTime>
#include <gtest/gtest.h>

TEST(Types, MulDivRoundsHalfAwayFromZeroAndGuardsZero)
{
    // 7.5 -> 8, 1.67 -> 2; the last row needs a 64-bit intermediate.
    const struct { int n, num, den, expected; } cases[] = {
        {10, 3, 4, 8}, {-10, 3, 4, -8}, {5, 1, 3, 2}, {7, 0, 5, 0}, {7, 2, 0, -1}, {1000000000, 3, 4, 750000000},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MulDiv(c.n, c.num, c.den), c.expected) << c.n << "*" << c.num << "/" << c.den;
}

TEST(Types, RectEdgesAreExclusive)
{
    const TRect r = Rect(2, 3, 12, 8);
    EXPECT_EQ(QSize(r.Width(), r.Height()), QSize(10, 5));
    EXPECT_TRUE(r.Contains({2, 3}) && r.Contains({11, 7}));
    EXPECT_FALSE(r.Contains({12, 3}) || r.Contains({2, 8}));
    TRect out;
    EXPECT_FALSE(IntersectRect(out, Rect(0, 0, 5, 5), Rect(5, 0, 9, 5)));
    EXPECT_TRUE(IntersectRect(out, Rect(0, 0, 5, 5), Rect(4, 1, 9, 3)) && out == Rect(4, 1, 5, 3));
}

TEST(Types, DateTimeCountsDaysFromTheClassLibraryEpoch)
{
    EXPECT_EQ(DateFromQt(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(DateFromQt(QDate(2024, 5, 1)), 45413.0);
    // Before the epoch the time still counts forward within the day.
    const struct { QDateTime time; double days; } cases[] = {
        {QDateTime(QDate(2024, 5, 1), QTime(12, 0)), 45413.5},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25}};
    for (const auto &c : cases) {
        EXPECT_DOUBLE_EQ(DateTimeFromQt(c.time), c.days);
        EXPECT_EQ(DateTimeToQt(c.days), c.time);
    }
}
