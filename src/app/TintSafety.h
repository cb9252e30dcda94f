#pragma once
// Makes sure a tint cannot outlive the program: clears what an earlier run left on the
// displays, turns SIGTERM, SIGINT and SIGHUP into an orderly quit, and keeps the
// Glowkeeper watchdog running with this process's id, starting it again a few seconds
// after it ends for as long as the program is not quitting.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "support/Date.h"

namespace orvane {

class TintSafety : public std::enable_shared_from_this<TintSafety> {
public:
    struct Options {
        // Absent: "glowkeeper" in the directory of the library this code is in.
        std::optional<std::filesystem::path> watchdog;
        TimeInterval restartDelay = 3.0;
    };

    // `terminate` runs the quit sequence; it is called on the main thread (the platform's
    // scheduler) for each termination signal received.
    TintSafety(std::shared_ptr<platform::Platform> platform, std::function<void()> terminate, Options options);
    TintSafety(std::shared_ptr<platform::Platform> platform, std::function<void()> terminate)
        : TintSafety(std::move(platform), std::move(terminate), Options{}) {}
    // Leaves a running watchdog running: it resets the displays once this process ends.
    ~TintSafety();
    TintSafety(const TintSafety&) = delete;
    TintSafety& operator=(const TintSafety&) = delete;

    // Once, at launch, before the engine exists: protect() and startWatchdog().
    void start();
    // The part that must come before the first tint: what an earlier run left on the
    // displays is cleared and the termination signals become an orderly quit.
    void protect();
    // The watchdog, which may start once the displays show the tint.
    void startWatchdog() { startGuard(); }

    // Set by the quit sequence; from then on no watchdog is started.
    bool stopping() const { return stopping_; }
    void setStopping() { stopping_ = true; }

    // The running watchdog's process id.
    std::optional<pid_t> guardPid() const { return guardPid_; }
    std::filesystem::path watchdogPath() const;

    // Clears every display's colour adjustment and gamma ramps on the platform.
    void resetDisplays();
    // "glowkeeper" beside the runtime library (or the executable this code is linked into).
    static std::filesystem::path defaultWatchdogPath();

private:
    void installSignalHandlers();
    void signalsReady();
    void startGuard();
    void watchGuard(pid_t pid);
    void guardEnded();

    std::shared_ptr<platform::Platform> platform_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    std::function<void()> terminate_;
    Options options_;
    bool stopping_ = false;
    std::optional<pid_t> guardPid_;
    int guardFd_ = -1;  // pidfd of the watchdog, or -1 while it is polled
    platform::Handle signalWatch_;
    platform::Handle guardWatch_;
    platform::Handle restart_;
    platform::Log log_{"safety"};
};

}  // namespace orvane
