#include "ui/settings/StatisticsPane.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/PaneRegistry.h"

namespace orvane {

namespace StatisticsRules {

namespace {
const std::string none = "\u2014";
}

std::string eveningLightText(std::optional<double> reduction) {
    if (!reduction) return none;
    const double r = *reduction;
    const std::int64_t n = r >= 0 ? std::llround(std::min(r, 1.0) * 100) : 0;
    return "\u2212" + std::to_string(n) + "%";
}

Figures figures(const Statistics& statistics, Date now, const Calendar& calendar) {
    double warm = 0;
    for (const auto& day : statistics.recent(days, now, calendar)) warm += day.warmSeconds;
    char hours[32];
    std::snprintf(hours, sizeof hours, "%.1f h", warm / 3600);
    const auto kelvin = statistics.averageEveningKelvin(days, now, calendar);
    return {hours, kelvin ? std::to_string(*kelvin) + "K" : none,
            eveningLightText(statistics.averageEveningReduction(days, now, calendar))};
}

double barValue(const DayStats& day) {
    if (!(day.eveningScreenSeconds >= 60)) return 0;
    const double value = (1 - day.eveningMelanopicSeconds / day.eveningScreenSeconds) * 100;
    if (std::isnan(value)) return 0;
    return std::clamp(value, 0.0, 100.0);
}

std::vector<Bar> bars(const Statistics& statistics, Date now, const Calendar& calendar) {
    std::vector<Bar> out;
    for (const auto& day : statistics.recent(days, now, calendar))
        out.push_back({day.day.size() >= 5 ? day.day.substr(day.day.size() - 5) : day.day, barValue(day)});
    return out;
}

bool showsLabel(std::size_t index, std::size_t count, double slotWidth) {
    if (slotWidth >= 28) return true;
    // The newest day always keeps its label.
    return (count - 1 - index) % 2 == 0;
}

}  // namespace StatisticsRules

// --- chart -------------------------------------------------------------------------------

namespace {
constexpr double axisWidth = 40;
constexpr double labelHeight = 18;
constexpr double topInset = 8;
QFont axisFont() { return kit::FontBook::font(kit::TextStyle::caption2); }
}  // namespace

StatisticsChart::StatisticsChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedHeight(chartHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Less alerting light, by evening"));
}

void StatisticsChart::setBars(std::vector<StatisticsRules::Bar> bars) {
    if (bars == bars_) return;
    bars_ = std::move(bars);
    update();
}

QRectF StatisticsChart::plotRect() const {
    return QRectF(0, topInset, std::max(0.0, width() - axisWidth), height() - topInset - labelHeight);
}

std::vector<QRectF> StatisticsChart::barRects() const {
    std::vector<QRectF> out;
    if (bars_.empty()) return out;
    const QRectF plot = plotRect();
    const double slot = plot.width() / static_cast<double>(bars_.size());
    const double barWidth = std::max(2.0, slot * 0.6);
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const double h = plot.height() * bars_[i].value / 100;
        const double x = plot.left() + slot * static_cast<double>(i) + (slot - barWidth) / 2;
        out.emplace_back(x, plot.bottom() - h, barWidth, h);
    }
    return out;
}

void StatisticsChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const kit::Appearance appearance = kit::appearanceOf(this);
    const QRectF plot = plotRect();
    const QColor grid = kit::isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.1f) : QColor::fromRgbF(0, 0, 0, 0.1f);
    const QColor secondary = kit::secondaryText(appearance);
    painter.setFont(axisFont());
    // The fixed value axis on the trailing side: 0, 25, 50, 75, 100, with grid lines.
    for (int v = 0; v <= 100; v += 25) {
        const double y = plot.bottom() - plot.height() * v / 100.0;
        painter.fillRect(QRectF(plot.left(), y - 0.25, plot.width(), 0.5), grid);
        painter.setPen(secondary);
        painter.drawText(QRectF(plot.right() + 6, y - 8, axisWidth - 6, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(v));
    }
    const QColor ember = kit::Tokens::ember().resolve(appearance);
    const auto rects = barRects();
    const double slot = bars_.empty() ? 0 : plot.width() / static_cast<double>(bars_.size());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].height() > 0) {
            const double radius = std::min({4.0, rects[i].width() / 2, rects[i].height() / 2});
            painter.fillPath(kit::PaintKit::roundedRect(rects[i], radius), ember);
        }
        if (!StatisticsRules::showsLabel(i, rects.size(), slot)) continue;
        painter.setPen(secondary);
        painter.drawText(
            QRectF(plot.left() + slot * static_cast<double>(i) - 10, plot.bottom() + 2, slot + 20, labelHeight - 2),
            Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(bars_[i].label));
    }
}

