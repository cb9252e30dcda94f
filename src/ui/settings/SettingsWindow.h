#pragma once
// The one settings window of the process: "Orvane Settings", 820 × 600 at first and never
// under 760 × 540, centred when first made; its frame is kept under the user-defaults key
// "OrvaneSettings" and taken back at the next start when it still lies on a screen.
// Closing only hides it.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QRect>
#include <QTimer>
#include <QWidget>

#include "ui/settings/SettingsRootView.h"

namespace orvane {

namespace platform {
class UserDefaults;
}

class SettingsWindow : public QWidget {
public:
    static constexpr const char* frameKey = "OrvaneSettings";
    static constexpr QSize contentSize{820, 600};

    SettingsWindow(PaneEnvironment environment, std::optional<Pane> initialPane,
                   std::shared_ptr<platform::UserDefaults> defaults, QWidget* parent = nullptr);

    SettingsRootView& root() const { return *root_; }
    // What Ctrl+Q does while the window has the keyboard; Ctrl+W and Esc close it.
    std::function<void()> quit;
    // Shows the window, brings it to the front and gives it the keyboard.
    void present();
    void saveFrame();

    // "x y width height"; none for text that is not four whole numbers with a positive size.
    static std::optional<QRect> parseFrame(const std::string& text);
    static std::string frameText(const QRect& frame);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void placeAtFirst();

    SettingsRootView* root_;
    std::shared_ptr<platform::UserDefaults> defaults_;
    QTimer saveLater_;
    bool placed_ = false;
};

}  // namespace orvane
