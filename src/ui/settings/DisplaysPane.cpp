#include "ui/settings/DisplaysPane.h"

#include <cmath>
#include <utility>

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "app/Capabilities.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"
#include "ui/views/SwitchRow.h"

namespace orvane {

namespace DisplaysRules {

std::string subtitle(const DisplayInfo& display, std::optional<TintMethod> attachedMethod,
                     const std::optional<std::string>& notTinted, const Capabilities* words) {
    const auto pixels = [&](double v) {
        return std::to_string(static_cast<long long>(std::trunc(v * (display.scale > 0 ? display.scale : 1))));
    };
    return std::string(display.isBuiltIn ? "Built-in" : "External") + " \u00B7 " + pixels(display.frame.width) +
           "\u00D7" + pixels(display.frame.height) + " \u00B7 " +
           (attachedMethod ? (words ? words->methodTitle(*attachedMethod) : std::string(title(*attachedMethod)))
                           : std::string("Not tinted") + (notTinted ? ": " + *notTinted : std::string()));
}

std::string methodCaption(const DisplaySettings& settings, const DisplayCapabilities* capabilities,
                          const Capabilities* words) {
    const auto named = [&](TintMethod m) { return words ? words->methodTitle(m) : std::string(title(m)); };
    if (settings.methodCheckResult) return "Method check confirmed: " + named(*settings.methodCheckResult);
    if (!capabilities || capabilities->rules == MethodRules::macHardware)
        return "Automatic: color matrix on the newest chips (Night Shift + overlay as fallback), gamma on older ones.";
    std::string caption =
        "Automatic uses the driver's color matrix where it has one, else the gamma table, else the desktop's "
        "Night Light with an overlay, else an overlay alone (which needs a compositing manager). ";
    if (capabilities->automaticMethod) return caption + "Here: " + named(*capabilities->automaticMethod) + ".";
    return caption + "Nothing can tint this display: " + capabilities->method(TintMethod::overlay).reason;
}

std::vector<TintMethod> methodChoices(bool isBuiltIn, TintMethod stored) {
    std::vector<TintMethod> choices;
    for (TintMethod m : allCases<TintMethod>())
        if (m != TintMethod::ddc || !isBuiltIn || stored == TintMethod::ddc) choices.push_back(m);
    return choices;
}

std::string warmthOffsetLabel(std::int64_t kelvin) { return (kelvin >= 0 ? "+" : "") + std::to_string(kelvin) + "K"; }

std::string dimOffsetLabel(double dimOffset) {
    const std::int64_t n = kit::StepperRules::percentShown(dimOffset);
    return (dimOffset >= 0 ? "+" : "") + std::to_string(n) + "%";
}

std::string antiDitheringCaption(bool isBuiltIn, const Availability& available) {
    if (!available) return available.reason;
    return isBuiltIn ? "Off by default: this panel has no temporal dithering."
                     : "On when the global setting includes externals.";
}

std::string steadyBacklightCaption(const Availability& available) {
    return available ? "Pins the backlight at the level below." : available.reason;
}

std::string ddcCaption(bool answers) {
    return answers ? "This monitor answers DDC. Brightness and RGB gain are snapshotted before the first write and "
                     "restored on disable, quit and after a crash."
                   : "No DDC response from this monitor.";
}

}  // namespace DisplaysRules

namespace {

using kit::q;

// A fraction stepped in whole percent, with its own label.
kit::Stepper* percentStepper(const std::shared_ptr<AppModel>& model, const std::string& key,
                             double DisplaySettings::*member, kit::StepperRange range, kit::Stepper::Label label) {
    std::shared_ptr<kit::SettingField<double>> fraction = displayField(model, key, member);
    auto shown = std::make_unique<kit::SettingField<std::int64_t>>(
        model,
        [member, key](const Settings& s) { return kit::StepperRules::percentShown(s.displaySettings(key).*member); },
        [fraction](AppModel&, const std::int64_t& n) { fraction->set(kit::StepperRules::percentStored(n)); });
    return new kit::Stepper(std::move(shown), range, std::move(label));
}

std::vector<kit::Picker<std::optional<bool>>::Item> tristate(const char* absent) {
    return {{std::nullopt, QString::fromUtf8(absent)}, {true, QStringLiteral("On")}, {false, QStringLiteral("Off")}};
}

// The 36 pt tile with the display's symbol in ember on a faint ember ground.
class DisplayTile : public QWidget {
public:
    explicit DisplayTile(const std::string& symbol) {
        setFixedSize(36, 36);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* view = new kit::SymbolView(symbol, 18);
        view->setWeight(QFont::Medium);
        view->setColour(kit::Tokens::emberText());
        layout->addWidget(view, 0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(kit::PaintKit::roundedRect(QRectF(rect()), 9),
                         kit::Tokens::ember().withOpacity(0.14).resolve(kit::appearanceOf(this)));
    }
};

}  // namespace

DisplayExtraSettings::DisplayExtraSettings(const std::shared_ptr<AppModel>& model, const DisplayInfo& display,
                                           kit::FormSection& section) {
    const std::string key = display.key;
    warmth_ = new kit::Stepper(displayField(model, key, &DisplaySettings::warmthOffsetKelvin), {-1500, 1500, 50},
                               [](std::int64_t k) { return q(DisplaysRules::warmthOffsetLabel(k)); });
    section.addRow(new kit::SettingRow(QStringLiteral("Warmth offset"),
                                       QStringLiteral("Externals often look different from the built-in panel."),
                                       warmth_));
    std::weak_ptr<AppModel> weak = model;
    dim_ = percentStepper(model, key, &DisplaySettings::dimOffset, {-50, 50, 5}, [weak, key](std::int64_t n) {
        const auto m = weak.lock();
        const double stored = m ? m->settings().displaySettings(key).dimOffset : kit::StepperRules::percentStored(n);
        return q(DisplaysRules::dimOffsetLabel(stored));
    });
    section.addRow(new kit::SettingRow(QStringLiteral("Dim offset"), std::nullopt, dim_));
    antiDithering_ = section.addRow(
        new kit::PickerRow<std::optional<bool>>(QStringLiteral("Anti-dithering"), QString(), tristate("Follow global"),
                                                displayField(model, key, &DisplaySettings::antiDithering)));
    if (display.isBuiltIn) {
        steady_ = section.addRow(new kit::SwitchRow(QStringLiteral("Steady backlight"), QString(),
                                                    displayField(model, key, &DisplaySettings::steadyBacklight)));
        level_ = percentStepper(model, key, &DisplaySettings::backlightLevel, {10, 100, 5},
                                [](std::int64_t n) { return QString::number(n) + QStringLiteral("%"); });
        section.addRow(new kit::SettingRow(QStringLiteral("Backlight level"), std::nullopt, level_));
    } else {
        ddc_ = section.addRow(new kit::PickerRow<std::optional<bool>>(
            QStringLiteral("External brightness via DDC"), QString(), tristate("Automatic"),
            displayField(model, key, &DisplaySettings::ddcBrightness)));
    }
    display_ = display;
    refresh(model->capabilities());
}

void DisplayExtraSettings::refresh(const Capabilities& capabilities) {
    const DisplayCapabilities* mine = capabilities.display(display_.key);
    const Availability dithering = mine ? mine->antiDithering : capabilities.antiDithering;
    antiDithering_->setSubtitle(q(DisplaysRules::antiDitheringCaption(display_.isBuiltIn, dithering)));
    antiDithering_->picker().setEnabled(dithering.available);
    if (steady_) {
        steady_->setSubtitle(q(DisplaysRules::steadyBacklightCaption(capabilities.steadyBacklight)));
        steady_->setAvailable(capabilities.steadyBacklight.available);
    }
    if (ddc_) ddc_->setSubtitle(q(DisplaysRules::ddcCaption(mine && mine->facts.ddc)));
}

DisplaySection::DisplaySection(std::shared_ptr<AppModel> model, std::shared_ptr<Desktop> desktop,
                               const DisplayInfo& display)
    : kit::FormSection(QString::fromStdString(display.name)),
      model_(std::move(model)),
      display_(display),
      symbol_(display.isBuiltIn ? "laptopcomputer" : "display") {
    auto* header = new QWidget;
    auto* line = new QHBoxLayout(header);
    line->setContentsMargins(0, 2, 0, 2);
    line->setSpacing(12);
    line->addWidget(new DisplayTile(symbol_));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(new kit::Text(q(display.name), kit::FontBook::font(kit::TextStyle::body, QFont::DemiBold)));
    subtitle_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption));
    subtitle_->setLevel(kit::TextLevel::secondary);
    texts->addWidget(subtitle_);
    line->addLayout(texts, 1);
    identify_ = new kit::SystemButton(QStringLiteral("Identify"));
    connect(identify_, &QAbstractButton::clicked, this, [desktop, d = display_] {
        if (desktop && desktop->identifyDisplay) desktop->identifyDisplay(d);
    });
    line->addWidget(identify_);
    addRow(header);

