#include "platform/wayland/WaylandSession.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Status.h"
#include "platform/linux/DrmConnectors.h"
#include "wlr-gamma-control-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace orvane::platform::waylandsys {

namespace {

const Log& log() {
    static const Log l("displays");
    return l;
}

struct OutputRecord {
    WaylandSession::Impl* owner = nullptr;
    wl_output* output = nullptr;
    std::uint32_t version = 1;
    zxdg_output_v1* xdg = nullptr;
    WaylandOutput info;
    bool described = false;  // a done arrived (or the start-up round trips ended)
    bool logicalFromXdg = false;

    zwlr_gamma_control_v1* gamma = nullptr;
    std::uint32_t gammaSize = 0;
    bool gammaAnswered = false;
    // Kept until the output changes or the gamma manager comes back: asked again, the
    // compositor would only refuse again.
    std::optional<std::string> refusal;
    std::vector<std::uint16_t> held;
    std::array<int, 4> shape{};  // the mode and scale of the last done
};

}  // namespace

struct WaylandSession::Impl {
    std::shared_ptr<Scheduler> scheduler;
    std::filesystem::path drmClass;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    zwlr_gamma_control_manager_v1* gammaManager = nullptr;
    std::uint32_t gammaManagerName = 0;
    zxdg_output_manager_v1* xdgManager = nullptr;
    std::map<std::uint32_t, std::unique_ptr<OutputRecord>> outputs;
    mutable std::recursive_mutex mutex;
    Handle watch;
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> observers;
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> lossObservers;
    std::uint64_t nextObserver = 1;
    std::shared_ptr<int> alive = std::make_shared<int>(0);
    bool changed = false;
    bool notifyPosted = false;
    bool lost = false;

    ~Impl() {
        watch.cancel();
        for (auto& [id, record] : outputs) destroy(*record);
        outputs.clear();
        if (gammaManager) zwlr_gamma_control_manager_v1_destroy(gammaManager);
        if (xdgManager) zxdg_output_manager_v1_destroy(xdgManager);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    static void destroy(OutputRecord& r) {
        if (r.gamma) zwlr_gamma_control_v1_destroy(r.gamma);
        r.gamma = nullptr;
        if (r.xdg) zxdg_output_v1_destroy(r.xdg);
        r.xdg = nullptr;
        if (r.output) {
            if (r.version >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(r.output);
            else wl_output_destroy(r.output);
        }
        r.output = nullptr;
    }

    void markChanged() { changed = true; }

    // Observers run from the main loop, never inside a handler of the connection.
    void postNotification() {
        if (!changed || !scheduler || notifyPosted) return;
        notifyPosted = true;
        scheduler->post([weak = std::weak_ptr<int>(alive), this] {
            if (!weak.lock()) return;
            std::vector<std::shared_ptr<std::function<void()>>> list;
            {
                std::lock_guard lock(mutex);
                notifyPosted = false;
                if (!changed) return;
                changed = false;
                for (const auto& [id, f] : observers) list.push_back(f);
            }
            for (const auto& f : list) (*f)();
        });
    }

    bool dispatchReadable() {
        std::lock_guard lock(mutex);
        if (lost) return false;
        if (wl_display_dispatch(display) < 0) return connectionLost();
        wl_display_flush(display);
        postNotification();
        return true;
    }

    bool roundtrip() {
        std::lock_guard lock(mutex);
        if (lost) return false;
        if (wl_display_roundtrip(display) < 0) return connectionLost();
        postNotification();
        return true;
    }

    bool connectionLost() {
        if (lost) return false;
        log().fault("lost the connection to the Wayland compositor: %s", std::strerror(errno));
        lost = true;
        watch.cancel();
        // The controls went with the compositor: nothing is held, and nothing can be.
        for (auto& [id, r] : outputs) {
            if (r->gamma) zwlr_gamma_control_v1_destroy(r->gamma);
            r->gamma = nullptr;
            r->gammaSize = 0;
            r->held.clear();
            r->refusal = connectionLostReason;
        }
        for (const auto& [id, f] : lossObservers) postLoss(f);
        return false;
    }

    void postLoss(const std::shared_ptr<std::function<void()>>& observer) {
        if (!scheduler) return;
        scheduler->post([weak = std::weak_ptr<int>(alive), observer = std::weak_ptr(observer)] {
            if (!weak.lock()) return;
            if (const auto f = observer.lock()) (*f)();
        });
    }

    void findEdid(OutputRecord& r) {
        r.info.edid.reset();
        if (r.info.name.empty()) return;
        for (const auto& c : linuxsys::readDrmConnectors(drmClass))
            if (c.connector == r.info.name && !c.edid.empty()) r.info.edid = linuxsys::parseEdid(c.edid);
    }

    OutputRecord* record(std::uint32_t id) {
        const auto it = outputs.find(id);
        return it == outputs.end() || !it->second->described ? nullptr : it->second.get();
    }

    void bindXdg(OutputRecord& r);
    void bindOutput(std::uint32_t name, std::uint32_t version);
};

namespace {

// --- wl_output -------------------------------------------------------------------------

void outputGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t physicalWidth, int32_t physicalHeight,
                    int32_t, const char* make, const char* model, int32_t) {
    auto& r = *static_cast<OutputRecord*>(data);
    if (!r.logicalFromXdg) {
        r.info.x = x;
        r.info.y = y;
    }
    r.info.physicalWidth = physicalWidth;
    r.info.physicalHeight = physicalHeight;
    r.info.make = make ? make : "";
    r.info.model = model ? model : "";
}

void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t refresh) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    auto& r = *static_cast<OutputRecord*>(data);
    r.info.modeWidth = width;
    r.info.modeHeight = height;
    r.info.refresh = refresh;
}

