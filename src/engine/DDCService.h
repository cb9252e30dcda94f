#pragma once
// DDC/CI (the monitor control protocol over the display cable's I2C channel) with one
// external monitor: reading and writing one VCP feature. Every transaction is serialised
// on the monitor and bus writes to it are spaced at least 0.05 s apart, whichever thread
// makes them; calls block their caller for these waits.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/DDCLibrary.h"
#include "platform/I2C.h"

namespace orvane {

class DDCService {
public:
    static constexpr std::uint8_t vcpBrightness = 0x10;
    static constexpr std::uint8_t vcpColorPreset = 0x14;
    static constexpr std::uint8_t vcpRedGain = 0x16;
    static constexpr std::uint8_t vcpGreenGain = 0x18;
    static constexpr std::uint8_t vcpBlueGain = 0x1A;

    static constexpr std::uint32_t chipAddress = 0x37;
    static constexpr std::uint32_t dataAddress = 0x51;
    static constexpr TimeInterval writeSpacing = 0.05;
    static constexpr TimeInterval replyDelay = 0.04;
    static constexpr TimeInterval verifyDelay = 0.05;
    static constexpr std::size_t replyLength = 12;
    static constexpr const char* serviceClass = "DCPAVServiceProxy";

    struct Reading {
        std::uint16_t current = 0;
        std::uint16_t max = 0;
        bool operator==(const Reading&) const = default;
    };

    DDCService(std::shared_ptr<DDCLibrary> library, std::shared_ptr<platform::I2CChannel> channel,
               std::optional<std::uint32_t> displayId, std::string location = "External");
    DDCService(const DDCService&) = delete;
    DDCService& operator=(const DDCService&) = delete;

    // The platform can speak I2C (asked once per library).
    static bool isAvailable(DDCLibrary& library);
    // The external monitors that answer a brightness read, in registry order.
    static std::vector<std::shared_ptr<DDCService>> externalServices(const std::shared_ptr<DDCLibrary>& library);

    // One Get VCP feature transaction; absent on a bus error or a reply that is not a
    // well-formed, successful answer about this code.
    std::optional<Reading> read(std::uint8_t vcp);
    // One Set VCP feature transaction; with `verify`, true only when a later read gives
    // the value back.
    bool write(std::uint8_t vcp, std::uint16_t value, bool verify);

    // The display the monitor shows, when the registry said.
    const std::optional<std::uint32_t>& displayId() const { return displayId_; }
    const std::string& location() const { return location_; }

    // The packets, with the destination address 0x6E folded into the checksum.
    static std::array<std::uint8_t, 5> getRequest(std::uint8_t vcp);
    static std::array<std::uint8_t, 7> setCommand(std::uint8_t vcp, std::uint16_t value);
    // Valid when the opcode (byte 2) is 0x02, the result code (byte 3) is 0, byte 4 names
    // the code asked for and byte 10 is 0x50 XOR bytes 0 to 9.
    static std::optional<Reading> decodeReply(const std::array<std::uint8_t, replyLength>& reply, std::uint8_t vcp);

private:
    void throttle();

    std::shared_ptr<DDCLibrary> library_;
    std::shared_ptr<platform::I2CChannel> channel_;
    std::optional<std::uint32_t> displayId_;
    std::string location_;
    std::mutex lock_;
    std::optional<TimeInterval> lastWrite_;  // monotonic; absent before the first write
};

}  // namespace orvane
