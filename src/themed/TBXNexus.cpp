#include "TBXNexus.h"

#include "platform/Controls.h"
#include "platform/SysColors.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

// Themes hold pictures and shared resources that must go while the application object is
// still there, not among the static objects after it.
void ReleaseCurrentThemeAtExit()
{
    Nexus().ReleaseCurrentTheme();
}

} // namespace

TTBXNexus::TTBXNexus()
{
    theme_ = AcquireTheme(QStringLiteral("Default"));
    AddThemeManagerListener(this);
    SetCurrentThemeFunc([] { return Nexus().Theme(); });
    if (QCoreApplication::instance())
        qAddPostRoutine(ReleaseCurrentThemeAtExit);
}

void TTBXNexus::ReleaseCurrentTheme()
{
    listeners_.clear();
    if (theme_)
        ReleaseTheme(theme_);
    theme_ = nullptr;
}

TTBXNexus::~TTBXNexus()
{
    SetCurrentThemeFunc(nullptr);
    RemoveThemeManagerListener(this);
    if (theme_)
        ReleaseTheme(theme_);
}

void TTBXNexus::SetCurrentTheme(const QString &name)
{
    if (!IsThemeRegistered(name))
        return;
    const bool same = theme_ && FindThemeIndex(name) == FindThemeIndex(theme_->Name());
    TTBXTheme *old = theme_;
    if (same) {
        // The same theme again is made anew, so it reads the system colours afresh; should
        // that fail, the built-in theme takes its place.
        theme_ = nullptr;
        ReleaseTheme(old);
        try {
            theme_ = AcquireTheme(name);
        } catch (const std::exception &) {
            theme_ = AcquireTheme(QStringLiteral("Default"));
        }
    } else {
        try {
            theme_ = AcquireTheme(name);
        } catch (const std::exception &) {
            // A theme that cannot be made leaves the one there is.
            return;
        }
        if (old)
            ReleaseTheme(old);
    }
    Broadcast(ThemeBeforeChange, 1);
    Broadcast(ThemeColorsChanged, 1);
    Broadcast(ThemeAfterChange, 1);
}

void TTBXNexus::AddThemeListener(TControl *control)
{
    if (std::find(listeners_.begin(), listeners_.end(), control) == listeners_.end())
        listeners_.push_back(control);
}

void TTBXNexus::RemoveThemeListener(TControl *control)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), control), listeners_.end());
}

void TTBXNexus::Dispatch(TMessage &message)
{
    if (message.Msg == TBXM_THEMECHANGE)
        Broadcast(message.WParam, 0);
}

void TTBXNexus::Broadcast(WPARAM wParam, LPARAM lParam)
{
    // A control may be made or destroyed while it is told; walk a copy and skip the gone.
    const std::vector<TControl *> snapshot = listeners_;
    for (TControl *control : snapshot)
        if (std::find(listeners_.begin(), listeners_.end(), control) != listeners_.end())
            control->Perform(TBXM_CONTROLCHANGE, wParam, lParam);
}

TTBXNexus &Nexus()
{
    static TTBXNexus nexus;
    return nexus;
}

QString CurrentThemeName()
{
    TTBXTheme *theme = CurrentTheme();
    return theme ? theme->Name() : QString();
}

void SetCurrentTheme(const QString &name) { Nexus().SetCurrentTheme(name); }
void AddThemeListener(TControl *control) { Nexus().AddThemeListener(control); }
void RemoveThemeListener(TControl *control) { Nexus().RemoveThemeListener(control); }

TColor GetEffectiveViewColor(TControl *control)
{
    if (!control)
        return clBtnFace;
    TMessage m{TBXM_GETEFFECTIVECOLOR, 0, 0, 0};
    control->WndProc(m);
    if (m.Result != 0)
        return TColor(m.WParam);
    return control->Color();
}

TColor GetShownViewColor(TControl *control)
{
    for (TControl *c = control; c; c = c->Parent())
        if (const TColor color = GetEffectiveViewColor(c); color != clNone)
            return color;
    return clBtnFace;
}

void PassColorToChildren(TWinControl *parent, const TMessage &message, TColor color)
{
    if (parent->Color() != clNone)
        return;
    if (message.Msg == CM_CONTROLCHANGE && message.LParam != 0) {
        reinterpret_cast<TControl *>(message.WParam)->Perform(CM_PARENTCOLORCHANGED, 1, LPARAM(color));
    } else if (message.Msg == CM_COLORCHANGED) {
        for (int i = 0; i < parent->ControlCount(); ++i)
            parent->Controls(i)->Perform(CM_PARENTCOLORCHANGED, 1, LPARAM(color));
    }
}

void DrawParentBackground(TControl *control, TCanvas &canvas, const TRect &rect)
{
    TWinControl *parent = control ? control->Parent() : nullptr;
    if (!parent) {
        TCanvasStateGuard guard(canvas);
        canvas.Brush()->SetColor(clBtnFace);
        canvas.FillRect(rect);
        return;
    }
    TCanvasStateGuard guard(canvas);
    canvas.IntersectClipRect(rect);
    // The parent paints in its own client coordinates.
    canvas.MoveWindowOrg(-control->Left(), -control->Top());
    if (parent->Perform(WM_ERASEBKGND, WPARAM(&canvas)) != 0)
        return;
    canvas.Brush()->SetColor(GetShownViewColor(parent));
    canvas.FillRect(Rect(control->Left() + rect.Left, control->Top() + rect.Top, control->Left() + rect.Right,
                         control->Top() + rect.Bottom));
}