void outputDone(void* data, wl_output*) {
    auto& r = *static_cast<OutputRecord*>(data);
    if (!r.logicalFromXdg && r.info.scale > 0) {
        r.info.width = r.info.modeWidth / r.info.scale;
        r.info.height = r.info.modeHeight / r.info.scale;
    }
    // A new mode may come with gamma (or without the program that held it).
    const std::array<int, 4> shape{r.info.modeWidth, r.info.modeHeight, r.info.refresh, r.info.scale};
    if (r.described && shape != r.shape) r.refusal.reset();
    r.shape = shape;
    r.owner->findEdid(r);
    r.described = true;
    r.owner->markChanged();
}

void outputScale(void* data, wl_output*, int32_t factor) {
    static_cast<OutputRecord*>(data)->info.scale = factor > 0 ? factor : 1;
}

void outputName(void* data, wl_output*, const char* name) { static_cast<OutputRecord*>(data)->info.name = name; }

void outputDescription(void* data, wl_output*, const char* description) {
    static_cast<OutputRecord*>(data)->info.description = description;
}

const wl_output_listener outputListener = {outputGeometry, outputMode, outputDone,
                                           outputScale,    outputName, outputDescription};

// --- xdg-output ------------------------------------------------------------------------

void xdgPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    auto& r = *static_cast<OutputRecord*>(data);
    r.logicalFromXdg = true;
    r.info.x = x;
    r.info.y = y;
}

void xdgSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
    auto& r = *static_cast<OutputRecord*>(data);
    r.logicalFromXdg = true;
    r.info.width = width;
    r.info.height = height;
}

// Since version 3 the wl_output's done carries xdg-output's changes too.
void xdgDone(void*, zxdg_output_v1*) {}

void xdgName(void* data, zxdg_output_v1*, const char* name) {
    auto& r = *static_cast<OutputRecord*>(data);
    if (r.info.name.empty()) r.info.name = name;
}

void xdgDescription(void* data, zxdg_output_v1*, const char* description) {
    auto& r = *static_cast<OutputRecord*>(data);
    if (r.info.description.empty()) r.info.description = description;
}

