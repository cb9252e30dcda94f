// What the platform runs on before Qt exists: registrations held, then handed to the
// toolkit's scheduler and windows with what is still wanted, in order.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "../SimFixture.h"
#include "app/BeforeToolkit.h"
#include "platform/FakeScheduler.h"

namespace orvane {
namespace {

using platform::FakeScheduler;
using platform::OverlayLayer;
using platform::OverlayStyle;
using platform::OverlayWindow;
using platform::Rect;
using platform::SharingType;

TEST(DeferredSchedulerTest, HoldsEverythingUntilStartThenHandsOverWhatIsStillWanted) {
    DeferredScheduler deferred;
    std::vector<std::string> ran;
    deferred.post([&] { ran.push_back("first post"); });
    auto soon = deferred.schedule(0, 0, [&] { ran.push_back("due at once"); });
    auto later = deferred.schedule(5, 0, [&] { ran.push_back("due in 5 s"); });
    auto dropped = deferred.schedule(0, 0, [&] { ran.push_back("cancelled"); });
    auto frames = deferred.scheduleRepeating(1, 0, [&] { ran.push_back("frame"); });
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    auto watch = deferred.watchFd(fds[0], platform::FdEvent::readable, [&] {
        char c;
        ASSERT_EQ(::read(fds[0], &c, 1), 1);
        ran.push_back("readable");
    });
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    std::thread([&] { deferred.post([&] { ran.push_back("second post"); }); }).join();
    dropped.cancel();
    EXPECT_TRUE(ran.empty()) << "nothing runs before the toolkit's loop";
    EXPECT_FALSE(deferred.started());

    auto target = std::make_shared<FakeScheduler>();
    deferred.start(target);
    EXPECT_TRUE(deferred.started());
    EXPECT_EQ(target->timerCount(), 3u);
    EXPECT_EQ(target->fdWatchCount(), 1u);
    target->runPending();
    EXPECT_EQ(ran, (std::vector<std::string>{"first post", "second post", "readable"}));
    target->advance(0);
    EXPECT_EQ(ran.back(), "due at once");
    EXPECT_EQ(ran.size(), 4u);

    ran.clear();
    frames.cancel();  // reaches the timer handed over
    target->advance(5);
    EXPECT_EQ(ran, std::vector<std::string>{"due in 5 s"});

    // From now on straight through.
    ran.clear();
    auto direct = deferred.schedule(1, 0, [&] { ran.push_back("direct"); });
    deferred.post([&] { ran.push_back("posted after start"); });
    target->advance(1);
    EXPECT_EQ(ran, (std::vector<std::string>{"posted after start", "direct"}));
    watch.cancel();
    EXPECT_EQ(target->fdWatchCount(), 0u);
    ::close(fds[0]);
    ::close(fds[1]);
}

// The toolkit's windows as they were made and last set.
struct Made {
    Rect frame;
    OverlayStyle style;
    std::vector<OverlayLayer> layers;
    bool visible = false;
};

class RecordingWindows final : public platform::OverlayWindows {
public:
    std::unique_ptr<OverlayWindow> create(const Rect& frame, const OverlayStyle& style) override {
        ++creates;
        if (!canShow) return nullptr;
        made.push_back(std::make_shared<Made>(Made{frame, style, {}, false}));
        return std::make_unique<Window>(made.back());
    }
    int maximumWindowLevel() override { return 77; }
    platform::Handle observeTranslucency(std::function<void()> changed) override {
        const int id = nextObserver++;
        observers[id] = std::move(changed);
        return platform::Handle([this, id] { observers.erase(id); });
    }
    void announce() {
        for (const auto& [id, f] : observers) f();
    }

    class Window final : public OverlayWindow {
    public:
        explicit Window(std::shared_ptr<Made> m) : m_(std::move(m)) {}
        Rect frame() const override { return m_->frame; }
        void setFrame(const Rect& f) override { m_->frame = f; }
        int level() const override { return m_->style.level; }
        void setLevel(int level) override { m_->style.level = level; }
        SharingType sharingType() const override { return m_->style.sharingType; }
        void setSharingType(SharingType type) override { m_->style.sharingType = type; }
        void setLayers(const std::vector<OverlayLayer>& layers) override { m_->layers = layers; }
        std::vector<OverlayLayer> layers() const override { return m_->layers; }
        void orderFront() override { m_->visible = true; }
        void orderOut() override { m_->visible = false; }
        bool isVisible() const override { return m_->visible; }

    private:
        std::shared_ptr<Made> m_;
    };

