#pragma once
// The application catalogue over the XDG desktop entries: an application is a desktop-file
// ID, installed while the first applications folder that has an entry of that ID holds a
// Type=Application entry that is not Hidden. Names follow the messages locale; a front
// window's WM_CLASS finds its entry by StartupWMClass, else by ID.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/AppCatalog.h"
#include "platform/AppList.h"
#include "platform/DesktopEntry.h"

namespace orvane::platform::linuxsys {

class XdgAppCatalog final : public AppCatalog, public AppList {
public:
    // Empty folders and locale: the XDG folders and the messages locale of the environment.
    explicit XdgAppCatalog(std::vector<std::filesystem::path> directories = {}, std::string locale = {});

    std::optional<CatalogApp> application(const std::string& id) override;
    // Up to five installed entries in the photo, drawing and video-editing categories, by name.
    std::optional<std::vector<CatalogApp>> suggestions() override;
    std::string applicationID(const std::string& windowClass, const std::optional<std::string>& instance) override;
    std::optional<CatalogApp> applicationAt(const std::filesystem::path& file) override;
    std::vector<CatalogApp> applications() override;
    std::filesystem::path applicationsDirectory() override { return "/usr/share/applications"; }
    std::string applicationFilePattern() override { return "*.desktop"; }

private:
    struct Installed {
        CatalogApp app;
        std::vector<std::string> categories;
        std::optional<std::string> startupWMClass;
        bool inMenus = true;  // not NoDisplay
    };
    // Every installed application, the first folder deciding each ID; read on each call,
    // as entries come and go while the program runs.
    std::vector<Installed> installed() const;
    std::optional<Installed> describe(const std::string& id, const DesktopEntry& entry) const;

    std::vector<std::filesystem::path> directories_;
    std::string locale_;
};

}  // namespace orvane::platform::linuxsys
