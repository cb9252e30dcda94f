#pragma once
// The floating panels of the overlays as Qt windows: frameless, on top, never focused,
// click-through, with the overlay windows' flags, and cut to their rounded shape so they
// look right where no compositing manager blends their corners away.
#include <memory>
#include <optional>

#include <QRect>

#include "app/Panels.h"

class QWidget;

namespace orvane {

class QtPanels final : public app::Panels {
public:
    static constexpr double cornerRadius = 24;

    std::optional<platform::Rect> mainScreenFrame() override;
    std::unique_ptr<app::Panel> brightnessPanel(double width, double height,
                                                const app::BrightnessHUDState& state) override;
    std::unique_ptr<app::Panel> restBreakPanel(double width, double height,
                                               const app::RestBreakHUDState& state) override;
    std::unique_ptr<app::Panel> identifierPanel(double width, double height, const std::string& name,
                                                bool isBuiltIn) override;

    // Where a panel of `size` with its bottom-left corner at `origin` (global points, the
    // main screen's bottom-left corner at 0, 0) lies in Qt's top-left coordinates, given
    // the main screen's Qt geometry.
    static QRect toolkitGeometry(platform::Point origin, QSize size, const QRect& mainScreen);
    // The flags every panel window has.
    static Qt::WindowFlags windowFlags();
};

}  // namespace orvane
