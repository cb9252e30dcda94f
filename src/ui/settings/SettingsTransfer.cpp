#include "ui/settings/SettingsTransfer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/DecimalText.h"
#include "core/Percent.h"
#include "core/PresetNames.h"
#include "platform/AtomicFile.h"

namespace orvane::SettingsTransfer {

namespace {

// The system's reason in words for people: "the file does not exist."
std::string reason(const std::system_error& e) {
    switch (e.code().value()) {
        case ENOENT:
            return "the file does not exist.";
        case EACCES:
        case EPERM:
            return "you do not have permission to use this file.";
        case EISDIR:
            return "this is a folder, not a file.";
        case ENOSPC:
            return "the disk is full.";
        case EROFS:
            return "the disk cannot be written to.";
        default:
            break;
    }
    std::string text = e.code().message();
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text + ".";
}

struct NotRegular {};

// At most importLimit + 1 bytes: one more than allowed is enough to refuse the file. Opened
// without blocking, so a pipe without a writer cannot hold the program, and read only once
// the opened thing has turned out to be a regular file.
std::string readLimited(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw std::system_error(errno, std::generic_category());
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw std::system_error(errno, std::generic_category());
    if (S_ISDIR(st.st_mode)) throw std::system_error(EISDIR, std::generic_category());
    if (!S_ISREG(st.st_mode)) throw NotRegular{};
    std::string data;
    char buffer[65536];
    while (data.size() <= importLimit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category());
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

// "line 3, column 7" of a one-based byte offset.
std::string placeOf(std::string_view data, std::size_t byte) {
    const std::size_t index = std::min(byte - 1, data.size());
    const std::string_view before = data.substr(0, index);
    const std::size_t line = 1 + static_cast<std::size_t>(std::ranges::count(before, '\n'));
    const std::size_t lastBreak = before.rfind('\n');
    const std::size_t column = lastBreak == std::string_view::npos ? index + 1 : index - lastBreak;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Whether the document holds any of the settings document's own keys ("version" says nothing).
bool holdsSettings(const Json& document) {
    if (!document.is_object()) return false;
    const Json defaults = Settings().toJson();
    for (const auto& [key, value] : document.items())
        if (key != "version" && defaults.contains(key)) return true;
    return false;
}

constexpr const char* notSettings = "Import failed: this is not an Orvane settings file.";

// A number as a person would write it in the file: no ".0" after whole numbers, and a
// minus sign rather than a hyphen.
std::string numberText(std::string text) {
    if (text.size() > 2 && text.ends_with(".0")) text.resize(text.size() - 2);
    if (!text.empty() && text[0] == '-') text.replace(0, 1, "\u2212");
    return text;
}

std::string storedText(const Json& value) {
    if (value.is_number_integer()) return numberText(value.dump());
    if (value.is_number_float()) return numberText(shortestDecimal(value.get<double>()));
    return value.dump();
}

// The value as the settings window shows it: warmth in kelvin, fractions in percent, the
// rest breaks in minutes and seconds. The manual dim never shows below the dim floor.
std::string keptText(const SettingsAdjustment& adjustment, const Settings& settings) {
    if (!adjustment.kept.is_number()) return storedText(adjustment.kept);
    const std::string_view key = adjustment.key;
    const std::string_view field = key.substr(key.rfind('.') == std::string_view::npos ? 0 : key.rfind('.') + 1);
    const double value = adjustment.kept.get<double>();
    if (field.ends_with("Kelvin") || field == "pointerTintThreshold") return storedText(adjustment.kept) + " K";
    if (field == "manualDim")
        return numberText(std::to_string(percentRounded(std::max(value, settings.dimFloor)))) + " %";
    for (const char* fraction : {"dimFloor", "deepRedStrength", "dimStep", "level", "dimOffset", "backlightLevel"})
        if (field == fraction) return numberText(std::to_string(percentRounded(value))) + " %";
    if (field == "everyMinutes") return storedText(adjustment.kept) + " min";
    if (field == "seconds") return storedText(adjustment.kept) + " s";
    return storedText(adjustment.kept);
}

}  // namespace

Outcome exportTo(const std::filesystem::path& path, const Settings& settings) {
    try {
        platform::writeFileAtomically(path, SettingsCodec::encode(settings));
    } catch (const std::system_error& e) {
        // A file to be written is missing only when the folder it goes in is.
        if (e.code().value() == ENOENT) {
            const std::filesystem::path folder = path.parent_path();
            std::error_code ignored;
            if (!folder.empty() && !std::filesystem::is_directory(folder, ignored))
                return {false, "Export failed: the folder \u201c" + folder.string() + "\u201d does not exist."};
        }
        return {false, "Export failed: " + reason(e)};
    } catch (const std::exception& e) {
        return {false, std::string("Export failed: ") + e.what()};
    }
    return {true, "Exported to " + path.filename().string() + "."};
}

std::variant<Imported, Outcome> importFrom(const std::filesystem::path& path) {
    std::string data;
    try {
        data = readLimited(path);
    } catch (const std::system_error& e) {
        return Outcome{false, "Import failed: " + reason(e)};
    } catch (const NotRegular&) {
        return Outcome{false, "Import failed: only a regular file can be imported, not a pipe or device."};
    }
    if (data.size() > importLimit) return Outcome{false, "Import failed: the file is larger than 16 MiB."};
    // Where the text stops being JSON, for a person to find it: the parser would take a NUL
    // for the end of the text, so the first one is the place.
    std::size_t invalidAt = 0;  // one-based; 0: valid
    Json document;
    if (const auto nul = data.find('\0'); nul != std::string::npos) invalidAt = nul + 1;
    else try {
            document = Json::parse(data);
        } catch (const nlohmann::json::parse_error& e) {
            invalidAt = std::max<std::size_t>(e.byte, 1);
        } catch (const nlohmann::json::exception&) {
            return Outcome{false, "Import failed: the file is not valid JSON."};
        }
    if (invalidAt != 0)
        return Outcome{false, "Import failed: the file is not valid JSON (" + placeOf(data, invalidAt) + ")."};
    try {
        if (!holdsSettings(document)) return Outcome{false, notSettings};
        Imported imported;
        imported.settings = SettingsCodec::decode(data, &imported.adjustments);
        imported.settings.onboardingCompleted = true;
        imported.renamedPresets = PresetNames::makeDistinct(imported.settings.presets);
        return imported;
    } catch (const JsonError& e) {
        if (e.kind() == JsonError::Kind::parse) return Outcome{false, "Import failed: the file is not valid JSON."};
        if (e.path().empty()) return Outcome{false, notSettings};
        return Outcome{false,
                       "Import failed: the setting \u201c" + e.path() + "\u201d holds a value Orvane cannot use."};
    } catch (const std::exception&) {
        return Outcome{false, notSettings};
    }
}

std::string adjustedValues(const Imported& imported) {
    const auto& list = imported.adjustments;
    if (list.empty()) return {};
    std::string text = list.size() == 1 ? std::string("1 value was") : std::to_string(list.size()) + " values were";
    text += " outside what Orvane allows: ";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0) text += ", ";
        text += list[i].key + " " + storedText(list[i].stored) + " \u2192 " + keptText(list[i], imported.settings);
    }
    return text;
}

std::string importedMessage(const std::filesystem::path& path, std::size_t renamedPresets,
                            const std::string& adjusted) {
    std::string message = "Imported " + path.filename().string() + (adjusted.empty() ? "." : "; " + adjusted + ".");
    if (renamedPresets == 1) message += " A preset was renamed, as each needs a name of its own.";
    else if (renamedPresets > 1)
        message += " " + std::to_string(renamedPresets) + " presets were renamed, as each needs a name of its own.";
    return message;
}

}  // namespace orvane::SettingsTransfer
