#include "WindowPlacement.h"

#include "../../platform/InputSim.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// The x11 test programs need the real X server: run by hand, without the variable CTest sets,
// they take it rather than the offscreen platform the shared test main picks by default.
[[maybe_unused]] const bool xcbByDefault = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}();

// Its own connection: what the server holds, whatever Qt has read of it so far.
class XConnection
{
public:
    XConnection() : dpy_(XOpenDisplay(nullptr)) {}
    ~XConnection()
    {
        if (dpy_)
            XCloseDisplay(dpy_);
    }
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;
    Display *operator*() const { return dpy_; }
    explicit operator bool() const { return dpy_ != nullptr; }

    // The first 32-bit value of a property, or `fallback` when the window has none.
    long Property(Window w, const char *name, Atom type, long fallback) const
    {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        long value = fallback;
        if (XGetWindowProperty(dpy_, w, XInternAtom(dpy_, name, False), 0, 1, False, type, &actualType, &format, &count,
                               &after, &data) == Success &&
            data && format == 32 && count == 1)
            value = *reinterpret_cast<long *>(data);
        if (data)
            XFree(data);
        return value;
    }

private:
    Display *dpy_;
};

Window NativeWindow(QWidget *window)
{
    return window->windowHandle() ? Window(window->windowHandle()->winId()) : Window(None);
}

bool WindowManagerOn(const XConnection &x)
{
    return x.Property(DefaultRootWindow(*x), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, None) != long(None);
}

bool Placed(const XConnection &x, QWidget *window, bool managed)
{
    const Window w = NativeWindow(window);
    XWindowAttributes a;
    if (w == None || !XGetWindowAttributes(*x, w, &a) || a.map_state != IsViewable)
        return false;
    // A window manager sets WM_STATE once it has taken the window on; it never takes on a
    // window that bypasses it (a menu, a tip).
    constexpr long NormalState = 1;
    const Atom wmState = XInternAtom(*x, "WM_STATE", False);
    if (managed && !a.override_redirect && x.Property(w, "WM_STATE", wmState, 0) != NormalState)
        return false;
    int rootX = 0, rootY = 0;
    Window child = None;
    if (!XTranslateCoordinates(*x, w, DefaultRootWindow(*x), 0, 0, &rootX, &rootY, &child))
        return false;
    return window->mapToGlobal(QPoint(0, 0)) == QPoint(rootX, rootY) && window->size() == QSize(a.width, a.height);
}

// Work queued by the showing (a deferred layout, a deferred arrangement) is done before the
// test reads the window.
void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

bool WindowManagerRunning()
{
    XConnection x;
    return x && WindowManagerOn(x);
}

bool WaitPlaced(QWidget *window, int ms)
{
    XConnection x;
    if (!x || !window->isWindow())
        return false;
    const bool managed = WindowManagerOn(x);
    if (!sim::WaitFor([&] { return Placed(x, window, managed); }, ms))
        return false;
    Settle();
    return true;
}

bool WaitPlacedAndActive(QWidget *window, int ms)
{
    if (!WaitPlaced(window, ms))
        return false;
    XConnection x;
    const bool managed = WindowManagerOn(x);
    window->activateWindow();
    const auto active = [&] {
        if (QApplication::activeWindow() != window)
            return false;
        return !managed || x.Property(DefaultRootWindow(*x), "_NET_ACTIVE_WINDOW", XA_WINDOW, None) ==
                               long(NativeWindow(window));
    };
    if (!sim::WaitFor(active, ms))
        return false;
    Settle();
    return true;
}

bool BelongsTo(QWidget *window, QWidget *owner)
{
    XConnection x;
    return x && NativeWindow(window) != None &&
           x.Property(NativeWindow(window), "WM_TRANSIENT_FOR", XA_WINDOW, None) == long(NativeWindow(owner));
}
