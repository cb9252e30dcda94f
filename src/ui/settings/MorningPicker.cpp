#include "ui/settings/MorningPicker.h"

#include <QHBoxLayout>

#include "ui/settings/ClockTimePicker.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/views/Stepper.h"

namespace orvane {

MorningPicker::MorningPicker(std::shared_ptr<AppModel> model, FieldPath<MorningBehavior> morning, QWidget* parent)
    : QWidget(parent) {
    using M = MorningBehavior;
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    kind_ = new KindPicker<M>(
        qTitles(MorningRules::kindTitles()), morning.field(model),
        [](const M& m) -> std::optional<int> { return MorningRules::kind(m); },
        [](const M&, int kind) { return MorningRules::seed(kind); });
    kind_->setAccessibleName(QStringLiteral("Morning"));
    setPickerWidth(*kind_, 200);
    fixed_ = new ClockTimePicker(field(model, morning.member<ClockTime>(
                                                  [](const M& m) {
                                                      const auto* f = m.as<M::OffAtFixed>();
                                                      return f ? f->time : ClockTime(420);
                                                  },
                                                  [](M& m, const ClockTime& t) { m = M::OffAtFixed{t}; })));
    wake_ = new ClockTimePicker(field(model, morning.member<ClockTime>(
                                                 [](const M& m) {
                                                     const auto* r = m.as<M::RampOutBy>();
                                                     return r ? r->time : ClockTime(420);
                                                 },
                                                 [](M& m, const ClockTime& t) {
                                                     const auto* r = m.as<M::RampOutBy>();
                                                     m = M::RampOutBy{t, r ? r->minutes : 30};
                                                 })));
    minutes_ = new kit::Stepper(morning
                                    .member<std::int64_t>(
                                        [](const M& m) {
                                            const auto* r = m.as<M::RampOut>();
                                            return r ? r->minutes : std::int64_t{30};
                                        },
                                        [](M& m, const std::int64_t& minutes) { m = M::RampOut{minutes}; })
                                    .field(model),
                                {0, 180, 5}, [](std::int64_t v) { return QString::fromStdString(minutesLabel(v)); });
    minutes_->setAccessibleName(QStringLiteral("Ramp"));
    row->addWidget(kind_);
    row->addWidget(fixed_);
    row->addWidget(wake_);
    row->addWidget(minutes_);
    kind_->onShown([this](const M& m) {
        fixed_->setVisible(m.is<M::OffAtFixed>());
        wake_->setVisible(m.is<M::RampOutBy>());
        minutes_->setVisible(m.is<M::RampOut>());
    });
}

}  // namespace orvane
