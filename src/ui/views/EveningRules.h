#pragma once
// The rules of the evening-plan controls and the tonight block, apart from their drawing:
// the clock menus' lists and texts, the intensity choice's plan, the tonight caption and
// the alerting-light badge's figures.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ClockTime.h"
#include "core/EveningPlan.h"
#include "core/Settings.h"

namespace orvane::EveningRules {

// 20:30 … 02:30 every 30 minutes in the order built (after midnight last); 13 entries.
const std::vector<ClockTime>& bedtimes();
// 04:30 … 11:00 every 30 minutes; 14 entries.
const std::vector<ClockTime>& wakeTimes();

struct MenuEntry {
    std::string text;
    bool checked = false;
};
std::vector<MenuEntry> clockMenuEntries(const std::vector<ClockTime>& range, ClockTime time);
// "Bed 23:00"
std::string clockMenuAccessibleName(const std::string& label, ClockTime time);

// Bedtime 23:00, wake-up 07:00 wherever no plan matches.
inline constexpr ClockTime defaultBedtime{23, 0};
inline constexpr ClockTime defaultWake{7, 0};
// What choosing an intensity sets: the current plan's times, or the defaults.
EveningPlan planWithIntensity(const std::optional<EveningPlan>& current, EveningIntensity intensity);
// What "Use my evening" sets.
inline EveningPlan defaultEvening() { return {defaultBedtime, defaultWake, EveningIntensity::warm}; }
// What choosing a bedtime in the sky card's menu sets.
inline EveningPlan planWithBedtime(const EveningPlan& plan, ClockTime bedtime) {
    return {bedtime, plan.wake, plan.intensity};
}

struct IntensityItem {
    EveningIntensity intensity;
    const char* title;
    std::int64_t swatchKelvin;  // the factory preset's, never the user's copy
};
std::array<IntensityItem, 3> intensityItems();
inline constexpr const char* intensityAccessibleName = "How warm the night gets";
inline constexpr const char* useMyEvening = "Use my evening";

// The evening section: its header, the caption under "Bedtime", and the row shown when
// no plan matches ("Custom curve", "Manual mode", "Schedule mode").
inline constexpr const char* eveningSectionTitle = "Your evening";
inline constexpr const char* bedtimeCaption = "Warm from sunset, deepest an hour before bed.";
inline constexpr const char* noPlanSubtitle =
    "Bedtime, wake-up and Gentle, Warm or Deep red replace the fine-tuning below.";
std::string noPlanTitle(Mode mode);

// The tonight block's caption.
std::string tonightCaption(bool hasPlan, Mode mode, const std::string& modeSubtitle);

// 0…100: the reduction held to 0…1 and rounded halves away from zero; negative or NaN is 0.
std::int64_t badgePercent(double reduction);
std::string badgeText(double reduction);            // "62% less so far"
std::string badgeAccessibleName(double reduction);  // "About 62 percent less alerting light this evening"
inline constexpr const char* badgeTooltip =
    "Estimated alerting (melanopic) light this evening compared with an untouched screen, counting the time the "
    "tint was off. It is an estimate, not a measurement.";
// The ring's arc, held to 0…1.
double ringFraction(double fraction);

}  // namespace orvane::EveningRules
