#include "engine/SteadyBacklight.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/Platform.h"

namespace orvane {

namespace {

// A stored number that is not a Boolean, as a property-list number reads as a Double.
std::optional<double> storedDouble(const platform::Dictionary& record, const char* key) {
    const auto it = record.find(key);
    if (it == record.end() || it->second.isBool()) return std::nullopt;
    return it->second.number();
}

std::optional<std::uint32_t> storedDisplay(const platform::Dictionary& record) {
    const auto it = record.find("display");
    if (it == record.end() || it->second.isBool()) return std::nullopt;
    const auto n = it->second.integer();
    if (!n || *n < 0 || *n > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(*n);
}

}  // namespace

SteadyBacklight::SteadyBacklight(platform::Platform& platform, std::shared_ptr<platform::UserDefaults> defaults)
    : platform_(platform), defaults_(std::move(defaults)), services_(platform) {}

bool SteadyBacklight::isSupported() const { return services_.isAvailable(); }

std::optional<std::uint32_t> SteadyBacklight::builtInDisplayID() const {
    auto& displays = platform_.displays();
    const auto online = displays.onlineDisplays(16);
    const auto n = std::min<std::size_t>(16, online.size());
    for (std::size_t i = 0; i < n; ++i)
        if (displays.isBuiltin(online[i])) return online[i];
    return std::nullopt;
}

void SteadyBacklight::setLevel(float level) {
    level_ = level;
    if (active_ && displayID_) services_.setLinearBrightness(*displayID_, level_);
}

void SteadyBacklight::enable() {
    if (active_) return;
    const auto id = builtInDisplayID();
    if (!id || !isSupported()) return;
    displayID_ = id;
    if (!defaults_->dictionary(dirtyKey)) {
        // An older record stays: it holds the level from before an earlier hold.
        if (const auto current = services_.getLinearBrightness(*id))
            defaults_->set(dirtyKey, platform::Dictionary{{"level", static_cast<double>(*current)},
                                                          {"display", std::int64_t{*id}}});
    }
    active_ = true;
    services_.setLinearBrightness(*id, level_);
    auto scheduler = platform_.scheduler();
    if (scheduler) poll_ = scheduler->scheduleRepeating(holdInterval, holdTolerance, [this] { tick(); });
}

void SteadyBacklight::tick() {
    if (!displayID_) return;
    const auto reading = services_.getLinearBrightness(*displayID_);
    if (reading && std::fabs(*reading - level_) > driftThreshold) services_.setLinearBrightness(*displayID_, level_);
}

void SteadyBacklight::disable() {
    if (!active_) return;
    poll_.cancel();
    active_ = false;
    const auto record = defaults_->dictionary(dirtyKey);
    if (!record) return;
    const auto level = storedDouble(*record, "level");
    if (displayID_ && level) {
        // The record is the only copy of the user's level: it goes only once that level is back.
        if (!services_.setLinearBrightness(*displayID_, static_cast<float>(*level))) {
            log_.error("could not restore backlight %f; keeping the record", *level);
            return;
        }
    }
    defaults_->remove(dirtyKey);
}

void SteadyBacklight::restoreIfDirty() {
    const auto record = defaults_->dictionary(dirtyKey);
    if (!record) return;
    const auto level = storedDouble(*record, "level");
    const auto display = storedDisplay(*record);
    if (!level || !display) return;
    if (!services_.setLinearBrightness(*display, static_cast<float>(*level))) return;
    log_.notice("restored backlight %f after unclean exit", *level);
    defaults_->remove(dirtyKey);
}

}  // namespace orvane
