#pragma once
// The settings document "settings.json". Decoding is forgiving: an older or partial document
// is migrated, laid over the encoded defaults and clamped into range; it fails only when the
// result still is not a valid record, and then as a whole. Salvaging goes one step further
// for a stored document: a value that cannot be read falls back to its own default alone.
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

    struct Salvaged {
        // A value that went back to its default ("dimFloor", "sunset.morning"), or, in a
        // list, an entry that was left out ("presets[2]"), with the decoder's reason.
        struct Reset {
            std::string path;
            std::string error;
            bool operator==(const Reset&) const = default;
        };
        Settings settings;
        std::vector<Reset> reset;  // in document order; none when the document decoded as it is
    };
    // As decode, but each value the decoder refuses is replaced by its default (or, without
    // one, left out) and the others are kept. Throws JsonError, as decode does, only for text
    // that is not a JSON object (or array).
    static Salvaged salvage(std::string_view data);

    // Drops stored values of an older version that are to fall back to today's defaults.
    static Json migrate(Json object);
    // Lays `overlay` over `base`, object by object. A payload enumeration stored with another
    // case than the base's replaces the base's object whole.
    static Json deepMerge(const Json& base, const Json& overlay);
    // Clamps numbers into range and appends missing built-in presets.
    static Settings sanitize(Settings settings, SettingsAdjustments* adjustments = nullptr);
};

}  // namespace orvane
