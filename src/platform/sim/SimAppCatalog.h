#pragma once
// The simulated machine's installed applications: the scripted list of its state. It has
// no suggestions of its own, so the fixed list applies; a chosen file is an application
// when an installed one lies at that path.
#include <memory>

#include "platform/AppCatalog.h"
#include "platform/AppList.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimAppCatalog final : public AppCatalog, public AppList {
public:
    explicit SimAppCatalog(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    std::optional<CatalogApp> application(const std::string& id) override;
    std::optional<std::vector<CatalogApp>> suggestions() override { return std::nullopt; }
    std::string applicationID(const std::string& windowClass, const std::optional<std::string>& instance) override;
    std::optional<CatalogApp> applicationAt(const std::filesystem::path& file) override;
    std::vector<CatalogApp> applications() override;
    std::filesystem::path applicationsDirectory() override { return "/Applications"; }
    std::string applicationFilePattern() override { return "*.app"; }

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace orvane::platform::sim
