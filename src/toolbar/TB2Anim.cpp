#include "TB2Anim.h"

#include "TB2Common.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/InputRouter.h"
#include "platform/SysParams.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int kFadeTime = 175;
constexpr int kFadeStartStep = 40;
constexpr int kSlideTime = 150;
constexpr int kInterval = 10;

// Shows the captured image of the sliding window at the current offset, above its children,
// until the window is restored.
class TSlideImage : public QWidget
{
public:
    TSlideImage(QWidget *parent, const QImage &image) : QWidget(parent), image_(image)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(0, 0, image.width(), image.height());
        raise();
        show();
    }
    void SetOffset(const QPoint &offset)
    {
        offset_ = offset;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(offset_, image_); }

private:
    QImage image_;
    QPoint offset_;
};

// The running animation. The pacing loop's state (stop, finished, step pending) is kept as the
// loop on a worker thread would keep it, so the window sees the same messages.
struct TAnimateData {
    unsigned Serial = 0;
    QPointer<TControl> Wnd;
    int Time = 0;
    bool Fade = false;
    int StartStep = 0;
    int CurStep = 0;
    QImage Bmp;
    TRect ScreenClientRect;
    TSize Size;
    TPoint LastPos;
    unsigned Direction = 0;
    bool StopFlag = false;
    int Finished = 0;
    bool StepPending = false;
    qint64 StartTime = 0;
    QTimer Timer;
    QPointer<TSlideImage> Slide;
    // What the window had before, given back at the end.
    int OldAlpha = 255;
    std::optional<QRegion> OldRegion;
};

struct TAnimState {
    std::unique_ptr<TAnimateData> Data;
    unsigned SerialCounter = 0;
    TMenuAnimationClock Clock;
};

TAnimState &State()
{
    thread_local TAnimState state;
    return state;
}

qint64 Now()
{
    if (State().Clock)
        return State().Clock();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

void Notify(TAnimateData &d)
{
    if (d.Wnd)
        d.Wnd->PostMessage(WM_TB2K_ANIMATIONSTEP, 0, LPARAM(d.Serial));
}

void Finish(TAnimateData &d)
{
    d.Timer.stop();
    d.Finished = -1;
    Notify(d);
}

QPoint SlideOffset(const TAnimateData &d, int step)
{
    int x = 0, y = 0;
    if (d.Direction & 2)
        x = MulDiv(d.Size.cx, step, 255) - d.Size.cx;
    else if (d.Direction & 1)
        x = d.Size.cx - MulDiv(d.Size.cx, step, 255);
    if (d.Direction & 4)
        y = MulDiv(d.Size.cy, step, 255) - d.Size.cy;
    else if (d.Direction & 8)
        y = d.Size.cy - MulDiv(d.Size.cy, step, 255);
    return {x, y};
}

void ApplySlide(TAnimateData &d, int step)
{
    const QPoint offset = SlideOffset(d, step);
    d.Wnd->SetWindowRegion(QRegion(QRect(offset, QSize(d.Size.cx, d.Size.cy))));
    if (d.Slide)
        d.Slide->SetOffset(offset);
}

} // namespace

void MenuAnimationTick()
{
    TAnimateData *d = State().Data.get();
    if (!d || d->Finished != 0)
        return;
    const qint64 elapsed = Now() - d->StartTime;
    const qint64 step = d->Time > 0 ? elapsed * 255 / d->Time + d->StartStep : 255;
    if (d->StopFlag || !d->Wnd || elapsed < 0 || elapsed >= d->Time || step < 0 || step > 254) {
        Finish(*d);
        return;
    }
    const TPoint pos = GetCursorPos();
    if (!(pos == d->LastPos)) {
        if (d->ScreenClientRect.Contains(pos)) {
            Finish(*d);
            return;
        }
        d->LastPos = pos;
    }
    if (step > d->CurStep) {
        d->CurStep = int(step);
        if (!d->StepPending) {
            d->StepPending = true;
            Notify(*d);
        }
    }
}

void SetMenuAnimationClock(TMenuAnimationClock Clock)
{
    State().Clock = std::move(Clock);
}

TControl *MenuAnimationWindow()
{
    const TAnimateData *d = State().Data.get();
    return d ? d->Wnd.data() : nullptr;
}

void StartMenuAnimation(TControl *Wnd, bool Fade, unsigned Direction)
{
    EndMenuAnimation(nullptr);
    if (!Wnd)
        return;
    TAnimState &st = State();
    auto d = std::make_unique<TAnimateData>();
    d->Serial = ++st.SerialCounter;
    d->Wnd = Wnd;
    // Without layered windows a fade would show the window black or at once: it slides.
    d->Fade = Fade && LayeredWindowsAvailable();
    d->Direction = Direction;
    d->LastPos = GetCursorPos();
    const TPoint origin = Wnd->ClientOrigin();
    const TRect client = Wnd->ClientRect();
    d->ScreenClientRect = Bounds(origin.X, origin.Y, client.Width(), client.Height());
    d->Size = {Wnd->width(), Wnd->height()};
    d->OldAlpha = Wnd->AlphaBlendValue();
    d->OldRegion = Wnd->WindowRegion();
    d->Bmp = QImage(std::max(1, d->Size.cx), std::max(1, d->Size.cy), QImage::Format_RGB32);
    d->Bmp.fill(Qt::white);
    {
        TCanvas canvas(d->Bmp);
        Wnd->Perform(WM_PRINT, WPARAM(&canvas), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    }
    if (d->Fade) {
        d->Time = kFadeTime;
        d->StartStep = kFadeStartStep;
        Wnd->SetAlphaBlendValue(kFadeStartStep);
    } else {
        d->Time = kSlideTime;
        d->StartStep = 0;
        d->Slide = new TSlideImage(Wnd, d->Bmp);
        ApplySlide(*d, 0);
    }
    d->CurStep = d->StartStep;
    const bool noActivate = Wnd->testAttribute(Qt::WA_ShowWithoutActivating);
    Wnd->setAttribute(Qt::WA_ShowWithoutActivating);
    Wnd->show();
    Wnd->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    d->StartTime = Now();
    d->Timer.setTimerType(Qt::PreciseTimer);
    d->Timer.setInterval(kInterval);
    QObject::connect(&d->Timer, &QTimer::timeout, [] { MenuAnimationTick(); });
    d->Timer.start();
    st.Data = std::move(d);
}

void StepMenuAnimation(const TMessage &Msg)
{
    TAnimateData *d = State().Data.get();
    if (!d || Msg.LParam != LPARAM(d->Serial))
        return;
    if (d->Finished != 0) {
        EndMenuAnimation(d->Wnd);
        return;
    }
    if (d->Wnd) {
        if (d->Fade)
            d->Wnd->SetAlphaBlendValue(d->CurStep);
        else
            ApplySlide(*d, d->CurStep);
    }
    d->StepPending = false;
}

void EndMenuAnimation(TControl *Wnd)
{
    TAnimState &st = State();
    if (!st.Data || (Wnd && st.Data->Wnd != Wnd))
        return;
    std::unique_ptr<TAnimateData> d = std::move(st.Data);
    d->StopFlag = true;
    d->Timer.stop();
    QPointer<TControl> wnd = d->Wnd;
    if (!wnd)
        return;
    if (d->Fade)
        wnd->SetAlphaBlendValue(d->OldAlpha);
    else
        wnd->SetWindowRegion(d->OldRegion);
    delete d->Slide.data();
    wnd->update();
    d.reset();
    SendMessage(wnd, WM_TB2K_ANIMATIONENDED);
}
