// Themed toolbars, docks, floating frames and popups on real forms.
#include "TBXTestSupport.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXNexus.h"
#include "themed/TBXUtils.h"
#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include <QApplication>

namespace {

// A theme whose views are one colour and whose popups cast their own shadows.
struct Tinted : TTBXDefaultTheme {
    using TTBXDefaultTheme::TTBXDefaultTheme;
    TColor GetViewColor(int) override { return 0x00123456; }
    int GetPopupShadowType() override { return shadowType; }
    static inline int shadowType = 2;
};

// A theme whose popups open flush against their parent item and cast their own shadows.
struct Flush : Tinted {
    using Tinted::Tinted;
    bool GetBooleanMetric(int index) override
    {
        return index == BMET_POPUP_FLUSH || TTBXDefaultTheme::GetBooleanMetric(index);
    }
};

// Registers a theme class under a name once.
template <typename T = Tinted>
void Register(const QString &name = "Tinted")
{
    if (!IsThemeRegistered(name))
        RegisterTheme(name, ThemeClassOf<T>());
}

struct ThemedForm : ::testing::Test {
    void SetUp() override
    {
        Register();
        SetCurrentTheme("Default");
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 600, 400);
        dock = new TTBXDock(form);
        dock->SetParent(form);
        bar = new TTBXToolbar(form);
        bar->SetHideWhenInactive(false);
        bar->Items()->Add(new TTBXItem(bar));
        bar->Items()->Items(0)->SetCaption("一");
        form->Show();
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetCurrentTheme("Default");
    }

    TForm *form = nullptr;
    TTBXDock *dock = nullptr;
    TTBXToolbar *bar = nullptr;
};

TEST_F(ThemedForm, ViewTypeAndColourOnAFormDockedAndFloating)
{
    using T = TTBXItemTransparency;
    enum Where { Form, Dock, Floating };
    struct Case { Where where; bool menuBar; T transparency; int viewType; };
    const Case cases[] = {
        {Form, false, T::itAuto, 0x1201},  {Form, true, T::itAuto, 0x1202}, {Form, false, T::itEnable, 0x1001},
        {Dock, false, T::itAuto, 0x1001},  {Dock, false, T::itDisable, 0x1201}, {Dock, true, T::itAuto, 0x1002},
        {Floating, false, T::itAuto, 0x1C01},
    };
    for (const Case &c : cases) {
        bar->SetMenuBar(c.menuBar);
        bar->SetItemTransparency(c.transparency);
        bar->SetCurrentDock(c.where == Form ? nullptr : dock);
        if (c.where == Form)
            bar->SetParent(form);
        bar->SetFloatingPosition(form->ClientToScreen({50, 50}));
        bar->SetFloating(c.where == Floating);
        EXPECT_EQ(bar->Perform(TBXM_GETVIEWTYPE), c.viewType) << c.where << " menu bar " << c.menuBar;
        bar->SetFloating(false);  // back to its dock
    }
    // A switch recolours toolbars; a colourless toolbar on a form takes its parent's colour.
    bar->SetCurrentDock(dock);
    EXPECT_EQ(GetEffectiveViewColor(bar), CurrentTheme()->GetViewColor(bar->ViewType()));
    SetCurrentTheme("Tinted");
    EXPECT_EQ(GetEffectiveViewColor(bar), TColor(0x00123456)) << "the new theme's colour after a switch";
    bar->SetCurrentDock(nullptr);
    bar->SetParent(form);
    form->SetColor(0x00ABCDEF);
    EXPECT_EQ(GetEffectiveViewColor(bar), TColor(0x00ABCDEF));
    bar->SetColor(0x00010203);
    EXPECT_EQ(GetEffectiveViewColor(bar), TColor(0x00010203)) << "its own colour wins";
}

