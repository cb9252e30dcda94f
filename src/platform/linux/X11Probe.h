#pragma once
// Questions the program asks of the X server before it has windows of its own: whether a
// display opens at all (and if not, why), and whether a compositing manager runs (without
// one a translucent overlay shows as an opaque black window). Declared without X types.
#include <memory>
#include <optional>
#include <string>

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
// false when the display does not open.
bool compositingManagerRunning(const std::optional<std::string>& displayName = std::nullopt);

}  // namespace orvane::platform::linuxsys
