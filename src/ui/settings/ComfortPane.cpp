#include "ui/settings/ComfortPane.h"

#include <QHBoxLayout>

#include "app/AppModel.h"
#include "app/Capabilities.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/views/Picker.h"
#include "ui/views/SwitchRow.h"

namespace orvane {

namespace ComfortRules {

std::string nightLightFloorCaption(const Capabilities& capabilities) {
    if (capabilities.macWords)
        return "Night Shift carries the warmth down to here with true color. Apple's range ends at 2700K; lower "
               "values are experimental.";
    // The floor shows only beside an overlay, in an X session: what the desktop's own range
    // allows is said where the desktop names it.
    std::string caption = capabilities.nightLightName +
                          " warms the screen down to here; below it the overlay adds the rest of the warmth.";
    if (capabilities.nightLightLowest)
        caption += " The desktop's " + capabilities.nightLightName + " goes no lower than " +
                   std::to_string(*capabilities.nightLightLowest) + "K.";
    return caption;
}

bool usesLayers(AppModel& model) {
    for (const auto& display : model.capabilities().displays)
        if (display.attachedMethod == TintMethod::nightShift || display.attachedMethod == TintMethod::overlay)
            return true;
    return false;
}

std::string pointerCaption(std::int64_t thresholdKelvin, bool macWords) {
    return std::string(macWords ? "Sets the Accessibility pointer colors" : "Sets the pointer colors") +
           " to dark red at or below " + std::to_string(thresholdKelvin) + "K and restores them afterwards.";
}

std::string brightnessKeysNotice(bool macWords) {
    // Elsewhere no permission can be given: the keys are out of reach where no keyboard
    // service answers (a Wayland session without the shortcuts portal).
    return macWords ? "Accessibility permission is needed to intercept the brightness keys."
                    : "This desktop does not let Orvane intercept the brightness keys.";
}

}  // namespace ComfortRules

kit::Stepper* PercentStepper::make(std::unique_ptr<kit::SettingField<double>> value, kit::StepperRange range) {
    return kit::Stepper::percent(std::move(value), range);
}

namespace {

using kit::q;

template <class E>
std::vector<typename kit::Picker<E>::Item> items(std::initializer_list<std::pair<E, const char*>> list) {
    std::vector<typename kit::Picker<E>::Item> out;
    for (const auto& [value, title] : list) out.push_back({value, QString::fromUtf8(title)});
    return out;
}

// A symbol, a caption-sized text and, trailing, the given small buttons.
QWidget* noticeRow(const char* symbol, const QString& text, std::initializer_list<kit::SystemButton*> buttons) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* icon = new kit::SymbolView(symbol, 13);
    icon->setColour(kit::Tokens::emberText());
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* label = new kit::Text(text, kit::FontBook::font(kit::TextStyle::caption));
    label->setMaximumLines(3);
    layout->addWidget(label, 1);
    for (auto* button : buttons) layout->addWidget(button, 0, Qt::AlignVCenter);
    return row;
}

kit::Stepper* integerStepper(std::unique_ptr<kit::SettingField<std::int64_t>> field, kit::StepperRange range,
                             const char* suffix) {
    return new kit::Stepper(std::move(field), range,
                            [suffix](std::int64_t n) { return QString::number(n) + QString::fromUtf8(suffix); });
}

}  // namespace

