#include "engine/TintBackend.h"

#include <cmath>

namespace orvane {

RenderRequest::RenderRequest(const Multiplier& m, bool desaturate_, bool invert_, const OverlayPlan& plan_,
                             const std::optional<ColorMatrix>& matrix_)
    : multiplier(m),
      desaturate(desaturate_),
      invert(invert_),
      plan(plan_),
      matrix(matrix_ ? *matrix_ : ColorMatrix::diagonal(m)) {}

RenderRequest::RenderRequest(const TintState& state)
    : RenderRequest(Kelvin::multiplier(static_cast<double>(state.kelvin)).scaled(state.dim),
                    state.redStyle == RedStyle::readable && state.kelvin <= 1000, state.darkroom, OverlayPlan::none,
                    ColorMatrix::make(state)) {}

const RenderRequest& RenderRequest::identity() {
    static const RenderRequest shared(Multiplier::identity, false, false, OverlayPlan::none, std::nullopt);
    return shared;
}

bool RenderRequest::isIdentity() const {
    const auto near1 = [](double x) { return std::fabs(x - 1) < 1e-6; };
    return near1(multiplier.r) && near1(multiplier.g) && near1(multiplier.b) && !desaturate && !invert &&
           plan.redOpacity <= 0.001 && plan.dimOpacity <= 0.001 && matrix.isIdentity();
}

std::string_view title(BackendKind kind) {
    switch (kind) {
        case BackendKind::matrix:
            return "Color matrix";
        case BackendKind::overlay:
            return "Overlay tint";
        case BackendKind::gamma:
            return "Gamma table";
        case BackendKind::ddc:
            return "Hardware (DDC)";
    }
    return "";
}

TintMethod method(BackendKind kind) {
    switch (kind) {
        case BackendKind::matrix:
            return TintMethod::matrix;
        case BackendKind::overlay:
            return TintMethod::overlay;
        case BackendKind::gamma:
            return TintMethod::gamma;
        case BackendKind::ddc:
            return TintMethod::ddc;
    }
    return TintMethod::overlay;
}

std::string BackendError::description() const {
    if (const auto* n = std::get_if<NoScreen>(&value_)) return "No screen for display " + n->name;
    return std::get<Unsupported>(value_).reason;
}

}  // namespace orvane

std::size_t std::hash<orvane::RenderRequest>::operator()(const orvane::RenderRequest& r) const noexcept {
    std::size_t h = 0;
    const auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    // +0.0 folds -0.0 into 0.0: equal values must hash alike.
    const auto dbl = [&mix](double v) { mix(std::hash<double>{}(v + 0.0)); };
    dbl(r.multiplier.r);
    dbl(r.multiplier.g);
    dbl(r.multiplier.b);
    mix(std::hash<bool>{}(r.desaturate));
    mix(std::hash<bool>{}(r.invert));
    mix(r.plan.nightShiftKelvin ? std::hash<std::int64_t>{}(*r.plan.nightShiftKelvin) : 0x51ed27);
    dbl(r.plan.red);
    dbl(r.plan.green);
    dbl(r.plan.blue);
    dbl(r.plan.redOpacity);
    dbl(r.plan.dimOpacity);
    for (double v : r.matrix.m) dbl(v);
    return h;
}
