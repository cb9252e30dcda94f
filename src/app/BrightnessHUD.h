#pragma once
// The brightness overlay shown while the program handles the brightness keys itself: a
// square panel near the bottom of the main screen with a title and sixteen level
// segments, gone 1.5 s after the last key press. The panel is made on first show and
// kept; it appears and goes at once, without a fade.
#include <memory>
#include <string>

#include "app/Panels.h"
#include "platform/Scheduler.h"

namespace orvane {

class BrightnessHUD {
public:
    static constexpr double width = 200;
    static constexpr double height = 200;
    static constexpr double bottomOffset = 140;  // the panel's bottom edge above the screen's
    static constexpr TimeInterval hideDelay = 1.5;

    BrightnessHUD(app::Panels& panels, std::shared_ptr<platform::Scheduler> scheduler);
    BrightnessHUD(const BrightnessHUD&) = delete;
    BrightnessHUD& operator=(const BrightnessHUD&) = delete;

    // Shows or refreshes the panel and restarts the hide delay. Without a main screen only
    // the state changes.
    void show(double level, const std::string& title);

    const app::BrightnessHUDState& state() const { return state_; }
    // Null before the first show.
    const app::Panel* panel() const { return panel_.get(); }

private:
    app::Panels& panels_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    app::BrightnessHUDState state_;
    // Shared only so the pending hide can hold it weakly.
    std::shared_ptr<app::Panel> panel_;
    platform::Handle hide_;
};

}  // namespace orvane
