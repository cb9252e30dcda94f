#include "ui/views/StatusBannerRules.h"

#include "app/AppModel.h"
#include "core/ShortTime.h"
#include "ui/views/TintRules.h"

namespace orvane::kit::StatusBannerRules {

Input inputFrom(const AppModel& model) {
    return {model.resolution().status,    model.settings().mode,       model.settings().nightShiftTipDismissed,
            model.nightShiftActive(),     model.accessibilityNeeded(), model.isWarming(),
            model.primaryMethod(),        TintRules::placeZone(model), model.capabilities().nightLightName,
            model.capabilities().macWords};
}

bool showNightShift(const Input& input) {
    return input.nightShiftActive && input.warming && input.primaryMethod != TintMethod::nightShift &&
           !input.nightShiftTipDismissed;
}

bool hasContent(const Input& input) {
    if (std::holds_alternative<TintStatus::PausedUntil>(input.status.value) ||
        std::holds_alternative<TintStatus::SecurityPrompt>(input.status.value))
        return true;
    return showNightShift(input) || input.accessibilityNeeded;
}

std::vector<Notice> notices(const Input& input) {
    std::vector<Notice> out;
    if (std::holds_alternative<TintStatus::SecurityPrompt>(input.status.value)) {
        out.push_back(
            {NoticeKind::securityPrompt, "lock.shield", "Revealed for a security prompt", std::nullopt, false});
    } else if (const auto* hold = std::get_if<TintStatus::PausedUntil>(&input.status.value)) {
        out.push_back({NoticeKind::hold, "hand.raised.circle.fill",
                       "Holding until " + ShortTime::of(Calendar(input.zone), hold->date),
                       "Back to " + TintRules::modeName(input.mode), false});
    }
    if (showNightShift(input))
        out.push_back({NoticeKind::nightShift, "exclamationmark.triangle.fill", input.nightLightName + " is also on",
                       "Open", true});
    // Off the Mac no permission can be given, so there is nothing to open.
    if (input.accessibilityNeeded && input.macWords)
        out.push_back({NoticeKind::accessibility, "hand.raised.fill",
                       "Accessibility permission needed for brightness keys", "Open", false});
    else if (input.accessibilityNeeded)
        out.push_back({NoticeKind::accessibility, "hand.raised.fill",
                       "This desktop does not let Orvane intercept the brightness keys", std::nullopt, false});
    return out;
}

void backToMode(AppModel& model) {
    RuntimeState runtime = model.runtime();
    runtime.pausedUntil.reset();
    runtime.pausedState.reset();
    model.setRuntime(std::move(runtime));
}

void dismissNightShift(AppModel& model) {
    Settings settings = model.settings();
    settings.nightShiftTipDismissed = true;
    model.setSettings(std::move(settings));
}

void act(AppModel& model, NoticeKind kind) {
    switch (kind) {
        case NoticeKind::hold:
            backToMode(model);
            break;
        case NoticeKind::nightShift:
            model.openDisplaysSettings();
            break;
        case NoticeKind::accessibility:
            model.openAccessibilitySettings();
            break;
        case NoticeKind::securityPrompt:
            break;
    }
}

}  // namespace orvane::kit::StatusBannerRules
