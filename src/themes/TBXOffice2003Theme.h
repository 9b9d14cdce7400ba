#pragma once
#include "themed/TBXThemes.h"

#include <array>
#include <memory>

class TImageList;

// Soft two-colour gradients in the colours of the desktop's blue, silver or olive style, or
// mixed from the system colours.
class TTBXOffice2003Theme : public TTBXTheme
{
public:
    explicit TTBXOffice2003Theme(const QString &name);
    ~TTBXOffice2003Theme() override;

    void Initialize() override;
    void Dispatch(TMessage &message) override;
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

    // Called after every colour rebuild.
    std::function<void(TTBXOffice2003Theme *sender)> OnNotify;

    TColor DockColor = clNone;
    TColor ToolbarColor = clNone;
    TColor ToolbarColor2 = clNone;
    TColor ToolbarShadowColor = clNone;
    TColor ToolbarCornerColor = clNone;
    TColor SeparatorDarkColor = clNone;
    TColor SeparatorLightColor = clNone;
    TColor GripDarkColor = clNone;
    TColor GripLightColor = clNone;
    TColor ButtonFillColor = clNone;
    TColor ButtonFrameColor = clNone;
    TColor PopupColor = clNone;
    TColor PopupFrameColor = clNone;
    TColor DockPanelColor = clNone;
    TColor FloatingFrameColor = clNone;
    TColor FloatingCaptionColor = clNone;
    TColor FloatingCaptionTextColor = clNone;
    struct MenuColor {
        TColor Fill = clNone, Text = clNone, Frame = clNone;
    };
    std::array<MenuColor, 4> MenuColors;
    std::array<std::array<TColor, 2>, 8> ItemTextColors{};   // (text, frame) pairs
    std::array<std::array<TColor, 2>, 8> ItemFillColors{};   // (top, bottom) pairs
    TColor StatusPanelColor = clNone;

    TColor ItemText(int state) const { return ItemTextColors[size_t(state)][0]; }
    TColor ItemFrame(int state) const { return ItemTextColors[size_t(state)][1]; }

protected:
    TColor GetPartColor(const TTBXItemInfo &info, int part, int second) const;
    TColor GetItemPartColor(const TTBXItemInfo &info, int part) const;
};

// The desktop style the colours follow: 0 blue, 1 metallic, 2 homestead, 3 system colours.
int DetectLunaScheme();
// Forces a scheme (0..3) for checks of the fixed tables; -1 goes back to detection.
void SetLunaSchemeOverride(int scheme);
int GradientSplitFraction();

// Rows from C1 at the top to C2 at the bottom.
void FillGradientRows(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2);
// A ramp bent at its middle by the scheme's split fraction: in columns when horizontal.
void FillGradientSplit(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool horizontal);

void RegisterOffice2003Theme();
