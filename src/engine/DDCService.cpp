#include "engine/DDCService.h"

#include <algorithm>

namespace orvane {

DDCService::DDCService(std::shared_ptr<DDCLibrary> library, std::shared_ptr<platform::I2CChannel> channel,
                       std::optional<std::uint32_t> displayId, std::string location)
    : library_(std::move(library)),
      channel_(std::move(channel)),
      displayId_(displayId),
      location_(std::move(location)) {}

bool DDCService::isAvailable(DDCLibrary& library) { return library.i2c() != nullptr; }

std::vector<std::shared_ptr<DDCService>> DDCService::externalServices(const std::shared_ptr<DDCLibrary>& library) {
    std::vector<std::shared_ptr<DDCService>> services;
    auto* i2c = library->i2c();
    if (!i2c) return services;
    const auto entries = i2c->matchingServices(serviceClass);
    if (!entries) return services;
    for (const auto& entry : *entries) {
        const auto location = entry.properties.find("Location");
        if (location == entry.properties.end() || !location->second.string() ||
            *location->second.string() != "External")
            continue;
        auto channel = i2c->createChannel(entry.id);
        if (!channel) continue;
        auto service = std::make_shared<DDCService>(library, std::move(channel), entry.displayId, "External");
        if (service->read(vcpBrightness)) services.push_back(std::move(service));
    }
    return services;
}

std::array<std::uint8_t, 5> DDCService::getRequest(std::uint8_t vcp) {
    return {0x51, 0x82, 0x01, vcp, static_cast<std::uint8_t>(vcp ^ 0xBC)};
}

std::array<std::uint8_t, 7> DDCService::setCommand(std::uint8_t vcp, std::uint16_t value) {
    const auto high = static_cast<std::uint8_t>(value >> 8);
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    return {0x51, 0x84, 0x03, vcp, high, low, static_cast<std::uint8_t>(vcp ^ high ^ low ^ 0xB8)};
}

std::optional<DDCService::Reading> DDCService::decodeReply(const std::array<std::uint8_t, replyLength>& r,
                                                           std::uint8_t vcp) {
    std::uint8_t check = 0x50;
    for (std::size_t i = 0; i < 10; ++i) check ^= r[i];
    // A garbled reply or an "unsupported" answer must not pass for a value.
    if (r[2] != 0x02 || r[3] != 0 || r[4] != vcp || r[10] != check) return std::nullopt;
    return Reading{static_cast<std::uint16_t>((r[8] << 8) | r[9]), static_cast<std::uint16_t>((r[6] << 8) | r[7])};
}

void DDCService::throttle() {
    if (lastWrite_) {
        // Monotonic time cannot run backwards, and the wait is capped all the same.
        const TimeInterval wait = writeSpacing - (library_->now() - *lastWrite_);
        if (wait > 0) library_->sleep(std::min(wait, writeSpacing));
    }
    lastWrite_ = library_->now();
}

std::optional<DDCService::Reading> DDCService::read(std::uint8_t vcp) {
    if (!library_->i2c()) return std::nullopt;
    std::lock_guard lock(lock_);
    const auto request = getRequest(vcp);
    throttle();
    if (channel_->write(chipAddress, dataAddress, request.data(), static_cast<std::uint32_t>(request.size())) != 0)
        return std::nullopt;
    library_->sleep(replyDelay);
    std::array<std::uint8_t, replyLength> reply{};
    if (channel_->read(chipAddress, dataAddress, reply.data(), static_cast<std::uint32_t>(reply.size())) != 0)
        return std::nullopt;
    return decodeReply(reply, vcp);
}

bool DDCService::write(std::uint8_t vcp, std::uint16_t value, bool verify) {
    if (!library_->i2c()) return false;
    std::int32_t status = 0;
    {
        std::lock_guard lock(lock_);
        const auto command = setCommand(vcp, value);
        throttle();
        status = channel_->write(chipAddress, dataAddress, command.data(), static_cast<std::uint32_t>(command.size()));
    }
    if (status != 0 || !verify) return status == 0;
    library_->sleep(verifyDelay);
    const auto reading = read(vcp);
    return reading && reading->current == value;
}

}  // namespace orvane
