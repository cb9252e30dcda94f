#include "ui/settings/TonightSection.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/settings/EveningLook.h"
#include "ui/settings/EveningRules.h"
#include "ui/settings/IntensitySegment.h"

namespace orvane {

TonightSection::TonightSection(std::shared_ptr<AppModel> model, bool /*compact*/, QWidget* parent)
    : QWidget(parent),
      model_(std::move(model)),
      button_(new QPushButton(QString::fromUtf8(EveningRules::useMyEvening), this)),
      caption_(new QLabel(this)),
      intensity_(new IntensitySegment(model_, 30, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const EveningLook::Fonts f = EveningLook::fonts(font());
    button_->setFont(f.captionSemibold);
    button_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(button_, 0, Qt::AlignLeft);
    caption_->setFont(f.caption);
    caption_->setWordWrap(false);
    caption_->setTextFormat(Qt::PlainText);
    QPalette pal = caption_->palette();
    pal.setColor(QPalette::WindowText, EveningLook::colors(*this).secondary);
    caption_->setPalette(pal);
    layout->addWidget(caption_);
    layout->addWidget(intensity_);
    connect(button_, &QPushButton::clicked, this, [this] { model_->setEveningPlan(EveningRules::defaultEvening()); });
    subscription_ = model_->observe([this](AppModel::Property p) {
        if (p == AppModel::Property::settings || p == AppModel::Property::resolution ||
            p == AppModel::Property::location)
            refresh();
    });
    refresh();
}

QString TonightSection::caption() const {
    const bool hasPlan = model_->eveningPlan().has_value();
    return QString::fromStdString(EveningRules::tonightCaption(hasPlan, model_->settings().mode, model_->modeSubtitle()));
}

void TonightSection::refresh() {
    const bool hasPlan = model_->eveningPlan().has_value();
    button_->setVisible(!hasPlan);
    intensity_->setVisible(hasPlan);
    caption_->setText(caption());
}

}  // namespace orvane
