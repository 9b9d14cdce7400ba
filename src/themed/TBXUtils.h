#pragma once
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TCustomImageList;

// Colour arithmetic on 24-bit colours. Every routine resolves system colours first; results
// are plain 0x00BBGGRR values.

// W of C1 and 255 - W of C2, rounded per channel: W = 255 gives C1, W = 0 gives C2.
// A weight outside 0..255 throws EInvalidOperation.
TColor BlendColors(TColor C1, TColor C2, int W);
// Amount added to every channel, each kept within 0..255.
TColor ShiftColor(TColor C, int Amount);
// The nearest colours the screen shows; on a 32-bit screen that is the colour itself.
TColor ShiftColorNearest(TColor C, int Amount);
TColor BlendColorsNearest(TColor C1, TColor C2, int W);
// (R * 76 + G * 150 + B * 30) shr 8, 0..255.
int ColorLuminance(TColor C);
bool IsDarkColor(TColor C, int Level);
// W percent of C1 when W is below 100, else W per mille; rounded.
TColor MixColorsPercent(TColor C1, TColor C2, int W);
// Distance in a space weighted by how strongly the eye sees each channel.
double ColorDistance(TColor C1, TColor C2);
double ContrastThreshold(double T, double Brightness);
bool IsContrastEnough(TColor C, TColor Background, bool Adjust, double T);
// Moves C (replaced by its plain value) along its line from black or white until it stands
// out from Background by the threshold T.
void SetContrast(TColor &C, TColor Background, int T);
// Hue, saturation and lightness, each 0..1.
void ColorToHSL(TColor C, float &H, float &S, float &L);
TColor HSLToColor(float H, float S, float L);
// Blends the plain colour C over one pixel; Alpha 0 leaves it, 255 or more replaces it.
void BlendPixel(TCanvas *Canvas, int X, int Y, TColor C, int Alpha);

// Pens, brushes and outlines; nothing is drawn in clNone.
TPen CreatePenColor(TColor Color);
TBrush CreateBrushColor(TColor Color);
TBrush CreateDitherBrush(TColor C1, TColor C2);
void FillRectColor(TCanvas *Canvas, const TRect &R, TColor Color);
void FrameRectColor(TCanvas *Canvas, const TRect &R, TColor Color);
// With Adjust, R then shrinks by one pixel on every side, even for clNone.
void FrameRectColor(TCanvas *Canvas, TRect &R, TColor Color, bool Adjust);
void DrawLineColor(TCanvas *Canvas, int X1, int Y1, int X2, int Y2, TColor Color);
void PolylineColor(TCanvas *Canvas, const std::vector<TPoint> &Points, TColor Color);
void PolygonColor(TCanvas *Canvas, const std::vector<TPoint> &Points, TColor PenColor, TColor BrushColor);
void RoundRectColor(TCanvas *Canvas, const TRect &R, int Corner, TColor PenColor, TColor BrushColor);
// Top and left edges in TopColor, bottom and right edges (one pixel in) in BottomColor; R
// then shrinks by one pixel on its top-left side, or on its bottom-right side.
void Frame3D(TCanvas *Canvas, TRect &R, TColor TopColor, TColor BottomColor, bool AdjustTopLeft);
void DitherRect(TCanvas *Canvas, const TRect &R, TColor C1, TColor C2);
// Rows of an 8 x 8 one-bit pattern (bit 7 leftmost) anchored at R's top-left corner; set bits
// take Color, the rest is left alone.
void PatternFillRect(TCanvas *Canvas, const TRect &R, const std::array<std::uint8_t, 8> &Pattern, TColor Color);
void FillLongword(std::uint32_t *Dest, int Count, std::uint32_t Value);
void MoveLongword(const std::uint32_t *Source, std::uint32_t *Dest, int Count);

// Image-list effects. The image is drawn at (X, Y) over what the canvas shows there; the
// pixels it changes (those that differ from the background) are then reworked.

// On a dark background (Dark) the image's near-black pixels turn white, its near-white ones
// black, and all are lightened, so it stays legible; on any other background it is drawn as
// it is.
void DrawImageContrasted(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                         bool Dark = true);
void DrawImageFaded(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex, int Amount);
void DrawImageTinted(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                     TColor Tint, int Weight);
// Level 0, 1 or 2 (lighter with each); any other throws EInvalidOperation.
void DrawImageMonochrome(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                         int Level);
// The dark parts of the image in Color, the rest left transparent.
void DrawImageThresholded(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                          TColor Color);
void DrawImageShadow(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                     TColor ShadowColor);
// Every visible pixel of the image in Color.
void DrawImageSilhouette(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                         TColor Color);
void DrawImageSilhouetteCentered(TCanvas *Canvas, const TRect &R, const TCustomImageList *ImageList,
                                 int ImageIndex, TColor Color);

// Two-colour ramp: C1 on the first line, C2 on the last (one line alone takes their middle).
void DitherGradientRect(TCanvas *Canvas, const TRect &R, TColor C1, bool Vertical, TColor C2);
// Frees the cached colour tables of DitherGradientRect.
void ClearDitherTables();
// Brushed-metal texture of Color, Amount the strength of the grain; the grain is anchored at
// Origin, so neighbouring fills line up.
void FillBrushedTexture(TCanvas *Canvas, const TPoint &Origin, const TRect &R, int Amount, TColor Color);
void FillBrushedTexture(TCanvas *Canvas, const TRect &R, int Amount, TColor Color);

// ---------------------------------------------------------------------------------------------
// Popup shadows: soft strips along the right and bottom edges of a popup (and of the item it
// drops from), cut where the two touch.

// Alpha (0..255, before the opacity) of the shadow of Popup and Item at a screen pixel;
// 0 inside either rectangle. An empty rectangle casts no shadow.
int ShadowAlpha(const TRect &Popup, const TRect &Item, int Size, int X, int Y);
// The rectangles the shadow covers, as one window each; none falls on Spare (the popup a
// submenu opens from).
std::vector<TRect> ShadowPieceRects(const TRect &Popup, const TRect &Item, int Size, const TRect &Spare = {});
// Premultiplied black of the piece's alpha times Opacity / 255.
QImage ShadowPieceImage(const TRect &Piece, const TRect &Popup, const TRect &Item, int Size, int Opacity);
// Whether translucent windows blend with what is beneath (a compositing manager runs).
bool ShadowBlendingAvailable();

// One top-level piece of a shadow: never activated, transparent to the mouse. A plain piece
// shows clBtnShadow; the others blend their image over the screen.
class TShadow : public QWidget
{
public:
    TShadow(const TRect &Bounds, bool Plain, QImage Image);
    bool Plain() const { return plain_; }
    const QImage &Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool plain_;
    QImage image_;
};

// The pieces around one popup. Without a compositing manager a translucent window would show
// black instead of the screen beneath, so the shadow is plain there: opaque strips of half the
// thickness, as on a screen that cannot blend.
class TShadows
{
public:
    TShadows(const TRect &Rect1, const TRect &Rect2, int Size, bool Plain, int Opacity, const TRect &Spare = {});
    bool Plain() const { return plain_; }
    ~TShadows();
    TShadows(const TShadows &) = delete;
    TShadows &operator=(const TShadows &) = delete;

    // Shows the pieces, with the popup window kept above them.
    void Show(QWidget *PopupWindow);
    const std::vector<std::unique_ptr<TShadow>> &Pieces() const { return pieces_; }

private:
    std::vector<std::unique_ptr<TShadow>> pieces_;
    bool plain_ = false;
};
