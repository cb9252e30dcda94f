#include "platform/FakeScheduler.h"

#include <algorithm>

#include <poll.h>

namespace orvane::platform {

FakeScheduler::FakeScheduler(std::shared_ptr<FakeClock> clock) : clock_(std::move(clock)) {}

Handle FakeScheduler::addTimer(TimeInterval delay, TimeInterval interval, TimeInterval tolerance,
                               std::function<void()> fire) {
    std::lock_guard lock(tables_->mutex);
    const std::uint64_t id = tables_->nextId++;
    tables_->timers.emplace(id, Timer{clock_->monotonic() + std::max(0.0, delay), interval, std::max(0.0, tolerance),
                                      id, std::make_shared<std::function<void()>>(std::move(fire))});
    return Handle([weak = std::weak_ptr<Tables>(tables_), id] {
        if (auto t = weak.lock()) {
            std::lock_guard l(t->mutex);
            t->timers.erase(id);
        }
    });
}

Handle FakeScheduler::schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) {
    return addTimer(delay, 0, tolerance, std::move(fire));
}

Handle FakeScheduler::scheduleRepeating(TimeInterval interval, TimeInterval tolerance, std::function<void()> fire) {
    // A zero interval would fire forever within one instant.
    const TimeInterval every = interval > 1e-4 ? interval : 1e-4;
    return addTimer(every, every, tolerance, std::move(fire));
}

// Holds the tables weakly, like a handle: it may outlive the scheduler harmlessly.
class FakeScheduler::ArmedTimer final : public platform::Timer {
public:
    ArmedTimer(std::shared_ptr<Tables> tables, std::shared_ptr<FakeClock> clock, std::function<void()> fire)
        : tables_(tables), clock_(std::move(clock)), fire_(std::make_shared<std::function<void()>>(std::move(fire))) {
        std::lock_guard lock(tables->mutex);
        id_ = tables->nextId++;
    }
    ~ArmedTimer() override { disarm(); }

    void arm(TimeInterval delay, TimeInterval tolerance) override {
        const auto tables = tables_.lock();
        if (!tables) return;
        std::lock_guard lock(tables->mutex);
        // A new sequence: among timers due at the same moment it now counts as the latest.
        tables->timers.insert_or_assign(id_, FakeScheduler::Timer{clock_->monotonic() + std::max(0.0, delay), 0,
                                                                  std::max(0.0, tolerance), tables->nextId++, fire_});
    }
    void disarm() override {
        if (const auto tables = tables_.lock()) {
            std::lock_guard lock(tables->mutex);
            tables->timers.erase(id_);
        }
    }
    bool armed() const override {
        const auto tables = tables_.lock();
        if (!tables) return false;
        std::lock_guard lock(tables->mutex);
        return tables->timers.count(id_) > 0;
    }

private:
    std::weak_ptr<Tables> tables_;
    std::shared_ptr<FakeClock> clock_;
    std::shared_ptr<std::function<void()>> fire_;
    std::uint64_t id_ = 0;
};

std::unique_ptr<platform::Timer> FakeScheduler::makeTimer(std::function<void()> fire) {
    return std::make_unique<ArmedTimer>(tables_, clock_, std::move(fire));
}

void FakeScheduler::post(std::function<void()> work) {
    std::lock_guard lock(tables_->mutex);
    tables_->posted.push_back(std::move(work));
}

Handle FakeScheduler::watchFd(int fd, FdEvent event, std::function<void()> ready) {
    std::lock_guard lock(tables_->mutex);
    const std::uint64_t id = tables_->nextId++;
    tables_->watches.emplace(id, Watch{fd, event, std::make_shared<std::function<void()>>(std::move(ready))});
    return Handle([weak = std::weak_ptr<Tables>(tables_), id] {
        if (auto t = weak.lock()) {
            std::lock_guard l(t->mutex);
            t->watches.erase(id);
        }
    });
}

bool FakeScheduler::runPosted() {
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(tables_->mutex);
        work.swap(tables_->posted);
    }
    for (auto& w : work) w();
    return !work.empty();
}

bool FakeScheduler::pollWatches() {
    std::vector<std::pair<std::uint64_t, Watch>> watches;
    {
        std::lock_guard lock(tables_->mutex);
        watches.assign(tables_->watches.begin(), tables_->watches.end());
    }
    bool any = false;
    for (const auto& [id, w] : watches) {
        pollfd p{w.fd, static_cast<short>(w.event == FdEvent::readable ? POLLIN : POLLOUT), 0};
        if (::poll(&p, 1, 0) <= 0 || p.revents == 0) continue;
        {
            std::lock_guard lock(tables_->mutex);
            if (!tables_->watches.count(id)) continue;  // cancelled by an earlier callback
        }
        (*w.ready)();
        any = true;
    }
    return any;
}

void FakeScheduler::settle() {
    // Bounded, so a callback that keeps re-posting cannot hang a test.
    for (int round = 0; round < 1000; ++round) {
        const bool posted = runPosted();
        const bool watched = pollWatches();
        if (!posted && !watched) return;
    }
}

void FakeScheduler::runPending() { settle(); }

void FakeScheduler::advance(TimeInterval seconds) {
    const TimeInterval target = clock_->monotonic() + std::max(0.0, seconds);
    settle();
    for (;;) {
        std::uint64_t id = 0;
        std::shared_ptr<std::function<void()>> fire;
        {
            std::lock_guard lock(tables_->mutex);
            auto soonest = tables_->timers.end();
            for (auto it = tables_->timers.begin(); it != tables_->timers.end(); ++it) {
                if (it->second.due > target + 1e-9) continue;
                if (soonest == tables_->timers.end() || it->second.due < soonest->second.due ||
                    (it->second.due == soonest->second.due && it->second.sequence < soonest->second.sequence))
                    soonest = it;
            }
            if (soonest == tables_->timers.end()) break;
            Timer& t = soonest->second;
            id = soonest->first;
            fire = t.fire;
            clock_->advance(t.due - clock_->monotonic());
            if (t.interval > 0) {
                t.due += t.interval;
            } else {
                tables_->timers.erase(soonest);
            }
        }
        (void)id;
        (*fire)();
        settle();
    }
    clock_->advance(target - clock_->monotonic());
    settle();
}

std::vector<FakeScheduler::TimerInfo> FakeScheduler::timers() const {
    std::vector<TimerInfo> out;
    std::lock_guard lock(tables_->mutex);
    for (const auto& [id, t] : tables_->timers) out.push_back({t.due, t.interval, t.tolerance, id});
    std::sort(out.begin(), out.end(), [](const TimerInfo& a, const TimerInfo& b) { return a.due < b.due; });
    return out;
}

std::size_t FakeScheduler::fdWatchCount() const {
    std::lock_guard lock(tables_->mutex);
    return tables_->watches.size();
}

}  // namespace orvane::platform
