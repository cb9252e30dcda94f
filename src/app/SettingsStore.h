#pragma once
// The one reader and writer of the program's documents in its user defaults: the settings
// ("settings.json"), the run-time state ("runtime.json") and the evening statistics
// ("statistics.json"), each written pretty-printed so that the defaults file shows it as
// readable JSON. Saves are staged and written together once no save has come for
// 0.4 s (trailing debounce), or at once by flush(). Statistics booked by the model's tick
// wait longer: they go with the next write, or at the latest statisticsDelay after they
// were first staged, so a tinted evening does not rewrite the file on every tick. A crash
// loses at most those minutes of counters; the owner flushes at a day change and at quit.
//
// A stored document that cannot be read falls back to its defaults; in a settings document
// that can be read in part, only the values that cannot be read do. Its text is the
// user's only copy, so before anything is first written over it (or when the program asks,
// to tell the user where it is), it is kept under the first free one of
// "<key>.unreadable", "<key>.unreadable-2", … (for example "settings.json.unreadable"):
// a later damage never replaces the copy of an earlier one.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/RuntimeState.h"
#include "core/Settings.h"
#include "core/Statistics.h"
#include "platform/Log.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "platform/Value.h"

namespace orvane {

class SettingsStore {
public:
    static constexpr std::string_view settingsKey = "settings.json";
    static constexpr std::string_view runtimeKey = "runtime.json";
    static constexpr std::string_view statisticsKey = "statistics.json";
    static constexpr TimeInterval debounce = 0.4;
    static constexpr TimeInterval statisticsDelay = 300;

    // Without a scheduler (a one-shot command line) every save is written at once.
    SettingsStore(std::shared_ptr<platform::UserDefaults> defaults, std::shared_ptr<platform::Scheduler> scheduler);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Never fail: a missing or unreadable document gives the defaults; an unreadable one is
    // logged ("settings unreadable, using defaults: ...", likewise "runtime" and "statistics"),
    // settings readable in part as "settings unreadable in part, using defaults for ...".
    Settings loadSettings();
    RuntimeState loadRuntime();
    Statistics loadStatistics();

    // A document that cannot be encoded stages nothing; the stored one stays.
    void saveSettings(const Settings& settings);
    void saveRuntime(const RuntimeState& runtime);
    void saveStatistics(const Statistics& statistics);
    // The tick's booking: staged without a write of its own (see above).
    void bookStatistics(const Statistics& statistics);

    // A damaged document the loads met.
    struct Damage {
        std::string key;                 // "settings.json"
        std::vector<std::string> reset;  // the values that went back to their defaults; none: all of them
        std::string keptAs;              // the key of the copy in the defaults
        bool operator==(const Damage&) const = default;
    };
    // Keeps each damaged document the loads met aside now, rather than before it is next
    // written over, and says where; each is told once.
    std::vector<Damage> keepDamagedAside();

    // Writes everything staged now.
    void flush();
    // Removes the three documents and drops everything staged.
    void resetAll();
    // Drops everything staged, unwritten, and the write that was due (a scratch domain about
    // to be removed must not be written again).
    void discardPending();

    const std::shared_ptr<platform::UserDefaults>& defaults() const { return defaults_; }
    bool hasPending() const { return !pending_.empty(); }

private:
    // The stored document, or absent when missing or unreadable (remembered for the backup).
    template <class T, class Decode>
    std::optional<T> load(std::string_view key, Decode decode, std::string_view what);
    enum class Due { soon, later };
    template <class Encode>
    void save(std::string_view key, Encode encode, Due due = Due::soon);
    void enqueue(const std::string& key, platform::Bytes data, Due due);
    // Remembers a document that failed to load (in part: the values reset), to be kept
    // aside before it is overwritten.
    void keepUnreadable(const std::string& key, platform::Value stored, std::vector<std::string> reset = {});
    // The key of the copy, if one was made.
    std::optional<std::string> backUpUnreadable(const std::string& key);

    struct Unreadable {
        platform::Value stored;
        std::vector<std::string> reset;
    };

    std::shared_ptr<platform::UserDefaults> defaults_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    platform::Log log_{"store"};
    std::map<std::string, platform::Bytes> pending_;
    platform::Handle flushTask_;
    platform::Handle lateFlushTask_;  // armed by a booking, for statisticsDelay
    std::map<std::string, Unreadable> unreadable_;
    // The stored settings last decoded and what they gave: launch asks twice (for the
    // engine, then the model), and the same stored value is decoded once.
    std::optional<std::pair<platform::Value, Settings>> lastSettings_;
};

}  // namespace orvane
