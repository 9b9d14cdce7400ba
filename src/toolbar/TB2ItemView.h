#pragma once
// Views and item viewers: the on-screen list of one window's items (a toolbar, a menu bar, one
// popup menu) with one viewer per shown item, its selection, child popups, keys and mouse.
#include "Forward.h"
#include "TB2Item.h"
#include "TB2ItemLayout.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TCustomImageList;

// Viewer state flags.
constexpr std::uint8_t tbvsInvalidatePending = 0x01;
constexpr std::uint8_t tbvsLineBreak = 0x02;

class TTBItemViewer
{
public:
    TTBItemViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel);
    virtual ~TTBItemViewer();
    TTBItemViewer(const TTBItemViewer &) = delete;
    TTBItemViewer &operator=(const TTBItemViewer &) = delete;

    TRect BoundsRect;  // client coordinates of the view's window
    bool OffEdge = false;
    int GroupLevel = 0;
    TTBCustomItem *Item = nullptr;
    bool Clipped = false;
    bool Show = false;
    TTBView *View = nullptr;
    std::uint8_t State = 0;
    TTBItemViewerAccObject *AccObject = nullptr;  // made on first request

    virtual void CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight);
    virtual bool DoExecute();
    virtual void DrawItemCaption(TCanvas &Canvas, TRect ARect, const QString &ACaption, unsigned Format,
                                 bool Embossed);
    virtual void Entering(TTBItemViewer *OldSelected);
    virtual int GetAccRole();
    virtual bool GetAccValue(QString &Value) { return false; }
    virtual QString GetCaptionText();
    virtual void GetCursor(const TPoint &Pt, TCursor &ACursor) {}
    virtual bool IsPtInButtonPart(int X, int Y);
    virtual void KeyDown(WORD &Key, TShiftState Shift) {}
    virtual void Leaving();
    virtual void Invalidate();
    virtual void MouseDown(TShiftState Shift, int X, int Y, bool &MouseDownOnMenu);
    virtual void MouseMove(int X, int Y) {}
    virtual void MouseUp(int X, int Y, bool MouseWasDownOnMenu);
    virtual bool MouseWheel(int WheelDelta, int X, int Y) { return false; }
    virtual void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                       bool UseDisabledShadow);
    virtual bool UsesSameWidth();

    virtual bool UsesToolbarSize() const;
    virtual bool UsesToolbarStyle() const;
    bool CaptionShown() const;
    bool ImageShown() const;
    bool IsRotated() const;
    bool IsAccessible() const { return Show || Clipped || OffEdge; }
    TCustomImageList *GetImageList() const;
    // DoExecute; a keyboard or mouse choice moves the viewer to the front of the priority list.
    void Execute(bool AGivePriority);
    // The hint shown for the item.
    QString BuildItemHint() const;
    // BoundsRect in screen coordinates.
    TRect ScreenRect() const;
};

class TTBSeparatorItemViewer : public TTBItemViewer
{
public:
    using TTBItemViewer::TTBItemViewer;
    void CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight) override;
    void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
               bool UseDisabledShadow) override;
    bool UsesSameWidth() override { return false; }
};

enum class TTBViewStateItem {
    vsModal,               // in the menu loop
    vsMouseInWindow,
    vsDrawInOrder,         // paint the selected viewer in its place, not last
    vsOppositePopup,       // submenus open to the left
    vsIgnoreFirstMouseUp,  // the release of the button that opened the menu
    vsShowAccels,
    vsDropDownMenus,       // a menu is open from this toolbar; hovering switches menus
    vsNoAnimation          // a child popup closed: later ones open without animation
};
using TTBViewState = TSet<TTBViewStateItem>;

enum class TTBViewStyleItem { vsMenuBar, vsUseHiddenAccels, vsAlwaysShowHints };
using TTBViewStyle = TSet<TTBViewStyleItem>;

enum class TTBViewTimerID { tiOpen, tiClose, tiScrollUp, tiScrollDown };
// The window timers of a view: 9000 + the kind.
constexpr WPARAM ViewTimerBaseID = 9000;

