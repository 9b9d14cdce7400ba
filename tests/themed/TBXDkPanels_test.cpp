#include "themed/SpTBXDkPanels.h"
#include "themed/TBXNexus.h"
#include "../platform/InputSim.h"
#include "TestSupport.h"
#include "platform/Forms.h"
#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>

namespace {

struct Panel : TTBXPanelObject {
    Panel(QStringList *log, const QString &name) : TTBXPanelObject(nullptr), log(log), name(name) {}
    using TTBXPanelObject::MouseMove;
    void DoMouseEnter() override { *log << name + " enters"; }
    void DoMouseLeave() override { *log << name + " leaves"; }
    QStringList *log;
    QString name;
};

TEST(TBXPanels, HoverMovesFromPanelToPanelAndAnEmptyAutoSizedCaptionKeepsOneLine)
{
    QStringList log;
    TControl *under = nullptr;
    SetControlUnderCursorSource([&] { return under; });
    {
        auto a = std::make_unique<Panel>(&log, "A");
        auto b = std::make_unique<Panel>(&log, "B");
        EXPECT_TRUE(PanelHoverTimerExists());
        under = a.get();
        a->MouseMove({}, 1, 1);
        under = b.get();
        b->MouseMove({}, 1, 1);
        EXPECT_EQ(log, (QStringList{"A enters", "A leaves", "B enters"}));
        under = nullptr;
        PanelHoverCheck();
        EXPECT_EQ(std::tuple(log.last(), TrackedPanel()), std::tuple(QString("B leaves"), nullptr));
        // A panel destroyed while tracked leaves no pointer behind.
        under = a.get();
        a->MouseMove({}, 1, 1);
        a.reset();
        EXPECT_EQ(TrackedPanel(), nullptr);
        PanelHoverCheck();
    }
    EXPECT_FALSE(PanelHoverTimerExists());
    SetControlUnderCursorSource(nullptr);
    // An empty auto-sized caption keeps one line.
    TTBXTextObject text(nullptr);
    text.SetCaption("说明");
    const int oneLine = text.Height();
    text.SetCaption("");
    EXPECT_EQ(text.Height(), oneLine);
    EXPECT_GT(oneLine, 0);
    text.Margins().SetTop(4);
    EXPECT_EQ(text.Height(), oneLine + 4);
    // A control that enlarges its font is sized to the text it draws.
    struct Large : TTBXTextObject {
        using TTBXTextObject::TTBXTextObject;
        void DoAdjustFont(TFont &font) override { font.SetSize(font.Size() * 3); }
    } large(nullptr);
    large.SetCaption("说明");
    EXPECT_GT(large.Height(), 2 * oneLine);
}

// A right-to-left text control puts a left-aligned caption at the right, and the other way round.
TEST(TBXPanels, ARightToLeftTextControlMirrorsItsAlignment)
{
    TTBXTextObject text(nullptr);
    text.SetAutoSize(false);
    text.SetBounds(0, 0, 240, 20);
    text.SetCaption("WWW");
    struct Case { TBiDiMode mode; TAlignment alignment; bool atRight; };
    for (const Case &c : {Case{TBiDiMode::bdLeftToRight, TAlignment::taLeftJustify, false},
                          Case{TBiDiMode::bdRightToLeft, TAlignment::taLeftJustify, true},
                          Case{TBiDiMode::bdRightToLeft, TAlignment::taRightJustify, false},
                          Case{TBiDiMode::bdRightToLeftReadingOnly, TAlignment::taLeftJustify, false}}) {
        text.SetBiDiMode(c.mode);
        text.SetAlignment(c.alignment);
        QImage image = BlankImage(240, 20, clLime);
        TCanvas canvas(image);
        text.Perform(WM_PAINT, WPARAM(&canvas));
        EXPECT_EQ(std::tuple(UnchangedOutside(image, Rect(0, 0, 120, 20), clLime),
                             UnchangedOutside(image, Rect(120, 0, 240, 20), clLime)),
                  std::tuple(!c.atRight, c.atRight))
            << int(c.mode) << " " << int(c.alignment);
    }
}

// A button at x = left that logs its caption when clicked.
TSpTBXButton *LoggingButton(const QString &caption, int left, QStringList &clicks)
{
    auto *button = new TSpTBXButton(nullptr);
    button->SetCaption(caption);
    button->SetBounds(left, 10, 80, 25);
    button->OnClick = [&clicks, caption](TComponent *) { clicks << caption; };
    return button;
}

TEST(TBXButtons, KeysReachTheRightButtonAlsoOutsideAFormAndScreenReadersSeeIt)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    QStringList clicks;
    TSpTBXButton *ok = LoggingButton("确定", 10, clicks), *cancel = LoggingButton("取消", 90, clicks),
                 *other = LoggingButton("其他", 170, clicks);
    for (TSpTBXButton *button : {ok, cancel, other})
        button->SetParent(&form);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    form.Show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(sim::WaitFor([&] { return form.isActiveWindow(); }));
    other->SetFocus();
    ASSERT_TRUE(sim::WaitFor([&] { return other->hasFocus(); }));
    sim::Key(other, Qt::Key_Space, Qt::NoModifier, " ");
    sim::Key(other, Qt::Key_Return);
    sim::Key(other, Qt::Key_Escape);
    EXPECT_EQ(clicks, (QStringList{"其他", "其他", "取消"})) << "Enter goes to the focused button";
    clicks.clear();
    auto *plain = new TCustomControl(&form);
    plain->SetParent(&form);
    plain->SetBounds(10, 50, 50, 20);
    plain->SetTabStop(true);
    plain->SetFocus();
    ASSERT_TRUE(sim::WaitFor([&] { return plain->hasFocus(); }));
    sim::Key(plain, Qt::Key_Return);
    EXPECT_EQ(clicks, QStringList{"确定"}) << "with no button focused, Enter goes to the default one";
    // In a window that is no form (a Qt dialog) the buttons still know which of them takes Enter,
    // and Alt with a caption's accelerator dialogClicks the enabled button that has it.
    QWidget window;
    window.resize(300, 60);
    QStringList dialogClicks;
    TSpTBXButton *next = LoggingButton("下一步 (&N)", 10, dialogClicks), *browse = LoggingButton("浏览", 110, dialogClicks),
                 *quit = LoggingButton("取消 (&C)", 210, dialogClicks);
    for (TSpTBXButton *button : {next, browse, quit})
        button->setParent(&window);
    next->SetDefault(true);
    window.show();
    QApplication::setActiveWindow(&window);
    browse->SetFocus();
    ASSERT_TRUE(sim::WaitFor([&] { return browse->hasFocus(); }));
    struct Case { UINT msg; WPARAM key; bool cancelEnabled; QStringList clicked; };
    const Case cases[] = {
        {CM_DIALOGKEY, VK_RETURN, true, {"浏览"}},
        {CM_DIALOGCHAR, 'n', true, {"下一步 (&N)"}},
        {CM_DIALOGCHAR, 'C', true, {"取消 (&C)"}},
        {CM_DIALOGCHAR, 'c', false, {}},
        {CM_DIALOGCHAR, 'x', true, {}},
    };
    for (const Case &c : cases) {
        dialogClicks.clear();
        quit->SetEnabled(c.cancelEnabled);
        browse->SetFocus();
        for (TSpTBXButton *button : {next, browse, quit})
            if (button->Perform(c.msg, c.key) != 0)
                break;
        EXPECT_EQ(dialogClicks, c.clicked) << c.msg << " " << char(c.key);
    }
    // Screen readers see a push button named by its caption.
    TSpTBXButton button(nullptr);
    button.SetCaption("下一步 (&N)");
    int presses = 0;
    button.OnClick = [&presses](TComponent *) { ++presses; };
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&button);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    EXPECT_EQ(std::tuple(accessible->role(), accessible->text(QAccessible::Name)),
              std::tuple(QAccessible::Button, QString("下一步 (N)")));
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(presses, 1);
    button.SetEnabled(false);
    EXPECT_TRUE(accessible->state().disabled);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(presses, 1) << "a disabled button cannot be pressed";
}

} // namespace
