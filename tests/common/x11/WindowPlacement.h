#pragma once
// Waiting for a shown window to be where a user would see it, on a bare X server as under a
// window manager. A window manager frames a window, may place it elsewhere than asked, and
// activates it in its own time; a test that reads a screen position or the active window
// before then clicks beside what it meant.

class QWidget;

// Waits until the top-level window is mapped and the X server and Qt agree on where it is and
// how big (under a window manager: once the manager has taken it on and placed it), then lets
// the work its showing queued (a layout finished later) run. False when that never happens.
bool WaitPlaced(QWidget *window, int ms = 10000);

// Waits as WaitPlaced, then activates the window and waits until it is the active window for
// Qt and, under a window manager, for the manager too, so that no activation of the showing
// is still on its way.
bool WaitPlacedAndActive(QWidget *window, int ms = 10000);

// Whether a window manager manages the screen (it announces itself on the root window).
bool WindowManagerRunning();

// Whether the window tells the window manager it belongs to `owner` (its transient-for window),
// so that the manager keeps it above the owner when the owner is clicked or raised.
bool BelongsTo(QWidget *window, QWidget *owner);
