#pragma once
// Themed items and their viewers: everything an item looks like (sizes, margins, pixels) is
// asked of the current theme, with a TTBXItemInfo record filled for every call.
#include "TBXThemes.h"

#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"
#include "toolbar/TB2ItemWindow.h"
#include "toolbar/TB2Toolbar.h"

#include <cstdint>
#include <functional>

// ---------------------------------------------------------------------------------------------
// The current theme

// The theme every themed control paints through. Until something takes the current theme over,
// "Default" is acquired on first use and held here.
TTBXTheme *CurrentTheme();
// Whoever holds the current theme (the nexus) answers it from then on; the "Default" held here
// until then is released. nullptr hands the current theme back to this fallback.
using TTBXCurrentThemeFunc = TTBXTheme *(*)();
void SetCurrentThemeFunc(TTBXCurrentThemeFunc Func);

// The view type a view's window answers to TBXM_GETVIEWTYPE; 0 when it answers nothing.
int GetWinViewType(TControl *Window);
int GetViewType(const TTBView *View);

// ---------------------------------------------------------------------------------------------
// Font settings

enum class TTriState : std::uint8_t { tsDefault, tsTrue, tsFalse };

// Changes an item makes to the font its caption is painted with.
class TFontSettings
{
public:
    TTriState Bold() const { return bold_; }
    void SetBold(TTriState Value) { Set(bold_, Value); }
    TTriState Italic() const { return italic_; }
    void SetItalic(TTriState Value) { Set(italic_, Value); }
    TTriState Underline() const { return underline_; }
    void SetUnderline(TTriState Value) { Set(underline_, Value); }
    TTriState StrikeOut() const { return strikeOut_; }
    void SetStrikeOut(TTriState Value) { Set(strikeOut_, Value); }
    // Percent of the font size.
    std::uint16_t Size() const { return size_; }
    void SetSize(std::uint16_t Value) { Set(size_, Value); }
    // Replaces the font colour unless clNone.
    TColor Color() const { return color_; }
    void SetColor(TColor Value) { Set(color_, Value); }
    // Replaces the face name unless empty.
    const QString &Name() const { return name_; }
    void SetName(const QString &Value) { Set(name_, Value); }

    // Copies all seven values; notifies once, and only when one of them differs.
    void Assign(const TFontSettings &Source);
    void Apply(TFont &Font) const;

    std::function<void()> OnChange;

private:
    template <typename T>
    void Set(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }
    void Changed();

    TTriState bold_ = TTriState::tsDefault;
    TTriState italic_ = TTriState::tsDefault;
    TTriState underline_ = TTriState::tsDefault;
    TTriState strikeOut_ = TTriState::tsDefault;
    std::uint16_t size_ = 100;
    TColor color_ = clNone;
    QString name_;
};

void ApplyFontSettings(const TFontSettings &Settings, TFont &Font);

// ---------------------------------------------------------------------------------------------
// Items

enum class TTBXItemLayout : std::uint8_t { tbxlAuto, tbxlGlyphLeft, tbxlGlyphTop };

// State flags handed to the item events: what ItemStateFlags makes of an item info.
constexpr int ISF_ENABLED = 1, ISF_PUSHED = 2, ISF_HOT = 4, ISF_CHECKED = 8;
int ItemStateFlags(const TTBXItemInfo &Info);

using TAdjustFontEvent =
    std::function<void(TTBCustomItem *Item, TTBItemViewer *Viewer, TFont *Font, int StateFlags)>;
using TDrawImageEvent = std::function<void(TTBCustomItem *Item, TTBItemViewer *Viewer, TCanvas *Canvas,
                                           TRect &ImageRect, TPoint ImageOffset, int StateFlags)>;

class TTBXCustomItem : public TTBCustomItem
{
public:
    explicit TTBXCustomItem(TComponent *AOwner);
    ~TTBXCustomItem() override;

