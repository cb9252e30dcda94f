#pragma once
// The plain-text report for support: version, system, displays and their methods, the
// engine's back-ends, the current decision, the place, the calibration, which private
// interfaces answer and the comfort settings. Lines joined by "\n", none at the end.
#include <optional>
#include <string>
#include <vector>

#include "core/Resolver.h"

namespace orvane {

class AppModel;

namespace platform {
class Platform;
}

struct Diagnostics {
    Diagnostics() = delete;

    // What the build says of itself; an empty version reads "dev", an empty build "0".
    struct Build {
        std::string version;
        std::string build;
        // The project's version and the build number given when it was configured.
        static Build current();
    };

    // What the system and the private interfaces answer at the moment of the report.
    struct System {
        std::string operatingSystem;  // "Debian GNU/Linux 12 (bookworm)"; "macOS 26.0.0" on the sim
        std::string chip;
        std::optional<std::string> model;  // "?" when absent
        bool displayServices = false;
        bool nightShift = false;
        bool antiDither = false;
        bool ddc = false;
        bool accessibility = false;
        // The desktop whose night light stands for Night Shift, and who else holds it
        // (another program's inhibit), both empty where there is none.
        std::string nightLightDesktop;
        std::string nightLightHeldElsewhere;
        // The keys of the desktop's night light the user changed in its own settings while
        // Orvane drove it, kept for when Orvane gives it back (the engine knows them).
        std::vector<std::string> nightLightKeptUserChanges;
        static System probe(platform::Platform& platform);
    };

    static std::string text(const AppModel& model, const Build& build, const System& system);
    // With this build's facts and the model's platform probed now.
    static std::string text(const AppModel& model);

    // "following(mode: sunset)", "disabledUntil(2024-06-21T19:00:00Z)",
    // "excludedApp(name: \"Editor\")", else the case name.
    static std::string statusText(const TintStatus& status);
};

}  // namespace orvane
