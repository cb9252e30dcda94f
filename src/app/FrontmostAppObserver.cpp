#include "app/FrontmostAppObserver.h"

#include <cmath>

#include "platform/Platform.h"

namespace orvane {

FrontmostAppObserver::FrontmostAppObserver(platform::Workspace& workspace, platform::Displays& displays,
                                           platform::AppCatalog& catalog)
    : workspace_(workspace), displays_(displays), catalog_(catalog) {
    // The handles die with this object, so the callbacks never see it gone.
    for (const auto event :
         {platform::WorkspaceEvent::didActivateApplication, platform::WorkspaceEvent::activeSpaceDidChange})
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
    info.windowClass = *app->bundleIdentifier;
    // The program's own windows keep its bundle identifier, which the model looks for.
    info.bundleID = info.windowClass == platform::bundleIdentifier
                        ? info.windowClass
                        : catalog_.applicationID(info.windowClass, app->windowInstance);
    const auto known = catalog_.application(info.bundleID);
    info.name = known ? known->name : app->localizedName.value_or(info.bundleID);
    info.isFullScreen =
        app->fullScreen ? *app->fullScreen : isFullScreen(app->processIdentifier, workspace_, displays_);
    update(std::move(info));
}

void FrontmostAppObserver::update(std::optional<Info> info) {
    if (info == current_) return;
    current_ = std::move(info);
    if (onChange) onChange(current_);
}

bool FrontmostAppObserver::isFullScreen(std::int32_t pid, platform::Workspace& workspace,
                                        platform::Displays& displays) {
    const auto windows =
        workspace.windowList(platform::windowListOnScreenOnly | platform::windowListExcludeDesktopElements);
    if (!windows) return false;
    std::vector<platform::Rect> frames;
    for (const auto& screen : displays.screens()) frames.push_back(screen.frame);
    for (const auto& window : *windows) {
        if (window.ownerPID != pid || window.layer != 0) continue;
        const double width = window.bounds.width, height = window.bounds.height;
        if (!std::isfinite(width) || !std::isfinite(height)) continue;
        for (const auto& frame : frames)
            if (std::abs(frame.width - width) < 2.0 && std::abs(frame.height - height) < 2.0) return true;
    }
    return false;
}

}  // namespace orvane
