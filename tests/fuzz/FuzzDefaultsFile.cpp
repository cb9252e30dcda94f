// Any bytes as a user-defaults file: reading either fails with a JsonError or gives values
// that are written back and read again unchanged, with every unreadable entry kept as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/UserDefaults.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvane;
    using namespace orvane::platform;
    DefaultsFileContents contents;
    try {
        contents = decodeDefaultsFile(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const JsonError&) {
        return 0;
    }
    Json values = Json::object();
    for (const auto& [key, entry] : contents.unreadable) values[key] = entry.stored;
    for (const auto& [key, value] : contents.values) values[key] = toTaggedJson(value);
    const DefaultsFileContents again = decodeDefaultsFile(encodeDocument({{"version", 1}, {"values", values}}));
    if (!(again.values == contents.values) || again.unreadable.size() != contents.unreadable.size()) std::abort();
    return 0;
}
