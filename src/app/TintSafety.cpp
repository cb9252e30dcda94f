#include "app/TintSafety.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/AXColorMatrix.h"
#include "platform/Platform.h"

extern char** environ;

namespace orvane {

namespace {

constexpr int caughtSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The self-pipe: the handler only writes the signal number; the main loop reads it.
int signalPipe[2] = {-1, -1};
struct sigaction previousActions[3];
bool handlersInstalled = false;

extern "C" void onTerminationSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool ensureSignalPipe() {
    if (signalPipe[0] >= 0) return true;
    return ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0;
}

std::string signalName(int number) {
    switch (number) {
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(number);
    }
}

int openPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

}  // namespace

TintSafety::TintSafety(std::shared_ptr<platform::Platform> platform, std::function<void()> terminate, Options options)
    : platform_(std::move(platform)),
      scheduler_(platform_->scheduler()),
      terminate_(std::move(terminate)),
      options_(std::move(options)) {}

TintSafety::~TintSafety() {
    signalWatch_.cancel();
    guardWatch_.cancel();
    restart_.cancel();
    if (guardFd_ >= 0) ::close(guardFd_);
    if (handlersInstalled) {
        // Without this object nothing would read the pipe and the signals would be lost.
        for (std::size_t i = 0; i < std::size(caughtSignals); ++i)
            ::sigaction(caughtSignals[i], &previousActions[i], nullptr);
        handlersInstalled = false;
    }
}

void TintSafety::start() {
    protect();
    startGuard();
}

void TintSafety::protect() {
    resetDisplays();
    installSignalHandlers();
}

void TintSafety::resetDisplays() {
    AXColorMatrix(*platform_).resetAll();
    // X gamma ramps outlive a killed process too; a leftover ramp would otherwise be taken
    // for the display's own at the next attach.
    platform_->gammaTables().restoreColorSyncSettings();
}

std::filesystem::path TintSafety::defaultWatchdogPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty()) return "Glowkeeper";
    return self.parent_path() / "Glowkeeper";
}

std::filesystem::path TintSafety::watchdogPath() const {
    return options_.watchdog ? *options_.watchdog : defaultWatchdogPath();
}

void TintSafety::installSignalHandlers() {
    if (!ensureSignalPipe()) {
        log_.error("cannot make the signal pipe: %{public}s; signals end the program without its quit sequence",
                   std::string(std::strerror(errno)));
        return;
    }
    // A handler, never SIG_IGN: an ignored disposition would be inherited by the watchdog.
    if (!handlersInstalled) {
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < std::size(caughtSignals); ++i)
            ::sigaction(caughtSignals[i], &action, &previousActions[i]);
        handlersInstalled = true;
    }
    signalWatch_ = scheduler_->watchFd(signalPipe[0], platform::FdEvent::readable,
                                       platform::weakly(shared_from_this(), [](TintSafety& s) { s.signalsReady(); }));
}

void TintSafety::signalsReady() {
    unsigned char buffer[64];
    std::vector<int> received;
    for (;;) {
        const ssize_t n = ::read(signalPipe[0], buffer, sizeof buffer);
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i) received.push_back(buffer[i]);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    for (const int number : received) {
        log_.notice("%{public}s received; quitting", signalName(number));
        if (terminate_) terminate_();
    }
}

void TintSafety::startGuard() {
    if (stopping_) return;
    const auto path = watchdogPath();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), X_OK) != 0) {
        log_.error("Glowkeeper missing at %{public}s; a crash could leave the tint on until relaunch", path.string());
        return;
    }
    std::string program = path.string();
    std::string pid = std::to_string(::getpid());
    char* argv[] = {program.data(), pid.data(), nullptr};
    pid_t child = -1;
    // Inherits the environment, working directory and standard streams.
    const int failed = ::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (failed != 0) {
        log_.error("Glowkeeper failed to start: %{public}s", std::string(std::strerror(failed)));
        return;
    }
    guardPid_ = child;
    watchGuard(child);
}

void TintSafety::watchGuard(pid_t pid) {
    auto self = shared_from_this();
    guardFd_ = openPidfd(pid);
    if (guardFd_ >= 0) {
        guardWatch_ = scheduler_->watchFd(guardFd_, platform::FdEvent::readable,
                                          platform::weakly(self, [](TintSafety& s) { s.guardEnded(); }));
        return;
    }
    // Kernels without pidfd_open: ask now and then whether it has ended.
    guardWatch_ = scheduler_->scheduleRepeating(0.25, 0.1, platform::weakly(self, [pid](TintSafety& s) {
                                                    if (::waitpid(pid, nullptr, WNOHANG) != 0) s.guardEnded();
                                                }));
}

void TintSafety::guardEnded() {
    if (!guardPid_) return;
    const pid_t pid = *guardPid_;
    // Reap it; a pidfd becomes readable only once the process has ended.
    while (::waitpid(pid, nullptr, WNOHANG) < 0 && errno == EINTR) {}
    guardWatch_.cancel();
    if (guardFd_ >= 0) {
        ::close(guardFd_);
        guardFd_ = -1;
    }
    guardPid_.reset();
    if (stopping_) return;
    log_.notice("Glowkeeper (pid %d) ended; starting it again in %.1f s", static_cast<int>(pid), options_.restartDelay);
    restart_ = scheduler_->schedule(options_.restartDelay, 0.1,
                                    platform::weakly(shared_from_this(), [](TintSafety& s) { s.startGuard(); }));
}

}  // namespace orvane
