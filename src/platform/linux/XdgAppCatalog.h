#pragma once
// The application catalogue over the XDG desktop entries: an application is a desktop-file
// ID, installed while the first applications folder that has an entry of that ID holds a
// Type=Application entry that is not Hidden. Names follow the messages locale; a front
// window's WM_CLASS finds its entry by StartupWMClass, else by ID. With a scheduler the
// folders are watched (inotify), and a burst of changes, as a package install makes, is
// told once it has settled.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppCatalog.h"
#include "platform/DesktopEntry.h"
#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

class XdgAppCatalog final : public AppCatalog {
public:
    // Empty folders and locale: the XDG folders and the messages locale of the environment.
    explicit XdgAppCatalog(std::vector<std::filesystem::path> directories = {}, std::string locale = {},
                           std::shared_ptr<Scheduler> scheduler = nullptr);

    // How long the folders must stay quiet before a change is told.
    static constexpr TimeInterval settleDelay = 1.0;

    std::optional<CatalogApp> application(const std::string& id) override;
    // Up to five installed entries in the photo, drawing and video-editing categories, by name.
    std::optional<std::vector<CatalogApp>> suggestions() override;
    std::optional<std::vector<CatalogApp>> applications() override;
    std::string applicationID(const std::string& windowClass, const std::optional<std::string>& instance) override;
    std::optional<CatalogApp> applicationAt(const std::filesystem::path& file) override;
    std::filesystem::path applicationsDirectory() override { return "/usr/share/applications"; }
    std::string applicationFilePattern() override { return "*.desktop"; }
    // Watches each applications folder, and for one not there yet its nearest existing
    // parent, so that a folder made later is watched from then on. None without a
    // scheduler or where inotify refuses.
    std::optional<Handle> observeChanges(std::function<void()> changed) override;

private:
    struct Installed {
        CatalogApp app;
        std::vector<std::string> categories;
        std::optional<std::string> startupWMClass;
        bool inMenus = true;  // not NoDisplay
    };
    // Every installed application, the first folder deciding each ID. With a scheduler it is
    // kept until the folders change (the front window's lookup asks at every switch);
    // without one it is read on each call.
    std::vector<Installed> installed();
    std::vector<Installed> readInstalled() const;
    std::optional<Installed> describe(const std::string& id, const DesktopEntry& entry) const;

    std::vector<std::filesystem::path> directories_;
    std::string locale_;
    std::shared_ptr<Scheduler> scheduler_;
    std::optional<std::vector<Installed>> kept_;
    std::optional<Handle> keptWatch_;
    bool watchTried_ = false;
};

}  // namespace orvane::platform::linuxsys