    // Opening the submenu always selects its first item.
    bool AlwaysSelectFirst() const { return alwaysSelectFirst_; }
    void SetAlwaysSelectFirst(bool Value) { alwaysSelectFirst_ = Value; }
    TFontSettings *FontSettings() const { return fontSettings_.get(); }
    void SetFontSettings(const TFontSettings &Value) { fontSettings_->Assign(Value); }
    TTBXItemLayout Layout() const { return layout_; }
    void SetLayout(TTBXItemLayout Value);
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int Value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int Value);
    bool Stretch() const { return (ItemStyle() & tbis::FillsLineThickness) != 0; }
    void SetStretch(bool Value);
    // The submenu is a tool box: its items use toolbar style.
    bool ToolBoxPopup() const { return toolBoxPopup_; }
    void SetToolBoxPopup(bool Value) { toolBoxPopup_ = Value; }

    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;
    TTBPopupWindow *OpenItemPopup(TTBView *ParentView, TTBItemViewer *ParentViewer, TTBPopupAlignment Alignment,
                                  const TPoint &PopupPoint, bool Customizing, bool SelectFirst,
                                  bool PositionAsSubmenu) override;
    TTBPopupWindow *CreatePopupWindow(TTBView *ParentView, bool Customizing) override;
    // With a theme whose popups open flush against their parent item, the popup overlaps the
    // item by one pixel so their borders meet.
    void ComputePopupPosition(TTBView *ParentView, TTBPopupPositionRec &Rec) override;

    // The last word on the caption font.
    TAdjustFontEvent OnAdjustFont;
    // Called after the theme painted the item's image.
    TDrawImageEvent OnDrawImage;

private:
    void FontSettingsChanged() { Change(true); }

    bool alwaysSelectFirst_ = false;
    std::unique_ptr<TFontSettings> fontSettings_;
    TTBXItemLayout layout_ = TTBXItemLayout::tbxlAuto;
    int minHeight_ = 0;
    int minWidth_ = 0;
    bool toolBoxPopup_ = false;
};

class TTBXItem : public TTBXCustomItem
{
public:
    using TTBXCustomItem::TTBXCustomItem;
};

class TTBXSeparatorItem : public TTBSeparatorItem
{
public:
    using TTBSeparatorItem::TTBSeparatorItem;
    // -1: the theme's size.
    int Size() const { return size_; }
    void SetSize(int Value);
    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;

private:
    int size_ = -1;
};

// The placement of Item's popup; where the theme keeps popups flush, one under or over its
// parent item is moved to overlap the item by one pixel.
void ComputePopupPositionForTheme(TTBCustomItem &Item, TTBView *ParentView, TTBPopupPositionRec &Rec);

// ---------------------------------------------------------------------------------------------
// Viewers

class TTBXItemViewer : public TTBItemViewer
{
public:
    TTBXItemViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel);

    void CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight) override;
    int GetAccRole() override;
    bool UsesToolbarSize() const override;
    bool UsesToolbarStyle() const override;
    bool IsPtInButtonPart(int X, int Y) override;
    void MouseUp(int X, int Y, bool MouseWasDownOnMenu) override;
    void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
               bool UseDisabledShadow) override;

    // Before the theme paints a caption: may change the text or move the rectangle, or paint
    // itself and clear PaintDefault.
    virtual void DoPaintCaption(TCanvas &Canvas, const TRect &ClientAreaRect, QString &ACaption, TRect &CaptionRect,
                                bool IsTextRotated, bool &PaintDefault)
    {
    }
    // Paints a caption the owner left to the default; false leaves it to the theme's PaintCaption.
    virtual bool DrawCaptionItself(TCanvas &Canvas, const TRect &CaptionRect, const QString &ACaption,
                                   unsigned Format, bool IsTextRotated)
    {
        return false;
    }
    // After the caption was painted, by the theme or by the owner, at CaptionRect.
    virtual void DoPaintCaptionDone(TCanvas &Canvas, const TRect &ClientAreaRect, QString &ACaption,
                                    const TRect &CaptionRect, bool IsTextRotated)
    {
    }
    // Paints one part of the item's face (the menu item, the button, the separate drop-down
    // part, the check mark): the default is the theme's call.
    virtual void PaintFace(TCanvas &Canvas, const TRect &ARect, const std::function<void()> &PaintDefault)
    {
        PaintDefault();
    }
    // 1 toolbar style, 2 menu style.
    virtual int GetStyleKind() const;
    virtual void DrawItemImage(TCanvas &Canvas, TRect ARect, TTBXItemInfo &ItemInfo);
    virtual void DoAdjustFont(TFont &AFont, int StateFlags);
    virtual bool IsImageShown() const;
    virtual TSize GetImageSize() const;
    virtual unsigned GetTextFlags() const;
    virtual TSize GetTextSize(TCanvas &Canvas, const QString &Text, bool Rotated, unsigned Flags);

    // An image left of the caption widens the item by one pixel.
    bool Wide = true;

protected:
    // Set while the shortcut text of a menu item goes through DoPaintCaption.
    bool PaintingShortCut = false;

private:
    TTBXItemLayout ResolvedLayout() const;
};

class TTBXSeparatorItemViewer : public TTBSeparatorItemViewer
{
public:
    using TTBSeparatorItemViewer::TTBSeparatorItemViewer;
    void CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight) override;
    void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
               bool UseDisabledShadow) override;
    bool UsesToolbarSize() const override;
    bool UsesToolbarStyle() const override;
};

