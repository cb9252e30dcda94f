#include "platform/sim/SimDithering.h"

#include "platform/Status.h"

namespace orvane::platform::sim {

namespace {

// The I/O error a frame buffer answers for a property it does not take.
constexpr std::int32_t ioReturnError = static_cast<std::int32_t>(0xE00002BCu);

}  // namespace

std::optional<std::vector<std::uint64_t>> SimDithering::services(const std::string& className) {
    std::vector<std::uint64_t> out;
    if (className != "IOMobileFramebufferAP") return out;
    for (const auto& d : machine_->read().displays) out.push_back(d.id);
    return out;
}

std::optional<std::string> SimDithering::className(std::uint64_t service) {
    if (!find(service)) return std::nullopt;
    return std::string("IOMobileFramebufferAP");
}

std::optional<Value> SimDithering::property(std::uint64_t service, const std::string& name) {
    const auto d = find(service);
    if (!d) return std::nullopt;
    if (name == "external") return Value(!d->builtIn);
    if (name == "enableDither" && d->enableDither) return Value(*d->enableDither);
    return std::nullopt;
}

std::int32_t SimDithering::setProperty(std::uint64_t service, const std::string& name, const Value& value) {
    journal_->add("dithering.setProperty",
                  Dictionary{{"service", static_cast<std::int64_t>(service)}, {"name", name}, {"value", value}});
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "dither.set")) return *failure;
        auto* d = service <= 0xFFFFFFFFu ? s.display(static_cast<std::uint32_t>(service)) : nullptr;
        if (!d || name != "enableDither" || !value.isBool()) return ioReturnError;
        d->enableDither = *value.get<bool>();
        return status::success;
    });
}

std::optional<SimDisplay> SimDithering::find(std::uint64_t service) {
    const auto s = machine_->read();
    const auto* d = service <= 0xFFFFFFFFu ? s.display(static_cast<std::uint32_t>(service)) : nullptr;
    if (!d) return std::nullopt;
    return *d;
}

}  // namespace orvane::platform::sim
