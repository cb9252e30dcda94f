#include "app/PreciseLocation.h"

#include <utility>

namespace orvane {

using platform::LocationAuthorization;
using platform::LocationCoordinate;

struct PreciseLocation::State {
    std::shared_ptr<platform::LocationProvider> provider;
    std::shared_ptr<platform::Scheduler> scheduler;
    Completion completion;  // main thread only

    void answer(PreciseLocationResult result) {
        if (auto done = std::exchange(completion, nullptr)) done(result);
    }
};

namespace {

// Runs `work` on the main thread while the state lives.
template <class S, class F>
void onMain(const std::weak_ptr<S>& weak, const std::shared_ptr<platform::Scheduler>& scheduler, F work) {
    auto run = [weak, work = std::move(work)] {
        if (auto state = weak.lock()) work(*state);
    };
    if (scheduler) scheduler->post(std::move(run));
    else run();
}

}  // namespace

PreciseLocation::PreciseLocation(std::shared_ptr<platform::LocationProvider> provider,
                                 std::shared_ptr<platform::Scheduler> scheduler)
    : state_(std::make_shared<State>()) {
    state_->provider = std::move(provider);
    state_->scheduler = scheduler;
    const std::weak_ptr<State> weak = state_;
    platform::LocationProvider::Delegate delegate;
    delegate.didUpdateLocations = [weak, scheduler](const std::vector<LocationCoordinate>& locations) {
        if (locations.empty()) return;
        onMain(weak, scheduler, [fix = locations.back()](State& state) { state.answer({fix}); });
    };
    delegate.didFail = [weak, scheduler](const std::string& description) {
        onMain(weak, scheduler, [description](State& state) {
            state.answer({PreciseLocationError{PreciseLocationError::errorDomain, 1, description}});
        });
    };
    delegate.didChangeAuthorization = [weak, scheduler] {
        const auto state = weak.lock();
        if (!state) return;
        const auto status = state->provider->authorizationStatus();  // read where it was reported
        onMain(weak, scheduler, [status](State& s) {
            if (platform::isAuthorized(status) && s.completion) s.provider->requestLocation();
        });
    };
    state_->provider->setDelegate(std::move(delegate));
}

void PreciseLocation::request(Completion completion) {
    state_->completion = std::move(completion);
    if (state_->provider->authorizationStatus() == LocationAuthorization::notDetermined)
        state_->provider->requestWhenInUseAuthorization();
    state_->provider->requestLocation();
}

bool PreciseLocation::isWaiting() const { return static_cast<bool>(state_->completion); }

}  // namespace orvane