    const std::string key = display.key;
    addRow(new kit::SwitchRow(QStringLiteral("Warm this display"), std::nullopt,
                              displayField(model_, key, &DisplaySettings::enabled)));
    std::vector<kit::Picker<TintMethod>::Item> methods;
    for (TintMethod m : DisplaysRules::methodChoices(display.isBuiltIn, model_->settings().displaySettings(key).method))
        methods.push_back({m, q(model_->capabilities().methodTitle(m))});
    method_ = addRow(new kit::PickerRow<TintMethod>(QStringLiteral("Method"), QString(), std::move(methods),
                                                    displayField(model_, key, &DisplaySettings::method)));
    check_ = new kit::SystemButton(QStringLiteral("Check\u2026"));
    connect(check_, &QAbstractButton::clicked, this,
            [this, key] { kit::notificationsOf(this).post(kit::Notifications::runMethodCheck, key); });
    addRow(new kit::SettingRow(
        QStringLiteral("Check method"),
        QStringLiteral("Shows a red test with each method and asks whether you see it. Takes under a minute."),
        check_));
    extras_ = std::make_unique<DisplayExtraSettings>(model_, display_, *this);
    refresh();
}

void DisplaySection::refresh() {
    const Capabilities& capabilities = model_->capabilities();
    const DisplayCapabilities* mine = capabilities.display(display_.key);
    const std::optional<std::string> notTinted =
        mine && !mine->notTintedReason.empty() ? std::optional(mine->notTintedReason) : std::nullopt;
    subtitle_->setText(
        q(DisplaysRules::subtitle(display_, mine ? mine->attachedMethod : std::nullopt, notTinted, &capabilities)));
    // Where the night light cannot reach the warmth asked for, the display says what it reaches.
    const std::string reach = model_->nightLightReach(mine);
    method_->setSubtitle(
        q((reach.empty() ? std::string() : reach + ". ") +
          DisplaysRules::methodCaption(model_->settings().displaySettings(display_.key), mine, &capabilities)));
    for (const TintMethod m : allCases<TintMethod>()) {
        const Availability can = mine ? mine->method(m) : Availability::yes();
        method_->picker().setValueDisabled(m, can ? std::nullopt : std::optional<QString>(q(can.reason)));
    }
    extras_->refresh(capabilities);
}

