#pragma once
#include "TBXThemes.h"

// The built-in theme: the system's own classic menus and tool bars, 3-D edges in the system
// colours. Other themes derive from it and take what they do not change.
class TTBXDefaultTheme : public TTBXTheme
{
public:
    explicit TTBXDefaultTheme(const QString &name);

    void Initialize() override;
    void Dispatch(TMessage &message) override;
    // Rebuilds the cached colours from the system colours.
    virtual void UpdateThemeColors();

    TPoint GetImageOffset(TCanvas &canvas, const TTBXItemInfo &info,
                          const TCustomImageList *images) override;
    TColor GetItemColor(const TTBXItemInfo &info) override;
    TColor GetItemTextColor(const TTBXItemInfo &info) override;
    TColor GetItemImageBackground(const TTBXItemInfo &info) override;
    void GetMargins(int marginId, TTBXMargins &margins) override;
    int GetPopupShadowType() override;
    void GetViewBorder(int viewType, TPoint &border) override;
    TColor GetViewColor(int viewType) override;
    void GetViewMargins(int viewType, TTBXMargins &margins) override;
    void PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                         const TRect &clipRect, TColor color, bool transparent,
                         int viewType) override;
    void PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintCaption(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                      const QString &caption, unsigned format, bool rotated) override;
    void PaintCheckMark(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintChevron(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintEditFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                        const TTBXEditFrameInfo &editInfo) override;
    void PaintEditButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                         const TTBXEditBtnInfo &buttonInfo) override;
    void PaintDock(TCanvas &canvas, const TRect &clientRect, const TRect &rect,
                   int position) override;
    void PaintCaptionBar(TCanvas &canvas, const TRect &rect, const TTBXPanelInfo &info) override;
    void PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintFloatingNCArea(TCanvas &canvas, const TRect &windowRect,
                             const TTBXFloatingInfo &info) override;
    void PaintFrameControl(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintImage(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                    const TCustomImageList *images, int imageIndex) override;
    void PaintWindowButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                           int buttonKind) override;
    void PaintMenuItem(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintSymbolButton(TCanvas &canvas, const TRect &rect, int state, int kind) override;
    void PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect,
                          const TTBXPopupInfo &info) override;
    void PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                        bool horizontal, bool lineSeparator) override;
    void PaintToolbarNCArea(TCanvas &canvas, const TRect &windowRect,
                            const TTBXFrameInfo &info) override;
    void PaintCheckControl(TCanvas &canvas, const TRect &rect, int state, int kind,
                           int flags) override;
    void PaintStatusBar(TCanvas &canvas, const TRect &rect, int part) override;
    int GetIntegerMetric(int index) override;
    bool GetBooleanMetric(int index) override;

protected:
    TColor ToolbarColor() const { return toolbarColor_; }
    TColor ToolbarTextColor() const { return toolbarTextColor_; }
    TColor PanelColor() const { return panelColor_; }
    TColor StatusBarColor() const { return statusBarColor_; }

private:
    TColor toolbarColor_ = clBtnFace;
    TColor toolbarTextColor_ = clBtnText;
    TColor panelColor_ = clBtnFace;
    TColor statusBarColor_ = clBtnFace;
};

// The font of small captions (floating tool bars, panel caption bars).
void AssignSmallCaptionFont(TFont &font);

// Check states of PaintCheckControl.
constexpr int CHECK_UNCHECKED = 0, CHECK_CHECKED = 1, CHECK_MIXED = 2;
// State flags of PaintSymbolButton and PaintCheckControl.
constexpr int SYMBOL_HOT = 1, SYMBOL_PUSHED = 2, SYMBOL_DISABLED = 4, SYMBOL_FLAT = 8;
