#include "platform/UiServices.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

TEST(UiServices, ResponderRecordsQuestionsAndAnswersFromItsScript)
{
    TestDialogs().AnswerMessage(MsgResult::Yes);
    EXPECT_EQ(ShowMessage("是否删除?", "提示", MsgIcon::Question, MsgButtons::YesNo), MsgResult::Yes);
    // With the script used up a Yes/No question is answered No, never left hanging.
    EXPECT_EQ(ShowMessage("再次?", "提示", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
    ASSERT_EQ(TestDialogs().Questions().size(), 2u);
    const auto &first = TestDialogs().Questions()[0];
    EXPECT_EQ(first.text, "是否删除?");
    EXPECT_EQ(first.caption, "提示");
    EXPECT_EQ(first.icon, MsgIcon::Question);
    EXPECT_EQ(first.buttons, MsgButtons::YesNo);
}

TEST(UiServices, InputBoxDistinguishesCancelFromEmptyAnswer)
{
    TestDialogs().AnswerText("");
    TestDialogs().AnswerCancel();
    QString value = "old";
    EXPECT_TRUE(Dialogs().InputBox(nullptr, "c", "p", value));
    EXPECT_EQ(value, "");
    value = "old";
    EXPECT_FALSE(Dialogs().InputBox(nullptr, "c", "p", value));
    EXPECT_EQ(value, "old");
}

TEST(UiServices, ClockCanBeReplacedAndRestored)
{
    FakeClock clock;
    SetClock(&clock);
    EXPECT_EQ(Clock().Now(), clock.now);
    SetClock(nullptr);
    EXPECT_LT(qAbs(Clock().Now().secsTo(QDateTime::currentDateTime())), 5);
}

TEST(UiServices, SeveralFilesFallBackToOneAnswer)
{
    TestDialogs().AnswerText("/tmp/a.vcf");
    TestDialogs().AnswerCancel();
    EXPECT_EQ(Dialogs().OpenFileNames(nullptr, "c", "", "f"), QStringList{"/tmp/a.vcf"});
    EXPECT_EQ(Dialogs().OpenFileNames(nullptr, "c", "", "f"), QStringList());
    ASSERT_EQ(TestDialogs().Questions().size(), 2u);
    EXPECT_EQ(TestDialogs().Questions()[0].kind, "open");
}

TEST(UiServices, AMessageBoxIsWideEnoughForItsCaption)
{
    const QString caption = QStringLiteral("定时关机设置已经保存，到时间后系统将自动关闭计算机");
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(QStringLiteral("好"));
    FitMessageBoxToCaption(box);
    box.show();
    EXPECT_GT(box.width(), box.fontMetrics().horizontalAdvance(caption));
    box.close();
}

TEST(UiServices, WindowsOpenCentredOnTheirOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 600, 400);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char *name;
        bool ownerShown;
        QPoint ownerAt;
        QPoint expected;  // top left of a 200 × 100 window; null: centred on the owner's frame
    } cases[] = {
        {"shown owner", true, {100, 80}, {}},
        {"hidden owner", false, {100, 80}, {area.left() + (area.width() - 200) / 2, area.top() + (area.height() - 100) / 2}},
        {"owner past the edge", true, {area.right() - 50, area.bottom() - 20},
         {area.left() + area.width() - 200, area.top() + area.height() - 100}},
    };
    for (const auto &c : cases) {
        owner.move(c.ownerAt);
        owner.setVisible(c.ownerShown);
        QWidget window(&owner, Qt::Window);
        window.resize(200, 100);
        CenterOnOwner(&window, &owner);
        const QRect frame = owner.frameGeometry();
        const QPoint expected = c.expected.isNull()
                                    ? QPoint(frame.left() + (frame.width() - 200) / 2, frame.top() + (frame.height() - 100) / 2)
                                    : c.expected;
        EXPECT_EQ(window.pos(), expected) << c.name;
    }
}
