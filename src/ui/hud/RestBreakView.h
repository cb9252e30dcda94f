#pragma once
// The rest-break countdown's face: a ring that empties from the top, an eye, the advice
// and the seconds left, on glass, 320 × 92 points. It redraws 30 times a second, and only
// while it is shown.
#include <QTimer>
#include <QWidget>

#include "app/Panels.h"
#include "platform/Observers.h"

namespace orvane {

class RestBreakView : public QWidget {
public:
    static constexpr int panelWidth = 320;
    static constexpr int panelHeight = 92;
    static constexpr double cornerRadius = 24;
    static constexpr double ringSide = 40;
    static constexpr double ringLine = 4;
    static constexpr double padding = 20;
    static constexpr double spacing = 16;
    static constexpr int refreshInterval = 33;  // ms, 30 frames a second

    // The state outlives the view; the time is the kit context's clock.
    explicit RestBreakView(const app::RestBreakHUDState& state, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {panelWidth, panelHeight}; }

    bool isRefreshing() const { return refresh_.isActive(); }
    // The fraction of the break still to go, now.
    double progress() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const app::RestBreakHUDState& state_;
    Subscription subscription_;
    QTimer refresh_;
};

}  // namespace orvane
