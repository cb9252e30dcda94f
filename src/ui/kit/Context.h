#pragma once
// What a kit view needs from its surroundings besides the model: the appearance it draws
// in, the animator, the haptic performer and the notification centre. A window sets it on
// its top widget and every kit view below finds the nearest one; a view outside any such
// window uses the program's default.
#include <functional>
#include <memory>
#include <string>

#include <QWidget>

#include "support/Date.h"
#include "ui/kit/Animator.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/Haptics.h"
#include "ui/kit/NotificationCenter.h"

namespace orvane::kit {

struct Context {
    Appearance appearance = Appearance::light;
    std::shared_ptr<Animator> animator;
    std::shared_ptr<HapticPerformer> haptics;
    NotificationCenter* notifications = nullptr;
    std::function<Date()> now;                          // the wall clock texts are made for
    std::function<void(const std::string&)> playSound;  // "Pop" after a preset; silent by default

    Context withAppearance(Appearance a) const {
        Context c = *this;
        c.appearance = a;
        return c;
    }
};

// The program's default: light, a timer-driven animator on the steady clock, silent
// haptics, the default notification centre, the system clock, no sounds. The delegate replaces the appearance when the
// desktop's preference changes.
const Context& defaultContext();
void setDefaultContext(Context context);

// The desktop's preference changed: every window without a context of its own follows.
void applyAppearance(Appearance appearance);

// Sets the context of a widget and everything below it, and repaints.
void setContext(QWidget& widget, Context context);
// The nearest context up the parent chain, else the default; missing members are filled
// from the default.
Context contextOf(const QWidget* widget);
inline Appearance appearanceOf(const QWidget* widget) { return contextOf(widget).appearance; }
// The notification centre a view posts to and observes: its window's, else the program's.
// Every view reaches the centre this way.
NotificationCenter& notificationsOf(const QWidget* widget);

}  // namespace orvane::kit
