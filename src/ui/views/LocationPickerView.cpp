#include "ui/views/LocationPickerView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/kit/Tokens.h"
#include "ui/views/PlaceList.h"
#include "ui/views/SwitchRow.h"
#include "ui/views/TextField.h"

namespace orvane {
namespace {

kit::Text* caption(const char* text, QWidget* parent = nullptr) {
    auto* t = new kit::Text(QString::fromUtf8(text), kit::FontBook::font(kit::TextStyle::caption), parent);
    t->setLevel(kit::TextLevel::secondary);
    t->setMaximumLines(2);
    return t;
}

std::vector<kit::GlassSegment<PlaceRules::Tab>::Item> tabItems() {
    std::vector<kit::GlassSegment<PlaceRules::Tab>::Item> items;
    for (const auto tab : PlaceRules::allTabs)
        items.push_back({tab, PlaceRules::title(tab), std::nullopt, std::nullopt});
    return items;
}

QVBoxLayout* column(QWidget* page, int spacing = 8) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace

LocationPickerView::LocationPickerView(std::shared_ptr<AppModel> model, QWidget* parent)
    : QWidget(parent), beep([] { QApplication::beep(); }), model_(std::move(model), [this](AppModel::Property p) {
          switch (p) {
              case AppModel::Property::location:
                  refreshZones();  // the computer's zone may be another now
                  refreshHeader();
                  break;
              case AppModel::Property::resolution:
                  refreshHeader();
                  break;
              case AppModel::Property::preciseCoordinates:
              case AppModel::Property::preciseLocationError:
                  refreshPrecise();
                  break;
              default:
                  break;
          }
      }) {
    setAttribute(Qt::WA_TranslucentBackground);
    // Only the source matters among the settings: the switch, the lists' checkmarks.
    sourceWatch_ = model_.model().observeSettings([this](const Settings& old, const Settings& now) {
        if (old.sunset.locationSource == now.sunset.locationSource) return;
        refreshZones();
        refreshZoneRows();
        refreshCityRows();
    });
    header_ = makeHeader();
    tabs_ = new kit::GlassSegment<Tab>(tabItems(), tab_, 24, [this](Tab t) { setTab(t); });
    tabs_->setAccessibleName(QStringLiteral("Source"));
    pages_ = new TabPages;
    pages_->addWidget(makeZonePage());
    pages_->addWidget(makeCityPage());
    pages_->addWidget(makeCoordinatesPage());
    pages_->addWidget(makePrecisePage());

    auto* layout = column(this, 10);
    layout->addWidget(header_);
    layout->addWidget(tabs_);
    layout->addWidget(pages_);
    layout->addStretch(1);

    searchZones();
    searchCities();
    refreshHeader();
    refreshZones();
    refreshPrecise();
    syncFields();
}

LocationPickerView::~LocationPickerView() = default;

TabPages::TabPages(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
}

void TabPages::addWidget(QWidget* page) {
    pages_.push_back(page);
    layout_->addWidget(page);
    if (current_ < 0) current_ = 0;
    page->setVisible(count() - 1 == current_);
}

void TabPages::setCurrentIndex(int index) {
    if (index < 0 || index >= count()) return;
    current_ = index;
    // A hidden page takes no room in the layout.
    for (int i = 0; i < count(); ++i)
        if (i != index) widget(i)->hide();
    widget(index)->show();
}

QWidget* LocationPickerView::makeHeader() {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* symbol = new kit::SymbolView("location.fill", 13);
    symbol->setColour(kit::Tokens::emberText());
    row->addWidget(symbol);
    place_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::body, QFont::DemiBold));
    row->addWidget(place_, 1);
    sunTimes_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption));
    sunTimes_->setLevel(kit::TextLevel::secondary);
    sunTimes_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(sunTimes_);
    return header;
}

