// How long a forwarded command takes to show: starts `Orvane --set-kelvin K` against the
// running instance of the current session (ORVANE_SIM_DIR and the session bus come from
// the environment), alternating K so every run is a change, and measures from the start
// of the forwarding process to its exit and to the first change of the simulated
// machine's first display. Prints the median and the maximum of each. It sleeps between
// looks (woken by the state file's replacement and the forwarder's end), so it takes no CPU
// from what it times.
//
//   orvane_first_change <path to Orvane> [runs]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimDisplay.h"
#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using orvane::platform::sim::SimMachine;

using orvane::bench::firstMatrix;

// Until the display has not changed for a quarter of a second (a fade has ended).
void settle(const SimMachine& machine) { orvane::bench::settle(machine, std::chrono::milliseconds(250)); }

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%-34s median %7.2f ms   max %7.2f ms   (%zu runs)\n", what, median, values.back(), n);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvane_first_change <path to Orvane> [runs]\n");
        return 2;
    }
    const std::string program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const SimMachine machine(orvane::platform::simDirectory());
    if (!firstMatrix(machine)) std::fprintf(stderr, "note: the first display shows no matrix yet\n");
    settle(machine);

    // The machine writes its state file under a temporary name and renames it into place.
    const int changes = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (changes < 0 || ::inotify_add_watch(changes, machine.directory().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        std::perror("inotify");
        return 1;
    }
    std::vector<double> exits, changeTimes;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        const std::string kelvin = i % 2 ? "2700" : "3400";  // farm-bench left 2700
        const auto before = firstMatrix(machine);
        std::vector<std::string> args{program, "--set-kelvin", kelvin};
        std::vector<char*> argv2;
        for (auto& a : args) argv2.push_back(a.data());
        argv2.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        const auto start = Clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv2.data(), environ) != 0) {
            std::perror("posix_spawn");
            return 1;
        }
        posix_spawn_file_actions_destroy(&actions);
        std::optional<Clock::time_point> exited, changed;
        int status = 0;
        // Woken by the state file's replacement and by the forwarder's end rather than by
        // polling, so the probe takes no CPU from the two processes it times.
        const int exitFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        while (!exited || !changed) {
            if (!exited && ::waitpid(pid, &status, WNOHANG) == pid) exited = Clock::now();
            if (!changed && firstMatrix(machine) != before) changed = Clock::now();
            if (exited && changed) break;
            const auto left = std::chrono::seconds(5) - (Clock::now() - start);
            if (left <= Clock::duration::zero()) break;
            pollfd fds[2] = {{changes, POLLIN, 0}, {exited ? -1 : exitFd, POLLIN, 0}};
            const int waitMs =
                static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1;
            if (::poll(fds, 2, exitFd < 0 ? std::min(waitMs, 1) : waitMs) > 0 && (fds[0].revents & POLLIN)) {
                char buffer[4096];
                while (::read(changes, buffer, sizeof buffer) > 0) {}
            }
        }
        if (exitFd >= 0) ::close(exitFd);
        if (!exited) ::waitpid(pid, &status, 0);
        if (!exited || !changed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            ++failures;
            std::fprintf(stderr, "run %d: %s\n", i, !changed ? "no change within 5 s" : "the forwarder failed");
        } else {
            exits.push_back(ms(*exited - start));
            changeTimes.push_back(ms(*changed - start));
        }
        settle(machine);
    }
    if (exits.empty()) return 1;
    report("forwarding start to exit:", exits);
    report("forwarding start to first change:", changeTimes);
    return failures ? 1 : 0;
}
