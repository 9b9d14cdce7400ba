#pragma once
// Docks along a form's edges that hold dockable windows in rows, the dockable windows that can
// be dragged between docks or off into a floating tool window of their own, and that window.
#include "Forward.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Types.h"

#include <climits>
#include <functional>
#include <memory>
#include <vector>

class TTBDock;
class TTBCustomDockableWindow;
class TTBFloatingWindowParent;
class TTBDragLoop;

enum class TTBDockPosition { dpTop, dpBottom, dpLeft, dpRight };
using TTBDockableTo = TSet<TTBDockPosition>;
enum class TTBDockBoundLinesValue { blTop, blBottom, blLeft, blRight };
using TTBDockBoundLines = TSet<TTBDockBoundLinesValue>;
enum class TTBDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum class TTBDragHandleStyle { dhDouble, dhNone, dhSingle };
enum class TTBFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
enum class TTBBorderStyle { bsNone, bsSingle };
// The kind of placement a window is measured for.
enum class TTBDockType { dtNotDocked, dtFloating, dtTopBottom, dtLeftRight };

constexpr int tbHTDragHandle = 2000;
constexpr int tbHTCloseButton = 2001;
constexpr int tbHTCaption = 2002;

// ---------------------------------------------------------------------------------------------
// The row arrangement of a dock as a computation over plain records.

// What one window answers for a row of a given length.
struct TTBDockMeasure {
    int Full = 0;    // docked length along the row, frame included
    int Min = 0;     // never above Full
    int Kind = 0;    // 0 does not shrink, 1 wraps (shrinks alone in its row), 2 chevron
    int Cross = 0;   // thickness of the contents across the row, without the frame
};

struct TTBDockArrangeRec {
    // In
    bool Shown = true;
    int DockRow = 0;
    int DockPos = -1;  // -1: at the end of the row
    bool FullSize = false;
    bool Stretch = false;
    bool Dragging = false;
    bool HoldListPlace = false;  // the dragged window keeps its index in the list
    bool WantsOwnRow = false;    // the dragged window asked for a new row
    // Out
    int EffRow = -1;
    int EffPos = 0;
    int Size = 0;
    int Thickness = 0;
};

struct TTBDockArrangeParams {
    int Avail = 0;
    bool LimitToOneRow = false;
    // Index into the record list, length of the row.
    std::function<TTBDockMeasure(int Index, int Avail)> Measure;
};

// Lays the shown records out in rows. DockRow of every record is rewritten to the row it takes
// (so the caller can commit), EffRow/EffPos/Size/Thickness are the result. Answers the sum of
// the row thicknesses.
int ArrangeDockRecords(const TTBDockArrangeParams &Params, std::vector<TTBDockArrangeRec> &Recs);
// The place along its row a DockPos sorts by: -1 ("at the end") after every real one.
inline int TTBDockSortPos(int DockPos) { return DockPos == -1 ? INT_MAX : DockPos; }

// Where a drop across the rows lands: the row to join, or a new row to insert at Row.
struct TTBRowDrop {
    int Row = 0;
    bool NewRow = false;
};
// Rows: thickness of each row (0 for an empty one) and whether it holds a FullSize window;
// Offset: the middle of the dragged outline across the dock.
TTBRowDrop FindDropRow(const std::vector<std::pair<int, bool>> &Rows, int Offset);

// ---------------------------------------------------------------------------------------------

// A shared background painted behind a dock (and its toolbars). No concrete one exists.
class TTBBasicBackground : public TComponent
{
public:
    using TComponent::TComponent;
    virtual void Draw(TCanvas &DC, const TRect &DrawRect) = 0;
    virtual void RegisterChanges(const std::function<void()> &Proc, const void *Owner) = 0;
    virtual void SysColorChanged() = 0;
    virtual void UnregisterChanges(const void *Owner) = 0;
    virtual bool UsingBackground() = 0;
};

using TInsertRemoveEvent = std::function<void(TComponent *Sender, bool Inserting, TTBCustomDockableWindow *Bar)>;
using TRequestDockEvent = std::function<void(TComponent *Sender, TTBCustomDockableWindow *Bar, bool &Accept)>;

class TTBDock : public TCustomControl
{
public:
    explicit TTBDock(TComponent *AOwner);
    ~TTBDock() override;

    void SetParent(TWinControl *AParent) override;

