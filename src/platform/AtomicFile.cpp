#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw std::system_error(errno, std::generic_category(), what + " " + path.string());
}

void writeAll(int fd, std::string_view content, const std::filesystem::path& path) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write", path);
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string temporaryPrefix(const std::filesystem::path& path) { return "." + path.filename().string() + ".tmp-"; }

// The writer's process id in "<prefix><pid>-<n>", or absent for a name of another form.
std::optional<pid_t> writerOf(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix) return std::nullopt;
    name.remove_prefix(prefix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || dash + 1 == name.size()) return std::nullopt;
    if (name.find_first_not_of("0123456789", dash + 1) != std::string_view::npos) return std::nullopt;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    if (error != std::errc() || end != name.data() + dash || pid <= 0) return std::nullopt;
    return pid;
}

}  // namespace

int removeStaleTemporaryFiles(const std::filesystem::path& path) {
    const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    const std::string prefix = temporaryPrefix(path);
    int removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const auto pid = writerOf(it->path().filename().string(), prefix);
        // EPERM: the process exists under another user; only a vanished writer's file is stale.
        if (!pid || ::kill(*pid, 0) == 0 || errno != ESRCH) continue;
        std::error_code removeError;
        if (std::filesystem::remove(it->path(), removeError)) ++removed;
    }
    return removed;
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view content, Durability durability) {
    static std::atomic<unsigned> counter{0};
    const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    const auto temp =
        dir / (temporaryPrefix(path) + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)));
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 && errno == ENOENT) {
        // The directories are made only when missing, which keeps frequent writes cheap.
        std::error_code ignored;  // a failure shows in the open below
        std::filesystem::create_directories(dir, ignored);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    }
    if (fd < 0) fail("cannot create", temp);
    try {
        writeAll(fd, content, temp);
        if (durability == Durability::synced && ::fsync(fd) != 0) fail("cannot flush", temp);
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        fail("cannot replace", path);
    }
    if (durability == Durability::unsynced) return;
    // The rename itself is durable only once the directory is flushed.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        fail("cannot open", path);
    }
    std::string out;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::close(fd);
            errno = saved;
            fail("cannot read", path);
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

FileLock::FileLock(const std::filesystem::path& lockFile, Mode mode) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0 && errno == ENOENT && lockFile.has_parent_path()) {
        // The directories are made only when missing: every save takes this lock.
        std::error_code ignored;  // a failure shows in the open below
        std::filesystem::create_directories(lockFile.parent_path(), ignored);
        fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    if (fd_ < 0) fail("cannot open lock", lockFile);
    while (::flock(fd_, mode == Mode::exclusive ? LOCK_EX : LOCK_SH) != 0) {
        if (errno == EINTR) continue;
        const int saved = errno;
        ::close(fd_);
        errno = saved;
        fail("cannot lock", lockFile);
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

std::optional<FileStamp> fileStamp(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     static_cast<std::int64_t>(st.st_size)};
}

}  // namespace orvane::platform
