#include "ui/kit/Tokens.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "core/Kelvin.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/OffscreenRender.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION ""
#endif
#ifndef ORVANE_WEBSITE_HOST
#define ORVANE_WEBSITE_HOST "orvane.example"
#endif

namespace orvane::kit {

QColor Rgb::toQColor(double opacity) const {
    return QColor::fromRgbF(static_cast<float>(clamped01(r)), static_cast<float>(clamped01(g)),
                            static_cast<float>(clamped01(b)), static_cast<float>(clamped01(opacity)));
}

namespace Tokens {

DynamicColor ember() { return {{0.80, 0.33, 0.15}, {0.98, 0.52, 0.27}}; }
DynamicColor emberText() { return {{0.66, 0.24, 0.10}, {1.00, 0.68, 0.45}}; }
DynamicColor warmRed() { return {{0.72, 0.20, 0.12}, {0.96, 0.40, 0.30}}; }
DynamicColor emberDeep() { return DynamicColor::plain({0.86, 0.26, 0.16}); }
// White reads at only 4.3:1 on the light ember and 2.5:1 on the dark one; a dark ink does.
DynamicColor onEmber() { return {{0.0, 0.0, 0.0}, {0.13, 0.05, 0.01}}; }

QFont numeralFont() { return FontBook::numeral(); }
QFont numeralUnitFont() { return FontBook::unit(); }
QFont titleFont() { return FontBook::font(TextStyle::title3, QFont::DemiBold); }
QFont labelFont() { return FontBook::font(TextStyle::caption, QFont::DemiBold); }
QFont valueFont() { return FontBook::font(TextStyle::subheadline, QFont::Medium); }

DynamicColor warmColor(std::int64_t kelvin) {
    const Multiplier m = Kelvin::multiplier(kelvin);
    const double r = SRGB::encode(m.r), g = SRGB::encode(m.g), b = SRGB::encode(m.b);
    const double s = 1.0 / std::max({r, g, b, 0.001});
    return {{0.80 * r * s, 0.52 * g * s, 0.40 * b * s}, {r * s, 0.82 * g * s + 0.18, 0.88 * b * s + 0.12}};
}

Rgb curveStops(std::int64_t kelvin, Rgb day) {
    struct Stop {
        double kelvin;
        Rgb colour;
    };
    const std::array<Stop, 6> stops{{{6500, day},
                                     {5000, {0.97, 0.90, 0.76}},
                                     {3400, {0.96, 0.72, 0.45}},
                                     {1900, {0.90, 0.48, 0.25}},
                                     {1200, {0.80, 0.32, 0.17}},
                                     {500, {0.62, 0.15, 0.11}}}};
    const double k = std::clamp(static_cast<double>(kelvin), 500.0, 6500.0);
    if (k >= 6500) return day;
    std::size_t i = 1;
    while (i + 1 < stops.size() && k < stops[i].kelvin) ++i;
    const Stop& u = stops[i - 1];
    const Stop& l = stops[i];
    const double t = (u.kelvin - k) / (u.kelvin - l.kelvin);
    // Weighted so each stop's own kelvin gives its colour exactly.
    auto mix = [t](double a, double b) { return a * (1 - t) + b * t; };
    return {mix(u.colour.r, l.colour.r), mix(u.colour.g, l.colour.g), mix(u.colour.b, l.colour.b)};
}

DynamicColor curveColor(std::int64_t kelvin) { return {curveStops(kelvin, lightDay), curveStops(kelvin, darkDay)}; }

std::optional<DynamicColor> glassTint(std::int64_t kelvin) {
    if (kelvin >= 6500) return std::nullopt;
    const double t = std::min(warmthFraction(kelvin), 1.0);
    return curveColor(kelvin).withOpacity(0.14 + 0.16 * t);
}

double warmthFraction(std::int64_t kelvin) { return (6500.0 - static_cast<double>(kelvin)) / 6000.0; }

}  // namespace Tokens

namespace Brand {

std::string versionOr(const std::string& configured) { return configured.empty() ? "dev" : configured; }
std::string version() { return versionOr(ORVANE_VERSION); }
std::string updatesURLFor(const std::string& host) { return "https://" + host + "/changelog/"; }
const std::string& updatesURL() {
    static const std::string url = updatesURLFor(ORVANE_WEBSITE_HOST);
    return url;
}

}  // namespace Brand

namespace GlassStyle {
namespace {
std::atomic<bool> offscreen{false};
}
bool offscreenRender() { return offscreen.load(); }
OffscreenRender::OffscreenRender() : previous_(offscreen.exchange(true)) {}
OffscreenRender::~OffscreenRender() { offscreen.store(previous_); }
}  // namespace GlassStyle

}  // namespace orvane::kit
