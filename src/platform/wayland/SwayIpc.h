#pragma once
// sway's own IPC ($SWAYSOCK), for the one thing Wayland leaves to the compositor that a
// tray popover needs: where its window goes. sway can put a floating window at the
// pointer and at a position, which no Wayland protocol lets a program ask for.
#include <sys/types.h>
#include <optional>
#include <string>
#include <utility>

namespace orvane::platform::waylandsys {

struct SwayRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A floating window of this process as sway placed it, with the output it is on and the
// area of that output that bars leave free (its workspace).
struct SwayWindow {
    long id = 0;  // sway's container id
    SwayRect rect, output, workspace;
};

class SwayIpc {
public:
    // Null without $SWAYSOCK (or `socket`) or when sway does not answer.
    static std::optional<SwayIpc> connect(const std::optional<std::string>& socket = std::nullopt);
    SwayIpc(SwayIpc&& other) noexcept;
    SwayIpc& operator=(SwayIpc&&) = delete;
    SwayIpc(const SwayIpc&) = delete;
    ~SwayIpc();

    // Runs sway commands; true when every one succeeded.
    bool command(const std::string& commands);
    // The window tree as JSON; empty when sway did not answer.
    std::string tree();
    // The mapped window of process `pid` whose title is exactly `title`.
    std::optional<SwayWindow> window(pid_t pid, const std::string& title);
    // Centres that window on the pointer (sway keeps it on its output) and tells where it went.
    std::optional<SwayWindow> moveToPointer(pid_t pid, const std::string& title);
    bool moveTo(long id, int x, int y);

private:
    explicit SwayIpc(int fd) : fd_(fd) {}
    std::optional<std::string> request(unsigned type, const std::string& payload);
    int fd_ = -1;
};

// Where the pointer is, read from a window sway centred on it: the window's centre, or on an
// axis where sway pushed it against the output's edge, that edge (a bar's tray is there).
std::pair<int, int> pointerFromCentredWindow(const SwayWindow& window);

}  // namespace orvane::platform::waylandsys