TEST_F(ThemedForm, SubmenusMeetTheirParentItemAndCastPlainShadowsThatSpareTheParentMenu)
{
    Register<Flush>("Flush");
    SetCurrentTheme("Flush");
    auto *file = new TSpTBXSubmenuItem(bar);
    file->SetCaption("文件");
    auto *export_ = new TSpTBXSubmenuItem(bar);
    export_->SetCaption("导出");
    file->Add(new TTBXItem(bar));
    file->Items(0)->SetCaption("打开");
    file->Add(export_);
    export_->Add(new TTBXItem(bar));
    export_->Items(0)->SetCaption("名片");
    bar->Items()->Add(file);
    bar->SetCurrentDock(dock);
    QCoreApplication::processEvents();

    TTBView *view = bar->View();
    view->Select(view->Find(file), false);
    ASSERT_TRUE(view->OpenChildPopup(false));
    auto *menu = dynamic_cast<TTBXPopupWindow *>(view->OpenViewerWindow());
    ASSERT_NE(menu, nullptr);
    TTBView *menuView = menu->View();
    TTBItemViewer *exportViewer = menuView->Find(export_);
    menuView->Select(exportViewer, false);
    ASSERT_TRUE(menuView->OpenChildPopup(false));
    auto *submenu = dynamic_cast<TTBXPopupWindow *>(menuView->OpenViewerWindow());
    ASSERT_NE(submenu, nullptr);
    QCoreApplication::sendPostedEvents();

    // The submenu's frame meets the parent item: no frame width over it.
    const TRect item = exportViewer->ScreenRect();
    EXPECT_EQ((TPoint{submenu->Left(), submenu->Top()}), (TPoint{item.Right, item.Top}));
    EXPECT_EQ(submenu->ExclusionRect(), item);
    // Without a compositing manager both shadows are plain strips of half the thickness, and the
    // submenu's never covers the menu it opens from.
    for (TTBXPopupWindow *popup : {menu, submenu}) {
        ASSERT_NE(popup->Shadow(), nullptr);
        EXPECT_TRUE(popup->Shadow()->Plain());
        EXPECT_FALSE(popup->Shadow()->Pieces().empty());
        for (const auto &piece : popup->Shadow()->Pieces()) {
            EXPECT_TRUE(piece->isVisible());
            EXPECT_LE(std::min(piece->width(), piece->height()), 2);
        }
    }
    const QRect parentMenu = menu->frameGeometry();
    for (const auto &piece : submenu->Shadow()->Pieces())
        EXPECT_FALSE(piece->geometry().intersects(parentMenu)) << "a piece over the parent menu";
    // The first menu's shadow follows the toolbar item it drops from as well.
    const TRect button = view->Find(file)->ScreenRect();
    bool besideButton = false;
    for (const auto &piece : menu->Shadow()->Pieces())
        besideButton = besideButton || (piece->geometry().left() == button.Right && piece->geometry().bottom() < button.Bottom);
    EXPECT_TRUE(besideButton);
    view->CloseChildPopups();
    EXPECT_EQ(view->OpenViewerWindow(), nullptr);
}

TEST_F(ThemedForm, OnlyATypeTwoSubmenuShadowIsCutWhereItsParentMenuIs)
{
    Register<Flush>("Flush");
    SetCurrentTheme("Flush");
    auto *file = new TSpTBXSubmenuItem(bar);
    file->SetCaption("文件");
    auto *export_ = new TSpTBXSubmenuItem(bar);
    export_->SetCaption("导出");
    file->Add(export_);
    // Items below the parent item, so the submenu's bottom shadow passes over its parent menu.
    for (const char *caption : {"打开", "关闭", "退出"}) {
        file->Add(new TTBXItem(bar));
        file->Items(file->Count() - 1)->SetCaption(caption);
    }
    export_->Add(new TTBXItem(bar));
    export_->Items(0)->SetCaption("名片");
    bar->Items()->Add(file);
    bar->SetCurrentDock(dock);
    QCoreApplication::processEvents();

    struct Case { int type; bool overParentMenu; };
    for (const Case c : {Case{2, false}, Case{3, true}}) {
        Tinted::shadowType = c.type;
        TTBView *view = bar->View();
        view->Select(view->Find(file), false);
        ASSERT_TRUE(view->OpenChildPopup(false));
        auto *menu = dynamic_cast<TTBXPopupWindow *>(view->OpenViewerWindow());
        ASSERT_NE(menu, nullptr);
        TTBView *menuView = menu->View();
        menuView->Select(menuView->Find(export_), false);
        ASSERT_TRUE(menuView->OpenChildPopup(false));
        auto *submenu = dynamic_cast<TTBXPopupWindow *>(menuView->OpenViewerWindow());
        ASSERT_NE(submenu, nullptr);
        QCoreApplication::sendPostedEvents();
        ASSERT_NE(submenu->Shadow(), nullptr);
        ASSERT_LT(submenu->BoundsRect().Bottom, menu->BoundsRect().Bottom) << "the case needs the submenu above its menu's end";

        bool overParentMenu = false;
        for (const auto &piece : submenu->Shadow()->Pieces())
            overParentMenu = overParentMenu || piece->geometry().intersects(menu->frameGeometry());
        EXPECT_EQ(overParentMenu, c.overParentMenu) << "shadow type " << c.type;
        view->CloseChildPopups();
    }
    Tinted::shadowType = 2;
}

