#pragma once
// The three-way choice Gentle / Warm / Deep red of the evening plan's intensity; choosing
// one sets the plan (the current times, or 23:00 and 07:00 without a plan).
#include <memory>
#include <optional>

#include <QWidget>

#include "core/EveningPlan.h"
#include "platform/Scheduler.h"
#include "ui/kit/GlassSegment.h"

namespace orvane {

class AppModel;

class IntensitySegment : public QWidget {
public:
    IntensitySegment(std::shared_ptr<AppModel> model, double height, QWidget* parent = nullptr);

    // The highlighted intensity: the plan's, none without a plan.
    std::optional<EveningIntensity> selected() const { return segment_->selection(); }
    void choose(EveningIntensity intensity);
    kit::GlassSegment<EveningIntensity>& segment() const { return *segment_; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::shared_ptr<AppModel> model_;
    std::optional<EveningPlan> plan_;  // as last drawn
    kit::GlassSegment<EveningIntensity>* segment_;
    platform::Handle subscription_;
};

}  // namespace orvane
