#pragma once
#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"
#include "Types.h"

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QCursor;
class TControl;
class TPopupMenu;
class TWinControl;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
constexpr TShiftStateItem ssShift = TShiftStateItem::ssShift;
constexpr TShiftStateItem ssAlt = TShiftStateItem::ssAlt;
constexpr TShiftStateItem ssCtrl = TShiftStateItem::ssCtrl;
constexpr TShiftStateItem ssLeft = TShiftStateItem::ssLeft;
constexpr TShiftStateItem ssRight = TShiftStateItem::ssRight;
constexpr TShiftStateItem ssMiddle = TShiftStateItem::ssMiddle;
constexpr TShiftStateItem ssDouble = TShiftStateItem::ssDouble;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// How a parentless control shows as a window. wkPopup: a frameless window above the others
// that never takes activation and that only its owner closes (menus, hints, drop-downs);
// wkToolWindow: a frameless window kept out of the task bar (floating tool bars);
// wkTopMost: above all normal windows; wkNoActivate: showing or clicking it leaves the
// active window active. With wkPopup, wkPopupMenu and wkDropDownMenu tell the window manager
// the popup is a menu (opened by a click on an object, or from a menu bar) rather than a tip.
enum class TWindowKind { wkPopup, wkToolWindow, wkTopMost, wkNoActivate, wkPopupMenu, wkDropDownMenu };
using TWindowKinds = TSet<TWindowKind>;
constexpr TWindowKind wkPopup = TWindowKind::wkPopup;
constexpr TWindowKind wkPopupMenu = TWindowKind::wkPopupMenu;
constexpr TWindowKind wkDropDownMenu = TWindowKind::wkDropDownMenu;
constexpr TWindowKind wkToolWindow = TWindowKind::wkToolWindow;
constexpr TWindowKind wkTopMost = TWindowKind::wkTopMost;
constexpr TWindowKind wkNoActivate = TWindowKind::wkNoActivate;

enum class TDragMode { dmManual, dmAutomatic };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// What the base class does for a control by default.
enum class TControlStyleItem {
    csAcceptsControls,  // may parent other controls
    csCaptureMouse,     // holds the mouse capture from a button press until its release
    csClickEvents,      // a press and release inside the control make a Click
    csDoubleClicks,     // double clicks arrive as such; without it as a second press
    csOpaque,           // Paint covers the whole client area: no background erase
    csMenuEvents        // takes Alt+key system commands itself (a menu bar and its dock)
};
using TControlStyle = TSet<TControlStyleItem>;
constexpr TControlStyleItem csAcceptsControls = TControlStyleItem::csAcceptsControls;
constexpr TControlStyleItem csCaptureMouse = TControlStyleItem::csCaptureMouse;
constexpr TControlStyleItem csClickEvents = TControlStyleItem::csClickEvents;
constexpr TControlStyleItem csDoubleClicks = TControlStyleItem::csDoubleClicks;
constexpr TControlStyleItem csOpaque = TControlStyleItem::csOpaque;
constexpr TControlStyleItem csMenuEvents = TControlStyleItem::csMenuEvents;

// Cursor identifiers of the class library.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                  crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                  crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22, crSize = crSizeAll;
QCursor CursorFromTCursor(TCursor cursor);

// WM_GETDLGCODE answers: the keys a control wants instead of the dialog navigation.
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr LRESULT DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4,
                  DLGC_WANTCHARS = 0x80;

// CM_HINTSHOW carries a pointer to this in LParam; a nonzero result suppresses the hint.
class THintWindow;
struct THintInfo {
    TControl *HintControl = nullptr;
    TPoint HintPos;        // screen
    int HintMaxWidth = 0;
    TColor HintColor = 0;
    TRect CursorRect;      // client; the hint goes when the pointer leaves it
    TPoint CursorPos;      // client
    QString HintStr;
    // A control may show its hint in a window of its own kind, handed HintData; empty for the
    // desktop's text hint.
    std::function<THintWindow *()> HintWindowClass;
    const void *HintData = nullptr;
};
// The part before "|" of a hint, and the part after it (the whole hint when there is no "|").
QString GetShortHint(const QString &hint);
QString GetLongHint(const QString &hint);
void CancelHint();
// The hint window info asks for, shown for control (any hint up goes first).
void ShowHintWindow(TControl *control, const THintInfo &info);
// Takes down a hint window shown for control once the pointer (client coordinates, nullptr
// when it left the control) is outside the hint's rectangle.
void CancelHintOutside(TControl *control, const TPoint *clientPos);

