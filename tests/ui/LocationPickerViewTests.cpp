// The place picker over the real model on the simulated machine: each way of naming the
// place, what it writes, what it refuses, what it opens on, and the precise tab against a
// stand-in location service on a private bus.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <thread>

#include <QLineEdit>
#include <QTest>

#include "FakeGeoClue.h"
#include "KitFixture.h"
#include "RenderedView.h"
#include "SessionBus.h"
#include "SkyFixture.h"
#include "platform/linux/GeoClueLocationProvider.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Form.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/views/LocationPickerView.h"
#include "ui/views/PlaceList.h"

namespace orvane::testing {
namespace {

using Tab = LocationPickerView::Tab;

class LocationPickerTest : public KitModelTest {
protected:
    LocationPickerView& open(const LocationSource& source) {
        Settings settings;
        settings.sunset.locationSource = source;
        start(settings);
        view = new LocationPickerView(model, window.get());
        view->beep = [this] { ++beeps; };
        return place(*view, QSize(440, 330));
    }
    const LocationSource& stored() const { return model->settings().sunset.locationSource; }
    static std::vector<std::string> checkedKeys(const PlaceList& list) {
        std::vector<std::string> out;
        for (const auto& row : list.rows())
            if (row.checked) out.push_back(row.key);
        return out;
    }
    static void click(PlaceList& list, std::size_t row) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.rowRect(row).center());
    }

    LocationPickerView* view = nullptr;
    int beeps = 0;
};

TEST_F(LocationPickerTest, UseWritesCoordinatesItCanReadAndBeepsOtherwise) {
    open(LocationSource::TimeZone{});
    view->setTab(Tab::coordinates);
    struct Case {
        const char* lat;
        const char* lon;
        std::optional<LocationSource::Coordinates> written;
        const char* says = "";  // beside the fields after a refusal
    };
    using C = LocationSource::Coordinates;
    const char* notNumber = "The latitude is not a number (like 52.52).";
    const char* latRange = "The latitude must lie between \u221290 and 90.";
    const Case cases[] = {
        {"52,52", "13,405", C{52.52, 13.405}},
        {"90", "180", C{90, 180}},
        {"-90", "-180", C{-90, -180}},
        {"+52", "13", C{52, 13}},
        {"90.0001", "13", std::nullopt, latRange},
        {"91", "13", std::nullopt, latRange},
        {"", "13", std::nullopt, "Enter a latitude (like 52.52)."},
        {" 52", "13", std::nullopt, notNumber},
        {"abc", "13", std::nullopt, notNumber},
        {"nan", "13", std::nullopt, notNumber},
        {"1e400", "13", std::nullopt, notNumber},
        {"52", "180.5", std::nullopt, "The longitude must lie between \u2212180 and 180."},
        {"52", "200", std::nullopt, "The longitude must lie between \u2212180 and 180."},
        {"abc", "200", std::nullopt,
         "The latitude is not a number (like 52.52). The longitude must lie between \u2212180 and 180."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.lat + "' '" + c.lon + "'");
        const LocationSource before = stored();
        const int beepsBefore = beeps;
        view->latitudeField()->setText(QString::fromUtf8(c.lat));
        view->longitudeField()->setText(QString::fromUtf8(c.lon));
        view->useButton()->click();
        if (c.written) {
            EXPECT_EQ(stored(), LocationSource(*c.written));
            EXPECT_EQ(beeps, beepsBefore);
            EXPECT_TRUE(view->coordinatesErrorText()->isHidden());
        } else {
            EXPECT_EQ(stored(), before);
            EXPECT_EQ(beeps, beepsBefore + 1);
            EXPECT_FALSE(view->coordinatesErrorText()->isHidden());
            EXPECT_EQ(view->coordinatesErrorText()->text().toStdString(), c.says);
            EXPECT_EQ(view->latitudeField()->text(), QString::fromUtf8(c.lat)) << "the fields keep their text";
            EXPECT_EQ(view->longitudeField()->text(), QString::fromUtf8(c.lon));
        }
        EXPECT_EQ(view->tab(), Tab::coordinates);
    }
    // Typing again takes the sentence away until the next Use.
    QTest::keyClicks(view->latitudeField(), "1");
    EXPECT_TRUE(view->coordinatesErrorText()->isHidden());
    // The place follows: the nearest bundled city's zone.
    view->latitudeField()->setText(QStringLiteral("48.8566"));
    view->longitudeField()->setText(QStringLiteral("2.3522"));
    view->useButton()->click();
    EXPECT_EQ(model->location().timeZoneIdentifier, "Europe/Paris");
    EXPECT_TRUE(view->placeText().endsWith(QStringLiteral(" · Europe/Paris"))) << view->placeText().toStdString();
}

