#include "ui/settings/TargetPicker.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/settings/ScheduleRules.h"
#include "ui/views/Stepper.h"

namespace orvane {

TargetPicker::TargetPicker(std::shared_ptr<AppModel> model, FieldPath<TintTarget> target, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), path_(std::move(target)), column_(new QVBoxLayout(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(4);
    buildPicker();

    steppers_ = new QWidget;
    auto* row = new QHBoxLayout(steppers_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    kelvin_ = new kit::Stepper(
        path_
            .member<std::int64_t>(TargetRules::kelvinShown,
                                  [](TintTarget& t, const std::int64_t& k) { t = TargetRules::withKelvin(t, k); })
            .field(model_),
        {500, 6500, 50}, [](std::int64_t k) { return QString::fromStdString(TargetRules::kelvinLabel(k)); });
    kelvin_->setAccessibleName(QStringLiteral("Warmth"));
    dim_ = kit::Stepper::percent(
        path_
            .member<double>([](const TintTarget& t) { return TargetRules::dimShown(t) / 100.0; },
                            [](TintTarget& t, const double& d) { t = TargetRules::withDim(t, d); })
            .field(model_),
        {5, 100, 5});
    dim_->setAccessibleName(QStringLiteral("Dim"));
    row->addWidget(kelvin_);
    row->addWidget(dim_);
    column_->addWidget(steppers_, 0, Qt::AlignRight);

    target_ = path_.field(model_);
    target_->onChange(this, [this](const TintTarget& t) { follow(t); });
    presets_ = model_->observeSettings([this](const Settings& old, const Settings& now) {
        if (old.presets != now.presets) buildPicker();
    });
}

void TargetPicker::buildPicker() {
    std::vector<QString> titles;
    std::vector<std::string> tags;
    for (const auto& row : TargetRules::rows(model_->settings().presets)) {
        titles.push_back(QString::fromStdString(row.title));
        tags.push_back(row.tag);
    }
    auto* picker = new KindPicker<TintTarget>(
        std::move(titles), path_.field(model_),
        [tags](const TintTarget& t) -> std::optional<int> {
            const std::string tag = TargetRules::selection(t);
            for (std::size_t i = 0; i < tags.size(); ++i)
                if (tags[i] == tag) return static_cast<int>(i);
            return std::nullopt;
        },
        [tags](const TintTarget& current, int i) { return TargetRules::selected(current, tags.at(std::size_t(i))); });
    picker->setAccessibleName(QStringLiteral("Target"));
    setPickerWidth(*picker, 190);
    if (picker_) {
        column_->replaceWidget(picker_, picker);
        picker_->deleteLater();
        picker_->hide();
    } else {
        column_->addWidget(picker, 0, Qt::AlignRight);
    }
    picker_ = picker;
}

bool TargetPicker::steppersShown() const { return !steppers_->isHidden(); }

void TargetPicker::follow(const TintTarget& target) { steppers_->setVisible(target.is<TintTarget::Custom>()); }

}  // namespace orvane
