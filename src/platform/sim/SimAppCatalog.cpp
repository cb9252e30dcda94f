#include "platform/sim/SimAppCatalog.h"

#include <algorithm>

namespace orvane::platform::sim {

namespace {

CatalogApp catalogApp(const SimApp& app) { return {app.id, app.name, app.icon}; }

}  // namespace

std::vector<SimApp> SimAppCatalog::installed(const char* operation, Value argument) {
    journal_->add(std::string("appCatalog.") + operation, std::move(argument));
    return machine_->read().applications;
}

std::optional<CatalogApp> SimAppCatalog::application(const std::string& id) {
    const auto apps = installed("application", Value(id));
    const auto it = std::find_if(apps.begin(), apps.end(), [&](const SimApp& a) { return a.id == id; });
    if (it == apps.end()) return std::nullopt;
    return catalogApp(*it);
}

std::optional<std::vector<CatalogApp>> SimAppCatalog::applications() {
    std::vector<CatalogApp> apps;
    for (const auto& app : installed("applications", Dictionary{})) apps.push_back(catalogApp(app));
    std::stable_sort(apps.begin(), apps.end(),
                     [](const CatalogApp& a, const CatalogApp& b) { return a.name < b.name; });
    return apps;
}

std::string SimAppCatalog::applicationID(const std::string& windowClass, const std::optional<std::string>&) {
    for (const auto& app : installed("applicationID", Value(windowClass)))
        if (app.windowClass == windowClass) return app.id;
    return windowClass;
}

std::optional<CatalogApp> SimAppCatalog::applicationAt(const std::filesystem::path& file) {
    for (const auto& app : installed("applicationAt", Value(file.string())))
        if (app.path && std::filesystem::path(*app.path) == file) return catalogApp(app);
    return std::nullopt;
}

}  // namespace orvane::platform::sim
