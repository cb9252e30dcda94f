// What a window manager's close button does: finds the top-level window with the given
// title and sends it WM_DELETE_WINDOW. For bench/idle-costs, on servers with no window
// manager.  Usage: WindowClose TITLE   (DISPLAY from the environment). Exit 1: not found.
#include <cstdio>
#include <cstring>
#include <string>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

std::string titleOf(Display* dpy, Window w) {
    XTextProperty text{};
    std::string title;
    const Atom utf8Name = XInternAtom(dpy, "_NET_WM_NAME", False);
    if (XGetTextProperty(dpy, w, &text, utf8Name) && text.value) {
        title.assign(reinterpret_cast<const char*>(text.value), text.nitems);
        XFree(text.value);
        return title;
    }
    if (XGetWMName(dpy, w, &text) && text.value) {
        title.assign(reinterpret_cast<const char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return title;
}

Window find(Display* dpy, Window parent, const std::string& title) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (titleOf(dpy, children[i]) == title) found = children[i];
        else found = find(dpy, children[i], title);
    }
    if (children) XFree(children);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: WindowClose TITLE\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 2;
    const Window w = find(dpy, DefaultRootWindow(dpy), argv[1]);
    if (!w) return 1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &event);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return 0;
}
