#include "app/FrontmostAppObserver.h"

#include <cmath>
#include <limits>

namespace orvane {

using platform::Value;

FrontmostAppObserver::FrontmostAppObserver(platform::Workspace& workspace, platform::Displays& displays)
    : workspace_(workspace), displays_(displays) {
    // The handles die with this object, so the callbacks never see it gone.
    for (const auto event : {platform::WorkspaceEvent::didActivateApplication, platform::WorkspaceEvent::activeSpaceDidChange})
        observers_.push_back(workspace_.observe(event, [this] { refresh(); }));
    refresh();
}

void FrontmostAppObserver::refresh() {
    const auto app = workspace_.frontmostApplication();
    if (!app || !app->bundleIdentifier) {
        update(std::nullopt);
        return;
    }
    Info info;
    info.bundleID = *app->bundleIdentifier;
    info.name = app->localizedName.value_or(info.bundleID);
    info.isFullScreen = isFullScreen(app->processIdentifier, workspace_, displays_);
    update(std::move(info));
}

void FrontmostAppObserver::update(std::optional<Info> info) {
    if (info == current_) return;
    current_ = std::move(info);
    if (onChange) onChange(current_);
}

namespace {

std::optional<std::int64_t> entryInteger(const platform::Dictionary& d, const char* key) {
    const auto it = d.find(key);
    if (it == d.end()) return std::nullopt;
    if (const auto* i = it->second.get<std::int64_t>()) return *i;
    return std::nullopt;
}

std::optional<double> entryNumber(const platform::Dictionary& d, const char* key) {
    const auto it = d.find(key);
    if (it == d.end() || it->second.isBool()) return std::nullopt;
    const auto n = it->second.number();
    if (!n || !std::isfinite(*n)) return std::nullopt;
    return n;
}

}  // namespace

bool FrontmostAppObserver::isFullScreen(std::int32_t pid, platform::Workspace& workspace, platform::Displays& displays) {
    const auto windows = workspace.windowList(platform::windowListOnScreenOnly | platform::windowListExcludeDesktopElements);
    if (!windows) return false;
    for (const Value& entry : *windows)
        if (!entry.dictionary()) return false;  // not a window list at all
    std::vector<platform::Rect> frames;
    for (const auto& screen : displays.screens()) frames.push_back(screen.frame);
    for (const Value& entry : *windows) {
        const auto* window = entry.dictionary();
        const auto owner = entryInteger(*window, "kCGWindowOwnerPID");
        if (!owner || *owner < std::numeric_limits<std::int32_t>::min() ||
            *owner > std::numeric_limits<std::int32_t>::max() || *owner != pid)
            continue;
        if (entryInteger(*window, "kCGWindowLayer") != std::int64_t{0}) continue;
        const auto bounds = window->find("kCGWindowBounds");
        if (bounds == window->end() || !bounds->second.dictionary()) continue;
        const auto width = entryNumber(*bounds->second.dictionary(), "Width");
        const auto height = entryNumber(*bounds->second.dictionary(), "Height");
        if (!width || !height) continue;
        for (const auto& frame : frames)
            if (std::abs(frame.width - *width) < 2.0 && std::abs(frame.height - *height) < 2.0) return true;
    }
    return false;
}

}  // namespace orvane