    bool AllowDrag() const { return allowDrag_; }
    void SetAllowDrag(bool Value);
    TTBBasicBackground *Background() const { return background_; }
    void SetBackground(TTBBasicBackground *Value);
    bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
    void SetBackgroundOnToolbars(bool Value);
    TTBDockBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TTBDockBoundLines Value);
    bool FixAlign() const { return fixAlign_; }
    void SetFixAlign(bool Value);
    bool LimitToOneRow() const { return limitToOneRow_; }
    void SetLimitToOneRow(bool Value);
    TTBDockPosition Position() const { return position_; }
    void SetPosition(TTBDockPosition Value);
    bool IsVertical() const { return position_ == TTBDockPosition::dpLeft || position_ == TTBDockPosition::dpRight; }

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int GetToolbarCount() const { return int(dockVisibleList_.size()); }
    TTBCustomDockableWindow *GetToolbars(int Index) const { return dockVisibleList_.at(size_t(Index)); }
    const std::vector<TTBCustomDockableWindow *> &DockList() const { return dockList_; }

    virtual bool GetAllowDrag() const { return allowDrag_; }
    virtual void DrawBackground(TCanvas &DC, const TRect &DrawRect);
    virtual bool UsingBackground() const;
    virtual void ArrangeDockRows();

    // Used by the dockable windows.
    void ChangeDockList(bool Insert, TTBCustomDockableWindow *Bar);
    void ChangeWidthHeight(int NewSize);
    void CommitPositions();
    int GetHighestRow(bool HighestEffective) const;
    int GetRowSize(int Row, TTBCustomDockableWindow *DefaultToolbar, bool *FullSizeRow = nullptr) const;
    int GetRowOf(int XY, bool &Before) const;
    int GetDesignModeRowOf(int XY) const;
    void ToolbarVisibilityChanged(TTBCustomDockableWindow *Bar, bool ForceRemove);
    // The largest row thickness given to the windows of Row other than Except.
    int GetMinRowSize(int Row, TTBCustomDockableWindow *ExceptToolbar) const;
    void SetCommitNextArrange() { commitPositions_ = true; }

    TInsertRemoveEvent OnInsertRemoveBar;
    TRequestDockEvent OnRequestDock;

protected:
    TRect NCMargins() const override;
    void PaintNC(TCanvas &ACanvas) override;
    void EraseBackground(TCanvas &ACanvas) override;
    void AlignControls(TControl *AControl, TRect &Rect) override;
    void Notification(TComponent *AComponent, TOperation Operation) override;
    void WndProc(TMessage &Message) override;
    void Loaded() override;

private:
    void RelayToFloating(TMessage &Message);
    void RedrawShown();
    void SortVisibleList();

    std::vector<TTBCustomDockableWindow *> dockList_;
    std::vector<TTBCustomDockableWindow *> dockVisibleList_;
    int updateCount_ = 0;
    bool arrangePending_ = false;
    bool commitPositions_ = false;
    bool allowDrag_ = true;
    TTBBasicBackground *background_ = nullptr;
    bool backgroundOnToolbars_ = true;
    TTBDockBoundLines boundLines_;
    bool fixAlign_ = false;
    bool limitToOneRow_ = false;
    TTBDockPosition position_ = TTBDockPosition::dpTop;

    friend class TTBCustomDockableWindow;
};

// ---------------------------------------------------------------------------------------------

using TTBDockChangingEvent = std::function<void(TComponent *Sender, bool Floating, TTBDock *DockingTo)>;

class TTBCustomDockableWindow : public TCustomControl
{
public:
    explicit TTBCustomDockableWindow(TComponent *AOwner);
    ~TTBCustomDockableWindow() override;

