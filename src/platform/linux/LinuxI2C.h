#pragma once
// The DDC/CI channels of the monitors on this desktop: one registry entry per DRM
// connector whose bus could be paired with an X output (DrmConnectors.h), carrying that
// output as its display and "Location" "Embedded" for a built-in panel, else "External".
// A channel is the bus's i2c-dev node; only buses of the latest listing are ever opened,
// and only the DDC/CI address is ever spoken to.
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/I2C.h"
#include "platform/Log.h"
#include "platform/linux/DrmConnectors.h"

namespace orvane::platform::linuxsys {

class LinuxI2C final : public I2C {
public:
    // The registry class under which the monitors' channels are listed.
    static constexpr const char* serviceClass = "DCPAVServiceProxy";
    static constexpr std::uint32_t ddcAddress = 0x37;

    using OutputEdids = std::function<std::vector<OutputEdid>()>;

    explicit LinuxI2C(OutputEdids outputs, std::filesystem::path drmClass = "/sys/class/drm",
                      std::filesystem::path devices = "/dev");

    // i2c-dev is always there to ask; a machine without buses lists no services.
    bool isAvailable() override { return true; }
    std::optional<std::vector<RegistryEntry>> matchingServices(const std::string& className) override;
    // Null for a bus that the last listing did not give, or whose node does not open (said
    // once per bus in the log, with the system's reason).
    std::shared_ptr<I2CChannel> createChannel(std::uint64_t entry) override;

private:
    OutputEdids outputs_;
    std::filesystem::path drmClass_;
    std::filesystem::path devices_;
    std::mutex mutex_;
    std::set<std::uint64_t> listed_;
    std::set<std::uint64_t> reported_;
    Log log_{"i2c"};
};

// One message per transfer over an open i2c-dev descriptor (owned): a write sends exactly
// the given bytes, a read asks for exactly `length` bytes.
class I2CDevChannel final : public I2CChannel {
public:
    explicit I2CDevChannel(int fd) : fd_(fd) {}
    ~I2CDevChannel() override;
    I2CDevChannel(const I2CDevChannel&) = delete;
    I2CDevChannel& operator=(const I2CDevChannel&) = delete;

    // The status is the system's error number, or status::illegalArgument for an address
    // other than DDC/CI's or an empty or oversized transfer.
    std::int32_t read(std::uint32_t chipAddress, std::uint32_t offset, std::uint8_t* buffer,
                      std::uint32_t length) override;
    std::int32_t write(std::uint32_t chipAddress, std::uint32_t dataAddress, const std::uint8_t* buffer,
                       std::uint32_t length) override;

private:
    std::int32_t transfer(std::uint32_t chipAddress, bool reading, std::uint8_t* buffer, std::uint32_t length);
    int fd_;
};

}  // namespace orvane::platform::linuxsys
