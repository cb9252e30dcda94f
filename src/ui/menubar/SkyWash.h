#pragma once
// The soft wash behind the popover's controls: the horizon colour brightened towards the
// sun's glow, strongest at its top edge and faded at night.
#include <memory>
#include <optional>

#include <QWidget>

#include "core/Date.h"
#include "core/Sky.h"
#include "platform/Scheduler.h"
#include "ui/menubar/SkyPoint.h"

namespace orvane {

class AppModel;
namespace platform {
class Clock;
}

struct SkyWashLook {
    SkyColor color;
    double alpha = 0;  // at the top edge; 0.4 × alpha at 45 %, clear at the bottom
    static SkyWashLook make(const SkyPalette& palette);
};

class SkyWash : public QWidget {
public:
    SkyWash(std::shared_ptr<AppModel> model, std::shared_ptr<platform::Scheduler> scheduler,
            std::shared_ptr<platform::Clock> clock, std::optional<Date> fixedNow, QWidget* parent = nullptr);
    ~SkyWash() override;

    Date now() const;
    SkyWashLook look() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<AppModel> model_;
    std::shared_ptr<platform::Clock> clock_;
    std::optional<Date> fixedNow_;
    platform::Handle refresh_;
    platform::Handle subscription_;
};

}  // namespace orvane
