#pragma once
// Files that several processes share: whole-file replacement that a reader never sees
// half-written, an advisory lock around read-modify-write, and a cheap change stamp.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::platform {

// Writes a temporary file beside `path`, flushes it to disk, renames it over `path` and
// flushes the directory. Creates missing parent directories. Throws std::system_error.
// `unsynced` leaves out both flushes: other processes still only ever see a whole file,
// but a power loss may lose it (for files that need not survive one).
enum class Durability { synced, unsynced };
void writeFileAtomically(const std::filesystem::path& path, std::string_view content,
                         Durability durability = Durability::synced);

// The whole file, or absent when it does not exist. Throws std::system_error otherwise.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// flock(2) on a lock file (created when missing); released on destruction.
class FileLock {
public:
    enum class Mode { shared, exclusive };
    FileLock(const std::filesystem::path& lockFile, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

// Changes whenever the file is replaced or rewritten.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t size = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

}  // namespace orvane::platform
