// The real program starting on a settings file damaged by hand, on the simulated machine
// with its windows on a private X server: a value that cannot be read costs that value
// alone, and every damaged file is kept under a name of its own.
#include <gtest/gtest.h>

#include <string>

#include "MappedWindows.h"
#include "Onboarded.h"
#include "ProgramProcess.h"
#include "XProgramTest.h"

namespace orvane::e2e {
namespace {

class DamagedSettingsProgramTest : public XProgramTest {
protected:
    void SetUp() override {
        XProgramTest::SetUp();
        session.environment["ORVANE_PLATFORM"] = "sim";
    }
    std::filesystem::path defaultsFile() const { return session.sim / "defaults" / "app.orvane.Orvane.json"; }
};

TEST_F(DamagedSettingsProgramTest, EachDamageCostsOnlyWhatCannotBeReadAndKeepsItsOwnCopy) {
    const struct {
        const char* name;
        const char* key;    // empty: the document is not JSON at all
        const char* value;  // the damaged value
        const char* copy;   // where the program keeps the damaged document
        const char* logged;
        bool kept;  // the rest of the user's settings survive
    } starts[] = {
        {"a number as text", "dimFloor", R"("very dark")", "settings.json.unreadable",
         "settings unreadable in part, using defaults for dimFloor: ", true},
        {"then an enumeration as a number", "mode", "42", "settings.json.unreadable-2",
         "settings unreadable in part, using defaults for mode: ", true},
        {"then no JSON at all", "", "", "settings.json.unreadable-3", "settings unreadable, using defaults: ", false},
    };
    std::vector<std::pair<std::string, std::string>> copies;
    for (const auto& start : starts) {
        SCOPED_TRACE(start.name);
        const std::string damaged = storeDamagedSettings(defaultsFile(), start.key, start.value);
        copies.emplace_back(start.copy, damaged);
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        EXPECT_NE(program.errors().find(start.logged), std::string::npos) << program.errors();
        // Kept aside at the start, not only once something is written over it.
        EXPECT_TRUE(program.waitFor([&] { return storedText(defaultsFile(), start.copy) == damaged; }, 10s))
            << program.errors();
        const auto welcomed = [&] { return mappedWindow(dpy, "Welcome to Orvane").has_value(); };
        if (start.kept) EXPECT_FALSE(program.waitFor(welcomed, 3s)) << "onboarding was completed";
        else EXPECT_TRUE(program.waitFor(welcomed, 15s)) << program.errors();
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();

        const auto stored = storedSettings(defaultsFile());
        ASSERT_TRUE(stored) << "the damaged document was replaced by what was read of it";
        EXPECT_EQ(stored->onboarded, start.kept);
        EXPECT_EQ(stored->manual, start.kept && std::string(start.key) != "mode");
        EXPECT_EQ(stored->readingPreset, start.kept);
        for (const auto& [key, text] : copies) EXPECT_EQ(storedText(defaultsFile(), key), text) << key;
    }
}

}  // namespace
}  // namespace orvane::e2e
