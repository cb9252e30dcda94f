// The only file that speaks Xlib; it includes no Qt header.
#include "platform/linux/X11Session.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include "platform/Log.h"
#include "platform/Status.h"
#include "platform/linux/Edid.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("displays");
    return l;
}

// Xlib reports protocol errors through a process-wide handler; the default one exits.
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

struct Output {
    RROutput id = 0;
    std::string connector;
    RRCrtc crtc = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    bool primary = false;
    std::optional<EdidIdentity> edid;
};

}  // namespace

bool isBuiltInConnector(const std::string& name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.rfind("EDP", 0) == 0 || upper.rfind("LVDS", 0) == 0 || upper.rfind("DSI", 0) == 0;
}

std::vector<std::uint32_t> encodeCtm(const Matrix3x3& matrix) {
    std::vector<std::uint32_t> words;
    for (float f : matrix) {
        const double v = static_cast<double>(f);
        const double magnitude = std::min(std::fabs(v), 2147483647.0);
        auto fixed = static_cast<std::uint64_t>(std::llround(magnitude * 4294967296.0));
        if (v < 0) fixed |= 1ull << 63;
        words.push_back(static_cast<std::uint32_t>(fixed & 0xFFFFFFFFu));
        words.push_back(static_cast<std::uint32_t>(fixed >> 32));
    }
    return words;
}

Matrix3x3 decodeCtm(const std::vector<std::uint32_t>& words) {
    Matrix3x3 m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    if (words.size() < 18) return m;
    for (std::size_t i = 0; i < 9; ++i) {
        const std::uint64_t fixed = std::uint64_t{words[2 * i]} | (std::uint64_t{words[2 * i + 1]} << 32);
        const double magnitude = static_cast<double>(fixed & ~(1ull << 63)) / 4294967296.0;
        m[i] = static_cast<float>((fixed >> 63) ? -magnitude : magnitude);
    }
    return m;
}

GammaRamp rampFromX(const std::vector<std::uint16_t>& red, const std::vector<std::uint16_t>& green,
                    const std::vector<std::uint16_t>& blue) {
    const auto allZero = [](const std::vector<std::uint16_t>& v) {
        return std::all_of(v.begin(), v.end(), [](std::uint16_t s) { return s == 0; });
    };
    if (allZero(red) && allZero(green) && allZero(blue)) return GammaRamp::identity(red.size());
    const auto channel = [](const std::vector<std::uint16_t>& v) {
        std::vector<float> out;
        out.reserve(v.size());
        for (auto s : v) out.push_back(static_cast<float>(s) / 65535.0f);
        return out;
    };
    return {channel(red), channel(green), channel(blue)};
}

std::vector<std::uint16_t> channelToX(const std::vector<float>& channel) {
    std::vector<std::uint16_t> out;
    out.reserve(channel.size());
    for (float f : channel) {
        const float v = std::clamp(f != f ? 0.0f : f, 0.0f, 1.0f);
        out.push_back(static_cast<std::uint16_t>(std::lround(v * 65535.0f)));
    }
    return out;
}

