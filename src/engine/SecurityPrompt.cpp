#include "engine/SecurityPrompt.h"

#include "platform/Platform.h"

namespace orvane {

namespace {

bool isPrompt(const platform::WindowInfo& window, const std::set<std::string>& owners) {
    if (!owners.count(window.ownerName)) return false;
    return window.bounds.width > SecurityPromptDetector::minimumWidth &&
           window.bounds.height > SecurityPromptDetector::minimumHeight;
}

}  // namespace

SecurityPromptDetector::SecurityPromptDetector(platform::Platform& platform)
    : platform_(platform), owners_(platform.workspace().authenticationPromptOwners()) {}

void SecurityPromptDetector::start() {
    if (timer_.active()) return;
    const auto& scheduler = platform_.scheduler();
    if (!scheduler) return;
    // The handle dies with this object, so the timer never outlives it.
    timer_ = scheduler->scheduleRepeating(pollInterval, pollTolerance, [this] { poll(); });
}

void SecurityPromptDetector::stop() {
    timer_.cancel();
    if (visible_) report(false);
}

void SecurityPromptDetector::poll() {
    const auto windows =
        platform_.workspace().windowList(platform::windowListOnScreenOnly | platform::windowListExcludeDesktopElements);
    if (!windows) return;  // not readable now: wait for a readable one
    bool found = false;
    for (const auto& window : *windows)
        if (isPrompt(window, owners_)) {
            found = true;
            break;
        }
    if (found != visible_) report(found);
}

void SecurityPromptDetector::report(bool visible) {
    visible_ = visible;
    if (onChange) {
        auto callback = onChange;
        callback(visible);
    }
}

}  // namespace orvane
