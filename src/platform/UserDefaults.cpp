#include "platform/UserDefaults.h"

#include <chrono>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "support/Json.h"

namespace orvane::platform {

namespace {

const Log& log() {
    static const Log l("defaults");
    return l;
}

}  // namespace

DefaultsFileContents decodeDefaultsFile(std::string_view text) {
    const Json doc = json::parse(text);
    json::ObjectReader reader(doc);
    const Json& stored = reader.required("values");
    if (!stored.is_object()) json::typeMismatch("an object", stored, "values");
    DefaultsFileContents contents;
    for (const auto& [key, v] : stored.items()) {
        try {
            contents.values.emplace(key, fromTaggedJson(v, json::join("values", key)));
        } catch (const JsonError& e) {
            contents.unreadable.emplace(key, DefaultsFileContents::Unreadable{v, e.description()});
        }
    }
    return contents;
}

namespace {

using Unreadable = std::map<std::string, DefaultsFileContents::Unreadable>;

constexpr std::string_view keptAsideSuffix = ".unreadable";

// "<key>.unreadable" or "<key>.unreadable-<n>".
bool isKeptAside(const std::string& key) {
    std::string_view rest = key;
    const auto dash = rest.rfind('-');
    if (dash != std::string_view::npos && dash + 1 < rest.size() &&
        rest.substr(dash + 1).find_first_not_of("0123456789") == std::string_view::npos)
        rest = rest.substr(0, dash);
    return rest.size() > keptAsideSuffix.size() && rest.ends_with(keptAsideSuffix);
}

// The first of "<key>.unreadable", "<key>.unreadable-2", … for which `taken` is false.
template <class Taken>
std::string freeAsideKey(const std::string& key, Taken taken) {
    std::string aside = key + std::string(keptAsideSuffix);
    for (int n = 2; taken(aside); ++n) aside = key + std::string(keptAsideSuffix) + "-" + std::to_string(n);
    return aside;
}

// The tagged form of a value, refusing what no reader could take back (non-finite numbers).
Json storable(const std::string& key, const Value& value) {
    Json tagged = toTaggedJson(value);
    json::requireFinite(tagged, key);
    return tagged;
}

}  // namespace

struct UserDefaults::Store {
    std::filesystem::path file;
    std::filesystem::path lockFile;
    mutable std::mutex mutex;
    mutable Dictionary values;
    // The stored form of values this process set, so a write converts only what changed.
    mutable std::map<std::string, Json> tagged;
    // Entries of the file that could not be read: absent to callers, written back unchanged.
    mutable Unreadable unreadableValues;
    mutable std::optional<FileStamp> stamp;
    mutable bool loaded = false;
    mutable bool unreadable = false;                      // the file on disk could not be read; keep it aside
    mutable std::optional<FileStamp> reportedUnreadable;  // said once per version of the file
    bool unwritten = false;                               // values of this process that the last write could not store

    // Re-reads the file when another writer replaced it. Caller holds `mutex`.
    void refresh() const {
        const auto now = fileStamp(file);
        if (loaded && now == stamp) return;
        loaded = true;
        stamp = now;
        unreadable = false;
        Unreadable previous = std::exchange(unreadableValues, {});
        values.clear();
        tagged.clear();
        if (!now) return;
        try {
            const auto text = readWholeFile(file);
            if (!text) return;
            auto contents = decodeDefaultsFile(*text);
            values = std::move(contents.values);
            unreadableValues = std::move(contents.unreadable);
            for (const auto& [key, entry] : unreadableValues) {
                if (isKeptAside(key)) continue;  // a copy kept for the user, read by nobody
                const auto before = previous.find(key);
                if (before == previous.end() || before->second.stored != entry.stored)
                    log().error("defaults value unreadable, ignoring %s in %s: %s", key, file.string(), entry.error);
            }
        } catch (const std::exception& e) {
            unreadable = true;
            values.clear();
            unreadableValues.clear();
            if (reportedUnreadable != now) {
                const auto* error = dynamic_cast<const JsonError*>(&e);
                log().error("defaults unreadable, starting empty: %s: %s", file.string(),
                            error ? error->description() : e.what());
                reportedUnreadable = now;
            }
        }
    }

