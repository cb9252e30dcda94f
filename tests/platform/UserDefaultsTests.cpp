#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimFixture.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/Json.h"

using namespace orvane;
using namespace orvane::platform;

namespace {

std::filesystem::path defaultsFile() { return orvane::testing::freshDirectory("defaults") / "app.orvane.Orvane.json"; }

Json onDisk(const std::filesystem::path& file) { return json::parse(readWholeFile(file).value()); }

// Runs `work` in a new process, whose stores are its own as another program's would be.
template <class F>
pid_t inAnotherProcess(F work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    return child;
}

bool endedWell(pid_t child) {
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(UserDefaults, EverySetIsOnDiskBeforeItReturns) {
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("nightShift.dirty", Dictionary{{"active", true}, {"cct", 3400.0}});
    defaults->set("settings.json", Bytes{'{', '}'});
    defaults->set("blob", Bytes{'{', ' ', '}'});
    const Json doc = onDisk(file);
    EXPECT_EQ(doc["version"], 1);
    EXPECT_EQ(doc["values"]["settings.json"], Json({{"json", Json::object()}}));
    EXPECT_EQ(doc["values"]["blob"], Json({{"data", "eyB9"}}));
    EXPECT_EQ(doc["values"]["nightShift.dirty"]["dict"]["active"], Json({{"bool", true}}));
    defaults->remove("settings.json");
    EXPECT_FALSE(onDisk(file)["values"].contains("settings.json"));
    // No temporary file is left beside it.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        if (e.path().filename().string().find(".tmp-") != std::string::npos) ++entries;
    EXPECT_EQ(entries, 0);
}

TEST(UserDefaults, StoringWhatIsThereAlreadyWritesNothing) {
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("statistics.json", Bytes{'[', ']'});
    defaults->set("level", 0.5);
    const auto written = fileStamp(file);
    defaults->set("statistics.json", Bytes{'[', ']'});
    defaults->set("level", 0.5);
    defaults->remove("missing");
    EXPECT_EQ(fileStamp(file), written) << "the file was replaced although nothing changed";
    defaults->set("level", 0.6);
    EXPECT_NE(fileStamp(file), written);
    EXPECT_EQ(UserDefaults::open(file)->number("level"), 0.6);
}

TEST(UserDefaults, ADomainWhoseDirectoryWentAwayIsWrittenAgain) {
    // The lock and the file find their directory missing (a user cleaned up): both make it.
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("level", 0.5);
    std::filesystem::remove_all(file.parent_path());
    defaults->set("level", 0.7);
    EXPECT_EQ(onDisk(file)["values"]["level"], Json({{"double", 0.7}}));
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".lock"));
}

TEST(UserDefaults, ValuesComeBackWithTheirKinds) {
    const auto file = defaultsFile();
    UserDefaults::open(file)->set("level", 0.6f);
    UserDefaults::open(file)->set("flag", true);
    UserDefaults::open(file)->set("text", "on");
    // Re-read from the file, not from this process's store.
    std::filesystem::copy_file(file, file.parent_path() / "copy.json");
    auto copy = UserDefaults::open(file.parent_path() / "copy.json");
    EXPECT_NE(copy->object("level")->get<float>(), nullptr);
    EXPECT_TRUE(copy->boolean("flag"));
    EXPECT_EQ(copy->string("text"), "on");
    EXPECT_EQ(copy->data("text"), std::nullopt);  // a string is not data
    EXPECT_FALSE(copy->boolean("missing"));
    EXPECT_EQ(copy->number("missing"), 0);
}

TEST(UserDefaults, TwoProcessesWritingTheSameDomainLoseNoKey) {
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("before", 1);
    const pid_t child = inAnotherProcess([&] {
        auto other = UserDefaults::open(file);
        for (int i = 0; i < 40; ++i) other->set("child." + std::to_string(i), i);
    });
    for (int i = 0; i < 40; ++i) defaults->set("parent." + std::to_string(i), i);
    ASSERT_TRUE(endedWell(child));
    const auto keys = defaults->keys();
    EXPECT_EQ(keys.size(), 81u);
    EXPECT_EQ(defaults->object("child.39")->integer(), 39);
    EXPECT_EQ(defaults->object("before")->integer(), 1);
}

