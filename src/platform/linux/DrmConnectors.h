#pragma once
// Which I2C bus carries the DDC/CI channel of which display. The kernel names a DRM
// connector's DDC adapter in sysfs (/sys/class/drm/card<N>-<type>-<n>): the target of its
// "ddc" link, or, for DisplayPort, the AUX adapter "i2c-<bus>" inside its directory. The X
// server names its outputs differently, so a connector is paired with the output that
// reports the identical EDID block.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform::linuxsys {

struct DrmConnector {
    std::string name;       // "card0-DP-1"
    std::string connector;  // "DP-1"
    bool connected = false;
    std::vector<std::uint8_t> edid;  // empty when the monitor gave none
    std::optional<int> bus;          // the adapter number of its DDC channel
};

// The connectors under a DRM class directory, in name order; nothing when it is missing.
std::vector<DrmConnector> readDrmConnectors(const std::filesystem::path& drmClass);

// An X output and the EDID block it reports.
struct OutputEdid {
    std::uint32_t display = 0;
    std::vector<std::uint8_t> edid;
};

struct DdcBus {
    int bus = 0;
    std::uint32_t display = 0;
    std::string connector;  // "DP-1"
    bool embedded = false;  // eDP, LVDS or DSI: the built-in panel
};

// The connected connectors with a bus, each paired with the one output whose EDID is
// byte for byte its own. An EDID that two connectors (or two outputs) share pairs
// nothing: guessing would send one monitor's settings to the other.
std::vector<DdcBus> matchDdcBuses(const std::vector<DrmConnector>& connectors, const std::vector<OutputEdid>& outputs);

// "i2c-7" gives 7; anything else, absent.
std::optional<int> parseI2CAdapterName(const std::string& name);

}  // namespace orvane::platform::linuxsys