    bool canShow = true;
    int creates = 0;
    std::vector<std::shared_ptr<Made>> made;
    std::map<int, std::function<void()>> observers;
    int nextObserver = 1;
};

TEST(DeferredOverlayWindowsTest, WindowsAskedForEarlyAreMadeAtStartWithTheirLastState) {
    auto toolkit = std::make_shared<RecordingWindows>();
    bool compositing = true;
    DeferredOverlayWindows windows(toolkit, [&] { return compositing; });
    EXPECT_EQ(windows.maximumWindowLevel(), 77);

    auto shown = windows.create({0, 0, 100, 50}, {5, false, SharingType::readOnly});
    auto hidden = windows.create({10, 0, 10, 10}, {5, true, SharingType::none});
    auto gone = windows.create({0, 0, 1, 1}, {5, false, SharingType::none});
    ASSERT_TRUE(shown && hidden && gone);
    EXPECT_EQ(toolkit->creates, 0) << "no toolkit window before the toolkit";
    const std::vector<OverlayLayer> layers{{std::nullopt, 1, 0.5, 0, 0.3}};
    shown->setLayers(layers);
    shown->setFrame({0, 0, 200, 100});
    shown->setLevel(9);
    shown->orderFront();
    hidden->orderFront();
    hidden->orderOut();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->layers(), layers);
    gone.reset();

    // Without a compositing manager the toolkit says why and makes none, as it would later.
    compositing = false;
    toolkit->canShow = false;
    EXPECT_EQ(windows.create({0, 0, 1, 1}, {}), nullptr);
    EXPECT_EQ(toolkit->creates, 1);
    toolkit->canShow = true;

    windows.start();
    ASSERT_EQ(toolkit->made.size(), 2u);
    const Made& first = *toolkit->made[0];
    EXPECT_EQ(first.frame, (Rect{0, 0, 200, 100}));
    EXPECT_EQ(first.style.level, 9);
    EXPECT_EQ(first.layers, layers);
    EXPECT_TRUE(first.visible);
    EXPECT_TRUE(toolkit->made[1]->style.opaque);
    EXPECT_FALSE(toolkit->made[1]->visible);

    // Made windows are the toolkit's: changes go straight through.
    shown->orderOut();
    EXPECT_FALSE(first.visible);
    auto late = windows.create({1, 2, 3, 4}, {});
    EXPECT_EQ(toolkit->made.size(), 3u);
}

TEST(DeferredOverlayWindowsTest, TheToolkitsWindowsMayComeOnlyAtStart) {
    testing::LogCapture logs;
    bool compositing = true;
    DeferredOverlayWindows windows([&] { return compositing; }, 123);
    EXPECT_EQ(windows.maximumWindowLevel(), 123) << "stands for the toolkit's until it comes";
    auto early = windows.create({0, 0, 10, 10}, {4, false, SharingType::none});
    ASSERT_TRUE(early);
    early->orderFront();

    // Without a compositing manager none is made, and the log says why.
    compositing = false;
    EXPECT_EQ(windows.create({0, 0, 1, 1}, {}), nullptr);
    EXPECT_EQ(logs.messages("overlay").size(), 1u);
    compositing = true;

    windows.start();  // no toolkit yet: still held
    EXPECT_FALSE(windows.create({0, 0, 1, 1}, {}) == nullptr);
    auto toolkit = std::make_shared<RecordingWindows>();
    windows.start(toolkit);
    EXPECT_EQ(windows.maximumWindowLevel(), 77);
    ASSERT_EQ(toolkit->made.size(), 1u) << "the window released before start is not made";
    EXPECT_EQ(toolkit->made[0]->frame, (Rect{0, 0, 10, 10}));
    EXPECT_TRUE(toolkit->made[0]->visible);
    early->orderOut();
    EXPECT_FALSE(toolkit->made[0]->visible);
}

// Who listens for a compositing manager before the toolkit comes hears of it from the
// toolkit's windows from start on; one that stopped listening before is not handed over.
TEST(DeferredOverlayWindowsTest, TranslucencyObserversAreHandedToTheToolkitAtStart) {
    DeferredOverlayWindows windows([] { return true; }, 123);
    std::vector<std::string> heard;
    auto early = windows.observeTranslucency([&] { heard.push_back("early"); });
    auto gone = windows.observeTranslucency([&] { heard.push_back("gone"); });
    gone.cancel();
    auto toolkit = std::make_shared<RecordingWindows>();
    windows.start(toolkit);
    auto late = windows.observeTranslucency([&] { heard.push_back("late"); });
    ASSERT_EQ(toolkit->observers.size(), 2u);
    toolkit->announce();
    EXPECT_EQ(heard, (std::vector<std::string>{"early", "late"}));
    early.cancel();
    late.cancel();
    EXPECT_TRUE(toolkit->observers.empty()) << "a cancel reaches the toolkit's registration";
}

}  // namespace
}  // namespace orvane
