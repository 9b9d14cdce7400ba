#include "RightButton.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

void RightClick()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XTestFakeButtonEvent(display, 3, True, CurrentTime);
    XTestFakeButtonEvent(display, 3, False, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
}
