#include "ui/kit/Context.h"

#include <QVariant>

namespace orvane::kit {
namespace {

constexpr const char* property = "orvaneKitContext";

Context& defaults() {
    static Context context{Appearance::light, std::make_shared<Animator>(), std::make_shared<SilentHaptics>(),
                           &NotificationCenter::defaultCenter()};
    return context;
}

void update(QWidget& widget) {
    widget.update();
    for (auto* child : widget.findChildren<QWidget*>()) child->update();
}

}  // namespace

const Context& defaultContext() { return defaults(); }

void setDefaultContext(Context context) {
    const Context& d = defaults();
    if (!context.animator) context.animator = d.animator;
    if (!context.haptics) context.haptics = d.haptics;
    if (!context.notifications) context.notifications = d.notifications;
    defaults() = std::move(context);
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
        const Context& d = defaults();
        if (!c.animator) c.animator = d.animator;
        if (!c.haptics) c.haptics = d.haptics;
        if (!c.notifications) c.notifications = d.notifications;
        return c;
    }
    return defaults();
}

}  // namespace orvane::kit
