#pragma once
// Tells its owner when the pointer enters and leaves a widget, each entry and exit once.
// It never takes an event away from the widget. A widget that is hidden, moved to another
// parent or destroyed while hovered reports its exit; so does dropping the tracker itself,
// which a widget does first when the tracker is its last member.
#include <functional>
#include <memory>

#include <QPointer>
#include <QWidget>

namespace orvane::kit {

class PointerHover {
public:
    using Action = std::function<void(bool inside)>;

    PointerHover(QWidget& widget, Action action);
    ~PointerHover();
    PointerHover(const PointerHover&) = delete;
    PointerHover& operator=(const PointerHover&) = delete;

    // The next entry or exit calls the new action.
    void setAction(Action action);
    bool inside() const;

private:
    class Filter;
    std::unique_ptr<Filter> filter_;
};

}  // namespace orvane::kit
