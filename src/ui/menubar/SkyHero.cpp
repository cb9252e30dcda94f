#include "ui/menubar/SkyHero.h"

#include <cmath>
#include <numbers>

#include <QAbstractButton>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>

#include "app/AppModel.h"
#include "platform/Clock.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Spring.h"
#include "ui/kit/TintSwitch.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/SkyDebug.h"
#include "ui/menubar/SkyTexts.h"
#include "ui/views/ClockMenu.h"
#include "ui/views/EveningLightBadge.h"
#include "ui/views/EveningRules.h"

namespace orvane {
namespace {

constexpr double padding = 16;
constexpr double dragThreshold = 2;

struct CardFonts {
    QFont time, caption, label, numeral, unit;
};

CardFonts cardFonts() {
    CardFonts f;
    f.time = kit::FontBook::system(15, QFont::DemiBold);
    f.caption = kit::FontBook::font(kit::TextStyle::caption, QFont::Medium);
    f.label = kit::Tokens::labelFont();
    f.numeral = kit::Tokens::numeralFont();
    f.unit = kit::Tokens::numeralUnitFont();
    return f;
}

// The rows' white text with their shadow: black at 0.3, blurred with radius 2, half a point
// down. `at` is on the baseline. The laid-out texts are kept, so a twinkle frame does not
// shape them again, and the kit keeps the blurred silhouettes.
void shadowedText(QPainter& p, std::map<std::pair<QString, QString>, QStaticText>& cache, QPointF at,
                  const QString& text, double opacity) {
    if (opacity <= 0 || text.isEmpty()) return;
    if (cache.size() > 64) cache.clear();
    auto [it, made] = cache.try_emplace({p.font().key(), text});
    if (made) {
        it->second.setText(text);
        it->second.setTextFormat(Qt::PlainText);
        it->second.setPerformanceHint(QStaticText::AggressiveCaching);
        it->second.prepare(p.transform(), p.font());
    }
    kit::PaintKit::drawTextShadow(p, at, text, QColor::fromRgbF(0, 0, 0, static_cast<float>(0.3 * opacity)), 2,
                                  QPointF(0, 0.5));
    p.save();
    p.setPen(QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity)));
    p.drawStaticText(at - QPointF(0, QFontMetricsF(p.font()).ascent()), it->second);
    p.restore();
}

// A rolling text: each run with its own offset and share of the opacity.
void shadowedText(QPainter& p, std::map<std::pair<QString, QString>, QStaticText>& cache, QPointF at,
                  const kit::NumericTransition& roll, double opacity) {
    for (const auto& run : roll.runs(QFontMetricsF(p.font())))
        shadowedText(p, cache, at + QPointF(run.x, run.dy), run.text, opacity * run.opacity);
}

}  // namespace

SkyHero::SkyHero(std::shared_ptr<AppModel> model, Environment environment, std::optional<Date> fixedNow,
                 QWidget* parent)
    : QWidget(parent), model_(std::move(model)), environment_(std::move(environment)), fixedNow_(fixedNow) {
    if (!environment_.clock) environment_.clock = platform::SystemClock::shared();
    if (!environment_.random) environment_.random = std::make_shared<std::mt19937_64>(std::random_device{}());
    setFixedHeight(cardHeight);
    setMinimumWidth(200);
    setMouseTracking(true);
    setAccessibleDescription(QString::fromUtf8(SkyTexts::accessibilityHint));
    hoverAmount_.setOnChange([this] {
        ++generation_;
        update();
    });
    timeRoll_.setOnChange([this] { update(skyRowRect()); });
    kelvinRoll_.setOnChange([this] { update(seaRowRect()); });
    alertingRoll_.setOnChange([this] {
        layoutChildren();  // the badge follows the label's width
        update(seaRowRect());
    });

    const auto plan = model_->eveningPlan();
    bedMenu_ = new ClockMenu(
        "bed.double.fill", "Bed", plan ? plan->bedtime : EveningRules::defaultBedtime, ClockMenu::bedtimes(),
        [this](ClockTime t) {
            if (const auto current = model_->eveningPlan())
                model_->setEveningPlan(EveningRules::planWithBedtime(*current, t));
        },
        this);
    auto* toggle = new kit::TintSwitch("Warm my display", this);
    toggle->setOn(model_->settings().enabled);
    // The model decides; the switch shows what it decided.
    connect(toggle, &QAbstractButton::clicked, this, [this, toggle](bool on) {
        model_->setEnabled(on);
        toggle->setOn(model_->settings().enabled);
    });
    switch_ = toggle;
    badge_ = new EveningLightBadge(0, this);

    subscription_ = model_->observe([this](AppModel::Property p) {
        switch (p) {
            case AppModel::Property::settings:
            case AppModel::Property::resolution:
            case AppModel::Property::location:
            case AppModel::Property::statistics:
            case AppModel::Property::renderTonightReduction:
            case AppModel::Property::runtime:
                modelChanged();
                break;
            default:
                break;
        }
    });
    // popoverWillShow and popoverDidClose come from the centre of the window it is made in.
    kit::NotificationCenter& centre = kit::notificationsOf(parent);
    notifications_.push_back(
        centre.observe(kit::Notifications::popoverWillShow, [this](const auto&) { popoverWillShow(); }));
    notifications_.push_back(
        centre.observe(kit::Notifications::popoverDidClose, [this](const auto&) { popoverDidClose(); }));
    open_ = environment_.startsOpen;
    refresh();
    updateTimers();
}

