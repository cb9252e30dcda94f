#include "ui/settings/ExclusionsPane.h"

#include <algorithm>
#include <cctype>

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "platform/Platform.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Menu.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/views/Picker.h"

namespace orvane {

namespace ExclusionsRules {

namespace {
bool isExcluded(const std::vector<ExcludedApp>& excluded, const std::string& id) {
    return std::any_of(excluded.begin(), excluded.end(), [&](const ExcludedApp& e) { return e.bundleID == id; });
}
}  // namespace

std::optional<std::string> lastActiveTitle(const std::optional<FrontmostAppObserver::Info>& front,
                                           const std::vector<ExcludedApp>& excluded) {
    if (!front) return std::nullopt;
    for (const auto& e : excluded)
        if (e.matches(front->bundleID, front->windowClass)) return std::nullopt;
    return front->name + " (last active)";
}

std::vector<ExcludedApp> suggestions(const InstalledApplications* installed, const std::vector<ExcludedApp>& excluded) {
    std::vector<ExcludedApp> out;
    if (!installed) return out;
    for (const auto& suggestion : installed->suggestions)
        if (!isExcluded(excluded, suggestion.bundleID)) out.push_back(suggestion);
    return out;
}

bool isOrvane(const std::string& id) {
    std::string lower = id;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower == "orvane" || id == platform::bundleIdentifier;
}

std::vector<platform::CatalogApp> offered(const std::vector<platform::CatalogApp>& listed) {
    std::vector<platform::CatalogApp> out;
    for (const auto& app : listed)
        if (!isOrvane(app.id)) out.push_back(app);
    return out;
}

int addChosen(ExcludedField& excluded, platform::AppCatalog& catalog, const std::vector<std::string>& paths) {
    int added = 0;
    for (const auto& path : paths) {
        const auto app = catalog.applicationAt(path);
        auto list = excluded.value();
        if (!app || isOrvane(app->id) || isExcluded(list, app->id)) continue;
        list.push_back({app->id, app->name, false});
        excluded.set(list);
        ++added;
    }
    return added;
}

}  // namespace ExclusionsRules

namespace {

using kit::q;

// The application's icon: its theme icon or file, else the generic executable's, else
// the kit's symbol.
QWidget* iconView(const std::optional<std::string>& name, int side) {
    QIcon icon;
    if (name) icon = name->front() == '/' ? QIcon(q(*name)) : QIcon::fromTheme(q(*name));
    if (icon.isNull()) icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (icon.isNull()) {
        auto* symbol = new kit::SymbolView("app.dashed", side * 0.7);
        symbol->setFixedSize(side, side);
        symbol->setLevel(kit::TextLevel::secondary);
        return symbol;
    }
    auto* label = new QLabel;
    label->setFixedSize(side, side);
    label->setPixmap(icon.pixmap(side, side));
    label->setScaledContents(true);
    return label;
}

QHBoxLayout* lineOf(QWidget* row) {
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);
    return line;
}

void retire(QWidget* row) {
    row->hide();
    row->setParent(nullptr);
    row->deleteLater();
}

// Puts a row into a section's card just before `before` rows from the end.
void insertRow(kit::FormSection* section, QWidget* row, int fromEnd) {
    section->addRow(row);
    auto& rows = section->card().rows();
    rows.removeWidget(row);
    rows.insertWidget(rows.count() - fromEnd, row);
}

}  // namespace

ExclusionsPane::ExclusionsPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent),
      model_(environment.model,
             [this](AppModel::Property p) {
                 if (p == AppModel::Property::settings || p == AppModel::Property::frontmostAppInfo ||
                     p == AppModel::Property::capabilities)
                     follow();
             }),
      excluded_(kit::settingField(environment.model, &Settings::excludedApps)),
      desktop_(environment.desktop) {
    const auto& model = environment.model;
    excludedSection_ = addSection(QStringLiteral("Excluded apps"));
    empty_ = excludedSection_->addRow(new kit::Text(QStringLiteral("No excluded apps yet.")));
    empty_->setLevel(kit::TextLevel::secondary);
    addButton_ = new kit::SystemButton(QStringLiteral("Add App"));
    addButton_->setAccessibleName(QStringLiteral("Add App"));
    connect(addButton_, &QAbstractButton::clicked, this, [this] { addApp(); });
    auto* addRow = new QWidget;
    auto* addLine = lineOf(addRow);
    addLine->addWidget(addButton_);
    addLine->addStretch(1);
    excludedSection_->addRow(addRow);

    suggestedSection_ = addSection(QStringLiteral("Suggested"));

    auto* behavior = addSection(QStringLiteral("Behavior"));
    std::vector<kit::Picker<Smoothing>::Item> fades;
    for (Smoothing s : allCases<Smoothing>()) fades.push_back({s, q(std::string(title(s)))});
    behavior->addRow(new kit::PickerRow<Smoothing>(QStringLiteral("Fade in and out"), std::nullopt, std::move(fades),
                                                   kit::settingField(model, &Settings::exclusionFade)));
    // The rows follow the list; each row writes through it too.
    excluded_->onChange(this, [this](const std::vector<ExcludedApp>& excluded) { rebuildExcluded(excluded); });
    follow();
}

