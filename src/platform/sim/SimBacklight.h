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

    bool isAvailable() override;
    std::int32_t brightness(std::uint32_t display, float& level) override { return get(nullptr, display, level); }
    std::int32_t linearBrightness(std::uint32_t display, float& level) override {
        return get("backlight.getLinear", display, level);
    }
    std::int32_t setBrightness(std::uint32_t display, float level) override {
        return set("backlight.setBrightness", nullptr, display, level);
    }
    std::int32_t setLinearBrightness(std::uint32_t display, float level) override {
        return set("backlight.setLinearBrightness", "backlight.setLinear", display, level);
    }
    bool canChangeBrightness(std::uint32_t display) override;

private:
    // `linear` names the scripted failure of the linear operation alone, beside the
    // "backlight.get" and "backlight.set" failures that every read or set takes.
    std::int32_t get(const char* linear, std::uint32_t display, float& level);
    std::int32_t set(const char* operation, const char* linear, std::uint32_t display, float level);

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
