#include "TB2Common.h"

#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/SysParams.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// Length in UTF-16 units of the character starting at i.
qsizetype CharLength(const QString &s, qsizetype i)
{
    return (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Text

QString StripAccelChars(const QString &S)
{
    QString out;
    out.reserve(S.size());
    for (qsizetype i = 0; i < S.size();) {
        if (S[i] == u'&') {
            ++i;
            if (i >= S.size())
                break;
        }
        const qsizetype n = CharLength(S, i);
        out.append(S.mid(i, n));
        i += n;
    }
    return out;
}

QString EscapeAmpersands(const QString &S)
{
    QString out = S;
    out.replace(u'&', QStringLiteral("&&"));
    return out;
}

QString StripTrailingPunctuation(const QString &S)
{
    if (S.endsWith(u':'))
        return S.left(S.size() - 1);
    if (S.endsWith(QStringLiteral("...")))
        return S.left(S.size() - 3);
    return S;
}

char32_t FindAccelChar(const QString &S)
{
    char32_t found = 0;
    for (qsizetype i = 0; i < S.size();) {
        if (S[i] == u'&' && i + 1 < S.size()) {
            if (S[i + 1] == u'&') {
                i += 2;
                continue;
            }
            ++i;
            const qsizetype n = CharLength(S, i);
            found = n == 2 ? QChar::surrogateToUcs4(S[i], S[i + 1]) : S[i].unicode();
            i += n;
            continue;
        }
        i += CharLength(S, i);
    }
    return found;
}

bool IsAccelChar(const QString &S, char32_t Typed)
{
    const char32_t accel = FindAccelChar(S);
    return accel != 0 && QString::fromUcs4(&accel, 1).toCaseFolded() == QString::fromUcs4(&Typed, 1).toCaseFolded();
}

int GetTextHeight(const TCanvas &DC)
{
    return DC.GetTextMetrics().tmHeight;
}

int GetTextWidth(const TCanvas &DC, const QString &S, bool Prefix)
{
    return DC.TextWidth(Prefix ? StripAccelChars(S) : S);
}

// ---------------------------------------------------------------------------------------------
// Numbers

int DivRoundUp(int Dividend, int Divisor)
{
    if (Divisor == 0)
        throw Exception(QStringLiteral("Division by zero"));
    int q = Dividend / Divisor;
    if (Dividend % Divisor != 0)
        q += ((Dividend < 0) == (Divisor < 0)) ? 1 : -1;
    return q;
}

// ---------------------------------------------------------------------------------------------
// Application, monitors, settings

bool IsApplicationActive()
{
    return QApplication::activeWindow() != nullptr;
}

bool IsWindowsXPOrLater()
{
    return true;
}

TRect GetRectOfPrimaryMonitor(bool WorkArea)
{
    return PrimaryMonitorRect(WorkArea);
}

bool UsingMultipleMonitors()
{
    return GetSystemMetrics(SM_CMONITORS) > 1;
}

TRect GetRectOfMonitorContainingRect(const TRect &R, bool WorkArea)
{
    return UsingMultipleMonitors() ? MonitorRectFromRect(R, WorkArea) : GetRectOfPrimaryMonitor(WorkArea);
}

TRect GetRectOfMonitorContainingPoint(const TPoint &P, bool WorkArea)
{
    return UsingMultipleMonitors() ? MonitorRectFromPoint(P, WorkArea) : GetRectOfPrimaryMonitor(WorkArea);
}

bool AreFlatMenusEnabled()
{
    return SysParams().FlatMenus;
}

bool AreKeyboardCuesEnabled()
{
    return SysParams().KeyboardCues;
}

int GetInputLocaleCodePage()
{
    return 65001;
}

bool CallTrackMouseEvent(QWidget *, unsigned)
{
    return true;
}

namespace {
TNotifyWinEventProc &NotifyWinEventProc()
{
    static TNotifyWinEventProc proc;
    return proc;
}
} // namespace

void CallNotifyWinEvent(unsigned Event, QWidget *Wnd, int ObjectID, int ChildID)
{
    if (const auto &proc = NotifyWinEventProc())
        proc(Event, Wnd, ObjectID, ChildID);
}

void SetNotifyWinEventProc(TNotifyWinEventProc Proc)
{
    NotifyWinEventProc() = std::move(Proc);
}

// ---------------------------------------------------------------------------------------------
// Messages

void ProcessPaintMessages()
{
    // A window's pending repaint waits for its update request; answering it now paints what is
    // invalid and nothing else.
    for (QWindow *w : QGuiApplication::topLevelWindows()) {
        if (!w->isExposed())
            continue;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(w, &request);
    }
}

void RemoveMessages(UINT First, UINT Last)
{
    auto overlaps = [&](UINT lo, UINT hi) { return First <= hi && lo <= Last; };
    if (overlaps(WM_MOUSEFIRST, WM_MOUSELAST)) {
        for (QEvent::Type t : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                               QEvent::MouseButtonDblClick, QEvent::Wheel})
            QCoreApplication::removePostedEvents(nullptr, t);
    }
    if (overlaps(WM_KEYFIRST, WM_KEYLAST)) {
        for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease, QEvent::ShortcutOverride})
            QCoreApplication::removePostedEvents(nullptr, t);
    }
}

