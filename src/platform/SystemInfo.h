#pragma once
// Facts about the machine: named system values ("machdep.cpu.brand_string",
// "hw.model") and the operating system's version.
#include <optional>
#include <string>

namespace orvane::platform {

struct OSVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
    bool operator==(const OSVersion&) const = default;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The raw bytes of the value (possibly with a trailing NUL, not necessarily valid
    // UTF-8); absent for a name the system does not know.
    virtual std::optional<std::string> sysctlString(const std::string& name) = 0;
    virtual OSVersion osVersion() = 0;
};

}  // namespace orvane::platform
