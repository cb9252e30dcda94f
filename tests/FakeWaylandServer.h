#pragma once
// What every fake compositor of the tests shares: a libwayland-server display listening on
// a socket of the test's choosing, dispatched on a thread of its own once its globals are
// made, and a way for the test to run work on that thread and wait for it.
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvane::testing {

class FakeWaylandServer {
public:
    // `socketPath` is where clients connect (WAYLAND_DISPLAY may name it as is).
    explicit FakeWaylandServer(std::filesystem::path socketPath) : socketPath_(std::move(socketPath)) {
        display_ = wl_display_create();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath_.c_str(), sizeof address.sun_path - 1);
        std::filesystem::remove(socketPath_);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
            wl_display_add_socket_fd(display_, fd) != 0) {
            error_ = "cannot listen on " + socketPath_.string();
            ::close(fd);
        }
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        wl_event_loop_add_fd(wl_display_get_event_loop(display_), wake_, WL_EVENT_READABLE, runTasks, this);
    }
    // The owner stops the server in its own destructor, while what the clients' resources
    // point at still exists; this is only the last resort.
    ~FakeWaylandServer() { stop(); }
    FakeWaylandServer(const FakeWaylandServer&) = delete;
    FakeWaylandServer& operator=(const FakeWaylandServer&) = delete;

    // Starts dispatching, once the globals are made.
    void start() {
        thread_ = std::thread([this] {
            while (!stop_) {
                wl_event_loop_dispatch(wl_display_get_event_loop(display_), 100);
                wl_display_flush_clients(display_);
            }
        });
    }
    // Ends the thread, the clients and the display; once.
    void stop() {
        if (!display_) return;
        stop_ = true;
        const std::uint64_t one = 1;
        (void)::write(wake_, &one, sizeof one);
        if (thread_.joinable()) thread_.join();
        wl_display_destroy_clients(display_);
        wl_display_destroy(display_);
        display_ = nullptr;
        ::close(wake_);
        std::filesystem::remove(socketPath_);
    }

    wl_display* display() const { return display_; }
    const std::string& error() const { return error_; }
    const std::filesystem::path& socketPath() const { return socketPath_; }

    // Runs `task` on the server's thread and waits for it.
    void onThread(const std::function<void()>& task) {
        std::promise<void> done;
        auto finished = done.get_future();
        {
            std::lock_guard lock(tasksMutex_);
            tasks_.push_back([&] {
                task();
                done.set_value();
            });
        }
        const std::uint64_t one = 1;
        (void)::write(wake_, &one, sizeof one);
        finished.wait();
    }

private:
    static int runTasks(int fd, uint32_t, void* data) {
        auto* self = static_cast<FakeWaylandServer*>(data);
        std::uint64_t count = 0;
        (void)::read(fd, &count, sizeof count);
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(self->tasksMutex_);
            tasks.swap(self->tasks_);
        }
        for (auto& t : tasks) t();
        return 0;
    }

    std::filesystem::path socketPath_;
    std::string error_;
    wl_display* display_ = nullptr;
    int wake_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex tasksMutex_;
    std::vector<std::function<void()>> tasks_;
};

}  // namespace orvane::testing
