#pragma once
// The simulated I2C buses: each display's bus reaches a DDC/CI monitor at 0x37 when the
// display has one (VCP features in the machine's state), and nothing otherwise.
#include <memory>
#include <optional>

#include "platform/Clock.h"
#include "platform/I2C.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimI2CChannel final : public I2CChannel {
public:
    SimI2CChannel(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal,
                  std::shared_ptr<Clock> clock, std::uint32_t display)
        : machine_(std::move(machine)), journal_(std::move(journal)), clock_(std::move(clock)), display_(display) {}

    std::int32_t write(std::uint32_t chip, std::uint32_t address, const std::uint8_t* buffer,
                       std::uint32_t length) override;
    std::int32_t read(std::uint32_t chip, std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) override;

private:
    static Bytes reply(const SimDisplay& d, std::uint8_t vcp);

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::shared_ptr<Clock> clock_;
    std::uint32_t display_;
    std::optional<Bytes> pendingReply_;
};

class SimI2C final : public I2C {
public:
    SimI2C(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal, std::shared_ptr<Clock> clock)
        : machine_(std::move(machine)), journal_(std::move(journal)), clock_(std::move(clock)) {}

    bool isAvailable() override;
    std::optional<std::vector<RegistryEntry>> matchingServices(const std::string& className) override;
    std::shared_ptr<I2CChannel> createChannel(std::uint64_t entry) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::shared_ptr<Clock> clock_;
};

}  // namespace orvane::platform::sim