DisplaysPane::DisplaysPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent),
      model_(environment.model,
             [this](AppModel::Property p) {
                 if (p == AppModel::Property::displays) rebuild();
                 // A new warmth matters here only when it changes what the night light reaches.
                 if (p == AppModel::Property::resolution) {
                     std::string reach = model_.model().nightLightReach();
                     if (reach == shownReach_) return;
                     shownReach_ = std::move(reach);
                 }
                 if (p == AppModel::Property::settings || p == AppModel::Property::capabilities ||
                     p == AppModel::Property::resolution)
                     for (auto* section : sections_) section->refresh();
             }),
      desktop_(environment.desktop) {
    rebuild();
}

bool DisplaysPane::showsEmptyState() const { return empty_ != nullptr; }

void DisplaysPane::rebuild() {
    const auto& displays = model_.model().displays();
    if (displays == shown_ && (empty_ || !sections_.empty())) return;
    shown_ = displays;
    for (auto* section : sections_) {
        section->hide();
        section->deleteLater();
    }
    sections_.clear();
    if (empty_) {
        empty_->hide();
        empty_->deleteLater();
        empty_ = nullptr;
    }
    if (displays.empty()) {
        empty_ = addSection();
        auto* text = empty_->addRow(new kit::Text(QStringLiteral("No displays found.")));
        text->setLevel(kit::TextLevel::secondary);
        return;
    }
    for (const auto& display : displays) {
        auto* section = new DisplaySection(model_.shared(), desktop_, display);
        addWidget(section);
        sections_.push_back(section);
    }
}

QWidget* makeDisplaysPane(const PaneEnvironment& environment) { return new DisplaysPane(environment); }

}  // namespace orvane
