// The colour a control takes from a themed parent that has none of its own (clNone): the
// colour the parent shows, never "no colour", which paints black.
#include "TBXTestSupport.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXDkPanels.h"
#include "platform/Forms.h"
#include "platform/SysColors.h"
#include <QLineEdit>

namespace {

constexpr TColor Shade = 0x00336699;
constexpr TColor FormColor = 0x00CCDDEE;

struct Shaded : TTBXDefaultTheme {
    using TTBXDefaultTheme::TTBXDefaultTheme;
    TColor GetViewColor(int) override { return Shade; }
};

// What the control paints behind its widget (which leaves its corners to it), at its top-left
// corner.
TColor Corner(TControl &c)
{
    QImage image = BlankImage(c.Width(), c.Height(), clLime);
    TCanvas canvas(image);
    c.Perform(WM_PRINT, WPARAM(&canvas), PRF_CLIENT | PRF_ERASEBKGND);
    return PixelAt(image, 0, 0);
}

// An edit put on a parent the way the main tool bar's search box is: its item first, then the
// control joins the parent.
TWidgetControl *AddEdit(TForm &form, TWinControl *parent)
{
    auto *holder = new TWidgetControl(&form, new QLineEdit);
    holder->SetBounds(0, 0, 120, 22);
    if (auto *bar = dynamic_cast<TTBCustomToolbar *>(parent))
        bar->Items()->Add(TTBControlItem::CreateControlItem(nullptr, holder));
    holder->SetParent(parent);
    return holder;
}

TEST(TBXChildColor, AControlOnAColourlessThemedParentTakesTheColourItShows)
{
    if (!IsThemeRegistered("Shaded"))
        RegisterTheme("Shaded", ThemeClassOf<Shaded>());
    SetCurrentTheme("Shaded");
    TForm form(nullptr);
    form.SetBounds(0, 0, 500, 300);
    form.SetColor(FormColor);
    auto *dock = new TSpTBXDock(&form);
    dock->SetParent(&form);
    auto *docked = new TSpTBXToolbar(&form);
    docked->SetCurrentDock(dock);
    auto *onForm = new TTBXToolbar(&form);
    onForm->SetParent(&form);
    onForm->SetBounds(0, 100, 200, 30);
    auto *panel = new TTBXPanelObject(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 200, 200, 40);
    // A panel shows what is behind it; a toolbar standing on it shows the same.
    auto *panelHolder = new TTBXPanelObject(&form);
    panelHolder->SetParent(&form);
    panelHolder->SetBounds(250, 200, 200, 40);
    auto *onPanel = new TTBXToolbar(&form);
    onPanel->SetParent(panelHolder);
    onPanel->SetBounds(0, 0, 200, 30);
    form.Show();
    EXPECT_EQ(GetEffectiveViewColor(panelHolder), clNone) << "a panel has no colour of its own";
    struct Case { const char *parent; TWinControl *control; TColor shown; };
    const Case cases[] = {
        {"docked toolbar: the theme's colour", docked, Shade},
        {"toolbar on a form: the form's colour", onForm, FormColor},
        {"dock: the form's colour", dock, FormColor},
        {"panel: the colour of the panel's parent", panel, FormColor},
        {"toolbar on a panel: the colour the panel shows", onPanel, FormColor},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(c.control->Color(), clNone) << c.parent;
        TWidgetControl *edit = AddEdit(form, c.control);
        EXPECT_EQ(std::tuple(edit->Color(), Corner(*edit)), std::tuple(c.shown, ColorToRGB(c.shown))) << c.parent;
        // A parent given a colour and then none again does not hand on "none".
        c.control->SetColor(clRed);
        c.control->SetColor(clNone);
        EXPECT_EQ(edit->Color(), c.shown) << c.parent << ", its colour taken back";
    }
    // The search box follows a switch of the theme.
    TWidgetControl *search = AddEdit(form, docked);
    SetCurrentTheme("Default");
    EXPECT_EQ(search->Color(), clBtnFace);
}

// A panel that takes its parent's colour asks the parent what it shows, when it joins it and
// when the parent's colour changes without the message naming it.
TEST(TBXChildColor, APanelTakingItsParentsColourAsksForTheColourShown)
{
    struct Answering : TCustomControl {
        Answering() : TCustomControl(nullptr) { SetColor(clNone); }
        void WndProc(TMessage &m) override
        {
            if (m.Msg == TBXM_GETEFFECTIVECOLOR) {
                m.WParam = shown;
                m.Result = 1;
                return;
            }
            TCustomControl::WndProc(m);
        }
        TColor shown = Shade;
    } parent;
    auto *panel = new TTBXPanelObject(&parent);
    panel->SetParent(&parent);
    panel->SetParentColor(true);
    EXPECT_EQ(panel->Color(), Shade);
    parent.shown = FormColor;
    panel->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    EXPECT_EQ(panel->Color(), FormColor);
}

} // namespace
