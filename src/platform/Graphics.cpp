#include "Graphics.h"
#include "GraphicsPrivate.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace orv::gfx;

// ---------------------------------------------------------------------------------------------
// Pixel helpers

namespace orv::gfx {

std::uint32_t Rop2(TPenMode mode, std::uint32_t pen, std::uint32_t dst)
{
    if (mode == TPenMode::pmCopy)
        return pen;
    const unsigned t = static_cast<unsigned>(mode);
    std::uint32_t r = 0;
    if (t & 8) r |= pen & dst;
    if (t & 4) r |= pen & ~dst;
    if (t & 2) r |= ~pen & dst;
    if (t & 1) r |= ~pen & ~dst;
    return r & 0xFFFFFF;
}

std::uint32_t Rop3(std::uint8_t code, std::uint32_t pat, std::uint32_t src, std::uint32_t dst)
{
    if (code == 0xCC)
        return src;
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((code >> i) & 1))
            continue;
        r |= ((i & 4) ? pat : ~pat) & ((i & 2) ? src : ~src) & ((i & 1) ? dst : ~dst);
    }
    return r & 0xFFFFFF;
}

std::uint32_t Rgb(TColor color)
{
    return ColorToQRgb(color) & 0xFFFFFF;
}

Raster::Raster(QImage *image, const QRegion &drawable)
{
    if (!image || image->isNull())
        return;
    // One detach for the whole call; rows are addressed directly from here on.
    bits_ = image->bits();
    bytesPerLine_ = image->bytesPerLine();
    for (const QRect &r : drawable)
        rects_.push_back(r);
}

bool Raster::Visible(int x, int y) const
{
    for (const QRect &r : rects_)
        if (x >= r.x() && y >= r.y() && x < r.x() + r.width() && y < r.y() + r.height())
            return true;
    return false;
}

namespace {
// Hatch cells, one byte per row, the high bit leftmost.
constexpr std::uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};
} // namespace

BrushSampler::BrushSampler(const TBrush &brush, int bkMode, TColor bkColor, TPoint origin)
    : origin_(origin)
{
    color_ = Rgb(brush.Color());
    bk_ = Rgb(bkColor);
    opaque_ = bkMode == OPAQUE;
    if (brush.HasPattern()) {
        pattern_ = true;
        for (int i = 0; i < 64; ++i)
            cells_[i] = Rgb(brush.Pattern()[static_cast<size_t>(i)]);
    } else if (brush.Style() == TBrushStyle::bsClear) {
        hollow_ = true;
    } else if (brush.Style() == TBrushStyle::bsSolid) {
        solid_ = true;
    } else {
        hatch_ = static_cast<int>(brush.Style()) - static_cast<int>(TBrushStyle::bsHorizontal);
    }
}

bool BrushSampler::Sample(int x, int y, std::uint32_t &rgb) const
{
    if (solid_) {
        rgb = color_;
        return true;
    }
    if (hollow_)
        return false;
    const int px = (x - origin_.X) & 7;
    const int py = (y - origin_.Y) & 7;
    if (pattern_) {
        rgb = cells_[py * 8 + px];
        return true;
    }
    if ((kHatches[hatch_][py] >> (7 - px)) & 1) {
        rgb = color_;
        return true;
    }
    if (opaque_) {
        rgb = bk_;
        return true;
    }
    return false;
}

Spans RoundRectSpans(int l, int t, int r, int b, int ew, int eh)
{
    Spans s;
    s.Top = t;
    if (r < l || b < t)
        return s;
    ew = std::clamp(ew, 0, r - l + 1);
    eh = std::clamp(eh, 0, b - t + 1);
    const double a = (ew - 1) / 2.0;
    const double bb = (eh - 1) / 2.0;
    for (int y = t; y <= b; ++y) {
        double dy = 0;
        if (y < t + bb)
            dy = (t + bb) - y;
        else if (y > b - bb)
            dy = y - (b - bb);
        int inset = 0;
        if (a > 0 && bb > 0 && dy > 0) {
            const double q = std::min(1.0, dy / bb);
            inset = static_cast<int>(std::lround(a - a * std::sqrt(1.0 - q * q)));
        }
        s.Rows.emplace_back(l + inset, r - inset);
    }
    return s;
}

} // namespace orv::gfx

// ---------------------------------------------------------------------------------------------
// Pen, brush, font

void TPen::SetColor(TColor value)
{
    Update(color_, value);
}

void TPen::SetWidth(int value)
{
    value = std::max(value, 0);
    Update(width_, value);
}

void TPen::SetStyle(TPenStyle value)
{
    Update(style_, value);
}

void TPen::SetMode(TPenMode value)
{
    Update(mode_, value);
}

