#pragma once
// Rest breaks: every 15 s the controller samples how long the user has been idle and asks
// the accounting (RestBreakTimer) whether a break is due; a break dims the tint a little
// further through the model and shows a countdown panel until its time is up or the user
// touches the keyboard or mouse after its first second. Timers run on the platform's
// scheduler and clocks; every timer dies with the controller, so a controller that goes
// away mid-break leaves the model alone. Main thread only.
#include <memory>
#include <optional>

#include "app/AppModel.h"
#include "app/Panels.h"
#include "core/RestBreaks.h"
#include "platform/Scheduler.h"
#include "platform/Workspace.h"

namespace orvane {

// The countdown panel, built on first show and kept.
class RestBreakHUD {
public:
    static constexpr double width = 320;
    static constexpr double height = 92;
    static constexpr double bottomOffset = 120;  // above the bottom of the main screen

    // `panels` must outlive the HUD.
    RestBreakHUD(app::Panels& panels, std::shared_ptr<platform::Clock> clock);
    RestBreakHUD(const RestBreakHUD&) = delete;
    RestBreakHUD& operator=(const RestBreakHUD&) = delete;

    // Shows the countdown of a break of `seconds` starting now; without a main screen
    // only the state changes.
    void show(double seconds);
    // Orders the panel out, if one was built.
    void hide();

    const app::RestBreakHUDState& state() const { return state_; }
    bool isVisible() const { return panel_ && panel_->isVisible(); }

private:
    app::Panels& panels_;
    std::shared_ptr<platform::Clock> clock_;
    app::RestBreakHUDState state_;
    std::unique_ptr<app::Panel> panel_;
};

class RestBreakController {
public:
    static constexpr double sampleInterval = 15.0;
    static constexpr double sampleTolerance = 3.0;
    static constexpr double restDim = AppModel::restBreakDim;
    static constexpr double pollInterval = 0.25;
    static constexpr double inputIgnoredFor = 1.0;  // input in a break's first second does not end it
    static constexpr double inputTestedAfter = 1.5;

    // `panels` must outlive the controller. Brings the sampling in line with the settings.
    RestBreakController(std::shared_ptr<AppModel> model, app::Panels& panels);
    RestBreakController(const RestBreakController&) = delete;
    RestBreakController& operator=(const RestBreakController&) = delete;

    // Starts or stops sampling as `settings.restBreaks.enabled` says; leaves a running
    // sampler and a running break alone while enabled.
    void update();
    // Starts a break now, due or not; a running break starts over.
    void startBreak();
    // Ends a running break (or tidies up when none runs): the active time starts again
    // from zero, the panel goes and the extra dimming is lifted.
    void endBreak();

    // Whether a break may not start now.
    bool blocked() const;
    // Unreadable session or power information counts as not blocking.
    static bool screenLocked(platform::Workspace& workspace);
    // Another process than `ownPid` keeps the display from sleeping.
    static bool someoneKeepsDisplayAwake(platform::Workspace& workspace, std::int32_t ownPid);

    bool isSampling() const { return sampleTimer_.active(); }
    bool onBreak() const { return breakTask_.active(); }
    const RestBreakTimer& timer() const { return timer_; }
    Date lastSample() const { return lastSample_; }
    const RestBreakHUD& hud() const { return hud_; }

private:
    void sample();
    void poll();
    platform::Platform& platform() const { return *model_->platform(); }

    std::shared_ptr<AppModel> model_;
    RestBreakTimer timer_;
    platform::Handle sampleTimer_;
    Date lastSample_;
    platform::Handle breakTask_;   // the next poll of the running break
    TimeInterval breakStart_ = 0;  // monotonic
    double breakSeconds_ = 0;
    RestBreakHUD hud_;
};

}  // namespace orvane
