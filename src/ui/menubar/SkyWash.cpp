#include "ui/menubar/SkyWash.h"

#include <algorithm>

#include <QLinearGradient>
#include <QPainter>

#include "app/AppModel.h"
#include "ui/kit/Context.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/menubar/SkyDebug.h"

namespace orvane {

SkyWashLook SkyWashLook::make(const SkyPalette& palette) {
    return {mix(palette.horizon, palette.glow, 0.35 * palette.glowStrength), 0.3 * (1 - 0.6 * palette.stars)};
}

SkyWash::SkyWash(std::shared_ptr<AppModel> model, std::shared_ptr<platform::Scheduler> scheduler,
                 std::shared_ptr<platform::Clock> clock, std::optional<Date> fixedNow, QWidget* parent)
    : QWidget(parent),
      model_(std::move(model)),
      clock_(std::move(clock)),
      fixedNow_(fixedNow),
      scheduler_(std::move(scheduler)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    subscription_ = model_->observe([this](AppModel::Property p) {
        if (p == AppModel::Property::location) update();
    });
    kit::NotificationCenter& centre = kit::notificationsOf(parent);
    notifications_.push_back(
        centre.observe(kit::Notifications::popoverWillShow, [this](const auto&) { popoverWillShow(); }));
    notifications_.push_back(
        centre.observe(kit::Notifications::popoverDidClose, [this](const auto&) { popoverDidClose(); }));
}

SkyWash::~SkyWash() = default;

void SkyWash::popoverWillShow() {
    update();  // the sun moved while closed
    if (scheduler_ && !refresh_) refresh_ = scheduler_->scheduleRepeating(60, 5, [this] { update(); });
}

void SkyWash::popoverDidClose() { refresh_.cancel(); }

Date SkyWash::now() const { return fixedNow_ ? *fixedNow_ : clock_->now() + SkyDebug::offset(); }

SkyWashLook SkyWash::look() const {
    const Location& place = model_->location();
    return SkyWashLook::make(Sky::palette(Solar::position(now(), place.latitude, place.longitude).elevation));
}

void SkyWash::paintEvent(QPaintEvent*) {
    const SkyWashLook l = look();
    const auto color = [&](double alpha) {
        return QColor::fromRgbF(static_cast<float>(std::clamp(l.color.r, 0.0, 1.0)),
                                static_cast<float>(std::clamp(l.color.g, 0.0, 1.0)),
                                static_cast<float>(std::clamp(l.color.b, 0.0, 1.0)), static_cast<float>(alpha));
    };
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, color(l.alpha));
    gradient.setColorAt(0.45, color(0.4 * l.alpha));
    gradient.setColorAt(1, color(0));
    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

}  // namespace orvane
