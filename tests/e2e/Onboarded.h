#pragma once
// For tests that also speak X11 (whose macros must not meet the model's headers): the
// settings of a user who has been welcomed already, so no onboarding window opens over
// what the test looks at.
#include <filesystem>

namespace orvane::e2e {

// Stores default settings with the onboarding completed in the desktop's defaults file
// under `config` ($XDG_CONFIG_HOME).
void storeOnboarded(const std::filesystem::path& config);

}  // namespace orvane::e2e

#include <optional>
#include <string>

namespace orvane::e2e {

// Stores the settings of a welcomed user who chose manual mode and made a preset
// "Reading", in the defaults file `file`, with the value of `key` replaced by the JSON text
// `value`, or as text that is not JSON at all when `key` is empty. Gives the stored text.
std::string storeDamagedSettings(const std::filesystem::path& file, const std::string& key, const std::string& value);

// What of such a user's settings the defaults file holds now.
struct KeptSettings {
    bool onboarded = false;
    bool manual = false;
    bool readingPreset = false;
};
std::optional<KeptSettings> storedSettings(const std::filesystem::path& file);

// The text stored under `key` in the defaults file, if any.
std::optional<std::string> storedText(const std::filesystem::path& file, const std::string& key);

}  // namespace orvane::e2e
