#include "app/BeforeToolkit.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace orvane {

namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

// --- the scheduler ---------------------------------------------------------------------

struct DeferredScheduler::Held {
    enum class Kind { once, repeating, watch } kind = Kind::once;
    double due = 0;  // steady seconds, for once
    TimeInterval interval = 0;
    TimeInterval tolerance = 0;
    int fd = -1;
    platform::FdEvent event = platform::FdEvent::readable;
    std::function<void()> fire;
    bool cancelled = false;
    platform::Handle forwarded;  // once handed over
};

DeferredScheduler::~DeferredScheduler() = default;

bool DeferredScheduler::started() const {
    std::lock_guard lock(mutex_);
    return target_ != nullptr;
}

void DeferredScheduler::start(std::shared_ptr<platform::Scheduler> target) {
    std::vector<std::shared_ptr<Held>> held;
    std::vector<std::function<void()>> posted;
    {
        std::lock_guard lock(mutex_);
        if (target_ || !target) return;
        target_ = target;
        held.swap(held_);
        posted.swap(posted_);
    }
    const double now = steadySeconds();
    for (const auto& h : held) {
        if (h->cancelled) continue;
        // The callback is reached through the record, so a cancel later still reaches it.
        auto fire = [weak = std::weak_ptr<Held>(h)] {
            if (auto strong = weak.lock(); strong && !strong->cancelled && strong->fire) {
                const auto callback = strong->fire;
                callback();
            }
        };
        switch (h->kind) {
            case Held::Kind::once:
                h->forwarded = target->schedule(std::max(0.0, h->due - now), h->tolerance, std::move(fire));
                break;
            case Held::Kind::repeating:
                h->forwarded = target->scheduleRepeating(h->interval, h->tolerance, std::move(fire));
                break;
            case Held::Kind::watch:
                h->forwarded = target->watchFd(h->fd, h->event, std::move(fire));
                break;
        }
    }
    for (auto& work : posted) target->post(std::move(work));
}

platform::Handle DeferredScheduler::hold(std::shared_ptr<Held> held) {
    {
        std::lock_guard lock(mutex_);
        held_.push_back(held);
    }
    return platform::Handle([held] {
        held->cancelled = true;
        held->forwarded.cancel();
    });
}

platform::Handle DeferredScheduler::schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) {
    {
        std::unique_lock lock(mutex_);
        if (auto target = target_) {
            lock.unlock();
            return target->schedule(delay, tolerance, std::move(fire));
        }
    }
    auto held = std::make_shared<Held>();
    held->kind = Held::Kind::once;
    held->due = steadySeconds() + (delay > 0 ? delay : 0);
    held->tolerance = tolerance;
    held->fire = std::move(fire);
    return hold(std::move(held));
}

platform::Handle DeferredScheduler::scheduleRepeating(TimeInterval interval, TimeInterval tolerance,
                                                      std::function<void()> fire) {
    {
        std::unique_lock lock(mutex_);
        if (auto target = target_) {
            lock.unlock();
            return target->scheduleRepeating(interval, tolerance, std::move(fire));
        }
    }
    auto held = std::make_shared<Held>();
    held->kind = Held::Kind::repeating;
    held->interval = interval;
    held->tolerance = tolerance;
    held->fire = std::move(fire);
    return hold(std::move(held));
}

void DeferredScheduler::post(std::function<void()> work) {
    std::unique_lock lock(mutex_);
    if (auto target = target_) {
        lock.unlock();
        target->post(std::move(work));
        return;
    }
    posted_.push_back(std::move(work));
}

std::shared_ptr<platform::Scheduler> DeferredScheduler::target() const {
    std::lock_guard lock(mutex_);
    return target_;
}

class DeferredScheduler::Timer final : public platform::Timer {
public:
    Timer(DeferredScheduler& owner, std::function<void()> fire)
        : owner_(owner), fire_(std::make_shared<std::function<void()>>(std::move(fire))) {}

    void arm(TimeInterval delay, TimeInterval tolerance) override {
        if (!forwarded_) {
            if (const auto target = owner_.target()) forwarded_ = target->makeTimer([fire = fire_] { (*fire)(); });
        }
        if (forwarded_) {
            held_.cancel();
            heldArmed_ = false;
            forwarded_->arm(delay, tolerance);
            return;
        }
        heldArmed_ = true;
        held_ = owner_.schedule(delay, tolerance, [this, fire = fire_] {
            heldArmed_ = false;
            (*fire)();
        });
    }
    void disarm() override {
        held_.cancel();
        heldArmed_ = false;
        if (forwarded_) forwarded_->disarm();
    }
    bool armed() const override { return heldArmed_ || (forwarded_ && forwarded_->armed()); }

private:
    DeferredScheduler& owner_;
    std::shared_ptr<std::function<void()>> fire_;
    std::unique_ptr<platform::Timer> forwarded_;
    platform::Handle held_;
    bool heldArmed_ = false;
};

std::unique_ptr<platform::Timer> DeferredScheduler::makeTimer(std::function<void()> fire) {
    return std::make_unique<Timer>(*this, std::move(fire));
}

