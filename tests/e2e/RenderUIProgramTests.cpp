// "Orvane --render-ui DIR": every window dark and light from the program's scratch world,
// in table order, the same bytes on every run, and the user's files untouched.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include <QImage>

#include "ProgramProcess.h"
#include "RenderUIShots.h"
#include "SimSession.h"
#include "engine/NightShift.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"

namespace orvane::e2e {
namespace {

// Every regular file below a folder, by relative path, with its bytes.
std::map<std::string, std::string> contentsBelow(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), root).string()] =
                platform::readWholeFile(entry.path()).value_or("");
    return files;
}

using testing::linesOf;

class RenderUIProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temporary);
        session.environment["TMPDIR"] = temporary.string();
    }

    // One run into `directory`: its standard output, after an exit with status 0.
    std::string render(const std::filesystem::path& directory) {
        ProgramProcess program(session, {"--render-ui", directory.string()});
        const auto status = program.waitForExit(120s);
        EXPECT_TRUE(exitedWith(status, 0)) << program.errors();
        return program.output();
    }

    Session session;
    std::filesystem::path temporary = session.root / "tmp";
};

TEST_F(RenderUIProgramTest, WritesSeventyImagesInTableOrderTheSameEveryRunAndLeavesTheUserAlone) {
    // A user whose instance left a Night Shift record and who runs a manual warmth.
    platform::sim::SimPlatform user(platform::Runtime{}, session.sim);
    Settings manual;
    manual.mode = Mode::manual;
    manual.manualKelvin = 3000;
    storeSettings(session, manual);
    const auto record = platform::Value(platform::Dictionary{{"cct", 4100.0}, {"strength", 0.5}, {"active", true}});
    user.standardUserDefaults()->set(NightShiftWarmth::dirtyKey, record);
    platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json")
        ->set(NightShiftWarmth::dirtyKey, record);
    const auto config = contentsBelow(session.config);
    const auto sim = contentsBelow(session.sim);
    ASSERT_TRUE(sim.count("machine.json"));

    const auto directory = session.root / "shots" / "a" / "b";  // missing folders
    const auto lines = linesOf(render(directory));

    std::vector<std::string> expected;
    for (const auto& name : testing::renderUIShotNames()) {
        expected.push_back(name + ".png");
        expected.push_back(name + "-light.png");
    }
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        const std::string prefix = "wrote " + expected[i] + " ";
        ASSERT_EQ(lines[i].rfind(prefix, 0), 0u);
        int width = 0, height = 0;
        const std::string size = lines[i].substr(prefix.size());
        const auto times = size.find("\u00d7");
        ASSERT_NE(times, std::string::npos);
        width = std::stoi(size.substr(0, times));
        height = std::stoi(size.substr(times + 2));
        EXPECT_GE(height, 50);
        const QImage image(QString::fromStdString((directory / expected[i]).string()));
        EXPECT_EQ(image.size(), QSize(2 * width, 2 * height));
    }
    EXPECT_EQ(lines[2], "wrote settings-general.png 900\u00d7640");
    EXPECT_EQ(lines[3], "wrote settings-general-light.png 900\u00d7640");
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) written.insert(entry.path().filename());
    EXPECT_EQ(written, std::set<std::string>(expected.begin(), expected.end()));

    testing::expectSheetBackgrounds(directory);

    // The user's world is as it was, and the scratch world is gone.
    EXPECT_EQ(contentsBelow(session.config), config);
    EXPECT_EQ(contentsBelow(session.sim), sim);
    EXPECT_TRUE(std::filesystem::is_empty(temporary));

    // Another run, even with the sky debug switches set, gives the same bytes.
    session.environment["ORVANE_SKY_DATE"] = "2024-06-21T12:00";
    session.environment["ORVANE_METEOR"] = "1";
    const auto again = session.root / "again";
    EXPECT_EQ(linesOf(render(again)), lines);
    EXPECT_EQ(contentsBelow(again), contentsBelow(directory));
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

// A folder that cannot be made: no file, no line, and still status 0.
TEST_F(RenderUIProgramTest, AFolderBelowARegularFileGetsNothing) {
    const auto file = session.root / "file";
    std::ofstream(file) << "a file";
    EXPECT_EQ(render(file / "shots"), "");
    EXPECT_FALSE(std::filesystem::exists(file / "shots"));
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

// "--render-ui" as the last argument is no screenshot mode: the program starts.
TEST_F(RenderUIProgramTest, WithoutAFolderTheProgramRefusesAndStartsNothing) {
    ProgramProcess program(session, {"--render-ui"});
    EXPECT_TRUE(exitedWith(program.waitForExit(30s), 2)) << program.errors();
    EXPECT_EQ(program.errors(), "orvane: --render-ui needs a folder to draw into\n");
    EXPECT_EQ(program.output(), "");
}

}  // namespace
}  // namespace orvane::e2e
