#pragma once
// A compositing manager (xcompmgr) on a test's private X server, and the screen's pixels as
// it composes them, for the tests that look at the corners of rounded windows.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "XvfbServer.h"

namespace orvane::e2e {

// xcompmgr on the display, with its options, while the object lives. Spawned, not forked:
// the test process may have threads by then, and a forked child may only exec.
class Compositor {
public:
    explicit Compositor(const std::string& display, const char* option = nullptr) {
        const auto binary = testing::findProgram("xcompmgr");
        if (!binary) return;
        std::vector<std::string> env{"DISPLAY=" + display};
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.emplace_back(*e);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string name = "xcompmgr";
        std::string extra = option ? option : "";
        char* argv[] = {name.data(), option ? extra.data() : nullptr, nullptr};
        if (::posix_spawn(&pid_, binary->c_str(), nullptr, nullptr, argv, envp.data()) != 0) pid_ = -1;
    }
    ~Compositor() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    bool started() const { return pid_ > 0; }
    // Waits (10 s at most) until it owns the display's compositing selection.
    bool running(Display* dpy) const {
        const Atom selection = XInternAtom(dpy, "_NET_WM_CM_S0", False);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (XGetSelectionOwner(dpy, selection) == None && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return XGetSelectionOwner(dpy, selection) != None;
    }

private:
    pid_t pid_ = -1;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool near(const Rgb& o) const { return std::abs(r - o.r) <= 6 && std::abs(g - o.g) <= 6 && std::abs(b - o.b) <= 6; }
};

// The screen's pixel at (x, y) of a 24-bit server; (-1, -1, -1) when it cannot be read.
inline Rgb rootPixel(Display* dpy, int x, int y) {
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff), static_cast<int>(p & 0xff)};
}

// Paints the bare desktop in one colour that no window of the program has.
inline void paintDesktop(Display* dpy, unsigned long rgb) {
    XSetWindowBackground(dpy, DefaultRootWindow(dpy), rgb);
    XClearWindow(dpy, DefaultRootWindow(dpy));
    XSync(dpy, False);
}

}  // namespace orvane::e2e
