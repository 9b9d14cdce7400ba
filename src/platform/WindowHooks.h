#pragma once
#include "Classes.h"
#include "Messages.h"

class QEvent;
class QWidget;

// One shared set of window-event hooks that several components subscribe to by code, the way
// per-thread message hooks are shared on the desktop the framework comes from.
//
// A subscriber is a plain function; its users are counted, so the same function may serve
// many components. The hook types its codes need are counted once per user, and while any
// type is counted one application event filter watches the windows:
//
//   code                     hook type      raised for                       (Wnd, WParam, LParam)
//   hpSendActivate           CallWndProc    a top-level window (de)activated  window, WA_ACTIVE/WA_INACTIVE, 0
//   hpSendActivateApp        CallWndProc    the application (de)activated     nullptr, 1/0, 0
//   hpSendWindowPosChanged   CallWndProc    a top-level window moved, resized, shown or hidden
//                                                                             window, 0, 0
//   hpPreDestroy             CBT            a control or a top-level window about to go
//                                                                             window, 0, 0
//   hpGetMessage             GetMessage     an input event taken from the queue
//                                                                             nullptr, PM_REMOVE, THookMsg*
//
// hpPreDestroy comes from the control base's destructor (the control is still whole) and, for
// top-level Qt windows that are no controls, from their destruction (then the pointer is only
// an identity: it must not be used). Subscribers run in the order they first subscribed.
enum class THookProcCode { hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy, hpGetMessage };
using THookProcCodes = TSet<THookProcCode>;
constexpr THookProcCode hpSendActivate = THookProcCode::hpSendActivate;
constexpr THookProcCode hpSendActivateApp = THookProcCode::hpSendActivateApp;
constexpr THookProcCode hpSendWindowPosChanged = THookProcCode::hpSendWindowPosChanged;
constexpr THookProcCode hpPreDestroy = THookProcCode::hpPreDestroy;
constexpr THookProcCode hpGetMessage = THookProcCode::hpGetMessage;

enum class THookType { htCallWndProc, htCBT, htGetMessage };

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM PM_REMOVE = 1;

// The message an input event stands for, handed to hpGetMessage subscribers by pointer in
// LParam. Keys give WM_KEYDOWN/WM_KEYUP (WM_SYSKEY* with Alt or for F10), followed by
// WM_CHAR/WM_SYSCHAR when the key types a character; mouse events the client mouse messages
// with the point relative to hwnd. A subscriber may change the record: message WM_NULL drops
// the event, another hwnd sends it there instead.
struct THookMsg {
    QWidget *hwnd = nullptr;
    UINT message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QEvent *event = nullptr;  // the Qt event behind it
};

using THookProc = void (*)(THookProcCode Code, QWidget *Wnd, WPARAM WParam, LPARAM LParam);

// Subscribes User to Proc for Codes (the codes are those of Proc's first subscription).
void InstallHookProc(void *User, THookProc Proc, THookProcCodes Codes);
// Removes the user; hook types no user counts any more stop, and with the last the filter goes.
void UninstallHookProc(void *User, THookProc Proc);

// How many users count the hook type; whether the event filter is installed.
int HookRefCount(THookType Type);
bool HookFilterInstalled();

// Raises hpPreDestroy for a window about to be destroyed (the control base calls it).
void NotifyWindowDestroying(QWidget *Wnd);
