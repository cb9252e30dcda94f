#pragma once
// The settings window's content: a 220-point sidebar (the status card, then the panes in
// their three groups) and the detail, which shows the selected pane's form under its title
// (the About pane under the application's header). The view owns only the choice of pane;
// it follows "app.orvane.openSettingsPane" of its window's notification centre.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QAbstractButton>
#include <QWidget>

#include "ui/kit/Animator.h"
#include "ui/kit/PointerHover.h"
#include "ui/settings/Pane.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"

class QScrollArea;
class QVBoxLayout;

namespace orvane {

namespace kit {
class PaneHeader;
class Text;
class SaturationEffect;
}  // namespace kit

class SidebarRow : public QAbstractButton {
public:
    SidebarRow(Pane pane, QWidget* parent = nullptr);
    Pane pane() const { return pane_; }
    void setSelected(bool selected);
    bool selected() const { return selected_; }
    bool hovering() const { return hovering_; }
    // The row's fill: primary colour at 0.075 selected, 0.035 under the pointer, else none.
    double fillOpacity() const;
    QSize sizeHint() const override { return {196, 30}; }
    // Up and Down on a focused row: -1 or +1, to the row above or below.
    std::function<void(int step)> stepped;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Pane pane_;
    bool selected_ = false;
    bool hovering_ = false;
    kit::PointerHover hover_;
};

class StatusCard : public QWidget {
public:
    explicit StatusCard(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    const kit::Text& statusText() const { return *status_; }
    double iconSaturation() const { return saturation_.value(); }

private:
    void refresh(bool animated);

    kit::ModelFollower model_;
    class AppIcon* icon_;
    kit::Text* status_;
    kit::AnimatedValue saturation_{1};
};

class SettingsRootView : public QWidget {
public:
    static constexpr int sidebarWidth = 220;
    static constexpr QSize minimumSize{760, 540};

    // `initialPane` none: General.
    SettingsRootView(PaneEnvironment environment, std::optional<Pane> initialPane, QWidget* parent = nullptr);
    ~SettingsRootView() override;

    Pane pane() const { return pane_; }
    // Selecting the shown pane changes nothing; another replaces the whole detail.
    void select(Pane pane);

    const std::vector<SidebarRow*>& sidebarRows() const { return rows_; }
    const StatusCard& statusCard() const { return *card_; }
    const kit::Text& detailTitle() const { return *title_; }
    // The About pane's header; null on every other pane.
    const kit::PaneHeader* header() const { return header_; }
    // The pane's own view; null for a pane not built yet.
    QWidget* paneView() const { return paneView_; }
    QScrollArea& detail() const { return *scroll_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildDetail();

    PaneEnvironment environment_;
    Pane pane_ = Pane::general;
    std::vector<SidebarRow*> rows_;
    StatusCard* card_;
    QScrollArea* scroll_;
    kit::Text* title_ = nullptr;
    kit::PaneHeader* header_ = nullptr;
    QWidget* paneView_ = nullptr;
    Subscription openPane_;
};

}  // namespace orvane
