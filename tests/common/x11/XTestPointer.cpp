#include "XTestPointer.h"

#include <iterator>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

XTestPointer::XTestPointer() : display_(XOpenDisplay(nullptr)) {}

XTestPointer::~XTestPointer()
{
    if (display_)
        XCloseDisplay(static_cast<Display *>(display_));
}

void XTestPointer::MoveTo(int x, int y)
{
    auto *dpy = static_cast<Display *>(display_);
    XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
    XSync(dpy, False);
}

void XTestPointer::Click()
{
    auto *dpy = static_cast<Display *>(display_);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XSync(dpy, False);
}

void XTestPointer::Press()
{
    auto *dpy = static_cast<Display *>(display_);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XSync(dpy, False);
}

void XTestPointer::Release()
{
    auto *dpy = static_cast<Display *>(display_);
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XSync(dpy, False);
}

void XTestPointer::Keys(std::initializer_list<const char *> keysyms)
{
    auto *dpy = static_cast<Display *>(display_);
    for (const char *name : keysyms)
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(name)), True, CurrentTime);
    for (auto it = std::rbegin(keysyms); it != std::rend(keysyms); ++it)
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(*it)), False, CurrentTime);
    XSync(dpy, False);
}
