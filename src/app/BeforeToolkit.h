#pragma once
// What the program runs on before its toolkit exists. The first tint goes out before Qt
// is set up (that alone takes tens of milliseconds), so the platform starts with a
// scheduler and overlay windows that hold what they are asked for and hand it to the
// toolkit's own once that is up. No Qt here.
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Log.h"
#include "platform/OverlayWindows.h"
#include "platform/Scheduler.h"

namespace orvane {

class DeferredScheduler final : public platform::Scheduler {
public:
    DeferredScheduler() = default;
    ~DeferredScheduler() override;
    DeferredScheduler(const DeferredScheduler&) = delete;
    DeferredScheduler& operator=(const DeferredScheduler&) = delete;

    // From now on everything goes to `target`: the timers and watches still wanted (a
    // one-shot timer with what is left of its delay), then the posted work in order.
    // Main thread, once.
    void start(std::shared_ptr<platform::Scheduler> target);
    bool started() const;

    platform::Handle schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) override;
    platform::Handle scheduleRepeating(TimeInterval interval, TimeInterval tolerance,
                                       std::function<void()> fire) override;
    void post(std::function<void()> work) override;
    platform::Handle watchFd(int fd, platform::FdEvent event, std::function<void()> ready) override;
    // Armed before start: a held one-shot; from start on, one timer of the target's.
    std::unique_ptr<platform::Timer> makeTimer(std::function<void()> fire) override;

private:
    struct Held;
    class Timer;
    std::shared_ptr<platform::Scheduler> target() const;
    platform::Handle hold(std::shared_ptr<Held> held);

    mutable std::mutex mutex_;
    std::shared_ptr<platform::Scheduler> target_;
    std::vector<std::shared_ptr<Held>> held_;
    std::vector<std::function<void()>> posted_;
};

// Windows asked for before the toolkit exists are kept as their state (frame, level,
// sharing, layers, shown or not) and made by `target` at start(); `target`'s create is
// not called before then. `canShow` answers, before start, what `target` would: whether
// a window can be made at all. The target may come only at start (its code is loaded with
// the toolkit); until then `maximumLevel` stands for its highest level.
class DeferredOverlayWindows final : public platform::OverlayWindows {
public:
    DeferredOverlayWindows(std::shared_ptr<platform::OverlayWindows> target, std::function<bool()> canShow);
    DeferredOverlayWindows(std::function<bool()> canShow, int maximumLevel);
    ~DeferredOverlayWindows() override;

    // `target` replaces the one given at construction, if any. Main thread, once.
    void start(std::shared_ptr<platform::OverlayWindows> target = nullptr);

    std::unique_ptr<platform::OverlayWindow> create(const platform::Rect& frame,
                                                    const platform::OverlayStyle& style) override;
    int maximumWindowLevel() override { return target_ ? target_->maximumWindowLevel() : maximumLevel_; }
    bool canShowTranslucent() override { return target_ ? target_->canShowTranslucent() : !canShow_ || canShow_(); }
    // Until the toolkit's windows come nothing says they can stay out of captures.
    bool canHideFromCaptures() override { return target_ && target_->canHideFromCaptures(); }
    // Observers that come before the toolkit are handed to its windows at start.
    platform::Handle observeTranslucency(std::function<void()> changed) override;

    class Window;

private:
    std::shared_ptr<platform::OverlayWindows> target_;
    std::function<bool()> canShow_;
    int maximumLevel_ = 0;
    bool started_ = false;
    std::vector<Window*> waiting_;
    struct TranslucencyObserver;
    std::vector<std::shared_ptr<TranslucencyObserver>> translucencyObservers_;
    platform::Log log_{"overlay"};
};

}  // namespace orvane
