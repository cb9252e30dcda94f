#include "ui/settings/PresetEditor.h"

#include <utility>

#include <QHBoxLayout>
#include <QPainter>

#include "core/Kelvin.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/LevelSlider.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/HotkeyRecorder.h"
#include "ui/settings/PresetEditorRules.h"
#include "ui/settings/PresetsPaneRules.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"
#include "ui/views/TextField.h"

namespace orvane {

namespace {

using kit::q;

// A slider and its stepper side by side, as the warmth and dim rows hold them.
QWidget* sliderAndStepper(kit::LevelSlider* slider, kit::Stepper* stepper) {
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    slider->setFixedWidth(200);
    row->addWidget(slider);
    stepper->setMinimumWidth(48 + 40);
    row->addWidget(stepper);
    return content;
}

}  // namespace

PresetEditor::PresetEditor(std::shared_ptr<AppModel> model, std::string presetId, QWidget* parent)
    : kit::FormSection(QStringLiteral("Edit"), parent), model_(std::move(model)), id_(std::move(presetId)) {
    using namespace PresetEditorRules;
    // The preset whole (name, sliders, icons) and one field of it (steppers, picker,
    // recorder), all by id: a preset gone reads `absent` and takes no write.
    preset_ = kit::settingField<std::optional<Preset>>(
        model_, std::function<std::optional<Preset>(const Settings&)>([this](const Settings& s) {
            return PresetsPaneRules::selectedPreset(s.presets, id_);
        }),
        std::function<void(Settings&, const std::optional<Preset>&)>(
            [this](Settings& s, const std::optional<Preset>& p) {
                if (p && PresetsPaneRules::selectedPreset(s.presets, id_))
                    PresetsPaneRules::writeSelected(s.presets, id_, *p);
            }));
    const auto field = [this]<class T>(std::function<T(const Preset&)> read,
                                       std::function<void(Preset&, const T&)> assign, T absent) {
        return kit::settingField<T>(model_, std::function<T(const Settings&)>([this, read, absent](const Settings& s) {
                                        const auto p = PresetsPaneRules::selectedPreset(s.presets, id_);
                                        return p ? read(*p) : absent;
                                    }),
                                    std::function<void(Settings&, const T&)>([this, assign](Settings& s, const T& v) {
                                        auto p = PresetsPaneRules::selectedPreset(s.presets, id_);
                                        if (!p) return;
                                        assign(*p, v);
                                        PresetsPaneRules::writeSelected(s.presets, id_, *p);
                                    }));
    };

    name_ = new kit::TextField(QStringLiteral("Name"));
    name_->setAccessibleName(QStringLiteral("Name"));
    // Every usable keystroke is written at once. An empty name, or one another preset has,
    // is not: the caption says why, and leaving the field puts the last name back.
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!nameBeforeEditing_)
            if (const auto p = preset()) nameBeforeEditing_ = p->name;
        const std::string name = text.toStdString();
        const auto problem = PresetsPaneRules::nameProblem(model_->settings().presets, id_, name);
        nameCaption_->setText(q(problem.value_or("")));
        nameCaption_->setVisible(problem.has_value());
        if (!problem) write([&](Preset& p) { p.name = name; });
    });
    // A refused name left in the field brings back the name from before the editing, not a
    // part of the refused one typed on the way ("Dayligh" of "Daylight").
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        const auto before = std::exchange(nameBeforeEditing_, std::nullopt);
        if (nameCaption_->isHidden()) return;
        nameCaption_->hide();
        if (before) write([&](Preset& p) { p.name = *before; });
        if (const auto p = preset()) name_->setText(q(p->name));
    });
    addRow(new kit::SettingRow(QStringLiteral("Name"), std::nullopt, name_));
    nameCaption_ = addCaption({});
    nameCaption_->hide();

    // The sliders show the stored value back after each edit, so they sit where it snapped.
    warmth_ = new kit::LevelSlider(0, "flame.fill", {}, false, 28, std::nullopt);
    warmth_->setOnEdit([this](double v) {
        write([&](Preset& p) { p.kelvin = kelvinAt(v); });
        warmth_->setValue(warmthPosition(preset() ? preset()->kelvin : 6500));
    });
    kelvin_ =
        new kit::Stepper(field(std::function<std::int64_t(const Preset&)>([](const Preset& p) { return p.kelvin; }),
                               std::function<void(Preset&, const std::int64_t&)>(
                                   [](Preset& p, const std::int64_t& k) { p.kelvin = Kelvin::snap(k); }),
                               std::int64_t{6500}),
                         {kelvinMin, kelvinMax, kelvinStep}, [](std::int64_t k) { return q(kelvinText(k)); });
    addRow(new kit::SettingRow(QStringLiteral("Warmth"), std::nullopt, sliderAndStepper(warmth_, kelvin_)));

    dimSlider_ = new kit::LevelSlider(1, "sun.max.fill", {}, false, 28, std::nullopt);
    dimSlider_->setOnEdit([this](double v) {
        write([&](Preset& p) { p.dim = dimAt(v); });
        dimSlider_->setValue(dimPosition(preset() ? preset()->dim : 1.0));
    });
    dim_ = kit::Stepper::percent(
        field(std::function<double(const Preset&)>([](const Preset& p) { return p.dim; }),
              std::function<void(Preset&, const double&)>([](Preset& p, const double& d) { p.dim = d; }), 1.0),
        {dimPercentMin, dimPercentMax, dimPercentStep});
    addRow(new kit::SettingRow(QStringLiteral("Dim"), std::nullopt, sliderAndStepper(dimSlider_, dim_)));

    std::vector<kit::Picker<std::optional<RedStyle>>::Item> styles;
    for (const auto& choice : redStyleChoices) styles.push_back({choice.value, QString::fromUtf8(choice.title)});
    redStyle_ = addRow(new kit::PickerRow<std::optional<RedStyle>>(
        QString::fromUtf8(redStyleTitle), std::nullopt, std::move(styles),
        field(std::function<std::optional<RedStyle>(const Preset&)>([](const Preset& p) { return p.redStyle; }),
              std::function<void(Preset&, const std::optional<RedStyle>&)>(
                  [](Preset& p, const std::optional<RedStyle>& s) { p.redStyle = s; }),
              std::optional<RedStyle>{})));

    auto* iconRow = new QWidget;
    auto* iconLayout = new QHBoxLayout(iconRow);
    iconLayout->setContentsMargins(0, 0, 0, 0);
    iconLayout->setSpacing(4);
    for (const char* icon : icons) {
        auto* button = new kit::PressableButton(iconRow);
        button->setContentSize(QSizeF(26, 26));
        button->setToolTip(QString::fromUtf8(icon));
        button->setAccessibleName(QString::fromUtf8(icon));
        button->setLabelPainter(
            [this, name = std::string(icon)](QPainter& painter, const QRectF& box, kit::Appearance appearance) {
                const auto p = preset();
                const bool chosen = p && p->icon == name;
                const QPainterPath shape = kit::PaintKit::roundedRect(box, 7);
                QColor fill = chosen ? kit::Tokens::ember().resolve(appearance) : kit::primaryText(appearance);
                if (!chosen) fill.setAlphaF(0.06f);
                painter.fillPath(shape, fill);
                kit::Symbols::drawCentred(painter, name, box.center(), 12,
                                          chosen ? QColor(Qt::white) : kit::primaryText(appearance), QFont::DemiBold);
            });
        connect(button, &QAbstractButton::clicked, this,
                [this, name = std::string(icon)] { write([&](Preset& p) { p.icon = name; }); });
        iconLayout->addWidget(button);
        icons_.push_back(button);
    }
    addRow(new kit::SettingRow(QStringLiteral("Icon"), std::nullopt, iconRow));

    recorder_ = new HotkeyRecorder(
        field(std::function<std::optional<Hotkey>(const Preset&)>([](const Preset& p) { return p.hotkey; }),
              std::function<void(Preset&, const std::optional<Hotkey>&)>(
                  [](Preset& p, const std::optional<Hotkey>& h) { p.hotkey = h; }),
              std::optional<Hotkey>{}),
        nullptr, RecorderRules::PresetOwner{id_});
    // Where the desktop allows no global shortcuts the hotkey cannot be recorded, and says why.
    const Availability& shortcuts = model_->capabilities().globalShortcuts;
    recorder_->setEnabled(shortcuts.available);
    addRow(new kit::SettingRow(QStringLiteral("Hotkey"),
                               shortcuts ? std::nullopt : std::optional<QString>(kit::q(shortcuts.reason)), recorder_));

    auto* applyRow = new QWidget;
    auto* applyLayout = new QHBoxLayout(applyRow);
    applyLayout->setContentsMargins(0, 0, 0, 0);
    applyLayout->addStretch(1);
    apply_ = new kit::SystemButton(QStringLiteral("Apply now"), true, applyRow);
    applyLayout->addWidget(apply_);
    connect(apply_, &QAbstractButton::clicked, this, [this] {
        const auto p = preset();
        if (!p) return;
        // The preset's warmth as a manual one, with the global red style.
        model_->setWarmth(p->kelvin, p->dim);
        model_->playPop();
    });
    addRow(applyRow);

    preset_->onChange(this, [this](const std::optional<Preset>&) { follow(); });
}

