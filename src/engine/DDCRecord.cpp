#include "engine/DDCRecord.h"

#include <algorithm>

#include "engine/DDCService.h"

namespace orvane {

namespace {

// Plain decimal without sign or leading zeros, so that "22" and "022" cannot both claim a code.
std::optional<std::uint8_t> codeOf(const std::string& text) {
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    const auto code = static_cast<std::uint8_t>(n);
    if (n > 0xFF || std::find(DDCRecord::restoreOrder.begin(), DDCRecord::restoreOrder.end(), code) ==
                        DDCRecord::restoreOrder.end())
        return std::nullopt;
    return code;
}

std::optional<std::uint16_t> valueOf(const platform::Value& value) {
    const auto* integer = value.get<std::int64_t>();
    if (!integer || *integer < 0 || *integer > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(*integer);
}

}  // namespace

platform::Dictionary DDCRecord::encode(const Values& values) {
    platform::Dictionary d;
    for (const auto& [code, value] : values) d[std::to_string(code)] = std::int64_t{value};
    return d;
}

std::optional<DDCRecord::Values> DDCRecord::decode(const platform::Value& record, const std::string& key,
                                                   const platform::Log& log) {
    const auto* entries = record.dictionary();
    if (!entries) return std::nullopt;
    Values values;
    std::string skipped;
    for (const auto& [text, value] : *entries) {
        const auto code = codeOf(text);
        const auto v = valueOf(value);
        if (code && v) {
            values[*code] = *v;
            continue;
        }
        skipped += (skipped.empty() ? "\"" : ", \"") + text + "\"";
    }
    if (!skipped.empty()) log.error("%s: skipped entries %s", key, skipped);
    return values;
}

void DDCRecord::restore(DDCService& service, const Values& values) {
    for (std::uint8_t code : restoreOrder)
        if (const auto it = values.find(code); it != values.end()) (void)service.write(code, it->second, false);
}

}  // namespace orvane