const zxdg_output_v1_listener xdgListener = {xdgPosition, xdgSize, xdgDone, xdgName, xdgDescription};

// --- gamma control ---------------------------------------------------------------------

void gammaSizeEvent(void* data, zwlr_gamma_control_v1*, uint32_t size) {
    auto& r = *static_cast<OutputRecord*>(data);
    r.gammaSize = size;
    r.gammaAnswered = true;
}

void gammaFailed(void* data, zwlr_gamma_control_v1*) {
    auto& r = *static_cast<OutputRecord*>(data);
    // A control that had its size was in use: the compositor took it back.
    const bool withdrawn = r.gamma && r.gammaAnswered && r.gammaSize > 0;
    if (r.gamma) zwlr_gamma_control_v1_destroy(r.gamma);
    r.gamma = nullptr;
    r.gammaSize = 0;
    r.gammaAnswered = true;
    r.held.clear();
    r.refusal = withdrawn ? gammaWithdrawnReason : gammaRefusedReason;
    log().error(withdrawn ? "the compositor withdrew the gamma control of %s"
                          : "the compositor refused the gamma control of %s",
                r.info.name.empty() ? "an output" : r.info.name);
}

const zwlr_gamma_control_v1_listener gammaListener = {gammaSizeEvent, gammaFailed};

// --- registry --------------------------------------------------------------------------

void registryGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto& impl = *static_cast<WaylandSession::Impl*>(data);
    const std::string_view which = interface;
    if (which == wl_output_interface.name) {
        impl.bindOutput(name, version);
    } else if (which == zwlr_gamma_control_manager_v1_interface.name && !impl.gammaManager) {
        impl.gammaManager = static_cast<zwlr_gamma_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_gamma_control_manager_v1_interface, 1));
        impl.gammaManagerName = name;
        // Back after it went away: every output may be asked again.
        for (auto& [id, r] : impl.outputs) r->refusal.reset();
    } else if (which == zxdg_output_manager_v1_interface.name && !impl.xdgManager) {
        impl.xdgManager = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min<uint32_t>(version, 3)));
        for (auto& [id, r] : impl.outputs) impl.bindXdg(*r);
    }
}

void registryGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto& impl = *static_cast<WaylandSession::Impl*>(data);
    if (impl.gammaManager && name == impl.gammaManagerName) {
        log().notice("the compositor's gamma manager went away");
        for (auto& [id, r] : impl.outputs) {
            if (r->gamma) zwlr_gamma_control_v1_destroy(r->gamma);
            r->gamma = nullptr;
            r->gammaSize = 0;
            r->held.clear();
        }
        zwlr_gamma_control_manager_v1_destroy(impl.gammaManager);
        impl.gammaManager = nullptr;
        return;
    }
    const auto it = impl.outputs.find(name);
    if (it == impl.outputs.end()) return;
    log().notice("output %s went away", it->second->info.name);
    WaylandSession::Impl::destroy(*it->second);
    impl.outputs.erase(it);
    impl.markChanged();
}

const wl_registry_listener registryListener = {registryGlobal, registryGlobalRemove};

}  // namespace

void WaylandSession::Impl::bindXdg(OutputRecord& r) {
    if (!xdgManager || r.xdg) return;
    r.xdg = zxdg_output_manager_v1_get_xdg_output(xdgManager, r.output);
    zxdg_output_v1_add_listener(r.xdg, &xdgListener, &r);
}

void WaylandSession::Impl::bindOutput(std::uint32_t name, std::uint32_t version) {
    auto r = std::make_unique<OutputRecord>();
    r->owner = this;
    r->version = std::min<std::uint32_t>(version, 4);
    r->info.id = name;
    r->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, r->version));
    wl_output_add_listener(r->output, &outputListener, r.get());
    bindXdg(*r);
    outputs[name] = std::move(r);
}

// --- the session -----------------------------------------------------------------------

