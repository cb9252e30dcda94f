#include "ui/settings/SettingsTransfer.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/SettingsCodec.h"
#include "platform/AtomicFile.h"

namespace orvane::SettingsTransfer {

namespace {

std::string reason(const std::system_error& e) { return e.code().message(); }

// At most importLimit + 1 bytes: one more than allowed is enough to refuse the file.
std::string readLimited(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category());
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw std::system_error(errno, std::generic_category());
    if (S_ISDIR(st.st_mode)) throw std::system_error(EISDIR, std::generic_category());
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

}  // namespace

Outcome exportTo(const std::filesystem::path& path, const Settings& settings) {
    try {
        platform::writeFileAtomically(path, SettingsCodec::encode(settings));
    } catch (const std::system_error& e) {
        return {false, "Export failed: " + reason(e)};
    } catch (const std::exception& e) {
        return {false, std::string("Export failed: ") + e.what()};
    }
    return {true, "Exported to " + path.filename().string() + "."};
}

std::variant<Settings, Outcome> importFrom(const std::filesystem::path& path) {
    std::string data;
    try {
        data = readLimited(path);
    } catch (const std::system_error& e) {
        return Outcome{false, "Import failed: " + reason(e)};
    }
    if (data.size() > importLimit) return Outcome{false, "Import failed: the file is larger than 16 MiB."};
    try {
        Settings settings = SettingsCodec::decode(data);
        settings.onboardingCompleted = true;
        return settings;
    } catch (const std::exception& e) {
        return Outcome{false, std::string("Import failed: ") + e.what()};
    }
}

std::string importedMessage(const std::filesystem::path& path) { return "Imported " + path.filename().string() + "."; }

}  // namespace orvane::SettingsTransfer
