#pragma once
// The login item of a Linux desktop: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/orvane.desktop, whose Exec names the running executable.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/LoginItems.h"

namespace orvane::platform::linuxsys {

class XdgAutostart final : public LoginItems {
public:
    bool isAvailable() override { return executable().has_value(); }
    bool isEnabled() override;
    std::optional<std::string> set(bool enabled) override;

    // Where the entry lives under the current environment.
    static std::filesystem::path entryPath();
    // The running executable, absent when /proc/self/exe does not resolve.
    static std::optional<std::filesystem::path> executable();

    // One argument of an Exec value, quoted by the Desktop Entry rules and escaped as a
    // string value of the file; and the first argument read back from such a value.
    static std::string execArgument(const std::string& argument);
    static std::optional<std::string> firstExecArgument(const std::string& value);
};

}  // namespace orvane::platform::linuxsys
