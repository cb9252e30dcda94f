#pragma once
// The popover's content, 352 wide: the sky card edge to edge at the top, the status banner,
// the tint module, tonight, the three tiles, the footer and the extras on demand, over the
// sky wash. Each announced opening replays the staggered entrance.
#include <memory>
#include <optional>
#include <vector>

#include <QPainterPath>
#include <QWidget>

#include "app/AppModel.h"
#include "platform/Clock.h"
#include "platform/Scheduler.h"
#include "ui/kit/Animator.h"
#include "ui/menubar/SkyHero.h"
#include "ui/views/ModelView.h"

class QVBoxLayout;

namespace orvane {

class CozyTile;
class ExtrasSection;
class FooterRow;
class SkyWash;
class ThisAppTile;
class TrueColorTile;
class TonightSection;
namespace kit {
class StatusBanner;
class TintModule;
}  // namespace kit

// One element of the entrance: fades in and rises 10 pt, after its delay.
class EntranceBox : public QWidget {
public:
    // The delays run on `scheduler`; without one every element starts at once.
    EntranceBox(QWidget* child, int index, std::shared_ptr<platform::Scheduler> scheduler, QWidget* parent = nullptr);
    int index() const { return index_; }
    double delay() const { return index_ * 0.04; }
    double progress() const { return shown_.value(); }
    // Where the element is drawn now: 10 pt low at the start.
    int childOffset() const;
    // Whether the element's spring has started (its delay is over).
    bool started() const { return started_; }
    void hideAtOnce();
    void reveal();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return child_->hasHeightForWidth(); }
    int heightForWidth(int w) const override { return child_->heightForWidth(w); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    QWidget* child_;
    int index_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    kit::AnimatedValue shown_{1};
    bool started_ = true;
    platform::Handle delayed_;
};

class RevealBox;

class PopoverView : public QWidget {
public:
    static constexpr int popoverWidth = 352;
    // The panel's corners; the sky card's top corners follow them.
    static constexpr double cornerRadius = 12;
    static QPainterPath shape(const QSizeF& size);
    static constexpr kit::Spring extrasSpring{0.3, 1.0};
    // The banner's coming and going and what the status changes.
    static constexpr kit::Spring statusSpring{0.35, 1.0};
    static constexpr int washTop = 204;
    static constexpr int washHeight = 380;

    struct Environment {
        std::shared_ptr<platform::Scheduler> scheduler;
        std::shared_ptr<platform::Clock> clock;
        SkyHero::Environment sky;  // scheduler and clock filled from above when empty
        std::function<void()> quit;
        std::function<void()> showWhy;  // presents the sheet; default: a window-modal dialog
    };

    PopoverView(std::shared_ptr<AppModel> model, Environment environment, std::optional<Date> skyTime = std::nullopt,
                QWidget* parent = nullptr);
    ~PopoverView() override;

    bool extrasExpanded() const { return extrasExpanded_; }
    void setExtrasExpanded(bool expanded);
    void showWhy();
    bool whyShown() const { return whyShown_; }
    // Replays the entrance (what popoverWillShow does).
    void replayEntrance();

    // The stack's elements shown now, top to bottom (the sky card first).
    std::vector<QWidget*> elements() const;
    const std::vector<EntranceBox*>& entrance() const { return entrance_; }
    SkyHero& sky() const { return *sky_; }
    FooterRow& footer() const { return *footer_; }
    CozyTile& cozyTile() const { return *cozy_; }
    TrueColorTile& trueColorTile() const { return *trueColor_; }
    ThisAppTile& thisAppTile() const { return *thisApp_; }
    ExtrasSection& extras() const { return *extras_; }
    kit::StatusBanner& banner() const { return *banner_; }
    RevealBox& bannerBox() const { return *bannerBox_; }
    RevealBox& extrasBox() const { return *extrasBox_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshBanner();
    void revealEntrance();

    std::shared_ptr<AppModel> model_;
    Environment env_;
    QVBoxLayout* stack_;
    SkyWash* wash_;
    SkyHero* sky_;
    QWidget* skySpace_;
    kit::StatusBanner* banner_;
    RevealBox* bannerBox_;
    kit::TintModule* tint_;
    TonightSection* tonight_;
    CozyTile* cozy_;
    TrueColorTile* trueColor_;
    ThisAppTile* thisApp_;
    FooterRow* footer_;
    ExtrasSection* extras_;
    RevealBox* extrasBox_;
    std::vector<EntranceBox*> entrance_;
    bool extrasExpanded_ = false;
    bool whyShown_ = false;
    bool timeFirstPaint_ = false;  // ORVANE_POPOVER_TIMING: log the showing's first paint
    Subscription willShow_;
    std::optional<kit::ModelFollower> follower_;  // after the children's, so the banner is rebuilt first
};

}  // namespace orvane
