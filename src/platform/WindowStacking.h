#pragma once
// Window levels where the window system has none (X11 stacks top-level windows by their
// last raise): after a window is raised, every shown window of a higher level is raised
// again, lowest level first, so a tint panel stays above the self-test's patch row
// whichever was made or raised last.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::platform {

struct StackedWindow {
    int level = 0;
    std::uint64_t raisedAt = 0;  // later raises lie above earlier ones within a level
    bool visible = false;
};

// The indices of the windows to raise, in order, after `raised` was raised.
std::vector<std::size_t> windowsToRaiseAbove(const std::vector<StackedWindow>& windows, std::size_t raised);

}  // namespace orvane::platform
