#pragma once
// Tints an external monitor in the monitor itself: its red, green and blue video gains
// and its brightness, over DDC/CI. These settings outlive the program, so attach first
// records the monitor's own values in the user defaults; detach writes them back and
// drops the record, and a launch after a crash restores what is left (DDCRecovery).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/Kelvin.h"
#include "engine/DDCRecord.h"
#include "engine/DDCService.h"
#include "engine/Fade.h"
#include "engine/TintBackend.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace orvane {

class DDCBackend final : public TintBackend {
public:
    static constexpr double framesPerSecond = 4;
    static constexpr double minimumFade = 0.1;          // seconds; this long or shorter is written at once
    static constexpr int repairTolerance = 2;           // red-gain steps the monitor may be off
    static constexpr std::uint16_t userPreset = 11;     // the first user colour preset
    static constexpr std::uint16_t defaultLevel = 100;  // base and cap of a code the monitor did not answer

    DDCBackend(const DisplayInfo& display, std::shared_ptr<DDCService> service,
               std::shared_ptr<platform::UserDefaults> defaults, std::shared_ptr<platform::Platform> platform);

    BackendKind kind() const override { return BackendKind::ddc; }
    const DisplayInfo& display() const override { return display_; }
    // Restores a record left behind first, then takes and records a fresh snapshot;
    // unsupported when the monitor does not answer for its red gain.
    std::optional<BackendError> attach(const DisplayInfo& display) override;
    // Reads only the request's gains; fades longer than 0.1 s step 4 times a second.
    void apply(const RenderRequest& request, double animated) override;
    // Writes the snapshot back and removes the record.
    void detach() override;
    // Rewrites the gains when the monitor's red gain is more than 2 off; nothing during a fade.
    void verifyAndRepair() override;

    // Brightness as a fraction of the monitor's maximum, unverified; later gain sets keep it.
    void setBrightness(double fraction);
    // Absent when the read fails or the maximum is 0.
    std::optional<double> brightnessFraction();

    const DDCRecord::Values& snapshot() const { return snapshot_; }
    const DDCRecord::Values& maxima() const { return maxima_; }
    const Multiplier& current() const { return current_; }
    // What a brightness factor of 1 writes: the snapshot's brightness, moved by setBrightness.
    std::optional<double> brightnessBase() const { return brightnessBase_; }
    bool isAnimating() const { return fade_.isRunning(); }

private:
    std::string recordKey() const { return DDCRecord::key(display_.key); }
    void writeGainSet(const Multiplier& m);
    void restoreMonitor();
    std::uint16_t scaled(std::uint8_t code, double factor, double base) const;
    double baseOf(std::uint8_t code) const;

    DisplayInfo display_;
    std::shared_ptr<DDCService> service_;
    std::shared_ptr<platform::UserDefaults> defaults_;
    std::shared_ptr<platform::Platform> platform_;
    DDCRecord::Values snapshot_;
    DDCRecord::Values maxima_;
    std::optional<double> brightnessBase_;
    Multiplier current_ = Multiplier::identity;
    Fade fade_{minimumFade, framesPerSecond};
    bool attached_ = false;
    platform::Log log_{"ddc"};
};

}  // namespace orvane
