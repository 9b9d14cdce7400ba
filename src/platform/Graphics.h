#pragma once
#include "Classes.h"
#include "SysColors.h"
#include "Types.h"

#include <QImage>
#include <QRegion>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QFont;
class TBitmap;
namespace orv::gfx {
class Raster;
struct Spans;
} // namespace orv::gfx
class TCanvas;

// ---------------------------------------------------------------------------------------------
// Flag values of the drawing calls, numerically those of the Windows API, since code ported
// from there combines them freely.

// DrawText
constexpr unsigned DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                   DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                   DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200,
                   DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000,
                   DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000,
                   DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000,
                   DT_NOFULLWIDTHCHARBREAK = 0x80000, DT_HIDEPREFIX = 0x100000,
                   DT_PREFIXONLY = 0x200000;

// DrawEdge
constexpr unsigned BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4,
                   BDR_SUNKENINNER = 0x8, BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5,
                   BDR_SUNKEN = 0xA;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
                   EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
                   EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
                   EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8,
                   BF_TOPLEFT = BF_TOP | BF_LEFT, BF_TOPRIGHT = BF_TOP | BF_RIGHT,
                   BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
                   BF_RECT = 0xF, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000,
                   BF_FLAT = 0x4000, BF_MONO = 0x8000;

// DrawFrameControl
constexpr unsigned DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr unsigned DFCS_CAPTIONCLOSE = 0x0, DFCS_CAPTIONMIN = 0x1, DFCS_CAPTIONMAX = 0x2,
                   DFCS_CAPTIONRESTORE = 0x3, DFCS_CAPTIONHELP = 0x4;
constexpr unsigned DFCS_MENUARROW = 0x0, DFCS_MENUCHECK = 0x1, DFCS_MENUBULLET = 0x2,
                   DFCS_MENUARROWRIGHT = 0x4;
constexpr unsigned DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2,
                   DFCS_SCROLLRIGHT = 0x3, DFCS_SCROLLCOMBOBOX = 0x5, DFCS_SCROLLSIZEGRIP = 0x8,
                   DFCS_SCROLLSIZEGRIPRIGHT = 0x10;
constexpr unsigned DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIOIMAGE = 0x1, DFCS_BUTTONRADIOMASK = 0x2,
                   DFCS_BUTTONRADIO = 0x4, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10;
constexpr unsigned DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400,
                   DFCS_TRANSPARENT = 0x800, DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000,
                   DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;

// Raster operations of BitBlt/PatBlt/CopyRect (the third byte is the truth table over
// pattern, source and destination).
constexpr std::uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                        SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                        NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                        PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                        DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
constexpr std::uint32_t cmSrcCopy = SRCCOPY, cmSrcPaint = SRCPAINT, cmSrcAnd = SRCAND,
                        cmSrcInvert = SRCINVERT, cmNotSrcCopy = NOTSRCCOPY, cmMergeCopy = MERGECOPY,
                        cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmDstInvert = DSTINVERT,
                        cmBlackness = BLACKNESS, cmWhiteness = WHITENESS;

// Background modes
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Region kinds returned by the clipping calls
constexpr int NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;

// Character sets a font may ask for; only kept, text is Unicode throughout.
constexpr int ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, GB2312_CHARSET = 134;

// ---------------------------------------------------------------------------------------------

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// The sixteen ways a pen combines with the destination (R2_BLACK .. R2_WHITE in this order).
enum class TPenMode {
    pmBlack, pmNotMerge, pmMaskNotPen, pmNotCopy, pmMaskPenNot, pmNot, pmXor, pmNotMask,
    pmMask, pmNotXor, pmNop, pmMergeNotPen, pmCopy, pmMergePenNot, pmMerge, pmWhite
};
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

