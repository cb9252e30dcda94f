#include "platform/linux/X11Edids.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace orvane::platform::linuxsys {

std::vector<std::uint8_t> outputEdid(Display* dpy, unsigned long output, unsigned long edidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // Lengths are in 32-bit units: room for a base block and many extensions.
    if (XRRGetOutputProperty(dpy, output, edidAtom, 0, 2048, False, False, AnyPropertyType, &type, &format, &count,
                             &after, &data) != Success ||
        !data)
        return {};
    std::vector<std::uint8_t> bytes;
    if (format == 8 && after == 0) bytes.assign(data, data + count);
    XFree(data);
    return bytes;
}

std::vector<OutputEdid> readOutputEdids(const std::string& displayName) {
    std::vector<OutputEdid> list;
    Display* dpy = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!dpy) return list;
    int eventBase = 0, errorBase = 0;
    if (XRRQueryExtension(dpy, &eventBase, &errorBase)) {
        const Atom edid = XInternAtom(dpy, "EDID", False);
        if (XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy))) {
            for (int i = 0; i < res->noutput; ++i) {
                XRROutputInfo* info = XRRGetOutputInfo(dpy, res, res->outputs[i]);
                if (!info) continue;
                if (info->connection == RR_Connected) {
                    auto bytes = outputEdid(dpy, res->outputs[i], edid);
                    if (!bytes.empty()) list.push_back({static_cast<std::uint32_t>(res->outputs[i]), std::move(bytes)});
                }
                XRRFreeOutputInfo(info);
            }
            XRRFreeScreenResources(res);
        }
    }
    XCloseDisplay(dpy);
    return list;
}

}  // namespace orvane::platform::linuxsys