// Width of the image column of a menu holding the viewer.
int GetPopupMargin(TTBItemViewer *ItemViewer);

// DrawThemedImage flags: the view family in 0x0F00, then the item's state.
constexpr unsigned DTI_TOOLBAR = 0x000, DTI_DOCKPANEL = 0x100, DTI_STANDALONE = 0x200;
constexpr unsigned DTI_DISABLED = 0x1, DTI_HOT = 0x2, DTI_PUSHED = 0x4, DTI_CHECKED = 0x8;
// Paints one image through the current theme.
void DrawThemedImage(TCanvas &Canvas, const TRect &ARect, const TCustomImageList *ImageList, int ImageIndex,
                     unsigned Flags);

// ---------------------------------------------------------------------------------------------
// Popup windows

class TShadows;

// How popups appear: 0 none, 1 as the system says, 2 a random style, 3 unfold, 4 slide,
// 5 fade. A mode this system cannot do falls back to the next lower one.
class TTBXMenuAnimation
{
public:
    explicit TTBXMenuAnimation(int AMode = 1) { SetMenuAnimationMode(AMode); }
    int MenuAnimationMode() const { return mode_; }
    void SetMenuAnimationMode(int Value);
    // The style a popup opening now uses: 0 none, 1 unfold, 2 slide, 3 fade.
    int AnimationStyle() const;

private:
    int mode_ = 0;
};
TTBXMenuAnimation &TBXMenuAnimation();

// The question a popup window asks itself before it animates (wParam 1: a nonzero answer
// forbids it) and the notice that it is shown (2 after an animation, 3 at once).
constexpr UINT TBXM_POPUPWINDOW = PopupShadowMessage;
constexpr WPARAM PW_CANANIMATE = 1, PW_ANIMATED = 2, PW_SHOWN = 3;

// A popup menu painted by the current theme: border, background, scroll bands and the
// theme's kind of shadow.
class TTBXPopupWindow : public TTBPopupWindow
{
public:
    TTBXPopupWindow(TComponent *AOwner, TTBView *AParentView, TTBCustomItem *AItem, bool ACustomizing);
    ~TTBXPopupWindow() override;

    TPoint GetNCSize() const override;
    void ShowPopup(bool AShow) override;
    // The style of the themed layer's menu animation.
    bool GetAnimation(bool &Fade, unsigned &Direction) const override;
    void PaintScrollArrows(TCanvas &ACanvas) override;
    TShadows *Shadow() const { return shadow_.get(); }
    // The screen rectangle the popup keeps clear of: the item it opens from, recorded as it
    // shows. A type-2 shadow without a toolbar item to join is cut there.
    const TRect &ExclusionRect() const { return exclusionRect_; }
    // The view type this window answers.
    virtual int ViewType() const;

protected:
    void PaintNC(TCanvas &ACanvas) override;
    void EraseBackground(TCanvas &ACanvas) override;
    void WndProc(TMessage &Message) override;

private:
    bool ShadowsAllowed() const;
    void CreateShadow();
    void RecordExclusionRect();
    // Window coordinates of the parent item when the popup opens flush against it.
    TRect ParentItemRect() const;

    std::unique_ptr<TShadows> shadow_;
    TRect exclusionRect_;
    bool destroying_ = false;
};

// The popup of a toolbar's chevron: the items that did not fit.
class TTBXChevronPopupWindow : public TTBXPopupWindow
{
public:
    using TTBXPopupWindow::TTBXPopupWindow;
    int ViewType() const override { return VT_CHEVRONMENU; }
};

// The root of a themed popup menu: it opens in a themed popup window.
class TTBXRootItem : public TTBRootItem
{
public:
    using TTBRootItem::TTBRootItem;
    TTBPopupWindow *CreatePopupWindow(TTBView *ParentView, bool Customizing) override;
};

// A popup menu (a form's context or tray menu) painted by the current theme.
class TTBXPopupMenu : public TTBPopupMenu
{
public:
    explicit TTBXPopupMenu(TComponent *AOwner);
};

// ---------------------------------------------------------------------------------------------
// Toolbars, docks and floating frames

// Whether the items of a toolbar are painted on its background or opaque.
enum class TTBXItemTransparency { itAuto, itEnable, itDisable };

class TTBXToolbar;

class TTBXChevronItem : public TTBChevronItem
{
public:
    using TTBChevronItem::TTBChevronItem;
    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;
    TTBPopupWindow *CreatePopupWindow(TTBView *ParentView, bool Customizing) override;
    void ComputePopupPosition(TTBView *ParentView, TTBPopupPositionRec &Rec) override;
};

