#include "ui/views/TonightSection.h"

#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Text.h"
#include "ui/views/EveningRules.h"
#include "ui/views/IntensitySegment.h"

namespace orvane {

TonightSection::TonightSection(std::shared_ptr<AppModel> model, bool /*compact*/, QWidget* parent)
    : QWidget(parent),
      model_(std::move(model)),
      button_(new kit::SystemButton(QString::fromUtf8(EveningRules::useMyEvening), false, this)),
      caption_(new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption), this)),
      intensity_(new IntensitySegment(model_, 30, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    // The bordered look, small, in the caption font at semibold weight.
    button_->setFont(kit::FontBook::font(kit::TextStyle::caption, QFont::DemiBold));
    button_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(button_, 0, Qt::AlignLeft);
    caption_->setLevel(kit::TextLevel::secondary);
    caption_->setMaximumLines(1);
    layout->addWidget(caption_);
    layout->addWidget(intensity_);
    connect(button_, &QAbstractButton::clicked, this,
            [this] { model_->setEveningPlan(EveningRules::defaultEvening()); });
    subscription_ = model_->observe([this](AppModel::Property p) {
        if (p == AppModel::Property::settings || p == AppModel::Property::resolution ||
            p == AppModel::Property::location)
            refresh();
    });
    refresh();
}

QString TonightSection::caption() const {
    const bool hasPlan = model_->eveningPlan().has_value();
    return QString::fromStdString(
        EveningRules::tonightCaption(hasPlan, model_->settings().mode, model_->modeSubtitle()));
}

void TonightSection::refresh() {
    const bool hasPlan = model_->eveningPlan().has_value();
    button_->setVisible(!hasPlan);
    intensity_->setVisible(hasPlan);
    // The old caption cross-fades into the new one.
    caption_->rollText(caption(), kit::NumericTransition::Direction::none);
}

}  // namespace orvane