TEST_F(ThemedForm, TheDockedCloseButtonLightsUpUnderThePointer)
{
    bar->SetCloseButtonWhenDocked(true);
    bar->SetCurrentDock(dock);
    QCoreApplication::processEvents();
    TTBXFrameInfo info;
    bar->GetFrameInfo(info);
    TRect button;
    GetCloseButtonRect(info, button);
    const auto ncPixel = [&] {
        QImage shot = BlankImage(bar->Width(), bar->Height(), clLime);
        TCanvas canvas(shot);
        bar->PaintDockableNCArea(canvas);
        return PixelAt(shot, button.Left, button.Top);
    };
    // Over the close button, elsewhere on the frame, and gone.
    const TPoint over = bar->ClientToScreen({-1, -1});
    struct Step { UINT msg; WPARAM hit; int state; TColor corner; };
    const Step steps[] = {
        {WM_NCMOUSEMOVE, WPARAM(tbHTCloseButton), CLOSE_VISIBLE | CLOSE_HOT, clBtnHighlight},
        {WM_NCMOUSEMOVE, WPARAM(tbHTDragHandle), CLOSE_VISIBLE, clBtnFace},
        {WM_NCMOUSEMOVE, WPARAM(tbHTCloseButton), CLOSE_VISIBLE | CLOSE_HOT, clBtnHighlight},
        {WM_NCMOUSELEAVE, 0, CLOSE_VISIBLE, clBtnFace},
    };
    for (const Step &s : steps) {
        bar->Perform(s.msg, s.hit, PointToLParam(over));
        bar->GetFrameInfo(info);
        EXPECT_EQ(info.CloseButtonState, s.state) << s.msg << " " << s.hit;
        EXPECT_EQ(bar->CloseButtonHot(), (s.state & CLOSE_HOT) != 0);
        EXPECT_EQ(ncPixel(), ColorToRGB(s.corner)) << s.msg << " " << s.hit;
    }
}

TEST(TBXFloatingAndPopups, AMoveSnapsToTheWorkAreaAndPopupShadowsFollowTheTheme)
{
    const TRect work{0, 0, 1000, 800};
    struct Case { TRect bounds; int distance; TPoint expected; };
    // Near the left edge, near the right and bottom edges, too far, no snapping.
    const Case cases[] = {{Bounds(5, 300, 100, 50), 10, {0, 300}}, {Bounds(895, 755, 100, 50), 10, {900, 750}},
                          {Bounds(15, 15, 100, 50), 10, {15, 15}}, {Bounds(5, 5, 100, 50), 0, {5, 5}}};
    for (const Case &c : cases)
        EXPECT_EQ(SnapToWorkArea(c.bounds, work, c.distance), c.expected) << c.bounds.Left << "," << c.distance;
    TForm owner(nullptr);
    TTBXFloatingWindowParent frame(&owner, &owner);
    const TRect area = MonitorRectFromRect(Bounds(300, 300, 100, 80), true);
    frame.SetBounds(300, 300, 100, 80);
    frame.SetSnapDistance(12);
    frame.SetBounds(area.Left + 200, area.Top + 5, 100, 80);
    EXPECT_EQ(frame.Top(), area.Top) << "a move snaps";
    frame.SetBounds(area.Left + 200, area.Top + 7, 120, 90);
    EXPECT_EQ(frame.Top(), area.Top + 7) << "a resize does not";
    // Popup shadows follow the theme's shadow type; tool box popups say what they are.
    Register();
    SetCurrentTheme("Tinted");
    TTBXItem parent(nullptr);
    parent.Add(new TTBXItem(&parent));
    for (int type : {1, 2, 3}) {
        Tinted::shadowType = type;
        TTBXPopupWindow popup(nullptr, nullptr, &parent, false);
        popup.SetBounds(200, 200, 120, 60);
        popup.ShowPopup(true);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(std::tuple(popup.Shadow() != nullptr, popup.Perform(TBXM_GETVIEWTYPE)),
                  std::tuple(type != 1, VT_POPUPMENU)) << "shadow type " << type;
    }
    parent.SetToolBoxPopup(true);
    TTBXPopupWindow toolbox(nullptr, nullptr, &parent, false);
    EXPECT_EQ(toolbox.Perform(TBXM_GETVIEWTYPE), VT_TOOLBOX);
    Tinted::shadowType = 2;
    SetCurrentTheme("Default");
}

