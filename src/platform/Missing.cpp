#include "platform/Missing.h"

#include <map>
#include <mutex>

#include "platform/Status.h"

namespace orvane::platform {

std::int32_t MissingGammaTables::read(std::uint32_t, std::uint32_t, GammaRamp& out) {
    out = {};
    return status::noneAvailable;
}
std::int32_t MissingGammaTables::write(std::uint32_t, const GammaRamp&) { return status::noneAvailable; }

std::int32_t MissingColorAdjustments::set(const ColorAdjustment&) { return status::missing; }

std::int32_t MissingBacklight::brightness(std::uint32_t, float&) { return status::missing; }
std::int32_t MissingBacklight::linearBrightness(std::uint32_t, float&) { return status::missing; }
std::int32_t MissingBacklight::setBrightness(std::uint32_t, float) { return status::missing; }
std::int32_t MissingBacklight::setLinearBrightness(std::uint32_t, float) { return status::missing; }

std::int32_t MissingDithering::setProperty(std::uint64_t, const std::string&, const Value&) {
    return status::noneAvailable;
}

// The classic event manager's "not handled" answer.
std::int32_t MissingKeyboard::installHotKeyHandler(HotKeyHandler) { return -9874; }
std::int32_t MissingKeyboard::registerHotKey(const KeyChord&, std::uint32_t, std::uint32_t, std::uint64_t& ref) {
    ref = 0;
    return -9874;
}
std::int32_t MissingKeyboard::unregisterHotKey(std::uint64_t) { return -9874; }

struct InProcessNotifications::Observers {
    std::mutex mutex;
    std::uint64_t next = 1;
    std::multimap<std::string, std::pair<std::uint64_t, std::shared_ptr<Observer>>> byName;
};

InProcessNotifications::InProcessNotifications(std::shared_ptr<Scheduler> scheduler)
    : scheduler_(std::move(scheduler)), observers_(std::make_shared<Observers>()) {}

bool InProcessNotifications::post(const std::string& name, const std::optional<Dictionary>& userInfo) {
    std::vector<std::weak_ptr<Observer>> targets;
    {
        std::lock_guard lock(observers_->mutex);
        const auto [first, last] = observers_->byName.equal_range(name);
        for (auto it = first; it != last; ++it) targets.push_back(it->second.second);
    }
    for (auto& weak : targets) {
        auto deliver = [weak, userInfo] {
            if (auto observer = weak.lock()) (*observer)(userInfo);
        };
        if (scheduler_) scheduler_->post(deliver);
        else deliver();
    }
    return true;
}

Handle InProcessNotifications::observe(const std::string& name, Observer observer) {
    std::lock_guard lock(observers_->mutex);
    const std::uint64_t id = observers_->next++;
    observers_->byName.emplace(name, std::make_pair(id, std::make_shared<Observer>(std::move(observer))));
    return Handle([weak = std::weak_ptr<Observers>(observers_), name, id] {
        auto o = weak.lock();
        if (!o) return;
        std::lock_guard l(o->mutex);
        const auto [first, last] = o->byName.equal_range(name);
        for (auto it = first; it != last; ++it)
            if (it->second.first == id) {
                o->byName.erase(it);
                break;
            }
    });
}

}  // namespace orvane::platform
