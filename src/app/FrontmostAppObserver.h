#pragma once
// Which application is in front and whether one of its windows fills a screen. Refreshed
// on application activation and space changes (never polled) and handed to the one
// subscriber only when it differs from the last value handed over.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppCatalog.h"
#include "platform/Displays.h"
#include "platform/Scheduler.h"
#include "platform/Workspace.h"

namespace orvane {

class FrontmostAppObserver {
public:
    struct Info {
        std::string bundleID;  // the catalogue's identifier (a desktop-file ID on Linux)
        std::string name;      // the bundle identifier when the application has no name
        bool isFullScreen = false;
        // What the workspace reported (the WM_CLASS class on X); exclusions stored under it
        // before the catalogue named applications still match.
        std::string windowClass{};
        bool operator==(const Info&) const = default;
    };

    // The services must outlive the observer. Registers the observations, then refreshes once (which only fills
    // `current`, as nobody has subscribed yet).
    FrontmostAppObserver(platform::Workspace& workspace, platform::Displays& displays, platform::AppCatalog& catalog);
    FrontmostAppObserver(const FrontmostAppObserver&) = delete;
    FrontmostAppObserver& operator=(const FrontmostAppObserver&) = delete;

    std::function<void(const std::optional<Info>&)> onChange;
    const std::optional<Info>& current() const { return current_; }

    void refresh();

    // Whether a normal on-screen window of the process has the size of some screen
    // (within 2 pt in both directions; the position does not matter).
    static bool isFullScreen(std::int32_t pid, platform::Workspace& workspace, platform::Displays& displays);

private:
    void update(std::optional<Info> info);

    platform::Workspace& workspace_;
    platform::Displays& displays_;
    platform::AppCatalog& catalog_;
    std::vector<platform::Handle> observers_;
    std::optional<Info> current_;
};

}  // namespace orvane
