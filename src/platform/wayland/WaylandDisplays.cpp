#include "platform/wayland/WaylandDisplays.h"

#include <cstdio>

#include "platform/linux/X11Displays.h"

namespace orvane::platform::waylandsys {

namespace {

std::string nameOf(const WaylandOutput& o) {
    if (o.edid && o.edid->name) return *o.edid->name;
    if (linuxsys::isBuiltInConnector(o.name)) return "Built-in Display";
    if (!o.name.empty()) return o.name;
    return o.description.empty() ? "Display" : o.description;
}

// Bottom-left origin at the main display, y upward, like every other frame here.
Rect frameOf(const WaylandOutput& o, const WaylandOutput& main) {
    const double mainBottom = static_cast<double>(main.y) + main.height;
    return {static_cast<double>(o.x - main.x), mainBottom - (static_cast<double>(o.y) + o.height),
            static_cast<double>(o.width), static_cast<double>(o.height)};
}

std::uint64_t fnv1a(const std::string& text, std::uint64_t hash) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

}  // namespace

std::string outputUuid(const WaylandOutput& o) {
    const std::string identity = o.make + '\n' + o.model + '\n' + o.name;
    const std::uint64_t high = fnv1a(identity, 0xcbf29ce484222325ull);
    const std::uint64_t low = fnv1a(identity, 0x84222325cbf29ce4ull);
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xffff), static_cast<unsigned>(high & 0xffff),
                  static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xffffffffffffull));
    return text;
}

std::vector<Screen> WaylandDisplays::screens() {
    const auto outs = session_->outputs();
    std::vector<Screen> list;
    if (outs.empty()) return list;
    for (const auto& o : outs)
        list.push_back({o.id, nameOf(o), frameOf(o, outs.front()), static_cast<double>(o.scale)});
    return list;
}

std::vector<std::uint32_t> WaylandDisplays::onlineDisplays(std::uint32_t maxDisplays) {
    std::vector<std::uint32_t> ids;
    for (const auto& o : session_->outputs()) {
        if (ids.size() >= maxDisplays) break;
        ids.push_back(o.id);
    }
    return ids;
}

std::optional<std::uint32_t> WaylandDisplays::mainDisplay() {
    const auto outs = session_->outputs();
    if (outs.empty()) return std::nullopt;
    return outs.front().id;
}

// A monitor with an EDID is keyed by it (vendor, model, serial) as under X; only the
// others need a made-up identity.
std::optional<std::string> WaylandDisplays::uuid(std::uint32_t id) {
    const auto o = session_->output(id);
    if (!o || (o->edid && (o->edid->vendor != 0 || o->edid->model != 0))) return std::nullopt;
    return outputUuid(*o);
}

bool WaylandDisplays::isBuiltin(std::uint32_t id) {
    const auto o = session_->output(id);
    return o && linuxsys::isBuiltInConnector(o->name);
}

Handle WaylandDisplays::observeReconfiguration(std::function<void()> changed) {
    return session_->observeReconfiguration(std::move(changed));
}

std::uint32_t WaylandDisplays::edidField(std::uint32_t id, std::uint32_t linuxsys::EdidIdentity::*field) {
    const auto o = session_->output(id);
    return o && o->edid ? (*o->edid).*field : 0;
}

}  // namespace orvane::platform::waylandsys
