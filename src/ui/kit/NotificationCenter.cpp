#include "ui/kit/NotificationCenter.h"

namespace orvane::kit {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

Subscription NotificationCenter::observe(std::string_view name, std::function<void(const Object&)> callback) {
    auto it = observers_.find(name);
    if (it == observers_.end()) it = observers_.emplace(std::string(name), Observers<Object>{}).first;
    return it->second.subscribe(std::move(callback));
}

void NotificationCenter::post(std::string_view name, Object object) const {
    const auto it = observers_.find(name);
    if (it == observers_.end()) return;
    // A copy keeps the table alive if an observer adds names meanwhile.
    const Observers<Object> observers = it->second;
    observers.notify(object);
}

}  // namespace orvane::kit
