#pragma once
// A compact capsule button showing one clock time; its menu lists a fixed range of times
// with a checkmark on the current one, and choosing one hands it to `set`.
#include <functional>
#include <string>
#include <vector>

#include "ui/kit/Buttons.h"

#include "core/ClockTime.h"

class QMenu;

namespace orvane {

class ClockMenu : public kit::GlassShapeButton {
public:
    ClockMenu(std::string symbol, std::string label, ClockTime time, std::vector<ClockTime> range,
              std::function<void(ClockTime)> set, QWidget* parent = nullptr);

    static const std::vector<ClockTime>& bedtimes();
    static const std::vector<ClockTime>& wakeTimes();

    void setTime(ClockTime time);
    ClockTime time() const { return time_; }
    const std::string& label() const { return label_; }
    // The menu as it would open now: one action per entry, the current one checked.
    QMenu* buildMenu();
    // Calls `set` with the entry, as choosing it in the menu does.
    void choose(std::size_t index);

    // The row's width at its fonts; the capsule is 28 points high.
    QSizeF contentSize() const;

private:
    void paintLabel(QPainter& painter, const QRectF& box) const;

    std::string symbol_;
    std::string label_;
    ClockTime time_;
    std::vector<ClockTime> range_;
    std::function<void(ClockTime)> set_;
};

}  // namespace orvane
