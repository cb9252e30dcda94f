#pragma once
// The Linux desktop as a Platform.
#include <memory>

#include "platform/Platform.h"

namespace orvane::platform::linuxsys {

// Null when no X display opens, unless `required`: then a platform without displays.
std::shared_ptr<Platform> makeLinuxPlatform(Runtime runtime, bool required);

}  // namespace orvane::platform::linuxsys