using TNotifyEvent = std::function<void(TComponent *Sender)>;
using TMouseEvent = std::function<void(TComponent *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent *Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = std::function<void(TComponent *Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool &Handled)>;
using TKeyEvent = std::function<void(TComponent *Sender, WORD &Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TComponent *Sender, QChar &Key)>;
using TDragOverEvent = std::function<void(TComponent *Sender, TControl *Source, int X, int Y, TDragState State, bool &Accept)>;
using TDragDropEvent = std::function<void(TComponent *Sender, TControl *Source, int X, int Y)>;
using TStartDragEvent = std::function<void(TComponent *Sender)>;
using TEndDragEvent = std::function<void(TComponent *Sender, TControl *Target, int X, int Y)>;
using TContextPopupEvent = std::function<void(TComponent *Sender, TPoint MousePos, bool &Handled)>;

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
TShiftState KeysToShiftState(WPARAM keys);
WPARAM MouseKeysFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// A control: a widget that is also a component. Its bounds are kept here (Left/Top relative
// to the parent's client area) and pushed to the widget; its own client area may be inset by
// a non-client frame it paints itself. All input and painting reaches it as messages through
// WndProc, whose default handling calls the virtual handlers below.
//
// Repainting goes through Invalidate/Update/Repaint: the control paints into a back buffer
// that stays valid between paints, so drawing on a canvas outside a paint stays visible until
// the next Invalidate, as it does on a window device context.
class TControl : public QWidget, public TComponent
{
public:
    explicit TControl(TComponent *AOwner);
    ~TControl() override;

    TWinControl *Parent() const { return parent_; }
    virtual void SetParent(TWinControl *AParent);

    // Bounds, in the parent's client coordinates (screen coordinates for a window).
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect &r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }

    // The client area: the bounds less the non-client margins, with its origin at (0, 0).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    TPoint ClientOrigin() const;  // screen position of client (0, 0)
    TPoint ClientToScreen(const TPoint &p) const;
    TPoint ScreenToClient(const TPoint &p) const;
    // Client point to the coordinates of an ancestor's client area (the parent by default).
    TPoint ClientToParent(const TPoint &p, TWinControl *AParent = nullptr) const;

    // The non-client frame, as margins {left, top, right, bottom} of the window. Descendants
    // answer it (the WM_NCCALCSIZE step) and call RecalcNC() when their answer changes.
    virtual TRect NCMargins() const { return {}; }
    void RecalcNC();

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value);

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, with every parent visible and the window shown.
    bool Showing() const { return isVisible(); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont *Font() { return &font_; }
    const TFont *Font() const { return &font_; }
    void SetFont(const TFont &value) { font_.Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    const QString &Hint() const { return hint_; }
    void SetHint(const QString &value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    bool UseRightToLeftAlignment() const { return biDiMode_ == TBiDiMode::bdRightToLeft; }
    bool UseRightToLeftReading() const { return biDiMode_ != TBiDiMode::bdLeftToRight; }
    const QString &Caption() const { return caption_; }
    void SetCaption(const QString &value);
    // Shown for a right click or the context-menu key that OnContextPopup leaves alone.
    TPopupMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu *value);
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor value) { dragCursor_ = value; }
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }

    // As a window (no parent): its kind, its shape and its opacity. The shape is in window
    // coordinates; only its pixels show (an empty one hides the window), nullopt shows all.
    // The opacity (0..255) needs a compositor to be seen.
    TWindowKinds WindowKinds() const { return windowKinds_; }
    void SetWindowKinds(TWindowKinds value);
    const std::optional<QRegion> &WindowRegion() const { return windowRegion_; }
    void SetWindowRegion(const std::optional<QRegion> &value);
    int AlphaBlendValue() const { return alphaBlend_; }
    void SetAlphaBlendValue(int value);
    // Whether a click into the window lets the window manager activate it (a window of the
    // kind wkNoActivate never lets it). The program may still activate it itself.
    bool ClickActivates() const { return clickActivates_; }
    void SetClickActivates(bool value);
    // The window this window belongs to: the window manager keeps it above that one, also after
    // Qt made the window anew (a change of kinds does).
    QWidget *OwnerWindow() const { return ownerWindow_; }
    void SetOwnerWindow(QWidget *value);

    // Brings what the control shows of its action up to date; the application calls it for
    // every control of its shown forms whenever it goes idle.
    virtual void InitiateAction() {}

    // Paints the control with its frame and its children into a canvas, its top-left at
    // (X, Y): what WM_PRINT does with all parts. Works for hidden controls too.
    void PaintTo(TCanvas &ACanvas, int X, int Y);
    // The shape of the mouse pointer over the control until the next WM_SETCURSOR, leaving
    // Cursor alone (the answer to WM_SETCURSOR).
    void SetCursorShape(TCursor value);

    // Shows the control's hint for the pointer at the screen point as a hover shows it
    // (CM_HINTSHOW decides), whatever ShowHint says: for a control that tracks the pointer
    // itself, such as an open menu.
    void ActivateHint(const TPoint &screenPos);

    // Repainting. Rectangles are client coordinates.
    void Invalidate();
    void Invalidate(const TRect &r);
    void InvalidateNC();  // the frame and the client area
    void Update();        // paints what is invalid now
    void Repaint();
    void Refresh() { Repaint(); }

    // Messages: Perform/SendMessage run WndProc now; PostMessage queues it.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    void PostMessage(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    virtual void WndProc(TMessage &Message);

    // Window timers: WM_TIMER with the id in WParam, handled by default through TimerFired.
    // Setting an id that runs restarts it.
    void SetTimer(WPARAM id, int milliseconds);
    bool KillTimer(WPARAM id);
    bool TimerRunning(WPARAM id) const { return timers_.count(id) != 0; }

    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    // Drag and drop among controls.
    void BeginDrag(bool Immediate, int Threshold = -1);
    bool Dragging() const;
    void EndDrag(bool Drop);
    virtual void DragDrop(TControl *Source, int X, int Y);

    // Events
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseWheelEvent OnMouseWheel;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnResize;

