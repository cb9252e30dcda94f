#pragma once
// The popover's evening summary: a "Use my evening" button when no plan matches, the
// caption of what the curve does, and the intensity choice when a plan matches.
#include <memory>

#include <QWidget>

#include "platform/Scheduler.h"

class QLabel;
class QPushButton;

namespace orvane {

class AppModel;
class IntensitySegment;

class TonightSection : public QWidget {
public:
    explicit TonightSection(std::shared_ptr<AppModel> model, bool compact = true, QWidget* parent = nullptr);

    QPushButton* useMyEveningButton() const { return button_; }
    QLabel* captionLabel() const { return caption_; }
    IntensitySegment* intensity() const { return intensity_; }
    QString caption() const;

private:
    void refresh();

    std::shared_ptr<AppModel> model_;
    QPushButton* button_;
    QLabel* caption_;
    IntensitySegment* intensity_;
    platform::Handle subscription_;
};

}  // namespace orvane
