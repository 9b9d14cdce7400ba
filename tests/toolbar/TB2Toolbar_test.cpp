// Toolbars on a real form: menu-bar keys, the chevron, program-wide shortcuts and the sizes of
// a floating wrapping toolbar.
#include "TB2TestSupport.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "toolbar/TB2ItemWindow.h"
#include "toolbar/TB2Toolbar.h"

#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

TTBItem *NewItem(TComponent *Owner, const QString &Caption, TShortCut Key = 0)
{
    auto *i = new TTBItem(Owner);
    i->SetCaption(Caption);
    i->SetShortCut(Key);
    return i;
}

TTBView *OpenPopupView() { return Popups().empty() ? nullptr : Popups().front()->View(); }

class ToolbarForm : public ::testing::Test
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
        sim::WaitFor([&] { return form->isVisible(); });
    }
    ScriptSteps Script()
    {
        return ScriptSteps([this] {
            sim::Key(form, Qt::Key_Escape);
            sim::Key(form, Qt::Key_Escape);
        });
    }

    TForm *form = nullptr;
    TTBDock *dock = nullptr;
};

class MenuBarForm : public ToolbarForm
{
protected:
    void SetUp() override
    {
        ToolbarForm::SetUp();
        bar = NewToolbar();
        bar->SetMenuBar(true);
        file = new TSubmenuItem(bar, QStringLiteral("文件(&F)"));
        file->Add(NewItem(bar, QStringLiteral("打开(&O)")));
        edit = new TSubmenuItem(bar, QStringLiteral("编辑(&E)"));
        edit->Add(NewItem(bar, QStringLiteral("复制(&C)")));
        bar->Items()->Add(file);
        bar->Items()->Add(edit);
        ShowForm();
    }
    QString Selected() const
    {
        TTBItemViewer *v = bar->View()->Selected();
        return v ? v->Item->Caption() : QString();
    }

    TTBToolbar *bar = nullptr;
    TSubmenuItem *file = nullptr;
    TSubmenuItem *edit = nullptr;
};

} // namespace

TEST_F(ToolbarForm, MenuBarSwitchesItsProperties)
{
    TTBToolbar *tb = NewToolbar();
    for (bool on : {true, false}) {
        tb->SetMenuBar(on);
        EXPECT_EQ(tb->FullSize(), on);
        EXPECT_EQ(tb->ShrinkMode(), on ? TTBShrinkMode::tbsmWrap : TTBShrinkMode::tbsmChevron);
        EXPECT_EQ(tb->CloseButton(), !on);
        EXPECT_EQ(tb->ProcessShortCuts(), on);
    }
}

// Alt+F opens its menu; a tap of Alt selects the first item, Right the next, and Down opens it.
TEST_F(MenuBarForm, AltLetterOrAltTapThenArrowsOpenAMenu)
{
    for (bool tap : {false, true}) {
        SCOPED_TRACE(tap ? "Alt tap" : "Alt+F");
        TTBView *opened = nullptr;
        ScriptSteps s = Script();
        if (tap) {
            s.Then([&] { return Selected() == file->Caption(); });
            s.Do([&] { sim::Key(form, Qt::Key_Right); }).Then([&] { return Selected() == edit->Caption(); });
            s.Do([&] { sim::Key(form, Qt::Key_Down); });
        }
        s.Then([&] { return (opened = OpenPopupView()) != nullptr; });
        s.Do([&] {
            EXPECT_EQ(opened->ParentItem(), tap ? edit : file);
            sim::Key(form, Qt::Key_Escape);
            sim::Key(form, Qt::Key_Escape);
        });
        s.Start();
        if (tap) {
            sim::KeyPress(form, Qt::Key_Alt, Qt::AltModifier);
            sim::KeyRelease(form, Qt::Key_Alt);
        } else {
            sim::Key(form, Qt::Key_F, Qt::AltModifier, QStringLiteral("f"));
        }
        EXPECT_TRUE(s.Done());
        EXPECT_NE(opened, nullptr);
        EXPECT_EQ(OpenPopupView(), nullptr);
    }
}

