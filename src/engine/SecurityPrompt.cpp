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
    if (running_ || !platform_.scheduler()) return;
    running_ = true;
    // The handles die with this object, so no callback outlives it.
    if (auto changes = platform_.workspace().observeWindowList([this] { pollSoon(); })) {
        changes_ = std::move(*changes);
        pollSoon();
        return;
    }
    timer_ = platform_.scheduler()->scheduleRepeating(pollInterval, pollTolerance, [this] { poll(); });
}

void SecurityPromptDetector::stop() {
    running_ = false;
    changes_.cancel();
    timer_.cancel();
    if (visible_) report(false);
}

void SecurityPromptDetector::pollSoon() {
    if (timer_.active()) return;  // a look is already due
    timer_ = platform_.scheduler()->schedule(pollInterval, pollTolerance, [this] {
        timer_.cancel();
        poll();
    });
}

void SecurityPromptDetector::poll() {
    const auto windows =
        platform_.workspace().windowList(platform::windowListOnScreenOnly | platform::windowListExcludeDesktopElements);
    if (!windows) {
        // Not readable now: wait for a readable one.
        if (changes_.active()) pollSoon();
        return;
    }
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