std::vector<QString> ExclusionsPane::addMenuTitles() const {
    std::vector<QString> titles;
    const AppModel& m = model_.model();
    if (const auto last = ExclusionsRules::lastActiveTitle(m.frontmostAppInfo(), m.settings().excludedApps)) {
        titles.push_back(q(*last));
        titles.push_back(QString());
    }
    titles.push_back(QStringLiteral("Choose Applications\u2026"));
    return titles;
}

QMenu* ExclusionsPane::buildAddMenu() {
    auto* menu = new QMenu(this);
    kit::themeMenu(*menu, kit::appearanceOf(this));
    const AppModel& m = model_.model();
    if (const auto last = ExclusionsRules::lastActiveTitle(m.frontmostAppInfo(), m.settings().excludedApps)) {
        const auto info = *m.frontmostAppInfo();
        connect(menu->addAction(q(*last)), &QAction::triggered, this,
                [this, info] { model_.model().toggleExclusion(info.bundleID, info.name); });
        menu->addSeparator();
    }
    connect(menu->addAction(QStringLiteral("Choose Applications\u2026")), &QAction::triggered, this,
            [this] { pickApp(); });
    return menu;
}

void ExclusionsPane::addApp() {
    // A menu of one item is one click too many.
    if (addMenuTitles().size() == 1) {
        pickApp();
        return;
    }
    QMenu* menu = buildAddMenu();
    menu->exec(addButton_->mapToGlobal(QPoint(0, addButton_->height())));
    menu->deleteLater();
}

void ExclusionsPane::pickApp() {
    if (!desktop_) return;
    // By name and icon where the catalogue lists its applications; else their files.
    const auto installed = model_.model().capabilities().applications;
    if (installed && installed->listed && !installed->listed->empty() && desktop_->chooseApplications) {
        const auto apps = ExclusionsRules::offered(*installed->listed);
        const auto ids = desktop_->chooseApplications(this, QStringLiteral("Choose apps to exclude"), apps);
        for (const auto& id : ids) {
            const auto app = std::find_if(apps.begin(), apps.end(), [&](const auto& a) { return a.id == id; });
            if (app == apps.end() || ExclusionsRules::isExcluded(excluded_->value(), id)) continue;
            add({app->id, app->name, false});
        }
        return;
    }
    if (!desktop_->chooseOpenFiles) return;
    auto& catalog = model_.model().platform()->appCatalog();
    Desktop::FileRequest request;
    request.title = QStringLiteral("Choose apps to exclude");
    request.filter = QStringLiteral("Applications (%1)").arg(q(catalog.applicationFilePattern()));
    request.directory = q(catalog.applicationsDirectory().string());
    ExclusionsRules::addChosen(*excluded_, catalog, desktop_->chooseOpenFiles(this, request));
}

std::vector<QString> ExclusionsPane::suggestedNames() const {
    std::vector<QString> names;
    for (const auto& s : shownSuggestions_) names.push_back(q(s.name));
    return names;
}

void ExclusionsPane::addSuggestion(int index) {
    if (index < 0 || index >= static_cast<int>(shownSuggestions_.size())) return;
    add(shownSuggestions_[static_cast<std::size_t>(index)]);
}

void ExclusionsPane::add(const ExcludedApp& app) {
    auto list = excluded_->value();
    list.push_back(app);
    excluded_->set(list);
}

bool ExclusionsPane::showsSuggested() const { return !suggestedSection_->isHidden(); }

void ExclusionsPane::setOnlyWhenFullScreen(const std::string& id, bool on) {
    auto list = excluded_->value();
    const auto it = std::find_if(list.begin(), list.end(), [&](const ExcludedApp& e) { return e.bundleID == id; });
    if (it == list.end()) return;
    it->onlyWhenFullScreen = on;
    excluded_->set(list);
}