// Pen, brush and font: plain values with a change event for the owner that uses them.
class TGraphicsObject
{
public:
    std::function<void()> OnChange;

protected:
    void Changed()
    {
        if (OnChange)
            OnChange();
    }
    // Setting a property to the value it has is no change and must not repaint the owner.
    template <typename T>
    void Update(T &field, const T &value)
    {
        if (value != field) {
            field = value;
            Changed();
        }
    }
};

class TPen : public TGraphicsObject
{
public:
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    // Pixels; 0 counts as 1 (a cosmetic pen).
    int Width() const { return width_; }
    void SetWidth(int value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode value);
    void Assign(const TPen &source);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    TPenMode mode_ = TPenMode::pmCopy;
};

class TBrush : public TGraphicsObject
{
public:
    // A new colour drops a pattern and turns a hollow brush solid.
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value);
    // An 8x8 colour pattern tiled from the canvas's device origin, so adjoining fills meet
    // seamlessly. Taking a pattern makes the brush solid-styled; SetBitmap(nullptr) drops it.
    // A bitmap smaller than 8x8 repeats within the cell.
    void SetBitmap(const TBitmap *bitmap);
    void SetPattern(const std::array<TColor, 64> &pattern);
    // The halftone checkerboard used for pressed and disabled faces: back on cells where x + y
    // is even, fore where it is odd.
    void SetDither(TColor back, TColor fore);
    bool HasPattern() const { return hasPattern_; }
    const std::array<TColor, 64> &Pattern() const { return pattern_; }
    void Assign(const TBrush &source);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    bool hasPattern_ = false;
    std::array<TColor, 64> pattern_{};
};

class TFont : public TGraphicsObject
{
public:
    TFont();
    static constexpr int PixelsPerInch = 96;

    const QString &Name() const { return name_; }
    void SetName(const QString &value);
    // Negative: character height in pixels; positive: cell height (with internal leading).
    int Height() const { return height_; }
    void SetHeight(int value);
    // Points at 96 pixels per inch, derived from Height.
    int Size() const;
    void SetSize(int value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    // Tenths of a degree counter-clockwise; 900 reads upward, 2700 downward.
    int Orientation() const { return orientation_; }
    void SetOrientation(int value);
    int Charset() const { return charset_; }
    void SetCharset(int value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch value);
    void Assign(const TFont &source);
    bool SameAs(const TFont &other) const;

    // The Qt font that draws this one (no rotation; the canvas rotates).
    QFont ToQFont() const;

private:
    QString name_;
    int height_ = -12;
    TFontStyles style_;
    TColor color_ = clWindowText;
    int orientation_ = 0;
    int charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
};

// The family a new TFont starts with: the application's font.
QString DefaultFontName();

struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
};

// Where text measurements come from. The default asks Qt's font metrics; tests install a
// fixed source so layouts do not depend on the fonts of the machine.
class ITextMetrics
{
public:
    virtual ~ITextMetrics() = default;
    virtual TTextMetric Metrics(const TFont &font) = 0;
    // Advance width of a run of text on one line.
    virtual int TextWidth(const TFont &font, const QString &text) = 0;
};
ITextMetrics &TextMetrics();
// Non-owning; nullptr restores the default.
void SetTextMetrics(ITextMetrics *source);

// A one-bit image: glyph masks and the like. Rows may be given as text, '#' or 'X' for a set bit.
class TMonoMask
{
public:
    TMonoMask() = default;
    TMonoMask(int width, int height);
    static TMonoMask FromRows(std::initializer_list<const char *> rows);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Bit(int x, int y) const;
    void SetBit(int x, int y, bool value = true);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bits_;
};

// ---------------------------------------------------------------------------------------------
// Recording: every drawing call made on a canvas with a recorder is logged with the state it
// drew with, in logical coordinates as the caller passed them.

