// Speaks Xlib; includes no Qt header.
#include "platform/linux/X11Workspace.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include "platform/Missing.h"
#include "platform/Platform.h"
#include "platform/linux/DesktopIdleInhibitors.h"
#include "platform/linux/DesktopOpener.h"
#include "platform/linux/LogindSession.h"
#include "platform/linux/MonitorPowerPoll.h"

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

// The server's own DPMS answers, on a connection that outlives them.
class ServerDpms final : public DpmsAnswers {
public:
    explicit ServerDpms(Display* dpy) : dpy_(dpy) {}
    bool capable() override {
        int event = 0, error = 0;
        return DPMSQueryExtension(dpy_, &event, &error) && DPMSCapable(dpy_);
    }
    std::optional<Info> info() override {
        CARD16 level = DPMSModeOn;
        BOOL enabled = False;
        if (!DPMSInfo(dpy_, &level, &enabled)) return std::nullopt;
        const Level levels[] = {Level::on, Level::standby, Level::suspend, Level::off};
        return Info{level < 4 ? levels[level] : Level::off, enabled != False};
    }
    std::optional<Timeouts> timeouts() override {
        CARD16 standby = 0, suspend = 0, off = 0;
        if (!DPMSGetTimeouts(dpy_, &standby, &suspend, &off)) return std::nullopt;
        return Timeouts{standby, suspend, off};
    }

private:
    Display* dpy_;
};

