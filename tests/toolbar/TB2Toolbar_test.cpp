// Toolbars on a real form: menu-bar keys, the chevron, program-wide shortcuts, the sizes of a
// floating wrapping toolbar, and the control items kept in step with the toolbar's child controls.
#include "TB2TestSupport.h"
#include "TestSupport.h"
#include "platform/MediaPlayer.h"
#include "platform/Registry.h"

#include <QLineEdit>
#include <QPointer>

namespace {

TTBView *OpenPopupView() { return Popups().empty() ? nullptr : Popups().front()->View(); }

QStringList Shown(TTBView *v)
{
    QStringList shown;
    for (int i = 0; i < v->ViewerCount(); ++i)
        if (v->Viewers(i)->Show)
            shown << v->Viewers(i)->Item->Caption();
    return shown;
}

class ToolbarForm : public ::testing::Test, protected ClickLog
{
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 400, 300);
        dock = new TTBDock(form);
        dock->SetParent(form);
        Application()->SetMainForm(form);
    }
    void TearDown() override
    {
        Application()->SetMainForm(nullptr);
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        sim::HeldButtons() = {};
    }
    TTBToolbar *NewToolbar()
    {
        auto *tb = new TTBToolbar(form);
        tb->SetCurrentDock(dock);
        return tb;
    }
    void ShowForm()
    {
        form->Show();
        ASSERT_TRUE(sim::WaitFor([&] { return form->isVisible(); }));
    }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
};

// Alt+F opens its menu and Right the next one; Escape closes it and "-" (the window's system
// menu, which a program cannot open here) ends the menu mode. A tap of Alt selects the first
// item, Right the next, and Down opens it.
TEST_F(ToolbarForm, MenuBarAltKeysAndArrowsOpenMenusAlongTheBar)
{
    TTBToolbar *bar = NewToolbar();
    bar->SetMenuBar(true);
    TTBCustomItem *file = Add(bar->Items(), QStringLiteral("文件(&F)"), new TSubmenuItem(nullptr));
    Add(file, QStringLiteral("打开(&O)"));
    TTBCustomItem *edit = Add(bar->Items(), QStringLiteral("编辑(&E)"), new TSubmenuItem(nullptr));
    Add(edit, QStringLiteral("复制(&C)"));
    ShowForm();
    const auto Selected = [bar] { return SelectedCaption(bar->View()); };
    EXPECT_TRUE(bar->ProcessShortCuts() && !bar->CloseButton() && bar->ShrinkMode() == TTBShrinkMode::tbsmWrap)
        << "a menu bar takes shortcuts, wraps, has no close button";
    TTBView *view = bar->View();
    std::vector<LPARAM> systemKeys;
    Application()->HookMainWindow(&systemKeys, [&](TMessage &m) {
        if (m.Msg == CM_APPSYSCOMMAND)
            systemKeys.push_back(reinterpret_cast<TMessage *>(m.LParam)->LParam);
        return false;
    });
    for (bool tap : {false, true}) {
        SCOPED_TRACE(tap ? "Alt tap" : "Alt+F");
        systemKeys.clear();
        QStringList seen;  // the bar's selection, then the open menu's
        const auto look = [&] { seen << Selected() + "/" + SelectedCaption(view->OpenViewerView()); };
        const auto opened = [&] { return view->OpenViewerView() != nullptr; };
        ScriptSteps s(form, 2);
        if (tap) {
            s.Then([&] { return Selected() == file->Caption(); }).Do(look);
            s.Key(form, Qt::Key_Right).Do(look).Key(form, Qt::Key_Down).Then(opened).Do(look);
            s.Key(form, Qt::Key_Escape).Key(form, Qt::Key_Escape);
        } else {
            s.Then(opened).Do(look).Key(form, Qt::Key_Right).Do(look).Key(form, Qt::Key_Escape).Do(look);
            s.Key(form, Qt::Key_Minus, QStringLiteral("-"));
        }
        s.SetOpen([&] { return view->State().Contains(TTBViewStateItem::vsModal); });
        s.Start();
        if (tap) {
            sim::KeyPress(form, Qt::Key_Alt, Qt::AltModifier);
            sim::KeyRelease(form, Qt::Key_Alt);
        } else {
            sim::Key(form, Qt::Key_F, Qt::AltModifier, QStringLiteral("f"));
        }
        EXPECT_TRUE(sim::WaitFor([&] { return s.Done() && !view->State().Contains(TTBViewStateItem::vsModal); }));
        EXPECT_EQ(seen, tap ? QStringList({"文件(&F)/", "编辑(&E)/", "编辑(&E)/复制(&C)"})
                            : QStringList({"文件(&F)/打开(&O)", "编辑(&E)/复制(&C)", "编辑(&E)/"}));
        EXPECT_EQ(OpenPopupView(), nullptr);
        EXPECT_EQ(view->Selected(), nullptr);
        EXPECT_EQ(std::count(systemKeys.begin(), systemKeys.end(), LPARAM('-')), tap ? 0 : 1)
            << "\"-\" sent on to the window";
    }
    Application()->UnhookMainWindow(&systemKeys);
    // With every item hidden, Alt+- is passed on and other letters are taken.
    file->SetVisible(false);
    edit->SetVisible(false);
    EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, '-'), 0);
    EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, 'f'), 1);
}

