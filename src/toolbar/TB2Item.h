#pragma once
#include "Forward.h"
#include "TB2ItemAction.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/ImgList.h"
#include "platform/Menus.h"
#include "platform/Messages.h"
#include "platform/Types.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The item tree under every menu bar, toolbar and popup menu. Items are pure model; views
// register change listeners on the items they show and follow every change through them.

class ETBItemError : public Exception
{
public:
    using Exception::Exception;
};

enum class TTBItemChangedAction {
    tbicInserted,
    tbicDeleting,
    tbicSubitemsChanged,
    tbicSubitemsBeginUpdate,
    tbicSubitemsEndUpdate,
    tbicInvalidate,
    tbicInvalidateAndResize,
    tbicRecreateItemViewers,
    tbicNameChanged,
    tbicSubMenuImagesChanged
};

enum class TTBItemOption {
    tboDefault,
    tboDropdownArrow,
    tboImageAboveCaption,
    tboLongHintInMenuOnly,
    tboNoAutoHint,
    tboNoRotation,
    tboSameWidth,
    tboShowHint,
    tboToolbarStyle,
    tboToolbarSize
};
using TTBItemOptions = TSet<TTBItemOption>;

enum class TTBItemDisplayMode : std::uint8_t { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };

// How a popup opened at a point lines up with it.
enum class TTBPopupAlignment { tbpaLeft, tbpaRight, tbpaCenter };

// Item style flags: what kind of thing an item is to the views and the layout.
using TTBItemStyle = std::uint16_t;
namespace tbis {
constexpr TTBItemStyle HasSubmenu = 0x0001;
constexpr TTBItemStyle Selectable = 0x0002;
constexpr TTBItemStyle IsSeparator = 0x0004;
constexpr TTBItemStyle EmbeddedGroup = 0x0008;
constexpr TTBItemStyle IgnoresClicks = 0x0010;
constexpr TTBItemStyle SplitDropdown = 0x0020;
constexpr TTBItemStyle NoAutoOpen = 0x0040;
constexpr TTBItemStyle HoldsChildItems = 0x0080;
constexpr TTBItemStyle KeepsLineAfterWrap = 0x0100;
constexpr TTBItemStyle RightAlign = 0x0200;
constexpr TTBItemStyle DontSelectFirst = 0x0400;
constexpr TTBItemStyle RepaintOnSelect = 0x0800;
constexpr TTBItemStyle RepaintOnPressHover = 0x1000;
constexpr TTBItemStyle FillsLineThickness = 0x2000;
} // namespace tbis

// A change listener: Sender is the item whose list or state changed, Relayed is true when the
// listener's item heard of it from a descendant embedded group or a linked item.
using TTBItemChangedProc = void (*)(void *Data, TTBCustomItem *Sender, bool Relayed,
                                    TTBItemChangedAction Action, int Index, TTBCustomItem *Item);

// A member function as a listener: RegisterNotification(&TBMethodListener<V, &V::Handler>, v).
template <class T, void (T::*Method)(TTBCustomItem *, bool, TTBItemChangedAction, int, TTBCustomItem *)>
void TBMethodListener(void *Data, TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                      TTBCustomItem *Item)
{
    (static_cast<T *>(Data)->*Method)(Sender, Relayed, Action, Index, Item);
}

// The kind of viewer that shows an item: it makes one for a view.
using TTBItemViewerClass = TTBItemViewer *(*)(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel);

using TTBPopupEvent = std::function<void(TTBCustomItem *Sender, bool FromLink)>;
using TTBSelectEvent = std::function<void(TTBCustomItem *Sender, TTBItemViewer *Viewer, bool Selecting)>;

// Components that hold a root item (toolbars, popup menus) answer it here, so that streaming an
// item into them lands in their tree.
class ITBItems
{
public:
    virtual ~ITBItems() = default;
    virtual TTBCustomItem *GetItems() = 0;
};