    void SetParent(TWinControl *AParent) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // Properties
    bool ActivateParent() const { return activateParent_; }
    void SetActivateParent(bool Value) { activateParent_ = Value; }
    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool Value);
    TTBBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TTBBorderStyle Value);
    bool CloseButton() const { return closeButton_; }
    void SetCloseButton(bool Value);
    bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
    void SetCloseButtonWhenDocked(bool Value);
    TTBDock *CurrentDock() const { return currentDock_; }
    void SetCurrentDock(TTBDock *Value);
    bool DblClickUndock() const { return dblClickUndock_; }
    void SetDblClickUndock(bool Value) { dblClickUndock_ = Value; }
    TTBDock *DefaultDock() const { return defaultDock_; }
    void SetDefaultDock(TTBDock *Value);
    TTBDockableTo DockableTo() const { return dockableTo_; }
    void SetDockableTo(TTBDockableTo Value) { dockableTo_ = Value; }
    TTBDockMode DockMode() const { return dockMode_; }
    void SetDockMode(TTBDockMode Value) { dockMode_ = Value; }
    int DockPos() const { return dockPos_; }
    void SetDockPos(int Value);
    int DockRow() const { return dockRow_; }
    void SetDockRow(int Value);
    TTBDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
    void SetDragHandleStyle(TTBDragHandleStyle Value);
    TTBFloatingMode FloatingMode() const { return floatingMode_; }
    void SetFloatingMode(TTBFloatingMode Value);
    bool FullSize() const { return fullSize_; }
    void SetFullSize(bool Value);
    bool HideWhenInactive() const { return hideWhenInactive_; }
    void SetHideWhenInactive(bool Value);
    TTBDock *LastDock() const { return lastDock_; }
    void SetLastDock(TTBDock *Value);
    bool Resizable() const { return resizable_; }
    void SetResizable(bool Value);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool Value);
    bool SmoothDrag() const { return smoothDrag_; }
    void SetSmoothDrag(bool Value) { smoothDrag_ = Value; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool Value);
    bool UseLastDock() const { return useLastDock_; }
    void SetUseLastDock(bool Value);
    TPoint FloatingPosition() const { return floatingPosition_; }
    void SetFloatingPosition(const TPoint &Value);

    bool Floating() const { return floating_; }
    void SetFloating(bool Value);
    bool Docked() const { return docked_; }
    int EffectiveDockRow() const { return effectiveDockRow_; }
    int EffectiveDockPos() const { return effectiveDockPos_; }
    int CurrentSize() const { return currentSize_; }  // row thickness given by the dock
    bool DragMode() const { return dragMode_; }
    bool DragSplitting() const { return dragSplitting_; }
    TTBFloatingWindowParent *FloatingWindowParent() const { return floatParent_; }
    bool CaptionInactive() const { return inactiveCaption_; }
    // The close button is held down (docked or on the floating frame).
    bool CloseButtonDown() const { return closeButtonDown_; }

    // Further forms whose docks are candidates while dragging.
    void AddDockForm(TWinControl *Form);
    void RemoveDockForm(TWinControl *Form);

    void Arrange();
    void BeginUpdate() { ++disableArrange_; }
    void EndUpdate();
    void Close();
    // Runs the drag loop as if the handle were pressed at the screen point.
    void BeginMoving(const TPoint &ScreenPos);
    // Ends a running drag as cancelled.
    void CancelDrag();
    // Runs the resize loop of the floating window from a size code.
    void BeginSizing(int SizeHandle, const TPoint &ScreenPos);
    // The docked frame (margins) for a dock kind, frame metrics of the framework.
    virtual TRect GetDockedNCArea(TTBDock *ADock) const;
    virtual TRect GetFloatingNCArea() const;
    // Window size (frame included) for a placement.
    TPoint GetSizeFor(TTBDockType ADockType, TTBDock *ADock, int RowLength);

    // The virtual measurements a descendant fills in.
    virtual bool CanDockTo(TTBDock *ADock) const;
    // Contents size for a placement; with Apply the contents are laid out for it.
    virtual TPoint DoArrange(bool Apply, TTBDockType ADockType, TTBDock *ADock, int RowLength);
    virtual void GetMinMaxSize(int &AMinClientWidth, int &AMinClientHeight, int &AMaxClientWidth,
                               int &AMaxClientHeight);
    // The dock's three questions, lengths along the row with the frame.
    virtual int GetDockedMinimumSize(TTBDock *ADock, int RowLength);
    virtual int GetShrinkKind() const { return 0; }
    // Resizing a floating window.
    virtual void ResizeBegin(int SizeHandle) {}
    virtual void ResizeTrack(TRect &Rect, const TRect &OrigRect) {}
    // Accepted false: the resize was cancelled, and what it changed goes back.
    virtual void ResizeEnd(bool Accepted) {}
    virtual void PaintDockableNCArea(TCanvas &ACanvas);
    void DrawFloatingFrame(TCanvas &ACanvas, const TRect &WindowRect);
    int FloatingHitTest(const TPoint &WindowPt, const TRect &WindowRect) const;
    TRect FloatingCloseButtonRect(const TRect &WindowRect) const;

    void UpdateVisibility();
    // The kind of the floating window: a click leaves the activation where it is unless the
    // window holds a control that takes typing; fmOnTopOfAllForms keeps it above every window
    // while it is enabled (no modal window blocks it).
    // Leaving: a control on its way out, no longer counted.
    void UpdateFloatingWindowKinds(const QWidget *Leaving = nullptr);

    TNotifyEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDockChanged;
    TTBDockChangingEvent OnDockChanging;
    TTBDockChangingEvent OnDockChangingHidden;
    TNotifyEvent OnMove;
    TNotifyEvent OnRecreated;
    TNotifyEvent OnRecreating;
    TNotifyEvent OnVisibleChanged;

