#pragma once
// A row of round glass buttons, one per preset (daylight left out); a click applies the
// preset's warmth and dim. The current preset is marked; seven or more scroll sideways.
#include <memory>
#include <vector>

#include <QWidget>

#include "app/AppModel.h"
#include "ui/views/ModelView.h"

class QHBoxLayout;
class QScrollArea;

namespace orvane::kit {

class PresetButton;

class PresetRow : public QWidget {
public:
    explicit PresetRow(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);

    const std::vector<PresetButton*>& buttons() const { return buttons_; }
    bool scrolling() const { return scrolling_; }
    // What the context menu's "Edit Presets…" does.
    void editPresets();

private:
    void rebuild();
    void refresh();

    std::vector<PresetButton*> buttons_;
    std::vector<Preset> shown_;
    QWidget* strip_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    bool scrolling_ = false;
    ModelFollower model_;
};

}  // namespace orvane::kit
