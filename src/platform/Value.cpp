#include "platform/Value.h"

#include <cmath>
#include <limits>

namespace orvane::platform {

bool Value::isNumber() const {
    return std::holds_alternative<bool>(storage_) || std::holds_alternative<std::int64_t>(storage_) ||
           std::holds_alternative<float>(storage_) || std::holds_alternative<double>(storage_);
}

std::optional<double> Value::number() const {
    if (auto b = get<bool>()) return *b ? 1.0 : 0.0;
    if (auto i = get<std::int64_t>()) return static_cast<double>(*i);
    if (auto f = get<float>()) return static_cast<double>(*f);
    if (auto d = get<double>()) return *d;
    return std::nullopt;
}

std::optional<std::int64_t> Value::integer() const {
    if (auto b = get<bool>()) return *b ? 1 : 0;
    if (auto i = get<std::int64_t>()) return *i;
    const auto n = number();
    if (!n || !std::isfinite(*n) || std::floor(*n) != *n || std::fabs(*n) > 9.0e18) return std::nullopt;
    return static_cast<std::int64_t>(*n);
}

std::optional<bool> Value::boolean() const {
    if (auto b = get<bool>()) return *b;
    if (auto n = number()) return *n != 0;
    return std::nullopt;
}

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// A data value that holds a JSON document exactly as the documents are written (pretty,
// keys sorted) is stored as that document, so a person can read it; decoding gives the same
// bytes back. Anything else stays base64.
std::optional<Json> readableDocument(const Bytes& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.empty() || (text.front() != '{' && text.front() != '[')) return std::nullopt;
    try {
        Json document = json::parse(text);
        if (document.is_structured() && document.dump(2) == text) return document;
    } catch (const std::exception&) {}
    return std::nullopt;
}

float floatFrom(double value, const std::string& path) {
    // A finite number beyond a float's range would become infinity, which no write accepts.
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        json::dataCorrupted("Number " + Json(value).dump() + " does not fit in Float.", path);
    return static_cast<float>(value);
}

}  // namespace

std::string encodeDocument(const Json& document) {
    json::requireFinite(document);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool isValidUtf8(std::string_view text) {
    try {
        (void)Json(std::string(text)).dump();
        return true;
    } catch (const Json::type_error&) {
        return false;
    }
}

std::string base64Encode(const Bytes& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) |
                                (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (i + 2 < bytes.size() ? std::uint32_t{bytes[i + 2]} : 0);
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
    }
    return out;
}

std::optional<Bytes> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
            } else if (pad > 0 || (v[k] = sextet(c)) < 0) {
                return std::nullopt;
            }
        }
        const std::uint32_t n = (static_cast<std::uint32_t>(v[0]) << 18) | (static_cast<std::uint32_t>(v[1]) << 12) |
                                (static_cast<std::uint32_t>(v[2]) << 6) | static_cast<std::uint32_t>(v[3]);
        out.push_back(static_cast<std::uint8_t>(n >> 16));
        if (pad < 2) out.push_back(static_cast<std::uint8_t>(n >> 8));
        if (pad < 1) out.push_back(static_cast<std::uint8_t>(n));
    }
    return out;
}

Json toTaggedJson(const Value& value) {
    return std::visit(
        [](const auto& v) -> Json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) return {{"bool", v}};
            else if constexpr (std::is_same_v<T, std::int64_t>) return {{"int", v}};
            else if constexpr (std::is_same_v<T, float>) return {{"float", static_cast<double>(v)}};
            else if constexpr (std::is_same_v<T, double>) return {{"double", v}};
            else if constexpr (std::is_same_v<T, std::string>) return {{"string", v}};
            else if constexpr (std::is_same_v<T, Bytes>) {
                if (auto document = readableDocument(v)) return {{"json", std::move(*document)}};
                return {{"data", base64Encode(v)}};
            } else if constexpr (std::is_same_v<T, Array>) {
                Json items = Json::array();
                for (const auto& item : v) items.push_back(toTaggedJson(item));
                return {{"array", std::move(items)}};
            } else {
                Json members = Json::object();
                for (const auto& [key, item] : v) members[key] = toTaggedJson(item);
                return {{"dict", std::move(members)}};
            }
        },
        value.storage());
}

Value fromTaggedJson(const Json& json, const std::string& path) {
    if (!json.is_object() || json.size() != 1) json::typeMismatch("an object with one type key", json, path);
    const auto first = json.begin();
    const std::string tag = first.key();
    const Json& v = first.value();
    const std::string at = json::join(path, tag);
    if (tag == "bool") return json::asBool(v, at);
    if (tag == "int") return json::asInt64(v, at);
    if (tag == "float") return floatFrom(json::asDouble(v, at), at);
    if (tag == "double") return json::asDouble(v, at);
    if (tag == "string") return json::asString(v, at);
    if (tag == "data") {
        auto bytes = base64Decode(json::asString(v, at));
        if (!bytes) json::dataCorrupted("Invalid base64 data.", at);
        return std::move(*bytes);
    }
    if (tag == "json") {
        if (!v.is_structured()) json::typeMismatch("an object or array", v, at);
        const std::string text = v.dump(2);
        return Bytes(text.begin(), text.end());
    }
    if (tag == "array") {
        if (!v.is_array()) json::typeMismatch("an array", v, at);
        Array items;
        for (std::size_t i = 0; i < v.size(); ++i)
            items.push_back(fromTaggedJson(v[i], at + "[" + std::to_string(i) + "]"));
        return items;
    }
    if (tag == "dict") {
        if (!v.is_object()) json::typeMismatch("an object", v, at);
        Dictionary members;
        for (const auto& [key, item] : v.items()) members.emplace(key, fromTaggedJson(item, json::join(at, key)));
        return members;
    }
    json::dataCorrupted("Unknown value type " + tag + ".", path);
}

}  // namespace orvane::platform