// An image list link that remembers the image size last seen, to tell a resize from a repaint.
struct TTBImageChangeLink : TChangeLink {
    int LastWidth = 0;
    int LastHeight = 0;
};

// Everything a submenu window needs to be opened for an item.
struct TTBPopupOpenArgs {
    TTBView *ParentView = nullptr;
    TTBItemViewer *ParentViewer = nullptr;
    TTBPopupAlignment Alignment = TTBPopupAlignment::tbpaLeft;
    TPoint PopupPoint;
    bool Customizing = false;
    bool SelectFirst = false;
    bool PositionAsSubmenu = false;
};

// The popup-window unit supplies how a submenu window is made (the default window class) and
// how it is created, placed and shown for an item; until then no window opens.
struct TTBPopupHooks {
    TTBPopupWindow *(*CreateWindow)(TTBCustomItem *Item, TTBView *ParentView, bool Customizing) = nullptr;
    TTBPopupWindow *(*OpenPopup)(TTBCustomItem *Item, const TTBPopupOpenArgs &Args) = nullptr;
};
void SetTBPopupHooks(const TTBPopupHooks &Hooks);
const TTBPopupHooks &TBPopupHooks();

struct TTBPopupPositionRec;

class TTBCustomItem : public TComponent
{
public:
    explicit TTBCustomItem(TComponent *AOwner);
    ~TTBCustomItem() override;

    // The child list. Index errors raise ETBItemError before anything changes.
    int Count() const { return static_cast<int>(items_.size()); }
    TTBCustomItem *GetItem(int Index) const;
    TTBCustomItem *Items(int Index) const { return GetItem(Index); }
    int IndexOf(const TTBCustomItem *AItem) const;
    void Insert(int Index, TTBCustomItem *AItem);
    void Add(TTBCustomItem *AItem) { Insert(Count(), AItem); }
    void Delete(int Index);
    void Remove(TTBCustomItem *AItem);
    void Move(int CurIndex, int NewIndex);
    TTBCustomItem *Parent() const { return parent_; }

    // Listeners are (procedure, data) pairs, counted: registering a pair again needs as many
    // unregistrations. A listener may register or unregister any pair while it is called.
    void RegisterNotification(TTBItemChangedProc Proc, void *Data);
    void UnregisterNotification(TTBItemChangedProc Proc, void *Data);
    // Tells the listeners of this item (and those it relays to) of a change.
    void Notify(TTBItemChangedAction Action, int Index, TTBCustomItem *Item);

