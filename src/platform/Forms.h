#pragma once
#include "Controls.h"
#include "Menus.h"
#include "SysParams.h"

#include <QPointer>
#include <functional>
#include <vector>

class QEventLoop;
class QKeyEvent;
class TForm;

enum class TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TCloseEvent = std::function<void(TComponent *Sender, TCloseAction &Action)>;
using TCloseQueryEvent = std::function<void(TComponent *Sender, bool &CanClose)>;
// Msg is the key message (WM_KEYDOWN or WM_SYSKEYDOWN: the virtual key in WParam).
using TShortCutEvent = std::function<void(TMessage &Msg, bool &Handled)>;
using THelpEvent = std::function<bool(WORD Command, std::intptr_t Data, bool &CallHelp)>;

// A top-level window that is a component (it owns its menus, tool bars and docks) and an
// align host. Qt widgets live in it directly or inside TWidgetControl for alignment; focus,
// typing and Tab among them stay Qt's.
class TForm : public TCustomControl
{
public:
    explicit TForm(TComponent *AOwner);
    ~TForm() override;

    // Where the form goes when it is shown: centred on the main form, its owner form or the
    // work area of the screen; poDesigned keeps its bounds.
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    // The form is the active window of the application.
    bool Active() const;
    // The form has been shown at least once: what it holds by then is what it was built with.
    bool ShownOnce() const { return shownOnce_; }
    // Asks CloseQuery; then OnClose decides what closing means (hide by default).
    void Close();
    // OnCloseQuery may refuse; descendants add their own conditions.
    virtual bool CloseQuery();
    // Shows the form and waits until it is closed or a modal result is set; other windows
    // take no input meanwhile. Answers the modal result (mrCancel when simply closed).
    TModalResult ShowModal();
    bool Modal() const { return modalLoop_ != nullptr; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value);
    // Deletes the form once control is back in the event loop.
    void Release();
    // The form's own shortcut handling: OnShortCut. The application asks it before others.
    virtual bool IsShortCut(TMessage &Message);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

protected:
    bool ShowsWithoutParent() const override { return true; }
    void WndProc(TMessage &Message) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void Activate();
    virtual void Deactivate();

private:
    void PlaceOnShow();
    bool CloseModal();
    TCloseAction DoClose(TCloseAction action);

    TPosition position_ = TPosition::poDesigned;
    TModalResult modalResult_ = mrNone;
    QEventLoop *modalLoop_ = nullptr;
    bool shownOnce_ = false;
};

// The form a widget sits in (the widget itself when it is one); nullptr outside any.
TForm *GetParentForm(const QWidget *widget);

// A windowed control that holds one Qt widget over its client area, so the widget takes
// part in alignment (an aligned tree view, an edit in a tool bar). The control takes the
// widget as its Qt child; the widget keeps its focus and typing.
class TWidgetControl : public TWinControl
{
public:
    explicit TWidgetControl(TComponent *AOwner, QWidget *widget = nullptr);
    QWidget *Widget() const { return widget_; }
    void SetWidget(QWidget *widget);

protected:
    void WndProc(TMessage &Message) override;

private:
    void FitWidget();
    QPointer<QWidget> widget_;
};

// The program: its main form, activation, hint, the shortcut chain and help.
class TApplication
{
public:
    // Created with the first form (or on first use); gone with the QApplication.
    static TApplication *Instance();

    TForm *MainForm() const { return mainForm_.data(); }
    void SetMainForm(TForm *value) { mainForm_ = value; }
    // One of the program's windows is the active window.
    bool Active() const;
    const QString &Title() const { return title_; }
    void SetTitle(const QString &value) { title_ = value; }
    // The hint of the control under the pointer; setting it fires OnHint.
    const QString &Hint() const { return hint_; }
    void SetHint(const QString &value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value) { showHint_ = value; }
    // Hints of menu items and buttons name their shortcut ("Save (Ctrl+S)").
    bool HintShortCuts() const { return hintShortCuts_; }
    void SetHintShortCuts(bool value) { hintShortCuts_ = value; }
    void CancelHint();

    // Hooks on the main window: each sees the application's messages first (CM_APPKEYDOWN
    // with LParam the key TMessage, CM_APPSYSCOMMAND with LParam the WM_SYSCOMMAND TMessage);
    // one answering true ends the message with Result 1. Owner identifies the hook.
    using TWindowHook = std::function<bool(TMessage &Message)>;
    void HookMainWindow(const void *Owner, TWindowHook Hook);
    void UnhookMainWindow(const void *Owner);
    // A message to the application: the hooks, then CM_APPKEYDOWN as IsShortCut.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    // OnShortCut, then the main form's shortcuts (when its window is enabled, IsWindowEnabled).
    bool IsShortCut(TMessage &Message);
    // Help goes to OnHelp; there is no help viewer, so unanswered requests report false.
    bool HelpContext(int Context);
    bool HelpCommand(int Command, std::intptr_t Data);

    void ProcessMessages();
    // Every control of the shown forms updates its action (InitiateAction); runs whenever the
    // program has nothing left to do.
    void UpdateActions();

    TShortCutEvent OnShortCut;
    TNotifyEvent OnHint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    THelpEvent OnHelp;

    // The key stations of the input router: a key press goes to the focused form's
    // IsShortCut, the main-window hooks and IsShortCut; in a form, an unused Alt, F10 or
    // Alt+letter becomes WM_SYSCOMMAND SC_KEYMENU to it (other windows keep Qt's handling).
    bool KeyDownChain(QWidget *focus, QKeyEvent *event);
    void KeyMenu(QWidget *focus, WPARAM key);

private:
    TApplication();
    friend struct TApplicationHolder;

    QPointer<TForm> mainForm_;
    QString title_;
    QString hint_;
    bool showHint_ = true;
    bool hintShortCuts_ = true;
    bool active_ = false;
    bool updatingActions_ = false;
    struct THook {
        const void *owner;
        TWindowHook hook;
    };
    std::vector<THook> hooks_;
};
TApplication *Application();

// Whether the widget's window takes input, as an enabled window does on Windows: it is
// enabled, and no modal window other than itself (or one it owns) is open. Qt blocks the
// windows behind a modal dialog without disabling them, as Windows would.
bool IsWindowEnabled(const QWidget *widget);

// The form whose shortcuts and key menu the keys typed in `focus` reach: the focus widget's
// form while its window takes input, else none. A Qt dialog's parents lead to the form it was
// opened from, so a key typed in a modal dialog would otherwise reach the form behind it.
TForm *KeyForm(const QWidget *focus);

// The screen: forms, the active form, work areas and the program-wide pointer shape.
class TScreen
{
public:
    static TScreen *Instance();

    TForm *ActiveForm() const;
    int FormCount() const;
    TForm *Forms(int index) const;
    // crDefault lets every control show its own cursor; anything else shows everywhere.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    int Width() const { return PrimaryMonitorRect(false).Width(); }
    int Height() const { return PrimaryMonitorRect(false).Height(); }
    TRect WorkAreaRect() const { return PrimaryMonitorRect(true); }
    int MonitorCount() const;

private:
    TCursor cursor_ = crDefault;
};
TScreen *Screen();
