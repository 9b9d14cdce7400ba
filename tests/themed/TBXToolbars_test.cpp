// Themed toolbars, docks, floating frames and popups on real forms.
#include "TBXTestSupport.h"
#include "../toolbar/TB2TestSupport.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXDkPanels.h"
#include "themed/TBXNexus.h"
#include "themed/TBXUtils.h"
#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Anim.h"
#include <QApplication>
#include <QLineEdit>
#include <initializer_list>
#include <set>

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
        // A test that turned menu animation off or changed the shadow type, even one stopped
        // by a failed assertion, leaves neither to the tests after it.
        ResetSysParams();
        Tinted::shadowType = 2;
    }

    // A 文件 menu on the docked bar with a 导出 submenu holding 名片. The 文件 items come
    // before and after 导出 as the test asks, since where the submenu opens depends on them.
    struct FileMenu {
        TSpTBXSubmenuItem *file = nullptr;
        TSpTBXSubmenuItem *export_ = nullptr;
    };
    FileMenu AddFileMenu(std::initializer_list<const char *> before, std::initializer_list<const char *> after)
    {
        FileMenu m{new TSpTBXSubmenuItem(bar), new TSpTBXSubmenuItem(bar)};
        m.file->SetCaption("文件");
        m.export_->SetCaption("导出");
        const auto addItem = [this](TTBCustomItem *menu, const char *caption) {
            menu->Add(new TTBXItem(bar));
            menu->Items(menu->Count() - 1)->SetCaption(caption);
        };
        for (const char *caption : before)
            addItem(m.file, caption);
        m.file->Add(m.export_);
        for (const char *caption : after)
            addItem(m.file, caption);
        addItem(m.export_, "名片");
        bar->Items()->Add(m.file);
        bar->SetCurrentDock(dock);
        QCoreApplication::processEvents();
        return m;
    }
    // Opens 文件 from the bar and 导出 from it; void so that a menu that fails to open stops the test.
    void OpenExport(const FileMenu &m, TTBXPopupWindow *&menu, TTBXPopupWindow *&submenu)
    {
        TTBView *view = bar->View();
        view->Select(view->Find(m.file), false);
        ASSERT_TRUE(view->OpenChildPopup(false));
        menu = dynamic_cast<TTBXPopupWindow *>(view->OpenViewerWindow());
        ASSERT_NE(menu, nullptr);
        TTBView *menuView = menu->View();
        menuView->Select(menuView->Find(m.export_), false);
        ASSERT_TRUE(menuView->OpenChildPopup(false));
        submenu = dynamic_cast<TTBXPopupWindow *>(menuView->OpenViewerWindow());
        ASSERT_NE(submenu, nullptr);
        QCoreApplication::sendPostedEvents();
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

// A control on a colourless themed parent takes the colour the parent shows, never its clNone,
// which paints black (the search box's corners on the main tool bar).
TEST_F(ThemedForm, AControlOnAColourlessParentTakesTheColourItShows)
{
    SetCurrentTheme("Tinted");
    const TColor shade = 0x00123456, formColor = 0x00CCDDEE;
    form->SetColor(formColor);
    bar->SetCurrentDock(dock);
    const auto put = [](auto *control, TWinControl *parent) {
        control->SetParent(parent);
        control->SetBounds(0, 0, 200, 40);
        return control;
    };
    auto *panel = put(new TTBXPanelObject(form), form);
    // A panel shows what is behind it; a panel taking its parent's colour takes that too.
    auto *inPanel = put(new TTBXPanelObject(form), panel);
    inPanel->SetParentColor(true);
    EXPECT_EQ(inPanel->Color(), formColor);
    struct Case { const char *parent; TWinControl *control; TColor shown; };
    const Case cases[] = {
        {"docked toolbar", bar, shade},
        {"toolbar on a form", put(new TTBXToolbar(form), form), formColor},
        {"dock", dock, formColor},
        {"panel", panel, formColor},
        {"toolbar on a panel", put(new TTBXToolbar(form), put(new TTBXPanelObject(form), form)), formColor},
    };
    std::vector<TWidgetControl *> edits;
    for (const Case &c : cases) {
        auto *edit = edits.emplace_back(new TWidgetControl(form, new QLineEdit));
        if (auto *toolbar = dynamic_cast<TTBCustomToolbar *>(c.control))
            toolbar->Items()->Add(TTBControlItem::CreateControlItem(nullptr, edit));
        edit->SetParent(c.control);
        EXPECT_EQ(edit->Color(), c.shown) << c.parent;
        c.control->SetColor(clRed);
        c.control->SetColor(clNone);
        EXPECT_EQ(edit->Color(), c.shown) << c.parent << ", its colour taken back";
    }
    SetCurrentTheme("Default");
    EXPECT_EQ(edits[0]->Color(), clBtnFace) << "the search box follows a switch of the theme";
}

TEST_F(ThemedForm, SubmenusMeetTheirParentItemAndCastPlainShadowsThatSpareTheParentMenu)
{
    Register<Flush>("Flush");
    SetCurrentTheme("Flush");
    // Shown at once: an opening animation puts the shadow off until it ends.
    SysParams().MenuAnimation = false;
    const FileMenu m = AddFileMenu({"打开"}, {});
    TTBXPopupWindow *menu = nullptr, *submenu = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenExport(m, menu, submenu));
    TTBView *view = bar->View();
    TTBItemViewer *exportViewer = menu->View()->Find(m.export_);

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
    const TRect button = view->Find(m.file)->ScreenRect();
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
    // Shown at once: an opening animation puts the shadow off until it ends.
    SysParams().MenuAnimation = false;
    // Items below the parent item, so the submenu's bottom shadow passes over its parent menu.
    const FileMenu m = AddFileMenu({}, {"打开", "关闭", "退出"});

    struct Case { int type; bool overParentMenu; };
    for (const Case c : {Case{2, false}, Case{3, true}}) {
        Tinted::shadowType = c.type;
        TTBView *view = bar->View();
        TTBXPopupWindow *menu = nullptr, *submenu = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenExport(m, menu, submenu));
        ASSERT_NE(submenu->Shadow(), nullptr);
        ASSERT_LT(submenu->BoundsRect().Bottom, menu->BoundsRect().Bottom) << "the case needs the submenu above its menu's end";

        bool overParentMenu = false;
        for (const auto &piece : submenu->Shadow()->Pieces())
            overParentMenu = overParentMenu || piece->geometry().intersects(menu->frameGeometry());
        EXPECT_EQ(overParentMenu, c.overParentMenu) << "shadow type " << c.type;
        view->CloseChildPopups();
    }
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
    // Shown at once: an opening animation puts the shadow off until it ends.
    SysParams().MenuAnimation = false;
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
    ResetSysParams();
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

} // namespace

