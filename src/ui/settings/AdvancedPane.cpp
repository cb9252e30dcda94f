#include "ui/settings/AdvancedPane.h"

#include <cmath>
#include <variant>

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "app/Diagnostics.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Text.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/SettingsTransfer.h"
#include "ui/views/SwitchRow.h"

namespace orvane {

namespace {

const QString jsonFilter = QStringLiteral("JSON (*.json)");

// Buttons side by side as a row's content.
QWidget* buttons(std::initializer_list<kit::SystemButton*> list) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (auto* button : list) layout->addWidget(button);
    return box;
}

// A status line ("Exported to …", "Import failed: …") under the buttons that caused it, on
// the row's whole width and ending where the buttons end. Its `lines` are kept while it is
// empty, so a message moves no other control; a message longer still ends in "…" with the
// whole text as its tooltip.
kit::Text* statusNote(int lines) {
    const QFont font = kit::FontBook::font(kit::TextStyle::caption);
    auto* note = new kit::Text({}, font);
    note->setLevel(kit::TextLevel::secondary);
    note->setMaximumLines(lines);
    note->setAlignment(Qt::AlignRight | Qt::AlignTop);
    note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    note->setFixedHeight(static_cast<int>(std::ceil(lines * QFontMetricsF(font).lineSpacing())));
    return note;
}

// A setting row with its status line under it, as one row of the card.
QWidget* withStatus(kit::SettingRow* row, kit::Text* note) {
    auto* box = new QWidget;
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(row);
    layout->addWidget(note);
    return box;
}

}  // namespace

AdvancedPane::AdvancedPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), environment_(environment) {
    const auto& model = environment_.model;
    auto* dataSection = addSection(QStringLiteral("Data"));
    export_ = new kit::SystemButton(QStringLiteral("Export\u2026"));
    import_ = new kit::SystemButton(QStringLiteral("Import\u2026"));
    connect(export_, &QAbstractButton::clicked, this, [this] { exportSettings(); });
    connect(import_, &QAbstractButton::clicked, this, [this] { importSettings(); });
    // Two lines: a failure says what is wrong and where, a file's name may be long.
    transferNote_ = statusNote(2);
    dataSection->addRow(withStatus(
        new kit::SettingRow(QStringLiteral("Settings file"),
                            QStringLiteral("A JSON file with every setting, for backup or another computer."),
                            buttons({export_, import_})),
        transferNote_));
    auto* copy = new kit::SystemButton(QStringLiteral("Copy"));
    connect(copy, &QAbstractButton::clicked, this, [this] { copyDiagnostics(); });
    diagnosticsNote_ = statusNote(1);
    dataSection->addRow(
        withStatus(new kit::SettingRow(QStringLiteral("Diagnostics"),
                                       QStringLiteral("Processor, system, displays and the method in use, as text."),
                                       buttons({copy})),
                   diagnosticsNote_));
    dataSection->addRow(new kit::SwitchRow(QStringLiteral("Debug logging"),
                                           QStringLiteral("Verbose log output (subsystem app.orvane)."),
                                           kit::settingField(model, &Settings::debugLogging)));
    dataSection->addRow(new kit::SwitchRow(QStringLiteral("Statistics"),
                                           QStringLiteral("Warm hours per day, stored locally."),
                                           kit::settingField(model, &Settings::statisticsEnabled)));

    auto* reset = addSection(QStringLiteral("Reset"));
    auto* again = new kit::SystemButton(QStringLiteral("Run again"));
    connect(again, &QAbstractButton::clicked, this, [this] { runOnboardingAgain(); });
    reset->addRow(new kit::SettingRow(QStringLiteral("Onboarding"),
                                      QStringLiteral("Shows the first-launch steps again."), buttons({again})));
    auto* clear = new kit::SystemButton(QStringLiteral("Reset"));
    connect(clear, &QAbstractButton::clicked, this, [this] { resetStatistics(); });
    reset->addRow(new kit::SettingRow(QStringLiteral("Statistics"), std::nullopt, buttons({clear})));
    auto* all = new kit::SystemButton(QStringLiteral("Reset\u2026"));
    all->setDestructive(true);
    connect(all, &QAbstractButton::clicked, this, [this] { confirmReset(); });
    reset->addRow(new kit::SettingRow(
        QStringLiteral("All settings"),
        QStringLiteral("Presets, schedule, display settings and statistics go back to the defaults."), buttons({all})));
}

