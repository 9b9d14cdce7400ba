// Text output of the canvas: TextOut, TextRect, the measurements and DrawText's layout.
#include "Graphics.h"
#include "GraphicsPrivate.h"

#include <QPainter>
#include <algorithm>

using namespace orv::gfx;

namespace {

const QString kEllipsis = QStringLiteral("...");

bool IsCjk(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) || (u >= 0xF900 && u <= 0xFAFF) ||
           (u >= 0xFF00 && u <= 0xFFEF);
}

// Punctuation that must not begin a line.
bool IsClosing(QChar c)
{
    static const QString closing = QStringLiteral("，。、；：？！）」』》〉】〕”’,.;:?!)]}");
    return closing.contains(c);
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

struct Line {
    QString text;
    int underline = -1;  // index into text of the prefixed character, -1 for none
};

// Removes "&" prefixes: "&&" gives "&", "&x" gives x and marks it. A final lone "&" stays.
QString StripPrefixes(const QString &text, std::vector<int> &marks)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                marks.push_back(static_cast<int>(out.size()));
        }
        out.append(text[i]);
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------

TTextMetric TCanvas::GetTextMetrics() const
{
    return TextMetrics().Metrics(state_.font);
}

int TCanvas::TextWidth(const QString &text) const
{
    return TextMetrics().TextWidth(state_.font, text);
}

int TCanvas::TextHeight(const QString &text) const
{
    return TextExtent(text).cy;
}

TSize TCanvas::TextExtent(const QString &text) const
{
    return {TextWidth(text), GetTextMetrics().tmHeight};
}

void TCanvas::DrawTextRun(int x, int y, const QString &text, int underlineAt, const QRect *clip)
{
    if (!target_ || target_->isNull() || text.isEmpty())
        return;
    QRegion region = Drawable();
    if (clip)
        region = region.intersected(*clip);
    if (region.isEmpty())
        return;
    const TTextMetric tm = GetTextMetrics();
    const int width = TextWidth(text);
    QPainter p(target_);
    p.setClipRegion(region);
    p.translate(x, y);
    if (state_.font.Orientation() != 0)
        p.rotate(-state_.font.Orientation() / 10.0);
    if (state_.bkMode == OPAQUE)
        p.fillRect(QRect(0, 0, width, tm.tmHeight), QColor::fromRgb(ColorToQRgb(state_.bkColor)));
    const QColor color = QColor::fromRgb(ColorToQRgb(state_.font.Color()));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(state_.font.ToQFont());
    p.setPen(color);
    p.drawText(QPointF(0, tm.tmAscent), text);
    if (underlineAt >= 0 && underlineAt < text.size()) {
        const int ux = TextWidth(text.left(underlineAt));
        const int len = text.at(underlineAt).isHighSurrogate() ? 2 : 1;
        const int uw = TextWidth(text.mid(underlineAt, len));
        p.fillRect(QRect(ux, tm.tmAscent + 1, uw, 1), color);
    }
}

void TCanvas::TextOut(int x, int y, const QString &text)
{
    TCanvasCall call = Call(TCanvasOp::TextOut);
    call.Points = {{x, y}};
    call.Text = text;
    Record(call);
    const TPoint d = LPtoDP(TPoint{x, y});
    DrawTextRun(d.X, d.Y, text, -1, nullptr);
    state_.penPos = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect &r, int x, int y, const QString &text)
{
    TCanvasCall call = Call(TCanvasOp::TextRect);
    call.Rect = r;
    call.Points = {{x, y}};
    call.Text = text;
    Record(call);
    const TRect dr = LPtoDP(r);
    const QRect clip = dr.IsEmpty() ? QRect() : dr.ToQRect();
    if (clip.isEmpty())
        return;
    if (state_.brush.Style() != TBrushStyle::bsClear) {
        Raster raster(target_, Drawable());
        raster.FillColor(clip, Rgb(state_.bkColor));
    }
    const TPoint d = LPtoDP(TPoint{x, y});
    DrawTextRun(d.X, d.Y, text, -1, &clip);
}

// ---------------------------------------------------------------------------------------------
// DrawText

namespace {

class Layout
{
public:
    Layout(const TCanvas &canvas, unsigned format) : canvas_(canvas), format_(format)
    {
        tabWidth_ = 8 * std::max(1, canvas.GetTextMetrics().tmAveCharWidth);
    }