void TPen::Assign(const TPen &source)
{
    color_ = source.color_;
    width_ = source.width_;
    style_ = source.style_;
    mode_ = source.mode_;
    Changed();
}

void TBrush::SetColor(TColor value)
{
    // A new colour ends a pattern, and a hollow brush given a colour turns solid, as the
    // class library does.
    if (value == color_ && !hasPattern_ && style_ != TBrushStyle::bsClear)
        return;
    color_ = value;
    hasPattern_ = false;
    if (style_ == TBrushStyle::bsClear)
        style_ = TBrushStyle::bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
    if (value == style_ && !hasPattern_)
        return;
    style_ = value;
    hasPattern_ = false;
    Changed();
}

void TBrush::SetBitmap(const TBitmap *bitmap)
{
    if (!bitmap || bitmap->Empty()) {
        if (hasPattern_) {
            hasPattern_ = false;
            Changed();
        }
        return;
    }
    std::array<TColor, 64> cells{};
    for (int y = 0; y < 8; ++y) {
        const std::uint32_t *row = bitmap->ScanLine(y % bitmap->Height());
        for (int x = 0; x < 8; ++x)
            cells[static_cast<size_t>(y * 8 + x)] = QRgbToColor(row[x % bitmap->Width()]);
    }
    SetPattern(cells);
}

void TBrush::SetPattern(const std::array<TColor, 64> &pattern)
{
    pattern_ = pattern;
    hasPattern_ = true;
    style_ = TBrushStyle::bsSolid;
    Changed();
}

void TBrush::SetDither(TColor back, TColor fore)
{
    std::array<TColor, 64> cells{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            cells[static_cast<size_t>(y * 8 + x)] = ((x + y) & 1) ? fore : back;
    SetPattern(cells);
}

void TBrush::Assign(const TBrush &source)
{
    color_ = source.color_;
    style_ = source.style_;
    hasPattern_ = source.hasPattern_;
    pattern_ = source.pattern_;
    Changed();
}

QString DefaultFontName()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::font().family();
    return QStringLiteral("Noto Sans CJK SC");
}

TFont::TFont() : name_(DefaultFontName()) {}

void TFont::SetName(const QString &value)
{
    if (!value.isEmpty())
        Update(name_, value);
}

void TFont::SetHeight(int value)
{
    Update(height_, value);
}

int TFont::Size() const
{
    return -MulDiv(height_, 72, PixelsPerInch);
}

