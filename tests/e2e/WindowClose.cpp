#include "WindowClose.h"

#include <X11/Xlib.h>

bool RequestWindowClose(const char* display, unsigned long window)
{
    ::Display* dpy = XOpenDisplay(display);
    if (!dpy) return false;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window, False, NoEventMask, &ev);
    XFlush(dpy);
    XCloseDisplay(dpy);
    return true;
}