protected:
    friend class TWinControl;
    friend class TDragManager;

    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // Answers whether the wheel was used; an unused one goes on to the parent.
    virtual bool MouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void DragOver(TControl *Source, int X, int Y, TDragState State, bool &Accept);
    virtual void DoStartDrag();
    virtual void DoEndDrag(TControl *Target, int X, int Y);
    virtual void DoContextPopup(TPoint MousePos, bool &Handled);
    // The PopupMenu at the screen point (the client origin for a keyboard request at
    // (-1, -1)) with this control as its popup component; false when there is none to show.
    bool ShowPopupMenu(const TPoint &ScreenPos);
    void Notification(TComponent *AComponent, TOperation Operation) override;
    virtual void TimerFired(WPARAM TimerID) {}
    virtual void Resize();
    // Where the point (screen) lies: HTCLIENT in the client area, HTBORDER on the frame,
    // HTNOWHERE outside the window.
    virtual int NCHitTest(const TPoint &screenPos);
    // Paints the frame; the canvas is in window coordinates and clipped to the frame.
    virtual void PaintNC(TCanvas &ACanvas) {}
    // Fills the client area with Color unless the control is opaque.
    virtual void EraseBackground(TCanvas &ACanvas);
    // Paints the client area (client coordinates, clipped to what is being repainted).
    virtual void PaintWindow(TCanvas &ACanvas) {}
    // The parent is asked to lay its aligned children out again.
    virtual void RequestAlign();
    // A parentless control shows as a window only when this answers true (forms, popups).
    virtual bool ShowsWithoutParent() const { return false; }
    // The control's own canvas: during a paint it draws what is being painted; elsewhere it
    // draws on the back buffer (client coordinates), shown at the next paint event.
    TCanvas &ControlCanvas();

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void ApplyWindowKinds();
    void ApplyWindowType();
    void ApplyClickActivation();
    void ApplyOwnerWindow();
    void PrintWindow(TCanvas &ACanvas, LPARAM flags);
    void PrintClient(TCanvas &ACanvas);
    void DefaultSetCursor(TMessage &Message);
    // Tells the window-event hub once, while the control is still whole.
    void NotifyDestroying();
    void ApplyGeometry();
    void ApplyVisibility();
    TPoint ParentClientOffset() const;
    void SyncFromWidget();
    void AdoptParentProperties();
    void FontChanged();
    void ParentFontChanged();
    // WParam 1: the parent hands over the colour to take, in LParam; 0: take the parent's Color.
    void ParentColorChanged(WPARAM WParam, LPARAM LParam);
    void ParentShowHintChanged();
    void BiDiModeChanged();
    void ReparentedByQt();
    void PaintBuffer(const QRegion &region);
    bool EnsureBuffer();
    void ResetCanvasForClient();
    bool TranslateMouse(QEvent *event);
    bool TranslateKey(QEvent *event);
    void ShowHintAt(const QPoint &localPos, const QPoint &globalPos, bool Always = false);
    void HandleMouseMessage(TMessage &m);
    void UpdateAnchorOrigin();
    void ApplyAnchors(const TRect &parentClient);

    TWinControl *parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_{TAnchorKind::akLeft, TAnchorKind::akTop};
    // Bounds and parent client size when the anchors were last taken.
    TRect anchorBounds_;
    TSize anchorParentSize_;
    bool anchorMove_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_;
    bool parentColor_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool fontFromParent_ = false;
    TCursor cursor_ = crDefault;
    QString hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
    bool parentBiDiMode_ = true;
    QString caption_;
    TDragMode dragMode_ = TDragMode::dmManual;
    TPopupMenu *popupMenu_ = nullptr;
    TCursor dragCursor_ = crDrag;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csDoubleClicks};
    bool clicked_ = false;
    bool captureByPress_ = false;
    bool inNC_ = false;
    bool syncing_ = false;
    bool destroyNotified_ = false;
    TWindowKinds windowKinds_;
    bool kindsApplied_ = false;
    bool clickActivates_ = true;
    QPointer<QWidget> ownerWindow_;
    std::optional<QRegion> windowRegion_;
    int alphaBlend_ = 255;

    std::map<WPARAM, int> timers_;  // id -> Qt timer id

    QImage buffer_;
    QSize bufferSize_{-1, -1};
    QRegion dirty_;
    TCanvas canvas_;
    // While WM_PAINT paints on a canvas of someone else's (printing), the control's canvas.
    TCanvas *paintTarget_ = nullptr;
    bool painting_ = false;
    bool blitPending_ = false;
};

