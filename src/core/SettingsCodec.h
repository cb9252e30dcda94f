#pragma once
// The settings document "settings.json". Decoding is forgiving: an older or partial document
// is migrated, laid over the encoded defaults and clamped into range; it fails only when the
// result still is not a valid record, and then as a whole.
#include <string>
#include <string_view>
#include <vector>

#include "core/Settings.h"
#include "support/Json.h"

namespace orvane {

// A stored value that decoding did not keep as it was: clamped into range, or replaced by
// its default where the stored one could not be used. `key` is its place in the document
// ("manualKelvin", "displays.uuid:A.dimOffset"), so that a person can find and mend it.
struct SettingsAdjustment {
    std::string key;
    Json stored;
    Json kept;
    bool operator==(const SettingsAdjustment&) const = default;
};
using SettingsAdjustments = std::vector<SettingsAdjustment>;

struct SettingsCodec {
    SettingsCodec() = delete;

    // Pretty-printed, keys sorted at every level. Throws JsonError for a non-finite number.
    static std::string encode(const Settings& settings);
    // Throws JsonError: the parser's for text that is not a JSON object or array, the decoder's
    // for a document that after migration and merge is still not a valid record. What it
    // changed of the stored values is appended to `adjustments` where one is given.
    static Settings decode(std::string_view data, SettingsAdjustments* adjustments = nullptr);

    // Drops stored values of an older version that are to fall back to today's defaults.
    static Json migrate(Json object);
    // Lays `overlay` over `base`, object by object. A payload enumeration stored with another
    // case than the base's replaces the base's object whole.
    static Json deepMerge(const Json& base, const Json& overlay);
    // Clamps numbers into range and appends missing built-in presets.
    static Settings sanitize(Settings settings, SettingsAdjustments* adjustments = nullptr);
};

}  // namespace orvane
