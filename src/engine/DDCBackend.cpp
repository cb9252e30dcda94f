#include "engine/DDCBackend.h"

#include <algorithm>
#include <cmath>

namespace orvane {

DDCBackend::DDCBackend(const DisplayInfo& display, std::shared_ptr<DDCService> service,
                       std::shared_ptr<platform::UserDefaults> defaults, std::shared_ptr<platform::Platform> platform)
    : display_(display), service_(std::move(service)), defaults_(std::move(defaults)), platform_(std::move(platform)) {}

std::optional<BackendError> DDCBackend::attach(const DisplayInfo& display) {
    const std::string previousKey = recordKey();
    display_ = display;
    const std::string key = recordKey();
    if (attached_ && previousKey != key) {
        // Re-attached under another key: the old record would never be found again, and the
        // fresh snapshot below must not read our own tint as the monitor's values.
        restoreMonitor();
        defaults_->remove(previousKey);
    }

    if (const auto record = defaults_->object(key)) {
        if (const auto values = DDCRecord::decode(*record, key, log_)) {
            snapshot_ = *values;
            restoreMonitor();
        }
    }

    DDCRecord::Values fresh;
    for (std::uint8_t code : {DDCService::vcpBrightness, DDCService::vcpRedGain, DDCService::vcpGreenGain,
                              DDCService::vcpBlueGain, DDCService::vcpColorPreset}) {
        if (const auto reading = service_->read(code)) {
            fresh[code] = reading->current;
            maxima_[code] = reading->max;
        }
    }
    if (!fresh.count(DDCService::vcpRedGain))
        return BackendError::unsupported("monitor does not expose RGB gain over DDC");

    snapshot_ = std::move(fresh);
    defaults_->set(key, DDCRecord::encode(snapshot_));
    brightnessBase_.reset();
    if (const auto it = snapshot_.find(DDCService::vcpBrightness); it != snapshot_.end()) brightnessBase_ = it->second;
    attached_ = true;
    return std::nullopt;
}

void DDCBackend::apply(const RenderRequest& request, double animated) {
    // The fade dies with this back-end and takes its timer along, so `this` is safe. Every
    // frame, and an apply that changes nothing, sends the whole gain set.
    fade_.run(current_, request.multiplier, animated, *platform_, &Multiplier::lerp, [this](const Multiplier& m) {
        current_ = m;
        writeGainSet(current_);
    });
}

void DDCBackend::detach() {
    fade_.stop();
    current_ = Multiplier::identity;
    // Never attached: there is nothing of ours to undo, and a record left by an earlier run
    // must stay for whoever attaches next.
    if (!attached_) return;
    restoreMonitor();
    defaults_->remove(recordKey());
    attached_ = false;
}

void DDCBackend::verifyAndRepair() {
    if (fade_.isRunning() || !attached_) return;
    const auto red = service_->read(DDCService::vcpRedGain);
    if (!red) return;
    const double peak = current_.maxComponent();
    const double ratio = peak > 0 ? current_.r / peak : 1;
    const double expected = std::round(baseOf(DDCService::vcpRedGain) * ratio);
    if (std::fabs(static_cast<double>(red->current) - expected) <= repairTolerance) return;
    log_.notice("red gain reads %d, expected %d; writing the gains again", static_cast<int>(red->current),
                static_cast<int>(expected));
    writeGainSet(current_);
}

void DDCBackend::setBrightness(double fraction) {
    const double f = std::clamp(std::isnan(fraction) ? 0.0 : fraction, 0.0, 1.0);
    const auto max = maxima_.find(DDCService::vcpBrightness);
    const double maximum = max != maxima_.end() ? max->second : defaultLevel;
    const auto value = static_cast<std::uint16_t>(std::round(f * maximum));
    (void)service_->write(DDCService::vcpBrightness, value, false);
    // The next gain set scales brightness from here, so it keeps what the user chose.
    const double factor = current_.maxComponent();
    if (factor > 0) brightnessBase_ = value / factor;
}

std::optional<double> DDCBackend::brightnessFraction() {
    const auto reading = service_->read(DDCService::vcpBrightness);
    if (!reading || reading->max == 0) return std::nullopt;
    return static_cast<double>(reading->current) / reading->max;
}

double DDCBackend::baseOf(std::uint8_t code) const {
    const auto it = snapshot_.find(code);
    return it != snapshot_.end() ? it->second : defaultLevel;
}

std::uint16_t DDCBackend::scaled(std::uint8_t code, double factor, double base) const {
    const auto cap = maxima_.find(code);
    const double limit = cap != maxima_.end() ? cap->second : defaultLevel;
    const double v = std::round(factor * base);
    if (!(v > 0)) return 0;  // NaN too
    return static_cast<std::uint16_t>(std::min(v, limit));
}

void DDCBackend::writeGainSet(const Multiplier& m) {
    if (!attached_) return;
    const double peak = m.maxComponent();
    const double r = peak > 0 ? std::clamp(m.r / peak, 0.0, 1.0) : 1;
    const double g = peak > 0 ? std::clamp(m.g / peak, 0.0, 1.0) : 1;
    const double b = peak > 0 ? std::clamp(m.b / peak, 0.0, 1.0) : 1;
    if (snapshot_.count(DDCService::vcpColorPreset))
        (void)service_->write(DDCService::vcpColorPreset, userPreset, false);
    (void)service_->write(DDCService::vcpRedGain, scaled(DDCService::vcpRedGain, r, baseOf(DDCService::vcpRedGain)),
                          false);
    (void)service_->write(DDCService::vcpGreenGain,
                          scaled(DDCService::vcpGreenGain, g, baseOf(DDCService::vcpGreenGain)), false);
    (void)service_->write(DDCService::vcpBlueGain, scaled(DDCService::vcpBlueGain, b, baseOf(DDCService::vcpBlueGain)),
                          false);
    (void)service_->write(DDCService::vcpBrightness,
                          scaled(DDCService::vcpBrightness, peak, brightnessBase_.value_or(defaultLevel)), false);
}

void DDCBackend::restoreMonitor() { DDCRecord::restore(*service_, snapshot_); }

}  // namespace orvane
