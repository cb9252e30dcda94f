#pragma once
// The first-run window's content, 540 × 664: the icon, the welcome, the night card (bed and
// wake times, intensity with its description, the day's curve, the mode line), starting
// with the computer and the place, and "Start". Every change goes through the model; the
// window keeps only its three view flags. Return presses "Start".
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <QWidget>

#include "core/EveningPlan.h"
#include "platform/Observers.h"
#include "ui/kit/Animator.h"

namespace orvane {

class AppModel;
class ClockMenu;
class CurvePreview;
class IntensitySegment;
class NightWash;
class OnboardingIcon;
class StartButton;
namespace kit {
class GlassCard;
class PressableButton;
class Text;
class TintSwitch;
}  // namespace kit

class OnboardingView : public QWidget {
public:
    static constexpr int viewWidth = 540;
    static constexpr int viewHeight = 664;
    static constexpr int riseSteps = 5;
    static constexpr int placePopoverWidth = 440;

    OnboardingView(std::shared_ptr<AppModel> model, std::function<void()> finish, QWidget* parent = nullptr);
    ~OnboardingView() override;

    // "Start": onboarding done, then the finish action.
    void start();
    // Opens the place popover below the place button; closing it ends choosing.
    void choosePlace();

    const EveningPlan& shownNight() const { return night_; }
    bool choosingPlace() const { return choosingPlace_; }
    bool appeared() const { return appeared_; }
    bool flashing() const { return flash_; }

    ClockMenu& bedMenu() const { return *bed_; }
    ClockMenu& wakeMenu() const { return *wake_; }
    IntensitySegment& intensitySegment() const { return *intensity_; }
    const kit::Text& descriptionText() const { return *description_; }
    const kit::Text& subtitleText() const { return *subtitle_; }
    const kit::Text& modeLine() const { return *modeLine_; }
    kit::TintSwitch& launchSwitch() const { return *launchSwitch_; }
    kit::PressableButton& placeButton() const { return *placeButton_; }
    StartButton& startButton() const { return *start_; }
    OnboardingIcon& icon() const { return *icon_; }
    NightWash& wash() const { return *wash_; }
    QWidget* placePopover() const { return placePopover_; }
    CurvePreview& curvePreview() const { return *curve_; }
    QString placeName() const;

    QSize sizeHint() const override { return {viewWidth, viewHeight}; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeCard();
    QWidget* makeSettingsRow();
    QWidget* makeFooter();
    void refresh();
    void layoutSections();
    void riseIn();
    void flashWash();

    std::shared_ptr<AppModel> model_;
    std::function<void()> finish_;
    bool choosingPlace_ = false;
    bool appeared_;
    bool flash_ = false;
    EveningPlan night_;
    std::optional<EveningIntensity> lastIntensity_;

    OnboardingIcon* icon_ = nullptr;
    kit::Text* title_ = nullptr;
    kit::Text* subtitle_ = nullptr;
    kit::GlassCard* card_ = nullptr;
    ClockMenu* bed_ = nullptr;
    ClockMenu* wake_ = nullptr;
    IntensitySegment* intensity_ = nullptr;
    kit::Text* description_ = nullptr;
    QWidget* descriptionBox_ = nullptr;
    CurvePreview* curve_ = nullptr;
    kit::Text* modeLine_ = nullptr;
    QWidget* settingsRow_ = nullptr;
    kit::TintSwitch* launchSwitch_ = nullptr;
    kit::PressableButton* placeButton_ = nullptr;
    StartButton* start_ = nullptr;
    QWidget* footer_ = nullptr;
    NightWash* wash_ = nullptr;
    QWidget* placePopover_ = nullptr;
    std::array<kit::AnimatedValue, riseSteps> rise_;
    kit::AnimatedValue descriptionFade_{1};
    Subscription subscription_;
};

}  // namespace orvane
