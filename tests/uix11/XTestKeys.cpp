// Keys typed with XTest on a connection of their own, kept apart from Qt's headers.
// (Declared in XcbSession.h, which brings Qt along.)
#include <string>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace orvane::testing {

bool typeKey(const std::string& display, unsigned long keysym);

bool typeKey(const std::string& display, unsigned long keysym) {
    ::Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy) return false;
    const KeyCode code = XKeysymToKeycode(dpy, keysym);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return code != 0;
}

}  // namespace orvane::testing
