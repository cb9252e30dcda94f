#pragma once
// The simulated frame buffers' dithering property, one service per display.
#include <memory>

#include "platform/Dithering.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimDithering final : public Dithering {
public:
    SimDithering(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::optional<std::vector<std::uint64_t>> services(const std::string& className) override;
    std::optional<std::string> className(std::uint64_t service) override;
    std::optional<Value> property(std::uint64_t service, const std::string& name) override;
    std::int32_t setProperty(std::uint64_t service, const std::string& name, const Value& value) override;

private:
    std::optional<SimDisplay> find(std::uint64_t service);

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