class X11Workspace final : public Workspace, public std::enable_shared_from_this<X11Workspace> {
public:
    X11Workspace(Display* dpy, std::shared_ptr<Scheduler> scheduler, std::unique_ptr<LogindSession> logind,
                 std::unique_ptr<DesktopIdleInhibitors> desktop, std::shared_ptr<DpmsAnswers> dpms)
        : dpy_(dpy),
          root_(XDefaultRootWindow(dpy)),
          scheduler_(std::move(scheduler)),
          logind_(std::move(logind)),
          desktop_(std::move(desktop)),
          dpms_(dpms ? std::move(dpms) : std::make_shared<ServerDpms>(dpy)) {
        stacking_ = XInternAtom(dpy_, "_NET_CLIENT_LIST_STACKING", False);
        windowType_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE", False);
        typeDesktop_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
        typeDock_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DOCK", False);
        pid_ = XInternAtom(dpy_, "_NET_WM_PID", False);
        activeWindow_ = XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False);
        currentDesktop_ = XInternAtom(dpy_, "_NET_CURRENT_DESKTOP", False);
        int event = 0, error = 0;
        hasScreenSaver_ = XScreenSaverQueryExtension(dpy_, &event, &error);
        screenSaverEventBase_ = event;
        hasRandr_ = XRRQueryExtension(dpy_, &event, &error);
        if (scheduler_) {
            // The window manager announces activation on the root's _NET_ACTIVE_WINDOW; the
            // window list changes with the stacking list and the top-level windows.
            XSelectInput(dpy_, root_, PropertyChangeMask | SubstructureNotifyMask);
            XFlush(dpy_);
            front_ = frontmostApplication();
            watch_ = scheduler_->watchFd(XConnectionNumber(dpy_), FdEvent::readable, [this] { drain(); });
        }
    }
    // The events that come from elsewhere than this connection's queue: logind's sleep and
    // session signals, and the monitors' power level, which X announces to no one.
    void listen() {
        if (!scheduler_) return;
        if (hasScreenSaver_) {
            XScreenSaverSelectInput(dpy_, root_, ScreenSaverNotifyMask);
            XFlush(dpy_);
        }
        const std::weak_ptr<X11Workspace> weak = weak_from_this();
        if (logind_)
            logindWatch_ = logind_->watch(*scheduler_, [weak](LogindEvent event) {
                if (auto self = weak.lock())
                    self->post(event == LogindEvent::woke ? WorkspaceEvent::didWake
                                                          : WorkspaceEvent::sessionDidBecomeActive);
            });
        // A server without DPMS never switches the monitors off: nothing to poll.
        if (dpms_->capable())
            monitorPoll_ = std::make_unique<MonitorPowerPoll>(
                *scheduler_, [this] { return monitorPower(); }, [this] { post(WorkspaceEvent::screensDidWake); });
    }

    ~X11Workspace() override {
        monitorPoll_.reset();
        logindWatch_.cancel();
        watch_.cancel();
        XCloseDisplay(dpy_);
    }

    // The active window's application: WM_CLASS's class names it, _NET_WM_PID gives its
    // process; no active window, or one that is gone (a window manager may leave the
    // property naming a closed window), no application. This program's own windows carry
    // its bundle identifier, whatever class the toolkit gave them.
    std::optional<RunningApplication> frontmostApplication() override {
        const auto window = activeWindow();
        if (!window) return std::nullopt;
        RunningApplication app;
        bool exists = false;
        trapped([&] {
            watchActive(*window);
            XWindowAttributes attributes;
            exists = XGetWindowAttributes(dpy_, *window, &attributes) != 0;
            if (!exists) return;
            app.bundleIdentifier = className(*window);
            app.windowInstance = instanceName(*window);
            if (auto pid = cardinal(*window, pid_)) app.processIdentifier = static_cast<std::int32_t>(*pid);
        });
        if (!exists) {
            drainQueuedLater();
            return std::nullopt;
        }
        if (app.processIdentifier == static_cast<std::int32_t>(::getpid())) {
            app.bundleIdentifier = std::string(bundleIdentifier);
            app.windowInstance.reset();
        }
        drainQueuedLater();
        return app;
    }

    // In global points: bottom-left origin at the main output, y upward, as display frames.
    Point mouseLocation() override {
        Window rootReturn = 0, child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        if (!XQueryPointer(dpy_, root_, &rootReturn, &child, &x, &y, &wx, &wy, &mask)) return {};
        const auto main = mainOutput();
        drainQueuedLater();
        return {static_cast<double>(x - main.x), static_cast<double>(main.y + main.height - y)};
    }

    TimeInterval secondsSinceLastInput() override {
        if (!hasScreenSaver_) return missing_.secondsSinceLastInput();
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (!info) return missing_.secondsSinceLastInput();
        TimeInterval idle = missing_.secondsSinceLastInput();
        if (XScreenSaverQueryInfo(dpy_, root_, info)) idle = static_cast<double>(info->idle) / 1000.0;
        XFree(info);
        return idle;
    }

    // logind's LockedHint; a locker that sets none but runs the X screen saver counts as
    // locked while the saver is on.
    std::optional<bool> screenLocked() override {
        const std::optional<bool> hint = logind_ ? logind_->screenLocked() : std::nullopt;
        if (hint == true) return hint;
        if (screenSaverOn()) return true;
        return hint;
    }

    bool screenSaverOn() {
        if (!hasScreenSaver_) return false;
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (!info) return false;
        const bool on = XScreenSaverQueryInfo(dpy_, root_, info) && info->state == ScreenSaverOn;
        XFree(info);
        drainQueuedLater();
        return on;
    }
    // logind's idle inhibitors, the desktop's own, and an X screen saver that someone
    // suspended (it stays off past its timeout).
    std::optional<AssertionsByProcess> assertionsByProcess() override {
        return withDesktopInhibitors(logind_ ? logind_->assertionsByProcess() : std::nullopt,
                                     desktop_ ? desktop_->inhibited() : std::nullopt, screenSaverHeldOff());
    }

    // X tells no one that a client suspended the saver; it shows as a saver that stays off
    // although the input has been idle longer than its timeout.
    bool screenSaverHeldOff() {
        if (!hasScreenSaver_) return false;
        int timeout = 0, interval = 0, blanking = 0, exposures = 0;
        XGetScreenSaver(dpy_, &timeout, &interval, &blanking, &exposures);
        if (timeout <= 0) return false;  // switched off by the user, not held off
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (!info) return false;
        const bool heldOff = XScreenSaverQueryInfo(dpy_, root_, info) && info->state == ScreenSaverOff &&
                             static_cast<double>(info->idle) / 1000.0 > timeout + 1.0;
        XFree(info);
        drainQueuedLater();
        return heldOff;
    }

    Handle observe(WorkspaceEvent event, std::function<void()> callback) override {
        const std::uint64_t id = next_++;
        (*observers_)[id] = {event, std::make_shared<std::function<void()>>(std::move(callback))};
        return Handle([weak = std::weak_ptr<Table>(observers_), id] {
            if (auto t = weak.lock()) t->erase(id);
        });
    }
    bool openURL(const std::string& url) override { return openURLOnDesktop(url); }
    bool canOpenURLs() override { return desktopOpensURLs(); }
    // The desktops' settings programs take no common addresses.
    bool canOpenSettingsPages() override { return false; }

    std::set<std::string> authenticationPromptOwners() override { return linuxAuthenticationPromptOwners(); }

    std::optional<Handle> observeWindowList(std::function<void()> changed) override {
        if (!scheduler_) return std::nullopt;  // no events are read
        const std::uint64_t id = next_++;
        (*listObservers_)[id] = std::make_shared<std::function<void()>>(std::move(changed));
        return Handle([weak = std::weak_ptr<ListTable>(listObservers_), id] {
            if (auto t = weak.lock()) t->erase(id);
        });
    }

    // With a scheduler the list is kept and rebuilt only after an event that can change it
    // (see note()), so a look at an unchanged desktop costs no X request at all.
    std::optional<std::vector<WindowInfo>> windowList(std::uint32_t options) override {
        if (scheduler_) drain();
        if (!scheduler_ || stale_) rebuild();
        std::vector<WindowInfo> out;
        for (const auto& placed : placed_) {
            if ((options & windowListOnScreenOnly) && !placed.viewable) continue;
            const auto it = facts_.find(placed.window);
            if (it == facts_.end()) continue;
            if ((options & windowListExcludeDesktopElements) && it->second.desktopElement) continue;
            WindowInfo entry;
            entry.bounds = placed.bounds;
            entry.ownerName = it->second.instance;
            entry.ownerPID = it->second.pid;
            out.push_back(std::move(entry));
        }
        return out;
    }

    std::uint64_t requestsSent() const { return XNextRequest(dpy_) - 1; }

