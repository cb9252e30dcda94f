#pragma once
// What the schedule pane's views show and write, apart from the widgets: rows, labels,
// kind indices and the seeds a kind picker writes, the steps editor's list edits and the
// pane's visibility. Every function is pure; the views only draw and forward.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Presets.h"
#include "core/ScheduleSettings.h"
#include "core/Settings.h"
#include "core/SunsetSettings.h"
#include "core/TintState.h"

namespace orvane {

// Signed minutes as the steppers show them: "+0 min", "+15 min", "-30 min".
std::string signedMinutesLabel(std::int64_t minutes);
// "60 min".
std::string minutesLabel(std::int64_t minutes);

namespace TargetRules {
inline constexpr const char* customTag = "custom";
inline constexpr std::int64_t fallbackKelvin = 3400;
inline constexpr double fallbackDim = 1.0;

struct Row {
    std::string tag;    // the preset's id, or "custom"
    std::string title;  // "Evening · 3400K", "Custom…"
};
// One row per preset in list order, then "Custom…".
std::vector<Row> rows(const std::vector<Preset>& presets);
// "custom" for a custom target, else the preset id (which may name no row).
std::string selection(const TintTarget& target);
// What choosing a row makes of the target.
TintTarget selected(const TintTarget& current, const std::string& tag);
// The steppers: what they show and what a shown value writes.
std::int64_t kelvinShown(const TintTarget& target);
std::int64_t dimShown(const TintTarget& target);  // whole percent
TintTarget withKelvin(const TintTarget& current, std::int64_t kelvin);
TintTarget withDim(const TintTarget& current, double dim);
std::string kelvinLabel(std::int64_t kelvin);  // "2700K"
}  // namespace TargetRules

namespace SunsetRules {
// The three events the "Starts at" picker offers, in order.
const std::vector<SunEvent>& eveningEvents();
// The fixed (untranslated) name of every sun event.
std::string eventTitle(SunEvent event);
std::string daytimeLabel(std::int64_t kelvin);  // "Off" at 6500 or more, else "5000K"
}  // namespace SunsetRules

namespace LateNightRules {
const std::vector<std::string>& kindTitles();  // "At", "Event +"
int kind(const LateNightAnchor& anchor);
LateNightAnchor seed(int kind);
// The hours stepper works in half hours.
std::int64_t halfHoursShown(double hours);
double hoursStored(std::int64_t halfHours);
std::string hoursLabel(double hours);  // "3.0 h"
}  // namespace LateNightRules

namespace MorningRules {
const std::vector<std::string>& kindTitles();
int kind(const MorningBehavior& morning);
MorningBehavior seed(int kind);
}  // namespace MorningRules

namespace StepRules {
const std::vector<std::string>& anchorTitles();  // "Clock", "Sun"
int anchorKind(const StepAnchor& anchor);
StepAnchor anchorSeed(int kind);
std::string rampLabel(std::int64_t minutes);  // "ramp 30 min"
}  // namespace StepRules

namespace StepsRules {
const std::vector<std::string>& weekendTitles();
int weekendKind(const WeekendMode& mode);
// The schedule after choosing a weekend kind; "Separate steps" with an empty weekend list
// takes a copy of the weekday steps in the same record, so one write stores both.
ScheduleSettings withWeekendKind(ScheduleSettings schedule, int kind);
const std::vector<ScheduleStep>& steps(const ScheduleSettings& schedule, bool editingWeekend);
// "Add step": 20:00, the candle preset, a 30 minute ramp.
ScheduleStep newStep(std::string id);
// The step in time order: before the first step of a clock time later than its own,
// counting from the list's first clock time (the list may run past midnight).
ScheduleSettings added(ScheduleSettings schedule, bool editingWeekend, ScheduleStep step);
ScheduleSettings reset(ScheduleSettings schedule, bool editingWeekend);
// A position no longer in the list removes nothing.
ScheduleSettings removed(ScheduleSettings schedule, bool editingWeekend, std::size_t position);
ScheduleSettings replaced(ScheduleSettings schedule, bool editingWeekend, std::size_t position,
                          const ScheduleStep& step);
// Whether the weekend list stays in the editor after the stored mode became `mode`.
bool keepsWeekendEditing(const WeekendMode& mode, bool editingWeekend);
}  // namespace StepsRules

namespace SchedulePaneRules {
struct Visibility {
    bool fineTuneSwitch;
    bool sunsetEditor;
    bool stepsEditor;
};
Visibility visibility(Mode mode, bool fineTune);
// Worked out each time the pane is shown: unfolded for a hand-tuned sunset curve.
bool fineTuneOnShow(Mode mode, bool followsEveningPlan);
}  // namespace SchedulePaneRules

}  // namespace orvane
