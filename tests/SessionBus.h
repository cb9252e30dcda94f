#pragma once
// A private session bus for one test: dbus-daemon on a socket in the given directory, its
// address read from --print-address, so the test waits for readiness instead of sleeping.
// Tests that find no dbus-daemon say so with ORVANE_REQUIRE_TOOL.
#include <csignal>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "XvfbServer.h"

namespace orvane::testing {

class SessionBus {
public:
    explicit SessionBus(const std::filesystem::path& directory) {
        const auto binary = findProgram("dbus-daemon");
        if (!binary) {
            error_ = "no dbus-daemon binary on PATH";
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            error_ = "cannot make a pipe";
            return;
        }
        const std::string listen = "--address=unix:path=" + (directory / "bus").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0) ::dup2(devnull, 2);
            const std::string print = "--print-address=" + std::to_string(fds[1]);
            ::execl(binary->c_str(), "dbus-daemon", "--session", "--nofork", "--nopidfile", listen.c_str(),
                    print.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string address;
        for (;;) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, 15000) <= 0) break;
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
            address += c;
        }
        ::close(fds[0]);
        if (address.empty()) {
            error_ = "dbus-daemon did not report its address";
            stop();
            return;
        }
        address_ = address;
    }
    ~SessionBus() { stop(); }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    const std::string& error() const { return error_; }
    const std::string& address() const { return address_; }

private:
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    pid_t pid_ = -1;
    std::string error_;
    std::string address_;
};

}  // namespace orvane::testing