private:
    struct Area {
        int x = 0, y = 0, width = 0, height = 0;
    };
    using Table = std::map<std::uint64_t, std::pair<WorkspaceEvent, std::shared_ptr<std::function<void()>>>>;
    using ListTable = std::map<std::uint64_t, std::shared_ptr<std::function<void()>>>;

    // A listed window where it is, front first.
    struct Placed {
        Window window = 0;
        bool viewable = false;
        Rect bounds;
    };
    // What only a PropertyNotify of the window (or its destruction) changes.
    struct Facts {
        std::string instance;
        std::optional<std::int32_t> pid;
        bool desktopElement = false;
    };

    void rebuild() {
        XSync(dpy_, False);
        // What that round trip read may already say the list is stale again.
        if (scheduler_) drain();
        else facts_.clear();  // nothing would tell when they change
        stale_ = false;
        listing = dpy_;
        beforeListing = XSetErrorHandler(dropListingError);
        auto windows = stackingOrder();
        std::reverse(windows.begin(), windows.end());  // front first
        std::set<Window> listed;
        placed_.clear();
        for (const Window w : windows) {
            // Watched before it is read, so no change after the read goes unnoticed.
            if (scheduler_ && !watched_.count(w)) XSelectInput(dpy_, w, PropertyChangeMask | StructureNotifyMask);
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(dpy_, w, &attributes)) continue;
            listed.insert(w);
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(dpy_, w, root_, 0, 0, &x, &y, &child);
            placed_.push_back({w, attributes.map_state == IsViewable,
                               Rect{static_cast<double>(x), static_cast<double>(y),
                                    static_cast<double>(attributes.width), static_cast<double>(attributes.height)}});
            if (facts_.count(w)) continue;
            Facts facts;
            facts.instance = instanceName(w).value_or("");
            if (auto pid = cardinal(w, pid_)) facts.pid = static_cast<std::int32_t>(*pid);
            facts.desktopElement = isDesktopElement(w);
            facts_[w] = std::move(facts);
        }
        if (scheduler_) {
            // Windows that left the list stop waking the list up; the active one is still
            // watched for its end.
            for (const Window w : watched_)
                if (!listed.count(w) && w != active_) XSelectInput(dpy_, w, NoEventMask);
            watched_ = listed;
        }
        std::erase_if(facts_, [&](const auto& entry) { return !listed.count(entry.first); });
        XSync(dpy_, False);
        XSetErrorHandler(beforeListing);
        listing = nullptr;
        drainQueuedLater();
    }

    // Marks the window list stale on any event that can change it; true for such an event.
    bool note(const XEvent& event) {
        switch (event.type) {
            case PropertyNotify: {
                const auto& p = event.xproperty;
                if (p.window == root_) {
                    if (p.atom != stacking_) return false;
                } else if (p.atom == XA_WM_CLASS || p.atom == pid_ || p.atom == windowType_) {
                    facts_.erase(p.window);
                } else {
                    return false;
                }
                break;
            }
            case DestroyNotify:
                facts_.erase(event.xdestroywindow.window);
                watched_.erase(event.xdestroywindow.window);
                break;
            case CreateNotify:
            case MapNotify:
            case UnmapNotify:
            case ConfigureNotify:
            case ReparentNotify:
            case GravityNotify:
            case CirculateNotify:
                break;
            default:
                return false;
        }
        stale_ = true;
        return true;
    }

    // The main output in root pixels, chosen as the display list chooses it: the primary
    // output, else the first connected one with a mode; the whole root without RandR.
    Area mainOutput() {
        Area root;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(dpy_, root_, &attributes)) root = {0, 0, attributes.width, attributes.height};
        if (!hasRandr_) return root;
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, root_);
        if (!res) return root;
        const RROutput primary = XRRGetOutputPrimary(dpy_, root_);
        std::optional<Area> first, chosen;
        for (int i = 0; i < res->noutput && !chosen; ++i) {
            XRROutputInfo* info = XRRGetOutputInfo(dpy_, res, res->outputs[i]);
            if (!info) continue;
            if (info->connection == RR_Connected && info->crtc) {
                if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy_, res, info->crtc)) {
                    const Area a{crtc->x, crtc->y, static_cast<int>(crtc->width), static_cast<int>(crtc->height)};
                    if (a.width > 0 && a.height > 0) {
                        if (res->outputs[i] == primary) chosen = a;
                        else if (!first) first = a;
                    }
                    XRRFreeCrtcInfo(crtc);
                }
            }
            XRRFreeOutputInfo(info);
        }
        XRRFreeScreenResources(res);
        return chosen ? *chosen : first ? *first : root;
    }

    // The active window tells nobody that it went away but by its own DestroyNotify, which
    // needs the same event mask as a listed window's. Caller traps errors.
    void watchActive(Window window) {
        if (!scheduler_ || window == active_) return;
        if (active_ && !watched_.count(active_)) XSelectInput(dpy_, active_, NoEventMask);
        active_ = window;
        if (!watched_.count(window)) XSelectInput(dpy_, window, PropertyChangeMask | StructureNotifyMask);
    }

    std::optional<Window> activeWindow() {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<Window> window;
        if (XGetWindowProperty(dpy_, root_, activeWindow_, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                               &data) == Success &&
            data && type == XA_WINDOW && format == 32 && count == 1) {
            const Window w = *reinterpret_cast<const unsigned long*>(data);
            if (w != None) window = w;
        }
        if (data) XFree(data);
        return window;
    }

    // Runs `f` with this connection's BadWindow errors dropped: the window may go away
    // while it is being read.
    template <class F>
    void trapped(F f) {
        XSync(dpy_, False);
        listing = dpy_;
        beforeListing = XSetErrorHandler(dropListingError);
        f();
        XSync(dpy_, False);
        XSetErrorHandler(beforeListing);
        listing = nullptr;
    }

    void drain() {
        for (;;) {
            bool activeChanged = false, listChanged = false;
            while (XPending(dpy_) > 0) {
                XEvent event;
                XNextEvent(dpy_, &event);
                listChanged = note(event) || listChanged;
                if (event.type == PropertyNotify && event.xproperty.window == root_ &&
                    event.xproperty.atom == activeWindow_)
                    activeChanged = true;
                if (event.type == DestroyNotify && active_ && event.xdestroywindow.window == active_) {
                    active_ = 0;
                    activeChanged = true;
                }
                if (event.type == PropertyNotify && event.xproperty.window == root_ &&
                    event.xproperty.atom == currentDesktop_)
                    post(WorkspaceEvent::activeSpaceDidChange);
                if (hasScreenSaver_ && event.type == screenSaverEventBase_ + ScreenSaverNotify &&
                    reinterpret_cast<XScreenSaverNotifyEvent*>(&event)->state == ScreenSaverOff)
                    post(WorkspaceEvent::screensDidWake);
            }
            if (listChanged) postListChanged();
            if (!activeChanged) return;
            // Another window of the same application is no activation.
            auto front = frontmostApplication();
            if (front == front_) continue;
            front_ = std::move(front);
            post(WorkspaceEvent::didActivateApplication);
        }
    }

    // A round trip may have read events into Xlib's queue, where no descriptor shows them.
    void drainQueuedLater() {
        if (!scheduler_ || XQLength(dpy_) == 0) return;
        scheduler_->post([weak = weak_from_this()] {
            if (auto self = weak.lock()) self->drain();
        });
    }

    void postListChanged() {
        for (const auto& [id, changed] : *listObservers_)
            scheduler_->post([weak = std::weak_ptr<std::function<void()>>(changed)] {
                if (auto f = weak.lock()) (*f)();
            });
    }

    // The level, and while the monitors are on how long until a DPMS timeout in force
    // would switch them off.
    MonitorPower monitorPower() {
        MonitorPower power;
        const auto info = dpms_->info();
        if (info) power.on = !info->enabled || info->level == DpmsAnswers::Level::on;
        const auto timeouts = info && info->enabled && power.on && hasScreenSaver_ ? dpms_->timeouts() : std::nullopt;
        if (timeouts) {
            std::optional<TimeInterval> smallest;
            for (const std::uint16_t timeout : {timeouts->standby, timeouts->suspend, timeouts->off})
                if (timeout > 0 && (!smallest || timeout < *smallest)) smallest = timeout;
            if (smallest) power.untilTimeout = *smallest - secondsSinceLastInput();
        }
        drainQueuedLater();
        return power;
    }

    void post(WorkspaceEvent event) {
        for (const auto& [id, entry] : *observers_) {
            if (entry.first != event) continue;
            scheduler_->post([weak = std::weak_ptr<std::function<void()>>(entry.second)] {
                if (auto f = weak.lock()) (*f)();
            });
        }
    }

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

    std::optional<std::string> className(Window w) {
        XClassHint hint{nullptr, nullptr};
        if (!XGetClassHint(dpy_, w, &hint)) return std::nullopt;
        std::optional<std::string> name;
        if (hint.res_class) name = std::string(hint.res_class);
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        return name;
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
    std::shared_ptr<Scheduler> scheduler_;
    std::unique_ptr<LogindSession> logind_;
    std::unique_ptr<DesktopIdleInhibitors> desktop_;
    std::shared_ptr<DpmsAnswers> dpms_;
    Atom currentDesktop_ = 0;
    int screenSaverEventBase_ = 0;
    Handle logindWatch_;
    std::unique_ptr<MonitorPowerPoll> monitorPoll_;
    Atom stacking_, windowType_, typeDesktop_, typeDock_, pid_, activeWindow_;
    bool hasScreenSaver_ = false;
    bool hasRandr_ = false;
    std::optional<RunningApplication> front_;
    Window active_ = 0;  // the active window watched for its end
    std::vector<Placed> placed_;
    std::map<Window, Facts> facts_;
    std::set<Window> watched_;
    bool stale_ = true;
    std::shared_ptr<Table> observers_ = std::make_shared<Table>();
    std::shared_ptr<ListTable> listObservers_ = std::make_shared<ListTable>();
    std::uint64_t next_ = 1;
    Handle watch_;
    MissingWorkspace missing_;
};

