#include "app/SettingsStore.h"

#include <exception>
#include <utility>

#include "core/SettingsCodec.h"

namespace orvane {

using platform::Bytes;
using platform::Value;

namespace {

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }
std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string describe(const std::exception& e) {
    if (const auto* json = dynamic_cast<const JsonError*>(&e)) return json->description();
    return e.what();
}

}  // namespace

SettingsStore::SettingsStore(std::shared_ptr<platform::UserDefaults> defaults,
                             std::shared_ptr<platform::Scheduler> scheduler)
    : defaults_(std::move(defaults)), scheduler_(std::move(scheduler)) {}

template <class T, class Decode>
std::optional<T> SettingsStore::load(std::string_view name, Decode decode, std::string_view what) {
    const std::string key(name);
    const auto known = unreadable_.find(key);
    const std::optional<Value> failedBefore =
        known != unreadable_.end() ? std::optional<Value>(known->second.stored) : std::nullopt;
    unreadable_.erase(key);
    const auto stored = defaults_->object(key);
    if (!stored) return std::nullopt;
    try {
        const Bytes* data = stored->data();
        if (!data) throw JsonError(JsonError::Kind::typeMismatch, "The stored value is not data.");
        return decode(textOf(*data));
    } catch (const std::exception& e) {
        // At launch the settings are read twice (for the engine, then the model): say it once.
        if (failedBefore != stored)
            log_.error("%{public}s unreadable, using defaults: %{public}s", std::string(what), describe(e));
        keepUnreadable(key, *stored);
        return std::nullopt;
    }
}

Settings SettingsStore::loadSettings() {
    const std::string key(settingsKey);
    const auto stored = defaults_->object(key);
    if (stored && lastSettings_ && lastSettings_->first == *stored) return lastSettings_->second;
    const auto salvaged = load<SettingsCodec::Salvaged>(
        settingsKey, [](const std::string& text) { return SettingsCodec::salvage(text); }, "settings");
    Settings settings = salvaged ? salvaged->settings : Settings();
    if (salvaged && !salvaged->reset.empty()) {
        std::vector<std::string> paths;
        std::string names, errors;
        for (const auto& reset : salvaged->reset) {
            paths.push_back(reset.path);
            names += (names.empty() ? "" : ", ") + reset.path;
            errors += (errors.empty() ? "" : "; ") + reset.error;
        }
        log_.error("settings unreadable in part, using defaults for %{public}s: %{public}s", names, errors);
        keepUnreadable(key, *stored, std::move(paths));
    }
    if (stored) lastSettings_.emplace(*stored, settings);
    else lastSettings_.reset();
    return settings;
}

RuntimeState SettingsStore::loadRuntime() {
    return load<RuntimeState>(
               runtimeKey, [](const std::string& text) { return RuntimeState::fromJson(json::parse(text)); }, "runtime")
        .value_or(RuntimeState());
}

Statistics SettingsStore::loadStatistics() {
    return load<Statistics>(
               statisticsKey, [](const std::string& text) { return Statistics::fromJson(json::parse(text)); },
               "statistics")
        .value_or(Statistics());
}

template <class Encode>
void SettingsStore::save(std::string_view key, Encode encode, Due due) {
    try {
        enqueue(std::string(key), bytesOf(encode()), due);
    } catch (const std::exception&) {
        // The stored document stays; the next real change is saved again.
    }
}

void SettingsStore::saveSettings(const Settings& settings) {
    save(settingsKey, [&] { return SettingsCodec::encode(settings); });
}

void SettingsStore::saveRuntime(const RuntimeState& runtime) {
    save(runtimeKey, [&] { return json::encodePretty(runtime.toJson()); });
}

void SettingsStore::saveStatistics(const Statistics& statistics) {
    save(statisticsKey, [&] { return json::encodePretty(statistics.toJson()); });
}

void SettingsStore::bookStatistics(const Statistics& statistics) {
    save(
        statisticsKey, [&] { return json::encodePretty(statistics.toJson()); }, Due::later);
}

void SettingsStore::enqueue(const std::string& key, Bytes data, Due due) {
    // The same bytes as stored (statistics of a tick that booked nothing, a setting put back)
    // need no write: a write costs a lock, a temporary file and two flushes to disk. With a
    // different document staged for the key, this one must still replace it.
    if (!pending_.count(key) && !unreadable_.count(key)) {
        const auto stored = defaults_->object(key);
        if (stored && stored->data() && *stored->data() == data) return;
    }
    pending_[key] = std::move(data);
    if (!scheduler_) {
        flush();
        return;
    }
    if (due == Due::soon) {
        flushTask_ = scheduler_->schedule(debounce, 0, [this] { flush(); });
        return;
    }
    // The first booking since the last write sets the deadline; later ones only join it.
    constexpr TimeInterval tolerance = 10;
    if (!lateFlushTask_)
        lateFlushTask_ = scheduler_->schedule(statisticsDelay - tolerance, tolerance, [this] { flush(); });
}

void SettingsStore::flush() {
    flushTask_.cancel();
    lateFlushTask_.cancel();
    auto pending = std::exchange(pending_, {});
    for (auto& [key, data] : pending) {
        backUpUnreadable(key);
        defaults_->set(key, Value(std::move(data)));
    }
}

void SettingsStore::resetAll() {
    for (const auto key : {settingsKey, runtimeKey, statisticsKey}) {
        const std::string name(key);
        backUpUnreadable(name);
        defaults_->remove(name);
    }
    pending_.clear();
    flushTask_.cancel();
    lateFlushTask_.cancel();
}

void SettingsStore::discardPending() {
    pending_.clear();
    flushTask_.cancel();
    lateFlushTask_.cancel();
}

void SettingsStore::keepUnreadable(const std::string& key, Value stored, std::vector<std::string> reset) {
    unreadable_.insert_or_assign(key, Unreadable{std::move(stored), std::move(reset)});
}

std::optional<std::string> SettingsStore::backUpUnreadable(const std::string& key) {
    const auto it = unreadable_.find(key);
    if (it == unreadable_.end()) return std::nullopt;
    std::optional<std::string> backup;
    // Only if the document still holds what failed to load; anything else came later.
    if (defaults_->object(key) == it->second.stored) {
        backup = defaults_->keepAside(key, it->second.stored);
        log_.error("kept the unreadable %{public}s as %{public}s", key, *backup);
    }
    unreadable_.erase(it);
    return backup;
}

std::vector<SettingsStore::Damage> SettingsStore::keepDamagedAside() {
    std::vector<Damage> damage;
    std::vector<std::pair<std::string, std::vector<std::string>>> found;
    for (const auto& [key, unreadable] : unreadable_) found.emplace_back(key, unreadable.reset);
    for (auto& [key, reset] : found)
        if (auto kept = backUpUnreadable(key)) damage.push_back({key, std::move(reset), std::move(*kept)});
    return damage;
}

}  // namespace orvane
