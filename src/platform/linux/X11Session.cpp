// The connection the display services share; it includes no Qt header.
#include "platform/linux/X11Session.h"

#include <algorithm>
#include <cstdlib>

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <xcb/randr.h>
#include <xcb/xcbext.h>  // xcb_poll_for_reply

#include "platform/Log.h"
#include "platform/linux/X11ColorAdjustments.h"
#include "platform/linux/X11Displays.h"
#include "platform/linux/X11Edids.h"
#include "platform/linux/X11GammaTables.h"
#include "platform/linux/X11Screenshots.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("displays");
    return l;
}

std::mutex errorMutex;
int lastErrorCode = 0;

int recordError(Display*, XErrorEvent* event) {
    lastErrorCode = event->error_code;
    return 0;
}

int ioError(Display*) {
    log().fault("lost the connection to the X server");
    return 0;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap() : lock_(errorMutex) { lastErrorCode = 0; }
X11ErrorTrap::~X11ErrorTrap() = default;
bool X11ErrorTrap::caught() const { return lastErrorCode != 0; }

X11Session::X11Session(Display* display, std::shared_ptr<Scheduler> scheduler)
    : dpy_(display), scheduler_(std::move(scheduler)), root_(DefaultRootWindow(display)) {
    edidAtom_ = XInternAtom(dpy_, "EDID", False);
    ctmAtom_ = XInternAtom(dpy_, "CTM", False);
    int eventBase = 0, errorBase = 0;
    hasRandr_ = XRRQueryExtension(dpy_, &eventBase, &errorBase) != 0;
    randrEventBase_ = eventBase;
    int major = 0, minor = 0;
    if (hasRandr_) hasRandr_ = XRRQueryVersion(dpy_, &major, &minor) != 0 && (major > 1 || (major == 1 && minor >= 3));
    // What is cached below stays true until the server says otherwise, so listen from
    // the start, whether or not anyone observes reconfiguration.
    if (hasRandr_) {
        XRRSelectInput(
            dpy_, root_,
            RRScreenChangeNotifyMask | RROutputChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputPropertyNotifyMask);
        XFlush(dpy_);
        // The main loop reads what arrives, so answering needs no read of the socket.
        if (scheduler_)
            watch_ = scheduler_->watchFd(ConnectionNumber(dpy_), FdEvent::readable, [this] { drainEvents(); });
    }
}

X11Session::~X11Session() {
    watch_.cancel();
    XCloseDisplay(dpy_);
}

std::string X11Session::displayName() const { return DisplayString(dpy_); }

Handle X11Session::observeReconfiguration(std::function<void()> changed) {
    if (!scheduler_ || !hasRandr_) return {};
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextObserver_++;
    observers_[id] = std::make_shared<std::function<void()>>(std::move(changed));
    return Handle([this, alive = std::weak_ptr<int>(alive_), id] {
        if (!alive.lock()) return;
        std::lock_guard l(mutex_);
        observers_.erase(id);
    });
}

// Listed once and kept until a RandR event says the screen, an output or a CRTC changed.
const std::vector<X11Output>& X11Session::outputs() {
    takeEvents();
    if (!outputs_) outputs_ = queryOutputs();
    return *outputs_;
}

std::optional<X11Output> X11Session::output(std::uint32_t id) {
    for (const auto& o : outputs())
        if (static_cast<std::uint32_t>(o.id) == id) return o;
    return std::nullopt;
}

std::vector<X11Output> X11Session::queryOutputs() {
    std::vector<X11Output> list;
    if (!hasRandr_) return list;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, root_);
    if (!res) return list;
    const RROutput primary = XRRGetOutputPrimary(dpy_, root_);
    for (int i = 0; i < res->noutput; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(dpy_, res, res->outputs[i]);
        if (!info) continue;
        if (info->connection == RR_Connected && info->crtc) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy_, res, info->crtc)) {
                X11Output o;
                o.id = res->outputs[i];
                o.connector.assign(info->name, static_cast<std::size_t>(info->nameLen));
                o.crtc = info->crtc;
                o.x = crtc->x;
                o.y = crtc->y;
                o.width = crtc->width;
                o.height = crtc->height;
                o.primary = o.id == primary;
                o.edid = readEdid(o.id);
                if (o.width > 0 && o.height > 0) list.push_back(std::move(o));
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(res);
    std::stable_partition(list.begin(), list.end(), [](const X11Output& o) { return o.primary; });
    return list;
}

std::optional<EdidIdentity> X11Session::readEdid(unsigned long id) {
    return parseEdid(outputEdid(dpy_, id, edidAtom_));
}

// Asked on every repair; a server without the property answers with an error each
// time, so the answer is kept until the output or its properties change.
bool X11Session::hasCtm(unsigned long id) {
    takeEvents();
    const auto known = ctm_.find(id);
    if (known != ctm_.end()) return known->second;
    XRRPropertyInfo* info = XRRQueryOutputProperty(dpy_, id, ctmAtom_);
    if (info) XFree(info);
    ctm_[id] = info != nullptr;
    return info != nullptr;
}

