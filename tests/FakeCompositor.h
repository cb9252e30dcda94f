#pragma once
// A Wayland compositor for the tests, on libwayland-server and the project's own gamma
// protocol description: outputs that can come and go, the wlroots gamma manager (or none),
// and outputs whose gamma control is scripted to fail. It runs on a thread of its own and
// records what its clients did: the ramps each output received and when a control ended,
// whether by a destroy request or by the client going away.
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server.h>

#include "FakeWaylandServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "wlr-gamma-control-unstable-v1-server-protocol.h"

namespace orvane::testing {

class FakeCompositor {
public:
    struct OutputSpec {
        std::string name = "DP-1";
        std::string make = "Maker";
        std::string model = "Model";
        int x = 0, y = 0;
        int width = 1920, height = 1080;  // the mode, in pixels
        int scale = 1;
        int physicalWidth = 600, physicalHeight = 340;
        std::uint32_t gammaSize = 256;  // 0: the output has no gamma (its control fails)
    };

    // What one output's gamma went through.
    struct GammaRecord {
        std::vector<std::uint16_t> ramps;  // the last set: red, green, blue, gammaSize each
        int controlsMade = 0;
        int controlsEnded = 0;  // destroyed, or their client went away
        bool held() const { return controlsMade > controlsEnded; }
    };

    // `socketPath` is where clients connect (WAYLAND_DISPLAY may name it as is).
    explicit FakeCompositor(std::filesystem::path socketPath, bool gammaManager = true)
        : server_(std::move(socketPath)) {
        if (gammaManager)
            wl_global_create(server_.display(), &zwlr_gamma_control_manager_v1_interface, 1, this, bindGammaManager);
        server_.start();
    }

    ~FakeCompositor() { server_.stop(); }

    FakeCompositor(const FakeCompositor&) = delete;
    FakeCompositor& operator=(const FakeCompositor&) = delete;

    const std::string& error() const { return server_.error(); }
    const std::filesystem::path& socketPath() const { return server_.socketPath(); }

    // Announces an output; returns a handle for removeOutput and gamma().
    int addOutput(OutputSpec spec) {
        const int handle = nextHandle_++;
        onThread([this, handle, spec] {
            auto output = std::make_unique<Output>();
            output->owner = this;
            output->spec = spec;
            output->global = wl_global_create(server_.display(), &wl_output_interface, 4, output.get(), bindOutput);
            outputs_[handle] = std::move(output);
        });
        return handle;
    }

    void removeOutput(int handle) {
        onThread([this, handle] {
            const auto it = outputs_.find(handle);
            if (it == outputs_.end()) return;
            wl_global_destroy(it->second->global);
            for (auto* resource : it->second->resources) wl_resource_set_user_data(resource, nullptr);
            removed_.push_back(std::move(it->second));  // controls may still point at it
            outputs_.erase(it);
        });
    }

    // Later controls of the output fail, as when another client holds its gamma.
    void failGammaOf(int handle) {
        onThread([this, handle] {
            if (const auto it = outputs_.find(handle); it != outputs_.end()) it->second->failing = true;
        });
    }

    GammaRecord gamma(int handle) {
        std::lock_guard lock(mutex_);
        return records_[handle];
    }

    // Waits until `done` holds for the records (checked on every change), at most `timeout`.
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            lock.unlock();
            const bool ok = done();
            lock.lock();
            return ok;
        });
    }

