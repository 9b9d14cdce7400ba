#pragma once
#include "TBX.h"
#include "TBXThemes.h"

class TCustomImageList;

// How a control takes its look: not themed, the desktop's push buttons, or the current theme.
enum class TSpTBXThemeType { thtNone, thtWindows, thtTBX };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
// Owner-draw stages: before and after the default painting.
enum class TSpTBXPaintStage { pstPrePaint, pstPostPaint };
enum class TSpGlyphLayout { ghlGlyphLeft, ghlGlyphRight, ghlGlyphCenter };

// Text with an optional glow: drawn first in the glow colour one pixel off on each diagonal.
// With DT_CALCRECT only measures into rect.
int SpDrawWideText(TCanvas &canvas, const QString &text, TRect &rect, TColor glowColor, bool glow,
                   unsigned flags);

// Where a caption and a glyph of the given sizes go in rect: the glyph beside the caption
// with a 4-pixel gap, the pair aligned as asked and centred vertically, (1, 1) further when
// pushed.
void SpCalcCaptionLayout(const TRect &rect, TSize textSize, TSize glyphSize, TAlignment alignment,
                         TSpGlyphLayout layout, bool pushed, TRect &textRect, TRect &glyphRect);
// Draws them: the caption in the canvas font, embossed when not enabled. The image goes through
// the current theme when ThemedImageState holds the control's DrawThemedImage state (DTI_HOT,
// DTI_CHECKED; disabled is taken from Enabled), else the image list draws it, embossed when
// not enabled.
constexpr int SpUnthemedImage = -1;
void SpDrawCaptionAndGlyph(TCanvas &canvas, const TRect &rect, const QString &caption, unsigned flags,
                           TAlignment alignment, bool enabled, bool pushed, const TCustomImageList *images,
                           int imageIndex, TColor glowColor, bool glow, int ThemedImageState = SpUnthemedImage);

// The item record the themed buttons paint with: an opaque normal tool bar, application active.
TTBXItemInfo BuildButtonItemInfo(bool enabled, bool pushed, bool hot, bool checked);

// A focus rectangle of black and white dots, seen on any background.
void DrawFocusRectBlackWhite(TCanvas &canvas, const TRect &rect);

// The face of a push button in the desktop's look.
struct TSpButtonStates {
    bool Enabled = true, Pushed = false, Hot = false, Default = false, Focused = false;
};
void SpDrawPushButtonFace(TCanvas &canvas, const TRect &rect, const TSpButtonStates &states);

// ---------------------------------------------------------------------------------------------
// Wide-string items. The program's strings are Unicode throughout, so CaptionW and Caption (and
// HintW and Hint) are one text under two names.

using TSpTBXDrawItemEvent = std::function<void(TComponent *Sender, TCanvas &ACanvas, const TRect &ARect,
                                               TSpTBXPaintStage PaintStage, bool &PaintDefault)>;
using TSpTBXDrawCaptionEvent =
    std::function<void(TComponent *Sender, TCanvas &ACanvas, const TRect &ClientAreaRect, QString &ACaption,
                       TRect &CaptionRect, bool IsTextRotated, TSpTBXPaintStage PaintStage, bool &PaintDefault)>;
using TSpTBXDrawImageEvent = std::function<void(TComponent *Sender, TCanvas &ACanvas, TRect &ImageRect,
                                                TSpTBXPaintStage PaintStage, bool &PaintDefault)>;
using TSpTBXDrawHintEvent =
    std::function<void(TComponent *Sender, TBitmap &AHintBitmap, QString &AHint, bool &PaintDefault)>;

class TSpTBXCustomItem : public TTBXCustomItem
{
public:
    explicit TSpTBXCustomItem(TComponent *AOwner);
    ~TSpTBXCustomItem() override;

    const QString &CaptionW() const { return Caption(); }
    // A caption equal to the current one changes nothing (no re-layout).
    void SetCaptionW(const QString &Value);
    const QString &HintW() const { return Hint(); }
    void SetHintW(const QString &Value) { SetHint(Value); }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    int CustomWidth() const { return customWidth_; }
    void SetCustomWidth(int Value);
    int CustomHeight() const { return customHeight_; }
    void SetCustomHeight(int Value);
    // A control whose visibility the item toggles and shows as its check mark.
    TControl *Control() const { return control_; }
    void SetControl(TControl *Value);
    bool Anchored() const { return anchored_; }
    void SetAnchored(bool Value) { anchored_ = Value; }

    // The hint shown for the item: HintW up to "|", else the caption, with the shortcut.
    QString GetWideHintText() const;

    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;
    void Click() override;
    void InitiateAction() override;

    TSpTBXDrawCaptionEvent OnDrawCaption;
    TSpTBXDrawHintEvent OnDrawHint;
    TSpTBXDrawItemEvent OnDrawItem;
    TSpTBXDrawImageEvent OnDrawImage;

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;
    // Label items neither toggle nor mirror their control.
    virtual bool TogglesControl() const { return true; }
    void MirrorControl();

private:
    TAlignment alignment_ = TAlignment::taCenter;
    int customWidth_ = -1;
    int customHeight_ = -1;
    TControl *control_ = nullptr;
    bool anchored_ = false;
};

