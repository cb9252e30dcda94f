#include "platform/linux/LinuxBacklight.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/Status.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

LinuxBacklight::LinuxBacklight(std::function<bool(std::uint32_t)> isBuiltIn, std::filesystem::path root,
                               Fallback fallback)
    : isBuiltIn_(std::move(isBuiltIn)), root_(std::move(root)), fallback_(std::move(fallback)) {}

std::optional<long> LinuxBacklight::readNumber(const std::filesystem::path& file) const {
    try {
        const auto text = readWholeFile(file);
        if (!text) return std::nullopt;
        std::size_t used = 0;
        const long v = std::stol(*text, &used);
        return v;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::filesystem::path> LinuxBacklight::device() const {
    std::error_code ec;
    std::vector<std::pair<int, std::filesystem::path>> found;
    for (const auto& entry : std::filesystem::directory_iterator(root_, ec)) {
        std::string type;
        std::ifstream(entry.path() / "type") >> type;
        const int rank = type == "firmware" ? 0 : type == "platform" ? 1 : type == "raw" ? 2 : 3;
        if (readNumber(entry.path() / "max_brightness").value_or(0) > 0) found.emplace_back(rank, entry.path());
    }
    if (found.empty()) return std::nullopt;
    std::sort(found.begin(), found.end());
    return found.front().second;
}

std::int32_t LinuxBacklight::brightness(std::uint32_t display, float& level) {
    const auto dev = isBuiltIn_(display) ? device() : std::nullopt;
    if (!dev) return status::illegalArgument;
    const auto max = readNumber(*dev / "max_brightness");
    const auto now = readNumber(*dev / "brightness");
    if (!max || !now || *max <= 0) return status::failure;
    level = std::clamp(static_cast<float>(*now) / static_cast<float>(*max), 0.0f, 1.0f);
    return status::success;
}

std::int32_t LinuxBacklight::linearBrightness(std::uint32_t display, float& level) {
    return brightness(display, level);
}

std::int32_t LinuxBacklight::setBrightness(std::uint32_t display, float level) {
    const auto dev = isBuiltIn_(display) ? device() : std::nullopt;
    if (!dev || level != level) return status::illegalArgument;
    const auto max = readNumber(*dev / "max_brightness");
    if (!max || *max <= 0) return status::failure;
    const long value = std::lround(std::clamp(level, 0.0f, 1.0f) * static_cast<float>(*max));
    {
        std::ofstream out(*dev / "brightness");
        if (out) {
            out << value;
            out.flush();
            if (out) return status::success;
        }
    }
    // Only root and the video group may write the file; logind may set it for the session.
    if (fallback_ && fallback_(dev->filename().string(), static_cast<std::uint32_t>(value))) return status::success;
    return status::failure;
}

std::int32_t LinuxBacklight::setLinearBrightness(std::uint32_t display, float level) {
    return setBrightness(display, level);
}

bool LinuxBacklight::canChangeBrightness(std::uint32_t display) {
    const auto dev = isBuiltIn_(display) ? device() : std::nullopt;
    return dev && (::access((*dev / "brightness").c_str(), W_OK) == 0 || fallback_);
}

bool logindSetBrightness(const std::string& device, std::uint32_t value) {
    DBusError error;
    const auto bus = DBusConnection::open(DBusConnection::Bus::system, error);
    if (!bus) return false;
    const DBusObject session{"org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                             "org.freedesktop.login1.Session"};
    return static_cast<bool>(bus->call(session, "SetBrightness", "ssu", "backlight", device.c_str(), value));
}

}  // namespace orvane::platform::linuxsys
