#include "engine/DisplayManager.h"

#include <cctype>
#include <map>

namespace orvane {

std::optional<DisplayInfo> DisplayInfo::fromScreen(const platform::Screen& screen, platform::Platform& platform) {
    if (!screen.displayNumber) return std::nullopt;
    const std::uint32_t id = *screen.displayNumber;
    auto& displays = platform.displays();
    return DisplayInfo(id, stableKey(id, displays), screen.localizedName, displays.isBuiltin(id), screen.frame,
                       screen.backingScaleFactor);
}

std::string DisplayInfo::stableKey(std::uint32_t id, platform::Displays& displays) {
    if (auto uuid = displays.uuid(id)) {
        std::string upper;
        for (char c : *uuid) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return "uuid:" + upper;
    }
    const std::uint32_t vendor = displays.vendorNumber(id);
    const std::uint32_t model = displays.modelNumber(id);
    if (vendor != 0 || model != 0)
        return "vms:" + std::to_string(vendor) + "-" + std::to_string(model) + "-" +
               std::to_string(displays.serialNumber(id));
    return "id:" + std::to_string(id);
}

DisplayManager::DisplayManager(std::shared_ptr<platform::Platform> platform) : platform_(std::move(platform)) {
    displays_ = currentDisplays(*platform_);
    // The handle ends the observation with the manager, so a late report finds nothing to call.
    observer_ = platform_->displays().observeReconfiguration([this] { refresh(); });
}

std::vector<DisplayInfo> DisplayManager::currentDisplays(platform::Platform& platform) {
    std::vector<DisplayInfo> out;
    for (const auto& screen : platform.displays().screens())
        if (auto info = DisplayInfo::fromScreen(screen, platform)) out.push_back(std::move(*info));
    return out;
}

void DisplayManager::refresh() {
    std::vector<DisplayInfo> fresh = currentDisplays(*platform_);
    std::map<std::uint32_t, const DisplayInfo*> oldById, newById;
    for (const auto& d : displays_) oldById.emplace(d.id, &d);
    for (const auto& d : fresh) newById.emplace(d.id, &d);

    std::vector<DisplayInfo> added, removed, changed;
    for (const auto& d : fresh) {
        const auto old = oldById.find(d.id);
        if (old == oldById.end()) {
            added.push_back(d);
        } else {
            const DisplayInfo& o = *old->second;
            // A new name or built-in flag alone is not a change worth re-attaching for.
            if (o.frame.standardized() != d.frame.standardized() || o.scale != d.scale || o.key != d.key)
                changed.push_back(d);
        }
    }
    for (const auto& d : displays_)
        if (!newById.count(d.id)) removed.push_back(d);

    displays_ = std::move(fresh);
    if (added.empty() && removed.empty() && changed.empty()) return;
    log_.notice("displays changed: +%ld -%ld ~%ld", static_cast<long>(added.size()), static_cast<long>(removed.size()),
                static_cast<long>(changed.size()));
    if (onChange) onChange(added, removed, changed);
}

std::string repairUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = byteAt(i);
        std::size_t need = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        // The longest valid prefix of the sequence is replaced as one unit when it breaks off.
        std::size_t len = 1;
        while (len <= need && i + len < s.size()) {
            const unsigned char b = byteAt(i + len);
            const bool ok = len == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
            if (!ok) break;
            ++len;
        }
        if (len == need + 1) out.append(s.substr(i, len));
        else out += "\xEF\xBF\xBD";
        i += len;
    }
    return out;
}

std::optional<std::string> SystemFacts::sysctlString(const std::string& name) const {
    const auto raw = platform_->systemInfo().sysctlString(name);
    if (!raw || raw->empty()) return std::nullopt;
    std::string_view bytes(*raw);
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::string text = repairUtf8(bytes);
    const auto blank = [](unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) ++start;
    return text.substr(start);
}

std::optional<std::string> SystemFacts::chipBrand() const { return sysctlString("machdep.cpu.brand_string"); }

std::string SystemFacts::chipDisplayName() const { return chipBrand().value_or("Unknown chip"); }

std::optional<std::string> SystemFacts::modelIdentifier() const { return sysctlString("hw.model"); }

platform::OSVersion SystemFacts::osVersion() const { return platform_->systemInfo().osVersion(); }

std::string SystemFacts::osVersionString() const {
    const auto v = osVersion();
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

}  // namespace orvane

std::size_t std::hash<orvane::DisplayInfo>::operator()(const orvane::DisplayInfo& d) const noexcept {
    const auto r = d.frame.standardized();
    std::size_t h = std::hash<std::uint32_t>{}(d.id);
    const auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    // +0.0 turns -0.0 into 0.0, which compares equal and must hash alike.
    const auto dbl = [](double v) { return std::hash<double>{}(v + 0.0); };
    mix(std::hash<std::string>{}(d.key));
    mix(std::hash<std::string>{}(d.name));
    mix(std::hash<bool>{}(d.isBuiltIn));
    mix(dbl(r.x));
    mix(dbl(r.y));
    mix(dbl(r.width));
    mix(dbl(r.height));
    mix(dbl(d.scale));
    return h;
}