platform::Handle DeferredScheduler::watchFd(int fd, platform::FdEvent event, std::function<void()> ready) {
    {
        std::unique_lock lock(mutex_);
        if (auto target = target_) {
            lock.unlock();
            return target->watchFd(fd, event, std::move(ready));
        }
    }
    auto held = std::make_shared<Held>();
    held->kind = Held::Kind::watch;
    held->fd = fd;
    held->event = event;
    held->fire = std::move(ready);
    return hold(std::move(held));
}

// --- the overlay windows ---------------------------------------------------------------

class DeferredOverlayWindows::Window final : public platform::OverlayWindow {
public:
    Window(DeferredOverlayWindows* owner, const platform::Rect& frame, const platform::OverlayStyle& style)
        : owner_(owner), frame_(frame), style_(style) {}
    ~Window() override {
        if (owner_) std::erase(owner_->waiting_, this);
    }

    // The owner is gone before the toolkit came: the window stays a record.
    void detach() { owner_ = nullptr; }

    // Made by the toolkit with everything set so far; a window it cannot make stays a record.
    void make(platform::OverlayWindows& target) {
        owner_ = nullptr;
        real_ = target.create(frame_, style_);
        if (!real_) return;
        real_->setLayers(layers_);
        if (visible_) real_->orderFront();
    }

    platform::Rect frame() const override { return real_ ? real_->frame() : frame_; }
    void setFrame(const platform::Rect& frame) override {
        frame_ = frame;
        if (real_) real_->setFrame(frame);
    }
    int level() const override { return real_ ? real_->level() : style_.level; }
    void setLevel(int level) override {
        style_.level = level;
        if (real_) real_->setLevel(level);
    }
    platform::SharingType sharingType() const override { return real_ ? real_->sharingType() : style_.sharingType; }
    void setSharingType(platform::SharingType type) override {
        style_.sharingType = type;
        if (real_) real_->setSharingType(type);
    }
    void setLayers(const std::vector<platform::OverlayLayer>& layers) override {
        layers_ = layers;
        if (real_) real_->setLayers(layers);
    }
    std::vector<platform::OverlayLayer> layers() const override { return real_ ? real_->layers() : layers_; }
    void orderFront() override {
        visible_ = true;
        if (real_) real_->orderFront();
    }
    void orderOut() override {
        visible_ = false;
        if (real_) real_->orderOut();
    }
    bool isVisible() const override { return real_ ? real_->isVisible() : visible_; }

private:
    DeferredOverlayWindows* owner_;  // while waiting for the toolkit
    platform::Rect frame_;
    platform::OverlayStyle style_;
    std::vector<platform::OverlayLayer> layers_;
    bool visible_ = false;
    std::unique_ptr<platform::OverlayWindow> real_;
};

DeferredOverlayWindows::DeferredOverlayWindows(std::shared_ptr<platform::OverlayWindows> target,
                                               std::function<bool()> canShow)
    : target_(std::move(target)), canShow_(std::move(canShow)) {}

DeferredOverlayWindows::DeferredOverlayWindows(std::function<bool()> canShow, int maximumLevel)
    : canShow_(std::move(canShow)), maximumLevel_(maximumLevel) {}

DeferredOverlayWindows::~DeferredOverlayWindows() {
    for (auto* window : waiting_) window->detach();
}

struct DeferredOverlayWindows::TranslucencyObserver {
    std::function<void()> changed;
    bool cancelled = false;
    platform::Handle forwarded;  // once handed over
};

void DeferredOverlayWindows::start(std::shared_ptr<platform::OverlayWindows> target) {
    if (started_) return;
    if (target) target_ = std::move(target);
    if (!target_) return;  // nothing to make them with yet
    started_ = true;
    const auto waiting = std::exchange(waiting_, {});
    for (auto* window : waiting) window->make(*target_);
    for (const auto& observer : translucencyObservers_)
        if (!observer->cancelled) observer->forwarded = target_->observeTranslucency(observer->changed);
}

platform::Handle DeferredOverlayWindows::observeTranslucency(std::function<void()> changed) {
    if (started_) return target_->observeTranslucency(std::move(changed));
    auto observer = std::make_shared<TranslucencyObserver>();
    observer->changed = std::move(changed);
    translucencyObservers_.push_back(observer);
    return platform::Handle([weak = std::weak_ptr<TranslucencyObserver>(observer)] {
        if (const auto o = weak.lock()) {
            o->cancelled = true;
            o->forwarded.cancel();
        }
    });
}

std::unique_ptr<platform::OverlayWindow> DeferredOverlayWindows::create(const platform::Rect& frame,
                                                                        const platform::OverlayStyle& style) {
    if (started_) return target_->create(frame, style);
    if (canShow_ && !canShow_()) {
        if (target_) return target_->create(frame, style);  // says why and makes none
        log_.error("overlay: no compositing manager runs; a translucent overlay would black the screen out");
        return nullptr;
    }
    auto window = std::make_unique<Window>(this, frame, style);
    waiting_.push_back(window.get());
    return window;
}

}  // namespace orvane
