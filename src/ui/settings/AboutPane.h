#pragma once
// The About pane: the version and where updates are listed, what the program does with
// the user's data, and whose data and methods it uses. Built from constants; the one
// action hands the changelog address to the desktop's browser.
#include <string>
#include <vector>

#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"

namespace orvane {

namespace kit {
class SystemButton;
}

namespace AboutRules {
std::string versionLine(const std::string& version);  // "Orvane 2.1"
std::string updatesNote();
std::vector<std::string> credits();
}  // namespace AboutRules

class AboutPane : public kit::Form {
public:
    explicit AboutPane(const PaneEnvironment& environment, QWidget* parent = nullptr);
    kit::SystemButton& checkForUpdates() const { return *check_; }

private:
    kit::SystemButton* check_;
};

}  // namespace orvane
