#pragma once
// The tint values every other part passes around: a state on the screen, a stored target,
// the length of a change and the melanopic weighting of channel gains.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/CaseNames.h"
#include "core/Kelvin.h"
#include "core/OneOf.h"
#include "support/Json.h"

namespace orvane {

struct Preset;  // core/Presets.h; targets name presets and presets carry tint states

enum class RedStyle { pure, readable };
inline constexpr CaseNames<RedStyle, 2> redStyleNames{"RedStyle",
                                                      {{{RedStyle::pure, "pure"}, {RedStyle::readable, "readable"}}}};
constexpr const auto& caseNames(RedStyle) { return redStyleNames; }
std::string_view title(RedStyle style);

struct TintState {
    std::int64_t kelvin = Kelvin::maximum;
    double dim = 1.0;
    RedStyle redStyle = RedStyle::readable;
    bool darkroom = false;

    // The untinted state, `off`.
    constexpr TintState() = default;
    // Kelvin to 500...6500, dim to 0...1 (NaN to 0).
    constexpr TintState(std::int64_t k, double d, RedStyle style, bool dark)
        : kelvin(Kelvin::clamp(k)), dim(clamped01(d)), redStyle(style), darkroom(dark) {}

    static const TintState off;

    // Leaves the screen unchanged everywhere in the system.
    constexpr bool isNoTint() const { return !darkroom && dim >= 0.999 && kelvin >= Kelvin::maximum; }
    constexpr bool readableRedActive() const {
        return redStyle == RedStyle::readable && kelvin <= Kelvin::redStyleThreshold;
    }
    Multiplier colorMultiplier() const;  // gains of the kelvin alone
    Multiplier multiplier() const;       // the same gains times dim

    // Red style and darkroom switch together, only once t reaches 1.
    static TintState lerp(const TintState& a, const TintState& b, double t);

    constexpr bool operator==(const TintState&) const = default;

    Json toJson() const;
    // Stores what is read, without clamping.
    static TintState fromJson(const Json& json, const std::string& path = "");
};

inline constexpr TintState TintState::off{};

// What a stored setting aims at: a preset by identifier, or a warmth of its own.
struct TintTarget : OneOf<TintTarget> {
    struct Preset {
        std::string id;
        bool operator==(const Preset&) const = default;
    };
    struct Custom {
        std::int64_t kelvin = 0;
        double dim = 1.0;
        bool operator==(const Custom&) const = default;
    };

    std::variant<Preset, Custom> value = Preset{};

    TintTarget() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> TintTarget(Case c) : value(std::move(c)) {}

    static TintTarget preset(std::string id) { return Preset{std::move(id)}; }
    static TintTarget custom(std::int64_t kelvin, double dim) { return Custom{kelvin, dim}; }

    // `redStyle` is the settings' default, used unless the preset carries its own.
    TintState resolve(const std::vector<orvane::Preset>& presets, RedStyle redStyle) const;
    std::string describe(const std::vector<orvane::Preset>& presets) const;

    bool operator==(const TintTarget&) const = default;

    Json toJson() const;
    static TintTarget fromJson(const Json& json, const std::string& path = "");
};

struct Transition {
    double duration = 0;  // seconds, never negative

    constexpr Transition() = default;
    constexpr explicit Transition(double seconds) : duration(seconds > 0 ? seconds : 0) {}  // NaN too

    static const Transition instant;
    static const Transition wake;

    constexpr bool operator==(const Transition&) const = default;
};

inline constexpr Transition Transition::instant{0.0};
inline constexpr Transition Transition::wake{2.0};

// How much of the alerting (melanopic) light the channel gains let through.
struct Melanopic {
    Melanopic() = delete;

    struct Weights {
        double r, g, b;
    };
    static constexpr Weights weights{0.0004, 0.283, 0.7166};

    static double fraction(const Multiplier& m);
    static double reduction(const Multiplier& m);
    static std::int64_t percent(double x);
    static std::string label(const Multiplier& m);
};

}  // namespace orvane
