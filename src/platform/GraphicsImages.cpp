// Images on the canvas (copies, stretches, raster operations, alpha) and TBitmap.
#include "Graphics.h"
#include "GraphicsPrivate.h"

#include <algorithm>
#include <cstring>

using namespace orv::gfx;

namespace {

// 32-bit view of any image, without copying when it already is one.
QImage As32(const QImage &image)
{
    const auto f = image.format();
    if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

std::uint32_t SourcePixel(const QImage &src, int x, int y)
{
    return reinterpret_cast<const std::uint32_t *>(src.constScanLine(y))[x];
}

std::uint32_t Blend(std::uint32_t s, std::uint32_t d, int constantAlpha, bool sourceAlpha)
{
    auto ch = [](std::uint32_t v, int shift) { return int((v >> shift) & 0xFF); };
    std::uint32_t out = 0;
    if (sourceAlpha) {
        // Premultiplied source over destination, the whole source scaled by the constant.
        const int sa = (ch(s, 24) * constantAlpha + 127) / 255;
        for (int shift : {0, 8, 16}) {
            const int sc = (ch(s, shift) * constantAlpha + 127) / 255;
            const int v = std::min(255, sc + (ch(d, shift) * (255 - sa) + 127) / 255);
            out |= std::uint32_t(v) << shift;
        }
    } else {
        for (int shift : {0, 8, 16}) {
            const int v = (ch(s, shift) * constantAlpha + ch(d, shift) * (255 - constantAlpha) + 127) / 255;
            out |= std::uint32_t(v) << shift;
        }
    }
    return out;
}

} // namespace

void TCanvas::Draw(int x, int y, const TBitmap *bitmap)
{
    if (!bitmap || bitmap->Empty())
        return;
    TCanvasCall call = Call(TCanvasOp::Draw);
    call.Rect = Bounds(x, y, bitmap->Width(), bitmap->Height());
    Raster raster = BeginDrawing(call);
    if (raster.Empty())
        return;
    const QImage &src = bitmap->Image();
    const TPoint o = LPtoDP(TPoint{x, y});
    const bool transparent = bitmap->Transparent();
    const std::uint32_t key = Rgb(bitmap->TransparentColor());
    const std::uint8_t code = static_cast<std::uint8_t>(state_.copyMode >> 16);
    const TRect pr = Bounds(o.X, o.Y, bitmap->Width(), bitmap->Height());
    TBrush solid;
    solid.Assign(state_.brush);
    const BrushSampler brush(solid, OPAQUE, state_.bkColor, state_.brushOrg);
    raster.ForEach(pr.ToQRect(), [&](int px, int py) {
        const std::uint32_t s = SourcePixel(src, px - o.X, py - o.Y) & 0xFFFFFF;
        if (transparent) {
            if (s != key)
                raster.Put(px, py, s);
            return;
        }
        std::uint32_t p = 0;
        brush.Sample(px, py, p);
        raster.Put(px, py, Rop3(code, p, s, raster.Get(px, py)));
    });
}

void TCanvas::Draw(int x, int y, const QImage &image)
{
    if (image.isNull())
        return;
    TCanvasCall call = Call(TCanvasOp::Draw);
    call.Rect = Bounds(x, y, image.width(), image.height());
    Raster raster = BeginDrawing(call);
    if (raster.Empty())
        return;
    const QImage src = As32(image);
    const bool alpha = image.hasAlphaChannel();
    const TPoint o = LPtoDP(TPoint{x, y});
    raster.ForEach(QRect(o.X, o.Y, src.width(), src.height()), [&](int px, int py) {
        const std::uint32_t s = SourcePixel(src, px - o.X, py - o.Y);
        raster.Put(px, py, alpha ? Blend(s, raster.Get(px, py), 255, true) : (s & 0xFFFFFF));
    });
}

void TCanvas::StretchDraw(const TRect &r, const TBitmap *bitmap)
{
    if (!bitmap || bitmap->Empty())
        return;
    if (bitmap->Width() == r.Width() && bitmap->Height() == r.Height()) {
        Draw(r.Left, r.Top, bitmap);
        return;
    }
    TCanvasCall call = Call(TCanvasOp::StretchDraw);
    call.Rect = r;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    if (raster.Empty())
        return;
    const QImage &src = bitmap->Image();
    const TRect d = LPtoDP(r);
    const bool transparent = bitmap->Transparent();
    const std::uint32_t key = Rgb(bitmap->TransparentColor());
    raster.ForEach(d.ToQRect(), [&](int px, int py) {
        const int sx = (px - d.Left) * src.width() / d.Width();
        const int sy = (py - d.Top) * src.height() / d.Height();
        const std::uint32_t s = SourcePixel(src, sx, sy) & 0xFFFFFF;
        if (!transparent || s != key)
            raster.Put(px, py, s);
    });
}

void TCanvas::StretchDraw(const TRect &r, const QImage &image)
{
    if (image.isNull())
        return;
    TCanvasCall call = Call(TCanvasOp::StretchDraw);
    call.Rect = r;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    if (raster.Empty())
        return;
    const QImage src = As32(image);
    const bool alpha = image.hasAlphaChannel();
    const TRect d = LPtoDP(r);
    raster.ForEach(d.ToQRect(), [&](int px, int py) {
        const int sx = (px - d.Left) * src.width() / d.Width();
        const int sy = (py - d.Top) * src.height() / d.Height();
        const std::uint32_t s = SourcePixel(src, sx, sy);
        raster.Put(px, py, alpha ? Blend(s, raster.Get(px, py), 255, true) : (s & 0xFFFFFF));
    });
}

void TCanvas::BitBlt(int x, int y, int width, int height, const QImage &source, int sx, int sy,
                     std::uint32_t rop)
{
    TCanvasCall call = Call(TCanvasOp::BitBlt);
    call.Rect = Bounds(x, y, width, height);
    call.Points = {{sx, sy}};
    call.Flags = rop;
    Raster raster = BeginDrawing(call, width <= 0 || height <= 0);
    if (raster.Empty())
        return;
    // The source may be our own target; read from a snapshot.
    const QImage src = As32(source).copy(sx, sy, width, height);
    const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
    TBrush solid;
    solid.Assign(state_.brush);
    const BrushSampler brush(solid, OPAQUE, state_.bkColor, state_.brushOrg);
    const TPoint o = LPtoDP(TPoint{x, y});
    const QRect srcArea = QRect(sx, sy, width, height).intersected(source.rect()).translated(-sx, -sy);
    raster.ForEach(QRect(o.X, o.Y, width, height), [&](int px, int py) {
        const int ix = px - o.X, iy = py - o.Y;
        // Pixels beyond the source read as black, as from a device with nothing there.
        const std::uint32_t s = srcArea.contains(ix, iy) ? SourcePixel(src, ix, iy) & 0xFFFFFF : 0;
        std::uint32_t p = 0;
        brush.Sample(px, py, p);
        raster.Put(px, py, Rop3(code, p, s, raster.Get(px, py)));
    });
}

void TCanvas::CopyRect(const TRect &dest, const TCanvas *source, const TRect &sourceRect)
{
    TCanvasCall call = Call(TCanvasOp::CopyRect);
    call.Rect = dest;
    call.Points = {sourceRect.TopLeft(), sourceRect.BottomRight()};
    call.Flags = state_.copyMode;
    const bool drawsNothing = !source || !source->target_ || dest.IsEmpty() || sourceRect.IsEmpty();
    Raster raster = BeginDrawing(call, drawsNothing);
    if (raster.Empty())
        return;
    const TRect s = source->LPtoDP(sourceRect);
    const QImage src = As32(*source->target_).copy(s.ToQRect());
    const QRect srcArea = QRect(s.Left, s.Top, s.Width(), s.Height()).intersected(source->target_->rect())
                              .translated(-s.Left, -s.Top);
    const TRect d = LPtoDP(dest);
    const std::uint8_t code = static_cast<std::uint8_t>(state_.copyMode >> 16);
    TBrush solid;
    solid.Assign(state_.brush);
    const BrushSampler brush(solid, OPAQUE, state_.bkColor, state_.brushOrg);
    raster.ForEach(d.ToQRect(), [&](int px, int py) {
        const int ix = (px - d.Left) * s.Width() / d.Width();
        const int iy = (py - d.Top) * s.Height() / d.Height();
        const std::uint32_t sv = srcArea.contains(ix, iy) ? SourcePixel(src, ix, iy) & 0xFFFFFF : 0;
        std::uint32_t p = 0;
        brush.Sample(px, py, p);
        raster.Put(px, py, Rop3(code, p, sv, raster.Get(px, py)));
    });
}

void TCanvas::AlphaBlend(const TRect &dest, const QImage &source, const TRect &sourceRect,
                         int constantAlpha, bool sourceAlpha)
{
    TCanvasCall call = Call(TCanvasOp::AlphaBlend);
    call.Rect = dest;
    call.Points = {sourceRect.TopLeft(), sourceRect.BottomRight()};
    call.Flags = static_cast<unsigned>(constantAlpha);
    Record(call);
    if (dest.IsEmpty() || sourceRect.IsEmpty() || source.isNull())
        return;
    // Like the system call, a source rectangle outside the image draws nothing.
    if (sourceRect.Left < 0 || sourceRect.Top < 0 || sourceRect.Right > source.width() ||
        sourceRect.Bottom > source.height())
        return;
    Raster raster(target_, Drawable());
    if (raster.Empty())
        return;
    constantAlpha = std::clamp(constantAlpha, 0, 255);
    // Read the raw words: a TBitmap keeps its alpha in the top byte of RGB32 pixels.
    const QImage src = (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32_Premultiplied)
                           ? source
                           : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const TRect d = LPtoDP(dest);
    raster.ForEach(d.ToQRect(), [&](int px, int py) {
        const int sx = sourceRect.Left + (px - d.Left) * sourceRect.Width() / d.Width();
        const int sy = sourceRect.Top + (py - d.Top) * sourceRect.Height() / d.Height();
        raster.Put(px, py, Blend(SourcePixel(src, sx, sy), raster.Get(px, py), constantAlpha, sourceAlpha));
    });
}

// ---------------------------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>())
{
    canvas_->SetTarget(&image_);
}

TBitmap::TBitmap(int width, int height) : TBitmap()
{
    SetSize(width, height);
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height() && !image_.isNull())
        return;
    QImage next;
    if (width > 0 && height > 0) {
        next = QImage(width, height, QImage::Format_RGB32);
        next.fill(0xFF000000u);
        const int cw = std::min(width, Width()), chh = std::min(height, Height());
        for (int y = 0; y < chh; ++y)
            std::memcpy(next.scanLine(y), image_.constScanLine(y), static_cast<size_t>(cw) * 4);
    }
    image_ = std::move(next);
    // The canvas keeps pen, brush and font but drops clip and origins of the old size.
    canvas_->SetTarget(&image_);
}

