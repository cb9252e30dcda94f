#pragma once
// The I2C channels of the display connections, over which external monitors speak
// DDC/CI. Services are found in the device registry by class name and carry registry
// properties (such as "Location"); a channel is made from a registry entry.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Value.h"

namespace orvane::platform {

class I2CChannel {
public:
    virtual ~I2CChannel() = default;
    // 0 on success, else a status.
    virtual std::int32_t read(std::uint32_t chipAddress, std::uint32_t offset, std::uint8_t* buffer,
                              std::uint32_t length) = 0;
    virtual std::int32_t write(std::uint32_t chipAddress, std::uint32_t dataAddress, const std::uint8_t* buffer,
                               std::uint32_t length) = 0;
};

struct RegistryEntry {
    std::uint64_t id = 0;
    Dictionary properties;
    // The display the connection drives, when known; lets a monitor's channel be told
    // apart from another's.
    std::optional<std::uint32_t> displayId;
};

class I2C {
public:
    virtual ~I2C() = default;
    // Whether this machine can speak to its display connections' I2C channels at all.
    virtual bool isAvailable() = 0;
    // Absent when the registry cannot be searched.
    virtual std::optional<std::vector<RegistryEntry>> matchingServices(const std::string& className) = 0;
    // Null when the entry has no channel.
    virtual std::shared_ptr<I2CChannel> createChannel(std::uint64_t entry) = 0;
};

}  // namespace orvane::platform
