#pragma once
// An engine on the simulated machine with per-display settings the test controls, and a
// back-end that records what the engine asks of it.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "engine/TintEngine.h"

namespace orvane::testing {

class RecordingBackend final : public TintBackend {
public:
    struct Applied {
        RenderRequest request;
        double duration;
    };

    explicit RecordingBackend(const DisplayInfo& display, TintMethod made) : display_(display), made_(made) {}

    BackendKind kind() const override { return BackendKind::overlay; }
    const DisplayInfo& display() const override { return display_; }
    std::optional<BackendError> attach(const DisplayInfo& display) override {
        display_ = display;
        ++attaches;
        if (failAttach) return BackendError::unsupported("refused by the test");
        return std::nullopt;
    }
    void apply(const RenderRequest& request, double duration) override { applied.push_back({request, duration}); }
    void detach() override { ++detaches; }
    void verifyAndRepair() override { ++verifies; }

    TintMethod made() const { return made_; }

    std::vector<Applied> applied;
    int attaches = 0;
    int detaches = 0;
    int verifies = 0;
    bool failAttach = false;

private:
    DisplayInfo display_;
    TintMethod made_;
};

class TintEngineTest : public EngineTest {
protected:
    void TearDown() override {
        engine.reset();
        EngineTest::TearDown();
    }

    // A new engine configured with the test's per-display settings.
    TintEngine& start() {
        TintEngine::Configuration configuration;
        configuration.displays = settings;
        engine = std::make_unique<TintEngine>(sim, configuration);
        return *engine;
    }

    // Changes made through settingsOf() reach the engine with push().
    DisplaySettings& settingsOf(std::uint32_t display) { return settings[info(display).key]; }
    void push() {
        if (engine) engine->setDisplaySettings(settings);
    }
    void useMethod(std::uint32_t display, TintMethod method) {
        settingsOf(display).method = method;
        push();
    }

    // Rebuilds every slot with recording back-ends.
    void record() {
        push();
        engine->detachAll();
        engine->backendFactory = [this](TintMethod m, const DisplayInfo& d, const Calibration&) {
            auto b = std::make_shared<RecordingBackend>(d, m);
            made.push_back(b);
            return b;
        };
        engine->reconfigure();
    }
    RecordingBackend& recorder(std::uint32_t display) {
        return dynamic_cast<RecordingBackend&>(*engine->slots().at(display).backend);
    }

    void setNightShiftUnavailable() {
        sim->update([](platform::sim::SimState& s) { s.nightShift.missingSelectors = {"getCCT:"}; });
    }
    void setCompositing(bool on) {
        sim->update([on](platform::sim::SimState& s) { s.compositing = on; });
    }

    std::map<std::string, DisplaySettings> settings;
    std::unique_ptr<TintEngine> engine;
    std::vector<std::shared_ptr<RecordingBackend>> made;
};

inline const TintState warm{3400, 1.0, RedStyle::pure, false};
inline const TintState warmDim{2700, 0.7, RedStyle::pure, false};

}  // namespace orvane::testing
