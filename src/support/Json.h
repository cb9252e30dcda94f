#pragma once
// The stored JSON conventions shared by every document: strict typed reads with
// readable errors, one-key objects for enumerations with payloads, absent optionals
// left out, and an encoder that refuses non-finite numbers instead of writing null.
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/Date.h"

namespace orvane {

// std::map-backed, so every object's keys come out sorted.
using Json = nlohmann::json;

class JsonError : public std::runtime_error {
public:
    enum class Kind { parse, keyNotFound, valueNotFound, typeMismatch, dataCorrupted, invalidValue };
    // what() is the error's own text; the path ("sunset.morning") says where it arose.
    JsonError(Kind kind, const std::string& message, std::string path = "")
        : std::runtime_error(message), kind_(kind), path_(std::move(path)) {}
    Kind kind() const { return kind_; }
    const std::string& path() const { return path_; }
    std::string description() const { return path_.empty() ? what() : std::string(what()) + " (at " + path_ + ")"; }

private:
    Kind kind_;
    std::string path_;
};

namespace json {

// Deepest nesting of arrays and objects any stored document may have. Readers, encoders and
// the settings merge recurse once per level, so a deeper document is refused before it is
// built rather than allowed to exhaust the stack.
inline constexpr std::size_t maxDepth = 512;

// Any JSON value; text that is not JSON, or nested deeper than maxDepth, throws JsonError::parse.
Json parse(std::string_view text);
// Whether arrays and objects in `text` nest deeper than `limit` (strings are skipped; the text
// need not be valid JSON).
bool nestedDeeperThan(std::string_view text, std::size_t limit);
// Pretty-printed (two spaces, one member per line), keys sorted. Throws invalidValue for NaN or ±inf.
std::string encodePretty(const Json& value);
std::string encodeCompact(const Json& value);
// Throws invalidValue naming the path of the first non-finite number.
void requireFinite(const Json& value, const std::string& path = "");

std::string typeName(const Json& value);  // "a number", "a string", ... for messages
[[noreturn]] void typeMismatch(std::string_view expected, const Json& found, const std::string& path);
[[noreturn]] void dataCorrupted(const std::string& message, const std::string& path);
std::string join(const std::string& path, std::string_view key);

// Strict value reads. `path` names the value in messages ("sunset.lateNightAnchor").
bool asBool(const Json& v, const std::string& path);
double asDouble(const Json& v, const std::string& path);  // any number, never a Boolean
std::string asString(const Json& v, const std::string& path);
std::int64_t asInt64(const Json& v, const std::string& path);  // integral numbers only, range-checked

template <std::integral T>
T asInt(const Json& v, const std::string& path) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) == sizeof(std::uint64_t)) {
        if (v.is_number_unsigned()) return static_cast<T>(v.get<std::uint64_t>());
    }
    const std::int64_t value = asInt64(v, path);
    if (!std::in_range<T>(value)) dataCorrupted("Number " + std::to_string(value) + " does not fit", path);
    return static_cast<T>(value);
}

Date asDate(const Json& v, const std::string& path);  // ISO 8601 string
Json encodeDate(Date date);

// Reads the keys of one object. Missing keys throw keyNotFound, null where a value is
// required throws valueNotFound; optional reads treat missing and null alike as absent.
class ObjectReader {
public:
    ObjectReader(const Json& value, std::string path = "");

    const Json& object() const { return *object_; }
    const std::string& path() const { return path_; }
    std::string pathOf(std::string_view key) const { return join(path_, key); }
    bool has(std::string_view key) const;  // present and not null

    const Json& required(std::string_view key) const;
    const Json* optional(std::string_view key) const;

    bool boolean(std::string_view key) const { return asBool(required(key), pathOf(key)); }
    double number(std::string_view key) const { return asDouble(required(key), pathOf(key)); }
    std::string string(std::string_view key) const { return asString(required(key), pathOf(key)); }
    Date date(std::string_view key) const { return asDate(required(key), pathOf(key)); }
    template <std::integral T = std::int64_t>
    T integer(std::string_view key) const {
        return asInt<T>(required(key), pathOf(key));
    }

    std::optional<bool> optBoolean(std::string_view key) const { return opt(key, asBool); }
    std::optional<double> optNumber(std::string_view key) const { return opt(key, asDouble); }
    std::optional<std::string> optString(std::string_view key) const { return opt(key, asString); }
    std::optional<Date> optDate(std::string_view key) const { return opt(key, asDate); }
    template <std::integral T = std::int64_t>
    std::optional<T> optInteger(std::string_view key) const {
        return opt(key, asInt<T>);
    }

    // decode(const Json&, const std::string& path) -> T
    template <class F>
    auto get(std::string_view key, F&& decode) const {
        return decode(required(key), pathOf(key));
    }
    template <class F>
    auto opt(std::string_view key, F&& decode) const
        -> std::optional<std::decay_t<decltype(decode(std::declval<const Json&>(), std::string()))>> {
        if (const Json* v = optional(key)) return decode(*v, pathOf(key));
        return std::nullopt;
    }

private:
    const Json* object_;
    std::string path_;
};

// Writes an optional only when present.
template <class T, class F>
void putOptional(Json& object, std::string_view key, const std::optional<T>& value, F&& encode) {
    if (value) object[std::string(key)] = encode(*value);
}
template <class T>
void putOptional(Json& object, std::string_view key, const std::optional<T>& value) {
    if (value) object[std::string(key)] = *value;
}

// Lists of records with toJson() and static fromJson(json, path), as arrays in list order.
template <class T>
Json encodeList(const std::vector<T>& items) {
    Json array = Json::array();
    for (const auto& item : items) array.push_back(item.toJson());
    return array;
}
template <class T>
std::vector<T> decodeList(const Json& value, const std::string& path) {
    if (!value.is_array()) typeMismatch("Array<Any>", value, path);
    std::vector<T> items;
    items.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i)
        items.push_back(T::fromJson(value[i], path + "[" + std::to_string(i) + "]"));
    return items;
}

// Enumerations with payloads: {"caseName": {payload labels or "_0"}}.
Json makeCase(std::string_view name, Json payload = Json::object());
// Refers into the value read: keep that value alive while using it.
struct CaseObject {
    std::string name;
    ObjectReader payload;
};
// The one key of `value` that names a case in `known`, whose value must be an object. Keys that
// name no case are passed over; no such key, or more than one, is a typeMismatch with
// "Invalid number of keys found, expected one.".
CaseObject readCase(const Json& value, const std::string& path, std::initializer_list<std::string_view> known);

// Enumerations without payloads, through a table of {case, "name"} pairs.
template <class E, std::size_t N>
using NameTable = std::array<std::pair<E, std::string_view>, N>;

template <class E, std::size_t N>
std::string_view nameOf(const NameTable<E, N>& table, E value) {
    for (const auto& [c, name] : table)
        if (c == value) return name;
    return {};
}
template <class E, std::size_t N>
std::optional<E> caseNamed(const NameTable<E, N>& table, std::string_view name) {
    for (const auto& [c, n] : table)
        if (n == name) return c;
    return std::nullopt;
}
// Unknown names fail with "Cannot initialize <Type> from invalid String value <name>".
template <class E, std::size_t N>
E decodeEnum(const NameTable<E, N>& table, std::string_view type, const Json& v, const std::string& path) {
    const std::string name = asString(v, path);
    if (auto c = caseNamed(table, name)) return *c;
    dataCorrupted("Cannot initialize " + std::string(type) + " from invalid String value " + name, path);
}

}  // namespace json
}  // namespace orvane