class TTBXChevronItemViewer : public TTBChevronItemViewer
{
public:
    using TTBChevronItemViewer::TTBChevronItemViewer;
    void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
               bool UseDisabledShadow) override;
};

class TTBXToolbarView : public TTBToolbarView
{
public:
    using TTBToolbarView::TTBToolbarView;
    void GetMargins(TTBViewOrientation AOrientation, TRect &Margins) override;
};

// A toolbar painted by the current theme: its frame, drag handle and close button, its
// background in the colour it takes from itself, its parent or the theme.
class TTBXToolbar : public TTBCustomToolbar
{
public:
    explicit TTBXToolbar(TComponent *AOwner);
    ~TTBXToolbar() override;

    TTBXItemTransparency ItemTransparency() const { return itemTransparency_; }
    void SetItemTransparency(TTBXItemTransparency Value);
    int SnapDistance() const { return snapDistance_; }
    void SetSnapDistance(int Value);
    TColor EffectiveColor() const { return effectiveColor_; }
    // The view type this toolbar answers (TBXM_GETVIEWTYPE).
    int ViewType() const;
    // Follows a colour change: recomputes and tells the child controls.
    void UpdateEffectiveColor();

    // Docked, floating or on a form: where the colour comes from changes with it.
    void SetParent(TWinControl *AParent) override;
    TRect GetDockedNCArea(TTBDock *ADock) const override;
    TRect GetFloatingNCArea() const override;
    void PaintDockableNCArea(TCanvas &ACanvas) override;
    void GetFrameInfo(TTBXFrameInfo &Info) const;
    // The pointer is over the close button of the docked toolbar.
    bool CloseButtonHot() const { return closeButtonHot_; }

protected:
    void EraseBackground(TCanvas &ACanvas) override;
    void WndProc(TMessage &Message) override;
    void Loaded() override;
    TTBFloatingWindowParent *CreateFloatingWindowParent(TForm *AParentForm) override;

private:
    void UpdateNCArea();
    void BroadcastColor();
    void SetCloseButtonHot(bool Value);
    // A dock that paints a framework background on its toolbars.
    bool DockBackgroundOnToolbars() const;

    TTBXItemTransparency itemTransparency_ = TTBXItemTransparency::itAuto;
    int snapDistance_ = 0;
    TColor effectiveColor_ = clBtnFace;
    bool closeButtonHot_ = false;
};

class TTBXDock : public TTBDock
{
public:
    explicit TTBXDock(TComponent *AOwner);
    ~TTBXDock() override;

    bool UseParentBackground() const { return useParentBackground_; }
    void SetUseParentBackground(bool Value);
    // The theme paints the dock: no colour of its own and the theme wants it.
    virtual bool ThemedBackground() const;
    bool UsingBackground() const override;
    void DrawBackground(TCanvas &DC, const TRect &DrawRect) override;
    // The background under Control (a toolbar on this dock), on a canvas in its window or
    // client coordinates.
    void DrawBackgroundUnder(TControl *Control, TCanvas &Canvas, bool WindowCoords);
    int PositionCode() const;
    bool Resizing() const { return resizing_; }

protected:
    void EraseBackground(TCanvas &ACanvas) override;
    void WndProc(TMessage &Message) override;

private:
    void RedrawWithChildren();

    bool useParentBackground_ = false;
    bool moving_ = false;
    bool resizing_ = false;
};

// The tool window of a floating themed toolbar: the theme paints its frame and close button,
// and a move ends on the work area's edge when it comes near it.
class TTBXFloatingWindowParent : public TTBFloatingWindowParent
{
public:
    using TTBFloatingWindowParent::TTBFloatingWindowParent;
    int SnapDistance() const { return snapDistance_; }
    void SetSnapDistance(int Value) { snapDistance_ = std::max(0, Value); }
    bool CloseButtonHot() const { return closeButtonHot_; }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void GetFloatingInfo(TTBXFloatingInfo &Info, int RedrawPart) const;

protected:
    void PaintNC(TCanvas &ACanvas) override;
    int NCHitTest(const TPoint &screenPos) override;
    void EraseBackground(TCanvas &ACanvas) override {}
    void WndProc(TMessage &Message) override;

private:
    void SetCloseButtonHot(bool Value);
    int snapDistance_ = 0;
    bool closeButtonHot_ = false;
};

// Where Control's client area starts in Ancestor's client coordinates, frames included.
TPoint ClientOriginIn(const TControl *Control, const TWinControl *Ancestor);

// Snaps the left/top of a window of the given size onto the work area's edges within Distance.
TPoint SnapToWorkArea(const TRect &Bounds, const TRect &WorkArea, int Distance);
