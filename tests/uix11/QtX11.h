#pragma once
// The X server the Qt application of this test program speaks to; null when there is none
// (then every test skips).
#include "XvfbServer.h"

namespace orvane::testing {

extern XvfbServer* qtX11Server;

}  // namespace orvane::testing
