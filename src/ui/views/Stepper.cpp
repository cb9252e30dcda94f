#include "ui/views/Stepper.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"

namespace orvane::kit {

namespace StepperRules {

std::int64_t stepped(std::int64_t shown, const StepperRange& range, bool up) {
    const std::int64_t next = up ? shown + range.step : shown - range.step;
    return std::clamp(next, range.lowest, range.highest);
}

bool canStep(std::int64_t shown, const StepperRange& range, bool up) {
    return up ? shown < range.highest : shown > range.lowest;
}

std::int64_t percentShown(double fraction) { return std::llround(fraction * 100); }
double percentStored(std::int64_t percent) { return static_cast<double>(percent) / 100; }
QString percentLabel(std::int64_t percent) { return QString::number(percent) + QStringLiteral("%"); }

}  // namespace StepperRules

Stepper::Stepper(std::unique_ptr<SettingField<std::int64_t>> field, StepperRange range, Label label, QWidget* parent)
    : Stepper([f = field.get()] { return f->value(); }, [f = field.get()](std::int64_t v) { f->set(v); }, range,
              std::move(label), parent) {
    auto* raw = field.get();
    field_ = std::shared_ptr<SettingField<std::int64_t>>(std::move(field));
    raw->onChange(this, [this](std::int64_t) { refresh(); });
}

Stepper* Stepper::percent(std::unique_ptr<SettingField<double>> field, StepperRange range, QWidget* parent) {
    auto* raw = field.get();
    auto* stepper = new Stepper([raw] { return StepperRules::percentShown(raw->value()); },
                                [raw](std::int64_t n) { raw->set(StepperRules::percentStored(n)); }, range,
                                StepperRules::percentLabel, parent);
    stepper->field_ = std::shared_ptr<SettingField<double>>(std::move(field));
    raw->onChange(stepper, [stepper](double) { stepper->refresh(); });
    return stepper;
}

Stepper::Stepper(std::function<std::int64_t()> shown, std::function<void(std::int64_t)> write, StepperRange range,
                 Label label, QWidget* parent)
    : QWidget(parent), shown_(std::move(shown)), write_(std::move(write)), range_(range), label_(std::move(label)) {
    build();
}

namespace {

constexpr double arrowWidth = 22;
constexpr double arrowHeight = 13;

// One half of the arrow pair: a chevron on the glass capsule's upper or lower half.
PressableButton* arrow(const char* symbol, const QString& name, QWidget* parent) {
    auto* button = new PressableButton(parent);
    button->setAccessibleName(name);
    button->setContentSize({arrowWidth, arrowHeight});
    button->setFocusPolicy(Qt::TabFocus);
    button->setLabelPainter([button, symbol](QPainter& p, const QRectF& box, Appearance appearance) {
        const QColor colour = button->isEnabled() ? primaryText(appearance) : secondaryText(appearance);
        Symbols::drawCentred(p, symbol, box.center(), 8, colour, QFont::Bold);
    });
    return button;
}

// The capsule behind the two arrows.
class ArrowPair : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const Appearance appearance = appearanceOf(this);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        glassSurface(painter, PaintKit::roundedRect(box, 6), appearance);
        painter.fillRect(QRectF(box.left() + 4, box.center().y() - 0.25, box.width() - 8, 0.5),
                         isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.12f) : QColor::fromRgbF(0, 0, 0, 0.1f));
    }
};

}  // namespace

void Stepper::build() {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    text_ = new Text({}, FontBook::font(TextStyle::body, QFont::Medium));
    text_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(text_, 0, Qt::AlignVCenter);
    auto* pair = new ArrowPair;
    pair->setFixedSize(static_cast<int>(arrowWidth), static_cast<int>(2 * arrowHeight));
    auto* column = new QVBoxLayout(pair);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up_ = arrow("chevron.up", QStringLiteral("Increase"), pair);
    down_ = arrow("chevron.down", QStringLiteral("Decrease"), pair);
    column->addWidget(up_);
    column->addWidget(down_);
    row->addWidget(pair, 0, Qt::AlignVCenter);
    connect(up_, &QAbstractButton::clicked, this, [this] { stepUp(); });
    connect(down_, &QAbstractButton::clicked, this, [this] { stepDown(); });
}

QString Stepper::labelText() const { return text_->text(); }

void Stepper::step(bool up) {
    const std::int64_t shown = shown_();
    if (!StepperRules::canStep(shown, range_, up)) return;
    write_(StepperRules::stepped(shown, range_, up));
    refresh();
}

void Stepper::refresh() {
    const std::int64_t shown = shown_();
    text_->setText(label_(shown));
    // Room for the widest label of the range, so stepping never moves the arrows.
    const QFontMetricsF metrics(FontBook::font(TextStyle::body, QFont::Medium));
    const double widest =
        std::max({metrics.horizontalAdvance(label_(range_.lowest)), metrics.horizontalAdvance(label_(range_.highest)),
                  metrics.horizontalAdvance(label_(shown))});
    text_->setFixedWidth(static_cast<int>(std::ceil(widest)) + 2);
    up_->setEnabled(StepperRules::canStep(shown, range_, true));
    down_->setEnabled(StepperRules::canStep(shown, range_, false));
}

}  // namespace orvane::kit
