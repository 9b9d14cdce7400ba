// 3-D edges, focus-free frame controls and their glyphs, drawn pixel by pixel.
#include "Graphics.h"
#include "GraphicsPrivate.h"

#include <algorithm>

using namespace orv::gfx;

namespace {

// Colour of each edge line by edge kind (the low four bits of the edge argument); -1 draws
// nothing. An edge of only an inner kind is drawn where the outer line would be.
constexpr int N = -1, HI = COLOR_BTNHIGHLIGHT, LT = COLOR_3DLIGHT, SH = COLOR_BTNSHADOW,
              DK = COLOR_3DDKSHADOW, FC = COLOR_BTNFACE, WN = COLOR_WINDOW, WF = COLOR_WINDOWFRAME;

constexpr int kLTInner[16] = {N, N, N, N, N, HI, HI, N, N, DK, DK, N, N, N, N, N};
constexpr int kLTOuter[16] = {N, LT, SH, N, HI, LT, SH, N, DK, LT, SH, N, N, LT, SH, N};
constexpr int kRBInner[16] = {N, N, N, N, N, SH, SH, N, N, LT, LT, N, N, N, N, N};
constexpr int kRBOuter[16] = {N, DK, HI, N, SH, DK, HI, N, LT, DK, HI, N, N, DK, HI, N};
constexpr int kLTInnerSoft[16] = {N, N, N, N, N, LT, LT, N, N, SH, SH, N, N, N, N, N};
constexpr int kLTOuterSoft[16] = {N, HI, DK, N, LT, HI, DK, N, SH, HI, DK, N, N, HI, DK, N};
constexpr int kOuterMono[16] = {N, WF, WF, WF, WN, WF, WF, WF, WN, WF, WF, WF, WN, WF, WF, WF};
constexpr int kInnerMono[16] = {N, N, N, N, N, WN, WN, WN, N, WN, WN, WN, N, WN, WN, WN};
constexpr int kOuterFlat[16] = {N, SH, SH, SH, FC, SH, SH, SH, FC, SH, SH, SH, FC, SH, SH, SH};
constexpr int kInnerFlat[16] = {N, N, N, N, N, FC, FC, FC, N, FC, FC, FC, N, FC, FC, FC};

void Line(Raster &raster, int x1, int y1, int x2, int y2, int sysColor)
{
    if (sysColor < 0 || x2 <= x1 || y2 <= y1)
        return;
    raster.FillColor(QRect(x1, y1, x2 - x1, y2 - y1), Rgb(SystemColor(sysColor)));
}

void PaintMask(Raster &raster, const TMonoMask &mask, int x, int y, std::uint32_t rgb)
{
    raster.ForEach(QRect(x, y, mask.Width(), mask.Height()), [&](int px, int py) {
        if (mask.Bit(px - x, py - y))
            raster.Put(px, py, rgb);
    });
}

// A glyph in the button text colour, or embossed (highlight below right, shadow on top)
// when inactive.
void PaintGlyph(Raster &raster, const TMonoMask &mask, int x, int y, bool inactive, TColor color = clBtnText)
{
    if (inactive) {
        PaintMask(raster, mask, x + 1, y + 1, Rgb(clBtnHighlight));
        PaintMask(raster, mask, x, y, Rgb(clBtnShadow));
    } else {
        PaintMask(raster, mask, x, y, Rgb(color));
    }
}

QRect Square(const QRect &r)
{
    const int s = std::min(r.width(), r.height());
    return QRect(r.x() + (r.width() - s) / 2, r.y() + (r.height() - s) / 2, s, s);
}

TMonoMask CloseGlyph(int h)
{
    TMonoMask m(h + 1, h);
    for (int y = 0; y < h; ++y)
        for (int x : {y, y + 1, h - 1 - y, h - y})
            m.SetBit(x, y);
    return m;
}

TMonoMask MinimizeGlyph(int h)
{
    TMonoMask m(std::max(2, h - 1), h);
    for (int y = std::max(0, h - 2); y < h; ++y)
        for (int x = 0; x < m.Width(); ++x)
            m.SetBit(x, y);
    return m;
}

// A window outline with a two-pixel title bar.
void Box(TMonoMask &m, int left, int top, int w, int h)
{
    for (int y = top; y < top + h; ++y)
        for (int x = left; x < left + w; ++x)
            if (x == left || x == left + w - 1 || y <= top + 1 || y == top + h - 1)
                m.SetBit(x, y);
}

TMonoMask MaximizeGlyph(int h)
{
    TMonoMask m(h + 2, h + 1);
    Box(m, 0, 0, h + 2, h + 1);
    return m;
}

// Two windows, the front one hiding part of the one behind.
TMonoMask RestoreGlyph(int h)
{
    const int size = h + 2, offset = std::max(2, size / 3), box = size - offset;
    TMonoMask m(size, size);
    Box(m, offset, 0, box, box);
    for (int y = offset; y < size; ++y)
        for (int x = 0; x < box; ++x)
            m.SetBit(x, y, false);
    Box(m, 0, offset, box, box);
    return m;
}

// A filled triangle: height h, base 2h - 1, pointing in direction 0 up, 1 down, 2 left, 3 right.
TMonoMask Arrow(int h, int direction)
{
    const bool vertical = direction < 2;
    TMonoMask m(vertical ? 2 * h - 1 : h, vertical ? h : 2 * h - 1);
    for (int i = 0; i < h; ++i) {
        const int row = (direction == 0 || direction == 2) ? i : h - 1 - i;
        for (int j = h - 1 - i; j <= h - 1 + i; ++j) {
            if (vertical)
                m.SetBit(j, row);
            else
                m.SetBit(row, j);
        }
    }
    return m;
}

const TMonoMask &CheckGlyph()
{
    static const TMonoMask m = TMonoMask::FromRows({
        "......#",
        ".....##",
        "#...###",
        "##.###.",
        "#####..",
        ".###...",
        "..#....",
    });
    return m;
}

const TMonoMask &BulletGlyph()
{
    static const TMonoMask m = TMonoMask::FromRows({".##.", "####", "####", ".##."});
    return m;
}

// The classic 12x12 radio button: outer ring, inner ring, the white well and the dot.
const TMonoMask &RadioOuter()
{
    static const TMonoMask m = TMonoMask::FromRows({
        "....####....", "..##....##..", ".#........#.", ".#........#.", "#..........#", "#..........#",
        "#..........#", "#..........#", ".#........#.", ".#........#.", "..##....##..", "....####....",
    });
    return m;
}

const TMonoMask &RadioInner()
{
    static const TMonoMask m = TMonoMask::FromRows({
        "............", "....####....", "..##....##..", "..#......#..", ".#........#.", ".#........#.",
        ".#........#.", ".#........#.", "..#......#..", "..##....##..", "....####....", "............",
    });
    return m;
}

const TMonoMask &RadioWell()
{
    static const TMonoMask m = TMonoMask::FromRows({
        "............", "............", "....####....", "...######...", "..########..", "..########..",
        "..########..", "..########..", "...######...", "....####....", "............", "............",
    });
    return m;
}

// Splits a ring into its upper-left and lower-right halves along the anti-diagonal.
TMonoMask Half(const TMonoMask &ring, bool upperLeft)
{
    TMonoMask m(ring.Width(), ring.Height());
    for (int y = 0; y < ring.Height(); ++y)
        for (int x = 0; x < ring.Width(); ++x)
            if (ring.Bit(x, y) && ((x + y <= ring.Width() - 2) == upperLeft))
                m.SetBit(x, y);
    return m;
}

} // namespace

