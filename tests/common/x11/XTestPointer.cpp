#include "XTestPointer.h"

#include <iterator>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {
Display *Dpy(void *display) { return static_cast<Display *>(display); }
} // namespace

XTestPointer::XTestPointer() : display_(XOpenDisplay(nullptr)) {}

XTestPointer::~XTestPointer()
{
    if (display_)
        XCloseDisplay(Dpy(display_));
}

void XTestPointer::MoveTo(int x, int y)
{
    XTestFakeMotionEvent(Dpy(display_), -1, x, y, CurrentTime);
    XSync(Dpy(display_), False);
}

void XTestPointer::Button(bool press, bool release)
{
    if (press)
        XTestFakeButtonEvent(Dpy(display_), 1, True, CurrentTime);
    if (release)
        XTestFakeButtonEvent(Dpy(display_), 1, False, CurrentTime);
    XSync(Dpy(display_), False);
}

void XTestPointer::Keys(std::initializer_list<const char *> keysyms)
{
    Display *dpy = Dpy(display_);
    for (const char *name : keysyms)
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(name)), True, CurrentTime);
    for (auto it = std::rbegin(keysyms); it != std::rend(keysyms); ++it)
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(*it)), False, CurrentTime);
    XSync(dpy, False);
}
