#pragma once
// A Wayland compositor for the workspace tests, on libwayland-server and the project's
// window-list description: a seat, the wlroots window list (or none) with windows the test
// opens, activates, makes full screen and closes, and the idle notifier (or none) whose
// notifications the test makes go idle and resume. It runs on a thread of its own.
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server.h>

#include "FakeWaylandServer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ext-idle-notify-v1-server-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-server-protocol.h"

namespace orvane::testing {

class FakeDesktopCompositor {
public:
    FakeDesktopCompositor(std::filesystem::path socketPath, bool windowList, bool idleNotifier)
        : server_(std::move(socketPath)) {
        wl_global_create(server_.display(), &wl_seat_interface, 1, this, bindSeat);
        if (windowList)
            wl_global_create(server_.display(), &zwlr_foreign_toplevel_manager_v1_interface, 3, this, bindManager);
        if (idleNotifier) wl_global_create(server_.display(), &ext_idle_notifier_v1_interface, 1, this, bindNotifier);
        server_.start();
    }

    ~FakeDesktopCompositor() { server_.stop(); }
    FakeDesktopCompositor(const FakeDesktopCompositor&) = delete;
    FakeDesktopCompositor& operator=(const FakeDesktopCompositor&) = delete;

    const std::string& error() const { return server_.error(); }
    const std::filesystem::path& socketPath() const { return server_.socketPath(); }

    // A window of `appId`, not activated; a handle for the calls below.
    int openWindow(const std::string& appId, const std::string& title) {
        const int id = nextWindow_++;
        onThread([&] {
            auto& window = windows_[id];
            window.appId = appId;
            window.title = title;
            for (auto* manager : managers_) announce(manager, id);
        });
        return id;
    }
    // The window gets the focus; every other loses it.
    void activate(int window) {
        onThread([&] {
            for (auto& [id, w] : windows_) {
                const bool was = w.activated;
                w.activated = id == window;
                if (was != w.activated) sendState(id);
            }
        });
    }
    void setFullScreen(int window, bool fullScreen) {
        onThread([&] {
            windows_[window].fullScreen = fullScreen;
            sendState(window);
        });
    }
    void closeWindow(int window) {
        onThread([&] {
            for (auto* resource : windows_[window].handles) {
                zwlr_foreign_toplevel_handle_v1_send_closed(resource);
                wl_resource_set_user_data(resource, nullptr);
            }
            windows_.erase(window);
        });
    }

    // Every idle notification goes idle, or sees input again.
    void goIdle() {
        onThread([&] {
            for (auto* n : notifications_) ext_idle_notification_v1_send_idled(n);
        });
    }
    void resume() {
        onThread([&] {
            for (auto* n : notifications_) ext_idle_notification_v1_send_resumed(n);
        });
    }
    // The timeouts (ms) of the notifications clients asked for.
    std::vector<std::uint32_t> idleTimeouts() {
        std::vector<std::uint32_t> out;
        onThread([&] { out = timeouts_; });
        return out;
    }

private:
    struct Window {
        std::string appId, title;
        bool activated = false, fullScreen = false;
        std::vector<wl_resource*> handles;
    };

    void onThread(const std::function<void()>& task) { server_.onThread(task); }