// A write stores what the file now holds for keys this process set earlier, not its own
// older value.
TEST(UserDefaults, AValueAnotherProcessChangedSurvivesTheNextWrite) {
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("shared", 1);
    ASSERT_TRUE(endedWell(inAnotherProcess([&] { UserDefaults::open(file)->set("shared", 2); })));
    defaults->set("mine", 3);
    const auto text = readWholeFile(file);
    ASSERT_TRUE(text);
    const auto stored = decodeDefaultsFile(*text).values;
    ASSERT_TRUE(stored.count("shared"));
    EXPECT_EQ(stored.at("shared").integer(), 2);
    EXPECT_EQ(stored.at("mine").integer(), 3);
}

TEST(UserDefaults, AnUnreadableFileIsKeptAsideNotOverwritten) {
    const auto file = defaultsFile();
    std::ofstream(file) << "{ not json";
    orvane::testing::LogCapture logs;
    auto defaults = UserDefaults::open(file);
    EXPECT_EQ(defaults->object("anything"), std::nullopt);
    defaults->set("k", 1);
    bool keptAside = false;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        if (e.path().filename().string().rfind("app.orvane.Orvane.json.unreadable-", 0) == 0) {
            keptAside = readWholeFile(e.path()) == "{ not json";
        }
    EXPECT_TRUE(keptAside);
    EXPECT_EQ(onDisk(file)["values"]["k"], Json({{"int", 1}}));
    EXPECT_FALSE(logs.messages("defaults").empty());
}

TEST(UserDefaults, StoredDocumentsAreReadableJsonAndTheBase64FormStillLoads) {
    const auto file = defaultsFile();
    const std::string document = Json({{"manualKelvin", 2700}, {"version", 3}}).dump(2);
    UserDefaults::open(file)->set("settings.json", Bytes(document.begin(), document.end()));
    const auto text = readWholeFile(file).value();
    // A person opening the file sees the document itself, one member per line.
    EXPECT_NE(text.find("\"json\": {\n        \"manualKelvin\": 2700,"), std::string::npos) << text;

    // What an earlier build wrote: the same document as base64 data.
    const auto earlier = file.parent_path() / "earlier.json";
    std::ofstream(earlier)
        << Json({{"version", 1},
                 {"values", {{"settings.json", {{"data", base64Encode(Bytes(document.begin(), document.end()))}}}}}})
               .dump();
    for (const auto& path : {file, earlier}) {
        std::filesystem::copy_file(path, path.string() + ".copy");  // a process that has not cached it
        EXPECT_EQ(UserDefaults::open(path.string() + ".copy")->data("settings.json"),
                  Bytes(document.begin(), document.end()))
            << path;
    }
}

TEST(UserDefaults, ADeeplyNestedFileIsUnreadableAndKeptAside) {
    const auto file = defaultsFile();
    {
        std::ofstream out(file);
        out << R"({"version": 1, "values": {"keep": {"int": 1}, "deep": {"array": )";
        for (int i = 0; i < 100000; ++i) out << R"([{"array": )";
        out << "[]";
        for (int i = 0; i < 100000; ++i) out << "}]";
        out << "}}}";
    }
    const auto original = readWholeFile(file);
    orvane::testing::LogCapture logs;
    auto defaults = UserDefaults::open(file);
    EXPECT_EQ(defaults->object("keep"), std::nullopt);
    EXPECT_EQ(defaults->object("deep"), std::nullopt);
    defaults->set("k", 1);
    EXPECT_EQ(onDisk(file)["values"], Json({{"k", {{"int", 1}}}}));
    int keptAside = 0;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        if (e.path().filename().string().rfind("app.orvane.Orvane.json.unreadable-", 0) == 0)
            keptAside += readWholeFile(e.path()) == original;
    EXPECT_EQ(keptAside, 1);
    const auto lines = logs.messages("defaults");
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.rfind("defaults unreadable, starting empty: ", 0) == 0; }),
        1);
}

