#include "platform/linux/Edid.h"

namespace orvane::platform::linuxsys {

std::optional<EdidIdentity> parseEdid(const std::vector<std::uint8_t>& e) {
    static constexpr std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    if (e.size() < 128) return std::nullopt;
    for (int i = 0; i < 8; ++i)
        if (e[static_cast<std::size_t>(i)] != header[i]) return std::nullopt;
    EdidIdentity id;
    id.vendor = (std::uint32_t{e[8]} << 8) | e[9];  // big-endian
    id.model = std::uint32_t{e[10]} | (std::uint32_t{e[11]} << 8);
    id.serial = std::uint32_t{e[12]} | (std::uint32_t{e[13]} << 8) | (std::uint32_t{e[14]} << 16) |
                (std::uint32_t{e[15]} << 24);
    // Four 18-byte descriptors; 0xFC is the monitor name, up to 13 characters ended by 0x0A.
    for (std::size_t d = 54; d + 18 <= 126; d += 18) {
        if (e[d] != 0 || e[d + 1] != 0 || e[d + 3] != 0xFC) continue;
        std::string name;
        for (std::size_t i = d + 5; i < d + 18 && e[i] != 0x0A && e[i] != 0; ++i)
            name += (e[i] >= 0x20 && e[i] < 0x7F) ? static_cast<char>(e[i]) : '?';
        while (!name.empty() && name.back() == ' ') name.pop_back();
        if (!name.empty()) id.name = name;
        break;
    }
    return id;
}

}  // namespace orvane::platform::linuxsys