enum class TTBDoneAction : std::uint8_t { tbdaNone, tbdaCancel, tbdaClickItem, tbdaOpenSystemMenu, tbdaHelpContext };

struct TTBDoneActionData {
    TTBDoneAction DoneAction = TTBDoneAction::tbdaNone;
    TTBCustomItem *ClickItem = nullptr;
    WORD Key = 0;          // system menu: the key typed, and the window whose menu it opens
    QPointer<QWidget> Wnd;
    int ContextID = 0;     // help
    bool ClickFromPopup = false;
};

// How the menu loop was entered (TTBView::EnterToolbarLoop).
enum class TTBEnterToolbarLoopOption { tbetMouseDown, tbetExecuteSelected, tbetFromMSAA };
using TTBEnterToolbarLoopOptions = TSet<TTBEnterToolbarLoopOption>;

class TTBView : public TComponent
{
public:
    TTBView(TComponent *AOwner, TTBView *AParentView, TTBCustomItem *AParentItem, TWinControl *AWindow,
            bool AIsToolbar, bool ACustomizing, bool AUsePriorityList);
    ~TTBView() override;

    // Layout
    virtual void AutoSize(int AWidth, int AHeight) {}
    virtual void UpdatePositions(TPoint &ASize);
    virtual TTBCustomItem *GetChevronItem() { return nullptr; }
    virtual void GetMargins(TTBViewOrientation AOrientation, TRect &Margins);
    virtual TTBCustomItem *GetTrailingItem() { return nullptr; }
    virtual TTBCustomItem *GetLeadingItem() { return nullptr; }
    virtual void KeyDown(WORD &Key, TShiftState Shift);
    virtual void MouseWheel(int WheelDelta);
    virtual TFont *GetFont();
    virtual void InvalidatePositions();

    // Runs the layout; with Apply false nothing of the viewers changes (a toolbar measuring).
    void LayoutViewers(bool Apply, TTBViewOrientation AOrientation, int AChevronSize, int AMaxSize,
                       int AWrapOffset, int &LineCount, TPoint &Size, TPoint &BaseSz, bool &Changed);

    void BeginUpdate();
    void EndUpdate();
    void EnsureLayout();
    void TryValidatePositions();
    bool ValidatePositions() const { return positionsValid_; }

    int ViewerCount() const { return int(viewers_.size()); }
    TTBItemViewer *Viewers(int Index) const { return viewers_[size_t(Index)].get(); }
    int IndexOf(const TTBItemViewer *AViewer) const;
    TTBItemViewer *Find(const TTBCustomItem *AItem) const;
    TTBItemViewer *ViewerFromPoint(const TPoint &P) const;
    TTBItemViewer *NextSelectable(TTBItemViewer *CurViewer, bool GoForward) const;
    TTBItemViewer *FirstSelectable() const;
    TTBItemViewer *NextSelectableWithAccel(TTBItemViewer *CurViewer, QChar Key, bool RequirePrimaryAccel,
                                           bool &IsOnlyItemWithAccel) const;
    TTBItemViewer *HighestPriorityViewer();

    void Select(TTBItemViewer *Value, bool ViaMouse);
    bool OpenChildPopup(bool SelectFirstItem);
    void CloseChildPopups();
    void CancelChildPopups();
    void ExecuteSelected(bool AKeyboard);
    void EndModal();
    void EndModalWithClick(TTBItemViewer *AViewer);
    void SetClickDoneAction(TTBItemViewer *AViewer) { EndModalWithClick(AViewer); }
    void EndModalWithSystemMenu(QWidget *AWnd, WORD AKey);
    void EndModalWithHelp(int AContextID);
    bool IsModalEnding() const;
    // The system took the mouse away: the menu ends and its windows hide at once.
    void CancelMode();
    void ScrollSelectedIntoView();
    void Scroll(bool ADown);
    void MarkViewerUsed(TTBItemViewer *AViewer);
    void InvalidateViewer(TTBItemViewer *AViewer);
    void DrawItem(TTBItemViewer *Viewer, TCanvas &DrawTo, bool Offscreen);
    void DrawSubitems(TCanvas &ACanvas);
    void SetAccelsVisibility(bool AShowAccels);
    // Announces the selected viewer to accessibility clients while the menu loop runs.
    void NotifyFocusEvent();
    void EnterToolbarLoop(TTBEnterToolbarLoopOptions Options);
    void RecreateAllViewers();
    void SetUsePriorityList(bool Value);
    // Where the viewers of items inserted later enter the priority list: first (kept longest)
    // or last.
    bool NewViewersGetHighestPriority() const { return newViewersGetHighestPriority_; }
    void SetNewViewersGetHighestPriority(bool Value) { newViewersGetHighestPriority_ = Value; }
    // The size the next layouts make the view at least (0: no limit on that axis).
    TPoint MinimumSize() const { return minimumSize_; }
    void SetMinimumSize(const TPoint &Value) { minimumSize_ = Value; }
    void GetClippedControls(std::vector<TControl *> &List) const;
    // Hot tracking from a screen point for this view alone (the loop walks the chain).
    void UpdateSelectionFromPoint(const TPoint &ScreenPt, bool Forced, bool Capturing);

