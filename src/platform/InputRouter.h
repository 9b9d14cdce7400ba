#pragma once
#include "Messages.h"
#include "Types.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QEventLoop;
class QKeyEvent;
class QWidget;
class TControl;

// What a hook decides about one input event.
enum class TInputAction {
    Pass,            // deliver it as usual (to the capture control when there is one)
    Consume,         // drop it
    End,             // drop it and end the hook (a modal loop returns)
    EndAndRedeliver  // end the hook; the event reaches its target again afterwards
};

// Something that sees input before the controls do: a modal loop, a drag, a sizing drag.
// Only the most recently added hook is asked.
//
// Input passes these stations in turn, each of which may stop it:
//   1. the top hook (a running modal loop, drag or sizing drag);
//   2. for a key press, the application's shortcut chain (SetShortCutChain);
//   3. the focused control (Qt's own delivery);
//   4. for Alt tapped alone, F10 and Alt+letter that the focused control left unused, the
//      key-menu handler (SetKeyMenuHandler), which turns them into SC_KEYMENU; the key is the
//      typed character, 0 for Alt and F10. Only for focus widgets in the handler's scope.
class TInputHook
{
public:
    TInputHook() = default;
    TInputHook(const TInputHook &) = delete;
    TInputHook &operator=(const TInputHook &) = delete;
    virtual ~TInputHook();

    // target: the widget the event goes to (the capture control while one holds the mouse).
    // Positions in the event are relative to the widget Qt addressed: use the global ones.
    virtual TInputAction HandleInput(QWidget *target, QEvent *event) = 0;
    // The router has taken the hook out because it answered End or EndAndRedeliver; with the
    // latter, `event` is to be delivered again to `receiver` (the default queues it at once).
    virtual void HookEnded(QWidget *receiver, const QEvent *event);
};

// The application's event filter: it keeps the mouse capture stack, offers input to the top
// hook, records the pointer position and button state, and re-delivers events on request.
class TInputRouter : public QObject
{
public:
    // Installs the filter on first use (a QApplication must exist).
    static TInputRouter &Instance();
    // nullptr when it was never created or the application is gone.
    static TInputRouter *Existing();

    void AddHook(TInputHook *hook);
    void RemoveHook(TInputHook *hook);
    TInputHook *TopHook() const { return hooks_.empty() ? nullptr : hooks_.back(); }

    // Capture: mouse presses, moves and releases for any widget go to the top control of the
    // stack. A control that stops being the top gets WM_CAPTURECHANGED, LParam the new one.
    void PushCapture(TControl *control);
    // The capture a control takes because a left-button press reached it. When that press
    // was one a plain child widget (not a control) left unused and Qt passed up, the release
    // goes back to that widget: it was pressed, so it is the one to see the click. Should the
    // control take the capture again for itself before the release, the release is its own.
    void PushPressCapture(TControl *control);
    void ReleaseCapture(TControl *control);
    TControl *Capture() const;
    void ControlDestroyed(TControl *control);

    // From the last mouse or key event seen (Qt's own state lags behind synthesized input).
    TPoint CursorPos() const { return cursorPos_; }
    Qt::MouseButtons Buttons() const { return buttons_; }
    Qt::KeyboardModifiers Modifiers() const { return modifiers_; }
    void SetCursorPos(const TPoint &p) { cursorPos_ = p; }
    // The last key or button pressed came from the keyboard (what UIS_INITIALIZE goes by).
    bool LastInputWasKeyboard() const { return lastInputKeyboard_; }
    // Asks the windowing system where the pointer is and remembers that. The program gets no
    // event while the pointer moves over none of its windows, or over a part of one that is
    // masked out, so the last event seen may be far from where the pointer rests now.
    TPoint QueryCursorPos();

    // Queues a copy of the event for when control is back in the event loop: a mouse event
    // goes to the widget under its global position then, a key event to the focus widget;
    // either falls back to `receiver` while it exists.
    void Redeliver(QWidget *receiver, const QEvent &event);

