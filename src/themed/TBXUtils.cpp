#include "TBXUtils.h"

#include "platform/Controls.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

namespace {

// Plain 0x00BBGGRR of any colour value.
TColor Plain(TColor c)
{
    return ColorToRGB(c) & 0xFFFFFF;
}

int Clamp255(int v)
{
    return std::clamp(v, 0, 255);
}

// Division rounding toward minus infinity, so ramps reach their end colour in either direction.
int FloorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The colour space SetContrast works in: each channel weighted by how bright it looks, so
// white is about (195, 390, 65). The maxima are white's own coordinates, so that white
// measured from white is exactly the origin.
constexpr double WeightR = 0.764706, WeightG = 1.52941, WeightB = 0.254902;
constexpr double MaxX = 255 * WeightR, MaxY = 255 * WeightG, MaxZ = 255 * WeightB;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 Weighted(TColor c)
{
    return {GetRValue(c) * WeightR, GetGValue(c) * WeightG, GetBValue(c) * WeightB};
}

double Dot(const Vec3 &a, const Vec3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double Length(const Vec3 &v)
{
    return std::sqrt(Dot(v, v));
}

Vec3 FromWhite(const Vec3 &v)
{
    return {MaxX - v.x, MaxY - v.y, MaxZ - v.z};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Colour arithmetic

TColor BlendColors(TColor C1, TColor C2, int W)
{
    if (W < 0 || W > 255)
        throw EInvalidOperation(QStringLiteral("BlendColors weight out of range"));
    const TColor a = Plain(C1), b = Plain(C2);
    auto mix = [W](int x, int y) { return (x * W + y * (255 - W) + 127) / 255; };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

TColor ShiftColor(TColor C, int Amount)
{
    const TColor c = Plain(C);
    return RGB(Clamp255(GetRValue(c) + Amount), Clamp255(GetGValue(c) + Amount), Clamp255(GetBValue(c) + Amount));
}

TColor ShiftColorNearest(TColor C, int Amount)
{
    return ShiftColor(C, Amount);
}

TColor BlendColorsNearest(TColor C1, TColor C2, int W)
{
    return BlendColors(C1, C2, W);
}

int ColorLuminance(TColor C)
{
    const TColor c = Plain(C);
    return (GetRValue(c) * 76 + GetGValue(c) * 150 + GetBValue(c) * 30) >> 8;
}

bool IsDarkColor(TColor C, int Level)
{
    const TColor c = Plain(C);
    return Level * 256 > GetRValue(c) * 76 + GetGValue(c) * 150 + GetBValue(c) * 30;
}

TColor MixColorsPercent(TColor C1, TColor C2, int W)
{
    const TColor a = Plain(C1), b = Plain(C2);
    const int d = W < 100 ? 100 : 1000;
    const int h = d / 2;
    auto mix = [&](int x, int y) { return Clamp255((y * (d - W) + x * W + h) / d); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

double ColorDistance(TColor C1, TColor C2)
{
    const Vec3 a = Weighted(Plain(C1)), b = Weighted(Plain(C2));
    return Length({a.x - b.x, a.y - b.y, a.z - b.z});
}

double ContrastThreshold(double T, double Brightness)
{
    return Brightness >= 220 ? T : (2 - Brightness / 220) * T;
}

bool IsContrastEnough(TColor C, TColor Background, bool Adjust, double T)
{
    if (Adjust)
        T = ContrastThreshold(T, ColorDistance(Background, clBlack));
    return ColorDistance(Background, C) > T;
}

void SetContrast(TColor &C, TColor Background, int T)
{
    if (C == clNone)
        return;
    C = Plain(C);
    const TColor background = Plain(Background);
    if (IsContrastEnough(C, background, true, T))
        return;
    Vec3 c = Weighted(C), b = Weighted(background);
    const double d = Length(c), bl = Length(b);
    const double t = ContrastThreshold(T, bl);
    const bool flip = d <= bl ? bl < t : 442 - t > bl;
    if (flip) {
        c = FromWhite(c);
        b = FromWhite(b);
    }
    // A colour at the origin has no line of its own; it moves along the grey axis.
    const double n = Length(c);
    const Vec3 u = n > 0 ? Vec3{c.x / n, c.y / n, c.z / n}
                         : Vec3{MaxX / Length({MaxX, MaxY, MaxZ}), MaxY / Length({MaxX, MaxY, MaxZ}),
                                MaxZ / Length({MaxX, MaxY, MaxZ})};
    const double projection = Dot(u, b);
    const double perpendicular2 = std::max(0.0, Dot(b, b) - projection * projection);
    const double s = projection - std::sqrt(std::max(0.0, t * t - perpendicular2));
    Vec3 p{u.x * s, u.y * s, u.z * s};
    if (flip)
        p = FromWhite(p);
    auto channel = [](double v, double max, double weight) {
        return Clamp255(int(std::clamp(v, 0.0, max) / weight + 0.5));
    };
    C = RGB(channel(p.x, MaxX, WeightR), channel(p.y, MaxY, WeightG), channel(p.z, MaxZ, WeightB));
}

void ColorToHSL(TColor C, float &H, float &S, float &L)
{
    const TColor c = Plain(C);
    const float r = GetRValue(c) / 255.0f, g = GetGValue(c) / 255.0f, b = GetBValue(c) / 255.0f;
    const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
    L = (mx + mn) / 2;
    if (mx == mn) {
        H = 0;
        S = 0;
        return;
    }
    const float d = mx - mn;
    S = L > 0.5f ? d / (2 - mx - mn) : d / (mx + mn);
    if (mx == r)
        H = (g - b) / d + (g < b ? 6 : 0);
    else if (mx == g)
        H = (b - r) / d + 2;
    else
        H = (r - g) / d + 4;
    H /= 6;
}

TColor HSLToColor(float H, float S, float L)
{
    auto to255 = [](float v) { return Clamp255(int(std::lround(v * 255))); };
    if (S == 0)
        return RGB(to255(L), to255(L), to255(L));
    const float q = L < 0.5f ? L * (1 + S) : L + S - L * S;
    const float p = 2 * L - q;
    auto hue = [&](float t) {
        if (t < 0)
            t += 1;
        if (t > 1)
            t -= 1;
        if (t < 1.0f / 6)
            return p + (q - p) * 6 * t;
        if (t < 0.5f)
            return q;
        if (t < 2.0f / 3)
            return p + (q - p) * (2.0f / 3 - t) * 6;
        return p;
    };
    return RGB(to255(hue(H + 1.0f / 3)), to255(hue(H)), to255(hue(H - 1.0f / 3)));
}

void BlendPixel(TCanvas *Canvas, int X, int Y, TColor C, int Alpha)
{
    if (!Canvas || Alpha <= 0)
        return;
    const std::uint32_t c = std::uint32_t(Plain(C));
    if (Alpha >= 255) {
        Canvas->SetPixel(X, Y, TColor(c));
        return;
    }
    const TColor pixel = Canvas->Pixel(X, Y);
    if (pixel == clNone)
        return;
    const std::uint32_t p = std::uint32_t(pixel);
    const std::uint32_t a = Alpha >= 128 ? std::uint32_t(Alpha) + 1 : std::uint32_t(Alpha);
    const std::uint32_t rb = ((c & 0xFF00FF) * a + (p & 0xFF00FF) * (256 - a) + 0x7F007F) & 0xFF00FF00;
    const std::uint32_t g = ((c & 0xFF00) * a + (p & 0xFF00) * (256 - a) + 0x7F00) & 0xFF0000;
    Canvas->SetPixel(X, Y, TColor((rb + g) >> 8));
}

// ---------------------------------------------------------------------------------------------
// Pens, brushes and outlines

TPen CreatePenColor(TColor Color)
{
    TPen pen;
    pen.SetWidth(1);
    if (Color == clNone) {
        pen.SetStyle(TPenStyle::psClear);
    } else {
        pen.SetColor(Color);
        pen.SetStyle(TPenStyle::psSolid);
    }
    return pen;
}

TBrush CreateBrushColor(TColor Color)
{
    TBrush brush;
    if (Color == clNone)
        brush.SetStyle(TBrushStyle::bsClear);
    else
        brush.SetColor(Color);
    return brush;
}

TBrush CreateDitherBrush(TColor C1, TColor C2)
{
    TBrush brush;
    brush.SetDither(C1, C2);
    return brush;
}

void FillRectColor(TCanvas *Canvas, const TRect &R, TColor Color)
{
    if (!Canvas || Color == clNone)
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Brush()->Assign(CreateBrushColor(Color));
    Canvas->FillRect(R);
}

void FrameRectColor(TCanvas *Canvas, const TRect &R, TColor Color)
{
    if (!Canvas || Color == clNone)
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Brush()->Assign(CreateBrushColor(Color));
    Canvas->FrameRect(R);
}

void FrameRectColor(TCanvas *Canvas, TRect &R, TColor Color, bool Adjust)
{
    FrameRectColor(Canvas, static_cast<const TRect &>(R), Color);
    if (Adjust)
        R.Inflate(-1, -1);
}

void DrawLineColor(TCanvas *Canvas, int X1, int Y1, int X2, int Y2, TColor Color)
{
    if (!Canvas || Color == clNone)
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Pen()->Assign(CreatePenColor(Color));
    Canvas->MoveTo(X1, Y1);
    Canvas->LineTo(X2, Y2);
}

void PolylineColor(TCanvas *Canvas, const std::vector<TPoint> &Points, TColor Color)
{
    if (!Canvas || Color == clNone)
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Pen()->Assign(CreatePenColor(Color));
    Canvas->Polyline(Points);
}

void PolygonColor(TCanvas *Canvas, const std::vector<TPoint> &Points, TColor PenColor, TColor BrushColor)
{
    if (!Canvas || (PenColor == clNone && BrushColor == clNone))
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Pen()->Assign(CreatePenColor(PenColor));
    Canvas->Brush()->Assign(CreateBrushColor(BrushColor));
    Canvas->Polygon(Points);
}

void RoundRectColor(TCanvas *Canvas, const TRect &R, int Corner, TColor PenColor, TColor BrushColor)
{
    if (!Canvas || (PenColor == clNone && BrushColor == clNone))
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Pen()->Assign(CreatePenColor(PenColor));
    Canvas->Brush()->Assign(CreateBrushColor(BrushColor));
    Canvas->RoundRect(R.Left, R.Top, R.Right, R.Bottom, Corner, Corner);
}

void Frame3D(TCanvas *Canvas, TRect &R, TColor TopColor, TColor BottomColor, bool AdjustTopLeft)
{
    const int right = R.Right - 1, bottom = R.Bottom - 1;
    PolylineColor(Canvas, {{R.Left, bottom}, {R.Left, R.Top}, {right, R.Top}}, TopColor);
    PolylineColor(Canvas, {{right, R.Top}, {right, bottom}, {R.Left - 1, bottom}}, BottomColor);
    if (AdjustTopLeft) {
        ++R.Left;
        ++R.Top;
    } else {
        --R.Right;
        --R.Bottom;
    }
}

void DitherRect(TCanvas *Canvas, const TRect &R, TColor C1, TColor C2)
{
    if (!Canvas || (C1 == clNone && C2 == clNone))
        return;
    TCanvasStateGuard state(Canvas);
    Canvas->Brush()->Assign(CreateDitherBrush(C1, C2));
    Canvas->FillRect(R);
}

void PatternFillRect(TCanvas *Canvas, const TRect &R, const std::array<std::uint8_t, 8> &Pattern, TColor Color)
{
    if (!Canvas || Color == clNone || R.IsEmpty())
        return;
    TMonoMask mask(R.Width(), R.Height());
    for (int y = 0; y < R.Height(); ++y)
        for (int x = 0; x < R.Width(); ++x)
            if ((Pattern[size_t(y & 7)] >> (7 - (x & 7))) & 1)
                mask.SetBit(x, y);
    TCanvasStateGuard state(Canvas);
    Canvas->Brush()->Assign(CreateBrushColor(Color));
    Canvas->DrawMask(R.Left, R.Top, mask);
}

void FillLongword(std::uint32_t *Dest, int Count, std::uint32_t Value)
{
    if (Dest && Count > 0)
        std::fill_n(Dest, Count, Value);
}

void MoveLongword(const std::uint32_t *Source, std::uint32_t *Dest, int Count)
{
    if (Source && Dest && Source != Dest && Count > 0)
        std::memmove(Dest, Source, size_t(Count) * sizeof(std::uint32_t));
}

// ---------------------------------------------------------------------------------------------
// Image-list effects, worked on 32-bit rows of 0x00RRGGBB

namespace {

// Pixel luminance, 0..65025.
int PixelLuminance(std::uint32_t p)
{
    return int((p >> 16) & 0xFF) * 76 + int((p >> 8) & 0xFF) * 150 + int(p & 0xFF) * 29;
}

std::uint32_t PixelOf(TColor c)
{
    const TColor rgb = Plain(c);
    return std::uint32_t(GetRValue(rgb)) << 16 | std::uint32_t(GetGValue(rgb)) << 8 | std::uint32_t(GetBValue(rgb));
}

TColor ColorOfPixel(std::uint32_t p)
{
    return RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
}

// Captures what the canvas shows under the image and draws the image over a copy of it (or
// over a fill of *key). False when there is nothing to read back; the image is then drawn
// the image list's own way.
bool PrepareEffect(TCanvas *canvas, int x, int y, const TCustomImageList *list, int index, QImage &background,
                   QImage &image, const std::uint32_t *key = nullptr)
{
    if (!canvas || !list || index < 0 || index >= list->Count())
        return false;
    if (!canvas->Target()) {
        list->Draw(canvas, x, y, index);
        return false;
    }
    const int w = list->Width(), h = list->Height();
    TBitmap captured(w, h);
    captured.Canvas()->CopyRect(Rect(0, 0, w, h), canvas, Bounds(x, y, w, h));
    background = captured.Image().copy();
    image = background.copy();
    if (key)
        image.fill(0xFF000000u | *key);
    TCanvas onImage(image);
    list->Draw(&onImage, 0, 0, index);
    return true;
}

// Reworks every pixel the image changed, then puts the result on the canvas.
template <typename F>
void ApplyEffect(TCanvas *canvas, int x, int y, const TCustomImageList *list, int index, F &&rework)
{
    QImage background, image;
    if (!PrepareEffect(canvas, x, y, list, index, background, image))
        return;
    for (int row = 0; row < image.height(); ++row) {
        auto *px = reinterpret_cast<std::uint32_t *>(image.scanLine(row));
        const auto *bg = reinterpret_cast<const std::uint32_t *>(background.constScanLine(row));
        for (int col = 0; col < image.width(); ++col) {
            const std::uint32_t p = px[col] & 0xFFFFFF, b = bg[col] & 0xFFFFFF;
            if (p != b)
                px[col] = 0xFF000000u | (rework(p, b) & 0xFFFFFF);
        }
    }
    canvas->BitBlt(x, y, image.width(), image.height(), image, 0, 0, SRCCOPY);
}

void DrawMaskInColor(TCanvas *canvas, int x, int y, const TMonoMask &mask, TColor color)
{
    if (color == clNone)
        return;
    TCanvasStateGuard state(canvas);
    canvas->Brush()->Assign(CreateBrushColor(color));
    canvas->DrawMask(x, y, mask);
}

} // namespace

void DrawImageContrasted(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                         bool Dark)
{
    if (!Dark) {
        if (Canvas && ImageList && ImageIndex >= 0 && ImageIndex < ImageList->Count())
            ImageList->Draw(Canvas, X, Y, ImageIndex);
        return;
    }
    ApplyEffect(Canvas, X, Y, ImageList, ImageIndex, [](std::uint32_t p, std::uint32_t) {
        const int l = PixelLuminance(p);
        if (l >= 64769)
            p = 0;
        else if (l < 25600)
            p = 0xFFFFFF;
        return PixelOf(ShiftColor(ColorOfPixel(p), 32));
    });
}

void DrawImageFaded(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex, int Amount)
{
    BlendColors(0, 0, Amount);  // a bad weight throws before anything is drawn
    ApplyEffect(Canvas, X, Y, ImageList, ImageIndex, [Amount](std::uint32_t p, std::uint32_t b) {
        return PixelOf(BlendColors(ColorOfPixel(p), ColorOfPixel(b), Amount));
    });
}

void DrawImageTinted(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                     TColor Tint, int Weight)
{
    BlendColors(0, 0, Weight);
    const TColor tint = Plain(Tint);
    ApplyEffect(Canvas, X, Y, ImageList, ImageIndex, [tint, Weight](std::uint32_t p, std::uint32_t) {
        return PixelOf(BlendColors(ColorOfPixel(p), tint, Weight));
    });
}

void DrawImageMonochrome(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                         int Level)
{
    static constexpr int Div[] = {3, 8, 20};
    static constexpr int Add[] = {170, 224, 243};
    if (Level < 0 || Level > 2)
        throw EInvalidOperation(QStringLiteral("DrawImageMonochrome level out of range"));
    ApplyEffect(Canvas, X, Y, ImageList, ImageIndex, [Level](std::uint32_t p, std::uint32_t b) {
        const std::uint32_t f = std::uint32_t((PixelLuminance(p) >> 8) / Div[Level] + Add[Level]);
        return (((b >> 16) & 0xFF) * f >> 8) << 16 | (((b >> 8) & 0xFF) * f >> 8) << 8 | ((b & 0xFF) * f >> 8);
    });
}

void DrawImageThresholded(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                          TColor Color)
{
    QImage background, image;
    if (!PrepareEffect(Canvas, X, Y, ImageList, ImageIndex, background, image))
        return;
    TMonoMask mask(image.width(), image.height());
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col) {
            const std::uint32_t p = image.pixel(col, row) & 0xFFFFFF;
            if (p != (background.pixel(col, row) & 0xFFFFFF) && PixelLuminance(p) < 46081)
                mask.SetBit(col, row);
        }
    DrawMaskInColor(Canvas, X, Y, mask, Color);
}

void DrawImageShadow(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                     TColor ShadowColor)
{
    static constexpr std::uint32_t Key = 0x203241;
    QImage background, image;
    if (!PrepareEffect(Canvas, X, Y, ImageList, ImageIndex, background, image, &Key))
        return;
    TMonoMask mask(image.width(), image.height());
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col)
            if ((image.pixel(col, row) & 0xFFFFFF) != Key)
                mask.SetBit(col, row);
    DrawMaskInColor(Canvas, X, Y, mask, ShadowColor);
}

void DrawImageSilhouette(TCanvas *Canvas, int X, int Y, const TCustomImageList *ImageList, int ImageIndex,
                         TColor Color)
{
    if (!Canvas || !ImageList || ImageIndex < 0 || ImageIndex >= ImageList->Count())
        return;
    const QImage image = ImageList->Image(ImageIndex);
    TMonoMask mask(image.width(), image.height());
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col)
            if (qAlpha(image.pixel(col, row)) != 0)
                mask.SetBit(col, row);
    DrawMaskInColor(Canvas, X, Y, mask, Color);
}

void DrawImageSilhouetteCentered(TCanvas *Canvas, const TRect &R, const TCustomImageList *ImageList,
                                 int ImageIndex, TColor Color)
{
    if (!ImageList)
        return;
    DrawImageSilhouette(Canvas, (R.Left + R.Right - ImageList->Width()) / 2,
                        (R.Top + R.Bottom - ImageList->Height()) / 2, ImageList, ImageIndex, Color);
}

// ---------------------------------------------------------------------------------------------
// Gradient and brushed texture

namespace {

constexpr int CacheSize = 16;

struct DitherTable {
    int n = 0;
    TColor c1 = clNone, c2 = clNone;
    std::vector<TColor> colors;
};

struct DitherCache {
    std::array<DitherTable, CacheSize> tables;
    int next = 0;
};

// Themes clear the tables when they go, and the current theme may go at exit after any static
// here would have been destroyed: the cache lives as long as the process.
DitherCache &DitherTables()
{
    static DitherCache *cache = new DitherCache;
    return *cache;
}

const std::vector<TColor> &DitherColors(int n, TColor c1, TColor c2)
{
    DitherCache &cache = DitherTables();
    for (const DitherTable &t : cache.tables)
        if (t.n == n && t.c1 == c1 && t.c2 == c2)
            return t.colors;
    DitherTable &t = cache.tables[size_t(cache.next)];
    cache.next = (cache.next + 1) % CacheSize;
    t.n = n;
    t.c1 = c1;
    t.c2 = c2;
    t.colors.resize(size_t(n));
    auto entry = [&](int i, auto channel) {
        const int from = channel(c1), delta = channel(c2) - from;
        return n == 1 ? from + delta / 2 : from + FloorDiv(delta * i + (n - 1) / 2, n - 1);
    };
    for (int i = 0; i < n; ++i)
        t.colors[size_t(i)] = RGB(entry(i, GetRValue), entry(i, GetGValue), entry(i, GetBValue));
    return t.colors;
}

constexpr int NoiseRows = 8;
constexpr int NoiseLines = 1024;

// Eight rows of grain values (pairs low, high interleaved) and, for 1024 scan lines, the row
// each uses and how far it is shifted, so the grain does not repeat visibly.
struct Noise {
    std::array<std::vector<int>, NoiseRows> rows;
    std::array<int, NoiseLines> select{};
    std::array<int, NoiseLines> offset{};
};

const Noise &NoiseTables()
{
    static const Noise noise = [] {
        Noise n;
        std::mt19937 random(0x5EED);
        auto below = [&](int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(random); };
        std::uniform_real_distribution<double> phase(0.0, 2 * std::numbers::pi);
        for (auto &row : n.rows) {
            const int length = (below(101) + 100) / 2;
            double p[8];
            for (int k = 1; k <= 7; ++k)
                p[k] = phase(random);
            for (int i = 0; i < length; ++i) {
                const double t = 2 * std::numbers::pi * i / length;
                auto wave = [&](double p0, double p1, double p2, double p3) {
                    const double v = std::sin(t + p0) * 150 + std::sin(2 * t + p1) * 100 + std::sin(3 * t + p2) * 50 +
                                     std::sin(4 * t + p3) * 20;
                    return std::clamp(int(std::lround(v)), -255, 255);
                };
                int a = wave(0, p[1], p[2], p[3]);
                int b = wave(p[4], p[5], p[6], p[7]);
                if (std::abs(a - b) >= 301) {
                    const int mean = (a + b) / 2;
                    a = mean - 150;
                    b = mean + 150;
                }
                row.push_back(std::min(a, b));
                row.push_back(std::max(a, b));
            }
        }
        for (int k = 0; k < NoiseLines; ++k) {
            n.select[size_t(k)] = below(NoiseRows);
            const int samples = int(n.rows[size_t(n.select[size_t(k)])].size()) / 2;
            n.offset[size_t(k)] = 2 * below(samples) + (k & 1);
        }
        return n;
    }();
    return noise;
}

struct TextureEntry {
    TColor color = clNone;
    int amount = 0;
    std::array<std::vector<std::uint32_t>, NoiseRows> rows;
};

const std::array<std::vector<std::uint32_t>, NoiseRows> &TextureRows(TColor color, int amount)
{
    static std::array<TextureEntry, CacheSize> cache;
    static int next = 0;
    for (const TextureEntry &e : cache)
        if (e.color == color && e.amount == amount && !e.rows[0].empty())
            return e.rows;
    TextureEntry &e = cache[size_t(next)];
    next = (next + 1) % CacheSize;
    e.color = color;
    e.amount = amount;
    const Noise &noise = NoiseTables();
    for (int r = 0; r < NoiseRows; ++r) {
        std::vector<std::uint32_t> &pixels = e.rows[size_t(r)];
        pixels.clear();
        for (int v : noise.rows[size_t(r)]) {
            auto channel = [&](int c) { return std::uint32_t(std::clamp(c * 256 + v * amount, 0, 61184) >> 8); };
            pixels.push_back(channel(GetRValue(color)) << 16 | channel(GetGValue(color)) << 8 | channel(GetBValue(color)));
        }
    }
    return e.rows;
}

int Modulo(int a, int b)
{
    const int m = a % b;
    return m < 0 ? m + b : m;
}

} // namespace

void DitherGradientRect(TCanvas *Canvas, const TRect &R, TColor C1, bool Vertical, TColor C2)
{
    if (!Canvas || !Canvas->RectVisible(R))
        return;
    const int n = Vertical ? R.Height() : R.Width();
    const std::vector<TColor> &colors = DitherColors(n, Plain(C1), Plain(C2));
    TRect area;
    if (!IntersectRect(area, R, Canvas->GetClipBox()))
        return;
    TCanvasStateGuard state(Canvas);
    const int first = Vertical ? area.Top - R.Top : area.Left - R.Left;
    const int last = Vertical ? area.Bottom - R.Top : area.Right - R.Left;
    for (int i = first; i < last; ++i) {
        Canvas->Brush()->Assign(CreateBrushColor(colors[size_t(i)]));
        Canvas->FillRect(Vertical ? Rect(R.Left, R.Top + i, R.Right, R.Top + i + 1)
                                  : Rect(R.Left + i, R.Top, R.Left + i + 1, R.Bottom));
    }
}

void ClearDitherTables()
{
    DitherTables() = DitherCache{};
}

void FillBrushedTexture(TCanvas *Canvas, const TPoint &Origin, const TRect &R, int Amount, TColor Color)
{
    if (!Canvas || Color == clNone || !Canvas->RectVisible(R))
        return;
    TRect area;
    if (!IntersectRect(area, R, Canvas->GetClipBox()))
        return;
    const Noise &noise = NoiseTables();
    const auto &rows = TextureRows(Plain(Color), Amount);
    QImage texture(area.Width(), area.Height(), QImage::Format_RGB32);
    for (int y = area.Top; y < area.Bottom; ++y) {
        const int line = Modulo(y - Origin.Y, NoiseLines);
        const std::vector<std::uint32_t> &row = rows[size_t(noise.select[size_t(line)])];
        const int width = int(row.size());
        const int start = Origin.X - noise.offset[size_t(line)];
        auto *out = reinterpret_cast<std::uint32_t *>(texture.scanLine(y - area.Top));
        for (int x = 0, i = Modulo(area.Left - start, width); x < area.Width(); ++x) {
            out[x] = 0xFF000000u | row[size_t(i)];
            if (++i == width)
                i = 0;
        }
    }
    Canvas->BitBlt(area.Left, area.Top, area.Width(), area.Height(), texture, 0, 0, SRCCOPY);
}

void FillBrushedTexture(TCanvas *Canvas, const TRect &R, int Amount, TColor Color)
{
    FillBrushedTexture(Canvas, TPoint{0, 0}, R, Amount, Color);
}

// ---------------------------------------------------------------------------------------------
// Popup shadows

namespace {

// Alpha across a strip, falling from the popup edge.
int StripAlpha(int across, int size)
{
    return 255 - across * 256 / size;
}

// A rounded end: a and b are the distances from the corner's centre.
int CornerAlpha(int a, int b, int size)
{
    const int v = (std::max(a, b) + a + b) * 128 / size;
    return v < 255 ? 255 - v : 0;
}

// The shadow of one rectangle: a vertical strip to its right from Top + S down to Bottom, and a
// horizontal strip under it from Left + S to Right + S, with rounded ends where they fade in
// and where they turn the corner.
int RectShadowAlpha(const TRect &r, int s, int x, int y)
{
    if (r.IsEmpty())
        return 0;
    if (x >= r.Right && x < r.Right + s && y >= r.Top + s && y < r.Bottom) {
        const int a = x - r.Right;
        return y < r.Top + 2 * s ? CornerAlpha(a, r.Top + 2 * s - 1 - y, s) : StripAlpha(a, s);
    }
    if (y >= r.Bottom && y < r.Bottom + s && x >= r.Left + s && x < r.Right + s) {
        const int b = y - r.Bottom;
        if (x >= r.Right)
            return CornerAlpha(x - r.Right, b, s);
        return x < r.Left + 2 * s ? CornerAlpha(r.Left + 2 * s - 1 - x, b, s) : StripAlpha(b, s);
    }
    return 0;
}

QRegion ShadowZone(const TRect &r, int s)
{
    if (r.IsEmpty())
        return {};
    QRegion zone(Rect(r.Right, r.Top + s, r.Right + s, r.Bottom).ToQRect());
    return zone.united(Rect(r.Left + s, r.Bottom, r.Right + s, r.Bottom + s).ToQRect());
}

} // namespace

int ShadowAlpha(const TRect &Popup, const TRect &Item, int Size, int X, int Y)
{
    if (Size <= 0 || (!Popup.IsEmpty() && Popup.Contains({X, Y})) || (!Item.IsEmpty() && Item.Contains({X, Y})))
        return 0;
    return std::max(RectShadowAlpha(Popup, Size, X, Y), RectShadowAlpha(Item, Size, X, Y));
}

std::vector<TRect> ShadowPieceRects(const TRect &Popup, const TRect &Item, int Size, const TRect &Spare)
{
    std::vector<TRect> pieces;
    if (Size <= 0)
        return pieces;
    QRegion zone = ShadowZone(Popup, Size).united(ShadowZone(Item, Size));
    for (const TRect &r : {Popup, Item, Spare})
        if (!r.IsEmpty())
            zone = zone.subtracted(QRegion(r.ToQRect()));
    for (const QRect &r : zone)
        pieces.push_back(TRect::FromQRect(r));
    return pieces;
}

QImage ShadowPieceImage(const TRect &Piece, const TRect &Popup, const TRect &Item, int Size, int Opacity)
{
    if (Piece.IsEmpty())
        return {};
    const int opacity = std::clamp(Opacity, 0, 255);
    QImage image(Piece.Width(), Piece.Height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = ShadowAlpha(Popup, Item, Size, Piece.Left + x, Piece.Top + y) * opacity / 255;
            row[x] = std::uint32_t(alpha) << 24;
        }
    }
    return image;
}

bool ShadowBlendingAvailable() { return CompositingManagerRunning(); }

TShadow::TShadow(const TRect &Bounds, bool Plain, QImage Image)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint),
      plain_(Plain), image_(std::move(Image))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!plain_)
        setAttribute(Qt::WA_TranslucentBackground);
    setGeometry(Bounds.ToQRect());
}

void TShadow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (plain_) {
        painter.fillRect(rect(), QColor::fromRgb(ColorToQRgb(clBtnShadow)));
        return;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image_);
}

TShadows::TShadows(const TRect &Rect1, const TRect &Rect2, int Size, bool Plain, int Opacity, const TRect &Spare)
    : plain_(Plain || !ShadowBlendingAvailable())
{
    const int size = plain_ ? Size / 2 : Size;
    for (const TRect &piece : ShadowPieceRects(Rect1, Rect2, size, Spare))
        pieces_.push_back(std::make_unique<TShadow>(
            piece, plain_, plain_ ? QImage() : ShadowPieceImage(piece, Rect1, Rect2, size, Opacity)));
}

TShadows::~TShadows() = default;

void TShadows::Show(QWidget *PopupWindow)
{
    for (const auto &piece : pieces_)
        piece->show();
    if (PopupWindow && PopupWindow->isVisible())
        PopupWindow->raise();
}
