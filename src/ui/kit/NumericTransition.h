#pragma once
// A text that changes in place like a counter: the characters that differ between the old
// and the new text roll out and in (upwards when counting up, downwards when counting
// down) while the unchanged ends stay and slide to their new place. One transition for every
// number that changes where it stands: slider readouts, tile details, the kelvin numeral,
// the sky card's rows and the evening badge. The same transition cross-fades a text that is no
// number (the tonight block's caption).
#include <functional>
#include <vector>

#include <QString>

#include "ui/kit/Animator.h"

class QColor;
class QFontMetricsF;
class QPainter;
class QPointF;

namespace orvane::kit {

class NumericTransition {
public:
    // Counting up or down; `none` cross-fades the whole text in place (an opacity transition).
    enum class Direction { up, down, none };

    // What is drawn at one moment: a run of characters, its left end from the text's origin,
    // its vertical offset in points (y down) and its opacity.
    struct Run {
        QString text;
        double x = 0;
        double dy = 0;
        double opacity = 1;
    };

    // The kit's default for a number that changes: critically damped, response 0.35 s.
    static constexpr Spring spring{0.35, 1.0};

    explicit NumericTransition(QString text = {});

    // Shows `text`. With `animated` the differing characters roll on the animator's clock;
    // a change in the middle of a roll rolls on from the text that was coming in.
    void setText(const QString& text, Animator& animator, bool animated, Direction direction = Direction::up,
                 Spring withSpring = spring);
    // Counting down when a number got smaller, up otherwise.
    static Direction direction(double from, double to) { return to < from ? Direction::down : Direction::up; }

    const QString& text() const { return text_; }
    const QString& previous() const { return previous_; }
    Direction currentDirection() const { return direction_; }
    double progress() const { return progress_.value(); }
    bool rolling() const { return progress_.value() < 1; }
    // Called on every frame of a roll.
    void setOnChange(std::function<void()> onChange) { progress_.setOnChange(std::move(onChange)); }

    // The runs to draw now, laid out with `metrics` from x = 0; a settled text is one run.
    std::vector<Run> runs(const QFontMetricsF& metrics) const;
    // The width now: from the old text's to the new one's as the roll goes.
    double width(const QFontMetricsF& metrics) const;
    // How far a rolling character travels: most of the font's ascent.
    static double travel(const QFontMetricsF& metrics);
    // The opacity of the leaving and of the arriving characters at a progress.
    static double outgoing(double progress);
    static double incoming(double progress);

    // Draws the runs in the painter's font and `colour`, `baselineLeft` at the text's origin.
    void draw(QPainter& painter, QPointF baselineLeft, const QColor& colour) const;

private:
    QString text_, previous_;
    Direction direction_ = Direction::up;
    AnimatedValue progress_{1};  // 0 as a roll starts, 1 settled
};

}  // namespace orvane::kit
