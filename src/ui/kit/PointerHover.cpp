#include "ui/kit/PointerHover.h"

#include <QEvent>

namespace orvane::kit {

class PointerHover::Filter final : public QObject {
public:
    Filter(QWidget& widget, Action action) : widget_(&widget), action_(std::move(action)) {
        widget.setAttribute(Qt::WA_Hover);
        widget.installEventFilter(this);
        // Destroyed before the tracker: the exit still goes out.
        connect(&widget, &QObject::destroyed, this, [this] { exit(); });
    }
    ~Filter() override {
        if (widget_) widget_->removeEventFilter(this);
    }

    void enter() {
        if (inside_) return;
        inside_ = true;
        if (action_) action_(true);
    }
    void exit() {
        if (!inside_) return;
        inside_ = false;
        if (action_) action_(false);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_) return false;
        switch (event->type()) {
            case QEvent::Enter:
                enter();
                break;
            case QEvent::Leave:
            case QEvent::Hide:
            case QEvent::ParentAboutToChange:
                exit();
                break;
            default:
                break;
        }
        return false;  // the widget always gets its events
    }

    QPointer<QWidget> widget_;
    Action action_;
    bool inside_ = false;
};

PointerHover::PointerHover(QWidget& widget, Action action)
    : filter_(std::make_unique<Filter>(widget, std::move(action))) {}

PointerHover::~PointerHover() { filter_->exit(); }

void PointerHover::setAction(Action action) { filter_->action_ = std::move(action); }
bool PointerHover::inside() const { return filter_->inside_; }

}  // namespace orvane::kit
