#pragma once
// The notices of the status banner, in order: a security-prompt reveal or a manual hold
// (one slot), Night Shift also warming, and the brightness keys out of reach (the missing
// accessibility permission on the simulated Mac).
#include <optional>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/Resolver.h"
#include "core/Settings.h"

namespace orvane {
class AppModel;
}

namespace orvane::kit::StatusBannerRules {

struct Input {
    TintStatus status;
    Mode mode = Mode::sunset;
    bool nightShiftTipDismissed = false;
    bool nightShiftActive = false;
    bool accessibilityNeeded = false;
    bool warming = false;
    std::optional<TintMethod> primaryMethod;
    TimeZone zone = TimeZone::utc();             // the place's, for "HH:mm"
    std::string nightLightName = "Night Shift";  // the desktop's name for it
    bool macWords = true;                        // the simulated Mac's words
};
Input inputFrom(const AppModel& model);

enum class NoticeKind { securityPrompt, hold, nightShift, accessibility };

struct Notice {
    NoticeKind kind;
    std::string symbol;
    std::string text;
    std::optional<std::string> actionTitle;
    bool dismissible = false;
    bool operator==(const Notice&) const = default;
};

bool showNightShift(const Input& input);
bool hasContent(const Input& input);
std::vector<Notice> notices(const Input& input);

// The effects of the notices' buttons.
void backToMode(AppModel& model);         // clears the hold only
void dismissNightShift(AppModel& model);  // until the setting is false again
// Runs the notice's button.
void act(AppModel& model, NoticeKind kind);

}  // namespace orvane::kit::StatusBannerRules
