#include "platform/linux/X11Probe.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include "platform/Log.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("overlay");
    return l;
}

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

namespace {

Atom compositorSelection(Display* dpy) {
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(dpy));
    return XInternAtom(dpy, name.c_str(), False);
}

}  // namespace

bool compositingManagerRunning(const std::optional<std::string>& displayName) {
    const auto dpy = open(displayName);
    if (!dpy) return false;
    const Atom selection = compositorSelection(dpy.get());
    return selection != None && XGetSelectionOwner(dpy.get(), selection) != None;
}

struct CompositorWatch::State {
    std::mutex mutex;
    Display* dpy = nullptr;
    Atom selection = None;
    bool hasFixes = false;
    int fixesEventBase = 0;
    bool running = false;
    std::weak_ptr<Scheduler> scheduler;
    Handle watch;
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> observers;
    std::uint64_t nextObserver = 1;

    // Takes the selection events that have arrived (reading the socket only when asked)
    // and tells the observers when the answer changed. Caller holds `mutex`.
    void take(bool readSocket) {
        const bool before = running;
        while (XEventsQueued(dpy, readSocket ? QueuedAfterReading : QueuedAlready) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type != fixesEventBase + XFixesSelectionNotify) continue;
            const auto& notify = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
            // The owner's window or client going away leaves the selection without one.
            running = notify.subtype == XFixesSetSelectionOwnerNotify && notify.owner != None;
        }
        if (running != before) changed();
    }

    void changed() {
        log().notice(running ? "overlay: a compositing manager runs now" : "overlay: the compositing manager is gone");
        const auto loop = scheduler.lock();
        if (!loop) return;
        for (const auto& [id, f] : observers)
            loop->post([weak = std::weak_ptr<std::function<void()>>(f)] {
                if (auto callback = weak.lock()) (*callback)();
            });
    }
};

CompositorWatch::CompositorWatch(std::shared_ptr<State> state) : state_(std::move(state)) {}

CompositorWatch::~CompositorWatch() {
    std::lock_guard lock(state_->mutex);
    state_->watch.cancel();
    XCloseDisplay(state_->dpy);
    state_->dpy = nullptr;
}

std::shared_ptr<CompositorWatch> CompositorWatch::open(const std::optional<std::string>& displayName) {
    Display* dpy = XOpenDisplay(displayName ? displayName->c_str() : nullptr);
    if (!dpy) return nullptr;
    auto state = std::make_shared<State>();
    state->dpy = dpy;
    state->selection = compositorSelection(dpy);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    // XFixes answers nothing before its version has been asked.
    state->hasFixes =
        XFixesQueryExtension(dpy, &eventBase, &errorBase) && XFixesQueryVersion(dpy, &major, &minor) && major >= 1;
    state->fixesEventBase = eventBase;
    if (state->hasFixes)
        XFixesSelectSelectionInput(dpy, DefaultRootWindow(dpy), state->selection,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
    // Asked after the selection is watched, so no change falls between the two.
    state->running = XGetSelectionOwner(dpy, state->selection) != None;
    return std::shared_ptr<CompositorWatch>(new CompositorWatch(std::move(state)));
}

bool CompositorWatch::running() {
    std::lock_guard lock(state_->mutex);
    if (!state_->hasFixes) {
        const bool before = state_->running;
        state_->running = XGetSelectionOwner(state_->dpy, state_->selection) != None;
        if (state_->running != before) state_->changed();
        return state_->running;
    }
    state_->take(!state_->watch);
    return state_->running;
}

void CompositorWatch::listen(const std::shared_ptr<Scheduler>& scheduler) {
    std::lock_guard lock(state_->mutex);
    if (!scheduler || state_->watch || !state_->hasFixes) return;
    state_->scheduler = scheduler;
    state_->watch =
        scheduler->watchFd(ConnectionNumber(state_->dpy), FdEvent::readable, [weak = std::weak_ptr<State>(state_)] {
            const auto state = weak.lock();
            if (!state) return;
            std::lock_guard l(state->mutex);
            if (state->dpy) state->take(true);
        });
}

Handle CompositorWatch::observe(std::function<void()> changed) {
    std::lock_guard lock(state_->mutex);
    const std::uint64_t id = state_->nextObserver++;
    state_->observers[id] = std::make_shared<std::function<void()>>(std::move(changed));
    return Handle([weak = std::weak_ptr<State>(state_), id] {
        if (const auto state = weak.lock()) {
            std::lock_guard l(state->mutex);
            state->observers.erase(id);
        }
    });
}

std::uint64_t CompositorWatch::requestsSent() {
    std::lock_guard lock(state_->mutex);
    return XNextRequest(state_->dpy) - 1;
}

std::shared_ptr<CompositorWatch> sessionCompositorWatch() {
    static std::mutex mutex;
    // Never destroyed: the connection ends with the process, not in an exit handler that
    // may run after the server has gone.
    static auto* kept = new std::shared_ptr<CompositorWatch>();
    std::lock_guard lock(mutex);
    if (!*kept && std::getenv("DISPLAY")) *kept = CompositorWatch::open();
    return *kept;
}

}  // namespace orvane::platform::linuxsys
