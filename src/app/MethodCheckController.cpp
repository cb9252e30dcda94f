#include "app/MethodCheckController.h"

namespace orvane {

MethodCheckController::MethodCheckController(std::shared_ptr<AppModel> model, MethodCheckAsker& asker)
    : model_(std::move(model)), asker_(asker) {}

std::shared_ptr<MethodCheckController> MethodCheckController::create(std::shared_ptr<AppModel> model,
                                                                     MethodCheckAsker& asker) {
    return std::shared_ptr<MethodCheckController>(new MethodCheckController(std::move(model), asker));
}

std::vector<TintMethod> MethodCheckController::candidates(const Capabilities& capabilities, TintEngine& engine,
                                                          const DisplayInfo& display) {
    const DisplayCapabilities* can = capabilities.display(display.id);
    if (can && can->rules == MethodRules::displayFacts) {
        // Only what can show on this display: a probe of anything else shows nothing.
        std::vector<TintMethod> methods;
        for (const TintMethod m : {TintMethod::matrix, TintMethod::overlay, TintMethod::gamma})
            if (can->method(m)) methods.push_back(m);
        if (!display.isBuiltIn && can->method(TintMethod::ddc)) methods.push_back(TintMethod::ddc);
        return methods;
    }
    return candidates(engine, display);
}

std::vector<TintMethod> MethodCheckController::candidates(TintEngine& engine, const DisplayInfo& display) {
    std::vector<TintMethod> methods;
    if (engine.matrixAvailable()) methods.push_back(TintMethod::matrix);
    methods.push_back(TintMethod::overlay);
    methods.push_back(TintMethod::gamma);
    if (!display.isBuiltIn && engine.ddcAvailability(display)) methods.push_back(TintMethod::ddc);
    return methods;
}

void MethodCheckController::run(std::optional<std::vector<DisplayInfo>> displays, std::function<void()> finished) {
    if (started_) return;
    started_ = running_ = true;
    finished_ = std::move(finished);
    displays_ = displays ? std::move(*displays) : model_->displays();
    display_ = 0;
    startDisplay();
}

void MethodCheckController::startDisplay() {
    if (display_ >= displays_.size()) {
        finish();
        return;
    }
    // Read now: the matrix may have become unavailable since the last display.
    model_->refreshCapabilities();
    candidates_ = candidates(model_->capabilities(), model_->engine(), displays_[display_]);
    if (candidates_.empty()) {
        ++display_;
        startDisplay();
        return;
    }
    candidate_ = 0;
    result_.reset();
    rejectedMatrix_ = false;
    askCandidate();
}

void MethodCheckController::askCandidate() {
    const DisplayInfo& display = displays_[display_];
    const TintMethod method = candidates_[candidate_];
    model_->engine().beginProbe(display, method, testTint);

    // The first of the two buttons and the time-out answers; the run goes on from the
    // event loop, never from inside the card's handler.
    auto answered = std::make_shared<Answered>();
    auto scheduler = model_->platform()->scheduler();
    auto act = [weak = weak_from_this(), answered, scheduler](bool yes) {
        if (answered->done) return;
        answered->done = true;
        auto self = weak.lock();
        if (!self) return;
        self->asker_.orderOut();
        scheduler->post(platform::weakly(self, [yes](MethodCheckController& c) { c.answer(yes); }));
    };
    asker_.show(display, method, act);
    timeouts_.push_back(scheduler->schedule(answerTimeout, 0, [act] { act(false); }));
}

void MethodCheckController::answer(bool yes) {
    model_->engine().endProbe();
    const TintMethod method = candidates_[candidate_];
    if (yes) {
        result_ = method;
        storeDisplay();
        return;
    }
    if (method == TintMethod::matrix) rejectedMatrix_ = true;
    if (++candidate_ < candidates_.size()) {
        askCandidate();
        return;
    }
    storeDisplay();
}

void MethodCheckController::storeDisplay() {
    const DisplayInfo& display = displays_[display_];
    model_->change([&](Settings& settings, RuntimeState&) {
        DisplaySettings entry = settings.displaySettings(display.key);
        entry.methodCheckResult = result_;
        entry.methodCheckRejectedMatrix = rejectedMatrix_;
        entry.lastKnownName = display.name;
        entry.isBuiltIn = display.isBuiltIn;
        settings.displays[display.key] = entry;
    });
    // Present with no method when nothing was confirmed: apart from never checked.
    auto results = model_->lastMethodCheck();
    results[display.key] = result_;
    model_->setLastMethodCheck(std::move(results));
    ++display_;
    startDisplay();
}

void MethodCheckController::finish() {
    model_->engine().reconfigure();
    model_->recompute(Transition::instant);
    running_ = false;
    if (auto finished = std::move(finished_)) finished();
}

}  // namespace orvane