// X puts every monitor of the screen to sleep at once: each display is asleep while
// DPMS holds them in standby, suspend or off.
class DpmsDisplays final : public Displays {
public:
    DpmsDisplays(std::shared_ptr<Displays> inner, Display* dpy, std::shared_ptr<DpmsAnswers> dpms)
        : inner_(std::move(inner)), dpy_(dpy), dpms_(dpms ? std::move(dpms) : std::make_shared<ServerDpms>(dpy)) {
        hasDpms_ = dpms_->capable();
    }
    ~DpmsDisplays() override {
        dpms_.reset();
        XCloseDisplay(dpy_);
    }

    std::vector<Screen> screens() override { return inner_->screens(); }
    std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) override {
        return inner_->onlineDisplays(maxDisplays);
    }
    std::optional<std::uint32_t> mainDisplay() override { return inner_->mainDisplay(); }
    std::optional<std::string> uuid(std::uint32_t display) override { return inner_->uuid(display); }
    std::uint32_t vendorNumber(std::uint32_t display) override { return inner_->vendorNumber(display); }
    std::uint32_t modelNumber(std::uint32_t display) override { return inner_->modelNumber(display); }
    std::uint32_t serialNumber(std::uint32_t display) override { return inner_->serialNumber(display); }
    bool isBuiltin(std::uint32_t display) override { return inner_->isBuiltin(display); }
    Handle observeReconfiguration(std::function<void()> changed) override {
        return inner_->observeReconfiguration(std::move(changed));
    }

    bool isAsleep(std::uint32_t display) override {
        if (inner_->isAsleep(display)) return true;
        if (!hasDpms_) return false;
        const auto online = inner_->onlineDisplays(64);
        if (std::find(online.begin(), online.end(), display) == online.end()) return false;
        const auto info = dpms_->info();
        return info && info->enabled && info->level != DpmsAnswers::Level::on;
    }

