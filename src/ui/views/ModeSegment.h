#pragma once
// The three-way choice of the warmth mode, following the model; picking calls setMode,
// which also ends a manual hold (even for the mode already chosen).
#include <memory>

#include "app/AppModel.h"
#include "ui/kit/GlassSegment.h"
#include "ui/views/ModelView.h"

namespace orvane::kit {

class ModeSegment : public GlassSegment<Mode> {
public:
    explicit ModeSegment(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    static std::vector<GlassSegment<Mode>::Item> items();

private:
    ModelFollower model_;
};

}  // namespace orvane::kit
