#pragma once
// The simulated machine's installed applications: the scripted list of its state. It has
// no suggestions of its own, so the fixed list applies; a chosen file is an application
// when an installed one lies at that path. Every read of the list goes to the journal, so
// tests can see how often the catalogue is asked.
#include <memory>

#include "platform/AppCatalog.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimAppCatalog final : public AppCatalog {
public:
    SimAppCatalog(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::optional<CatalogApp> application(const std::string& id) override;
    std::optional<std::vector<CatalogApp>> suggestions() override { return std::nullopt; }
    std::optional<std::vector<CatalogApp>> applications() override;
    std::string applicationID(const std::string& windowClass, const std::optional<std::string>& instance) override;
    std::optional<CatalogApp> applicationAt(const std::filesystem::path& file) override;
    std::filesystem::path applicationsDirectory() override { return "/Applications"; }
    std::string applicationFilePattern() override { return "*.app"; }

private:
    std::vector<SimApp> installed(const char* operation, Value argument);

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
