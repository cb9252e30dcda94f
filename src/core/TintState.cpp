#include "core/TintState.h"

#include <cmath>

#include <fmt/format.h>

#include "core/Percent.h"
#include "core/Presets.h"

namespace orvane {

std::string_view title(RedStyle style) { return style == RedStyle::pure ? "Pure red" : "Readable red"; }

Multiplier TintState::colorMultiplier() const { return Kelvin::multiplier(static_cast<double>(kelvin)); }

Multiplier TintState::multiplier() const { return colorMultiplier().scaled(dim); }

TintState TintState::lerp(const TintState& a, const TintState& b, double t) {
    const double u = clamped01(t);
    const double from = static_cast<double>(a.kelvin), to = static_cast<double>(b.kelvin);
    // Clamped before the conversion so that a stored out-of-range kelvin cannot overflow it.
    const double k = clamped(std::round(from + (to - from) * u), static_cast<double>(Kelvin::minimum),
                             static_cast<double>(Kelvin::maximum));
    const TintState& style = u < 1 ? a : b;
    return TintState(static_cast<std::int64_t>(k), a.dim + (b.dim - a.dim) * u, style.redStyle, style.darkroom);
}

Json TintState::toJson() const {
    return Json{{"kelvin", kelvin}, {"dim", dim}, {"redStyle", orvane::toJson(redStyle)}, {"darkroom", darkroom}};
}

TintState TintState::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    TintState state;
    state.kelvin = reader.integer("kelvin");
    state.dim = reader.number("dim");
    state.redStyle = reader.get("redStyle", enumFromJson<RedStyle>);
    state.darkroom = reader.boolean("darkroom");
    return state;
}

namespace {

const Preset* findPreset(const std::vector<Preset>& presets, const std::string& id) {
    for (const auto& p : presets)
        if (p.id == id) return &p;
    return nullptr;
}

}  // namespace

TintState TintTarget::resolve(const std::vector<orvane::Preset>& presets, RedStyle redStyle) const {
    if (const auto* c = as<Custom>()) return TintState(c->kelvin, c->dim, redStyle, false);
    if (const auto* p = findPreset(presets, std::get<Preset>(value).id))
        return TintState(p->kelvin, p->dim, p->redStyle.value_or(redStyle), false);
    return TintState(Kelvin::maximum, 1.0, redStyle, false);
}

std::string TintTarget::describe(const std::vector<orvane::Preset>& presets) const {
    if (const auto* c = as<Custom>()) {
        if (c->dim < 0.995) return fmt::format("{}K · {}%", c->kelvin, percentRounded(c->dim));
        return fmt::format("{}K", c->kelvin);
    }
    if (const auto* p = findPreset(presets, std::get<Preset>(value).id)) return p->name;
    return "Preset";
}

Json TintTarget::toJson() const {
    if (const auto* c = as<Custom>()) return json::makeCase("custom", Json{{"kelvin", c->kelvin}, {"dim", c->dim}});
    return json::makeCase("preset", Json{{"id", std::get<Preset>(value).id}});
}

TintTarget TintTarget::fromJson(const Json& json, const std::string& path) {
    const auto c = json::readCase(json, path, {"preset", "custom"});
    if (c.name == "preset") return Preset{c.payload.string("id")};
    return Custom{c.payload.integer("kelvin"), c.payload.number("dim")};
}

double Melanopic::fraction(const Multiplier& m) {
    return clamped01(weights.r * m.r + weights.g * m.g + weights.b * m.b);
}

double Melanopic::reduction(const Multiplier& m) {
    const double sum = weights.r * m.r + weights.g * m.g + weights.b * m.b;
    if (sum < 0) return 1.0;
    return 1 - clamped01(sum);
}

std::int64_t Melanopic::percent(double x) {
    if (!(x >= 0)) return 0;  // negative or NaN
    return percentRounded(std::min(x, 1.0));
}

std::string Melanopic::label(const Multiplier& m) {
    const auto n = percentRounded(reduction(m));
    if (n == 0) return "True colors";
    return fmt::format("≈{}% less alerting light", n);
}

}  // namespace orvane
