#pragma once
// A private X server for one test: Xvfb started with -displayfd, the display number read
// from the pipe up to the newline. Tests that find none say so with ORVANE_REQUIRE_TOOL.
// Audited, the server writes down every connection it accepts and from which process.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    struct Audited {};

    // Empty `error()` and a display name on success.
    XvfbServer() { start(false); }
    explicit XvfbServer(Audited) { start(true); }
    ~XvfbServer() {
        stop();
        if (!auditLog_.empty()) std::filesystem::remove(auditLog_);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& error() const { return error_; }
    const std::string& display() const { return display_; }

    // How many connections the audited server has accepted from process `pid`: counted by
    // the server, whatever library or thread of the process opened them.
    int connectionsFrom(pid_t pid) const {
        std::ifstream log(auditLog_);
        const std::string from = "pid=" + std::to_string(pid) + " ";
        int count = 0;
        for (std::string line; std::getline(log, line);)
            if (line.find(" connected from ") != std::string::npos && line.find(from) != std::string::npos) ++count;
        return count;
    }

private:
    void start(bool audit) {
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
        static std::atomic<int> serial{0};
        const std::string auditLog =
            audit ? (std::filesystem::temp_directory_path() /
                     ("orvane-xvfb-audit-" + std::to_string(::getpid()) + "-" + std::to_string(serial++)))
                        .string()
                  : std::string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            // The audit trail goes to standard error, one line a connection.
            const int log = audit ? ::open(auditLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) : -1;
            if (log >= 0) ::dup2(log, 2);
            const std::string fd = std::to_string(fds[1]);
            if (audit)
                ::execl(binary->c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten",
                        "tcp", "-audit", "4", static_cast<char*>(nullptr));
            else
                ::execl(binary->c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten",
                        "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        auditLog_ = auditLog;
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
    std::string auditLog_;
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