TEST_F(MenuBarForm, WithEveryItemHiddenAltMinusIsPassedOnAndOtherLettersAreTaken)
{
    file->SetVisible(false);
    edit->SetVisible(false);
    EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, '-'), 0);
    EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, 'f'), 1);
}

// A toolbar's Ctrl+S reaches its item while an edit has the focus; the edit keeps Delete and
// Ctrl+A from the toolbar and from the form; a disabled item's shortcut does nothing.
TEST_F(ToolbarForm, ShortcutsReachItemsButTheEditKeepsItsKeys)
{
    auto *host = new TWidgetControl(form, new QLineEdit(QStringLiteral("abc")));
    host->SetAlign(TAlign::alClient);
    host->SetParent(form);
    auto *edit = static_cast<QLineEdit *>(host->Widget());
    TTBToolbar *tb = NewToolbar();
    tb->SetProcessShortCuts(true);
    struct Key { TShortCut sc; bool enabled; int clicks = 0; };
    Key keys[] = {{ShortCut('S', {ssCtrl}), true}, {ShortCut(VK_DELETE, {}), true}, {ShortCut('A', {ssCtrl}), true},
                  {ShortCut('D', {ssCtrl}), false}};
    for (Key &k : keys) {
        TTBItem *i = NewItem(tb, QStringLiteral("x"), k.sc);
        i->SetEnabled(k.enabled);
        i->OnClick = [&k](TComponent *) { ++k.clicks; };
        tb->Items()->Add(i);
    }
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
    sim::Key(edit, Qt::Key_D, Qt::ControlModifier, QStringLiteral("\x04"));
    for (const Key &k : keys)
        EXPECT_EQ(k.clicks, &k == keys ? 1 : 0) << k.sc;
    EXPECT_EQ(formDeletes, 0);
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
}

TEST_F(ToolbarForm, TheChevronTakesWhatDoesNotFitAndListsItInItsPopup)
{
    form->SetBounds(100, 100, 200, 300);
    TTBToolbar *tb = NewToolbar();
    for (int i = 0; i < 8; ++i) {
        TTBCustomItem *item = new TWidthItem(tb, 40);
        item->SetCaption(QString::number(i));
        tb->Items()->Add(item);
    }
    ShowForm();
    TTBView *v = tb->View();
    ASSERT_EQ(v->ViewerCount(), 9);
    // 200 less the frame (2 + 6 + 2) leaves 190; less the 12-px chevron, four buttons fit.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(v->Viewers(i)->Show, i < 4) << i;
    TTBItemViewer *chevron = v->Viewers(8);
    EXPECT_TRUE(chevron->Show);
    EXPECT_EQ(chevron->BoundsRect.Width(), tbChevronSize);

    const TRect r = chevron->BoundsRect;
    const TRect m = tb->GetDockedNCArea(dock);
    const QPoint press(m.Left + r.Left + 4, m.Top + r.Top + 4);
    QStringList listed;
    ScriptSteps s = Script();
    s.Then([&] { return OpenPopupView() != nullptr; });
    s.Do([&] {
        TTBView *pv = OpenPopupView();
        for (int i = 0; i < pv->ViewerCount(); ++i)
            if (pv->Viewers(i)->Show)
                listed << pv->Viewers(i)->Item->Caption();
        sim::Release(tb, press);
        sim::Key(form, Qt::Key_Escape);
        sim::Key(form, Qt::Key_Escape);
    });
    s.Start();
    sim::Press(tb, press);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(listed, QStringList({"4", "5", "6", "7"}));

    form->SetBounds(100, 100, 40, 300);
    EXPECT_TRUE(v->Viewers(0)->Show);
    EXPECT_TRUE(chevron->Show);
    for (int i = 2; i < 8; ++i)
        EXPECT_FALSE(v->Viewers(i)->Show) << i;
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
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front().X, 60 + margins.Left + margins.Right + nc.Left + nc.Right);
    EXPECT_EQ(sizes.back().X, 130 + margins.Left + margins.Right + nc.Left + nc.Right);
    EXPECT_EQ(sizes.size(), 3u);
    for (size_t i = 1; i < sizes.size(); ++i)
        EXPECT_LT(sizes[i - 1].X, sizes[i].X);
    tb->ResizeEnd();
}
