// Memory of a running Orvane under many warmth changes: sends `changes` set commands
// (kelvins that differ from one to the next, so each is a change) as the command signal
// on the session bus of the environment, and prints the program's resident set size at
// the start, after half of them and at the end. Before each reading it waits until the
// program has logged every command sent and its displays have been still for half a
// second, so the figures are of a program at rest. Every 100 commands it waits for the
// program to catch up, so the signals never pile up in the bus's queue. The first twentieth
// of the changes warms the program up (code paged in, allocator arenas); what it holds
// after that is printed as its growth.
//
//   orvane_warmth_soak <Orvane's pid> <Orvane's log file> [changes]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "SimDisplay.h"
#include "platform/Platform.h"
#include "platform/linux/DBusConnection.h"
#include "platform/sim/SimMachine.h"

namespace {

using Clock = std::chrono::steady_clock;
using orvane::platform::linuxsys::DBusConnection;
using orvane::platform::linuxsys::DBusError;

// VmRSS, and of it the anonymous memory (the heap) and the mapped files (code and data of
// the libraries, paged in as they are first used), in KiB.
struct Resident {
    long total = -1, anonymous = -1, files = -1;
};

Resident resident(long pid) {
    Resident r;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        const auto value = [&](std::size_t at) { return std::strtol(line.c_str() + at, nullptr, 10); };
        if (line.rfind("VmRSS:", 0) == 0) r.total = value(6);
        else if (line.rfind("RssAnon:", 0) == 0) r.anonymous = value(8);
        else if (line.rfind("RssFile:", 0) == 0) r.files = value(8);
    }
    return r;
}

// Counts the commands the program has logged, reading its log as it grows.
class LogTail {
public:
    explicit LogTail(const std::string& path) : in_(path) {}
    bool waitForCommands(int count, std::chrono::seconds limit = std::chrono::seconds(120)) {
        const auto deadline = Clock::now() + limit;
        while (seen_ < count) {
            std::string line;
            while (seen_ < count && std::getline(in_, line)) {
                if (in_.eof()) {  // a line still being written: read it whole next time
                    partial_ += line;
                    break;
                }
                if ((partial_ + line).find("command: set(") != std::string::npos) ++seen_;
                partial_.clear();
            }
            in_.clear();
            if (seen_ >= count) break;
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

private:
    std::ifstream in_;
    std::string partial_;
    int seen_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvane_warmth_soak <pid> <log file> [changes]\n");
        return 2;
    }
    const long pid = std::strtol(argv[1], nullptr, 10);
    LogTail log(argv[2]);
    const int changes = argc > 3 ? std::atoi(argv[3]) : 20000;
    // The first changes page in the code they run and warm the allocator up, once.
    const int warmUp = changes / 20;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    DBusError error;
    auto bus = address ? DBusConnection::connect(address, error) : nullptr;
    if (!bus) {
        std::fprintf(stderr, "no session bus: %s\n", error.message.c_str());
        return 1;
    }
    const orvane::platform::sim::SimMachine machine(orvane::platform::simDirectory());

    long warm = 0;
    auto reading = [&](const char* when, int sent) {
        orvane::bench::settle(machine, std::chrono::milliseconds(500));  // the last fade ended
        const Resident r = resident(pid);
        if (sent == warmUp) warm = r.total;
        std::printf("%-8s %6d changes   RSS %7ld KiB   (anonymous %7ld KiB, files %7ld KiB)\n", when, sent, r.total,
                    r.anonymous, r.files);
        std::fflush(stdout);
    };
    reading("start", 0);
    const auto started = Clock::now();
    for (int i = 1; i <= changes; ++i) {
        // 2000 to 5900 K in steps of 100: never the kelvin of the change before.
        const std::string kelvin = std::to_string(2000 + (i % 40) * 100);
        auto failed = bus->emitSignal("/app/orvane", "app.orvane", "command", "a{sv}", 2, "cmd", "s", "set", "kelvin",
                                      "s", kelvin.c_str());
        if (!failed) failed = bus->processPending();
        if (failed) {
            std::fprintf(stderr, "cannot send: %s\n", failed->message.c_str());
            return 1;
        }
        if (i % 100 == 0 || i == warmUp || i == changes / 2 || i == changes) {
            if (!log.waitForCommands(i)) {
                std::fprintf(stderr, "Orvane did not carry out change %d\n", i);
                return 1;
            }
        }
        if (i == warmUp) reading("warm", i);
        if (i == changes / 2) reading("middle", i);
    }
    reading("end", changes);
    std::printf("growth after the first %d changes: %ld KiB\n", warmUp, resident(pid).total - warm);
    std::printf("%d changes in %.1f s\n", changes, std::chrono::duration<double>(Clock::now() - started).count());
    return 0;
}
