#pragma once
// Questions the program asks of the X server before it has windows of its own: whether a
// display opens at all (and if not, why), and whether a compositing manager runs (without
// one a translucent overlay shows as an opaque black window). Declared without X types.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

// A connection opened to decide between the X11 and the offscreen toolkit, kept open until
// the toolkit and the display services have connected too: a server whose last client
// leaves resets itself and refuses connections for a moment, and the probe would otherwise
// be that last client just before the toolkit connects.
class X11Hold {
public:
    X11Hold() = default;
    bool opened() const { return connection_ != nullptr; }
    // The display asked for ($DISPLAY when none was named); empty when there was none.
    const std::string& displayName() const { return displayName_; }
    // Why it did not open ("no X server is listening", ...); empty when it opened or no
    // display was named.
    const std::string& failure() const { return failure_; }
    void release() { connection_.reset(); }

private:
    friend X11Hold holdX11Display(const std::optional<std::string>& displayName);
    std::shared_ptr<void> connection_;
    std::string displayName_;
    std::string failure_;
};

// `displayName` absent: $DISPLAY; with neither, nothing is opened.
X11Hold holdX11Display(const std::optional<std::string>& displayName = std::nullopt);
bool x11DisplayOpens(const std::optional<std::string>& displayName = std::nullopt);
// Whether some client owns the selection _NET_WM_CM_S<n> of the display's default screen;
// false when the display does not open. Asked on a connection of its own, opened for the
// one question: the running program asks its CompositorWatch instead.
bool compositingManagerRunning(const std::optional<std::string>& displayName = std::nullopt);

// Whether a compositing manager runs, kept on one connection for as long as the watch
// lives: the server announces every change of the _NET_WM_CM_S<n> selection's owner
// (XFixes), so a question sends no request. A server without XFixes is asked the owner on
// that same connection.
class CompositorWatch {
public:
    // Null when the display does not open.
    static std::shared_ptr<CompositorWatch> open(const std::optional<std::string>& displayName = std::nullopt);
    ~CompositorWatch();
    CompositorWatch(const CompositorWatch&) = delete;
    CompositorWatch& operator=(const CompositorWatch&) = delete;

    // Reads only what has arrived; until listen() that takes a read of the socket, no more.
    bool running();
    // From now on `scheduler`'s loop reads the connection: a question costs nothing and
    // the observers hear of a compositor that comes or goes. Held weakly; once.
    void listen(const std::shared_ptr<Scheduler>& scheduler);
    // `changed` runs on the listening loop after the answer changed; nothing calls it
    // before listen().
    Handle observe(std::function<void()> changed);
    // The requests sent on the watch's connection so far.
    std::uint64_t requestsSent();

    struct State;

private:
    explicit CompositorWatch(std::shared_ptr<State> state);
    std::shared_ptr<State> state_;
};

// The program's watch of its own display ($DISPLAY), opened at the first question and
// kept for the run; null while no X display opens (asked again next time).
std::shared_ptr<CompositorWatch> sessionCompositorWatch();

}  // namespace orvane::platform::linuxsys