std::optional<std::string> AdvancedPane::message() const {
    for (const kit::Text* note : {transferNote_, diagnosticsNote_})
        if (!note->text().isEmpty()) return note->text().toStdString();
    return std::nullopt;
}

void AdvancedPane::setMessage(const std::string& message, kit::Text* note) {
    if (!note) note = transferNote_;
    // One status at a time: the other row's goes.
    for (kit::Text* each : {transferNote_, diagnosticsNote_}) {
        const QString text = each == note ? QString::fromStdString(message) : QString();
        each->setText(text);
        each->setToolTip(text);
    }
}

void AdvancedPane::exportSettings() {
    const auto& desktop = environment_.desktop;
    if (!desktop || !desktop->chooseSaveFile) return;
    // The settings of the moment of the click, not of the dialog's end.
    const Settings settings = environment_.model->settings();
    const auto path = desktop->chooseSaveFile(
        this, {QStringLiteral("Export Settings"), QString::fromUtf8(SettingsTransfer::proposedName), jsonFilter});
    if (!path) return;
    setMessage(SettingsTransfer::exportTo(*path, settings).message);
}

void AdvancedPane::importSettings() {
    const auto& desktop = environment_.desktop;
    if (!desktop || !desktop->chooseOpenFile) return;
    const auto path = desktop->chooseOpenFile(this, {QStringLiteral("Import Settings"), QString(), jsonFilter});
    if (!path) return;
    auto result = SettingsTransfer::importFrom(*path);
    if (auto* failed = std::get_if<SettingsTransfer::Outcome>(&result)) {
        setMessage(failed->message);
        return;
    }
    // Every setting is replaced: asked first, as Reset asks, with the file named and the
    // values that will not come in as the file has them.
    if (!desktop->confirm) return;
    auto& imported = std::get<SettingsTransfer::Imported>(result);
    const std::string adjusted = SettingsTransfer::adjustedValues(imported);
    const QString name = QString::fromStdString(std::filesystem::path(*path).filename().string());
    QString text = QStringLiteral(
                       "The settings in \u201c%1\u201d replace the presets, schedule, display settings and "
                       "shortcuts you have now.")
                       .arg(name);
    if (!adjusted.empty()) text += QStringLiteral(" ") + QString::fromStdString(adjusted) + QStringLiteral(".");
    const bool confirmed =
        desktop->confirm(this, {QStringLiteral("Replace all settings?"), text, QStringLiteral("Replace")});
    if (!confirmed) return;
    environment_.model->setSettings(std::move(imported.settings));
    setMessage(SettingsTransfer::importedMessage(*path, imported.renamedPresets, adjusted));
}

void AdvancedPane::copyDiagnostics() {
    if (environment_.desktop && environment_.desktop->copyText)
        environment_.desktop->copyText(QString::fromStdString(Diagnostics::text(*environment_.model)));
    setMessage("Diagnostics copied.", diagnosticsNote_);
}

void AdvancedPane::clearMessage() { setMessage(std::string()); }

void AdvancedPane::runOnboardingAgain() {
    clearMessage();
    kit::settingField(environment_.model, &Settings::onboardingCompleted)->set(false);
    kit::notificationsOf(this).post(kit::Notifications::showOnboarding);
}

void AdvancedPane::resetStatistics() {
    clearMessage();
    AppModel& model = *environment_.model;
    model.setStatistics(Statistics{});
    model.store().saveStatistics(model.statistics());
}

void AdvancedPane::confirmReset() {
    const auto& desktop = environment_.desktop;
    if (!desktop || !desktop->confirm) return;
    const bool confirmed = desktop->confirm(
        this, {QStringLiteral("Reset all settings?"),
               QStringLiteral("Presets, schedule, display settings and statistics go back to the defaults."),
               QStringLiteral("Reset")});
    if (!confirmed) return;
    clearMessage();
    // In this order: the store emptied first, so an assignment equal to what was stored
    // leaves its document removed.
    AppModel& model = *environment_.model;
    model.store().resetAll();
    model.setSettings(Settings());
    model.setRuntime(RuntimeState());
    model.setStatistics(Statistics());
}

QWidget* makeAdvancedPane(const PaneEnvironment& environment) { return new AdvancedPane(environment); }

}  // namespace orvane
