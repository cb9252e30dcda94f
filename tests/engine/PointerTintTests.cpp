#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/PointerTint.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

class PointerTintTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        for (const char* name : {PointerTint::colorChangedNotification, PointerTint::cursorChangedNotification})
            observers.push_back(sim->notifications().observe(
                name, [this, name = std::string(name)](const std::optional<Dictionary>&) { posted.push_back(name); }));
    }
    Dictionary domain() const {
        const auto s = sim->state();
        const auto it = s.preferences.find(PointerTint::domain);
        return it == s.preferences.end() ? Dictionary{} : it->second;
    }
    void setDomain(Dictionary d) {
        sim->update([&](sim::SimState& s) { s.preferences[PointerTint::domain] = std::move(d); });
    }
    std::optional<Dictionary> backup() { return sim->standardUserDefaults()->dictionary(PointerTint::backupKey); }
    std::vector<std::string> delivered() {
        scheduler->runPending();
        return std::exchange(posted, {});
    }
    static Dictionary red() {
        return {{"cursorIsCustomized", true},
                {"cursorFill", PointerTint::color(0.45, 0.05, 0.05)},
                {"cursorOutline", PointerTint::color(0.9, 0.15, 0.1)}};
    }

    std::vector<Handle> observers;
    std::vector<std::string> posted;
};

const std::vector<std::string> bothNotifications{PointerTint::colorChangedNotification,
                                                 PointerTint::cursorChangedNotification};

}  // namespace

TEST_F(PointerTintTest, ApplySavesTheUsersColoursOnceAndRestorePutsThemBack) {
    const Dictionary own{{"cursorIsCustomized", true},
                         {"cursorFill", PointerTint::color(0, 0, 1)},
                         {"cursorOutline", PointerTint::color(1, 1, 1)}};
    setDomain(own);
    LogCapture logs;
    PointerTint pointer(*sim);
    pointer.apply();
    pointer.apply();
    EXPECT_TRUE(pointer.isApplied());
    EXPECT_EQ(domain(), red());
    EXPECT_EQ(backup(), own);
    EXPECT_EQ(calls("preferences.setAppValue").size(), 3u);
    EXPECT_EQ(logs.messages("pointer"), std::vector<std::string>{"pointer tint applied"});
    EXPECT_EQ(delivered(), bothNotifications);

    pointer.restore();
    EXPECT_FALSE(pointer.isApplied());
    EXPECT_EQ(domain(), own);
    EXPECT_FALSE(backup());
    EXPECT_EQ(delivered(), bothNotifications);
}

TEST_F(PointerTintTest, AnEmptyDomainIsRestoredAsNotCustomizedWithoutColours) {
    PointerTint pointer(*sim);
    pointer.apply();
    EXPECT_EQ(backup(), (Dictionary{{"cursorIsCustomized", false}}));
    pointer.restore();
    EXPECT_EQ(domain(), (Dictionary{{"cursorIsCustomized", false}}));
}

TEST_F(PointerTintTest, RestoreWithoutABackupOnlyClearsTheFlag) {
    PointerTint pointer(*sim);
    pointer.restore();
    EXPECT_FALSE(pointer.isApplied());
    EXPECT_TRUE(calls("preferences.setAppValue").empty());
    EXPECT_TRUE(delivered().empty());
}

TEST_F(PointerTintTest, ABackupFromAnUncleanExitSurvivesTheNextApply) {
    const Dictionary saved{{"cursorIsCustomized", false}, {"cursorFill", PointerTint::color(0, 1, 0)}};
    sim->standardUserDefaults()->set(PointerTint::backupKey, saved);
    setDomain(red());  // what the crashed run left
    PointerTint pointer(*sim);
    pointer.apply();
    EXPECT_EQ(backup(), saved);
    pointer.restore();
    EXPECT_EQ(domain(), (Dictionary{{"cursorIsCustomized", false}, {"cursorFill", PointerTint::color(0, 1, 0)}}));
}

TEST_F(PointerTintTest, ApplyAfterRestoreSavesAFreshBackup) {
    PointerTint pointer(*sim);
    pointer.apply();
    pointer.restore();
    const Dictionary changed{{"cursorIsCustomized", true}, {"cursorOutline", PointerTint::color(0, 0, 0)}};
    setDomain(changed);
    pointer.apply();
    EXPECT_EQ(backup(), changed);
}

TEST_F(PointerTintTest, SettingsOpenAtTheDisplayPage) {
    PointerTint(*sim).openSystemSettings();
    const auto opened = calls("workspace.openURL");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].arguments, Value(PointerTint::settingsAddress));
}