protected:
    friend class TTBDock;
    friend class TTBFloatingWindowParent;

    TRect NCMargins() const override;
    void PaintNC(TCanvas &ACanvas) override;
    // On a dock whose background shows behind its toolbars: the part of the picture it covers.
    void EraseBackground(TCanvas &ACanvas) override;
    int NCHitTest(const TPoint &screenPos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage &Message) override;
    void Loaded() override;
    void Notification(TComponent *AComponent, TOperation Operation) override;
    // A press at the client point would go to the contents, not start a drag.
    virtual bool ChildControlTransparent(const TPoint &ClientPt) { return false; }
    virtual void DoDblClickAction();
    virtual TTBFloatingWindowParent *CreateFloatingWindowParent(TForm *AParentForm);
    // The size list of a wrapping toolbar asks for it.
    bool Arranging() const { return arranging_ > 0; }

private:
    bool ContextMenu(TMessage &Message);
    bool DockBackgroundShown() const;
    void DockedCloseButtonRect(TRect &R) const;
    int DragHandleSize() const;
    bool CanDrag() const;
    void ApplyFloatingBounds();
    void FreeFloatingParent();
    void TrackCloseButton(bool OnFloatingFrame);
    TForm *ParentFormOf() const;

    bool activateParent_ = true;
    bool autoResize_ = true;
    TTBBorderStyle borderStyle_ = TTBBorderStyle::bsSingle;
    bool closeButton_ = true;
    bool closeButtonWhenDocked_ = false;
    TTBDock *currentDock_ = nullptr;
    bool dblClickUndock_ = true;
    TTBDock *defaultDock_ = nullptr;
    TTBDockableTo dockableTo_{TTBDockPosition::dpTop, TTBDockPosition::dpBottom, TTBDockPosition::dpLeft,
                              TTBDockPosition::dpRight};
    TTBDockMode dockMode_ = TTBDockMode::dmCanFloat;
    int dockPos_ = -1;
    int dockRow_ = 0;
    TTBDragHandleStyle dragHandleStyle_ = TTBDragHandleStyle::dhSingle;
    TTBFloatingMode floatingMode_ = TTBFloatingMode::fmOnTopOfParentForm;
    bool fullSize_ = false;
    bool hideWhenInactive_ = true;
    TTBDock *lastDock_ = nullptr;
    bool resizable_ = true;
    bool showCaption_ = true;
    bool smoothDrag_ = true;
    bool stretch_ = false;
    bool useLastDock_ = true;
    TPoint floatingPosition_;

    bool floating_ = false;
    bool docked_ = false;
    int effectiveDockRow_ = -1;
    int effectiveDockPos_ = -1;
    int currentSize_ = 0;
    int disableArrange_ = 0;
    bool arrangeNeeded_ = false;
    int disableOnMove_ = 0;
    int arranging_ = 0;
    bool inactiveCaption_ = false;
    bool closeButtonDown_ = false;
    bool dragMode_ = false;
    bool dragSplitting_ = false;
    bool holdListPlace_ = false;
    TTBFloatingWindowParent *floatParent_ = nullptr;
    TTBDragLoop *dragLoop_ = nullptr;
    std::vector<TWinControl *> dockForms_;

    friend class TTBDragLoop;
    friend struct TTBDockableAccess;
};

// The tool window a floating dockable window lives in, owned by its form. Its caption, frame
// and close button are the hosted window's to paint and hit-test.
class TTBFloatingWindowParent : public TForm
{
public:
    TTBFloatingWindowParent(TComponent *AOwner, TForm *AParentForm);
    ~TTBFloatingWindowParent() override;

    TTBCustomDockableWindow *DockableWindow() const { return dockableWindow_; }
    TForm *ParentForm() const { return parentForm_; }
    void SetDockableWindow(TTBCustomDockableWindow *Value) { dockableWindow_ = Value; }
    // Sizes the window so that its client area has that size.
    void SetClientSize(int AWidth, int AHeight);

protected:
    TRect NCMargins() const override;
    void PaintNC(TCanvas &ACanvas) override;
    int NCHitTest(const TPoint &screenPos) override;
    void WndProc(TMessage &Message) override;
    void KeyDown(WORD &Key, TShiftState Shift) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    friend class TTBCustomDockableWindow;
    // A press on the window raises it without taking the activation, which goes to the
    // parent form instead (fmOnTopOfParentForm with ActivateParent).
    void PressedOn();
    // The activation the window holds goes on: to the parent form, or to another window of
    // the program while the window is hidden.
    void HandActivationOn();

    TTBCustomDockableWindow *dockableWindow_ = nullptr;
    bool enabled_ = true;  // not blocked by a modal window
    TForm *parentForm_ = nullptr;
};

// Every dockable window that floats now, in the order they began floating.
const std::vector<TTBCustomDockableWindow *> &FloatingDockableWindows();
