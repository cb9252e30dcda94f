#pragma once
// The program's top-level windows as another X client sees them: mapped, by title.
#include <optional>
#include <string>

#include <X11/Xlib.h>

namespace orvane::e2e {

struct TopWindow {
    Window id = 0;
    std::string name;
    int width = 0, height = 0;
};

// The mapped top-level window with this title, if any.
inline std::optional<TopWindow> mappedWindow(Display* dpy, const std::string& title) {
    std::optional<TopWindow> result;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return result;
    for (unsigned i = 0; i < count && !result; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
        char* name = nullptr;
        if (XFetchName(dpy, children[i], &name) && name) {
            if (title == name) result = TopWindow{children[i], name, a.width, a.height};
            XFree(name);
        }
    }
    if (children) XFree(children);
    return result;
}

}  // namespace orvane::e2e
