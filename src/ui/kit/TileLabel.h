#pragma once
// The label of the popover's shortcut tiles: a round icon (a symbol on an ember disc, or an
// application's icon), a title and a one-line detail; it looks different while on.
#include <optional>
#include <string>

#include <QImage>
#include <QWidget>

#include "ui/kit/Animator.h"
#include "ui/kit/Bounce.h"
#include "ui/kit/NumericTransition.h"

namespace orvane::kit {

class TileLabel : public QWidget {
public:
    TileLabel(std::string symbol, QString title, QString detail, bool on, std::optional<QImage> appIcon = std::nullopt,
              QWidget* parent = nullptr);

    void setSymbol(std::string symbol);
    void setTitle(QString title);
    // A new detail counts up into place while the label is shown.
    void setDetail(QString detail);
    void setOn(bool on);
    void setAppIcon(std::optional<QImage> icon);
    // The title takes only the room the tile is given: its length asks no width of the
    // row (an application's name, which may be long), and it is cut short instead.
    void setTitleElides(bool elides);
    bool on() const { return on_; }
    const QString& title() const { return title_; }
    // Whether the title or the detail, at the label's width, is cut short with "…".
    bool elided() const;
    const QString& detail() const { return detail_; }
    const NumericTransition& detailTransition() const { return detailRoll_; }
    // The app icon's saturation and whether the "not tinted" badge shows, as drawn now.
    double appIconSaturation() const { return on_ ? 0.35 : 1.0; }
    bool badgeShown() const { return appIcon_ && on_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    QString title_;
    QString detail_;
    bool on_;
    bool titleElides_ = false;
    std::optional<QImage> appIcon_;
    NumericTransition detailRoll_;
    AnimatedValue badge_{0};  // the badge's scale and opacity
    Bounce bounce_;
};

}  // namespace orvane::kit
