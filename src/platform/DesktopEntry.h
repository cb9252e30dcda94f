#pragma once
// The main group ([Desktop Entry]) of a freedesktop.org desktop entry: the one reader of
// desktop files for the application catalogue, the tray's "this app" icon and the login
// item. Keys of other groups (actions) are not read; the first of a repeated key wins.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::platform {

class DesktopEntry {
public:
    // None when the file cannot be read or has no main group.
    static std::optional<DesktopEntry> read(const std::filesystem::path& file);
    static std::optional<DesktopEntry> parse(std::string_view text);

    // As written in the file, still in the string-value escaping.
    std::optional<std::string> rawValue(const std::string& key) const;
    // With \s \n \t \r \\ unescaped.
    std::optional<std::string> value(const std::string& key) const;
    // The best Key[locale] for a POSIX locale name ("de_DE.UTF-8"): lang_COUNTRY@MODIFIER,
    // lang_COUNTRY, lang@MODIFIER, lang, then the plain key.
    std::optional<std::string> localizedValue(const std::string& key, std::string_view locale) const;
    // A list value split at unescaped ';', empty parts dropped.
    std::vector<std::string> list(const std::string& key) const;

private:
    std::map<std::string, std::string> keys_;
};

// The desktop-file ID of a file: its name without ".desktop".
std::string desktopFileID(const std::filesystem::path& file);
// The locale that names are shown in: LC_ALL, else LC_MESSAGES, else LANG (the first set).
std::string messagesLocale();
// The folders that hold application entries, most important first: $XDG_DATA_HOME (else
// ~/.local/share), then each of $XDG_DATA_DIRS (else /usr/local/share:/usr/share), each
// with "applications" appended.
std::vector<std::filesystem::path> applicationDirectories();
// The entry with this ID in the first folder that has one, with its path; none when no
// folder has it.
struct FoundDesktopEntry {
    std::filesystem::path path;
    DesktopEntry entry;
};
std::optional<FoundDesktopEntry> findDesktopEntry(const std::string& id,
                                                  const std::vector<std::filesystem::path>& directories);

}  // namespace orvane::platform
