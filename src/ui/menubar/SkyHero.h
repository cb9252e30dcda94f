#pragma once
// The sky card at the top of the popover: the day's sky over the user's place with the sun
// on its arc, the moon, stars and now and then a shooting star; the sky row (shown time,
// next sun event, bedtime menu) and the sea row (what the tint does, the kelvin, the
// alerting-light estimate, the switch). Dragging across the sky previews another moment.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include <QImage>
#include <QRegion>
#include <QStaticText>
#include <QWidget>

#include "platform/Scheduler.h"
#include "support/Date.h"
#include "ui/kit/Animator.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/kit/NumericTransition.h"
#include "ui/kit/TintSwitch.h"
#include "ui/menubar/Meteor.h"
#include "ui/menubar/SkyDay.h"
#include "ui/menubar/SkyScene.h"

class QAbstractButton;

namespace orvane {

class AppModel;
class ClockMenu;
class EveningLightBadge;
namespace platform {
class Clock;
}

class SkyHero : public QWidget {
public:
    struct Environment {
        std::shared_ptr<platform::Scheduler> scheduler;
        std::shared_ptr<platform::Clock> clock;
        bool reduceMotion = false;
        std::string locale;                       // for the shown time; empty: the process's locale
        std::shared_ptr<std::mt19937_64> random;  // the meteor's; default seeded from std::random_device
        // False where a popover that starts closed owns the card: no timers until it shows.
        bool startsOpen = true;
    };

    static constexpr int cardHeight = 268;

    SkyHero(std::shared_ptr<AppModel> model, Environment environment, std::optional<Date> fixedNow,
            QWidget* parent = nullptr);
    ~SkyHero() override;

    // What the status item's two announcements do.
    void popoverWillShow();
    void popoverDidClose();

    // The card's present: fixedNow, else the clock plus the debug offset.
    Date now() const;
    // The previewed moment while dragging, else now.
    Date shown() const { return scrub_ ? *scrub_ : now(); }
    const std::optional<Date>& scrub() const { return scrub_; }
    bool isOpen() const { return open_; }
    const std::optional<Meteor>& meteor() const { return meteor_; }
    bool moonHovered() const { return moonHovered_; }
    bool twinkles() const;
    bool animating() const { return static_cast<bool>(frameTimer_); }
    bool springing() const { return static_cast<bool>(springTimer_); }
    const SkyDay& day() const { return day_; }
    // Moves with every layout and hover step of the card.
    std::uint64_t generation() const { return generation_; }
    SkyScene scene() const;

    // The rows' texts as drawn, made at each refresh.
    const std::string& timeText() const { return texts_.time; }
    const std::string& skyLine() const { return texts_.skyLine; }
    const std::string& seaTitle() const { return texts_.seaTitle; }
    const std::string& kelvinText() const { return texts_.kelvin; }
    const std::string& alertingText() const { return texts_.alerting; }
    // The rows' numbers as they roll: the shown time, the kelvin and the alerting light.
    const kit::NumericTransition& timeRoll() const { return timeRoll_; }
    const kit::NumericTransition& kelvinRoll() const { return kelvinRoll_; }
    const kit::NumericTransition& alertingRoll() const { return alertingRoll_; }
    bool seaDimmed() const;
    std::optional<double> badgeReduction() const;
    ClockMenu* bedMenu() const { return bedMenu_; }
    QAbstractButton* enabledSwitch() const { return switch_; }
    EveningLightBadge* badge() const { return badge_; }

    // Recomputes the day for the current now and shown and redraws.
    void refresh();
    // The card into a painter at the widget's size (children excluded); parts outside
    // `dirty` may be left out.
    void paintCard(QPainter& painter, const QRect& dirty = {});
    // What a twinkle frame changes: the star field down to the horizon and the moon's
    // glade.
    QRegion twinkleRegion() const;
    // Rounds the card's two top corners (its host's corners); 0 keeps them square.
    void setTopCornerRadius(double radius);
    double topCornerRadius() const { return topCornerRadius_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    double topCornerRadius_ = 0;
    void modelChanged();
    void updateTimers();
    void armMinute();
    void updateChildren();
    void layoutChildren();
    void setHovered(bool near);
    void hover(QPointF at);
    void springBack(Date released);
    bool sceneMoves() const;
    std::optional<TintState> previewState() const;
    TimeZone zone() const;

    std::shared_ptr<AppModel> model_;
    Environment environment_;
    std::optional<Date> fixedNow_;

    std::optional<Date> scrub_;
    bool open_ = true;
    std::optional<Meteor> meteor_;
    bool moonHovered_ = false;
    kit::AnimatedValue hoverAmount_{0};

    std::optional<QPointF> pressAt_;
    bool dragging_ = false;
    // The spring back after a drag: the scene shows now + offset × the spring's value.
    double releaseOffset_ = 0;
    double releaseStart_ = 0;
    double springValue_ = 0;

    struct Texts {
        std::string time, nextEvent, skyLine, seaTitle, kelvin, alerting;
    };
    void makeTexts();
    // Hands the new texts to the rolls: counting while the card is shown, the time not
    // while the finger scrubs, nothing when the popover has just opened.
    void rollTexts();
    QRect skyRowRect() const;
    QRect seaRowRect() const;

    SkyDay day_;
    Texts texts_;
    kit::NumericTransition timeRoll_, kelvinRoll_, alertingRoll_;
    double shownKelvin_ = 0;
    bool quietTexts_ = false;  // the next texts appear without a roll
    bool releasing_ = false;   // the texts spring back with the released drag
    // The still layers and the faded sea strip, kept between twinkle frames; redrawn when
    // the generation moves (every refresh and hover step) or the size changes.
    QImage stillImage_;
    QImage stripImage_;
    std::uint64_t generation_ = 1;
    std::uint64_t drawnGeneration_ = 0;
    std::map<std::pair<QString, QString>, QStaticText> staticTexts_;
    ClockMenu* bedMenu_ = nullptr;
    kit::TintSwitch* switch_ = nullptr;
    EveningLightBadge* badge_ = nullptr;

    // Hidden after being shown (its window closed or minimised): no timer runs.
    bool concealed_ = false;
    // Refreshes the card as each minute begins, re-armed for the next one from the clock.
    std::unique_ptr<platform::Timer> minuteTimer_;
    platform::Handle frameTimer_;
    platform::Handle springTimer_;
    platform::Handle subscription_;
    std::vector<platform::Handle> notifications_;
};

}  // namespace orvane
