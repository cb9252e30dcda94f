#pragma once
// One key of one group in the text of a KConfig file (such as kwinrc), read and changed
// so that every other byte stays as it was: setting a key back to the value it had, or
// removing a key and a group that were added, gives the file back byte for byte.
// Header-only and free of the rest of Orvane, so the watchdog uses the same lines.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::kconfig {

namespace detail {

struct Line {
    std::size_t begin = 0;     // offset of the line's first byte
    std::size_t end = 0;       // offset just past its newline (or the text's end)
    std::string_view content;  // without the newline
};

inline std::vector<Line> lines(std::string_view text) {
    std::vector<Line> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto newline = text.find('\n', at);
        const std::size_t stop = newline == std::string_view::npos ? text.size() : newline;
        out.push_back({at, newline == std::string_view::npos ? text.size() : newline + 1, text.substr(at, stop - at)});
        at = out.back().end;
    }
    return out;
}

inline std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

inline bool isHeader(std::string_view line) {
    line = trim(line);
    return !line.empty() && line.front() == '[';
}

// The line's key when it is "key=value" (a key with a locale or flags in brackets is not
// this key).
inline std::optional<std::string_view> keyOf(std::string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() == '#' || t.front() == '[') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(t.substr(0, eq));
}

// The lines of `group`: [first, last) indexes into `all`, the header excluded; npos when
// the group is missing. Only a top-level group "[name]" is meant.
struct Span {
    std::size_t header = std::string_view::npos;
    std::size_t first = 0;
    std::size_t last = 0;
};

inline Span groupSpan(const std::vector<Line>& all, std::string_view group) {
    Span span;
    const std::string header = "[" + std::string(group) + "]";
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (span.header == std::string_view::npos) {
            if (trim(all[i].content) == header) {
                span.header = i;
                span.first = span.last = i + 1;
            }
            continue;
        }
        if (isHeader(all[i].content)) break;
        span.last = i + 1;
    }
    return span;
}

}  // namespace detail

inline bool hasGroup(std::string_view text, std::string_view group) {
    return detail::groupSpan(detail::lines(text), group).header != std::string_view::npos;
}

// The raw value of `key` in `group` (the text after "=", surrounding blanks removed).
inline std::optional<std::string> value(std::string_view text, std::string_view group, std::string_view key) {
    const auto all = detail::lines(text);
    const auto span = detail::groupSpan(all, group);
    if (span.header == std::string_view::npos) return std::nullopt;
    std::optional<std::string> found;
    for (std::size_t i = span.first; i < span.last; ++i) {
        if (detail::keyOf(all[i].content) != key) continue;
        const auto t = detail::trim(all[i].content);
        found = std::string(detail::trim(t.substr(t.find('=') + 1)));  // the last one counts, as KConfig reads
    }
    return found;
}

// `key` in `group` set to `newValue`, or removed when absent. A key that is there keeps
// its line's place; a new one goes after the group's last key; a missing group is added
// at the end of the file (no blank line before it, so taking it out again is exact).
inline std::string set(std::string_view text, std::string_view group, std::string_view key,
                       const std::optional<std::string>& newValue) {
    const auto all = detail::lines(text);
    const auto span = detail::groupSpan(all, group);
    std::string out;
    if (span.header == std::string_view::npos) {
        if (!newValue) return std::string(text);
        out = std::string(text);
        if (!out.empty() && out.back() != '\n') out += '\n';
        out += "[" + std::string(group) + "]\n" + std::string(key) + "=" + *newValue + "\n";
        return out;
    }
    std::size_t lastKey = span.header;
    bool done = false;
    for (std::size_t i = span.first; i < span.last; ++i)
        if (detail::keyOf(all[i].content)) lastKey = i;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const bool inGroup = i >= span.first && i < span.last;
        if (inGroup && detail::keyOf(all[i].content) == key) {
            if (newValue && !done) {
                out += std::string(key) + "=" + *newValue;
                if (all[i].end > all[i].begin + all[i].content.size()) out += '\n';
                done = true;
            }
            continue;  // a removed key, or a duplicate of the one just written
        }
        out.append(text.substr(all[i].begin, all[i].end - all[i].begin));
        if (i == lastKey && newValue && !done) {
            // Inserted after the group's last key; the group's blank lines stay below it.
            const bool hadNewline = all[i].end > all[i].begin + all[i].content.size();
            if (!hadNewline) out += '\n';
            out += std::string(key) + "=" + *newValue + "\n";
            done = true;
        }
    }
    return out;
}

// Removes `group` when it holds nothing but blank lines.
inline std::string removeGroupIfEmpty(std::string_view text, std::string_view group) {
    const auto all = detail::lines(text);
    const auto span = detail::groupSpan(all, group);
    if (span.header == std::string_view::npos) return std::string(text);
    for (std::size_t i = span.first; i < span.last; ++i)
        if (!detail::trim(all[i].content).empty()) return std::string(text);
    const std::size_t cutBegin = all[span.header].begin;
    const std::size_t cutEnd = span.last > span.first ? all[span.last - 1].end : all[span.header].end;
    return std::string(text.substr(0, cutBegin)) + std::string(text.substr(cutEnd));
}

}  // namespace orvane::kconfig
