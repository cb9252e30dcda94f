#pragma once
// The EDID block of every connected XRandR output, read over a connection of its own so
// that the DDC/CI discovery never competes with the display session's requests.
#include <string>
#include <vector>

#include "platform/linux/DrmConnectors.h"

namespace orvane::platform::linuxsys {

// Outputs without an EDID are left out; nothing when the display does not open.
std::vector<OutputEdid> readOutputEdids(const std::string& displayName);

}  // namespace orvane::platform::linuxsys
