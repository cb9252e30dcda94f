#pragma once
// The short form of the sunset plan that most users set: a bedtime, a wake-up time and an
// intensity, written into the full sunset settings and recognised in them again.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/CaseNames.h"
#include "core/ClockTime.h"
#include "core/Presets.h"
#include "core/SunsetSettings.h"
#include "support/Json.h"

namespace orvane {

enum class EveningIntensity { gentle, warm, deepRed };
inline constexpr CaseNames<EveningIntensity, 3> eveningIntensityNames{
    "EveningIntensity",
    {{{EveningIntensity::gentle, "gentle"}, {EveningIntensity::warm, "warm"}, {EveningIntensity::deepRed, "deepRed"}}}};
constexpr const auto& caseNames(EveningIntensity) { return eveningIntensityNames; }
std::string_view title(EveningIntensity intensity);
Preset::BuiltIn eveningPreset(EveningIntensity intensity);
Preset::BuiltIn nightPreset(EveningIntensity intensity);

struct EveningPlan {
    static constexpr std::int64_t deepestBeforeBedMinutes = 60;
    static constexpr std::int64_t nightRampMinutes = 90;
    static constexpr std::int64_t morningRampMinutes = 30;

    ClockTime bedtime;
    ClockTime wake;
    EveningIntensity intensity = EveningIntensity::warm;

    // Where the late-night ramp starts: bedtime − 150 minutes, across midnight.
    ClockTime nightStart() const;

    // Overwrites the ten fields the plan owns; the place, the polar times and the cached
    // precise coordinates stay.
    void apply(SunsetSettings& settings) const;
    // The plan whose apply would leave the settings unchanged; absent when tuned by hand.
    static std::optional<EveningPlan> matching(const SunsetSettings& settings);

    bool operator==(const EveningPlan&) const = default;

    Json toJson() const;
    static EveningPlan fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane

template <>
struct std::hash<orvane::EveningPlan> {
    std::size_t operator()(const orvane::EveningPlan& p) const noexcept;
};