    // Properties
    TBasicAction *Action() const;
    void SetAction(TBasicAction *Value);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool Value) { autoCheck_ = Value; }
    const QString &Caption() const { return caption_; }
    void SetCaption(const QString &Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    TTBItemDisplayMode DisplayMode() const { return displayMode_; }
    void SetDisplayMode(TTBItemDisplayMode Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    TTBItemOptions EffectiveOptions() const { return effectiveOptions_; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }
    const QString &Hint() const { return hint_; }
    void SetHint(const QString &Value) { hint_ = Value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TCustomImageList *Images() const { return images_; }
    void SetImages(TCustomImageList *Value);
    bool InheritOptions() const { return inheritOptions_; }
    void SetInheritOptions(bool Value);
    TTBItemStyle ItemStyle() const { return itemStyle_; }
    TTBCustomItem *LinkSubitems() const { return linkSubitems_; }
    void SetLinkSubitems(TTBCustomItem *Value);
    // The items whose LinkSubitems point here.
    const std::vector<TTBCustomItem *> &LinkParents() const { return linkParents_; }
    TTBItemOptions MaskOptions() const { return maskOptions_; }
    void SetMaskOptions(TTBItemOptions Value);
    TTBItemOptions Options() const { return options_; }
    void SetOptions(TTBItemOptions Value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value) { shortCut_ = Value; }
    TCustomImageList *SubMenuImages() const { return subMenuImages_; }
    void SetSubMenuImages(TCustomImageList *Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    // The toolbar or popup menu whose root this item is.
    TComponent *ParentComponentRef() const { return parentComponent_; }
    void SetParentComponentRef(TComponent *Value) { parentComponent_ = Value; }

    // The shortcut text shown at the right of a menu item: the caption after its first Tab,
    // else the ShortCut as text.
    QString ItemShortCutText() const;
    // Runs the first item below this one that has the key of the message (WM_KEYDOWN or
    // WM_SYSKEYDOWN) as its shortcut; true when one was found enabled and clicked.
    bool IsShortCut(const TMessage &Message);
    bool IsShortCut(TShortCut AShortCut);

    // Opens this item's children as a submenu window; nullptr when none opened.
    virtual TTBPopupWindow *OpenItemPopup(TTBView *ParentView, TTBItemViewer *ParentViewer,
                                          TTBPopupAlignment Alignment, const TPoint &PopupPoint,
                                          bool Customizing, bool SelectFirst, bool PositionAsSubmenu);
    // The window class query of the popup unit: the window that shows this item's children.
    virtual TTBPopupWindow *CreatePopupWindow(TTBView *ParentView, bool Customizing);
    // Corrects the place of this item's submenu window and sets its direction flags.
    virtual void ComputePopupPosition(TTBView *ParentView, TTBPopupPositionRec &Rec);
    // Fires OnPopup, then clicks the item unless it has a separate drop-down part.
    virtual void DoPopup(TTBCustomItem *Sender, bool FromLink);
    // The toolbar view whose hidden items a chevron popup lists.
    virtual TTBView *GetChevronParentView() { return nullptr; }
    // The viewer kind of the item in a view (defined with the viewers).
    virtual TTBItemViewerClass GetItemViewerClass(TTBView *AView);
    // Asked by the layout whether a viewer must be replaced by one of another class.
    virtual bool NeedToRecreateViewer(TTBItemViewer *AViewer) { return false; }
    virtual void Click();
    virtual void InitiateAction();
    // Repaints (or relayouts, with NeedResize) the item in every view that shows it.
    virtual void Change(bool NeedResize);

    // Streaming-style parenthood.
    void GetChildren(const std::function<void(TComponent *Child)> &Proc) const;
    void SetChildOrder(TComponent *Child, int Order);
    bool HasParent() const { return true; }
    TComponent *GetParentComponent() const;
    void SetParentComponent(TComponent *Value);

    void SetName(const QString &Value) override;
    void Loaded() override;

    TNotifyEvent OnClick;
    TTBPopupEvent OnPopup;
    TTBSelectEvent OnSelect;

protected:
    virtual void EnabledChanged();
    virtual void ActionChange(TBasicAction *Sender, bool CheckDefaults);
    void Notification(TComponent *AComponent, TOperation Operation) override;
    void SetItemStyle(TTBItemStyle Value) { itemStyle_ = Value; }
    void RefreshOptions();
    bool Designing() const { return ComponentState().Contains(TComponentStateItem::csDesigning); }

private:
    friend class TTBCustomItemActionLink;
    struct TNotifyEntry {
        TTBItemChangedProc Proc;
        void *Data;
        int RefCount;
    };
    struct TRelayPath;

    void Deliver(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                 TTBCustomItem *Item, TRelayPath &Path);
    void CallListeners(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                       TTBCustomItem *Item);
    void CompactNotifyList();
    void UncheckGroupSiblings();
    void ImageListChanged(TCustomImageList *Sender);
    void SubMenuImageListChanged(TCustomImageList *Sender);
    void SetImageList(TCustomImageList *&Field, std::unique_ptr<TTBImageChangeLink> &Link,
                      TCustomImageList *Value, void (TTBCustomItem::*Handler)(TCustomImageList *));
    void DoActionChange(TBasicAction *Sender);
    void ReleaseReference(TComponent *AComponent);
    bool FindShortCut(TTBCustomItem *Level, TShortCut AShortCut, int LinkDepth,
                      std::vector<TTBCustomItem *> &Path, TTBCustomItem *&Found);

    std::unique_ptr<TTBCustomItemActionLink> actionLink_;
    bool autoCheck_ = false;
    QString caption_;
    bool checked_ = false;
    TTBItemDisplayMode displayMode_ = TTBItemDisplayMode::nbdmDefault;
    bool enabled_ = true;
    TTBItemOptions effectiveOptions_;
    int groupIndex_ = 0;
    int helpContext_ = 0;
    QString hint_;
    int imageIndex_ = -1;
    TCustomImageList *images_ = nullptr;
    std::unique_ptr<TTBImageChangeLink> imagesLink_;
    std::vector<TTBCustomItem *> items_;
    TTBItemStyle itemStyle_ = tbis::Selectable | tbis::RepaintOnSelect | tbis::RepaintOnPressHover;
    std::vector<TTBCustomItem *> linkParents_;
    TTBItemOptions maskOptions_;
    TTBItemOptions options_;
    bool inheritOptions_ = true;
    std::vector<TNotifyEntry> notifyList_;
    int notifyWalks_ = 0;
    bool notifyDirty_ = false;
    TTBCustomItem *parent_ = nullptr;
    TComponent *parentComponent_ = nullptr;
    bool radioItem_ = false;
    TShortCut shortCut_ = 0;
    TCustomImageList *subMenuImages_ = nullptr;
    std::unique_ptr<TTBImageChangeLink> subMenuImagesLink_;
    TTBCustomItem *linkSubitems_ = nullptr;
    bool visible_ = true;
};

// The link between an item and its action: a property follows the action while the item still
// shows the action's value of it.
class TTBCustomItemActionLink : public TActionLink
{
public:
    explicit TTBCustomItemActionLink(TTBCustomItem *AClient) : TActionLink(AClient), item_(AClient) {}

    bool IsAutoCheckLinked() override;
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsEnabledLinked() override;
    bool IsHelpContextLinked() override;
    bool IsHintLinked() override;
    bool IsImageIndexLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    bool IsOnExecuteLinked() override;

    void SetAutoCheck(bool Value) override;
    void SetCaption(const QString &Value) override;
    void SetChecked(bool Value) override;
    void SetEnabled(bool Value) override;
    void SetHelpContext(int Value) override;
    void SetHint(const QString &Value) override;
    void SetImageIndex(int Value) override;
    void SetShortCut(TShortCut Value) override;
    void SetVisible(bool Value) override;
    void SetOnExecute(const TNotifyEvent &Value) override;

private:
    TTBCustomItem *item_;
};

class TTBItem : public TTBCustomItem
{
public:
    using TTBCustomItem::TTBCustomItem;
};

// Its children show inline in the parent's view.
class TTBGroupItem : public TTBCustomItem
{
public:
    explicit TTBGroupItem(TComponent *AOwner);
};

class TTBSeparatorItem : public TTBCustomItem
{
public:
    explicit TTBSeparatorItem(TComponent *AOwner);
    // A blank separator takes its room but paints nothing.
    bool Blank() const { return blank_; }
    void SetBlank(bool Value);
    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;

private:
    bool blank_ = false;
};

// A control shown inside a toolbar.
class TTBControlItem : public TTBCustomItem
{
public:
    explicit TTBControlItem(TComponent *AOwner);
    static TTBControlItem *CreateControlItem(TComponent *AOwner, TControl *AControl);
    ~TTBControlItem() override;

    TControl *Control() const { return control_; }
    void SetControl(TControl *Value);
    // Without it the item frees its control when it goes.
    bool DontFreeControl() const { return dontFreeControl_; }
    void SetDontFreeControl(bool Value) { dontFreeControl_ = Value; }

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;

private:
    TControl *control_ = nullptr;
    bool dontFreeControl_ = false;
};

// The invisible root that a toolbar or popup menu owns.
class TTBRootItem : public TTBCustomItem
{
public:
    using TTBCustomItem::TTBCustomItem;
};

// Placement of a submenu window: the opener fills the record with the first position and the
// surroundings; ComputePopupPosition corrects the position and sets the direction flags.
struct TTBPopupPositionRec {
    bool PositionAsSubmenu = false;
    TTBPopupAlignment Alignment = TTBPopupAlignment::tbpaLeft;
    // In: the parent view opens its submenus leftwards. Out: so does the new popup's view.
    bool Leftwards = false;
    TRect MonitorRect;     // work area of the monitor
    TRect ParentItemRect;  // screen rectangle of the parent viewer, or the point
    TPoint NCSize;         // popup frame width and height
    int X = 0, Y = 0, W = 0, H = 0;
    // The animation direction: 1 unroll leftwards, 2 rightwards, 4 downwards, 8 upwards.
    int AnimDir = 0;
    // The parent view (none for a popup from a point), whether it is a vertical toolbar, and
    // the screen rectangles of its shown viewers.
    bool HasParentView = false;
    bool ParentVertical = false;
    std::vector<TRect> ParentViewerRects;
};
void ComputePopupPosition(TTBPopupPositionRec &Rec);

// Deferred clicks. A click chosen in a menu runs after the menu loop, from message 0x500 posted
// to a hidden per-thread window; a target destroyed before it arrives is never run.
constexpr UINT TBM_ITEMCLICK = 0x500;
using TTBDeferredExecuteProc = void (*)(TTBItemViewer *Viewer, bool Flag);
void QueueItemClick(TTBCustomItem *AItem);
void QueueItemClick(TTBItemViewer *AViewer, TTBDeferredExecuteProc Execute, bool Flag);
// Every queued click of the target is cancelled.
void CancelQueuedClicks(const void *Target);
// The hidden window lives while anything that may queue a click does; items count themselves,
// viewers call these.
void TBClickWindowAddRef();
void TBClickWindowRelease();

class TTBCustomImageList : public TImageList
{
public:
    explicit TTBCustomImageList(TComponent *AOwner);
    ~TTBCustomImageList() override;

    // Draws from the list that fits the state: disabled, else checked, else hot images, else
    // the list itself.
    virtual void DrawState(TCanvas *Canvas, int X, int Y, int Index, bool Enabled, bool Selected, bool Checked);

    TCustomImageList *CheckedImages() const { return checkedImages_; }
    void SetCheckedImages(TCustomImageList *Value) { SetLinkedList(checkedImages_, checkedLink_, Value); }
    TCustomImageList *DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TCustomImageList *Value) { SetLinkedList(disabledImages_, disabledLink_, Value); }
    TCustomImageList *HotImages() const { return hotImages_; }
    void SetHotImages(TCustomImageList *Value) { SetLinkedList(hotImages_, hotLink_, Value); }
    // The images as one strip; setting it copies the bitmap and rebuilds the list from it.
    const TBitmap &ImagesBitmap() const { return imagesBitmap_; }
    void SetImagesBitmap(const TBitmap &Value);
    TColor ImagesBitmapMaskColor() const { return maskColor_; }
    void SetImagesBitmapMaskColor(TColor Value);

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;

private:
    void SetLinkedList(TCustomImageList *&Field, TChangeLink &Link, TCustomImageList *Value);
    void ImagesBitmapChanged();

    TCustomImageList *checkedImages_ = nullptr;
    TCustomImageList *disabledImages_ = nullptr;
    TCustomImageList *hotImages_ = nullptr;
    TChangeLink checkedLink_;
    TChangeLink disabledLink_;
    TChangeLink hotLink_;
    TBitmap imagesBitmap_;
    TColor maskColor_ = clFuchsia;
};

class TTBImageList : public TTBCustomImageList
{
public:
    using TTBCustomImageList::TTBCustomImageList;
};