enum class TCanvasOp {
    FillRect, FrameRect, Rectangle, RoundRect, Ellipse, LineTo, Polyline, Polygon, SetPixel,
    TextOut, TextRect, DrawText, DrawEdge, DrawFrameControl, GradientFill, AlphaBlend, Draw,
    StretchDraw, CopyRect, BitBlt, PatBlt, DrawMask, DrawFocusRect
};

struct TCanvasCall {
    TCanvasOp Op = TCanvasOp::FillRect;
    TRect Rect;
    std::vector<TPoint> Points;
    QString Text;
    unsigned Flags = 0;   // DT_, BF_, DFCS_ or raster-operation flags of the call
    unsigned Kind = 0;    // the edge kind of DrawEdge, the control kind of DrawFrameControl
    TColor PenColor = clBlack;
    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    TColor FontColor = clBlack;
    TColor Color1 = clNone;  // gradient start
    TColor Color2 = clNone;  // gradient end
};

class TCanvasRecorder
{
public:
    std::vector<TCanvasCall> Calls;
    void Clear() { Calls.clear(); }
    std::vector<const TCanvasCall *> Of(TCanvasOp op) const;
};

// ---------------------------------------------------------------------------------------------

// GDI-style drawing into a QImage (Format_RGB32; every pixel we write is opaque).
// Rectangles are [Left, Right) x [Top, Bottom). Lines leave out their end point. Logical
// coordinates map to pixels as device = logical - WindowOrg + ViewportOrg. The clip region and
// the brush origin are in device pixels. Only text is antialiased.
//
// A canvas without a target draws nothing but still measures text and records calls.
class TCanvas
{
public:
    TCanvas();
    explicit TCanvas(QImage &target);
    virtual ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    // Points the canvas at another image (or none). Pen, brush and font stay; clip, origins,
    // pen position and saved states are reset.
    void SetTarget(QImage *target);
    QImage *Target() const { return target_; }
    void SetRecorder(TCanvasRecorder *recorder) { recorder_ = recorder; }
    TCanvasRecorder *Recorder() const { return recorder_; }

    TPen *Pen() { return &state_.pen; }
    TBrush *Brush() { return &state_.brush; }
    TFont *Font() { return &state_.font; }
    const TPen *Pen() const { return &state_.pen; }
    const TBrush *Brush() const { return &state_.brush; }
    const TFont *Font() const { return &state_.font; }
    TPoint PenPos() const { return state_.penPos; }
    void SetPenPos(const TPoint &p) { state_.penPos = p; }
    std::uint32_t CopyMode() const { return state_.copyMode; }
    void SetCopyMode(std::uint32_t rop) { state_.copyMode = rop; }

    // Background for text, hatches and pen gaps. Changing the brush resets them the way the
    // class library does: a solid (or patterned) brush makes the background opaque in its
    // colour, a hatched or hollow one transparent. SetBkMode/SetBkColor override until the
    // brush changes again.
    int BkMode() const { return state_.bkMode; }
    int SetBkMode(int mode);
    TColor BkColor() const { return state_.bkColor; }
    TColor SetBkColor(TColor color);
    // Where the brush pattern is anchored, in device pixels.
    TPoint BrushOrg() const { return state_.brushOrg; }
    void SetBrushOrg(const TPoint &p) { state_.brushOrg = p; }

    // Saved states: pen, brush, font, background, clip, origins, pen position.
    int SaveDC();
    // A positive number restores that level (dropping later ones); -1 the last one.
    bool RestoreDC(int savedDC);

    TPoint WindowOrg() const { return state_.windowOrg; }
    void SetWindowOrg(int x, int y);
    TPoint ViewportOrg() const { return state_.viewportOrg; }
    void SetViewportOrg(int x, int y);
    // Moves the viewport origin, so logical (0,0) lands dx, dy further on.
    void MoveWindowOrg(int dx, int dy);
    TPoint LPtoDP(const TPoint &p) const;
    TPoint DPtoLP(const TPoint &p) const;
    TRect LPtoDP(const TRect &r) const;
    TRect DPtoLP(const TRect &r) const;