SkyHero::~SkyHero() = default;

Date SkyHero::now() const { return fixedNow_ ? *fixedNow_ : environment_.clock->now() + SkyDebug::offset(); }

bool SkyHero::twinkles() const { return SkyCard::twinkles(open_, environment_.reduceMotion, fixedNow_.has_value()); }

TimeZone SkyHero::zone() const { return model_->placeZone(); }

void SkyHero::popoverWillShow() {
    open_ = true;
    // The real clock: neither the fixed moment nor the debug offset.
    meteor_ = Meteor::maybe(environment_.clock->now(), zone(), SkyDebug::alwaysMeteor(), *environment_.random);
    // What changed while the popover was closed is simply there when it opens.
    quietTexts_ = true;
    refresh();
    quietTexts_ = false;
    updateTimers();
}

void SkyHero::popoverDidClose() {
    open_ = false;
    meteor_.reset();
    scrub_.reset();
    pressAt_.reset();
    dragging_ = false;
    springTimer_.cancel();
    releaseOffset_ = 0;
    refresh();
    updateTimers();
}

void SkyHero::modelChanged() {
    // Nobody sees a closed card, and opening it lays it out afresh anyway.
    if (!open_) return;
    refresh();
    updateTimers();
}

void SkyHero::refresh() {
    const Date scene = shown() + releaseOffset_ * springValue_;
    day_ =
        SkyDay::make(model_->location(), zone(), model_->eveningPlan(), now(), scene, std::max(width(), 1), cardHeight);
    ++generation_;
    makeTexts();
    setAccessibleName(
        QString::fromStdString(SkyTexts::accessibilityText(day_.sun, day_.visibleMoon(), texts_.nextEvent)));
    updateChildren();
    update();
}

bool SkyHero::sceneMoves() const {
    const SkyScene s = scene();
    return s.starOpacity() > 0 || s.moonGlade().has_value() || (s.meteor && s.starOpacity() > 0.5);
}

void SkyHero::updateTimers() {
    const auto& scheduler = environment_.scheduler;
    if (!scheduler) return;
    const bool live = open_ && !concealed_;
    if (live && !minuteTimer_)
        minuteTimer_ = scheduler->makeTimer([this] {
            refresh();
            armMinute();
        });
    if (live && !minuteTimer_->armed()) armMinute();
    if (!live && minuteTimer_) minuteTimer_->disarm();
    const bool animate = !concealed_ && twinkles() && sceneMoves();
    if (animate && !frameTimer_)
        frameTimer_ = scheduler->scheduleRepeating(1.0 / 30, 0, [this] { update(twinkleRegion()); });
    if (!animate) frameTimer_.cancel();
}

void SkyHero::armMinute() {
    // The time shown changes on the minute; a timer never fires early, so the refresh it
    // brings shows the new minute.
    minuteTimer_->arm(SkyTexts::untilNextMinute(now()), 0.25);
}

std::optional<TintState> SkyHero::previewState() const {
    return SkyTexts::previewState(scrub_, model_->settings().mode, model_->resolution().curve);
}

