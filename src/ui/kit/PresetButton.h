#pragma once
// One preset of the preset row: a glass disc with the preset's symbol, its name below.
#include <QMenu>

#include "core/Presets.h"
#include "ui/kit/Animator.h"
#include "ui/kit/Bounce.h"
#include "ui/kit/Buttons.h"

namespace orvane::kit {

class PresetButton : public PressableButton {
public:
    explicit PresetButton(Preset preset, QWidget* parent = nullptr);

    void setCurrent(bool current);
    bool current() const { return current_; }
    const Preset& preset() const { return preset_; }
    std::function<void()> onEditPresets;

    static constexpr double disc = 44;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void paintLabel(QPainter& painter, const QRectF& box, Appearance appearance);

    Preset preset_;
    bool current_ = false;
    AnimatedValue mark_{0};  // 1 when current: tint and scale
    Bounce bounce_;
};

}  // namespace orvane::kit
