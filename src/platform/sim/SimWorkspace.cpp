#include "platform/sim/SimWorkspace.h"

#include <algorithm>

#include "platform/sim/SimPlatform.h"

namespace orvane::platform::sim {

std::optional<RunningApplication> SimWorkspace::frontmostApplication() {
    const auto state = machine_->read();
    if (!state.hasPort("frontmostApplication")) return std::nullopt;
    return state.frontApplication;
}

bool SimWorkspace::canTellFrontmostApplication() {
    return machine_->inspect([](const SimState& s) { return s.hasPort("frontmostApplication"); });
}

std::optional<std::vector<WindowInfo>> SimWorkspace::windowList(std::uint32_t) {
    return machine_->update([](SimState& s) -> std::optional<std::vector<WindowInfo>> {
        if (SimMachine::takeFailure(s, "windowList")) return std::nullopt;
        return s.windowList;
    });
}

std::set<std::string> SimWorkspace::authenticationPromptOwners() {
    return {"coreautha", "SecurityAgent", "CoreAuthUI", "LocalAuthenticationRemoteService", "coreauthd"};
}

Point SimWorkspace::mouseLocation() { return machine_->read().mouse; }

TimeInterval SimWorkspace::secondsSinceLastInput() {
    const auto s = machine_->read();
    if (s.lastInputAt && clock_) return std::max(0.0, clock_->now() - *s.lastInputAt);
    return s.idleSeconds;
}

std::optional<bool> SimWorkspace::screenLocked() { return machine_->read().screenLocked; }

std::optional<AssertionsByProcess> SimWorkspace::assertionsByProcess() { return machine_->read().powerAssertions; }

bool SimWorkspace::openURL(const std::string& url) {
    journal_->add("workspace.openURL", Value(url));
    return true;
}

Handle SimWorkspace::observe(WorkspaceEvent event, std::function<void()> callback) {
    const std::uint64_t id = next_++;
    auto f = std::make_shared<std::function<void()>>(std::move(callback));
    (*observers_)[id] = {event, f};
    return Handle([weak = std::weak_ptr<Table>(observers_), id] {
        if (auto t = weak.lock()) t->erase(id);
    });
}

void SimWorkspace::post(WorkspaceEvent event) {
    for (const auto& [id, entry] : *observers_) {
        if (entry.first != event) continue;
        std::weak_ptr<std::function<void()>> weak = entry.second;
        auto deliver = [weak] {
            if (auto f = weak.lock()) (*f)();
        };
        if (scheduler_) scheduler_->post(deliver);
        else deliver();
    }
}

}  // namespace orvane::platform::sim
