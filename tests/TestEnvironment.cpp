// Every test program runs on the simulated machine, with its own config, runtime and
// sim directories, so no test touches the user's files, displays or session bus.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class PrivateDirectories : public ::testing::Environment {
public:
    PrivateDirectories() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data())) root_ = made;
        const auto sub = [&](const char* name) {
            auto path = root_ / name;
            std::filesystem::create_directories(path);
            return path.string();
        };
        ::setenv("ORVANE_PLATFORM", "sim", 1);
        ::setenv("XDG_CONFIG_HOME", sub("config").c_str(), 1);
        // A runtime directory is the user's alone, as the session makes it.
        const std::string runtime = sub("runtime");
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("ORVANE_SIM_DIR", sub("sim").c_str(), 1);
        // Shown times in 24-hour "HH:mm" whatever the machine's locale; the other
        // categories keep theirs.
        if (const char* all = std::getenv("LC_ALL"); all && *all) {
            ::setenv("LANG", all, 1);
            ::unsetenv("LC_ALL");
        }
        ::setenv("LC_TIME", "C", 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        // A desktop's Wayland session would take the Linux platform away from the X server.
        ::unsetenv("XDG_SESSION_TYPE");
    }
    void TearDown() override {
        std::error_code ignored;
        if (!root_.empty() && std::getenv("ORVANE_KEEP_TEST_DIRS") == nullptr)
            std::filesystem::remove_all(root_, ignored);
    }

private:
    std::filesystem::path root_;
};

// Registered during static initialisation, before any test or fixture runs.
[[maybe_unused]] ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new PrivateDirectories);

}  // namespace