QWidget* LocationPickerView::makeZonePage() {
    auto* page = new QWidget;
    auto* layout = column(page);
    // The computer's zone is named at each write: it may have changed since the view was made.
    followRow_ = new kit::SwitchRow(
        {}, std::nullopt,
        kit::operationField<bool>(
            model_.shared(), [](const Settings& s) { return PlaceRules::followsSystemZone(s.sunset.locationSource); },
            [](AppModel& m, const bool& on) {
                m.change([&](Settings& s, RuntimeState&) {
                    s.sunset.locationSource = PlaceRules::followSource(on, m.systemZone().identifier());
                });
            }));
    followRow_->toggle().setAccessibleName(QString::fromUtf8(PlaceRules::followLabel));
    // The zone's name makes it long: in a narrow card (the welcome window's) it wraps.
    followRow_->setTitleLines(2);
    layout->addWidget(followRow_);
    zoneQuery_ = new kit::TextField(QString::fromUtf8(PlaceRules::zoneSearchPlaceholder));
    connect(zoneQuery_, &QLineEdit::textChanged, this, [this] { searchZones(); });
    layout->addWidget(zoneQuery_);
    zoneList_ = new PlaceList([this](const std::string& id) { write(LocationSource::TimeZone{id}); });
    layout->addWidget(zoneList_);
    zoneCaption_ = caption(PlaceRules::zoneCaption);
    layout->addWidget(zoneCaption_);
    layout->addStretch(1);
    return page;
}

QWidget* LocationPickerView::makeCityPage() {
    auto* page = new QWidget;
    auto* layout = column(page);
    cityQuery_ = new kit::TextField(QString::fromUtf8(PlaceRules::citySearchPlaceholder));
    connect(cityQuery_, &QLineEdit::textChanged, this, [this] { searchCities(); });
    layout->addWidget(cityQuery_);
    cityList_ = new PlaceList([this](const std::string& id) { write(LocationSource::City{id}); });
    layout->addWidget(cityList_);
    cityCredit_ = caption(Cities::attribution.data());
    layout->addWidget(cityCredit_);
    layout->addStretch(1);
    return page;
}

QWidget* LocationPickerView::makeCoordinatesPage() {
    auto* page = new QWidget;
    auto* layout = column(page);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    lat_ = new kit::TextField(QStringLiteral("Latitude"));
    lon_ = new kit::TextField(QStringLiteral("Longitude"));
    use_ = new kit::SystemButton(QString::fromUtf8(PlaceRules::use));
    use_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(use_, &QAbstractButton::clicked, this, [this] { useCoordinates(); });
    row->addWidget(lat_, 1);
    row->addWidget(lon_, 1);
    row->addWidget(use_);
    layout->addLayout(row);
    // Beside the fields: a beep alone is often not heard.
    coordinatesError_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption));
    coordinatesError_->setColour(kit::Tokens::warmRed());
    coordinatesError_->setMaximumLines(2);
    coordinatesError_->hide();
    layout->addWidget(coordinatesError_);
    for (auto* field : {lat_, lon_}) connect(field, &QLineEdit::textEdited, coordinatesError_, &QWidget::hide);
    layout->addWidget(caption(PlaceRules::coordinatesCaption));
    layout->addStretch(1);
    return page;
}

QWidget* LocationPickerView::makePrecisePage() {
    auto* page = new QWidget;
    auto* layout = column(page);
    auto* text =
        new kit::Text(QString::fromUtf8(PlaceRules::preciseText), kit::FontBook::font(kit::TextStyle::callout));
    text->setMaximumLines(3);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    precise_ = new kit::SystemButton(QString::fromUtf8(PlaceRules::usePrecise));
    precise_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(precise_, &QAbstractButton::clicked, this, [this] { model_.model().requestPreciseLocation(); });
    row->addWidget(precise_);
    preciseFix_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption));
    preciseFix_->setLevel(kit::TextLevel::secondary);
    row->addWidget(preciseFix_);
    preciseError_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption));
    preciseError_->setColour(kit::Tokens::warmRed());
    preciseError_->setMaximumLines(2);
    row->addWidget(preciseError_, 1);
    row->addStretch(0);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

void LocationPickerView::setTab(Tab tab) {
    tab_ = tab;
    tabs_->setSelection(tab);
    pages_->setCurrentIndex(static_cast<int>(tab));
}

void LocationPickerView::syncFields() {
    const auto opening = PlaceRules::opening(model_.model().settings().sunset.locationSource, tab_);
    if (opening.latitude) lat_->setText(QString::fromStdString(*opening.latitude));
    if (opening.longitude) lon_->setText(QString::fromStdString(*opening.longitude));
    setTab(opening.tab);
}