std::uint32_t *TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= Height())
        throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    return reinterpret_cast<std::uint32_t *>(image_.scanLine(y));
}

const std::uint32_t *TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= Height())
        throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    return reinterpret_cast<const std::uint32_t *>(image_.constScanLine(y));
}

void TBitmap::Assign(const TBitmap &source)
{
    if (&source == this)
        return;
    image_ = source.image_.copy();
    transparent_ = source.transparent_;
    transparentMode_ = source.transparentMode_;
    transparentColor_ = source.transparentColor_;
    canvas_->SetTarget(&image_);
}

void TBitmap::LoadFromImage(const QImage &image)
{
    if (image.isNull()) {
        SetSize(0, 0);
        return;
    }
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage next(premultiplied.width(), premultiplied.height(), QImage::Format_RGB32);
    for (int y = 0; y < next.height(); ++y)
        std::memcpy(next.scanLine(y), premultiplied.constScanLine(y), static_cast<size_t>(next.width()) * 4);
    image_ = std::move(next);
    canvas_->SetTarget(&image_);
}

bool TBitmap::LoadFromFile(const QString &fileName)
{
    QImage image;
    if (!image.load(fileName))
        return false;
    LoadFromImage(image);
    return true;
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == TTransparentMode::tmFixed && transparentColor_ != clDefault)
        return transparentColor_;
    if (Empty())
        return clDefault;
    return QRgbToColor(ScanLine(Height() - 1)[0]);
}

void TBitmap::SetTransparentColor(TColor value)
{
    transparentColor_ = value;
    transparentMode_ = value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
}
