// The command-line dispatch and the one-time copy of the former identities' defaults.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "../SimFixture.h"
#include "app/Startup.h"

namespace orvane {
namespace {

using Mode = Startup::Mode;
using platform::Dictionary;
using platform::Value;

struct DispatchCase {
    std::vector<std::string> arguments;  // after the program path
    Startup::Choice expected;
};

void PrintTo(const DispatchCase& c, std::ostream* os) {
    *os << "Orvane";
    for (const auto& a : c.arguments) *os << ' ' << a;
}

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTest, FirstApplicableRowDecides) {
    std::vector<std::string> arguments{"/opt/orvane/bin/orvane"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    EXPECT_EQ(Startup::choose(arguments), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DispatchTest,
    ::testing::Values(
        DispatchCase{{}, {Mode::normal, ""}}, DispatchCase{{"--selftest", "--toggle"}, {Mode::selfTest, ""}},
        DispatchCase{{"--toggle", "--selftest"}, {Mode::selfTest, ""}},
        DispatchCase{{"--SelfTest"}, {Mode::normal, ""}},
        DispatchCase{{"--toggle", "--render-ui", "/tmp/shots"}, {Mode::command, "", Commands::Toggle{}}},
        DispatchCase{{"--true-color"}, {Mode::command, "", Commands::TrueColor{15}}},
        DispatchCase{{"--set-kelvin", "2700"}, {Mode::command, "", Commands::Set{2700, std::nullopt}}},
        // A valued option without its value, or with one that does not parse, is no command.
        DispatchCase{{"--set-kelvin"}, {Mode::normal, "", std::nullopt, true}},
        DispatchCase{{"--preset"}, {Mode::normal, "", std::nullopt, true}},
        DispatchCase{{"--set-dim", "nan"}, {Mode::normal, "", std::nullopt, true}},
        DispatchCase{{"--set-dim", "nan", "--render-ui", "/tmp/a"}, {Mode::renderUI, "/tmp/a"}},
        DispatchCase{{"--render-ui", "/tmp/shots", "--render-icon", "/tmp/icons"}, {Mode::renderUI, "/tmp/shots"}},
        DispatchCase{{"--render-icon", "/tmp/icons", "--render-ui"}, {Mode::renderIcon, "/tmp/icons"}},
        DispatchCase{{"--render-ui"}, {Mode::normal, ""}}, DispatchCase{{"--render-icon"}, {Mode::normal, ""}},
        // Only the first occurrence counts, and its value may look like an option.
        DispatchCase{{"--render-ui", "--render-ui", "/tmp/a"}, {Mode::renderUI, "--render-ui"}},
        DispatchCase{{"orvane://set?kelvin=2700"}, {Mode::normal, ""}}));

TEST(StartupTest, ProgramPathTakesPartInTheSelfTestCheck) {
    EXPECT_EQ(Startup::choose({"--selftest"}).mode, Mode::selfTest);
}

TEST(StartupTest, UrlArgumentsAreThoseOfTheOrvaneScheme) {
    EXPECT_EQ(Startup::urlArguments({"orvane:", "orvane://toggle", "--x", "ORVANE://Set?kelvin=3000", "orvanex://a",
                                     "http://orvane", "orvane"}),
              (std::vector<std::string>{"orvane://toggle", "ORVANE://Set?kelvin=3000"}));
}

// --- the copy of the former domains ------------------------------------------------------

class FormerDefaultsTest : public testing::SimTest {
protected:
    std::shared_ptr<platform::UserDefaults> own() { return sim->standardUserDefaults(); }
    void former(const std::string& domain, const Dictionary& values) {
        auto d = sim->userDefaults(domain);
        for (const auto& [k, v] : values) d->set(k, v);
        formers[domain] = values;
    }
    Startup::DomainReader reader() {
        return [this](const std::string& domain) -> std::optional<Dictionary> {
            read.push_back(domain);
            const auto it = formers.find(domain);
            if (it == formers.end()) return std::nullopt;
            return it->second;
        };
    }
    std::map<std::string, Dictionary> formers;
    std::vector<std::string> read;
};

TEST_F(FormerDefaultsTest, LaterDomainWinsAndOwnValuesWinOverBoth) {
    former("app.tessomar.Tessomar", {{"shared", Value("tessomar")}, {"onlyT", Value(1)}});
    former("app.quorrel.Quorrel", {{"shared", Value("quorrel")}, {"onlyQ", Value(2)}, {"mine", Value("theirs")}});
    own()->set("mine", Value("own"));

    EXPECT_TRUE(Startup::copyFormerDefaults(*sim));

    const auto values = own()->dictionaryRepresentation();
    EXPECT_EQ(values.at("shared"), Value("quorrel"));
    EXPECT_EQ(values.at("onlyT"), Value(1));
    EXPECT_EQ(values.at("onlyQ"), Value(2));
    EXPECT_EQ(values.at("mine"), Value("own"));
    // Nothing is deleted from the former domains.
    EXPECT_EQ(sim->userDefaults("app.quorrel.Quorrel")->dictionaryRepresentation().size(), 3u);
}

TEST_F(FormerDefaultsTest, StoredSettingsPreventTheCopy) {
    former("app.quorrel.Quorrel", {{"k", Value(1)}});
    own()->set("settings.json", Value(platform::Bytes{'{', '}'}));
    EXPECT_FALSE(Startup::copyFormerDefaults(*own(), "app.orvane.Orvane", reader()));
    EXPECT_FALSE(own()->object("k"));
    EXPECT_TRUE(read.empty());
}

TEST_F(FormerDefaultsTest, EmptyOrMissingFormerDomainsWriteNothing) {
    former("app.tessomar.Tessomar", {});
    EXPECT_FALSE(Startup::copyFormerDefaults(*own(), "app.orvane.Orvane", reader()));
    EXPECT_TRUE(own()->keys().empty());
    EXPECT_FALSE(std::filesystem::exists(own()->file()));
    EXPECT_EQ(read, (std::vector<std::string>{"app.tessomar.Tessomar", "app.quorrel.Quorrel"}));
}

TEST_F(FormerDefaultsTest, OwnIdentifierIsNotACandidate) {
    former("app.tessomar.Tessomar", {{"k", Value(1)}});
    EXPECT_TRUE(Startup::copyFormerDefaults(*own(), "app.quorrel.Quorrel", reader()));
    EXPECT_EQ(read, (std::vector<std::string>{"app.tessomar.Tessomar"}));
}

TEST_F(FormerDefaultsTest, NoBundleIdentifierSkipsTheCopy) {
    former("app.tessomar.Tessomar", {{"k", Value(1)}});
    EXPECT_FALSE(Startup::copyFormerDefaults(*own(), "", reader()));
    EXPECT_TRUE(read.empty());
}

// Removing the settings (a reset of all settings) must not bring the old ones back.
TEST_F(FormerDefaultsTest, CopiesOnlyOnceEvenWhenSettingsAreRemovedLater) {
    former("app.quorrel.Quorrel", {{"settings.json", Value(platform::Bytes{'o', 'l', 'd'})}, {"k", Value(1)}});
    ASSERT_TRUE(Startup::copyFormerDefaults(*sim));
    EXPECT_EQ(own()->object(std::string(Startup::formerDefaultsCopiedKey)), Value(true));

    own()->remove("settings.json");
    own()->remove("k");
    EXPECT_FALSE(Startup::copyFormerDefaults(*sim));
    EXPECT_FALSE(own()->object("settings.json"));
    EXPECT_FALSE(own()->object("k"));
}

}  // namespace
}  // namespace orvane
