// The actions other programs run, on the model of the simulated machine: their checks,
// their effects and failures, the preset query and the Focus look.
#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "app/Intents.h"

namespace orvane {
namespace {

using platform::Dictionary;
using platform::IntentsPort;
using platform::Value;

std::string errorName(const IntentsPort::Result& result) {
    const auto* e = std::get_if<IntentsPort::Error>(&result);
    return e ? e->name : "";
}
std::string errorText(const IntentsPort::Result& result) {
    const auto* e = std::get_if<IntentsPort::Error>(&result);
    return e ? e->message : "";
}

TEST(IntentsTest, TheNineActionsInTheirOrderWithTheirSummaries) {
    std::vector<std::string> ids;
    for (const auto& action : Intents::all()) ids.push_back(action.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"WindDown", "ShowTrueColor", "FollowEvening", "SetIntensity", "SetWarmth",
                                             "SetDim", "ApplyPreset", "Toggle", "GetState"}));
    EXPECT_EQ(Intents::find("SetWarmth")->description,
              "Holds the screen at a warmth in kelvin (500 deep red \u2013 6500 daylight).");

    const Json registry = Intents::describe();
    ASSERT_EQ(registry.size(), 10u);
    EXPECT_EQ(registry[4]["summary"], "Set warmth to {kelvin} K");
    EXPECT_FALSE(registry[2].contains("summary")) << "the framework's default";
    EXPECT_EQ(registry[1]["parameters"][0]["default"], 15);
    EXPECT_EQ(registry[3]["parameters"][0]["values"][2], (Json{{"value", "deepRed"}, {"title", "Deep red"}}));
    EXPECT_EQ(registry[9]["id"], "FocusFilter");
    EXPECT_EQ(registry[9]["lookTitles"],
              (Json{{"windDown", "Deep red"}, {"trueColor", "True color"}, {"", "Follow my evening"}}));

    EXPECT_EQ(fromString<IntensityOption>("deepRed"), IntensityOption::deepRed);
    EXPECT_FALSE(fromString<IntensityOption>("DeepRed").has_value());
    EXPECT_FALSE(fromString<FocusLook>("TrueColor").has_value());
    EXPECT_EQ((PresetEntity{"x", "Candle", 2700}.subtitle()), "2700 K");
}

TEST(IntentsTest, BadInputIsRefusedBeforeTheModelIsLookedFor) {
    struct Case {
        const char* action;
        Dictionary parameters;
        const char* refusal;  // "": accepted, and then there is no model
    };
    const std::vector<Case> cases = {
        {"Dance", {}, "unknown action: Dance"},
        {"SetWarmth", {}, "missing parameter: kelvin"},
        {"SetWarmth", {{"kelvin", Value(9000)}}, "kelvin must be an integer from 500 to 6500"},
        {"SetWarmth", {{"kelvin", Value(499)}}, "kelvin must be an integer from 500 to 6500"},
        {"SetWarmth", {{"kelvin", Value(2700.0)}}, "kelvin must be an integer from 500 to 6500"},
        {"SetWarmth", {{"kelvin", Value(true)}}, "kelvin must be an integer from 500 to 6500"},
        {"SetWarmth",
         {{"kelvin", Value(2700)}, {"brightness", Value(0)}},
         "brightness must be an integer from 1 to 100"},
        {"SetWarmth", {{"kelvin", Value(2700)}, {"dim", Value(5)}}, "unknown parameter: dim"},
        {"SetWarmth", {{"kelvin", Value(500)}, {"brightness", Value(100)}}, ""},
        {"SetDim", {{"percent", Value(101)}}, "percent must be an integer from 1 to 100"},
        {"ShowTrueColor", {{"minutes", Value(1441)}}, "minutes must be an integer from 1 to 1440"},
        {"ShowTrueColor", {}, ""},
        {"WindDown", {{"on", Value(1)}}, "on must be true or false"},
        {"Toggle", {{"on", Value("true")}}, "on must be true or false"},
        {"SetIntensity", {{"intensity", Value("DeepRed")}}, "intensity must be gentle, warm or deepRed"},
        {"SetIntensity", {}, "missing parameter: intensity"},
        {"ApplyPreset", {{"preset", Value(3)}}, "preset must be text"},
        {"GetState", {{"verbose", Value(true)}}, "unknown parameter: verbose"},
    };
    int lookups = 0;
    IntentsService service([&lookups]() -> AppModel* {
        ++lookups;
        return nullptr;
    });
    for (const auto& c : cases) {
        lookups = 0;
        const auto result = service.run(c.action, c.parameters);
        if (*c.refusal) {
            EXPECT_EQ(errorName(result), IntentsService::invalidArgsError) << c.action;
            EXPECT_EQ(errorText(result), c.refusal) << c.action;
            EXPECT_EQ(lookups, 0) << c.action;
        } else {
            EXPECT_EQ(errorName(result), IntentsService::notRunningError) << c.action;
        }
    }
}

