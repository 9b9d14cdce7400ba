#pragma once
#include "themed/TBXThemes.h"

#include <array>
#include <functional>

// What the Nexos-style themes share: one accent colour for selections, three colours per item
// and menu state, chamfered button outlines, striped light surfaces, and the same queries and
// non-client painting. Each theme fills the colours and paints its own faces and stripes.
struct TNexosOptions {
    bool FacedCaptions = true;  // floating captions and caption bars get a button face
    bool Colored = true;        // the bevel faces in blue, else grey
    TColor HotTextColor = 0;
    TColor AccentColor = 0xE0A030;
    TColor PushedFaceColor = 0xC0C0C0;
};

class TNexosFamilyTheme : public TTBXTheme
{
public:
    TNexosFamilyTheme(const QString &name, const TNexosOptions &options, std::array<int, 15> metrics);
    ~TNexosFamilyTheme() override;

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

    struct PartColors {
        TColor Fill = clNone, Text = clNone, Frame = clNone;
        TColor Part(int part) const;
    };

    TColor MenuBarColor = clNone;
    TColor ToolbarColor = clNone;
    TColor PopupColor = clNone;
    TColor DockPanelColor = clNone;
    TColor PopupFrameColor = clNone;
    // The theme's greys: [1] grip and border lines, [2] edit frames, [3] light frames.
    std::array<TColor, 18> Shades{};
    std::array<PartColors, 4> MenuColors;
    std::array<PartColors, 8> ItemColors;
    TColor Hot1 = clNone;

    const TNexosOptions &Options() const { return options_; }

protected:
    // The theme's surface and state colours, before they are reduced to screen colours.
    virtual void BuildColors() = 0;
    // A selected item's face: a bevel ramp or a glass gradient from the given colour.
    virtual void PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool pushed) = 0;

    TColor GetPartColor(const TTBXItemInfo &info, int part) const;
    TColor GetItemPartColor(const TTBXItemInfo &info, int part) const;
    // A radio button's face, an octagon filled as a check box's face is (from the accent when
    // hot), outlined in `frame`.
    void PaintRadioButton(TCanvas &canvas, const TRect &r, bool hot, bool pushed, bool active, TColor frame);
    // Cut-corner outline, Right and Bottom one pixel in.
    void ChamferOutline(TCanvas &canvas, const TRect &rect, int cut, TColor color) const;
    // The 8 x 7 close cross centred in r.
    void PaintCloseGlyph(TCanvas &canvas, const TRect &r, TColor color) const;
    // Rows of `dark` every `period` rows anchored at the view's top, and of `light` (unless
    // clNone) two rows lower.
    void PaintStripes(TCanvas &canvas, const TRect &area, const TRect &view, TColor color, int period,
                      TColor dark, TColor light) const;
    // The background of the striped themes: dock panels and opaque toolbars are filled plain,
    // other views get PaintStripes over the part inside clipRect.
    void PaintStripedBackground(TCanvas &canvas, const TRect &rect, const TRect &clipRect, TColor color,
                                bool transparent, int viewType, int period, TColor dark, TColor light) const;
    // What every family button shares: the combo parts' bounds and cuts, the view fill and a
    // `restFrame` outline on an opaque toolbar at rest, the accent on the menu bar, and the
    // drop-down arrow. `face` paints the remaining states into the button's bounds.
    void PaintButtonFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info, TColor restFrame,
                          const std::function<void(const TRect &r, int cut, int rightCut)> &face);
    // The button of the glass-faced themes; `plainChecked` gives a checked item at rest a glass
    // face and a grey outline instead of a white fill.
    void PaintGlassButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info, bool plainChecked);
    // Where a button's corners are cut and whether the menu bar paints it in the accent.
    int ButtonCut(const TTBXItemInfo &info) const;
    bool AccentMenuBarItem(const TTBXItemInfo &info) const;
    TColor MixedAccent() const;
    // The state tables from the surface colours: Nexos3's, or the glass themes' variant.
    void BuildStateColors(bool glass);

private:
    TNexosOptions options_;
    std::array<int, 15> metrics_;
};

// Rows (or columns when not vertical) from c1 to c2 over the first half and on to a third
// colour half way back to c1 over the second: a band of light across the middle.
void PaintGlassGradient(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool vertical);
// Fills the rectangle shortened by i at its bottom (or right) for i = 0 .. n - 1: the near edge
// ends in c2, the far edge in c1.
void PaintOverpaintGradient(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool vertical);

