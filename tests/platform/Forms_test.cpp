#include "ControlTestSupport.h"
#include "platform/Forms.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>

namespace {

struct FormsTest : ::testing::Test {
    void TearDown() override { Application()->UnhookMainWindow(this); }
};

} // namespace

TEST_F(FormsTest, CloseQueryCanRefuseAndOnCloseDecides)
{
    QPointer<TForm> form = new TForm(nullptr);
    form->SetBounds(10, 10, 100, 80);
    bool allow = false;
    form->OnCloseQuery = [&](TComponent *, bool &canClose) { canClose = allow; };
    // Closing by the program, by the window manager or by the application quitting asks the
    // same; a refusal reaches Qt, so a quit stops, and an agreement too, so a quit goes on.
    for (bool agree : {false, true}) {
        allow = agree;
        form->Show();
        form->Close();
        EXPECT_EQ(form->isVisible(), !agree);
        form->Show();
        EXPECT_EQ(form->close(), agree);
        EXPECT_EQ(form->isVisible(), !agree);
    }
    // A modal form stays up while the query refuses, and answers the result set.
    int asked = 0;
    form->OnCloseQuery = [&](TComponent *, bool &canClose) { canClose = ++asked > 1; };
    QTimer::singleShot(0, form, [&] {
        form->SetModalResult(mrOk);  // refused
        QTimer::singleShot(0, form, [&] { form->SetModalResult(mrYes); });
    });
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(form->isVisible() || form->Active());
    form->OnClose = [](TComponent *, TCloseAction &action) { action = TCloseAction::caFree; };
    form->Show();
    form->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(FormsTest, KeysPassLoopThenShortcutsThenTheFocusedControl)
{
    struct TLogHook : TInputHook {
        QStringList *log = nullptr;
        bool consume = false;
        TInputAction HandleInput(QWidget *, QEvent *event) override
        {
            if (event->type() != QEvent::KeyPress)
                return TInputAction::Pass;
            *log << "loop";
            return consume ? TInputAction::Consume : TInputAction::Pass;
        }
    };
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto *edit = AddProbe(&form);
    form.Show();
    QStringList log;
    bool shortcutTakes = false;
    form.OnShortCut = [&](TMessage &msg, bool &handled) {
        log << "shortcut";
        handled = shortcutTakes && msg.WParam == 'S';
    };
    Application()->HookMainWindow(this, [&](TMessage &m) {
        if (m.Msg == CM_APPSYSCOMMAND)
            log << QStringLiteral("keymenu %1").arg(reinterpret_cast<TMessage *>(m.LParam)->LParam);
        return m.Msg == CM_APPSYSCOMMAND;
    });
    TLogHook loop;
    loop.log = &log;
    const struct { bool withLoop, loopTakes, shortcutTakes; QStringList expected; } cases[] = {
        {true, true, true, {"loop"}}, {true, false, true, {"loop", "shortcut"}},
        {true, false, false, {"loop", "shortcut", "keydown 83 [C]"}},
        {false, false, false, {"shortcut", "keydown 83 [C]"}},
    };
    for (const auto &c : cases) {
        log.clear();
        edit->log.clear();
        loop.consume = c.loopTakes;
        shortcutTakes = c.shortcutTakes;
        if (c.withLoop)
            TInputRouter::Instance().AddHook(&loop);
        sim::KeyPress(edit, Qt::Key_S, Qt::ControlModifier);
        TInputRouter::Instance().RemoveHook(&loop);
        EXPECT_EQ(log + edit->log, c.expected) << c.expected.join(",").toStdString();
    }
    // The key menu: only for keys the focused control leaves alone.
    bool editTakesAlt = false;
    edit->OnKeyDown = [&](TComponent *, WORD &key, TShiftState) { key = editTakesAlt ? 0 : key; };
    struct MenuCase { int key; Qt::KeyboardModifiers mods; const char *text; bool editTakes; QStringList expected; };
    const MenuCase menuCases[] = {
        {Qt::Key_F, Qt::AltModifier, "f", false, {"shortcut", "keymenu 102"}},
        {Qt::Key_F, Qt::AltModifier, "f", true, {"shortcut"}},
        {Qt::Key_F10, Qt::NoModifier, "", false, {"shortcut", "keymenu 0"}},
        {Qt::Key_F, Qt::NoModifier, "f", false, {"shortcut"}},
    };
    for (const MenuCase &c : menuCases) {
        log.clear();
        editTakesAlt = c.editTakes;
        sim::KeyPress(edit, c.key, c.mods, c.text);
        EXPECT_EQ(log, c.expected) << c.key << " " << c.editTakes;
    }
    // Alt tapped alone opens the menu; Alt used with another key does not.
    log.clear();
    editTakesAlt = false;
    sim::KeyPress(edit, Qt::Key_Alt, Qt::AltModifier);
    sim::KeyRelease(edit, Qt::Key_Alt, Qt::NoModifier);
    sim::KeyPress(edit, Qt::Key_Alt, Qt::AltModifier);
    sim::KeyPress(edit, Qt::Key_Left, Qt::AltModifier);
    EXPECT_LT(GetKeyState(VK_MENU), 0);
    sim::KeyRelease(edit, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(log.filter("keymenu"), QStringList{"keymenu 0"});
    // A modifier's own key event says whether it is held, whatever state it reports (X11 gives the one before).
    sim::KeyPress(edit, Qt::Key_Control, Qt::NoModifier);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    sim::KeyRelease(edit, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
    // A Qt edit (held by a control it fills) neither types the letter of Alt+letter nor keeps it from the menu.
    auto *line = new QLineEdit;
    auto *holder = new TWidgetControl(&form, line);
    holder->SetBounds(0, 0, 100, 24);
    holder->SetAlign(TAlign::alBottom);
    holder->SetParent(&form);
    EXPECT_EQ(line->geometry(), holder->ClientRect().ToQRect());
    log.clear();
    sim::KeyPress(line, Qt::Key_G, Qt::AltModifier, "g");
    sim::KeyPress(line, Qt::Key_H, Qt::NoModifier, "h");
    EXPECT_EQ(line->text(), "h");
    EXPECT_EQ(log.filter("keymenu"), QStringList{"keymenu 103"});
    // Outside any form (a Qt dialog) the keys stay Qt's.
    QLineEdit loose;
    sim::KeyPress(&loose, Qt::Key_F10);
    sim::KeyPress(&loose, Qt::Key_G, Qt::AltModifier, "g");
    EXPECT_EQ(log.filter("keymenu"), QStringList{"keymenu 103"}) << "nothing more";
}

TEST_F(FormsTest, CaptureHolderGetsCancelModeWhenTheApplicationDeactivates)
{
    auto host = MakeHost(0, 0, 100, 100);
    auto *probe = AddProbe(host.get());
    SetCaptureControl(probe);
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(qApp, &inactive);
    EXPECT_NE(std::find(probe->messages.begin(), probe->messages.end(), WM_CANCELMODE), probe->messages.end());
    SetCaptureControl(nullptr);
}

// Qt blocks the windows behind a modal dialog without disabling them: they take no shortcut
// then, whether the key is typed in the dialog or the dialog is a Qt one outside every form.
TEST_F(FormsTest, NoShortcutOfAFormBehindAModalWindow)
{
    TForm main(nullptr);
    main.SetBounds(0, 0, 200, 100);
    main.Show();
    TForm *oldMain = Application()->MainForm();
    Application()->SetMainForm(&main);
    int taken = 0;
    main.OnShortCut = [&](TMessage &, bool &handled) { handled = true, ++taken; };
    QDialog dialog;
    auto *inDialog = new QLineEdit(&dialog);
    QWidget owned(&dialog, Qt::Window);  // a window of the dialog's own is not behind it
    TForm other(nullptr);
    struct Case { const char *name; Qt::WindowModality modality; bool enabled; bool mainEnabled, dialogEnabled, ownedEnabled, otherEnabled; int taken; };
    const Case cases[] = {
        {"no modal window", Qt::NonModal, true, true, true, true, true, 1},
        {"modal dialog", Qt::ApplicationModal, true, false, true, true, false, 0},
        {"disabled form", Qt::NonModal, false, false, true, true, true, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        main.setEnabled(c.enabled);
        dialog.setWindowModality(c.modality);
        dialog.show();
        ASSERT_TRUE(sim::WaitFor([&] { return c.modality == Qt::NonModal || QApplication::activeModalWidget() == &dialog; }));
        EXPECT_EQ((std::vector<bool>{IsWindowEnabled(&main), IsWindowEnabled(inDialog), IsWindowEnabled(&owned),
                                     IsWindowEnabled(&other)}),
                  (std::vector<bool>{c.mainEnabled, c.dialogEnabled, c.ownedEnabled, c.otherEnabled}));
        taken = 0;
        inDialog->setFocus();
        sim::KeyPress(inDialog, Qt::Key_F5);
        EXPECT_EQ(taken, c.taken) << "the main form's shortcut from a key typed in the dialog";
        dialog.hide();
    }
    EXPECT_FALSE(IsWindowEnabled(nullptr));
    main.setEnabled(true);
    Application()->SetMainForm(oldMain);
}
