#pragma once
#include "platform/Graphics.h"
#include "platform/Messages.h"
#include "platform/Types.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TCustomImageList;

// Messages between the theme manager, the themes and the themed controls.
constexpr UINT TBXM_THEMECHANGE = 1336;      // the system changed: to the themes and the nexus
constexpr UINT TBXM_CONTROLCHANGE = 1338;    // the theme changed: to every themed control
constexpr UINT TBXM_GETVIEWTYPE = 1261;      // a control asks its parent for its view type
constexpr UINT TBXM_GETEFFECTIVECOLOR = 1262;// ... and for the colour it paints with

// wParam of the two change messages.
constexpr WPARAM ThemeBeforeChange = 1;
constexpr WPARAM ThemeColorsChanged = 2;
constexpr WPARAM ThemeAfterChange = 3;
constexpr WPARAM ThemeAppActivate = 4;
constexpr WPARAM ThemeAppDeactivate = 5;

// View types: a family bit with its kind, plus the toolbar state bits.
constexpr int VT_TOOLBAR = 0x1000;
constexpr int VT_NORMALTOOLBAR = 0x1001;
constexpr int VT_MENUBAR = 0x1002;
constexpr int VT_FLOATING = 0x0800;
constexpr int VT_RESIZABLE = 0x0400;
constexpr int VT_OPAQUE = 0x0200;
constexpr int VT_POPUP = 0x2000;
constexpr int VT_POPUPMENU = 0x2001;
constexpr int VT_LISTBOX = 0x2002;
constexpr int VT_TOOLBOX = 0x2004;
constexpr int VT_CHEVRONMENU = 0x2008;
constexpr int VT_DOCKPANEL = 0x4000;
constexpr int VT_STANDALONE = 0x10000;

constexpr bool IsToolbarView(int viewType) { return (viewType & VT_TOOLBAR) != 0; }
constexpr bool IsPopupView(int viewType) { return (viewType & VT_POPUP) != 0; }
constexpr bool IsMenuBarView(int viewType) { return (viewType & VT_MENUBAR) == VT_MENUBAR; }

// Item options of TTBXItemInfo.
constexpr int IO_TOOLBAR_STYLE = 0x01;
constexpr int IO_SUBMENU = 0x04;
constexpr int IO_SPLIT = 0x08;
constexpr int IO_DESIGNING = 0x10;
constexpr int IO_APP_ACTIVE = 0x20;
constexpr int IO_RADIO = 0x40;

// Margin ids and metric indexes.
constexpr int MARGIN_TOOLBAR_ITEM = 1;
constexpr int MARGIN_MENU_ITEM = 2;
constexpr int MARGIN_STATUS_PANE = 3;

constexpr int IM_SPLIT_ARROW_WIDTH = 10;
constexpr int IM_DROPDOWN_ARROW_WIDTH = 20;
constexpr int IM_DROPDOWN_ARROW_GAP = 21;
constexpr int IM_MENU_IMAGE_TEXT_GAP = 32;
constexpr int IM_MENU_LEFT_CAPTION_GAP = 33;
constexpr int IM_MENU_RIGHT_CAPTION_GAP = 34;
constexpr int IM_MENU_SEPARATOR_SIZE = 35;
constexpr int IM_TOOLBAR_SEPARATOR_SIZE = 50;
constexpr int IM_EDIT_FRAME_INSET = 60;
// Every integer index a theme answers; the completeness check walks them.
inline constexpr int IM_ALL[] = {10, 20, 21, 32, 33, 34, 35, 36, 37, 50, 60, 61, 62, 65, 66};

constexpr int BMET_POPUP_FLUSH = 1;
constexpr int BMET_PAINT_DOCK = 5;
constexpr int BMET_SOLID_TOOLBAR_NC = 6;
constexpr int BMET_TOOLBAR_HIDES_DOCK_IMAGE = 7;
inline constexpr int BMET_ALL[] = {1, 3, 4, 5, 6, 7};

// Parts of PaintStatusBar.
constexpr int STATUS_BODY = 0, STATUS_PANE = 1, STATUS_LAST_PANE = 2, STATUS_GRIP = 3;

// Dock positions of PaintDock.
constexpr int DOCK_TOP = 1, DOCK_BOTTOM = 2, DOCK_LEFT = 3, DOCK_RIGHT = 4;

// Redraw parts of a floating frame.
constexpr int REDRAW_FRAME = 1, REDRAW_CAPTION = 2, REDRAW_CLOSE = 4;
// Close-button state bits.
constexpr int CLOSE_VISIBLE = 1, CLOSE_HOT = 2, CLOSE_PRESSED = 4;

// Glyph kinds of PaintWindowButton.
constexpr int GLYPH_CLOSE = 0, GLYPH_MINIMIZE = 1, GLYPH_RESTORE = 3;

struct TTBXMargins {
    int LeftWidth = 0;
    int RightWidth = 0;
    int TopHeight = 0;
    int BottomHeight = 0;
};

