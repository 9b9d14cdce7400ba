#pragma once
// Moves the pointer to `screen` and runs the event loop until Qt has handled that move. The X
// server delivers its events in order, so whatever an earlier click brought about (a change of
// the active window among it) has been handled by then; nothing waits on the clock.
#include "XTestPointer.h"
#include "../../platform/InputSim.h"

#include <QApplication>
#include <QMouseEvent>

struct PointerBarrier : QObject {
    QPoint target;
    bool seen = false;

    bool Pass(XTestPointer &pointer, QPoint screen)
    {
        target = screen;
        seen = false;
        qApp->installEventFilter(this);
        pointer.MoveTo(screen.x(), screen.y());
        const bool passed = sim::WaitFor([&] { return seen; }, 10000);
        qApp->removeEventFilter(this);
        QApplication::processEvents();
        return passed;
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        seen |= e->type() == QEvent::MouseMove && static_cast<QMouseEvent *>(e)->globalPosition().toPoint() == target;
        return false;
    }
};