TEST(UserDefaults, AValueItsTagCannotHoldIsUnreadableForThatKeyAlone) {
    const auto file = defaultsFile();
    std::ofstream(file) << R"({"version": 1, "values": {"huge": {"float": 1e300}, "half": {"int": 2.5},
                               "kept": {"int": 3}, "level": {"float": 0.5}}})";
    orvane::testing::LogCapture logs;
    auto defaults = UserDefaults::open(file);
    EXPECT_EQ(defaults->object("huge"), std::nullopt);
    EXPECT_EQ(defaults->object("half"), std::nullopt);
    EXPECT_EQ(defaults->object("kept"), Value(3));
    EXPECT_EQ(defaults->object("level"), Value(0.5f));
    const auto lines = logs.messages("defaults");
    for (const char* key : {"huge", "half"})
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& l) { return l.find(key) != std::string::npos; }),
                  1)
            << key;

    // Writing goes on, and the unreadable entries stay as written until their keys are set;
    // then what was there is kept under "<key>.unreadable", and the log says where.
    defaults->set("added", 1);
    EXPECT_FALSE(onDisk(file)["values"].contains("half.unreadable"));
    defaults->set("half", 2);
    Json values = onDisk(file)["values"];
    EXPECT_EQ(values["huge"], Json({{"float", 1e300}}));
    EXPECT_EQ(values["half"], Json({{"int", 2}}));
    EXPECT_EQ(values["half.unreadable"], Json({{"int", 2.5}}));
    EXPECT_EQ(values["added"], Json({{"int", 1}}));
    EXPECT_EQ(values["kept"], Json({{"int", 3}}));
    const auto kept = logs.messages("defaults");
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "kept the unreadable half as half.unreadable in " + file.string()),
              1);

    // A value no file can hold is refused by name; the key keeps what it had.
    defaults->set("level", std::numeric_limits<double>::infinity());
    defaults->set("after", true);
    EXPECT_EQ(defaults->object("level"), Value(0.5f));
    values = onDisk(file)["values"];
    EXPECT_EQ(values["level"], Json({{"float", 0.5}}));
    EXPECT_EQ(values["after"], Json({{"bool", true}}));
    const auto refusals = logs.messages("defaults");
    EXPECT_TRUE(std::any_of(refusals.begin(), refusals.end(),
                            [](const std::string& l) { return l.rfind("cannot store level", 0) == 0; }));
    defaults->remove("huge");
    values = onDisk(file)["values"];
    EXPECT_FALSE(values.contains("huge"));
    EXPECT_EQ(values["huge.unreadable"], Json({{"float", 1e300}}));

    // A kept copy is nobody's to read: another process opening the file says nothing of it,
    // and setting the key again replaces the copy rather than keeping a copy of the copy.
    std::filesystem::copy_file(file, file.string() + ".copy");
    orvane::testing::LogCapture reopened;
    auto copy = UserDefaults::open(file.string() + ".copy");
    EXPECT_EQ(copy->object("half"), Value(2));
    EXPECT_TRUE(reopened.messages("defaults").empty());
    copy->set("half.unreadable", "replaced");
    values = onDisk(file.string() + ".copy")["values"];
    EXPECT_EQ(values["half.unreadable"], Json({{"string", "replaced"}}));
    EXPECT_FALSE(values.contains("half.unreadable.unreadable"));
}

