#pragma once
// The command vocabulary of external control: one value from the command line, an
// "orvane" URL or the command signal's dictionary, the writer of that dictionary, the
// forwarding of a second start and the handling in the running instance. The parsers and
// the writer are pure; nothing malformed makes a command, and no command carries a number
// that is not finite.
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/DistributedNotifications.h"
#include "platform/Log.h"
#include "platform/Value.h"

namespace orvane {

class AppModel;

struct Commands {
    Commands() = delete;

    static constexpr const char* notificationName = "app.orvane.command";
    // Category "commands".
    static const platform::Log& log();

    struct Set {
        std::optional<std::int64_t> kelvin;
        std::optional<double> dim;  // a fraction, 1 = full brightness
        bool operator==(const Set&) const = default;
    };
    struct Preset {
        std::string name;
        bool operator==(const Preset&) const = default;
    };
    struct TrueColor {
        std::int64_t minutes = 15;
        bool operator==(const TrueColor&) const = default;
    };
    struct Toggle {
        bool operator==(const Toggle&) const = default;
    };
    struct Reveal {
        bool operator==(const Reveal&) const = default;
    };
    struct WindDown {
        bool operator==(const WindDown&) const = default;
    };
    struct FollowEvening {
        bool operator==(const FollowEvening&) const = default;
    };
    using Command = std::variant<Set, Preset, TrueColor, Toggle, Reveal, WindDown, FollowEvening>;

    // The whole argument list, the program path first. Options are exact; the first
    // occurrence counts and its value is the next argument.
    static std::optional<Command> parse(const std::vector<std::string>& arguments);
    // Whether any of the eight command options appears after the program path.
    static bool mentionsCommand(const std::vector<std::string>& arguments);
    // A URL of the "orvane" scheme (any case), the command word in its host.
    static std::optional<Command> parseURL(std::string_view url);
    // Whether an argument is of the "orvane" scheme (any case), command or not.
    static bool isURL(std::string_view argument);
    // What keeps an "orvane" URL from being carried out as written, in one line that starts
    // with the URL: an unknown command word, a preset without a name, "set" without kelvin or
    // dim, a parameter given twice, or a value that is no number or out of range (the ranges
    // the command options keep). Absent when parseURL gives the command the URL means.
    static std::optional<std::string> urlProblem(std::string_view url);

    // The ranges the command line and URLs keep, and how their refusals name them. A dim
    // above 1 is a percentage, so one between 1 and 2 (1.5: 1.5 % or 150 %?) is refused as
    // ambiguous.
    static constexpr std::int64_t lowestKelvin = 500;
    static constexpr std::int64_t highestKelvin = 6500;
    static constexpr std::int64_t fewestMinutes = 1;
    static constexpr std::int64_t mostMinutes = 1440;
    static bool dimInRange(double value) { return value >= 0 && value <= 100 && !(value > 1 && value < 2); }
    static constexpr const char* kelvinRange = "whole kelvin from 500 to 6500";
    static constexpr const char* dimRange = "a brightness from 0 to 1, or a percentage from 2 to 100";
    static constexpr const char* minutesRange = "minutes from 1 to 1440 (15 when left out)";
    static bool takesKelvin(std::string_view text);
    static bool takesDim(std::string_view text);
    static bool takesMinutes(std::string_view text);
    // The command signal's dictionary: every value a string, "cmd" required. Absent, empty
    // or with any value of another kind: no command.
    static std::optional<Command> from(const std::optional<platform::Dictionary>& userInfo);

    using UserInfo = std::map<std::string, std::string>;
    static UserInfo userInfo(const Command& command);
    static platform::Dictionary userInfoDictionary(const Command& command);

    // "set(kelvin: 2700, dim: nil)", "preset(\"Candle Light\")", "trueColor(minutes: 15)",
    // else the case name. Always one line.
    // The command as people read it on one line: "warmth 2700 K", "dim 40 %",
    // "preset \"Candle Light\"", "true color for 15 min".
    static std::string sentence(const Command& command);
    static std::string text(const Command& command);

    // The second start's whole job: posts the command on `center` and writes
    // "sent to Orvane: <sentence>" to `out`. Without a center (no session bus), or when no
    // process owns the instance's bus name, nothing is sent and `err` says so; a post that fails writes no line (the
    // center logs why). False when the command was not sent, so the process can end with a failure a script sees.
    [[nodiscard]] static bool forward(const Command& command, platform::DistributedNotifications* center,
                                      std::FILE* out = stdout, std::FILE* err = stderr);

    // Carries the command out on the model (main thread).
    static void handle(const Command& command, AppModel& model);

    // The number rules shared by the three parsers. An integer text is an optional sign
    // and decimal digits fitting 64 bits; a fraction text is an optional sign, digits with
    // an optional point part (one digit at least) and an optional exponent, and finite.
    static std::optional<std::int64_t> integerText(std::string_view text);
    static std::optional<double> fractionText(std::string_view text);
};

}  // namespace orvane
