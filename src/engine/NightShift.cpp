#include "engine/NightShift.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"

namespace orvane {

namespace {

constexpr std::string_view requiredSelectors[] = {
    "getCCT:",    "setCCT:commit:",      "getStrength:", "setStrength:commit:",
    "setActive:", "getBlueLightStatus:", "getCCTRange:"};

std::shared_ptr<platform::NightShiftClient> makeUsableClient(platform::Platform& platform) {
    auto client = platform.makeNightShiftClient();
    if (!client) return nullptr;
    for (auto selector : requiredSelectors)
        if (!client->respondsTo(selector)) return nullptr;
    return client;
}

}  // namespace

NightShiftWarmth::NightShiftWarmth(platform::Platform& platform, std::shared_ptr<platform::UserDefaults> defaults)
    : defaults_(std::move(defaults)),
      client_(makeUsableClient(platform)),
      scheduler_(platform.scheduler()),
      macWords_(platform.systemInfo().describesMac()) {
    if (client_)
        ownChanges_ = client_->observeOwnChanges(
            [this](const std::string& key, const std::optional<platform::Value>& value) { userChanged(key, value); });
}

NightShiftWarmth::~NightShiftWarmth() { *holdAgain_ = false; }

void NightShiftWarmth::userChanged(const std::string& key, const std::optional<platform::Value>& value) {
    if (!defaults_) return;
    const std::string ownKey = client_->recordKey();
    auto record = defaults_->dictionary(dirtyKey);
    if (ownKey.empty() || !record) return;  // not driven by Orvane: the change is simply the user's
    const auto it = record->find(ownKey);
    if (it == record->end() || !it->second.dictionary()) return;
    platform::Dictionary own = *it->second.dictionary();
    if (value) own[key] = *value;
    else own.erase(key);
    (*record)[ownKey] = own;
    defaults_->set(dirtyKey, *record);
    if (std::find(keptUserChanges_.begin(), keptUserChanges_.end(), key) == keptUserChanges_.end())
        keptUserChanges_.push_back(key);
    log_.notice("%s changed in %s's own settings; kept for when Orvane gives the %s back", key, client_->desktopName(),
                featureName());
    // The same request again must reach the desktop: what it wrote is there no more.
    stale_ = true;
    if (!scheduler_ || !lastKelvin_ || !lastFloor_) return;
    // Written once the change has been taken in, never from inside the desktop's own news.
    *holdAgain_ = true;
    scheduler_->post([this, again = std::weak_ptr<bool>(holdAgain_)] {
        const auto pending = again.lock();
        if (!pending || !*pending || !lastKelvin_ || !lastFloor_) return;
        apply(*lastKelvin_, *lastFloor_);
    });
}

std::optional<platform::BlueLightStatus> NightShiftWarmth::status() const {
    if (!client_ || !client_->respondsTo("getBlueLightStatus:")) return std::nullopt;
    return client_->blueLightStatus();
}

bool NightShiftWarmth::isActive() const {
    const auto s = status();
    return s && s->active;
}

bool NightShiftWarmth::setRange(const std::array<float, 3>& range) {
    if (!client_ || !client_->respondsTo("setCCTRange:")) return false;
    return client_->setCCTRange(range);
}

void NightShiftWarmth::snapshotIfNeeded() {
    if (!defaults_) return;
    if (defaults_->object(dirtyKey)) {  // the first snapshot stays until restored
        addDesktopSettings();
        return;
    }
    const auto read = [this](std::string_view selector, auto get) -> decltype(get()) {
        if (!client_->respondsTo(selector)) return std::nullopt;
        return get();
    };
    const auto cct = read("getCCT:", [this] { return client_->cct(); });
    const auto strength = read("getStrength:", [this] { return client_->strength(); });
    const auto range = read("getCCTRange:", [this] { return client_->cctRange(); });
    if (!cct || !strength || !range) return;
    // A desktop's own settings go beside the four values under keys of its own.
    platform::Dictionary record = client_->desktopSettings();
    record["active"] = isActive();
    record["cct"] = static_cast<double>(*cct);
    record["strength"] = static_cast<double>(*strength);
    record["range"] = platform::Array{static_cast<double>((*range)[0]), static_cast<double>((*range)[1]),
                                      static_cast<double>((*range)[2])};
    defaults_->set(dirtyKey, record);
    log_.notice("snapshot: active=%{bool}d cct=%f strength=%f", isActive() ? 1 : 0, static_cast<double>(*cct),
                static_cast<double>(*strength));
}

void NightShiftWarmth::addDesktopSettings() {
    const std::string key = client_->recordKey();
    if (key.empty()) return;
    auto record = defaults_->dictionary(dirtyKey);
    if (!record || record->count(key)) return;
    const platform::Dictionary own = client_->desktopSettings();
    const auto it = own.find(key);
    if (it == own.end()) return;
    (*record)[key] = it->second;
    defaults_->set(dirtyKey, *record);
    log_.notice("snapshot: %s's own settings, beside those another desktop recorded", client_->desktopName());
}

void NightShiftWarmth::apply(std::optional<std::int64_t> kelvin, std::int64_t floor) {
    if (!client_) return;
    *holdAgain_ = false;
    if (!stale_ && lastKelvin_ && lastFloor_ && *lastKelvin_ == kelvin && *lastFloor_ == floor) return;
    stale_ = false;
    snapshotIfNeeded();

    if (floor < 2700 && (!lastFloor_ || *lastFloor_ != floor)) {
        const std::int64_t mid = (floor + 6000) / 2;
        (void)setRange({static_cast<float>(floor), 6000.0f, static_cast<float>(mid)});
    } else if (floor >= 2700 && lastFloor_ && *lastFloor_ < 2700) {
        (void)setRange({2700.0f, 6000.0f, 4100.0f});
    }
    lastFloor_ = floor;

    if (kelvin) {
        const double span = static_cast<double>(6000 - std::min<std::int64_t>(floor, 2700));
        double strength = static_cast<double>(6000 - *kelvin) / span;
        strength = std::isnan(strength) || strength < 0 ? 0 : std::min(strength, 1.0);
        if (client_->respondsTo("setCCT:commit:")) client_->setCCT(static_cast<float>(*kelvin), true);
        if (client_->respondsTo("setStrength:commit:")) client_->setStrength(static_cast<float>(strength), true);
        if (!isActive() && client_->respondsTo("setActive:")) client_->setActive(true);
    } else if (isActive() && client_->respondsTo("setActive:")) {
        client_->setActive(false);
    }
    lastKelvin_ = kelvin;
}

void NightShiftWarmth::reassert() {
    if (!lastKelvin_ || !lastFloor_) return;
    const std::optional<std::int64_t> kelvin = *lastKelvin_;
    const std::int64_t floor = *lastFloor_;
    const auto s = status();
    if (s) {
        if (s->active == kelvin.has_value()) return;
    } else if (!kelvin) {
        return;
    }
    lastKelvin_.reset();
    apply(kelvin, floor);
}

void NightShiftWarmth::restore() {
    if (!defaults_ || !defaults_->object(dirtyKey)) return;
    // A record of another kind reads as one without keys, so it cannot block later snapshots.
    auto record = std::optional<platform::Dictionary>(defaults_->dictionary(dirtyKey).value_or(platform::Dictionary{}));
    // A desktop files its own settings as a dictionary under its key; the four values are not.
    const std::string ownKey = client_ ? client_->recordKey() : std::string();
    const bool hasOwn = !ownKey.empty() && record->count(ownKey);
    const bool hasOthers = std::any_of(record->begin(), record->end(), [&](const auto& entry) {
        return entry.first != ownKey && entry.second.dictionary() != nullptr;
    });
    if (!ownKey.empty() && !hasOwn && hasOthers) {
        // Another desktop's settings, or their summary, are not this desktop's to take: the
        // record waits for the desktop that wrote it.
        if (!foreignRecordNoted_)
            log_.notice("left the %s settings another desktop recorded for that desktop", featureName());
        foreignRecordNoted_ = true;
        return;
    }
    const auto number = [&](const char* key) -> std::optional<double> {
        const auto it = record->find(key);
        if (it == record->end() || !it->second.isNumber()) return std::nullopt;
        return it->second.number();
    };
    if (const auto it = record->find("range"); it != record->end()) {
        const auto* values = it->second.array();
        if (values && values->size() == 3 &&
            std::all_of(values->begin(), values->end(), [](const platform::Value& v) { return v.isNumber(); })) {
            (void)setRange({static_cast<float>(*(*values)[0].number()), static_cast<float>(*(*values)[1].number()),
                            static_cast<float>(*(*values)[2].number())});
        }
    }
    if (client_ && client_->restoreDesktopSettings(*record)) {
        // The desktop's own settings are back; the four values are only their summary.
    } else if (client_) {
        if (const auto cct = number("cct"); cct && client_->respondsTo("setCCT:commit:"))
            client_->setCCT(static_cast<float>(*cct), true);
        if (const auto strength = number("strength"); strength && client_->respondsTo("setStrength:commit:"))
            client_->setStrength(static_cast<float>(*strength), true);
        bool active = false;
        if (const auto it = record->find("active"); it != record->end() && it->second.isBool())
            active = *it->second.get<bool>();
        if (client_->respondsTo("setActive:")) client_->setActive(active);
    }
    if (hasOwn && hasOthers) {
        record->erase(ownKey);
        defaults_->set(dirtyKey, *record);
    } else {
        defaults_->remove(dirtyKey);
    }
    lastKelvin_.reset();
    lastFloor_.reset();
    *holdAgain_ = false;
    stale_ = false;
    keptUserChanges_.clear();
    log_.notice("restored the user's %s settings", featureName());
}

std::int64_t NightShiftWarmth::floorWithinLimits(std::int64_t floor) const {
    if (!client_) return floor;
    const auto limits = client_->temperatureLimits();
    return limits ? std::clamp<std::int64_t>(floor, limits->first, limits->second) : floor;
}

std::optional<std::int64_t> NightShiftWarmth::lowestKelvin() const {
    const auto limits = client_ ? client_->temperatureLimits() : std::nullopt;
    return limits ? std::optional<std::int64_t>(limits->first) : std::nullopt;
}

void NightShiftWarmth::restoreIfDirty() {
    if (defaults_ && defaults_->object(dirtyKey)) restore();
}

// --- the status probe ------------------------------------------------------------------

bool NightShift::isAvailable() const { return platform_->makeNightShiftClient() != nullptr; }

std::string NightShift::desktopName() const {
    const auto client = platform_->makeNightShiftClient();
    return client ? client->desktopName() : std::string();
}

std::string NightShift::heldElsewhere() const {
    const auto client = platform_->makeNightShiftClient();
    return client ? client->heldElsewhere() : std::string();
}

std::optional<NightShift::Status> NightShift::status() const {
    const auto client = platform_->makeNightShiftClient();
    if (!client || !client->respondsTo("getBlueLightStatus:")) return std::nullopt;
    const auto s = client->blueLightStatus();
    if (!s) return std::nullopt;
    return Status{s->active, s->enabled};
}

}  // namespace orvane