    // --- seat: no devices; the notifier needs it named ----------------------------------
    static void seatGetPointer(wl_client*, wl_resource*, uint32_t) {}
    static void seatGetKeyboard(wl_client*, wl_resource*, uint32_t) {}
    static void seatGetTouch(wl_client*, wl_resource*, uint32_t) {}
    static void seatRelease(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct wl_seat_interface seatImplementation = {seatGetPointer, seatGetKeyboard, seatGetTouch,
                                                                    seatRelease};
    static void bindSeat(wl_client* client, void* data, uint32_t version, uint32_t id) {
        wl_resource* resource = wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
        wl_resource_set_implementation(resource, &seatImplementation, data, nullptr);
        wl_seat_send_capabilities(resource, 0);
    }

    // --- window list --------------------------------------------------------------------
    void sendState(int id) {
        auto& w = windows_[id];
        for (auto* resource : w.handles) sendStateTo(resource, w);
    }
    static void sendStateTo(wl_resource* resource, const Window& w) {
        wl_array states;
        wl_array_init(&states);
        if (w.activated)
            *static_cast<std::uint32_t*>(wl_array_add(&states, sizeof(std::uint32_t))) =
                ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
        if (w.fullScreen)
            *static_cast<std::uint32_t*>(wl_array_add(&states, sizeof(std::uint32_t))) =
                ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN;
        zwlr_foreign_toplevel_handle_v1_send_state(resource, &states);
        wl_array_release(&states);
        zwlr_foreign_toplevel_handle_v1_send_done(resource);
    }
    void announce(wl_resource* manager, int id) {
        auto& w = windows_[id];
        wl_resource* handle =
            wl_resource_create(wl_resource_get_client(manager), &zwlr_foreign_toplevel_handle_v1_interface,
                               wl_resource_get_version(manager), 0);
        wl_resource_set_implementation(handle, &handleImplementation, this, handleGone);
        zwlr_foreign_toplevel_manager_v1_send_toplevel(manager, handle);
        zwlr_foreign_toplevel_handle_v1_send_app_id(handle, w.appId.c_str());
        zwlr_foreign_toplevel_handle_v1_send_title(handle, w.title.c_str());
        w.handles.push_back(handle);
        sendStateTo(handle, w);
    }
    static void handleGone(wl_resource* resource) {
        auto* self = static_cast<FakeDesktopCompositor*>(wl_resource_get_user_data(resource));
        if (!self) return;
        for (auto& [id, w] : self->windows_) std::erase(w.handles, resource);
    }
    static void handleNothing(wl_client*, wl_resource*) {}
    static void handleActivate(wl_client*, wl_resource*, wl_resource*) {}
    static void handleRectangle(wl_client*, wl_resource*, wl_resource*, int32_t, int32_t, int32_t, int32_t) {}
    static void handleDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static void handleFullscreen(wl_client*, wl_resource*, wl_resource*) {}
    static constexpr struct zwlr_foreign_toplevel_handle_v1_interface handleImplementation = {
        handleNothing, handleNothing,   handleNothing, handleNothing,    handleActivate,
        handleNothing, handleRectangle, handleDestroy, handleFullscreen, handleNothing};

    static void managerStop(wl_client*, wl_resource* resource) {
        zwlr_foreign_toplevel_manager_v1_send_finished(resource);
        wl_resource_destroy(resource);
    }
    static constexpr struct zwlr_foreign_toplevel_manager_v1_interface managerImplementation = {managerStop};
    static void managerGone(wl_resource* resource) {
        auto* self = static_cast<FakeDesktopCompositor*>(wl_resource_get_user_data(resource));
        std::erase(self->managers_, resource);
    }
    static void bindManager(wl_client* client, void* data, uint32_t version, uint32_t id) {
        auto* self = static_cast<FakeDesktopCompositor*>(data);
        wl_resource* resource =
            wl_resource_create(client, &zwlr_foreign_toplevel_manager_v1_interface, static_cast<int>(version), id);
        wl_resource_set_implementation(resource, &managerImplementation, self, managerGone);
        self->managers_.push_back(resource);
        for (const auto& [windowId, w] : self->windows_) self->announce(resource, windowId);
    }

    // --- idle notifier ------------------------------------------------------------------
    static void notificationDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct ext_idle_notification_v1_interface notificationImplementation = {notificationDestroy};
    static void notificationGone(wl_resource* resource) {
        auto* self = static_cast<FakeDesktopCompositor*>(wl_resource_get_user_data(resource));
        std::erase(self->notifications_, resource);
    }
    static void notifierGet(wl_client* client, wl_resource* notifier, uint32_t id, uint32_t timeout, wl_resource*) {
        auto* self = static_cast<FakeDesktopCompositor*>(wl_resource_get_user_data(notifier));
        wl_resource* resource = wl_resource_create(client, &ext_idle_notification_v1_interface, 1, id);
        wl_resource_set_implementation(resource, &notificationImplementation, self, notificationGone);
        self->notifications_.push_back(resource);
        self->timeouts_.push_back(timeout);
    }
    static void notifierDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct ext_idle_notifier_v1_interface notifierImplementation = {notifierDestroy, notifierGet};
    static void bindNotifier(wl_client* client, void* data, uint32_t version, uint32_t id) {
        wl_resource* resource =
            wl_resource_create(client, &ext_idle_notifier_v1_interface, static_cast<int>(version), id);
        wl_resource_set_implementation(resource, &notifierImplementation, data, nullptr);
    }

    FakeWaylandServer server_;
    // Compositor thread only.
    std::map<int, Window> windows_;
    std::vector<wl_resource*> managers_;
    std::vector<wl_resource*> notifications_;
    std::vector<std::uint32_t> timeouts_;
    std::atomic<int> nextWindow_{1};
};

}  // namespace orvane::testing
