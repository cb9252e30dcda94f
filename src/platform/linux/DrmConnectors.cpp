#include "platform/linux/DrmConnectors.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/linux/X11Displays.h"

namespace orvane::platform::linuxsys {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

std::vector<std::uint8_t> bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "card0-DP-1" gives "DP-1"; the card itself and render nodes give nothing.
std::optional<std::string> connectorPart(const std::string& name) {
    if (name.rfind("card", 0) != 0) return std::nullopt;
    std::size_t i = 4;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    if (i == 4 || i + 1 >= name.size() || name[i] != '-') return std::nullopt;
    return name.substr(i + 1);
}

std::optional<int> busOf(const fs::path& dir) {
    std::error_code ec;
    const fs::path link = dir / "ddc";
    if (fs::is_symlink(link, ec)) {
        const fs::path target = fs::read_symlink(link, ec);
        if (!ec) return parseI2CAdapterName(target.filename().string());
    }
    // DisplayPort: the AUX channel's adapter is a child of the connector.
    std::vector<int> adapters;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (const auto n = parseI2CAdapterName(it->path().filename().string())) adapters.push_back(*n);
    if (adapters.empty()) return std::nullopt;
    return *std::min_element(adapters.begin(), adapters.end());
}

}  // namespace

std::optional<int> parseI2CAdapterName(const std::string& name) {
    if (name.rfind("i2c-", 0) != 0 || name.size() == 4 || name.size() > 4 + 6) return std::nullopt;
    int n = 0;
    for (std::size_t i = 4; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::vector<DrmConnector> readDrmConnectors(const fs::path& drmClass) {
    std::vector<DrmConnector> list;
    std::error_code ec;
    for (fs::directory_iterator it(drmClass, ec), end; !ec && it != end; it.increment(ec)) {
        DrmConnector c;
        c.name = it->path().filename().string();
        const auto part = connectorPart(c.name);
        if (!part) continue;
        c.connector = *part;
        c.connected = firstLine(it->path() / "status") == "connected";
        if (c.connected) {
            c.edid = bytesOf(it->path() / "edid");
            c.bus = busOf(it->path());
        }
        list.push_back(std::move(c));
    }
    std::sort(list.begin(), list.end(), [](const DrmConnector& a, const DrmConnector& b) { return a.name < b.name; });
    return list;
}

std::vector<DdcBus> matchDdcBuses(const std::vector<DrmConnector>& connectors, const std::vector<OutputEdid>& outputs) {
    const auto connectorsWith = [&](const std::vector<std::uint8_t>& edid) {
        return std::count_if(connectors.begin(), connectors.end(),
                             [&](const DrmConnector& c) { return c.connected && c.edid == edid; });
    };
    std::vector<DdcBus> matched;
    for (const auto& c : connectors) {
        if (!c.connected || !c.bus || c.edid.empty() || connectorsWith(c.edid) != 1) continue;
        const OutputEdid* output = nullptr;
        int sameEdid = 0;
        for (const auto& o : outputs) {
            if (o.edid != c.edid) continue;
            output = &o;
            ++sameEdid;
        }
        if (sameEdid != 1) continue;
        matched.push_back({*c.bus, output->display, c.connector, isBuiltInConnector(c.connector)});
    }
    return matched;
}

}  // namespace orvane::platform::linuxsys
