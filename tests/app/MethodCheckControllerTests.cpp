// The method check on the simulated machine with the fake scheduler: a scripted asker
// plays the user, answering each question with Yes, No or silence.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ModelFixture.h"
#include "app/MethodCheckController.h"

namespace orvane {
namespace {

enum class Reply { yes, no, silence };

// Answers from the event loop, as a user pressing a button would; records what was asked.
class ScriptedAsker final : public MethodCheckAsker {
public:
    explicit ScriptedAsker(std::shared_ptr<platform::Scheduler> scheduler) : scheduler_(std::move(scheduler)) {}

    struct Question {
        std::string key;
        TintMethod method;
        bool probing;  // the engine showed the probe when the card came up
    };

    void show(const DisplayInfo& display, TintMethod method, std::function<void(bool)> answer) override {
        asked.push_back({display.key, method, engine && engine->isProbing()});
        last = answer;
        shown = true;
        if (onShow) onShow(display);
        const Reply reply = replies.empty() ? Reply::silence : replies.front();
        if (!replies.empty()) replies.pop_front();
        if (reply != Reply::silence) scheduler_->post([answer, reply] { answer(reply == Reply::yes); });
    }
    void orderOut() override {
        ++orderOuts;
        shown = false;
    }

    std::vector<TintMethod> methods() const {
        std::vector<TintMethod> out;
        for (const auto& q : asked) out.push_back(q.method);
        return out;
    }

    std::deque<Reply> replies;
    std::vector<Question> asked;
    std::function<void(bool)> last;
    std::function<void(const DisplayInfo&)> onShow;
    TintEngine* engine = nullptr;
    bool shown = false;
    int orderOuts = 0;

private:
    std::shared_ptr<platform::Scheduler> scheduler_;
};

class MethodCheckTest : public testing::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        start(testing::manualSettings());
        asker = ScriptedAsker(scheduler);  // the scheduler exists from here on
        asker.engine = engine.get();
        forget();
    }

    // Runs a check and lets the event loop play it out for at most `seconds`.
    void runCheck(std::optional<std::vector<DisplayInfo>> displays, double seconds = 200) {
        controller = MethodCheckController::create(model, asker);
        controller->run(std::move(displays), [this] { ++finished; });
        for (double t = 0; t < seconds && finished == 0; t += 0.5) scheduler->advance(0.5);
    }

    ScriptedAsker asker{nullptr};
    std::shared_ptr<MethodCheckController> controller;
    std::function<void(bool)> firstAnswer;
    int finished = 0;
};