private:
    struct Output {
        FakeCompositor* owner = nullptr;
        OutputSpec spec;
        wl_global* global = nullptr;
        std::vector<wl_resource*> resources;
        bool failing = false;
    };
    struct Control {
        FakeCompositor* owner = nullptr;
        int handle = 0;
        std::uint32_t size = 0;
        bool live = false;  // gamma_size sent, not yet ended
    };

    void onThread(const std::function<void()>& task) { server_.onThread(task); }

    int handleOf(const Output* output) const {
        for (const auto& [handle, o] : outputs_)
            if (o.get() == output) return handle;
        return 0;
    }

    void record(int handle, const std::function<void(GammaRecord&)>& change) {
        {
            std::lock_guard lock(mutex_);
            change(records_[handle]);
        }
        changed_.notify_all();
    }

    // --- wl_output ---------------------------------------------------------------------
    static void outputRelease(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct wl_output_interface outputImplementation = {outputRelease};

    static void outputGone(wl_resource* resource) {
        if (auto* output = static_cast<Output*>(wl_resource_get_user_data(resource))) {
            auto& list = output->resources;
            list.erase(std::remove(list.begin(), list.end(), resource), list.end());
        }
    }

    static void bindOutput(wl_client* client, void* data, uint32_t version, uint32_t id) {
        auto* output = static_cast<Output*>(data);
        wl_resource* resource = wl_resource_create(client, &wl_output_interface, static_cast<int>(version), id);
        wl_resource_set_implementation(resource, &outputImplementation, output, outputGone);
        output->resources.push_back(resource);
        const auto& s = output->spec;
        wl_output_send_geometry(resource, s.x, s.y, s.physicalWidth, s.physicalHeight, WL_OUTPUT_SUBPIXEL_UNKNOWN,
                                s.make.c_str(), s.model.c_str(), WL_OUTPUT_TRANSFORM_NORMAL);
        wl_output_send_mode(resource, WL_OUTPUT_MODE_CURRENT | WL_OUTPUT_MODE_PREFERRED, s.width, s.height, 60000);
        if (version >= 2) wl_output_send_scale(resource, s.scale);
        if (version >= 4) {
            wl_output_send_name(resource, s.name.c_str());
            wl_output_send_description(resource, (s.make + " " + s.model + " (" + s.name + ")").c_str());
        }
        if (version >= 2) wl_output_send_done(resource);
    }

    // --- gamma -------------------------------------------------------------------------
    static void controlSetGamma(wl_client*, wl_resource* resource, int32_t fd) {
        auto* control = static_cast<Control*>(wl_resource_get_user_data(resource));
        std::vector<std::uint16_t> ramps(static_cast<std::size_t>(control->size) * 3);
        const std::size_t bytes = ramps.size() * sizeof(std::uint16_t);
        const ssize_t n = ::pread(fd, ramps.data(), bytes, 0);
        ::close(fd);
        if (n != static_cast<ssize_t>(bytes)) {
            wl_resource_post_error(resource, ZWLR_GAMMA_CONTROL_V1_ERROR_INVALID_GAMMA, "short gamma file");
            return;
        }
        control->owner->record(control->handle, [&](GammaRecord& r) { r.ramps = ramps; });
    }

    static void controlDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct zwlr_gamma_control_v1_interface controlImplementation = {controlSetGamma, controlDestroy};

    // A destroy request and a client that went away both end here.
    static void controlGone(wl_resource* resource) {
        auto* control = static_cast<Control*>(wl_resource_get_user_data(resource));
        if (control->live) control->owner->record(control->handle, [](GammaRecord& r) { ++r.controlsEnded; });
        delete control;
    }

    static void managerGetControl(wl_client* client, wl_resource* manager, uint32_t id, wl_resource* outputResource) {
        auto* self = static_cast<FakeCompositor*>(wl_resource_get_user_data(manager));
        auto* output = static_cast<Output*>(wl_resource_get_user_data(outputResource));
        auto* control = new Control{self, output ? self->handleOf(output) : 0, output ? output->spec.gammaSize : 0};
        wl_resource* resource = wl_resource_create(client, &zwlr_gamma_control_v1_interface, 1, id);
        wl_resource_set_implementation(resource, &controlImplementation, control, controlGone);
        if (!output || output->failing || control->size == 0) {
            zwlr_gamma_control_v1_send_failed(resource);
            return;
        }
        control->live = true;
        self->record(control->handle, [](GammaRecord& r) { ++r.controlsMade; });
        zwlr_gamma_control_v1_send_gamma_size(resource, control->size);
    }

    static void managerDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct zwlr_gamma_control_manager_v1_interface managerImplementation = {managerGetControl,
                                                                                             managerDestroy};

    static void bindGammaManager(wl_client* client, void* data, uint32_t version, uint32_t id) {
        wl_resource* resource =
            wl_resource_create(client, &zwlr_gamma_control_manager_v1_interface, static_cast<int>(version), id);
        wl_resource_set_implementation(resource, &managerImplementation, data, nullptr);
    }

    FakeWaylandServer server_;
    std::map<int, std::unique_ptr<Output>> outputs_;  // compositor thread only
    std::vector<std::unique_ptr<Output>> removed_;
    std::atomic<int> nextHandle_{1};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, GammaRecord> records_;
};

}  // namespace orvane::testing
