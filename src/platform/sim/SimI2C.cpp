#include "platform/sim/SimI2C.h"

#include <algorithm>
#include <cstring>

#include "platform/Status.h"

namespace orvane::platform::sim {

namespace {

// The I/O error a bus answers when nothing acknowledges.
constexpr std::int32_t ioReturnError = static_cast<std::int32_t>(0xE00002BCu);

}  // namespace

std::int32_t SimI2CChannel::write(std::uint32_t chip, std::uint32_t address, const std::uint8_t* buffer,
                                  std::uint32_t length) {
    Bytes bytes(buffer, buffer + length);
    journal_->add("i2c.write", Dictionary{{"display", display_},
                                          {"chip", chip},
                                          {"address", address},
                                          {"bytes", bytes},
                                          {"time", clock_->monotonic()}});
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "i2c.write")) return *failure;
        auto* d = s.display(display_);
        if (!d || !d->ddc || chip != 0x37) return ioReturnError;
        // The full message, with the destination address folded into the checksum.
        std::uint8_t check = 0x6E;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) check ^= bytes[i];
        if (bytes.size() < 2 || check != bytes.back()) return status::success;  // garbled: ignored
        // 0x51 (the host), 0x80 | length, opcode, ...: get is 0x82 0x01 vcp, set 0x84 0x03 vcp hi lo.
        if (address != 0x51 || bytes[0] != 0x51) return status::success;
        if (bytes.size() == 5 && bytes[1] == 0x82 && bytes[2] == 0x01) {
            pendingReply_ = reply(*d, bytes[3]);
            if (SimMachine::takeFailure(s, "i2c.checksum")) pendingReply_->back() ^= 0x5A;
        } else if (bytes.size() == 7 && bytes[1] == 0x84 && bytes[2] == 0x03) {
            const auto it = d->ddc->features.find(bytes[3]);
            if (it != d->ddc->features.end()) {
                const auto value = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
                it->second.current = std::min(value, it->second.maximum);  // monitors clamp
            }
        }
        return status::success;
    });
}

std::int32_t SimI2CChannel::read(std::uint32_t chip, std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) {
    journal_->add("i2c.read", Dictionary{{"display", display_},
                                         {"chip", chip},
                                         {"offset", offset},
                                         {"length", length},
                                         {"time", clock_->monotonic()}});
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "i2c.read")) return *failure;
        const auto* d = s.display(display_);
        if (!d || !d->ddc || chip != 0x37 || !pendingReply_) return ioReturnError;
        std::memset(buffer, 0, length);
        std::memcpy(buffer, pendingReply_->data(), std::min<std::size_t>(length, pendingReply_->size()));
        pendingReply_.reset();
        return status::success;
    });
}

Bytes SimI2CChannel::reply(const SimDisplay& d, std::uint8_t vcp) {
    const auto it = d.ddc->features.find(vcp);
    const bool known = it != d.ddc->features.end();
    const DdcFeature f = known ? it->second : DdcFeature{0, 0};
    Bytes out{0x6E,
              0x88,
              0x02,
              static_cast<std::uint8_t>(known ? 0x00 : 0x01),
              vcp,
              0x00,
              static_cast<std::uint8_t>(f.maximum >> 8),
              static_cast<std::uint8_t>(f.maximum & 0xFF),
              static_cast<std::uint8_t>(f.current >> 8),
              static_cast<std::uint8_t>(f.current & 0xFF)};
    std::uint8_t check = 0x50;  // the host's address in the checksum of a reply
    for (auto b : out) check ^= b;
    out.push_back(check);
    return out;
}

bool SimI2C::isAvailable() {
    return machine_->inspect([](const SimState& s) { return s.hasPort("i2c"); });
}

std::optional<std::vector<RegistryEntry>> SimI2C::matchingServices(const std::string& className) {
    if (className != "DCPAVServiceProxy") return std::vector<RegistryEntry>{};
    std::vector<RegistryEntry> out;
    for (const auto& d : machine_->read().displays)
        out.push_back({d.id, Dictionary{{"Location", d.builtIn ? "Embedded" : "External"}}, d.id});
    return out;
}

std::shared_ptr<I2CChannel> SimI2C::createChannel(std::uint64_t entry) {
    const auto s = machine_->read();
    if (entry > 0xFFFFFFFFu || !s.display(static_cast<std::uint32_t>(entry))) return nullptr;
    return std::make_shared<SimI2CChannel>(machine_, journal_, clock_, static_cast<std::uint32_t>(entry));
}

}  // namespace orvane::platform::sim
