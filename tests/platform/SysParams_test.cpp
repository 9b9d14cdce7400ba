#include "platform/Registry.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

// Leaves the system table as it found it.
struct SysParamsTest : ::testing::Test {
    void TearDown() override { ResetSysParams(); }
};

TEST_F(SysParamsTest, ScreensComeFromQtUnlessTheTableNamesThem)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(PrimaryMonitorRect(false), TRect::FromQRect(screen->geometry()));
    EXPECT_EQ(PrimaryMonitorRect(true), TRect::FromQRect(screen->availableGeometry()));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen->geometry().width());
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), int(QGuiApplication::screens().size()));
    EXPECT_EQ(GetSystemMetrics(12345), 0);
}

TEST_F(SysParamsTest, MonitorLookupByPointAndRectangle)
{
    SysParams().Monitors = {{Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 740)},
                            {Rect(1024, 0, 2048, 768), Rect(1024, 28, 2048, 768)}};
    EXPECT_EQ(MonitorCount(), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(PrimaryMonitorRect(true), Rect(0, 0, 1024, 740));
    const struct { TPoint point; TRect expected; } byPoint[] = {
        {Point(10, 10), Rect(0, 0, 1024, 740)}, {Point(1023, 767), Rect(0, 0, 1024, 740)},
        {Point(1024, 0), Rect(1024, 28, 2048, 768)}, {Point(-50, -50), Rect(0, 0, 1024, 740)},
        {Point(3000, 10), Rect(1024, 28, 2048, 768)}};  // the last: the nearest
    for (const auto &c : byPoint)
        EXPECT_EQ(MonitorRectFromPoint(c.point, true), c.expected) << c.point.X << "," << c.point.Y;
    EXPECT_EQ(MonitorRectFromPoint(Point(1500, 5), false), Rect(1024, 0, 2048, 768));
    // The larger share decides; outside both, the nearest to the centre.
    EXPECT_EQ(MonitorRectFromRect(Rect(1000, 0, 1100, 100), false), Rect(1024, 0, 2048, 768));
    EXPECT_EQ(MonitorRectFromRect(Rect(900, 0, 1030, 100), false), Rect(0, 0, 1024, 768));
    EXPECT_EQ(MonitorRectFromRect(Rect(2100, 10, 2200, 50), false), Rect(1024, 0, 2048, 768));
}

} // namespace

TEST_F(SysParamsTest, MenuShowDelayFromTheDesktopSetting)
{
    // No value stored (nullptr): the default.
    const struct { const char *stored; int delay; } cases[] = {
        {nullptr, 400}, {"250", 250}, {"abc", 0}, {"-5", 0}, {"", 0}};
    for (const auto &c : cases) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Control Panel\\Desktop", true));
        if (c.stored)
            reg.WriteString("MenuShowDelay", QString::fromLatin1(c.stored));
        else
            reg.DeleteValue("MenuShowDelay");
        EXPECT_EQ(GetMenuShowDelay(), c.delay) << (c.stored ? c.stored : "(none)");
    }
    SysParams().MenuShowDelay = 0;
    EXPECT_EQ(GetMenuShowDelay(), 0);
    EXPECT_FALSE(IsSoundEventConfigured("MenuPopup"));
}

TEST(SysColors, SystemColoursResolveAndOthersPassThrough)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(QRgbToColor(ColorToQRgb(clHighlight)), GetSysColor(COLOR_HIGHLIGHT));
    // Numbers beyond the table are black.
    EXPECT_EQ(GetSysColor(31), 0);
    EXPECT_EQ(GetSysColor(-1), 0);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);
    for (TColor c : {RGB(1, 2, 3), clNone, clDefault})
        EXPECT_EQ(ColorToRGB(c), c);
    EXPECT_EQ(ColorToQRgb(RGB(0x11, 0x22, 0x33)), 0xFF112233u);
    EXPECT_EQ(QRgbToColor(0x80112233u), RGB(0x11, 0x22, 0x33));
}

TEST_F(SysParamsTest, MenuAnimationAndFadeFromTheDesktopSetting)
{
    // nullptr: no value stored; a new desktop animates menus by fading them.
    const struct { const char *stored; bool on; } cases[] = {{nullptr, true}, {"1", true}, {"0", false}, {"off", false}};
    for (const auto &c : cases) {
        for (const QString &name : {QStringLiteral("MenuAnimation"), QStringLiteral("MenuFade")}) {
            TRegistry reg;
            ASSERT_TRUE(reg.OpenKey("Control Panel\\Desktop", true));
            if (c.stored)
                reg.WriteString(name, QString::fromLatin1(c.stored));
            else
                reg.DeleteValue(name);
        }
        EXPECT_EQ(std::pair(GetMenuAnimation(), GetMenuFade()), std::pair(c.on, c.on)) << (c.stored ? c.stored : "(none)");
    }
    // The table's entries, when set, stand for the desktop.
    SysParams().MenuAnimation = true;
    SysParams().MenuFade = false;
    EXPECT_EQ(std::pair(GetMenuAnimation(), GetMenuFade()), std::pair(true, false));
    SysParams().LayeredWindows = false;
    EXPECT_FALSE(LayeredWindowsAvailable());
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Control Panel\\Desktop", false));
    reg.DeleteValue("MenuAnimation");
    reg.DeleteValue("MenuFade");
}
