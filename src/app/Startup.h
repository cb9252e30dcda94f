#pragma once
// The program's entry decisions, before any window or event loop: which of the five modes
// the command line asks for, and the one-time copy of the user defaults that the
// program's two former identities left behind.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Commands.h"
#include "platform/UserDefaults.h"
#include "platform/Value.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

struct Startup {
    Startup() = delete;

    static constexpr std::array<std::string_view, 2> formerBundleIdentifiers = {"app.tessomar.Tessomar",
                                                                                "app.quorrel.Quorrel"};
    // Set in the own domain once the former domains have been copied, so that a later
    // reset of the settings does not bring the old ones back.
    static constexpr std::string_view formerDefaultsCopiedKey = "formerDefaultsCopied";

    enum class Mode { selfTest, command, renderUI, renderIcon, normal };
    struct Choice {
        Mode mode = Mode::normal;
        std::string path;                            // the directory or file of renderUI and renderIcon
        std::optional<Commands::Command> command{};  // for command: forwarded, never run here
        // For normal: a command option was given but made no command.
        bool commandNotMade = false;
        bool operator==(const Choice&) const = default;
    };
    static constexpr const char* commandNotMadeNotice = "Orvane: no command in the arguments; starting normally\n";

    // `arguments` as the process got them, the program path first; the first row that
    // applies decides.
    static Choice choose(const std::vector<std::string>& arguments);

    // The arguments that are URLs of the "orvane" scheme, in order.
    static std::vector<std::string> urlArguments(const std::vector<std::string>& arguments);

    // A domain's contents by name; absent when there is no such domain.
    using DomainReader = std::function<std::optional<platform::Dictionary>(const std::string& domain)>;

    // Copies the former domains into `own` when it holds no "settings.json" and no copy
    // was made before: later former domains win over earlier ones, the own values over
    // both, nothing is deleted. True when something was written.
    static bool copyFormerDefaults(platform::UserDefaults& own, const std::string& ownBundleIdentifier,
                                   const DomainReader& read);
    // The same on the platform's user defaults.
    static bool copyFormerDefaults(platform::Platform& platform);
};

}  // namespace orvane