class X11Session final : public Displays, public GammaTables, public ColorAdjustments, public Screenshots {
public:
    X11Session(Display* display, std::shared_ptr<Scheduler> scheduler)
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
            XRRSelectInput(dpy_, root_, RRScreenChangeNotifyMask | RROutputChangeNotifyMask | RRCrtcChangeNotifyMask |
                                            RROutputPropertyNotifyMask);
            XFlush(dpy_);
            // The main loop reads what arrives, so answering needs no read of the socket.
            if (scheduler_)
                watch_ = scheduler_->watchFd(ConnectionNumber(dpy_), FdEvent::readable, [this] { drainEvents(); });
        }
    }

    ~X11Session() override {
        watch_.cancel();
        XCloseDisplay(dpy_);
    }

    // --- Displays ------------------------------------------------------------------------

    std::vector<Screen> screens() override {
        std::lock_guard lock(mutex_);
        const auto outs = outputs();
        std::vector<Screen> list;
        if (outs.empty()) return list;
        for (const auto& o : outs) list.push_back({static_cast<std::uint32_t>(o.id), nameOf(o), frameOf(o, outs.front()), 1.0});
        return list;
    }

    std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) override {
        std::lock_guard lock(mutex_);
        std::vector<std::uint32_t> ids;
        for (const auto& o : outputs()) {
            if (ids.size() >= maxDisplays) break;
            ids.push_back(static_cast<std::uint32_t>(o.id));
        }
        return ids;
    }

    std::optional<std::uint32_t> mainDisplay() override {
        std::lock_guard lock(mutex_);
        const auto outs = outputs();
        if (outs.empty()) return std::nullopt;
        return static_cast<std::uint32_t>(outs.front().id);
    }

    std::optional<std::string> uuid(std::uint32_t) override { return std::nullopt; }
    std::uint32_t vendorNumber(std::uint32_t id) override { return edidField(id, &EdidIdentity::vendor); }
    std::uint32_t modelNumber(std::uint32_t id) override { return edidField(id, &EdidIdentity::model); }
    std::uint32_t serialNumber(std::uint32_t id) override { return edidField(id, &EdidIdentity::serial); }
    bool isBuiltin(std::uint32_t id) override {
        std::lock_guard lock(mutex_);
        const auto o = output(id);
        return o && isBuiltInConnector(o->connector);
    }
    bool isAsleep(std::uint32_t) override { return false; }

    Handle observeReconfiguration(std::function<void()> changed) override {
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

    // --- GammaTables ---------------------------------------------------------------------

    std::uint32_t capacity(std::uint32_t display) override {
        std::lock_guard lock(mutex_);
        const auto o = output(display);
        if (!o || !o->crtc) return 0;
        const int size = gammaSize(o->crtc);
        return size > 0 ? static_cast<std::uint32_t>(size) : 0;
    }

    std::int32_t read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) override {
        out = {};
        std::lock_guard lock(mutex_);
        const auto o = output(display);
        if (!o || !o->crtc) return status::illegalArgument;
        XRRCrtcGamma* g = XRRGetCrtcGamma(dpy_, o->crtc);
        if (!g || g->size <= 0) {
            if (g) XRRFreeGamma(g);
            return status::illegalArgument;
        }
        const auto n = static_cast<std::size_t>(g->size);
        GammaRamp ramp = rampFromX({g->red, g->red + n}, {g->green, g->green + n}, {g->blue, g->blue + n});
        XRRFreeGamma(g);
        out = capacity >= n ? ramp : ramp.resampled(capacity);
        return status::success;
    }

    std::int32_t write(std::uint32_t display, const GammaRamp& ramp) override {
        if (!ramp.isConsistent() || ramp.size() < 2) return status::illegalArgument;
        std::lock_guard lock(mutex_);
        const auto o = output(display);
        if (!o || !o->crtc) return status::illegalArgument;
        return setCrtcGamma(o->crtc, ramp);
    }

    void restoreColorSyncSettings() override {
        std::lock_guard lock(mutex_);
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, root_);
        if (!res) return;
        for (int i = 0; i < res->ncrtc; ++i) {
            const int size = gammaSize(res->crtcs[i]);
            if (size > 0) setCrtcGamma(res->crtcs[i], GammaRamp::identity(static_cast<std::size_t>(size)));
        }
        XRRFreeScreenResources(res);
    }

    // --- ColorAdjustments ----------------------------------------------------------------

    std::int32_t set(std::uint32_t display, const Matrix3x3& matrix) override {
        std::lock_guard lock(mutex_);
        const auto o = output(display);
        if (!o || !hasCtm(o->id)) return status::illegalArgument;
        const auto words = encodeCtm(matrix);
        std::vector<long> data(words.begin(), words.end());  // format 32 travels as longs
        std::lock_guard errors(errorMutex);
        lastErrorCode = 0;
        XRRChangeOutputProperty(dpy_, o->id, ctmAtom_, XA_INTEGER, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
        XSync(dpy_, False);
        return lastErrorCode == 0 ? status::success : status::failure;
    }

    std::int32_t reset(std::uint32_t display) override { return set(display, {1, 0, 0, 0, 1, 0, 0, 0, 1}); }

    std::optional<Matrix3x3> current(std::uint32_t display) override {
        std::lock_guard lock(mutex_);
        const auto o = output(display);
        if (!o) return std::nullopt;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XRRGetOutputProperty(dpy_, o->id, ctmAtom_, 0, 18, False, False, AnyPropertyType, &type, &format, &count,
                                 &after, &data) != Success || !data) return std::nullopt;
        std::vector<std::uint32_t> words;
        if (format == 32) {
            const long* longs = reinterpret_cast<const long*>(static_cast<void*>(data));
            for (unsigned long i = 0; i < count; ++i) words.push_back(static_cast<std::uint32_t>(longs[i]));
        }
        XFree(data);
        if (words.size() < 18) return std::nullopt;
        const Matrix3x3 m = decodeCtm(words);
        if (m == Matrix3x3{1, 0, 0, 0, 1, 0, 0, 0, 1}) return std::nullopt;
        return m;
    }

    bool anyOutputHasCtm() {
        std::lock_guard lock(mutex_);
        for (const auto& o : outputs())
            if (hasCtm(o.id)) return true;
        return false;
    }

    // --- Screenshots ---------------------------------------------------------------------

    bool preflightAccess() override { return true; }
    bool requestAccess() override { return true; }

    std::optional<Image> capture(const std::optional<Rect>& rect) override {
        std::lock_guard lock(mutex_);
        const auto outs = outputs();
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(dpy_, root_, &attributes)) return std::nullopt;
        // Points with the origin at the main display's top-left corner are root pixels here.
        const int originX = outs.empty() ? 0 : outs.front().x;
        const int originY = outs.empty() ? 0 : outs.front().y;
        Rect area = rect ? rect->standardized()
                         : Rect{0, 0, outs.empty() ? static_cast<double>(attributes.width) : outs.front().width,
                                outs.empty() ? static_cast<double>(attributes.height) : outs.front().height};
        const int x0 = static_cast<int>(std::floor(area.x)) + originX;
        const int y0 = static_cast<int>(std::floor(area.y)) + originY;
        const int w = static_cast<int>(std::lround(area.width));
        const int h = static_cast<int>(std::lround(area.height));
        if (w <= 0 || h <= 0) return std::nullopt;
        Image image;
        image.width = w;
        image.height = h;
        image.rgba.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
        for (std::size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
        // Only the part inside the root window can be read; the rest stays black.
        const int cx0 = std::max(x0, 0), cy0 = std::max(y0, 0);
        const int cx1 = std::min(x0 + w, attributes.width), cy1 = std::min(y0 + h, attributes.height);
        if (cx1 <= cx0 || cy1 <= cy0) return image;
        std::lock_guard errors(errorMutex);
        lastErrorCode = 0;
        XImage* xi = XGetImage(dpy_, root_, cx0, cy0, static_cast<unsigned>(cx1 - cx0), static_cast<unsigned>(cy1 - cy0),
                               AllPlanes, ZPixmap);
        if (!xi) return std::nullopt;
        const auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint8_t {
            if (mask == 0) return 0;
            int shift = 0;
            while (!((mask >> shift) & 1ul)) ++shift;
            const unsigned long max = mask >> shift;
            return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255ul / max);
        };
        for (int y = cy0; y < cy1; ++y)
            for (int x = cx0; x < cx1; ++x) {
                const unsigned long p = XGetPixel(xi, x - cx0, y - cy0);
                std::uint8_t* out = image.pixel(x - x0, y - y0);
                out[0] = channel(p, xi->red_mask);
                out[1] = channel(p, xi->green_mask);
                out[2] = channel(p, xi->blue_mask);
            }
        XDestroyImage(xi);
        return image;
    }

