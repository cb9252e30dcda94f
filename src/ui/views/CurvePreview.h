#pragma once
// A day's warmth curve as a thin strip: 24 hours from `startHour` in `timeZone`, each
// point in the colour of the curve's warmth then, hour labels every six hours and a
// marker at now (with a "Now" label when `labelsNow`). No curve draws the untinted strip.
// Now is the kit context's clock; the window and the marker are worked out at each paint.
#include <cstdint>
#include <optional>
#include <vector>

#include <QWidget>

#include "core/Calendar.h"
#include "core/Curve.h"
#include "ui/kit/Animator.h"
#include "ui/views/CurveLayout.h"

namespace orvane {

class CurvePreview : public QWidget {
public:
    CurvePreview(std::optional<WarmthCurve> curve, TimeZone timeZone, int startHour = 12, bool labelsNow = true,
                 QWidget* parent = nullptr);

    void setCurve(std::optional<WarmthCurve> curve);
    void setTimeZone(TimeZone timeZone);
    const std::optional<WarmthCurve>& curve() const { return curve_; }
    const TimeZone& timeZone() const { return zone_; }
    int startHour() const { return startHour_; }
    bool labelsNow() const { return labelsNow_; }

    // The layout as the next paint draws it: at the context's now and the present width.
    CurveLayout::Layout currentLayout() const;
    // The warmths the strip shows now; while a change animates, the list being left.
    const std::vector<std::int64_t>& shownKelvins() const { return to_; }
    bool animating() const { return blend_.animating(); }

    QSize sizeHint() const override { return {320, 44}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    std::optional<WarmthCurve> curve_;
    TimeZone zone_;
    int startHour_;
    bool labelsNow_;
    std::vector<std::int64_t> from_, to_;  // the colours animate from one list to the other
    kit::AnimatedValue blend_{1};
};

}  // namespace orvane
