#include "platform/WindowStacking.h"

#include <algorithm>

namespace orvane::platform {

std::vector<std::size_t> windowsToRaiseAbove(const std::vector<StackedWindow>& windows, std::size_t raised) {
    std::vector<std::size_t> above;
    if (raised >= windows.size()) return above;
    const int level = windows[raised].level;
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (i != raised && windows[i].visible && windows[i].level > level) above.push_back(i);
    std::sort(above.begin(), above.end(), [&](std::size_t a, std::size_t b) {
        return windows[a].level != windows[b].level ? windows[a].level < windows[b].level
                                                    : windows[a].raisedAt < windows[b].raisedAt;
    });
    return above;
}

}  // namespace orvane::platform
