// The floating window of a dockable window as a window among the program's: its frame when it
// may not be resized, its stacking above all forms, where the activation goes when it hides,
// the popup menus of docks and dockable windows, and printing the framework's windows.
#include "TB2TestSupport.h"
#include "toolbar/TB2Common.h"

namespace {

// Records where and for whom it was asked to pop up.
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
        bar->SetCaption(QStringLiteral("工具"));
        for (int i = 0; i < 3; ++i)
            bar->Items()->Add(new TWidthItem(bar));
        bar->SetCurrentDock(dock);
        form->Show();
        ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form; }));
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
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

TEST_F(FloatingForm, ResizableChangesTheFrameAroundTheSameClientArea)
{
    TTBFloatingWindowParent *fp = Float();
    ASSERT_NE(fp, nullptr);
    const int clientWidth = bar->Width(), clientHeight = bar->Height();
    const struct { bool resizable; int border; int leftEdgeCode; } cases[] = {
        {false, SysParams().CxDlgFrame, HTBORDER},
        {true, SysParams().CxFrame, HTLEFT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.resizable);
        bar->SetResizable(c.resizable);
        EXPECT_EQ(fp->Width(), clientWidth + 2 * c.border);
        EXPECT_EQ(bar->Width(), clientWidth);
        EXPECT_EQ(bar->Height(), clientHeight);
        const TPoint onLeftEdge = TPoint::FromQPoint(fp->mapToGlobal(QPoint(0, 0)));  // the window's corner
        EXPECT_EQ(fp->Perform(WM_NCHITTEST, 0, PointToLParam({onLeftEdge.X + 1, onLeftEdge.Y + fp->Height() / 2})),
                  c.leftEdgeCode);
    }
}

TEST_F(FloatingForm, OnTopOfAllFormsIsTopMostWhileNoModalWindowBlocksIt)
{
    TTBFloatingWindowParent *fp = Float();
    const auto topMost = [fp] { return fp->WindowKinds().Contains(wkTopMost); };
    EXPECT_FALSE(topMost());
    EXPECT_TRUE(fp->WindowKinds().Contains(wkNoActivate)) << "a click leaves the form active";
    bar->SetFloatingMode(TTBFloatingMode::fmOnTopOfAllForms);
    EXPECT_TRUE(topMost());
    {
        // A modal window blocks it: it makes way.
        TForm dialog(nullptr);
        dialog.SetBounds(150, 150, 100, 80);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.Show();
        EXPECT_TRUE(sim::WaitFor([&] { return !topMost(); }));
        dialog.Hide();
        EXPECT_TRUE(sim::WaitFor(topMost));
    }
    bar->SetFloatingMode(TTBFloatingMode::fmOnTopOfParentForm);
    EXPECT_FALSE(topMost());
    EXPECT_TRUE(fp->isVisible());
}

TEST_F(FloatingForm, HidingTheActiveFloatingWindowGivesTheActivationBackToItsForm)
{
    TTBFloatingWindowParent *fp = Float();
    ASSERT_TRUE(sim::WaitFor([&] { return fp->isVisible(); }));
    fp->activateWindow();
    ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == fp; }));
    bar->Hide();
    EXPECT_FALSE(fp->isVisible());
    EXPECT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == form; }));
}