ComfortPane::ComfortPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), model_(environment.model, [this](AppModel::Property p) {
          if (p == AppModel::Property::settings || p == AppModel::Property::displays ||
              p == AppModel::Property::accessibilityNeeded || p == AppModel::Property::nightShiftActive ||
              p == AppModel::Property::capabilities)
              follow();
      }) {
    const auto& model = environment.model;
    const Capabilities& can = environment.capabilities();
    const bool nightShiftExists = can.nightShift.available;
    const bool opensPages = can.openSettingsPages.available;

    auto* dimming = addSection(QStringLiteral("Dimming and red"));
    dimFloor_ = dimming->addRow(
        new kit::SettingRow(QStringLiteral("Dim floor"), QString::fromUtf8(ComfortRules::dimFloorCaption),
                            PercentStepper::make(kit::settingField(model, &Settings::dimFloor), {1, 30, 1})));
    redStyle_ = dimming->addRow(new kit::PickerRow<RedStyle>(
        QStringLiteral("Red style"), QString::fromUtf8(ComfortRules::redStyleCaption),
        items<RedStyle>({{RedStyle::pure, "Pure red"}, {RedStyle::readable, "Readable red"}}),
        kit::settingField(model, &Settings::redStyle)));
    deepRed_ = dimming->addRow(
        new kit::SettingRow(QStringLiteral("Deep red strength"),
                            QStringLiteral("How strong the red layer gets at 500K. Higher is redder but lifts blacks."),
                            PercentStepper::make(kit::settingField(model, &Settings::deepRedStrength), {20, 90, 5})));
    if (nightShiftExists)
        nightShiftFloor_ = dimming->addRow(new kit::SettingRow(
            q(can.nightLightName + " floor"), q(ComfortRules::nightLightFloorCaption(can)),
            integerStepper(kit::settingField(model, &Settings::nightShiftFloorKelvin), {1000, 3400, 100}, "K")));

    auto* rest = addSection(QStringLiteral("Eye rest"));
    rest->addRow(new kit::SwitchRow(
        QStringLiteral("Rest your eyes"),
        QStringLiteral("After a stretch of screen time the screen eases down for a moment: look at something far "
                       "away. Any key ends it. Never during full screen, video or calls."),
        kit::settingField(model, &Settings::restBreaks, &RestBreakSettings::enabled)));
    rest_[0] = rest->addRow(new kit::SettingRow(
        QStringLiteral("Every"), std::nullopt,
        integerStepper(kit::settingField(model, &Settings::restBreaks, &RestBreakSettings::everyMinutes), {10, 90, 5},
                       " min")));
    rest_[1] = rest->addRow(
        new kit::SettingRow(QStringLiteral("For"), std::nullopt,
                            integerStepper(kit::settingField(model, &Settings::restBreaks, &RestBreakSettings::seconds),
                                           {10, 60, 5}, " s")));
    auto* tryNow = new kit::SystemButton(QStringLiteral("Try it now"));
    connect(tryNow, &QAbstractButton::clicked, this, [this] { model_.model().tryRestBreak(); });
    rest_[2] = rest->addRow(new kit::SettingRow(QString(), std::nullopt, tryNow));

    auto* backlight = addSection(QStringLiteral("Backlight"));
    steady_ = backlight->addRow(
        new kit::SwitchRow(QStringLiteral("Steady backlight"), QString(),
                           kit::settingField(model, &Settings::steadyBacklight, &SteadyBacklightSettings::enabled)));
    level_ = backlight->addRow(new kit::SettingRow(
        QStringLiteral("Backlight level"), std::nullopt,
        PercentStepper::make(kit::settingField(model, &Settings::steadyBacklight, &SteadyBacklightSettings::level),
                             {10, 100, 5})));
    dismiss_ = new kit::SystemButton(QStringLiteral("Dismiss"));
    connect(dismiss_, &QAbstractButton::clicked, this,
            [tipShown = std::shared_ptr(kit::settingField(
                 model, &Settings::steadyBacklight, &SteadyBacklightSettings::tipShown))] { tipShown->set(true); });
    tip_ = backlight->addRow(noticeRow(
        "lightbulb.fill",
        QStringLiteral("Turn off automatic brightness in your desktop's settings so it stops moving the backlight."),
        {dismiss_}));
    backlight->addRow(new kit::PickerRow<BrightnessKeysMode>(
        QStringLiteral("Brightness keys"), std::nullopt,
        items<BrightnessKeysMode>({{BrightnessKeysMode::systemBacklight, "System backlight"},
                                   {BrightnessKeysMode::orvaneDim, "Orvane dim"},
                                   {BrightnessKeysMode::automatic, "Automatic"}}),
        kit::settingField(model, &Settings::brightnessKeys)));
    // Only the Mac has a permission to grant, and a settings page to grant it in.
    if (opensPages && can.macWords) {
        auto* open = new kit::SystemButton(QStringLiteral("Open Settings"));
        connect(open, &QAbstractButton::clicked, this, [this] { model_.model().openAccessibilitySettings(); });
        notice_ = backlight->addRow(
            noticeRow("hand.raised.fill", q(ComfortRules::brightnessKeysNotice(can.macWords)), {open}));
    } else {
        notice_ =
            backlight->addRow(noticeRow("hand.raised.fill", q(ComfortRules::brightnessKeysNotice(can.macWords)), {}));
    }
    backlight->addRow(new kit::SwitchRow(QStringLiteral("Show the brightness HUD"), std::nullopt,
                                         kit::settingField(model, &Settings::showBrightnessHUD)));
    pwm_ = backlight->addCaption(
        QStringLiteral("This display's backlight uses PWM at every brightness level, so flicker is reduced at low "
                       "brightness, not eliminated."));

    auto* pointerSection = addSection(QStringLiteral("Display and pointer"));
    dithering_ = pointerSection->addRow(new kit::PickerRow<AntiDitheringScope>(
        QStringLiteral("Anti-dithering"), QString(),
        items<AntiDitheringScope>({{AntiDitheringScope::off, "Off"},
                                   {AntiDitheringScope::externalOnly, "External displays only"},
                                   {AntiDitheringScope::allDisplays, "All displays"}}),
        kit::settingField(model, &Settings::antiDithering)));
    const bool pointerWorks = can.pointerTint.available;
    pointer_ = pointerSection->addRow(new kit::SwitchRow(QStringLiteral("Tint the mouse pointer (experimental)"),
                                                         QString(), kit::settingField(model, &Settings::pointerTint)));
    if (pointerWorks && opensPages) {
        auto* open = new kit::SystemButton(QStringLiteral("Open"));
        connect(open, &QAbstractButton::clicked, this, [this] { model_.model().openPointerSettings(); });
        pointerSettings_ = pointerSection->addRow(
            new kit::SettingRow(QStringLiteral("Pointer settings"),
                                QStringLiteral("If the color doesn't change live, open the pointer settings."), open));
    }

    auto* prompts = addSection(QStringLiteral("Prompts and tips"));
    if (nightShiftExists) {
        nightShiftTip_ = prompts->addRow(
            new kit::SwitchRow(q(can.nightLightName + " tip"), QString(),
                               kit::settingField<bool>(
                                   model, [](const Settings& s) { return !s.nightShiftTipDismissed; },
                                   [](Settings& s, const bool& on) { s.nightShiftTipDismissed = !on; })));
    }
    prompts->addRow(new kit::SwitchRow(QStringLiteral("Auto-reveal for security prompts"),
                                       QStringLiteral("Lifts the tint while a password or authentication dialog is "
                                                      "showing."),
                                       kit::settingField(model, &Settings::securityPromptAutoReveal)));
    follow();
}