// While it lives, the desktop's sound scheme gives the menu events a file each; the players log
// the files they are given.
struct MenuSoundScheme {
    struct Player : IMediaPlayer {
        explicit Player(std::vector<QString> *log) : log(log) {}
        bool Open(const QString &file) override { return log->push_back(file), false; }
        void Play() override {}
        void Stop() override {}
        void Close() override {}
        std::vector<QString> *log;
    };
    std::vector<QString> heard;
    MenuSoundScheme() { Write(true), SetMediaPlayerFactory([this] { return std::make_unique<Player>(&heard); }); }
    ~MenuSoundScheme() { SetMediaPlayerFactory({}), Write(false); }
    static void Write(bool on)
    {
        for (const char *event : {"MenuPopup", "MenuCommand"}) {
            TRegistry reg;
            reg.OpenKey(QStringLiteral("AppEvents\\Schemes\\Apps\\.Default\\%1\\.Current").arg(event), true);
            reg.WriteString(QString(), on ? QStringLiteral("/sounds/%1.wav").arg(event) : QString());
        }
    }
};

// A popup sounds as it opens; once the menu has gone, an item chosen in a popup sounds, one chosen
// on the bar does not.
TEST_F(ToolbarForm, MenusPlayTheSoundSchemesMenuSounds)
{
    TTBToolbar *bar = NewToolbar();
    bar->SetMenuBar(true);
    Add(Add(bar->Items(), QStringLiteral("文件(&F)"), new TSubmenuItem(nullptr)), QStringLiteral("打开(&O)"));
    Add(bar->Items(), QStringLiteral("保存(&S)"));
    MenuSoundScheme scheme;
    ShowForm();
    ScriptSteps s(form, 2);
    s.Then([bar] { return bar->View()->OpenViewerView() != nullptr; }).Key(form, Qt::Key_Return);
    s.Start();
    sim::Key(form, Qt::Key_F, Qt::AltModifier, QStringLiteral("f"));
    ASSERT_TRUE(sim::WaitFor([&] { return clicks.size() == 1; }));
    sim::Key(form, Qt::Key_S, Qt::AltModifier, QStringLiteral("s"));
    ASSERT_TRUE(sim::WaitFor([&] { return clicks.size() == 2; }));
    EXPECT_EQ(scheme.heard, (std::vector<QString>{"/sounds/MenuPopup.wav", "/sounds/MenuCommand.wav"}));
}

// Escape in a menu dropped from the bar by the mouse closes it and ends the bar's drop-down
// mode: the title stays highlighted, pointing at another title only highlights that one, and
// the first click on it opens its menu.
TEST_F(ToolbarForm, AfterEscapePointingAtAnotherTitleHighlightsItAndOneClickOpensIt)
{
    SysParams().MenuAnimation = false;
    TTBToolbar *bar = NewToolbar();
    bar->SetMenuBar(true);
    TTBCustomItem *file = Add(bar->Items(), QStringLiteral("文件"), new TSubmenuItem(nullptr));
    Add(file, QStringLiteral("打开"));
    TTBCustomItem *edit = Add(bar->Items(), QStringLiteral("编辑"), new TSubmenuItem(nullptr));
    Add(edit, QStringLiteral("复制"));
    ShowForm();
    TTBView *view = bar->View();
    const TRect nc = bar->GetDockedNCArea(dock);
    const auto at = [&](TTBCustomItem *item) {
        const TRect r = view->Find(item)->BoundsRect;
        return QPoint(nc.Left + (r.Left + r.Right) / 2, nc.Top + (r.Top + r.Bottom) / 2);
    };
    QStringList seen;  // the highlighted title, then the title whose menu is open
    const auto look = [&] {
        seen << SelectedCaption(view) + "/" + (view->OpenViewerView() ? view->OpenViewer()->Item->Caption() : QString());
    };
    ScriptSteps s(form, 2);
    s.Then([&] { return view->OpenViewerView() != nullptr; });
    s.Do([&] { sim::Release(bar, at(file)); }).Do(look);
    s.Key(form, Qt::Key_Escape).Do(look);
    s.Do([&] { sim::Move(bar, at(edit)); }).Do(look);
    s.Do([&] { sim::Press(bar, at(edit)); }).Then([&] { return view->OpenViewerView() != nullptr; }).Do(look);
    s.Do([&] { sim::Release(bar, at(edit)); }).Do(look);
    s.Key(form, Qt::Key_Escape).Key(form, Qt::Key_Escape);
    s.SetOpen([&] { return view->State().Contains(TTBViewStateItem::vsModal); });
    s.Start();
    sim::Press(bar, at(file));
    EXPECT_TRUE(sim::WaitFor([&] { return s.Done() && !view->State().Contains(TTBViewStateItem::vsModal); }));
    EXPECT_EQ(seen, QStringList({"文件/文件", "文件/", "编辑/", "编辑/编辑", "编辑/编辑"}));
    ResetSysParams();
}

