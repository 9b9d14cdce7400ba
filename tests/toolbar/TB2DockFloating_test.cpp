// The floating window among the program's windows (its frame without sizing, stacking above all
// forms, the activation when it hides), the popup menus of docks and dockable windows, and
// printing the framework's windows.
#include "TB2TestSupport.h"
#include "platform/SysColors.h"

#include <QLineEdit>

namespace {

class TRecordingMenu : public TPopupMenu
{
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int X, int Y) override { shown.push_back({PopupComponent(), TPoint{X, Y}}); }
    std::vector<std::pair<TComponent *, TPoint>> shown;
};

class FloatingForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 300);
        dock = new TTBDock(form);
        dock->SetParent(form);
        bar = new TTBToolbar(form);
        bar->SetHideWhenInactive(false);
        for (int i = 0; i < 3; ++i)
            bar->Items()->Add(new TWidthItem(bar));
        bar->SetCurrentDock(dock);
        form->Show();
        ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form; }));
    }
    void TearDown() override { delete form; }
    TTBFloatingWindowParent *Float()
    {
        bar->SetFloatingPosition(form->ClientToScreen({250, 150}));
        bar->SetFloating(true);
        return bar->FloatingWindowParent();
    }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
    TTBToolbar *bar = nullptr;
};

TEST_F(FloatingForm, FrameStackingAndActivationOfTheFloatingWindow)
{
    TTBFloatingWindowParent *fp = Float();
    const int clientWidth = bar->Width();
    for (bool resizable : {false, true}) {
        bar->SetResizable(resizable);
        const int border = resizable ? SysParams().CxFrame : SysParams().CxDlgFrame;
        EXPECT_EQ(fp->Width(), clientWidth + 2 * border);
        EXPECT_EQ(bar->Width(), clientWidth);
        const QPoint onLeftEdge = fp->mapToGlobal(QPoint(1, fp->Height() / 2));
        EXPECT_EQ(fp->Perform(WM_NCHITTEST, 0, PointToLParam(TPoint::FromQPoint(onLeftEdge))),
                  resizable ? HTLEFT : HTBORDER);
    }
    const auto topMost = [fp] { return fp->WindowKinds().Contains(wkTopMost); };
    EXPECT_TRUE(fp->WindowKinds().Contains(wkNoActivate));
    EXPECT_FALSE(topMost());
    bar->SetFloatingMode(TTBFloatingMode::fmOnTopOfAllForms);
    EXPECT_TRUE(topMost());
    {
        TForm dialog(nullptr);  // a modal window blocks it: it makes way
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.Show();
        EXPECT_TRUE(sim::WaitFor([&] { return !topMost(); }));
    }
    EXPECT_TRUE(sim::WaitFor(topMost));
    // Hidden while active, it gives the activation back to its form.
    fp->activateWindow();
    ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == fp; }));
    bar->Hide();
    EXPECT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form; }));
}

TEST_F(FloatingForm, AFloatingToolbarWithAnEditTakesTheActivationForTyping)
{
    auto *edit = new TWidgetControl(form, new QLineEdit);
    edit->SetBounds(0, 0, 80, 20);
    bar->InsertControl(edit);
    TTBFloatingWindowParent *fp = Float();
    EXPECT_FALSE(fp->WindowKinds().Contains(wkNoActivate));
    // It keeps the activation only when it takes it from its own form.
    TForm other(nullptr);
    other.SetBounds(650, 100, 200, 100);
    other.Show();
    ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == &other; }));
    for (TForm *before : {static_cast<TForm *>(form), &other, static_cast<TForm *>(form)}) {
        before->activateWindow();
        ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == before; }));
        fp->activateWindow();
        QWidget *const expected = before == form ? static_cast<QWidget *>(fp) : form;
        EXPECT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == expected; }))
            << "activated from " << (before == form ? "its form" : "another form");
    }
    // Without a control that takes typing, a click leaves the activation where it is again.
    bar->RemoveControl(edit);
    EXPECT_TRUE(fp->WindowKinds().Contains(wkNoActivate));
    bar->InsertControl(edit);
    EXPECT_FALSE(fp->WindowKinds().Contains(wkNoActivate));
}

TEST_F(FloatingForm, TheCaptionIsInactiveWhileAnotherFormIsActiveEvenOnTheMainForm)
{
    TTBFloatingWindowParent *fp = Float();
    TForm other(nullptr);
    other.SetBounds(650, 100, 200, 100);
    for (bool mainForm : {false, true}) {
        Application()->SetMainForm(mainForm ? form : nullptr);
        for (TForm *active : {static_cast<TForm *>(&other), static_cast<TForm *>(form)}) {
            active->Show();
            active->activateWindow();
            ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == active; }));
            EXPECT_EQ(bar->CaptionInactive(), active == &other) << "main form: " << mainForm;
            EXPECT_FALSE(fp->isHidden());
        }
    }
    Application()->SetMainForm(nullptr);
}

