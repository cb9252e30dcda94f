#pragma once
// Runs the real Orvane program for the end-to-end tests: a session of its own (config,
// runtime and simulated-machine directories, optionally a private bus or X server), the
// program's standard output and error collected as they come, readiness read from its
// log instead of sleeping.
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimFixture.h"

extern char** environ;

namespace orvane::e2e {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

// The directories of one user session.
struct Session {
    std::filesystem::path root = testing::freshDirectory("session");
    std::filesystem::path config = root / "config";
    std::filesystem::path runtime = root / "runtime";
    std::filesystem::path sim = root / "sim";
    std::map<std::string, std::optional<std::string>> environment;

    Session() {
        std::filesystem::create_directories(config);
        std::filesystem::create_directories(runtime);
        std::filesystem::create_directories(sim);
        ::chmod(runtime.c_str(), 0700);
        environment = {{"ORVANE_PLATFORM", "sim"},
                       {"XDG_CONFIG_HOME", config.string()},
                       {"XDG_RUNTIME_DIR", runtime.string()},
                       {"ORVANE_SIM_DIR", sim.string()},
                       {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
                       {"DISPLAY", std::nullopt},
                       {"WAYLAND_DISPLAY", std::nullopt},
                       {"QT_QPA_PLATFORM", std::nullopt}};
    }

    std::vector<std::string> environ_() const {
        std::vector<std::string> result;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text = *entry;
            if (!environment.count(text.substr(0, text.find('=')))) result.push_back(text);
        }
        for (const auto& [name, value] : environment)
            if (value) result.push_back(name + "=" + *value);
        return result;
    }
};

class ProgramProcess {
public:
    ProgramProcess(const Session& session, std::vector<std::string> arguments, std::string program = ORVANE_PATH) {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        output_ = out[0];
        errors_ = err[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        auto env = session.environ_();
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        const int failed = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        if (failed != 0) throw std::runtime_error(std::string("cannot start Orvane: ") + std::strerror(failed));
    }
    ~ProgramProcess() {
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
        }
        ::close(output_);
        ::close(errors_);
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int number) const { ::kill(pid_, number); }

    // Standard error, where the log goes, and standard output as collected so far.
    const std::string& errors() {
        pump(0ms);
        return errorText_;
    }
    const std::string& output() {
        pump(0ms);
        return outputText_;
    }

    bool waitForError(const std::string& text, std::chrono::milliseconds limit = 15s) {
        return waitFor([&] { return errorText_.find(text) != std::string::npos; }, limit);
    }
    bool waitForOutput(const std::string& text, std::chrono::milliseconds limit = 15s) {
        return waitFor([&] { return outputText_.find(text) != std::string::npos; }, limit);
    }
    // The program is ready once it logs its launch line.
    bool waitUntilReady(std::chrono::milliseconds limit = 15s) { return waitForError("launched: ", limit); }

    // The raw wait status once it has ended by itself within the limit.
    std::optional<int> waitForExit(std::chrono::milliseconds limit = 15s) {
        waitFor([&] { return !running(); }, limit);
        if (!reaped_) return std::nullopt;
        pump(0ms);
        return status_;
    }

    bool running() {
        if (reaped_) return false;
        reaped_ = ::waitpid(pid_, &status_, WNOHANG) == pid_;
        return !reaped_;
    }

    template <class F>
    bool waitFor(F done, std::chrono::milliseconds limit) {
        const auto deadline = Steady::now() + limit;
        for (;;) {
            pump(0ms);
            if (done()) return true;
            if (Steady::now() >= deadline) return false;
            pump(10ms);
        }
    }

private:
    // Reads what is there, waiting at most `wait` for something to arrive.
    void pump(std::chrono::milliseconds wait) {
        pollfd fds[2] = {{output_, POLLIN, 0}, {errors_, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(wait.count())) <= 0) return;
        char buffer[4096];
        for (auto& [fd, text] : {std::pair<int, std::string*>{output_, &outputText_}, {errors_, &errorText_}}) {
            pollfd one{fd, POLLIN, 0};
            while (::poll(&one, 1, 0) > 0 && (one.revents & POLLIN)) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0) break;
                text->append(buffer, static_cast<std::size_t>(n));
            }
        }
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int errors_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    std::string outputText_;
    std::string errorText_;
};

inline bool exitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

}  // namespace orvane::e2e
