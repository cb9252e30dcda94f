// The Orvane executable. A start with a command passes it on to the running instance and
// ends without loading the toolkit; every other start loads the program library and
// enters it in this process, so the process, its id and its path stay the program's.
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

// The program library, at its place relative to this executable.
std::filesystem::path programLibrary() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : self.parent_path()) / ORVANE_PROGRAM_LIBRARY;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    // The self-test option comes first, as the program's own start-up decides.
    if (std::find(arguments.begin(), arguments.end(), "--selftest") == arguments.end()) {
        if (const auto command = orvane::Commands::parse(arguments)) {
            const auto center = orvane::platform::linuxsys::openSessionBusNotifications(nullptr);
            orvane::Commands::forward(*command, center.get());
            return 0;
        }
    }

    const auto library = programLibrary();
    void* program = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!program) {
        std::fprintf(stderr, "Orvane: cannot load the program: %s\n", ::dlerror());
        return 1;
    }
    using Entry = int (*)(int, char**);
    const auto entry = reinterpret_cast<Entry>(::dlsym(program, "orvaneProgramMain"));
    if (!entry) {
        std::fprintf(stderr, "Orvane: %s has no entry: %s\n", library.c_str(), ::dlerror());
        return 1;
    }
    return entry(argc, argv);
}
