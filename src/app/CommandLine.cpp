#include "app/CommandLine.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "app/Commands.h"

namespace orvane {

namespace {

constexpr std::string_view program = "orvane";

CommandLine::Verdict fault(const std::string& message) {
    return {std::string(program) + ": " + message + "\n", false, CommandLine::usageStatus};
}

std::string quoted(const std::string& value) { return "\"" + value + "\""; }

// The value an option needs, or what was wrong with it.
struct Checked {
    std::optional<std::string> problem;
};

// An option's value: absent where the option ends the line (`needed`), else one the
// commands take.
Checked optionValue(const std::string& option, const char* range, bool (*takes)(std::string_view),
                    const std::optional<std::string>& value, bool needed = true) {
    const std::string needs = option + " needs " + range;
    if (!value) return needed ? Checked{needs} : Checked{};
    if (!takes(*value)) return {needs + ", not " + quoted(*value)};
    return {};
}

Checked kelvinValue(const std::optional<std::string>& value) {
    return optionValue("--set-kelvin", Commands::kelvinRange, Commands::takesKelvin, value);
}

Checked dimValue(const std::optional<std::string>& value) {
    return optionValue("--set-dim", Commands::dimRange, Commands::takesDim, value);
}

Checked minutesValue(const std::optional<std::string>& value) {
    return optionValue("--true-color", Commands::minutesRange, Commands::takesMinutes, value, false);  // 15 minutes
}

// The self-test reads "--dry-run" and "--json FILE" and nothing else.
std::optional<CommandLine::Verdict> selfTestFault(const std::vector<std::string>& arguments) {
    std::set<std::string> seen;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--selftest" || a == "--dry-run" || a == "--json") {
            if (!seen.insert(a).second) return fault(a + " is given twice");
            if (a == "--json" && i + 1 < arguments.size()) ++i;  // a path, whatever it looks like
        } else if (a.starts_with("-")) {
            return fault("unknown option " + a + " for --selftest (it takes --dry-run and --json FILE)");
        } else {
            return fault("unexpected argument " + quoted(a) + " for --selftest (see orvane --help)");
        }
    }
    return std::nullopt;
}

}  // namespace

std::string CommandLine::version() { return std::string("Orvane ") + ORVANE_VERSION + "\n"; }

std::string CommandLine::usage() {
    return "Usage: orvane [OPTION]... [URL]...\n"
           "Warms the screens in the evening. Without options it starts (or, when it is\n"
           "running already, hands its URLs to the running instance).\n"
           "\n"
           "Commands for the running instance (sent over the session bus; exits at once):\n"
           "  --set-kelvin K         warmth in kelvin, 500 to 6500\n"
           "  --set-dim D            brightness: a fraction from 0 to 1 (0.4) or a\n"
           "                         percentage from 2 to 100 (40); 1.5 and the like\n"
           "                         are refused as ambiguous\n"
           "  --preset NAME          apply the preset of that name\n"
           "  --toggle               switch the tint off or on\n"
           "  --reveal               show true colour until sent again\n"
           "  --wind-down            switch wind-down on or off\n"
           "  --true-color [MIN]     true colour for MIN minutes, 1 to 1440 (15)\n"
           "  --follow-evening       follow the evening plan again\n"
           "\n"
           "Other modes:\n"
           "  --render-icon DIR      draw the application icon into DIR as PNG files\n"
           "  --render-ui DIR        draw every window into DIR as PNG files\n"
           "  --selftest [--dry-run] [--json FILE]\n"
           "                         check the tint on every display and report\n"
           "                         (refused while Orvane runs)\n"
           "  -h, --help             show this help and exit\n"
           "  --version              show the version and exit\n"
           "\n"
           "URLs (also through xdg-open once installed): orvane://set?kelvin=K&dim=D,\n"
           "orvane://preset/NAME, orvane://toggle, orvane://reveal, orvane://winddown,\n"
           "orvane://truecolor?minutes=MIN, orvane://evening; their values keep the\n"
           "ranges of the options. One command per start; no option twice.\n"
           "\n"
           "Settings live in $XDG_CONFIG_HOME/orvane/app.orvane.Orvane.json\n"
           "(~/.config/orvane/app.orvane.Orvane.json when XDG_CONFIG_HOME is unset).\n";
}

std::optional<CommandLine::Verdict> CommandLine::check(const std::vector<std::string>& arguments) {
    const auto has = [&](std::string_view option) {
        return std::find(arguments.begin() + std::min<std::size_t>(1, arguments.size()), arguments.end(), option) !=
               arguments.end();
    };
    // Asked for help, the user gets it, whatever else the line holds.
    if (has("--help") || has("-h")) return Verdict{usage(), true, 0};
    if (has("--version")) return Verdict{version(), true, 0};
    if (has("--selftest")) return selfTestFault(arguments);

    // One thing to do per start: a command (or any number of URLs), or one of the renders.
    // A second would be dropped without a word.
    std::set<std::string> seen;
    std::optional<std::string> firstAction;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool last = i + 1 == arguments.size();
        const auto next = [&]() -> std::optional<std::string> {
            if (last) return std::nullopt;
            return arguments[++i];
        };
        Checked checked;
        if (a == "--set-kelvin") {
            checked = kelvinValue(next());
        } else if (a == "--set-dim") {
            checked = dimValue(next());
        } else if (a == "--preset") {
            if (!next()) checked = {"--preset needs the name of a preset"};
        } else if (a == "--true-color") {
            // The minutes may be left out: a following option or URL is not taken for them.
            std::optional<std::string> minutes;
            if (!last && !arguments[i + 1].starts_with("--") && !Commands::isURL(arguments[i + 1])) minutes = next();
            checked = minutesValue(minutes);
        } else if (a == "--render-ui" || a == "--render-icon") {
            // A path, whatever it looks like; an empty one is the mode's own error.
            if (!next()) checked = {a + " needs a folder to draw into"};
        } else if (a == "--toggle" || a == "--reveal" || a == "--wind-down" || a == "--follow-evening") {
        } else if (Commands::isURL(a)) {
            if (const auto problem = Commands::urlProblem(a)) checked = {*problem};
        } else if (a.starts_with("-")) {
            return fault("unknown option " + a + " (see orvane --help)");
        } else {
            return fault("unexpected argument " + quoted(a) + " (see orvane --help)");
        }
        if (checked.problem) return fault(*checked.problem);
        const bool url = Commands::isURL(a);
        if (!url && !seen.insert(a).second) return fault(a + " is given twice");
        if (firstAction && !(url && Commands::isURL(*firstAction)))
            return fault(*firstAction + " and " + a + " cannot be given together: one command at a time");
        if (!firstAction) firstAction = a;
    }
    return std::nullopt;
}

}  // namespace orvane
