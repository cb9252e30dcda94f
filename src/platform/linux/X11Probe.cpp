#include "platform/linux/X11Probe.h"

#include <memory>

#include <X11/Xlib.h>

namespace orvane::platform::linuxsys {

namespace {

struct CloseDisplay {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using Connection = std::unique_ptr<Display, CloseDisplay>;

Connection open(const std::optional<std::string>& displayName) {
    return Connection(XOpenDisplay(displayName ? displayName->c_str() : nullptr));
}

}  // namespace

bool x11DisplayOpens(const std::optional<std::string>& displayName) { return open(displayName) != nullptr; }

bool compositingManagerRunning(const std::optional<std::string>& displayName) {
    // A fresh connection per question: the compositor may come and go while we run.
    const auto dpy = open(displayName);
    if (!dpy) return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(dpy.get()));
    const Atom selection = XInternAtom(dpy.get(), name.c_str(), False);
    return selection != None && XGetSelectionOwner(dpy.get(), selection) != None;
}

}  // namespace orvane::platform::linuxsys
