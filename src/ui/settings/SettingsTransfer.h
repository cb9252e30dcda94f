#pragma once
// The settings file of the Advanced pane: the settings document written beside the chosen
// path and renamed over it (a failed write leaves an earlier file whole), and read back
// from regular files only (a pipe or device could block or never end) with a size limit.
// A JSON document that holds none of the settings document's keys is no settings file: its
// import would put every setting back to the defaults.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

#include "core/Settings.h"
#include "core/SettingsCodec.h"

namespace orvane::SettingsTransfer {

inline constexpr std::uintmax_t importLimit = 16u * 1024u * 1024u;
inline constexpr const char* proposedName = "Orvane settings.json";

// The status line after each outcome.
struct Outcome {
    bool succeeded = false;
    std::string message;  // "Exported to Orvane settings.json." / "Export failed: ..." in words for people
};

Outcome exportTo(const std::filesystem::path& path, const Settings& settings);

// A file read: its settings with onboardingCompleted set and the presets named apart (a
// document edited by hand may hold a blank or a repeated name), how many were renamed, and
// the values the decoder did not keep as the file had them.
struct Imported {
    Settings settings;
    std::size_t renamedPresets = 0;
    SettingsAdjustments adjustments;
};
// The file's settings, or the failure's status line.
std::variant<Imported, Outcome> importFrom(const std::filesystem::path& path);
// The values the import changes, each with what it becomes as Orvane shows it: "2 values
// were outside what Orvane allows: manualKelvin 99999 → 6500 K, manualDim −3 → 5 %";
// empty when it keeps every value.
std::string adjustedValues(const Imported& imported);
// The status line of a successful import; `adjusted` is adjustedValues' clause.
std::string importedMessage(const std::filesystem::path& path, std::size_t renamedPresets = 0,
                            const std::string& adjusted = {});

}  // namespace orvane::SettingsTransfer