    // Timers 9000..9003 on the view's window; only popup windows run them.
    void StartTimer(TTBViewTimerID ATimer, int Interval);
    void StopTimer(TTBViewTimerID ATimer);
    void StopAllTimers();
    bool TimerRunning(TTBViewTimerID ATimer) const;
    void TimerTick(TTBViewTimerID ATimer);

    // The top of the parent chain, which keeps the done action.
    TTBView *RootView();
    // The deepest open popup view of the chain below this one (this view when none is open).
    TTBView *InnermostView();

    // Fields of the view
    TColor Color() const { return color_; }
    void SetColor(TColor Value) { color_ = Value; }
    TPoint BaseSize() const { return baseSize_; }
    bool Capture() const { return captured_; }
    void SetCapture(bool Value) { captured_ = Value; }
    QWidget *ModalWindow() const { return modalWindow_; }
    void SetModalWindow(QWidget *Value) { modalWindow_ = Value; }
    int MaxSize() const { return maxSize_; }
    void SetMaxSize(int Value);
    TTBView *ChevronParentView() const { return chevronParentView_; }
    void SetChevronParentView(TTBView *Value) { chevronParentView_ = Value; }
    int ChevronSize() const { return chevronSize_; }
    void SetChevronSize(int Value) { chevronSize_ = Value; }
    TTBCustomItem *CurParentItem() const { return curParentItem_; }
    bool Customizing() const { return customizing_; }
    void SetCustomizing(bool Value);
    TTBDoneActionData &DoneActionData() { return doneActionData_; }
    bool IsPopup() const { return isPopup_; }
    bool IsToolbar() const { return isToolbar_; }
    int LeadingCount() const { return internalViewersAtFront_; }
    int TrailingCount() const { return internalViewersAtEnd_; }
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int Value) { maxHeight_ = Value; }
    bool MouseOverSelected() const { return mouseOverSelected_; }
    TTBItemViewer *OpenViewer() const { return openViewer_; }
    TTBView *OpenViewerView() const { return openViewerView_; }
    TTBPopupWindow *OpenViewerWindow() const { return openViewerWindow_; }
    // The popup unit records the submenu it opened for a viewer.
    void SetOpenViewer(TTBItemViewer *AViewer, TTBView *AView, TTBPopupWindow *AWindow);
    TTBView *ParentView() const { return parentView_; }
    TTBCustomItem *ParentItem() const { return parentItem_; }
    TTBViewOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTBViewOrientation Value);
    int ScrollOffset() const { return scrollOffset_; }
    TTBItemViewer *Selected() const { return selected_; }
    bool SelectedViaMouse() const { return selectedViaMouse_; }
    bool ShowDownArrow() const { return showDownArrow_; }
    bool ShowUpArrow() const { return showUpArrow_; }
    TTBViewState &State() { return state_; }
    const TTBViewState &State() const { return state_; }
    TTBViewStyle &Style() { return style_; }
    const TTBViewStyle &Style() const { return style_; }
    bool UsePriorityList() const { return usePriorityList_; }
    const std::vector<TTBItemViewer *> &PriorityList() const { return priorityList_; }
    TWinControl *Window() const { return window_; }
    int WrapOffset() const { return wrapOffset_; }
    void SetWrapOffset(int Value);
    int WheelAccum() const { return wheelAccum_; }
    TTBViewAccObject *AccObject() const { return accObject_; }
    void SetAccObject(TTBViewAccObject *Value) { accObject_ = Value; }
    void SetWheelAccum(int Value) { wheelAccum_ = Value; }

    // The listeners on the current items and on the root item.
    void ItemNotification(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                          TTBCustomItem *Item);
    void RootItemNotification(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                              TTBCustomItem *Item);

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;

