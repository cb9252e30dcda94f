#include "platform/sim/SimNightShiftClient.h"

#include <algorithm>
#include <iterator>

namespace orvane::platform::sim {

bool SimNightShiftClient::respondsTo(std::string_view selector) const {
    static constexpr std::string_view known[] = {
        "getCCT:",    "setCCT:commit:",      "getStrength:", "setStrength:commit:",
        "setActive:", "getBlueLightStatus:", "getCCTRange:", "setCCTRange:"};
    if (std::find(std::begin(known), std::end(known), selector) == std::end(known)) return false;
    const auto missing = machine_->read().nightShift.missingSelectors;
    return std::find(missing.begin(), missing.end(), selector) == missing.end();
}

std::optional<BlueLightStatus> SimNightShiftClient::blueLightStatus() {
    if (!respondsTo("getBlueLightStatus:")) return std::nullopt;
    const auto ns = machine_->read().nightShift;
    return BlueLightStatus{ns.active, ns.enabled};
}

std::optional<float> SimNightShiftClient::cct() {
    if (!respondsTo("getCCT:")) return std::nullopt;
    return machine_->read().nightShift.cct;
}

std::optional<float> SimNightShiftClient::strength() {
    if (!respondsTo("getStrength:")) return std::nullopt;
    return machine_->read().nightShift.strength;
}

std::optional<std::array<float, 3>> SimNightShiftClient::cctRange() {
    if (!respondsTo("getCCTRange:")) return std::nullopt;
    return machine_->read().nightShift.range;
}

bool SimNightShiftClient::setCCTRange(const std::array<float, 3>& range) {
    if (!respondsTo("setCCTRange:")) return false;
    journal_->add("nightShift.setCCTRange", Array{range[0], range[1], range[2]});
    machine_->update([&](SimState& s) { s.nightShift.range = range; });
    return true;
}

void SimNightShiftClient::setCCT(float kelvin, bool commit) {
    journal_->add("nightShift.setCCT", Array{kelvin, commit});
    machine_->update([&](SimState& s) { s.nightShift.cct = kelvin; });
}

void SimNightShiftClient::setStrength(float strength, bool commit) {
    journal_->add("nightShift.setStrength", Array{strength, commit});
    machine_->update([&](SimState& s) { s.nightShift.strength = strength; });
}

void SimNightShiftClient::setActive(bool active) {
    journal_->add("nightShift.setActive", Array{active});
    machine_->update([&](SimState& s) {
        s.nightShift.active = active;
        if (active) s.nightShift.enabled = true;
    });
}

}  // namespace orvane::platform::sim
