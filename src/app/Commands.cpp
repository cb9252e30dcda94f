#include "app/Commands.h"

#include <fmt/format.h>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/SingleInstance.h"
#include "core/DecimalText.h"
#include "core/Overloaded.h"

namespace orvane {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowercased(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// Above 1 the value is a percentage: 50 and 0.5 both mean half, 1 means full.
double scaledDim(double value) { return value > 1 ? value / 100 : value; }

std::optional<double> dimText(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    const auto value = Commands::fractionText(*text);
    if (!value) return std::nullopt;
    return scaledDim(*value);
}

std::optional<std::int64_t> integerOf(const std::optional<std::string>& text) {
    return text ? Commands::integerText(*text) : std::nullopt;
}

// --- URLs ------------------------------------------------------------------------------

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool validUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Absent when an escape is malformed or the result is not UTF-8. "+" stays a plus.
std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!validUtf8(out)) return std::nullopt;
    return out;
}

struct UrlParts {
    std::string scheme;
    std::optional<std::string> host;
    std::string path;
    std::optional<std::string> query;
};

bool isSchemeCharacter(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && (isDigit(c) || c == '+' || c == '-' || c == '.'));
}

std::optional<UrlParts> splitUrl(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i)
        if (!isSchemeCharacter(url[i], i == 0)) return std::nullopt;
    UrlParts parts;
    parts.scheme = lowercased(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 1);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        parts.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.substr(0, 2) == "//") {
        rest = rest.substr(2);
        const auto slash = rest.find('/');
        std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
        if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority = authority.substr(at + 1);
        if (const auto portColon = authority.rfind(':');
            portColon != std::string_view::npos && authority.find(']') == std::string_view::npos) {
            const auto port = authority.substr(portColon + 1);
            if (!std::all_of(port.begin(), port.end(), isDigit)) return std::nullopt;  // no URL
            authority = authority.substr(0, portColon);
        }
        if (!authority.empty()) parts.host = lowercased(authority);
    }
    parts.path = std::string(rest);
    return parts;
}

// The first item of that name (names compared exactly after decoding); an item without a
// value, or with a value that does not decode, counts as absent.
std::optional<std::string> queryValue(const std::optional<std::string>& query, std::string_view name) {
    if (!query) return std::nullopt;
    std::string_view rest = *query;
    for (;;) {
        const auto amp = rest.find('&');
        const std::string_view item = rest.substr(0, amp);
        const auto equals = item.find('=');
        const auto itemName = percentDecoded(item.substr(0, equals));
        if (itemName && *itemName == name) {
            if (equals == std::string_view::npos) return std::nullopt;
            return percentDecoded(item.substr(equals + 1));
        }
        if (amp == std::string_view::npos) return std::nullopt;
        rest = rest.substr(amp + 1);
    }
}

// Every query item, names decoded (absent when they do not decode), values as written.
struct QueryItem {
    std::optional<std::string> name;
    std::optional<std::string_view> value;  // absent: no "="
};

std::vector<QueryItem> queryItems(const std::optional<std::string>& query) {
    std::vector<QueryItem> items;
    if (!query) return items;
    std::string_view rest = *query;
    for (;;) {
        const auto amp = rest.find('&');
        const std::string_view item = rest.substr(0, amp);
        const auto equals = item.find('=');
        items.push_back({percentDecoded(item.substr(0, equals)),
                         equals == std::string_view::npos ? std::nullopt : std::optional(item.substr(equals + 1))});
        if (amp == std::string_view::npos) return items;
        rest = rest.substr(amp + 1);
    }
}

std::string quotedValue(const std::optional<std::string_view>& value) {
    return "\"" + std::string(value.value_or("")) + "\"";
}

std::optional<std::string> firstPathComponent(std::string_view path) {
    std::size_t start = 0;
    while (start < path.size()) {
        auto end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) return percentDecoded(path.substr(start, end - start));
        start = end + 1;
    }
    return std::nullopt;
}

// --- the textual form ------------------------------------------------------------------

