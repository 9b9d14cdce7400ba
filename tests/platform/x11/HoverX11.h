#pragma once
// Puts the real pointer over the middle of a widget and waits until Qt has it under the pointer.
// A window manager may still move a window after it is shown; the middle is then looked up again,
// so the click that follows lands where the test means it to.
#include "XTestPointer.h"

#include <QTest>
#include <QWidget>

inline bool HoverX11(XTestPointer &pointer, QWidget *widget)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        const QPoint p = widget->mapToGlobal(widget->rect().center());
        pointer.MoveTo(p.x(), p.y());
        if (QTest::qWaitFor([&] { return widget->underMouse() && widget->mapToGlobal(widget->rect().center()) == p; },
                            1000))
            return true;
    }
    return false;
}