TEST_F(LocationPickerTest, OpensOnTheStoredCoordinates) {
    open(LocationSource::Coordinates{48.8566, 2.3522});
    EXPECT_EQ(view->tab(), Tab::coordinates);
    EXPECT_EQ(view->content()->currentIndex(), 2);
    EXPECT_EQ(view->tabs()->selection(), Tab::coordinates);
    EXPECT_EQ(view->latitudeField()->text(), "48.8566");
    EXPECT_EQ(view->longitudeField()->text(), "2.3522");
    // Typing and switching tabs write nothing; a source changed meanwhile leaves the view as it is.
    view->latitudeField()->setText(QStringLiteral("1"));
    view->setTab(Tab::city);
    EXPECT_EQ(stored(), LocationSource(LocationSource::Coordinates{48.8566, 2.3522}));
    Settings s = model->settings();
    s.sunset.locationSource = LocationSource::Precise{};
    model->setSettings(s);
    EXPECT_EQ(view->tab(), Tab::city);
    // Shown again, it opens on the stored source once more.
    view->hide();
    view->show();
    EXPECT_EQ(view->tab(), Tab::precise);
}

// In a form card the picker is as tall as the tab it shows: the short tabs do not keep the
// City tab's height.
TEST_F(LocationPickerTest, TheCardIsAsTallAsTheShownTab) {
    Settings settings;
    start(settings);
    kit::Form form(window.get());
    auto* picker = new LocationPickerView(model);
    form.addSection(QStringLiteral("Location"))->addRow(picker);
    place(form, QSize(520, 700));  // on screen, as in the settings window
    const auto height = [&](Tab tab) {
        picker->setTab(tab);
        QCoreApplication::sendPostedEvents();
        return kit::RenderHarness::fittedHeight(form, 520);
    };
    const int city = height(Tab::city);
    const int coordinates = height(Tab::coordinates);
    const int precise = height(Tab::precise);
    const int pageGap = picker->content()->widget(static_cast<int>(Tab::city))->sizeHint().height() -
                        picker->content()->widget(static_cast<int>(Tab::coordinates))->sizeHint().height();
    ASSERT_GT(pageGap, 40) << "the city page is the taller";
    EXPECT_LE(coordinates, city - pageGap + 2);
    EXPECT_LT(precise, city);
    EXPECT_EQ(height(Tab::city), city) << "and back";
}

TEST_F(LocationPickerTest, CitySearchListsNothingForNothingAndAtMostThirty) {
    open(LocationSource::City{berlinCity});
    EXPECT_EQ(view->tab(), Tab::city);
    EXPECT_TRUE(view->cityList()->rows().empty());
    view->citySearch()->setText(QStringLiteral("a"));
    EXPECT_EQ(view->cityList()->rows().size(), 30u);
    view->citySearch()->setText(QStringLiteral("   "));
    EXPECT_TRUE(view->cityList()->rows().empty());
    view->citySearch()->clear();
    QTest::keyClicks(view->citySearch(), QStringLiteral("berl"));
    ASSERT_FALSE(view->cityList()->rows().empty());
    const auto& first = view->cityList()->rows().front();
    EXPECT_EQ(first.key, berlinCity);
    EXPECT_EQ(first.title, "Berlin");
    EXPECT_EQ(first.beside, "DE");
    EXPECT_EQ(first.detail, "Europe/Berlin");
    EXPECT_EQ(checkedKeys(*view->cityList()), std::vector<std::string>{berlinCity});

    ASSERT_GE(view->cityList()->rows().size(), 2u);
    const std::string other = view->cityList()->rows()[1].key;
    click(*view->cityList(), 1);
    EXPECT_EQ(stored(), LocationSource(LocationSource::City{other}));
    EXPECT_EQ(checkedKeys(*view->cityList()), std::vector<std::string>{other});
    EXPECT_EQ(view->tab(), Tab::city) << "picking a row does not switch tabs";
}