void ExclusionsPane::remove(const std::string& id) {
    auto list = excluded_->value();
    if (std::erase_if(list, [&](const ExcludedApp& e) { return e.bundleID == id; }) > 0) excluded_->set(list);
}

const kit::Text& ExclusionsPane::footnoteText() const { return excludedSection_->footnoteText(); }

void ExclusionsPane::follow() {
    // Without word of the application in front nothing is ever excluded; the list stays
    // editable for a session where it works.
    const Availability& front = model_.model().capabilities().frontmostApplication;
    excludedSection_->setFootnote(front ? QStringLiteral("Orvane fades out while one of these apps is in front. "
                                                         "Useful for photo and video work, where colors must be exact.")
                                        : q(front.reason));
    // The rows' icons come from the applications read; they are read again only when the
    // application folders change.
    if (model_.model().capabilities().applications != shownApplications_) rebuildExcluded(excluded_->value());
    rebuildSuggested();
}

void ExclusionsPane::rebuildExcluded(const std::vector<ExcludedApp>& excluded) {
    // A row's own button may be what changed the list: rows go once its click is over.
    for (QWidget* row : excludedRows_) retire(row);
    excludedRows_.clear();
    shownExcluded_ = excluded;
    empty_->setVisible(shownExcluded_.empty());
    const auto& installed = model_.model().capabilities().applications;
    shownApplications_ = installed;
    for (const auto& entry : shownExcluded_) {
        auto* row = new QWidget;
        auto* line = lineOf(row);
        const platform::CatalogApp* known = installed ? installed->find(entry.bundleID) : nullptr;
        line->addWidget(iconView(known ? known->icon : std::nullopt, 28));
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(new kit::Text(q(entry.name)));
        auto* id = new kit::Text(q(entry.bundleID), kit::FontBook::font(kit::TextStyle::caption));
        id->setLevel(kit::TextLevel::secondary);
        texts->addWidget(id);
        line->addLayout(texts, 1);
        auto* fullLabel =
            new kit::Text(QStringLiteral("Only when full screen"), kit::FontBook::font(kit::TextStyle::caption));
        line->addWidget(fullLabel);
        auto* full = new kit::TintSwitch(QStringLiteral("Only when full screen"));
        full->setOn(entry.onlyWhenFullScreen);
        const std::string key = entry.bundleID;
        connect(full, &QAbstractButton::toggled, this, [this, key](bool on) { setOnlyWhenFullScreen(key, on); });
        line->addWidget(full);
        auto* remover = new kit::GlassIconButton("minus.circle.fill", QStringLiteral("Remove"), 24, std::nullopt,
                                                 [this, key] { remove(key); });
        remover->setToolTip(QStringLiteral("Remove"));
        line->addWidget(remover);
        insertRow(excludedSection_, row, 1);
        excludedRows_.push_back(row);
    }
}

void ExclusionsPane::rebuildSuggested() {
    const auto& installed = model_.model().capabilities().applications;
    const auto now = ExclusionsRules::suggestions(installed.get(), model_.model().settings().excludedApps);
    if (now == shownSuggestions_ && installed == suggestedFrom_ && !suggestedRows_.empty() == !now.empty()) {
        suggestedSection_->setVisible(!now.empty());
        return;
    }
    for (QWidget* row : suggestedRows_) retire(row);
    suggestedRows_.clear();
    shownSuggestions_ = now;
    suggestedFrom_ = installed;
    for (std::size_t i = 0; i < now.size(); ++i) {
        auto* row = new QWidget;
        auto* line = lineOf(row);
        const platform::CatalogApp* known = installed->find(now[i].bundleID);
        line->addWidget(iconView(known ? known->icon : std::nullopt, 24));
        line->addWidget(new kit::Text(q(now[i].name)), 1);
        auto* add = new kit::SystemButton(QStringLiteral("Add"));
        connect(add, &QAbstractButton::clicked, this, [this, i] { addSuggestion(static_cast<int>(i)); });
        line->addWidget(add);
        suggestedSection_->addRow(row);
        suggestedRows_.push_back(row);
    }
    suggestedSection_->setVisible(!now.empty());
}

QWidget* makeExclusionsPane(const PaneEnvironment& environment) { return new ExclusionsPane(environment); }

}  // namespace orvane
