#pragma once
// Renders a widget into an image the way the screenshot mode and the view tests look at
// it: at device pixel ratio 2, in one appearance, over the window colour, with every
// animation settled. Images go under the build tree's renders/ folder (or
// $ORVANE_RENDERS_DIR).
#include <chrono>
#include <optional>

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include "ui/kit/Appearance.h"

namespace orvane::kit::RenderHarness {

inline constexpr double devicePixelRatio = 2.0;

// Whether a render ends every animation first (the default) or shows the frame as it stands,
// for a look at a transition half way.
enum class Animations { settled, asTheyStand };

// Lays the widget out at `size` (its size hint when none), in the appearance, settles the
// animator of its context and paints it. The widget keeps the appearance afterwards.
QImage render(QWidget& widget, Appearance appearance, std::optional<QSize> size = std::nullopt,
              Animations animations = Animations::settled);

// The size a widget wants at a width: its height for that width where text wraps.
QSize fittingSize(QWidget& widget, int width);

// The screenshot mode's image of a view built for one appearance: `width` wide and
// `height` high, or as high as the view wants at that width (never below 50), over
// `background`, which fills the whole image. The view is laid out off screen, given
// `settle` of event loop (tasks, timers and first updates run; time-driven effects keep
// their first frame, as the clocks behind them are the caller's), laid out again and
// painted with every animation settled. Absent when nothing could be painted.
struct Shot {
    QImage image;  // at devicePixelRatio
    QSize points;  // the width given and the height used
};
inline constexpr int smallestFittedHeight = 50;
inline constexpr std::chrono::milliseconds shotSettle{150};
std::optional<Shot> shot(QWidget& widget, Appearance appearance, int width, std::optional<int> height,
                         const QColor& background, std::chrono::milliseconds settle = shotSettle);
// The height a shot without a height uses.
int fittedHeight(QWidget& widget, int width);

QString rendersDirectory();
// Saves as <name>.png under the renders folder; returns the path, empty on failure.
QString save(const QImage& image, const QString& name);
// Both appearances, saved as <name>-light.png and <name>-dark.png.
void renderBoth(QWidget& widget, const QString& name, std::optional<QSize> size = std::nullopt,
                Animations animations = Animations::settled);

}  // namespace orvane::kit::RenderHarness
