#pragma once
// A Wayland compositor for the tests, on libwayland-server and the project's own gamma
// protocol description: outputs that can come and go or change their mode, xdg-output
// (or none), the wlroots gamma manager (or none, or one that goes and comes back), and
// outputs whose gamma control is scripted to fail or is taken back while in use. It runs
// on a thread of its own and records what its clients did: the controls each output was
// asked for, the ramps it received and when a control ended, whether by a destroy request
// or by the client going away. A gamma file is checked as a real compositor relies on it:
// read from where the client left its offset, sealed against shrinking, growing and
// writing, and holding all three ramps.
#include <fcntl.h>
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
#include "xdg-output-unstable-v1-server-protocol.h"

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
        std::uint32_t version = 4;      // of wl_output: below 4 it sends no name or description
        // What xdg-output tells: the logical size (0: the mode over the scale) and, where the
        // wl_output is too old to say them, the name and description.
        int logicalWidth = 0, logicalHeight = 0;
    };

    // What one output's gamma went through.
    struct GammaRecord {
        std::vector<std::uint16_t> ramps;  // the last set: red, green, blue, gammaSize each
        int controlsAsked = 0;             // get_gamma_control requests, answered or failed
        int controlsMade = 0;
        int controlsEnded = 0;  // destroyed, withdrawn, or their client went away
        int filesRefused = 0;   // set_gamma files that were not sealed or too short
        bool held() const { return controlsMade > controlsEnded; }
    };

    // `socketPath` is where clients connect (WAYLAND_DISPLAY may name it as is).
    explicit FakeCompositor(std::filesystem::path socketPath, bool gammaManager = true, bool xdgOutput = true)
        : server_(std::move(socketPath)) {
        if (gammaManager) addGammaManagerNow();
        if (xdgOutput) wl_global_create(server_.display(), &zxdg_output_manager_v1_interface, 3, this, bindXdgManager);
        server_.start();
    }

    ~FakeCompositor() { server_.stop(); }

    // Goes away as a compositor that quits or crashes: every client's connection ends.
    void stop() { server_.stop(); }

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
            output->global = wl_global_create(server_.display(), &wl_output_interface, static_cast<int>(spec.version),
                                              output.get(), bindOutput);
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

    // Another client took the output's gamma: its live controls get `failed`, later ones too.
    void withdrawGammaOf(int handle) {
        onThread([this, handle] {
            const auto it = outputs_.find(handle);
            if (it == outputs_.end()) return;
            it->second->failing = true;
            for (auto* resource : it->second->controls) {
                auto* control = static_cast<Control*>(wl_resource_get_user_data(resource));
                if (!control->live) continue;
                control->live = false;
                record(handle, [](GammaRecord& r) { ++r.controlsEnded; });
                zwlr_gamma_control_v1_send_failed(resource);
            }
        });
    }

    // The output takes another mode (the other client's hold on its gamma ends with it).
    void changeMode(int handle, int width, int height) {
        onThread([this, handle, width, height] {
            const auto it = outputs_.find(handle);
            if (it == outputs_.end()) return;
            Output& output = *it->second;
            output.spec.width = width;
            output.spec.height = height;
            output.failing = false;
            for (auto* resource : output.resources) {
                wl_output_send_mode(resource, WL_OUTPUT_MODE_CURRENT | WL_OUTPUT_MODE_PREFERRED, width, height, 60000);
                if (wl_resource_get_version(resource) >= 2) wl_output_send_done(resource);
            }
        });
    }

    // The gamma manager's global goes away (its controls with it), or comes back.
    void removeGammaManager() {
        onThread([this] {
            if (!gammaManager_) return;
            wl_global_destroy(gammaManager_);
            gammaManager_ = nullptr;
            for (auto& [handle, output] : outputs_)
                for (auto* resource : output->controls) {
                    auto* control = static_cast<Control*>(wl_resource_get_user_data(resource));
                    if (!control->live) continue;
                    control->live = false;
                    record(handle, [](GammaRecord& r) { ++r.controlsEnded; });
                    zwlr_gamma_control_v1_send_failed(resource);
                }
        });
    }
    void addGammaManager() {
        onThread([this] {
            if (!gammaManager_) addGammaManagerNow();
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
        std::vector<wl_resource*> controls;
        bool failing = false;
    };
    struct Control {
        FakeCompositor* owner = nullptr;
        Output* output = nullptr;  // outlives the control (a removed output is kept)
        int handle = 0;
        std::uint32_t size = 0;
        bool live = false;  // gamma_size sent, not yet ended
    };

    void addGammaManagerNow() {
        gammaManager_ =
            wl_global_create(server_.display(), &zwlr_gamma_control_manager_v1_interface, 1, this, bindGammaManager);
    }

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
        const int seals = ::fcntl(fd, F_GET_SEALS);
        std::vector<std::uint16_t> ramps(static_cast<std::size_t>(control->size) * 3);
        const std::size_t bytes = ramps.size() * sizeof(std::uint16_t);
        // Read as a compositor does: from the file's offset, not from its start.
        std::size_t got = 0;
        for (ssize_t n; got < bytes && (n = ::read(fd, reinterpret_cast<char*>(ramps.data()) + got, bytes - got)) > 0;)
            got += static_cast<std::size_t>(n);
        ::close(fd);
        const int needed = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;
        const char* refusal = seals < 0 || (seals & needed) != needed ? "unsealed gamma file"
                              : got != bytes                          ? "short gamma file"
                                                                      : nullptr;
        if (refusal) {
            control->owner->record(control->handle, [](GammaRecord& r) { ++r.filesRefused; });
            wl_resource_post_error(resource, ZWLR_GAMMA_CONTROL_V1_ERROR_INVALID_GAMMA, "%s", refusal);
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
        if (control->output) {
            auto& list = control->output->controls;
            list.erase(std::remove(list.begin(), list.end(), resource), list.end());
        }
        delete control;
    }

    static void managerGetControl(wl_client* client, wl_resource* manager, uint32_t id, wl_resource* outputResource) {
        auto* self = static_cast<FakeCompositor*>(wl_resource_get_user_data(manager));
        auto* output = static_cast<Output*>(wl_resource_get_user_data(outputResource));
        auto* control =
            new Control{self, output, output ? self->handleOf(output) : 0, output ? output->spec.gammaSize : 0};
        wl_resource* resource = wl_resource_create(client, &zwlr_gamma_control_v1_interface, 1, id);
        wl_resource_set_implementation(resource, &controlImplementation, control, controlGone);
        if (output) output->controls.push_back(resource);
        self->record(control->handle, [](GammaRecord& r) { ++r.controlsAsked; });
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

    // --- xdg-output --------------------------------------------------------------------
    static void xdgOutputDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct zxdg_output_v1_interface xdgOutputImplementation = {xdgOutputDestroy};

    static void xdgGetOutput(wl_client* client, wl_resource* manager, uint32_t id, wl_resource* outputResource) {
        wl_resource* resource =
            wl_resource_create(client, &zxdg_output_v1_interface, wl_resource_get_version(manager), id);
        wl_resource_set_implementation(resource, &xdgOutputImplementation, nullptr, nullptr);
        const auto* output = static_cast<Output*>(wl_resource_get_user_data(outputResource));
        if (!output) return;
        const auto& s = output->spec;
        zxdg_output_v1_send_logical_position(resource, s.x, s.y);
        zxdg_output_v1_send_logical_size(resource, s.logicalWidth ? s.logicalWidth : s.width / s.scale,
                                         s.logicalHeight ? s.logicalHeight : s.height / s.scale);
        if (wl_resource_get_version(resource) >= 2) {
            zxdg_output_v1_send_name(resource, s.name.c_str());
            zxdg_output_v1_send_description(resource, ("xdg " + s.make + " " + s.model).c_str());
        }
        // Since version 3 the wl_output's done closes xdg-output's events too.
        if (wl_resource_get_version(resource) >= 3 && wl_resource_get_version(outputResource) >= 2)
            wl_output_send_done(outputResource);
        else zxdg_output_v1_send_done(resource);
    }

    static void xdgManagerDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static constexpr struct zxdg_output_manager_v1_interface xdgManagerImplementation = {xdgManagerDestroy,
                                                                                         xdgGetOutput};

    static void bindXdgManager(wl_client* client, void* data, uint32_t version, uint32_t id) {
        wl_resource* resource =
            wl_resource_create(client, &zxdg_output_manager_v1_interface, static_cast<int>(version), id);
        wl_resource_set_implementation(resource, &xdgManagerImplementation, data, nullptr);
    }

    FakeWaylandServer server_;
    wl_global* gammaManager_ = nullptr;               // compositor thread only, once started
    std::map<int, std::unique_ptr<Output>> outputs_;  // compositor thread only
    std::vector<std::unique_ptr<Output>> removed_;
    std::atomic<int> nextHandle_{1};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, GammaRecord> records_;
};

}  // namespace orvane::testing