// What an item viewer tells the theme about the item it paints. Zero before it is filled.
struct TTBXItemInfo {
    int ViewType = 0;
    int ItemOptions = 0;
    bool Enabled = false;
    bool Pushed = false;
    int HoverKind = 0;  // 0 not selected, 1 selected but disabled, 2 selected and enabled
    bool Checked = false;
    bool ImageShown = false;
    int ImageWidth = 0;
    int ImageHeight = 0;
    bool IsVertical = false;
    int ComboPart = 0;  // 0 plain, 1 whole item with arrow, 2 button part, 3 drop-down part
    bool IsPopupParent = false;
    int PopupMargin = 0;
};
constexpr int HOVER_NONE = 0, HOVER_DISABLED = 1, HOVER_ENABLED = 2;
constexpr int COMBO_NONE = 0, COMBO_WHOLE = 1, COMBO_BUTTON = 2, COMBO_DROPDOWN = 3;

// A docked toolbar's non-client area.
struct TTBXFrameInfo {
    std::intptr_t WindowHandle = 0;
    int ViewType = 0;
    bool IsVertical = false;
    bool AllowDrag = false;
    int BorderStyle = 0;  // 0 none, 1 single
    TPoint BorderSize;
    int ClientWidth = 0;
    int ClientHeight = 0;
    int DragHandleStyle = 0;  // 0 double, 1 none, 2 single
    int CloseButtonState = 0;
    TColor Color = 0;
};

// A floating toolbar's frame.
struct TTBXFloatingInfo {
    std::intptr_t WindowHandle = 0;
    std::intptr_t ToolbarHandle = 0;
    int ViewType = 0;
    int ClientWidth = 0;
    int ClientHeight = 0;
    bool ShowCaption = false;
    TPoint BorderSize;
    int CloseButtonState = 0;
    int RedrawPart = 0;
    QString Caption;
    TColor Color = 0;
    bool Active = false;
};

// A popup window's border; ParentRect is where it touches its parent item (empty when not).
struct TTBXPopupInfo {
    std::intptr_t WindowHandle = 0;
    int ViewType = 0;
    TRect ParentRect;
    TPoint BorderSize;
};

constexpr int EDIT_BUTTON_DROPDOWN = 1, EDIT_BUTTON_SPIN = 2;
// ButtonState bits as the visual themes read them: a spin button's upper half is pushed with
// EDIT_BTN_PUSHED, its lower half with EDIT_BTN_LOWER_PUSHED.
constexpr int EDIT_BTN_DISABLED = 1, EDIT_BTN_HOT = 2, EDIT_BTN_PUSHED = 4, EDIT_BTN_LOWER_PUSHED = 8;
struct TTBXEditBtnInfo {
    int ButtonType = EDIT_BUTTON_DROPDOWN;
    int ButtonState = 0;
};

// An edit item's frame and its button strip; the right button is painted in its own state.
struct TTBXEditFrameInfo {
    int LeftBtnWidth = 0;
    int RightBtnWidth = 0;
    TTBXEditBtnInfo RightBtnInfo;
};

// A dockable panel's caption bar.
struct TTBXPanelInfo {
    int ViewType = 0;
    bool IsVertical = false;
    bool AllowDrag = false;
    TPoint BorderSize;
    int ClientWidth = 0;
    int ClientHeight = 0;
    int CloseButtonState = 0;
    QString Caption;
    bool Active = false;
    // The panel's frame; clNone leaves it to the theme.
    TColor BorderColor = clNone;
};

// Receives the theme manager's messages.
class TTBXMessageListener
{
public:
    virtual ~TTBXMessageListener() = default;
    virtual void Dispatch(TMessage &message) = 0;
};

// The interface every theme paints the themed controls through. Every painter leaves the
// canvas as it found it.
class TTBXTheme : public TTBXMessageListener
{
public:
    explicit TTBXTheme(const QString &name);
    ~TTBXTheme() override;
    TTBXTheme(const TTBXTheme &) = delete;
    TTBXTheme &operator=(const TTBXTheme &) = delete;

    const QString &Name() const { return name_; }

    // Runs once the most derived constructor is done, so a theme's own overrides build its
    // colour caches (a base constructor would only reach the base's).
    virtual void Initialize() {}
    void Dispatch(TMessage &message) override;

