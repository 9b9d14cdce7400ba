#pragma once
// The fade or slide with which a popup window appears.
//
// One animation runs at a time. Its pacing loop runs every 10 ms on the GUI thread and tells
// the window of a new step with WM_TB2K_ANIMATIONSTEP (LParam the animation's serial number);
// at most one such message waits at a time, so a busy window skips steps instead of queueing
// them. The window answers it with StepMenuAnimation. When the animation is over (its time is
// up, or the pointer moved into the window) a last step message arrives, the window is
// restored and gets WM_TB2K_ANIMATIONENDED.
#include "platform/Messages.h"

#include <QtGlobal>
#include <functional>

class TControl;

constexpr UINT WM_TB2K_ANIMATIONSTEP = 0x955;
constexpr UINT WM_TB2K_ANIMATIONENDED = 0x956;

// Shows Wnd (already placed and sized, its QWidget shown without activation) with an
// animation; any running animation ends first. The window is printed once (WM_PRINT) and the
// slide moves that picture.
// Fade raises the opacity; otherwise the window slides in along Direction: 1 from the right
// moving left, 2 from the left moving right, 4 from above moving down, 8 from below moving up
// (1 or 2 may be combined with 4 or 8).
void StartMenuAnimation(TControl *Wnd, bool Fade, unsigned Direction);
// The answer to WM_TB2K_ANIMATIONSTEP.
void StepMenuAnimation(const TMessage &Msg);
// Ends the animation of Wnd (of any window with nullptr): the window gets back the opacity and
// shape it had, shows itself as it is, and is sent WM_TB2K_ANIMATIONENDED.
void EndMenuAnimation(TControl *Wnd = nullptr);
// The window of the running animation, nullptr when none runs.
TControl *MenuAnimationWindow();

// One pass of the pacing loop; the animation's timer runs it every 10 ms.
void MenuAnimationTick();
// Milliseconds of a steady clock; nullptr restores the real one.
using TMenuAnimationClock = std::function<qint64()>;
void SetMenuAnimationClock(TMenuAnimationClock Clock);
