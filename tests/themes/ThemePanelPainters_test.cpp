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
    const TRect r = Rect(0, 0, 60, 22);
    Theme office("Office2003");
    const QImage field = Paint(60, 22, [&](TCanvas &c) { office->PaintEditFrame(c, r, info, {12, 0, {}}); });
    ExpectPixels(field, {{10, 10, clLime}, {11, 10, clWhite}}, "field edge");
    info.HoverKind = HOVER_ENABLED;
    for (const char *name : {"Default", "Office2003", "Aluminum", "Nexos3", "Nexos5", "SentimoX"}) {
        Theme theme(name);
        const auto frame = [&](int state) {
            const TTBXEditFrameInfo edit{0, 13, {EDIT_BUTTON_DROPDOWN, state}};
            return Paint(60, 22, [&](TCanvas &c) { theme->PaintEditFrame(c, r, info, edit); });
        };
        EXPECT_FALSE(SameInside(frame(0), frame(EDIT_BTN_PUSHED), Rect(45, 0, 60, 22)))
            << name << ": a pushed button looks as one at rest";
    }
}

TEST(ThemePanelPainters, CaptionBarFramesInThePanelsBorderColourAndInsetsASideCaption)
{
    TTBXPanelInfo panel;
    panel.BorderSize = {2, 2};
    panel.BorderColor = clRed;
    for (const char *name : {"Office2003", "Aluminum"}) {
        Theme theme(name);
        const QImage bar = Paint(60, 40, [&](TCanvas &c) { theme->PaintCaptionBar(c, Rect(0, 0, 60, 40), panel); });
        ExpectPixels(bar, {{1, 20, clRed}, {30, 38, clRed}, {58, 20, clRed}}, name);
    }
    // Office2003: a side caption reads down from 4 pixels below the strip's top, inside the border.
    Theme office("Office2003");
    const auto bar = [&] {
        return Paint(40, 120, [&](TCanvas &c) { office->PaintCaptionBar(c, Rect(0, 0, 40, 120), panel); });
    };
    const QImage blank = bar();
    panel.Caption = "MMMMMMMM";
    const QImage image = bar();
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
    // The Nexos family: a hot radio button's face runs from the accent down; a mixed box has no
    // tick.
    const TRect inside = Rect(2, 2, 11, 11);
    for (const char *name : {"Nexos3", "Nexos5", "SentimoX"}) {
        Theme theme(name);
        const QImage face = paint(theme, hot, radio);
        EXPECT_NE(PixelAt(face, 6, 2), PixelAt(face, 6, 10)) << name << ": a flat radio face";
        EXPECT_TRUE(SameInside(paint(theme, mixed, box), paint(theme, hot, box), inside)) << name << ": a mixed tick";
        EXPECT_FALSE(SameInside(paint(theme, checked, box), paint(theme, hot, box), inside)) << name;
    }
}

} // namespace
