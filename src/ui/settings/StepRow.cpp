#include "ui/settings/StepRow.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/settings/ClockTimePicker.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/settings/TargetPicker.h"
#include "ui/views/Stepper.h"

namespace orvane {

StepRow::StepRow(std::shared_ptr<AppModel> model, FieldPath<ScheduleStep> step, std::function<void()> remove,
                 QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    const FieldPath<StepAnchor> anchor = step.member<StepAnchor>(
        [](const ScheduleStep& s) { return s.anchor; }, [](ScheduleStep& s, const StepAnchor& a) { s.anchor = a; });
    const FieldPath<StepAnchor::Sun> sun = anchor.member<StepAnchor::Sun>(
        [](const StepAnchor& a) {
            const auto* s = a.as<StepAnchor::Sun>();
            return s ? *s : StepAnchor::Sun{};
        },
        [](StepAnchor& a, const StepAnchor::Sun& s) { a = s; });

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 2, 0, 2);
    rows->setSpacing(6);

    anchor_ = new KindPicker<StepAnchor>(
        qTitles(StepRules::anchorTitles()), anchor.field(model),
        [](const StepAnchor& a) -> std::optional<int> { return StepRules::anchorKind(a); },
        [](const StepAnchor&, int kind) { return StepRules::anchorSeed(kind); });
    anchor_->setAccessibleName(QStringLiteral("Anchor"));
    setPickerWidth(*anchor_, 80);
    clock_ =
        new ClockTimePicker(field(model, anchor.member<ClockTime>(
                                             [](const StepAnchor& a) {
                                                 const auto* c = a.as<StepAnchor::Clock>();
                                                 return c ? c->time : ClockTime(1200);
                                             },
                                             [](StepAnchor& a, const ClockTime& t) { a = StepAnchor::Clock{t}; })));
    std::vector<kit::Picker<SunEvent>::Item> events;
    for (SunEvent e : allCases<SunEvent>()) events.push_back({e, QString::fromStdString(SunsetRules::eventTitle(e))});
    event_ = new kit::Picker<SunEvent>(std::move(events),
                                       sun.member<SunEvent>([](const StepAnchor::Sun& s) { return s.event; },
                                                            [](StepAnchor::Sun& s, const SunEvent& e) { s.event = e; })
                                           .field(model));
    event_->setAccessibleName(QStringLiteral("Event"));
    setPickerWidth(*event_, 120);
    offset_ = new kit::Stepper(
        sun.member<std::int64_t>([](const StepAnchor::Sun& s) { return s.offsetMinutes; },
                                 [](StepAnchor::Sun& s, const std::int64_t& m) { s.offsetMinutes = m; })
            .field(model),
        {-180, 180, 5}, [](std::int64_t m) { return QString::fromStdString(signedMinutesLabel(m)); });
    offset_->setAccessibleName(QStringLiteral("Offset"));
    target_ =
        new TargetPicker(model, step.member<TintTarget>([](const ScheduleStep& s) { return s.target; },
                                                        [](ScheduleStep& s, const TintTarget& t) { s.target = t; }));
    ramp_ =
        new kit::Stepper(step.member<std::int64_t>([](const ScheduleStep& s) { return s.rampMinutes; },
                                                   [](ScheduleStep& s, const std::int64_t& m) { s.rampMinutes = m; })
                             .field(model),
                         {0, 180, 5}, [](std::int64_t m) { return QString::fromStdString(StepRules::rampLabel(m)); });
    ramp_->setAccessibleName(QStringLiteral("Ramp"));

    remove_ = new kit::PressableButton;
    remove_->setContentSize({18, 18});
    remove_->setToolTip(QStringLiteral("Remove step"));
    remove_->setAccessibleName(QStringLiteral("Remove step"));
    remove_->setLabelPainter([](QPainter& p, const QRectF& box, kit::Appearance appearance) {
        kit::Symbols::drawCentred(p, "minus.circle.fill", box.center(), 16, kit::secondaryText(appearance));
    });
    connect(remove_, &QAbstractButton::clicked, this, [remove = std::move(remove)] {
        if (remove) remove();
    });

    // Two lines, so a sun step with its target's steppers still fits the pane's width:
    // when it starts (and the remove button), then what it aims at and how long it ramps.
    auto* when = new QHBoxLayout;
    when->setSpacing(8);
    for (QWidget* w : std::initializer_list<QWidget*>{anchor_, clock_, event_, offset_})
        when->addWidget(w, 0, Qt::AlignVCenter);
    when->addStretch(1);
    when->addWidget(remove_, 0, Qt::AlignVCenter);
    auto* what = new QHBoxLayout;
    what->setSpacing(8);
    what->addStretch(1);
    what->addWidget(target_, 0, Qt::AlignTop);
    what->addWidget(ramp_, 0, Qt::AlignTop);
    rows->addLayout(when);
    rows->addLayout(what);

    anchor_->onShown([this](const StepAnchor& a) {
        const bool isSun = a.is<StepAnchor::Sun>();
        clock_->setVisible(!isSun);
        event_->setVisible(isSun);
        offset_->setVisible(isSun);
    });
}

}  // namespace orvane
