#pragma once
// The Advanced pane: the settings file (export, import), the diagnostics report, debug
// logging and statistics switches, and the resets (onboarding, statistics, everything).
// Dialogs, the clipboard and the confirmation go through the pane's Desktop. The one state
// is the status line of the last export, import or copy.
#include <memory>
#include <optional>
#include <string>

#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"

namespace orvane {

namespace kit {
class SystemButton;
class Text;
}  // namespace kit

class AdvancedPane : public kit::Form {
public:
    explicit AdvancedPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    void exportSettings();
    void importSettings();
    void copyDiagnostics();
    void runOnboardingAgain();
    void resetStatistics();
    void confirmReset();

    // The status line; none until the first export, import or copy, and none again after
    // a reset or a fresh onboarding. It shows under the
    // buttons of its row, the settings file's or the diagnostics', on the row's width.
    std::optional<std::string> message() const;
    const kit::Text& transferNote() const { return *transferNote_; }
    const kit::Text& diagnosticsNote() const { return *diagnosticsNote_; }
    kit::SystemButton& exportButton() const { return *export_; }
    kit::SystemButton& importButton() const { return *import_; }

private:
    // In `note`; none: the settings file's.
    void setMessage(const std::string& message, kit::Text* note = nullptr);
    // After an action that leaves no line of its own: an earlier status no longer holds.
    void clearMessage();

    PaneEnvironment environment_;
    kit::SystemButton* export_;
    kit::SystemButton* import_;
    kit::Text* transferNote_;
    kit::Text* diagnosticsNote_;
};

}  // namespace orvane