// A double click on the handle of a themed toolbar leaves it docked (the framework's own bar
// floats), and a drag over the status bar never drops a toolbar into the status bar's dock.
TEST(TBXToolbarDocking, DoubleClickKeepsThemedBarsDockedAndTheStatusBarTakesNoToolbar)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *top = new TSpTBXDock(&form);
    top->SetParent(&form);
    auto *status = new TSpTBXStatusBar(&form);
    status->SetParent(&form);
    const auto handle = [](TTBCustomToolbar *bar) { return QPoint(4, bar->Height() / 2); };
    struct Case { const char *name; TTBCustomToolbar *bar; bool floats; };
    const Case cases[] = {{"framework toolbar", new TTBToolbar(&form), true},
                          {"themed toolbar", new TTBXToolbar(&form), false},
                          {"wide-string toolbar", new TSpTBXToolbar(&form), false}};
    for (const Case &c : cases) {
        c.bar->SetHideWhenInactive(false);
        c.bar->Items()->Add(new TTBXItem(c.bar));
        c.bar->SetCurrentDock(top);
    }
    form.Show();
    ASSERT_TRUE(sim::WaitFor([&] { return form.isVisible(); }));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // The first press starts a drag, which its release ends; the second press is the double click.
        ScriptSteps first(&form, 1);
        first.Do([&] { sim::Release(c.bar, handle(c.bar)); });
        first.Start();
        sim::Press(c.bar, handle(c.bar));
        EXPECT_TRUE(first.Done());
        sim::Mouse(c.bar, QEvent::MouseButtonDblClick, handle(c.bar), Qt::LeftButton);
        sim::Release(c.bar->Floating() ? static_cast<QWidget *>(&form) : c.bar, QPoint(4, 4));
        QApplication::processEvents();
        EXPECT_EQ(c.bar->Floating(), c.floats);
        c.bar->SetCurrentDock(top);
    }
    TTBCustomToolbar *bar = cases[2].bar;
    bar->SetSmoothDrag(true);
    const QPoint overStatus = form.mapFromGlobal(status->mapToGlobal(QPoint(status->width() / 2, status->height() / 2)));
    bool docked = true;
    ScriptSteps s(&form, 1);
    s.Do([&] { sim::Move(&form, overStatus); });
    s.Do([&] {
        docked = bar->Docked();
        sim::Release(&form, overStatus);
    });
    s.Start();
    sim::Press(bar, handle(bar));
    EXPECT_TRUE(s.Done());
    EXPECT_FALSE(docked) << "floating while held over the status bar";
    EXPECT_TRUE(bar->Floating());
    EXPECT_EQ(status->Dock()->GetToolbarCount(), 1);
    EXPECT_EQ(status->Toolbar()->CurrentDock(), status->Dock());
}

