#include "app/SingleInstance.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/SessionBusName.h"

namespace orvane {

namespace {

constexpr int handOverTimeoutMs = 10'000;
constexpr std::size_t maximumHandOver = 1 << 20;

std::string errnoText(int code) { return std::strerror(code < 0 ? -code : code); }

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string encode(const std::vector<std::string>& arguments) {
    std::string bytes;
    for (const auto& a : arguments) {
        bytes += a;
        bytes += '\0';
    }
    return bytes;
}

std::vector<std::string> decode(const std::string& bytes) {
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find('\0', start);
        if (end == std::string::npos) break;  // an unterminated tail is not an argument
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

std::optional<sockaddr_un> socketAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

}  // namespace

// --- the lock file and its socket ------------------------------------------------------

struct SingleInstance::Lock {
    int lockFd = -1;
    int listenFd = -1;
    std::filesystem::path socketPath;
    platform::Handle watch;
    struct Connection {
        int fd = -1;
        std::string bytes;
        platform::Handle watch;
    };
    std::map<int, Connection> connections;

    ~Lock() {
        watch.cancel();
        for (auto& [fd, c] : connections) {
            c.watch.cancel();
            ::close(fd);
        }
        if (listenFd >= 0) {
            ::close(listenFd);
            ::unlink(socketPath.c_str());
        }
        if (lockFd >= 0) ::close(lockFd);  // the lock file stays: removing it would race a new start
    }

    bool openListener(const platform::Log& log) {
        const auto address = socketAddress(socketPath);
        if (!address) {
            log.error("socket path too long: %{public}s; later starts cannot hand over", socketPath.string());
            return false;
        }
        ::unlink(socketPath.c_str());  // left by a run that was killed; we hold the lock
        listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (listenFd < 0 || ::bind(listenFd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
            ::listen(listenFd, 8) != 0) {
            log.error("cannot listen on %{public}s: %{public}s; later starts cannot hand over", socketPath.string(),
                      errnoText(errno));
            if (listenFd >= 0) ::close(listenFd);
            listenFd = -1;
            return false;
        }
        return true;
    }

    static std::optional<std::string> handOver(const std::filesystem::path& socketPath,
                                               const std::vector<std::string>& arguments) {
        const auto address = socketAddress(socketPath);
        if (!address) return "socket path too long";
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return errnoText(errno);
        std::optional<std::string> failure;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
            failure = errnoText(errno);
        } else if (!writeAll(fd, encode(arguments)) || ::shutdown(fd, SHUT_WR) != 0) {
            failure = errnoText(errno);
        } else {
            // The owner closes its end once it has read everything.
            pollfd p{fd, POLLIN, 0};
            char c;
            if (::poll(&p, 1, handOverTimeoutMs) <= 0 || ::recv(fd, &c, 1, 0) < 0)
                failure = "no answer from the running instance";
        }
        ::close(fd);
        return failure;
    }
};

// --- the claim -------------------------------------------------------------------------

std::filesystem::path SingleInstance::runtimeDirectory() {
    if (auto dir = platform::environmentValue("XDG_RUNTIME_DIR"); dir && !dir->empty() && (*dir)[0] == '/') return *dir;
    const auto dir = std::filesystem::temp_directory_path() / ("orvane-" + std::to_string(::getuid()));
    ::mkdir(dir.c_str(), 0700);
    return dir;
}

SingleInstance::Claim SingleInstance::claim(const std::vector<std::string>& arguments) {
    std::unique_ptr<SingleInstance> self(new SingleInstance);
    const platform::Log& log = self->log_;

    using BusOutcome = platform::SessionBusName::Outcome;
    auto bus = platform::SessionBusName::claim(
        {busName, objectPath, interfaceName}, arguments,
        [instance = self.get()](std::vector<std::string> handed) { instance->deliver(std::move(handed)); });
    switch (bus.outcome) {
        case BusOutcome::owner:
            self->bus_ = std::move(bus.owner);
            return {Outcome::primary, std::move(self), {}};
        case BusOutcome::handedOver:
            return {Outcome::handedOver, nullptr, {}};
        case BusOutcome::handOverFailed:
            return {Outcome::failed, nullptr, bus.error};
        case BusOutcome::notOwned:
            log.error("cannot own %{public}s on the session bus: %{public}s; using a lock file", busName, bus.error);
            break;
        case BusOutcome::noBus:
            log.debug("no session bus (%{public}s); using a lock file", bus.error);
            break;
    }

    const auto dir = runtimeDirectory();
    auto lock = std::make_unique<Lock>();
    lock->socketPath = dir / "orvane.sock";
    const auto lockPath = dir / "orvane.lock";
    lock->lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock->lockFd < 0) {
        // Running twice is better than not running at all.
        log.error("cannot open %{public}s: %{public}s; not guarding against a second instance", lockPath.string(),
                  errnoText(errno));
        self->lock_ = std::move(lock);
        return {Outcome::primary, std::move(self), {}};
    }
    int locked;
    do locked = ::flock(lock->lockFd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0 && errno == EWOULDBLOCK) {
        if (auto failure = Lock::handOver(lock->socketPath, arguments)) return {Outcome::failed, nullptr, *failure};
        return {Outcome::handedOver, nullptr, {}};
    }
    if (locked != 0)
        log.error("cannot lock %{public}s: %{public}s; not guarding against a second instance", lockPath.string(),
                  errnoText(errno));
    else lock->openListener(log);
    self->lock_ = std::move(lock);
    return {Outcome::primary, std::move(self), {}};
}

std::optional<std::string> SingleInstance::running() {
    const auto named = [](const std::string& pid) {
        return "Orvane is already running" + (pid.empty() || pid == "0" ? "" : " (process " + pid + ")");
    };
    if (const auto pid = platform::SessionBusName::ownerProcess(busName)) return named(std::to_string(*pid));
    // Without the bus the lock tells: the kernel lists who holds it, as
    // "1: FLOCK  ADVISORY  WRITE <pid> <major>:<minor>:<inode> 0 EOF".
    struct stat lock {};
    if (::stat((runtimeDirectory() / "orvane.lock").c_str(), &lock) != 0) return std::nullopt;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string index, kind, mode, access, pid, where;
        if (!(fields >> index >> kind >> mode >> access >> pid >> where) || kind != "FLOCK") continue;
        const auto colon = where.rfind(':');
        if (colon != std::string::npos && where.substr(colon + 1) == std::to_string(lock.st_ino)) return named(pid);
    }
    return std::nullopt;
}

