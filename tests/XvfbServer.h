#pragma once
// A private X server for one test: Xvfb started with -displayfd, the display number read
// from the pipe up to the newline. Tests that find none say so with ORVANE_REQUIRE_TOOL.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RequiredTool.h"
#include "platform/FakeScheduler.h"

namespace orvane::testing {

inline std::optional<std::filesystem::path> findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const auto candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

class XvfbServer {
public:
    // Empty `error()` and a display name on success.
    XvfbServer() {
        const auto binary = findProgram("Xvfb");
        if (!binary) {
            error_ = "no Xvfb binary on PATH";
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            error_ = "cannot make a pipe";
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            const std::string fd = std::to_string(fds[1]);
            ::execl(binary->c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten",
                    "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        for (;;) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, 15000) <= 0) break;
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        ::close(fds[0]);
        if (number.empty()) {
            error_ = "Xvfb did not report a display number";
            stop();
            return;
        }
        display_ = ":" + number;
    }
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& error() const { return error_; }
    const std::string& display() const { return display_; }

private:
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    pid_t pid_ = -1;
    std::string error_;
    std::string display_;
};

// Runs what the scheduler holds (the X connections' reads among it) for up to `seconds`
// of real time or until `done` holds.
template <class F>
bool pumpUntil(platform::FakeScheduler& scheduler, F done, double seconds = 5) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        scheduler.runPending();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    scheduler.runPending();
    return done();
}

}  // namespace orvane::testing
