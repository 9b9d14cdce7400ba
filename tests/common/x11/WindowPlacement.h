#pragma once
// Waiting for a shown window to be where a user sees it, on a bare X server as under a window
// manager, which frames, places and activates a window in its own time.

class QWidget;

// Waits until the top-level window is mapped (under a window manager: taken on and placed) and
// the X server and Qt agree on its place and size, then lets the work its showing queued run.
bool WaitPlaced(QWidget *window, int ms = 10000);
// Waits as WaitPlaced, then activates the window until Qt and any window manager hold it active.
bool WaitPlacedAndActive(QWidget *window, int ms = 10000);
// Whether a window manager manages the screen.
bool WindowManagerRunning();
// Whether the window names `owner` as the window it belongs to (transient-for), so that a window
// manager keeps it above the owner.
bool BelongsTo(QWidget *window, QWidget *owner);
