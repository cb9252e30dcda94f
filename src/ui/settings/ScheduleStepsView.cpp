#include "ui/settings/ScheduleStepsView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "support/Uuid.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Symbols.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/settings/StepRow.h"
#include "ui/views/Stepper.h"

namespace orvane {
namespace {

// A text button with a symbol before its title ("+ Add step").
class SymbolButton : public kit::SystemButton {
public:
    SymbolButton(std::string symbol, const QString& title) : kit::SystemButton(title), symbol_(std::move(symbol)) {}
    QSize sizeHint() const override {
        const QSize base = kit::SystemButton::sizeHint();
        return {base.width() + symbolRoom(), base.height()};
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        kit::SystemButton::paintEvent(event);
        // The title stays centred; the symbol goes just before it.
        const QFontMetricsF metrics(font());
        const double titleLeft = (width() - metrics.horizontalAdvance(text())) / 2;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled()) painter.setOpacity(0.45);
        const double size = metrics.height() * 0.6;
        kit::Symbols::drawCentred(painter, symbol_, {titleLeft - size / 2 - 4, height() / 2.0}, size,
                                  kit::primaryText(kit::appearanceOf(this)));
    }

private:
    int symbolRoom() const { return static_cast<int>(QFontMetricsF(font()).height() * 1.2) + 4; }
    std::string symbol_;
};

}  // namespace

ScheduleStepsView::ScheduleStepsView(std::shared_ptr<AppModel> model, QWidget* parent)
    : kit::FormSection(QStringLiteral("Schedule steps"), parent),
      model_(std::move(model)),
      schedule_(kit::settingField(model_, &Settings::schedule)) {
    const FieldPath<ScheduleSettings> schedule = settingsPath(&Settings::schedule);

    weekend_ = new KindPicker<ScheduleSettings>(
        qTitles(StepsRules::weekendTitles()), schedule.field(model_),
        [](const ScheduleSettings& s) -> std::optional<int> { return StepsRules::weekendKind(s.weekendMode); },
        StepsRules::withWeekendKind);
    weekend_->setAccessibleName(QStringLiteral("Weekends"));
    addRow(new kit::SettingRow(QStringLiteral("Weekends"), std::nullopt, weekend_));

    shift_ = new kit::Stepper(
        schedule
            .member<std::int64_t>(
                [](const ScheduleSettings& s) {
                    const auto* shifted = s.weekendMode.as<WeekendMode::Shifted>();
                    return shifted ? shifted->minutes : std::int64_t{0};
                },
                [](ScheduleSettings& s, const std::int64_t& minutes) { s.weekendMode = WeekendMode::Shifted{minutes}; })
            .field(model_),
        {-240, 240, 15}, [](std::int64_t m) { return QString::fromStdString(signedMinutesLabel(m)); });
    shift_->setAccessibleName(QStringLiteral("Weekend shift"));
    shiftRow_ = addRow(new kit::SettingRow(QStringLiteral("Weekend shift"), std::nullopt, shift_));

    editing_ = new kit::GlassSegment<bool>({{false, "Weekdays", {}, {}}, {true, "Weekends", {}, {}}}, false, 26,
                                           [this](bool weekend) { setEditingWeekend(weekend); });
    editing_->setFixedWidth(220);
    editing_->setAccessibleName(QStringLiteral("Editing"));
    editingRow_ = addRow(new kit::SettingRow(QStringLiteral("Editing"), std::nullopt, editing_));

    stepsBox_ = new QWidget;
    stepsBox_->setAttribute(Qt::WA_TranslucentBackground);
    stepsColumn_ = new QVBoxLayout(stepsBox_);
    stepsColumn_->setContentsMargins(0, 0, 0, 0);
    stepsColumn_->setSpacing(10);
    addRow(stepsBox_);

    auto* buttons = new QWidget;
    buttons->setAttribute(Qt::WA_TranslucentBackground);
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 2, 0, 2);
    buttonRow->addStretch(1);
    add_ = new SymbolButton("plus", QStringLiteral("Add step"));
    reset_ = new kit::SystemButton(QStringLiteral("Reset to defaults"));
    for (kit::SystemButton* b : {add_, reset_}) {
        b->setFont(kit::FontBook::font(kit::TextStyle::callout));
        buttonRow->addWidget(b);
    }
    buttonRow->addStretch(1);
    addRow(buttons);
    connect(add_, &QAbstractButton::clicked, this, [this] { addStep(); });
    connect(reset_, &QAbstractButton::clicked, this, [this] { resetSteps(); });

    setFootnote(
        QStringLiteral("Steps are applied in time order every day. A ramp blends from the previous step's "
                       "target."));

    auto lastMode = std::make_shared<WeekendMode>(schedule_->value().weekendMode);
    schedule_->onChange(this, [this, lastMode](const ScheduleSettings& s) {
        if (s.weekendMode != *lastMode) {
            *lastMode = s.weekendMode;
            followMode(s.weekendMode);
        }
        if (rows_.size() != StepsRules::steps(s, editingWeekend_).size()) rebuildRows();
    });
    shiftRow_->setVisible(schedule_->value().weekendMode.is<WeekendMode::Shifted>());
    editingRow_->setVisible(schedule_->value().weekendMode.is<WeekendMode::Separate>());
    rebuildRows();
}

void ScheduleStepsView::followMode(const WeekendMode& mode) {
    shiftRow_->setVisible(mode.is<WeekendMode::Shifted>());
    editingRow_->setVisible(mode.is<WeekendMode::Separate>());
    setEditingWeekend(StepsRules::keepsWeekendEditing(mode, editingWeekend_));
}

void ScheduleStepsView::setEditingWeekend(bool weekend) {
    editing_->setSelection(weekend);
    if (weekend == editingWeekend_) return;
    editingWeekend_ = weekend;
    rebuildRows();
}

void ScheduleStepsView::rebuildRows() {
    // A row may be rebuilt from inside its own remove button's click.
    for (StepRow* row : rows_) {
        row->hide();
        row->deleteLater();
    }
    rows_.clear();
    const bool weekend = editingWeekend_;
    const std::size_t count = StepsRules::steps(schedule_->value(), weekend).size();
    for (std::size_t i = 0; i < count; ++i) {
        FieldPath<ScheduleStep> step{[weekend, i](const Settings& s) {
                                         const auto& steps = StepsRules::steps(s.schedule, weekend);
                                         return i < steps.size() ? steps[i] : ScheduleStep{};
                                     },
                                     [weekend, i](Settings& s, const ScheduleStep& edited) {
                                         s.schedule = StepsRules::replaced(s.schedule, weekend, i, edited);
                                     }};
        auto* row = new StepRow(model_, std::move(step), [this, i] { removeStep(i); });
        stepsColumn_->addWidget(row);
        rows_.push_back(row);
    }
    stepsBox_->setVisible(count > 0);
}

void ScheduleStepsView::addStep() {
    schedule_->set(StepsRules::added(schedule_->value(), editingWeekend_, StepsRules::newStep(Uuid::upperCase())));
}

void ScheduleStepsView::resetSteps() { schedule_->set(StepsRules::reset(schedule_->value(), editingWeekend_)); }

void ScheduleStepsView::removeStep(std::size_t position) {
    schedule_->set(StepsRules::removed(schedule_->value(), editingWeekend_, position));
}

}  // namespace orvane