std::string quotedName(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                    out += fmt::format("\\u{{{:x}}}", static_cast<unsigned>(static_cast<unsigned char>(c)));
                else out += c;
        }
    }
    return out + "\"";
}

template <class T>
std::string optionalText(const std::optional<T>& value) {
    if (!value) return "nil";
    if constexpr (std::is_same_v<T, double>) return shortestDecimal(*value);
    else return std::to_string(*value);
}

}  // namespace

const platform::Log& Commands::log() {
    static const platform::Log log{"commands"};
    return log;
}

std::optional<std::int64_t> Commands::integerText(std::string_view text) {
    std::size_t digits = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) digits = 1;
    if (digits == text.size()) return std::nullopt;
    if (!std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(), isDigit)) return std::nullopt;
    // from_chars takes a minus but no plus.
    const std::string_view number = text[0] == '+' ? text.substr(1) : text;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value, 10);
    if (error != std::errc{} || end != number.data() + number.size()) return std::nullopt;
    return value;
}

std::optional<double> Commands::fractionText(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t start = i;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    // from_chars takes a minus but no plus; the sign is put back afterwards.
    const std::string_view number = text.substr(start);
    double value = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (error != std::errc{} || end != number.data() + number.size() || !std::isfinite(value)) return std::nullopt;
    return start == 1 && text[0] == '-' ? -value : value;
}

std::optional<Commands::Command> Commands::parse(const std::vector<std::string>& arguments) {
    const auto first = [&](std::string_view option) {
        const auto begin = arguments.empty() ? arguments.end() : arguments.begin() + 1;
        return std::find(begin, arguments.end(), option);
    };
    const auto valueAfter = [&](std::string_view option) -> std::optional<std::string> {
        const auto it = first(option);
        if (it == arguments.end() || std::next(it) == arguments.end()) return std::nullopt;
        return *std::next(it);
    };
    const auto present = [&](std::string_view option) { return first(option) != arguments.end(); };

    if (auto kelvin = integerOf(valueAfter("--set-kelvin"))) return Set{kelvin, std::nullopt};
    if (auto dim = dimText(valueAfter("--set-dim"))) return Set{std::nullopt, dim};
    if (auto name = valueAfter("--preset")) return Preset{*name};
    if (present("--toggle")) return Toggle{};
    if (present("--reveal")) return Reveal{};
    if (present("--wind-down")) return WindDown{};
    if (present("--true-color")) return TrueColor{integerOf(valueAfter("--true-color")).value_or(15)};
    if (present("--follow-evening")) return FollowEvening{};
    return std::nullopt;
}

bool Commands::mentionsCommand(const std::vector<std::string>& arguments) {
    static constexpr std::string_view options[] = {"--set-kelvin", "--set-dim",   "--preset",     "--toggle",
                                                   "--reveal",     "--wind-down", "--true-color", "--follow-evening"};
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (std::find(std::begin(options), std::end(options), arguments[i]) != std::end(options)) return true;
    return false;
}

bool Commands::isURL(std::string_view argument) {
    constexpr std::string_view scheme = "orvane";
    if (argument.size() <= scheme.size() || argument[scheme.size()] != ':') return false;
    return lowercased(argument.substr(0, scheme.size())) == scheme;
}

std::optional<Commands::Command> Commands::parseURL(std::string_view url) {
    const auto parts = splitUrl(url);
    if (!parts || parts->scheme != "orvane") return std::nullopt;
    const std::string word = parts->host.value_or("");
    const auto item = [&](std::string_view name) { return queryValue(parts->query, name); };

    if (word == "set") return Set{integerOf(item("kelvin")), dimText(item("dim"))};
    if (word == "preset") {
        auto name = firstPathComponent(parts->path);
        if (!name) name = item("name");
        if (!name) return std::nullopt;
        return Preset{*name};
    }
    if (word == "toggle") return Toggle{};
    if (word == "reveal") return Reveal{};
    if (word == "winddown") return WindDown{};
    if (word == "truecolor") return TrueColor{integerOf(item("minutes")).value_or(15)};
    if (word == "evening") return FollowEvening{};
    return std::nullopt;
}

