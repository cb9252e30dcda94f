#include "ui/kit/Context.h"

#include <chrono>

#include <QApplication>
#include <QVariant>

namespace orvane::kit {
namespace {

constexpr const char* property = "orvaneKitContext";

Date systemNow() {
    return Date{std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count()};
}

Context& defaults() {
    static Context context{Appearance::light,
                           std::make_shared<Animator>(),
                           std::make_shared<SilentHaptics>(),
                           &NotificationCenter::defaultCenter(),
                           systemNow,
                           [](const std::string&) {}};
    return context;
}

void fillFromDefaults(Context& c) {
    const Context& d = defaults();
    if (!c.animator) c.animator = d.animator;
    if (!c.haptics) c.haptics = d.haptics;
    if (!c.notifications) c.notifications = d.notifications;
    if (!c.now) c.now = d.now;
    if (!c.playSound) c.playSound = d.playSound;
}

void update(QWidget& widget) {
    widget.update();
    for (auto* child : widget.findChildren<QWidget*>()) child->update();
}

}  // namespace

const Context& defaultContext() { return defaults(); }

void setDefaultContext(Context context) {
    fillFromDefaults(context);
    defaults() = std::move(context);
}

void applyAppearance(Appearance appearance) {
    if (defaults().appearance == appearance) return;
    defaults().appearance = appearance;
    for (QWidget* window : QApplication::topLevelWidgets()) update(*window);
}

void setContext(QWidget& widget, Context context) {
    widget.setProperty(property, QVariant::fromValue(std::make_shared<Context>(std::move(context))));
    update(widget);
}

Context contextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(property);
        if (!v.isValid()) continue;
        Context c = *v.value<std::shared_ptr<Context>>();
        fillFromDefaults(c);
        return c;
    }
    return defaults();
}

NotificationCenter& notificationsOf(const QWidget* widget) { return *contextOf(widget).notifications; }

}  // namespace orvane::kit
