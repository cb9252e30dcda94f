// The watchdog against a real X server: a private Xvfb started by the test.
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "RequiredTool.h"
#include "glowkeeper/WatchdogProcess.h"

namespace glowkeeper_test {
namespace {

constexpr int displayFd = 50;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        if (::access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// An Xvfb of our own: it picks a free display number and reports it on a pipe.
class Xvfb {
public:
    Xvfb() {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], displayFd);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> arguments{
            "Xvfb", "-displayfd", std::to_string(displayFd), "-nolisten", "tcp", "-screen", "0", "640x480x24"};
        auto argv = pointers(arguments);
        const bool started = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (started) readDisplay(pipeFds[0]);
        else pid_ = -1;
        ::close(pipeFds[0]);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    ~Xvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    void readDisplay(int fd) {
        const auto deadline = Clock::now() + 20s;
        std::string number;
        while (Clock::now() < deadline) {
            pollfd watch{fd, POLLIN, 0};
            if (::poll(&watch, 1, 100) <= 0) continue;
            char c;
            if (::read(fd, &c, 1) != 1) return;
            if (c == '\n') {
                if (!number.empty()) display_ = ":" + number;
                return;
            }
            number += c;
        }
    }

    pid_t pid_ = -1;
    std::string display_;
};

struct Ramp {
    std::vector<unsigned short> red, green, blue;
};

class X11Reset : public WatchdogTest {
protected:
    void SetUp() override {
        WatchdogTest::SetUp();
        ORVANE_REQUIRE_TOOL(onPath("Xvfb") ? "" : "no Xvfb on PATH to run the X11 reset against");
        server_ = std::make_unique<Xvfb>();
        ASSERT_FALSE(server_->display().empty()) << "Xvfb did not report a display";
        x_ = XOpenDisplay(server_->display().c_str());
        ASSERT_NE(x_, nullptr);
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x_, XDefaultRootWindow(x_));
        ASSERT_NE(resources, nullptr);
        for (int i = 0; i < resources->noutput && crtc_ == None; ++i) {
            XRROutputInfo* info = XRRGetOutputInfo(x_, resources, resources->outputs[i]);
            if (info && info->crtc != None) {
                output_ = resources->outputs[i];
                crtc_ = info->crtc;
            }
            if (info) XRRFreeOutputInfo(info);
        }
        XRRFreeScreenResources(resources);
        ASSERT_NE(crtc_, None) << "Xvfb has no output driven by a CRTC";
        size_ = XRRGetCrtcGammaSize(x_, crtc_);
        ASSERT_GT(size_, 1);
        ctm_ = XInternAtom(x_, "CTM", False);
    }
    void TearDown() override {
        if (x_) XCloseDisplay(x_);
        WatchdogTest::TearDown();
    }

    void setRamp(const Ramp& ramp) {
        XRRCrtcGamma* gamma = XRRAllocGamma(size_);
        for (int i = 0; i < size_; ++i) {
            gamma->red[i] = ramp.red[static_cast<std::size_t>(i)];
            gamma->green[i] = ramp.green[static_cast<std::size_t>(i)];
            gamma->blue[i] = ramp.blue[static_cast<std::size_t>(i)];
        }
        XRRSetCrtcGamma(x_, crtc_, gamma);
        XRRFreeGamma(gamma);
        XSync(x_, False);
    }
    Ramp ramp() {
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(x_, crtc_);
        Ramp result;
        for (int i = 0; gamma && i < gamma->size; ++i) {
            result.red.push_back(gamma->red[i]);
            result.green.push_back(gamma->green[i]);
            result.blue.push_back(gamma->blue[i]);
        }
        if (gamma) XRRFreeGamma(gamma);
        return result;
    }
    Ramp warmRamp() const {
        Ramp result;
        for (int i = 0; i < size_; ++i) {
            const long level = static_cast<long>(i) * 65535 / (size_ - 1);
            result.red.push_back(static_cast<unsigned short>(level));
            result.green.push_back(static_cast<unsigned short>(level * 2 / 3));
            result.blue.push_back(static_cast<unsigned short>(level / 4));
        }
        return result;
    }

    // A driver's colour transform matrix: nine S31.32 values as low and high words.
    void setCtm(const std::vector<long>& items) {
        XRRChangeOutputProperty(x_, output_, ctm_, XA_INTEGER, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(items.data()), static_cast<int>(items.size()));
        XSync(x_, False);
    }
    std::vector<long> ctm() {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<long> result;
        if (XRRGetOutputProperty(x_, output_, ctm_, 0, 64, False, False, AnyPropertyType, &type, &format, &items,
                                 &after, &data) == Success &&
            format == 32) {
            const long* values = reinterpret_cast<const long*>(data);
            result.assign(values, values + items);
        }
        if (data) XFree(data);
        return result;
    }

    std::unique_ptr<Xvfb> server_;
    Display* x_ = nullptr;
    RROutput output_ = None;
    RRCrtc crtc_ = None;
    Atom ctm_ = None;
    int size_ = 0;
};

TEST_F(X11Reset, RestoresIdentityGammaAndColourMatrixOnEveryOutput) {
    const std::vector<long> identity = {0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1};
    // Fractions on the diagonal and a little red from green (low words; high words 0).
    const std::vector<long> warm = {0x60000000L, 0, 0x20000000L, 0, 0, 0, 0, 0,           0x40000000L,
                                    0,           0, 0,           0, 0, 0, 0, 0x10000000L, 0};

    // Where the program stands unset, and where it names X11 outright.
    for (const char* platform : {static_cast<const char*>(nullptr), "linux"}) {
        SCOPED_TRACE(platform ? platform : "(unset)");
        setRamp(warmRamp());
        setCtm(warm);
        const Ramp before = ramp();
        ORVANE_REQUIRE_TOOL(before.red == warmRamp().red ? "" : "this Xvfb does not keep gamma ramps");
        ASSERT_EQ(ctm(), warm);

        // A tinted simulated machine beside it must be left alone: X11 is the platform.
        const std::filesystem::path sim = simDir();
        const std::string simState = "{\"displays\": [{\"id\": 1, \"matrix\": [0,0,0,0,0,0,0,0,0]}]}";
        std::ofstream(sim / "machine.json") << simState;

        const pid_t gone = deadPid();
        std::map<std::string, std::optional<std::string>> changes{{"DISPLAY", server_->display()}};
        changes["ORVANE_PLATFORM"] = platform ? std::optional<std::string>(platform) : std::nullopt;
        Watchdog watchdog({std::to_string(gone)}, environmentWith(changes));
        const auto finished = watchdog.finish(10s);
        EXPECT_TRUE(exitedWith(finished, 0));
        EXPECT_EQ(finished.output, resultLine(gone, 1));

        const Ramp after = ramp();
        ASSERT_EQ(after.red.size(), static_cast<std::size_t>(size_));
        for (int i = 0; i < size_; ++i) {
            const double expected = std::round(i * 65535.0 / (size_ - 1));
            const auto at = static_cast<std::size_t>(i);
            ASSERT_NEAR(after.red[at], expected, 1.0) << "red at " << i;
            ASSERT_NEAR(after.green[at], expected, 1.0) << "green at " << i;
            ASSERT_NEAR(after.blue[at], expected, 1.0) << "blue at " << i;
        }
        EXPECT_EQ(ctm(), identity);

        std::ifstream in(sim / "machine.json");
        std::string kept;
        std::getline(in, kept, '\0');
        EXPECT_EQ(kept, simState);
    }
}

}  // namespace
}  // namespace glowkeeper_test