    int Width(const QString &s) const
    {
        if (!(format_ & DT_EXPANDTABS) || !s.contains(u'\t'))
            return canvas_.TextWidth(s);
        int x = 0;
        const QStringList parts = s.split(u'\t');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            x += canvas_.TextWidth(parts[i]);
            if (i + 1 < parts.size())
                x = (x / tabWidth_ + 1) * tabWidth_;
        }
        return x;
    }

    // Greedy wrapping at blanks and around CJK characters; a word too long for the width
    // stands alone on its line.
    std::vector<std::pair<int, int>> Wrap(const QString &s, int width) const
    {
        std::vector<std::pair<int, int>> lines;  // start, length
        const int n = static_cast<int>(s.size());
        int start = 0;
        if (n == 0) {
            lines.emplace_back(0, 0);
            return lines;
        }
        while (start < n) {
            int best = -1;
            for (int p = start + 1; p <= n; ++p) {
                if (!IsBreak(s, p))
                    continue;
                const int end = TrimEnd(s, start, p);
                if (Width(s.mid(start, end - start)) <= width) {
                    best = p;
                    continue;
                }
                if (best < 0)
                    best = p;
                break;
            }
            if (best < 0)
                best = n;
            const int end = TrimEnd(s, start, best);
            lines.emplace_back(start, end - start);
            start = best;
            while (start < n && IsBlank(s[start]))
                ++start;
        }
        return lines;
    }

    void EndEllipsis(Line &line, int width) const
    {
        if (Width(line.text) <= width)
            return;
        int keep = static_cast<int>(line.text.size());
        while (keep > 0) {
            --keep;
            if (keep > 0 && line.text[keep].isLowSurrogate())
                --keep;
            if (Width(line.text.left(keep) + kEllipsis) <= width)
                break;
        }
        line.text = line.text.left(keep) + kEllipsis;
        if (line.underline >= keep)
            line.underline = -1;
    }

    void PathEllipsis(Line &line, int width) const
    {
        if (Width(line.text) <= width)
            return;
        const int sep = static_cast<int>(std::max(line.text.lastIndexOf(u'\\'), line.text.lastIndexOf(u'/')));
        if (sep < 0) {
            EndEllipsis(line, width);
            return;
        }
        const QString tail = line.text.mid(sep);
        int keep = sep;
        while (keep > 0) {
            --keep;
            if (keep > 0 && line.text[keep].isLowSurrogate())
                --keep;
            if (Width(line.text.left(keep) + kEllipsis + tail) <= width)
                break;
        }
        const int u = line.underline;
        line.text = line.text.left(keep) + kEllipsis + tail;
        if (u >= sep)
            line.underline = u - sep + keep + static_cast<int>(kEllipsis.size());
        else if (u >= keep)
            line.underline = -1;
        // Even the file name alone is too wide: cut its end as well.
        if (Width(line.text) > width)
            EndEllipsis(line, width);
    }

private:
    static bool IsBreak(const QString &s, int p)
    {
        const int n = static_cast<int>(s.size());
        if (p >= n)
            return true;
        const QChar prev = s[p - 1], next = s[p];
        if (IsBlank(next))
            return !IsBlank(prev);
        if (IsBlank(prev))
            return false;  // the break sits before the blanks
        return (IsCjk(prev) || IsCjk(next)) && !IsClosing(next);
    }

    static int TrimEnd(const QString &s, int start, int end)
    {
        while (end > start && IsBlank(s[end - 1]))
            --end;
        return end;
    }

    const TCanvas &canvas_;
    unsigned format_;
    int tabWidth_ = 64;
};

} // namespace

