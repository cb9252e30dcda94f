#pragma once
// The identity a monitor's EDID block carries.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform::linuxsys {

struct EdidIdentity {
    std::uint32_t vendor = 0;         // the packed three-letter manufacturer id, as a number
    std::uint32_t model = 0;          // product code
    std::uint32_t serial = 0;         // serial number field (0 when the monitor leaves it empty)
    std::optional<std::string> name;  // the monitor-name descriptor
    bool operator==(const EdidIdentity&) const = default;
};

// Absent when the block is too short or lacks the EDID header.
std::optional<EdidIdentity> parseEdid(const std::vector<std::uint8_t>& block);

}  // namespace orvane::platform::linuxsys
