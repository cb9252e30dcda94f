#include "platform/UserDefaults.h"

#include <chrono>
#include <map>
#include <mutex>
#include <system_error>

#include "support/Json.h"
#include "platform/AtomicFile.h"
#include "platform/Log.h"

namespace orvane::platform {

namespace {

const Log& log() {
    static const Log l("defaults");
    return l;
}

}  // namespace

struct UserDefaults::Store {
    std::filesystem::path file;
    std::filesystem::path lockFile;
    mutable std::mutex mutex;
    mutable Dictionary values;
    mutable std::optional<FileStamp> stamp;
    mutable bool loaded = false;
    mutable bool unreadable = false;  // the file on disk could not be read; keep it aside

    // Re-reads the file when another writer replaced it. Caller holds `mutex`.
    void refresh() const {
        const auto now = fileStamp(file);
        if (loaded && now == stamp) return;
        loaded = true;
        stamp = now;
        unreadable = false;
        values.clear();
        if (!now) return;
        try {
            const auto text = readWholeFile(file);
            if (!text) return;
            const Json doc = json::parse(*text);
            json::ObjectReader reader(doc);
            const Json& stored = reader.required("values");
            if (!stored.is_object()) json::typeMismatch("an object", stored, "values");
            for (const auto& [key, v] : stored.items()) values.emplace(key, fromTaggedJson(v, json::join("values", key)));
        } catch (const JsonError& e) {
            unreadable = true;
            values.clear();
            log().error("defaults unreadable, starting empty: %s: %s", file.string(), e.description());
        } catch (const std::exception& e) {
            unreadable = true;
            values.clear();
            log().error("defaults unreadable, starting empty: %s: %s", file.string(), e.what());
        }
    }

    template <class F>
    void modify(F&& change) {
        std::lock_guard lock(mutex);
        try {
            FileLock fileLock(lockFile, FileLock::Mode::exclusive);
            refresh();
            if (unreadable) {
                const auto stampNow = std::chrono::system_clock::now().time_since_epoch();
                auto aside = file;
                aside += ".unreadable-" + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(stampNow).count());
                std::error_code ec;
                std::filesystem::rename(file, aside, ec);
                if (!ec) log().error("kept the unreadable defaults file as %s", aside.string());
                unreadable = false;
            }
            change(values);
            Json doc = {{"version", 1}, {"values", Json::object()}};
            for (const auto& [key, v] : values) doc["values"][key] = toTaggedJson(v);
            writeFileAtomically(file, encodeDocument(doc));
            stamp = fileStamp(file);
        } catch (const std::exception& e) {
            // The change still holds for this process; the next successful write stores it.
            log().error("cannot write defaults %s: %s", file.string(), e.what());
        }
    }
};

std::shared_ptr<UserDefaults> UserDefaults::open(const std::filesystem::path& file) {
    static std::mutex registryMutex;
    static std::map<std::filesystem::path, std::weak_ptr<Store>> registry;
    const auto key = std::filesystem::absolute(file).lexically_normal();
    std::lock_guard lock(registryMutex);
    auto store = registry[key].lock();
    if (!store) {
        store = std::make_shared<Store>();
        store->file = key;
        store->lockFile = key;
        store->lockFile += ".lock";
        registry[key] = store;
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
    store_->modify([&](Dictionary& values) { values[key] = value; });
}

void UserDefaults::remove(const std::string& key) {
    store_->modify([&](Dictionary& values) { values.erase(key); });
}

void UserDefaults::clear() {
    store_->modify([](Dictionary& values) { values.clear(); });
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