TEST_F(LocationPickerTest, ZoneTabFollowsTheComputerOrChecksExactlyTheChosenZone) {
    open(LocationSource::TimeZone{});
    EXPECT_EQ(view->tab(), Tab::timeZone);
    EXPECT_EQ(view->followText(), "Follow the computer's time zone (Europe/Berlin)");
    EXPECT_TRUE(view->followSwitch()->isChecked());
    EXPECT_TRUE(view->zoneSearch()->isHidden());
    EXPECT_TRUE(view->zoneList()->isHidden());
    EXPECT_TRUE(view->zoneCaption()->isHidden());

    view->followSwitch()->click();  // off: the computer's zone, named
    EXPECT_EQ(stored(), LocationSource(LocationSource::TimeZone{"Europe/Berlin"}));
    EXPECT_FALSE(view->followSwitch()->isChecked());
    EXPECT_FALSE(view->zoneList()->isHidden());
    EXPECT_EQ(view->zoneList()->rows().size(), 200u) << "an empty query lists the table's first 200";
    view->zoneSearch()->setText(QStringLiteral("Europe/Berlin"));
    EXPECT_EQ(checkedKeys(*view->zoneList()), std::vector<std::string>{"Europe/Berlin"});

    // Several identifiers share a stem; only the one chosen carries the checkmark.
    view->zoneSearch()->setText(QStringLiteral("Indiana"));
    const auto& rows = view->zoneList()->rows();
    ASSERT_GE(rows.size(), 3u);
    EXPECT_TRUE(checkedKeys(*view->zoneList()).empty());
    const std::string chosen = rows[1].key;
    click(*view->zoneList(), 1);
    EXPECT_EQ(stored(), LocationSource(LocationSource::TimeZone{chosen}));
    EXPECT_EQ(checkedKeys(*view->zoneList()), std::vector<std::string>{chosen});

    // A city source: the switch off, the list there, no checkmark.
    Settings s = model->settings();
    s.sunset.locationSource = LocationSource::City{berlinCity};
    model->setSettings(s);
    EXPECT_FALSE(view->followSwitch()->isChecked());
    EXPECT_FALSE(view->zoneList()->isHidden());
    view->zoneSearch()->setText(QStringLiteral("Europe/Berlin"));
    EXPECT_TRUE(checkedKeys(*view->zoneList()).empty());

    view->followSwitch()->click();
    EXPECT_EQ(stored(), LocationSource(LocationSource::TimeZone{}));
    EXPECT_TRUE(view->zoneList()->isHidden());
}

TEST_F(LocationPickerTest, HeaderShowsThePlaceAndItsSunTimes) {
    open(LocationSource::City{berlinCity});
    EXPECT_EQ(view->placeText(), "Berlin · Europe/Berlin");
    const std::regex line("↑ \\d\\d:\\d\\d · ↓ \\d\\d:\\d\\d · dusk \\d\\d:\\d\\d");
    EXPECT_TRUE(std::regex_match(view->sunTimesText().toStdString(), line)) << view->sunTimesText().toStdString();

    // Midsummer in Svalbard: no sunrise, no sunset, no dusk.
    clock->setNow(Calendar(*TimeZone::named("Arctic/Longyearbyen")).date(2026, 6, 21, 12));
    Settings s = model->settings();
    s.sunset.locationSource = LocationSource::City{longyearbyenCity};
    model->setSettings(s);
    EXPECT_EQ(view->sunTimesText(), "↑ — · ↓ — · dusk —");
}

// The desktop's location service, played by a stand-in GeoClue on a private bus.
class PreciseTabTest : public LocationPickerTest {
protected:
    void SetUp() override {
        LocationPickerTest::SetUp();
        std::string pattern = "/tmp/orvane-bus-XXXXXX";  // short: socket paths are limited
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        busDir = pattern;
        bus = std::make_unique<SessionBus>(busDir);
        ORVANE_REQUIRE_TOOL(bus->error());
        // The service asks the system bus, here the private one.
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus->address().c_str(), 1);
        locationService = std::make_shared<platform::linuxsys::GeoClueLocationProvider>(10);
    }
    void TearDown() override {
        LocationPickerTest::TearDown();
        locationService.reset();
        bus.reset();
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        std::error_code ignored;
        if (!busDir.empty()) std::filesystem::remove_all(busDir, ignored);
    }
    // Runs the main thread's posted work until the model heard back (10 s at most).
    bool answered() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            scheduler->runPending();
            QCoreApplication::processEvents();
            if (model->preciseCoordinates() || model->preciseLocationError()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::filesystem::path busDir;
    std::unique_ptr<SessionBus> bus;
};

