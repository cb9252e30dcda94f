#pragma once
// A user-defaults domain kept in one JSON file of type-tagged values (Value.h). Every
// change is written through at once, atomically and under a lock, so a crash record is
// on disk before the call returns and two processes never lose each other's keys. All
// objects opened on the same file in one process share one store.
//
// File format: {"version": 1, "values": {"<key>": <tagged value>, ...}}.
// A file that cannot be read is moved aside to "<name>.unreadable-<time>" before the
// first write replaces it, so nothing in it is lost. A single value that cannot be read
// (an unknown tag, a number its tag cannot hold) is absent for that key alone and written
// back as it was; when the key is set or removed, it is kept as it was under the first free
// one of "<key>.unreadable", "<key>.unreadable-2", "<key>.unreadable-3", … so that no
// earlier copy is ever replaced.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Value.h"

namespace orvane::platform {

// The values of a defaults file's text, and the entries that could not be read, as stored
// and with the reason. Throws JsonError when the text as a whole is not a defaults file.
struct DefaultsFileContents {
    struct Unreadable {
        Json stored;
        std::string error;
    };
    Dictionary values;
    std::map<std::string, Unreadable> unreadable;
};
DefaultsFileContents decodeDefaultsFile(std::string_view text);

class UserDefaults {
public:
    static std::shared_ptr<UserDefaults> open(const std::filesystem::path& file);

    const std::filesystem::path& file() const;

    std::optional<Value> object(const std::string& key) const;
    std::optional<Bytes> data(const std::string& key) const;
    std::optional<Dictionary> dictionary(const std::string& key) const;
    std::optional<std::string> string(const std::string& key) const;
    // false / 0 when missing or of another kind, as the platform's getters answer.
    bool boolean(const std::string& key) const;
    double number(const std::string& key) const;

    // A value that cannot be stored (a non-finite number) is refused with a log line naming
    // the key; the key keeps its earlier value.
    void set(const std::string& key, const Value& value);
    void remove(const std::string& key);
    // Stores a copy of what `key` held under the first of its free kept-aside names (above),
    // and gives the name; a copy of the same value kept already is not kept again, and its
    // name is given.
    std::string keepAside(const std::string& key, const Value& value);
    // Removes every key of the domain.
    void clear();
    Dictionary dictionaryRepresentation() const;
    std::vector<std::string> keys() const;

    struct Store;
    explicit UserDefaults(std::shared_ptr<Store> store);

private:
    std::shared_ptr<Store> store_;
};

}  // namespace orvane::platform
