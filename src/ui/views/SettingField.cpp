#include "ui/views/SettingField.h"

namespace orvane::kit {

std::unique_ptr<SettingField<DisplaySettings>> displaySettingsField(std::shared_ptr<AppModel> model,
                                                                    std::string displayKey) {
    return settingField<DisplaySettings>(
        std::move(model), [displayKey](const Settings& s) { return s.displaySettings(displayKey); },
        [displayKey](Settings& s, const DisplaySettings& v) { s.displays[displayKey] = v; });
}

}  // namespace orvane::kit