    virtual TPoint GetImageOffset(TCanvas &canvas, const TTBXItemInfo &info,
                                  const TCustomImageList *images) = 0;
    virtual TColor GetItemColor(const TTBXItemInfo &info) = 0;
    virtual TColor GetItemTextColor(const TTBXItemInfo &info) = 0;
    virtual TColor GetItemImageBackground(const TTBXItemInfo &info) = 0;
    virtual void GetMargins(int marginId, TTBXMargins &margins) = 0;
    virtual int GetPopupShadowType() = 0;
    virtual void GetViewBorder(int viewType, TPoint &border) = 0;
    virtual TColor GetViewColor(int viewType) = 0;
    virtual void GetViewMargins(int viewType, TTBXMargins &margins) = 0;
    virtual void PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                                 const TRect &clipRect, TColor color, bool transparent,
                                 int viewType) = 0;
    virtual void PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) = 0;
    virtual void PaintCaption(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                              const QString &caption, unsigned format, bool rotated) = 0;
    virtual void PaintCheckMark(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) = 0;
    virtual void PaintChevron(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) = 0;
    virtual void PaintEditFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                const TTBXEditFrameInfo &editInfo) = 0;
    virtual void PaintEditButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                 const TTBXEditBtnInfo &buttonInfo) = 0;
    virtual void PaintDock(TCanvas &canvas, const TRect &clientRect, const TRect &rect,
                           int position) = 0;
    virtual void PaintCaptionBar(TCanvas &canvas, const TRect &rect, const TTBXPanelInfo &info) = 0;
    virtual void PaintDropDownArrow(TCanvas &canvas, const TRect &rect,
                                    const TTBXItemInfo &info) = 0;
    virtual void PaintFloatingNCArea(TCanvas &canvas, const TRect &windowRect,
                                     const TTBXFloatingInfo &info) = 0;
    virtual void PaintFrameControl(TCanvas &canvas, const TRect &rect,
                                   const TTBXItemInfo &info) = 0;
    virtual void PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                            const TCustomImageList *images, int imageIndex) = 0;
    virtual void PaintWindowButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                   int buttonKind) = 0;
    virtual void PaintMenuItem(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) = 0;
    virtual void PaintMenuItemFrame(TCanvas &canvas, const TRect &rect,
                                    const TTBXItemInfo &info) = 0;
    virtual void PaintSymbolButton(TCanvas &canvas, const TRect &rect, int state, int kind) = 0;
    virtual void PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect,
                                  const TTBXPopupInfo &info) = 0;
    virtual void PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                                bool horizontal, bool lineSeparator) = 0;
    virtual void PaintToolbarNCArea(TCanvas &canvas, const TRect &windowRect,
                                    const TTBXFrameInfo &info) = 0;
    virtual void PaintCheckControl(TCanvas &canvas, const TRect &rect, int state, int kind,
                                   int flags) = 0;
    virtual void PaintStatusBar(TCanvas &canvas, const TRect &rect, int part) = 0;
    virtual int GetIntegerMetric(int index) = 0;
    virtual bool GetBooleanMetric(int index) = 0;

private:
    QString name_;
};

// Makes a theme; the registry calls Initialize on what it returns.
using TTBXThemeClass = std::function<std::unique_ptr<TTBXTheme>(const QString &name)>;

template <typename T>
TTBXThemeClass ThemeClassOf()
{
    return [](const QString &name) { return std::unique_ptr<TTBXTheme>(std::make_unique<T>(name)); };
}

void RegisterTheme(const QString &name, TTBXThemeClass themeClass);
int FindThemeIndex(const QString &name);
bool IsThemeRegistered(const QString &name);
void ListThemeNames(QStringList *names);
TTBXTheme *AcquireTheme(const QString &name);
void ReleaseTheme(TTBXTheme *&theme);
// Instances alive and reference counts, for checks.
int ThemeRefCount(const QString &name);

void AddThemeManagerListener(TTBXMessageListener *listener);
void RemoveThemeManagerListener(TTBXMessageListener *listener);
LRESULT BroadcastThemeManagerMessage(UINT msg, WPARAM wParam, LPARAM lParam);

// What the themes read of the system. Visual styles do not exist on this desktop, so every
// theme paints its classic way.
extern bool VisualStylesInUse;
extern bool FlatMenusInUse;
extern TColor MenuBackColor;
extern TColor MenuTextColor;
extern bool LowColorDepth;
extern bool WhiteButtonFace;

// The manager's system-notice handling: WM_SYSCOLORCHANGE, WM_DISPLAYCHANGE, WM_THEMECHANGED
// and WM_ACTIVATEAPP reach the listeners as TBXM_THEMECHANGE. Qt's palette, screen and
// application-state changes are fed here too.
void ThemeManagerWndProc(TMessage &message);
void RefreshSystemThemeInfo();
// 0 or 2 picks where the menu colours come from with and without flat menus.
int MenuColorMode();
void SetMenuColorMode(int mode);
// Whether the application counts as active; tests set it, the manager follows Qt.
bool ApplicationActive();
void SetApplicationActiveForThemes(bool active);
// Called after the system colours changed, before the themes hear of it.
void AddSystemColorsObserver(std::function<void()> observer);

// An image list of the framework's own kind (TTBCustomImageList, as the program's) draws its
// image itself at (X, Y), from its disabled, checked or hot images by the item's state. False
// for any other list, which the theme draws with its own effects.
bool DrawFrameworkImage(TCanvas &Canvas, int X, int Y, const TTBXItemInfo &Info, const TCustomImageList *Images,
                        int ImageIndex);
bool IsFrameworkImageList(const TCustomImageList *Images);

// Frame geometry shared by the themes' non-client painters.
int GetDragHandleSize(const TTBXFrameInfo &info);
void GetCloseButtonRect(const TTBXFrameInfo &info, TRect &rect);
void GetFloatingCaptionRect(const TTBXFloatingInfo &info, bool withoutCloseButton,
                            bool withBorder, TRect &rect);
void GetFloatingCloseButtonRect(const TTBXFloatingInfo &info, TRect &rect);
