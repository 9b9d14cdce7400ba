#pragma once
// Controls for the control tests: a window to put them in, and a probe that logs what reaches
// its handlers in a compact text form ("down L 5,6 [L]").
#include "InputSim.h"
#include "platform/Controls.h"
#include "platform/InputRouter.h"
#include "platform/SysParams.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const TRect &r, std::ostream *os)
{
    *os << "{" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << "}";
}
inline void PrintTo(const TPoint &p, std::ostream *os) { *os << "(" << p.X << "," << p.Y << ")"; }

inline QString ShiftText(TShiftState s)
{
    QString t;
    const TShiftStateItem items[] = {ssShift, ssCtrl, ssAlt, ssLeft, ssRight, ssMiddle, ssDouble};
    for (int i = 0; i < 7; ++i)
        if (s.Contains(items[i]))
            t += QLatin1Char("SCALRMD"[i]);
    return t;
}

inline char ButtonText(TMouseButton b)
{
    return b == TMouseButton::mbLeft ? 'L' : b == TMouseButton::mbRight ? 'R' : 'M';
}

class TProbe : public TCustomControl
{
public:
    explicit TProbe(TComponent *owner = nullptr) : TCustomControl(owner) {}
    QStringList log;
    TRect margins;
    std::vector<UINT> messages;  // every message seen, in order
    std::function<void(TMessage &)> onMessage;  // may set Result; Msg 0 stops default handling
    std::function<void(TCanvas &)> onPaint, onPaintNC;
    int paints = 0;
    TRect NCMargins() const override { return margins; }

protected:
    void WndProc(TMessage &m) override
    {
        messages.push_back(m.Msg);
        if (onMessage)
            onMessage(m);
        if (m.Msg != 0)
            TCustomControl::WndProc(m);
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        log << QStringLiteral("down %1 %2,%3 [%4]").arg(ButtonText(b)).arg(x).arg(y).arg(ShiftText(s));
        TCustomControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        log << QStringLiteral("up %1 %2,%3 [%4]").arg(ButtonText(b)).arg(x).arg(y).arg(ShiftText(s));
        TCustomControl::MouseUp(b, s, x, y);
    }
    void MouseMove(TShiftState s, int x, int y) override
    {
        log << QStringLiteral("move %1,%2 [%3]").arg(x).arg(y).arg(ShiftText(s));
        TCustomControl::MouseMove(s, x, y);
    }
    void Click() override
    {
        log << QStringLiteral("click");
        TCustomControl::Click();
    }
    void DblClick() override
    {
        log << QStringLiteral("dblclick");
        TCustomControl::DblClick();
    }
    void MouseEnter() override
    {
        log << QStringLiteral("enter");
        TCustomControl::MouseEnter();
    }
    void MouseLeave() override
    {
        log << QStringLiteral("leave");
        TCustomControl::MouseLeave();
    }
    void KeyDown(WORD &key, TShiftState s) override
    {
        log << QStringLiteral("keydown %1 [%2]").arg(key).arg(ShiftText(s));
        TCustomControl::KeyDown(key, s);
    }
    void KeyUp(WORD &key, TShiftState s) override
    {
        log << QStringLiteral("keyup %1").arg(key);
        TCustomControl::KeyUp(key, s);
    }
    void KeyPress(QChar &key) override
    {
        log << QStringLiteral("char %1").arg(key.unicode());
        TCustomControl::KeyPress(key);
    }
    void TimerFired(WPARAM id) override { log << QStringLiteral("timer %1").arg(id); }
    void PaintNC(TCanvas &c) override
    {
        if (onPaintNC)
            onPaintNC(c);
    }
    void Paint() override
    {
        ++paints;
        if (onPaint)
            onPaint(*Canvas());
    }
};

// A window of its own, with no parent.
class THost : public TProbe
{
public:
    explicit THost(TComponent *owner = nullptr) : TProbe(owner) { SetColor(clBtnFace); }

protected:
    bool ShowsWithoutParent() const override { return true; }
};

inline std::unique_ptr<THost> MakeHost(int left, int top, int width, int height)
{
    auto host = std::make_unique<THost>();
    host->SetBounds(left, top, width, height);
    host->Show();
    return host;
}

// Every test leaves no hook and no capture behind, and the system table as it found it.
class ControlTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        EXPECT_EQ(TInputRouter::Instance().TopHook(), nullptr);
        EXPECT_EQ(GetCaptureControl(), nullptr);
        while (GetCaptureControl())
            SetCaptureControl(nullptr);
        ResetSysParams();
        sim::HeldButtons() = Qt::NoButton;
        QApplication::processEvents();
    }
};

// With a 200 x 100 window at (100, 100) to put controls in.
struct HostTest : ControlTest {
    std::unique_ptr<THost> host = MakeHost(100, 100, 200, 100);
    void TearDown() override
    {
        host.reset();
        ControlTest::TearDown();
    }
};

// A probe owned by and placed in `parent`: bounds and alignment are set before it joins, as a
// form stream would.
inline TProbe *AddProbe(TWinControl *parent, TRect bounds = {}, TAlign align = TAlign::alNone)
{
    auto *p = new TProbe(parent);
    if (bounds != TRect{})
        p->SetBoundsRect(bounds);
    if (align != TAlign::alNone)
        p->SetAlign(align);
    p->SetParent(parent);
    return p;
}

inline QRgb PixelAt(QWidget *w, int x, int y) { return w->grab().toImage().pixel(x, y); }
