#pragma once
// Switches the temporal dithering of the display pipelines on or off, separately for
// built-in and external displays, through the "enableDither" property of each pipeline's
// frame-buffer service. Nothing is remembered here; the caller tracks what it wrote.
#include <optional>
#include <string>
#include <vector>

#include "platform/Dithering.h"

namespace orvane {

struct AntiDither {
    AntiDither() = delete;

    static constexpr const char* serviceClass = "IOMobileFramebufferAP";

    struct Pipe {
        bool isExternal = false;
        std::string className;
        std::optional<bool> enableDither;
        bool operator==(const Pipe&) const = default;
    };

    // One per pipeline, in registry order.
    static std::vector<Pipe> pipes(platform::Dithering& dithering);
    static bool isAvailable(platform::Dithering& dithering);
    // Writes "enableDither" = !disabled on the chosen groups; the number of writes that took.
    static int setDitheringDisabled(platform::Dithering& dithering, bool disabled, bool builtIn, bool external);
};

}  // namespace orvane
