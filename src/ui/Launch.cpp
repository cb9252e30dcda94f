// The Orvane executable. A start with a command passes it on to the running instance and
// ends without loading any library of the program; every other start loads the runtime
// library, which claims the instance and puts the first tint on the displays, and only
// then the program library with the toolkit, and enters it in this process, so the
// process, its id and its path stay the program's.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <dlfcn.h>

#include "app/Commands.h"
#include "platform/linux/DBusNotifications.h"

namespace {

// A library of the program, at its place relative to this executable.
std::filesystem::path besideProgram(const char* relative) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : self.parent_path()) / relative;
}

void* entryOf(const std::filesystem::path& library, int flags, const char* name) {
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | flags);
    if (!handle) {
        std::fprintf(stderr, "Orvane: cannot load the program: %s\n", ::dlerror());
        return nullptr;
    }
    void* entry = ::dlsym(handle, name);
    if (!entry) std::fprintf(stderr, "Orvane: %s has no entry: %s\n", library.c_str(), ::dlerror());
    return entry;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    // The self-test option comes first, as the program's own start-up decides.
    if (std::find(arguments.begin(), arguments.end(), "--selftest") == arguments.end()) {
        if (const auto command = orvane::Commands::parse(arguments)) {
            const auto center = orvane::platform::linuxsys::openSessionBusNotifications(nullptr);
            return orvane::Commands::forward(*command, center.get()) ? 0 : 1;
        }
    }

    // Global, so the program library binds to this very copy and takes over its objects.
    using Launch = int (*)(int, char**, void**);
    const auto runtime = besideProgram(ORVANE_RUNTIME_LIBRARY);
    const auto launch = reinterpret_cast<Launch>(entryOf(runtime, RTLD_GLOBAL, "orvaneLaunchBeforeToolkit"));
    if (!launch) return 1;
    void* prepared = nullptr;
    if (const int status = launch(argc, argv, &prepared); status >= 0) return status;

    using Entry = int (*)(int, char**, void*);
    const auto entry =
        reinterpret_cast<Entry>(entryOf(besideProgram(ORVANE_PROGRAM_LIBRARY), RTLD_LOCAL, "orvaneProgramMain"));
    if (!entry) {
        // The first tint is on: nothing would ever take it off again.
        using Abandon = void (*)(void*);
        if (const auto abandon = reinterpret_cast<Abandon>(entryOf(runtime, RTLD_GLOBAL, "orvaneAbandonLaunch")))
            abandon(prepared);
        return 1;
    }
    return entry(argc, argv, prepared);
}
