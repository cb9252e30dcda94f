#pragma once
// Kit views over the real application model on the simulated machine, in a window whose
// context has a hand-stepped animator, counted haptics, a private notification centre and
// the simulated clock.
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QWidget>

#include "app/ModelFixture.h"
#include "ui/kit/Context.h"

namespace orvane::testing {

struct CountingHaptics final : kit::HapticPerformer {
    void performAlignment() override { ++ticks; }
    int ticks = 0;
};

class KitModelTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        kit::Context c;
        c.animator = animator;
        c.haptics = haptics;
        c.notifications = &notifications;
        c.now = [this] { return clock->now(); };
        c.playSound = [this](const std::string& name) { kitSounds.push_back(name); };
        window = std::make_unique<QWidget>();
        kit::setContext(*window, c);
        window->setAttribute(Qt::WA_DontShowOnScreen);
        window->resize(400, 400);
        window->show();
    }

    // Lays a view out at a size inside the (never shown on screen) window.
    template <class View>
    View& place(View& view, QSize size) {
        view.resize(size);
        view.show();
        QCoreApplication::sendPostedEvents();
        return view;
    }
    void TearDown() override {
        window.reset();
        ModelTest::TearDown();
    }

    double animationTime = 0;
    std::shared_ptr<kit::Animator> animator = std::make_shared<kit::Animator>([this] { return animationTime; }, false);
    std::shared_ptr<CountingHaptics> haptics = std::make_shared<CountingHaptics>();
    kit::NotificationCenter notifications;
    std::vector<std::string> kitSounds;
    std::unique_ptr<QWidget> window;
};

}  // namespace orvane::testing