    // Whether the key holds anything, readable or not. Caller holds `mutex`.
    bool holds(const std::string& key) const { return values.count(key) > 0 || unreadableValues.count(key) > 0; }

    // The stored form of an unreadable value is the user's only copy of it: before its key
    // is set or removed, it moves to the first free kept-aside name, as a document that
    // cannot be read is kept aside. Caller holds `mutex`.
    void keepAside(const std::string& key) {
        const auto entry = unreadableValues.find(key);
        if (entry == unreadableValues.end() || isKeptAside(key)) return;
        const std::string aside = freeAsideKey(key, [this](const std::string& k) { return holds(k); });
        auto kept = std::move(entry->second);
        unreadableValues.erase(entry);
        unreadableValues.insert_or_assign(aside, std::move(kept));
        log().error("kept the unreadable %s as %s in %s", key, aside, file.string());
    }

    template <class F>
    void modify(F&& change) {
        std::lock_guard lock(mutex);
        try {
            FileLock fileLock(lockFile, FileLock::Mode::exclusive);
            refresh();
            // Saving what is already there (the same statistics every tick) costs no write,
            // unless an earlier write of this process failed.
            if (!change(values, unreadableValues) && !unwritten) return;
            if (unreadable) {
                const auto stampNow = std::chrono::system_clock::now().time_since_epoch();
                const std::string stampText =
                    std::to_string(std::chrono::duration_cast<std::chrono::seconds>(stampNow).count());
                auto aside = file;
                aside += ".unreadable-" + stampText;
                // Another file kept in the same second stays too.
                std::error_code taken;
                for (int n = 2; std::filesystem::exists(aside, taken); ++n) {
                    aside = file;
                    aside += ".unreadable-" + stampText + "-" + std::to_string(n);
                }
                std::error_code ec;
                std::filesystem::rename(file, aside, ec);
                if (!ec) log().error("kept the unreadable defaults file as %s", aside.string());
                unreadable = false;
            }
            Json stored = Json::object();
            for (const auto& [key, entry] : unreadableValues) stored[key] = entry.stored;
            for (const auto& [key, v] : values) {
                auto known = tagged.find(key);
                if (known == tagged.end()) {
                    try {
                        known = tagged.emplace(key, storable(key, v)).first;
                    } catch (const JsonError& e) {
                        // One value that cannot be written must not keep the others from disk.
                        log().error("cannot store %s in %s: %s", key, file.string(), e.description());
                        continue;
                    }
                }
                stored[key] = known->second;
            }
            unwritten = true;
            writeFileAtomically(file, encodeDocument({{"version", 1}, {"values", std::move(stored)}}));
            unwritten = false;
            stamp = fileStamp(file);
        } catch (const std::exception& e) {
            // The change still holds for this process; the next successful write stores it.
            log().error("cannot write defaults %s: %s", file.string(), e.what());
        }
    }
};

std::shared_ptr<UserDefaults> UserDefaults::open(const std::filesystem::path& file) {
    // A domain once opened stays for the process: opening it again costs no re-read, and an
    // unreadable file is reported once, not by every owner that opens it.
    static std::mutex registryMutex;
    static std::map<std::filesystem::path, std::shared_ptr<Store>> registry;
    const auto key = std::filesystem::absolute(file).lexically_normal();
    std::lock_guard lock(registryMutex);
    auto& store = registry[key];
    if (!store) {
        store = std::make_shared<Store>();
        store->file = key;
        store->lockFile = key;
        store->lockFile += ".lock";
        // Only the first opening in a process looks: later writes of ours are never stale.
        if (removeStaleTemporaryFiles(key) > 0)
            log().notice("removed temporary files of interrupted writes of %s", key.string());
    }
    return std::make_shared<UserDefaults>(store);
}

UserDefaults::UserDefaults(std::shared_ptr<Store> store) : store_(std::move(store)) {}

const std::filesystem::path& UserDefaults::file() const { return store_->file; }

std::optional<Value> UserDefaults::object(const std::string& key) const {
    std::lock_guard lock(store_->mutex);
    store_->refresh();
    const auto it = store_->values.find(key);
    if (it == store_->values.end()) return std::nullopt;
    return it->second;
}

std::optional<Bytes> UserDefaults::data(const std::string& key) const {
    const auto v = object(key);
    if (v && v->data()) return *v->data();
    return std::nullopt;
}

std::optional<Dictionary> UserDefaults::dictionary(const std::string& key) const {
    const auto v = object(key);
    if (v && v->dictionary()) return *v->dictionary();
    return std::nullopt;
}

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    const auto v = object(key);
    if (v && v->string()) return *v->string();
    return std::nullopt;
}

