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
    // Whether the processor brand and system version are a Mac's, so the method rules of
    // its display pipeline apply; elsewhere they say nothing about the displays.
    virtual bool describesMac() { return false; }
    // The operating system as reports name it: on Linux the os-release name; the
    // simulated machine, which stands for a Mac, gives the Mac's.
    // Where the running program's file lies; absent where the system does not say.
    virtual std::optional<std::string> executablePath() { return std::nullopt; }
    virtual std::string osDisplayName() {
        const OSVersion v = osVersion();
        return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
    }
};

}  // namespace orvane::platform
