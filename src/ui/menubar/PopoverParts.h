#pragma once
// The popover's smaller views: the three shortcut tiles, the footer, the extras panel, the
// explanation sheet and the kelvin field the General settings borrow.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QWidget>

#include "app/AppModel.h"
#include "ui/kit/Buttons.h"
#include "ui/views/ModelView.h"

namespace orvane {

namespace kit {
class TileLabel;
class Text;
class TintSwitch;
}  // namespace kit

// The method's title for the footer and the sheet.
QString methodLine(const DisplayCapabilities* display);

class CozyTile : public kit::GlassShapeButton {
public:
    explicit CozyTile(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    QString detail() const;
    kit::TileLabel& label() const { return *label_; }

private:
    void refresh();
    kit::TileLabel* label_;
    kit::ModelFollower model_;
};

class TrueColorTile : public kit::GlassShapeButton {
public:
    explicit TrueColorTile(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    kit::TileLabel& label() const { return *label_; }
    // The hold menu's four durations, in order.
    static const std::vector<QString>& menuTitles();
    void choose(int menuIndex);

private:
    void refresh();
    void act();
    kit::TileLabel* label_;
    kit::ModelFollower model_;
};

class ThisAppTile : public kit::GlassShapeButton {
public:
    explicit ThisAppTile(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    kit::TileLabel& label() const { return *label_; }
    bool excluded() const;

    // The icons to try for an application, best first: the Icon key of its desktop entry
    // (the id as given, else in lower case; the first folder that has the entry decides),
    // then the id itself as a theme icon name, as given and in lower case (a window class
    // often names one). An Icon key with an absolute path stays a path.
    static std::vector<QString> iconNames(const std::string& bundleID, const QStringList& applicationDirs);
    // The first of those the icon theme or the file system has; none leaves the symbol.
    static std::optional<QImage> icon(const std::string& bundleID);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    kit::TileLabel* label_;
    std::optional<std::string> iconFor_;  // the application whose icon label_ holds
    kit::ModelFollower model_;
};

class FooterRow : public QWidget {
public:
    // `toggleExtras` and `showWhy` belong to the popover.
    FooterRow(std::shared_ptr<AppModel> model, std::function<void()> toggleExtras, std::function<void()> showWhy,
              std::function<void()> quit, QWidget* parent = nullptr);
    // The chevron's help follows at once; its half turn runs on the extras' spring.
    void setExtrasExpanded(bool expanded);
    QString methodText() const;
    // The chevron's rotation now, in radians: 0 pointing down, π pointing up.
    double chevronAngle() const;
    kit::PressableButton& methodButton() const { return *method_; }
    kit::GlassIconButton& chevron() const { return *chevron_; }
    kit::GlassIconButton& settingsButton() const { return *settings_; }
    kit::GlassIconButton& quitButton() const { return *quit_; }

private:
    // The method line's size and tooltip, after its text changed.
    void fitMethod();

    kit::PressableButton* method_;
    kit::GlassIconButton* chevron_;
    kit::GlassIconButton* settings_;
    kit::GlassIconButton* quit_;
    kit::AnimatedValue chevronTurn_{0};  // half turns
    kit::ModelFollower model_;
};

class ExtrasSection : public QWidget {
public:
    explicit ExtrasSection(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    QString revealText() const;
    kit::TintSwitch& antiDithering() const { return *switch_; }
    // Shown under the switch, which is disabled, where dithering cannot be controlled.
    const kit::Text& ditheringCaption() const { return *ditherCaption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    kit::Text* reveal_;
    kit::TintSwitch* switch_;
    kit::Text* ditherCaption_;
    kit::ModelFollower model_;
};

class WhySheet : public QWidget {
public:
    explicit WhySheet(std::shared_ptr<AppModel> model, std::function<void()> dismiss, QWidget* parent = nullptr);
    static constexpr int sheetWidth = 440;
    static QString body();
    // "In use on this computer: …", empty without a display.
    QString methodText() const;
    kit::SystemButton& doneButton() const { return *done_; }

private:
    kit::SystemButton* done_;
    std::shared_ptr<AppModel> model_;
};

}  // namespace orvane
