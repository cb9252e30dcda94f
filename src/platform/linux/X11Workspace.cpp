// Speaks Xlib; includes no Qt header.
#include "platform/linux/X11Workspace.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/Missing.h"

namespace orvane::platform::linuxsys {

namespace {

// A window that goes away while it is being read gives BadWindow: those errors of the
// window-list connection are dropped, any other connection's go to the handler before.
Display* listing = nullptr;
XErrorHandler beforeListing = nullptr;

int dropListingError(Display* dpy, XErrorEvent* event) {
    if (dpy == listing) return 0;
    return beforeListing ? beforeListing(dpy, event) : 0;
}

class X11Workspace final : public Workspace {
public:
    explicit X11Workspace(Display* dpy) : dpy_(dpy), root_(XDefaultRootWindow(dpy)) {
        stacking_ = XInternAtom(dpy_, "_NET_CLIENT_LIST_STACKING", False);
        windowType_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE", False);
        typeDesktop_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
        typeDock_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DOCK", False);
        pid_ = XInternAtom(dpy_, "_NET_WM_PID", False);
    }
    ~X11Workspace() override { XCloseDisplay(dpy_); }

    std::optional<RunningApplication> frontmostApplication() override { return missing_.frontmostApplication(); }
    Point mouseLocation() override { return missing_.mouseLocation(); }
    TimeInterval secondsSinceLastInput() override { return missing_.secondsSinceLastInput(); }
    std::optional<bool> screenLocked() override { return missing_.screenLocked(); }
    std::optional<AssertionsByProcess> assertionsByProcess() override { return missing_.assertionsByProcess(); }
    Handle observe(WorkspaceEvent event, std::function<void()> callback) override {
        return missing_.observe(event, std::move(callback));
    }
    bool openURL(const std::string& url) override { return missing_.openURL(url); }

    std::set<std::string> authenticationPromptOwners() override { return linuxAuthenticationPromptOwners(); }

    std::optional<std::vector<WindowInfo>> windowList(std::uint32_t options) override {
        XSync(dpy_, False);
        listing = dpy_;
        beforeListing = XSetErrorHandler(dropListingError);
        std::vector<WindowInfo> out;
        auto windows = stackingOrder();
        std::reverse(windows.begin(), windows.end());  // front first
        for (const Window w : windows) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(dpy_, w, &attributes)) continue;
            if ((options & windowListOnScreenOnly) && attributes.map_state != IsViewable) continue;
            if ((options & windowListExcludeDesktopElements) && isDesktopElement(w)) continue;
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(dpy_, w, root_, 0, 0, &x, &y, &child);
            WindowInfo entry;
            entry.bounds = {static_cast<double>(x), static_cast<double>(y), static_cast<double>(attributes.width),
                            static_cast<double>(attributes.height)};
            entry.ownerName = instanceName(w).value_or("");
            if (auto pid = cardinal(w, pid_)) entry.ownerPID = static_cast<std::int32_t>(*pid);
            out.push_back(std::move(entry));
        }
        XSync(dpy_, False);
        XSetErrorHandler(beforeListing);
        listing = nullptr;
        return out;
    }

private:
    // Bottom to top.
    std::vector<Window> stackingOrder() {
        std::vector<Window> out;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, root_, stacking_, 0, 65536, False, XA_WINDOW, &type, &format, &count, &after,
                               &data) == Success &&
            data && type == XA_WINDOW && format == 32) {
            const auto* ids = reinterpret_cast<const unsigned long*>(data);
            out.assign(ids, ids + count);
            XFree(data);
            return out;
        }
        if (data) XFree(data);
        // No EWMH window manager: the top-level windows are the root's own children.
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned n = 0;
        if (XQueryTree(dpy_, root_, &rootReturn, &parent, &children, &n) && children) {
            out.assign(children, children + n);
            XFree(children);
        }
        return out;
    }

    bool isDesktopElement(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(dpy_, w, windowType_, 0, 32, False, XA_ATOM, &type, &format, &count, &after, &data) ==
                Success &&
            data && format == 32) {
            const auto* atoms = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i)
                if (atoms[i] == typeDesktop_ || atoms[i] == typeDock_) found = true;
        }
        if (data) XFree(data);
        return found;
    }

    std::optional<std::string> instanceName(Window w) {
        XClassHint hint{nullptr, nullptr};
        if (!XGetClassHint(dpy_, w, &hint)) return std::nullopt;
        std::optional<std::string> name;
        if (hint.res_name) name = std::string(hint.res_name);
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        return name;
    }

    std::optional<std::uint32_t> cardinal(Window w, Atom property) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<std::uint32_t> value;
        if (XGetWindowProperty(dpy_, w, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
                Success &&
            data && format == 32 && count == 1)
            value = static_cast<std::uint32_t>(*reinterpret_cast<const unsigned long*>(data));
        if (data) XFree(data);
        return value;
    }

    Display* dpy_;
    Window root_;
    Atom stacking_, windowType_, typeDesktop_, typeDock_, pid_;
    MissingWorkspace missing_;
};

}  // namespace

std::set<std::string> linuxAuthenticationPromptOwners() {
    return {"polkit-gnome-authentication-agent-1", "polkit-kde-authentication-agent-1", "lxpolkit", "gcr-prompter",
            "pinentry-gtk-2", "pinentry-qt"};
}

std::shared_ptr<Workspace> openX11Workspace(const std::optional<std::string>& displayName) {
    if (!displayName && !std::getenv("DISPLAY")) return nullptr;
    Display* dpy = XOpenDisplay(displayName ? displayName->c_str() : nullptr);
    if (!dpy) return nullptr;
    return std::make_shared<X11Workspace>(dpy);
}

}  // namespace orvane::platform::linuxsys