// Copies kept earlier, readable or not, stay: a newly unreadable value goes to the next
// free name, and a copy asked for twice is kept once.
TEST(UserDefaults, AKeptCopyIsNeverReplacedByALaterOne) {
    const auto file = defaultsFile();
    std::ofstream(file) << R"({"version": 1, "values": {"half": {"int": 2.5}, "half.unreadable": {"int": 1.5},
                               "half.unreadable-2": {"string": "kept by hand"}}})";
    auto defaults = UserDefaults::open(file);
    defaults->set("half", 2);
    Json values = onDisk(file)["values"];
    EXPECT_EQ(values["half.unreadable"], Json({{"int", 1.5}}));
    EXPECT_EQ(values["half.unreadable-2"], Json({{"string", "kept by hand"}}));
    EXPECT_EQ(values["half.unreadable-3"], Json({{"int", 2.5}}));

    EXPECT_EQ(defaults->keepAside("doc", Value(std::string("first"))), "doc.unreadable");
    EXPECT_EQ(defaults->keepAside("doc", Value(std::string("second"))), "doc.unreadable-2");
    EXPECT_EQ(defaults->keepAside("doc", Value(std::string("first"))), "doc.unreadable") << "kept already";
    values = onDisk(file)["values"];
    EXPECT_EQ(values["doc.unreadable"], Json({{"string", "first"}}));
    EXPECT_EQ(values["doc.unreadable-2"], Json({{"string", "second"}}));
    EXPECT_FALSE(values.contains("doc.unreadable-3"));
}

TEST(UserDefaults, AnUnreadableFileIsKeptAsideOnceAndTheNextWriteKeepsTheGoodOne) {
    const auto file = defaultsFile();
    std::ofstream(file) << "{ not json";
    auto defaults = UserDefaults::open(file);
    defaults->set("first", 1);
    defaults->set("second", 2);
    std::vector<std::string> kept;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        if (e.path().filename().string().rfind("app.orvane.Orvane.json.unreadable-", 0) == 0)
            kept.push_back(readWholeFile(e.path()).value_or(""));
    EXPECT_EQ(kept, std::vector<std::string>{"{ not json"});
    EXPECT_EQ(onDisk(file)["values"], Json({{"first", {{"int", 1}}}, {"second", {{"int", 2}}}}));
}

TEST(UserDefaults, TemporaryFilesOfWritersThatAreGoneAreRemovedAtOpen) {
    const auto file = defaultsFile();
    const auto dir = file.parent_path();
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string name = file.filename().string();
    const std::vector<std::pair<std::string, bool>> cases{
        {"." + name + ".tmp-" + std::to_string(gone) + "-3", false},            // its writer was killed
        {"." + name + ".tmp-" + std::to_string(::getpid()) + "-999999", true},  // a writer still at work
        {".other.json.tmp-" + std::to_string(gone) + "-0", true},               // another file's
        {"." + name + ".tmp-" + std::to_string(gone), true},                    // not a name we write
        {"." + name + ".tmp-x-1", true},
    };
    for (const auto& [entry, kept] : cases) std::ofstream(dir / entry) << "{";
    auto defaults = UserDefaults::open(file);
    for (const auto& [entry, kept] : cases) EXPECT_EQ(std::filesystem::exists(dir / entry), kept) << entry;
}

TEST(UserDefaults, TheLinuxDomainsLiveUnderTheConfigHome) {
    const char* display = std::getenv("DISPLAY");
    ASSERT_EQ(display, nullptr) << "tests run without a display";
    orvane::testing::LogCapture logs;
    auto linux = linuxsys::makeLinuxPlatform(Runtime{}, true);
    ASSERT_TRUE(linux);
    EXPECT_EQ(linux->defaultsDirectory(), std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "orvane");
    EXPECT_EQ(linux->standardUserDefaults()->file().filename(), "app.orvane.Orvane.json");
    // A domain name cannot reach outside the directory.
    EXPECT_EQ(linux->userDefaults("../evil")->file().parent_path(), linux->defaultsDirectory());
}