class TSpTBXItem : public TSpTBXCustomItem
{
public:
    using TSpTBXCustomItem::TSpTBXCustomItem;
};

class TSpTBXSubmenuItem : public TSpTBXItem
{
public:
    explicit TSpTBXSubmenuItem(TComponent *AOwner);
    // The item has a button part and a separate drop-down part.
    bool DropdownCombo() const { return (ItemStyle() & tbis::SplitDropdown) != 0; }
    void SetDropdownCombo(bool Value);
};

class TSpTBXLabelItem : public TSpTBXCustomItem
{
public:
    explicit TSpTBXLabelItem(TComponent *AOwner);

protected:
    bool TogglesControl() const override { return false; }
};

class TSpTBXSeparatorItem : public TTBXSeparatorItem
{
public:
    using TTBXSeparatorItem::TTBXSeparatorItem;
    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;
};

class TSpTBXItemViewer : public TTBXItemViewer
{
public:
    using TTBXItemViewer::TTBXItemViewer;
    // An anchored item grows with its toolbar: the toolbar's width when the item was first laid
    // out there, and the width the toolbar gained since (laid out in toolbar style only).
    bool AnchorRecorded = false;
    int AnchorToolbarWidth = 0;
    int AnchorDelta = 0;
    void CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight) override;
    void DoPaintCaption(TCanvas &Canvas, const TRect &ClientAreaRect, QString &ACaption, TRect &CaptionRect,
                        bool IsTextRotated, bool &PaintDefault) override;
    void DoPaintCaptionDone(TCanvas &Canvas, const TRect &ClientAreaRect, QString &ACaption,
                            const TRect &CaptionRect, bool IsTextRotated) override;
    bool DrawCaptionItself(TCanvas &Canvas, const TRect &CaptionRect, const QString &ACaption, unsigned Format,
                           bool IsTextRotated) override;
    // OnDrawItem before and after each part of the face; PaintDefault false leaves that part out.
    void PaintFace(TCanvas &Canvas, const TRect &ARect, const std::function<void()> &PaintDefault) override;
    void DrawItemImage(TCanvas &Canvas, TRect ARect, TTBXItemInfo &ItemInfo) override;

private:
    TSpTBXCustomItem *SpItem() const { return static_cast<TSpTBXCustomItem *>(Item); }
};

// A separator a status bar may paint itself.
class TSpTBXSeparatorItemViewer : public TTBXSeparatorItemViewer
{
public:
    using TTBXSeparatorItemViewer::TTBXSeparatorItemViewer;
    void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
               bool UseDisabledShadow) override;
};

// ---------------------------------------------------------------------------------------------
// The theme chooser: one radio item per registered theme, "Default" first.

constexpr int ThemeGroupIndex = 888;

class TSpTBXThemeGroupItem : public TTBGroupItem
{
public:
    explicit TSpTBXThemeGroupItem(TComponent *AOwner);

    int InsertIndex() const { return insertIndex_; }
    void SetInsertIndex(int Value) { insertIndex_ = Value; }
    const QStringList &ThemeNames() const { return names_; }
    // Lists the registered themes again and checks the current one (without switching to it).
    void RebuildThemeItems();

    TNotifyEvent OnClick;
    std::function<void(TComponent *Sender, QString &ACaption)> OnGetCaption;
    TNotifyEvent OnUpdate;

private:
    void ThemeItemClick(TComponent *Sender);

    int insertIndex_ = 0;
    QStringList names_;
};

// ---------------------------------------------------------------------------------------------
// Toolbars, docks and the status bar

using TSpTBXDrawBackgroundEvent = TSpTBXDrawItemEvent;

class TSpTBXDock : public TTBXDock
{
public:
    using TTBXDock::TTBXDock;
    bool ThemedBackground() const override;
    void DrawBackground(TCanvas &DC, const TRect &DrawRect) override;

    TSpTBXDrawBackgroundEvent OnDrawBackground;

protected:
    // After it grew narrower, its toolbars anchor their items again.
    void Resize() override;

private:
    int lastWidth_ = -1;
};

// A control item's control that grows with its toolbar: its width and the toolbar's when it was
// first seen. Only widths are kept: the toolbar anchors only when docked at the top or bottom,
// where a dock changes its width alone.
struct TSpTBXItemCache {
    TTBControlItem *Item = nullptr;
    int Width = 0;
    int ParentWidth = 0;
};

class TSpTBXToolbar : public TTBXToolbar
{
public:
    explicit TSpTBXToolbar(TComponent *AOwner);
    ~TSpTBXToolbar() override;

    TSpTBXDrawBackgroundEvent OnDrawBackground;
    TSpTBXDrawHintEvent OnDrawHint;
    std::function<void(TComponent *Sender, TTBCustomItem *Item, TTBItemChangedAction Action)> OnItemNotification;

