#pragma once
// Tints one display by scaling its own transfer (gamma) tables. Reads only the request's
// channel gains: readable red, darkroom and overlays are not shown by this method.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/Kelvin.h"
#include "engine/Fade.h"
#include "engine/TintBackend.h"
#include "platform/GammaTables.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace orvane {

class GammaBackend final : public TintBackend {
public:
    static constexpr double minimumFade = 0.03;  // seconds; shorter is applied at once
    static constexpr double framesPerSecond = 30;
    static constexpr float driftTolerance = 0.01f;

    GammaBackend(const DisplayInfo& display, std::shared_ptr<platform::Platform> platform);

    BackendKind kind() const override { return BackendKind::gamma; }
    const DisplayInfo& display() const override { return display_; }
    std::optional<BackendError> attach(const DisplayInfo& display) override;
    void apply(const RenderRequest& request, double animated) override;
    // Puts the base tables back and restores this display only; the other displays keep
    // their tint.
    void detach() override;
    // Rewrites the tables when the brightest green or blue entry has drifted by more than
    // the tolerance; nothing during a fade. The tables are read without waiting for the
    // server: the comparison runs when the answer comes, and is dropped if a write of ours
    // came in between (the answer may predate it).
    void verifyAndRepair() override;
    // A repair check whose read failed, or a write that failed: the tables are no longer ours.
    bool lost() const override { return lost_; }
    bool checking() const { return checking_; }

    const Multiplier& current() const { return current_; }
    std::uint32_t count() const { return count_; }
    const platform::GammaRamp& base() const { return base_; }
    bool isAnimating() const { return fade_.isRunning(); }

private:
    void write(const Multiplier& m);
    platform::GammaTables& tables() { return platform_->gammaTables(); }

    std::shared_ptr<platform::Platform> platform_;
    DisplayInfo display_;
    platform::GammaRamp base_;  // the display's own tables, read at attach
    std::uint32_t count_ = 0;   // 0: not attached
    Multiplier current_ = Multiplier::identity;
    Fade fade_{minimumFade, framesPerSecond, Fade::FirstFrame::atOnce};
    platform::Log log_{"gamma"};
    std::uint64_t writes_ = 0;
    bool checking_ = false;  // a read is on its way
    bool lost_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for answers that come after the end
};

}  // namespace orvane