bool TCanvas::DrawEdge(TRect &r, unsigned edge, unsigned flags)
{
    TCanvasCall call = Call(TCanvasOp::DrawEdge);
    call.Rect = r;
    call.Kind = edge;
    call.Flags = flags;
    Record(call);

    const unsigned kind = edge & (BDR_INNER | BDR_OUTER);
    int ltInner, ltOuter, rbInner, rbOuter;
    if (flags & BF_MONO) {
        ltInner = rbInner = kInnerMono[kind];
        ltOuter = rbOuter = kOuterMono[kind];
    } else if (flags & BF_FLAT) {
        ltInner = rbInner = kInnerFlat[kind];
        ltOuter = rbOuter = kOuterFlat[kind];
    } else if (flags & BF_SOFT) {
        ltInner = kLTInnerSoft[kind];
        ltOuter = kLTOuterSoft[kind];
        rbInner = kRBInner[kind];
        rbOuter = kRBOuter[kind];
    } else {
        ltInner = kLTInner[kind];
        ltOuter = kLTOuter[kind];
        rbInner = kRBInner[kind];
        rbOuter = kRBOuter[kind];
    }

    Raster raster(target_, Drawable());
    const TRect d = LPtoDP(r);
    const int l = d.Left, t = d.Top, rr = d.Right, b = d.Bottom;
    const bool left = flags & BF_LEFT, top = flags & BF_TOP, right = flags & BF_RIGHT, bottom = flags & BF_BOTTOM;
    if (!raster.Empty() && !d.IsEmpty()) {
        // Top and left first, so right and bottom own the corners they share.
        if (top)
            Line(raster, l, t, rr, t + 1, ltOuter);
        if (left)
            Line(raster, l, t, l + 1, b, ltOuter);
        if (bottom)
            Line(raster, l, b - 1, rr, b, rbOuter);
        if (right)
            Line(raster, rr - 1, t, rr, b, rbOuter);
        const int il = l + (left ? 1 : 0), ir = rr - (right ? 1 : 0);
        const int it = t + (top ? 1 : 0), ib = b - (bottom ? 1 : 0);
        if (top)
            Line(raster, il, t + 1, ir, t + 2, ltInner);
        if (left)
            Line(raster, l + 1, it, l + 2, ib, ltInner);
        if (bottom)
            Line(raster, il, b - 2, ir, b - 1, rbInner);
        if (right)
            Line(raster, rr - 2, it, rr - 1, ib, rbInner);
    }

    if (flags & (BF_MIDDLE | BF_ADJUST)) {
        const int add = ((kind & BDR_INNER) ? 1 : 0) + ((kind & BDR_OUTER) ? 1 : 0);
        TRect inner = r;
        if (left)
            inner.Left += add;
        if (right)
            inner.Right -= add;
        if (top)
            inner.Top += add;
        if (bottom)
            inner.Bottom -= add;
        if ((flags & BF_MIDDLE) && !raster.Empty() && !inner.IsEmpty())
            raster.FillColor(LPtoDP(inner).ToQRect(), Rgb((flags & BF_MONO) ? clWindow : clBtnFace));
        if (flags & BF_ADJUST)
            r = inner;
    }
    return true;
}

