#pragma once
// The Exclusions pane: the applications while which the tint is lifted, suggestions of
// installed photo and video applications, and the fade used when one comes to the front.
// The applications are those the model read from the platform's catalogue (desktop
// entries on Linux); only a chosen application file is read here.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Capabilities.h"
#include "app/FrontmostAppObserver.h"
#include "core/DisplaySettings.h"
#include "platform/AppCatalog.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"
#include "ui/views/SettingField.h"

class QMenu;

namespace orvane {

namespace kit {
class SystemButton;
class Text;
}  // namespace kit

// The excluded applications as the pane edits them: the list is written whole.
using ExcludedField = kit::SettingField<std::vector<ExcludedApp>>;

namespace ExclusionsRules {
// The " (last active)" item's text; none when nothing was in front or it is excluded
// (by its catalogue identifier or by the window class it was stored under).
std::optional<std::string> lastActiveTitle(const std::optional<FrontmostAppObserver::Info>& front,
                                           const std::vector<ExcludedApp>& excluded);
// The suggestions still to offer: the installed applications' (the catalogue's own, else
// the fixed list's installed ones), never one already excluded; none before they are read.
std::vector<ExcludedApp> suggestions(const InstalledApplications* installed, const std::vector<ExcludedApp>& excluded);
// Whether an application identifier is Orvane's own: its desktop entry ("orvane", in any
// case) or its bundle identifier. Orvane never tints itself away, so it is never offered.
bool isOrvane(const std::string& id);
// The installed applications offered for exclusion: all but Orvane, in their order.
std::vector<platform::CatalogApp> offered(const std::vector<platform::CatalogApp>& listed);
// Adds each chosen application file in order, each in its own write; files that are not
// readable applications, Orvane and applications already excluded are skipped. The number
// added.
int addChosen(ExcludedField& excluded, platform::AppCatalog& catalog, const std::vector<std::string>& paths);
}  // namespace ExclusionsRules

class ExclusionsPane : public kit::Form {
public:
    explicit ExclusionsPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    // The "Add App" menu's item texts, in order ("" stands for the divider).
    std::vector<QString> addMenuTitles() const;
    QMenu* buildAddMenu();
    // What "Add App" does: the menu where it has more than one item, else its one item
    // (the chooser) at once.
    void addApp();
    kit::SystemButton& addButton() const { return *addButton_; }
    void pickApp();
    int excludedRowCount() const { return static_cast<int>(excludedRows_.size()); }
    std::vector<QString> suggestedNames() const;
    void addSuggestion(int index);
    bool showsSuggested() const;
    const kit::Text& emptyText() const { return *empty_; }
    // Under the list: what exclusions do, or why they cannot work on this desktop.
    const kit::Text& footnoteText() const;
    void setOnlyWhenFullScreen(const std::string& id, bool on);
    void remove(const std::string& id);

private:
    void add(const ExcludedApp& app);
    void rebuildExcluded(const std::vector<ExcludedApp>& excluded);
    void rebuildSuggested();
    void follow();

    kit::ModelFollower model_;
    std::unique_ptr<ExcludedField> excluded_;
    std::shared_ptr<Desktop> desktop_;
    kit::SystemButton* addButton_;
    kit::FormSection* excludedSection_;
    kit::FormSection* suggestedSection_;
    kit::Text* empty_;
    std::vector<QWidget*> excludedRows_;
    std::vector<QWidget*> suggestedRows_;
    std::vector<ExcludedApp> shownSuggestions_;
    std::vector<ExcludedApp> shownExcluded_;
    // The applications read that the rows were built from.
    std::shared_ptr<const InstalledApplications> shownApplications_;
    std::shared_ptr<const InstalledApplications> suggestedFrom_;
};

}  // namespace orvane
