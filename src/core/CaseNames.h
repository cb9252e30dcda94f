#pragma once
// Names of the simple enumerations. Each enumeration declares, next to itself, one
// `caseNames(E)` that returns its table; these templates find it by argument-dependent
// lookup, so every enumeration gets the same toString, fromString, allCases and JSON coding.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "support/Json.h"

namespace orvane {

template <class E, std::size_t N>
struct CaseNames {
    std::string_view type;  // the enumeration's name in decoding errors
    json::NameTable<E, N> names;
};

template <class E>
concept NamedCases = std::is_enum_v<E> && requires(E e) {
    caseNames(e).names;
};

// The raw value of a case: its name, also its stored JSON string and its `id`.
template <NamedCases E>
std::string_view toString(E value) {
    return json::nameOf(caseNames(E{}).names, value);
}

// Exactly the case names, case-sensitively; absent for any other string.
template <NamedCases E>
std::optional<E> fromString(std::string_view name) {
    return json::caseNamed(caseNames(E{}).names, name);
}

template <NamedCases E>
auto allCases() {
    constexpr auto& table = caseNames(E{}).names;
    std::array<E, std::tuple_size_v<std::decay_t<decltype(table)>>> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i) cases[i] = table[i].first;
    return cases;
}

template <NamedCases E>
Json toJson(E value) {
    return std::string(toString(value));
}

// A JSON string naming a case; anything else fails. An enumeration with a laxer rule
// specialises this next to its declaration.
template <NamedCases E>
E enumFromJson(const Json& value, const std::string& path) {
    const auto& table = caseNames(E{});
    return json::decodeEnum(table.names, table.type, value, path);
}

}  // namespace orvane
