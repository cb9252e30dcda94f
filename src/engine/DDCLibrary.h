#pragma once
// What the DDC/CI services of one platform share: the I2C port, asked once on first use
// whether it is there (a port found missing stays missing for this library), and the
// clock and sleep that pace the bus.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/Platform.h"
#include "support/Date.h"

namespace orvane {

class DDCLibrary {
public:
    // Blocks the calling thread; tests pass one that moves their fake clock instead.
    using Sleep = std::function<void(TimeInterval seconds)>;

    explicit DDCLibrary(std::shared_ptr<platform::Platform> platform, Sleep sleep = {});
    DDCLibrary(const DDCLibrary&) = delete;
    DDCLibrary& operator=(const DDCLibrary&) = delete;

    // Null when the platform cannot speak I2C. Safe from any thread.
    platform::I2C* i2c();

    platform::Platform& platform() { return *platform_; }
    // The monotonic clock: a wall clock set back must not stall the bus.
    TimeInterval now() const { return platform_->clock().monotonic(); }
    void sleep(TimeInterval seconds) const;

private:
    std::shared_ptr<platform::Platform> platform_;
    Sleep sleep_;
    std::mutex mutex_;
    std::optional<bool> available_;
};

}  // namespace orvane