int X11Session::gammaSize(unsigned long crtc) {
    takeEvents();
    const auto known = gammaSizes_.find(crtc);
    if (known != gammaSizes_.end()) return known->second;
    const int size = XRRGetCrtcGammaSize(dpy_, crtc);
    gammaSizes_[crtc] = size;
    return size;
}

bool X11Session::requestGamma(unsigned long crtc, std::function<void(GammaChannels)> done) {
    if (!watch_ || !scheduler_) return false;
    xcb_connection_t* connection = XGetXCBConnection(dpy_);
    const xcb_randr_get_crtc_gamma_cookie_t cookie =
        xcb_randr_get_crtc_gamma(connection, static_cast<xcb_randr_crtc_t>(crtc));
    xcb_flush(connection);
    gammaRequests_.push_back({cookie.sequence, std::move(done)});
    return true;
}

// Hands the gamma replies that have been read to their callers, on the main loop. Looks
// only at what is already read (a reply Xlib read while waiting for one of its own is
// found here at the connection's next use). Caller holds `mutex_`.
void X11Session::takeReplies() {
    if (gammaRequests_.empty()) return;
    xcb_connection_t* connection = XGetXCBConnection(dpy_);
    for (auto it = gammaRequests_.begin(); it != gammaRequests_.end();) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(connection, it->sequence, &reply, &error)) {
            ++it;
            continue;
        }
        GammaChannels channels;
        if (auto* gamma = static_cast<xcb_randr_get_crtc_gamma_reply_t*>(reply)) {
            const auto take = [](const std::uint16_t* from, int n) {
                return std::vector<std::uint16_t>(from, from + std::max(n, 0));
            };
            channels.red = take(xcb_randr_get_crtc_gamma_red(gamma), xcb_randr_get_crtc_gamma_red_length(gamma));
            channels.green = take(xcb_randr_get_crtc_gamma_green(gamma), xcb_randr_get_crtc_gamma_green_length(gamma));
            channels.blue = take(xcb_randr_get_crtc_gamma_blue(gamma), xcb_randr_get_crtc_gamma_blue_length(gamma));
        }
        std::free(reply);
        std::free(error);
        scheduler_->post(
            [done = std::move(it->done), channels = std::move(channels)]() mutable { done(std::move(channels)); });
        it = gammaRequests_.erase(it);
    }
}

// Takes the events that have arrived, without a round trip, and forgets what they make
// stale; observers hear of screen, output and CRTC changes. Without a main loop that
// watches the connection the socket is read here; with one, only what Xlib has queued
// while reading replies is left to take. Caller holds `mutex_`.
void X11Session::takeEvents(bool readSocket) {
    if (!hasRandr_) return;
    bool changed = false;
    const int mode = readSocket || !watch_ ? QueuedAfterReading : QueuedAlready;
    while (XEventsQueued(dpy_, mode) > 0) {
        XEvent event;
        XNextEvent(dpy_, &event);
        if (event.type == randrEventBase_ + RRNotify) {
            const auto* notify = reinterpret_cast<const XRRNotifyEvent*>(&event);
            if (notify->subtype == RRNotify_OutputProperty) {
                const auto* property = reinterpret_cast<const XRROutputPropertyNotifyEvent*>(&event);
                if (property->property == ctmAtom_) ctm_.erase(property->output);
                if (property->property == edidAtom_) outputs_.reset();
                continue;
            }
        } else if (event.type != randrEventBase_ + RRScreenChangeNotify) {
            continue;
        }
        XRRUpdateConfiguration(&event);
        changed = true;
    }
    takeReplies();
    if (!changed) return;
    outputs_.reset();
    ctm_.clear();
    gammaSizes_.clear();
    if (!scheduler_) return;
    for (const auto& [id, f] : observers_)
        scheduler_->post([weak = std::weak_ptr<std::function<void()>>(f)] {
            if (auto callback = weak.lock()) (*callback)();
        });
}

void X11Session::drainEvents() {
    std::lock_guard lock(mutex_);
    takeEvents(true);
}

std::shared_ptr<X11Facilities> openX11(std::shared_ptr<Scheduler> scheduler, const std::optional<std::string>& name) {
    if (!name && !std::getenv("DISPLAY")) return nullptr;
    {
        static std::once_flag handlers;
        std::call_once(handlers, [] {
            XSetErrorHandler(recordError);
            XSetIOErrorHandler(ioError);
        });
    }
    Display* display = XOpenDisplay(name ? name->c_str() : nullptr);
    if (!display) return nullptr;
    auto session = std::make_shared<X11Session>(display, std::move(scheduler));
    auto facilities = std::make_shared<X11Facilities>();
    facilities->displayName = session->displayName();
    facilities->displays = std::make_shared<X11Displays>(session);
    facilities->gamma = std::make_shared<X11GammaTables>(session);
    facilities->colorAdjustments = std::make_shared<X11ColorAdjustments>(session);
    facilities->screenshots = std::make_shared<X11Screenshots>(session);
    return facilities;
}

}  // namespace orvane::platform::linuxsys