TEST(IntentsTest, WithoutAModelEveryActionIsNotRunningAndTheQueriesAreEmpty) {
    IntentsService service([] { return static_cast<AppModel*>(nullptr); });
    const std::map<std::string, Dictionary> valid = {{"SetIntensity", {{"intensity", Value("warm")}}},
                                                     {"SetWarmth", {{"kelvin", Value(2700)}}},
                                                     {"SetDim", {{"percent", Value(50)}}},
                                                     {"ApplyPreset", {{"preset", Value("builtin.candle")}}}};
    for (const auto& action : Intents::all()) {
        const auto it = valid.find(action.id);
        const auto result = service.run(action.id, it == valid.end() ? Dictionary{} : it->second);
        EXPECT_EQ(errorName(result), IntentsService::notRunningError) << action.id;
        EXPECT_EQ(errorText(result), "Orvane is not running.") << action.id;
    }
    EXPECT_TRUE(service.presets().empty());
    EXPECT_TRUE(service.presetsFor({"builtin.candle"}).empty());
    EXPECT_FALSE(service.applyFocus("trueColor")) << "nothing to do, and still a success";
    EXPECT_EQ(service.applyFocus("TrueColor")->message, "look must be windDown, trueColor or empty");
}

class IntentsModelTest : public testing::ModelTest {
protected:
    IntentsPort::Result run(const std::string& action, Dictionary parameters = {}) {
        return service.run(action, parameters);
    }
    const TintState& mode() const { return model->resolution().modeState; }
    void changeSettings(const std::function<void(Settings&)>& change) {
        Settings s = model->settings();
        change(s);
        model->setSettings(s);
    }

    IntentsService service{[this] { return model.get(); }};
};

TEST_F(IntentsModelTest, SetDimKeepsToTheFloorAndTheModeKelvin) {
    Settings s = testing::manualSettings(3400, 0.5);
    s.dimFloor = 0.05;
    start(s);
    EXPECT_EQ(run("SetDim", {{"percent", Value(1)}}), IntentsPort::Result(""));
    EXPECT_DOUBLE_EQ(mode().dim, 0.05);
    EXPECT_EQ(mode().kelvin, 3400);
    run("SetDim", {{"percent", Value(100)}});
    EXPECT_DOUBLE_EQ(mode().dim, 1.0);
    EXPECT_EQ(mode().kelvin, 3400);

    run("SetWarmth", {{"kelvin", Value(2700)}});
    EXPECT_EQ(mode().kelvin, 2700);
    EXPECT_DOUBLE_EQ(mode().dim, 1.0) << "no brightness: the dim stays";
    run("SetWarmth", {{"kelvin", Value(2000)}, {"brightness", Value(40)}});
    EXPECT_EQ(mode().kelvin, 2000);
    EXPECT_DOUBLE_EQ(mode().dim, 0.4);

    const Settings before = model->settings();
    EXPECT_EQ(errorName(run("SetWarmth", {{"kelvin", Value(9000)}})), IntentsService::invalidArgsError);
    EXPECT_EQ(model->settings(), before) << "refused, never clamped";
}

TEST_F(IntentsModelTest, GetStateReportsTheModeEvenWithTheTintOff) {
    Settings s = testing::manualSettings(2700, 0.125);
    s.enabled = false;
    start(s);
    const auto text = std::get<std::string>(run("GetState"));
    EXPECT_EQ(text.rfind("off \u00b7 2700K \u00b7 brightness 13% \u00b7 ", 0), 0u) << text;
    EXPECT_EQ(text, "off \u00b7 2700K \u00b7 brightness 13% \u00b7 " + model->modeSubtitle());
}

TEST_F(IntentsModelTest, SetIntensityNeedsAPlanAndSwitchesToTheEvening) {
    const EveningPlan plan{ClockTime(23, 0), ClockTime(6, 30), EveningIntensity::gentle};
    Settings s = testing::manualSettings();
    s.mode = Mode::schedule;
    plan.apply(s.sunset);
    start(s);
    EXPECT_EQ(run("SetIntensity", {{"intensity", Value("deepRed")}}), IntentsPort::Result(""));
    EXPECT_EQ(model->settings().mode, Mode::sunset);
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(23, 0), ClockTime(6, 30), EveningIntensity::deepRed}));

    changeSettings([](Settings& st) { st.sunset.eveningRampMinutes += 7; });  // tuned by hand
    const Settings before = model->settings();
    const auto refused = run("SetIntensity", {{"intensity", Value("warm")}});
    EXPECT_EQ(errorName(refused), IntentsService::customCurveError);
    EXPECT_EQ(errorText(refused), "Your evening curve was tuned by hand. Change the intensity in Orvane's Settings.");
    EXPECT_EQ(model->settings(), before);
}

