#include "platform/sim/SimMachine.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <map>
#include <sstream>

#include <unistd.h>

#include "platform/Log.h"
#include "support/Json.h"

namespace orvane::platform::sim {

const Log& simLog() {
    static const Log l("sim");
    return l;
}

SimMachine::SimMachine(std::filesystem::path directory, SimSharing sharing) : core_(coreFor(directory, sharing)) {}

std::shared_ptr<SimMachine::Core> SimMachine::coreFor(const std::filesystem::path& directory, SimSharing sharing) {
    static std::mutex registryMutex;
    static std::map<std::string, std::weak_ptr<Core>> registry;
    std::error_code ec;
    auto key = std::filesystem::weakly_canonical(std::filesystem::absolute(directory, ec), ec);
    if (ec || key.empty()) key = directory.lexically_normal();

    std::lock_guard registryGuard(registryMutex);
    std::erase_if(registry, [](const auto& entry) { return entry.second.expired(); });
    if (auto core = registry[key.string()].lock(); core && core->owner == ::getpid()) {
        std::lock_guard guard(core->mutex);
        if (sharing == SimSharing::processes && core->sharing == SimSharing::thisProcess) {
            // From now on another process may look: it finds what this process made so far.
            core->sharing = SimSharing::processes;
            if (core->loaded) {
                FileLock lock(core->directory / "machine.lock", FileLock::Mode::exclusive);
                writeStateFile(*core, core->cached);
            }
        }
        return core;
    }
    auto core = std::make_shared<Core>();
    core->directory = directory;
    core->sharing = sharing;
    core->owner = ::getpid();
    std::filesystem::create_directories(directory, ec);
    if (removeStaleTemporaryFiles(directory / "machine.json") > 0)
        simLog().notice("removed temporary files of interrupted writes of %s", (directory / "machine.json").string());
    registry[key.string()] = core;
    return core;
}

SimState SimMachine::read() const {
    std::lock_guard guard(core_->mutex);
    refreshLocked();
    return core_->cached;
}

void SimMachine::refreshLocked() const {
    // Memory is the machine once it was read, unless other processes may write the file.
    if (core_->sharing == SimSharing::thisProcess && core_->loaded) return;
    {
        const auto stamp = fileStamp(stateFile());
        if (stamp && core_->cachedStamp == stamp) return;
    }
    // Exclusive even for reading: a first use lays the machine out, and an unreadable file
    // is replaced, both of which write.
    FileLock lock(lockFile(), FileLock::Mode::exclusive);
    loadLocked();
}

SimState SimMachine::loadLocked() const {
    const auto stamp = fileStamp(stateFile());
    if (stamp && core_->cachedStamp == stamp) return core_->cached;
    std::optional<std::string> text;
    try {
        text = readWholeFile(stateFile());
    } catch (const std::exception& e) {
        simLog().error("cannot read the simulated machine: %s", e.what());
    }
    SimState state;
    bool fresh = false;
    if (!text) {
        state = SimState::defaultLayout();
        fresh = true;
    } else {
        try {
            state = SimState::fromJson(json::parse(*text));
        } catch (const JsonError& e) {
            simLog().error("simulated machine unreadable, starting from the built-in layout: %s", e.description());
            std::error_code ec;
            std::filesystem::rename(stateFile(), directory() / "machine.json.unreadable", ec);
            state = SimState::defaultLayout();
            fresh = true;
        }
    }
    core_->loaded = true;
    if (fresh) {
        core_->cachedStamp.reset();  // whatever was cached is not what the file holds now
        storeLocked(state);
        return state;
    }
    core_->cached = state;
    core_->cachedStamp = stamp;
    return state;
}

void SimMachine::storeLocked(const SimState& state) const {
    // Most updates change nothing (a read-only query, a repeated write of the same
    // table); the file on disk is then still the cached state.
    if (core_->cachedStamp && state == core_->cached && fileStamp(stateFile()) == core_->cachedStamp) return;
    writeStateFile(*core_, state);
}

void SimMachine::writeStateFile(Core& core, const SimState& state) {
    const auto file = core.directory / "machine.json";
    // A simulated machine has no power loss to survive: rename without flushing.
    writeFileAtomically(file, encodeDocument(state.toJson()), Durability::unsynced);
    core.cached = state;
    core.cachedStamp = fileStamp(file);
}

void SimMachine::write(const SimState& state) {
    update([&](SimState& s) { s = state; });
}

std::optional<std::int32_t> SimMachine::takeFailure(SimState& state, const std::string& facility) {
    const auto it = state.failures.find(facility);
    if (it == state.failures.end()) return std::nullopt;
    const std::int32_t status = it->second.status;
    if (it->second.remaining > 0 && --it->second.remaining == 0) state.failures.erase(it);
    return status;
}

std::int64_t SimMachine::processStartTime(std::int32_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return 0;
    // The command name may hold spaces and parentheses; fields resume after the last ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    // Field 3 (state) is the first after the name; the start time is field 22.
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) {
            try {
                return std::stoll(field);
            } catch (const std::exception&) {
                return 0;
            }
        }
    return 0;
}

bool SimMachine::ownerAlive(const SimWindow& window) {
    if (window.pid <= 0) return false;
    if (::kill(window.pid, 0) != 0 && errno != EPERM) return false;
    if (window.pidStart != 0) {
        const auto start = processStartTime(window.pid);
        if (start != 0 && start != window.pidStart) return false;  // the pid was reused
    }
    return true;
}

}  // namespace orvane::platform::sim
