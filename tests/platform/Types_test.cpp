#include "platform/Types.h"

#include <QDateTime>
#include <gtest/gtest.h>

TEST(Types, MulDivRoundsHalfAwayFromZeroAndGuardsZero)
{
    const struct { int n, num, den, expected; } cases[] = {
        {10, 3, 4, 8},      // 7.5 -> 8
        {-10, 3, 4, -8},
        {5, 1, 3, 2},       // 1.67 -> 2
        {7, 0, 5, 0}, {7, 2, 0, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MulDiv(c.n, c.num, c.den), c.expected) << c.n << "*" << c.num << "/" << c.den;
    EXPECT_EQ(MulDiv(1000000000, 3, 4), 750000000);  // 64-bit intermediate
}

TEST(Types, RectEdgesAreExclusive)
{
    const TRect r = Rect(2, 3, 12, 8);
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.Height(), 5);
    EXPECT_TRUE(r.Contains({2, 3}));
    EXPECT_FALSE(r.Contains({12, 3}));
    EXPECT_FALSE(r.Contains({2, 8}));
    EXPECT_EQ(TRect::FromQRect(r.ToQRect()), r);
    TRect out;
    EXPECT_FALSE(IntersectRect(out, Rect(0, 0, 5, 5), Rect(5, 0, 9, 5)));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_TRUE(IntersectRect(out, Rect(0, 0, 5, 5), Rect(4, 1, 9, 3)));
    EXPECT_EQ(out, Rect(4, 1, 5, 3));
}

TEST(Types, DateTimeCountsDaysFromTheClassLibraryEpoch)
{
    EXPECT_EQ(DateFromQt(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(DateFromQt(QDate(2024, 5, 1)), 45413.0);
    const QDateTime noon(QDate(2024, 5, 1), QTime(12, 0));
    EXPECT_DOUBLE_EQ(DateTimeFromQt(noon), 45413.5);
    EXPECT_EQ(DateTimeToQt(45413.5), noon);
    // Before the epoch the time still counts forward within the day.
    const QDateTime early(QDate(1899, 12, 29), QTime(6, 0));
    EXPECT_DOUBLE_EQ(DateTimeFromQt(early), -1.25);
    EXPECT_EQ(DateTimeToQt(-1.25), early);
}
