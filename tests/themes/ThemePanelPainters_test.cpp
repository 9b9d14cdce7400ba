// Edit frames, panel caption bars and check controls paint the states and colours they are given.
#include "../themed/TBXTestSupport.h"
#include "themes/Themes.h"
#include "platform/SysParams.h"

namespace {

struct Theme {
    explicit Theme(const char *name) : t((RegisterThemes(), AcquireTheme(name))) {}
    ~Theme() { ReleaseTheme(t); }
    TTBXTheme *operator->() const { return t; }
    TTBXTheme *t;
};

bool SameInside(const QImage &a, const QImage &b, const TRect &r)
{
    return a.copy(r.Left, r.Top, r.Width(), r.Height()) == b.copy(r.Left, r.Top, r.Width(), r.Height());
}

TEST(ThemePanelPainters, EditFramePaintsItsRightButtonInItsOwnStateAndItsFieldAfterTheLeftButton)
{
    TTBXItemInfo info{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    // Office2003: the field, inset by one, starts the left button's width less 2 further right.
    const QImage image = Paint(60, 22, [&](TCanvas &c) { Theme("Office2003")->PaintEditFrame(c, Rect(0, 0, 60, 22), info, {12, 0, {}}); });
    ExpectPixels(image, {{10, 10, clLime}, {11, 10, clWhite}}, "field edge");
    info.HoverKind = HOVER_ENABLED;
    for (const char *name : {"Default", "Office2003", "Aluminum", "Nexos3", "Nexos5", "SentimoX"}) {
        Theme theme(name);
        const auto frame = [&](int state) {
            const TTBXEditFrameInfo edit{0, 13, {EDIT_BUTTON_DROPDOWN, state}};
            return Paint(60, 22, [&](TCanvas &c) { theme->PaintEditFrame(c, Rect(0, 0, 60, 22), info, edit); });
        };
        EXPECT_FALSE(SameInside(frame(0), frame(EDIT_BTN_PUSHED), Rect(45, 0, 60, 22))) << name << ": pushed as at rest";
    }
}

TEST(ThemePanelPainters, CaptionBarFramesInThePanelsBorderColourAndInsetsASideCaption)
{
    TTBXPanelInfo panel;
    panel.BorderSize = {2, 2};
    panel.BorderColor = clRed;
    for (const char *name : {"Office2003", "Aluminum"}) {
        const QImage image = Paint(60, 40, [&](TCanvas &c) { Theme(name)->PaintCaptionBar(c, Rect(0, 0, 60, 40), panel); });
        ExpectPixels(image, {{1, 20, clRed}, {30, 38, clRed}, {58, 20, clRed}}, name);
    }
    // Office2003: a side caption reads down from 4 pixels below the strip's top, inside the border.
    Theme office("Office2003");
    const auto bar = [&](const TTBXPanelInfo &panel) {
        return Paint(40, 120, [&](TCanvas &c) { office->PaintCaptionBar(c, Rect(0, 0, 40, 120), panel); });
    };
    const QImage image = bar({.BorderSize = {2, 2}, .Caption = "MMMMMMMM"}), blank = bar({.BorderSize = {2, 2}, .Caption = {}});
    const int right = 2 + GetSystemMetrics(SM_CYSMCAPTION);
    EXPECT_TRUE(SameInside(image, blank, Rect(2, 2, right, 6)));
    EXPECT_FALSE(SameInside(image, blank, Rect(2, 6, right, 40)));
}

TEST(ThemePanelPainters, CheckControlStates)
{
    constexpr int checked = 1, mixed = 2, disabled = 4, hot = 8, pushed = 16, box = 1, radio = 2;
    const auto paint = [](const Theme &theme, int state, int kind) {
        return Paint(13, 13, [&](TCanvas &c) { theme->PaintCheckControl(c, Rect(0, 0, 13, 13), state, kind, 0); });
    };
    // Aluminum: a disabled control keeps its grey outline under the mouse.
    Theme aluminum("Aluminum");
    for (int kind : {box, radio})
        for (int state : {disabled | hot, disabled | pushed})
            EXPECT_EQ(PixelAt(paint(aluminum, state, kind), 1, 6), 0x9F9F9Fu) << kind << " " << state;
    // The Nexos family: a hot radio button's round face runs from the accent down; a mixed box
    // has no tick.
    const TRect inside = Rect(2, 2, 11, 11);
    for (const char *name : {"Nexos3", "Nexos5", "SentimoX"}) {
        Theme theme(name);
        const QImage face = paint(theme, hot, radio);
        EXPECT_NE(PixelAt(face, 6, 2), PixelAt(face, 6, 10)) << name << ": a flat radio face";
        EXPECT_EQ(PixelAt(face, 1, 1), 0x00FF00u) << name << ": painted outside the round";
        EXPECT_TRUE(SameInside(paint(theme, mixed, box), paint(theme, hot, box), inside)) << name << ": a mixed tick";
        EXPECT_FALSE(SameInside(paint(theme, checked, box), paint(theme, hot, box), inside)) << name;
    }
}

} // namespace
