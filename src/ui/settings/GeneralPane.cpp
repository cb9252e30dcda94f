#include "ui/settings/GeneralPane.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "app/Capabilities.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/views/KelvinField.h"
#include "ui/views/LevelControl.h"
#include "ui/views/Picker.h"
#include "ui/views/PresetRow.h"
#include "ui/views/SwitchRow.h"

namespace orvane {

namespace GeneralRules {

std::string overrideTitle(OverrideBehavior behavior) { return std::string(title(behavior)); }

// The core's detail, and where the tint holds its warmth, that it never cools at night.
std::string overrideDetail(OverrideBehavior behavior) {
    std::string text(detail(behavior));
    if (behavior != OverrideBehavior::switchToManual)
        text += " The screen never jumps back to a cooler color at night.";
    return text;
}

std::string warmSubtitle(bool enabled, const std::string& melanopicLabel) {
    return enabled ? melanopicLabel : "Off: true colors";
}

std::optional<std::string> damageNotice(const std::vector<SettingsStore::Damage>& damage, const std::string& file,
                                        const std::string& home) {
    if (damage.empty()) return std::nullopt;
    std::string text, copies;
    const auto add = [&text](const std::string& sentence) { text += (text.empty() ? "" : " ") + sentence; };
    for (std::size_t i = 0; i < damage.size(); ++i) {
        const auto& d = damage[i];
        if (d.key != SettingsStore::settingsKey) {
            add(std::string(d.key == SettingsStore::runtimeKey ? "The saved pauses and holds" : "The statistics") +
                " could not be read and started afresh.");
        } else if (d.reset.empty()) {
            add("Your settings could not be read, so every setting went back to its default.");
        } else {
            std::string names;
            for (const auto& path : d.reset) names += (names.empty() ? "" : ", ") + path;
            add((d.reset.size() == 1 ? "One setting could not be read and went back to its default: "
                                     : "Some settings could not be read and went back to their defaults: ") +
                names + ". The others were kept.");
        }
        copies += (i == 0 ? "" : i + 1 == damage.size() ? " and " : ", ") + ("\u201C" + d.keptAs + "\u201D");
    }
    const bool underHome = !home.empty() && file.size() > home.size() && file.compare(0, home.size(), home) == 0 &&
                           file[home.size()] == '/';
    add((damage.size() == 1 ? "A copy of what was stored is kept as " : "Copies of what was stored are kept as ") +
        copies + " in " + (underHome ? "~" + file.substr(home.size()) : file) + ".");
    return text;
}

}  // namespace GeneralRules

namespace {

using kit::q;

// A shared control as a form row, with a little room above and below.
QWidget* padded(QWidget* control, int vertical) {
    auto* row = new QWidget;
    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(0, vertical, 0, vertical);
    layout->addWidget(control);
    return row;
}

}  // namespace

GeneralPane::GeneralPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), model_(environment.model, [this](AppModel::Property p) {
          if (p == AppModel::Property::settings || p == AppModel::Property::resolution) follow();
          if (p == AppModel::Property::capabilities) followCapabilities();
          if (p == AppModel::Property::damagedDocuments) followDamage();
      }) {
    const auto& model = environment.model;

    // Above everything while it lasts: what a damaged file cost, and where the copy is.
    damage_ = addSection();
    {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 2, 0, 2);
        layout->setSpacing(8);
        auto* icon = new kit::SymbolView("exclamationmark.triangle.fill", 13);
        icon->setColour(kit::Tokens::emberText());
        layout->addWidget(icon, 0, Qt::AlignTop);
        damageText_ = new kit::Text(QString(), kit::FontBook::font(kit::TextStyle::caption));
        damageText_->setMaximumLines(6);
        layout->addWidget(damageText_, 1);
        auto* dismiss = new kit::SystemButton(QStringLiteral("Dismiss"));
        connect(dismiss, &QAbstractButton::clicked, this, [this] { model_.model().dismissDamagedDocuments(); });
        damageDismiss_ = dismiss;
        layout->addWidget(dismiss, 0, Qt::AlignVCenter);
        damage_->addRow(row);
    }

    auto* now = addSection(QStringLiteral("Right now"));
    warm_ = now->addRow(new kit::SwitchRow(
        QStringLiteral("Warm my display"), QString(),
        kit::operationField<bool>(
            model, [](const Settings& s) { return s.enabled; }, [](AppModel& m, bool on) { m.setEnabled(on); })));
    now->addRow(padded(new kit::WarmthControl(model, 28), 2));
    now->addRow(padded(new kit::DimControl(model, 28), 2));
    now->addRow(padded(new kit::PresetRow(model), 4));

    auto* fine = addSection(QStringLiteral("Fine control"));
    fine->addRow(new kit::SettingRow(QStringLiteral("Exact warmth"), QStringLiteral("Type a value from 500 to 6500."),
                                     new KelvinField(model)));
    std::vector<kit::Picker<OverrideBehavior>::Item> behaviours;
    for (OverrideBehavior b : allCases<OverrideBehavior>())
        behaviours.push_back({b, q(GeneralRules::overrideTitle(b))});
    override_ = fine->addRow(new kit::PickerRow<OverrideBehavior>(
        QStringLiteral("When you change the warmth yourself"), QString(), std::move(behaviours),
        kit::settingField(model, &Settings::overrideBehavior)));
    override_->picker().onPicked(
        [this](OverrideBehavior b) { override_->setSubtitle(q(GeneralRules::overrideDetail(b))); });

    auto* app = addSection(QStringLiteral("App"));
    launch_ = app->addRow(new kit::SwitchRow(QStringLiteral("Launch at login"), std::nullopt,
                                             kit::operationField<bool>(
                                                 model, [](const Settings& s) { return s.launchAtLogin; },
                                                 [](AppModel& m, bool on) { m.setLaunchAtLogin(on); })));
    launchCaption_ = app->addCaption(kit::unavailableCaption());
    app->addRow(new kit::SwitchRow(QStringLiteral("Show icon in the panel"), std::nullopt,
                                   kit::settingField(model, &Settings::showMenuBarIcon)));
    iconCaption_ = app->addCaption(QStringLiteral("With the icon hidden, open the app again to show Settings."));
    kelvinInTray_ = app->addRow(new kit::SwitchRow(QStringLiteral("Show kelvin next to the icon"), std::nullopt,
                                                   kit::settingField(model, &Settings::showKelvinInMenuBar)));

    auto* feel = addSection(QStringLiteral("Feel"));
    sounds_ = feel->addRow(
        new kit::SwitchRow(QStringLiteral("Sounds"), QString(), kit::settingField(model, &Settings::sounds)));
    haptics_ = feel->addRow(new kit::SwitchRow(QStringLiteral("Haptic detents at presets"), QString(),
                                               kit::settingField(model, &Settings::hapticDetents)));
    std::vector<kit::Picker<Smoothing>::Item> smoothings;
    for (Smoothing s : allCases<Smoothing>()) smoothings.push_back({s, q(std::string(title(s)))});
    smoothing_ = feel->addRow(new kit::PickerRow<Smoothing>(QStringLiteral("Slider smoothing"), std::nullopt,
                                                            std::move(smoothings),
                                                            kit::settingField(model, &Settings::smoothing)));
    hideFromCaptures_ = feel->addRow(new kit::SwitchRow(QStringLiteral("Hide tint from screenshots"), QString(),
                                                        kit::settingField(model, &Settings::hideTintFromScreenshots)));
    follow();
    followCapabilities();
    followDamage();
}

