// The application catalogues: the desktop-entry reader, the XDG catalogue over a fixture
// of applications folders, and the simulated machine's scripted list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "SimFixture.h"
#include "platform/DesktopEntry.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/XdgAppCatalog.h"

namespace orvane::platform {
namespace {

TEST(DesktopEntryTest, ReadsTheMainGroupOnlyWithItsEscapesListsAndLocales) {
    const auto entry = DesktopEntry::parse(
        "# a comment\n"
        "[Desktop Entry]\r\n"
        "Type = Application\n"
        "Name=Photo Tool\n"
        "Name[de]=Fotowerkzeug\n"
        "Name[de_AT]=Fotowerkzeug (AT)\n"
        "Name[sr@latin]=Alat\n"
        "Comment=Line\\none\\stwo\\\\\n"
        "Categories=Graphics;RasterGraphics;;Odd\\;Name;\n"
        "Exec=tool --open \"%f\"\n"
        "Name=second Name is ignored\n"
        "\n"
        "[Desktop Action new]\n"
        "Name=New Window\n"
        "Icon=action-icon\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Type"), "Application");
    EXPECT_EQ(entry->value("Name"), "Photo Tool");
    EXPECT_EQ(entry->value("Icon"), std::nullopt) << "an action's key is not the entry's";
    EXPECT_EQ(entry->value("Comment"), "Line\none two\\");
    EXPECT_EQ(entry->rawValue("Comment"), "Line\\none\\stwo\\\\");
    EXPECT_EQ(entry->list("Categories"), (std::vector<std::string>{"Graphics", "RasterGraphics", "Odd;Name"}));
    EXPECT_EQ(entry->rawValue("Exec"), "tool --open \"%f\"");

    const struct {
        const char* locale;
        const char* expected;
    } cases[] = {
        {"de_DE.UTF-8", "Fotowerkzeug"},       // lang_COUNTRY missing: lang
        {"de_AT.UTF-8", "Fotowerkzeug (AT)"},  // lang_COUNTRY
        {"sr_RS.UTF-8@latin", "Alat"},         // lang@MODIFIER
        {"fr_FR.UTF-8", "Photo Tool"},        {"C", "Photo Tool"}, {"", "Photo Tool"},
    };
    for (const auto& c : cases) EXPECT_EQ(entry->localizedValue("Name", c.locale), c.expected) << c.locale;

    // Escapes of list values: an escaped backslash before ';' ends the item.
    const struct {
        const char* raw;
        std::vector<std::string> items;
    } lists[] = {
        {"one\\\\;two", {"one\\", "two"}},
        {"one\\\\\\;two", {"one\\;two"}},
        {"a\\sb;c\\\\", {"a b", "c\\"}},
        {"tail\\", {"tail\\"}},
    };
    for (const auto& l : lists) {
        const auto listed = DesktopEntry::parse(std::string("[Desktop Entry]\nKeywords=") + l.raw + "\n");
        ASSERT_TRUE(listed);
        EXPECT_EQ(listed->list("Keywords"), l.items) << l.raw;
    }

