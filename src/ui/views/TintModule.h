#pragma once
// The card at the heart of the popover: an optional reading row (state line, kelvin
// numeral, melanopic label, steady-backlight badge, on/off switch) over the warmth and dim
// sliders, on glass tinted with the current warmth.
#include <memory>

#include <QWidget>

#include "app/AppModel.h"
#include "ui/kit/Animator.h"
#include "ui/views/ModelView.h"

namespace orvane::kit {

class DimControl;
class KelvinNumeral;
class SaturationEffect;
class SymbolView;
class Text;
class TintSwitch;
class WarmthControl;

class TintModule : public QWidget {
public:
    TintModule(std::shared_ptr<AppModel> model, double sliderHeight, bool showsReading, QWidget* parent = nullptr);

    WarmthControl& warmth() const { return *warmth_; }
    DimControl& dim() const { return *dim_; }
    // Present only with the reading row.
    TintSwitch* toggle() const { return switch_; }
    const Text* stateText() const { return state_; }
    const Text* melanopicText() const { return melanopic_; }
    const KelvinNumeral* numeral() const { return numeral_; }
    const SymbolView* backlightBadge() const { return badge_; }
    const SaturationEffect* readingLook() const { return readingLook_; }
    // The glass tint drawn now; none while off or at daylight.
    std::optional<QColor> glassTint() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh(bool animated);

    WarmthControl* warmth_ = nullptr;
    DimControl* dim_ = nullptr;
    TintSwitch* switch_ = nullptr;
    Text* state_ = nullptr;
    KelvinNumeral* numeral_ = nullptr;
    Text* melanopic_ = nullptr;
    SymbolView* badge_ = nullptr;
    SaturationEffect* readingLook_ = nullptr;
    AnimatedValue tintKelvin_{6500};
    AnimatedValue on_{1};  // 1 on, 0 off: tint strength and reading look
    ModelFollower model_;
};

}  // namespace orvane::kit