void TFont::SetSize(int value)
{
    SetHeight(-MulDiv(value, PixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles value)
{
    Update(style_, value);
}

void TFont::SetColor(TColor value)
{
    Update(color_, value);
}

void TFont::SetOrientation(int value)
{
    value %= 3600;
    if (value < 0)
        value += 3600;
    Update(orientation_, value);
}

void TFont::SetCharset(int value)
{
    Update(charset_, value);
}

void TFont::SetPitch(TFontPitch value)
{
    Update(pitch_, value);
}

void TFont::Assign(const TFont &source)
{
    name_ = source.name_;
    height_ = source.height_;
    style_ = source.style_;
    color_ = source.color_;
    orientation_ = source.orientation_;
    charset_ = source.charset_;
    pitch_ = source.pitch_;
    Changed();
}

bool TFont::SameAs(const TFont &o) const
{
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
           orientation_ == o.orientation_ && charset_ == o.charset_ && pitch_ == o.pitch_;
}

QFont TFont::ToQFont() const
{
    QFont f(name_);
    f.setKerning(false);
    f.setBold(style_.Contains(TFontStyle::fsBold));
    f.setItalic(style_.Contains(TFontStyle::fsItalic));
    f.setUnderline(style_.Contains(TFontStyle::fsUnderline));
    f.setStrikeOut(style_.Contains(TFontStyle::fsStrikeOut));
    if (pitch_ == TFontPitch::fpFixed)
        f.setFixedPitch(true);
    if (height_ < 0) {
        f.setPixelSize(-height_);
    } else if (height_ > 0) {
        // A positive height is the whole cell; scale the character height to fit it.
        f.setPixelSize(height_);
        const int cell = QFontMetrics(f).height();
        if (cell > 0)
            f.setPixelSize(std::max(1, MulDiv(height_, height_, cell)));
    } else {
        f.setPixelSize(12);
    }
    return f;
}

// ---------------------------------------------------------------------------------------------
// Text metrics

namespace {

class QtTextMetrics final : public ITextMetrics
{
public:
    TTextMetric Metrics(const TFont &font) override
    {
        TCached &c = Resolve(font);
        if (!c.textMetric)
            c.textMetric = Measure(*c.qfont, *c.metrics);
        return *c.textMetric;
    }
    static TTextMetric Measure(const QFont &f, const QFontMetrics &fm)
    {
        TTextMetric tm;
        tm.tmHeight = fm.height();
        tm.tmAscent = fm.ascent();
        tm.tmDescent = fm.descent();
        tm.tmInternalLeading = std::max(0, fm.height() - f.pixelSize());
        tm.tmExternalLeading = std::max(0, fm.leading());
        // Windows reports the width of "x" here; a CJK font's own average counts ideographs and
        // comes out twice as wide, which would squeeze every layout that sizes by it.
        tm.tmAveCharWidth = fm.horizontalAdvance(QLatin1Char('x'));
        tm.tmMaxCharWidth = fm.maxWidth();
        return tm;
    }
    int TextWidth(const TFont &font, const QString &text) override
    {
        TCached &c = Resolve(font);
        if (auto it = c.widths.constFind(text); it != c.widths.constEnd())
            return *it;
        if (c.widths.size() >= MaxCachedWidths)
            c.widths.clear();
        const int width = c.metrics->horizontalAdvance(text);
        c.widths.insert(text, width);
        return width;
    }

private:
    static constexpr qsizetype MaxCachedWidths = 4096;
    struct TCached {
        bool valid = false;
        TFont font;
        std::optional<QFont> qfont;
        std::optional<QFontMetrics> metrics;
        std::optional<TTextMetric> textMetric;
        QHash<QString, int> widths;
    };
    // Resolving a font and shaping a text cost far more than looking them up, and layouts
    // measure the same texts in one font again and again: the last font of each thread stays
    // resolved, with the widths measured in it.
    static TCached &Resolve(const TFont &font)
    {
        thread_local TCached c;
        if (!c.valid || !c.font.SameAs(font)) {
            c.font.Assign(font);
            c.qfont.emplace(font.ToQFont());
            c.metrics.emplace(*c.qfont);
            c.textMetric.reset();
            c.widths.clear();
            c.valid = true;
        }
        return c;
    }
};

QtTextMetrics defaultMetrics;
ITextMetrics *installedMetrics = nullptr;

} // namespace

ITextMetrics &TextMetrics()
{
    return installedMetrics ? *installedMetrics : defaultMetrics;
}

void SetTextMetrics(ITextMetrics *source)
{
    installedMetrics = source;
}

// ---------------------------------------------------------------------------------------------
// Masks and recording

TMonoMask::TMonoMask(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      bits_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0)
{
}

TMonoMask TMonoMask::FromRows(std::initializer_list<const char *> rows)
{
    int w = 0;
    for (const char *row : rows)
        w = std::max(w, static_cast<int>(std::strlen(row)));
    TMonoMask m(w, static_cast<int>(rows.size()));
    int y = 0;
    for (const char *row : rows) {
        for (int x = 0; row[x]; ++x)
            if (row[x] == '#' || row[x] == 'X')
                m.SetBit(x, y);
        ++y;
    }
    return m;
}

bool TMonoMask::Bit(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return bits_[static_cast<size_t>(y * width_ + x)] != 0;
}

void TMonoMask::SetBit(int x, int y, bool value)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    bits_[static_cast<size_t>(y * width_ + x)] = value ? 1 : 0;
}

std::vector<const TCanvasCall *> TCanvasRecorder::Of(TCanvasOp op) const
{
    std::vector<const TCanvasCall *> out;
    for (const TCanvasCall &c : Calls)
        if (c.Op == op)
            out.push_back(&c);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Canvas state

namespace {

void EnsureDrawableFormat(QImage &image)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TCanvas::TCanvas()
{
    state_.brush.OnChange = [this] {
        // The background follows the brush, as the class library sets it up.
        if (state_.brush.Style() == TBrushStyle::bsSolid) {
            state_.bkMode = OPAQUE;
            state_.bkColor = state_.brush.Color();
        } else {
            state_.bkMode = TRANSPARENT;
        }
    };
}

TCanvas::TCanvas(QImage &target) : TCanvas()
{
    SetTarget(&target);
}

TCanvas::~TCanvas() = default;

void TCanvas::SetTarget(QImage *target)
{
    target_ = target;
    if (target_)
        EnsureDrawableFormat(*target_);
    saved_.clear();
    state_.penPos = {};
    state_.windowOrg = {};
    state_.viewportOrg = {};
    state_.brushOrg = {};
    state_.hasClip = false;
    state_.clip = QRegion();
}

int TCanvas::SetBkMode(int mode)
{
    const int old = state_.bkMode;
    if (mode == TRANSPARENT || mode == OPAQUE)
        state_.bkMode = mode;
    return old;
}

TColor TCanvas::SetBkColor(TColor color)
{
    const TColor old = state_.bkColor;
    state_.bkColor = color;
    return old;
}

int TCanvas::SaveDC()
{
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int savedDC)
{
    const int count = static_cast<int>(saved_.size());
    if (savedDC < 0)
        savedDC = count + 1 + savedDC;
    if (savedDC < 1 || savedDC > count)
        return false;
    State restored = saved_[static_cast<size_t>(savedDC - 1)];
    saved_.resize(static_cast<size_t>(savedDC - 1));
    // Keep the live objects (and their change handlers); take over their values.
    const auto penChange = state_.pen.OnChange;
    const auto brushChange = state_.brush.OnChange;
    const auto fontChange = state_.font.OnChange;
    state_ = std::move(restored);
    state_.pen.OnChange = penChange;
    state_.brush.OnChange = brushChange;
    state_.font.OnChange = fontChange;
    return true;
}

void TCanvas::SetWindowOrg(int x, int y)
{
    state_.windowOrg = {x, y};
}

void TCanvas::SetViewportOrg(int x, int y)
{
    state_.viewportOrg = {x, y};
}

void TCanvas::MoveWindowOrg(int dx, int dy)
{
    state_.viewportOrg = {state_.viewportOrg.X + dx, state_.viewportOrg.Y + dy};
}

TPoint TCanvas::LPtoDP(const TPoint &p) const
{
    return {p.X - state_.windowOrg.X + state_.viewportOrg.X, p.Y - state_.windowOrg.Y + state_.viewportOrg.Y};
}

TPoint TCanvas::DPtoLP(const TPoint &p) const
{
    return {p.X + state_.windowOrg.X - state_.viewportOrg.X, p.Y + state_.windowOrg.Y - state_.viewportOrg.Y};
}

TRect TCanvas::LPtoDP(const TRect &r) const
{
    const TPoint a = LPtoDP(r.TopLeft());
    return {a.X, a.Y, a.X + r.Width(), a.Y + r.Height()};
}

TRect TCanvas::DPtoLP(const TRect &r) const
{
    const TPoint a = DPtoLP(r.TopLeft());
    return {a.X, a.Y, a.X + r.Width(), a.Y + r.Height()};
}

QRegion TCanvas::ClipRegion() const
{
    if (state_.hasClip)
        return state_.clip;
    return target_ ? QRegion(target_->rect()) : QRegion();
}

void TCanvas::SetClipRect(const TRect &r)
{
    const TRect d = LPtoDP(r);
    state_.clip = d.IsEmpty() ? QRegion() : QRegion(d.ToQRect());
    state_.hasClip = true;
}

void TCanvas::SetClipRegion(const QRegion &deviceRegion)
{
    state_.clip = deviceRegion;
    state_.hasClip = true;
}

void TCanvas::RemoveClip()
{
    state_.clip = QRegion();
    state_.hasClip = false;
}

namespace {
int RegionKind(const QRegion &r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
} // namespace

int TCanvas::IntersectClipRect(const TRect &r)
{
    const TRect d = LPtoDP(r);
    const QRegion rect = d.IsEmpty() ? QRegion() : QRegion(d.ToQRect());
    // Without a clip everything the device holds counts; GDI's device is unbounded here,
    // so a canvas without a target starts from the rectangle itself.
    state_.clip = state_.hasClip ? state_.clip.intersected(rect)
                                 : (target_ ? rect.intersected(target_->rect()) : rect);
    state_.hasClip = true;
    return RegionKind(state_.clip);
}

int TCanvas::ExcludeClipRect(const TRect &r)
{
    const TRect d = LPtoDP(r);
    QRegion base = ClipRegion();
    if (!d.IsEmpty())
        base = base.subtracted(QRegion(d.ToQRect()));
    state_.clip = base;
    state_.hasClip = true;
    return RegionKind(state_.clip);
}

TRect TCanvas::GetClipBox() const
{
    const QRegion r = ClipRegion();
    if (r.isEmpty())
        return {};
    return DPtoLP(TRect::FromQRect(r.boundingRect()));
}

bool TCanvas::RectVisible(const TRect &r) const
{
    const TRect d = LPtoDP(r);
    if (d.IsEmpty())
        return false;
    return ClipRegion().intersects(d.ToQRect());
}

bool TCanvas::PtVisible(int x, int y) const
{
    const TPoint d = LPtoDP(TPoint{x, y});
    return ClipRegion().contains(QPoint(d.X, d.Y));
}

QRegion TCanvas::Drawable() const
{
    if (!target_ || target_->isNull())
        return {};
    const QRegion whole(target_->rect());
    return state_.hasClip ? state_.clip.intersected(whole) : whole;
}

TCanvasCall TCanvas::Call(TCanvasOp op) const
{
    TCanvasCall c;
    c.Op = op;
    c.PenColor = state_.pen.Color();
    c.BrushColor = state_.brush.Color();
    c.BrushStyle = state_.brush.Style();
    c.FontColor = state_.font.Color();
    return c;
}

void TCanvas::Record(const TCanvasCall &call) const
{
    if (recorder_)
        recorder_->Calls.push_back(call);
}

Raster TCanvas::BeginDrawing(const TCanvasCall &call, bool drawsNothing)
{
    Record(call);
    if (drawsNothing)
        return Raster(nullptr, QRegion());
    return Raster(target_, Drawable());
}

// ---------------------------------------------------------------------------------------------
// Areas

namespace {

QRect ToDevice(const TCanvas &c, int l, int t, int r, int b)
{
    const TRect d = c.LPtoDP(TRect{l, t, r, b});
    return d.IsEmpty() ? QRect() : d.ToQRect();
}

TRect Normalized(int x1, int y1, int x2, int y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

} // namespace

void TCanvas::FillRect(const TRect &r)
{
    TCanvasCall call = Call(TCanvasOp::FillRect);
    call.Rect = r;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    const BrushSampler brush(state_.brush, state_.bkMode, state_.bkColor, state_.brushOrg);
    if (raster.Empty() || brush.Hollow())
        return;
    raster.ForEach(ToDevice(*this, r.Left, r.Top, r.Right, r.Bottom), [&](int x, int y) {
        std::uint32_t rgb;
        if (brush.Sample(x, y, rgb))
            raster.Put(x, y, rgb);
    });
}

void TCanvas::FrameRect(const TRect &r)
{
    TCanvasCall call = Call(TCanvasOp::FrameRect);
    call.Rect = r;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    const BrushSampler brush(state_.brush, state_.bkMode, state_.bkColor, state_.brushOrg);
    if (raster.Empty() || brush.Hollow())
        return;
    const QRect d = ToDevice(*this, r.Left, r.Top, r.Right, r.Bottom);
    const int l = d.x(), t = d.y(), rr = d.x() + d.width(), b = d.y() + d.height();
    QRegion frame(d);
    frame = frame.subtracted(QRegion(QRect(l + 1, t + 1, rr - l - 2, b - t - 2)));
    for (const QRect &part : frame)
        raster.ForEach(part, [&](int x, int y) {
            std::uint32_t rgb;
            if (brush.Sample(x, y, rgb))
                raster.Put(x, y, rgb);
        });
}

void TCanvas::FillShape(Raster &raster, const Spans &spans, bool outline)
{
    const BrushSampler brush(state_.brush, state_.bkMode, state_.bkColor, state_.brushOrg);
    const TPenMode mode = state_.pen.Mode();
    const int n = static_cast<int>(spans.Rows.size());
    auto rowAt = [&](int i) { return spans.Rows[static_cast<size_t>(i)]; };
    const std::uint32_t pen = Rgb(state_.pen.Color());
    for (int i = 0; i < n; ++i) {
        const int y = spans.Top + i;
        auto [xl, xr] = rowAt(i);
        if (xl > xr)
            continue;
        int innerL = xl, innerR = xr;
        if (outline) {
            // The outline takes each row's ends, stretched to reach the narrower neighbouring
            // row so the boundary stays closed; the first and last rows are all outline.
            if (i == 0 || i == n - 1) {
                innerL = xr + 1;
                innerR = xr;
            } else {
                const auto up = rowAt(i - 1), down = rowAt(i + 1);
                innerL = std::max(xl + 1, std::max(up.first, down.first));
                innerR = std::min(xr - 1, std::min(up.second, down.second));
            }
            for (int x = xl; x <= xr; ++x) {
                if (x >= innerL && x <= innerR)
                    continue;
                if (raster.Visible(x, y))
                    raster.Put(x, y, Rop2(mode, pen, raster.Get(x, y)));
            }
        }
        if (brush.Hollow())
            continue;
        for (int x = innerL; x <= innerR; ++x) {
            std::uint32_t rgb;
            if (raster.Visible(x, y) && brush.Sample(x, y, rgb))
                raster.Put(x, y, Rop2(mode, rgb, raster.Get(x, y)));
        }
    }
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    TCanvasCall call = Call(TCanvasOp::Rectangle);
    call.Rect = {x1, y1, x2, y2};
    TRect r = Normalized(x1, y1, x2, y2);
    Raster raster = BeginDrawing(call);
    if (raster.Empty())
        return;
    const TPenStyle style = state_.pen.Style();
    const int w = std::max(1, state_.pen.Width());
    const TRect d = LPtoDP(r);
    const BrushSampler brush(state_.brush, state_.bkMode, state_.bkColor, state_.brushOrg);
    const TPenMode mode = state_.pen.Mode();
    auto fillInterior = [&](int l, int t, int rr, int b) {
        if (brush.Hollow() || rr <= l || b <= t)
            return;
        raster.ForEach(QRect(l, t, rr - l, b - t), [&](int x, int y) {
            std::uint32_t rgb;
            if (brush.Sample(x, y, rgb))
                raster.Put(x, y, Rop2(mode, rgb, raster.Get(x, y)));
        });
    };
    if (style == TPenStyle::psClear) {
        // Without a pen the shape is one pixel smaller on the right and bottom.
        fillInterior(d.Left, d.Top, d.Right - 1, d.Bottom - 1);
        return;
    }
    if (d.Width() < 1 || d.Height() < 1)
        return;
    if (w == 1 || style == TPenStyle::psInsideFrame) {
        const int pw = (style == TPenStyle::psInsideFrame) ? std::min({w, d.Width() / 2 + 1, d.Height() / 2 + 1}) : 1;
        if (pw == 1) {
            const TPoint p[4] = {{d.Left, d.Top}, {d.Right - 1, d.Top}, {d.Right - 1, d.Bottom - 1}, {d.Left, d.Bottom - 1}};
            PenPolyline({p[0], p[1], p[2], p[3]}, true);
        } else {
            const std::uint32_t pen = Rgb(state_.pen.Color());
            QRegion band(QRect(d.Left, d.Top, d.Width(), d.Height()));
            band = band.subtracted(QRegion(QRect(d.Left + pw, d.Top + pw, d.Width() - 2 * pw, d.Height() - 2 * pw)));
            for (const QRect &part : band)
                raster.ForEach(part, [&](int x, int y) { raster.Put(x, y, Rop2(mode, pen, raster.Get(x, y))); });
        }
        fillInterior(d.Left + pw, d.Top + pw, d.Right - pw, d.Bottom - pw);
        return;
    }
    // A wide pen straddles the outline.
    const int lo = w / 2, hi = w - w / 2;
    fillInterior(d.Left + hi, d.Top + hi, d.Right - 1 - lo, d.Bottom - 1 - lo);
    const std::uint32_t pen = Rgb(state_.pen.Color());
    QRegion band(QRect(d.Left - lo, d.Top - lo, d.Width() - 1 + w, d.Height() - 1 + w));
    const int iw = d.Width() - 1 - w, ih = d.Height() - 1 - w;
    if (iw > 0 && ih > 0)
        band = band.subtracted(QRegion(QRect(d.Left + hi, d.Top + hi, iw, ih)));
    for (const QRect &part : band)
        raster.ForEach(part, [&](int x, int y) { raster.Put(x, y, Rop2(mode, pen, raster.Get(x, y))); });
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    TCanvasCall call = Call(TCanvasOp::RoundRect);
    call.Rect = {x1, y1, x2, y2};
    call.Points = {{x3, y3}};
    const TRect d = LPtoDP(Normalized(x1, y1, x2, y2));
    Raster raster = BeginDrawing(call);
    if (raster.Empty())
        return;
    const bool pen = state_.pen.Style() != TPenStyle::psClear;
    const int shrink = pen ? 1 : 2;
    FillShape(raster, RoundRectSpans(d.Left, d.Top, d.Right - shrink, d.Bottom - shrink, std::abs(x3), std::abs(y3)), pen);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    TCanvasCall call = Call(TCanvasOp::Ellipse);
    call.Rect = {x1, y1, x2, y2};
    const TRect d = LPtoDP(Normalized(x1, y1, x2, y2));
    Raster raster = BeginDrawing(call);
    if (raster.Empty())
        return;
    const bool pen = state_.pen.Style() != TPenStyle::psClear;
    const int shrink = pen ? 1 : 2;
    FillShape(raster, RoundRectSpans(d.Left, d.Top, d.Right - shrink, d.Bottom - shrink, d.Width(), d.Height()), pen);
}

void TCanvas::Polygon(const std::vector<TPoint> &points)
{
    TCanvasCall call = Call(TCanvasOp::Polygon);
    call.Points = points;
    Record(call);
    if (points.size() < 2)
        return;
    std::vector<TPoint> dev;
    dev.reserve(points.size());
    for (const TPoint &p : points)
        dev.push_back(LPtoDP(p));
    Raster raster(target_, Drawable());
    if (raster.Empty())
        return;
    // Interior: pixels whose centres (the integer points, as for lines) lie inside by the
    // alternate rule, left and top edges included; then the outline on top.
    const BrushSampler brush(state_.brush, state_.bkMode, state_.bkColor, state_.brushOrg);
    if (!brush.Hollow() && dev.size() >= 3) {
        int top = dev[0].Y, bottom = dev[0].Y;
        for (const TPoint &p : dev) {
            top = std::min(top, p.Y);
            bottom = std::max(bottom, p.Y);
        }
        const TPenMode mode = state_.pen.Mode();
        std::vector<double> xs;
        for (int y = top; y < bottom; ++y) {
            xs.clear();
            for (size_t i = 0; i < dev.size(); ++i) {
                const TPoint a = dev[i], b = dev[(i + 1) % dev.size()];
                if ((a.Y <= y) == (b.Y <= y))
                    continue;
                xs.push_back(a.X + double(y - a.Y) * (b.X - a.X) / double(b.Y - a.Y));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                const int x0 = static_cast<int>(std::ceil(xs[i]));
                const int x1 = static_cast<int>(std::ceil(xs[i + 1]));
                for (int x = x0; x < x1; ++x) {
                    std::uint32_t rgb;
                    if (raster.Visible(x, y) && brush.Sample(x, y, rgb))
                        raster.Put(x, y, Rop2(mode, rgb, raster.Get(x, y)));
                }
            }
        }
    }
    if (state_.pen.Style() != TPenStyle::psClear)
        PenPolyline(dev, true);
}

void TCanvas::PatBlt(const TRect &r, std::uint32_t rop)
{
    TCanvasCall call = Call(TCanvasOp::PatBlt);
    call.Rect = r;
    call.Flags = rop;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    if (raster.Empty())
        return;
    const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
    // GDI treats a hollow brush's pattern as black.
    TBrush solid;
    solid.Assign(state_.brush);
    const BrushSampler brush(solid, OPAQUE, state_.bkColor, state_.brushOrg);
    raster.ForEach(ToDevice(*this, r.Left, r.Top, r.Right, r.Bottom), [&](int x, int y) {
        std::uint32_t p = 0;
        if (!brush.Sample(x, y, p))
            p = 0;
        raster.Put(x, y, Rop3(code, p, 0, raster.Get(x, y)));
    });
}

// ---------------------------------------------------------------------------------------------
// Lines

namespace {

// Dash lengths of the cosmetic pen styles: on, off, on, off...
const std::vector<int> &DashPattern(TPenStyle style)
{
    static const std::vector<int> solid;
    static const std::vector<int> dash = {18, 6};
    static const std::vector<int> dot = {3, 3};
    static const std::vector<int> dashDot = {9, 6, 3, 6};
    static const std::vector<int> dashDotDot = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case TPenStyle::psDash: return dash;
    case TPenStyle::psDot: return dot;
    case TPenStyle::psDashDot: return dashDot;
    case TPenStyle::psDashDotDot: return dashDotDot;
    default: return solid;
    }
}

} // namespace

void TCanvas::PenSegment(Raster &raster, TPoint a, TPoint b, int &dashPhase)
{
    const TPenStyle style = state_.pen.Style();
    if (style == TPenStyle::psClear)
        return;
    const int w = std::max(1, state_.pen.Width());
    const std::vector<int> &dashes = w == 1 ? DashPattern(style) : DashPattern(TPenStyle::psSolid);
    int period = 0;
    for (int d : dashes)
        period += d;
    const std::uint32_t pen = Rgb(state_.pen.Color());
    const std::uint32_t bk = Rgb(state_.bkColor);
    const bool opaque = state_.bkMode == OPAQUE;
    const TPenMode mode = state_.pen.Mode();
    auto plot = [&](int x, int y) {
        std::uint32_t rgb = pen;
        if (period) {
            int pos = dashPhase % period, k = 0;
            while (pos >= dashes[static_cast<size_t>(k)]) {
                pos -= dashes[static_cast<size_t>(k)];
                ++k;
            }
            ++dashPhase;
            if (k & 1) {
                if (!opaque)
                    return;
                rgb = bk;
            }
        }
        if (w == 1) {
            raster.Plot(x, y, rgb, mode);
            return;
        }
        const int lo = w / 2;
        for (int yy = y - lo; yy < y - lo + w; ++yy)
            for (int xx = x - lo; xx < x - lo + w; ++xx)
                raster.Plot(xx, yy, rgb, mode);
    };
    // Bresenham over the major axis, leaving out the end point.
    int x = a.X, y = a.Y;
    const int dx = std::abs(b.X - a.X), dy = std::abs(b.Y - a.Y);
    const int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            plot(x, y);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            plot(x, y);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

void TCanvas::PenPolyline(const std::vector<TPoint> &dev, bool closed)
{
    Raster raster(target_, Drawable());
    if (raster.Empty() || dev.size() < 2)
        return;
    int phase = 0;
    for (size_t i = 0; i + 1 < dev.size(); ++i)
        PenSegment(raster, dev[i], dev[i + 1], phase);
    if (closed)
        PenSegment(raster, dev.back(), dev.front(), phase);
}

void TCanvas::MoveTo(int x, int y)
{
    state_.penPos = {x, y};
}

void TCanvas::LineTo(int x, int y)
{
    TCanvasCall call = Call(TCanvasOp::LineTo);
    call.Points = {state_.penPos, {x, y}};
    Record(call);
    PenPolyline({LPtoDP(state_.penPos), LPtoDP(TPoint{x, y})}, false);
    state_.penPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint> &points)
{
    TCanvasCall call = Call(TCanvasOp::Polyline);
    call.Points = points;
    Record(call);
    std::vector<TPoint> dev;
    dev.reserve(points.size());
    for (const TPoint &p : points)
        dev.push_back(LPtoDP(p));
    PenPolyline(dev, false);
}

// ---------------------------------------------------------------------------------------------
// Pixels

TColor TCanvas::Pixel(int x, int y) const
{
    if (!target_ || target_->isNull())
        return clNone;
    const TPoint d = LPtoDP(TPoint{x, y});
    if (!target_->rect().contains(d.X, d.Y))
        return clNone;
    return QRgbToColor(reinterpret_cast<const std::uint32_t *>(target_->constScanLine(d.Y))[d.X]);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    TCanvasCall call = Call(TCanvasOp::SetPixel);
    call.Points = {{x, y}};
    call.Color1 = color;
    Raster raster = BeginDrawing(call);
    const TPoint d = LPtoDP(TPoint{x, y});
    if (raster.Visible(d.X, d.Y))
        raster.Put(d.X, d.Y, Rgb(color));
}

// ---------------------------------------------------------------------------------------------
// Focus rectangles, gradients, masks

void TCanvas::DrawFocusRect(const TRect &r)
{
    TCanvasCall call = Call(TCanvasOp::DrawFocusRect);
    call.Rect = r;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    if (raster.Empty())
        return;
    // A checkerboard inverted into the border: background-colour cells where x + y is even,
    // text-colour cells where it is odd, so drawing it twice takes it away again.
    const std::uint32_t even = Rgb(state_.bkColor), odd = Rgb(state_.font.Color());
    const QRect d = ToDevice(*this, r.Left, r.Top, r.Right, r.Bottom);
    QRegion frame(d);
    if (d.width() > 2 && d.height() > 2)
        frame = frame.subtracted(QRegion(d.adjusted(1, 1, -1, -1)));
    for (const QRect &part : frame)
        raster.ForEach(part, [&](int x, int y) {
            raster.Put(x, y, raster.Get(x, y) ^ (((x + y) & 1) ? odd : even));
        });
}

void TCanvas::GradientFill(const TRect &r, TColor from, TColor to, bool vertical)
{
    TCanvasCall call = Call(TCanvasOp::GradientFill);
    call.Rect = r;
    call.Color1 = from;
    call.Color2 = to;
    call.Flags = vertical ? 1 : 0;
    Raster raster = BeginDrawing(call, r.IsEmpty());
    if (raster.Empty())
        return;
    const TColor a = ColorToRGB(from), b = ColorToRGB(to);
    const QRect d = ToDevice(*this, r.Left, r.Top, r.Right, r.Bottom);
    const int n = vertical ? d.height() : d.width();
    for (int i = 0; i < n; ++i) {
        auto mix = [&](int ca, int cb) { return ca + (cb - ca) * i / n; };
        const std::uint32_t rgb = std::uint32_t(mix(GetRValue(a), GetRValue(b))) << 16 |
                                  std::uint32_t(mix(GetGValue(a), GetGValue(b))) << 8 |
                                  std::uint32_t(mix(GetBValue(a), GetBValue(b)));
        const QRect line = vertical ? QRect(d.x(), d.y() + i, d.width(), 1) : QRect(d.x() + i, d.y(), 1, d.height());
        raster.FillColor(line, rgb);
    }
}

void TCanvas::DrawMask(int x, int y, const TMonoMask &mask)
{
    TCanvasCall call = Call(TCanvasOp::DrawMask);
    call.Rect = Bounds(x, y, mask.Width(), mask.Height());
    Raster raster = BeginDrawing(call);
    TBrush solid;
    solid.Assign(state_.brush);
    const BrushSampler brush(solid, OPAQUE, state_.bkColor, state_.brushOrg);
    if (raster.Empty() || brush.Hollow())
        return;
    const TPoint o = LPtoDP(TPoint{x, y});
    raster.ForEach(QRect(o.X, o.Y, mask.Width(), mask.Height()), [&](int px, int py) {
        std::uint32_t rgb;
        if (mask.Bit(px - o.X, py - o.Y) && brush.Sample(px, py, rgb))
            raster.Put(px, py, rgb);
    });
}
