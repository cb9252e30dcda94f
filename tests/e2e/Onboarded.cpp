#include "Onboarded.h"

#include "app/SettingsStore.h"
#include "platform/UserDefaults.h"

namespace orvane::e2e {

void storeOnboarded(const std::filesystem::path& config) {
    Settings settings;
    settings.onboardingCompleted = true;
    SettingsStore(platform::UserDefaults::open(config / "orvane" / "app.orvane.Orvane.json"), nullptr)
        .saveSettings(settings);
}

}  // namespace orvane::e2e
