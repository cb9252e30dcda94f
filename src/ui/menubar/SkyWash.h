#pragma once
// The soft wash behind the popover's controls: the horizon colour brightened towards the
// sun's glow, strongest at its top edge and faded at night. Its minute refresh runs only
// while the popover is open.
#include <memory>
#include <optional>
#include <vector>

#include <QWidget>

#include "core/Sky.h"
#include "platform/Scheduler.h"
#include "support/Date.h"
#include "ui/menubar/SkyPoint.h"

namespace orvane {

class AppModel;
namespace platform {
class Clock;
}
namespace kit {
class NotificationCenter;
}

struct SkyWashLook {
    SkyColor color;
    double alpha = 0;  // at the top edge; 0.4 × alpha at 45 %, clear at the bottom
    static SkyWashLook make(const SkyPalette& palette);
};

class SkyWash : public QWidget {
public:
    // popoverWillShow and popoverDidClose come from the centre of the window it is made in.
    SkyWash(std::shared_ptr<AppModel> model, std::shared_ptr<platform::Scheduler> scheduler,
            std::shared_ptr<platform::Clock> clock, std::optional<Date> fixedNow, QWidget* parent = nullptr);
    ~SkyWash() override;

    void popoverWillShow();
    void popoverDidClose();

    Date now() const;
    SkyWashLook look() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<AppModel> model_;
    std::shared_ptr<platform::Clock> clock_;
    std::optional<Date> fixedNow_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    platform::Handle refresh_;
    platform::Handle subscription_;
    std::vector<platform::Handle> notifications_;
};

}  // namespace orvane
