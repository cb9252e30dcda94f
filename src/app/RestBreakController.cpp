#include "app/RestBreakController.h"

#include <unistd.h>

#include "platform/Platform.h"

namespace orvane {

RestBreakHUD::RestBreakHUD(app::Panels& panels, std::shared_ptr<platform::Clock> clock)
    : panels_(panels), clock_(std::move(clock)), state_(clock_->now()) {}

void RestBreakHUD::show(double seconds) {
    state_.setSeconds(seconds);
    state_.setStartedAt(clock_->now());
    if (!panel_) panel_ = panels_.restBreakPanel(width, height, state_);
    const auto screen = panels_.mainScreenFrame();
    if (!panel_ || !screen) return;  // the break runs all the same
    const auto frame = screen->standardized();
    panel_->moveTo({frame.x + frame.width / 2 - width / 2, frame.minY() + bottomOffset});
    panel_->orderFrontRegardless();
}

void RestBreakHUD::hide() {
    if (panel_) panel_->orderOut();
}

namespace {

std::shared_ptr<platform::Clock> clockOf(const AppModel& model) {
    // The platform keeps its clock for its own life; the HUD borrows it through the model.
    const auto platform = model.platform();
    return std::shared_ptr<platform::Clock>(platform, &platform->clock());
}

}  // namespace

RestBreakController::RestBreakController(std::shared_ptr<AppModel> model, app::Panels& panels)
    : model_(std::move(model)), lastSample_(model_->platform()->clock().now()), hud_(panels, clockOf(*model_)) {
    update();
}

void RestBreakController::update() {
    if (!model_->settings().restBreaks.enabled) {
        sampleTimer_.cancel();
        timer_.reset();
        endBreak();
        return;
    }
    if (sampleTimer_.active()) return;
    const auto& scheduler = platform().scheduler();
    if (!scheduler) return;
    lastSample_ = platform().clock().now();
    // The handle dies with this object, so the timer never sees it gone.
    sampleTimer_ = scheduler->scheduleRepeating(sampleInterval, sampleTolerance, [this] { sample(); });
}

void RestBreakController::sample() {
    const Date now = platform().clock().now();
    const TimeInterval elapsed = now - lastSample_;
    lastSample_ = now;
    if (onBreak()) return;
    const double every = static_cast<double>(model_->settings().restBreaks.everyMinutes) * 60;
    const double idle = platform().workspace().secondsSinceLastInput();
    if (timer_.sample(elapsed, idle, blocked(), every)) startBreak();
}

bool RestBreakController::blocked() const {
    if (model_->frontmostIsFullScreen()) return true;
    if (model_->securityPromptVisible()) return true;
    auto& workspace = platform().workspace();
    if (screenLocked(workspace)) return true;
    auto& displays = platform().displays();
    if (const auto main = displays.mainDisplay(); main && displays.isAsleep(*main)) return true;
    return someoneKeepsDisplayAwake(workspace, static_cast<std::int32_t>(::getpid()));
}

bool RestBreakController::screenLocked(platform::Workspace& workspace) {
    return workspace.screenLocked().value_or(false);
}

bool RestBreakController::someoneKeepsDisplayAwake(platform::Workspace& workspace, std::int32_t ownPid) {
    const auto byProcess = workspace.assertionsByProcess();
    if (!byProcess) return false;
    for (const auto& [pid, types] : *byProcess) {
        if (pid == ownPid) continue;
        for (const auto& type : types)
            if (type == platform::preventUserIdleDisplaySleep || type == platform::noDisplaySleepAssertion) return true;
    }
    return false;
}

void RestBreakController::startBreak() {
    breakTask_.cancel();
    breakSeconds_ = static_cast<double>(model_->settings().restBreaks.seconds);
    model_->setRestDim(restDim);
    hud_.show(breakSeconds_);
    breakStart_ = platform().clock().monotonic();
    const auto& scheduler = platform().scheduler();
    if (!scheduler) return;
    breakTask_ = scheduler->schedule(pollInterval, 0, [this] { poll(); });
}

void RestBreakController::poll() {
    const TimeInterval elapsed = platform().clock().monotonic() - breakStart_;
    // Input after the first second ends the break; it is looked at only from 1.5 s on,
    // so the key that started "Try it now" does not.
    const bool touched =
        elapsed > inputTestedAfter && platform().workspace().secondsSinceLastInput() < elapsed - inputIgnoredFor;
    if (touched || elapsed >= breakSeconds_) {
        endBreak();
        return;
    }
    breakTask_ = platform().scheduler()->schedule(pollInterval, 0, [this] { poll(); });
}

void RestBreakController::endBreak() {
    breakTask_.cancel();
    timer_.reset();
    hud_.hide();
    model_->setRestDim(std::nullopt);
}

}  // namespace orvane
