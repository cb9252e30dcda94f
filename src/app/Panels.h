#pragma once
// Small floating panels (the brightness and rest-break overlays, the display identifier) behind a port, so the
// controllers stay free of a toolkit: the program backs it with click-through, focus-less
// windows on top of everything; tests record what was asked of it.
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Observers.h"
#include "support/Date.h"

namespace orvane::app {

// What the brightness overlay shows. Setters announce only a change of value.
class BrightnessHUDState {
public:
    double level() const { return level_; }
    const std::string& title() const { return title_; }
    void setLevel(double level) {
        if (level == level_) return;
        level_ = level;
        changed.notify();
    }
    void setTitle(const std::string& title) {
        if (title == title_) return;
        title_ = title;
        changed.notify();
    }
    Hook<BrightnessHUDState> changed;

private:
    double level_ = 1.0;
    std::string title_ = "Dim";
};

// What the rest-break countdown shows. Setters announce only a change of value.
class RestBreakHUDState {
public:
    explicit RestBreakHUDState(Date startedAt) : startedAt_(startedAt) {}
    double seconds() const { return seconds_; }
    Date startedAt() const { return startedAt_; }
    void setSeconds(double seconds) {
        if (seconds == seconds_) return;
        seconds_ = seconds;
        changed.notify();
    }
    void setStartedAt(Date startedAt) {
        if (startedAt == startedAt_) return;
        startedAt_ = startedAt;
        changed.notify();
    }
    Hook<RestBreakHUDState> changed;

private:
    double seconds_ = 20.0;
    Date startedAt_;
};

// A borderless panel of a fixed size that never takes focus or clicks and floats above
// other windows on every workspace.
class Panel {
public:
    virtual ~Panel() = default;
    // Global points, bottom-left origin, as display frames.
    virtual void moveTo(platform::Point origin) = 0;
    // Shown on top without activating the program.
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;
};

class Panels {
public:
    virtual ~Panels() = default;
    // The main (first) screen's frame in global points, bottom-left origin; none
    // without a screen.
    virtual std::optional<platform::Rect> mainScreenFrame() = 0;
    // A panel whose view follows `state`; the state outlives the panel.
    virtual std::unique_ptr<Panel> brightnessPanel(double width, double height, const BrightnessHUDState& state) = 0;
    virtual std::unique_ptr<Panel> restBreakPanel(double width, double height, const RestBreakHUDState& state) = 0;
    // The display identifier's label: the display's name over its kind.
    virtual std::unique_ptr<Panel> identifierPanel(double width, double height, const std::string& name,
                                                   bool isBuiltIn) = 0;
};

}  // namespace orvane::app