bool Commands::takesKelvin(std::string_view text) {
    const auto k = integerText(text);
    return k && *k >= lowestKelvin && *k <= highestKelvin;
}

bool Commands::takesDim(std::string_view text) {
    const auto d = fractionText(text);
    return d && dimInRange(*d);
}

bool Commands::takesMinutes(std::string_view text) {
    const auto m = integerText(text);
    return m && *m >= fewestMinutes && *m <= mostMinutes;
}

std::optional<std::string> Commands::urlProblem(std::string_view url) {
    const std::string prefix = std::string(url) + ": ";
    const auto parts = splitUrl(url);
    if (!parts || parts->scheme != "orvane") return prefix + "not an orvane:// command (see orvane --help)";
    const std::string word = parts->host.value_or("");
    static constexpr std::string_view words[] = {"set",      "preset",    "toggle", "reveal",
                                                 "winddown", "truecolor", "evening"};
    if (std::find(std::begin(words), std::end(words), word) == std::end(words))
        return prefix + "no such command (see orvane --help)";

    // The parameters this word reads; each at most once, and each with a value that holds.
    const auto items = queryItems(parts->query);
    const auto item = [&](std::string_view name) -> std::optional<std::optional<std::string_view>> {
        for (const auto& i : items)
            if (i.name == name) return i.value;
        return std::nullopt;
    };
    std::vector<std::string_view> read;
    if (word == "set") read = {"kelvin", "dim"};
    else if (word == "truecolor") read = {"minutes"};
    else if (word == "preset") read = {"name"};
    for (const auto name : read) {
        const auto given =
            std::count_if(items.begin(), items.end(), [&](const QueryItem& i) { return i.name == name; });
        if (given > 1) return prefix + std::string(name) + " is given twice";
    }
    const auto decoded = [&](std::string_view name) -> std::optional<std::string> {
        const auto raw = item(name);
        return raw && *raw ? percentDecoded(**raw) : std::nullopt;
    };

    if (word == "set") {
        const auto kelvin = item("kelvin");
        const auto dim = item("dim");
        if (!kelvin && !dim) return prefix + "set needs kelvin=K or dim=D";
        if (const auto k = decoded("kelvin"); kelvin && !(k && takesKelvin(*k)))
            return prefix + "kelvin needs " + kelvinRange + ", not " + quotedValue(*kelvin);
        if (const auto d = decoded("dim"); dim && !(d && takesDim(*d)))
            return prefix + "dim needs " + dimRange + ", not " + quotedValue(*dim);
    } else if (word == "truecolor") {
        const auto minutes = item("minutes");
        if (const auto m = decoded("minutes"); minutes && !(m && takesMinutes(*m)))
            return prefix + "minutes needs " + minutesRange + ", not " + quotedValue(*minutes);
    } else if (word == "preset") {
        if (!parseURL(url)) return prefix + "preset needs a name (orvane://preset/NAME)";
    }
    return std::nullopt;
}

std::optional<Commands::Command> Commands::from(const std::optional<platform::Dictionary>& userInfo) {
    if (!userInfo || userInfo->empty()) return std::nullopt;
    for (const auto& [key, value] : *userInfo)
        if (!value.isString()) return std::nullopt;
    const auto string = [&](const std::string& key) -> std::optional<std::string> {
        const auto it = userInfo->find(key);
        const std::string* value = it == userInfo->end() ? nullptr : it->second.string();
        if (!value) return std::nullopt;
        return *value;
    };
    const auto cmd = string("cmd");
    if (!cmd) return std::nullopt;

    if (*cmd == "set") {
        const auto dim = string("dim");
        return Set{integerOf(string("kelvin")), dim ? fractionText(*dim) : std::nullopt};  // never scaled here
    }
    if (*cmd == "preset") {
        auto name = string("name");
        if (!name) return std::nullopt;
        return Preset{std::move(*name)};
    }
    if (*cmd == "toggle") return Toggle{};
    if (*cmd == "reveal") return Reveal{};
    if (*cmd == "winddown") return WindDown{};
    if (*cmd == "truecolor") return TrueColor{integerOf(string("minutes")).value_or(15)};
    if (*cmd == "evening") return FollowEvening{};
    return std::nullopt;
}