    using TShortCutChain = std::function<bool(QWidget *focus, QKeyEvent *event)>;
    using TKeyMenuHandler = std::function<void(QWidget *focus, WPARAM key)>;
    void SetShortCutChain(TShortCutChain chain) { shortCutChain_ = std::move(chain); }
    // scope: whether the focus widget is one the key menu is for (others keep Qt's handling).
    void SetKeyMenuHandler(TKeyMenuHandler handler, std::function<bool(QWidget *focus)> scope)
    {
        keyMenuHandler_ = std::move(handler);
        keyMenuScope_ = std::move(scope);
    }
    // A control answers the router that it left a system key (WM_SYSKEYDOWN/UP) unused.
    void NoteSysKeyUnused() { sysKeyUnused_ = true; }
    // The event is a copy the router itself is delivering (filters have seen the original).
    bool IsRedirected(const QEvent *event) const;

    static bool IsInputEvent(const QEvent *event);
    static bool IsMouseButtonOrMove(const QEvent *event);
    // The topmost visible widget at a screen point (transparent-for-mouse widgets skipped).
    static QWidget *WidgetAt(const TPoint &screenPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TInputRouter(QObject *parent);
    void Note(const QEvent *event);
    bool IsPropagation(QWidget *receiver, const QEvent *event);
    QWidget *TakePressOrigin(const QEvent *event);
    void SendRedirected(QWidget *to, QEvent *event);
    void Deliver(const QPointer<QWidget> &receiver, const std::shared_ptr<QEvent> &event);
    bool RouteKey(QWidget *receiver, QKeyEvent *event);
    void ApplicationStateChanged(QEvent *event);

    std::vector<TInputHook *> hooks_;
    std::vector<QPointer<TControl>> captures_;
    std::vector<const QEvent *> redirected_;
    TPoint cursorPos_;
    Qt::MouseButtons buttons_;
    Qt::KeyboardModifiers modifiers_;
    TShortCutChain shortCutChain_;
    TKeyMenuHandler keyMenuHandler_;
    std::function<bool(QWidget *)> keyMenuScope_;
    bool sysKeyUnused_ = false;
    bool altTap_ = false;
    bool lastInputKeyboard_ = false;

    struct Offered {
        int type = 0;
        quint64 timestamp = 0;
        QPointer<QWidget> receiver;
    } lastOffered_;

    // The widget whose unused press gave `control` the capture.
    struct PressOrigin {
        QPointer<TControl> control;
        QPointer<QWidget> widget;
    } pressOrigin_;
};

TControl *GetCaptureControl();
// nullptr releases the control holding the capture.
void SetCaptureControl(TControl *control);
TPoint GetCursorPos();
// Negative (high bit set) while the key or button is down; for VK_SHIFT, VK_CONTROL,
// VK_MENU, VK_LBUTTON, VK_RBUTTON and VK_MBUTTON.
short GetKeyState(int virtualKey);

// A nested event loop that offers every input event to its handler first. Run() returns the
// code given to End(). An event the handler answers with EndAndRedeliver reaches its target
// once Run() has returned and control is back in the outer event loop, so the caller tears
// its windows down first.
class TModalLoop : public TInputHook
{
public:
    using THandler = std::function<TInputAction(QWidget *target, QEvent *event)>;

    explicit TModalLoop(THandler handler = {});
    ~TModalLoop() override;

    int Run();
    // Ends the loop; before Run() it makes Run() return at once.
    void End(int result = 0);
    bool Running() const { return running_; }

    TInputAction HandleInput(QWidget *target, QEvent *event) override;
    void HookEnded(QWidget *receiver, const QEvent *event) override;

private:
    THandler handler_;
    QEventLoop *loop_ = nullptr;
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
    QPointer<QWidget> redeliverTo_;
    std::unique_ptr<QEvent> redeliver_;
};