private:
    std::shared_ptr<Displays> inner_;
    Display* dpy_;
    std::shared_ptr<DpmsAnswers> dpms_;
    bool hasDpms_ = false;
};

}  // namespace

std::set<std::string> linuxAuthenticationPromptOwners() {
    return {"polkit-gnome-authentication-agent-1",
            "polkit-kde-authentication-agent-1",
            "lxpolkit",
            "gcr-prompter",
            "pinentry-gtk-2",
            "pinentry-qt"};
}

std::shared_ptr<Workspace> openX11Workspace(std::shared_ptr<Scheduler> scheduler,
                                            const std::optional<std::string>& displayName,
                                            std::unique_ptr<LogindSession> logind,
                                            std::unique_ptr<DesktopIdleInhibitors> desktop,
                                            std::shared_ptr<DpmsAnswers> dpms) {
    if (!displayName && !std::getenv("DISPLAY")) return nullptr;
    Display* dpy = XOpenDisplay(displayName ? displayName->c_str() : nullptr);
    if (!dpy) return nullptr;
    auto workspace = std::make_shared<X11Workspace>(dpy, std::move(scheduler), std::move(logind), std::move(desktop),
                                                    std::move(dpms));
    workspace->listen();
    return workspace;
}

std::optional<std::uint64_t> requestsSent(Workspace& workspace) {
    if (auto* x = dynamic_cast<X11Workspace*>(&workspace)) return x->requestsSent();
    return std::nullopt;
}

std::shared_ptr<Displays> withDpmsSleep(std::shared_ptr<Displays> displays,
                                        const std::optional<std::string>& displayName,
                                        std::shared_ptr<DpmsAnswers> dpms) {
    if (!displayName && !std::getenv("DISPLAY")) return displays;
    Display* dpy = XOpenDisplay(displayName ? displayName->c_str() : nullptr);
    if (!dpy) return displays;
    return std::make_shared<DpmsDisplays>(std::move(displays), dpy, std::move(dpms));
}

}  // namespace orvane::platform::linuxsys
