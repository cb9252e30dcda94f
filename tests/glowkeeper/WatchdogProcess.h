#pragma once
// Runs the real Glowkeeper binary and the processes it watches, for the watchdog tests.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <filesystem>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glowkeeper_test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The test process's environment with some variables replaced (a value) or removed (nullopt).
inline std::vector<std::string> environmentWith(const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (!changes.count(text.substr(0, text.find('=')))) result.push_back(text);
    }
    for (const auto& [name, value] : changes)
        if (value) result.push_back(name + "=" + *value);
    return result;
}

inline std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

struct Finished {
    bool exited = false;  // ended by itself before the deadline
    int status = -1;      // raw wait status
    std::string output;   // everything it wrote on standard output
};

class Watchdog {
public:
    explicit Watchdog(std::vector<std::string> arguments,
                      std::optional<std::vector<std::string>> environment = std::nullopt) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        output_ = pipeFds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        arguments.insert(arguments.begin(), GLOWKEEPER_PATH);
        auto argv = pointers(arguments);
        std::vector<std::string> env = environment ? *environment : environmentWith({});
        auto envp = pointers(env);
        const int failed = ::posix_spawn(&pid_, GLOWKEEPER_PATH, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (failed != 0) throw std::runtime_error(std::string("cannot start Glowkeeper: ") + std::strerror(failed));
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
        }
        ::close(output_);
    }

    pid_t pid() const { return pid_; }

    bool running() {
        if (reaped_) return false;
        reaped_ = ::waitpid(pid_, &status_, WNOHANG) == pid_;
        return !reaped_;
    }

    // Once its signal dispositions are set it has passed argument checking and is about
    // to wait: that is when signals sent to it mean something.
    bool waitUntilIgnoringHangupAndInterrupt(std::chrono::milliseconds timeout = 5s) {
        const auto deadline = Clock::now() + timeout;
        const unsigned long wanted = (1UL << (SIGHUP - 1)) | (1UL << (SIGINT - 1));
        while (Clock::now() < deadline && running()) {
            if (const auto ignored = hexField("SigIgn:"); ignored && (*ignored & wanted) == wanted) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    Finished finish(std::chrono::milliseconds timeout = 5s) {
        const auto deadline = Clock::now() + timeout;
        Finished result;
        char buffer[4096];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= 0ms) break;
            pollfd watch{output_, POLLIN, 0};
            if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0) continue;
            const ssize_t n = ::read(output_, buffer, sizeof buffer);
            if (n <= 0) break;
            result.output.append(buffer, static_cast<std::size_t>(n));
        }
        while (running() && Clock::now() < deadline) std::this_thread::sleep_for(2ms);
        result.exited = reaped_;
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
            reaped_ = true;
        }
        result.status = status_;
        return result;
    }

private:
    std::optional<unsigned long> hexField(const std::string& name) const {
        const std::string path = "/proc/" + std::to_string(pid_) + "/status";
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        char buffer[8192];
        const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
        ::close(fd);
        if (n <= 0) return std::nullopt;
        const std::string text(buffer, static_cast<std::size_t>(n));
        const auto at = text.find(name);
        if (at == std::string::npos) return std::nullopt;
        return std::strtoul(text.c_str() + at + name.size(), nullptr, 16);
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int status_ = 0;
    bool reaped_ = false;
};

inline bool exitedWith(const Finished& finished, int code) {
    return finished.exited && WIFEXITED(finished.status) && WEXITSTATUS(finished.status) == code;
}

inline std::string resultLine(pid_t pid, int count) {
    return "Glowkeeper: pid " + std::to_string(pid) + " ended, reset " + std::to_string(count) + " display(s)\n";
}

// Every watchdog test gets a simulated machine and a config folder of its own: a state file,
// a kwinrc or a defaults file one test leaves behind would be what the next one resets.
class WatchdogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-watchdog-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        for (const char* name : {"ORVANE_SIM_DIR", "XDG_CONFIG_HOME"}) {
            if (const char* value = std::getenv(name)) before_[name] = value;
            else before_[name] = std::nullopt;
        }
        std::filesystem::create_directories(root_ / "sim");
        std::filesystem::create_directories(root_ / "config");
        ::setenv("ORVANE_SIM_DIR", (root_ / "sim").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : before_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }

    static std::filesystem::path simDir() { return std::getenv("ORVANE_SIM_DIR"); }
    static std::filesystem::path configDir() { return std::getenv("XDG_CONFIG_HOME"); }

private:
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> before_;
};

// A process that waits to be killed, standing in for the program being watched.
class WatchedProcess {
public:
    WatchedProcess() {
        pid_ = ::fork();
        if (pid_ == 0) {
            for (;;) ::pause();
        }
        if (pid_ < 0) throw std::runtime_error("fork failed");
    }
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;
    ~WatchedProcess() {
        kill();
        reap();
    }
    pid_t pid() const { return pid_; }
    void kill() const { ::kill(pid_, SIGKILL); }
    void reap() {
        if (!reaped_) ::waitpid(pid_, nullptr, 0);
        reaped_ = true;
    }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

// The pid of a process that has ended and been reaped.
inline pid_t deadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace glowkeeper_test