// While another program is active the floating window is out of the way, back on return; one told
// to stay keeps its place. Either way the toolbar counts as shown.
TEST_F(FloatingForm, AFloatingToolbarHidesWhileTheProgramIsInactive)
{
    TTBFloatingWindowParent *fp = Float();
    for (bool hide : {true, false}) {
        bar->SetHideWhenInactive(hide);
        QApplication::setActiveWindow(nullptr);
        EXPECT_TRUE(sim::WaitFor([&] { return fp->isHidden() == hide && bar->Visible(); })) << hide;
        QApplication::setActiveWindow(form);
        EXPECT_TRUE(sim::WaitFor([&] { return !fp->isHidden(); }));
    }
}

TEST_F(FloatingForm, ContextMenusOfDocksAndToolbars)
{
    TRecordingMenu dockMenu(nullptr), barMenu(nullptr);
    dock->SetPopupMenu(&dockMenu);
    const QPoint handle(2, 10), item(20, 10), emptyDock(bar->Width() + 20, 10);
    // Where the right click is, whether the toolbar has a menu, whose menu shows for whom.
    const struct { QWidget *where; QPoint at; bool barMenuSet; TRecordingMenu *expected; TComponent *forWhom; } cases[] = {
        {dock, emptyDock, false, &dockMenu, dock},
        {bar, handle, false, &dockMenu, dock},
        {bar, handle, true, &barMenu, bar},
        {bar, item, true, &barMenu, bar},
    };
    for (const auto &c : cases) {
        dockMenu.shown.clear();
        barMenu.shown.clear();
        bar->SetPopupMenu(c.barMenuSet ? &barMenu : nullptr);
        sim::Click(c.where, c.at, Qt::RightButton);
        const std::vector<std::pair<TComponent *, TPoint>> expected{
            {c.forWhom, TPoint::FromQPoint(c.where->mapToGlobal(c.at))}};
        EXPECT_EQ(c.expected->shown, expected);
        EXPECT_TRUE((c.expected == &dockMenu ? barMenu : dockMenu).shown.empty());
    }
    bar->OnContextPopup = [](TComponent *, TPoint, bool &handled) { handled = true; };
    sim::Click(bar, handle, Qt::RightButton);
    EXPECT_EQ(barMenu.shown.size(), 1u) << "OnContextPopup took it";
    bar->OnContextPopup = nullptr;
    // The floating caption; the context-menu key asks at the client origin.
    TTBFloatingWindowParent *fp = Float();
    const QPoint caption(fp->Width() / 2, SysParams().CyFrame + 3);
    sim::Click(fp, caption, Qt::RightButton);
    EXPECT_EQ(barMenu.shown.back().second, TPoint::FromQPoint(fp->mapToGlobal(caption)));
    dock->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
    EXPECT_EQ(dockMenu.shown.back().second, dock->ClientToScreen({0, 0}));
    bar->SetPopupMenu(nullptr);
    dock->SetPopupMenu(nullptr);
}

// A framework window prints its frame, background and items onto the canvas it is handed, also
// while hidden; asked to check, a hidden one prints nothing.
TEST_F(FloatingForm, DockedToolbarsAndPopupWindowsPrintThroughTheirOwnPainting)
{
    TTBPopupWindow popup(nullptr, nullptr, bar->Items(), false);
    popup.View()->EnsureLayout();
    popup.SetColor(clLime);
    bar->View()->Select(bar->View()->Viewers(1), false);
    popup.View()->Select(popup.View()->Viewers(0), false);
    const int barLeft = bar->GetDockedNCArea(dock).Left + bar->View()->Viewers(1)->BoundsRect.Left;
    // The frame's light line; the selected item's edge or fill; the background beside it.
    const struct { TControl *window; TPoint frame, item; TColor itemColor; TPoint empty; TColor background; } cases[] = {
        {bar, {0, 10}, {barLeft, 7}, clBtnHighlight, {barLeft - 2, 7}, clBtnFace},
        {&popup, {1, 10}, {15, 8}, clHighlight, {15, 3 + 22 + 8}, clLime},
    };
    for (const auto &c : cases) {
        QImage image(c.window->Width(), c.window->Height(), QImage::Format_RGB32);
        TCanvas canvas(image);
        const auto at = [&](const TPoint &p) { return canvas.Pixel(p.X, p.Y) & 0xFFFFFF; };
        for (LPARAM check : {LPARAM(0), PRF_CHECKVISIBLE}) {
            image.fill(Qt::black);
            EXPECT_EQ(c.window->Perform(WM_PRINT, WPARAM(&canvas), check | PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND), 1);
            const bool printed = !check || c.window->isVisible();
            EXPECT_EQ(at(c.frame), printed ? ColorToRGB(clBtnHighlight) : 0);
            EXPECT_EQ(at(c.item), printed ? ColorToRGB(c.itemColor) : 0);
            EXPECT_EQ(at(c.empty), printed ? ColorToRGB(c.background) : 0);
        }
    }
    bar->View()->Select(nullptr, false);
}

} // namespace
