// Themed popup windows: how they open and when they cast their shadows.
#include "TBXTestSupport.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXUtils.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Anim.h"

namespace {

struct Shadowed : TTBXDefaultTheme {
    using TTBXDefaultTheme::TTBXDefaultTheme;
    int GetPopupShadowType() override { return 2; }
};

// Logs what the window hears about being shown.
class TShownProbe : public TTBXPopupWindow
{
public:
    using TTBXPopupWindow::TTBXPopupWindow;
    std::vector<WPARAM> heard;

protected:
    void WndProc(TMessage &Message) override
    {
        if (Message.Msg == TBXM_POPUPWINDOW)
            heard.push_back(Message.WParam);
        TTBXPopupWindow::WndProc(Message);
    }
};

// Whether it slid in or showed at once, a themed popup hears once that it is shown, and its
// shadow is there from then on.
TEST(TBXPopups, AThemedPopupHearsOnceThatItIsShownAndThenCastsItsShadow)
{
    if (!IsThemeRegistered("Shadowed"))
        RegisterTheme("Shadowed", ThemeClassOf<Shadowed>());
    SetCurrentTheme("Shadowed");
    TTBXItem parent(nullptr);
    parent.Add(new TTBXItem(&parent));
    const struct { const char *name; int mode; bool slides; std::vector<WPARAM> heard; } cases[] = {
        {"unfolds", 3, true, {PW_CANANIMATE, PW_ANIMATED}},
        {"no animation", 0, false, {PW_SHOWN}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBXMenuAnimation().SetMenuAnimationMode(c.mode);
        TShownProbe popup(nullptr, nullptr, &parent, false);
        popup.SetBounds(200, 200, 120, 60);
        popup.SetAnimationDirection(4);
        popup.ShowPopup(true);
        EXPECT_EQ(MenuAnimationWindow() == &popup, c.slides);
        EXPECT_EQ(popup.Shadow() != nullptr, !c.slides) << "no shadow under a window still sliding in";
        EndMenuAnimation(&popup);
        EXPECT_EQ(popup.heard, c.heard);
        EXPECT_NE(popup.Shadow(), nullptr);
        popup.ShowPopup(false);
        EXPECT_EQ(popup.Shadow(), nullptr) << "hidden, it casts none";
    }
    TBXMenuAnimation().SetMenuAnimationMode(1);
    SetCurrentTheme("Default");
}

} // namespace