void SkyHero::makeTexts() {
    const auto preview = previewState();
    const Resolution& r = model_->resolution();
    texts_.time = SkyTexts::shownTime(shown(), zone(), environment_.locale);
    texts_.nextEvent = SkyTexts::nextSunEvent(now(), model_->location(), zone(), environment_.locale);
    if (scrub_) texts_.skyLine = SkyTexts::previewLine;
    else if (const auto moon = day_.visibleMoon(); moon && moonHovered_) texts_.skyLine = SkyTexts::moonLine(*moon);
    else texts_.skyLine = texts_.nextEvent;
    texts_.seaTitle =
        preview ? std::string(SkyTexts::previewTitle)
                : SkyTexts::stateLine({model_->settings().enabled, r.status, model_->settings().mode,
                                       model_->isWarming(), r.curve, zone(), now(), model_->notTintedReason()});
    texts_.kelvin = std::to_string(preview ? preview->kelvin : r.modeState.kelvin);
    const auto notTinted = model_->settings().enabled ? model_->notTintedReason() : std::nullopt;
    texts_.alerting = preview     ? SkyTexts::previewAlertingLabel(*preview)
                      : notTinted ? *notTinted
                                  : Melanopic::label(model_->shownWhite());
    rollTexts();
}

void SkyHero::rollTexts() {
    kit::Animator& animator = *kit::contextOf(this).animator;
    const bool animated = !quietTexts_ && open_ && isVisible() && !environment_.reduceMotion;
    // Scrubbing moves the time with the finger; letting go springs it back with the sun.
    timeRoll_.setText(QString::fromStdString(texts_.time), animator, animated && !scrub_,
                      kit::NumericTransition::Direction::up,
                      releasing_ ? kit::Spring{0.5, 1.0} : kit::NumericTransition::spring);
    const auto preview = previewState();
    const double kelvin = static_cast<double>(preview ? preview->kelvin : model_->resolution().modeState.kelvin);
    // The sea row's spring: response 0.35 s, during a preview and after an apply alike.
    kelvinRoll_.setText(QString::fromStdString(texts_.kelvin), animator, animated,
                        kit::NumericTransition::direction(shownKelvin_, kelvin), kit::Spring{0.35, 1.0});
    shownKelvin_ = kelvin;
    alertingRoll_.setText(QString::fromStdString(texts_.alerting), animator, animated,
                          kit::NumericTransition::Direction::up, kit::Spring{0.35, 1.0});
}

QRect SkyHero::skyRowRect() const {
    // The time, its caption and room for a character rolling in from below.
    return QRect(0, 0, width(), 64);
}

QRect SkyHero::seaRowRect() const {
    const int bottom = cardHeight - SkyDay::extraSea;
    return QRect(0, bottom - 110, width(), 110);
}

bool SkyHero::seaDimmed() const { return !model_->settings().enabled && !previewState(); }

std::optional<double> SkyHero::badgeReduction() const {
    if (previewState()) return std::nullopt;
    return model_->tonightReduction();
}

SkyScene SkyHero::scene() const {
    SkyScene s;
    s.palette = day_.palette;
    s.sun = day_.sun;
    s.sunX = day_.sunX;
    s.arc = day_.arc;
    s.geometry = day_.geometry;
    s.marks = day_.marks;
    s.extraSea = SkyDay::extraSea;
    s.moon = day_.moonSpot;
    s.moonHovered = moonHovered_;
    s.moonHoverAmount = hoverAmount_.value();
    s.twinkle = twinkles();
    if (!environment_.reduceMotion) s.meteor = meteor_;
    return s;
}

void SkyHero::updateChildren() {
    const auto plan = model_->eveningPlan();
    bedMenu_->setVisible(plan.has_value());
    if (plan) bedMenu_->setTime(plan->bedtime);
    switch_->setOn(model_->settings().enabled);
    const auto reduction = badgeReduction();
    badge_->setVisible(reduction.has_value());
    if (reduction) badge_->setReduction(*reduction);
    layoutChildren();
}

void SkyHero::layoutChildren() {
    const double W = width();
    const double seaBottom = cardHeight - SkyDay::extraSea - 4;
    const QSize menu = bedMenu_->sizeHint();
    bedMenu_->setGeometry(static_cast<int>(W - padding - menu.width()), 12, menu.width(), menu.height());
    const QSize sw = switch_->sizeHint();
    switch_->setGeometry(static_cast<int>(W - padding - sw.width()), static_cast<int>(seaBottom - 6 - sw.height()),
                         sw.width(), sw.height());
    const CardFonts f = cardFonts();
    const QFontMetricsF caption(f.caption);
    const double lineTop = seaBottom - caption.height();
    const double x = padding + alertingRoll_.width(caption) + 6;
    const QSize badge = badge_->sizeHint();
    badge_->setGeometry(static_cast<int>(x), static_cast<int>(lineTop + (caption.height() - badge.height()) / 2),
                        badge.width(), badge.height());
}

