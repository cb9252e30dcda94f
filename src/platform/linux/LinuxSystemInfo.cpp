#include "platform/linux/LinuxSystemInfo.h"

#include <cctype>
#include <sstream>
#include <string_view>

#include "platform/AtomicFile.h"

namespace orvane::platform::linuxsys {

namespace {

std::string trimmed(std::string s) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c) && c != '\0'; };
    while (!s.empty() && !notSpace(static_cast<unsigned char>(s.back()))) s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && !notSpace(static_cast<unsigned char>(s[start]))) ++start;
    return s.substr(start);
}

// The value of KEY= in os-release, quotes and backslash escapes removed.
std::optional<std::string> osReleaseValue(const std::string& osRelease, std::string_view key) {
    std::istringstream lines(osRelease);
    std::string line;
    const std::string prefix = std::string(key) + "=";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        std::string v = trimmed(line.substr(prefix.size()));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
            const char quote = v.front();
            std::string unquoted;
            for (std::size_t i = 1; i + 1 < v.size(); ++i) {
                if (quote == '"' && v[i] == '\\' && i + 2 < v.size()) ++i;
                unquoted += v[i];
            }
            v = unquoted;
        }
        return v;
    }
    return std::nullopt;
}

}  // namespace

std::string prettyNameFromOsRelease(const std::string& osRelease) {
    if (auto pretty = osReleaseValue(osRelease, "PRETTY_NAME"); pretty && !pretty->empty()) return *pretty;
    auto name = osReleaseValue(osRelease, "NAME").value_or("");
    const auto version = osReleaseValue(osRelease, "VERSION").value_or("");
    if (name.empty()) return "Linux";
    return version.empty() ? name : name + " " + version;
}

std::optional<std::string> cpuBrandFromCpuinfo(const std::string& cpuinfo) {
    for (const char* key : {"model name", "Hardware", "Processor"}) {
        std::istringstream lines(cpuinfo);
        std::string line;
        while (std::getline(lines, line)) {
            const auto colon = line.find(':');
            if (colon == std::string::npos || trimmed(line.substr(0, colon)) != key) continue;
            auto value = trimmed(line.substr(colon + 1));
            if (!value.empty()) return value;
        }
    }
    return std::nullopt;
}

OSVersion versionFromOsRelease(const std::string& osRelease) {
    std::istringstream lines(osRelease);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("VERSION_ID=", 0) != 0) continue;
        std::string v = trimmed(line.substr(11));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        int parts[3] = {0, 0, 0};
        std::size_t i = 0;
        for (int p = 0; p < 3 && i < v.size(); ++p) {
            if (!std::isdigit(static_cast<unsigned char>(v[i]))) break;
            long n = 0;
            while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])) && n < 100000000)
                n = n * 10 + (v[i++] - '0');
            parts[p] = static_cast<int>(n);
            if (i < v.size() && v[i] == '.') ++i;
            else break;
        }
        return {parts[0], parts[1], parts[2]};
    }
    return {};
}

std::optional<std::string> LinuxSystemInfo::file(const std::string& relative) const {
    try {
        return readWholeFile(root_ / relative);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> LinuxSystemInfo::sysctlString(const std::string& name) {
    if (name == "machdep.cpu.brand_string") {
        std::call_once(brandOnce_, [this] { brand_ = readBrand(); });
        return brand_;
    }
    if (name == "hw.model") {
        std::call_once(modelOnce_, [this] { model_ = readModel(); });
        return model_;
    }
    return std::nullopt;
}

std::string LinuxSystemInfo::osDisplayName() {
    for (const char* path : {"etc/os-release", "usr/lib/os-release"})
        if (auto text = file(path)) return prettyNameFromOsRelease(*text);
    return "Linux";
}

OSVersion LinuxSystemInfo::osVersion() {
    std::call_once(versionOnce_, [this] { version_ = readVersion(); });
    return version_;
}

std::optional<std::string> LinuxSystemInfo::readBrand() const {
    const auto info = file("proc/cpuinfo");
    return info ? cpuBrandFromCpuinfo(*info) : std::nullopt;
}

std::optional<std::string> LinuxSystemInfo::readModel() const {
    for (const char* path : {"sys/class/dmi/id/product_name", "proc/device-tree/model"}) {
        if (auto v = file(path)) {
            auto t = trimmed(*v);
            if (!t.empty()) return t;
        }
    }
    return std::nullopt;
}

OSVersion LinuxSystemInfo::readVersion() const {
    for (const char* path : {"etc/os-release", "usr/lib/os-release"})
        if (auto text = file(path)) return versionFromOsRelease(*text);
    return {};
}

std::optional<std::string> LinuxSystemInfo::executablePath() {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(root_ / "proc/self/exe", error);
    if (error || target.empty()) return std::nullopt;
    return target.string();
}

}  // namespace orvane::platform::linuxsys