    // Clipping. Rectangles are logical; the region is kept in device pixels.
    bool HasClip() const { return state_.hasClip; }
    QRegion ClipRegion() const;  // device pixels; the whole target when there is no clip
    void SetClipRect(const TRect &r);
    void SetClipRegion(const QRegion &deviceRegion);
    void RemoveClip();
    int IntersectClipRect(const TRect &r);
    int ExcludeClipRect(const TRect &r);
    // Bounding box of what may be drawn, logical.
    TRect GetClipBox() const;
    TRect ClipRect() const { return GetClipBox(); }
    bool RectVisible(const TRect &r) const;
    bool PtVisible(int x, int y) const;

    // Areas
    void FillRect(const TRect &r);
    void FrameRect(const TRect &r);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect &r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // x3, y3: width and height of the ellipse that rounds the corners.
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect &r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // Fills by the alternate rule, then outlines with the pen.
    void Polygon(const std::vector<TPoint> &points);
    void PatBlt(const TRect &r, std::uint32_t rop);

    // Lines
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint> &points);

    // Pixels outside the target (or the clip, when setting) are ignored; reading one gives
    // clNone.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Text; (x, y) is the top-left of the text cell.
    void TextOut(int x, int y, const QString &text);
    // Clipped to r; unless the brush is hollow, r is first filled with the background colour.
    void TextRect(const TRect &r, int x, int y, const QString &text);
    TTextMetric GetTextMetrics() const;
    int TextWidth(const QString &text) const;
    int TextHeight(const QString &text) const;
    TSize TextExtent(const QString &text) const;
    // Returns the height of the text, or with DT_VCENTER/DT_BOTTOM the offset from r.Top to
    // its bottom; DT_CALCRECT only measures and sets r.Right and r.Bottom. Lines are laid out
    // horizontally; rotated text is drawn with TextOut. DT_WORDBREAK breaks at blanks and
    // between CJK characters (never before closing punctuation); a word wider than the
    // rectangle keeps its line. The ellipsis flags shorten each line that is too wide.
    int DrawText(const QString &text, TRect &r, unsigned format);

    // 3-D edges in the system colours; BF_DIAGONAL is not drawn.
    bool DrawEdge(TRect &r, unsigned edge, unsigned flags);
    // Push buttons, check boxes, radio buttons, the caption close/minimise/maximise/restore
    // buttons, scroll arrows, size grips and the menu arrow/check/bullet (as black-on-white
    // masks). False for anything else.
    bool DrawFrameControl(TRect &r, unsigned type, unsigned state);
    // A dotted frame XORed in: background-colour dots where x + y is even, font-colour dots
    // where it is odd, so a second call takes it away.
    void DrawFocusRect(const TRect &r);

    // Colour ramps; row (column) i of n gets from + (to - from) * i / n per channel.
    void GradientFill(const TRect &r, TColor from, TColor to, bool vertical);

    // Images. A TBitmap is copied with CopyMode, or without its transparent colour when it
    // is Transparent; a QImage with an alpha channel is blended over the canvas.
    void Draw(int x, int y, const TBitmap *bitmap);
    void Draw(int x, int y, const QImage &image);
    void StretchDraw(const TRect &r, const TBitmap *bitmap);
    void StretchDraw(const TRect &r, const QImage &image);
    void CopyRect(const TRect &dest, const TCanvas *source, const TRect &sourceRect);
    void BitBlt(int x, int y, int width, int height, const QImage &source, int sx, int sy,
                std::uint32_t rop);
    // Blends source onto the canvas: with sourceAlpha the pixels' top byte is their
    // premultiplied alpha, always scaled by constantAlpha (0..255).
    void AlphaBlend(const TRect &dest, const QImage &source, const TRect &sourceRect,
                    int constantAlpha, bool sourceAlpha);
    // Set bits take the brush colour; clear bits leave the canvas alone.
    void DrawMask(int x, int y, const TMonoMask &mask);

