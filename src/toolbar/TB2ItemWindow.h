#pragma once
// Popup windows, the modal menu loop and the popup menu component.
#include "Forward.h"
#include "TB2Item.h"
#include "TB2ItemView.h"
#include "platform/Controls.h"
#include "platform/InputRouter.h"

#include <QPointer>
#include <memory>

// A popup window's question to itself about its animation and shadow, which a window that draws
// a shadow answers: WParam 1 before it would be shown animated (non-zero: shown at once), 2 when
// the animation has ended, 3 when it has been shown without one.
constexpr UINT PopupShadowMessage = 1578;

// A submenu or popup menu window holding one popup view. A parentless window that never takes
// activation; the framework creates and frees it.
class TTBPopupWindow : public TCustomControl
{
public:
    TTBPopupWindow(TComponent *AOwner, TTBView *AParentView, TTBCustomItem *AItem, bool ACustomizing);
    ~TTBPopupWindow() override;

    TTBView *View() const { return view_.get(); }
    // Frame width and height.
    virtual TPoint GetNCSize() const { return {3, 3}; }
    // The animation direction (ComputePopupPosition's flags).
    int AnimationDirection() const { return animationDirection_; }
    void SetAnimationDirection(int Value) { animationDirection_ = Value; }
    // Shows the window (with the menu animation when it applies) or hides it. Shown, the window
    // hears PopupShadowMessage 3 at once or 2 when its animation has ended.
    virtual void ShowPopup(bool AShow);
    // The animation the window opens with when it may animate: false for none, else whether it
    // fades and the direction it slides in. By default the desktop's menu animation setting.
    virtual bool GetAnimation(bool &Fade, unsigned &Direction) const;

    virtual void PaintScrollArrows(TCanvas &ACanvas);

protected:
    TRect NCMargins() const override;
    void PaintNC(TCanvas &ACanvas) override;
    void Paint() override;
    void WndProc(TMessage &Message) override;
    bool ShowsWithoutParent() const override { return true; }

private:
    void PointerOverShownWindow();

    std::unique_ptr<TTBView> view_;
    int animationDirection_ = 0;
};

class TTBPopupView : public TTBView
{
public:
    using TTBView::TTBView;
    void AutoSize(int AWidth, int AHeight) override;
    TFont *GetFont() override;
};

// Owns the mouse and keyboard while a menu is open and runs the menu loop.
class TTBModalHandler
{
public:
    explicit TTBModalHandler(QWidget *AExistingWnd);
    ~TTBModalHandler();
    TTBModalHandler(const TTBModalHandler &) = delete;
    TTBModalHandler &operator=(const TTBModalHandler &) = delete;

    QWidget *Wnd() const { return wnd_; }
    TTBPopupWindow *RootPopup() const { return rootPopup_; }
    // A handler without a window of its own announces the menu on its root popup.
    void SetRootPopup(TTBPopupWindow *Value);
    // For a handler without a window of its own: the control or form the menu was opened from.
    void SetOpenedFrom(QWidget *Value) { openedFrom_ = Value; }

    // Runs the loop for the chain of views under RootView until it records a done action.
    void Loop(TTBView *RootView, bool AMouseDown, bool ATrackRightButton, bool ANotByKeyboard,
              bool AExecuteSelected);
    // Ends a running loop after the current event.
    void EndLoop();
    // The menu lost its window's activation: every open popup goes, no item is chosen.
    void CancelLoop();

private:
    TInputAction Handle(QWidget *target, QEvent *event);
    TInputAction HandleKey(QEvent *event);
    TInputAction HandleMouse(QEvent *event);
    void HandleChar(QChar Ch);
    bool IsInChain(const TPoint &ScreenPt) const;
    void UpdateAllSelections(const TPoint &ScreenPt, bool Forced);
    TTBView *ViewUnderCursor(const TPoint &ScreenPt, TTBItemViewer *&Viewer) const;
    bool ContinueLoop() const;
    void UpdateHintAndCursor(const TPoint &ScreenPt);
    void AnnounceStart(QWidget *AWnd);
    // The window whose activation the menu waits for when none was active at its opening.
    QWidget *OpenerWindow() const;
    // A popup window of the open chain.
    bool IsMenuWindow(const QWidget *w) const;

    QWidget *wnd_ = nullptr;
    TTBPopupWindow *rootPopup_ = nullptr;
    TTBView *rootView_ = nullptr;
    bool trackRightButton_ = false;
    bool mouseDownOnMenu_ = false;
    bool grabbed_ = false;
    TModalLoop *loop_ = nullptr;
    // The window the menu start went to; the end goes there too.
    QPointer<QWidget> announced_;
    QPointer<QWidget> openedFrom_;
};

// Carries out a done action after the menu is gone; answers the clicked item.
TTBCustomItem *RunDoneAction(const TTBDoneActionData &Done, bool ReturnClickedItemOnly);

// Runs a popup of Item's children as a menu at the point: the loop, then the done action.
// Answers the clicked item (its click runs after the menu is gone unless only the item is asked).
TTBCustomItem *TBPopupItemAsMenu(TTBCustomItem *AItem, const TPoint &P, bool TrackRightButton,
                                 TTBPopupAlignment Alignment, bool ReturnClickedItemOnly);

enum class TTrackButton { tbRightButton, tbLeftButton };

// The popup menu a form drops on itself (tray menu, list menus): its contents are a root item.
class TTBPopupMenu : public TPopupMenu, public ITBItems
{
public:
    explicit TTBPopupMenu(TComponent *AOwner);
    ~TTBPopupMenu() override;

    // Makes the root item of a menu, owned by the menu: the kind of root decides what kind of
    // popup window the menu opens in.
    using TRootItemClass = TTBRootItem *(*)(TComponent *AOwner);

    TTBRootItem *Items() const { return items_; }
    TTBCustomItem *GetItems() override { return items_; }
    TCustomImageList *Images() const { return items_->SubMenuImages(); }
    void SetImages(TCustomImageList *Value) { items_->SetSubMenuImages(Value); }
    TTBCustomItem *LinkSubitems() const { return items_->LinkSubitems(); }
    void SetLinkSubitems(TTBCustomItem *Value) { items_->SetLinkSubitems(Value); }
    TTBItemOptions Options() const { return items_->Options(); }
    void SetOptions(TTBItemOptions Value) { items_->SetOptions(Value); }
    TTBPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TTBPopupAlignment Value) { alignment_ = Value; }
    TTrackButton TrackButton() const { return trackButton_; }
    void SetTrackButton(TTrackButton Value) { trackButton_ = Value; }
    TPoint PopupPoint() const { return popupPoint_; }

    void Popup(int X, int Y) override { PopupEx(X, Y, false); }
    TTBCustomItem *PopupEx(int X, int Y, bool ReturnClickedItemOnly);
    bool IsShortCut(const TMessage &Message) { return items_->IsShortCut(Message); }

    TNotifyEvent OnPopup;

protected:
    TTBPopupMenu(TComponent *AOwner, TRootItemClass RootItemClass);

private:
    TTBRootItem *items_;
    TTBPopupAlignment alignment_ = TTBPopupAlignment::tbpaLeft;
    TTrackButton trackButton_ = TTrackButton::tbRightButton;
    TPoint popupPoint_;
};

// Makes the popup windows of the item tree: called by every view and popup menu before use.
void TBInstallPopupWindows();