private:
    // The online outputs (connected and driven by a CRTC), the primary one first: listed
    // once and kept until a RandR event says the screen, an output or a CRTC changed.
    const std::vector<Output>& outputs() {
        takeEvents();
        if (!outputs_) outputs_ = queryOutputs();
        return *outputs_;
    }

    std::vector<Output> queryOutputs() {
        std::vector<Output> list;
        if (!hasRandr_) return list;
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, root_);
        if (!res) return list;
        const RROutput primary = XRRGetOutputPrimary(dpy_, root_);
        for (int i = 0; i < res->noutput; ++i) {
            XRROutputInfo* info = XRRGetOutputInfo(dpy_, res, res->outputs[i]);
            if (!info) continue;
            if (info->connection == RR_Connected && info->crtc) {
                if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy_, res, info->crtc)) {
                    Output o;
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
        std::stable_partition(list.begin(), list.end(), [](const Output& o) { return o.primary; });
        return list;
    }

    std::optional<Output> output(std::uint32_t id) {
        for (const auto& o : outputs())
            if (static_cast<std::uint32_t>(o.id) == id) return o;
        return std::nullopt;
    }

    std::optional<EdidIdentity> readEdid(RROutput id) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XRRGetOutputProperty(dpy_, id, edidAtom_, 0, 128, False, False, AnyPropertyType, &type, &format, &count,
                                 &after, &data) != Success || !data) return std::nullopt;
        std::vector<std::uint8_t> bytes;
        if (format == 8) bytes.assign(data, data + count);
        XFree(data);
        return parseEdid(bytes);
    }

    // Asked on every repair; a server without the property answers with an error each
    // time, so the answer is kept until the output or its properties change.
    bool hasCtm(RROutput id) {
        takeEvents();
        const auto known = ctm_.find(id);
        if (known != ctm_.end()) return known->second;
        XRRPropertyInfo* info = XRRQueryOutputProperty(dpy_, id, ctmAtom_);
        if (info) XFree(info);
        ctm_[id] = info != nullptr;
        return info != nullptr;
    }

    int gammaSize(RRCrtc crtc) {
        takeEvents();
        const auto known = gammaSizes_.find(crtc);
        if (known != gammaSizes_.end()) return known->second;
        const int size = XRRGetCrtcGammaSize(dpy_, crtc);
        gammaSizes_[crtc] = size;
        return size;
    }

    // Takes the events that have arrived, without a round trip, and forgets what they make
    // stale; observers hear of screen, output and CRTC changes. Without a main loop that
    // watches the connection the socket is read here; with one, only what Xlib has queued
    // while reading replies is left to take. Caller holds `mutex_`.
    void takeEvents(bool readSocket = false) {
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

    std::uint32_t edidField(std::uint32_t id, std::uint32_t EdidIdentity::*field) {
        std::lock_guard lock(mutex_);
        const auto o = output(id);
        return o && o->edid ? (*o->edid).*field : 0;
    }

    static std::string nameOf(const Output& o) {
        if (o.edid && o.edid->name) return *o.edid->name;
        return isBuiltInConnector(o.connector) ? "Built-in Display" : o.connector;
    }

    // Bottom-left origin at the main display, y upward, like every other frame here.
    static Rect frameOf(const Output& o, const Output& main) {
        const double mainBottom = static_cast<double>(main.y) + main.height;
        return {static_cast<double>(o.x - main.x), mainBottom - (static_cast<double>(o.y) + o.height),
                static_cast<double>(o.width), static_cast<double>(o.height)};
    }

    std::int32_t setCrtcGamma(RRCrtc crtc, const GammaRamp& ramp) {
        const int size = gammaSize(crtc);
        if (size <= 0) return status::illegalArgument;
        const GammaRamp fitted = ramp.resampled(static_cast<std::size_t>(size));
        XRRCrtcGamma* g = XRRAllocGamma(size);
        if (!g) return status::failure;
        const auto r = channelToX(fitted.red), gr = channelToX(fitted.green), b = channelToX(fitted.blue);
        std::copy(r.begin(), r.end(), g->red);
        std::copy(gr.begin(), gr.end(), g->green);
        std::copy(b.begin(), b.end(), g->blue);
        std::lock_guard errors(errorMutex);
        lastErrorCode = 0;
        XRRSetCrtcGamma(dpy_, crtc, g);
        XSync(dpy_, False);
        XRRFreeGamma(g);
        return lastErrorCode == 0 ? status::success : status::failure;
    }

    void drainEvents() {
        std::lock_guard lock(mutex_);
        takeEvents(true);
    }

    Display* dpy_;
    std::shared_ptr<Scheduler> scheduler_;
    Window root_;
    Atom edidAtom_ = None;
    Atom ctmAtom_ = None;
    bool hasRandr_ = false;
    int randrEventBase_ = 0;
    std::recursive_mutex mutex_;
    Handle watch_;
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> observers_;
    std::uint64_t nextObserver_ = 1;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::optional<std::vector<Output>> outputs_;
    std::map<RROutput, bool> ctm_;
    std::map<RRCrtc, int> gammaSizes_;
};

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
    facilities->displayName = DisplayString(display);
    facilities->displays = session;
    facilities->gamma = session;
    facilities->colorAdjustments = session;
    facilities->screenshots = session;
    facilities->hasColorAdjustments = [weak = std::weak_ptr<X11Session>(session)] {
        auto s = weak.lock();
        return s && s->anyOutputHasCtm();
    };
    return facilities;
}

}  // namespace orvane::platform::linuxsys
