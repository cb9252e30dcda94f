#include "app/BrightnessHUD.h"

namespace orvane {

BrightnessHUD::BrightnessHUD(app::Panels& panels, std::shared_ptr<platform::Scheduler> scheduler)
    : panels_(panels), scheduler_(std::move(scheduler)) {}

void BrightnessHUD::show(double level, const std::string& title) {
    state_.setLevel(level);
    state_.setTitle(title);
    if (!panel_) panel_ = panels_.brightnessPanel(width, height, state_);
    if (const auto screen = panels_.mainScreenFrame()) {
        const platform::Rect frame = screen->standardized();
        panel_->moveTo({frame.minX() + frame.width / 2 - width / 2, frame.minY() + bottomOffset});
        panel_->orderFrontRegardless();
    }
    hide_.cancel();
    if (!scheduler_) return;
    // Holds the panel weakly: a HUD released meanwhile leaves nothing to hide.
    hide_ = scheduler_->schedule(hideDelay, 0, [weak = std::weak_ptr<app::Panel>(panel_)] {
        if (const auto panel = weak.lock()) panel->orderOut();
    });
}

}  // namespace orvane
