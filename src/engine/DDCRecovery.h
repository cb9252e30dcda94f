#pragma once
// Launch-time repair after a run that ended without detaching its DDC back-ends: every
// snapshot record left in the user defaults goes back to the monitor it was taken from.
#include <memory>

#include "engine/DDCLibrary.h"
#include "platform/UserDefaults.h"

namespace orvane {

struct DDCRecovery {
    DDCRecovery() = delete;

    // Writes each record to the answering external monitors whose display has the
    // record's key, then removes it. A record whose monitor is not there stays for the
    // attach that finds it; so does one that is not a dictionary. Nothing happens while
    // the I2C functions are missing.
    static void restoreLeftovers(platform::UserDefaults& defaults, const std::shared_ptr<DDCLibrary>& library);
};

}  // namespace orvane
