// Any bytes as a stored "runtime.json" and "statistics.json": each decoder either fails with
// a JsonError or gives a value that survives its own encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/RuntimeState.h"
#include "core/Statistics.h"

namespace {

template <class T>
void roundTrip(const orvane::Json& document) {
    T value;
    try {
        value = T::fromJson(document);
    } catch (const orvane::JsonError&) {
        return;
    }
    std::string encoded;
    try {
        encoded = orvane::json::encodePretty(value.toJson());
    } catch (const orvane::JsonError&) {
        return;  // a non-finite number read from the document: refused on the way out, as designed
    }
    if (!(T::fromJson(orvane::json::parse(encoded)) == value)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::Json document;
    try {
        document = orvane::json::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const orvane::JsonError&) {
        return 0;
    }
    roundTrip<orvane::RuntimeState>(document);
    roundTrip<orvane::Statistics>(document);
    return 0;
}