TEST_F(FloatingForm, ContextMenusOfDocksAndToolbarsTakeTheirFramesAndClientAreas)
{
    TRecordingMenu dockMenu(nullptr), barMenu(nullptr);
    dock->SetPopupMenu(&dockMenu);
    form->SetBounds(100, 100, 500, 300);
    const TRect nc = bar->GetDockedNCArea(dock);
    const QPoint handle(2, bar->Height() / 2), item(nc.Left + 5, nc.Top + 5);
    const QPoint emptyDock(bar->Left() + bar->Width() + 20, bar->Height() / 2);
    bool handleContext = false;
    const struct {
        const char *name;
        bool barHasMenu, barHandles;
        QWidget *where;
        QPoint at;
        TRecordingMenu *expected;
        TComponent *component;
    } cases[] = {
        {"the dock's empty part", false, false, dock, emptyDock, &dockMenu, dock},
        {"a toolbar's handle, no menu of its own", false, false, bar, handle, &dockMenu, dock},
        {"a toolbar's handle", true, false, bar, handle, &barMenu, bar},
        {"a toolbar's item", true, false, bar, item, &barMenu, bar},
        {"OnContextPopup takes it", true, true, bar, handle, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dockMenu.shown.clear();
        barMenu.shown.clear();
        bar->SetPopupMenu(c.barHasMenu ? &barMenu : nullptr);
        handleContext = c.barHandles;
        bar->OnContextPopup = [&](TComponent *, TPoint, bool &handled) { handled = handleContext; };
        sim::Click(c.where, c.at, Qt::RightButton);
        for (TRecordingMenu *m : {&dockMenu, &barMenu}) {
            if (m != c.expected) {
                EXPECT_TRUE(m->shown.empty());
                continue;
            }
            ASSERT_EQ(m->shown.size(), 1u);
            EXPECT_EQ(m->shown[0].first, c.component);
            EXPECT_EQ(m->shown[0].second, TPoint::FromQPoint(c.where->mapToGlobal(c.at)));
        }
    }
    bar->OnContextPopup = nullptr;
    // The floating caption, and the context-menu key, which asks at the client origin.
    barMenu.shown.clear();
    TTBFloatingWindowParent *fp = Float();
    const QPoint caption(fp->Width() / 2, SysParams().CyFrame + 3);
    sim::Click(fp, caption, Qt::RightButton);
    dock->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
    ASSERT_EQ(barMenu.shown.size(), 1u);
    EXPECT_EQ(barMenu.shown[0].second, TPoint::FromQPoint(fp->mapToGlobal(caption)));
    ASSERT_EQ(dockMenu.shown.size(), 1u);
    EXPECT_EQ(dockMenu.shown[0].second, dock->ClientToScreen({0, 0}));
    // A menu that goes is forgotten.
    bar->SetPopupMenu(nullptr);
    dock->SetPopupMenu(nullptr);
}

// A framework window prints what it paints: frame, background and items, drawn on the canvas
// it is handed, also while hidden; asked to check, a hidden one prints nothing.
TEST_F(FloatingForm, DockedToolbarsAndPopupWindowsPrintThroughTheirOwnPainting)
{
    TTBPopupWindow popup(nullptr, nullptr, bar->Items(), false);
    popup.View()->EnsureLayout();
    popup.SetColor(clLime);
    bar->View()->Select(bar->View()->Viewers(1), false);
    popup.View()->Select(popup.View()->Viewers(0), false);
    const TRect barItem = bar->View()->Viewers(1)->BoundsRect;
    const TRect menuItem = popup.View()->Viewers(0)->BoundsRect;
    const TRect barNC = bar->GetDockedNCArea(dock);
    const struct {
        const char *name;
        TControl *window;
        TPoint frame;   // on the frame's light line
        TPoint item;    // painted by the selected item
        TColor itemColor;
        TPoint empty;   // background only
        TColor background;
    } cases[] = {
        {"docked toolbar", bar, {0, bar->Height() / 2}, {barNC.Left + barItem.Left, barNC.Top + 5}, clBtnHighlight,
         {barNC.Left + barItem.Left - 2, barNC.Top + 5}, clBtnFace},
        {"hidden popup", &popup, {1, popup.Height() / 2}, {3 + menuItem.Left + 10, 3 + menuItem.Top + 5}, clHighlight,
         {3 + menuItem.Left + 10, 3 + menuItem.Bottom + 5}, clLime},
    };
    const auto at = [](const TCanvas &c, const TPoint &p) { return c.Pixel(p.X, p.Y) & 0xFFFFFF; };
    const auto rgb = [](TColor c) { return ColorToRGB(c) & 0xFFFFFF; };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(c.window->Width(), c.window->Height(), QImage::Format_RGB32);
        image.fill(Qt::black);
        TCanvas canvas(image);
        EXPECT_EQ(c.window->Perform(WM_PRINT, WPARAM(&canvas), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND), 1);
        EXPECT_EQ(at(canvas, c.frame), rgb(clBtnHighlight));
        EXPECT_EQ(at(canvas, c.item), rgb(c.itemColor));
        EXPECT_EQ(at(canvas, c.empty), rgb(c.background));
        image.fill(Qt::black);
        c.window->Perform(WM_PRINT, WPARAM(&canvas), PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT);
        EXPECT_EQ(at(canvas, c.frame), c.window->isVisible() ? rgb(clBtnHighlight) : 0);
    }
    bar->View()->Select(nullptr, false);
}

} // namespace
