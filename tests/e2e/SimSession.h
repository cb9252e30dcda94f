#pragma once
// What the end-to-end tests on the simulated machine share: settings stored as an earlier
// run left them, what the resolver says for them now, and whether a display shows a
// given colour matrix.
#include <algorithm>
#include <cmath>
#include <ctime>

#include "ProgramProcess.h"
#include "app/SettingsStore.h"
#include "app/SystemTimeZone.h"
#include "core/ColorMatrix.h"
#include "core/Resolver.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::e2e {

// Settings stored where the program will find them, as a user's earlier run left them.
inline void storeSettings(const Session& session, const Settings& settings) {
    platform::sim::SimPlatform machine(platform::Runtime{}, session.sim);
    SettingsStore(machine.standardUserDefaults(), nullptr).saveSettings(settings);
}

// What the resolver says for these settings now, with a fresh run-time state.
inline Resolution resolverSays(const Settings& settings) {
    const Date now(static_cast<double>(std::time(nullptr)));
    const TimeZone zone = currentSystemTimeZone();
    ResolverInput input;
    input.now = now;
    input.settings = settings;
    input.location = Location::resolve(settings.sunset.locationSource, zone, std::nullopt, now);
    input.systemTimeZone = zone;
    return Resolver::resolve(input);
}

inline bool showsMatrix(const platform::sim::SimDisplay& display, const ColorMatrix& expected) {
    if (!display.matrix) return false;
    for (std::size_t i = 0; i < 9; ++i)
        if (std::abs((*display.matrix)[i] - expected.m[i]) > 1e-4) return false;
    return true;
}

// Both displays of the default layout show the matrix.
inline bool bothShow(const platform::sim::SimState& state, const ColorMatrix& expected) {
    return state.displays.size() == 2 && std::all_of(state.displays.begin(), state.displays.end(),
                                                     [&](const auto& d) { return showsMatrix(d, expected); });
}

}  // namespace orvane::e2e
