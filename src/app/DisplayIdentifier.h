#pragma once
// Labels one display for a moment: a click-through panel in the middle of the display with
// its name and whether it is built in, gone two seconds later. Each call shows a panel of
// its own, so two displays identified one after the other each show theirs.
#include <list>
#include <memory>

#include "app/Panels.h"
#include "engine/DisplayManager.h"
#include "platform/Scheduler.h"

namespace orvane::app {

class DisplayIdentifier {
public:
    static constexpr double width = 360;
    static constexpr double height = 140;
    static constexpr TimeInterval duration = 2.0;

    // Both must outlive the identifier.
    DisplayIdentifier(Panels& panels, platform::Scheduler& scheduler) : panels_(panels), scheduler_(scheduler) {}
    DisplayIdentifier(const DisplayIdentifier&) = delete;
    DisplayIdentifier& operator=(const DisplayIdentifier&) = delete;

    // Returns once the panel is on screen.
    void flash(const DisplayInfo& display);
    // Panels still on screen.
    std::size_t shownCount() const;

    // "Built-in display" or "External display".
    static const char* kindText(bool isBuiltIn);

private:
    struct Shown {
        std::unique_ptr<Panel> panel;
        platform::Handle timer;
    };
    Panels& panels_;
    platform::Scheduler& scheduler_;
    std::list<Shown> shown_;
};

}  // namespace orvane::app