TEST(SpTBXThemeGroupAndStatusBar, ThemesListedAndSwitchedGripAndSeparatorsOfTheStatusBar)
{
    Register();
    Register<TTBXDefaultTheme>("aardvark");
    SetCurrentTheme("Tinted");
    TTBXTheme *live = CurrentTheme();
    TTBRootItem root(nullptr);
    auto *group = new TSpTBXThemeGroupItem(nullptr);
    root.Add(group);
    auto *own = new TSpTBXItem(nullptr);
    own->SetCaption("其他");
    group->Add(own);
    int updates = 0;
    group->OnUpdate = [&](TComponent *) { ++updates; };
    group->SetInsertIndex(1);
    Listening::Log heard;
    Listening listener(&heard);
    group->RebuildThemeItems();
    group->RebuildThemeItems();
    EXPECT_TRUE(heard.empty()) << "a rebuild switches no theme";
    QStringList registered;
    ListThemeNames(&registered);
    ASSERT_EQ(group->Count(), registered.size() + 1);
    EXPECT_EQ(group->Items(0), own) << "items not of the chooser stay where they were";
    QStringList captions;  // checked: the live theme's alone
    for (int i = 1; i < group->Count(); ++i) {
        captions << group->Items(i)->Caption();
        EXPECT_EQ(group->Items(i)->Checked(), captions.last() == "Tinted") << captions.last().toStdString();
    }
    const auto before = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    EXPECT_TRUE(std::is_sorted(captions.begin() + 1, captions.end(), before));
    // Default first, then sorted; a rebuild leaves the live theme alone.
    EXPECT_EQ(std::tuple(captions[0], captions[1], updates, CurrentTheme()),
              std::tuple("Default", "aardvark", 2, live));
    group->Items(1)->Click();
    EXPECT_EQ(std::tuple(CurrentThemeName(), group->Items(1)->Checked()), std::tuple("Default", true)) << "a click";
    // A status bar: the grip at the right end of a normal form; under an Office theme a flat body and separators.
    Register();
    Register("OfficeLike");
    TForm form(nullptr);
    form.SetBounds(100, 100, 500, 300);
    auto *bar = new TSpTBXStatusBar(&form);
    bar->SetParent(&form);
    auto *first = new TSpTBXLabelItem(nullptr);
    first->SetCaptionW("就绪");
    first->SetCustomWidth(100);
    bar->Items()->Add(first);
    bar->Items()->Add(new TSpTBXSeparatorItem(nullptr));
    auto *second = new TSpTBXLabelItem(nullptr);
    second->SetCaptionW("联系人");
    bar->Items()->Add(second);
    form.Show();
    QCoreApplication::processEvents();
    ASSERT_GT(bar->Dock()->Height(), 0);
    // As high as its dock, at the bottom.
    EXPECT_EQ(std::tuple(bar->Height(), bar->Top() + bar->Height()),
              std::tuple(bar->Dock()->Height(), form.ClientHeight()));
    const TRect grip = bar->GetStatusGripRect();
    const TRect client = bar->Dock()->ClientRect();
    EXPECT_EQ(grip, (TRect{client.Right - GetSystemMetrics(SM_CXVSCROLL), -3, client.Right, client.Bottom}));
    EXPECT_EQ(bar->Toolbar()->Perform(WM_NCHITTEST, 0,
                                      PointToLParam(bar->Dock()->ClientToScreen({grip.Right - 2, grip.Bottom - 2}))),
              HTBOTTOMRIGHT);
    SetCurrentTheme("Tinted");
    EXPECT_FALSE(bar->StatusBarDrawsSeparators()) << "only under an Office theme";
    SetCurrentTheme("OfficeLike");
    ASSERT_TRUE(bar->StatusBarDrawsSeparators());
    TBitmap shot;
    shot.SetSize(bar->Width(), bar->Height());
    bar->PaintTo(*shot.Canvas(), 0, 0);
    TTBItemViewer *sep = bar->Toolbar()->View()->Viewers(1);
    const int centre = ClientOriginIn(bar->Toolbar(), bar).X + (sep->BoundsRect.Left + sep->BoundsRect.Right) / 2;
    const int y = bar->Height() / 2;
    // The separator's left line in the window colour, then the flat body.
    EXPECT_EQ(std::tuple(shot.Canvas()->Pixel(centre - 2, y), shot.Canvas()->Pixel(centre - 1, y),
                         shot.Canvas()->Pixel(centre - 10, y)),
              std::tuple(ColorToRGB(clWindow), ColorToRGB(clBtnFace), ColorToRGB(clBtnFace)));
    SetCurrentTheme("Default");
    form.setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(bar->GetStatusGripRect().IsEmpty()) << "no grip on a maximized form";
}

// A status bar of a 100-px label, a separator and another label.
} // namespace
