#include "ui/settings/LateNightAnchorPicker.h"

#include <QHBoxLayout>

#include "ui/settings/ClockTimePicker.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/views/Stepper.h"

namespace orvane {

LateNightAnchorPicker::LateNightAnchorPicker(std::shared_ptr<AppModel> model, FieldPath<LateNightAnchor> anchor,
                                             QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    kind_ = new KindPicker<LateNightAnchor>(
        qTitles(LateNightRules::kindTitles()), anchor.field(model),
        [](const LateNightAnchor& a) -> std::optional<int> { return LateNightRules::kind(a); },
        [](const LateNightAnchor&, int kind) { return LateNightRules::seed(kind); });
    kind_->setAccessibleName(QStringLiteral("Kind"));
    setPickerWidth(*kind_, 90);
    clock_ = new ClockTimePicker(
        field(model, anchor.member<ClockTime>(
                         [](const LateNightAnchor& a) {
                             const auto* c = a.as<LateNightAnchor::Clock>();
                             return c ? c->time : ClockTime(1350);
                         },
                         [](LateNightAnchor& a, const ClockTime& t) { a = LateNightAnchor::Clock{t}; })));
    hours_ = new kit::Stepper(
        anchor
            .member<std::int64_t>(
                [](const LateNightAnchor& a) {
                    const auto* h = a.as<LateNightAnchor::EventPlusHours>();
                    return LateNightRules::halfHoursShown(h ? h->hours : 3.0);
                },
                [](LateNightAnchor& a, const std::int64_t& half) {
                    a = LateNightAnchor::EventPlusHours{LateNightRules::hoursStored(half)};
                })
            .field(model),
        {1, 16, 1}, [](std::int64_t half) {
            return QString::fromStdString(LateNightRules::hoursLabel(LateNightRules::hoursStored(half)));
        });
    hours_->setAccessibleName(QStringLiteral("Hours"));
    row->addWidget(kind_);
    row->addWidget(clock_);
    row->addWidget(hours_);
    kind_->onShown([this](const LateNightAnchor& a) {
        clock_->setVisible(a.is<LateNightAnchor::Clock>());
        hours_->setVisible(a.is<LateNightAnchor::EventPlusHours>());
    });
}

}  // namespace orvane