bool UserDefaults::boolean(const std::string& key) const {
    const auto v = object(key);
    if (!v) return false;
    if (auto s = v->string()) return *s == "YES" || *s == "true" || *s == "1";
    return v->boolean().value_or(false);
}

double UserDefaults::number(const std::string& key) const {
    const auto v = object(key);
    return v ? v->number().value_or(0.0) : 0.0;
}

void UserDefaults::set(const std::string& key, const Value& value) {
    Json form;
    try {
        form = storable(key, value);
    } catch (const JsonError& e) {
        log().error("cannot store %s in %s: %s", key, store_->file.string(), e.description());
        return;
    }
    auto& store = *store_;
    store.modify([&](Dictionary& values, Unreadable& unreadable) {
        const bool replaced = unreadable.count(key) > 0;
        store.keepAside(key);
        unreadable.erase(key);
        const auto [it, added] = values.try_emplace(key, value);
        if (!added && !replaced && it->second == value) return false;
        it->second = value;
        store.tagged[key] = std::move(form);
        return true;
    });
}

void UserDefaults::remove(const std::string& key) {
    auto& store = *store_;
    store.modify([&](Dictionary& values, Unreadable& unreadable) {
        const bool dropped = unreadable.count(key) > 0;
        store.keepAside(key);
        unreadable.erase(key);
        store.tagged.erase(key);
        return values.erase(key) > 0 || dropped;
    });
}

std::string UserDefaults::keepAside(const std::string& key, const Value& value) {
    std::string aside;
    auto& store = *store_;
    store.modify([&](Dictionary& values, Unreadable&) {
        // The same copy kept already (a document damaged once, read again) is not kept twice.
        bool kept = false;
        aside = freeAsideKey(key, [&](const std::string& k) {
            const auto it = values.find(k);
            kept = kept || (it != values.end() && it->second == value);
            return !kept && store.holds(k);
        });
        if (kept) return false;
        try {
            store.tagged[aside] = storable(aside, value);
        } catch (const JsonError& e) {
            log().error("cannot store %s in %s: %s", aside, store.file.string(), e.description());
            return false;
        }
        values[aside] = value;
        return true;
    });
    return aside;
}

void UserDefaults::clear() {
    auto& store = *store_;
    store.modify([&](Dictionary& values, Unreadable& unreadable) {
        const bool had = !values.empty() || !unreadable.empty();
        unreadable.clear();
        values.clear();
        store.tagged.clear();
        return had;
    });
}

Dictionary UserDefaults::dictionaryRepresentation() const {
    std::lock_guard lock(store_->mutex);
    store_->refresh();
    return store_->values;
}

std::vector<std::string> UserDefaults::keys() const {
    std::vector<std::string> out;
    for (const auto& [key, v] : dictionaryRepresentation()) out.push_back(key);
    return out;
}

}  // namespace orvane::platform
