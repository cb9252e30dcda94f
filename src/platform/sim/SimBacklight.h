#pragma once
// The simulated built-in displays' backlight levels.
#include <memory>

#include "platform/Backlight.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimBacklight final : public Backlight {
public:
    SimBacklight(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::int32_t brightness(std::uint32_t display, float& level) override { return get(display, level); }
    std::int32_t linearBrightness(std::uint32_t display, float& level) override { return get(display, level); }
    std::int32_t setBrightness(std::uint32_t display, float level) override {
        return set("DisplayServicesSetBrightness", display, level);
    }
    std::int32_t setLinearBrightness(std::uint32_t display, float level) override {
        return set("DisplayServicesSetLinearBrightness", display, level);
    }
    bool canChangeBrightness(std::uint32_t display) override;

private:
    std::int32_t get(std::uint32_t display, float& level);
    std::int32_t set(const char* facility, std::uint32_t display, float level);

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
