#include "toolbar/TB2Anim.h"

#include "platform/Controls.h"
#include "platform/InputRouter.h"
#include "platform/SysParams.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

// A popup-like window that answers the animation messages and logs them.
class TAnimWindow : public TCustomControl
{
public:
    explicit TAnimWindow() : TCustomControl(nullptr) { SetBounds(200, 100, 100, 80); }
    QStringList log;
    TRect NCMargins() const override { return {3, 3, 3, 3}; }
protected:
    bool ShowsWithoutParent() const override { return true; }
    void WndProc(TMessage &m) override
    {
        if (m.Msg != WM_TB2K_ANIMATIONSTEP && m.Msg != WM_TB2K_ANIMATIONENDED)
            return TCustomControl::WndProc(m);
        log << (m.Msg == WM_TB2K_ANIMATIONSTEP ? QStringLiteral("step") : QStringLiteral("ended"));
        if (m.Msg == WM_TB2K_ANIMATIONSTEP)
            StepMenuAnimation(m);
    }
};

class TB2AnimTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetMenuAnimationClock([this] { return now; });
        TInputRouter::Instance().SetCursorPos({10, 10});
        SysParams().LayeredWindows = true;
    }
    void TearDown() override
    {
        EndMenuAnimation();
        SetMenuAnimationClock(nullptr);
        ResetSysParams();
    }
    // The pacing loop runs at the given times; then, when told, the window's queue is handled.
    void TicksAt(std::initializer_list<qint64> times, bool deliver = true)
    {
        for (qint64 t : times) {
            now = t;
            MenuAnimationTick();
        }
        if (deliver)
            Deliver();
    }
    void Deliver() { QCoreApplication::sendPostedEvents(&window, 0); }
    qint64 now = 1000;
    TAnimWindow window;
};

TEST_F(TB2AnimTest, FadeStepsAreCoalescedAndEndWithTheTimeOrThePointer)
{
    StartMenuAnimation(&window, true, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.AlphaBlendValue(), 40);
    // Three passes before the window gets to its queue: one step message, at the latest step.
    TicksAt({1020, 1040, 1060});
    EXPECT_EQ(window.log, QStringList{"step"});
    EXPECT_EQ(window.AlphaBlendValue(), 60 * 255 / 175 + 40);
    TicksAt({1080});
    EXPECT_EQ(window.log.size(), 2);
    // Past full opacity (step 255) the loop ends; the last step restores the window.
    TicksAt({1150});
    EXPECT_EQ(window.log, (QStringList{"step", "step", "step", "ended"}));
    EXPECT_EQ(window.AlphaBlendValue(), 255);
    EXPECT_EQ(MenuAnimationWindow(), nullptr);
    // Again, until the pointer enters the window: the pending step and the last one both arrive,
    // and the first already ends the fade.
    window.log.clear();
    StartMenuAnimation(&window, true, 0);
    TicksAt({1170}, false);
    TInputRouter::Instance().SetCursorPos({200 + 3 + 5, 100 + 3 + 5});
    TicksAt({1180});
    EXPECT_EQ(window.log, (QStringList{"step", "ended", "step"}));
    EXPECT_EQ(window.AlphaBlendValue(), 255);
    EXPECT_EQ(MenuAnimationWindow(), nullptr);
}

// Each slide also ends the fade of another window that was still running.
TEST_F(TB2AnimTest, SlideUncoversTheWindowTowardItsDirection)
{
    TAnimWindow other;
    // The offset of the visible part at step 127.
    const struct { unsigned direction; QPoint half; } cases[] = {
        {4, {0, -40}}, {8, {0, 40}}, {2, {-50, 0}}, {1 | 4, {50, -40}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.direction);
        window.log.clear();
        now = 1000;
        other.log.clear();
        StartMenuAnimation(&other, true, 0);
        StartMenuAnimation(&window, false, c.direction);
        EXPECT_EQ(other.log, QStringList{"ended"});
        EXPECT_EQ(other.AlphaBlendValue(), 255);
        ASSERT_TRUE(window.WindowRegion());
        EXPECT_FALSE(window.WindowRegion()->intersects(window.rect()));
        TicksAt({1075});  // step 127
        EXPECT_EQ(window.WindowRegion()->boundingRect(), window.rect().translated(c.half));
        TicksAt({1150});
        EXPECT_EQ(window.log, (QStringList{"step", "step", "ended"}));
        EXPECT_FALSE(window.WindowRegion());
    }
}

// Without a compositor a fade would show a black or an opaque window: the window slides in
// from its direction instead, or, with none, is simply shown and uncovered by its last step.
TEST_F(TB2AnimTest, FadeWithoutLayeredWindowsSlides)
{
    SysParams().LayeredWindows = false;
    StartMenuAnimation(&window, true, 4);
    EXPECT_EQ(window.AlphaBlendValue(), 255) << "never transparent";
    ASSERT_TRUE(window.WindowRegion());
    TicksAt({1075});
    EXPECT_EQ(window.WindowRegion()->boundingRect(), window.rect().translated(0, -40));
    EXPECT_EQ(window.AlphaBlendValue(), 255);
    TicksAt({1150});
    EXPECT_FALSE(window.WindowRegion());
    EXPECT_EQ(MenuAnimationWindow(), nullptr);
}

} // namespace
