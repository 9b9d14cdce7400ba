#include "TBXThemeGradients.h"

#include "platform/SysColors.h"

#include <algorithm>

namespace {

void FillBand(TCanvas *canvas, const TRect &band, int r, int g, int b)
{
    canvas->Brush()->SetColor(RGB(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255)));
    canvas->FillRect(band);
}

bool Bound = false;

std::uint32_t LazyGradientFill(TCanvas *DC, TTriVertex *Vertices, std::uint32_t VertexCount, void *Mesh,
                               std::uint32_t MeshCount, std::uint32_t Mode)
{
    EnsureGradientFill();
    return GradientFillProc(DC, Vertices, VertexCount, Mesh, MeshCount, Mode);
}

void LazyRectGradient(TCanvas *DC, const TRect &R, TColor StartColor, TColor EndColor, bool Vertical)
{
    EnsureGradientFill();
    RectGradientProc(DC, R, StartColor, EndColor, Vertical);
}

struct Stop {
    int r, g, b;
};

} // namespace

TGradientFillProc GradientFillProc = LazyGradientFill;
TRectGradientProc RectGradientProc = LazyRectGradient;

void SetTriVertex(TTriVertex &Vertex, int X, int Y, TColor Color)
{
    const std::uint32_t c = std::uint32_t(ColorToRGB(Color));
    Vertex.x = X;
    Vertex.y = Y;
    Vertex.Red = std::uint16_t((c & 0xFF) << 8);
    Vertex.Green = std::uint16_t(c & 0xFF00);
    Vertex.Blue = std::uint16_t((c & 0xFF0000) >> 8);
    Vertex.Alpha = 0;
}

// This platform has no system gradient call, so the own band fill always paints.
void EnsureGradientFill()
{
    if (Bound)
        return;
    GradientFillProc = NoGradientFill;
    RectGradientProc = GradientFillRectFallback;
    Bound = true;
}

std::uint32_t NoGradientFill(TCanvas *, TTriVertex *, std::uint32_t, void *, std::uint32_t, std::uint32_t)
{
    return 0;
}

void GradientFillRectFallback(TCanvas *DC, const TRect &R, TColor C1, TColor C2, bool Vertical)
{
    if (!DC)
        return;
    const TColor a = ColorToRGB(C1), b = ColorToRGB(C2);
    const int r1 = GetRValue(a), g1 = GetGValue(a), b1 = GetBValue(a);
    const int r2 = GetRValue(b), g2 = GetGValue(b), b2 = GetBValue(b);
    const int n = Vertical ? R.Bottom - R.Top : R.Right - R.Left;
    if (n <= 0)
        return;
    TRect band = Vertical ? Rect(R.Left, R.Top, R.Right, R.Top + 1) : Rect(R.Left, R.Top, R.Left + 1, R.Bottom);
    TCanvasStateGuard state(DC);
    for (int i = 1; i <= n; ++i) {
        FillBand(DC, band, r1 + (r2 - r1) * i / n, g1 + (g2 - g1) * i / n, b1 + (b2 - b1) * i / n);
        if (Vertical)
            band.Offset(0, 1);
        else
            band.Offset(1, 0);
    }
}

void GradientFillCanvas(TCanvas *Canvas, const TRect &R, TColor EndColor, TColor StartColor, bool Vertical)
{
    RectGradientProc(Canvas, R, StartColor, EndColor, Vertical);
}

void PaintBevelFace(TCanvas *Canvas, const TRect &R, bool Active, bool Pushed, bool Vertical)
{
    static constexpr Stop Inactive[4] = {{248, 248, 248}, {216, 216, 216}, {240, 240, 240}, {248, 248, 248}};
    static constexpr Stop ActivePushed[4] = {{224, 232, 239}, {112, 160, 208}, {96, 208, 224}, {160, 239, 239}};
    static constexpr Stop ActiveUp[4] = {{240, 248, 255}, {128, 176, 224}, {112, 232, 240}, {176, 255, 255}};
    if (!Canvas)
        return;
    const Stop *stops = !Active ? Inactive : Pushed ? ActivePushed : ActiveUp;
    const int l = Vertical ? R.Bottom - R.Top - 1 : R.Right - R.Left - 1;
    const int t = std::max(l / 3, 1);
    TCanvasStateGuard state(Canvas);
    // A face narrower than three segments stops at its own last line.
    auto paint = [&](int first, int last, const Stop &from, const Stop &to) {
        for (int i = first; i <= std::min(last, l); ++i) {
            const int k = i - first;
            FillBand(Canvas,
                     Vertical ? Rect(R.Left, R.Top + i, R.Right, R.Top + i + 1)
                              : Rect(R.Left + i, R.Top, R.Left + i + 1, R.Bottom),
                     from.r + (to.r - from.r) * k / t, from.g + (to.g - from.g) * k / t,
                     from.b + (to.b - from.b) * k / t);
        }
    };
    paint(0, t, stops[0], stops[1]);
    paint(t, 2 * t, stops[1], stops[2]);
    paint(2 * t, l, stops[2], stops[3]);
}

void PaintBevelFace(TCanvas *Canvas, const TRect &R, bool Active, bool Vertical)
{
    PaintBevelFace(Canvas, R, Active, false, Vertical);
}

void FrameChamferRect(TCanvas *Canvas, const TRect &R, int LeftCut, int RightCut, TColor FrameColor,
                      TColor ShadowColor, TColor CornerColor)
{
    if (!Canvas || R.IsEmpty())
        return;
    TCanvasStateGuard state(Canvas);
    // Cuts larger than the rectangle would reach outside it.
    Canvas->IntersectClipRect(R);
    Canvas->Pen()->SetStyle(TPenStyle::psSolid);
    Canvas->Pen()->SetWidth(1);
    const int l = R.Left, t = R.Top, r = R.Right - 1, b = R.Bottom - 1;
    if (FrameColor != clNone) {
        Canvas->Pen()->SetColor(FrameColor);
        Canvas->Polyline({{l + LeftCut, t}, {r - RightCut, t}, {r, t + RightCut}, {r, b - RightCut},
                          {r - RightCut, b}, {l + LeftCut, b}, {l, b - LeftCut}, {l, t + LeftCut}, {l + LeftCut, t}});
    }
    if (ShadowColor != clNone) {
        Canvas->Pen()->SetColor(ShadowColor);
        Canvas->Polyline({{r, t + RightCut}, {r, b - RightCut}, {r - RightCut, b}, {l + LeftCut - 1, b}});
    }
    if (CornerColor == clNone)
        return;
    Canvas->Pen()->SetColor(CornerColor);
    if (RightCut > 0) {
        const int rr = r + 1;
        Canvas->Polyline({{rr - RightCut, t}, {rr, t + RightCut}});
        Canvas->Polyline({{rr - RightCut, b}, {rr, b - RightCut}});
    }
    if (LeftCut > 0) {
        const int ll = l - 1;
        Canvas->Polyline({{ll + LeftCut, t}, {ll, t + LeftCut}});
        Canvas->Polyline({{ll + LeftCut, b}, {ll, b - LeftCut}});
    }
}
