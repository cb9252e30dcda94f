#include "platform/sim/SimPreferences.h"

namespace orvane::platform::sim {

std::optional<Value> SimPreferences::copyAppValue(const std::string& key, const std::string& domain) {
    const auto s = machine_->read();
    const auto d = s.preferences.find(domain);
    if (d == s.preferences.end()) return std::nullopt;
    const auto v = d->second.find(key);
    if (v == d->second.end()) return std::nullopt;
    return v->second;
}

void SimPreferences::setAppValue(const std::string& key, const std::optional<Value>& value, const std::string& domain) {
    Dictionary args{{"key", key}, {"domain", domain}};
    if (value) args["value"] = *value;
    journal_->add("preferences.setAppValue", args);
    machine_->update([&](SimState& s) {
        if (value) s.preferences[domain][key] = *value;
        else if (auto d = s.preferences.find(domain); d != s.preferences.end()) d->second.erase(key);
    });
}

bool SimPreferences::synchronize(const std::string& domain) {
    journal_->add("preferences.synchronize", Value(domain));
    return true;
}

}  // namespace orvane::platform::sim