// A control that can hold others and take the keyboard focus.
class TWinControl : public TControl
{
public:
    explicit TWinControl(TComponent *AOwner);
    ~TWinControl() override;

    int ControlCount() const { return int(controls_.size()); }
    TControl *Controls(int index) const { return controls_.at(size_t(index)); }
    void InsertControl(TControl *AControl);
    void RemoveControl(TControl *AControl);
    bool ContainsControl(const TControl *AControl) const;
    // The topmost child under a client point.
    TControl *ControlAtPos(const TPoint &Pos, bool AllowDisabled, bool AllowWinControls = true) const;
    void BringToFront(TControl *AControl);
    void SendToBack(TControl *AControl);

    // Aligned children are laid out again on every change of the client area or of an
    // aligned child; DisableAlign/EnableAlign hold that back and catch up once.
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return alignLevel_ > 0; }
    void Realign();

    bool Focused() const { return hasFocus(); }
    bool CanFocus() const;
    virtual void SetFocus();
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    // The place among the parent's windowed children when Tab moves the focus.
    int TabOrder() const;
    void SetTabOrder(int value);
    // The controls inside this one in tab order, depth first.
    virtual void GetTabOrderList(std::vector<TWinControl *> &List) const;
    // The control after (or before) CurControl in tab order, wrapping around; with
    // CheckTabStop only tab stops count, with CheckParent only CurControl's siblings.
    TWinControl *FindNextControl(TWinControl *CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
    // Focuses that control; false when there is none.
    bool SelectNext(TWinControl *CurControl, bool GoForward, bool CheckTabStop);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool value);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    friend class TControl;

    void AlignControl(TControl *AControl);
    virtual void AlignControls(TControl *AControl, TRect &Rect);
    // A parent that places its children itself answers true: then a change of any child's
    // bounds or visibility asks it to align, not only one of an aligned or anchored child.
    virtual bool AlignsEveryChild() const { return false; }
    // The part of the client area the aligned children share.
    virtual void AdjustClientRect(TRect &Rect) {}
    virtual void KeyDown(WORD &Key, TShiftState Shift);
    virtual void KeyUp(WORD &Key, TShiftState Shift);
    virtual void KeyPress(QChar &Key);
    virtual void DoEnter();
    virtual void DoExit();
    void WndProc(TMessage &Message) override;

