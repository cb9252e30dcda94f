#include "platform/linux/XdgAppCatalog.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "platform/DesktopEntry.h"

namespace orvane::platform::linuxsys {

namespace {

std::string lowered(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool isApplication(const DesktopEntry& entry) {
    return entry.value("Type") == "Application" && entry.value("Hidden") != "true";
}

}  // namespace

XdgAppCatalog::XdgAppCatalog(std::vector<std::filesystem::path> directories, std::string locale)
    : directories_(directories.empty() ? applicationDirectories() : std::move(directories)),
      locale_(locale.empty() ? messagesLocale() : std::move(locale)) {}

std::optional<XdgAppCatalog::Installed> XdgAppCatalog::describe(const std::string& id,
                                                                const DesktopEntry& entry) const {
    if (!isApplication(entry)) return std::nullopt;
    Installed app;
    app.app.id = id;
    app.app.name = entry.localizedValue("Name", locale_).value_or(id);
    if (app.app.name.empty()) app.app.name = id;
    app.app.icon = entry.localizedValue("Icon", locale_);
    if (app.app.icon && app.app.icon->empty()) app.app.icon.reset();
    app.categories = entry.list("Categories");
    app.startupWMClass = entry.value("StartupWMClass");
    app.inMenus = entry.value("NoDisplay") != "true";
    return app;
}

std::optional<CatalogApp> XdgAppCatalog::application(const std::string& id) {
    const auto found = findDesktopEntry(id, directories_);
    if (!found) return std::nullopt;
    const auto app = describe(id, found->entry);
    if (!app) return std::nullopt;
    return app->app;
}

std::vector<XdgAppCatalog::Installed> XdgAppCatalog::installed() const {
    std::vector<Installed> apps;
    std::set<std::string> seen;
    for (const auto& dir : directories_) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (auto it = std::filesystem::directory_iterator(dir, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error))
            if (it->path().extension() == ".desktop") files.push_back(it->path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::string id = desktopFileID(file);
            // A folder earlier in the list shadows the same ID further down, whatever it holds.
            if (!seen.insert(id).second) continue;
            const auto entry = DesktopEntry::read(file);
            if (!entry) continue;
            if (auto app = describe(id, *entry)) apps.push_back(std::move(*app));
        }
    }
    return apps;
}

std::optional<std::vector<CatalogApp>> XdgAppCatalog::suggestions() {
    static const std::set<std::string> wanted{"Photography", "RasterGraphics", "VectorGraphics", "AudioVideoEditing"};
    std::vector<CatalogApp> picked;
    for (const auto& app : installed())
        if (std::any_of(app.categories.begin(), app.categories.end(),
                        [](const std::string& c) { return wanted.count(c) > 0; }))
            picked.push_back(app.app);
    std::stable_sort(picked.begin(), picked.end(),
                     [](const CatalogApp& a, const CatalogApp& b) { return lowered(a.name) < lowered(b.name); });
    if (picked.size() > 5) picked.resize(5);
    return picked;
}

std::vector<CatalogApp> XdgAppCatalog::applications() {
    std::vector<CatalogApp> apps;
    for (const auto& app : installed())
        if (app.inMenus) apps.push_back(app.app);
    std::stable_sort(apps.begin(), apps.end(),
                     [](const CatalogApp& a, const CatalogApp& b) { return lowered(a.name) < lowered(b.name); });
    return apps;
}

std::string XdgAppCatalog::applicationID(const std::string& windowClass, const std::optional<std::string>& instance) {
    const auto apps = installed();
    for (const auto& app : apps)
        if (app.startupWMClass == windowClass) return app.app.id;
    for (const auto& candidate : {std::optional<std::string>(windowClass), instance}) {
        if (!candidate || candidate->empty()) continue;
        for (const auto& app : apps)
            if (lowered(app.app.id) == lowered(*candidate)) return app.app.id;
    }
    return windowClass;
}

std::optional<CatalogApp> XdgAppCatalog::applicationAt(const std::filesystem::path& file) {
    const auto entry = DesktopEntry::read(file);
    if (!entry) return std::nullopt;
    const auto app = describe(desktopFileID(file), *entry);
    if (!app) return std::nullopt;
    return app->app;
}

}  // namespace orvane::platform::linuxsys
