#pragma once
// The installed applications, as the exclusions know them: an application is named by an
// identifier (a bundle identifier on the simulated machine, a desktop-file ID on Linux),
// has a name for people and an icon, and is installed or not. The catalogue also names
// the application a front window belongs to, lists what a person picks from, reads an
// application file the user chose, and tells when its folders change.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Scheduler.h"

namespace orvane::platform {

struct CatalogApp {
    std::string id;
    std::string name;
    std::optional<std::string> icon;  // a theme icon name or an absolute path
    bool operator==(const CatalogApp&) const = default;
};

class AppCatalog {
public:
    virtual ~AppCatalog() = default;

    // The installed application with this identifier; none when it is not installed.
    virtual std::optional<CatalogApp> application(const std::string& id) = 0;
    // The platform's own suggestions to exclude, in order; none where the fixed list of
    // suggestions applies.
    virtual std::optional<std::vector<CatalogApp>> suggestions() = 0;
    // The installed applications shown in menus, by name: what a chooser lists. None where
    // the catalogue cannot list them, and a chooser of application files stands in.
    virtual std::optional<std::vector<CatalogApp>> applications() = 0;
    // The identifier of the application whose window reports this class (and instance);
    // the class itself when no installed application claims it.
    virtual std::string applicationID(const std::string& windowClass, const std::optional<std::string>& instance) = 0;
    // The application a chosen file describes; none when the file cannot be read or does
    // not describe an application.
    virtual std::optional<CatalogApp> applicationAt(const std::filesystem::path& file) = 0;
    // Where a chooser of applications starts, and the file pattern it shows.
    virtual std::filesystem::path applicationsDirectory() = 0;
    virtual std::string applicationFilePattern() = 0;
    // Calls `changed` after the application folders changed; none where nothing watches.
    virtual std::optional<Handle> observeChanges(std::function<void()> /*changed*/) { return std::nullopt; }
};

class MissingAppCatalog final : public AppCatalog {
public:
    std::optional<CatalogApp> application(const std::string&) override { return std::nullopt; }
    std::optional<std::vector<CatalogApp>> suggestions() override { return std::vector<CatalogApp>{}; }
    std::optional<std::vector<CatalogApp>> applications() override { return std::nullopt; }
    std::string applicationID(const std::string& windowClass, const std::optional<std::string>&) override {
        return windowClass;
    }
    std::optional<CatalogApp> applicationAt(const std::filesystem::path&) override { return std::nullopt; }
    std::filesystem::path applicationsDirectory() override { return "/"; }
    std::string applicationFilePattern() override { return "*"; }
};

}  // namespace orvane::platform