private:
    friend class TTBModalHandler;
    // Ends the running menu loop of this chain after a done action was recorded.
    void DoneActionSet();
    void LinkCurParentItem();
    void UnlinkCurParentItem();
    int InsertItemViewers(int NewIndex, TTBCustomItem *AItem, int AGroupLevel, bool AddToPriorityList,
                          bool TopOfPriorityList);
    void DeletingViewer(TTBItemViewer *AViewer);
    void FreeViewers();
    void RecreateItemViewer(int Index);
    void InsertIntoGroups(TTBCustomItem *Group, int Index, TTBCustomItem *AItem);
    bool NewItemFirst(const TTBCustomItem *AItem) const;
    void UpdateMouseOver(bool Capturing);
    bool IsSelectableViewer(const TTBItemViewer *V) const;
    bool AccelMatches(const TTBItemViewer *V, QChar Key, bool Primary, bool Enabled) const;

    std::vector<std::unique_ptr<TTBItemViewer>> viewers_;
    std::vector<TTBItemViewer *> priorityList_;
    std::vector<TTBLayoutItem> layoutItems_;
    std::vector<TTBLayoutRecord> layoutRecords_;
    TSet<TTBViewTimerID> activeTimers_;
    TColor color_ = clDefault;
    TPoint baseSize_;
    bool captured_ = false;
    QWidget *modalWindow_ = nullptr;
    int maxSize_ = 0;
    TTBView *chevronParentView_ = nullptr;
    int chevronSize_ = 0;
    TTBCustomItem *curParentItem_ = nullptr;
    bool customizing_ = false;
    TTBDoneActionData doneActionData_;
    int internalViewersAtEnd_ = 0;
    int internalViewersAtFront_ = 0;
    bool isPopup_ = false;
    bool isToolbar_ = false;
    int maxHeight_ = 0;
    bool mouseOverSelected_ = false;
    TTBItemViewer *openViewer_ = nullptr;
    TTBView *openViewerView_ = nullptr;
    TTBPopupWindow *openViewerWindow_ = nullptr;
    TTBView *parentView_ = nullptr;
    TTBCustomItem *parentItem_ = nullptr;
    TTBViewOrientation orientation_ = TTBViewOrientation::tbvoHorizontal;
    int scrollOffset_ = 0;
    TTBItemViewer *selected_ = nullptr;
    bool selectedViaMouse_ = false;
    bool showDownArrow_ = false;
    bool showUpArrow_ = false;
    TTBViewState state_;
    TTBViewStyle style_;
    int updateCount_ = 0;
    bool usePriorityList_ = false;
    bool newViewersGetHighestPriority_ = false;
    TPoint minimumSize_;
    bool positionsValid_ = false;
    int wheelAccum_ = 0;
    TWinControl *window_ = nullptr;
    int wrapOffset_ = 0;
    bool destroying_ = false;
    TTBModalHandler *modalHandler_ = nullptr;
    TTBViewAccObject *accObject_ = nullptr;
};

// An item's caption up to its first Tab.
QString GetCaptionTextOf(const TTBCustomItem *AItem);

// The loop-wide last cursor position; X 0x80000000 means none is recorded.
constexpr int tbNoCursorPos = int(0x80000000u);
TPoint &TBLastCursorPos();

// The menu font shared by every popup without a parent view.
TFont *TBMenuFont();
// Reads the menu font of the system settings again (after they changed).
void TBUpdateMenuFont();
