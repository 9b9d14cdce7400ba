#pragma once
#include "TBX.h"
#include "TBXThemes.h"

class TControl;

// The current theme of the program, and the themed controls that follow it. A switch sends
// TBXM_CONTROLCHANGE with ThemeBeforeChange, ThemeColorsChanged and ThemeAfterChange (lParam 1)
// to every listener; system changes reach them as the same message with lParam 0.
class TTBXNexus : public TTBXMessageListener
{
public:
    TTBXNexus();
    ~TTBXNexus() override;

    TTBXTheme *Theme() const { return theme_; }
    // An unregistered name changes nothing. The new theme is made before the old one goes,
    // so a theme that cannot be made leaves the program with the one it had.
    void SetCurrentTheme(const QString &name);
    // At the application's end: no theme from then on.
    void ReleaseCurrentTheme();

    void AddThemeListener(TControl *control);
    void RemoveThemeListener(TControl *control);
    void Dispatch(TMessage &message) override;

private:
    void Broadcast(WPARAM wParam, LPARAM lParam);

    TTBXTheme *theme_ = nullptr;
    std::vector<TControl *> listeners_;
};

// Made on first use; from then on it answers CurrentTheme().
TTBXNexus &Nexus();
QString CurrentThemeName();
void SetCurrentTheme(const QString &name);
void AddThemeListener(TControl *control);
void RemoveThemeListener(TControl *control);

// The colour a control paints its background with: its own answer to TBXM_GETEFFECTIVECOLOR,
// else its Color, which is clNone for a control without a colour of its own (clBtnFace for no
// control at all).
TColor GetEffectiveViewColor(TControl *control);
// What shows where control paints nothing of its own: its effective view colour, or, when it has
// none, what shows through it from its parent; clBtnFace with no parent left. Never clNone, which
// would paint black: this is the colour to fill with or to hand to child controls.
TColor GetShownViewColor(TControl *control);
// A colourless themed control (a toolbar, dock or panel) tells its children the colour it shows,
// so that a child taking its parent's colour never takes "no colour": a control inserted, and all
// of them after the control's own colour changed. Call after the control handled Message.
void PassColorToChildren(TWinControl *parent, const TMessage &message, TColor color);
// Paints what the parent shows behind rect (client coordinates of control): the parent's own
// background when it erases one, else a fill in its effective colour.
void DrawParentBackground(TControl *control, TCanvas &canvas, const TRect &rect);
