#pragma once
// The record of a monitor's own DDC values, kept in the user defaults under
// "ddc.snapshot." + the display key while the program changes them, so that they can be
// written back even after a crash. Keys are VCP codes in decimal, values integers.
//
// A record is read defensively: it may have been edited or come from elsewhere, and a
// stray code (0x04 is a factory reset, 0xD6 the power mode) must never reach a monitor.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Log.h"
#include "platform/Value.h"

namespace orvane {

class DDCService;

struct DDCRecord {
    DDCRecord() = delete;

    using Values = std::map<std::uint8_t, std::uint16_t>;

    static constexpr std::string_view keyPrefix = "ddc.snapshot.";
    // The codes a record may hold, in the order they are written back: the preset first,
    // as selecting it can reset the gains, brightness last.
    static constexpr std::array<std::uint8_t, 5> restoreOrder{0x14, 0x16, 0x18, 0x1A, 0x10};

    static std::string key(const std::string& displayKey) { return std::string(keyPrefix) + displayKey; }
    static platform::Dictionary encode(const Values& values);
    // Absent when the record is not a dictionary. Entries other than one of the five codes
    // in plain decimal with an integer value in 0...65535 are left out, all named in one
    // log line.
    static std::optional<Values> decode(const platform::Value& record, const std::string& key,
                                        const platform::Log& log);
    // Writes the values to the monitor in restore order, unverified.
    static void restore(DDCService& service, const Values& values);
};

}  // namespace orvane
