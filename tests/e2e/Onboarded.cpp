#include "Onboarded.h"

#include "app/SettingsStore.h"
#include "core/SettingsCodec.h"
#include "platform/UserDefaults.h"
#include "platform/Value.h"
#include "support/Json.h"

namespace orvane::e2e {

void storeOnboarded(const std::filesystem::path& config) {
    Settings settings;
    settings.onboardingCompleted = true;
    SettingsStore(platform::UserDefaults::open(config / "orvane" / "app.orvane.Orvane.json"), nullptr)
        .saveSettings(settings);
}

}  // namespace orvane::e2e

namespace orvane::e2e {

std::string storeDamagedSettings(const std::filesystem::path& file, const std::string& key, const std::string& value) {
    Settings settings;
    settings.onboardingCompleted = true;
    settings.mode = Mode::manual;
    Preset reading;
    reading.id = "user.reading";
    reading.name = "Reading";
    reading.kelvin = 2400;
    reading.icon = "book";
    settings.presets.push_back(reading);
    Json document = settings.toJson();
    if (!key.empty()) document[key] = json::parse(value);
    const std::string text = key.empty() ? "not json at all" : document.dump();
    platform::UserDefaults::open(file)->set("settings.json",
                                            platform::Value(platform::Bytes(text.begin(), text.end())));
    return text;
}

std::optional<std::string> storedText(const std::filesystem::path& file, const std::string& key) {
    const auto data = platform::UserDefaults::open(file)->data(key);
    if (!data) return std::nullopt;
    return std::string(data->begin(), data->end());
}

std::optional<KeptSettings> storedSettings(const std::filesystem::path& file) {
    const auto text = storedText(file, "settings.json");
    if (!text) return std::nullopt;
    const Settings settings = SettingsCodec::decode(*text);
    KeptSettings kept;
    kept.onboarded = settings.onboardingCompleted;
    kept.manual = settings.mode == Mode::manual;
    kept.readingPreset = settings.preset("user.reading").has_value();
    return kept;
}

}  // namespace orvane::e2e
