#pragma once
// What a Linux command owes its user before it does anything: "--help" and "--version"
// answered at once, and an argument it cannot use refused with status 2 instead of being
// ignored. Pure: the executable asks before it forwards, starts or loads anything.
#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct CommandLine {
    CommandLine() = delete;

    // Exit status of a command line that cannot be used (as getopt programs have it).
    static constexpr int usageStatus = 2;

    struct Verdict {
        std::string text;  // ends with a line feed
        bool toStandardOutput = false;
        int status = 0;
        bool operator==(const Verdict&) const = default;
    };

    // `arguments` as the process got them, the program path first. Absent when the
    // arguments are for one of the program's modes; otherwise the answer and the status
    // to exit with: help and version on standard output with 0, a fault on standard error
    // with `usageStatus`.
    static std::optional<Verdict> check(const std::vector<std::string>& arguments);

    static std::string usage();
    static std::string version();  // "Orvane " and the version, one line
};

}  // namespace orvane