    EXPECT_EQ(DesktopEntry::parse("[Other Group]\nName=x\n"), std::nullopt);
    EXPECT_EQ(DesktopEntry::read("/nonexistent/x.desktop"), std::nullopt);
}

class XdgAppCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testing::freshDirectory("xdg");
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "LANG", "LC_ALL", "LC_MESSAGES"}) {
            const char* v = std::getenv(name);
            saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
        ::setenv("XDG_DATA_HOME", (root / "home").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", ((root / "local").string() + ":" + (root / "system").string()).c_str(), 1);
        ::setenv("LANG", "de_DE.UTF-8", 1);
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");

        write("system", "gimp",
              "[Desktop Entry]\nType=Application\nName=GNU Image Manipulation Program\n"
              "Name[de]=GNU-Bildbearbeitungsprogramm\nIcon=gimp\nStartupWMClass=Gimp-2.10\n"
              "Categories=Graphics;2DGraphics;RasterGraphics;GTK;\n");
        write("system", "org.inkscape.Inkscape",
              "[Desktop Entry]\nType=Application\nName=Inkscape\nCategories=Graphics;VectorGraphics;\n");
        write("system", "darktable", "[Desktop Entry]\nType=Application\nName=darktable\nCategories=Photography;\n");
        write("system", "kdenlive",
              "[Desktop Entry]\nType=Application\nName=Kdenlive\nCategories=AudioVideo;AudioVideoEditing;\n");
        write("system", "krita",
              "[Desktop Entry]\nType=Application\nName=Krita\nCategories=Graphics;RasterGraphics;\n");
        write("system", "shotwell", "[Desktop Entry]\nType=Application\nName=Shotwell\nCategories=Photography;\n");
        write("system", "firefox", "[Desktop Entry]\nType=Application\nName=Firefox\nCategories=Network;\n");
        write("system", "website",
              "[Desktop Entry]\nType=Link\nName=Web site\nURL=https://example.org\n"
              "Categories=Photography;\n");
        write("system", "Example", "[Desktop Entry]\nType=Application\nExec=example\n");
        // A folder earlier in the list hides the system's entry of the same ID.
        write("system", "gone", "[Desktop Entry]\nType=Application\nName=Gone\nCategories=Photography;\n");
        write("home", "gone", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
        write("local", "krita", "[Desktop Entry]\nType=Link\nName=Krita link\n");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }
    void write(const std::string& folder, const std::string& id, const std::string& text) {
        const auto dir = root / folder / "applications";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / (id + ".desktop")) << text;
    }

    std::filesystem::path root;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(XdgAppCatalogTest, InstalledApplicationsAreTypeApplicationEntriesNamedInTheMessagesLocale) {
    linuxsys::XdgAppCatalog catalog;
    EXPECT_EQ(catalog.application("gimp"), (CatalogApp{"gimp", "GNU-Bildbearbeitungsprogramm", std::string("gimp")}));
    EXPECT_EQ(catalog.application("Example"), (CatalogApp{"Example", "Example", std::nullopt}))
        << "without a Name the file's base name";
    EXPECT_EQ(catalog.application("website"), std::nullopt) << "a link is not an application";
    EXPECT_EQ(catalog.application("gone"), std::nullopt) << "hidden in the user's folder";
    EXPECT_EQ(catalog.application("krita"), std::nullopt) << "the first folder with the ID decides";
    EXPECT_EQ(catalog.application("nothing"), std::nullopt);
    EXPECT_EQ(catalog.application("../system/applications/gimp"), std::nullopt) << "an ID is never a path";
}

TEST_F(XdgAppCatalogTest, SuggestionsAreUpToFiveImageAndVideoApplicationsByName) {
    linuxsys::XdgAppCatalog catalog;
    const auto suggested = catalog.suggestions();
    ASSERT_TRUE(suggested);
    std::vector<std::string> names;
    for (const auto& app : *suggested) names.push_back(app.name);
    // Krita is a link in the first folder; Firefox is not in those categories; the sixth
    // by name (Shotwell) is cut.
    EXPECT_EQ(names, (std::vector<std::string>{"darktable", "GNU-Bildbearbeitungsprogramm", "Inkscape", "Kdenlive",
                                               "Shotwell"}));
    write("system", "aaa", "[Desktop Entry]\nType=Application\nName=Aardvark\nCategories=RasterGraphics;\n");
    const auto again = catalog.suggestions();
    ASSERT_EQ(again->size(), 5u);
    EXPECT_EQ(again->front().name, "Aardvark") << "entries are read again on every call";
    EXPECT_EQ(again->back().name, "Kdenlive");
}

TEST_F(XdgAppCatalogTest, TheChoosersListIsEveryApplicationShownInMenusByName) {
    write("system", "helper", "[Desktop Entry]\nType=Application\nName=Helper\nNoDisplay=true\n");
    linuxsys::XdgAppCatalog catalog;
    std::vector<std::string> names;
    const auto listed = catalog.applications();
    ASSERT_TRUE(listed);
    for (const auto& app : *listed) names.push_back(app.name);
    // Names, not file names, in the messages locale; links, hidden and menu-less entries left out.
    EXPECT_EQ(names, (std::vector<std::string>{"darktable", "Example", "Firefox", "GNU-Bildbearbeitungsprogramm",
                                               "Inkscape", "Kdenlive", "Shotwell"}));
    EXPECT_EQ((*listed)[3].icon, std::optional<std::string>("gimp"));
}

TEST_F(XdgAppCatalogTest, AWindowClassFindsItsEntryByStartupClassThenByIdIgnoringCase) {
    linuxsys::XdgAppCatalog catalog;
    const struct {
        const char* windowClass;
        std::optional<std::string> instance;
        const char* expected;
    } cases[] = {
        {"Gimp-2.10", std::string("gimp-2.10"), "gimp"},   // StartupWMClass
        {"Firefox", std::string("Navigator"), "firefox"},  // the class, ignoring case
        {"Navigator", std::string("FIREFOX"), "firefox"},  // the instance, ignoring case
        {"website", std::nullopt, "website"},              // a link is no application: the class itself
        {"Unknown", std::string("unknown"), "Unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(catalog.applicationID(c.windowClass, c.instance), c.expected) << c.windowClass;
}

TEST_F(XdgAppCatalogTest, AChosenFileIsAnApplicationOnlyWhenReadableAndOfTypeApplication) {
    linuxsys::XdgAppCatalog catalog;
    const auto system = root / "system" / "applications";
    EXPECT_EQ(catalog.applicationAt(system / "Example.desktop"), (CatalogApp{"Example", "Example", std::nullopt}));
    EXPECT_EQ(catalog.applicationAt(system / "gimp.desktop")->name, "GNU-Bildbearbeitungsprogramm");
    EXPECT_EQ(catalog.applicationAt(system / "website.desktop"), std::nullopt);
    EXPECT_EQ(catalog.applicationAt(system / "missing.desktop"), std::nullopt);
    EXPECT_EQ(catalog.applicationAt(system), std::nullopt) << "a folder";
    std::ofstream(root / "binary.desktop") << std::string(
        "\x7f"
        "ELF\0\0",
        6);
    EXPECT_EQ(catalog.applicationAt(root / "binary.desktop"), std::nullopt);
}

// The folders are watched: a burst of changes is told once, when the folders have been
// quiet for a moment; files that are no entries tell nothing; a folder made later (the
// user's own, with its first entry) is watched from then on; an ended watch tells nothing.
TEST_F(XdgAppCatalogTest, AChangeOfTheApplicationsFoldersIsToldOnceItSettles) {
    std::filesystem::remove_all(root / "home");  // no folder of the user's yet, nor its parent
    auto scheduler = std::make_shared<FakeScheduler>();
    linuxsys::XdgAppCatalog catalog({}, {}, scheduler);
    int told = 0;
    auto watch = catalog.observeChanges([&] { ++told; });
    ASSERT_TRUE(watch);
    const TimeInterval settle = linuxsys::XdgAppCatalog::settleDelay;
    const auto toldAfterSettling = [&] {
        scheduler->advance(settle + 0.5);
        return std::exchange(told, 0);
    };
    const std::string entry = "[Desktop Entry]\nType=Application\nName=New\n";

    write("system", "one", entry);
    scheduler->advance(settle / 2);
    write("system", "two", entry);
    scheduler->advance(settle / 2);
    EXPECT_EQ(told, 0) << "still settling";
    EXPECT_EQ(toldAfterSettling(), 1);

    std::ofstream(root / "system" / "applications" / "mimeinfo.cache") << "[MIME Cache]\n";
    std::filesystem::create_directories(root / "local" / "applications" / "kde4");
    EXPECT_EQ(toldAfterSettling(), 0) << "no entry changed";

    std::filesystem::remove(root / "system" / "applications" / "one.desktop");
    EXPECT_EQ(toldAfterSettling(), 1);

    write("home", "mine", entry);
    EXPECT_EQ(toldAfterSettling(), 1) << "the user's folder appeared";
    EXPECT_TRUE(catalog.application("mine"));
    write("home", "another", entry);
    EXPECT_EQ(toldAfterSettling(), 1) << "and is watched now";

    watch.reset();
    EXPECT_EQ(scheduler->fdWatchCount(), 0u);
    write("system", "three", entry);
    EXPECT_EQ(toldAfterSettling(), 0);
    EXPECT_FALSE(linuxsys::XdgAppCatalog().observeChanges([] {}).has_value()) << "nothing watches without a scheduler";
}

// With a scheduler the entries are read once and kept until the folders change, since the
// front window's class is looked up at every switch: an entry written meanwhile is found
// once the change has settled, not before.
TEST_F(XdgAppCatalogTest, TheEntriesAreKeptUntilTheFoldersChange) {
    auto scheduler = std::make_shared<FakeScheduler>();
    linuxsys::XdgAppCatalog catalog({}, {}, scheduler);
    EXPECT_EQ(catalog.applicationID("Studio-9", std::nullopt), "Studio-9");
    write("system", "studio", "[Desktop Entry]\nType=Application\nName=Studio\nStartupWMClass=Studio-9\n");
    EXPECT_EQ(catalog.applicationID("Studio-9", std::nullopt), "Studio-9") << "kept until the change settles";
    scheduler->advance(linuxsys::XdgAppCatalog::settleDelay + 0.5);
    EXPECT_EQ(catalog.applicationID("Studio-9", std::nullopt), "studio");
    std::filesystem::remove(root / "system" / "applications" / "studio.desktop");
    scheduler->advance(linuxsys::XdgAppCatalog::settleDelay + 0.5);
    EXPECT_EQ(catalog.applicationID("Studio-9", std::nullopt), "Studio-9");
}

class SimAppCatalogTest : public testing::SimTest {};

TEST_F(SimAppCatalogTest, TheScriptedListAnswersAndTheFixedSuggestionsApply) {
    sim->update([](sim::SimState& s) {
        s.applications = {{"com.adobe.Photoshop", "Photoshop", std::nullopt, std::string("Photoshop-2026"),
                           std::string("/Applications/Photoshop.app")}};
    });
    auto& catalog = sim->appCatalog();
    EXPECT_EQ(catalog.application("com.adobe.Photoshop"),
              (CatalogApp{"com.adobe.Photoshop", "Photoshop", std::nullopt}));
    EXPECT_EQ(catalog.application("com.figma.Desktop"), std::nullopt);
    EXPECT_EQ(catalog.suggestions(), std::nullopt);
    EXPECT_EQ(catalog.applicationID("Photoshop-2026", std::nullopt), "com.adobe.Photoshop");
    EXPECT_EQ(catalog.applicationID("com.other.App", std::nullopt), "com.other.App");
    EXPECT_EQ(catalog.applicationAt("/Applications/Photoshop.app")->id, "com.adobe.Photoshop");
    EXPECT_EQ(catalog.applicationAt("/Applications/Other.app"), std::nullopt);
}

}  // namespace
}  // namespace orvane::platform
