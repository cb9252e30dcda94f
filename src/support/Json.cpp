#include "support/Json.h"

#include <cmath>

namespace orvane::json {

bool nestedDeeperThan(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
            continue;
        }
        switch (c) {
            case '"':
                inString = true;
                break;
            case '[':
            case '{':
                if (++depth > limit) return true;
                break;
            case ']':
            case '}':
                if (depth > 0) --depth;
                break;
            default:
                break;
        }
    }
    return false;
}

Json parse(std::string_view text) {
    // The parser itself copes with any depth, but every reader after it recurses.
    if (nestedDeeperThan(text, maxDepth))
        throw JsonError(JsonError::Kind::parse,
                        "The given data was not valid JSON. It nests arrays and objects deeper than " +
                            std::to_string(maxDepth) + " levels.");
    // The parser takes a NUL for the end of its input and would accept what comes before it;
    // JSON allows no NUL anywhere, not even inside a string.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        throw JsonError(JsonError::Kind::parse, "The given data was not valid JSON. It holds a NUL byte at offset " +
                                                    std::to_string(nul) + ".");
    try {
        return Json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& e) {
        // Not only syntax errors: a number beyond double range ("1e400") is out_of_range.
        throw JsonError(JsonError::Kind::parse, std::string("The given data was not valid JSON. ") + e.what());
    }
}

void requireFinite(const Json& value, const std::string& path) {
    switch (value.type()) {
        case Json::value_t::number_float:
            if (!std::isfinite(value.get<double>()))
                throw JsonError(JsonError::Kind::invalidValue,
                                "Unable to encode " +
                                    std::string(std::isnan(value.get<double>()) ? "Double.nan" : "Double.infinity") +
                                    " directly in JSON.",
                                path);
            break;
        case Json::value_t::object:
            for (const auto& [key, child] : value.items()) requireFinite(child, join(path, key));
            break;
        case Json::value_t::array: {
            std::size_t index = 0;
            for (const auto& child : value) requireFinite(child, path + "[" + std::to_string(index++) + "]");
            break;
        }
        default:
            break;
    }
}

std::string encodePretty(const Json& value) {
    requireFinite(value);
    return value.dump(2);
}

std::string encodeCompact(const Json& value) {
    requireFinite(value);
    return value.dump();
}

std::string join(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string typeName(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return "a Boolean";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float:
            return "a number";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "a dictionary";
        default:
            return "an unsupported value";
    }
}

void typeMismatch(std::string_view expected, const Json& found, const std::string& path) {
    throw JsonError(JsonError::Kind::typeMismatch,
                    "Expected to decode " + std::string(expected) + " but found " + typeName(found) + " instead.",
                    path);
}

void dataCorrupted(const std::string& message, const std::string& path) {
    const bool stopped = !message.empty() && message.back() == '.';
    throw JsonError(JsonError::Kind::dataCorrupted, stopped ? message : message + ".", path);
}

bool asBool(const Json& v, const std::string& path) {
    if (!v.is_boolean()) typeMismatch("Bool", v, path);
    return v.get<bool>();
}

double asDouble(const Json& v, const std::string& path) {
    if (!v.is_number()) typeMismatch("Double", v, path);
    return v.get<double>();
}

std::string asString(const Json& v, const std::string& path) {
    if (!v.is_string()) typeMismatch("String", v, path);
    return v.get<std::string>();
}

std::int64_t asInt64(const Json& v, const std::string& path) {
    if (v.is_number_integer() && !v.is_number_unsigned()) return v.get<std::int64_t>();
    if (v.is_number_unsigned()) {
        const auto u = v.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            dataCorrupted("Number " + std::to_string(u) + " does not fit", path);
        return static_cast<std::int64_t>(u);
    }
    if (v.is_number_float()) {
        // 3400.0 is an integer written with a point; 3400.5 is not an integer at all.
        const double d = v.get<double>();
        if (std::isfinite(d) && std::trunc(d) == d && d >= -9.2233720368547758e18 && d < 9.2233720368547758e18)
            return static_cast<std::int64_t>(d);
        dataCorrupted("Parsed JSON number <" + v.dump() + "> does not fit in Int.", path);
    }
    typeMismatch("Int", v, path);
}

Date asDate(const Json& v, const std::string& path) {
    const std::string text = asString(v, path);
    if (auto date = parseIso8601(text)) return *date;
    dataCorrupted("Expected date string to be ISO8601-formatted.", path);
}

Json encodeDate(Date date) { return iso8601(date); }

ObjectReader::ObjectReader(const Json& value, std::string path) : object_(&value), path_(std::move(path)) {
    if (!value.is_object()) typeMismatch("Dictionary<String, Any>", value, path_);
}

bool ObjectReader::has(std::string_view key) const { return optional(key) != nullptr; }

const Json& ObjectReader::required(std::string_view key) const {
    const auto it = object_->find(key);
    if (it == object_->end())
        throw JsonError(JsonError::Kind::keyNotFound, "No value associated with key \"" + std::string(key) + "\".",
                        path_);
    if (it->is_null())
        throw JsonError(JsonError::Kind::valueNotFound, "Expected a value but found null instead.", pathOf(key));
    return *it;
}

const Json* ObjectReader::optional(std::string_view key) const {
    const auto it = object_->find(key);
    if (it == object_->end() || it->is_null()) return nullptr;
    return &*it;
}

Json makeCase(std::string_view name, Json payload) {
    Json object = Json::object();
    object[std::string(name)] = std::move(payload);
    return object;
}

CaseObject readCase(const Json& value, const std::string& path, std::initializer_list<std::string_view> known) {
    if (!value.is_object()) typeMismatch("Dictionary<String, Any>", value, path);
    const Json* payload = nullptr;
    std::string name;
    int matches = 0;
    for (const auto& [key, child] : value.items()) {
        for (std::string_view k : known) {
            if (k == key) {
                ++matches;
                name = key;
                payload = &child;
            }
        }
    }
    if (matches != 1)
        throw JsonError(JsonError::Kind::typeMismatch, "Invalid number of keys found, expected one.", path);
    return CaseObject{name, ObjectReader(*payload, join(path, name))};
}

}  // namespace orvane::json
