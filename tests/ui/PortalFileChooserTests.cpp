// Choosing files through the desktop's file-chooser portal, played by a stand-in portal on
// a private bus: what the request says, the files the answer gives, a cancel, and a bus
// without the portal (the caller falls back to its own dialog).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "FakeFileChooserPortal.h"
#include "RequiredTool.h"
#include "SessionBus.h"
#include "platform/linux/DBusConnection.h"
#include "ui/settings/PortalFileChooser.h"

namespace orvane::testing {
namespace {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;

class PortalFileChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = "/tmp/orvane-bus-XXXXXX";  // short: socket paths are limited
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        busDir = pattern;
        bus = std::make_unique<SessionBus>(busDir);
        ORVANE_REQUIRE_TOOL(bus->error());
        DBusError error;
        connection = DBusConnection::connect(bus->address(), error);
        ASSERT_TRUE(connection) << error.message;
    }
    void TearDown() override {
        connection.reset();
        bus.reset();
        std::error_code ignored;
        if (!busDir.empty()) std::filesystem::remove_all(busDir, ignored);
    }

    std::filesystem::path busDir;
    std::unique_ptr<SessionBus> bus;
    std::unique_ptr<DBusConnection> connection;
};

TEST(PortalFilters, FromQtsFilterText) {
    const auto filters = PortalFileChooser::filtersOf(QStringLiteral("JSON (*.json);;Applications (*.desktop *.app)"));
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].first, QStringLiteral("JSON"));
    EXPECT_EQ(filters[0].second, (std::vector<QString>{QStringLiteral("*.json")}));
    EXPECT_EQ(filters[1].second, (std::vector<QString>{QStringLiteral("*.desktop"), QStringLiteral("*.app")}));
    EXPECT_TRUE(PortalFileChooser::filtersOf(QString()).empty());
}

TEST_F(PortalFileChooserTest, WithoutThePortalTheCallerUsesItsOwnDialog) {
    PortalFileChooser::Request request;
    request.title = QStringLiteral("Import Settings");
    EXPECT_EQ(PortalFileChooser::choose(request, connection.get()), std::nullopt);
}

TEST_F(PortalFileChooserTest, ASaveAsksWithTheNameFolderAndFilterAndGivesTheChosenPath) {
    FakeFileChooserPortal portal(bus->address());
    ASSERT_TRUE(portal.ready());
    portal.answer({"file:///home/user/Documents/Orvane%20settings.json"});
    PortalFileChooser::Request request;
    request.title = QStringLiteral("Export Settings");
    request.save = true;
    request.folder = QStringLiteral("/home/user/Documents");
    request.proposedName = QStringLiteral("Orvane settings.json");
    request.filters = PortalFileChooser::filtersOf(QStringLiteral("JSON (*.json)"));
    const auto chosen = PortalFileChooser::choose(request, connection.get());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, (std::vector<std::string>{"/home/user/Documents/Orvane settings.json"}));
    const auto calls = portal.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, "SaveFile");
    EXPECT_EQ(calls[0].title, "Export Settings");
    EXPECT_EQ(calls[0].options.at("current_name"), "Orvane settings.json");
    EXPECT_EQ(calls[0].options.at("current_folder"), "/home/user/Documents");
    EXPECT_EQ(calls[0].options.at("modal"), "true");
    EXPECT_EQ(calls[0].filterNames, (std::vector<std::string>{"JSON"}));
}

// An open that asks for a folder goes to the portal only from version 4, which takes
// current_folder for opens; an older portal drops it and starts elsewhere (its recent
// files), so the caller's own dialog, which starts there, is used instead. A save takes
// the folder from every version; an open without a folder goes to any.
TEST_F(PortalFileChooserTest, AnOpenInAFolderNeedsAPortalThatTakesTheFolder) {
    PortalFileChooser::Request open;
    open.title = QStringLiteral("Import Settings");
    open.folder = QStringLiteral("/home/user/Documents");
    PortalFileChooser::Request save = open;
    save.save = true;
    PortalFileChooser::Request anywhere = open;
    anywhere.folder.clear();
    const struct {
        std::uint32_t version;
        const PortalFileChooser::Request* request;
        bool asked;
    } cases[] = {
        {3, &open, false}, {4, &open, true}, {5, &open, true}, {3, &save, true}, {3, &anywhere, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version) + (c.request->save ? " save" : " open") +
                     (c.request->folder.isEmpty() ? " anywhere" : " in a folder"));
        FakeFileChooserPortal portal(bus->address(), c.version);
        ASSERT_TRUE(portal.ready());
        portal.answer({"file:///home/user/Documents/Orvane%20settings.json"});
        const auto chosen = PortalFileChooser::choose(*c.request, connection.get());
        EXPECT_EQ(chosen.has_value(), c.asked);
        const auto calls = portal.calls();
        ASSERT_EQ(calls.size(), c.asked ? 1u : 0u);
        if (c.asked && !c.request->folder.isEmpty()) {
            EXPECT_EQ(calls[0].options.at("current_folder"), "/home/user/Documents");
        }
    }
}

TEST_F(PortalFileChooserTest, AnOpenGivesEveryChosenFileAndACancelGivesNone) {
    FakeFileChooserPortal portal(bus->address());
    ASSERT_TRUE(portal.ready());
    portal.answer({"file:///usr/share/applications/a.desktop", "file:///usr/share/applications/b.desktop"});
    PortalFileChooser::Request request;
    request.title = QStringLiteral("Choose");
    request.multiple = true;
    auto chosen = PortalFileChooser::choose(request, connection.get());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen,
              (std::vector<std::string>{"/usr/share/applications/a.desktop", "/usr/share/applications/b.desktop"}));
    EXPECT_EQ(portal.calls().back().method, "OpenFile");
    EXPECT_EQ(portal.calls().back().options.at("multiple"), "true");

    portal.answer({});
    chosen = PortalFileChooser::choose(request, connection.get());
    ASSERT_TRUE(chosen) << "a portal that answered: no dialog of our own";
    EXPECT_TRUE(chosen->empty());
}

}  // namespace
}  // namespace orvane::testing