SingleInstance::~SingleInstance() = default;

const char* SingleInstance::mechanism() const { return bus_ ? "bus" : "lock"; }

bool SingleInstance::serveIntents(std::shared_ptr<platform::IntentsPort> port) {
    return bus_ && bus_->serveIntents(std::move(port));
}

void SingleInstance::deliver(std::vector<std::string> arguments) {
    // After the current callback, so the bus reply goes out first.
    scheduler_->post([this, a = std::move(arguments)] {
        if (received_) received_(a);
    });
}

void SingleInstance::listen(std::shared_ptr<platform::Scheduler> scheduler,
                            std::function<void(const std::vector<std::string>&)> received) {
    scheduler_ = std::move(scheduler);
    received_ = std::move(received);

    if (bus_) {
        bus_->listen(*scheduler_);
        return;
    }
    if (!lock_ || lock_->listenFd < 0) return;
    Lock& l = *lock_;
    l.watch = scheduler_->watchFd(l.listenFd, platform::FdEvent::readable, [this] {
        Lock& lk = *lock_;
        for (;;) {
            const int fd = ::accept4(lk.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) break;
            auto& c = lk.connections[fd];
            c.fd = fd;
            c.watch = scheduler_->watchFd(fd, platform::FdEvent::readable, [this, fd] {
                Lock& lk2 = *lock_;
                auto it = lk2.connections.find(fd);
                if (it == lk2.connections.end()) return;
                char buffer[4096];
                bool complete = false;  // the sender closed its end: everything is here
                bool dropped = false;
                for (;;) {
                    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                    if (n > 0) {
                        it->second.bytes.append(buffer, static_cast<std::size_t>(n));
                        if (it->second.bytes.size() > maximumHandOver) {
                            log_.error("hand-over larger than %zu bytes dropped", maximumHandOver);
                            dropped = true;
                            break;
                        }
                        continue;
                    }
                    if (n < 0 && errno == EINTR) continue;
                    complete = n == 0;
                    dropped = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
                    break;
                }
                if (!complete && !dropped) return;
                const std::string bytes = std::move(it->second.bytes);
                it->second.watch.cancel();
                lk2.connections.erase(it);
                ::close(fd);  // tells the sender that everything arrived
                if (complete) deliver(decode(bytes));
            });
        }
    });
}

}  // namespace orvane