int TCanvas::DrawText(const QString &text, TRect &r, unsigned format)
{
    TCanvasCall call = Call(TCanvasOp::DrawText);
    call.Rect = r;
    call.Text = text;
    call.Flags = format;
    Record(call);

    if (text.isEmpty()) {
        if (format & DT_CALCRECT) {
            r.Right = r.Left;
            r.Bottom = r.Top;
        }
        return 0;
    }
    const TTextMetric tm = GetTextMetrics();
    const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const bool single = format & DT_SINGLELINE;
    const Layout layout(*this, format);

    std::vector<int> marks;
    QString shown = (format & DT_NOPREFIX) ? text : StripPrefixes(text, marks);

    // Paragraphs, each with its offset into the shown text (for the prefix marks).
    std::vector<std::pair<int, QString>> paragraphs;
    if (single) {
        QString flat;
        std::vector<int> shifted;
        size_t m = 0;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            while (m < marks.size() && marks[m] < i)
                ++m;
            if (m < marks.size() && marks[m] == i)
                shifted.push_back(static_cast<int>(flat.size()));
            if (shown[i] != u'\r' && shown[i] != u'\n')
                flat.append(shown[i]);
        }
        shown = flat;
        marks = shifted;
        paragraphs.emplace_back(0, shown);
    } else {
        int start = 0;
        const int n = static_cast<int>(shown.size());
        for (int i = 0; i <= n; ++i) {
            if (i == n || shown[i] == u'\r' || shown[i] == u'\n') {
                paragraphs.emplace_back(start, shown.mid(start, i - start));
                if (i < n && shown[i] == u'\r' && i + 1 < n && shown[i + 1] == u'\n')
                    ++i;
                start = i + 1;
            }
        }
    }

    const int width = r.Width();
    std::vector<Line> lines;
    for (const auto &[offset, para] : paragraphs) {
        std::vector<std::pair<int, int>> pieces;
        if ((format & DT_WORDBREAK) && !single)
            pieces = layout.Wrap(para, width);
        else
            pieces.emplace_back(0, static_cast<int>(para.size()));
        for (const auto &[start, length] : pieces) {
            Line line;
            line.text = para.mid(start, length);
            // One underline per line, the last prefixed character in it.
            for (int mark : marks) {
                const int local = mark - offset - start;
                if (local >= 0 && local < length)
                    line.underline = local;
            }
            if (format & DT_PATH_ELLIPSIS)
                layout.PathEllipsis(line, width);
            else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
                layout.EndEllipsis(line, width);
            lines.push_back(std::move(line));
        }
    }

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line &line : lines)
            widest = std::max(widest, layout.Width(line.text));
        r.Right = r.Left + widest;
        r.Bottom = r.Top + lineHeight * static_cast<int>(lines.size());
        return lineHeight * static_cast<int>(lines.size());
    }

    int y = r.Top;
    if (single && (format & DT_VCENTER))
        y = r.Top + (r.Height() - lineHeight) / 2;
    else if (single && (format & DT_BOTTOM))
        y = r.Bottom - lineHeight;

    const TRect dr = LPtoDP(r);
    const QRect clip = dr.IsEmpty() ? QRect() : dr.ToQRect();
    const QRect *clipPtr = (format & DT_NOCLIP) ? nullptr : &clip;
    const bool drawable = (format & DT_NOCLIP) || !clip.isEmpty();
    for (const Line &line : lines) {
        const int lw = layout.Width(line.text);
        int x = r.Left;
        if (format & DT_CENTER)
            x = (r.Left + r.Right - lw) / 2;
        else if (format & DT_RIGHT)
            x = r.Right - lw;
        if (drawable) {
            const TPoint d = LPtoDP(TPoint{x, y});
            const int underline = (format & DT_HIDEPREFIX) ? -1 : line.underline;
            if (format & DT_PREFIXONLY) {
                if (underline >= 0) {
                    const int ux = d.X + TextWidth(line.text.left(underline));
                    const int uw = TextWidth(line.text.mid(underline, 1));
                    Raster raster(target_, clipPtr ? Drawable().intersected(*clipPtr) : Drawable());
                    raster.FillColor(QRect(ux, d.Y + tm.tmAscent + 1, uw, 1), Rgb(state_.font.Color()));
                }
            } else if ((format & DT_EXPANDTABS) && line.text.contains(u'\t')) {
                // Each tab-separated piece starts at its tab stop.
                const QStringList parts = line.text.split(u'\t');
                int offset = 0, consumed = 0;
                for (qsizetype i = 0; i < parts.size(); ++i) {
                    const int u = (underline >= consumed && underline < consumed + parts[i].size()) ? underline - consumed : -1;
                    DrawTextRun(d.X + offset, d.Y, parts[i], u, clipPtr);
                    consumed += static_cast<int>(parts[i].size()) + 1;
                    if (i + 1 < parts.size())
                        offset = layout.Width(line.text.left(consumed));
                }
            } else {
                DrawTextRun(d.X, d.Y, line.text, underline, clipPtr);
            }
        }
        y += lineHeight;
    }
    return y - r.Top;
}
