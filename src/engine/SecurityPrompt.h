#pragma once
// Notices when the system shows an authentication prompt anywhere on screen: it looks
// through the on-screen windows for one of a known prompt owner that is large enough to be
// a prompt, and reports each change between a visible prompt and none. It looks twice a
// second; where the workspace tells when its window list changes, it looks only half a
// second after a change, as a look at an unchanged list could not change what it reports.
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/Scheduler.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

class SecurityPromptDetector {
public:
    static constexpr TimeInterval pollInterval = 0.5;
    static constexpr TimeInterval pollTolerance = 0.1;
    static constexpr double minimumWidth = 100;  // strictly wider
    static constexpr double minimumHeight = 60;  // strictly taller

    explicit SecurityPromptDetector(platform::Platform& platform);

    std::function<void(bool visible)> onChange;
    bool isVisible() const { return visible_; }
    bool isPolling() const { return running_; }

    // The first check runs one interval after start(), not at once.
    void start();
    // Reports false when a prompt was reported visible.
    void stop();

private:
    void poll();
    void pollSoon();
    void report(bool visible);

    platform::Platform& platform_;
    std::set<std::string> owners_;
    bool visible_ = false;
    bool running_ = false;
    platform::Handle timer_;
    platform::Handle changes_;  // while the workspace announces its changes
};

}  // namespace orvane
