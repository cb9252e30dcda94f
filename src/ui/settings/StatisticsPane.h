#pragma once
// The Statistics pane: three figures over the last 14 days (warm hours, the average evening
// warmth, how much less alerting light) and a bar chart of the reduction evening by
// evening. It only reads the model and follows its statistics and the statistics switch.
#include <string>
#include <vector>

#include <QWidget>

#include "core/Calendar.h"
#include "core/Statistics.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"

namespace orvane {

namespace kit {
class Text;
}

namespace StatisticsRules {

inline constexpr int days = 14;

struct Figures {
    std::string warmHours;      // "12.5 h"
    std::string eveningWarmth;  // "2350K" or "—"
    std::string eveningLight;   // "−42%" or "—"
    bool operator==(const Figures&) const = default;
};
Figures figures(const Statistics& statistics, Date now, const Calendar& calendar);
std::string eveningLightText(std::optional<double> reduction);

struct Bar {
    std::string label;  // "03-14"
    double value = 0;   // percent less, 0...100
    bool operator==(const Bar&) const = default;
};
// One bar per day of the last 14, oldest first; a value outside 0...100 (hand-edited
// statistics) is clamped, NaN is 0.
std::vector<Bar> bars(const Statistics& statistics, Date now, const Calendar& calendar);
double barValue(const DayStats& day);
// Which category labels are drawn: all, or every second one (from the newest) when a slot
// is narrower than 28 points.
bool showsLabel(std::size_t index, std::size_t count, double slotWidth);

}  // namespace StatisticsRules

// The bar chart: a fixed 0...100 axis titled "% less", bars in the accent colour.
class StatisticsChart : public QWidget {
public:
    static constexpr int chartHeight = 200;
    explicit StatisticsChart(QWidget* parent = nullptr);
    void setBars(std::vector<StatisticsRules::Bar> bars);
    const std::vector<StatisticsRules::Bar>& bars() const { return bars_; }
    // Where each bar is drawn, in widget coordinates.
    std::vector<QRectF> barRects() const;
    QRectF plotRect() const;
    QSize sizeHint() const override { return {480, chartHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<StatisticsRules::Bar> bars_;
};

class StatisticsPane : public kit::Form {
public:
    explicit StatisticsPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    StatisticsRules::Figures shownFigures() const;
    const StatisticsChart& chart() const { return *chart_; }
    bool noteShown() const;

private:
    void refresh();

    kit::ModelFollower model_;
    kit::Text* warmHours_;
    kit::Text* eveningWarmth_;
    kit::Text* eveningLight_;
    StatisticsChart* chart_;
    kit::Text* note_;
};

}  // namespace orvane
