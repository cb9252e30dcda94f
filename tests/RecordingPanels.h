#pragma once
// Panels that only remember what was asked of them.
#include <optional>
#include <string>
#include <vector>

#include "app/Panels.h"

namespace orvane::testing {

struct PanelRecord {
    std::string kind;  // "brightness", "restBreak" or "identifier"
    std::string text;  // the identifier's name
    double width = 0;
    double height = 0;
    bool visible = false;
    std::optional<platform::Point> origin;
    int shows = 0;
    int hides = 0;
    bool destroyed = false;
};

class RecordingPanels final : public app::Panels {
public:
    std::optional<platform::Rect> screen = platform::Rect{0, 0, 1440, 900};
    std::vector<std::shared_ptr<PanelRecord>> made;

    std::optional<platform::Rect> mainScreenFrame() override { return screen; }
    std::unique_ptr<app::Panel> brightnessPanel(double width, double height, const app::BrightnessHUDState&) override {
        return make("brightness", width, height);
    }
    std::unique_ptr<app::Panel> restBreakPanel(double width, double height, const app::RestBreakHUDState&) override {
        return make("restBreak", width, height);
    }
    std::unique_ptr<app::Panel> identifierPanel(double width, double height, const std::string& name, bool) override {
        auto panel = make("identifier", width, height);
        made.back()->text = name;
        return panel;
    }

private:
    class Recorded final : public app::Panel {
    public:
        explicit Recorded(std::shared_ptr<PanelRecord> record) : record_(std::move(record)) {}
        ~Recorded() override { record_->destroyed = true; }
        void moveTo(platform::Point origin) override { record_->origin = origin; }
        void orderFrontRegardless() override {
            record_->visible = true;
            ++record_->shows;
        }
        void orderOut() override {
            if (record_->visible) ++record_->hides;
            record_->visible = false;
        }
        bool isVisible() const override { return record_->visible; }

    private:
        std::shared_ptr<PanelRecord> record_;
    };

    std::unique_ptr<app::Panel> make(const std::string& kind, double width, double height) {
        auto record = std::make_shared<PanelRecord>();
        record->kind = kind;
        record->width = width;
        record->height = height;
        made.push_back(record);
        return std::make_unique<Recorded>(record);
    }
};

}  // namespace orvane::testing