std::shared_ptr<WaylandSession> WaylandSession::open(std::shared_ptr<Scheduler> scheduler,
                                                     const std::optional<std::string>& socket,
                                                     std::filesystem::path drmClass) {
    auto impl = std::make_unique<Impl>();
    impl->scheduler = std::move(scheduler);
    impl->drmClass = std::move(drmClass);
    impl->display = wl_display_connect(socket ? socket->c_str() : nullptr);
    if (!impl->display) return nullptr;
    impl->registry = wl_display_get_registry(impl->display);
    wl_registry_add_listener(impl->registry, &registryListener, impl.get());
    // The globals, then what each bound output and xdg-output tells.
    if (wl_display_roundtrip(impl->display) < 0 || wl_display_roundtrip(impl->display) < 0) return nullptr;
    for (auto& [id, r] : impl->outputs)
        if (!r->described && r->version < 2) outputDone(r.get(), r->output);  // version 1 sends no done
    impl->changed = false;
    auto session = std::make_shared<WaylandSession>(std::move(impl));
    Impl* raw = session->impl_.get();
    if (raw->scheduler)
        raw->watch = raw->scheduler->watchFd(wl_display_get_fd(raw->display), FdEvent::readable,
                                             [raw] { raw->dispatchReadable(); });
    return session;
}

WaylandSession::WaylandSession(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WaylandSession::~WaylandSession() = default;

std::vector<WaylandOutput> WaylandSession::outputs() const {
    std::lock_guard lock(impl_->mutex);
    std::vector<WaylandOutput> list;
    for (const auto& [id, r] : impl_->outputs)
        if (r->described && r->info.width > 0 && r->info.height > 0) list.push_back(r->info);
    std::stable_sort(list.begin(), list.end(), [](const WaylandOutput& a, const WaylandOutput& b) {
        const bool aOrigin = a.x == 0 && a.y == 0, bOrigin = b.x == 0 && b.y == 0;
        if (aOrigin != bOrigin) return aOrigin;
        return std::pair(a.x, a.y) < std::pair(b.x, b.y);
    });
    return list;
}

std::optional<WaylandOutput> WaylandSession::output(std::uint32_t id) const {
    std::lock_guard lock(impl_->mutex);
    if (const auto* r = impl_->record(id)) return r->info;
    return std::nullopt;
}

Handle WaylandSession::observeReconfiguration(std::function<void()> changed) {
    if (!impl_->scheduler) return {};
    std::lock_guard lock(impl_->mutex);
    const std::uint64_t id = impl_->nextObserver++;
    impl_->observers[id] = std::make_shared<std::function<void()>>(std::move(changed));
    return Handle([impl = impl_.get(), alive = std::weak_ptr<int>(impl_->alive), id] {
        if (!alive.lock()) return;
        std::lock_guard l(impl->mutex);
        impl->observers.erase(id);
    });
}

Handle WaylandSession::observeLoss(std::function<void()> lost) {
    if (!impl_->scheduler) return {};
    std::lock_guard lock(impl_->mutex);
    const std::uint64_t id = impl_->nextObserver++;
    const auto observer = std::make_shared<std::function<void()>>(std::move(lost));
    impl_->lossObservers[id] = observer;
    if (impl_->lost) impl_->postLoss(observer);
    return Handle([impl = impl_.get(), alive = std::weak_ptr<int>(impl_->alive), id] {
        if (!alive.lock()) return;
        std::lock_guard l(impl->mutex);
        impl->lossObservers.erase(id);
    });
}

bool WaylandSession::lost() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lost;
}

bool WaylandSession::roundtrip() { return impl_->roundtrip(); }

bool WaylandSession::offersGammaControl() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->gammaManager != nullptr;
}

