#pragma once
#include "themed/TBXDefaultTheme.h"

#include <array>

// Light-grey brushed metal: textured docks and tool bars, rounded soft-edged buttons, and
// selection colours taken from the system highlight. The program's start-up theme.
class TTBXAluminumTheme : public TTBXDefaultTheme
{
public:
    explicit TTBXAluminumTheme(const QString &name);
    ~TTBXAluminumTheme() override;

    void UpdateThemeColors() override;

    TPoint GetImageOffset(TCanvas &canvas, const TTBXItemInfo &info,
                          const TCustomImageList *images) override;
    TColor GetItemColor(const TTBXItemInfo &info) override;
    TColor GetItemTextColor(const TTBXItemInfo &info) override;
    TColor GetItemImageBackground(const TTBXItemInfo &info) override;
    void GetMargins(int marginId, TTBXMargins &margins) override;
    int GetPopupShadowType() override;
    void GetViewBorder(int viewType, TPoint &border) override;
    TColor GetViewColor(int viewType) override;
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

    TColor DockTextureColor = clNone;
    TColor MenuBarColor = clNone;
    TColor BaseColor = clNone;
    TColor StatusBarColor = clNone;
    TColor PopupColor = clNone;
    TColor DockPanelColor = clNone;
    TColor PopupFrameColor = clNone;
    struct PartColors {
        TColor Fill = clNone, Text = clNone, Frame = clNone;
        TColor Part(int part) const;
    };
    std::array<PartColors, 4> MenuColors;
    std::array<PartColors, 8> ItemColors;
    TColor SeparatorColor = clNone;
    int TextureAmount = 12;

protected:
    TColor GetPartColor(const TTBXItemInfo &info, int part) const;
    TColor GetItemPartColor(const TTBXItemInfo &info, int part) const;
};

// clHighlight with its lightness raised to 0.4 when it is darker.
TColor AluminumHighlightBase();

void RegisterAluminumTheme();