// A toolbar longer than its dock row shrinks to the row and shows its chevron, whose menu holds
// the items that no longer fit; the window's menu bar above it keeps wrapping.
TEST(TBXToolbarDocking, AToolbarLongerThanItsRowShowsItsChevron)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 900, 300);
    auto *dock = new TSpTBXDock(&form);
    dock->SetParent(&form);
    auto *menuBar = new TSpTBXToolbar(&form);
    menuBar->SetMenuBar(true);
    menuBar->SetCurrentDock(dock);
    for (const char *caption : {"文件(&F)", "操作(&O)", "工具(&T)", "帮助(&H)"}) {
        auto *menu = new TSpTBXSubmenuItem(menuBar);
        menu->SetCaption(QString::fromUtf8(caption));
        menuBar->Items()->Add(menu);
    }
    auto *bar = new TSpTBXToolbar(&form);
    bar->SetDockRow(1);
    bar->SetCurrentDock(dock);
    QStringList captions;
    for (int i = 0; i < 8; ++i) {
        auto *item = new TSpTBXItem(bar);
        captions << QStringLiteral("命令%1").arg(i);
        item->SetCaption(captions.back());
        bar->Items()->Add(item);
    }
    auto *edit = new QLineEdit;
    edit->resize(180, 22);
    auto *holder = new TWidgetControl(&form, edit);
    holder->SetBounds(0, 0, 180, 22);
    bar->Items()->Add(TTBControlItem::CreateControlItem(nullptr, holder));
    holder->SetParent(bar);
    bar->SetVisible(false);
    form.Show();
    bar->SetVisible(true);
    ASSERT_TRUE(sim::WaitFor([&] { return form.isVisible(); }));
    const auto chevron = [&] {
        for (int i = 0; i < bar->View()->ViewerCount(); ++i)
            if (dynamic_cast<TTBChevronItem *>(bar->View()->Viewers(i)->Item))
                return bar->View()->Viewers(i);
        return static_cast<TTBItemViewer *>(nullptr);
    };
    ASSERT_GT(bar->Width(), 440) << "the case needs a toolbar longer than the narrow row";
    for (int width : {440, 900, 300}) {
        SCOPED_TRACE(width);
        form.SetBounds(100, 100, width, 300);
        QApplication::processEvents();
        const bool shrunk = width < 900;
        EXPECT_LE(bar->Left() + bar->Width(), dock->ClientWidth()) << "inside its row";
        ASSERT_NE(chevron(), nullptr);
        EXPECT_EQ(chevron()->Show, shrunk);
        EXPECT_EQ(holder->Left() >= 0, !shrunk) << "the box at the end went into the chevron";
        EXPECT_EQ(menuBar->Left() + menuBar->Width(), dock->ClientWidth()) << "the menu bar takes its whole row";
    }
}

