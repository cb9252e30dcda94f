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

template <class T>
const T* DDCLibrary::bind(std::optional<const T*>& slot, const char* name) {
    std::lock_guard lock(mutex_);
    if (slot) return *slot;
    if (!image_) image_ = platform_->frameworks().handle(platform::frameworkPath::ioKit);
    slot = platform::bindSymbol<T>(image_, name);
    return *slot;
}

const platform::symbol::AVServiceCreateWithService* DDCLibrary::createWithService() {
    return bind(create_, platform::symbolName::avServiceCreateWithService);
}

const platform::symbol::AVServiceReadI2C* DDCLibrary::readI2C() {
    return bind(read_, platform::symbolName::avServiceReadI2C);
}

const platform::symbol::AVServiceWriteI2C* DDCLibrary::writeI2C() {
    return bind(write_, platform::symbolName::avServiceWriteI2C);
}

}  // namespace orvane
