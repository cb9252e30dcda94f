// Any bytes as a stored "settings.json": decoding either fails with a JsonError or gives
// settings that encode, and whose encoding decodes to the same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/SettingsCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orvane::Settings settings;
    try {
        settings = orvane::SettingsCodec::decode(text);
    } catch (const orvane::JsonError&) {
        return 0;
    }
    const std::string encoded = orvane::SettingsCodec::encode(settings);
    if (!(orvane::SettingsCodec::decode(encoded) == settings)) std::abort();
    return 0;
}