TEST_F(IntentsModelTest, PresetsAreFoundInTheStoredOrderAndAppliedFromTheStore) {
    Settings s = testing::manualSettings(3400, 1.0);
    s.sounds = true;
    s.presets = {Preset{}, Preset{}, Preset{}};
    for (int i = 0; i < 3; ++i) {
        s.presets[i].id = "p" + std::to_string(i + 1);
        s.presets[i].name = "Preset " + std::to_string(i + 1);
        s.presets[i].kelvin = 2000 + 500 * i;
        s.presets[i].dim = 0.5;
    }
    start(s);
    using Record = IntentsPort::PresetRecord;
    EXPECT_EQ(service.presetsFor({"p3", "p1"}),
              (std::vector<Record>{{"p1", "Preset 1", 2000, "2000 K"}, {"p3", "Preset 3", 3000, "3000 K"}}));
    EXPECT_EQ(service.presetsFor({"p2", "p2", "gone"}), (std::vector<Record>{{"p2", "Preset 2", 2500, "2500 K"}}));
    std::vector<std::string> stored, suggested;
    for (const auto& p : model->settings().presets) stored.push_back(p.id);
    for (const auto& r : service.presets()) suggested.push_back(r.id);
    EXPECT_EQ(suggested, stored);

    forget();
    EXPECT_EQ(run("ApplyPreset", {{"preset", Value("p2")}}), IntentsPort::Result(""));
    EXPECT_EQ(mode().kelvin, 2500);
    EXPECT_DOUBLE_EQ(mode().dim, 0.5);
    EXPECT_EQ(sounds, std::vector<std::string>{"Pop"});

    const Settings before = model->settings();
    EXPECT_EQ(run("ApplyPreset", {{"preset", Value("deleted")}}), IntentsPort::Result("")) << "success without effect";
    EXPECT_EQ(model->settings(), before);

    changeSettings([](Settings& st) { st.presets.erase(st.presets.begin()); });
    EXPECT_TRUE(service.presetsFor({"p1"}).empty()) << "a deleted preset is no entity";
}

TEST_F(IntentsModelTest, WindDownTrueColorAndToggleWithTheirDefaults) {
    start(testing::manualSettings(3400, 1.0));
    run("WindDown");
    EXPECT_TRUE(model->runtime().cozyActive);
    run("WindDown", {{"on", Value(true)}});
    EXPECT_TRUE(model->runtime().cozyActive);
    run("WindDown");
    EXPECT_FALSE(model->runtime().cozyActive) << "no value flips";

    run("ShowTrueColor");
    EXPECT_EQ(model->runtime().disabledUntil, model->now().addingTimeInterval(15 * 60));
    run("FollowEvening");
    EXPECT_FALSE(model->runtime().disabledUntil.has_value());

    run("Toggle");
    EXPECT_FALSE(model->settings().enabled);
    run("Toggle", {{"on", Value(false)}});
    EXPECT_FALSE(model->settings().enabled);
    run("Toggle");
    EXPECT_TRUE(model->settings().enabled);
}

TEST_F(IntentsModelTest, TheFocusLookIsAppliedRememberedAndUndone) {
    start(testing::manualSettings(3400, 1.0));
    EXPECT_FALSE(service.applyFocus("trueColor"));
    EXPECT_EQ(model->runtime().disabledUntil, Date::distantFuture());
    EXPECT_EQ(Date::distantFuture(), json::asDate(Json("4001-01-01T00:00:00Z"), ""));
    EXPECT_EQ(defaults->string(AppModel::focusAppliedKey), "trueColor");
    EXPECT_FALSE(service.applyFocus(""));
    EXPECT_FALSE(model->runtime().disabledUntil.has_value());
    EXPECT_FALSE(defaults->string(AppModel::focusAppliedKey).has_value());

    service.applyFocus("windDown");
    EXPECT_TRUE(model->runtime().cozyActive);
    EXPECT_EQ(defaults->string(AppModel::focusAppliedKey), "windDown");
    service.applyFocus("");
    EXPECT_FALSE(model->runtime().cozyActive);
    EXPECT_EQ(Intents::focusDisplayTitle(std::nullopt), "Follow my evening");

    const auto runtime = model->runtime();
    EXPECT_TRUE(service.applyFocus("deepRed"));
    EXPECT_EQ(model->runtime(), runtime) << "a refused look changes nothing";
}

}  // namespace
}  // namespace orvane
