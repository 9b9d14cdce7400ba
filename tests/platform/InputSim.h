#pragma once
// Synthesized input for control tests: events go through QApplication::notify, so the
// application's event filter sees them as it sees real ones. Every event carries a fresh
// timestamp, as real input does.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <functional>

namespace sim {

inline quint64 NextTimestamp()
{
    static quint64 t = 1000;
    return t += 10;
}

inline Qt::MouseButtons &HeldButtons()
{
    static Qt::MouseButtons held;
    return held;
}

inline void Mouse(QWidget *w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        HeldButtons() |= button;
    else if (type == QEvent::MouseButtonRelease)
        HeldButtons() &= ~Qt::MouseButtons(button);
    const QPointF global = w->mapToGlobal(QPointF(local));
    QMouseEvent e(type, QPointF(local), w->window()->mapFromGlobal(global), global, button, HeldButtons(), mods);
    e.setTimestamp(NextTimestamp());
    QApplication::sendEvent(w, &e);
}

inline void Press(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    Mouse(w, QEvent::MouseButtonPress, p, b, m);
}
inline void Release(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    Mouse(w, QEvent::MouseButtonRelease, p, b, m);
}
inline void Move(QWidget *w, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    Mouse(w, QEvent::MouseMove, p, Qt::NoButton, m);
}
inline void Click(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    Press(w, p, b, m);
    Release(w, p, b, m);
}
// What a real double click brings: press, release, double click, release.
inline void DoubleClick(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    Press(w, p, b);
    Release(w, p, b);
    Mouse(w, QEvent::MouseButtonDblClick, p, b);
    Release(w, p, b);
}

// The same, addressed by screen position to whatever widget lies there.
inline void MouseAt(QEvent::Type type, QPoint screen, Qt::MouseButton b)
{
    QWidget *w = QApplication::widgetAt(screen);
    Mouse(w, type, w->mapFromGlobal(screen), b);
}
inline void PressAt(QPoint s, Qt::MouseButton b = Qt::LeftButton) { MouseAt(QEvent::MouseButtonPress, s, b); }
inline void MoveAt(QPoint s) { MouseAt(QEvent::MouseMove, s, Qt::NoButton); }
inline void ReleaseAt(QPoint s, Qt::MouseButton b = Qt::LeftButton) { MouseAt(QEvent::MouseButtonRelease, s, b); }

inline void Wheel(QWidget *w, QPoint p, int delta, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    const QPointF global = w->mapToGlobal(QPointF(p));
    QWheelEvent e(QPointF(p), global, QPoint(), QPoint(0, delta), HeldButtons(), m, Qt::NoScrollPhase, false);
    e.setTimestamp(NextTimestamp());
    QApplication::sendEvent(w, &e);
}

inline void KeyEvent(QWidget *w, QEvent::Type type, int key, Qt::KeyboardModifiers m, const QString &text)
{
    QKeyEvent e(type, key, m, text);
    e.setTimestamp(NextTimestamp());
    QApplication::sendEvent(w, &e);
}
inline void KeyPress(QWidget *w, int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString &text = {})
{
    KeyEvent(w, QEvent::KeyPress, key, m, text);
}
inline void KeyRelease(QWidget *w, int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString &text = {})
{
    KeyEvent(w, QEvent::KeyRelease, key, m, text);
}
inline void Key(QWidget *w, int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString &text = {})
{
    KeyPress(w, key, m, text);
    KeyRelease(w, key, m, text);
}

// Runs the event loop until the condition holds or the time is up; answers the condition.
inline bool WaitFor(const std::function<bool()> &condition, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace sim
