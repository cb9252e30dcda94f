#include "platform/wayland/WaylandWorkspace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>

#include <wayland-client.h>

#include "ext-idle-notify-v1-client-protocol.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace orvane::platform::waylandsys {

namespace {

const Log& log() {
    static const Log l("workspace");
    return l;
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The program's own windows: Qt names them by the desktop file on Wayland, by the
// application name through XWayland.
bool isOwnAppId(const std::string& appId) {
    std::string lower = appId;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower == "orvane" || appId == bundleIdentifier;
}

struct Toplevel {
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    // What arrived since the last done, and what that done settled.
    std::string pendingAppId, pendingTitle;
    bool pendingActivated = false, pendingFullScreen = false;
    std::string appId, title;
    bool activated = false, fullScreen = false;
    bool described = false;
};

class WaylandWorkspace final : public Workspace {
public:
    WaylandWorkspace(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Workspace> rest, IdleReader fallbackIdle)
        : scheduler_(std::move(scheduler)), rest_(std::move(rest)), fallbackIdle_(std::move(fallbackIdle)) {}

    ~WaylandWorkspace() override {
        watch_.cancel();
        *alive_ = false;
        for (auto& [handle, t] : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(handle);
        toplevels_.clear();
        if (idle_) ext_idle_notification_v1_destroy(idle_);
        if (notifier_) ext_idle_notifier_v1_destroy(notifier_);
        if (manager_) zwlr_foreign_toplevel_manager_v1_destroy(manager_);
        if (seat_) wl_seat_destroy(seat_);
        if (registry_) wl_registry_destroy(registry_);
        if (display_) wl_display_disconnect(display_);
    }

    void connect(const std::optional<std::string>& socket) {
        display_ = wl_display_connect(socket ? socket->c_str() : nullptr);
        if (!display_) {
            log().notice("workspace: no Wayland compositor answers; the application in front is unknown");
            return;
        }
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &registryListener, this);
        // The globals, then the windows the manager lists at once.
        if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
            lost();
            return;
        }
        if (notifier_ && seat_) {
            idle_ = ext_idle_notifier_v1_get_idle_notification(
                notifier_, static_cast<std::uint32_t>(idleNotifyTimeout * 1000), seat_);
            ext_idle_notification_v1_add_listener(idle_, &idleListener, this);
            wl_display_flush(display_);
        }
        log().notice("workspace: Wayland front application %s, idle time from %s",
                     manager_ ? "from the window list" : "unknown (the compositor lists no windows)",
                     idle_ ? "ext-idle-notify" : "logind");
        if (scheduler_)
            watch_ = scheduler_->watchFd(wl_display_get_fd(display_), FdEvent::readable, [this] { readable(); });
    }

    std::string idleSourceName() const { return idle_ ? "ext-idle-notify" : "fallback"; }

    // --- Workspace ------------------------------------------------------------------
    std::optional<RunningApplication> frontmostApplication() override {
        std::lock_guard lock(mutex_);
        if (!manager_) return std::nullopt;
        const Toplevel* front = nullptr;
        for (const auto& [handle, t] : toplevels_)
            if (t.described && t.activated && !t.appId.empty()) front = &t;
        if (!front) return std::nullopt;
        RunningApplication app;
        app.bundleIdentifier = isOwnAppId(front->appId) ? std::string(bundleIdentifier) : front->appId;
        app.fullScreen = front->fullScreen;
        return app;
    }
    bool canTellFrontmostApplication() override {
        std::lock_guard lock(mutex_);
        return manager_ != nullptr;
    }
    TimeInterval secondsSinceLastInput() override {
        {
            std::lock_guard lock(mutex_);
            if (idle_) return idleSince_ ? std::max(0.0, steadySeconds() - *idleSince_) : 0.0;
        }
        if (fallbackIdle_)
            if (const auto seconds = fallbackIdle_()) return *seconds;
        return 0;
    }
    Handle observe(WorkspaceEvent event, std::function<void()> callback) override {
        if (event != WorkspaceEvent::didActivateApplication) return rest_->observe(event, std::move(callback));
        std::lock_guard lock(mutex_);
        const std::uint64_t id = nextObserver_++;
        observers_[id] = std::make_shared<std::function<void()>>(std::move(callback));
        return Handle([this, alive = std::weak_ptr<bool>(alive_), id] {
            const auto a = alive.lock();
            if (!a || !*a) return;
            std::lock_guard l(mutex_);
            observers_.erase(id);
        });
    }

    std::optional<std::vector<WindowInfo>> windowList(std::uint32_t options) override {
        return rest_->windowList(options);
    }
    std::set<std::string> authenticationPromptOwners() override { return rest_->authenticationPromptOwners(); }
    std::optional<Handle> observeWindowList(std::function<void()> changed) override {
        return rest_->observeWindowList(std::move(changed));
    }
    Point mouseLocation() override { return rest_->mouseLocation(); }
    std::optional<bool> screenLocked() override { return rest_->screenLocked(); }
    std::optional<AssertionsByProcess> assertionsByProcess() override { return rest_->assertionsByProcess(); }
    bool openURL(const std::string& url) override { return rest_->openURL(url); }
    bool canOpenURLs() override { return rest_->canOpenURLs(); }
    bool canOpenSettingsPages() override { return rest_->canOpenSettingsPages(); }

private:
    void readable() {
        std::lock_guard lock(mutex_);
        if (!display_ || wl_display_dispatch(display_) < 0) {
            lost();
            return;
        }
        wl_display_flush(display_);
        announceIfFrontChanged();
    }

    void lost() {
        if (display_) log().fault("workspace: lost the connection to the Wayland compositor: %s", std::strerror(errno));
        watch_.cancel();
    }

    // Called under the lock after events were handled; observers run later, on the loop.
    void announceIfFrontChanged() {
        std::optional<std::pair<std::string, bool>> front;
        for (const auto& [handle, t] : toplevels_)
            if (t.described && t.activated && !t.appId.empty()) front = std::pair(t.appId, t.fullScreen);
        if (front == announced_) return;
        announced_ = front;
        if (!scheduler_) return;
        scheduler_->post([this, alive = std::weak_ptr<bool>(alive_)] {
            const auto a = alive.lock();
            if (!a || !*a) return;
            std::vector<std::shared_ptr<std::function<void()>>> list;
            {
                std::lock_guard lock(mutex_);
                for (const auto& [id, f] : observers_) list.push_back(f);
            }
            for (const auto& f : list) (*f)();
        });
    }

    // --- registry ---------------------------------------------------------------------
    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        auto& self = *static_cast<WaylandWorkspace*>(data);
        const std::string_view which = interface;
        if (which == wl_seat_interface.name && !self.seat_) {
            self.seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (which == zwlr_foreign_toplevel_manager_v1_interface.name && !self.manager_) {
            self.manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
                registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min<uint32_t>(version, 3)));
            zwlr_foreign_toplevel_manager_v1_add_listener(self.manager_, &managerListener, &self);
        } else if (which == ext_idle_notifier_v1_interface.name && !self.notifier_) {
            self.notifier_ = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
        }
    }
    static void globalRemove(void*, wl_registry*, uint32_t) {}
    static constexpr wl_registry_listener registryListener = {global, globalRemove};

    // --- the window list --------------------------------------------------------------
    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
        auto& self = *static_cast<WaylandWorkspace*>(data);
        self.toplevels_[handle].handle = handle;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, &self);
    }
    static void finished(void* data, zwlr_foreign_toplevel_manager_v1*) {
        // The compositor dropped the list: nothing more will be told.
        auto& self = *static_cast<WaylandWorkspace*>(data);
        zwlr_foreign_toplevel_manager_v1_destroy(self.manager_);
        self.manager_ = nullptr;
    }
    static constexpr zwlr_foreign_toplevel_manager_v1_listener managerListener = {toplevel, finished};

    Toplevel* find(zwlr_foreign_toplevel_handle_v1* handle) {
        const auto it = toplevels_.find(handle);
        return it != toplevels_.end() ? &it->second : nullptr;
    }
    static void title(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* text) {
        if (auto* t = static_cast<WaylandWorkspace*>(data)->find(handle)) t->pendingTitle = text ? text : "";
    }
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* id) {
        if (auto* t = static_cast<WaylandWorkspace*>(data)->find(handle)) t->pendingAppId = id ? id : "";
    }
    static void outputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void outputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void state(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states) {
        auto* t = static_cast<WaylandWorkspace*>(data)->find(handle);
        if (!t) return;
        t->pendingActivated = t->pendingFullScreen = false;
        const auto* entries = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
            if (entries[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) t->pendingActivated = true;
            if (entries[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN) t->pendingFullScreen = true;
        }
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
        auto* t = static_cast<WaylandWorkspace*>(data)->find(handle);
        if (!t) return;
        t->appId = t->pendingAppId;
        t->title = t->pendingTitle;
        t->activated = t->pendingActivated;
        t->fullScreen = t->pendingFullScreen;
        t->described = true;
    }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
        auto& self = *static_cast<WaylandWorkspace*>(data);
        self.toplevels_.erase(handle);
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
    static void parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
    static constexpr zwlr_foreign_toplevel_handle_v1_listener toplevelListener = {
        title, appId, outputEnter, outputLeave, state, done, closed, parent};

    // --- idle -------------------------------------------------------------------------
    static void idled(void* data, ext_idle_notification_v1*) {
        // The input stopped one timeout ago.
        auto& self = *static_cast<WaylandWorkspace*>(data);
        self.idleSince_ = steadySeconds() - idleNotifyTimeout;
    }
    static void resumed(void* data, ext_idle_notification_v1*) {
        static_cast<WaylandWorkspace*>(data)->idleSince_.reset();
    }
    static constexpr ext_idle_notification_v1_listener idleListener = {idled, resumed};

    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Workspace> rest_;
    IdleReader fallbackIdle_;
    std::recursive_mutex mutex_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    ext_idle_notifier_v1* notifier_ = nullptr;
    ext_idle_notification_v1* idle_ = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> toplevels_;
    std::optional<double> idleSince_;
    std::optional<std::pair<std::string, bool>> announced_;
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> observers_;
    std::uint64_t nextObserver_ = 1;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Handle watch_;
};

}  // namespace

std::shared_ptr<Workspace> openWaylandWorkspace(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Workspace> rest,
                                                IdleReader fallbackIdle, const std::optional<std::string>& socket) {
    auto workspace = std::make_shared<WaylandWorkspace>(std::move(scheduler), std::move(rest), std::move(fallbackIdle));
    workspace->connect(socket);
    return workspace;
}

std::optional<std::string> idleSource(Workspace& workspace) {
    if (auto* w = dynamic_cast<WaylandWorkspace*>(&workspace)) return w->idleSourceName();
    return std::nullopt;
}

}  // namespace orvane::platform::waylandsys
