#include "Controls.h"

#include <QPaintEvent>
#include <QPainter>

// Painting goes into a back buffer the size of the window. Only what was invalidated is
// painted again; a paint event Qt raises for its own reasons (exposure, a grab) just copies
// the buffer, which is always complete.

namespace {

struct PaintingFlag {
    bool &flag;
    explicit PaintingFlag(bool &f) : flag(f) { flag = true; }
    ~PaintingFlag() { flag = false; }
};

} // namespace

bool TControl::EnsureBuffer()
{
    if (bufferSize_ == size())
        return false;
    bufferSize_ = size();
    buffer_ = size().isEmpty() ? QImage() : QImage(size(), QImage::Format_RGB32);
    if (!buffer_.isNull())
        buffer_.fill(Qt::black);
    dirty_ = QRegion(rect());
    ResetCanvasForClient();
    return true;
}

void TControl::ResetCanvasForClient()
{
    canvas_.SetTarget(buffer_.isNull() ? nullptr : &buffer_);
    const TRect m = NCMargins();
    canvas_.SetViewportOrg(m.Left, m.Top);
    canvas_.SetClipRect(ClientRect());
}

TCanvas &TControl::ControlCanvas()
{
    if (paintTarget_)
        return *paintTarget_;
    if (!painting_) {
        EnsureBuffer();
        if (!blitPending_) {
            blitPending_ = true;
            QWidget::update();
        }
    }
    return canvas_;
}

void TControl::Invalidate()
{
    dirty_ += rect();
    QWidget::update();
}

void TControl::Invalidate(const TRect &r)
{
    const TRect m = NCMargins();
    QRect q = r.ToQRect().translated(m.Left, m.Top);
    TRect client = ClientRect();
    client.Offset(m.Left, m.Top);
    q &= client.ToQRect();
    if (q.isEmpty())
        return;
    dirty_ += q;
    QWidget::update(q);
}

void TControl::InvalidateNC() { Invalidate(); }

void TControl::Update()
{
    if (!dirty_.isEmpty() && isVisible())
        QWidget::repaint(dirty_);
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::paintEvent(QPaintEvent *event)
{
    EnsureBuffer();
    if (!dirty_.isEmpty()) {
        const QRegion region = dirty_;
        dirty_ = QRegion();
        PaintBuffer(region);
    }
    blitPending_ = false;
    if (buffer_.isNull())
        return;
    QPainter p(this);
    for (const QRect &r : event->region())
        p.drawImage(r.topLeft(), buffer_, r);
}

void TControl::PaintBuffer(const QRegion &region)
{
    if (buffer_.isNull())
        return;
    PaintingFlag guard(painting_);
    const TRect m = NCMargins();
    TRect client = ClientRect();
    client.Offset(m.Left, m.Top);
    const QRegion frame = region - QRegion(client.ToQRect());
    const QRegion inner = region & QRegion(client.ToQRect());

    canvas_.SetTarget(&buffer_);
    if (!frame.isEmpty()) {
        const int saved = canvas_.SaveDC();
        canvas_.SetClipRegion(frame);
        Perform(WM_NCPAINT, WPARAM(&canvas_));
        canvas_.RestoreDC(saved);
    }
    if (!inner.isEmpty()) {
        canvas_.SetViewportOrg(m.Left, m.Top);
        canvas_.SetClipRegion(inner);
        const int saved = canvas_.SaveDC();
        Perform(WM_ERASEBKGND, WPARAM(&canvas_));
        canvas_.RestoreDC(saved);
        Perform(WM_PAINT, WPARAM(&canvas_));
    }
    ResetCanvasForClient();
}

void TControl::EraseBackground(TCanvas &ACanvas)
{
    if (ControlStyle().Contains(csOpaque))
        return;
    ACanvas.Brush()->SetColor(color_);
    ACanvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    ACanvas.FillRect(ClientRect());
}
