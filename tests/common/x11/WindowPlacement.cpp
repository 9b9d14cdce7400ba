#include "WindowPlacement.h"

#include "../../platform/InputSim.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// Run by hand, without the variable CTest sets, the x11 test programs take the real X server
// rather than the offscreen platform the shared test main picks.
[[maybe_unused]] const bool xcbByDefault =
    qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qputenv("QT_QPA_PLATFORM", "xcb");

// A connection of its own reads what the server holds, whatever Qt has read of it so far.
struct XConnection : std::unique_ptr<Display, int (*)(Display *)> {
    XConnection() : unique_ptr(XOpenDisplay(nullptr), XCloseDisplay) {}

    // The first 32-bit value of a window's property (of the root window by default), or `fallback`.
    long Property(const char *name, Atom type, long fallback, Window w = None) const
    {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        XGetWindowProperty(get(), w ? w : DefaultRootWindow(get()), XInternAtom(get(), name, False), 0, 1, False, type,
                           &actualType, &format, &count, &after, &data);
        if (data && format == 32 && count == 1)
            fallback = *reinterpret_cast<long *>(data);
        if (data)
            XFree(data);
        return fallback;
    }
};

Window Native(QWidget *window) { return window->windowHandle() ? window->windowHandle()->winId() : None; }

bool Placed(const XConnection &x, QWidget *window, bool managed)
{
    const Window w = Native(window);
    XWindowAttributes a;
    int left = 0, top = 0;
    Window child = None;
    // A window manager sets WM_STATE (1, normal) on a window it has taken on, never on one that
    // bypasses it (a menu, a tip).
    return w != None && XGetWindowAttributes(x.get(), w, &a) && a.map_state == IsViewable &&
           (!managed || a.override_redirect ||
            x.Property("WM_STATE", XInternAtom(x.get(), "WM_STATE", False), 0, w) == 1) &&
           XTranslateCoordinates(x.get(), w, DefaultRootWindow(x.get()), 0, 0, &left, &top, &child) &&
           window->mapToGlobal(QPoint(0, 0)) == QPoint(left, top) && window->size() == QSize(a.width, a.height);
}

// After a wait, the work the showing queued (a deferred layout) runs before the test reads on.
bool Settled(bool waited)
{
    if (waited)
        QCoreApplication::sendPostedEvents(), QCoreApplication::processEvents();
    return waited;
}

} // namespace

bool WindowManagerRunning()
{
    const XConnection x;
    return x && x.Property("_NET_SUPPORTING_WM_CHECK", XA_WINDOW, None) != long(None);
}

bool WaitPlaced(QWidget *window, int ms)
{
    const XConnection x;
    const bool managed = WindowManagerRunning();
    return x && window->isWindow() && Settled(sim::WaitFor([&] { return Placed(x, window, managed); }, ms));
}

bool WaitPlacedAndActive(QWidget *window, int ms)
{
    const XConnection x;
    const bool managed = WindowManagerRunning();
    if (!WaitPlaced(window, ms))
        return false;
    window->activateWindow();
    return Settled(sim::WaitFor([&] {
        return QApplication::activeWindow() == window &&
               (!managed || x.Property("_NET_ACTIVE_WINDOW", XA_WINDOW, None) == long(Native(window)));
    }, ms));
}

bool BelongsTo(QWidget *window, QWidget *owner)
{
    const XConnection x;
    return x && Native(window) != None &&
           x.Property("WM_TRANSIENT_FOR", XA_WINDOW, None, Native(window)) == long(Native(owner));
}
