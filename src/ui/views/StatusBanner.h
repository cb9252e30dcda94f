#pragma once
// The stack of short notices above the popover's tint controls: each a glass capsule with
// a symbol, a sentence and, where the user can act, a small button and a dismiss cross.
#include <memory>
#include <vector>

#include <QWidget>

#include "app/AppModel.h"
#include "ui/views/ModelView.h"
#include "ui/views/StatusBannerRules.h"

namespace orvane::kit {

class NoticeRow;

class StatusBanner : public QWidget {
public:
    explicit StatusBanner(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);

    // Whether the banner would show a notice at all; the popover asks before it adds one.
    static bool hasContent(const AppModel& model);
    const std::vector<StatusBannerRules::Notice>& notices() const { return notices_; }
    const std::vector<NoticeRow*>& rows() const { return rows_; }

private:
    void rebuild();

    std::vector<StatusBannerRules::Notice> notices_;
    std::vector<NoticeRow*> rows_;
    ModelFollower model_;
};

class SystemButton;
class PressableButton;

// One notice: symbol, text, an optional button and an optional dismiss cross.
class NoticeRow : public QWidget {
public:
    NoticeRow(const StatusBannerRules::Notice& notice, std::function<void()> action, std::function<void()> dismiss,
              QWidget* parent = nullptr);
    SystemButton* actionButton() const { return action_; }
    PressableButton* dismissButton() const { return dismiss_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SystemButton* action_ = nullptr;
    PressableButton* dismiss_ = nullptr;
};

}  // namespace orvane::kit