QLineEdit& PresetEditor::nameField() const { return *name_; }
const kit::Text& PresetEditor::nameCaption() const { return *nameCaption_; }
QAbstractButton& PresetEditor::iconButton(std::size_t index) const { return *icons_.at(index); }
QAbstractButton& PresetEditor::applyButton() const { return *apply_; }

std::optional<Preset> PresetEditor::preset() const { return preset_->value(); }

void PresetEditor::write(const std::function<void(Preset&)>& edit) {
    auto p = preset_->value();
    if (!p) return;
    edit(*p);
    preset_->set(p);
}

void PresetEditor::follow() {
    const auto p = preset();
    const std::string name = p ? p->name : std::string();
    setTitle(q(PresetEditorRules::header(name)));
    // Only a change from elsewhere replaces the text, so typing keeps its cursor.
    if (name_->text() != q(name)) {
        name_->setText(q(name));
        nameCaption_->hide();
    }
    warmth_->setFillTint(kit::Tokens::curveColor(p ? p->kelvin : 6500));
    warmth_->setValue(PresetEditorRules::warmthPosition(p ? p->kelvin : 6500));
    dimSlider_->setValue(PresetEditorRules::dimPosition(p ? p->dim : 1.0));
    for (auto* button : icons_) button->update();
    recorder_->refresh();
}

}  // namespace orvane
