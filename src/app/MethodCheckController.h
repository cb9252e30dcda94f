#pragma once
// The method check: for each display it shows a deep-red test tint with one candidate
// method after another and asks, on that display, whether the screen is red now. The
// first confirmed method goes into the display's settings with whether the colour matrix
// was refused; a run ends with the engine reconfigured and the tint recomputed at once.
// A state machine on the platform's scheduler: nothing waits, each answer moves it on.
// Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/AppModel.h"
#include "core/TintState.h"
#include "engine/DisplayManager.h"
#include "platform/Scheduler.h"

namespace orvane {

// Where the question is shown: the program puts a card on the display, tests script it.
class MethodCheckAsker {
public:
    virtual ~MethodCheckAsker() = default;
    // Shows the question for `method` on `display` (replacing any card still held);
    // `answer` takes true for "Yes, it's red" and false for "No", any number of times.
    virtual void show(const DisplayInfo& display, TintMethod method, std::function<void(bool)> answer) = 0;
    // Takes the card off the screen.
    virtual void orderOut() = 0;
};

class MethodCheckController : public std::enable_shared_from_this<MethodCheckController> {
public:
    static constexpr double answerTimeout = 20.0;  // then the question counts as "No"
    static inline const TintState testTint{1000, 1.0, RedStyle::pure, false};

    // One per question: whatever comes second (button or time-out) finds it set.
    struct Answered {
        bool done = false;
    };

    // `asker` must outlive the controller.
    static std::shared_ptr<MethodCheckController> create(std::shared_ptr<AppModel> model, MethodCheckAsker& asker);
    MethodCheckController(const MethodCheckController&) = delete;
    MethodCheckController& operator=(const MethodCheckController&) = delete;

    // Matrix (when available now), overlay, gamma, and DDC for an external display that
    // answers DDC.
    static std::vector<TintMethod> candidates(TintEngine& engine, const DisplayInfo& display);
    // Where the display's facts decide (not a Mac), only the methods it can run, in the
    // same order; a display that can run none is skipped.
    static std::vector<TintMethod> candidates(const Capabilities& capabilities, TintEngine& engine,
                                              const DisplayInfo& display);

    // Checks the displays (none: every connected one) one after another; `finished` is
    // called once the tint has been recomputed. Once per controller.
    void run(std::optional<std::vector<DisplayInfo>> displays, std::function<void()> finished);
    bool isRunning() const { return running_; }

private:
    MethodCheckController(std::shared_ptr<AppModel> model, MethodCheckAsker& asker);
    void startDisplay();
    void askCandidate();
    void answer(bool yes);
    void storeDisplay();
    void finish();

    std::shared_ptr<AppModel> model_;
    MethodCheckAsker& asker_;
    std::function<void()> finished_;
    std::vector<DisplayInfo> displays_;
    std::size_t display_ = 0;
    std::vector<TintMethod> candidates_;
    std::size_t candidate_ = 0;
    std::optional<TintMethod> result_;
    bool rejectedMatrix_ = false;
    bool running_ = false;
    bool started_ = false;
    // Time-outs are never cancelled; a late one finds its question answered. They end
    // with the controller.
    std::vector<platform::Handle> timeouts_;
};

}  // namespace orvane