void LocationPickerView::showEvent(QShowEvent* event) {
    // Each time the view comes on screen, not when its window is merely restored.
    if (!event->spontaneous()) syncFields();
    QWidget::showEvent(event);
}

void LocationPickerView::write(LocationSource source) {
    kit::settingField(model_.shared(), &Settings::sunset, &SunsetSettings::locationSource)->set(source);
}

void LocationPickerView::useCoordinates() {
    const std::string lat = lat_->text().toStdString(), lon = lon_->text().toStdString();
    const auto coordinates = PlaceRules::parseCoordinates(lat, lon);
    if (!coordinates) {
        coordinatesError_->setText(QString::fromStdString(PlaceRules::coordinatesProblem(lat, lon).value_or("")));
        coordinatesError_->show();
        if (beep) beep();
        return;
    }
    coordinatesError_->hide();
    write(*coordinates);
}

QString LocationPickerView::placeText() const { return place_->text(); }
QString LocationPickerView::sunTimesText() const { return sunTimes_->text(); }
QString LocationPickerView::followText() const { return QString(followRow_->titleText().text()).remove(QChar(0x2060)); }
kit::TintSwitch* LocationPickerView::followSwitch() const { return &followRow_->toggle(); }

void LocationPickerView::searchZones() {
    zones_ = TimeZones::search(zoneQuery_->text().toStdString());
    if (zones_.size() > static_cast<std::size_t>(PlaceRules::zoneListLimit))
        zones_.resize(static_cast<std::size_t>(PlaceRules::zoneListLimit));
    refreshZoneRows();
}

void LocationPickerView::searchCities() {
    cities_ = Cities::search(cityQuery_->text().toStdString(), PlaceRules::cityListLimit);
    refreshCityRows();
}

void LocationPickerView::refreshHeader() {
    const AppModel& model = model_.model();
    place_->setText(QString::fromStdString(model.location().display()));
    sunTimes_->setText(QString::fromStdString(PlaceRules::sunTimesLine(model.sunTimesToday(), model.placeZone())));
}

void LocationPickerView::refreshZones() {
    const AppModel& model = model_.model();
    const bool following = PlaceRules::followsSystemZone(model.settings().sunset.locationSource);
    // A wrapped line breaks before the zone's name, not inside it at its slash: a word
    // joiner after each slash, which draws nothing.
    followRow_->setTitle(QString::fromStdString(PlaceRules::followText(model.systemZone().identifier()))
                             .replace(QChar(u'/'), QStringLiteral("/\u2060")));
    for (QWidget* w :
         {static_cast<QWidget*>(zoneQuery_), static_cast<QWidget*>(zoneList_), static_cast<QWidget*>(zoneCaption_)})
        w->setVisible(!following);
}

void LocationPickerView::refreshZoneRows() {
    const LocationSource& source = model_.model().settings().sunset.locationSource;
    std::vector<PlaceList::Row> zoneRows;
    zoneRows.reserve(zones_.size());
    for (const auto& z : zones_)
        zoneRows.push_back(
            {z.identifier, z.identifier, {}, z.comment, z.countryCode, PlaceRules::zoneChecked(source, z.identifier)});
    zoneList_->setRows(std::move(zoneRows));
}

void LocationPickerView::refreshCityRows() {
    const LocationSource& source = model_.model().settings().sunset.locationSource;
    std::vector<PlaceList::Row> cityRows;
    cityRows.reserve(cities_.size());
    for (const auto& c : cities_)
        cityRows.push_back(
            {c.id, c.name, c.countryCode, {}, c.timeZoneIdentifier, PlaceRules::cityChecked(source, c.id)});
    cityList_->setRows(std::move(cityRows));
}

void LocationPickerView::refreshPrecise() {
    const AppModel& model = model_.model();
    const auto& fix = model.preciseCoordinates();
    preciseFix_->setText(fix ? QString::fromStdString(PlaceRules::preciseLine(fix->latitude, fix->longitude))
                             : QString());
    preciseFix_->setVisible(fix.has_value());
    const auto& error = model.preciseLocationError();
    preciseError_->setText(error ? QString::fromStdString(*error) : QString());
    preciseError_->setVisible(error.has_value());
}

}  // namespace orvane
