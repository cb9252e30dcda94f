#pragma once
// The simulated Night Shift client; selectors listed as missing in the machine's state
// answer as an older system's client would (not at all).
#include <memory>

#include "platform/NightShiftClient.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimNightShiftClient final : public NightShiftClient {
public:
    SimNightShiftClient(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool respondsTo(std::string_view selector) const override;
    std::optional<BlueLightStatus> blueLightStatus() override;
    std::optional<float> cct() override;
    std::optional<float> strength() override;
    std::optional<std::array<float, 3>> cctRange() override;
    bool setCCTRange(const std::array<float, 3>& range) override;
    void setCCT(float kelvin, bool commit) override;
    void setStrength(float strength, bool commit) override;
    void setActive(bool active) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
