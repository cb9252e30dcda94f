#include "platform/sim/SimWorkspace.h"

#include "platform/sim/SimPlatform.h"

namespace orvane::platform::sim {

std::optional<RunningApplication> SimWorkspace::frontmostApplication() { return machine_->read().frontApplication; }

std::optional<Array> SimWorkspace::windowList(std::uint32_t) { return machine_->read().windowList; }

std::set<std::string> SimWorkspace::authenticationPromptOwners() {
    return {"coreautha", "SecurityAgent", "CoreAuthUI", "LocalAuthenticationRemoteService", "coreauthd"};
}

Point SimWorkspace::mouseLocation() { return machine_->read().mouse; }

TimeInterval SimWorkspace::secondsSinceLastInput() { return machine_->read().idleSeconds; }

bool SimWorkspace::openURL(const std::string& url) {
    journal_->add("openURL", Value(url));
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
