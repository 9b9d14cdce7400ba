#include "contacts/main/MakerLinks.h"
#include "contacts/main/about.h"
#include "contacts/main/setdate.h"

#include "TestSupport.h"
#include "platform/SysColors.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class TimedShutdown : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.now = QDateTime(QDate(2025, 6, 7), QTime(21, 0));
        SetClock(&clock);
        form = std::make_unique<Tfrmsetdate>();
    }
    void TearDown() override { form.reset(), SetClock(nullptr); }

    void Arm(const QTime &at) { form->DateTimePicker1->setTime(at), form->CheckBox2->click(); }

    // One tick of the half-second timer at the given time, as the running timer would deliver
    // it: a stopped timer does not tick.
    void TickAt(const QTime &time)
    {
        clock.now = QDateTime(clock.now.date(), time);
        if (form->Timerclose->isActive())
            form->TimercloseTimer();
    }

    FakeClock clock;
    std::unique_ptr<Tfrmsetdate> form;
};

} // namespace

// The armed second acts once, even with the window hidden and the loop stalled across it, but a
// machine waking long after it does not act. Unless told not to, it asks first.
TEST_F(TimedShutdown, TheArmedSecondActsOnceEvenHidden)
{
    using A = TPowerAction;
    const std::vector<QTime> onTime{QTime(21, 59, 59, 600), QTime(22, 0, 0, 100), QTime(22, 0, 0, 600)};
    const auto off = &Tfrmsetdate::RadioButton1, reboot = &Tfrmsetdate::RadioButton2;
    const auto logOff = &Tfrmsetdate::RadioButton3;
    const struct {
        const char *name;
        std::vector<QTime> ticks;
        QRadioButton *Tfrmsetdate::*button;
        const char *question;  // nullptr: acts without asking
        MsgResult answer;
        std::vector<A> acts;
    } cases[] = {
        {"on time", onTime, off, nullptr, {}, {A::PowerOff}},
        {"stalled loop", {QTime(21, 59, 58, 900), QTime(22, 0, 2, 400)}, off, nullptr, {}, {A::PowerOff}},
        {"waking machine", {QTime(21, 30, 0), QTime(23, 0, 0)}, off, nullptr, {}, {}},
        {"power off refused", onTime, off, "确定关闭计算机吗？", MsgResult::No, {}},
        {"reboot", onTime, reboot, "确定重起计算机吗？", MsgResult::Yes, {A::Reboot}},
        {"log off", onTime, logOff, "确定注销计算机吗？", MsgResult::Yes, {A::LogOff}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form = std::make_unique<Tfrmsetdate>();
        TestDialogs().Reset(), TestPower().actions.clear();
        EXPECT_FALSE(form->Timerclose->isActive());
        (form.get()->*c.button)->setChecked(true);
        form->CheckBox1->setChecked(!c.question);
        form->show();
        Arm(QTime(22, 0, 0));
        form->Button1->click();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->Timerclose->isActive());
        TestDialogs().AnswerMessage(c.answer);
        TickAt(c.ticks.front());
        EXPECT_TRUE(TestPower().actions.empty());
        for (const QTime &tick : c.ticks)
            TickAt(tick);
        EXPECT_EQ(TestPower().actions, c.acts);
        EXPECT_EQ(TestDialogs().Texts(), c.question ? QStringList{QString::fromUtf8(c.question)} : QStringList{});
        EXPECT_TRUE(!c.question || TestDialogs().Last()->buttons == MsgButtons::YesNo);
        // Acted or asked, the timer is off until the user arms it again.
        EXPECT_NE(form->Timerclose->isActive(), !c.acts.empty() || c.question);
    }
}

TEST_F(TimedShutdown, TheCheckBoxAndThePickerArmAndDisarm)
{
    Arm(QTime(22, 0));
    form->CheckBox2->click();
    EXPECT_FALSE(form->Timerclose->isActive());
    TickAt(QTime(22, 0));
    form->TimercloseTimer();  // even a stray tick acts only while armed
    EXPECT_TRUE(TestPower().actions.empty());

    form->CheckBox2->click();
    EXPECT_TRUE(form->Timerclose->isActive());
    form->Timerclose->stop();
    form->DateTimePicker1->setTime(QTime(23, 0));
    EXPECT_TRUE(form->Timerclose->isActive());
}

TEST(AboutBox, LinksLightUpAndOpenTheirPages)
{
    Tfrmabout about;
    const QColor blue(0, 0, 255);
    const QColor windowText = QColor::fromRgb(ColorToQRgb(clWindowText));
    for (QLabel *link : {about.Label6, about.Label4}) {
        EXPECT_EQ(link->palette().color(QPalette::WindowText), windowText);
        for (const bool over : {true, false}) {
            QEvent crossing(over ? QEvent::Enter : QEvent::Leave);
            QCoreApplication::sendEvent(link, &crossing);
            EXPECT_EQ(link->palette().color(QPalette::WindowText), over ? blue : windowText);
            EXPECT_EQ(link->font().underline(), over);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(link, &release);
    }
    EXPECT_EQ(TestShell().opened, (QStringList{HomePageUrl, ProductPageUrl}));
}
