// The core's hot paths: one decision per recompute (every second while ramping), the search of
// a manual hold's end, one keystroke of the city search and one settings load and save.
#include <benchmark/benchmark.h>

#include "core/Calendar.h"
#include "core/Curve.h"
#include "core/Locations.h"
#include "core/ManualHold.h"
#include "core/Resolver.h"
#include "core/SettingsCodec.h"

namespace orvane {
namespace {

const TimeZone& berlinZone() {
    static const TimeZone zone = *TimeZone::named("Europe/Berlin");
    return zone;
}

Date berlinEvening() { return Calendar(berlinZone()).date(2026, 3, 10, 21, 0); }

void resolveAtBerlin(benchmark::State& state) {
    const Date now = berlinEvening();
    const ResolverInput input{
        .now = now,
        .settings = Settings(),
        .location = Location::resolve(LocationSource::TimeZone{"Europe/Berlin"}, berlinZone(), std::nullopt, now),
        .runtime = RuntimeState(),
        .systemTimeZone = berlinZone(),
    };
    for (auto _ : state) benchmark::DoNotOptimize(Resolver::resolve(input));
}
BENCHMARK(resolveAtBerlin);

// A night curve that never warms to the held 1000 K and has no morning: the whole 12 hours, 1440 samples.
void settleTwelveHours(benchmark::State& state) {
    const Date now = berlinEvening();
    const WarmthCurve curve(
        {Keyframe(now - 3600, TintState(4000, 1.0, RedStyle::readable, false), 1800, "Evening", false)});
    const TintState held(1000, 1.0, RedStyle::readable, false);
    for (auto _ : state) benchmark::DoNotOptimize(ManualHold::settle(now, held, curve));
}
BENCHMARK(settleTwelveHours);

void citySearchKeystroke(benchmark::State& state) {
    benchmark::DoNotOptimize(Cities::all().size());  // the table is parsed once, before timing
    for (auto _ : state) benchmark::DoNotOptimize(Cities::search("San", 30));
}
BENCHMARK(citySearchKeystroke);

void settingsDecodeAndEncode(benchmark::State& state) {
    const std::string document = SettingsCodec::encode(Settings());
    for (auto _ : state) benchmark::DoNotOptimize(SettingsCodec::encode(SettingsCodec::decode(document)));
}
BENCHMARK(settingsDecodeAndEncode);

}  // namespace
}  // namespace orvane

BENCHMARK_MAIN();