// A toolbar's Ctrl+S reaches its item while an edit has the focus; the edit keeps Delete and
// Ctrl+A from the toolbar and from the form.
TEST_F(ToolbarForm, ShortcutsReachItemsButTheEditKeepsItsKeys)
{
    auto *host = new TWidgetControl(form, new QLineEdit(QStringLiteral("abc")));
    host->SetAlign(TAlign::alClient);
    host->SetParent(form);
    auto *edit = static_cast<QLineEdit *>(host->Widget());
    TTBToolbar *tb = NewToolbar();
    tb->SetProcessShortCuts(true);
    const TShortCut keys[] = {ShortCut('S', {ssCtrl}), ShortCut(VK_DELETE, {}), ShortCut('A', {ssCtrl})};
    for (TShortCut k : keys)
        Add(tb->Items(), ShortCutToText(k))->SetShortCut(k);
    int formDeletes = 0;
    form->OnShortCut = [&](TMessage &m, bool &handled) {
        if (m.WParam == VK_DELETE) {
            ++formDeletes;
            handled = true;
        }
    };
    ShowForm();
    edit->setFocus();
    edit->setCursorPosition(0);
    sim::Key(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
    sim::Key(edit, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("bc"));
    sim::Key(edit, Qt::Key_S, Qt::ControlModifier, QStringLiteral("\x13"));
    EXPECT_EQ(clicks, std::vector<QString>{ShortCutToText(keys[0])});
    EXPECT_EQ(formDeletes, 0);
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
    sim::KeyRelease(edit, Qt::Key_Control, Qt::ControlModifier);  // as X11 reports it
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
}

TEST_F(ToolbarForm, TheChevronTakesWhatDoesNotFitAndListsItInItsPopup)
{
    form->SetBounds(100, 100, 200, 300);
    TTBToolbar *tb = NewToolbar();
    for (int i = 0; i < 8; ++i)
        Add(tb->Items(), QString::number(i), new TWidthItem(tb, 40));
    ShowForm();
    TTBView *v = tb->View();
    ASSERT_EQ(v->ViewerCount(), 9);
    // 200 less the frame (2 + 6 + 2) leaves 190; less the 12-px chevron, four buttons fit.
    TTBItemViewer *chevron = v->Viewers(8);
    EXPECT_EQ(Shown(v), QStringList({"0", "1", "2", "3", chevron->Item->Caption()}));
    EXPECT_EQ(chevron->BoundsRect.Width(), tbChevronSize);
    const TRect r = chevron->BoundsRect;
    const TRect m = tb->GetDockedNCArea(dock);
    const QPoint press(m.Left + r.Left + 4, m.Top + r.Top + 4);
    QStringList listed;
    ScriptSteps s(form, 2);
    s.Then([&] { return OpenPopupView() != nullptr; });
    s.Do([&] {
        listed = Shown(OpenPopupView());
        sim::Release(tb, press);
        sim::Key(form, Qt::Key_Escape);
        sim::Key(form, Qt::Key_Escape);
    });
    s.Start();
    sim::Press(tb, press);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(listed, QStringList({"4", "5", "6", "7"}));
}

TEST_F(ToolbarForm, TheWrapSizesOfAFloatingToolbarStopAtTheWidestButton)
{
    TTBToolbar *tb = NewToolbar();
    tb->SetShrinkMode(TTBShrinkMode::tbsmWrap);
    tb->SetHideWhenInactive(false);
    for (int w : {40, 60, 30})
        tb->Items()->Add(new TWidthItem(tb, w));
    ShowForm();
    tb->SetFloating(true);
    tb->ResizeBegin(HTRIGHT);
    const std::vector<TPoint> sizes = tb->FloatingSizes();
    const TRect nc = tb->GetFloatingNCArea();
    TRect margins;
    tb->View()->GetMargins(TTBViewOrientation::tbvoFloating, margins);
    // From a column as wide as the widest button to one row of all three, growing.
    const int frame = margins.Left + margins.Right + nc.Left + nc.Right;
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes.front().X, 60 + frame);
    EXPECT_EQ(sizes.back().X, 130 + frame);
    EXPECT_LT(sizes[0].X, sizes[1].X);
    EXPECT_LT(sizes[1].X, sizes[2].X);
    tb->ResizeEnd(true);
}

