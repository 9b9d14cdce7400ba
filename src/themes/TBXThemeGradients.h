#pragma once
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <cstdint>

// Gradients, bevel faces and chamfered outlines for the themes that paint with them.

// The system's gradient vertex: 16-bit channels, each an 8-bit value shifted left by 8.
struct TTriVertex {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    std::uint16_t Alpha = 0;
};

struct TGradientRect {
    std::uint32_t UpperLeft = 0;
    std::uint32_t LowerRight = 0;
};

void SetTriVertex(TTriVertex &Vertex, int X, int Y, TColor Color);

using TGradientFillProc = std::uint32_t (*)(TCanvas *DC, TTriVertex *Vertices, std::uint32_t VertexCount,
                                            void *Mesh, std::uint32_t MeshCount, std::uint32_t Mode);
using TRectGradientProc = void (*)(TCanvas *DC, const TRect &R, TColor StartColor, TColor EndColor,
                                   bool Vertical);

// Bound on first use: the system gradient when there is one, else NoGradientFill and the own
// band fill.
extern TGradientFillProc GradientFillProc;
extern TRectGradientProc RectGradientProc;
void EnsureGradientFill();
std::uint32_t NoGradientFill(TCanvas *DC, TTriVertex *Vertices, std::uint32_t VertexCount, void *Mesh,
                             std::uint32_t MeshCount, std::uint32_t Mode);

// Band i of n (1-based) gets C1 + (C2 - C1) * i div n per channel, so the last band is C2.
void GradientFillRectFallback(TCanvas *DC, const TRect &R, TColor C1, TColor C2, bool Vertical);
// Note the order: the colour of the bottom (or right) end comes first.
void GradientFillCanvas(TCanvas *Canvas, const TRect &R, TColor EndColor, TColor StartColor, bool Vertical);

// A three-segment colour ramp over rows (Vertical) or columns, grey when not Active.
void PaintBevelFace(TCanvas *Canvas, const TRect &R, bool Active, bool Pushed, bool Vertical);
void PaintBevelFace(TCanvas *Canvas, const TRect &R, bool Active, bool Vertical);

// An outline with its left and right corners cut by LeftCut and RightCut pixels; ShadowColor
// (unless clNone) redraws the right and bottom edges, CornerColor softens the cuts outside.
void FrameChamferRect(TCanvas *Canvas, const TRect &R, int LeftCut, int RightCut, TColor FrameColor,
                      TColor ShadowColor, TColor CornerColor);
