#pragma once
// The Presets pane: the list of presets (click a row to edit it below, drag a row to a new
// place), the controls to add, delete, move and restore, and the preset editor for the
// selected preset. The selection is the pane's only state and is held by id.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "app/AppModel.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/settings/PresetsPaneRules.h"
#include "ui/views/SettingField.h"

class QAbstractButton;

namespace orvane {

namespace kit {
class SystemButton;
}
class PresetEditor;

// The rows, painted in one widget so that a row can be dragged over the others. A click
// selects (or clears); a press moved past the drag distance drags the row, and its release
// drops it where the pointer is.
class PresetList final : public QWidget {
public:
    static constexpr int rowHeight = 44;

    struct Actions {
        std::function<void(const std::string& id)> clicked;
        std::function<void(std::size_t from, std::size_t destination)> dropped;
    };
    PresetList(std::shared_ptr<AppModel> model, std::function<PresetsPaneRules::Selection()> selection, Actions actions,
               QWidget* parent = nullptr);

    std::size_t rowCount() const;
    QRect rowRect(std::size_t index) const;
    bool dragging() const { return drag_.has_value(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Drag {
        std::size_t from;
        double pointerY;
        double grabOffset;  // where in its row the pointer took the row
    };
    std::optional<std::size_t> rowAt(double y) const;
    std::vector<PresetsPaneRules::RowFrame> frames() const;
    void paintRow(QPainter& painter, const QRectF& rect, const Preset& preset, bool selected) const;

    std::shared_ptr<AppModel> model_;
    std::function<PresetsPaneRules::Selection()> selection_;
    Actions actions_;
    std::optional<std::size_t> pressed_;
    QPointF pressPoint_;
    std::optional<Drag> drag_;
};

class PresetsPane final : public kit::Form {
public:
    explicit PresetsPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    const PresetsPaneRules::Selection& selection() const { return selected_; }
    PresetList& list() const { return *list_; }
    QAbstractButton& addButton() const;
    QAbstractButton& deleteButton() const;
    QAbstractButton& moveUpButton() const;
    QAbstractButton& moveDownButton() const;
    QAbstractButton& restoreButton() const;
    // The editor of the selected preset; none without a (valid) selection.
    PresetEditor* editor() const { return editor_; }

    // What a click on a row does: selects it, or clears the selection when it is selected.
    void clickRow(const std::string& id);

private:
    void addPreset();
    void deleteSelected();
    void moveSelected(int step);
    void restoreDefaults();
    void drop(std::size_t from, std::size_t destination);
    // The list edited as a copy and written back through the field.
    void changePresets(const std::function<void(std::vector<Preset>&)>& edit);
    void refresh();

    std::shared_ptr<AppModel> model_;
    PresetsPaneRules::Selection selected_;
    PresetList* list_;
    kit::SystemButton* add_;
    kit::SystemButton* delete_;
    kit::SystemButton* up_;
    kit::SystemButton* down_;
    kit::SystemButton* restore_;
    PresetEditor* editor_ = nullptr;
    std::unique_ptr<kit::SettingField<std::vector<Preset>>> presets_;
};

}  // namespace orvane
