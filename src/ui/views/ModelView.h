#pragma once
// Follows the model for a view: every announced change calls `changed`, until the view
// (which owns this) goes away.
#include <functional>
#include <memory>

#include "app/AppModel.h"

namespace orvane::kit {

class ModelFollower {
public:
    ModelFollower(std::shared_ptr<AppModel> model, std::function<void(AppModel::Property)> changed)
        : model_(std::move(model)), subscription_(model_->observe(std::move(changed))) {}

    AppModel& model() const { return *model_; }
    const std::shared_ptr<AppModel>& shared() const { return model_; }

private:
    std::shared_ptr<AppModel> model_;
    Subscription subscription_;
};

}  // namespace orvane::kit
