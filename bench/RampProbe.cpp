// Start to first tint: starts a program (the rest of the command line) with the X display
// of $DISPLAY, reads the first CRTC's gamma ramp every 5 ms and prints the milliseconds from
// the exec to the first change of the ramp, then ends the program with SIGTERM. Prints
// "none" when nothing changed within 10 s.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "GammaRamps.h"

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: RampProbe program [arguments...]\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "RampProbe: cannot open the display\n");
        return 2;
    }
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    if (!res || res->ncrtc < 1) {
        std::fprintf(stderr, "RampProbe: no CRTC\n");
        return 2;
    }
    const RRCrtc crtc = res->crtcs[0];
    const auto before = readRamp(dpy, crtc);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "RampProbe: cannot start %s\n", argv[1]);
        return 2;
    }
    double elapsed = -1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        if (readRamp(dpy, crtc) != before) {
            elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    // Leave the ramp as found for the next start.
    writeRamp(dpy, crtc, before);
    XRRFreeScreenResources(res);
    XCloseDisplay(dpy);
    if (elapsed < 0) std::printf("none\n");
    else std::printf("%.1f\n", elapsed);
    return 0;
}
