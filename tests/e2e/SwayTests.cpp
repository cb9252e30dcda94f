// The whole program under a real wlroots compositor: sway, started headless. Its outputs
// have no gamma, so the program must start, show its windows (through the X server that
// stands in for XWayland, or on the compositor itself where there is none), say on every
// display that it is not tinted and why, claim no method, and leave that X server's ramps
// alone.
#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <fstream>
#include <functional>

#include <nlohmann/json.hpp>

#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeStatusNotifierWatcher.h"
#include "MappedWindows.h"
#include "Onboarded.h"
#include "ProgramProcess.h"
#include "SessionBus.h"
#include "XvfbServer.h"

namespace orvane::e2e {
namespace {

namespace fs = std::filesystem;

// sway refuses to run as root: there it runs as "nobody", in a runtime directory of its own.
constexpr uid_t unprivileged = 65534;

std::string missingSway() {
    if (::access("/usr/bin/sway", X_OK) != 0) return "sway is not installed";
    if (::getuid() == 0 && ::access("/usr/bin/setpriv", X_OK) != 0) return "setpriv is not installed";
    return "";
}

class HeadlessSway {
public:
    // `xwayland`: sway starts its XWayland at once.
    explicit HeadlessSway(bool xwayland = false) {
        std::filesystem::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
        {
            std::ofstream config(runtime_ / "config");
            config << (xwayland ? "xwayland force\n" : "xwayland disable\n");
        }
        std::vector<std::string> arguments{"-c", (runtime_ / "config").string()};
        std::string program = "/usr/bin/sway";
        if (::getuid() == 0) {
            (void)::chown(runtime_.c_str(), unprivileged, unprivileged);
            (void)::chown((runtime_ / "config").c_str(), unprivileged, unprivileged);
            arguments.insert(arguments.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/sway"});
            program = "/usr/bin/setpriv";
        }
        session_.environment = {{"XDG_RUNTIME_DIR", runtime_.string()},
                                {"HOME", runtime_.string()},
                                {"WLR_BACKENDS", "headless"},
                                {"WLR_RENDERER", "pixman"},
                                {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                {"WAYLAND_DISPLAY", std::nullopt},
                                {"DISPLAY", std::nullopt},
                                {"DBUS_SESSION_BUS_ADDRESS", std::nullopt}};
        process_ = std::make_unique<ProgramProcess>(session_, arguments, program);
        // Ready once its socket is there.
        process_->waitFor([&] { return !socket().empty(); }, 15s);
    }
    ~HeadlessSway() {
        process_->signal(SIGTERM);
        if (!process_->waitForExit(5s)) process_->signal(SIGKILL);
        (void)process_->waitForExit(5s);
        std::error_code ec;
        fs::remove_all(runtime_, ec);
    }
    HeadlessSway(const HeadlessSway&) = delete;
    HeadlessSway& operator=(const HeadlessSway&) = delete;

    // The compositor's socket, by its full path; empty until there is one.
    std::string socket() const {
        std::error_code ec;
        for (fs::directory_iterator it(runtime_, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos && it->is_socket(ec))
                return it->path().string();
        }
        return "";
    }
    std::string log() { return process_->errors() + process_->output(); }

    // The compositor's window tree as its IPC tells it (JSON); empty when it cannot be asked.
    std::string tree() const { return ask("-t get_tree"); }
    // Runs a sway command ("workspace 2").
    bool command(const std::string& words) const { return !ask("'" + words + "'").empty(); }
    // The X display of sway's XWayland, as sway gives it to the programs it starts; empty
    // when there is none.
    std::string xDisplay() {
        const auto file = runtime_ / "display";
        std::string display;
        // Asked again until sway's XWayland is ready and sway has set DISPLAY.
        process_->waitFor(
            [&] {
                (void)command("exec printenv DISPLAY > " + file.string());
                process_->waitFor([] { return false; }, 100ms);
                std::ifstream in(file);
                return static_cast<bool>(std::getline(in, display)) && !display.empty();
            },
            10s);
        return display;
    }
    // sway's XWayland lets in only sway's own user: when the tests run as root, a child as
    // that user adds root to the server's access list, as `xhost +si:localuser:root` would.
    static bool admitRoot(const std::string& display) {
        if (::getuid() != 0) return true;
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(unprivileged, unprivileged, unprivileged) != 0 ||
                ::setresuid(unprivileged, unprivileged, unprivileged) != 0)
                ::_exit(1);
            Display* dpy = XOpenDisplay(display.c_str());
            if (!dpy) ::_exit(2);
            char family[] = "localuser\0root";
            XServerInterpretedAddress address{};
            address.type = family;
            address.typelength = 9;
            address.value = family + 10;
            address.valuelength = 4;
            XHostAddress host{FamilyServerInterpreted, sizeof address, reinterpret_cast<char*>(&address)};
            XAddHost(dpy, &host);
            XSync(dpy, False);
            XCloseDisplay(dpy);
            ::_exit(0);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    // The IPC socket ($SWAYSOCK for its clients); empty until there is one.
    std::string ipcSocket() const {
        std::error_code ec;
        for (fs::directory_iterator it(runtime_, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().filename().string().rfind("sway-ipc.", 0) == 0) return it->path().string();
        return "";
    }
    // The rectangle of the window of this title, of the output it is on, its kind
    // ("xdg_shell" or "xwayland"), whether it floats (else sway tiles it) and its border
    // ("normal" with sway's title bar).
    struct Placed {
        nlohmann::json window, output;
        std::string shell;
        bool floating = false;
        std::string border;
    };
    std::optional<Placed> placed(const std::string& title) const {
        const auto root = nlohmann::json::parse(tree(), nullptr, false);
        std::optional<Placed> found;
        const std::function<void(const nlohmann::json&, const nlohmann::json&, bool)> walk =
            [&](const auto& node, const auto& output, bool floating) {
                const auto& here = node.value("type", std::string()) == "output" ? node["rect"] : output;
                if (node.value("name", std::string()) == title && node.contains("pid"))
                    found = Placed{node["rect"], here, node.value("shell", std::string()), floating,
                                   node.value("border", std::string())};
                for (const char* children : {"nodes", "floating_nodes"})
                    if (node.contains(children))
                        for (const auto& child : node[children])
                            walk(child, here, floating || std::string(children) == "floating_nodes");
            };
        if (!root.is_discarded()) walk(root, nlohmann::json(), false);
        return found;
    }
    // The first real output's rectangle (not sway's scratchpad); null before there is one.
    nlohmann::json outputRect() const {
        const auto root = nlohmann::json::parse(tree(), nullptr, false);
        if (root.is_discarded() || !root.contains("nodes")) return nullptr;
        for (const auto& node : root["nodes"])
            if (node.value("type", std::string()) == "output" && node.value("name", std::string()) != "__i3")
                return node["rect"];
        return nullptr;
    }
    // Whether a window of this title is in the tree (mapped, on some workspace).
    bool hasWindow(const std::string& title) const {
        return tree().find("\"name\": \"" + title + "\"") != std::string::npos;
    }

private:
    std::string ask(const std::string& arguments) const {
        const std::string ipc = ipcSocket();
        if (ipc.empty()) return "";
        std::string out;
        FILE* pipe = ::popen(("swaymsg -r -s '" + ipc + "' " + arguments + " 2>/dev/null").c_str(), "r");
        if (!pipe) return "";
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        return ::pclose(pipe) == 0 ? out : "";
    }

    // Straight under /tmp: "nobody" could not reach into the test's own (private) directory.
    static fs::path makeRuntime() {
        char name[] = "/tmp/orvane-sway-XXXXXX";
        return ::mkdtemp(name) ? fs::path(name) : testing::freshDirectory("sway-runtime");
    }

    fs::path runtime_ = makeRuntime();
    Session session_;
    std::unique_ptr<ProgramProcess> process_;
};

std::vector<std::vector<unsigned short>> crtcRamps(Display* dpy) {
    std::vector<std::vector<unsigned short>> ramps;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    for (int i = 0; res && i < res->ncrtc; ++i) {
        XRRCrtcGamma* g = XRRGetCrtcGamma(dpy, res->crtcs[i]);
        if (!g) continue;
        std::vector<unsigned short> r(g->red, g->red + g->size);
        r.insert(r.end(), g->green, g->green + g->size);
        r.insert(r.end(), g->blue, g->blue + g->size);
        ramps.push_back(std::move(r));
        XRRFreeGamma(g);
    }
    if (res) XRRFreeScreenResources(res);
    return ramps;
}

TEST(SwayProgramTest, UnderHeadlessSwayEveryDisplayIsNotTintedWithItsReasonAndTheWindowsShow) {
    ORVANE_REQUIRE_TOOL(missingSway());
    testing::XvfbServer xwayland;
    ORVANE_REQUIRE_TOOL(xwayland.error());
    HeadlessSway sway;
    ASSERT_FALSE(sway.socket().empty()) << sway.log();

    // A held connection keeps the X server from resetting its ramps; a mark shows any write.
    Display* dpy = XOpenDisplay(xwayland.display().c_str());
    ASSERT_TRUE(dpy);
    const auto before = crtcRamps(dpy);

    Session session;
    session.environment["ORVANE_PLATFORM"] = std::nullopt;
    session.environment["WAYLAND_DISPLAY"] = sway.socket();
    session.environment["XDG_SESSION_TYPE"] = "wayland";
    session.environment["DISPLAY"] = xwayland.display();
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors() << sway.log();
    const std::string log = program.errors();
    EXPECT_NE(log.find("platform: linux (Wayland display "), std::string::npos) << log;
    // sway lists its windows for clients: the application in front is known.
    EXPECT_NE(log.find("workspace: Wayland front application from the window list"), std::string::npos) << log;
    EXPECT_NE(log.find("HEADLESS-1 [external] → Not tinted: the compositor refused this display's gamma"),
              std::string::npos)
        << log;
    for (const char* claim : {"→ Gamma table", "→ Overlay tint", "→ Color matrix", "→ Night Shift"})
        EXPECT_EQ(log.find(claim), std::string::npos) << claim << " claimed in " << log;
    // The interface is there: a first start opens the welcome window.
    EXPECT_TRUE(program.waitFor([&] { return mappedWindow(dpy, "Welcome to Orvane").has_value(); }, 15s))
        << program.errors();
    EXPECT_EQ(crtcRamps(dpy), before) << "a ramp of the X server was written";

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_EQ(crtcRamps(dpy), before);
    XCloseDisplay(dpy);
}

// The program's session under sway: on the compositor itself, or through sway's own
// XWayland (which must let the tests' user in).
void enterSway(Session& session, HeadlessSway& sway, bool xwayland) {
    session.environment["ORVANE_PLATFORM"] = std::nullopt;
    session.environment["WAYLAND_DISPLAY"] = sway.socket();
    session.environment["XDG_SESSION_TYPE"] = "wayland";
    session.environment["SWAYSOCK"] = sway.ipcSocket();
    if (xwayland) {
        session.environment["DISPLAY"] = sway.xDisplay();
        ASSERT_FALSE(session.environment["DISPLAY"]->empty()) << sway.log();
        ASSERT_TRUE(HeadlessSway::admitRoot(*session.environment["DISPLAY"]));
    }
}

std::string missingXwayland(bool xwayland) {
    return xwayland && ::access("/usr/bin/Xwayland", X_OK) != 0 ? "Xwayland is not installed" : "";
}

// Clicks the tray item as a panel would: `method` is "Activate" or "ContextMenu". Empty on
// success, else the bus's error.
std::string clickTrayItem(const std::string& busAddress, const std::string& service, const char* method) {
    sd_bus* client = nullptr;
    sd_bus_new(&client);
    sd_bus_set_address(client, busAddress.c_str());
    sd_bus_set_bus_client(client, 1);
    if (const int r = sd_bus_start(client); r < 0) {
        sd_bus_flush_close_unref(client);
        return "cannot reach the bus: " + std::to_string(r);
    }
    sd_bus_error error{};
    const int r = sd_bus_call_method(client, service.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                     method, &error, nullptr, "ii", 100, 10);
    std::string failure = r >= 0 ? "" : error.message ? error.message : std::to_string(r);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(client);
    return failure;
}

// The windows on the compositor itself, or through sway's own XWayland: the welcome
// window, then the popover from the tray item's Activate, under the pointer at the top
// right corner (where a bar's tray is) and inside the screen, which closes once the
// program loses the focus.
class SwayWindowsTest : public ::testing::TestWithParam<bool> {};

TEST_P(SwayWindowsTest, ThePopoverOpensAtThePointerAndClosesOnFocusLoss) {
    ORVANE_REQUIRE_TOOL(missingSway());
    const bool xwayland = GetParam();
    ORVANE_REQUIRE_TOOL(missingXwayland(xwayland));
    HeadlessSway sway(xwayland);
    ASSERT_FALSE(sway.socket().empty()) << sway.log();
    Session session;
    testing::SessionBus bus(session.root);
    ORVANE_REQUIRE_TOOL(bus.error());
    testing::FakeStatusNotifierWatcher watcher(bus.address());
    ASSERT_TRUE(watcher.ready());

    session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus.address();
    enterSway(session, sway, xwayland);
    if (HasFatalFailure()) return;
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors() << sway.log();
    EXPECT_EQ(program.errors().find(", XWayland ") != std::string::npos, xwayland) << program.errors();
    EXPECT_TRUE(program.waitFor([&] { return sway.hasWindow("Welcome to Orvane"); }, 15s))
        << program.errors() << sway.tree();
    ASSERT_TRUE(program.waitFor([&] { return !watcher.item().empty(); }, 10s)) << program.errors();

    const auto output = sway.placed("Welcome to Orvane");
    ASSERT_TRUE(output) << sway.tree();
    const int right = output->output["x"].get<int>() + output->output["width"].get<int>();
    const int top = output->output["y"].get<int>();
    ASSERT_TRUE(sway.command("seat seat0 cursor set " + std::to_string(right - 20) + " " + std::to_string(top + 5)));

    EXPECT_EQ(clickTrayItem(bus.address(), watcher.service(), "Activate"), "");
    EXPECT_TRUE(program.waitFor([&] { return sway.hasWindow("Orvane"); }, 10s)) << program.errors() << sway.tree();
    EXPECT_EQ(sway.placed("Orvane").value_or(HeadlessSway::Placed{}).shell, xwayland ? "xwayland" : "xdg_shell");
    // 8 inside the top right corner: the popover's rule, not sway's centring.
    EXPECT_TRUE(program.waitFor(
        [&] {
            const auto popover = sway.placed("Orvane");
            return popover && popover->window["y"].get<int>() == top + 8 &&
                   popover->window["x"].get<int>() + popover->window["width"].get<int>() == right - 8;
        },
        5s))
        << sway.tree();

    // An empty workspace takes the focus from every window of the program.
    ASSERT_TRUE(sway.command("workspace orvane-elsewhere"));
    EXPECT_TRUE(program.waitFor([&] { return !sway.hasWindow("Orvane"); }, 10s)) << sway.tree();
    EXPECT_TRUE(sway.hasWindow("Welcome to Orvane")) << "only the popover closes";

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

// The tray menu on the compositor itself: with no window of the program to pop up from it
// is a window of its own, which sway floats at the menu's size (not tiled across the
// screen) and which the popover's rule places below the icon at the pointer.
TEST(SwayProgramTest, OnWaylandTheTrayMenuFloatsAtItsOwnSizeBelowTheIcon) {
    ORVANE_REQUIRE_TOOL(missingSway());
    HeadlessSway sway;
    ASSERT_FALSE(sway.socket().empty()) << sway.log();
    Session session;
    testing::SessionBus bus(session.root);
    ORVANE_REQUIRE_TOOL(bus.error());
    testing::FakeStatusNotifierWatcher watcher(bus.address());
    ASSERT_TRUE(watcher.ready());
    session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus.address();
    enterSway(session, sway, false);
    if (HasFatalFailure()) return;
    // No welcome window: the menu has no window of the program to pop up from.
    storeOnboarded(session.config);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors() << sway.log();
    ASSERT_TRUE(program.waitFor([&] { return !watcher.item().empty(); }, 10s)) << program.errors();
    const nlohmann::json output = sway.outputRect();
    ASSERT_TRUE(output.is_object()) << sway.tree();
    const int right = output["x"].get<int>() + output["width"].get<int>();
    const int top = output["y"].get<int>();
    ASSERT_TRUE(sway.command("seat seat0 cursor set " + std::to_string(right - 20) + " " + std::to_string(top + 5)));

    EXPECT_EQ(clickTrayItem(bus.address(), watcher.service(), "ContextMenu"), "");
    ASSERT_TRUE(program.waitFor([&] { return sway.hasWindow("Orvane Menu"); }, 10s)) << program.errors() << sway.tree();
    const auto menu = sway.placed("Orvane Menu");
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->floating) << "tiled: " << menu->window.dump();
    EXPECT_NE(menu->border, "normal") << "no title bar over a menu";
    EXPECT_LT(menu->window["width"].get<int>(), output["width"].get<int>() / 2) << menu->window.dump();
    EXPECT_LT(menu->window["height"].get<int>(), output["height"].get<int>() / 2) << menu->window.dump();
    EXPECT_TRUE(program.waitFor(
        [&] {
            const auto placed = sway.placed("Orvane Menu");
            return placed && placed->window["y"].get<int>() == top + 8 &&
                   placed->window["x"].get<int>() + placed->window["width"].get<int>() == right - 8;
        },
        5s))
        << sway.tree();

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

// The welcome window at a first start, then the settings window that a second start asks
// the running program for: each a window of sway's tree (of the shell the session runs
// the interface on); closed the way sway closes a window, the settings window goes and
// the program keeps running.
TEST_P(SwayWindowsTest, TheWelcomeAndSettingsWindowsAreSwayWindowsAndTheSettingsWindowCloses) {
    ORVANE_REQUIRE_TOOL(missingSway());
    const bool xwayland = GetParam();
    ORVANE_REQUIRE_TOOL(missingXwayland(xwayland));
    HeadlessSway sway(xwayland);
    ASSERT_FALSE(sway.socket().empty()) << sway.log();
    Session session;
    enterSway(session, sway, xwayland);
    if (HasFatalFailure()) return;
    const std::string shell = xwayland ? "xwayland" : "xdg_shell";

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors() << sway.log();
    EXPECT_TRUE(program.waitFor([&] { return sway.hasWindow("Welcome to Orvane"); }, 15s))
        << program.errors() << sway.tree();
    EXPECT_EQ(sway.placed("Welcome to Orvane").value_or(HeadlessSway::Placed{}).shell, shell);
    EXPECT_FALSE(sway.hasWindow("Orvane Settings")) << "no settings window at a plain start";

    ProgramProcess again(session, {});
    EXPECT_TRUE(again.waitForExit().has_value()) << "a later start hands over and ends";
    ASSERT_TRUE(program.waitFor([&] { return sway.hasWindow("Orvane Settings"); }, 15s))
        << program.errors() << sway.tree();
    const auto settings = sway.placed("Orvane Settings");
    ASSERT_TRUE(settings) << sway.tree();
    EXPECT_EQ(settings->shell, shell);
    EXPECT_GT(settings->window["width"].get<int>(), 0);

    ASSERT_TRUE(sway.command("[title=\"^Orvane Settings$\"] kill"));
    EXPECT_TRUE(program.waitFor([&] { return !sway.hasWindow("Orvane Settings"); }, 10s)) << sway.tree();
    EXPECT_TRUE(program.running()) << "closing the settings window is no quit";
    EXPECT_TRUE(sway.hasWindow("Welcome to Orvane"));

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

INSTANTIATE_TEST_SUITE_P(Interface, SwayWindowsTest, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "ThroughXWayland" : "OnWayland"; });

}  // namespace
}  // namespace orvane::e2e
