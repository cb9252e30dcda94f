#pragma once
// The popover's evening summary: a "Use my evening" button when no plan matches, the
// caption of what the curve does, and the intensity choice when a plan matches.
#include <memory>

#include <QWidget>

#include "platform/Scheduler.h"

namespace orvane {
namespace kit {
class SystemButton;
class Text;
}  // namespace kit

class AppModel;
class IntensitySegment;

class TonightSection : public QWidget {
public:
    explicit TonightSection(std::shared_ptr<AppModel> model, bool compact = true, QWidget* parent = nullptr);

    kit::SystemButton* useMyEveningButton() const { return button_; }
    kit::Text* captionLabel() const { return caption_; }
    IntensitySegment* intensity() const { return intensity_; }
    QString caption() const;

private:
    void refresh();

    std::shared_ptr<AppModel> model_;
    kit::SystemButton* button_;
    kit::Text* caption_;
    IntensitySegment* intensity_;
    platform::Handle subscription_;
};

}  // namespace orvane