    void PaintDockableNCArea(TCanvas &ACanvas) override;
    // Anchored items and the controls aligned to the client or anchored right keep their
    // distance from the far edge. Only a stretched toolbar docked at the top or bottom anchors:
    // the dock sets its width; one that takes its width from its items would grow without end.
    void AnchorItems();
    const std::vector<TSpTBXItemCache> &ItemCache() const { return cache_; }

protected:
    void EraseBackground(TCanvas &ACanvas) override;
    void WndProc(TMessage &Message) override;
    void Resize() override;

private:
    void ItemNotification(TTBCustomItem *Sender, bool Relayed, TTBItemChangedAction Action, int Index,
                          TTBCustomItem *Item);
    bool DialogCharForLabel(char32_t typed);

    std::vector<TSpTBXItemCache> cache_;
    bool anchoring_ = false;
};

class TSpTBXStatusBar;

// The toolbar inside a status bar: its separators and size grip belong to the bar.
class TSpTBXStatusToolbar : public TSpTBXToolbar
{
public:
    TSpTBXStatusToolbar(TComponent *AOwner, TSpTBXStatusBar *ABar);
    TSpTBXStatusBar *StatusBar() const { return bar_; }

protected:
    int NCHitTest(const TPoint &screenPos) override;

private:
    TSpTBXStatusBar *bar_;
};

// A control made of a dock holding one toolbar; Items is the toolbar's root.
class TSpTBXCompoundItemsControl : public TCustomControl
{
public:
    explicit TSpTBXCompoundItemsControl(TComponent *AOwner);
    ~TSpTBXCompoundItemsControl() override;

    TSpTBXDock *Dock() const { return dock_; }
    TSpTBXToolbar *Toolbar() const { return toolbar_; }
    TTBRootItem *Items() const { return toolbar_->Items(); }
    TCustomImageList *Images() const { return toolbar_->Images(); }
    void SetImages(TCustomImageList *Value) { toolbar_->SetImages(Value); }

protected:
    // Called once by the constructor of the most derived class.
    void CreateParts(TSpTBXDock *ADock, TSpTBXToolbar *AToolbar);
    void AlignControls(TControl *AControl, TRect &Rect) override;

private:
    TSpTBXDock *dock_ = nullptr;
    TSpTBXToolbar *toolbar_ = nullptr;
};

class TSpTBXStatusBar : public TSpTBXCompoundItemsControl
{
public:
    explicit TSpTBXStatusBar(TComponent *AOwner);
    ~TSpTBXStatusBar() override;

    TSpTBXThemeType ThemeType() const { return themeType_; }
    void SetThemeType(TSpTBXThemeType Value);
    // The size grip in the dock's client coordinates; empty when the form is not in its
    // normal state or the bar is not docked. BackgroundRect is the rectangle being painted.
    TRect GetStatusGripRect(const TRect &BackgroundRect = {}) const;
    // The bar paints the separators itself (classic looks and the "Office" themes).
    bool StatusBarDrawsSeparators() const;
    // Body, grip and separators, as the dock's background.
    void PaintBackground(TCanvas &ACanvas, const TRect &ARect);

    TSpTBXDrawBackgroundEvent OnDrawBackground;

protected:
    void WndProc(TMessage &Message) override;
    void EraseBackground(TCanvas &ACanvas) override {}
    void Resize() override;

private:
    void DrawSeparators(TCanvas &ACanvas, const TRect &ARect);
    void RedrawAll();

    TSpTBXThemeType themeType_ = TSpTBXThemeType::thtTBX;
};

// The body and grip of a status bar in the given look.
void SpPaintStatusBarBackground(TCanvas &ACanvas, const TRect &ARect, const TRect &AGripRect,
                                TSpTBXThemeType AThemeType);

// ---------------------------------------------------------------------------------------------
// Hints drawn as bitmaps

// Paints a hint text into the shared hint bitmap (info colours, a black frame), sized to the
// text: the item's and then the toolbar's owner-draw event may paint it instead.
TBitmap &SpHintBitmap();
void SpPaintHintBitmap(const TFont *Font, QString Hint, TSpTBXCustomItem *Item, TSpTBXToolbar *Toolbar);
// The same for any owner: Draw may paint the bitmap itself and clear PaintDefault.
void SpPaintHintBitmap(const TFont *Font, QString Hint,
                       const std::function<void(TBitmap &AHintBitmap, QString &AHint, bool &PaintDefault)> &Draw);

// A hint window that shows a bitmap as it is.
class TBitmapHint : public THintWindow
{
public:
    explicit TBitmapHint(TComponent *AOwner);
    // Placed at the rectangle's origin, sized to the bitmap.
    void ActivateHint(const TRect &Rect, const TBitmap &Bitmap);
    // AData is the TBitmap to show; the text is in the picture already.
    void ActivateHintData(const TRect &Rect, const QString &AHint, const void *AData) override;

protected:
    void Paint() override;
    void WndProc(TMessage &Message) override;

private:
    TBitmap bitmap_;
};
