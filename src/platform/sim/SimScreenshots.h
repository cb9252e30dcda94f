#pragma once
// Captures of the simulated screens: the composed windows, before the colour pipeline.
#include <memory>

#include "platform/Screenshots.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimScreenshots final : public Screenshots {
public:
    SimScreenshots(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool preflightAccess() override;
    bool requestAccess() override;
    std::optional<Image> capture(const std::optional<Rect>& rect) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