TEST_F(ToolbarForm, ControlItemsFollowTheToolbarsChildControls)
{
    TTBToolbar *bar = NewToolbar();
    const auto itemsOf = [bar](const TControl *control) {
        int n = 0;
        for (int i = 0; i < bar->Items()->Count(); ++i) {
            const auto *ci = dynamic_cast<const TTBControlItem *>(bar->Items()->Items(i));
            n += ci && ci->Control() == control;
        }
        return n;
    };
    auto *other = new TCustomControl(form);
    other->SetParent(form);
    // Placed directly: one item, owned like the toolbar's other components, at the end.
    auto *edit = new TCustomControl(form);
    bar->Items()->Add(new TTBItem(nullptr));
    edit->SetParent(bar);
    ASSERT_EQ(itemsOf(edit), 1);
    TTBControlItem *item = bar->FindControlItem(edit);
    EXPECT_EQ(bar->Items()->IndexOf(item), 1);
    EXPECT_EQ(item->Owner(), form);
    // Through InsertControl, or placed again: still one item, where InsertControl put it.
    auto *combo = new TCustomControl(form);
    EXPECT_EQ(bar->Items()->IndexOf(bar->InsertControl(combo, 0)), 0);
    EXPECT_EQ(itemsOf(combo), 1);
    // Taken off the toolbar: the item goes, the control stays alive where it went.
    QPointer<TCustomControl> watch(edit);
    edit->SetParent(other);
    EXPECT_EQ(bar->FindControlItem(edit), nullptr);
    ASSERT_FALSE(watch.isNull());
    EXPECT_EQ(edit->Parent(), other);
    // Destroyed on the toolbar: its item goes with it.
    delete combo;
    EXPECT_EQ(bar->Items()->Count(), 1);
}

// A control resized or hidden by the program moves the items after it and resizes the toolbar;
// hidden, it is not the first item a chevron toolbar shrinks down to. A toolbar that is neither
// docked nor floating nor sizes itself lays its items out for the width it is given.
TEST_F(ToolbarForm, AToolbarLaysOutAgainForItsControlsAndItsWidth)
{
    TTBToolbar *bar = NewToolbar();
    auto *control = new TCustomControl(form);
    control->SetBounds(0, 0, 40, 22);
    control->SetParent(bar);
    TTBCustomItem *next = Add(bar->Items(), QStringLiteral("next"), new TWidthItem(bar, 30));
    ShowForm();
    const auto placed = [&] { return std::pair(bar->View()->Find(next)->BoundsRect.Left, bar->Width()); };
    const auto [left, width] = placed();
    control->SetBounds(control->Left(), control->Top(), 100, 22);
    EXPECT_EQ(placed(), std::pair(left + 60, width + 60)) << "widened";
    control->Hide();
    EXPECT_EQ(placed(), std::pair(left - 40, width - 40)) << "hidden";
    const TRect nc = bar->GetDockedNCArea(dock);
    EXPECT_EQ(bar->GetDockedMinimumSize(dock, 500), 30 + nc.Left + nc.Right + tbChevronSize);
    control->Show();
    bar->SetCurrentDock(nullptr);
    bar->SetAutoResize(false);
    for (int width : {300, 110}) {  // 100 px of control leave no room for the next item beside the chevron
        bar->SetBounds(bar->Left(), bar->Top(), width, bar->Height());
        EXPECT_EQ(bar->View()->Find(next)->Clipped, width < 200) << width;
    }
}

// Controls put on a toolbar while it loads are wrapped, each once, when it has loaded. Tab stops
// at the control of an item, not at the controls inside it.
TEST_F(ToolbarForm, ControlsOfALoadedToolbarAndTheirTabStops)
{
    auto *bar = new TTBToolbar(form);
    bar->Loading();
    auto *wrapped = new TCustomControl(form), *bare = new TCustomControl(form), *inner = new TCustomControl(form);
    bar->Items()->Add(TTBControlItem::CreateControlItem(form, wrapped));
    wrapped->SetParent(bar), bare->SetParent(bar), inner->SetParent(bare);
    bar->SetParent(form);
    static_cast<TComponent *>(bar)->Loaded();
    ASSERT_EQ(bar->Items()->Count(), 2);
    EXPECT_EQ(bar->Items()->Items(1), bar->FindControlItem(bare));
    std::vector<TWinControl *> order;
    form->GetTabOrderList(order);
    EXPECT_EQ(std::count(order.begin(), order.end(), bare), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), inner), 0);
}

} // namespace