void GeneralPane::followDamage() {
    const AppModel& m = model_.model();
    const auto notice = GeneralRules::damageNotice(m.damagedDocuments(), m.store().defaults()->file().string(),
                                                   qEnvironmentVariable("HOME").toStdString());
    damage_->setVisible(notice.has_value());
    damageText_->setText(notice ? q(*notice) : QString());
}

namespace GeneralRules {

std::optional<std::string> capabilityCaption(const Availability& available, std::optional<std::string> otherwise) {
    if (!available) return available.reason;
    return otherwise;
}

}  // namespace GeneralRules

void GeneralPane::followCapabilities() {
    const Capabilities& can = model_.model().capabilities();
    const auto apply = [](kit::SwitchRow& row, const Availability& available, std::optional<std::string> otherwise) {
        row.setAvailable(available.available);
        const auto caption = GeneralRules::capabilityCaption(available, std::move(otherwise));
        row.setSubtitle(caption ? std::optional<QString>(q(*caption)) : std::nullopt);
    };
    // Without a way to start at login the switch only shows what is stored.
    launch_->setEnabled(can.loginItems.available);
    launchCaption_->setVisible(!can.loginItems);
    apply(*kelvinInTray_, can.trayTitle, std::nullopt);
    apply(*sounds_, can.sounds, std::nullopt);
    apply(*haptics_, can.haptics, std::nullopt);
    apply(*hideFromCaptures_, can.hideFromCaptures,
          "Only for the overlay fallback methods. Hidden layers also drop out of the desktop-switch animation, so "
          "another desktop looks untinted for a few seconds.");
}

void GeneralPane::follow() {
    const AppModel& m = model_.model();
    const bool enabled = m.settings().enabled;
    const std::string label = enabled ? Melanopic::label(m.effectiveWhite(m.resolution().modeState)) : std::string();
    warm_->setSubtitle(q(GeneralRules::warmSubtitle(enabled, label)));
    iconCaption_->setVisible(!m.settings().showMenuBarIcon);
}

QWidget* makeGeneralPane(const PaneEnvironment& environment) { return new GeneralPane(environment); }

}  // namespace orvane
