#include "engine/SecurityPrompt.h"

#include "platform/Platform.h"

namespace orvane {

namespace {

bool isPrompt(const platform::Value& window, const std::set<std::string>& owners) {
    const auto* entry = window.dictionary();
    if (!entry) return false;
    const auto owner = entry->find("kCGWindowOwnerName");
    if (owner == entry->end() || !owner->second.string() || !owners.count(*owner->second.string())) return false;
    const auto bounds = entry->find("kCGWindowBounds");
    if (bounds == entry->end() || !bounds->second.dictionary()) return false;
    const auto& b = *bounds->second.dictionary();
    const auto width = b.find("Width");
    const auto height = b.find("Height");
    if (width == b.end() || height == b.end() || !width->second.isNumber() || !height->second.isNumber() ||
        width->second.isBool() || height->second.isBool())
        return false;
    return *width->second.number() > SecurityPromptDetector::minimumWidth &&
           *height->second.number() > SecurityPromptDetector::minimumHeight;
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
    const auto windows = platform_.workspace().windowList(platform::windowListOnScreenOnly |
                                                          platform::windowListExcludeDesktopElements);
    if (!windows) return;
    for (const auto& window : *windows)
        if (!window.dictionary()) return;  // not a window list: wait for a readable one
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
