#include "platform/linux/X11Displays.h"

#include <cctype>

namespace orvane::platform::linuxsys {

namespace {

std::string nameOf(const X11Output& o) {
    if (o.edid && o.edid->name) return *o.edid->name;
    return isBuiltInConnector(o.connector) ? "Built-in Display" : o.connector;
}

// Bottom-left origin at the main display, y upward, like every other frame here.
Rect frameOf(const X11Output& o, const X11Output& main) {
    const double mainBottom = static_cast<double>(main.y) + main.height;
    return {static_cast<double>(o.x - main.x), mainBottom - (static_cast<double>(o.y) + o.height),
            static_cast<double>(o.width), static_cast<double>(o.height)};
}

}  // namespace

bool isBuiltInConnector(const std::string& name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.rfind("EDP", 0) == 0 || upper.rfind("LVDS", 0) == 0 || upper.rfind("DSI", 0) == 0;
}

std::vector<Screen> X11Displays::screens() {
    const auto lock = session_->lock();
    const auto& outs = session_->outputs();
    std::vector<Screen> list;
    if (outs.empty()) return list;
    for (const auto& o : outs)
        list.push_back({static_cast<std::uint32_t>(o.id), nameOf(o), frameOf(o, outs.front()), 1.0});
    return list;
}

std::vector<std::uint32_t> X11Displays::onlineDisplays(std::uint32_t maxDisplays) {
    const auto lock = session_->lock();
    std::vector<std::uint32_t> ids;
    for (const auto& o : session_->outputs()) {
        if (ids.size() >= maxDisplays) break;
        ids.push_back(static_cast<std::uint32_t>(o.id));
    }
    return ids;
}

std::optional<std::uint32_t> X11Displays::mainDisplay() {
    const auto lock = session_->lock();
    const auto& outs = session_->outputs();
    if (outs.empty()) return std::nullopt;
    return static_cast<std::uint32_t>(outs.front().id);
}

bool X11Displays::isBuiltin(std::uint32_t id) {
    const auto lock = session_->lock();
    const auto o = session_->output(id);
    return o && isBuiltInConnector(o->connector);
}

Handle X11Displays::observeReconfiguration(std::function<void()> changed) {
    return session_->observeReconfiguration(std::move(changed));
}

std::uint32_t X11Displays::edidField(std::uint32_t id, std::uint32_t EdidIdentity::*field) {
    const auto lock = session_->lock();
    const auto o = session_->output(id);
    return o && o->edid ? (*o->edid).*field : 0;
}

}  // namespace orvane::platform::linuxsys