bool ComfortPane::usesLayers() const { return ComfortRules::usesLayers(model_.model()); }

void ComfortPane::follow() {
    const AppModel& m = model_.model();
    const Settings& s = m.settings();
    const bool layers = usesLayers();
    deepRed_->setVisible(layers);
    // The floor matters only where the overlay carries the warmth below it.
    if (nightShiftFloor_) {
        nightShiftFloor_->setVisible(m.capabilities().nightLightFloorApplies());
        nightShiftFloor_->setSubtitle(q(ComfortRules::nightLightFloorCaption(m.capabilities())));
    }
    for (QWidget* row : rest_) row->setVisible(s.restBreaks.enabled);
    level_->setVisible(s.steadyBacklight.enabled);
    tip_->setVisible(s.steadyBacklight.enabled && !s.steadyBacklight.tipShown);
    notice_->setVisible(m.accessibilityNeeded());
    const Capabilities& can = m.capabilities();
    steady_->setAvailable(can.steadyBacklight.available);
    steady_->setSubtitle(
        can.steadyBacklight
            ? QStringLiteral("Keeps the backlight fixed and dims with color instead (\u201Cflicker-free\u201D).")
            : q(can.steadyBacklight.reason));
    dithering_->picker().setEnabled(can.antiDithering.available);
    dithering_->setSubtitle(can.antiDithering ? QStringLiteral("Disables temporal dithering on the display pipes. "
                                                               "Mostly useful for external monitors.")
                                              : q(can.antiDithering.reason));
    pointer_->setAvailable(can.pointerTint.available);
    pointer_->setSubtitle(can.pointerTint ? q(ComfortRules::pointerCaption(s.pointerTintThreshold, can.macWords))
                                          : q(can.pointerTint.reason));
    pwm_->setVisible(can.backlightFlickers);
    if (nightShiftTip_)
        nightShiftTip_->setSubtitle(
            q(can.nightLightName + (m.nightShiftActive() ? " is currently on and stacks with Orvane." : " is off.")));
    // With nothing tinted, or the desktop's night light alone, there is no layer to dim or
    // fold red with; gamma ramps alone dim but cannot fold red.
    const Availability dims = can.layerEffects();
    dimFloor_->content()->setEnabled(dims.available);
    dimFloor_->setSubtitle(q(dims ? ComfortRules::dimFloorCaption : dims.reason));
    const Availability folds = can.readableRed();
    redStyle_->picker().setEnabled(folds.available);
    redStyle_->setSubtitle(q(folds ? ComfortRules::redStyleCaption : folds.reason));
}

QWidget* makeComfortPane(const PaneEnvironment& environment) { return new ComfortPane(environment); }

}  // namespace orvane