// The mode a themed popup opens with is checked against the desktop's menu settings when it is
// set; the style is then asked anew for each popup, so the desktop's current settings count.
TEST(TBXMenuAnimation, ModesAndStylesFollowTheDesktopsMenuSettings)
{
    struct Case { const char *name; int mode; bool animation, fade, layered; int modeAfter; std::set<int> styles; };
    const Case cases[] = {
        {"as the desktop, animation off", 1, false, true, true, 0, {0}},
        {"as the desktop, fading", 1, true, true, true, 1, {3}},
        {"as the desktop, sliding", 1, true, false, true, 1, {2}},
        {"none", 0, true, true, true, 0, {0}},
        {"random, fading possible", 2, false, false, true, 2, {1, 2, 3}},
        {"random, no layered windows", 2, true, true, false, 2, {1, 2}},
        {"unfold", 3, false, false, true, 3, {1}},
        {"slide", 4, true, true, true, 4, {2}},
        {"fade", 5, false, false, true, 5, {3}},
        {"past the last mode", 9, true, true, true, 5, {3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SysParams().MenuAnimation = c.animation;
        SysParams().MenuFade = c.fade;
        SysParams().LayeredWindows = c.layered;
        TTBXMenuAnimation animation(c.mode);
        EXPECT_EQ(animation.MenuAnimationMode(), c.modeAfter);
        std::set<int> styles;
        for (int i = 0; i < 200; ++i)
            styles.insert(animation.AnimationStyle());
        EXPECT_EQ(styles, c.styles);
    }
    // Animation switched off on the desktop after the mode was set: popups open at once.
    SysParams().MenuAnimation = true;
    TTBXMenuAnimation animation(1);
    SysParams().MenuAnimation = false;
    EXPECT_EQ(animation.AnimationStyle(), 0);
    ResetSysParams();
}

// A menu dropped from a themed bar opens in the style its settings give: fading from the first
// step's transparency, sliding down, or unfolding down and to the right. It casts its shadow as
// soon as it is shown, not while it is still coming in.
TEST_F(ThemedForm, APopupOpensInTheStyleOfTheMenuAnimationMode)
{
    SetCurrentTheme("Tinted");
    auto *file = new TSpTBXSubmenuItem(bar);
    file->SetCaption("文件");
    file->Add(new TTBXItem(bar));
    file->Items(0)->SetCaption("打开");
    bar->Items()->Add(file);
    bar->SetCurrentDock(dock);
    QCoreApplication::processEvents();
    SetMenuAnimationClock([] { return qint64(0); });
    SysParams().MenuAnimation = true;
    SysParams().LayeredWindows = true;
    const int oldMode = TBXMenuAnimation().MenuAnimationMode();
    struct Case { const char *name; int mode; bool fade; int alpha; QPoint regionOffset; };
    const Case cases[] = {{"as the desktop, fading", 1, true, 40, {}},
                          {"as the desktop, sliding", 1, false, 255, {0, -1}},
                          {"unfold", 3, true, 255, {-1, -1}},
                          {"none", 0, true, 255, {}}};
    TTBView *view = bar->View();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SysParams().MenuFade = c.fade;
        TBXMenuAnimation().SetMenuAnimationMode(c.mode);
        // A new menu of the bar: the last one's closing no longer forbids the animation.
        view->State().Exclude(TTBViewStateItem::vsNoAnimation);
        view->Select(view->Find(file), false);
        ASSERT_TRUE(view->OpenChildPopup(false));
        auto *menu = dynamic_cast<TTBXPopupWindow *>(view->OpenViewerWindow());
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(MenuAnimationWindow() == menu, c.mode != 0) << "animating";
        EXPECT_EQ(menu->AlphaBlendValue(), c.alpha);
        const QPoint offset(c.regionOffset.x() * menu->width(), c.regionOffset.y() * menu->height());
        EXPECT_EQ(menu->WindowRegion().has_value(), !c.regionOffset.isNull());
        if (menu->WindowRegion()) {
            EXPECT_EQ(menu->WindowRegion()->boundingRect(), menu->rect().translated(offset));
        }
        EXPECT_EQ(menu->Shadow() != nullptr, c.mode == 0);
        EndMenuAnimation(menu);
        EXPECT_NE(menu->Shadow(), nullptr);
        view->CloseChildPopups();
        EXPECT_EQ(MenuAnimationWindow(), nullptr);
    }
    TBXMenuAnimation().SetMenuAnimationMode(oldMode);
    SetMenuAnimationClock(nullptr);
    ResetSysParams();
}
