#pragma once
// Machine facts on Linux: the processor's name from /proc/cpuinfo, the model from the
// firmware's product name (or the device tree), the version from os-release. Each is read
// once: the method choice asks on every repair, and none of them changes while we run.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "platform/SystemInfo.h"

namespace orvane::platform::linuxsys {

// The "model name" line (or "Hardware", "Processor" on other architectures).
std::optional<std::string> cpuBrandFromCpuinfo(const std::string& cpuinfo);
// VERSION_ID as major.minor.patch; missing parts are 0.
OSVersion versionFromOsRelease(const std::string& osRelease);
// PRETTY_NAME, else NAME and VERSION, else "Linux".
std::string prettyNameFromOsRelease(const std::string& osRelease);

class LinuxSystemInfo final : public SystemInfo {
public:
    // `root` lets tests point at a fake file tree.
    explicit LinuxSystemInfo(std::filesystem::path root = "/") : root_(std::move(root)) {}
    // "machdep.cpu.brand_string" and "hw.model"; absent for other names.
    std::optional<std::string> sysctlString(const std::string& name) override;
    OSVersion osVersion() override;
    std::string osDisplayName() override;
    // The target of proc/self/exe.
    std::optional<std::string> executablePath() override;

private:
    std::optional<std::string> file(const std::string& relative) const;
    std::optional<std::string> readBrand() const;
    std::optional<std::string> readModel() const;
    OSVersion readVersion() const;

    std::filesystem::path root_;
    std::once_flag brandOnce_, modelOnce_, versionOnce_;
    std::optional<std::string> brand_, model_;
    OSVersion version_;
};

}  // namespace orvane::platform::linuxsys
