#include "platform/linux/LinuxI2C.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/Status.h"

namespace orvane::platform::linuxsys {

LinuxI2C::LinuxI2C(OutputEdids outputs, std::filesystem::path drmClass, std::filesystem::path devices)
    : outputs_(std::move(outputs)), drmClass_(std::move(drmClass)), devices_(std::move(devices)) {}

std::optional<std::vector<RegistryEntry>> LinuxI2C::matchingServices(const std::string& className) {
    std::vector<RegistryEntry> entries;
    if (className != serviceClass) return entries;
    const auto connectors = readDrmConnectors(drmClass_);
    // Without a connected connector there is nothing to pair, so the X server is not asked.
    const bool any = std::ranges::any_of(connectors, [](const DrmConnector& c) { return c.connected; });
    const auto buses = any && outputs_ ? matchDdcBuses(connectors, outputs_()) : std::vector<DdcBus>{};
    std::set<std::uint64_t> listed;
    for (const auto& b : buses) {
        const auto bus = static_cast<std::uint64_t>(b.bus);
        listed.insert(bus);
        entries.push_back({bus, Dictionary{{"Location", b.embedded ? "Embedded" : "External"}}, b.display});
    }
    std::lock_guard lock(mutex_);
    listed_ = std::move(listed);
    return entries;
}

std::shared_ptr<I2CChannel> LinuxI2C::createChannel(std::uint64_t entry) {
    std::lock_guard lock(mutex_);
    if (!listed_.count(entry)) return nullptr;
    const auto node = devices_ / ("i2c-" + std::to_string(entry));
    const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (reported_.insert(entry).second)
            log_.error("cannot open %s: %s; its monitor has no DDC/CI", node.string(), std::strerror(error));
        return nullptr;
    }
    return std::make_shared<I2CDevChannel>(fd);
}

I2CDevChannel::~I2CDevChannel() { ::close(fd_); }

std::int32_t I2CDevChannel::transfer(std::uint32_t chip, bool reading, std::uint8_t* buffer, std::uint32_t length) {
    // Other addresses of the display cable hold the EDID memory and the like: never touch them.
    if (chip != LinuxI2C::ddcAddress || length == 0 || length > 0xFFFF || !buffer) return status::illegalArgument;
    i2c_msg message{};
    message.addr = static_cast<__u16>(chip);
    message.flags = reading ? I2C_M_RD : 0;
    message.len = static_cast<__u16>(length);
    message.buf = buffer;
    i2c_rdwr_ioctl_data set{&message, 1};
    if (::ioctl(fd_, I2C_RDWR, &set) < 0) return errno != 0 ? errno : status::failure;
    return status::success;
}

std::int32_t I2CDevChannel::read(std::uint32_t chip, std::uint32_t, std::uint8_t* buffer, std::uint32_t length) {
    return transfer(chip, true, buffer, length);
}

std::int32_t I2CDevChannel::write(std::uint32_t chip, std::uint32_t, const std::uint8_t* buffer, std::uint32_t length) {
    // The kernel only reads a written message; its buffer field is simply not const.
    return transfer(chip, false, const_cast<std::uint8_t*>(buffer), length);
}

}  // namespace orvane::platform::linuxsys
