// libFuzzer target for the three command parsers. Built once per parser (ORVANE_FUZZ_PARSER
// 1: the command line, 2: URLs, 3: the signal's dictionary); a crash, a number that is
// not finite, a textual form of more than one line, or a command that does not survive
// its own dictionary stops the run.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/Commands.h"

using orvane::Commands;

// Each parser's build uses only some of these.
namespace {

[[maybe_unused]] std::vector<std::string> split(std::string_view data) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = data.find('\0', start);
        parts.emplace_back(data.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// Pairs of NUL-separated texts; a value that starts with \x01 becomes a number.
[[maybe_unused]] std::optional<orvane::platform::Dictionary> dictionary(std::string_view data) {
    if (data.empty()) return std::nullopt;
    orvane::platform::Dictionary info;
    const auto parts = split(data);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& value = parts[i + 1];
        if (!value.empty() && value[0] == '\x01')
            info.emplace(parts[i], orvane::platform::Value(static_cast<std::int64_t>(value.size())));
        else info.emplace(parts[i], orvane::platform::Value(value));
    }
    return info;
}

void check(const Commands::Command& command) {
    if (const auto* set = std::get_if<Commands::Set>(&command); set && set->dim && !std::isfinite(*set->dim))
        __builtin_trap();
    if (Commands::text(command).find('\n') != std::string::npos) __builtin_trap();
    const auto back = Commands::from(Commands::userInfoDictionary(command));
    if (!back || !(*back == command)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    std::optional<Commands::Command> command;
#if ORVANE_FUZZ_PARSER == 1
    auto arguments = split(data);
    arguments.insert(arguments.begin(), "Orvane");
    command = Commands::parse(arguments);
#elif ORVANE_FUZZ_PARSER == 2
    command = Commands::parseURL(data);
#else
    command = Commands::from(dictionary(data));
#endif
    if (command) check(*command);
    return 0;
}