QRegion SkyHero::twinkleRegion() const {
    const double h = day_.horizonY();
    QRegion region(QRect(0, 0, width(), static_cast<int>(std::ceil(h)) + 1));
    if (const SkyScene s = scene(); s.moonGlade()) {
        // The glints spread at most 13 points either side and reach 0.38 of the sea down.
        const double x = s.moon->point.x;
        region += QRect(static_cast<int>(x - 24), static_cast<int>(h), 48,
                        static_cast<int>(std::ceil(0.38 * s.seaHeight() + 4)));
    }
    return region;
}

void SkyHero::paintCard(QPainter& painter, const QRect& dirty) {
    if (std::abs(day_.geometry.width - width()) > 0.25) refresh();
    const double W = width(), H = cardHeight;
    const QRect area = dirty.isNull() ? rect() : dirty;
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double fadeTop = H - SkyDay::extraSea;
    const SkyScene picture = scene();
    const Date frame = environment_.clock->now();
    const QSize stillPixels(static_cast<int>(std::ceil(W * dpr)), static_cast<int>(std::ceil(fadeTop * dpr)));
    const QSize stripPixels(stillPixels.width(), static_cast<int>(std::ceil(SkyDay::extraSea * dpr)));
    if (drawnGeneration_ != generation_ || stillImage_.size() != stillPixels || stillImage_.devicePixelRatio() != dpr) {
        stillImage_ = QImage(stillPixels, QImage::Format_ARGB32_Premultiplied);
        stillImage_.setDevicePixelRatio(dpr);
        stillImage_.fill(Qt::transparent);
        {
            QPainter still(&stillImage_);
            picture.draw(still, frame, false, SkyScene::still);
        }
        // The extra sea fades out towards the card's bottom edge: the strip is drawn apart
        // so that the fade can take its alpha away.
        stripImage_ = QImage(stripPixels, QImage::Format_ARGB32_Premultiplied);
        stripImage_.setDevicePixelRatio(dpr);
        stripImage_.fill(Qt::transparent);
        {
            QPainter strip(&stripImage_);
            strip.setClipRect(QRectF(0, 0, W, SkyDay::extraSea));
            strip.translate(0, -fadeTop);
            picture.draw(strip, frame, true, SkyScene::still);
            strip.resetTransform();
            QLinearGradient fade(0, 0, 0, SkyDay::extraSea);
            fade.setColorAt(0, Qt::black);
            fade.setColorAt(1, Qt::transparent);
            strip.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            strip.fillRect(QRectF(0, 0, W, SkyDay::extraSea), fade);
        }
        drawnGeneration_ = generation_;
    }
    painter.save();
    painter.setClipRect(QRectF(0, 0, W, fadeTop).intersected(QRectF(area)), Qt::IntersectClip);
    picture.draw(painter, frame, false, SkyScene::sky | SkyScene::stars);
    painter.drawImage(QRectF(0, 0, W, fadeTop), stillImage_);
    picture.draw(painter, frame, false, SkyScene::glade | SkyScene::top);
    painter.restore();
    if (area.bottom() >= fadeTop) painter.drawImage(QRectF(0, fadeTop, W, SkyDay::extraSea), stripImage_);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const CardFonts f = cardFonts();
    // Sky row.
    const QFontMetricsF timeMetrics(f.time), captionMetrics(f.caption);
    painter.setFont(f.time);
    shadowedText(painter, staticTexts_, QPointF(padding, 12 + timeMetrics.ascent()), timeRoll_, 1);
    painter.setFont(f.caption);
    shadowedText(painter, staticTexts_, QPointF(padding, 12 + timeMetrics.height() + 1 + captionMetrics.ascent()),
                 QString::fromStdString(skyLine()), 0.85);

    // Sea row, bottom up.
    const double rowOpacity = seaDimmed() ? 0.7 : 1;
    const double seaBottom = H - SkyDay::extraSea - 4;
    const double alertingBase = seaBottom - captionMetrics.descent();
    painter.setFont(f.caption);
    shadowedText(painter, staticTexts_, QPointF(padding, alertingBase), alertingRoll_, 0.85 * rowOpacity);
    const QFontMetricsF numeral(f.numeral), unit(f.unit);
    const double numeralBase = seaBottom - captionMetrics.height() - numeral.descent() + 4;
    painter.setFont(f.numeral);
    shadowedText(painter, staticTexts_, QPointF(padding, numeralBase), kelvinRoll_, rowOpacity);
    painter.setFont(f.unit);
    shadowedText(painter, staticTexts_, QPointF(padding + kelvinRoll_.width(numeral) + 2, numeralBase), "K",
                 0.7 * rowOpacity);
    const QFontMetricsF label(f.label);
    painter.setFont(f.label);
    shadowedText(painter, staticTexts_, QPointF(padding, numeralBase - numeral.ascent() + 6 - label.descent()),
                 QString::fromStdString(seaTitle()), 0.8 * rowOpacity);
    painter.restore();
}

