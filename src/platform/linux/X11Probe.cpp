#include "platform/linux/X11Probe.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

// errno of connecting to a local server's socket, 0 when it accepts.
int connectLocal(const std::string& socketPath, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (socketPath.size() + offset >= sizeof address.sun_path) return ENAMETOOLONG;
    std::memcpy(address.sun_path + offset, socketPath.data(), socketPath.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return errno;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + socketPath.size());
    const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

// Xlib says nothing of why a display did not open; for a local display its socket can tell.
std::string whyNotOpened(const std::string& name) {
    const auto colon = name.rfind(':');
    if (colon == std::string::npos || colon + 1 == name.size()) return "not a display name";
    const std::string host = name.substr(0, colon);
    const std::string number = name.substr(colon + 1, name.find('.', colon) - colon - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return "not a display name";
    if (!host.empty() && host != "unix") return "the X server did not accept the connection";
    const std::string socketPath = "/tmp/.X11-unix/X" + number;
    if (connectLocal(socketPath, true) == 0) return "the X server refused the connection";
    const int error = connectLocal(socketPath, false);
    if (error == 0) return "the X server refused the connection";
    if (error == ENOENT || error == ECONNREFUSED) return "no X server is listening";
    return std::strerror(error);
}

}  // namespace

X11Hold holdX11Display(const std::optional<std::string>& displayName) {
    X11Hold hold;
    const char* fromEnvironment = std::getenv("DISPLAY");
    hold.displayName_ = displayName ? *displayName : (fromEnvironment ? fromEnvironment : "");
    if (hold.displayName_.empty()) return hold;
    if (Display* display = XOpenDisplay(hold.displayName_.c_str()))
        hold.connection_ = std::shared_ptr<void>(display, [](void* d) { XCloseDisplay(static_cast<Display*>(d)); });
    else hold.failure_ = whyNotOpened(hold.displayName_);
    return hold;
}

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
