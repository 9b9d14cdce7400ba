// Real pointer input for the themed layer's X11 tests.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

Display *PointerDisplay()
{
    static Display *display = XOpenDisplay(nullptr);
    return display;
}

} // namespace

bool PointerAvailable() { return PointerDisplay() != nullptr; }

void PointerMoveTo(int x, int y)
{
    XTestFakeMotionEvent(PointerDisplay(), -1, x, y, CurrentTime);
    XSync(PointerDisplay(), False);
}

void PointerClick()
{
    XTestFakeButtonEvent(PointerDisplay(), 1, True, CurrentTime);
    XTestFakeButtonEvent(PointerDisplay(), 1, False, CurrentTime);
    XSync(PointerDisplay(), False);
}