bool TCanvas::DrawFrameControl(TRect &r, unsigned type, unsigned state)
{
    TCanvasCall call = Call(TCanvasOp::DrawFrameControl);
    call.Rect = r;
    call.Kind = type;
    call.Flags = state;
    Record(call);

    const bool inactive = state & DFCS_INACTIVE;
    const bool pushed = state & DFCS_PUSHED;
    const bool checked = state & DFCS_CHECKED;
    const unsigned part = state & 0xFF;
    const TRect d = LPtoDP(r);
    if (d.IsEmpty())
        return false;
    const QRect box = d.ToQRect();

    // Edges go through DrawEdge in logical coordinates; glyphs are painted in device pixels.
    auto edgeOn = [&](const QRect &device, unsigned edge, unsigned flags) {
        TRect lr = DPtoLP(TRect::FromQRect(device));
        TCanvasRecorder *saved = recorder_;
        recorder_ = nullptr;  // one recorded call per frame control
        DrawEdge(lr, edge, flags);
        recorder_ = saved;
        return lr;
    };
    auto flatFlags = [&] { return (state & DFCS_FLAT) ? BF_FLAT : (state & DFCS_MONO) ? BF_MONO : 0u; };

    switch (type) {
    case DFC_BUTTON: {
        if (part & DFCS_BUTTONPUSH) {
            const unsigned edge = (pushed || checked) ? EDGE_SUNKEN : EDGE_RAISED;
            TRect inner = edgeOn(box, edge, BF_RECT | BF_SOFT | BF_ADJUST | flatFlags());
            Raster raster(target_, Drawable());
            const QRect face = LPtoDP(inner).ToQRect();
            if (checked && !pushed) {
                TBrush dither;
                dither.SetDither(clBtnFace, clBtnHighlight);
                const BrushSampler sampler(dither, OPAQUE, clWhite, state_.brushOrg);
                raster.ForEach(face, [&](int x, int y) {
                    std::uint32_t rgb;
                    if (sampler.Sample(x, y, rgb))
                        raster.Put(x, y, rgb);
                });
            } else {
                raster.FillColor(face, Rgb(clBtnFace));
            }
            if (state & DFCS_ADJUSTRECT)
                r = inner;
            return true;
        }
        const QRect sq = Square(box);
        if (part & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
            Raster raster(target_, Drawable());
            const int x = sq.x() + (sq.width() - 12) / 2, y = sq.y() + (sq.height() - 12) / 2;
            if (part & DFCS_BUTTONRADIOMASK) {
                // The shape as a mask: black circle on white.
                raster.FillColor(sq, 0xFFFFFF);
                PaintMask(raster, RadioOuter(), x, y, 0);
                PaintMask(raster, RadioInner(), x, y, 0);
                PaintMask(raster, RadioWell(), x, y, 0);
                return true;
            }
            const std::uint32_t well = Rgb((inactive || pushed) ? clBtnFace : clWindow);
            PaintMask(raster, RadioWell(), x, y, well);
            PaintMask(raster, Half(RadioOuter(), true), x, y, Rgb(clBtnShadow));
            PaintMask(raster, Half(RadioOuter(), false), x, y, Rgb(clBtnHighlight));
            PaintMask(raster, Half(RadioInner(), true), x, y, Rgb(cl3DDkShadow));
            PaintMask(raster, Half(RadioInner(), false), x, y, Rgb(cl3DLight));
            if (checked)
                PaintMask(raster, BulletGlyph(), x + 4, y + 4, Rgb(inactive ? clGrayText : clWindowText));
            return true;
        }
        // Check box (also three-state): sunken well, check mark when checked.
        TRect inner = edgeOn(sq, EDGE_SUNKEN, BF_RECT | BF_ADJUST | flatFlags());
        Raster raster(target_, Drawable());
        const QRect well = LPtoDP(inner).ToQRect();
        const bool grey = (part & DFCS_BUTTON3STATE) && checked;
        if (grey) {
            TBrush dither;
            dither.SetDither(clBtnFace, clBtnHighlight);
            const BrushSampler sampler(dither, OPAQUE, clWhite, state_.brushOrg);
            raster.ForEach(well, [&](int x, int y) {
                std::uint32_t rgb;
                if (sampler.Sample(x, y, rgb))
                    raster.Put(x, y, rgb);
            });
        } else {
            raster.FillColor(well, Rgb((inactive || pushed) ? clBtnFace : clWindow));
        }
        if (checked) {
            const TMonoMask &g = CheckGlyph();
            PaintMask(raster, g, well.x() + (well.width() - g.Width()) / 2, well.y() + (well.height() - g.Height()) / 2,
                      Rgb((inactive || grey) ? clBtnShadow : clWindowText));
        }
        return true;
    }
    case DFC_CAPTION: {
        if (part > DFCS_CAPTIONRESTORE)
            return false;
        TRect inner = edgeOn(box, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST | flatFlags());
        Raster raster(target_, Drawable());
        raster.FillColor(LPtoDP(inner).ToQRect(), Rgb(clBtnFace));
        const int h = std::max(3, std::min(box.width(), box.height()) / 2);
        TMonoMask g;
        switch (part) {
        case DFCS_CAPTIONCLOSE: g = CloseGlyph(h); break;
        case DFCS_CAPTIONMIN: g = MinimizeGlyph(h); break;
        case DFCS_CAPTIONMAX: g = MaximizeGlyph(h); break;
        default: g = RestoreGlyph(h); break;
        }
        const int shift = pushed ? 1 : 0;
        PaintGlyph(raster, g, box.x() + (box.width() - g.Width()) / 2 + shift,
                   box.y() + (box.height() - g.Height()) / 2 + shift, inactive);
        return true;
    }
    case DFC_SCROLL: {
        const QRect sq = Square(box);
        Raster raster(target_, Drawable());
        if (part == DFCS_SCROLLSIZEGRIP || part == DFCS_SCROLLSIZEGRIPRIGHT) {
            if (!(state & DFCS_TRANSPARENT))
                raster.FillColor(box, Rgb(clBtnFace));
            // Diagonal ridges from the lower corner: highlight, shadow, shadow, gap. The
            // right-to-left variant sits in the lower-left corner.
            const int s = sq.width();
            const bool leftCorner = part == DFCS_SCROLLSIZEGRIPRIGHT;
            raster.ForEach(sq, [&](int x, int y) {
                const int dx = leftCorner ? x - sq.x() : sq.x() + s - 1 - x;
                const int t = dx + (sq.y() + s - 1 - y);
                if (t >= s - 1 || t == 0)
                    return;
                const int phase = t % 4;
                if (phase == 1)
                    raster.Put(x, y, Rgb(clBtnHighlight));
                else if (phase == 2 || phase == 3)
                    raster.Put(x, y, Rgb(clBtnShadow));
            });
            return true;
        }
        int direction;
        switch (part) {
        case DFCS_SCROLLUP: direction = 0; break;
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX: direction = 1; break;
        case DFCS_SCROLLLEFT: direction = 2; break;
        case DFCS_SCROLLRIGHT: direction = 3; break;
        default: return false;
        }
        TRect inner = pushed ? edgeOn(box, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_FLAT)
                             : edgeOn(box, EDGE_RAISED, BF_RECT | BF_ADJUST | flatFlags());
        raster.FillColor(LPtoDP(inner).ToQRect(), Rgb(clBtnFace));
        const TMonoMask g = Arrow(std::max(1, (sq.width() - 4) / 3), direction);
        const int shift = pushed ? 1 : 0;
        PaintGlyph(raster, g, box.x() + (box.width() - g.Width()) / 2 + shift,
                   box.y() + (box.height() - g.Height()) / 2 + shift, inactive);
        return true;
    }
    case DFC_MENU: {
        // Menu glyphs come as masks: black on white.
        Raster raster(target_, Drawable());
        raster.FillColor(box, 0xFFFFFF);
        TMonoMask g;
        if (part == DFCS_MENUARROW || part == DFCS_MENUARROWRIGHT)
            g = Arrow(std::max(2, std::min(box.width(), box.height()) / 4), part == DFCS_MENUARROW ? 3 : 2);
        else if (part == DFCS_MENUCHECK)
            g = CheckGlyph();
        else if (part == DFCS_MENUBULLET)
            g = BulletGlyph();
        else
            return false;
        PaintMask(raster, g, box.x() + (box.width() - g.Width()) / 2, box.y() + (box.height() - g.Height()) / 2, 0);
        return true;
    }
    default:
        return false;
    }
}