private:
    struct State {
        TPen pen;
        TBrush brush;
        TFont font;
        TPoint penPos;
        int bkMode = OPAQUE;
        TColor bkColor = clWhite;
        TPoint brushOrg;
        TPoint windowOrg;
        TPoint viewportOrg;
        bool hasClip = false;
        QRegion clip;
        std::uint32_t copyMode = SRCCOPY;
    };

    void Record(const TCanvasCall &call) const;
    TCanvasCall Call(TCanvasOp op) const;
    // Records the call and opens the target for it: an empty raster when the call draws
    // nothing (drawsNothing, or nothing of the target may be drawn on).
    orv::gfx::Raster BeginDrawing(const TCanvasCall &call, bool drawsNothing = false);
    // Device pixels drawing may touch: the clip region within the target.
    QRegion Drawable() const;
    // One pen segment in device pixels; the dash phase runs on across segments.
    void PenSegment(orv::gfx::Raster &raster, TPoint a, TPoint b, int &dashPhase);
    void PenPolyline(const std::vector<TPoint> &devicePoints, bool closed);
    void FillShape(orv::gfx::Raster &raster, const orv::gfx::Spans &spans, bool outline);
    void DrawTextRun(int x, int y, const QString &text, int underlineAt, const QRect *clip);

    QImage *target_ = nullptr;
    TCanvasRecorder *recorder_ = nullptr;
    State state_;
    std::vector<State> saved_;
};

// Saves the canvas state (pen, brush, font, clip, origins, modes) for a scope: whatever the
// scope changes is put back on every way out of it, exceptions included.
class TCanvasStateGuard
{
public:
    explicit TCanvasStateGuard(TCanvas &canvas) : canvas_(canvas), level_(canvas.SaveDC()) {}
    explicit TCanvasStateGuard(TCanvas *canvas) : TCanvasStateGuard(*canvas) {}
    ~TCanvasStateGuard() { canvas_.RestoreDC(level_); }
    TCanvasStateGuard(const TCanvasStateGuard &) = delete;
    TCanvasStateGuard &operator=(const TCanvasStateGuard &) = delete;

private:
    TCanvas &canvas_;
    int level_;
};

// ---------------------------------------------------------------------------------------------

enum class TTransparentMode { tmAuto, tmFixed };

// A 32-bit image with a canvas. Scan lines are rows of 0xAARRGGBB words (bytes B, G, R, A in
// memory); the top byte is only read by AlphaBlend with per-pixel alpha.
class TBitmap
{
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap();
    TBitmap(const TBitmap &) = delete;
    TBitmap &operator=(const TBitmap &) = delete;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // Keeps the pixels that still fit; new ones are black.
    void SetSize(int width, int height);
    void SetWidth(int value) { SetSize(value, Height()); }
    void SetHeight(int value) { SetSize(Width(), value); }
    bool Empty() const { return image_.isNull() || Width() == 0 || Height() == 0; }

    TCanvas *Canvas() { return canvas_.get(); }
    std::uint32_t *ScanLine(int y);
    const std::uint32_t *ScanLine(int y) const;
    QImage &Image() { return image_; }
    const QImage &Image() const { return image_; }

    void Assign(const TBitmap &source);
    // Takes a copy of any image; alpha survives (premultiplied) in the top byte.
    void LoadFromImage(const QImage &image);
    bool LoadFromFile(const QString &fileName);

    // With Transparent set, Draw leaves out pixels of the transparent colour: the bottom-left
    // pixel in tmAuto mode, TransparentColor in tmFixed mode.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { transparent_ = value; }
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode value) { transparentMode_ = value; }
    TColor TransparentColor() const;
    void SetTransparentColor(TColor value);

private:
    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
    bool transparent_ = false;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
    TColor transparentColor_ = clDefault;
};
