// From the tray item's Activate to the popover's first painted frame. Plays a panel's
// StatusNotifierWatcher on the session bus, waits for Orvane's item, then per run calls
// Activate, reads the "popover painted: <ns>" line Orvane (ORVANE_POPOVER_TIMING=1) writes
// to its log, and closes the popover again. Prints the median and the maximum.
// Usage: orvane_popover_probe <Orvane's stderr log> [runs]   (bench/popover_timing.sh)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <systemd/sd-bus.h>

#include "FakeStatusNotifierWatcher.h"

namespace {

using Steady = std::chrono::steady_clock;

sd_bus* connect() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    sd_bus* bus = nullptr;
    if (!address || sd_bus_new(&bus) < 0) return nullptr;
    sd_bus_set_address(bus, address);
    sd_bus_set_bus_client(bus, 1);
    if (sd_bus_start(bus) < 0) return sd_bus_unref(bus);
    return bus;
}

// The painted stamps in the log, in order.
std::vector<long long> stamps(const std::string& log) {
    std::vector<long long> out;
    std::ifstream in(log);
    const std::string prefix = "popover painted: ";
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) out.push_back(std::atoll(line.c_str() + prefix.size()));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <Orvane's log> [runs]\n", argv[0]);
        return 2;
    }
    const std::string log = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    sd_bus* client = connect();
    if (!address || !client) {
        std::fprintf(stderr, "no session bus to serve the watcher on\n");
        return 1;
    }
    orvane::testing::FakeStatusNotifierWatcher watcher(address);
    if (!watcher.ready()) {
        std::fprintf(stderr, "cannot serve the watcher on the session bus\n");
        return 1;
    }
    std::puts("watching");
    std::fflush(stdout);
    const auto service = [&watcher] { return watcher.service(); };
    const auto activate = [&] {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int r = sd_bus_call_method(client, service().c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                         "Activate", &error, nullptr, "ii", 100, 10);
        sd_bus_error_free(&error);
        return r >= 0;
    };
    int status = 0;
    const auto deadline = Steady::now() + std::chrono::seconds(15);
    while (service().empty() && Steady::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<double> ms;
    if (service().empty()) {
        std::fprintf(stderr, "no item registered\n");
        status = 1;
    }
    // Let the start settle before the first run.
    if (status == 0) std::this_thread::sleep_for(std::chrono::seconds(3));
    for (int i = 0; status == 0 && i < runs; ++i) {
        const std::size_t seen = stamps(log).size();
        const long long start =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now().time_since_epoch()).count();
        if (!activate()) {
            std::fprintf(stderr, "Activate failed\n");
            status = 1;
            break;
        }
        std::vector<long long> now;
        const auto limit = Steady::now() + std::chrono::seconds(5);
        while ((now = stamps(log)).size() <= seen && Steady::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (now.size() <= seen) {
            std::fprintf(stderr, "no painted frame within 5 s\n");
            status = 1;
            break;
        }
        ms.push_back(static_cast<double>(now[seen] - start) / 1e6);
        std::printf("run %2d: %.1f ms\n", i + 1, ms.back());
        activate();  // closes it again
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    sd_bus_flush_close_unref(client);
    if (status != 0 || ms.empty()) return 1;
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    std::printf("Activate to first painted frame, %zu runs: median %.1f ms, max %.1f ms\n", ms.size(), median,
                ms.back());
    return 0;
}
