#pragma once
// The private X server the xcb test program runs on, and what a test does to it as the
// user would: keys pressed through XTest on a connection of its own.
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <QCoreApplication>

#include "XvfbServer.h"

namespace orvane::testing {

// Null when the program runs offscreen.
extern XvfbServer* xcbServer;
// Why there is no server (empty when there is one), for ORVANE_REQUIRE_TOOL: in CI a
// missing or silent Xvfb fails these tests instead of skipping them.
extern std::string xcbServerMissing;

// Runs Qt's events for up to `seconds` or until `done` holds.
inline bool processUntil(const std::function<bool()>& done, double seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// Keysyms the tests type (X11's own names are macros that clash with the program's).
namespace keysym {
inline constexpr unsigned long n = 0x006e;
inline constexpr unsigned long returnKey = 0xff0d;
}  // namespace keysym

// Presses and releases the key of a keysym on the server, as typed by the user.
bool typeKey(const std::string& display, unsigned long keysym);

}  // namespace orvane::testing