// --- pane --------------------------------------------------------------------------------

namespace {

using kit::q;

// Title, value and caption in a column with room on both sides.
kit::Text* figure(QHBoxLayout* row, const QString& title, const QString& caption) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(12, 0, 12, 0);
    column->setSpacing(2);
    auto* titleText = new kit::Text(title, kit::Tokens::labelFont());
    titleText->setLevel(kit::TextLevel::secondary);
    column->addWidget(titleText);
    auto* value = new kit::Text({}, kit::FontBook::font(kit::TextStyle::title2, QFont::DemiBold));
    column->addWidget(value);
    auto* captionText = new kit::Text(caption, kit::FontBook::font(kit::TextStyle::caption2));
    captionText->setLevel(kit::TextLevel::secondary);
    captionText->setOpacity(0.75);  // tertiary
    column->addWidget(captionText);
    row->addWidget(box, 1);
    return value;
}

class Divider : public QWidget {
public:
    Divider() { setFixedWidth(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool dark = kit::isDark(kit::appearanceOf(this));
        painter.fillRect(QRectF(0, 0, 0.5, height()),
                         dark ? QColor::fromRgbF(1, 1, 1, 0.12f) : QColor::fromRgbF(0, 0, 0, 0.12f));
    }
};

}  // namespace

StatisticsPane::StatisticsPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), model_(environment.model, [this](AppModel::Property p) {
          if (p == AppModel::Property::statistics || p == AppModel::Property::settings) refresh();
      }) {
    auto* summary = addSection();
    auto* figuresRow = new QWidget;
    auto* row = new QHBoxLayout(figuresRow);
    row->setContentsMargins(0, 4, 0, 4);
    row->setSpacing(0);
    warmHours_ = figure(row, QStringLiteral("Warm hours"), QStringLiteral("Last 14 days"));
    row->addWidget(new Divider);
    eveningWarmth_ = figure(row, QStringLiteral("Evening warmth"), QStringLiteral("Average"));
    row->addWidget(new Divider);
    eveningLight_ = figure(row, QStringLiteral("Evening light"), QStringLiteral("Less alerting light"));
    summary->addRow(figuresRow);
    auto* explanation = new kit::Text(
        QStringLiteral("Evening light estimates the alerting (melanopic, CIE S 026) light your screen gave off between "
                       "18:00 and 06:00 compared with an untouched screen, including time with the tint off. It "
                       "depends on your display and is not a measurement or a sleep promise."),
        kit::FontBook::font(kit::TextStyle::caption));
    explanation->setLevel(kit::TextLevel::secondary);
    explanation->setMaximumLines(6);
    summary->addRow(explanation);

    auto* evenings = addSection(QStringLiteral("Less alerting light, by evening"));
    auto* chartBox = new QWidget;
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 4, 0, 4);
    chartLayout->setSpacing(4);
    auto* axisTitle = new kit::Text(QStringLiteral("% less"), kit::FontBook::font(kit::TextStyle::caption2));
    axisTitle->setLevel(kit::TextLevel::secondary);
    axisTitle->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    chartLayout->addWidget(axisTitle);
    chart_ = new StatisticsChart;
    chartLayout->addWidget(chart_);
    evenings->addRow(chartBox);
    note_ = evenings->addCaption(QStringLiteral("Statistics are turned off in Advanced."));
    refresh();
}

void StatisticsPane::refresh() {
    const AppModel& m = model_.model();
    const Date now = m.now();
    const Calendar calendar = m.systemCalendar();
    const auto f = StatisticsRules::figures(m.statistics(), now, calendar);
    warmHours_->setText(q(f.warmHours));
    eveningWarmth_->setText(q(f.eveningWarmth));
    eveningLight_->setText(q(f.eveningLight));
    chart_->setBars(StatisticsRules::bars(m.statistics(), now, calendar));
    note_->setVisible(!m.settings().statisticsEnabled);
}

StatisticsRules::Figures StatisticsPane::shownFigures() const {
    return {warmHours_->text().toStdString(), eveningWarmth_->text().toStdString(),
            eveningLight_->text().toStdString()};
}

bool StatisticsPane::noteShown() const { return !note_->isHidden(); }

QWidget* makeStatisticsPane(const PaneEnvironment& environment) { return new StatisticsPane(environment); }

}  // namespace orvane