void SkyHero::setTopCornerRadius(double radius) {
    topCornerRadius_ = radius;
    update();
}

void SkyHero::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (topCornerRadius_ > 0) {
        // Top corners rounded, the bottom ones square: the card runs on under what follows.
        const double r = topCornerRadius_, w = width(), h = height();
        QPainterPath clip;
        clip.moveTo(0, h);
        clip.lineTo(0, r);
        clip.arcTo(QRectF(0, 0, 2 * r, 2 * r), 180, -90);
        clip.lineTo(w - r, 0);
        clip.arcTo(QRectF(w - 2 * r, 0, 2 * r, 2 * r), 90, -90);
        clip.lineTo(w, h);
        clip.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(clip);
    }
    paintCard(painter, event->rect());
}

void SkyHero::resizeEvent(QResizeEvent*) { refresh(); }

void SkyHero::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressAt_ = event->position();
    dragging_ = false;
}

void SkyHero::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!pressAt_) {
        hover(at);
        return;
    }
    if (!dragging_ && std::hypot(at.x() - pressAt_->x(), at.y() - pressAt_->y()) < dragThreshold) return;
    dragging_ = true;
    if (!SkyCard::dragPreviews(pressAt_->y(), day_.horizonY())) return;
    springTimer_.cancel();
    releaseOffset_ = 0;
    scrub_ = day_.window.moment(at.x(), width());
    refresh();
}

void SkyHero::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressAt_.reset();
    dragging_ = false;
    if (!scrub_) return;
    const Date released = *scrub_;
    scrub_.reset();
    springBack(released);
}

void SkyHero::springBack(Date released) {
    releaseOffset_ = released.timeIntervalSince(now());
    springValue_ = 1;
    // The texts go back to now at once, on the release's spring.
    releasing_ = true;
    makeTexts();
    releasing_ = false;
    if (!environment_.scheduler || releaseOffset_ == 0) {
        releaseOffset_ = 0;
        refresh();
        return;
    }
    releaseStart_ = environment_.clock->monotonic();
    springTimer_ = environment_.scheduler->scheduleRepeating(1.0 / 60, 0, [this] {
        const double t = environment_.clock->monotonic() - releaseStart_;
        springValue_ = kit::Spring{0.5, 1.0}.motion(1, 0, t).displacement;
        if (springValue_ < 1e-3) {
            springValue_ = 0;
            releaseOffset_ = 0;
            springTimer_.cancel();
        }
        refresh();
    });
    refresh();
}

void SkyHero::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!concealed_) return;
    concealed_ = false;
    // The sky moved on while hidden; what changed is simply there.
    quietTexts_ = true;
    refresh();
    quietTexts_ = false;
    updateTimers();
}

void SkyHero::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    concealed_ = true;
    // A spring back still under way ends where it was going.
    if (springTimer_) {
        springTimer_.cancel();
        springValue_ = 0;
        releaseOffset_ = 0;
    }
    updateTimers();
}

void SkyHero::leaveEvent(QEvent*) { setHovered(false); }

void SkyHero::hover(QPointF at) { setHovered(SkyCard::nearMoon(day_.moonSpot, at.x(), at.y())); }

void SkyHero::setHovered(bool near) {
    if (near == moonHovered_) return;
    moonHovered_ = near;
    ++generation_;
    kit::contextOf(this).animator->animate(hoverAmount_, near ? 1 : 0, kit::Spring{0.25, 1.0});
    makeTexts();
    update();
}

}  // namespace orvane
