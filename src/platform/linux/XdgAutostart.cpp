#include "platform/linux/XdgAutostart.h"

#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/DesktopEntry.h"
#include "platform/Platform.h"

namespace orvane::platform::linuxsys {

namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";

// The Exec value of the [Desktop Entry] group, still in its string-value escaping.
std::optional<std::string> execValue(const std::string& text) {
    const auto entry = DesktopEntry::parse(text);
    return entry ? entry->rawValue("Exec") : std::nullopt;
}

}  // namespace

std::filesystem::path XdgAutostart::entryPath() { return configHome() / "autostart" / "orvane.desktop"; }

std::optional<std::filesystem::path> XdgAutostart::executable() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || path.empty()) return std::nullopt;
    return path;
}

std::string XdgAutostart::execArgument(const std::string& argument) {
    std::string quoted;
    const bool needsQuotes = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    if (needsQuotes) quoted += '"';
    for (char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';  // a lone % would start a field code
    }
    if (needsQuotes) quoted += '"';
    // The value is a string of the key file too, where a backslash escapes.
    std::string value;
    for (char c : quoted) {
        if (c == '\\') value += "\\\\";
        else if (c == '\n') value += "\\n";
        else if (c == '\t') value += "\\t";
        else if (c == '\r') value += "\\r";
        else value += c;
    }
    return value;
}

std::optional<std::string> XdgAutostart::firstExecArgument(const std::string& value) {
    // Undo the string-value escapes first.
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char e = value[++i];
        text += e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
    }
    std::string argument;
    std::size_t i = 0;
    if (!text.empty() && text[0] == '"') {
        for (i = 1; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) ++i;
            argument += text[i];
        }
        if (i >= text.size()) return std::nullopt;  // no closing quote
    } else {
        for (; i < text.size() && text[i] != ' ' && text[i] != '\t'; ++i) argument += text[i];
    }
    std::string unpercent;
    for (std::size_t j = 0; j < argument.size(); ++j) {
        unpercent += argument[j];
        if (argument[j] == '%' && j + 1 < argument.size() && argument[j + 1] == '%') ++j;
    }
    return unpercent;
}

bool XdgAutostart::isEnabled() {
    const auto self = executable();
    if (!self) return false;
    try {
        const auto text = readWholeFile(entryPath());
        if (!text) return false;
        const auto value = execValue(*text);
        if (!value) return false;
        return firstExecArgument(*value) == self->string();
    } catch (const std::exception&) {
        return false;  // an unreadable entry starts nothing either
    }
}

std::optional<std::string> XdgAutostart::set(bool enabled) {
    const auto path = entryPath();
    try {
        if (!enabled) {
            std::error_code error;
            std::filesystem::remove(path, error);
            if (error) return error.message();
            return std::nullopt;
        }
        const auto self = executable();
        if (!self) return std::string("the program's own path is unknown");
        writeFileAtomically(
            path, "[Desktop Entry]\nType=Application\nName=Orvane\nExec=" + execArgument(self->string()) + "\n");
        return std::nullopt;
    } catch (const std::system_error& e) {
        return e.code().message();
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
}

}  // namespace orvane::platform::linuxsys
