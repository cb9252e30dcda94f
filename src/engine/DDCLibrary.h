#pragma once
// What the DDC/CI services of one platform share: the registry of I2C services, the three
// I2C functions of the display-service framework, each bound once on first use (a symbol
// found missing stays missing), and the clock and sleep that pace the bus.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/FrameworkAdapters.h"
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

    // Null when the framework or the symbol is missing.
    const platform::symbol::AVServiceCreateWithService* createWithService();
    const platform::symbol::AVServiceReadI2C* readI2C();
    const platform::symbol::AVServiceWriteI2C* writeI2C();

    platform::Platform& platform() { return *platform_; }
    platform::I2C& registry() { return platform_->i2c(); }
    // The monotonic clock: a wall clock set back must not stall the bus.
    TimeInterval now() const { return platform_->clock().monotonic(); }
    void sleep(TimeInterval seconds) const;

private:
    template <class T>
    const T* bind(std::optional<const T*>& slot, const char* name);

    std::shared_ptr<platform::Platform> platform_;
    Sleep sleep_;
    std::mutex mutex_;
    std::shared_ptr<platform::FrameworkImage> image_;  // keeps the bound symbols alive
    std::optional<const platform::symbol::AVServiceCreateWithService*> create_;
    std::optional<const platform::symbol::AVServiceReadI2C*> read_;
    std::optional<const platform::symbol::AVServiceWriteI2C*> write_;
};

}  // namespace orvane
