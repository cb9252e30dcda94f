#pragma once
// What the bus object of the actions calls into: the program's answers, in plain values,
// so neither side knows the other's types.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/Value.h"

namespace orvane::platform {

class IntentsPort {
public:
    // A named error and its text, as the caller receives them.
    struct Error {
        std::string name;
        std::string message;
        bool operator==(const Error&) const = default;
    };
    using Result = std::variant<std::string, Error>;
    struct PresetRecord {
        std::string id;
        std::string name;
        std::int64_t kelvin = 0;
        std::string subtitle;
        bool operator==(const PresetRecord&) const = default;
    };

    virtual ~IntentsPort() = default;
    // Integers arrive as std::int64_t, Booleans as bool, texts as std::string; any other
    // kind of value as an empty Array.
    virtual Result run(const std::string& action, const Dictionary& parameters) = 0;
    virtual std::vector<PresetRecord> presets() = 0;
    virtual std::vector<PresetRecord> presetsFor(const std::vector<std::string>& ids) = 0;
    virtual std::optional<Error> applyFocus(const std::string& look) = 0;
    virtual std::string describe() = 0;
};

}  // namespace orvane::platform
