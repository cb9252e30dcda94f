#pragma once
// The EDIDs of XRandR outputs: one output's over a given connection, and every connected
// output's over a connection of its own, so that the DDC/CI discovery never competes with
// the display session's requests.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/DrmConnectors.h"

struct _XDisplay;  // Xlib's Display

namespace orvane::platform::linuxsys {

// The bytes of one output's EDID property (`edidAtom`, the atom "EDID"), base block and
// extensions; empty when it has none.
std::vector<std::uint8_t> outputEdid(::_XDisplay* dpy, unsigned long output, unsigned long edidAtom);

// Outputs without an EDID are left out; nothing when the display does not open.
std::vector<OutputEdid> readOutputEdids(const std::string& displayName);

}  // namespace orvane::platform::linuxsys
