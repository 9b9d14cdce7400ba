// Edit frames, panel caption bars and check controls: what they take from their info records.
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
    const TTBXItemInfo info{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true,
                            .HoverKind = HOVER_ENABLED};
    for (const char *name : {"Default", "Office2003", "Aluminum", "Nexos3", "Nexos5", "SentimoX"}) {
        Theme theme(name);
        auto frame = [&](TTBXEditFrameInfo edit) {
            return Paint(60, 22, [&](TCanvas &c) { theme->PaintEditFrame(c, Rect(0, 0, 60, 22), info, edit); });
        };
        EXPECT_FALSE(SameInside(frame({0, 13, {EDIT_BUTTON_DROPDOWN, 0}}),
                                frame({0, 13, {EDIT_BUTTON_DROPDOWN, EDIT_BTN_PUSHED}}), Rect(45, 0, 60, 22)))
            << name << ": a pushed button looks like one at rest";
    }
    // Office2003: the field, inset by one, starts the left button's width less 2 further right.
    Theme office("Office2003");
    const TTBXItemInfo rest{.ViewType = VT_NORMALTOOLBAR, .ItemOptions = IO_TOOLBAR_STYLE, .Enabled = true};
    const QImage image = Paint(60, 22, [&](TCanvas &c) { office->PaintEditFrame(c, Rect(0, 0, 60, 22), rest, {12, 0}); });
    ExpectPixels(image, {{10, 10, clLime}, {11, 10, clWhite}, {12, 10, clWhite}}, "field edge");
}

TEST(ThemePanelPainters, CaptionBarFramesInThePanelsBorderColour)
{
    for (const char *name : {"Office2003", "Aluminum"})
        for (bool vertical : {true, false}) {
            Theme theme(name);
            const TTBXPanelInfo panel{.IsVertical = vertical, .BorderSize = {2, 2}, .BorderColor = clRed};
            const QImage image = Paint(60, 40, [&](TCanvas &c) { theme->PaintCaptionBar(c, Rect(0, 0, 60, 40), panel); });
            ExpectPixels(image, {{1, 20, clRed}, {30, 38, clRed}, {58, 20, clRed}}, name);
        }
    // A side caption reads down from 4 pixels below the strip's top.
    Theme office("Office2003");
    const TTBXPanelInfo side{.BorderSize = {2, 2}, .Caption = "MMMMMMMM"};
    const QImage image = Paint(40, 120, [&](TCanvas &c) { office->PaintCaptionBar(c, Rect(0, 0, 40, 120), side); });
    const QImage blank = Paint(40, 120, [&](TCanvas &c) { office->PaintCaptionBar(c, Rect(0, 0, 40, 120), {.BorderSize = {2, 2}}); });
    EXPECT_TRUE(SameInside(image, blank, Rect(2, 2, 2 + GetSystemMetrics(SM_CYSMCAPTION), 6)));
    EXPECT_FALSE(SameInside(image, blank, Rect(2, 6, 2 + GetSystemMetrics(SM_CYSMCAPTION), 40)));
}

TEST(ThemePanelPainters, CheckControlStates)
{
    constexpr int checked = 1, mixed = 2, disabled = 4, hot = 8, pushed = 16;
    auto paint = [](const Theme &theme, int state, int kind) {
        return Paint(13, 13, [&](TCanvas &c) { theme->PaintCheckControl(c, Rect(0, 0, 13, 13), state, kind, 0); });
    };
    // Aluminum: a disabled control keeps its grey outline under the mouse.
    Theme aluminum("Aluminum");
    for (int kind : {1, 2})
        for (int state : {disabled | hot, disabled | pushed})
            EXPECT_EQ(PixelAt(paint(aluminum, state, kind), 1, 6), 0x9F9F9F) << kind << " " << state;
    // The Nexos family: a hot radio button's face runs from the accent down; a mixed box has no tick.
    for (const char *name : {"Nexos3", "Nexos5", "SentimoX"}) {
        Theme theme(name);
        const QImage radio = paint(theme, hot, 2);
        EXPECT_NE(PixelAt(radio, 6, 2), PixelAt(radio, 6, 10)) << name << ": a flat radio face";
        EXPECT_EQ(PixelAt(radio, 1, 1), clLime) << name << ": painted outside the button";
        const TRect inside = Rect(2, 2, 11, 11);
        EXPECT_TRUE(SameInside(paint(theme, mixed, 1), paint(theme, hot, 1), inside)) << name << ": a mixed tick";
        EXPECT_FALSE(SameInside(paint(theme, checked, 1), paint(theme, hot, 1), inside)) << name;
    }
}

} // namespace
