#include "ui/kit/NumericTransition.h"

#include <algorithm>

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>

namespace orvane::kit {

namespace {

struct Split {
    qsizetype prefix = 0;     // characters both texts start with
    qsizetype oldMiddle = 0;  // what differs, in the old text
    qsizetype newMiddle = 0;  // and in the new one
};

// The common start and end of two texts; what lies between them rolls.
Split split(const QString& from, const QString& to) {
    const qsizetype shorter = std::min(from.size(), to.size());
    qsizetype prefix = 0;
    while (prefix < shorter && from[prefix] == to[prefix]) ++prefix;
    // Never split a surrogate pair.
    if (prefix > 0 && prefix < shorter && to[prefix].isLowSurrogate()) --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && from[from.size() - 1 - suffix] == to[to.size() - 1 - suffix]) ++suffix;
    if (suffix > 0 && to[to.size() - suffix].isLowSurrogate()) --suffix;
    return {prefix, from.size() - prefix - suffix, to.size() - prefix - suffix};
}

double advance(const QFontMetricsF& metrics, const QString& text, qsizetype length) {
    return length <= 0 ? 0.0 : metrics.horizontalAdvance(text.left(length));
}

}  // namespace

NumericTransition::NumericTransition(QString text) : text_(std::move(text)), previous_(text_) {}

void NumericTransition::setText(const QString& text, Animator& animator, bool animated, Direction direction,
                                Spring withSpring) {
    if (text == text_) return;
    previous_ = text_;
    text_ = text;
    direction_ = direction;
    // An empty text has nothing to roll from: the first value simply appears.
    if (!animated || previous_.isEmpty()) {
        previous_ = text_;
        animator.set(progress_, 1);
        return;
    }
    animator.set(progress_, 0);
    animator.animate(progress_, 1, withSpring);
}

double NumericTransition::travel(const QFontMetricsF& metrics) { return 0.8 * metrics.ascent(); }

// The old characters are gone by 60 % of the way and the new ones start at 40 %, so the two
// never stand over each other at full strength.
double NumericTransition::outgoing(double p) { return std::clamp(1 - p / 0.6, 0.0, 1.0); }
double NumericTransition::incoming(double p) { return std::clamp((p - 0.4) / 0.6, 0.0, 1.0); }

std::vector<NumericTransition::Run> NumericTransition::runs(const QFontMetricsF& metrics) const {
    const double p = std::clamp(progress_.value(), 0.0, 1.0);
    if (p >= 1 || previous_ == text_) return {{text_, 0, 0, 1}};
    if (direction_ == Direction::none) return {{previous_, 0, 0, 1 - p}, {text_, 0, 0, p}};
    const Split s = split(previous_, text_);
    // Counting up, the old characters leave upwards and the new ones come from below.
    const double sign = direction_ == Direction::up ? 1 : -1;
    const double d = travel(metrics);
    const double middle = advance(metrics, text_, s.prefix);
    std::vector<Run> result;
    if (s.prefix > 0) result.push_back({text_.left(s.prefix), 0, 0, 1});
    if (s.oldMiddle > 0) result.push_back({previous_.mid(s.prefix, s.oldMiddle), middle, -sign * d * p, outgoing(p)});
    if (s.newMiddle > 0) result.push_back({text_.mid(s.prefix, s.newMiddle), middle, sign * d * (1 - p), incoming(p)});
    const qsizetype suffix = text_.size() - s.prefix - s.newMiddle;
    if (suffix > 0) {
        const double from = advance(metrics, previous_, s.prefix + s.oldMiddle);
        const double to = advance(metrics, text_, s.prefix + s.newMiddle);
        result.push_back({text_.right(suffix), from + (to - from) * p, 0, 1});
    }
    return result;
}

double NumericTransition::width(const QFontMetricsF& metrics) const {
    const double to = metrics.horizontalAdvance(text_);
    const double p = std::clamp(progress_.value(), 0.0, 1.0);
    if (p >= 1) return to;
    const double from = metrics.horizontalAdvance(previous_);
    return from + (to - from) * p;
}

void NumericTransition::draw(QPainter& painter, QPointF baselineLeft, const QColor& colour) const {
    const QFontMetricsF metrics(painter.font());
    const double opacity = painter.opacity();
    painter.save();
    painter.setPen(colour);
    for (const Run& run : runs(metrics)) {
        if (run.opacity <= 0) continue;
        painter.setOpacity(opacity * run.opacity);
        painter.drawText(baselineLeft + QPointF(run.x, run.dy), run.text);
    }
    painter.restore();
}

}  // namespace orvane::kit
