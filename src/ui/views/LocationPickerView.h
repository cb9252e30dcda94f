#pragma once
// Chooses the place for the sun times, one way per tab: a time zone (or the computer's
// own), a city of the built-in table, typed coordinates, or one precise fix from the
// desktop's location service. Above the tabs, the resolved place and today's sunrise,
// sunset and dusk in its zone. It writes only Settings::sunset.locationSource (through
// AppModel::change) and AppModel::requestPreciseLocation; switching tabs or typing
// writes nothing. The header, the tab control and the tab's content are stacked in one
// widget; a form can take them as rows of its own through header(), tabs() and content().
#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "core/Locations.h"
#include "ui/kit/GlassSegment.h"
#include "ui/views/ModelView.h"
#include "ui/views/PlaceRules.h"

class QLineEdit;
class QVBoxLayout;

namespace orvane {
namespace kit {
class SwitchRow;
class SystemButton;
class Text;
class TintSwitch;
}  // namespace kit

class PlaceList;

// The tabs' pages, one shown at a time, as tall as the shown one alone (a QStackedWidget
// asks every page for its height at a width, so the short tabs kept the City tab's height).
class TabPages final : public QWidget {
public:
    explicit TabPages(QWidget* parent = nullptr);
    void addWidget(QWidget* page);
    void setCurrentIndex(int index);
    int currentIndex() const { return current_; }
    int count() const { return static_cast<int>(pages_.size()); }
    QWidget* widget(int index) const { return pages_.at(static_cast<std::size_t>(index)); }

private:
    QVBoxLayout* layout_;
    std::vector<QWidget*> pages_;
    int current_ = -1;
};

class LocationPickerView : public QWidget {
public:
    using Tab = PlaceRules::Tab;

    explicit LocationPickerView(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    ~LocationPickerView() override;

    // The system alert sound for coordinates that cannot be used; replaceable for tests.
    std::function<void()> beep;

    Tab tab() const { return tab_; }
    void setTab(Tab tab);
    // Sets the tab and the coordinate fields from the stored source (each time the view is shown).
    void syncFields();

    // The three parts.
    QWidget* header() const { return header_; }
    kit::GlassSegment<Tab>* tabs() const { return tabs_; }
    class TabPages* content() const {
        return pages_;
    }

    // Header.
    QString placeText() const;
    QString sunTimesText() const;
    // Time zone tab.
    kit::SwitchRow* followRow() const { return followRow_; }
    kit::TintSwitch* followSwitch() const;
    QString followText() const;
    QLineEdit* zoneSearch() const { return zoneQuery_; }
    PlaceList* zoneList() const { return zoneList_; }
    kit::Text* zoneCaption() const { return zoneCaption_; }
    // City tab.
    QLineEdit* citySearch() const { return cityQuery_; }
    PlaceList* cityList() const { return cityList_; }
    // The cities' source, credited under their list.
    kit::Text* cityCredit() const { return cityCredit_; }
    // Coordinates tab.
    QLineEdit* latitudeField() const { return lat_; }
    QLineEdit* longitudeField() const { return lon_; }
    kit::SystemButton* useButton() const { return use_; }
    // What is wrong with the coordinates the last Use refused; hidden otherwise.
    kit::Text* coordinatesErrorText() const { return coordinatesError_; }
    void useCoordinates();
    // Precise tab.
    kit::SystemButton* preciseButton() const { return precise_; }
    kit::Text* preciseCoordinatesText() const { return preciseFix_; }
    kit::Text* preciseErrorText() const { return preciseError_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeZonePage();
    QWidget* makeCityPage();
    QWidget* makeCoordinatesPage();
    QWidget* makePrecisePage();
    void write(LocationSource source);
    void searchZones();
    void searchCities();
    void refreshHeader();
    void refreshZones();
    void refreshZoneRows();
    void refreshCityRows();
    void refreshPrecise();

    Tab tab_ = Tab::timeZone;
    QWidget* header_ = nullptr;
    kit::Text* place_ = nullptr;
    kit::Text* sunTimes_ = nullptr;
    kit::GlassSegment<Tab>* tabs_ = nullptr;
    TabPages* pages_ = nullptr;
    kit::SwitchRow* followRow_ = nullptr;
    QLineEdit* zoneQuery_ = nullptr;
    PlaceList* zoneList_ = nullptr;
    kit::Text* zoneCaption_ = nullptr;
    std::vector<TimeZoneEntry> zones_;  // the listed matches
    QLineEdit* cityQuery_ = nullptr;
    PlaceList* cityList_ = nullptr;
    kit::Text* cityCredit_ = nullptr;
    std::vector<City> cities_;
    QLineEdit* lat_ = nullptr;
    QLineEdit* lon_ = nullptr;
    kit::SystemButton* use_ = nullptr;
    kit::SystemButton* precise_ = nullptr;
    kit::Text* preciseFix_ = nullptr;
    kit::Text* preciseError_ = nullptr;
    kit::Text* coordinatesError_ = nullptr;
    kit::ModelFollower model_;
    Subscription sourceWatch_;
};

}  // namespace orvane