TEST_F(MethodCheckTest, CandidatesAnswersAndWhatIsStored) {
    using M = TintMethod;
    struct Case {
        const char* name;
        std::uint32_t display;
        bool matrixAvailable;
        bool ddc;
        std::vector<Reply> replies;
        std::vector<TintMethod> asked;
        std::optional<TintMethod> result;
        bool rejectedMatrix;
    };
    const Case cases[] = {
        {"built-in without the matrix, No twice",
         1,
         false,
         false,
         {Reply::no, Reply::no},
         {M::overlay, M::gamma},
         std::nullopt,
         false},
        {"external with DDC, No then Yes on overlay",
         2,
         true,
         true,
         {Reply::no, Reply::yes},
         {M::matrix, M::overlay},
         M::overlay,
         true},
        {"external with DDC, No to all",
         2,
         true,
         true,
         {Reply::no, Reply::no, Reply::no, Reply::no},
         {M::matrix, M::overlay, M::gamma, M::ddc},
         std::nullopt,
         true},
        {"Yes on the matrix", 1, true, false, {Reply::yes}, {M::matrix}, M::matrix, false},
        {"DDC is never asked of a built-in display",
         1,
         false,
         true,
         {Reply::no, Reply::no},
         {M::overlay, M::gamma},
         std::nullopt,
         false},
        {"external without DDC, Yes on gamma",
         2,
         false,
         false,
         {Reply::no, Reply::yes},
         {M::overlay, M::gamma},
         M::gamma,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim->setColorFilterEnabled(!c.matrixAvailable);
        engine->ddcAvailability = [ddc = c.ddc](const DisplayInfo&) { return ddc; };
        asker = ScriptedAsker(scheduler);
        asker.engine = engine.get();
        asker.replies.assign(c.replies.begin(), c.replies.end());
        finished = 0;
        const DisplayInfo d = display(c.display);
        runCheck(std::vector<DisplayInfo>{d});
        ASSERT_EQ(finished, 1);
        EXPECT_EQ(asker.methods(), c.asked);
        for (const auto& q : asker.asked) {
            EXPECT_EQ(q.key, d.key);
            EXPECT_TRUE(q.probing);
        }
        EXPECT_EQ(asker.orderOuts, static_cast<int>(c.asked.size()));
        EXPECT_FALSE(engine->isProbing());
        const DisplaySettings stored = model->settings().displaySettings(d.key);
        EXPECT_EQ(stored.methodCheckResult, c.result);
        EXPECT_EQ(stored.methodCheckRejectedMatrix, c.rejectedMatrix);
        ASSERT_TRUE(model->lastMethodCheck().count(d.key)) << "present even when nothing was confirmed";
        EXPECT_EQ(model->lastMethodCheck().at(d.key), c.result);
    }
}

TEST_F(MethodCheckTest, SilenceCountsAsNoAfterTwentySecondsAlsoForTheMatrix) {
    engine->ddcAvailability = [](const DisplayInfo&) { return false; };
    controller = MethodCheckController::create(model, asker);
    controller->run(std::vector<DisplayInfo>{display(1)}, [this] { ++finished; });
    ASSERT_EQ(asker.methods(), std::vector<TintMethod>{TintMethod::matrix});
    for (const TintMethod next : {TintMethod::overlay, TintMethod::gamma}) {
        scheduler->advance(19.5);
        EXPECT_TRUE(asker.shown);
        EXPECT_TRUE(engine->isProbing());
        EXPECT_EQ(asker.asked.size(), next == TintMethod::overlay ? 1u : 2u);
        scheduler->advance(0.5);
        EXPECT_EQ(asker.methods().back(), next) << "the card went, the probe ended and the next one shows";
    }
    scheduler->advance(20);
    ASSERT_EQ(finished, 1);
    EXPECT_FALSE(asker.shown);
    EXPECT_FALSE(engine->isProbing());
    const DisplaySettings stored = model->settings().displaySettings(display(1).key);
    EXPECT_EQ(stored.methodCheckResult, std::nullopt);
    EXPECT_TRUE(stored.methodCheckRejectedMatrix) << "a silent matrix question refuses the matrix";
}

// "Yes" pressed in the very pass of the event loop in which the time-out falls due: the
// first of the two decides, the other finds the question answered.
TEST_F(MethodCheckTest, AnAnswerAndTheTimeOutInOneTurnRecordOnce) {
    sim->setColorFilterEnabled(true);
    for (const bool pressFirst : {true, false}) {
        SCOPED_TRACE(pressFirst ? "press first" : "time-out first");
        asker = ScriptedAsker(scheduler);
        asker.onShow = [this](const DisplayInfo&) {
            if (asker.asked.size() == 1) firstAnswer = asker.last;
        };
        finished = 0;
        forget();
        int announced = 0;
        const auto watch =
            model->observe([&](AppModel::Property p) { announced += p == AppModel::Property::lastMethodCheck; });
        const auto press = [this] { firstAnswer(true); };
        // Timers due together fire in the order they were scheduled.
        platform::Handle early =
            pressFirst ? scheduler->schedule(MethodCheckController::answerTimeout, 0, press) : platform::Handle();
        controller = MethodCheckController::create(model, asker);
        controller->run(std::vector<DisplayInfo>{display(1)}, [this] { ++finished; });
        platform::Handle late =
            pressFirst ? platform::Handle() : scheduler->schedule(MethodCheckController::answerTimeout, 0, press);
        scheduler->advance(MethodCheckController::answerTimeout);
        scheduler->advance(MethodCheckController::answerTimeout);  // a question after a time-out goes unanswered too
        ASSERT_EQ(finished, 1);
        const auto expected = pressFirst ? std::optional(TintMethod::overlay) : std::nullopt;
        EXPECT_EQ(asker.asked.size(), pressFirst ? 1u : 2u);
        EXPECT_EQ(model->lastMethodCheck().at(display(1).key), expected);
        EXPECT_EQ(model->settings().displaySettings(display(1).key).methodCheckResult, expected);
        EXPECT_EQ(announced, 1) << "the entry is written once";
        EXPECT_EQ(settingsChanges.size(), 1u);
    }
}

TEST_F(MethodCheckTest, ALatePressOnAnAnsweredQuestionChangesNothing) {
    sim->setColorFilterEnabled(true);
    asker.onShow = [this](const DisplayInfo&) {
        if (asker.asked.size() == 1) firstAnswer = asker.last;
    };
    asker.replies = {Reply::silence, Reply::no};
    controller = MethodCheckController::create(model, asker);
    controller->run(std::vector<DisplayInfo>{display(1)}, [this] { ++finished; });
    scheduler->advance(20);  // the overlay question timed out; gamma shows
    ASSERT_EQ(asker.asked.size(), 2u);
    firstAnswer(true);  // the overlay card's Yes, too late
    scheduler->advance(1);
    ASSERT_EQ(finished, 1);
    EXPECT_EQ(asker.asked.size(), 2u);
    EXPECT_EQ(model->lastMethodCheck().at(display(1).key), std::nullopt) << "gamma's No decided";
}

TEST_F(MethodCheckTest, AnEmptyListProbesNothingAndReconfiguresAndRecomputesOnce) {
    const Settings before = model->settings();
    runCheck(std::vector<DisplayInfo>{});
    ASSERT_EQ(finished, 1);
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_TRUE(model->lastMethodCheck().empty());
    EXPECT_EQ(model->settings(), before);
    EXPECT_EQ(resolutions.size(), 1u) << "one recompute";
    // One render of each slot by the reconfiguration and one by the instant recompute.
    EXPECT_EQ(renderCount(1), 2u);
    EXPECT_EQ(renderCount(2), 2u);
    for (const auto& r : *rendered) EXPECT_EQ(r.duration, 0);
}

TEST_F(MethodCheckTest, EveryDisplayInTurnEachStoredBeforeTheNextIsAsked) {
    sim->setColorFilterEnabled(true);
    engine->ddcAvailability = [](const DisplayInfo&) { return false; };
    Settings settings = model->settings();
    settings.displays[display(2).key].warmthOffsetKelvin = 300;
    settings.displays[display(2).key].enabled = false;
    model->setSettings(settings);
    forget();
    asker.replies = {Reply::no, Reply::yes, Reply::yes};
    asker.onShow = [this](const DisplayInfo& d) {
        if (d.id == 2) {
            EXPECT_TRUE(model->settings().displays.count(display(1).key));
        }
    };
    runCheck(std::nullopt);
    ASSERT_EQ(finished, 1);
    ASSERT_EQ(asker.asked.size(), 3u);
    EXPECT_EQ(asker.asked[2].key, display(2).key);
    EXPECT_EQ(settingsChanges.size(), 2u) << "one settings write per display";

    // Never stored before: the defaults plus the check's four fields.
    DisplaySettings expected;
    expected.methodCheckResult = TintMethod::gamma;
    expected.lastKnownName = display(1).name;
    expected.isBuiltIn = true;
    EXPECT_EQ(model->settings().displays.at(display(1).key), expected);
    // Stored before: its own fields carried over.
    const DisplaySettings external = model->settings().displays.at(display(2).key);
    EXPECT_EQ(external.warmthOffsetKelvin, 300);
    EXPECT_FALSE(external.enabled);
    EXPECT_EQ(external.methodCheckResult, TintMethod::overlay);
    EXPECT_EQ(external.lastKnownName, display(2).name);
    EXPECT_FALSE(external.isBuiltIn);
    EXPECT_EQ(model->lastMethodCheck().size(), 2u);
}

// On a computer whose displays' facts decide, the check asks only about methods that can
// show there: without a compositing manager no overlay, without a CTM no colour matrix;
// a display that can run nothing is skipped.
TEST_F(MethodCheckTest, OnLinuxOnlyMethodsThatCanShowAreAsked) {
    using M = TintMethod;
    const auto present = [this](bool compositing, std::uint32_t gammaCapacity) {
        sim->update([&](platform::sim::SimState& s) {
            s.linuxName = "Debian GNU/Linux 12 (bookworm)";
            s.compositing = compositing;
            s.missingPorts.insert("colorAdjustments");
            for (auto& d : s.displays) d.gammaCapacity = gammaCapacity;
        });
    };
    engine->ddcAvailability = [](const DisplayInfo&) { return true; };
    const struct {
        bool compositing;
        std::uint32_t gammaCapacity;
        std::vector<M> asked;
    } cases[] = {
        {false, 256, {M::gamma, M::ddc}},
        {true, 256, {M::overlay, M::gamma, M::ddc}},
        {false, 0, {M::ddc}},
    };
    for (const auto& c : cases) {
        present(c.compositing, c.gammaCapacity);
        asker = ScriptedAsker(scheduler);
        asker.engine = engine.get();
        asker.replies.assign(c.asked.size(), Reply::no);
        finished = 0;
        runCheck(std::vector<DisplayInfo>{display(2)});
        ASSERT_EQ(finished, 1);
        EXPECT_EQ(asker.methods(), c.asked) << c.compositing << " " << c.gammaCapacity;
    }
    // The built-in display without compositing manager or ramps has nothing to ask about.
    present(false, 0);
    asker = ScriptedAsker(scheduler);
    asker.engine = engine.get();
    finished = 0;
    runCheck(std::vector<DisplayInfo>{display(1)});
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(asker.asked.empty());
}

}  // namespace
}  // namespace orvane
