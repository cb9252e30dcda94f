#include "engine/AntiDither.h"

#include "platform/Log.h"

namespace orvane {

namespace {

const platform::Log& log() {
    static const platform::Log l("dither");
    return l;
}

// A Boolean property; anything else (absent, a number, a string) is no answer.
std::optional<bool> booleanProperty(platform::Dithering& dithering, std::uint64_t service, const char* name) {
    const auto value = dithering.property(service, name);
    if (!value || !value->isBool()) return std::nullopt;
    return *value->get<bool>();
}

std::vector<std::uint64_t> services(platform::Dithering& dithering) {
    auto found = dithering.services(AntiDither::serviceClass);
    return found ? *found : std::vector<std::uint64_t>{};
}

}  // namespace

std::vector<AntiDither::Pipe> AntiDither::pipes(platform::Dithering& dithering) {
    std::vector<Pipe> out;
    for (const auto service : services(dithering))
        out.push_back({booleanProperty(dithering, service, "external").value_or(false),
                       dithering.className(service).value_or(""), booleanProperty(dithering, service, "enableDither")});
    return out;
}

bool AntiDither::isAvailable(platform::Dithering& dithering) { return !pipes(dithering).empty(); }

int AntiDither::setDitheringDisabled(platform::Dithering& dithering, bool disabled, bool builtIn, bool external) {
    int written = 0;
    for (const auto service : services(dithering)) {
        const bool isExternal = booleanProperty(dithering, service, "external").value_or(false);
        if (isExternal ? !external : !builtIn) continue;
        const auto rc = dithering.setProperty(service, "enableDither", platform::Value(!disabled));
        if (rc != 0) {
            log().error("enableDither write failed rc=%d external=%{bool}d", rc, isExternal ? 1 : 0);
            continue;
        }
        ++written;
    }
    return written;
}

}  // namespace orvane
