#include "engine/DDCLibrary.h"

#include <chrono>
#include <thread>

namespace orvane {

DDCLibrary::DDCLibrary(std::shared_ptr<platform::Platform> platform, Sleep sleep)
    : platform_(std::move(platform)), sleep_(std::move(sleep)) {}

void DDCLibrary::sleep(TimeInterval seconds) const {
    if (!(seconds > 0)) return;
    if (sleep_) {
        sleep_(seconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

platform::I2C* DDCLibrary::i2c() {
    std::lock_guard lock(mutex_);
    if (!available_) available_ = platform_->i2c().isAvailable();
    return *available_ ? &platform_->i2c() : nullptr;
}

}  // namespace orvane
