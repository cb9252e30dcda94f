#pragma once
// A property-list value: what user defaults, the preferences of other domains, the
// simulated machine's journal and notification user info hold. Numbers keep their
// kind (integer, 32-bit or 64-bit float) because some receivers insist on one.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "support/Json.h"

namespace orvane::platform {

class Value;
using Bytes = std::vector<std::uint8_t>;
using Array = std::vector<Value>;
using Dictionary = std::map<std::string, Value>;

class Value {
public:
    using Storage = std::variant<bool, std::int64_t, float, double, std::string, Bytes, Array, Dictionary>;

    Value() : storage_(false) {}
    Value(bool v) : storage_(v) {}
    Value(int v) : storage_(std::int64_t{v}) {}
    Value(unsigned v) : storage_(std::int64_t{v}) {}
    Value(std::int64_t v) : storage_(v) {}
    Value(float v) : storage_(v) {}
    Value(double v) : storage_(v) {}
    Value(const char* v) : storage_(std::string(v)) {}
    Value(std::string v) : storage_(std::move(v)) {}
    Value(Bytes v) : storage_(std::move(v)) {}
    Value(Array v) : storage_(std::move(v)) {}
    Value(Dictionary v) : storage_(std::move(v)) {}

    const Storage& storage() const { return storage_; }

    bool isBool() const { return std::holds_alternative<bool>(storage_); }
    bool isString() const { return std::holds_alternative<std::string>(storage_); }
    // Integers, floats and Booleans, as a number object would answer.
    bool isNumber() const;

    template <class T>
    const T* get() const {
        return std::get_if<T>(&storage_);
    }

    std::optional<double> number() const;         // any number or Boolean
    std::optional<std::int64_t> integer() const;  // an integral number or Boolean
    std::optional<bool> boolean() const;          // a Boolean, or a number's truth
    const std::string* string() const { return get<std::string>(); }
    const Bytes* data() const { return get<Bytes>(); }
    const Array* array() const { return get<Array>(); }
    const Dictionary* dictionary() const { return get<Dictionary>(); }

    bool operator==(const Value&) const = default;

private:
    Storage storage_;
};

// Type-tagged JSON: every value is a one-key object naming its kind
// ({"int": 3}, {"float": 1.0}, {"data": "<base64>"}, {"dict": {...}}), so a file
// read back gives exactly the kinds that were written. Data holding a pretty-printed JSON
// document is written as {"json": <the document>} and reads back as the same bytes.
Json toTaggedJson(const Value& value);
// Throws JsonError for anything that is not tagged JSON, and for a number its tag cannot hold
// (a "float" beyond the float range).
Value fromTaggedJson(const Json& json, const std::string& path = "");

// A document as the shared files hold it: pretty-printed, keys sorted, non-finite numbers
// refused (JsonError); text that is not valid UTF-8 is written with U+FFFD in its place
// rather than failing the whole write.
std::string encodeDocument(const Json& document);
bool isValidUtf8(std::string_view text);

std::string base64Encode(const Bytes& bytes);
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace orvane::platform