TEST_F(PreciseTabTest, AFixStoresThePlace) {
    FakeGeoClue geoclue(bus->address(), FakeGeoClue::Behaviour::locate);
    ASSERT_TRUE(geoclue.ready());
    open(LocationSource::TimeZone{});
    view->setTab(Tab::precise);
    EXPECT_TRUE(view->preciseCoordinatesText()->isHidden());
    view->preciseButton()->click();
    ASSERT_TRUE(answered());
    EXPECT_EQ(stored(), LocationSource(LocationSource::Precise{}));
    EXPECT_EQ(model->settings().sunset.cachedPreciseLatitude, 52.52);
    EXPECT_EQ(model->settings().sunset.cachedPreciseLongitude, 13.405);
    EXPECT_EQ(view->preciseCoordinatesText()->text(), "52.520, 13.405");
    EXPECT_FALSE(view->preciseCoordinatesText()->isHidden());
    EXPECT_TRUE(view->preciseErrorText()->isHidden());
    EXPECT_EQ(view->placeText().toStdString().find(" · Europe/Berlin") != std::string::npos, true);
    EXPECT_EQ(view->tab(), Tab::precise);
}

TEST_F(PreciseTabTest, ARefusalShowsTheFailureAndStoresNothing) {
    FakeGeoClue geoclue(bus->address(), FakeGeoClue::Behaviour::refuse);
    ASSERT_TRUE(geoclue.ready());
    open(LocationSource::City{berlinCity});
    view->setTab(Tab::precise);
    const Settings before = model->settings();
    view->preciseButton()->click();
    ASSERT_TRUE(answered());
    EXPECT_EQ(model->settings(), before);
    EXPECT_FALSE(model->preciseCoordinates());
    EXPECT_EQ(view->preciseErrorText()->text(), platform::linuxsys::GeoClueLocationProvider::denied);
    EXPECT_FALSE(view->preciseErrorText()->isHidden());
    EXPECT_EQ(view->preciseErrorText()->resolvedColour(), kit::Tokens::warmRed().resolve(kit::Appearance::light));
}

// Each tab, in both appearances, at the size the first-run window gives it.
TEST_F(LocationPickerTest, Renders) {
    open(LocationSource::TimeZone{"Europe/Berlin"});
    view->zoneSearch()->setText(QStringLiteral("Europe/B"));
    expectRenderedWhole(*view, "place-picker-time-zone", QSize(440, 330));
    view->setTab(Tab::city);
    view->citySearch()->setText(QStringLiteral("Ber"));
    view->cityList()->pick(0);
    expectRenderedWhole(*view, "place-picker-city", QSize(440, 330));
    view->setTab(Tab::coordinates);
    view->latitudeField()->setText(QStringLiteral("52,52"));
    view->longitudeField()->setText(QStringLiteral("13,405"));
    expectRenderedWhole(*view, "place-picker-coordinates", QSize(440, 330));
    view->latitudeField()->setText(QStringLiteral("abc"));
    view->longitudeField()->setText(QStringLiteral("200"));
    view->useButton()->click();
    EXPECT_FALSE(view->coordinatesErrorText()->isHidden());
    expectRenderedWhole(*view, "place-picker-coordinates-refused", QSize(440, 330));
    view->setTab(Tab::precise);
    model->requestPreciseLocation();
    location->fail("Access to the location was denied.");
    scheduler->runPending();
    expectRenderedWhole(*view, "place-picker-precise", QSize(440, 330));
    Settings s = model->settings();
    s.sunset.locationSource = LocationSource::TimeZone{};
    model->setSettings(s);
    view->setTab(Tab::timeZone);
    expectRenderedWhole(*view, "place-picker-following", QSize(440, 330));
}

}  // namespace
}  // namespace orvane::testing
