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
// machine waking long after it does not act.
TEST_F(TimedShutdown, TheArmedSecondActsOnceEvenHidden)
{
    const struct { const char *name; std::vector<QTime> ticks; bool acts; } cases[] = {
        {"on time", {QTime(21, 59, 59, 600), QTime(22, 0, 0, 100), QTime(22, 0, 0, 600)}, true},
        {"stalled loop", {QTime(21, 59, 58, 900), QTime(22, 0, 2, 400)}, true},
        {"waking machine", {QTime(21, 30, 0), QTime(23, 0, 0)}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form = std::make_unique<Tfrmsetdate>();
        TestPower().actions.clear();
        EXPECT_FALSE(form->Timerclose->isActive());
        form->show();
        Arm(QTime(22, 0, 0));
        form->Button1->click();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->Timerclose->isActive());
        TickAt(c.ticks.front());
        EXPECT_TRUE(TestPower().actions.empty());
        for (const QTime &tick : c.ticks)
            TickAt(tick);
        EXPECT_EQ(TestPower().actions,
                  c.acts ? std::vector<TPowerAction>{TPowerAction::PowerOff} : std::vector<TPowerAction>{});
        EXPECT_TRUE(TestDialogs().Questions().empty());
        EXPECT_NE(form->Timerclose->isActive(), c.acts);
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

TEST_F(TimedShutdown, AskingFirst)
{
    const struct {
        QRadioButton *Tfrmsetdate::*button;
        const char *question;
        TPowerAction action;
    } cases[] = {
        {&Tfrmsetdate::RadioButton1, "确定关闭计算机吗？", TPowerAction::PowerOff},
        {&Tfrmsetdate::RadioButton2, "确定重起计算机吗？", TPowerAction::Reboot},
        {&Tfrmsetdate::RadioButton3, "确定注销计算机吗？", TPowerAction::LogOff},
    };
    for (const auto &c : cases) {
        for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
            form = std::make_unique<Tfrmsetdate>();
            TestDialogs().Reset();
            TestPower().actions.clear();
            (form.get()->*c.button)->setChecked(true);
            form->CheckBox1->setChecked(false);
            Arm(QTime(22, 0));
            TestDialogs().AnswerMessage(answer);
            TickAt(QTime(21, 59, 59, 600));
            TickAt(QTime(22, 0, 0, 100));
            TickAt(QTime(22, 0, 0, 600));

            ASSERT_EQ(TestDialogs().Questions().size(), 1u) << c.question;
            EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.question));
            EXPECT_EQ(TestDialogs().Last()->buttons, MsgButtons::YesNo);
            EXPECT_EQ(TestPower().actions,
                      answer == MsgResult::Yes ? std::vector<TPowerAction>{c.action} : std::vector<TPowerAction>{});
            // Either way the timer is off until the user arms it again.
            EXPECT_FALSE(form->Timerclose->isActive());
        }
    }
}

TEST(AboutBox, LinksLightUpAndOpenTheirPages)
{
    Tfrmabout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于Orvanta"));
    QStringList texts;
    for (QLabel *label : about.findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Orvanta")) && texts.contains(VersionText));

    const QColor blue(0, 0, 255);
    const QColor windowText = QColor::fromRgb(ColorToQRgb(clWindowText));
    for (QLabel *link : {about.Label6, about.Label4}) {
        EXPECT_EQ(link->palette().color(QPalette::WindowText), windowText);
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QCoreApplication::sendEvent(link, &enter);
        EXPECT_TRUE(link->palette().color(QPalette::WindowText) == blue && link->font().underline());
        QCoreApplication::sendEvent(link, &leave);
        EXPECT_TRUE(link->palette().color(QPalette::WindowText) == windowText && !link->font().underline());

        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(link, &release);
    }
    EXPECT_EQ(TestShell().opened, (QStringList{HomePageUrl, ProductPageUrl}));
}