// ---------------------------------------------------------------------------------------------
// Printing

namespace {

TCanvas *CanvasOf(const TMessage &m)
{
    return reinterpret_cast<TCanvas *>(m.WParam);
}

// Screen position of the window's top-left corner (its frame included).
QPoint WindowOrigin(const QWidget *w)
{
    return w->mapToGlobal(QPoint(0, 0));
}

void PrintInto(QWidget *w, TCanvas &dc, const QPoint &at, LPARAM flags)
{
    TCanvasStateGuard guard(dc);
    dc.MoveWindowOrg(at.x(), at.y());
    dc.IntersectClipRect(Rect(0, 0, w->width(), w->height()));
    if (auto *c = dynamic_cast<TControl *>(w)) {
        c->Perform(WM_PRINT, WPARAM(&dc), flags);
    } else if (w->width() > 0 && w->height() > 0) {
        QImage image(w->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        w->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
        dc.Draw(0, 0, image);
    }
}

} // namespace

void HandleWMPrint(TControl *Wnd, TMessage &Message, const TNCPaintFunc &NCPaintFunc)
{
    Message.Result = 1;
    TCanvas *dc = CanvasOf(Message);
    const LPARAM flags = Message.LParam;
    if (!dc || ((flags & PRF_CHECKVISIBLE) && !Wnd->isVisible()))
        return;
    TCanvasStateGuard guard(*dc);
    const TRect m = Wnd->NCMargins();
    if ((flags & PRF_NONCLIENT) && NCPaintFunc) {
        TCanvasStateGuard frame(*dc);
        NCPaintFunc(Wnd, *dc);
    }
    {
        TCanvasStateGuard client(*dc);
        dc->MoveWindowOrg(m.Left, m.Top);
        dc->IntersectClipRect(Wnd->ClientRect());
        if (flags & PRF_CLIENT) {
            if (flags & PRF_ERASEBKGND) {
                TCanvasStateGuard erase(*dc);
                Wnd->Perform(WM_ERASEBKGND, WPARAM(dc));
            }
            TCanvasStateGuard print(*dc);
            Wnd->Perform(WM_PRINTCLIENT, WPARAM(dc), flags);
        }
    }
    if (flags & PRF_CHILDREN) {
        for (QObject *o : Wnd->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (w && !w->isWindow() && !w->isHidden())
                PrintInto(w, *dc, w->pos(), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
        }
    }
    if (flags & PRF_OWNED) {
        const QPoint origin = WindowOrigin(Wnd);
        for (int i = 0; i < Wnd->ComponentCount(); ++i) {
            auto *c = dynamic_cast<TControl *>(Wnd->Components(i));
            if (c && c->isWindow() && c->isVisible())
                PrintInto(c, *dc, WindowOrigin(c) - origin, flags);
        }
    }
}

void HandleWMPrintClient(TControl *Wnd, TMessage &Message)
{
    if (TCanvas *dc = CanvasOf(Message)) {
        TCanvasStateGuard guard(*dc);
        Wnd->Perform(WM_PAINT, WPARAM(dc));
    }
}

bool TBHandlePrintMessage(TControl *Wnd, TMessage &Message)
{
    if (Message.Msg == WM_PRINT) {
        HandleWMPrint(Wnd, Message, [](TControl *W, TCanvas &DC) { W->Perform(WM_NCPAINT, WPARAM(&DC)); });
        return true;
    }
    if (Message.Msg == WM_PRINTCLIENT) {
        HandleWMPrintClient(Wnd, Message);
        return true;
    }
    return false;
}

void SelectNCUpdateRgn(TControl *Wnd, TCanvas &DC, const QRegion *Rgn)
{
    const QRect whole(0, 0, Wnd->width(), Wnd->height());
    QRegion clip(whole);
    if (Rgn) {
        clip = Rgn->translated(-WindowOrigin(Wnd)) & whole;
    }
    const TPoint o = DC.LPtoDP(TPoint{0, 0});
    DC.SetClipRegion(clip.translated(o.X, o.Y));
}

QRegion CreateNullRegion()
{
    return QRegion();
}

// ---------------------------------------------------------------------------------------------
// XOR frames

namespace {

QRegion FrameRegion(const TRect &r, TSize size)
{
    if (r.IsEmpty())
        return QRegion();
    QRegion frame(r.ToQRect());
    TRect inner = r;
    inner.Inflate(-size.cx, -size.cy);
    if (!inner.IsEmpty())
        frame -= QRegion(inner.ToQRect());
    return frame;
}

const TBrush &HalftoneBrush()
{
    static const TBrush brush = [] {
        TBrush b;
        CreateHalftoneBrush(b);
        return b;
    }();
    return brush;
}

void InvertRegion(TCanvas &dc, const QRegion &region, const TBrush *brush)
{
    if (region.isEmpty())
        return;
    TBrush saved;
    saved.Assign(*dc.Brush());
    dc.Brush()->Assign(brush ? *brush : HalftoneBrush());
    for (const QRect &r : region)
        dc.PatBlt(TRect::FromQRect(r), PATINVERT);
    dc.Brush()->Assign(saved);
}

// The drag frame on the desktop: no XOR drawing on the screen exists here, so the frame is a
// window shaped like it, always on top, that the pointer and the keyboard pass through.
class TDesktopFrame : public QWidget
{
public:
    TDesktopFrame()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
    }

    void ShowFrame(const TRect &r, TSize size, const TBrush *brush)
    {
        brush_.Assign(brush ? *brush : HalftoneBrush());
        setGeometry(r.ToQRect());
        QRegion shape = FrameRegion(r, size);
        shape.translate(-r.Left, -r.Top);
        setMask(shape);
        show();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QImage image(size(), QImage::Format_RGB32);
        TCanvas canvas(image);
        canvas.Brush()->Assign(brush_);
        canvas.SetBrushOrg(TPoint::FromQPoint(mapToGlobal(QPoint(0, 0))));
        canvas.FillRect(Rect(0, 0, width(), height()));
        QPainter(this).drawImage(0, 0, image);
    }

private:
    TBrush brush_;
};

QPointer<TDesktopFrame> &DesktopFrame()
{
    static QPointer<TDesktopFrame> frame;
    return frame;
}

} // namespace

void CreateHalftoneBrush(TBrush &Brush)
{
    Brush.SetDither(clBlack, clWhite);
}

void DrawInvertRect(TCanvas *DC, const TRect *NewRect, const TRect *OldRect, TSize NewSize,
                    TSize OldSize, const TBrush *Brush, const TBrush *BrushLast)
{
    if (!DC) {
        auto &frame = DesktopFrame();
        if (!NewRect || NewRect->IsEmpty()) {
            if (frame)
                frame->hide();
            return;
        }
        if (!frame)
            frame = new TDesktopFrame;
        frame->ShowFrame(*NewRect, NewSize, Brush);
        return;
    }
    const QRegion newFrame = NewRect ? FrameRegion(*NewRect, NewSize) : QRegion();
    const QRegion oldFrame = OldRect ? FrameRegion(*OldRect, OldSize) : QRegion();
    if (Brush == BrushLast) {
        InvertRegion(*DC, newFrame ^ oldFrame, Brush);
        return;
    }
    InvertRegion(*DC, oldFrame, BrushLast);
    InvertRegion(*DC, newFrame, Brush);
}

void DrawHalftoneInvertRect(TCanvas *DC, const TRect *NewRect, const TRect *OldRect, TSize NewSize,
                            TSize OldSize)
{
    DrawInvertRect(DC, NewRect, OldRect, NewSize, OldSize, nullptr, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Rotated text

void CreateVerticalFont(const TCanvas &DC, TFont &VerticalFont)
{
    VerticalFont.Assign(*DC.Font());
    const QString name = VerticalFont.Name();
    if (name.compare(QStringLiteral("MS Sans Serif"), Qt::CaseInsensitive) == 0 ||
        name.compare(QStringLiteral("Microsoft Sans Serif"), Qt::CaseInsensitive) == 0) {
        const int cellHeight = DC.GetTextMetrics().tmHeight;
        VerticalFont.SetName(QStringLiteral("Arial"));
        VerticalFont.SetHeight(cellHeight);
    }
    VerticalFont.SetOrientation(2700);
}

void DrawVerticalText(TCanvas &DC, const QString &Text, const TRect &R, unsigned Format)
{
    TCanvasStateGuard guard(DC);
    TFont vertical;
    CreateVerticalFont(DC, vertical);
    DC.Font()->Assign(vertical);

    QString s;
    int accel = -1;
    if (Format & DT_NOPREFIX) {
        s = Text;
    } else {
        s.reserve(Text.size());
        for (qsizetype i = 0; i < Text.size();) {
            if (Text[i] == u'&') {
                ++i;
                if (i >= Text.size())
                    break;
                if (Text[i] != u'&')
                    accel = int(s.size());
            }
            const qsizetype n = CharLength(Text, i);
            s.append(Text.mid(i, n));
            i += n;
        }
    }

    const int avail = R.Height();
    int length = DC.TextWidth(s);
    if ((Format & DT_END_ELLIPSIS) && length > avail && !s.isEmpty()) {
        const qsizetype first = CharLength(s, 0);
        const QString ellipsis = QStringLiteral("...");
        if (avail < 3) {
            s.truncate(first);
        } else {
            while (s.size() > first && DC.TextWidth(s + ellipsis) > avail) {
                qsizetype cut = s.size() - 1;
                if (cut > 0 && s[cut].isLowSurrogate() && s[cut - 1].isHighSurrogate())
                    --cut;
                s.truncate(cut);
            }
            if (accel >= s.size())
                accel = -1;
            s += ellipsis;
        }
        if (accel >= s.size())
            accel = -1;
        length = DC.TextWidth(s);
    }

    const TTextMetric tm = DC.GetTextMetrics();
    // Turned to read downward, the text cell lies left of x and below y.
    const int x = R.Left + (R.Width() + tm.tmHeight) / 2;
    int y = R.Top;
    if (Format & DT_CENTER)
        y += (avail - length) / 2;
    if (!(Format & DT_NOCLIP))
        DC.IntersectClipRect(R);
    DC.TextOut(x, y, s);
    if (accel >= 0 && !(Format & DT_HIDEPREFIX)) {
        const int from = DC.TextWidth(s.left(accel));
        const int width = DC.TextWidth(s.mid(accel, CharLength(s, accel)));
        DC.Brush()->SetColor(DC.Font()->Color());
        DC.FillRect(Rect(x - tm.tmAscent - 2, y + from, x - tm.tmAscent - 1, y + from + width));
    }
}