Commands::UserInfo Commands::userInfo(const Command& command) {
    return std::visit(Overloaded{
                          [](const Set& c) {
                              UserInfo info{{"cmd", "set"}};
                              if (c.kelvin) info["kelvin"] = std::to_string(*c.kelvin);
                              if (c.dim) info["dim"] = shortestDecimal(*c.dim);
                              return info;
                          },
                          [](const Preset& c) {
                              return UserInfo{{"cmd", "preset"}, {"name", c.name}};
                          },
                          [](const TrueColor& c) {
                              return UserInfo{{"cmd", "truecolor"}, {"minutes", std::to_string(c.minutes)}};
                          },
                          [](const Toggle&) {
                              return UserInfo{{"cmd", "toggle"}};
                          },
                          [](const Reveal&) {
                              return UserInfo{{"cmd", "reveal"}};
                          },
                          [](const WindDown&) {
                              return UserInfo{{"cmd", "winddown"}};
                          },
                          [](const FollowEvening&) {
                              return UserInfo{{"cmd", "evening"}};
                          },
                      },
                      command);
}

platform::Dictionary Commands::userInfoDictionary(const Command& command) {
    platform::Dictionary dictionary;
    for (auto& [key, value] : userInfo(command)) dictionary.emplace(key, platform::Value(value));
    return dictionary;
}

std::string Commands::text(const Command& command) {
    return std::visit(Overloaded{
                          [](const Set& c) {
                              return "set(kelvin: " + optionalText(c.kelvin) + ", dim: " + optionalText(c.dim) + ")";
                          },
                          [](const Preset& c) { return "preset(" + quotedName(c.name) + ")"; },
                          [](const TrueColor& c) { return "trueColor(minutes: " + std::to_string(c.minutes) + ")"; },
                          [](const Toggle&) { return std::string("toggle"); },
                          [](const Reveal&) { return std::string("reveal"); },
                          [](const WindDown&) { return std::string("windDown"); },
                          [](const FollowEvening&) { return std::string("followEvening"); },
                      },
                      command);
}

std::string Commands::sentence(const Command& command) {
    return std::visit(Overloaded{
                          [](const Set& c) {
                              std::string out;
                              if (c.kelvin) out = "warmth " + std::to_string(*c.kelvin) + " K";
                              if (c.dim) {
                                  const double percent = *c.dim * 100;
                                  const double whole = std::round(percent);
                                  const std::string shown = std::fabs(percent - whole) < 1e-9
                                                                ? std::to_string(static_cast<long long>(whole))
                                                                : shortestDecimal(percent);
                                  out += (out.empty() ? "" : ", ") + std::string("dim ") + shown + " %";
                              }
                              return out.empty() ? std::string("no change") : out;
                          },
                          [](const Preset& c) { return "preset " + quotedName(c.name); },
                          [](const TrueColor& c) { return "true color for " + std::to_string(c.minutes) + " min"; },
                          [](const Toggle&) { return std::string("switch the tint on or off"); },
                          [](const Reveal&) { return std::string("reveal true color"); },
                          [](const WindDown&) { return std::string("wind down"); },
                          [](const FollowEvening&) { return std::string("follow the evening"); },
                      },
                      command);
}

bool Commands::forward(const Command& command, platform::DistributedNotifications* center, std::FILE* out,
                       std::FILE* err) {
    if (!center) {
        std::fputs("Orvane: no session bus; the command was not sent\n", err);
        return false;
    }
    // The command is a broadcast: without an instance on the bus it reaches nobody.
    if (center->nameHasOwner(SingleInstance::busName) == false) {
        std::fputs("Orvane is not running; the command was not sent\n", err);
        return false;
    }
    if (!center->post(notificationName, userInfoDictionary(command))) return false;  // the center said why
    std::fprintf(out, "sent to Orvane: %s\n", sentence(command).c_str());
    std::fflush(out);
    return true;
}

}  // namespace orvane
