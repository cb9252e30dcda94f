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
