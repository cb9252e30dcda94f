#include "ui/views/TintModule.h"

#include <cmath>

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "core/TintState.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/KelvinNumeral.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/SaturationEffect.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/views/LevelControl.h"
#include "ui/views/TintRules.h"

namespace orvane::kit {

TintModule::TintModule(std::shared_ptr<AppModel> model, double sliderHeight, bool showsReading, QWidget* parent)
    : QWidget(parent), model_(std::move(model), [this](AppModel::Property) { refresh(true); }) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    // The sliders keep room for their shadows; the gaps between what is drawn stay 16.
    constexpr int bleed = LevelSlider::bleed;
    column->setContentsMargins(16, 16 - (showsReading ? 0 : bleed), 16, 16 - bleed);
    column->setSpacing(16 - 2 * bleed);

    if (showsReading) {
        auto* reading = new QWidget;
        auto* readingColumn = new QVBoxLayout(reading);
        readingColumn->setContentsMargins(0, 0, 0, 0);
        readingColumn->setSpacing(2);
        state_ = new Text(QString(), Tokens::labelFont());
        state_->setLevel(TextLevel::secondary);
        numeral_ = new KelvinNumeral;
        melanopic_ = new Text(QString(), FontBook::font(TextStyle::caption, QFont::Medium));
        readingColumn->addWidget(state_);
        readingColumn->addWidget(numeral_);
        readingColumn->addWidget(melanopic_);
        readingLook_ = new SaturationEffect(reading);
        reading->setGraphicsEffect(readingLook_);

        badge_ = new SymbolView("light.max", FontBook::pointSize(TextStyle::caption) + 2);
        badge_->setLevel(TextLevel::secondary);
        badge_->setToolTip(QStringLiteral("Steady backlight is on"));
        switch_ = new TintSwitch(QStringLiteral("Warm my display"));
        AppModel* m = &model_.model();
        connect(switch_, &QAbstractButton::toggled, this, [m](bool on) { m->setEnabled(on); });

        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        row->addWidget(reading);
        row->addStretch(1);
        row->addWidget(badge_);
        row->addWidget(switch_);
        column->addLayout(row);
        column->addSpacing(bleed);
    }
    warmth_ = new WarmthControl(model_.shared(), sliderHeight);
    dim_ = new DimControl(model_.shared(), sliderHeight);
    column->addWidget(warmth_);
    column->addWidget(dim_);

    tintKelvin_.setOnChange([this] { update(); });
    on_.setOnChange([this] {
        if (readingLook_) readingLook_->setLook(on_.value(), 0.55 + 0.45 * on_.value());
        update();
    });
    refresh(false);
}

std::optional<QColor> TintModule::glassTint() const {
    const auto kelvin = static_cast<std::int64_t>(std::lround(tintKelvin_.value()));
    const auto tint = Tokens::glassTint(kelvin);
    if (!tint || on_.value() <= 0) return std::nullopt;
    return tint->withOpacity(tint->opacity * on_.value()).resolve(appearanceOf(this));
}

void TintModule::refresh(bool animated) {
    const AppModel& m = model_.model();
    const std::int64_t k = m.resolution().modeState.kelvin;
    const bool enabled = m.settings().enabled;
    Animator& animator = *contextOf(this).animator;
    if (animated) {
        animator.animate(tintKelvin_, static_cast<double>(k), Spring{0.35, 1.0});
        animator.animate(on_, enabled ? 1 : 0, Spring{0.4, 1.0});
    } else {
        animator.set(tintKelvin_, static_cast<double>(k));
        animator.set(on_, enabled ? 1 : 0);
        if (readingLook_) readingLook_->setLook(on_.value(), 0.55 + 0.45 * on_.value());
    }
    if (state_) {
        state_->setText(QString::fromStdString(TintRules::stateLine(m, contextOf(this).now())));
        numeral_->setKelvin(k, animated);
        const QString label = QString::fromStdString(Melanopic::label(m.shownWhite()));
        if (animated) melanopic_->rollText(label);
        else melanopic_->setText(label);
        if (k < 6500) {
            melanopic_->setColour(Tokens::warmColor(k));
            melanopic_->setLevel(TextLevel::primary);
        } else {
            melanopic_->setColour(std::nullopt);
            melanopic_->setLevel(TextLevel::secondary);
        }
        // Hidden but keeping its room, so the switch never moves.
        auto policy = badge_->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        badge_->setSizePolicy(policy);
        badge_->setVisible(m.steadyBacklightActive());
        if (switch_->isChecked() != enabled || !animated) switch_->setOn(enabled);
    }
    update();
}

void TintModule::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    glassSurface(painter, PaintKit::roundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20), appearanceOf(this),
                 glassTint(), false);
}

}  // namespace orvane::kit
