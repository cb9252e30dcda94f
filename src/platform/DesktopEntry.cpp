#include "platform/DesktopEntry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orvane::platform {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string unescaped(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (raw[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:  // not an escape of a string value: kept as written
                out += '\\';
                out += raw[i];
        }
    }
    return out;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return parse(text.str());
}

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
    DesktopEntry entry;
    bool found = false, inMain = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inMain = line == "[Desktop Entry]";
            found = found || inMain;
            continue;
        }
        const auto eq = line.find('=');
        if (!inMain || eq == std::string_view::npos || eq == 0) continue;
        entry.keys_.emplace(std::string(trimmed(line.substr(0, eq))), std::string(trimmed(line.substr(eq + 1))));
    }
    if (!found) return std::nullopt;
    return entry;
}

std::optional<std::string> DesktopEntry::rawValue(const std::string& key) const {
    const auto it = keys_.find(key);
    if (it == keys_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> DesktopEntry::value(const std::string& key) const {
    const auto raw = rawValue(key);
    if (!raw) return std::nullopt;
    return unescaped(*raw);
}

std::optional<std::string> DesktopEntry::localizedValue(const std::string& key, std::string_view locale) const {
    // lang_COUNTRY.ENCODING@MODIFIER; the encoding never takes part in matching.
    std::string_view modifier;
    if (const auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    if (const auto dot = locale.find('.'); dot != std::string_view::npos) locale = locale.substr(0, dot);
    std::string_view lang = locale, country;
    if (const auto underscore = locale.find('_'); underscore != std::string_view::npos) {
        lang = locale.substr(0, underscore);
        country = locale.substr(underscore + 1);
    }
    std::vector<std::string> tries;
    if (!lang.empty() && lang != "C" && lang != "POSIX") {
        const std::string l(lang), c(country), m(modifier);
        if (!c.empty() && !m.empty()) tries.push_back(l + "_" + c + "@" + m);
        if (!c.empty()) tries.push_back(l + "_" + c);
        if (!m.empty()) tries.push_back(l + "@" + m);
        tries.push_back(l);
    }
    for (const auto& suffix : tries)
        if (auto found = value(key + "[" + suffix + "]")) return found;
    return value(key);
}

std::vector<std::string> DesktopEntry::list(const std::string& key) const {
    std::vector<std::string> parts;
    const auto raw = rawValue(key);
    if (!raw) return parts;
    std::string current;
    for (std::size_t i = 0; i < raw->size(); ++i) {
        const char c = (*raw)[i];
        if (c == '\\' && i + 1 < raw->size() && (*raw)[i + 1] == ';') {
            current += ';';
            ++i;
        } else if (c == '\\' && i + 1 < raw->size()) {
            // Any other escape stays whole for unescaped(): "\\;" is a backslash, then the separator.
            current += c;
            current += (*raw)[++i];
        } else if (c == ';') {
            if (!current.empty()) parts.push_back(unescaped(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(unescaped(current));
    return parts;
}

std::string desktopFileID(const std::filesystem::path& file) {
    std::string name = file.filename().string();
    constexpr std::string_view suffix = ".desktop";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    return name;
}

std::string messagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* v = std::getenv(name); v && *v) return v;
    return "C";
}

std::vector<std::filesystem::path> applicationDirectories() {
    std::vector<std::filesystem::path> dirs;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome) dirs.emplace_back(dataHome);
    else if (const char* home = std::getenv("HOME"); home && *home)
        dirs.push_back(std::filesystem::path(home) / ".local" / "share");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
    std::string dir;
    while (std::getline(list, dir, ':'))
        if (!dir.empty()) dirs.emplace_back(dir);
    for (auto& d : dirs) d /= "applications";
    return dirs;
}

std::optional<FoundDesktopEntry> findDesktopEntry(const std::string& id,
                                                  const std::vector<std::filesystem::path>& directories) {
    // An ID is a file name, never a path.
    if (id.empty() || id.find('/') != std::string::npos || id == "." || id == "..") return std::nullopt;
    for (const auto& dir : directories) {
        const auto path = dir / (id + ".desktop");
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        if (auto entry = DesktopEntry::read(path)) return FoundDesktopEntry{path, std::move(*entry)};
        return std::nullopt;  // the first file found decides, even an unreadable one
    }
    return std::nullopt;
}

}  // namespace orvane::platform