std::uint32_t WaylandSession::gammaSize(std::uint32_t id) {
    std::lock_guard lock(impl_->mutex);
    OutputRecord* r = impl_->record(id);
    if (!r || impl_->lost) return 0;
    if (!impl_->gammaManager) {
        r->refusal = noColourControlReason;
        return 0;
    }
    if (r->gamma) return r->gammaSize;
    if (r->refusal) return 0;
    r->gammaAnswered = false;
    r->gammaSize = 0;
    r->gamma = zwlr_gamma_control_manager_v1_get_gamma_control(impl_->gammaManager, r->output);
    zwlr_gamma_control_v1_add_listener(r->gamma, &gammaListener, r);
    const std::uint32_t output = id;
    while (!impl_->lost) {
        if (!impl_->roundtrip()) return 0;
        r = impl_->record(output);  // the output may have gone meanwhile
        if (!r) return 0;
        if (r->gammaAnswered) break;
    }
    if (r->gamma && r->gammaSize == 0) {
        // A control without ramps is no control.
        zwlr_gamma_control_v1_destroy(r->gamma);
        r->gamma = nullptr;
        r->refusal = gammaRefusedReason;
    }
    if (r->gamma) r->refusal.reset();
    return r->gamma ? r->gammaSize : 0;
}

std::int32_t WaylandSession::setGamma(std::uint32_t id, const std::vector<std::uint16_t>& ramps) {
    std::lock_guard lock(impl_->mutex);
    const std::uint32_t size = gammaSize(id);
    OutputRecord* r = impl_->record(id);
    if (size == 0 || !r || !r->gamma) return status::illegalArgument;
    if (ramps.size() != static_cast<std::size_t>(size) * 3) return status::illegalArgument;
    const std::size_t bytes = ramps.size() * sizeof(std::uint16_t);
    const int fd = ::memfd_create("orvane-gamma", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) return status::failure;
    const auto* data = reinterpret_cast<const char*>(ramps.data());
    std::size_t written = 0;
    while (written < bytes) {
        const ssize_t n = ::write(fd, data + written, bytes - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return status::failure;
        }
        written += static_cast<std::size_t>(n);
    }
    // The compositor may map the file: sealed, it can neither shrink under it nor change.
    // It reads from the file's offset, so that goes back to the start.
    if (::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0 ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return status::failure;
    }
    zwlr_gamma_control_v1_set_gamma(r->gamma, fd);
    ::close(fd);  // the request carries its own copy
    r->held = ramps;
    if (wl_display_flush(impl_->display) < 0 && errno != EAGAIN) {
        impl_->connectionLost();
        return status::failure;
    }
    return status::success;
}

std::vector<std::uint16_t> WaylandSession::heldGamma(std::uint32_t id) const {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->outputs.find(id);
    return it != impl_->outputs.end() && it->second->gamma ? it->second->held : std::vector<std::uint16_t>{};
}

void WaylandSession::releaseGamma(std::uint32_t id) {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->outputs.find(id);
    if (it == impl_->outputs.end() || !it->second->gamma) return;
    zwlr_gamma_control_v1_destroy(it->second->gamma);
    it->second->gamma = nullptr;
    it->second->held.clear();
    wl_display_flush(impl_->display);
}

void WaylandSession::releaseAllGamma() {
    std::lock_guard lock(impl_->mutex);
    for (const auto& [id, r] : impl_->outputs) releaseGamma(id);
}

std::optional<std::string> WaylandSession::gammaRefusal(std::uint32_t id) const {
    std::lock_guard lock(impl_->mutex);
    if (impl_->lost) return std::string(connectionLostReason);
    if (!impl_->gammaManager) return std::string(noColourControlReason);
    const auto it = impl_->outputs.find(id);
    return it != impl_->outputs.end() ? it->second->refusal : std::nullopt;
}

bool isWaylandSession() {
    const auto display = environmentValue("WAYLAND_DISPLAY");
    if (display && !display->empty()) return true;
    const auto type = environmentValue("XDG_SESSION_TYPE");
    return type && *type == "wayland";
}

}  // namespace orvane::platform::waylandsys