private:
    void DoAlign(TControl *AControl, TAlign AAlign, TRect &Rect);
    void NotifyChildren(UINT Msg);
    void UpdateUIState(WPARAM WParam);
    // List bookkeeping only; the widget's Qt parent is set by the caller.
    void AttachControl(TControl *AControl);
    void DetachControl(TControl *AControl);

    std::vector<TControl *> controls_;
    std::vector<TWinControl *> tabList_;
    int alignLevel_ = 0;
    bool alignmentNeeded_ = false;
    bool tabStop_ = false;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    int tabOrder_ = -1;
    // UISF_ flags of the window's UI state: what it hides of focus rectangles and accelerators.
    WORD uiState_ = 0;
};

// A windowed control with a canvas of its own for Paint.
class TCustomControl : public TWinControl
{
public:
    explicit TCustomControl(TComponent *AOwner);

    // Draws on what is being painted during Paint; elsewhere on the back buffer (measuring
    // text is fine at any time).
    TCanvas *Canvas() { return &ControlCanvas(); }

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas &ACanvas) override;
};

// A hint shown in a window of the application's own (a picture, say) instead of the desktop's
// text hint. Only one is up at a time; it goes with CancelHint, when the pointer leaves the
// hint's rectangle or its control.
class THintWindow : public TCustomControl
{
public:
    explicit THintWindow(TComponent *AOwner);
    // Shows the hint with its top left corner at Rect's.
    virtual void ActivateHintData(const TRect &Rect, const QString &AHint, const void *AData) = 0;

protected:
    bool ShowsWithoutParent() const override { return true; }
};

// A control that cannot hold others or take the focus, with a canvas for Paint.
class TGraphicControl : public TControl
{
public:
    explicit TGraphicControl(TComponent *AOwner);
    TCanvas *Canvas() { return &ControlCanvas(); }

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas &ACanvas) override;
};

// Messages to a widget that may be no control at all (then nothing happens and 0 is answered).
LRESULT SendMessage(QWidget *target, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
bool PostMessage(QWidget *target, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

// Whether windows that are partly transparent blend with what lies beneath: a compositing
// manager runs (always so on Wayland). Without one, such windows show opaque.
bool CompositingManagerRunning();

// The control nearest above the widget (the widget itself when it is one).
TControl *ControlOfWidget(QWidget *widget);
// The deepest control at a screen point, skipping disabled ones unless allowed.
TControl *FindDragTarget(const TPoint &screenPos, bool AllowDisabled);
